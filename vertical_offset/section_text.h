// Text rules shared by the section data readers and writers: numbers read as
// the C library's atoi and atof read them, names compared with letter case
// ignored, and values formatted with printf formats.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The leading integer of `text` (blanks first skipped; none gives 0); values
// beyond 32 bits are held at the nearest limit.
std::int32_t SectionInt(std::wstring_view text);
std::int32_t SectionInt(std::string_view text);
// The leading real of `text` (none gives 0.0).
double SectionReal(std::wstring_view text);
double SectionReal(std::string_view text);

// ASCII letters compared without regard to case.
bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b);

// `format` (a wide printf format taking one value) applied to `value`.
std::wstring FormatSectionValue(const wchar_t* format, double value);
std::wstring FormatSectionValue(const wchar_t* format, int value);
