#include "host/system/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <filesystem>
#include <vector>

#include "host/system/tests/temp_folder_fixture.h"

namespace host {
namespace {

using FilesTest = host::testing::TempFolderTest;

std::vector<std::wstring> Names(const std::vector<FileInfo>& entries) {
  std::vector<std::wstring> names;
  for (const FileInfo& e : entries) names.push_back(e.name);
  return names;
}

TEST(Wildcard, WindowsRules) {
  struct Case {
    const wchar_t* name;
    const wchar_t* wildcard;
    bool matches;
  };
  const Case cases[] = {
      {L"a.gml", L"*.gml", true},       {L"A.GML", L"*.gml", true},
      {L"a.gml.gz", L"*.gml", false},   {L"a.gz", L"*.gz", true},
      {L"README", L"*.*", true},        {L".", L"*.*", true},
      {L"..", L"*", true},              {L"README", L"READ*.*", true},
      {L"README", L"README.", true},    {L"a.b", L"a.", false},
      {L"ab1.tmp", L"ab?.tmp", true},   {L"ab.tmp", L"ab?.tmp", false},
      {L"x.jpg", L"*.jpg", true},       {L"x.jpeg", L"*.jpg", false},
      {L"\xE9t\xE9.txt", L"\xC9T\xC9.TXT", true},  // Latin-1 letters fold too
      {L"aXbXc", L"a*b*c", true},       {L"aXbX", L"a*b*c", false},
      {L"file.gml", L"file.gml", true}, {L"file.gml", L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "name " << c.name << " wildcard " << c.wildcard);
    EXPECT_EQ(MatchesWildcard(c.name, c.wildcard), c.matches);
  }
}

TEST(FileNames, OrderIgnoresCaseAndIsTotal) {
  std::vector<std::wstring> names = {L"b", L"(old)", L"..", L"B", L"a_x", L"A", L"aZ", L"."};
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return NameLess(a, b); });
  // '(' sorts before '.', so "(old)" comes before the parent entry.
  const std::vector<std::wstring> expected = {L"(old)", L".", L"..", L"A", L"aZ", L"a_x", L"B", L"b"};
  EXPECT_EQ(names, expected);
}

TEST(FileNames, NativePathsAreUtf8AndEveryLinuxNameComesBack) {
  using namespace std::string_view_literals;
  EXPECT_EQ(NativePath(L"C:\\data\\a.gml"), std::optional<std::string>("C:/data/a.gml"));
  struct Case {
    std::wstring_view wide;
    std::string_view native;
  };
  const Case round_trips[] = {
      {L"/x/pl\xE4n.dxf", "/x/pl\xC3\xA4n.dxf"},
      {L"\x5C42/a.dxf", "\xE5\xB1\x82/a.dxf"},
      {L"/x/\x20AC", "/x/\xE2\x82\xAC"},
      {L"\U0001F600", "\xF0\x9F\x98\x80"},
      // Bytes that are not UTF-8 keep their own units and go back unchanged.
      {L"/x/s\xDCE4.dxf", "/x/s\xE4.dxf"},
      {L"\xDCC3(", "\xC3("},
      {L"\xDCED\xDCA0\xDC80", "\xED\xA0\x80"},  // an encoded surrogate is no UTF-8
  };
  for (const Case& c : round_trips) {
    SCOPED_TRACE(std::string(c.native));
    EXPECT_EQ(NativePath(c.wide), std::optional<std::string>(c.native));
    EXPECT_EQ(WidePath(c.native), c.wide);
  }
  EXPECT_FALSE(NativePath(L"/x\0y"sv).has_value());
}

TEST(FileNames, AbsolutePathsDropDotSteps) {
  const std::wstring here = CurrentFolder().value_or(L"?");
  EXPECT_EQ(AbsolutePath(L"/a/./b/../c//d/"), L"/a/c/d");
  EXPECT_EQ(AbsolutePath(L"/.."), L"/");
  EXPECT_EQ(AbsolutePath(L"\\a\\b"), L"/a/b");
  EXPECT_EQ(AbsolutePath(L"x.dxf"), (here == L"/" ? L"" : here) + L"/x.dxf");
  EXPECT_EQ(AbsolutePath(L"."), here);
}

TEST_F(FilesTest, SameFileFollowsLinksAndOtherSpellings) {
  Write("a.txt", "x");
  Write("b.txt", "x");
  std::filesystem::create_directory(root_ + "/Sub");
  std::filesystem::create_symlink(root_ + "/a.txt", root_ + "/link.txt");
  EXPECT_TRUE(SameFile(Path("a.txt"), Path("a.txt")));
  EXPECT_TRUE(SameFile(Path("a.txt"), Path("link.txt")));
  EXPECT_TRUE(SameFile(Path("Sub/"), Path("Sub/../Sub")));
  EXPECT_FALSE(SameFile(Path("a.txt"), Path("b.txt")));  // equal contents, two files
  EXPECT_FALSE(SameFile(Path("a.txt"), Path("missing.txt")));
  EXPECT_FALSE(SameFile(Path("missing.txt"), Path("missing.txt")));
}

TEST_F(FilesTest, ListingIsSortedWithWindowsAttributes) {
  Write("b.gml", "12345");
  Write("A.gml", "");
  Write(".hidden", "x");
  Write("locked.txt", "x");
  ASSERT_TRUE(SetReadOnly(Path("locked.txt"), true));
  std::filesystem::create_directory(root_ + "/Sub");

  std::vector<FileInfo> all = ListFolder(Path() + L"/*.*");
  EXPECT_EQ(Names(all), (std::vector<std::wstring>{L".", L"..", L".hidden", L"A.gml", L"b.gml",
                                                   L"locked.txt", L"Sub"}));
  auto find = [&](const std::wstring& name) {
    for (const FileInfo& e : all)
      if (e.name == name) return e;
    return FileInfo{};
  };
  EXPECT_EQ(find(L".").attributes, kAttributeDirectory);
  EXPECT_EQ(find(L"..").attributes & kAttributeHidden, 0u);
  EXPECT_EQ(find(L".hidden").attributes, kAttributeHidden);
  EXPECT_EQ(find(L"A.gml").attributes, kAttributeNormal);
  EXPECT_EQ(find(L"b.gml").size, 5u);
  EXPECT_EQ(find(L"locked.txt").attributes, kAttributeReadOnly);
  EXPECT_EQ(find(L"Sub").attributes, kAttributeDirectory);
  for (const FileInfo& e : all) EXPECT_EQ(e.attributes & kAttributeSystem, 0u);

  EXPECT_EQ(Names(ListFolder(Path() + L"/*.GML")), (std::vector<std::wstring>{L"A.gml", L"b.gml"}));
  // The Windows separator works as well, and a plain name finds that entry.
  EXPECT_EQ(Names(ListFolder(Path() + L"\\sub")), (std::vector<std::wstring>{L"Sub"}));
  EXPECT_TRUE(ListFolder(Path() + L"/missing/*.*").empty());
  EXPECT_TRUE(ListFolder(Path() + L"/").empty());
}

TEST_F(FilesTest, RootHasNoDotEntries) {
  for (const FileInfo& e : ListFolder(L"/*.*")) {
    EXPECT_NE(e.name, L".");
    EXPECT_NE(e.name, L"..");
  }
}

TEST_F(FilesTest, TimesComeFromTheFile) {
  Write("t.txt", "x");
  const struct timeval times[2] = {{1000000000, 0}, {1200000000, 500000}};
  ASSERT_EQ(utimes((root_ + "/t.txt").c_str(), times), 0);
  std::optional<FileInfo> info = GetFileInfo(Path("t.txt"));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->last_write_time, UnixTimeToFileTime(1200000000, 500000000));
  EXPECT_EQ(info->last_access_time, UnixTimeToFileTime(1000000000));
  // The birth time where the file system keeps one, else the write time.
  EXPECT_GT(info->creation_time, 0);
  EXPECT_EQ(info->name, L"t.txt");
}

TEST_F(FilesTest, CopyKeepsTimesAndHonoursOverwriteAndReadOnly) {
  Write("src.mnu", "menu");
  const struct timeval times[2] = {{1100000000, 0}, {1100000000, 0}};
  ASSERT_EQ(utimes((root_ + "/src.mnu").c_str(), times), 0);

  ASSERT_TRUE(CopyFile(Path("src.mnu"), Path("dst.mnu"), false));
  EXPECT_EQ(Read("dst.mnu"), "menu");
  EXPECT_EQ(GetFileInfo(Path("dst.mnu"))->last_write_time, GetFileInfo(Path("src.mnu"))->last_write_time);

  Write("src.mnu", "new menu");
  EXPECT_FALSE(CopyFile(Path("src.mnu"), Path("dst.mnu"), false));
  EXPECT_EQ(Read("dst.mnu"), "menu");
  ASSERT_TRUE(SetReadOnly(Path("dst.mnu"), true));
  EXPECT_FALSE(CopyFile(Path("src.mnu"), Path("dst.mnu"), true));  // as on Windows
  ASSERT_TRUE(SetReadOnly(Path("dst.mnu"), false));
  EXPECT_TRUE(CopyFile(Path("src.mnu"), Path("dst.mnu"), true));
  EXPECT_EQ(Read("dst.mnu"), "new menu");

  // A read-only source gives a read-only copy.
  ASSERT_TRUE(SetReadOnly(Path("src.mnu"), true));
  ASSERT_TRUE(CopyFile(Path("src.mnu"), Path("ro.mnu"), false));
  EXPECT_EQ(GetFileInfo(Path("ro.mnu"))->attributes, kAttributeReadOnly);

  EXPECT_FALSE(CopyFile(Path("missing"), Path("never"), true));
  EXPECT_FALSE(PathExists(Path("never")));
  // No temporary file is left behind.
  EXPECT_EQ(Names(ListFolder(Path() + L"/*")),
            (std::vector<std::wstring>{L".", L"..", L"dst.mnu", L"ro.mnu", L"src.mnu"}));
}

TEST_F(FilesTest, RemoveRenameAndReplace) {
  Write("a", "A");
  Write("b", "B");
  EXPECT_FALSE(RenameFile(Path("a"), Path("b")));  // the target exists
  EXPECT_EQ(Read("b"), "B");
  EXPECT_TRUE(RenameFile(Path("a"), Path("c")));
  EXPECT_TRUE(ReplaceFile(Path("c"), Path("b")));
  EXPECT_EQ(Read("b"), "A");
  EXPECT_FALSE(PathExists(Path("c")));

  ASSERT_TRUE(SetReadOnly(Path("b"), true));
  EXPECT_FALSE(RemoveFile(Path("b")));  // read-only files are kept, as on Windows
  ASSERT_TRUE(SetReadOnly(Path("b"), false));
  EXPECT_TRUE(RemoveFile(Path("b")));
  EXPECT_FALSE(RemoveFile(Path("b")));
}

TEST_F(FilesTest, Folders) {
  EXPECT_EQ(CreateFolder(Path("one")), CreateFolderResult::kCreated);
  EXPECT_EQ(CreateFolder(Path("one")), CreateFolderResult::kExists);
  EXPECT_EQ(CreateFolder(Path("x/y")), CreateFolderResult::kFailed);  // no parent
  Write("file", "");
  EXPECT_EQ(CreateFolder(Path("file")), CreateFolderResult::kFailed);
  EXPECT_TRUE(CreateFolders(Path("one/two/three/")));
  EXPECT_TRUE(IsDirectory(Path("one/two/three")));
  EXPECT_FALSE(CreateFolders(Path("file/below")));
  EXPECT_FALSE(IsDirectory(Path("file")));
  EXPECT_TRUE(RemoveFolder(Path("one/two/three")));

  std::optional<std::wstring> before = CurrentFolder();
  ASSERT_TRUE(before);
  ASSERT_TRUE(SetCurrentFolder(Path("one")));
  EXPECT_EQ(*CurrentFolder(), Path("one"));
  EXPECT_EQ(Names(ListFolder(L"*.*")), (std::vector<std::wstring>{L".", L"..", L"two"}));
  EXPECT_TRUE(SetCurrentFolder(*before));
  EXPECT_FALSE(SetCurrentFolder(Path("missing")));
}

TEST_F(FilesTest, FindPathIgnoringCase) {
  std::filesystem::create_directories(root_ + "/Support/Sub");
  Write("Support/Sub/LWH_GML.ini", "x");
  EXPECT_EQ(FindPathIgnoringCase(Path("support/SUB/lwh_gml.INI")), Path("Support/Sub/LWH_GML.ini"));
  EXPECT_EQ(FindPathIgnoringCase(Path("Support\\Sub\\LWH_GML.ini")), Path("Support/Sub/LWH_GML.ini"));
  EXPECT_EQ(FindPathIgnoringCase(Path("support/./sub/../Sub/lwh_gml.ini")),
            Path("Support/./Sub/../Sub/LWH_GML.ini"));
  EXPECT_FALSE(FindPathIgnoringCase(Path("support/missing.ini")));
  // An exact spelling wins over another that differs in case.
  Write("Support/Sub/lwh_gml.ini", "y");
  EXPECT_EQ(FindPathIgnoringCase(Path("support/sub/lwh_gml.ini")), Path("Support/Sub/lwh_gml.ini"));
}

TEST_F(FilesTest, LargeFileSizesAreNotCut) {
  Write("big", "");
  std::filesystem::resize_file(root_ + "/big", 5ull << 30);  // sparse, 5 GB
  EXPECT_EQ(GetFileInfo(Path("big"))->size, 5ull << 30);
}

TEST_F(FilesTest, Volumes) {
  std::optional<VolumeSpace> space = GetVolumeSpace(Path());
  ASSERT_TRUE(space);
  EXPECT_GT(space->total, 0u);
  EXPECT_LE(space->free_to_caller, space->total);
  EXPECT_NE(GetDriveType(Path()), DriveType::kNoRootFolder);
  EXPECT_EQ(GetDriveType(Path("missing")), DriveType::kNoRootFolder);
  EXPECT_FALSE(GetVolumeSpace(Path("missing")));
}

}  // namespace
}  // namespace host
