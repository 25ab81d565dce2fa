// The pieces both join runs share: the selection filters, reading an
// object, reversing lists, and the polyline writers.
#include <cmath>

#include "host/db/entity_list.h"
#include "host/db/filter.h"
#include "join/join_direction.h"
#include "join/join_object.h"
#include "join/polyline_writers.h"
#include "join/tests/join_fixture.h"

namespace join_test {
namespace {

using host::db::FilterResult;

TEST_F(JoinTest, SelectionFiltersTakeJoinableObjectsOnly) {
  const host::EntityName line = Line({0, 0, 0}, {1, 0, 0});
  const host::EntityName arc = Arc({0, 0, 0}, 1, 0, 1);
  const host::EntityName circle = Circle({0, 0, 0}, 1);
  const host::EntityName lw = LwPolyline({{0, 0}, {1, 0}}, false);
  const host::EntityName lwClosed = LwPolyline({{0, 0}, {1, 0}, {1, 1}}, true);
  const host::EntityName plinegen = PolylineThrough({{0, 0, 0}, {1, 0, 0}}, 128);
  const host::EntityName poly3d = PolylineThrough({{0, 0, 0}, {1, 0, 1}}, 8);
  const host::EntityName poly3dClosed = PolylineThrough({{0, 0, 0}, {1, 0, 1}, {1, 1, 0}}, 9);
  const host::EntityName mesh = PolylineThrough({{0, 0, 0}, {1, 0, 1}}, 17);
  host::db::TextData text;
  text.text = L"x";
  const host::EntityName other = db_.Append(text);
  struct Case {
    host::EntityName entity;
    bool join3d, join2d, initial;
  } cases[] = {
      {line, true, true, true},          {arc, true, true, true},
      {circle, true, true, false},       {lw, true, true, true},
      {lwClosed, true, true, true},      {plinegen, true, true, true},
      {poly3d, true, false, true},       {poly3dClosed, true, false, true},
      {mesh, false, false, false},       {other, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entity.handle);
    auto passes = [&](bool circles, bool allow3d) {
      return host::db::MatchFilter(c.entity, JoinSelectionFilter(circles, allow3d)) ==
             FilterResult::kMatch;
    };
    EXPECT_EQ(passes(true, true), c.join3d);
    EXPECT_EQ(passes(true, false), c.join2d);
    EXPECT_EQ(passes(false, true), c.initial);
  }
}

TEST_F(JoinTest, AFailedSelectionSaysItsErrorNumberAndACancelLeavesAnEmptySet) {
  host::Actions().Push("error", {L"52"});
  EXPECT_FALSE(SelectJoinObjects());
  EXPECT_NE(Printed().find(L"\nSelect polylines/lines/arcs to join together:"), std::wstring::npos);
  EXPECT_NE(Printed().find(L"\nError! (AutoCAD) ERRNO: 52"), std::wstring::npos);
  host::ClearCommandLine();
  host::Actions().Push("esc");
  EXPECT_FALSE(SelectInitialEntities());
  EXPECT_EQ(Printed().find(L"Error!"), std::wstring::npos);
  EXPECT_NE(InitialSet().set, 0u);
  EXPECT_EQ(InitialSet().count, 0);
}

TEST_F(JoinTest, ReadingAnObjectTakesItsLayerColourFlagsWidthAndSlope) {
  JoinObject piece;
  const host::EntityName sloping = Line({0, 0, 0}, {1, 0, 0.5});
  ASSERT_TRUE(ReadJoinEntityInfo(sloping, piece));
  EXPECT_TRUE(piece.is3d);
  EXPECT_EQ(piece.layerName, L"0");
  EXPECT_EQ(piece.colour, 256);
  EXPECT_EQ(piece.flags, kJoinDefaultFlags);

  ASSERT_TRUE(ReadJoinEntityInfo(Line({0, 0, 10}, {1, 0, 10}), piece));
  EXPECT_FALSE(piece.is3d);

  LwPolylineData closed;
  closed.vertices = {{0, 0, 0, 0.5, 0.5}, {1, 0, 0, 0.75, 0.75}, {1, 1}};
  closed.closed = true;
  closed.plinegen = true;
  const host::EntityName lw = db_.Append(closed);
  OnLayer(lw, L"Walls");
  db_.EntityOf(lw)->color = 3;
  ASSERT_TRUE(ReadJoinEntityInfo(lw, piece));
  EXPECT_EQ(piece.flags, 128);
  EXPECT_EQ(piece.layerName, L"Walls");
  EXPECT_EQ(piece.colour, 3);
  EXPECT_FALSE(piece.is3d);

  ASSERT_TRUE(ReadJoinEntityInfo(PolylineThrough({{0, 0, 0}, {1, 0, 0}}, 9), piece));
  EXPECT_TRUE(piece.is3d);
  EXPECT_EQ(piece.flags, 8);
}

TEST(JoinLists, ReversingTurnsElementsAndPointsRound) {
  GeometryElement e{};
  e.length = 5;
  e.radiusStart = e.radiusEnd = 10;
  e.centreX = 3;
  e.headingStart = 0.5;
  e.headingEnd = 6.0;
  e.startX = 1;
  e.endX = 2;
  std::vector<GeometryElement> one = {e};
  ReverseElementList(one);
  EXPECT_EQ(one[0].startChainage, 0);
  EXPECT_EQ(one[0].radiusStart, -10);
  EXPECT_EQ(one[0].centreX, 3);
  EXPECT_EQ(one[0].startX, 2);
  EXPECT_NEAR(one[0].headingStart, 6.0 + 3.14159265359 - 6.283185308, 1e-12);
  EXPECT_NEAR(one[0].headingEnd, 0.5 + 3.14159265359, 1e-12);

  std::vector<host::db::Point3> two = {{1, 0, 0}, {2, 0, 0}};
  ReversePointList(two);
  EXPECT_EQ(two[0].x, 2);
  std::vector<host::db::Point3> single = {{1, 0, 0}};
  ReversePointList(single);
  EXPECT_EQ(single[0].x, 1);
}

TEST_F(JoinTest, WithoutTheViewSizeNoDirectionQuestionIsAsked) {
  GeometryElement e{};
  e.length = 10;
  e.endX = 10;
  host::FailSystemVariable(L"VIEWSIZE", host::SysVarOp::kGet, 0, 1);
  Type(L"y");
  EXPECT_FALSE(AskReverseDirection(e));
  EXPECT_TRUE(host::TemporaryVectors().empty());
  EXPECT_EQ(Printed().find(L"Change this polylines direction?"), std::wstring::npos);
  EXPECT_TRUE(AskReverseDirection(e));
  ASSERT_EQ(host::TemporaryVectors().size(), 6u);
  // The arrow lies beside the middle of the element, pointing along it.
  const host::TemporaryVector& shaft = host::TemporaryVectors()[0];
  EXPECT_NEAR((shaft.from.x + shaft.to.x) / 2, 5, 1e-9);
  EXPECT_LT(shaft.from.y, 0);
  EXPECT_GT(shaft.to.x, shaft.from.x);
}

TEST_F(JoinTest, ElementsGiveOneVertexMoreWithEachArcsBulgeOnItsStart) {
  GeometryElement straight{};
  straight.length = 10;
  straight.endX = 10;
  GeometryElement arc{};
  arc.length = M_PI * 5 / 2;
  arc.radiusStart = arc.radiusEnd = 5;
  arc.centreX = 10;
  arc.centreY = 5;
  arc.startX = 10;
  arc.endX = 15;
  arc.endY = 5;
  const std::vector<GeometryElement> list = {straight, arc};
  host::EntityName made;
  ASSERT_TRUE(CreatePolylineFromElements(L"0", 256, 2.5, 0.2, list, &made));
  const auto& p = std::get<LwPolylineData>(db_.EntityOf(made)->data);
  ASSERT_EQ(p.vertices.size(), 3u);
  EXPECT_EQ(p.vertices[0].bulge, 0);
  EXPECT_NEAR(p.vertices[1].bulge, std::tan(M_PI / 8), 1e-12);
  EXPECT_EQ(p.elevation, 2.5);
  EXPECT_EQ(p.constantWidth, 0.2);
  EXPECT_EQ(db_.EntityOf(made)->color, 256);
  EXPECT_EQ(made, host::db::LastEntity());
}

TEST_F(JoinTest, VertexWritersDropPointsWithinAMillimetreOfThePreviousListedPoint) {
  const std::vector<Point3> points = {{0, 0, 0}, {0.0005, 0, 1}, {0.0012, 0, 2}, {5, 0, 3}, {0, 0, 0}};
  host::EntityName lw, poly;
  ASSERT_TRUE(CreatePolylineFromVertices(L"0", 5, 7.0, 0.0, points, &lw));
  // The third point is compared with the dropped second one.
  EXPECT_EQ(std::get<LwPolylineData>(db_.EntityOf(lw)->data).vertices.size(), 3u);
  ASSERT_TRUE(Create3dPolylineFromVertices(L"0", 5, points, &poly));
  const std::vector<Point3> v = VerticesOf(*db_.EntityOf(poly));
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v.front(), v.back());
  EXPECT_EQ(std::get<PolylineData>(db_.EntityOf(poly)->data).flags, host::db::kPolyline3d);
  EXPECT_EQ(db_.EntityOf(poly)->color, 5);
  // Fewer than two vertices write nothing.
  const std::size_t before = Live().size();
  EXPECT_FALSE(Create3dPolylineFromVertices(L"0", 5, std::vector<Point3>{{0, 0, 0}, {0, 0.0001, 0}}));
  EXPECT_FALSE(CreatePolylineFromElements(L"0", 5, 0, 0, std::vector<GeometryElement>{}));
  EXPECT_EQ(Live().size(), before);
}

}  // namespace
}  // namespace join_test
