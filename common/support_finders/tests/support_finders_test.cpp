#include "common/support_finders/support_finders.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <string>

#include "common/tests/temp_folder.h"
#include "host/editor/support_path.h"
#include "host/system/environment.h"
#include "host/testing/test_reset.h"

namespace {

using common_test::TempFolder;
using common_test::WriteFile;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class SupportFinders : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    host::HideEnvironmentVariable(L"LARINI");
    host::HideEnvironmentVariable(L"VMRINI");
    host::SetSupportPath({Wide(Folder("support-a")), Wide(Folder("support-b"))});
  }
  void TearDown() override { host::ResetForTest(); }

  std::string Folder(const std::string& name) {
    const std::string path = temp_.File(name);
    std::filesystem::create_directories(path);
    return path;
  }
  void Put(const std::string& folder, const std::string& name) {
    WriteFile(Folder(folder) + "/" + name, "");
  }

  TempFolder temp_;
};

using WideFinder = wchar_t* (*)(wchar_t*);
using NarrowFinder = char* (*)(char*);

struct VariableFinder {
  const wchar_t* variable;
  WideFinder wide;
  NarrowFinder narrow;
};

constexpr VariableFinder kVariableFinders[] = {
    {L"VMRINI", FindVmrSupportFolder, FindVmrSupportFolderA},
    {L"LARINI", FindLocalSupportFolder, FindLocalSupportFolderA},
};

TEST_F(SupportFinders, VariableFolderPassesTheWriteTestElseMarkerDrawing) {
  for (const VariableFinder& finder : kVariableFinders) {
    SCOPED_TRACE(std::string(finder.variable, finder.variable + 6));
    host::ClearEnvironmentOverrides();
    host::HideEnvironmentVariable(L"LARINI");
    host::HideEnvironmentVariable(L"VMRINI");
    std::filesystem::remove(temp_.File("support-b/derivavi.dwg"));

    // Neither: null, buffer untouched.
    wchar_t wide[kFinderFolderSize] = L"untouched";
    char narrow[kFinderFolderSize] = "untouched";
    EXPECT_EQ(finder.wide(wide), nullptr);
    EXPECT_EQ(finder.narrow(narrow), nullptr);
    EXPECT_STREQ(wide, L"untouched");
    EXPECT_STREQ(narrow, "untouched");

    // A writable folder without a trailing separator gains one; no test file stays.
    const std::string settings = Folder("settings");
    host::SetEnvironmentOverride(finder.variable, Wide(settings));
    ASSERT_EQ(finder.wide(wide), wide);
    EXPECT_EQ(std::wstring(wide), Wide(settings + "/"));
    ASSERT_EQ(finder.narrow(narrow), narrow);
    EXPECT_EQ(std::string(narrow), settings + "/");
    EXPECT_FALSE(std::filesystem::exists(settings + "/lartest.$$$"));

    // The local-support marker is no step of these finders.
    Put("support-a", "is_local_support_dir.txt");
    host::SetEnvironmentOverride(finder.variable, Wide(temp_.File("missing")));
    EXPECT_EQ(finder.wide(wide), nullptr);

    // A folder that does not exist falls back to the marker drawing.
    Put("support-b", "DERIVAVI.DWG");
    ASSERT_EQ(finder.wide(wide), wide);
    EXPECT_EQ(std::wstring(wide), Wide(Folder("support-b") + "/"));
    ASSERT_EQ(finder.narrow(narrow), narrow);
    EXPECT_EQ(std::string(narrow), Folder("support-b") + "/");
    std::filesystem::remove(temp_.File("support-b/DERIVAVI.DWG"));
    std::filesystem::remove(temp_.File("support-a/is_local_support_dir.txt"));
  }
}

TEST_F(SupportFinders, EachFinderReadsOnlyItsOwnVariable) {
  host::SetEnvironmentOverride(L"VMRINI", Wide(Folder("vmr")));
  host::SetEnvironmentOverride(L"larini", Wide(Folder("lar")));
  wchar_t folder[kFinderFolderSize];
  ASSERT_NE(FindVmrSupportFolder(folder), nullptr);
  EXPECT_EQ(std::wstring(folder), Wide(Folder("vmr") + "/"));
  ASSERT_NE(FindLocalSupportFolder(folder), nullptr);
  EXPECT_EQ(std::wstring(folder), Wide(Folder("lar") + "/"));
}

TEST_F(SupportFinders, VariableWhereNoFileCanBeCreatedFallsBack) {
  // A variable naming a file: nothing can be created "in" it.
  Put("settings", "vmr.ini");
  host::SetEnvironmentOverride(L"VMRINI", Wide(temp_.File("settings/vmr.ini")));
  Put("support-a", "derivavi.dwg");
  wchar_t folder[kFinderFolderSize];
  ASSERT_NE(FindVmrSupportFolder(folder), nullptr);
  EXPECT_EQ(std::wstring(folder), Wide(Folder("support-a") + "/"));
}

TEST_F(SupportFinders, VariableTooLongForTheBufferIsNotFound) {
  // A real folder whose path with its separator needs more than the buffer.
  std::string deep = temp_.Path();
  while (deep.size() < kFinderFolderSize + 10) deep += "/" + std::string(100, 'd');
  std::filesystem::create_directories(deep);
  host::SetEnvironmentOverride(L"VMRINI", Wide(deep));

  wchar_t folder[kFinderFolderSize] = L"untouched";
  EXPECT_EQ(FindVmrSupportFolder(folder), nullptr);
  EXPECT_STREQ(folder, L"untouched");
  Put("support-b", "derivavi.dwg");
  ASSERT_NE(FindVmrSupportFolder(folder), nullptr);
  EXPECT_EQ(std::wstring(folder), Wide(Folder("support-b") + "/"));
}

TEST_F(SupportFinders, PrimaryFolderElseLocalFinder) {
  wchar_t wide[kFinderFolderSize] = L"untouched";
  char narrow[kFinderFolderSize] = "untouched";
  EXPECT_EQ(FindPrimarySupportFolder(wide), nullptr);
  EXPECT_EQ(FindPrimarySupportFolderA(narrow), nullptr);
  EXPECT_STREQ(wide, L"untouched");

  host::SetEnvironmentOverride(L"LARINI", Wide(Folder("lar")));
  ASSERT_NE(FindPrimarySupportFolder(wide), nullptr);
  EXPECT_EQ(std::wstring(wide), Wide(Folder("lar") + "/"));
  ASSERT_NE(FindPrimarySupportFolderA(narrow), nullptr);
  EXPECT_EQ(std::string(narrow), Folder("lar") + "/");

  Put("support-b", "primary_support.ini");
  ASSERT_NE(FindPrimarySupportFolder(wide), nullptr);
  EXPECT_EQ(std::wstring(wide), Wide(Folder("support-b") + "/"));
  ASSERT_NE(FindPrimarySupportFolderA(narrow), nullptr);
  EXPECT_EQ(std::string(narrow), Folder("support-b") + "/");
}

TEST_F(SupportFinders, ModuleFolderOfTheCallersMarker) {
  Put("support-b", "corvex.arx");
  Put("support-a", "corvex2.dcl");
  wchar_t folder[kFinderFolderSize] = L"untouched";
  ASSERT_NE(FindModuleFolder(folder, L"corvex.arx"), nullptr);
  EXPECT_EQ(std::wstring(folder), Wide(Folder("support-b") + "/"));
  ASSERT_NE(FindModuleFolder(folder, L"corvex2.dcl"), nullptr);
  EXPECT_EQ(std::wstring(folder), Wide(Folder("support-a") + "/"));

  std::wcscpy(folder, L"untouched");
  EXPECT_EQ(FindModuleFolder(folder, L"missing.arx"), nullptr);
  EXPECT_EQ(FindModuleFolder(folder, L""), nullptr);
  EXPECT_STREQ(folder, L"untouched");
}

}  // namespace
