#include "host/system/wide_text.h"

#include <gtest/gtest.h>

namespace host {
namespace {

TEST(WideText, ByteIsUnitAndConversionStopsWhereTheRuleEnds) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view narrow;
    std::wstring_view wide;
  };
  // Both ways the same text.
  const Case round_trips[] = {
      {"", L""},
      {"plain", L"plain"},
      {"\xA3" "5 \xFF", L"\xA3" L"5 \xFF"},
  };
  for (const Case& c : round_trips) {
    SCOPED_TRACE(std::string(c.narrow));
    EXPECT_EQ(WidenText(c.narrow), c.wide);
    EXPECT_EQ(NarrowText(c.wide), c.narrow);
  }
  // A NUL ends either way; a unit above 255 ends the 8-bit form.
  EXPECT_EQ(WidenText("ab\0cd"sv), L"ab");
  EXPECT_EQ(NarrowText(L"ab\0cd"sv), "ab");
  EXPECT_EQ(NarrowText(L"ok\x20AC" L"no"), "ok");
  EXPECT_EQ(NarrowText(L"\x0100"), "");
}

}  // namespace
}  // namespace host
