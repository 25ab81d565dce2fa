#include "gml/ui/boundary_selection.h"

#include <gtest/gtest.h>

#include <string>

#include "gml/settings/area_filter.h"
#include "host/db/database.h"
#include "host/editor/command_line.h"
#include "host/editor/selection.h"
#include "host/system/events.h"
#include "host/system/user_actions.h"
#include "host/testing/test_reset.h"
#include "host/ui/message_box.h"

namespace {

using host::db::Point3;

class BoundarySelectionTest : public ::testing::Test {
 protected:
  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }
  host::EntityName Polyline(bool closed, std::initializer_list<host::db::LwVertex> vertices) {
    host::db::LwPolylineData data;
    data.vertices = vertices;
    data.closed = closed;
    return db.Append(data);
  }
  host::EntityName Line() { return db.Append(host::db::LineData{{0, 0, 0}, {10, 0, 0}}); }
  host::EntityName Circle() { return db.Append(host::db::CircleData{{50, 50, 0}, 2}); }
  host::EntityName Text() {
    host::db::TextData text;
    text.position = {3, 4, 0};
    text.text = L"Label";
    return db.Append(text);
  }

  host::db::Database db;
  host::db::ScopedWorkingDatabase scope{&db};
};

TEST_F(BoundarySelectionTest, PickRefusesATextThenTakesPolylinesAndLines) {
  const host::EntityName text = Text();
  const host::EntityName square = Polyline(true, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const host::EntityName line = Line();
  host::Actions().Push("pick", {host::HandleText(text)});
  host::Actions().Push("pick", {host::HandleText(square)});
  host::EntityName picked;
  Point3 at;
  bool closed = false;
  ASSERT_TRUE(PickBoundaryEntity(L"\nSelect boundary: ", &picked, &at, &closed));
  EXPECT_EQ(picked, square);
  EXPECT_TRUE(closed);
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(host::ui::MessageBoxes()[0].request.text, L"Please select a polyline/circle/arc.");

  host::Actions().Push("pick", {host::HandleText(line)});
  ASSERT_TRUE(PickBoundaryEntity(L"\nSelect boundary: ", &picked, &at, &closed));
  EXPECT_EQ(picked, line);
  EXPECT_FALSE(closed);

  host::Actions().Push("esc");
  EXPECT_FALSE(PickBoundaryEntity(L"\nSelect boundary: ", &picked, &at, &closed));
}

TEST_F(BoundarySelectionTest, MissesEarnSternerHintsAndTheSixteenthGivesUp) {
  for (int i = 0; i < 16; ++i) host::Actions().Push("pick", {L"500,500"});
  host::EntityName picked;
  Point3 at;
  bool closed = false;
  EXPECT_FALSE(PickBoundaryEntity(L"\nSelect boundary: ", &picked, &at, &closed));
  const std::wstring text = host::CommandLineText();
  EXPECT_NE(text.find(L"\nHum... To cancel press <Esc>"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nHum... To cancel PRESS <ESC>"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nTO CANCEL PRESS <ESC>!!"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nOkei, canceling."), std::wstring::npos);
  EXPECT_TRUE(host::Actions().Empty());
}

TEST_F(BoundarySelectionTest, SelectionKeepsCirclesAndPolylinesAndEscLeavesAnEmptySet) {
  const host::EntityName circle = Circle();
  const host::EntityName square = Polyline(true, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const host::EntityName open = Polyline(false, {{0, 0}, {10, 0}});
  const host::EntityName line = Line();
  host::Actions().Push("select", {host::HandleText(circle), host::HandleText(square), host::HandleText(open), host::HandleText(line)});
  host::SelectionSetId set = 0;
  std::int32_t count = -1;
  ASSERT_TRUE(SelectBoundaryEntities(&set, &count));
  EXPECT_EQ(count, 3);  // the line is not a boundary
  EXPECT_NE(host::CommandLineText().find(L"\nSelect polylines:"), std::wstring::npos);
  EXPECT_EQ(host::FreeSelectionSet(set), host::Status::kNormal);

  host::Actions().Push("esc");
  set = 0;
  EXPECT_FALSE(SelectBoundaryEntities(&set, &count));
  EXPECT_EQ(count, 0);
  ASSERT_NE(set, 0u);
  EXPECT_EQ(host::SelectionSetLength(set).value, 0);
  EXPECT_EQ(host::FreeSelectionSet(set), host::Status::kNormal);
}

TEST_F(BoundarySelectionTest, EntityPointIsTheLastPointOfItsDefinition) {
  double x = -1, y = -1;
  EXPECT_TRUE(GetEntityPoint(Polyline(false, {{1, 2}, {3, 4}, {5, 6}}), &x, &y));
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 6);
  EXPECT_TRUE(GetEntityPoint(Circle(), &x, &y));
  EXPECT_EQ(x, 50);
  EXPECT_TRUE(GetEntityPoint(host::EntityName{}, &x, &y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST_F(BoundarySelectionTest, PointInBoundaryCountsAVertexAboveThePointOnce) {
  // A diamond whose top vertex (5, 10) lies straight above (5, 1).
  GrowArray segments{};
  ASSERT_TRUE(GrowArrayCreate(4, sizeof(OutlineSegment), &segments));
  for (const OutlineSegment s : {OutlineSegment{0, 5, 5, 10}, OutlineSegment{5, 10, 10, 5},
                                 OutlineSegment{10, 5, 5, 0}, OutlineSegment{5, 0, 0, 5}})
    ASSERT_TRUE(GrowArraySet(&segments, segments.count, &s));
  struct Case {
    double x, y;
    bool inside;
  };
  for (const Case c : {Case{5, 5, true}, Case{5, 1, true}, Case{5, 11, false}, Case{1, 9, false},
                       Case{9, 5, true}, Case{-1, 5, false}}) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    EXPECT_EQ(PointInBoundary(c.x, c.y, segments, 0.0), c.inside);
  }
  GrowArrayFree(&segments);
}

TEST_F(BoundarySelectionTest, PumpReturnsAtOnceWithNothingWaiting) {
  const int before = host::PumpCount();
  ProcessPendingMessages();
  EXPECT_EQ(host::PumpCount(), before + 1);
}

}  // namespace
