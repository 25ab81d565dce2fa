// The DXF writer's real numbers: the same characters as std::to_chars for
// every double, the quick forms and the values at their edges included.
#include "host/db/shortest_real.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace host::db {
namespace {

std::string Shortest(double value) {
  char text[kShortestRealRoom];
  return std::string(text, WriteShortestReal(text, value));
}

std::string Expected(double value) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The value, its negative and its two neighbours all as to_chars has them.
void ExpectAsToChars(double value) {
  for (double v : {value, -value, std::nextafter(value, 0.0), std::nextafter(value, HUGE_VAL)})
    ASSERT_EQ(Shortest(v), Expected(v)) << "value " << std::hexfloat << v;
}

TEST(ShortestRealTest, EdgesOfTheQuickFormsAndOfTheFixedAndScientificChoice) {
  constexpr double kMax = std::numeric_limits<double>::max();
  constexpr double kMin = std::numeric_limits<double>::min();
  constexpr double kTrue = std::numeric_limits<double>::denorm_min();
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0.0, "0"},
      {-0.0, "-0"},
      {1.0, "1"},
      {437423.35, "437423.35"},  // a coordinate of a few places
      {-292345.123, "-292345.123"},
      {0.1, "0.1"},
      {0.3, "0.3"},
      {0.1 + 0.2, "0.30000000000000004"},  // no shorter decimal reads back
      {99999999.999999, "99999999.999999"},  // the quick form's largest kind
      {99999999.9999999, "99999999.9999999"},
      {1e8, "1e+08"},
      {10000.0, "10000"},  // fixed and scientific as long: fixed
      {100000.0, "1e+05"},  // scientific shorter
      {123400000.0, "123400000"},
      {1234000000.0, "1.234e+09"},
      {500000.0, "5e+05"},
      {500001.0, "500001"},
      {0.001, "0.001"},  // as long both ways: fixed
      {0.0001, "1e-04"},
      {0.0001234, "0.0001234"},
      {0.00001234, "1.234e-05"},
      {1125899906842624.0, "1125899906842624"},  // 2^50
      {9007199254740993.0, "9007199254740992"},  // past 2^53
      {1e22, "1e+22"},
      {1e23, "1e+23"},
      {kMax, "1.7976931348623157e+308"},
      {kMin, "2.2250738585072014e-308"},
      {kTrue, "5e-324"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Shortest(c.value), c.text);
    ExpectAsToChars(c.value);
  }
  EXPECT_EQ(Shortest(std::nan("")), Expected(std::nan("")));
}

TEST(ShortestRealTest, EveryScaleAndEveryNumberOfDigitsReadsAsToCharsHasIt) {
  // Decimals of 1 to 17 digits at every scale the quick forms cover and
  // around them, whole numbers with trailing zeros, the places of
  // millimetres, and doubles of any bits.
  std::mt19937_64 random(20261211);
  for (int i = 0; i < 40000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 17);
    const std::uint64_t mantissa = random() % static_cast<std::uint64_t>(std::pow(10.0, digits));
    const int exponent = static_cast<int>(random() % 50) - 30;
    ExpectAsToChars(std::strtod((std::to_string(mantissa) + "e" + std::to_string(exponent)).c_str(), nullptr));
    ExpectAsToChars(static_cast<double>(random() % 2000000000) / 1000.0);
    ExpectAsToChars(static_cast<double>(random() % 100000) * 100000.0);
    std::uint64_t bits = random();
    double any = 0;
    std::memcpy(&any, &bits, sizeof any);
    if (!std::isnan(any)) ExpectAsToChars(any);
  }
  for (int e = -325; e <= 308; ++e)
    for (int d : {1, 9, 25, 99, 123}) ExpectAsToChars(std::strtod((std::to_string(d) + "e" + std::to_string(e)).c_str(), nullptr));
}

}  // namespace
}  // namespace host::db
