// Numbers and text values of GML elements.
//
// Element values are converted as the C library's atof and atoi would (blanks
// first are skipped, the number ends at the first character that cannot
// belong to it, no number gives 0), with std::from_chars, which rounds
// correctly and is several times faster.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

double ParseGmlDouble(const char* text);
// The value ParseGmlDouble gives for `length` characters (fewer than 128)
// that need not be terminated, read straight from a buffer.
double ParseGmlNumber(const char* text, std::size_t length);
std::int32_t ParseGmlInt(const char* text);
// As ParseGmlInt, false for a number past the 32-bit range (which
// ParseGmlInt would clamp).
bool ParseGmlIntInRange(const char* text, std::int32_t* value);

// Reads a number character by character, for the coordinate reader: the
// common plain decimals (an optional sign, digits with an optional fraction,
// at most 15 digits) are worked out on the way; for anything else `Value`
// falls back on ParseGmlDouble over the same characters. Either way the
// value is the one ParseGmlDouble gives for the characters added.
class GmlNumberBuilder {
 public:
  void Add(char c) {
    const bool digit = c >= '0' && c <= '9';
    switch (stage_) {
      case kStart:
        if (c == '+') stage_ = kAfterPlus;
        else SignOrDigits(c, digit);
        break;
      case kAfterPlus:
        SignOrDigits(c, digit);
        break;
      case kAfterMinus:
        Digits(c, digit, kInteger);
        break;
      case kInteger:
      case kFraction:
        if (digit) AddDigit(c);
        else if (c == '.' && stage_ == kInteger) stage_ = kFraction;
        else if (c == 'e' || c == 'E') stage_ = kGeneral;
        else stage_ = kEnded;  // the number ends; the rest is ignored
        break;
      case kEnded:
      case kGeneral:
        break;
    }
  }
  // The value; `text` holds the characters added, terminated.
  double Value(const char* text) const;
  void Reset() { *this = GmlNumberBuilder{}; }

 private:
  enum Stage : std::uint8_t {
    kStart, kAfterPlus, kAfterMinus, kInteger, kFraction, kEnded, kGeneral
  };
  void SignOrDigits(char c, bool digit) {
    if (c == '-') {
      negative_ = true;
      stage_ = kAfterMinus;
    } else {
      Digits(c, digit, kInteger);
    }
  }
  void Digits(char c, bool digit, Stage next) {
    if (digit) {
      stage_ = next;
      AddDigit(c);
    } else if (c == '.') {
      stage_ = kFraction;
    } else {
      stage_ = kGeneral;
    }
  }
  void AddDigit(char c) {
    mantissa_ = mantissa_ * 10 + static_cast<unsigned>(c - '0');
    ++digits_;
    if (stage_ == kFraction) ++fractionDigits_;
  }

  std::uint64_t mantissa_ = 0;
  int digits_ = 0;
  int fractionDigits_ = 0;
  bool negative_ = false;
  Stage stage_ = kStart;
};

// The character of a numeric reference's name ("#375", "#x177"), or 0 when
// the name is no reference to a character XML allows (bad digits, a
// surrogate, a number past U+10FFFF).
std::uint32_t CharacterReferenceValue(std::string_view name);

// Replaces the XML character references of an element's text in place: the
// five named ones (&amp; &lt; &gt; &apos; &quot;) and numeric ones (&#375;,
// &#x177;), written as their UTF-8. Anything else, a malformed or overlong
// reference too, stays as written. Returns the new length.
std::size_t DecodeXmlText(char* text);
