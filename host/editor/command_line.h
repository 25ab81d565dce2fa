// The command line: everything the add-ins print, the prompts the host shows
// and the answers typed at them.
//
// Each call is recorded in the transcript (host::Shown()): printed text as
// kind "print", prompt texts as "prompt", answers as "input". The command
// line itself is kept as the lines a user would see: a '\n' starts a new
// line, and a '\r' moves back to the start of the current line so that what
// follows overwrites it in place (the tail of a longer old text stays, as on
// a terminal).
//
// Process-wide state, used from one thread only.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// Prints text as it stands.
void Print(std::wstring_view text);
// Prints a formatted text (swprintf formats: wide strings are %ls). A result
// longer than 8191 characters is cut there.
void Printf(const wchar_t* format, ...);
void VPrintf(const wchar_t* format, std::va_list args);

// Shows a prompt and records the answer typed to it.
void ShowPrompt(std::wstring_view prompt);
void EchoInput(std::wstring_view answer);

// Says on the command line that `what` ("prompt", "dialog", ...) was
// cancelled because no input was left to answer it (TakeNextAction found
// none).
void NoteInputRanOut(std::wstring_view what);

// The command-line lines as shown so far (the last one may be unfinished).
const std::vector<std::wstring>& CommandLineLines();
// The whole command line as one text, lines joined with '\n'.
std::wstring CommandLineText();
void ClearCommandLine();

}  // namespace host
