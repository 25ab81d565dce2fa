// Location areas taken from entities: a picked boundary, a Buffer Zone
// centre-line with its width, and a selection of batch boundaries, each
// answered through the user's actions.
#include "gml/ui/location_areas.h"

#include <gtest/gtest.h>

#include <string>

#include "gml/settings/tests/dialog_fixture.h"
#include "gml/writer/os_xdata.h"
#include "host/db/database.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/selection.h"

namespace {

class LocationAreasTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(filter.CreateLists());
  }
  void TearDown() override {
    filter.FreeAreas(1);
    EXPECT_EQ(host::OpenSelectionSets(), 0);
    DialogTest::TearDown();
  }
  host::EntityName Polyline(bool closed, std::initializer_list<host::db::LwVertex> vertices) {
    host::db::LwPolylineData data;
    data.closed = closed;
    data.vertices = vertices;
    return db.Append(data);
  }
  AreaFilterArea Area(std::int32_t i) const {
    AreaFilterArea area{};
    EXPECT_TRUE(filter.GetArea(&area, i));
    return area;
  }
  static std::wstring Said() { return host::CommandLineText(); }

  host::db::Database db;
  host::db::ScopedWorkingDatabase scope{&db};
  AreaFilter filter;
};

TEST_F(LocationAreasTest, PickedBoundaryBecomesAPolylineArea) {
  const host::EntityName square = Polyline(true, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  host::db::TextData text;
  text.position = {3, 4, 0};
  text.text = L"Label";
  const host::EntityName label = db.Append(text);
  Push("pick", {host::HandleText(label)});  // refused: not a boundary
  Push("pick", {host::HandleText(square)});
  ASSERT_TRUE(AddPickedBoundaryArea(filter, "Mill Lane"));
  EXPECT_NE(Said().find(L"Select polyline/circle/arc..."), std::wstring::npos);
  ASSERT_EQ(filter.GetAreaCount(), 1);
  const AreaFilterArea area = Area(0);
  EXPECT_EQ(area.kind, kAreaPolyline);
  EXPECT_EQ(area.tag, 1);
  EXPECT_STREQ(area.description, "Mill Lane");
  EXPECT_EQ(area.elements.count, 4);
  EXPECT_DOUBLE_EQ(area.header.roadLength, 40.0);
  EXPECT_TRUE(filter.PointInFilter(5, 5));
  EXPECT_FALSE(filter.PointInFilter(15, 5));

  // A circle gives two half arcs.
  const host::EntityName circle = db.Append(host::db::CircleData{{100, 100, 0}, 5});
  Push("pick", {host::HandleText(circle)});
  ASSERT_TRUE(AddPickedBoundaryArea(filter, ""));
  EXPECT_EQ(Area(1).elements.count, 2);
  EXPECT_TRUE(filter.PointInFilter(100, 100));
  EXPECT_FALSE(filter.PointInFilter(100, 106));
}

TEST_F(LocationAreasTest, CancelledPicksAndBoundariesOfNoLengthAddNothing) {
  // A boundary of no length would leave the outline empty, and an empty
  // outline lets every feature through.
  const host::EntityName dot = Polyline(false, {{5, 5}});
  const host::EntityName collapsed = Polyline(true, {{5, 5}, {5, 5}});
  const host::EntityName point = db.Append(host::db::CircleData{{5, 5, 0}, 0});
  const host::EntityName line = db.Append(host::db::LineData{{0, 0, 0}, {10, 0, 0}});
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::wstring>> actions;
    bool zone;
  };
  const Case cases[] = {
      {"pick cancelled", {{"esc", L""}}, false},
      {"one vertex", {{"pick", host::HandleText(dot)}}, false},
      {"two vertices on one point", {{"pick", host::HandleText(collapsed)}}, false},
      {"circle of radius 0", {{"pick", host::HandleText(point)}}, false},
      {"zone: pick cancelled", {{"esc", L""}}, true},
      {"zone: width cancelled", {{"pick", host::HandleText(line)}, {"esc", L""}}, true},
      {"zone: centre-line of one vertex", {{"pick", host::HandleText(dot)}, {"type", L"5"}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& [verb, arg] : c.actions)
      Push(verb, arg.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{arg});
    EXPECT_FALSE(c.zone ? AddBufferZoneArea(filter, "x") : AddPickedBoundaryArea(filter, "x"));
    EXPECT_EQ(filter.GetAreaCount(), 0);
    EXPECT_TRUE(host::Actions().Empty());
  }
  EXPECT_NE(Said().find(L"The picked entity gives no boundary: no area added."), std::wstring::npos);
  EXPECT_TRUE(filter.PointInFilter(5, 5));
}

TEST_F(LocationAreasTest, BufferZoneReachesTheWidthToEitherSide) {
  const host::EntityName centre = Polyline(false, {{0, 0}, {100, 0}, {100, 100}});
  Push("pick", {host::HandleText(centre)});
  Push("type", {L"7.5"});
  ASSERT_TRUE(AddBufferZoneArea(filter, "Along the road"));
  EXPECT_NE(Said().find(L"Select centreline for the Buffer Zone..."), std::wstring::npos);
  EXPECT_NE(Said().find(L"Buffer Zone width: "), std::wstring::npos);
  const AreaFilterArea area = Area(0);
  EXPECT_EQ(area.kind, kAreaBufferZone);
  EXPECT_EQ(area.tag, 1);
  EXPECT_STREQ(area.description, "Along the road");
  EXPECT_EQ(area.leftOffset, -7.5);
  EXPECT_EQ(area.rightOffset, 7.5);
  EXPECT_EQ(area.elements.count, 2);
  EXPECT_DOUBLE_EQ(area.header.roadLength, 200.0);
  const struct {
    double x, y;
    bool inside;
  } points[] = {{50, 7, true},     {50, -7, true},   {50, 8, false},   {50, -8, false},
                {-1, 0, false},    {1, 0, true},     {107, 107, false}, {106, 50, true},
                {93, 50, true},    {92, 50, false},  {100, 101, false}, {100, 99, true},
                {107, -7, true}};
  for (const auto& p : points) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    EXPECT_EQ(filter.PointInFilter(p.x, p.y), p.inside);
  }
}

TEST_F(LocationAreasTest, BatchBoundariesByTheirLocationNames) {
  ASSERT_TRUE(EnsureBatchLocationApp(kBatchLocationApp));
  const host::EntityName named = Polyline(true, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const host::EntityName unnamed = Polyline(true, {{20, 0}, {30, 0}, {30, 10}, {20, 10}});
  const host::EntityName empty = Polyline(true, {{40, 0}, {40, 0}});
  const host::EntityName other = Polyline(true, {{50, 0}, {60, 0}, {60, 10}});
  ASSERT_TRUE(WriteBatchLocationXdata(db, named, "Church End"));
  ASSERT_TRUE(WriteBatchLocationXdata(db, empty, "Nowhere"));
  ASSERT_TRUE(WriteBatchLocationXdata(db, other, "Mill Lane"));

  Push("select", {host::HandleText(named), host::HandleText(unnamed), host::HandleText(empty), host::HandleText(other)});
  EXPECT_EQ(AddBatchBoundaryAreas(filter, true), 2);
  ASSERT_EQ(filter.GetAreaCount(), 2);
  EXPECT_STREQ(Area(0).description, "Church End");
  EXPECT_STREQ(Area(1).description, "Mill Lane");
  EXPECT_EQ(Area(0).kind, kAreaPolyline);
  EXPECT_EQ(Area(1).elements.count, 3);
  EXPECT_NE(Said().find(L"Select polylines:"), std::wstring::npos);
  EXPECT_TRUE(host::Shown().Contains("progress", L"Scanning..."));

  // Without the check every boundary that gives one counts, named or not.
  Push("select", {host::HandleText(named), host::HandleText(unnamed), host::HandleText(empty), host::HandleText(other)});
  EXPECT_EQ(AddBatchBoundaryAreas(filter, false), 3);
  EXPECT_EQ(filter.GetAreaCount(), 5);
  EXPECT_STREQ(Area(3).description, "");

  Push("esc");
  EXPECT_EQ(AddBatchBoundaryAreas(filter, false), 0);
  EXPECT_EQ(filter.GetAreaCount(), 5);
}

}  // namespace
