#include "common/cad/support_folders.h"

#include "common/tests/temp_folder.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <string>

#include "host/editor/support_path.h"
#include "host/editor/system_variables.h"
#include "host/system/environment.h"
#include "host/testing/test_reset.h"

namespace {

using common_test::TempFolder;
using common_test::WriteFile;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class SupportFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    host::HideEnvironmentVariable(L"LARINI");
    host::HideEnvironmentVariable(L"VMRINI");
    const std::wstring drawing = Wide(Folder("drawing") + "/");
    host::BindSystemVariable(L"DWGPREFIX", {[drawing] { return host::SysVarValue(drawing); }, {}});
    host::SetSupportPath({Wide(Folder("support-a")), Wide(Folder("support-b"))});
  }
  void TearDown() override { host::ResetForTest(); }

  // A folder below the test's temporary folder, made when missing.
  std::string Folder(const std::string& name) {
    const std::string path = temp_.File(name);
    std::filesystem::create_directories(path);
    return path;
  }
  void Put(const std::string& folder, const std::string& name, const std::string& text = "") {
    WriteFile(Folder(folder) + "/" + name, text);
  }
  // The local support folder is LARINI's.
  std::string UseSupportFolder() {
    const std::string folder = Folder("larini");
    host::SetEnvironmentOverride(L"LARINI", Wide(folder));
    return folder + "/";
  }

  TempFolder temp_;
};

TEST_F(SupportFolders, LocalSupportFolderSearchOrder) {
  wchar_t folder[kMaxPath] = L"untouched";
  EXPECT_EQ(GetLocalSupportFolder(folder), nullptr);
  EXPECT_STREQ(folder, L"untouched");

  Put("support-b", "derivavi.dwg");
  ASSERT_NE(GetLocalSupportFolder(folder), nullptr);
  EXPECT_EQ(folder, Wide(Folder("support-b") + "/"));

  Put("support-b", "is_local_support_dir.txt");
  Put("support-a", "IS_LOCAL_SUPPORT_DIR.TXT");
  ASSERT_NE(GetLocalSupportFolder(folder), nullptr);
  EXPECT_EQ(folder, Wide(Folder("support-a") + "/")) << "the first support folder wins";

  // A LARINI naming no folder is passed over silently.
  host::SetEnvironmentOverride(L"LARINI", Wide(temp_.File("missing")));
  ASSERT_NE(GetLocalSupportFolder(folder), nullptr);
  EXPECT_EQ(folder, Wide(Folder("support-a") + "/"));

  const std::string larini = Folder("larini");
  for (const std::string& value : {larini, larini + "/"}) {
    SCOPED_TRACE(value);
    host::SetEnvironmentOverride(L"LARINI", Wide(value));
    ASSERT_NE(GetLocalSupportFolder(folder), nullptr);
    EXPECT_EQ(folder, Wide(larini + "/"));
    char narrow[kMaxPath];
    ASSERT_NE(GetLocalSupportFolder(narrow), nullptr);
    EXPECT_EQ(std::string(narrow), larini + "/");
  }
  EXPECT_FALSE(std::filesystem::exists(larini + "/lartest.$$$"));
}

TEST_F(SupportFolders, SectionToolsFolderUsesVmrini) {
  wchar_t folder[kMaxPath] = L"untouched";
  const std::string larini = UseSupportFolder();
  EXPECT_EQ(GetVmrSupportFolder(folder), nullptr) << "LARINI is not VMRINI";
  const std::string vmrini = Folder("vmrini");
  host::SetEnvironmentOverride(L"VMRINI", Wide(vmrini));
  ASSERT_NE(GetVmrSupportFolder(folder), nullptr);
  EXPECT_EQ(folder, Wide(vmrini + "/"));
  char narrow[kMaxPath];
  ASSERT_NE(GetVmrSupportFolder(narrow), nullptr);
  EXPECT_EQ(std::string(narrow), vmrini + "/");
}

TEST_F(SupportFolders, PrimaryAndProgramFolders) {
  wchar_t folder[kMaxPath] = L"untouched";
  EXPECT_EQ(GetPrimarySupportFolder(folder), nullptr);
  EXPECT_EQ(FindProgramFolder(folder), nullptr);
  EXPECT_STREQ(folder, L"untouched");

  const std::string larini = UseSupportFolder();
  ASSERT_NE(GetPrimarySupportFolder(folder), nullptr);
  EXPECT_EQ(folder, Wide(larini));
  Put("support-b", "primary_support.ini");
  ASSERT_NE(GetPrimarySupportFolder(folder), nullptr);
  EXPECT_EQ(folder, Wide(Folder("support-b") + "/"));

  // The whole folder, its last letter and separator included.
  Put("support-b", "corvex2.dcl");
  ASSERT_NE(FindProgramFolder(folder), nullptr);
  EXPECT_EQ(folder, Wide(Folder("support-b") + "/"));
}

TEST_F(SupportFolders, SubfolderSetting) {
  const std::string key = "*GML files";
  const struct {
    const char* label;
    std::string file;
    bool on;
    const wchar_t* name;
  } cases[] = {
      {"switched on", "*Use subfolders for lwh files\n1\n*GML files\ngml\n", true, L"gml"},
      {"switched off", "*Use subfolders for lwh files\n0\n*GML files\ngml\n", false, L"gml"},
      {"no switch", "*GML files\ngml\n", false, L"gml"},
      {"case ignored", "*USE SUBFOLDERS FOR LWH FILES\n1\n*gml FILES\ngml\n", true, L"gml"},
      {"later lines win", "*Use subfolders for lwh files\n1\n*GML files\nold\n*GML files\nnew\n"
                          "*Use subfolders for lwh files\n0\n*Use subfolders for lwh files\n1\n",
       true, L"new"},
      {"one trailing separator goes", "*Use subfolders for lwh files\n1\n*GML files\ngml\\\\\n",
       true, L"gml\\"},
      {"a lone separator stays", "*Use subfolders for lwh files\n1\n*GML files\n/\n", true, L"/"},
      {"last line without its end", "*Use subfolders for lwh files\n1\n*GML files\ngml", true,
       L"gml"},
      {"Windows line ends", "*Use subfolders for lwh files\r\n1\r\n*GML files\r\ngml\r\n", true,
       L"gml"},
      {"no name", "*Use subfolders for lwh files\n1\n*GML files\n", false, L""},
      {"other key", "*Use subfolders for lwh files\n1\n*DXF files\ndxf\n", false, L""},
  };
  const std::string larini = UseSupportFolder();
  for (const auto& test : cases) {
    SCOPED_TRACE(test.label);
    WriteFile(larini + "use_subfolders.ini", test.file);
    wchar_t name[kMaxPath] = L"stale";
    EXPECT_EQ(ReadSubfolderSetting(key.c_str(), name), test.on && *test.name != L'\0');
    EXPECT_STREQ(name, test.name);
  }
  std::filesystem::remove(larini + "use_subfolders.ini");
  wchar_t name[kMaxPath] = L"stale";
  EXPECT_FALSE(ReadSubfolderSetting(key.c_str(), name));
  EXPECT_STREQ(name, L"");
}

TEST_F(SupportFolders, SubfolderPath) {
  const std::string larini = UseSupportFolder();
  WriteFile(larini + "use_subfolders.ini", "*Use subfolders for lwh files\n1\n*GML files\ngml\n");
  const std::wstring base = Wide(Folder("work/projects"));
  wchar_t result[kMaxPath];

  EXPECT_FALSE(GetSubfolderPath(base.c_str(), result, "*GML files", false));
  EXPECT_EQ(result, base) << "missing and not to be made";
  EXPECT_TRUE(GetSubfolderPath(base.c_str(), result, "*GML files", true));
  EXPECT_EQ(result, base + L"/gml/");
  EXPECT_TRUE(std::filesystem::is_directory(temp_.File("work/projects/gml")));
  EXPECT_TRUE(GetSubfolderPath((base + L"/").c_str(), result, "*GML files", false));
  EXPECT_EQ(result, base + L"/gml/");

  // A base that already is the subfolder stays as it is.
  const std::wstring inside = base + L"/GML/";
  EXPECT_FALSE(GetSubfolderPath(inside.c_str(), result, "*GML files", true));
  EXPECT_EQ(result, inside);
  EXPECT_FALSE(GetSubfolderPath(base.c_str(), result, "*DXF files", true));
  EXPECT_EQ(result, base);
}

TEST(LastFolderName, Cases) {
  const struct {
    const wchar_t* path;
    const wchar_t* name;  // null: fails
  } cases[] = {
      {L"D:\\x", nullptr},
      {L"D:\\data\\survey\\", L"survey"},
      {L"D:\\data\\survey", L"survey"},
      {L"/home/user/gml/", L"gml"},
      {L"/data/lwh/x", L"x"},
      {L"D:\\lwh\\", nullptr},  // separators before the sixth character do not count
      {L"/srv/lwh/", nullptr},
      {L"abcdefgh", nullptr},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.path);
    wchar_t name[kMaxPath] = L"";
    EXPECT_EQ(GetLastFolderName(test.path, name), test.name != nullptr);
    if (test.name != nullptr) {
      EXPECT_STREQ(name, test.name);
    }
  }
  EXPECT_TRUE(IsLastFolderNamed(L"D:\\data\\Survey\\", L"sURVEY"));
  EXPECT_FALSE(IsLastFolderNamed(L"D:\\data\\survey\\", L"data"));
  EXPECT_FALSE(IsLastFolderNamed(L"D:\\x", L"x"));
}

TEST_F(SupportFolders, TempFolderWriteTest) {
  const std::string temp = Folder("tmp");
  host::SetEnvironmentOverride(L"TMPDIR", Wide(temp));
  char path[kMaxPath];
  EXPECT_TRUE(TempFolderWriteTest("", path));
  EXPECT_EQ(std::string(path), temp + "/");
  wchar_t widePath[kMaxPath];
  EXPECT_TRUE(TempFolderWriteTest(L"named.tmp", widePath));
  EXPECT_EQ(widePath, Wide(temp + "/"));
  EXPECT_TRUE(std::filesystem::is_empty(temp)) << "the test files are removed";
  // A name that cannot be created there.
  EXPECT_FALSE(TempFolderWriteTest("no-such-folder/x.tmp", path));
}

TEST_F(SupportFolders, WorkingFolder) {
  wchar_t folder[kMaxPath] = L"kept";
  const std::wstring drawing = Wide(Folder("drawing"));
  // Without a support folder: "./" and the drawing's folder is not taken.
  EXPECT_FALSE(GetDefaultWorkingDir(folder));
  EXPECT_STREQ(folder, L"./");
  EXPECT_FALSE(UseDrawingFolderUnlessSetPath(folder));

  const std::string larini = UseSupportFolder();
  WriteFile(larini + "orvan.ini",
            "**GEN Default working directory\nD:\\outside\n"
            "*GEN general parameters start\n**GEN Default working directory\nD:\\work\n"
            "*GEN general parameters end\n");
  EXPECT_TRUE(GetDefaultWorkingDir(folder));
  EXPECT_EQ(folder, drawing) << "the drawing's folder, without its separator";

  WriteFile(larini + "SetPath.ini", "");
  EXPECT_FALSE(GetDefaultWorkingDir(folder));
  EXPECT_STREQ(folder, L"D:\\work");
  char narrow[kMaxPath] = "mine";
  EXPECT_FALSE(UseDrawingFolderUnlessSetPath(narrow));
  EXPECT_STREQ(narrow, "mine");

  std::filesystem::remove(larini + "SetPath.ini");
  EXPECT_TRUE(UseDrawingFolderUnlessSetPath(narrow));
  EXPECT_EQ(Wide(narrow), drawing);
}

}  // namespace
