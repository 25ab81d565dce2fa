// Varnel loaded into the host: its commands, LISP functions and per-drawing
// steps.
#include <gtest/gtest.h>

#include <string>

#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "host/app/addins.h"
#include "host/app/command_stack.h"
#include "host/app/documents.h"
#include "host/editor/command_line.h"
#include "host/lisp/call.h"
#include "host/lisp/environment.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"

namespace {

class VarnelLoaded : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    InitApplication();
    LoadDrawing();
  }
  void TearDown() override {
    UnloadDrawing();
    UnloadApplication();
    host::ResetForTest();
  }
};

TEST_F(VarnelLoaded, RegistersSixteenCommandsInOrder) {
  const std::vector<host::CommandInfo> commands = host::Commands();
  ASSERT_EQ(commands.size(), 16u);
  const wchar_t* globals[] = {L"lwhgmlin", L"lwhgmlud", L"lwhgmlsw", L"lwhgmlrd",
                              L"lwhgmllo", L"lwhgmllr", L"lwhgmlra", L"lwhgmlsh",
                              L"lwhgmlsm", L"lwhgmlsq", L"lwhgmlsx", L"lwhgmlhe",
                              L"lwhgmlax", L"lwhgmlit", L"lwhgmldt", L"lwhgmlme"};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(commands[i].group, L"varnel");
    EXPECT_EQ(commands[i].global_name, globals[i]);
    EXPECT_EQ(commands[i].flags, host::kCommandModal);
    EXPECT_EQ(commands[i].local_name, i == 14 ? L"lwhgmlot" : globals[i]);
  }
  UnloadApplication();
  EXPECT_TRUE(host::Commands().empty());
  InitApplication();
}

TEST_F(VarnelLoaded, UserCodeFlagIsClearedAfterTheCommand) {
  ShowXdataUserCodeCommand();
  EXPECT_EQ(Varnel().showUserCode, 0);
}

TEST_F(VarnelLoaded, StateIsResetAtLoad) {
  Varnel().roadSearchText = L"Mill Lane";
  Varnel().roadFrameSize = 10;
  UnloadApplication();
  InitApplication();
  EXPECT_EQ(Varnel().roadSearchText, L"");
  EXPECT_EQ(Varnel().roadFrameSize, 50.0);
}

}  // namespace
