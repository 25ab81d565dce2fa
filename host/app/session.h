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
//
// Any other action reaching the command prompt answers nothing that waits
// (a dialog click with no dialog open): that is a script error, and the loop
// stops there, naming the action's line.
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
};

// kNormal, or kError for a script error: its message, and as the value the
// script line it names (0 when none).
Result<int> RunSession(const SessionOptions& options);

// Runs one command-prompt action (the step of the loop above).
Result<int> RunTopLevelAction(const UserAction& action, int line);

}  // namespace host
