#include "common/dialogs/section_scan.h"

#include <gtest/gtest.h>

#include "common/dialogs/file_select_state.h"
#include "dialog_fixture.h"
#include "section_files.h"

namespace {

class SectionScanTest : public DialogTest {
 protected:
  SectionFileRecord record_{};
};

TEST_F(SectionScanTest, LongSectionHeaderAndSummary) {
  Write("data/a.sek",
        LongSection("Type='3' Description='Main road' Date='x'", {{10, 100.5}, {20, 99.0}, {15, 101.25}},
                    "DrawingName='site.dwg'\nTinFileName='ground.tin'\nDrawingName='later.dwg'\n"));
  ASSERT_TRUE(ReadSekFileHeader(At("data/a.sek"), &record_, 3));
  EXPECT_EQ(record_.kind, kSekLongSection);
  EXPECT_EQ(record_.type, 3);
  EXPECT_STREQ(record_.description, L"Main road");
  EXPECT_EQ(record_.summary.count, 3);
  EXPECT_EQ(record_.summary.chainageMin, 10);  // first and last, not smallest and largest
  EXPECT_EQ(record_.summary.chainageMax, 15);
  EXPECT_EQ(record_.summary.levelMin, 99.0);
  EXPECT_EQ(record_.summary.levelMax, 101.25);
  EXPECT_STREQ(record_.drawingName, L"later.dwg");
  EXPECT_STREQ(record_.groundModelName, L"ground.tin");
}

TEST_F(SectionScanTest, CrossSectionSummaryFoldsClosedSectionsOnly) {
  Write("data/c.sek", CrossSection("Type='2' Description='X'",
                                   {{100, {{-5, 10}, {5, 12}}}, {50, {{-8, 9}, {3, 15}}}}, true));
  Write("data/open.sek", CrossSection("", {{100, {{-5, 10}, {5, 12}}}, {150, {{-20, 1}, {30, 40}}}}, false));
  ASSERT_TRUE(ReadSekFileHeader(At("data/c.sek"), &record_, 3));
  EXPECT_EQ(record_.kind, kSekCrossSection);
  EXPECT_EQ(record_.type, 2);
  EXPECT_EQ(record_.summary.count, 2);
  EXPECT_EQ(record_.summary.chainageMin, 50);
  EXPECT_EQ(record_.summary.chainageMax, 100);
  EXPECT_EQ(record_.summary.offsetMin, -8);
  EXPECT_EQ(record_.summary.offsetMax, 5);
  EXPECT_EQ(record_.summary.levelMin, 9);
  EXPECT_EQ(record_.summary.levelMax, 15);
  // Without the "Road" end line the last section stays out of the ranges.
  ASSERT_TRUE(ReadSekFileHeader(At("data/open.sek"), &record_, 3));
  EXPECT_EQ(record_.summary.count, 2);
  EXPECT_EQ(record_.summary.offsetMin, -5);
  EXPECT_EQ(record_.summary.levelMax, 12);
}

TEST_F(SectionScanTest, RiverFilesSizesKindsAndBadChainages) {
  const std::string river = "larchwood-hill isis RIVER section file v1.2\n" + std::string(120, 'x') + "\n";
  Write("data/river.sek", river);
  ASSERT_TRUE(ReadSekFileHeader(At("data/river.sek"), &record_, 3));
  EXPECT_EQ(record_.kind, kSekCrossSection);
  EXPECT_EQ(record_.summary.count, 0);
  EXPECT_EQ(record_.summary.levelMin, kSekNoMin);
  EXPECT_EQ(record_.type, 1);
  EXPECT_STREQ(record_.headerDate, L"");
  // 100 bytes are too few; 101 are read.
  Write("data/s100.sek", river.substr(0, 44) + std::string(56, 'y'));
  Write("data/s101.sek", river.substr(0, 44) + std::string(57, 'y'));
  EXPECT_FALSE(ReadSekFileHeader(At("data/s100.sek"), &record_, 3));
  EXPECT_TRUE(ReadSekFileHeader(At("data/s101.sek"), &record_, 3));
  // View types filter the kinds.
  Write("data/l.sek", LongSection("Type='3'", {{1, 2}, {3, 4}, {5, 6}}));
  EXPECT_FALSE(ReadSekFileHeader(At("data/l.sek"), &record_, 2));
  EXPECT_TRUE(ReadSekFileHeader(At("data/l.sek"), &record_, 1));
  EXPECT_FALSE(ReadSekFileHeader(At("data/river.sek"), &record_, 1));
  // A chainage text of 20 characters before its blank rejects the file.
  std::string bad = CrossSection("", {{1, {{0, 0}}}});
  bad.replace(bad.find("Cross"), std::string::npos, CrossLine(std::string(20, '1')) + std::string(80, '\n'));
  Write("data/bad.sek", bad);
  EXPECT_FALSE(ReadSekFileHeader(At("data/bad.sek"), &record_, 3));
  std::string ok = bad;
  ok.replace(ok.find(std::string(20, '1')), 20, std::string(19, '1'));
  Write("data/ok.sek", ok);
  EXPECT_TRUE(ReadSekFileHeader(At("data/ok.sek"), &record_, 3));
}

TEST_F(SectionScanTest, DateKeysFromTheHeaderOrTheFile) {
  struct Case {
    std::string date;
    const wchar_t* key;
  };
  const Case cases[] = {
      {"Date: 12 March 2021   Time: 14:05:09 xx", L"2021-03-12_14:05:09"},
      {"Date: 01 September 1999 at noon, nothing", L"1999-09-01_00:00:00"},
      {"2019 and no month name at all in this text", L"2019-01-00_00:00:00"},
  };
  for (const Case& c : cases) {
    Write("data/d.sek", LongSection("Date='" + c.date + "'", {{1, 1}, {2, 2}, {3, 3}}));
    ASSERT_TRUE(ReadSekFileHeader(At("data/d.sek"), &record_, 3));
    EXPECT_STREQ(record_.dateKey, c.key) << c.date;
  }
  Write("data/d.sek", LongSection("Date='short date'", {{1, 1}, {2, 2}, {3, 3}}));
  ASSERT_TRUE(ReadSekFileHeader(At("data/d.sek"), &record_, 3));
  EXPECT_EQ(std::wstring(record_.dateKey).substr(0, 2), L"20");  // the file's own time
}

TEST_F(SectionScanTest, CollectWalksTheTreeDepthFirst) {
  const std::string text = LongSection("", {{1, 1}, {2, 2}, {3, 3}});
  Write("data/top.sek", text);
  Write("data/a/one.sek", text);
  Write("data/a/deep/two.sek", text);
  Write("data/b/three.sek", text);
  Write("data/.hidden/no.sek", text);
  Write("data/dir.sek/inside.txt", "");
  GrowArray paths{};
  ASSERT_TRUE(GrowArrayCreate(100, sizeof(SekPath), &paths));
  std::int32_t folders = 0;
  ASSERT_TRUE(CollectSekFiles(&paths, true, Data() + L"/", false, &folders));
  std::vector<std::wstring> got;
  for (std::int32_t i = 0; i < paths.count; ++i) got.push_back(static_cast<SekPath*>(paths.data)[i].path);
  EXPECT_EQ(got, (std::vector<std::wstring>{At("data/top.sek"), At("data/a/one.sek"), At("data/a/deep/two.sek"),
                                            At("data/b/three.sek")}));
  EXPECT_EQ(folders, 5);  // data, a, deep, b, dir.sek
  GrowArray records{};
  ASSERT_TRUE(GrowArrayCreate(100, sizeof(SectionFileRecord), &records));
  ASSERT_TRUE(ReadSekFileHeaders(&records, &paths));
  ASSERT_EQ(records.count, 4);
  EXPECT_EQ(static_cast<SectionFileRecord*>(records.data)[3].scanIndex, 3);
  GrowArrayFree(&records);
  // A folder without section files, printed.
  paths.count = 0;
  ASSERT_TRUE(CollectSekFiles(&paths, false, At("data/b/"), true, &folders));
  ASSERT_TRUE(CollectSekFiles(&paths, false, At("data/a/deep/"), true, &folders));
  Write("empty/x.txt", "");
  ASSERT_TRUE(CollectSekFiles(&paths, false, At("empty/"), true, &folders));
  EXPECT_NE(Printed().find(L"      three.sek\n"), std::wstring::npos);
  EXPECT_NE(Printed().find(L"      (no section files found)\n"), std::wstring::npos);
  EXPECT_EQ(folders, 1);
  GrowArrayFree(&paths);
}

TEST_F(SectionScanTest, ListingSummariesForTheSectionChooser) {
  Write("data/x.sek", CrossSection("Type='7' Description='River'", {{10, {{-1, 5}, {1, 7}}}, {20, {{-2, 4}, {2, 9}}}}));
  SectionSummary summary{};
  std::int32_t type = 0;
  wchar_t description[kSectionDescriptionChars];
  ASSERT_TRUE(ReadCrossSectionSummary(At("data/x.sek"), &summary, &type, description));
  EXPECT_EQ(type, 7);
  EXPECT_STREQ(description, L"River");
  EXPECT_EQ(summary.count, 2);
  EXPECT_EQ(summary.pointCount, 4);
  EXPECT_EQ(summary.levelDiffMin, 2);
  EXPECT_EQ(summary.levelDiffMax, 5);
  EXPECT_FALSE(ReadLongSectionSummary(At("data/x.sek"), &summary, &type, description));
}

}  // namespace
