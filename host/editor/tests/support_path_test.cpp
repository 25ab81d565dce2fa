#include "host/editor/support_path.h"

#include <cwchar>
#include <filesystem>
#include <fstream>

#include "editor_fixture.h"
#include "host/system/profiles.h"
#include "host/system/registry.h"

namespace fs = std::filesystem;

namespace {

class SupportPathTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    root_ = fs::temp_directory_path() /
            ("support_path_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "first");
    fs::create_directories(root_ / "Second" / "Deep");
    fs::create_directories(root_ / "drawing");
    Touch("first/Corvex2.DCL");
    Touch("Second/corvex2.dcl");
    Touch("Second/lwh_gml.ini");
    Touch("Second/Deep/derivavi.dwg");
    Touch("drawing/lwh_gml.ini");
    fs::create_directories(root_ / "first" / "folder.txt");  // a folder, never found
    host::BindSystemVariable(L"DWGPREFIX", {[this] { return host::SysVarValue(Dir("drawing") + L"/"); }, {}});
    host::SetSupportPath({Dir("first"), Dir("Second") + L"/", Dir("Second/Deep")});
  }
  void TearDown() override {
    fs::remove_all(root_);
    EditorTest::TearDown();
  }
  void Touch(const std::string& rel) { std::ofstream(root_ / rel) << "x\n"; }
  std::wstring Dir(const std::string& rel) const { return (root_ / rel).wstring(); }

  fs::path root_;
};

TEST_F(SupportPathTest, FindsFilesWithCaseIgnoredInSearchOrder) {
  struct Case {
    const wchar_t* name;
    std::string found;  // relative to the root; empty: not found
  };
  const Case cases[] = {
      {L"corvex2.dcl", "first/Corvex2.DCL"},  // the first folder wins
      {L"CORVEX2.dcl", "first/Corvex2.DCL"},
      {L"LWH_GML.INI", "drawing/lwh_gml.ini"},  // the drawing's folder before the path
      {L"Derivavi.DWG", "Second/Deep/derivavi.dwg"},
      {L"folder.txt", ""},
      {L"missing.txt", ""},
      {L"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    std::optional<std::wstring> found = host::FindFile(c.name);
    if (c.found.empty()) {
      EXPECT_FALSE(found.has_value());
    } else {
      ASSERT_TRUE(found.has_value());
      EXPECT_EQ(*found, Dir(c.found));
    }
  }
}

TEST_F(SupportPathTest, NamesWithAFolderAreLookedUpAsTheyStand) {
  std::wstring mixed = Dir("") + L"SECOND\\deep\\DERIVAVI.dwg";
  std::optional<std::wstring> found = host::FindFile(mixed);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, Dir("Second/Deep/derivavi.dwg"));
  EXPECT_FALSE(host::FindFile(Dir("") + L"first/lwh_gml.ini").has_value());
}

TEST_F(SupportPathTest, AFoundPathLongerThanTheCallersBufferIsNotFound) {
  fs::path deep = root_;
  while (deep.native().size() < 250) deep /= "long_folder_name";
  fs::create_directories(deep);
  std::ofstream(deep / "far.txt") << "x\n";
  host::SetSupportPath({deep.wstring()});
  EXPECT_FALSE(host::FindFile(L"far.txt").has_value());
}

TEST_F(SupportPathTest, TrustedFilesLieInATrustedFolder) {
  struct Case {
    std::wstring trusted;
    bool dcl;
    bool dwg;
  };
  const Case cases[] = {
      {L"", false, false},
      {Dir("first"), true, false},
      {Dir("FIRST") + L"\\;" + Dir("second/deep"), true, true},
      {Dir("Second") + L"...", false, true},  // below, not in Second itself for the dcl
      {Dir("") + L"...", true, true},
      {Dir("Second"), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.trusted));
    ASSERT_EQ(host::SetSystemVariable(L"TRUSTEDPATHS", c.trusted.c_str()), host::Status::kNormal);
    EXPECT_EQ(host::FindTrustedFile(L"corvex2.dcl").has_value(), c.dcl);
    EXPECT_EQ(host::FindTrustedFile(L"derivavi.dwg").has_value(), c.dwg);
  }
}

TEST_F(SupportPathTest, ThePathIsTheCurrentProfilesAfterTheSessionFolders) {
  host::SetSupportPathText(L"/a;;/b/;");
  EXPECT_EQ(host::SupportPathText(), L"/a;;/b/;");
  EXPECT_EQ(host::SupportPath(), (std::vector<std::wstring>{L"/a", L"/b/"}));
  host::AddSessionSupportFolder(L"/session");
  EXPECT_EQ(host::SupportPath(), (std::vector<std::wstring>{L"/session", L"/a", L"/b/"}));
  EXPECT_EQ(host::SupportPathText(), L"/a;;/b/;");  // the session's folders are not saved

  // Writing the profile's value directly changes the search at once.
  ASSERT_TRUE(host::SetRegistryString(host::ProfileKey(host::CurrentProfileName()) + L"\\General", L"ACAD",
                                      Dir("Second/Deep")));
  host::ClearSessionSupportFolders();
  ASSERT_TRUE(host::FindFile(L"derivavi.dwg").has_value());
  EXPECT_FALSE(host::FindFile(L"corvex2.dcl").has_value());
}

TEST(PathList, HoldsAFolderWithSeparatorsAndCaseIgnored) {
  struct Case {
    const wchar_t* paths;
    const wchar_t* folder;
    bool held;
  } cases[] = {
      {L"/a;/b/c", L"/b/c", true},     {L"/a;/B/C/;", L"/b/c/", true}, {L"\\b\\c", L"/b/c", true},
      {L"/a;;/b", L"/b/c", false},     {L"/a/b/c", L"/b/c", false},    {L"", L"/a", false},
      {L"/a;;", L"", true},            {L"/", L"/", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.paths, c.paths + std::wcslen(c.paths)));
    EXPECT_EQ(host::PathListHasFolder(c.paths, c.folder), c.held);
  }
}

}  // namespace
