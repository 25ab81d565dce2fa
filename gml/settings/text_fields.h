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

#include "common/containers/text.h"

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

// Fixed-width fields are filled and read through the bounded helpers of
// common/containers/text.h.
using ::CopyField;
using ::FieldText;

// Equality with ASCII letters compared without case.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace gml_settings
