#include "host/editor/command_line.h"

#include "editor_fixture.h"

namespace {

using CommandLineTest = EditorTest;

TEST_F(CommandLineTest, CarriageReturnOverwritesTheCurrentLineInPlace) {
  struct Case {
    std::vector<std::wstring> prints;
    std::wstring shown;
  };
  const Case cases[] = {
      {{L"\nReading 10%", L"\rReading 20%"}, L"\nReading 20%"},
      {{L"\nLong old text", L"\rShort"}, L"\nShortold text"},
      {{L"a\nb", L"\r\rc"}, L"a\nc"},
      {{L"one\r", L"two\nthree"}, L"two\nthree"},
  };
  for (const Case& c : cases) {
    host::ClearCommandLine();
    for (const std::wstring& p : c.prints) host::Print(p);
    EXPECT_EQ(host::CommandLineText(), c.shown);
  }
}

TEST_F(CommandLineTest, PrintfRecordsTheFormattedTextWithWideStrings) {
  host::Printf(L"\n***Error defining function '%ls'\n", L"lwhgmlax_ads");
  host::Printf(L"%li/%li %.3lf", 3L, 7L, 1.5);
  auto prints = host::Shown().TextsOf("print");
  ASSERT_EQ(prints.size(), 2u);
  EXPECT_EQ(prints[0], L"\n***Error defining function 'lwhgmlax_ads'\n");
  EXPECT_EQ(prints[1], L"3/7 1.500");
}

TEST_F(CommandLineTest, PrintfCutsAnOverlongResultInsteadOfOverrunning) {
  std::wstring big(10000, L'x');
  host::Printf(L"%ls", big.c_str());
  auto prints = host::Shown().TextsOf("print");
  ASSERT_EQ(prints.size(), 1u);
  EXPECT_LT(prints[0].size(), 8192u);
}

}  // namespace
