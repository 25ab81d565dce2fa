#include "host/system/process.h"

#include <gtest/gtest.h>

#include "host/system/tests/temp_folder_fixture.h"
#include "host/system/user_actions.h"

namespace host {
namespace {

using ProcessTest = host::testing::TempFolderTest;

TEST_F(ProcessTest, StartsAndShellOpensAreRecorded) {
  Write("help.chm", "");
  EXPECT_TRUE(StartProcess(L"hh", {L"-mapid 1040600 " + Path("help.chm")}));
  EXPECT_FALSE(StartProcess(L"", {}));
  EXPECT_TRUE(ShellOpen(Path("help.chm")));
  EXPECT_FALSE(ShellOpen(Path("missing.chm")));
  EXPECT_TRUE(ShellShowInFolder(Path("help.chm")));
  EXPECT_EQ(Shown().TextsOf("process"), std::vector<std::wstring>{L"hh -mapid 1040600 " + Path("help.chm")});
  EXPECT_EQ(Shown().TextsOf("shell_open"), std::vector<std::wstring>{Path("help.chm")});
  EXPECT_EQ(Shown().TextsOf("shell_select"), std::vector<std::wstring>{Path("help.chm")});
}

}  // namespace
}  // namespace host
