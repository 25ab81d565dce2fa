#include "vertical_offset/section_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/tests/temp_folder.h"
#include "host/editor/support_path.h"
#include "host/system/environment.h"
#include "vertical_offset/tests/section_fixture.h"

namespace {

using section_fixture::SectionDrawing;

std::string Join(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

// A cross section file: title CH 100, chainage 125.5, scales 1 and 10, with
// `subRecords` sub-records of one item each (the count line says `count`).
std::vector<std::string> SectionLinesOf(int count, int subRecords) {
  std::vector<std::string> lines = {"12.5", "40.25", "1", "125.5", "1", "Section A", std::to_string(count)};
  for (int i = 0; i < 12; ++i) lines.push_back(i == 1 ? "1" : i == 2 ? "10" : "0");
  lines.push_back("2.5");
  for (int s = 0; s < subRecords; ++s) {
    for (const char* line : {"1", "7", "ground", "textA", "textB", "1", "2", "3", "4", "0.5", "0.25", "0.125"})
      lines.push_back(line);
  }
  for (const char* line : {"CH 100", "text S", "3", "long T", "long U", "long V", "long W", "long X", "long Y"})
    lines.push_back(line);
  return lines;
}

class SectionFile : public SectionDrawing {
 protected:
  void SetUp() override {
    SectionDrawing::SetUp();
    host::HideEnvironmentVariable(L"LARINI");
    host::SetEnvironmentOverride(L"VMRINI", std::wstring(folder_.Path().begin(), folder_.Path().end()));
  }
  void Write(const std::string& text) { common_test::WriteFile(folder_.File("section.$$$"), text); }
  bool Read() { return ReadSectionFile(record_, identity_, x_, y_); }

  common_test::TempFolder folder_{"section_file"};
  SectionRecord record_;
  SectionIdentity identity_;
  double x_ = 0, y_ = 0;
};

TEST_F(SectionFile, CompleteCrossSection) {
  for (const char* end : {"\n", "\r\n"}) {
    SCOPED_TRACE(end[0] == '\r' ? "CRLF" : "LF");
    host::Shown().Clear();
    Write(Join(SectionLinesOf(2, 2), end));
    ASSERT_TRUE(Read());
    EXPECT_DOUBLE_EQ(x_, 12.5);
    EXPECT_DOUBLE_EQ(y_, 40.25);
    EXPECT_EQ(identity_.kind, 1);
    EXPECT_DOUBLE_EQ(identity_.chainage, 125.5);
    EXPECT_TRUE(identity_.flag);
    EXPECT_EQ(identity_.number, 3);
    EXPECT_STREQ(record_.name, L"Section A");
    EXPECT_DOUBLE_EQ(record_.reals[1], 1);
    EXPECT_DOUBLE_EQ(record_.reals[2], 10);
    EXPECT_DOUBLE_EQ(record_.realE, 2.5);
    ASSERT_NE(record_.subRecords, nullptr);
    ASSERT_NE(record_.subRecords->next, nullptr);
    EXPECT_EQ(record_.subRecords->next->next, nullptr);
    EXPECT_STREQ(record_.subRecords->next->itemB[0], L"textB");
    EXPECT_EQ(record_.subRecords->next->itemN[0], 4);
    EXPECT_DOUBLE_EQ(record_.subRecords->next->realQ, 0.125);
    EXPECT_STREQ(record_.title, L"CH 100");
    EXPECT_STREQ(record_.longTexts[4], L"long X");
    EXPECT_STREQ(record_.longTextY, L"long Y");
    EXPECT_TRUE(host::Shown().Contains("print", L"\nDizoder turned on - CH 100 125.500"));
  }
}

TEST_F(SectionFile, CountsAndWidths) {
  // Count 0: the title follows line 20, one empty node remains.
  Write(Join(SectionLinesOf(0, 0)));
  ASSERT_TRUE(Read());
  ASSERT_NE(record_.subRecords, nullptr);
  EXPECT_EQ(record_.subRecords->next, nullptr);
  EXPECT_STREQ(record_.title, L"CH 100");

  // Above 40: 40 are read, then the title; one extra empty node.
  Write(Join(SectionLinesOf(45, 40)));
  ASSERT_TRUE(Read());
  int nodes = 0;
  for (SectionSubRecord* n = record_.subRecords; n != nullptr; n = n->next) ++nodes;
  EXPECT_EQ(nodes, 41);
  EXPECT_STREQ(record_.title, L"CH 100");

  // A 40-character name keeps 31; a last line without a line end keeps all.
  std::vector<std::string> lines = SectionLinesOf(1, 1);
  lines[5] = std::string(40, 'n');
  std::string text = Join(lines);
  text.pop_back();
  Write(text);
  ASSERT_TRUE(Read());
  EXPECT_EQ(std::wstring(record_.name), std::wstring(31, L'n'));
  EXPECT_STREQ(record_.longTextY, L"long Y");

  // A long section names its title alone.
  lines = SectionLinesOf(1, 1);
  lines[2] = "0";
  host::Shown().Clear();
  Write(Join(lines));
  ASSERT_TRUE(Read());
  EXPECT_TRUE(host::Shown().Contains("print", L"\nDizoder turned on - CH 100"));
  EXPECT_FALSE(host::Shown().Contains("print", L"125.500"));
}

TEST_F(SectionFile, ShortMissingAndDamagedFiles) {
  EXPECT_FALSE(Read()) << "no file";
  EXPECT_TRUE(host::Shown().Items().empty());

  std::vector<std::string> lines = SectionLinesOf(1, 1);
  lines.pop_back();
  Write(Join(lines));
  EXPECT_FALSE(Read()) << "no long text Y";
  EXPECT_STREQ(record_.longTexts[4], L"long X");

  // An item count above 4 stops the reading: nothing is written past the items.
  lines = SectionLinesOf(1, 1);
  lines[20] = "9";
  Write(Join(lines));
  EXPECT_FALSE(Read());
  EXPECT_LE(record_.subRecords->itemCount, kMaxSectionItems);

  // Numbers that are no numbers read as 0.
  lines = SectionLinesOf(1, 1);
  lines[8] = "scale";
  Write(Join(lines));
  ASSERT_TRUE(Read());
  EXPECT_DOUBLE_EQ(record_.reals[1], 0);

  // Without VMRINI and support folder, the file is looked for in the current folder.
  host::HideEnvironmentVariable(L"VMRINI");
  EXPECT_FALSE(Read());
}

}  // namespace
