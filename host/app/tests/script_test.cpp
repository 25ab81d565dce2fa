#include "host/app/script.h"

#include <gtest/gtest.h>

namespace {

struct LineCase {
  const wchar_t* line;
  host::LineKind kind;
  std::string verb;
  std::vector<std::wstring> args;
};

TEST(ScriptTest, LinesBecomeActions) {
  using K = host::LineKind;
  const LineCase cases[] = {
      {L"LINE", K::kAction, "type", {L"LINE"}},
      {L"", K::kAction, "type", {L""}},
      {L"   ", K::kAction, "type", {L""}},
      {L"Layer with  spaces ", K::kAction, "type", {L"Layer with  spaces "}},
      {L"# a comment", K::kSkip, "", {}},
      {L"  # indented comment", K::kSkip, "", {}},
      {L"(ta_add 1 2)", K::kAction, "lisp", {L"(ta_add 1 2)"}},
      {L"(ta_add 1 2", K::kError, "", {}},
      {L"!esc", K::kAction, "esc", {}},
      {L"!esc now", K::kError, "", {}},
      {L"!error", K::kAction, "error", {}},
      {L"!error 52", K::kAction, "error", {L"52"}},
      {L"!error x", K::kError, "", {}},
      {L"!pick 2A", K::kAction, "pick", {L"2A"}},
      {L"!pick", K::kError, "", {}},
      {L"!select 2A 2B  3C", K::kAction, "select", {L"2A", L"2B", L"3C"}},
      {L"!select", K::kAction, "select", {}},
      {L"!dlg_set 1001 \"two words\" 2", K::kAction, "dlg_set", {L"1001", L"two words", L"2"}},
      {L"!dlg_set 1001 \"say \\\"hi\\\" \\\\\"", K::kAction, "dlg_set", {L"1001", L"say \"hi\" \\"}},
      {L"!dlg_set 1001 \"open", K::kError, "", {}},
      {L"!dlg_set 1001 \"a\"b", K::kError, "", {}},
      {L"!answer \"\"", K::kAction, "answer", {L""}},
      {L"!type !not an action", K::kAction, "type", {L"!not an action"}},
      {L"!type", K::kAction, "type", {L""}},
      {L"!Esc", K::kError, "", {}},
      {L"!", K::kError, "", {}},
      {L"!at pump 3 !dlg_click 239", K::kAction, "at", {L"pump", L"3", L"dlg_click", L"239"}},
      {L"!at poll 1 !esc", K::kAction, "at", {L"poll", L"1", L"esc"}},
      {L"!at poll 0 !esc", K::kError, "", {}},
      {L"!at tick 2 !esc", K::kError, "", {}},
      {L"!at poll 2 esc", K::kError, "", {}},
      {L"!at poll 2 !at poll 1 !esc", K::kError, "", {}},
      {L"!at poll 2 !pick", K::kError, "", {}},
      {L"!save", K::kAction, "save", {}},
      {L"!save out.dxf", K::kAction, "save", {L"out.dxf"}},
      {L"!open", K::kError, "", {}},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
    host::LineParse p = host::ParseScriptLine(c.line);
    ASSERT_EQ(p.kind, c.kind) << testing::PrintToString(p.error);
    if (c.kind == K::kError) {
      EXPECT_FALSE(p.error.empty());
      continue;
    }
    if (c.kind != K::kAction) continue;
    EXPECT_EQ(p.action.verb, c.verb);
    EXPECT_EQ(p.action.args, c.args);
  }
}

TEST(ScriptTest, ScriptsKeepLineNumbersAndStopAtTheFirstError) {
  host::ScriptParse ok = host::ParseScript(L"# header\r\nLINE\r\n\r\n!esc\nlast line without end");
  ASSERT_TRUE(ok.ok);
  ASSERT_EQ(ok.actions.size(), 4u);
  EXPECT_EQ(ok.actions[0].line, 2);
  EXPECT_EQ(ok.actions[1].line, 3);
  EXPECT_EQ(ok.actions[1].action.Arg(0), L"");
  EXPECT_EQ(ok.actions[2].line, 4);
  EXPECT_EQ(ok.actions[3].line, 5);
  EXPECT_EQ(ok.actions[3].action.Arg(0), L"last line without end");

  host::ScriptParse bad = host::ParseScript(L"LINE\n!pick\n!also bad \"");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.error_line, 2);
}

TEST(ScriptTest, ActionTextReadsBack) {
  for (const wchar_t* line : {L"!dlg_set 1001 \"two words\"", L"!esc", L"LINE", L"(setq a 1)",
                              L"!answer \"\"", L"!dlg_set 5 \"q\\\"uote\""}) {
    host::LineParse p = host::ParseScriptLine(line);
    ASSERT_EQ(p.kind, host::LineKind::kAction);
    EXPECT_EQ(host::ActionText(p.action), line);
  }
}

}  // namespace
