#include "gml/reader/gml_numbers.h"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/system/wide_text.h"

namespace {

const char* SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  return p;
}

}  // namespace

namespace {

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case of a coordinate or value: an optional '-', digits with an
// optional fraction, no exponent, at most 15 digits in all. Its digits make
// an integer that a double holds exactly, so one division by an exact power
// of ten rounds exactly as from_chars does. Reads from `p` up to `end`; the
// place it stopped at, or null for anything else, which is left to the
// general parser.
const char* ReadPlainDecimal(const char* p, const char* end, double* value) {
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fractionDigits = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    ++digits;
  }
  if (p < end && *p == '.') {
    ++p;
    while (p < end && *p >= '0' && *p <= '9') {
      mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
      ++digits;
      ++fractionDigits;
    }
  }
  if (digits == 0 || digits > 15 || (p < end && (*p == 'e' || *p == 'E'))) return nullptr;
  const double magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[fractionDigits];
  *value = negative ? -magnitude : magnitude;
  return p;
}

}  // namespace

double ParseGmlDouble(const char* text) {
  const char* p = SkipBlanks(text);
  if (*p == '+') ++p;
  const char* end = p + std::strlen(p);
  double value = 0;
  if (ReadPlainDecimal(p, end, &value) != nullptr) return value;
  const auto result = std::from_chars(p, end, value);
  // Out of range is rare enough to leave to the C library, which gives the
  // overflowing or underflowing value as atof does.
  if (result.ec == std::errc::result_out_of_range) return std::strtod(p, nullptr);
  return result.ec == std::errc() ? value : 0.0;
}

double ParseGmlNumber(const char* text, std::size_t length) {
  // Plain decimals filling the whole span are worked out here as
  // GmlNumberBuilder would; the rest goes through the builder.
  double value = 0;
  if (ReadPlainDecimal(text, text + length, &value) == text + length) return value;
  char copy[128];
  if (length >= sizeof copy) length = sizeof copy - 1;
  GmlNumberBuilder number;
  for (std::size_t i = 0; i < length; ++i) {
    copy[i] = text[i];
    number.Add(text[i]);
  }
  copy[length] = 0;
  return number.Value(copy);
}

double GmlNumberBuilder::Value(const char* text) const {
  if (stage_ == kGeneral || digits_ == 0 || digits_ > 15) return ParseGmlDouble(text);
  const double magnitude = static_cast<double>(mantissa_) / kExactPowersOfTen[fractionDigits_];
  return negative_ ? -magnitude : magnitude;
}

std::int32_t ParseGmlInt(const char* text) {
  const char* p = SkipBlanks(text);
  if (*p == '+') ++p;
  long long value = 0;
  const auto result = std::from_chars(p, p + std::strlen(p), value);
  if (result.ec != std::errc()) return 0;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

bool ParseGmlIntInRange(const char* text, std::int32_t* value) {
  const char* p = SkipBlanks(text);
  if (*p == '+') ++p;
  long long wide = 0;
  const auto result = std::from_chars(p, p + std::strlen(p), wide);
  if (result.ec == std::errc::result_out_of_range || wide > INT32_MAX || wide < INT32_MIN)
    return false;
  *value = result.ec == std::errc() ? static_cast<std::int32_t>(wide) : 0;
  return true;
}

std::uint32_t CharacterReferenceValue(std::string_view name) {
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  std::uint32_t value = 0;
  const auto result =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
  if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) return 0;
  // The characters XML allows (controls below 0x20 pass, as they always
  // did), never a surrogate, U+FFFE, U+FFFF or past U+10FFFF.
  if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE ||
      value == 0xFFFF || value > 0x10FFFF)
    return 0;
  return value;
}

std::size_t DecodeXmlText(char* text) {
  // Most texts hold no reference at all.
  char* out = std::strchr(text, '&');
  if (out == nullptr) return std::strlen(text);
  for (const char* in = out; *in != 0;) {
    if (*in != '&') {
      *out++ = *in++;
      continue;
    }
    const char* semicolon = std::strchr(in, ';');
    if (semicolon == nullptr || semicolon - in > 10) {
      *out++ = *in++;
      continue;
    }
    const std::size_t length = static_cast<std::size_t>(semicolon - in - 1);
    const char* name = in + 1;
    std::uint32_t decoded = 0;
    if (length == 3 && std::strncmp(name, "amp", 3) == 0) decoded = '&';
    else if (length == 2 && std::strncmp(name, "lt", 2) == 0) decoded = '<';
    else if (length == 2 && std::strncmp(name, "gt", 2) == 0) decoded = '>';
    else if (length == 4 && std::strncmp(name, "apos", 4) == 0) decoded = '\'';
    else if (length == 4 && std::strncmp(name, "quot", 4) == 0) decoded = '"';
    else decoded = CharacterReferenceValue(std::string_view(name, length));
    if (decoded == 0) {
      *out++ = *in++;
      continue;
    }
    // The UTF-8 of a character is shorter than any reference to it, so the
    // text can be rewritten where it stands.
    std::string bytes;
    host::AppendUtf8(bytes, static_cast<wchar_t>(decoded));
    std::memcpy(out, bytes.data(), bytes.size());
    out += bytes.size();
    in = semicolon + 1;
  }
  *out = 0;
  return static_cast<std::size_t>(out - text);
}
