// Element values read as numbers: every value must come out bit for bit as
// a correctly rounding parser gives it, whichever way the reader takes.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "gml/reader/gml_numbers.h"

namespace {

// What atof would give, through from_chars (correctly rounded): blanks and
// one '+' skipped, the longest number at the start, 0 without one.
double Expected(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
  if (*p == '+') ++p;
  double value = 0;
  const auto result = std::from_chars(p, p + std::strlen(p), value);
  if (result.ec == std::errc::result_out_of_range) return std::strtod(p, nullptr);
  return result.ec == std::errc() ? value : 0.0;
}

void ExpectSameBits(const std::string& text) {
  const double got = ParseGmlDouble(text.c_str());
  const double want = Expected(text.c_str());
  EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0)
      << "'" << text << "': got " << got << ", expected " << want;
}

TEST(NumberParsing, EdgeCasesRoundAndStopAsTheGeneralParser) {
  for (const char* text : {
           "0", "-0", "-0.000", "0.1", "0.3", "1.", ".5", "-.5", "+.5", "+-1", "-", ".", "-.",
           "", "   ", "1e", "1e5", "1.5E-3", "2.5e+2", "12.5xyz", "1-2", "1.2.3", "1,2",
           "290949.250", "93538.150", "-1234567.891", "123456789012345", "1234567890123456",
           "0.123456789012345", "0.1234567890123456", "99999999999999.9", "9007199254740993",
           "000000000000000001.5", "1.000000000000000000001", "inf", "nan", "0x10",
           "179769313486231570000000000000000000000000000000000000000000000000000000000000000000"
           "0000000000000000000000000000000000000000000000000000000000000000000000000000000000"
           "0000000000000000000000000000000000000000000000000000000000000000000000000000000000"
           "000000000000000000000000000000000000000000000000000000000000000000000000000.0",
           "1e400", "1e-400", " \t\n42.125", "7 8"})
    ExpectSameBits(text);
}

TEST(NumberParsing, RandomDecimalsRoundAsTheGeneralParser) {
  // Decimals of every length around the 15 significant digits a double
  // holds, with and without a sign and leading zeros.
  std::mt19937_64 random(12345);
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    if (random() % 3 == 0) text += '-';
    const int integerDigits = static_cast<int>(random() % 12);
    const int fractionDigits = static_cast<int>(random() % 12);
    for (int d = 0; d < integerDigits; ++d) text += static_cast<char>('0' + random() % 10);
    if (fractionDigits > 0 || random() % 2 == 0) text += '.';
    for (int d = 0; d < fractionDigits; ++d) text += static_cast<char>('0' + random() % 10);
    ExpectSameBits(text);
    if (HasFailure()) return;
  }
}

// The coordinate reader builds its numbers character by character: for any
// run of the characters a coordinate may hold, the value must be the one
// ParseGmlDouble gives for the same text.
double Built(const std::string& text) {
  GmlNumberBuilder number;
  for (const char c : text) number.Add(c);
  return number.Value(text.c_str());
}

void ExpectBuiltAsParsed(const std::string& text) {
  const double got = Built(text);
  const double want = ParseGmlDouble(text.c_str());
  EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0)
      << "'" << text << "': built " << got << ", parsed " << want;
}

TEST(NumberBuilding, CharacterByCharacterGivesTheParsedValue) {
  for (const char* text :
       {"", "0", "-0", "+", "-", ".", "+-1", "-+1", "++1", "--1", "+.5", "-.5", ".e1", "1.",
        "1.2.3", "1-2", "1+2", "1-e5", "1e5", "1E-3", "2.5e+2", "e5", "-e", "290949.250",
        "-93538.150", "123456789012345", "1234567890123456", "0.1234567890123456",
        "9007199254740993"})
    ExpectBuiltAsParsed(text);

  // Every mix of the characters a coordinate token may hold.
  std::mt19937_64 random(6789);
  const std::string alphabet = "0123456789.-+eE";
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    const int length = static_cast<int>(random() % 20);
    for (int k = 0; k < length; ++k) {
      // Mostly digits, so that long plain numbers come up as well.
      const bool digit = random() % 3 != 0;
      text += digit ? alphabet[random() % 10] : alphabet[10 + random() % 5];
    }
    ExpectBuiltAsParsed(text);
    if (HasFailure()) return;
  }
}

}  // namespace
