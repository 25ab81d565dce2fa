// The host's own commands (host_commands.h) typed at the command prompt, as
// a user runs them: each asks with the host's prompts for what it takes,
// then runs with those arguments.
//
//   LINE          "First point: ", then "Next point: " until
//                 Enter or Esc; the lines drawn so far are kept
//   MOVE, COPY    a selection, "Base point: ", "Second point: "
//   ZOOM          "Corner of window or [Extents/Window] <Extents>: ";
//                 a point typed there is the first corner of a window
//   LIMITS        "Lower left corner or [ON/OFF] <0,0>: ", then the
//                 upper right corner
//   UNDO          "Enter an option [Mark/BEgin/End/Back/Auto]: "
//   REDRAW        no questions
//
// Esc at any prompt ends the command with "*Cancel*"; a wrong answer gets the
// host's message and ends it. Names take '_' or '.' before them, case ignored.
#pragma once

#include <string_view>

namespace host {

// Runs the host command `name` typed at the command prompt; false when
// `name` names none (nothing is asked then).
bool RunTypedHostCommand(std::wstring_view name);

}  // namespace host
