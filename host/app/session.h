// The host's command loop: takes user actions one after another and does
// what each asks at the command prompt.
//
//   typed text   runs the command of that name (an empty line does nothing);
//                an unknown name gets the host's usual answer
//   lisp         evaluates the LISP line and prints its value, or
//                "; error: ..." when the call fails
//   esc          "*Cancel*"
//   new, open, save, load, unload
//                the drawing and add-in actions of the script
//   help         (typed "help" or "?", or "!help") lists the actions, the
//                commands and LISP functions of the add-ins, and the host's
//                own commands
//   quit         (typed "quit" or "exit", or "!quit") ends the session
//
// For a person at the terminal, "quit", "!new" and "!open" first ask before
// a drawing with unsaved work is dropped (a Yes/No message box, No the
// default).
//
// Any other action reaching the command prompt answers nothing that waits
// (a dialog click with no dialog open). In a script that is a script error,
// and the loop stops there, naming the action's line; at the terminal it is
// the user's slip: the loop says so and goes on.
//
// A save that fails is said on the command line. A script stops there, as
// what follows may count on the drawing being kept (a new drawing, another
// one opened); at the terminal the user reads it and goes on.
#pragma once

#include <functional>
#include <string>

#include "host/system/result.h"
#include "host/system/user_actions.h"

namespace host {

struct SessionOptions {
  // Show "Command: " before reading each action (on a terminal).
  bool interactive = false;
  // The script line of the action taken last; 0 when unknown.
  std::function<int()> current_line;
  // Ask before a drawing with unsaved work is dropped (a person at the
  // terminal, whose drawing is not saved at the end).
  bool ask_before_dropping = false;
};

struct SessionReport {
  int line = 0;              // the script line of a script error or failed save
  bool save_failed = false;  // the last save asked for failed
  std::wstring save_error;   // why
  bool quit = false;         // the user ended the session
};

// kNormal, or kError for a script error: its message, and in the value the
// script line it names (0 when none). A failed save is kNormal with
// `save_failed` set.
Result<SessionReport> RunSession(const SessionOptions& options);

// Runs one command-prompt action (the step of the loop above); kError, with
// the message, for an action nothing takes. A save is recorded in `report`.
Result<> RunTopLevelAction(const UserAction& action, SessionReport* report,
                           const SessionOptions& options = {});

// What "help" prints.
std::wstring SessionHelp();

}  // namespace host
