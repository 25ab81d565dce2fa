#include "host/app/command_stack.h"

#include "app_fixture.h"

namespace {

using CommandStackTest = AppTest;

std::vector<std::wstring> g_ran;
void RunA() { g_ran.push_back(L"a"); }
void RunB() { g_ran.push_back(L"b"); }
void RunNested() {
  g_ran.push_back(L"nested");
  EXPECT_EQ(host::RunCommand(L"cmda"), host::RunResult::kRefused);
  EXPECT_EQ(host::RunCommand(L"transp"), host::RunResult::kRan);
}

TEST_F(CommandStackTest, CommandsAreFoundByLocalOrGlobalNameCaseIgnored) {
  g_ran.clear();
  ASSERT_EQ(host::AddCommand(L"grp", L"cmda", L"cmda", host::kCommandModal, RunA), host::Status::kNormal);
  ASSERT_EQ(host::AddCommand(L"grp", L"lwhgmldt", L"lwhgmlot", host::kCommandModal, RunB),
            host::Status::kNormal);
  struct Case {
    const wchar_t* typed;
    host::RunResult result;
    const wchar_t* ran;
  };
  const Case cases[] = {
      {L"CMDA", host::RunResult::kRan, L"a"},         {L"_cmda", host::RunResult::kRan, L"a"},
      {L"lwhgmlot", host::RunResult::kRan, L"b"},     {L"LWHGMLDT", host::RunResult::kRan, L"b"},
      {L"_lwhgmlot", host::RunResult::kUnknown, L""}, {L"nothing", host::RunResult::kUnknown, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.typed)));
    g_ran.clear();
    EXPECT_EQ(host::RunCommand(c.typed), c.result);
    EXPECT_EQ(g_ran, c.ran[0] ? std::vector<std::wstring>{c.ran} : std::vector<std::wstring>{});
  }
}

TEST_F(CommandStackTest, DuplicatesInAGroupAreRefusedAndGroupsGoWhole) {
  ASSERT_EQ(host::AddCommand(L"one", L"x", L"x", 0, RunA), host::Status::kNormal);
  EXPECT_EQ(host::AddCommand(L"ONE", L"X", L"y", 0, RunB), host::Status::kError);
  EXPECT_EQ(host::AddCommand(L"one", L"z", L"x", 0, RunB), host::Status::kError);
  EXPECT_EQ(host::AddCommand(L"one", L"z", L"z", 0, nullptr), host::Status::kError);
  EXPECT_EQ(host::AddCommand(L"", L"z", L"z", 0, RunB), host::Status::kError);
  // Another group may use the name; the newer registration hides the older.
  ASSERT_EQ(host::AddCommand(L"two", L"x", L"x", 0, RunB), host::Status::kNormal);
  EXPECT_EQ(host::FindCommand(L"x")->group, L"two");
  EXPECT_EQ(host::RemoveGroup(L"TWO"), host::Status::kNormal);
  EXPECT_EQ(host::FindCommand(L"x")->group, L"one");
  EXPECT_EQ(host::RemoveGroup(L"two"), host::Status::kError);
}

TEST_F(CommandStackTest, AModalCommandCannotStartWhileAnotherRuns) {
  g_ran.clear();
  ASSERT_EQ(host::AddCommand(L"g", L"cmda", L"cmda", host::kCommandModal, RunA), host::Status::kNormal);
  ASSERT_EQ(host::AddCommand(L"g", L"transp", L"transp", host::kCommandTransparent, RunB),
            host::Status::kNormal);
  ASSERT_EQ(host::AddCommand(L"g", L"outer", L"outer", host::kCommandModal, RunNested),
            host::Status::kNormal);
  EXPECT_EQ(host::RunCommand(L"outer"), host::RunResult::kRan);
  EXPECT_EQ(g_ran, (std::vector<std::wstring>{L"nested", L"b"}));
  EXPECT_FALSE(host::CommandActive());
}

}  // namespace
