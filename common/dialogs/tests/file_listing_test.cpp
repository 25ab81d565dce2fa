#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/dialogs/file_select_state.h"
#include "dialog_fixture.h"

namespace {

host::FileTime At(int year, int month, int day, int hour, int minute, int second) {
  host::CalendarTime c;
  c.year = year;
  c.month = month;
  c.day = day;
  c.hour = hour;
  c.minute = minute;
  c.second = second;
  return *host::CalendarToFileTime(c);
}

TEST(FileListing, SizeTexts) {
  struct Case {
    double size;
    const wchar_t* text;
  };
  const Case cases[] = {
      {0, L"0 bytes"},          {900, L"900 bytes"},       {901, L"0.88 KB"},
      {900000, L"878.91 KB"},   {900001, L"0.86 MB"},      {900000000, L"858.31 MB"},
      {900000001, L"0.84 GB"},  {5368709120.0, L"5.00 GB"},
  };
  for (const Case& c : cases) {
    const auto low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(c.size) & 0xFFFFFFFFu);
    EXPECT_EQ(SizeText(low, c.size), c.text) << c.size;
  }
}

TEST(FileListing, TimeTextsPadHourAndMinuteOnly) {
  SystemTime t{2024, 3, 0, 5, 9, 7, 0, 0};
  EXPECT_EQ(TimeText(L"File date:", t), L"File date: 5.3.2024 at 09:07");
  t.wHour = 10;
  t.wMinute = 45;
  EXPECT_EQ(TimeText(L"Downloaded:", t), L"Downloaded: 5.3.2024 at 10:45");
}

TEST(FileListing, CreationFlagsFollowTheTwoTimes) {
  const host::FileTime written = At(2024, 1, 2, 3, 4, 5);
  struct Case {
    host::FileTime created;
    std::uint8_t shown, downloaded;
  };
  const Case cases[] = {
      {written + 20000000, 1, 1},   // created two seconds after the write: downloaded
      {written - 20000000, 1, 0},   // created two seconds before: created
      {written + 10000000, 0, 0},   // within a second: nothing shown
      {written - 5000000, 0, 0},
      {0, 0, 0},                    // no creation time
  };
  for (const Case& c : cases) {
    host::FileInfo info;
    info.name = L"a.gml";
    info.attributes = host::kAttributeNormal;
    info.size = (std::uint64_t{1} << 32) + 7;  // 4 GiB and 7 bytes
    info.creation_time = c.created;
    info.last_write_time = written;
    FileListEntry entry;
    ASSERT_TRUE(FileEntryFromInfo(info, &entry));
    EXPECT_EQ(entry.size, 7u);
    EXPECT_EQ(entry.creationShown, c.shown);
    EXPECT_EQ(entry.downloaded, c.downloaded);
    EXPECT_EQ(entry.written.wSecond, 5);
  }
  host::FileInfo hidden;
  hidden.name = L".x";
  hidden.attributes = host::kAttributeHidden;
  FileListEntry entry;
  EXPECT_FALSE(FileEntryFromInfo(hidden, &entry));
  EXPECT_STREQ(entry.name, L"(nil)");
  EXPECT_FALSE(ReadFileEntry(L"/no/such/file.gml", &entry));
  EXPECT_EQ(entry.size, 0u);
}

TEST(FileListing, FolderPathsOfSixtyCharactersAreShortened) {
  const std::wstring p59(59, L'a');
  EXPECT_EQ(ShortenedFolder(p59), p59);
  std::wstring p60 = L"0123456789abc" + std::wstring(6, L'x') + std::wstring(41, L'z');
  ASSERT_EQ(p60.size(), 60u);
  const std::wstring shown = ShortenedFolder(p60);
  EXPECT_EQ(shown.size(), 59u);
  EXPECT_EQ(shown, L"0123456789abc ... " + std::wstring(41, L'z'));
}

TEST(FileListing, ParentFolderStopsAtTheRoot) {
  struct Case {
    const wchar_t* folder;
    const wchar_t* parent;
  };
  const Case cases[] = {
      {L"/data/maps/os", L"/data/maps"}, {L"/data", L"/"},        {L"/", L"/"},
      {L"C:\\data\\x", L"C:\\data"},     {L"C:\\data", L"C:\\"},  {L"C:\\", L"C:\\"},
      {L"\\\\server\\share", L"\\\\server"}, {L"\\\\server", L"\\\\server"},
  };
  for (const Case& c : cases) EXPECT_EQ(ParentFolder(c.folder), c.parent) << c.folder;
}

TEST(FileListing, NamesCompareFoldingOnlyAtoZ) {
  EXPECT_EQ(CompareNamesAtoZ(L"Abc", L"abc"), 0);
  EXPECT_LT(CompareNamesAtoZ(L"(old)", L".."), 0);
  EXPECT_LT(CompareNamesAtoZ(L"a", L"B"), 0);
  EXPECT_NE(CompareNamesAtoZ(L"\u00c9", L"\u00e9"), 0);  // beyond A to Z: no folding
}

class SortTest : public DialogTest {
 protected:
  // A state with entries of the given names, sizes and write minutes.
  void Fill(std::initializer_list<std::tuple<const wchar_t*, std::uint32_t, int>> rows) {
    ASSERT_TRUE(CreateFileSelectLists(s_, sizeof(FileListEntry)));
    for (const auto& [name, size, minute] : rows) {
      FileListEntry e{};
      std::wcscpy(e.name, name);
      e.size = size;
      e.written = SystemTime{2024, 1, 0, 1, 10, static_cast<std::uint16_t>(minute), 0, 0};
      ASSERT_TRUE(GrowArraySet(&s_.files, s_.files.count, &e));
    }
    s_.fileCount = s_.files.count;
  }
  std::wstring Order() {
    std::wstring order;
    for (std::int32_t i = 0; i < s_.fileCount; ++i)
      order += static_cast<const FileListEntry*>(s_.files.data)[i].name + std::wstring(L" ");
    return order;
  }
  void TearDown() override {
    FreeFileSelectLists(s_);
    DialogTest::TearDown();
  }
  FileSelectState s_;
};

TEST_F(SortTest, EqualKeysKeepTheirOrderInBothDirections) {
  Fill({{L"c", 10, 3}, {L"a", 20, 1}, {L"B", 10, 2}, {L"d", 20, 2}});
  s_.sortKey = kSortBySize;
  s_.ascending = 1;
  SortFileList(s_);
  EXPECT_EQ(Order(), L"c B a d ");
  s_.ascending = 0;
  SortFileList(s_);
  EXPECT_EQ(Order(), L"a d c B ");
  s_.sortKey = kSortByName;
  s_.ascending = 1;
  SortFileList(s_);
  EXPECT_EQ(Order(), L"a B c d ");
  s_.sortKey = kSortByDate;
  SortFileList(s_);
  EXPECT_EQ(Order(), L"a B d c ");
}

TEST_F(SortTest, AnInvalidDateNeverSwaps) {
  Fill({{L"x", 1, 5}, {L"y", 1, 1}});
  static_cast<FileListEntry*>(s_.files.data)[1].written.wMonth = 13;
  s_.sortKey = kSortByDate;
  SortFileList(s_);
  EXPECT_EQ(Order(), L"x y ");
}

}  // namespace

namespace {

class FolderInfoTest : public DialogTest {};

TEST_F(FolderInfoTest, DiskTextNamesTheRootTypeAndSpace) {
  const std::wstring text = DiskText(Data());
  EXPECT_TRUE(text.starts_with(L"/ [local hd] ")) << text;
  EXPECT_NE(text.find(L" Free ("), std::wstring::npos) << text;
  EXPECT_TRUE(text.ends_with(L" total)")) << text;
  EXPECT_EQ(DiskText(L"\\\\server\\share\\x").substr(0, 18), L"server [unc name] ");
  EXPECT_TRUE(DiskText(At("no/such")).ends_with(L" (size unknown)"));
}

TEST_F(FolderInfoTest, SectionSubfolderIsNotTheFolderItself) {
  Write("data/LWH Sections/a.sek", "");
  EXPECT_TRUE(SectionSubfolderExists(Data() + L"/", L"LWH Sections"));
  EXPECT_TRUE(SectionSubfolderExists(Data() + L"/", L"lwh sections"));
  EXPECT_FALSE(SectionSubfolderExists(At("data/LWH Sections") + L"/", L"LWH Sections"));
  EXPECT_FALSE(SectionSubfolderExists(Data() + L"/", L"Other"));
}

}  // namespace

namespace {

class ListingCapTest : public DialogTest {};

TEST_F(ListingCapTest, ListsStopAt32767Files) {
  const std::filesystem::path folder = root_ / "many";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < 32770; ++i) std::ofstream(folder / ("f" + std::to_string(100000 + i) + ".gml"));
  FileSelectState s;
  ASSERT_TRUE(CreateFileSelectLists(s, sizeof(FileListEntry)));
  s.currentFolder = folder.wstring();
  s.pattern = L"*.gml";
  EXPECT_EQ(ListFolderFiles(s), kMaxListed);
  EXPECT_EQ(s.fileCount, 32767);
  EXPECT_STREQ(static_cast<const FileListEntry*>(s.files.data)[32766].name, L"f132766.gml");
  FreeFileSelectLists(s);
}

}  // namespace
