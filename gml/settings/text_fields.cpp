#include "gml/settings/text_fields.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "host/system/wide_text.h"

namespace gml_settings {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::int32_t ReadInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

double ReadReal(std::string_view text) {
  std::string copy(text.substr(0, 400));
  char* end = nullptr;
  double value = std::strtod(copy.c_str(), &end);
  if (end == copy.c_str() || !std::isfinite(value)) return 0.0;
  return value;
}

bool FindLabel(std::string_view line, std::string_view label, std::string_view* rest) {
  std::size_t at = line.find(label);
  if (at == std::string_view::npos) return false;
  if (rest != nullptr) *rest = line.substr(at + label.size());
  return true;
}

std::string_view TokenUpToBlank(std::string_view text, std::size_t maxChars) {
  std::size_t n = 0;
  while (n < text.size() && n < maxChars && text[n] != ' ' && text[n] != '\n') ++n;
  return text.substr(0, n);
}

std::string_view CutTo(std::string_view text, std::size_t maxChars) {
  return text.substr(0, maxChars < text.size() ? maxChars : text.size());
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return host::SameIgnoringAsciiCase(a, b); }

}  // namespace gml_settings
