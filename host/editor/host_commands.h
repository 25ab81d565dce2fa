// The host's own commands that add-ins run, with their arguments as the
// command line would get them.
//
//   REDRAW                        clears temporary vectors
//   LINE p1 p2 [p3 ...] [""]      lines from point to point on the current layer
//   LIMITS OFF | ON | p1 p2       recorded (limits checking is not kept)
//   ZOOM W p1 p2 | ZOOM E         the view to a window, or to the extents
//   UNDO M | BE | E | ...         recorded (marks and groups; nothing is undone)
//   MOVE sel "" base second       moves the selected entities by second - base
//   COPY sel "" base second       copies them by second - base (xdata too)
//
// MOVE and COPY take every kind of entity whose points the host knows
// (host/db/entity_move.h); the others stay as they are, and the command line
// says how many of which kind: "\n2 objects not moved: 1 REGION, 1 BODY".
//
// Names and options take a leading '_' (the language-independent form) or
// '.', with case ignored; options may be spelt out ("_Window", "_Extents",
// "_Mark"). Each command run is recorded in the transcript as "command" with
// its arguments. A command with arguments it cannot take answers kError and
// changes nothing.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/db/values.h"
#include "host/editor/selection.h"
#include "host/system/status.h"

namespace host {

struct CommandSelection {
  SelectionSetId set = 0;
};

using CommandArg = std::variant<std::wstring, db::Point3, double, int, CommandSelection, EntityName>;

[[nodiscard]] Status RunHostCommand(const std::vector<CommandArg>& args);

// True when `name` names one of the commands above (with '_' or '.' before
// it, case ignored).
bool IsHostCommand(std::wstring_view name);

// Attaches the drawing at `path` (a ".dwg" name reads the ".dxf" beside it)
// to the working drawing under `block_name`: its model space becomes a block
// of that name, referenced at the origin on the current layer. The host keeps
// no link to the file: the attached content is a copy, saved with the
// drawing. A name the drawing defines already is not read again: it gets
// another reference of that definition. kError when the file cannot be read
// or the name is not a valid block name. Recorded as "xref".
[[nodiscard]] Status AttachXref(std::wstring_view path, std::wstring_view block_name);

}  // namespace host
