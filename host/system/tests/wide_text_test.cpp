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

TEST(WideText, UpperAsciiFoldsOnlyAsciiLetters) {
  EXPECT_EQ(UpperAscii(L"Software\\CadHost_9"), L"SOFTWARE\\CADHOST_9");
  EXPECT_EQ(UpperAscii(L"az{`@AZ"), L"AZ{`@AZ");  // the neighbours of the letters stay
  EXPECT_EQ(UpperAscii(L"\xE9t\xE9"), L"\xE9T\xE9");    // other letters keep their case
  EXPECT_EQ(UpperAscii(L""), L"");
}

TEST(WideText, Utf8BothWaysAndStrayBytesReadAsThemselves) {
  struct Case {
    std::wstring_view wide;
    std::string_view utf8;
  };
  const Case round_trips[] = {
      {L"", ""},
      {L"plain", "plain"},
      {L"pl\xE4n", "pl\xC3\xA4n"},
      {L"\x5C42/a", "\xE5\xB1\x82/a"},
      {L"\U0001F600", "\xF0\x9F\x98\x80"},
  };
  for (const Case& c : round_trips) {
    SCOPED_TRACE(std::string(c.utf8));
    EXPECT_EQ(EncodeUtf8(c.wide), c.utf8);
    EXPECT_EQ(DecodeUtf8(c.utf8), c.wide);
  }
  // Not UTF-8: a Latin-1 byte, a cut sequence, an overlong form, a lead byte
  // past U+10FFFF, a surrogate. Each byte stands for itself.
  EXPECT_EQ(DecodeUtf8("s\xE4"), L"s\xE4");
  EXPECT_EQ(DecodeUtf8("\xE5\xB1"), L"\xE5\xB1");
  EXPECT_EQ(DecodeUtf8("\xE0\x80\xAF"), L"\xE0\x80\xAF");
  EXPECT_EQ(DecodeUtf8("\xF5\x80\x80\x80"), L"\xF5\x80\x80\x80");
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), L"\xED\xA0\x80");
  EXPECT_EQ(DecodeUtf8("\xE4", 0xDC00), L"\xDCE4");
  // A unit that is no code point is written as the replacement character.
  EXPECT_EQ(EncodeUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

TEST(WideText, CaseIgnoredInEveryAlphabet) {
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    bool same;
  };
  for (const Case& c : std::initializer_list<Case>{
           {L"Heol \u0174yn", L"heol \u0175YN", true},  // Welsh w circumflex
           {L"T\u0176 Newydd", L"t\u0177 newydd", true},  // y circumflex
           {L"Caf\u00E9", L"CAF\u00C9", true},
           {L"\u0391\u03B8\u03AE\u03BD\u03B1", L"\u03B1\u0398\u0389\u039D\u0391", true},
           {L"Heol Wyn", L"Heol \u0174yn", false},  // a letter is not its accented form
           {L"Stra\u00DFe", L"STRASSE", false},  // lengths differ: no expansion
           {L"Mill Road", L"Mill Road ", false},
           {L"", L"", true},
       }) {
    SCOPED_TRACE(EncodeUtf8(c.a) + " / " + EncodeUtf8(c.b));
    EXPECT_EQ(SameIgnoringCase(c.a, c.b), c.same);
  }
}

TEST(WideText, PartFoundWithCaseIgnoredInEveryAlphabet) {
  struct Case {
    const wchar_t* text;
    const wchar_t* part;
    bool found;
  };
  for (const Case& c : std::initializer_list<Case>{
           {L"WESTERN WAY", L"western way", true},
           {L"HEOL \u0174YN FAWR", L"\u0175yn", true},
           {L"HEOL \u0174YN", L"heol wyn", false},
           {L"MILL ROAD", L"road", true},  // at the end
           {L"MILL ROAD", L"ROADS", false},
           {L"MILL", L"MILL ROAD", false},  // longer than the text
           {L"MILL", L"", true},
       }) {
    SCOPED_TRACE(EncodeUtf8(c.text) + " / " + EncodeUtf8(c.part));
    EXPECT_EQ(ContainsIgnoringCase(c.text, c.part), c.found);
  }
}

TEST(WideText, AsciiCaseFoldLeavesOtherLetters) {
  EXPECT_TRUE(SameIgnoringAsciiCase("Sort By", "sORT bY"));
  EXPECT_FALSE(SameIgnoringAsciiCase("\xE9", "\xC9"));
  EXPECT_FALSE(SameIgnoringAsciiCase("ab", "abc"));
  EXPECT_TRUE(SameIgnoringAsciiCase(L"TestAddin", L"TESTADDIN"));
  EXPECT_FALSE(SameIgnoringAsciiCase(L"\xE9", L"\xC9"));
  EXPECT_TRUE(StartsWithIgnoringAsciiCase("Cross section 1", "CROSS"));
  EXPECT_FALSE(StartsWithIgnoringAsciiCase("Cro", "CROSS"));
  EXPECT_LT(CompareIgnoringAsciiCase("apple", "BANANA"), 0);
  EXPECT_EQ(CompareIgnoringAsciiCase("Apple", "aPPLE"), 0);
  EXPECT_LT(CompareIgnoringAsciiCase("ab", "ABC"), 0);
  EXPECT_LT(CompareIgnoringAsciiCase("[", "a"), 0);  // folded to small letters, as strcasecmp
}

}  // namespace
}  // namespace host
