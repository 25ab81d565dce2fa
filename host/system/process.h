// Starting programs and opening files with the shell.
//
// The host never starts anything: what the user would see start is recorded
// in the transcript (host::Shown()), so tests can check it, and the call
// answers as a successful start would.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

// Starts `program` with `args` (the arguments after the program's own name)
// without waiting for it. Recorded as "process" with the program and its
// arguments joined by blanks. Fails only for an empty program name.
bool StartProcess(std::wstring_view program, const std::vector<std::wstring>& args);

// Opens a file with the program registered for it (the shell's "open").
// Recorded as "shell_open" with the path; fails, and records nothing, when
// the path does not exist.
bool ShellOpen(std::wstring_view path);

// Opens the folder of `path` in the file manager with `path` selected.
// Recorded as "shell_select"; fails when the path does not exist.
bool ShellShowInFolder(std::wstring_view path);

// True when this process reads its standard input from a terminal.
bool StandardInputIsTerminal();

}  // namespace host
