#include "vertical_offset/section_text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwchar>

#include "host/system/wide_text.h"

namespace {

std::int32_t Clamp(long long value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t SectionInt(std::wstring_view text) {
  const std::wstring terminated(text);
  return Clamp(std::wcstoll(terminated.c_str(), nullptr, 10));
}

std::int32_t SectionInt(std::string_view text) {
  const std::string terminated(text);
  return Clamp(std::strtoll(terminated.c_str(), nullptr, 10));
}

double SectionReal(std::wstring_view text) {
  const std::wstring terminated(text);
  return std::wcstod(terminated.c_str(), nullptr);
}

double SectionReal(std::string_view text) {
  const std::string terminated(text);
  return std::strtod(terminated.c_str(), nullptr);
}

bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return host::SameIgnoringAsciiCase(a, b);
}

std::wstring FormatSectionValue(const wchar_t* format, double value) {
  wchar_t buffer[512];
  const int n = std::swprintf(buffer, sizeof buffer / sizeof buffer[0], format, value);
  return n < 0 ? std::wstring() : std::wstring(buffer, static_cast<std::size_t>(n));
}

std::wstring FormatSectionValue(const wchar_t* format, int value) {
  wchar_t buffer[64];
  const int n = std::swprintf(buffer, sizeof buffer / sizeof buffer[0], format, value);
  return n < 0 ? std::wstring() : std::wstring(buffer, static_cast<std::size_t>(n));
}
