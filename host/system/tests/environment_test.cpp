#include "host/system/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cwchar>
#include <filesystem>
#include <string>

#include "host/system/temp_files.h"
#include "host/system/tests/temp_folder_fixture.h"
#include "host/testing/test_reset.h"

namespace host {
namespace {

class EnvironmentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetForTest();
    unsetenv("HOSTSYS_TEST_VAR");
    unsetenv("hostsys_test_var");
  }
};

TEST_F(EnvironmentTest, NamesIgnoreCaseInTheRealEnvironment) {
  setenv("HOSTSYS_TEST_VAR", "/real", 1);
  EXPECT_EQ(GetEnvironmentVariable(L"hostsys_test_var"), L"/real");
  EXPECT_EQ(GetEnvironmentVariable(L"HostSys_Test_Var"), L"/real");
  // With two spellings, the exact one answers.
  setenv("hostsys_test_var", "/lower", 1);
  EXPECT_EQ(GetEnvironmentVariable(L"hostsys_test_var"), L"/lower");
  EXPECT_EQ(GetEnvironmentVariable(L"HOSTSYS_TEST_VAR"), L"/real");
  EXPECT_FALSE(GetEnvironmentVariable(L"HOSTSYS_NOT_SET_ANYWHERE"));
  EXPECT_FALSE(GetEnvironmentVariable(L""));
}

TEST_F(EnvironmentTest, TheOverlayAnswersFirst) {
  setenv("HOSTSYS_TEST_VAR", "/real", 1);
  SetEnvironmentOverride(L"HostSys_Test_Var", L"/overlay");
  EXPECT_EQ(GetEnvironmentVariable(L"HOSTSYS_TEST_VAR"), L"/overlay");
  SetEnvironmentOverride(L"appdata", L"/home/u/appdata");
  EXPECT_EQ(GetEnvironmentVariable(L"APPDATA"), L"/home/u/appdata");
  HideEnvironmentVariable(L"hostsys_test_var");
  EXPECT_FALSE(GetEnvironmentVariable(L"HOSTSYS_TEST_VAR"));
  RemoveEnvironmentOverride(L"HOSTSYS_TEST_VAR");
  EXPECT_EQ(GetEnvironmentVariable(L"HOSTSYS_TEST_VAR"), L"/real");
  SetEnvironmentOverride(L"EMPTY_ONE", L"");
  EXPECT_EQ(GetEnvironmentVariable(L"empty_one"), L"");  // set, but empty
}

TEST_F(EnvironmentTest, AppDataFallsBackToTheUsersConfigurationFolder) {
  if (getenv("APPDATA") != nullptr || getenv("appdata") != nullptr) GTEST_SKIP() << "APPDATA is set";
  SetEnvironmentOverride(L"XDG_CONFIG_HOME", L"/home/ann/.cfg");
  EXPECT_EQ(GetEnvironmentVariable(L"appdata"), L"/home/ann/.cfg");
  HideEnvironmentVariable(L"XDG_CONFIG_HOME");
  SetEnvironmentOverride(L"HOME", L"/home/ann");
  EXPECT_EQ(GetEnvironmentVariable(L"AppData"), L"/home/ann/.config");
  HideEnvironmentVariable(L"HOME");
  EXPECT_FALSE(GetEnvironmentVariable(L"APPDATA"));
  SetEnvironmentOverride(L"HOME", L"/home/ann");
  HideEnvironmentVariable(L"APPDATA");  // hidden stays hidden
  EXPECT_FALSE(GetEnvironmentVariable(L"APPDATA"));
  SetEnvironmentOverride(L"APPDATA", L"/data");
  EXPECT_EQ(GetEnvironmentVariable(L"appdata"), L"/data");
}

using TempFilesTest = host::testing::TempFolderTest;

TEST_F(TempFilesTest, TempFolderEndsWithASeparator) {
  SetEnvironmentOverride(L"TMPDIR", Path());
  EXPECT_EQ(TempFolder(), Path() + L"/");
  SetEnvironmentOverride(L"TMPDIR", Path() + L"/");
  EXPECT_EQ(TempFolder(), Path() + L"/");
  SetEnvironmentOverride(L"TMPDIR", Path("missing"));
  EXPECT_EQ(TempFolder(), L"/tmp/");
  HideEnvironmentVariable(L"TMPDIR");
  EXPECT_EQ(TempFolder(), L"/tmp/");
}

TEST_F(TempFilesTest, NamesAreNewFilesWithThePrefix) {
  std::optional<std::wstring> first = MakeTempFile(Path(), L"Lwhxyz");
  std::optional<std::wstring> second = MakeTempFile(Path() + L"/", L"Lwh");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  for (const std::wstring* path : {&*first, &*second}) {
    const std::wstring name = path->substr(Path().size() + 1);
    EXPECT_EQ(name.size(), 11u) << std::string(name.begin(), name.end());  // Lwh + 4 hex + .TMP
    EXPECT_EQ(name.substr(0, 3), L"Lwh");
    EXPECT_EQ(name.substr(7), L".TMP");
    std::optional<FileInfo> info = GetFileInfo(*path);
    ASSERT_TRUE(info);  // the file is made, empty
    EXPECT_EQ(info->size, 0u);
  }
  // A name that exists is skipped, never reused: make the next one first.
  const unsigned next = std::stoul(std::wstring(second->end() - 8, second->end() - 4), nullptr, 16) + 1;
  wchar_t taken[16];
  std::swprintf(taken, 16, L"ab%04X.TMP", next);
  Write(std::string(taken, taken + 10), "keep");
  std::optional<std::wstring> third = MakeTempFile(Path(), L"ab");
  ASSERT_TRUE(third);
  EXPECT_NE(*third, Path() + L"/" + taken);
  EXPECT_EQ(Read(std::string(taken, taken + 10)), "keep");
  EXPECT_FALSE(MakeTempFile(Path("missing"), L"x"));
}

}  // namespace
}  // namespace host
