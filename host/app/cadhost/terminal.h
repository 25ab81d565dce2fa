// What cadhost writes to standard output, and the person at the terminal who
// answers one line at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/system/user_actions.h"

namespace cadhost {

// Writes what the host showed since the last call to stdout: the command
// line as it stands, alerts, message boxes and notes of the script always,
// the rest of the transcript with --verbose, each item once, on a line of
// its own. On a terminal what the person saw while answering (a message box,
// a picker, the command typed) is not written again.
class Screen {
 public:
  // On a terminal the user's typing is on the screen already: answers are
  // not written again.
  Screen(bool verbose, bool echo_input) : verbose_(verbose), echo_input_(echo_input) {}
  // Writes everything not yet written.
  void Flush();
  // The same, but a prompt that is the last thing shown waits: `before` is
  // written ahead of it, so that it stays the last thing on the screen.
  void FlushBeforePrompt(const std::wstring& before);
  // The last prompt written, without the line breaks before it.
  const std::wstring& LastPrompt() const { return last_prompt_; }

 private:
  void Write(std::size_t end);

  bool verbose_;
  bool echo_input_;
  std::size_t next_ = 0;
  bool at_line_start_ = true;
  std::wstring last_prompt_;
};

// The lines a person types at the terminal (standard input), read as the
// terminal hands them over, with the two keys that are no text: Ctrl-D (end
// of input at the start of a line) and Ctrl-C (the break key).
class TerminalInput {
 public:
  enum class Read {
    kLine,    // a line, without its line break
    kEnd,     // Ctrl-D: the terminal reads on after it
    kBreak,   // Ctrl-C
    kClosed,  // the terminal is gone (or cannot be read): nothing more comes
  };
  Read ReadLine(std::string* line);
  // True when a line or a key is at hand within `ms` milliseconds.
  bool Ready(int ms);

 private:
  std::string buffer_;  // read, not yet handed over
};

// From now on Ctrl-C at the terminal is the user's break (host/system/
// events.h) instead of ending the process.
void CatchBreakKey();

// Reads the user's actions from the terminal, one a line. Before it reads,
// it shows what waits (host/system/user_actions.h): a message box, picker
// or question in full with the answers it takes, a dialog as it stands with
// the actions that work now. A slip (an action that does not answer what
// waits) is said, and what waits is shown again. "!help" while something
// waits lists the actions.
//
// Ctrl-D at the command prompt is "quit" (which asks first when the drawing
// has unsaved work, and quits only on the answer typed); anywhere else it
// cancels what waits, as Esc does. Ctrl-C is Esc: it cancels what waits, at
// the command prompt the command line. A terminal that is gone ends the
// input.
class TerminalReader {
 public:
  TerminalReader(Screen* screen, TerminalInput* in) : screen_(screen), in_(in) {}
  // The action supplier: pushes the next action; false at the end of input.
  bool Supply();
  // The handler of slips.
  void Slip(const host::UserAction& slip);
  // The input waiter: shows what waits, then waits up to `ms` for input.
  bool Wait(int ms);
  // The lines read so far.
  int Line() const { return line_; }

 private:
  void ShowWhatWaits();
  // Pushes Esc for a key that cancels what waits (Ctrl-D, Ctrl-C).
  void Cancel(const wchar_t* key);

  Screen* screen_;
  TerminalInput* in_;
  int line_ = 0;
  std::uint64_t shown_ = 0;  // the number of the wait shown last
  bool show_again_ = false;
  std::wstring last_hint_;   // the answers last told at a prompt of this command
  const wchar_t* key_ = nullptr;  // the key whose Esc was pushed last, until an action is read
};

}  // namespace cadhost
