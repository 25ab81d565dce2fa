#include "host/db/shortest_real.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace host::db {
namespace {

// 10^0 to 10^22, every one exact in a double.
constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMostDecimals = 22;

char* Fallback(char* out, double value) { return std::to_chars(out, out + kShortestRealRoom, value).ptr; }

constexpr std::uint64_t kTens[] = {1ull,
                                   10ull,
                                   100ull,
                                   1000ull,
                                   10000ull,
                                   100000ull,
                                   1000000ull,
                                   10000000ull,
                                   100000000ull,
                                   1000000000ull,
                                   10000000000ull,
                                   100000000000ull,
                                   1000000000000ull,
                                   10000000000000ull,
                                   100000000000000ull,
                                   1000000000000000ull,
                                   10000000000000000ull};

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The 8 decimal digits of x (below 10^8), leading zeros included, as the
// characters of a little-endian word: the first digit in the lowest byte.
// The halves, quarters and digits are split in lanes of one word.
std::uint64_t EightDigits(std::uint64_t x) {
  const std::uint64_t halves = x / 10000 | (x % 10000) << 32;
  const std::uint64_t hundreds = (halves * 10486 >> 20) & 0x0000007F0000007Full;  // a lane's x / 100
  const std::uint64_t quarters = hundreds | (halves - 100 * hundreds) << 16;
  const std::uint64_t tens = (quarters * 103 >> 10) & 0x000F000F000F000Full;  // a lane's x / 10
  const std::uint64_t digits = tens | (quarters - 10 * tens) << 8;
  return digits + 0x3030303030303030ull;
}

// The number of decimal digits of x (0 < x < 10^16).
int DigitCount(std::uint64_t x) {
  const int guess = (std::bit_width(x) * 1233) >> 12;  // 1233 / 4096 just above log10(2)
  return guess + (x >= kTens[guess] ? 1 : 0);
}

// Writes the last `count` digits of x, leading zeros included, so that they
// end at `end`; returns x without them.
std::uint64_t DigitsBefore(char* end, std::uint64_t x, int count) {
  for (; count >= 2; count -= 2) {
    end -= 2;
    std::memcpy(end, kPairs + 2 * (x % 100), 2);
    x /= 100;
  }
  if (count > 0) {
    *--end = static_cast<char>('0' + x % 10);
    x /= 10;
  }
  return x;
}

// The value's decimals are found with one product and one quotient: for a
// positive a below 2^50 and k decimals with a·10^k below 2^50, the product
// is within 1/8 of exact, and a decimal of k places that reads back as a is
// within 1/8 of a·10^k; so the integer nearest the product is the only
// candidate, and the quotient (correctly rounded, as reading is) says
// whether it reads back. With k as large as that bound allows, the decimal
// found, its trailing zeros dropped, is the one of fewest digits that reads
// back, the one to_chars gives: a shorter one would have no more places,
// and so be the same candidate. What has more than k places, and zero,
// infinities and NaN, go to std::to_chars itself.
//
// Of the fixed and scientific forms of those digits, the shorter is
// written, the fixed one when both are as long, as to_chars does.
char* WriteAnyReal(char* out, double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const int binaryExponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;  // a in [2^e, 2^(e+1))
  if (binaryExponent > 49 || binaryExponent < -1022) return Fallback(out, value);
  const bool negative = (bits >> 63) != 0;
  const double a = negative ? -value : value;

  // The most places k with 2^(e+1)·10^k at most 2^50: k ≤ (49 - e)·log10(2),
  // 78913 / 2^18 being just below log10(2).
  int places = ((49 - binaryExponent) * 78913) >> 18;
  if (places > kMostDecimals) places = kMostDecimals;
  const double power = kPowers[places];
  std::uint64_t digits = static_cast<std::uint64_t>(a * power + 0.5);
  if (digits == 0 || static_cast<double>(digits) / power != a) return Fallback(out, value);

  // value = ±digits·10^point, with no trailing zero in digits (at most 15 of
  // them below 2^50).
  int point = -places;
  if (digits % 100000000 == 0) digits /= 100000000, point += 8;
  if (digits % 10000 == 0) digits /= 10000, point += 4;
  if (digits % 100 == 0) digits /= 100, point += 2;
  if (digits % 10 == 0) digits /= 10, point += 1;

  const int n = DigitCount(digits);
  const int scientific = n - 1 + point;
  const int magnitude = scientific < 0 ? -scientific : scientific;
  const int fixedLength = point >= 0 ? n + point : n > -point ? n + 1 : 2 - point;
  const int scientificLength = n + (n > 1 ? 1 : 0) + 2 + (magnitude >= 100 ? 3 : 2);

  if (negative) *out++ = '-';
  if (fixedLength <= scientificLength) {
    // Being no longer than the scientific form, the fixed one has at most 5
    // zeros after the digits and at most 3 before them.
    if (point >= 0) {
      DigitsBefore(out + n, digits, n);
      std::memcpy(out + n, "00000000", 8);
      return out + n + point;
    }
    if (n > -point) {
      const int whole = n + point;
      const std::uint64_t wholeDigits = DigitsBefore(out + n + 1, digits, -point);
      out[whole] = '.';
      DigitsBefore(out + whole, wholeDigits, whole);
      return out + n + 1;
    }
    std::memcpy(out, "0.000000", 8);
    DigitsBefore(out + 2 - point, digits, n);
    return out + 2 - point;
  }
  const std::uint64_t first = DigitsBefore(out + n + 1, digits, n - 1);
  out[0] = static_cast<char>('0' + first);
  out[1] = '.';
  out += n > 1 ? n + 1 : 1;
  *out++ = 'e';
  *out++ = scientific < 0 ? '-' : '+';
  if (magnitude >= 100) *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

}  // namespace

// Most reals of a drawing are coordinates and sizes from 1 to 10^8 of a few
// places. For them the same reasoning runs with 6 places (below 10^14, well
// under 2^50): the digits are found, and the text made, without a branch
// that depends on the digits, in whole-word steps.
char* WriteShortestReal(char* out, double value) {
  const double a = value < 0 ? -value : value;
  if (!(a >= 1 && a < 1e8)) return WriteAnyReal(out, value);
  const std::uint64_t millionths = static_cast<std::uint64_t>(a * 1e6 + 0.5);
  if (static_cast<double>(millionths) / 1e6 != a) return WriteAnyReal(out, value);
  const std::uint64_t whole = millionths / 1000000;
  const std::uint64_t fraction = millionths % 1000000;
  // A whole number ending in 5 zeros or more is shorter in scientific form.
  if (fraction == 0 && whole % 100000 == 0) return WriteAnyReal(out, value);

  *out = '-';
  out += value < 0 ? 1 : 0;
  const int n = DigitCount(whole);
  const std::uint64_t wholeText = EightDigits(whole) >> (8 * (8 - n));
  const std::uint64_t fractionText = EightDigits(fraction) >> 16;  // its last 6 digits
  // Trailing zeros of the fraction: the high bytes of the six that hold '0'.
  const int zeros = std::countl_zero(fractionText ^ 0x0000303030303030ull) / 8 - 2;
  const int places = 6 - zeros;
  std::memcpy(out, &wholeText, 8);
  out[n] = '.';
  std::memcpy(out + n + 1, &fractionText, 8);
  return out + n + (places > 0 ? 1 + places : 0);
}

}  // namespace host::db
