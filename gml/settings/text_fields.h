// Small parsers for the labelled lines of the support files.
//
// Numbers are read the way the files have always been read: leading blanks
// skipped, an optional sign, digits up to the first other character; no
// digits read as 0. Integers saturate instead of overflowing, so a huge value
// falls outside any range check. Text is copied into fixed-width fields only
// through CopyField, which cuts and terminates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gml_settings {

// The decimal integer at the start of `text` (0 when there is none),
// saturated to the 32-bit range.
std::int32_t ReadInt(std::string_view text);
// The real number at the start of `text`; 0.0 when there is none or when it
// is not finite.
double ReadReal(std::string_view text);

// True when `line` contains `label`; `rest` then receives the text after its
// first occurrence.
bool FindLabel(std::string_view line, std::string_view label, std::string_view* rest = nullptr);

// The characters of `text` up to its first blank or line end, at most
// `maxChars` of them.
std::string_view TokenUpToBlank(std::string_view text, std::size_t maxChars);
// The first `maxChars` characters of `text`.
std::string_view CutTo(std::string_view text, std::size_t maxChars);

// Copies at most min(maxChars, size - 1) characters of `text` into `dest`
// and terminates it. A NUL inside `text` ends the copy.
void CopyField(char* dest, std::size_t size, std::string_view text,
               std::size_t maxChars = static_cast<std::size_t>(-1));
template <std::size_t N>
void CopyField(char (&dest)[N], std::string_view text,
               std::size_t maxChars = static_cast<std::size_t>(-1)) {
  CopyField(dest, N, text, maxChars);
}
// The text of a terminated fixed-width field (never reads past its end).
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return std::string_view(field, n);
}

// Equality with ASCII letters compared without case.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace gml_settings
