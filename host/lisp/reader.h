// Reading and running the `(name arg ...)` lines of a script.
//
// The reader takes one expression from a line:
//   - strings in double quotes, with the escapes \" \\ \n \r \t \e and \nnn
//     (octal);
//   - integers (16-bit ones become shorts; beyond 32 bits, reals) and reals
//     (1.5, -2., .5, 1e5);
//   - nil and T, in any letter case;
//   - symbols, and quoted data: 'name, '(...), (quote ...);
//   - lists in parentheses; a list of two or three numbers is a point.
// A ';' outside a string starts a comment that runs to the end of the line.
//
// Running a line evaluates it as LISP does: a list whose first item is a
// symbol calls that function with its other items evaluated in order; a
// symbol gives its value (nil when unset); other values give themselves.
// (setq name value ...) sets symbols and gives the last value.
#pragma once

#include <string>
#include <string_view>

#include "host/lisp/call.h"
#include "host/lisp/value.h"

namespace host::lisp {

struct ReadResult {
  bool ok = false;
  Value form;          // the expression read
  std::wstring error;  // why it could not be read
};

// Reads exactly one expression from `text`; blanks and a comment may
// surround it, anything else after it is an error.
ReadResult ReadExpression(std::wstring_view text);

// Evaluates an expression that ReadExpression gave.
CallResult Evaluate(const Value& form);

// Reads and evaluates one line. A line that cannot be read fails with the
// reader's message.
CallResult RunLispLine(std::wstring_view line);

// True when the first character of `line` that is not a blank is '('.
bool IsLispLine(std::wstring_view line);

}  // namespace host::lisp
