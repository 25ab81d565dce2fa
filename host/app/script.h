// The cadhost script: one user action per line.
//
//   text                 typed at the command line: a command name, or the
//                        answer to the current prompt, exactly as written
//   (empty line)         Enter
//   (name arg ...)       calls a LISP function
//   # comment            ignored (a line whose first non-blank is '#')
//   !verb arg ...        a marked action: "!esc", "!pick 2A", ...
//
// Arguments of a marked action are separated by blanks; an argument in
// double quotes may hold blanks, with \" and \\ inside. "!type text" types
// the rest of the line exactly (for text that starts with '!', '(' or '#').
// "!at pump N action" and "!at poll N action" time the action after them to
// the n-th message pump or break poll. The verbs are documented in
// host/app/README.md; verbs this file does not know pass through unchanged,
// for the dialogs that take them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/system/user_actions.h"

namespace host {

struct ScriptAction {
  int line = 0;  // 1-based line of the script
  UserAction action;
};

struct [[nodiscard]] ScriptParse {
  bool ok = true;
  std::vector<ScriptAction> actions;
  int error_line = 0;
  std::wstring error;
};

enum class LineKind { kAction, kSkip, kError };
struct LineParse {
  LineKind kind = LineKind::kSkip;
  UserAction action;
  std::wstring error;
};

// Parses one line (without its line end).
LineParse ParseScriptLine(std::wstring_view line);
// Parses a whole script; stops at the first line in error.
ScriptParse ParseScript(std::wstring_view text);

// A script line from an action, for showing it ("!pick 2A", "LINE").
std::wstring ActionText(const UserAction& action);

}  // namespace host
