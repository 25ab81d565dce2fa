// Splitting a support path into its entries and rewriting it.
#include "startup/support_path_entries.h"

#include "startup/tests/product_fixture.h"

namespace startup_test {
namespace {

using SupportPathEntriesTest = ProductTest;

TEST_F(SupportPathEntriesTest, EntriesAndTheLastFolderHoldingTheCatalogue) {
  const std::string a = Dir("a"), b = Dir("b"), c = Dir("c");
  Put("a/lwh_gml.dat", "x");
  Put("c/LWH_GML.DAT", "x");  // found with case ignored
  struct Case {
    const char* what;
    std::string path;
    std::vector<std::string> entries;
    int program;
  } cases[] = {
      {"three entries, no closing ';'", a + ";" + b + ";" + c, {a, b, c}, 2},
      {"three entries, a closing ';'", a + ";" + b + ";" + c + ";", {a, b, c}, 2},
      {"two ';' in a row give an empty entry", a + ";;" + b, {a, "", b}, 0},
      {"no folder holds the catalogue", b + ";" + Path("missing"), {b, Path("missing")}, -1},
      {"an empty path has no entries", "", {}, -1},
      {"a lone ';' is one empty entry", ";", {""}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::wstring> entries;
    int program = 99;
    const int count = SplitSupportPath(Wide(c.path), &entries, &program);
    std::vector<std::wstring> expected;
    for (const std::string& e : c.entries) expected.push_back(Wide(e));
    EXPECT_EQ(count, static_cast<int>(expected.size()));
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(program, c.program);
  }
}

TEST_F(SupportPathEntriesTest, TheRewriteKeepsEveryEntryWhole) {
  EXPECT_EQ(NewSupportPath(L"/l/", {L"first", L"program", L"second"}, 1), L"/l/;first;second;");
  EXPECT_EQ(NewSupportPath(L"/l/", {L"first", L"", L"program"}, 2), L"/l/;first;;");

  // Far over 50 entries and 1023 characters an entry.
  std::wstring path;
  std::vector<std::wstring> expected;
  for (int i = 0; i < 120; ++i) {
    std::wstring entry = L"/folder" + std::to_wstring(i) + (i == 77 ? std::wstring(3000, L'x') : L"");
    path += entry + L";";
    expected.push_back(entry);
  }
  path += Wide(ProgramSupport());
  std::vector<std::wstring> entries;
  int program = -1;
  ASSERT_EQ(SplitSupportPath(path, &entries, &program), 121);
  EXPECT_EQ(program, 120);
  std::wstring rewritten = L"/l/;";
  for (const std::wstring& e : expected) rewritten += e + L";";
  EXPECT_EQ(NewSupportPath(L"/l/", entries, program), rewritten);
}

}  // namespace
}  // namespace startup_test
