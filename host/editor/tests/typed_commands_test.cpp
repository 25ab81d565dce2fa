#include "host/editor/typed_commands.h"

#include "drawing_fixture.h"
#include "host/editor/system_variables.h"

namespace {

using host::db::Point3;
using TypedCommandsTest = DrawingTest;

std::vector<host::db::LineData> Lines(const host::db::Database& db) {
  std::vector<host::db::LineData> lines;
  for (host::EntityName id : db.EntitiesIn(db.ModelSpace()))
    if (auto* l = std::get_if<host::db::LineData>(&db.EntityOf(id)->data)) lines.push_back(*l);
  return lines;
}

TEST_F(TypedCommandsTest, LineAsksForPointsUntilEnterOrEsc) {
  for (const wchar_t* answer : {L"", L"!esc"}) {
    SCOPED_TRACE(answer[0] ? "Esc" : "Enter");
    Type(L"0,0");
    Type(L"4,0");
    Type(L"@0,3");
    if (answer[0]) host::Actions().Push("esc"); else Type(answer);
    ASSERT_TRUE(host::RunTypedHostCommand(L"line"));
  }
  const std::vector<host::db::LineData> lines = Lines(db_);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1].start, (Point3{4, 0, 0}));
  EXPECT_EQ(lines[1].end, (Point3{4, 3, 0}));
  EXPECT_TRUE(host::Shown().Contains("prompt", L"Next point: "));
  EXPECT_TRUE(host::Actions().Empty());
  // One point and Esc draws nothing.
  Type(L"9,9");
  host::Actions().Push("esc");
  ASSERT_TRUE(host::RunTypedHostCommand(L"_.LINE"));
  EXPECT_EQ(Lines(db_).size(), 4u);
}

TEST_F(TypedCommandsTest, MoveCopyZoomLimitsUndoRedrawTakeTheirAnswers) {
  (void)Line(0, 0, 2, 0);
  const struct {
    const wchar_t* command;
    std::vector<std::wstring> answers;
    const wchar_t* recorded;  // what ran, as the transcript has it
  } cases[] = {
      {L"MOVE", {L"all", L"0,0", L"@0,1"}, L"MOVE <selection of 1> \"\" (0,0,0) (0,1,0)"},
      {L"copy", {L"all", L"0,0", L"5,0"}, L"copy <selection of 1> \"\" (0,0,0) (5,0,0)"},
      {L"ZOOM", {L""}, L"ZOOM \"_E\""},
      {L"ZOOM", {L"ext"}, L"ZOOM \"_E\""},
      {L"ZOOM", {L"w", L"0,0", L"10,10"}, L"ZOOM \"_W\" (0,0,0) (10,10,0)"},
      {L"_zoom", {L"1,1", L"3,3"}, L"_zoom \"_W\" (1,1,0) (3,3,0)"},
      {L"LIMITS", {L"off"}, L"LIMITS \"OFF\""},
      {L"LIMITS", {L"", L"100,50"}, L"LIMITS (0,0,0) (100,50,0)"},
      {L"UNDO", {L"be"}, L"UNDO \"BEgin\""},
      {L"UNDO", {L"M"}, L"UNDO \"Mark\""},
      {L"REDRAW", {}, L"REDRAW"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.recorded);
    host::Shown().Clear();
    for (const std::wstring& answer : c.answers) Type(answer);
    ASSERT_TRUE(host::RunTypedHostCommand(c.command));
    EXPECT_EQ(host::Shown().TextsOf("command"), std::vector<std::wstring>{c.recorded});
    EXPECT_TRUE(host::Actions().Empty());
  }
  const std::vector<host::db::LineData> lines = Lines(db_);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].start, (Point3{0, 1, 0}));
  EXPECT_EQ(lines[1].start, (Point3{5, 1, 0}));
  EXPECT_EQ(host::GetSystemVariable(L"VIEWSIZE").Number(), 2.0);
}

// A word that is no keyword is refused with the host's message and the
// question asked again; Esc then ends the command with nothing run.
TEST_F(TypedCommandsTest, WrongAnswersAreRefusedAndAskedAgain) {
  const struct {
    const wchar_t* command;
    const wchar_t* answer;
    const wchar_t* then;
    const wchar_t* recorded;  // empty: nothing runs
  } cases[] = {{L"UNDO", L"sideways", L"m", L"UNDO \"Mark\""},
               {L"ZOOM", L"previous", L"e", L"ZOOM \"_E\""},
               {L"LIMITS", L"maybe", L"off", L"LIMITS \"OFF\""},
               {L"ZOOM", L"previous", nullptr, L""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.command << " " << c.answer);
    host::Shown().Clear();
    Type(c.answer);
    if (c.then != nullptr)
      Type(c.then);
    else
      host::Actions().Push("esc");
    ASSERT_TRUE(host::RunTypedHostCommand(c.command));
    EXPECT_TRUE(host::Shown().Contains("print", L"Invalid option keyword."));
    EXPECT_EQ(host::Shown().TextsOf("prompt").size(), 2u) << "asked again";
    const std::vector<std::wstring> ran = host::Shown().TextsOf("command");
    EXPECT_EQ(ran, *c.recorded ? std::vector<std::wstring>{c.recorded} : std::vector<std::wstring>{});
    EXPECT_TRUE(host::Actions().Empty());
  }
}

// UNDO takes its options, but nothing is undone: the user is told so.
TEST_F(TypedCommandsTest, UndoSaysTheHostKeepsNoHistory) {
  (void)Line(0, 0, 2, 0);
  Type(L"b");
  ASSERT_TRUE(host::RunTypedHostCommand(L"UNDO"));
  EXPECT_TRUE(host::Shown().Contains("print", L"This host keeps no undo history: nothing was undone."));
  EXPECT_EQ(Lines(db_).size(), 1u);
}

TEST_F(TypedCommandsTest, UnknownNamesAreNoHostCommands) {
  host::Shown().Clear();
  EXPECT_FALSE(host::RunTypedHostCommand(L"NOSUCH"));
  EXPECT_FALSE(host::RunTypedHostCommand(L""));
  EXPECT_TRUE(host::Shown().TextsOf("prompt").empty()) << "an unknown name asks nothing";
}

}  // namespace
