#include "common/dialogs/dcl_boxes.h"

#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "host/db/database.h"

namespace {

class DclBoxesTest : public DialogTest {};

TEST_F(DclBoxesTest, YesNoBoxesAnswerByButton) {
  struct Case {
    int (*box)(const wchar_t*);
    std::vector<std::pair<std::string, std::wstring>> script;
    int expected;
  };
  const Case cases[] = {
      {YesNoBox, {{"dlg_click", L"LarYes"}}, 1},
      {YesNoBox, {{"dlg_click", L"LarNo"}}, 2},
      {YesNoBox, {{"dlg_click", L"LarCancel"}}, 3},
      {YesNoBox, {{"esc", L""}}, 3},
      {NoYesBox, {{"dlg_click", L"LarYes"}}, 1},
      {NoYesBox, {{"dlg_click", L"LarHelp"}, {"dlg_click", L"LarNo"}}, 2},
      {NoYesBox, {}, 3},  // out of script: Esc, the cancel button
  };
  for (const Case& c : cases) {
    host::Actions().Clear();
    for (const auto& [verb, arg] : c.script) {
      if (arg.empty())
        Push(verb);
      else
        Push(verb, {arg});
    }
    EXPECT_EQ(c.box(L"Delete it?"), c.expected);
  }
  EXPECT_TRUE(host::Shown().Contains("help", L""));
}

TEST_F(DclBoxesTest, NarrowFormShowsTheMessage) {
  Push("dlg_click", {L"LarYes"});
  EXPECT_EQ(YesNoBox("Layer exists, OK to use it?"), 1);
  EXPECT_TRUE(host::Shown().Contains("dcl", L"Layer exists, OK to use it?"));
}

TEST_F(DclBoxesTest, MissingFileOrDialogAnswersZeroWithTheMessage) {
  host::SetSupportPath({Support()});  // the project's DCL files are not there
  EXPECT_EQ(YesNoBox(L"?"), 0);
  EXPECT_EQ(Printed(), L"Error loading \"g_yesno.dcl\"\n");
  Write("support/g_noyes.dcl", "other : dialog { ok_only; }\n");
  EXPECT_EQ(NoYesBox(L"?"), 0);
  EXPECT_NE(Printed().find(L"New_dialog for g_noyes failed"), std::wstring::npos);
  std::int32_t value = 77;
  EXPECT_FALSE(GetIntBox(L"m", L"p", 1, 10, 5, &value));
  EXPECT_EQ(value, 77);
  EXPECT_EQ(OverwriteAppendBox(L"t"), 0);
}

TEST_F(DclBoxesTest, IntegerBoxChecksTheField) {
  struct Case {
    std::int32_t min, max;
    std::wstring typed;
    bool ok;
    std::int32_t value;
    std::wstring error;
  };
  const Case cases[] = {
      {1, 10, L"5", true, 5, L""},
      {1, 10, L"1 0", true, 10, L""},
      {1, 10, L"11", false, 0, L"Value Between 1 - 10 Expected"},
      {1, 10, L"1a", false, 0, L"Requires An Integer Number"},
      {1, 10, L"", false, 0, L"Value Between 1 - 10 Expected"},
      {-10, 10, L"-5", true, -5, L""},
      {-10, 10, L"5", true, 5, L""},
      {-10, 10, L"3-4", true, 3, L""},
      {0, 10, L"99999999999999999999", false, 0, L"Value Between 0 - 10 Expected"},
  };
  for (const Case& c : cases) {
    host::Actions().Clear();
    Push("dlg_set", {L"LarGetIntField", c.typed});  // lost focus: checks only
    Push("dlg_click", {L"accept"});
    std::int32_t value = -99;
    EXPECT_EQ(GetIntBox(L"How many?", L"1 to 10", c.min, c.max, 3, &value), c.ok) << c.typed;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.typed;
    } else {
      EXPECT_EQ(value, -99);
      // The error stays and the box stays open until cancelled.
      EXPECT_TRUE(host::Shown().Contains("dcl", c.error)) << c.typed;
    }
  }
}

TEST_F(DclBoxesTest, IntegerBoxEnterInTheFieldAcceptsAndInitialValueCounts) {
  Push("dlg_set", {L"LarGetIntField", L"7", L"1"});
  std::int32_t value = 0;
  EXPECT_TRUE(GetIntBox("m", "p", 1, 10, 3, &value));
  EXPECT_EQ(value, 7);
  Push("dlg_click", {L"accept"});
  EXPECT_TRUE(GetIntBox(L"m", L"p", 1, 10, 4, &value));
  EXPECT_EQ(value, 4);
}

TEST_F(DclBoxesTest, TextBoxKeepsLeadingBlanksAndDropsTrailingOnes) {
  Push("dlg_set", {L"LarGetStrField_name", L"  word   "});
  Push("dlg_click", {L"accept"});
  wchar_t text[100] = L"old";
  EXPECT_TRUE(GetStrBox(L"m", L"p", L"name", L"first", text, 100));
  EXPECT_STREQ(text, L"  word");
  // A small out buffer is never overrun.
  Push("dlg_set", {L"LarGetStrField_name", L"abcdefghij", L"1"});
  char small[5] = "";
  EXPECT_TRUE(GetStrBox("m", "p", "name", "", small, sizeof small));
  EXPECT_STREQ(small, "abcd");
  // Cancel leaves the text alone; an unknown suffix is no dialog.
  Push("esc");
  EXPECT_FALSE(GetStrBox(L"m", L"p", L"name", L"x", text, 100));
  EXPECT_STREQ(text, L"  word");
  EXPECT_FALSE(GetStrBox(L"m", L"p", L"nosuch", L"x", text, 100));
}

TEST_F(DclBoxesTest, AppendOverwriteAndMessage) {
  Push("dlg_click", {L"overwrite"});
  EXPECT_EQ(OverwriteAppendBox("out.csv"), 2);
  Push("dlg_click", {L"append"});
  EXPECT_EQ(OverwriteAppendBox(L"out.csv"), 1);
  Push("esc");
  EXPECT_EQ(OverwriteAppendBox(L"out.csv"), 3);
  Push("dlg_click", {L"LarMsgYes"});
  MessageBoxDcl("Done.");
  EXPECT_TRUE(host::Actions().Empty());
}

TEST_F(DclBoxesTest, ThreeDimensionalPolylineTest) {
  host::db::Database db;
  host::db::ScopedWorkingDatabase scoped(&db);
  host::db::PolylineData three_d;
  three_d.flags = host::db::kPolyline3d;
  host::db::PolylineData flat;
  const auto a = db.AppendPolyline(three_d, {host::db::VertexData{{0, 0, 0}}, host::db::VertexData{{1, 1, 1}}});
  const auto b = db.AppendPolyline(flat, {host::db::VertexData{{0, 0, 0}}, host::db::VertexData{{1, 1, 0}}});
  const auto c = db.Append(host::db::LineData{});
  EXPECT_TRUE(Is3dPolyline(a));
  EXPECT_FALSE(Is3dPolyline(b));
  EXPECT_FALSE(Is3dPolyline(c));
  const host::SelectionSetId set = host::NewSelectionSet();
  EXPECT_FALSE(Is3dPolyline(set));  // empty
  ASSERT_EQ(host::AddToSelectionSet(set, a), host::Status::kNormal);
  ASSERT_EQ(host::AddToSelectionSet(set, b), host::Status::kNormal);
  EXPECT_TRUE(Is3dPolyline(set));
  (void)host::FreeSelectionSet(set);
}

}  // namespace
