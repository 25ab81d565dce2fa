// The host's own LISP functions that add-ins invoke:
//
//   (acad_colordlg colour [flag])  the colour dialog, opened on `colour` (an
//       integer 0 to 256). It answers the colour index the user chose, or nil
//       when the dialog was cancelled. The user's answer is the action
//       "color" with the index; "esc" cancels. With `flag` nil the ByBlock
//       (0) and ByLayer (256) choices are not offered.
//   (acad_helpdlg file topic)      opens the help file at a topic; recorded
//       in the transcript as "help", answers nil.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/lisp/call.h"

namespace host::lisp {

std::vector<std::pair<std::wstring, HostFunction>> StandardHostFunctions();

}  // namespace host::lisp
