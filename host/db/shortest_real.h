// Real numbers as the shortest text that reads back as the same double: the
// characters std::to_chars(first, last, value) writes, fast for the values a
// drawing is mostly made of (coordinates and sizes of a few decimals).
#pragma once

#include <cstddef>

namespace host::db {

// Room `WriteShortestReal` needs: the longest double is 24 characters
// ("-2.2250738585072014e-308"), and the writing copies in whole pieces that
// may run past the end of the text.
inline constexpr std::size_t kShortestRealRoom = 48;

// Writes `value` at `out` (at least kShortestRealRoom characters of room)
// and returns the end of the text; no terminating zero, and what lies past
// the end is left undefined.
char* WriteShortestReal(char* out, double value);

}  // namespace host::db
