#include "common/cad/entity_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cwctype>
#include <filesystem>
#include <string>
#include <vector>

#include "common/geometry/alignment.h"
#include "common/geometry/densify.h"
#include "common/cad/geometry_file.h"
#include "common/cad/tests/entity_fixtures.h"
#include "common/geometry/tests/geometry_fixtures.h"
#include "host/system/fault.h"

namespace {

using namespace entity_fixtures;
using geometry_fixtures::kPi;
using geometry_fixtures::List;

constexpr wchar_t kApp[] = L"LARCHWORKS_ROAD_CTLN_22970PEBRA";

std::vector<char> Load(const std::wstring& path) {
  const std::string bytes = common_test::ReadFile(path);
  return std::vector<char>(bytes.begin(), bytes.end());
}

class EntityGeometryTest : public DrawingTest {
 protected:
  // Builds the entity's elements and checks that they join up: each starts
  // where the previous ended, and evaluating each at its end chainage lands
  // on its end point.
  int Build(host::EntityName entity) {
    HzGeometry header{};
    list_ = std::make_unique<List>();
    if (!HzGeometryFromEntity(entity, header, list_->array())) return -1;
    double length = 0;
    for (int i = 0; i < header.elementCount; ++i) {
      const GeometryElement e = list_->At(i);
      if (i > 0) {
        const GeometryElement p = list_->At(i - 1);
        EXPECT_NEAR(e.startX, p.endX, 1e-9);
        EXPECT_NEAR(e.startY, p.endY, 1e-9);
        EXPECT_NEAR(e.startChainage, p.startChainage + p.length, 1e-9);
      }
      double x, y, h;
      ElementCentrelinePoint(e.startChainage + e.length, x, y, h, e);
      EXPECT_NEAR(x, e.endX, 1e-7) << i;
      EXPECT_NEAR(y, e.endY, 1e-7) << i;
      EXPECT_NEAR(geometry_fixtures::AngleDiff(h, e.headingEnd), 0, 1e-8) << i;
      EXPECT_EQ(e.clothoidParameter, 0);
      length += e.length;
    }
    EXPECT_NEAR(header.roadLength, length, 1e-9);
    return header.elementCount;
  }
  std::unique_ptr<List> list_;
};

TEST_F(EntityGeometryTest, ElementCountsByEntity) {
  struct Case {
    const char* name;
    host::EntityName entity;
    int count;
  } cases[] = {
      {"line", Line({0, 0, 0}, {10, 5, 3}), 1},
      {"arc", Arc({5, 5, 0}, 20, 0.3, 2.0), 1},
      {"arc across east", Arc({5, 5, 0}, 20, 6.0, 0.5), 1},
      {"circle", Circle({1, 2, 0}, 4), 2},
      {"open lightweight polyline", LwPolyline({{0, 0}, {10, 0, 0.5}, {20, 0}, {20, 10, -1}, {20, 20}}, false), 4},
      {"closed lightweight polyline", LwPolyline({{0, 0}, {10, 0, 0.5}, {20, 0}, {20, 10, -1}, {20, 20, 0.2}}, true), 5},
      {"open polyline", Polyline({VertexData{{0, 0, 0}, 0.3}, VertexData{{5, 5, 0}}, VertexData{{9, 0, 0}}}, 0), 2},
      {"closed polyline", Polyline({VertexData{{0, 0, 0}, 0.3}, VertexData{{5, 5, 0}}, VertexData{{9, 0, 0}, -0.4}}, host::db::kPolylineClosed), 3},
      // Frame control points of a spline-fit polyline are not on its path,
      // and a spline-fit polyline gets no closing element.
      {"spline-fit polyline", Polyline({VertexData{{0, 0, 0}, 0, 0, 0, 8}, VertexData{{3, 9, 0}, 0, 0, 0, 16},
                                         VertexData{{5, 5, 0}, 0, 0, 0, 8}, VertexData{{9, 0, 0}, 0, 0, 0, 8}},
                                        host::db::kPolylineClosed | host::db::kPolylineSplineFit), 2},
      {"one vertex", LwPolyline({{3, 3}}, false), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Build(c.entity), c.count);
  }
  EXPECT_EQ(Build(db_.Append(host::db::PointData{{1, 2, 3}})), -1);
  EXPECT_EQ(Build(host::EntityName{}), -1);
}

TEST_F(EntityGeometryTest, ArcsAndCirclesTurnLeftFromTheirStart) {
  ASSERT_EQ(Build(Arc({5, 5, 0}, 20, 6.0, 0.5)), 1);
  GeometryElement e = list_->At(0);
  EXPECT_NEAR(e.length, 20 * (0.5 - 6.0 + 2 * kPi), 1e-9);
  EXPECT_EQ(e.radiusStart, 20);
  EXPECT_EQ(e.centreX, 5);
  EXPECT_NEAR(e.startX, 5 + 20 * std::cos(6.0), 1e-12);
  EXPECT_NEAR(e.headingStart, 6.0 + kPi / 2 - 2 * kPi, 1e-12);
  EXPECT_NEAR(e.headingEnd, 0.5 + kPi / 2, 1e-12);

  ASSERT_EQ(Build(Circle({1, 2, 0}, 4)), 2);
  e = list_->At(0);
  EXPECT_EQ(e.startX, -3) << "starts at the west point";
  EXPECT_EQ(e.startY, 2);
  EXPECT_EQ(e.endX, 5);
  EXPECT_EQ(e.headingStart, 4.712388981);
  EXPECT_EQ(e.headingEnd, 1.570796327);
  EXPECT_NEAR(e.length, 4 * kPi, 1e-12);
  // Through the south: the middle of the first half is below the centre.
  double x, y, h;
  ElementCentrelinePoint(e.length / 2, x, y, h, e);
  EXPECT_NEAR(x, 1, 1e-9);
  EXPECT_NEAR(y, -2, 1e-9);
  EXPECT_EQ(list_->At(1).startX, 5);
  EXPECT_EQ(list_->At(1).endX, -3);
}

TEST_F(EntityGeometryTest, PolylineBulgesBecomeArcs) {
  // A right-hand half circle from (0, 0) to (10, 0): its centre is (5, 0)
  // and it passes through (5, 5) (clockwise, so north of the chord).
  ASSERT_EQ(Build(LwPolyline({{0, 0, -1}, {10, 0}}, false)), 1);
  const GeometryElement e = list_->At(0);
  EXPECT_NEAR(e.radiusStart, -5, 1e-12);
  EXPECT_NEAR(e.centreX, 5, 1e-12);
  double x, y, h;
  ElementCentrelinePoint(e.length / 2, x, y, h, e);
  EXPECT_NEAR(x, 5, 1e-9);
  EXPECT_NEAR(y, 5, 1e-9);
}

TEST_F(EntityGeometryTest, LinkStartChainageAndId) {
  const host::EntityName plain = LwPolyline({{0, 0}, {30, 40}, {60, 40}}, false);
  HzGeometry header{};
  bool linked = true;
  List list;
  ASSERT_TRUE(GetEntityHzGeometry(plain, header, linked, list.array()));
  EXPECT_FALSE(linked);
  EXPECT_EQ(header.startChainage, 0);
  EXPECT_EQ(list.At(0).startChainage, 0);
  EXPECT_EQ(header.designSpeed, 50);
  ASSERT_EQ(std::wstring(header.id).size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(header.id[i] >= L'A' && header.id[i] <= L'Z');
  EXPECT_FALSE(db_.AppId(kApp).IsNull()) << "the application is registered";

  const host::EntityName chained = LwPolyline({{0, 0}, {30, 40}, {60, 40}}, false);
  SetXdata(chained, {{1001, kApp}, {1000, L"01250.5"}, {1000, L"02ROADQQ_TOO_LONG"}});
  List list2;
  ASSERT_TRUE(GetEntityHzGeometry(chained, header, linked, list2.array()));
  EXPECT_FALSE(linked) << "no base name: not linked";
  EXPECT_EQ(header.startChainage, 250.5);
  EXPECT_EQ(list2.At(0).startChainage, 250.5);
  EXPECT_EQ(list2.At(1).startChainage, 300.5);
  EXPECT_EQ(header.roadLength, 80);
  EXPECT_EQ(std::wstring(header.id), L"ROADQQ") << "a longer ID is cut to six";
}

TEST_F(EntityGeometryTest, OnlyTheLinksOwnItemsAreRead) {
  const host::EntityName entity = Line({0, 0, 0}, {1, 0, 0});
  // Another application's items look like link items; they must not count,
  // neither before nor after the link's own block.
  SetXdata(entity, {{1001, L"OS"}, {1000, L"00wrong"}, {1000, L"02WRONGG"}});
  SetXdata(entity, {{1001, kApp}, {1000, L"00bypass"}, {1000, L"0112.5"}, {1000, L"0x"},
                    {1000, L"02ABCDEF"}});
  SetXdata(entity, {{1001, L"ZZ_LATER"}, {1000, L"00later"}, {1000, L"01999"}});
  wchar_t base[kHzBaseNameChars];
  wchar_t id[kHzIdChars];
  double chainage = -1;
  EXPECT_TRUE(ReadRoadCentrelineXdata(entity, base, id, chainage));
  EXPECT_EQ(std::wstring(base), L"bypass");
  EXPECT_EQ(std::wstring(id), L"ABCDEF");
  EXPECT_EQ(chainage, 12.5);

  EXPECT_TRUE(ReadRoadCentrelineXdata(Line({0, 0, 0}, {1, 0, 0}), base, id, chainage));
  EXPECT_EQ(std::wstring(base), L"nil");
  EXPECT_EQ(std::wstring(id), L"nil");
  EXPECT_EQ(chainage, 0);
}

// A linked entity and the file its link names.
class LinkedEntityTest : public EntityGeometryTest {
 protected:
  // Writes the entity's own geometry as the file "road.hzg" with `id`.
  void WriteFileFrom(host::EntityName entity, const wchar_t* id) {
    HzGeometry header{};
    header.designSpeed = 70;
    wcscpy(header.description, L"As designed");
    wcscpy(header.id, id);
    header.reservedShort[0] = 4;
    List list;
    ASSERT_TRUE(HzGeometryFromEntity(entity, header, list.array()));
    ASSERT_TRUE(WriteHzGeometryFile(PathOf("road.hzg").c_str(), header, list.array()));
  }
  void Link(host::EntityName entity, const wchar_t* id) {
    SetXdata(entity, {{1001, kApp}, {1000, L"00road"}, {1000, std::wstring(L"02") + id}});
  }
  // Straight, a gentle left arc, straight. The arc's ends stay put; its
  // radius sets its bulge.
  host::EntityName Road(double shift, double radius) {
    const double chord = 2 * 200 * std::sin(0.1);
    const double sweep = 2 * std::asin(chord / (2 * radius));
    return LwPolyline({{0, shift}, {100, shift, std::tan(sweep / 4)},
                       {100 + chord * std::cos(0.1), shift + chord * std::sin(0.1)},
                       {300, 300 + shift}},
                      false);
  }
};

TEST_F(LinkedEntityTest, AMatchingFileIsUsed) {
  const host::EntityName original = Road(0, 200);
  WriteFileFrom(original, L"ROADAB");
  // The drawn road has moved by 0.01 and its radius by 0.5: still the same.
  const host::EntityName entity = Road(0.01, 200.5);
  Link(entity, L"ROADAB");
  HzGeometry header{};
  bool linked = false;
  List list;
  ASSERT_TRUE(GetEntityHzGeometry(entity, header, linked, list.array()));
  EXPECT_TRUE(linked);
  EXPECT_TRUE(host::ui::MessageBoxes().empty());
  EXPECT_EQ(std::wstring(header.baseName), L"road");
  EXPECT_EQ(std::filesystem::path(header.path), dir_ / "road.hzg");
  EXPECT_EQ(std::wstring(header.description), L"As designed");
  EXPECT_EQ(list.At(0).startY, 0) << "the file's geometry, not the entity's";

  // An ID that differs in case finds no file: the entity's own geometry.
  const host::EntityName other = Road(0.01, 200.5);
  Link(other, L"roadab");
  List list2;
  ASSERT_TRUE(GetEntityHzGeometry(other, header, linked, list2.array()));
  EXPECT_FALSE(linked);
  EXPECT_EQ(list2.At(0).startY, 0.01);
}

TEST_F(LinkedEntityTest, PlaceholderIdIsStillLookedUp) {
  WriteFileFrom(Road(0, 200), L"GEOMIA");
  const host::EntityName entity = Road(0, 200);
  Link(entity, L"GEOMIA");
  HzGeometry header{};
  bool linked = false;
  List list;
  ASSERT_TRUE(GetEntityHzGeometry(entity, header, linked, list.array()));
  EXPECT_TRUE(linked);
  EXPECT_EQ(std::wstring(header.id), L"GEOMIA");
}

TEST_F(LinkedEntityTest, AChangedEntityAsksAndNoKeepsTheFile) {
  WriteFileFrom(Road(0, 200), L"ROADAB");
  const std::vector<char> before = Load(PathOf("road.hzg"));
  const host::EntityName entity = Road(0.03, 200);
  Link(entity, L"ROADAB");
  host::Actions().Push("answer", {L"No"});
  HzGeometry header{};
  bool linked = false;
  List list;
  ASSERT_TRUE(GetEntityHzGeometry(entity, header, linked, list.array()));
  EXPECT_TRUE(linked);
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  const host::ui::MessageBoxRecord& box = host::ui::MessageBoxes()[0];
  EXPECT_EQ(box.request.caption, L"LarchWOOD-HILL");
  EXPECT_EQ(box.request.buttons, host::ui::MessageButtons::kYesNo);
  EXPECT_EQ(box.request.icon, host::ui::MessageIcon::kQuestion);
  EXPECT_EQ(box.request.text,
            L"**Horizontal Geometry has changed**\nUse this Polyline?\n\n\"Yes\" will use the new "
            L"Polyline geometry\n\n\"No\"  will revert to old geometry file\n(" +
                PathOf("road.hzg") + L")\n");
  // The first difference is the first element's start Y.
  const std::wstring printed = host::CommandLineText();
  EXPECT_NE(printed.find(L"y_start=0.0000, 0.0300 ---> 0"), std::wstring::npos) << printed;
  EXPECT_NE(printed.find(L"   l=0\n   Entity: 0.0000,0.0300 to 100.0000,0.0300\n"
                         L"   File: 0.0000,0.0000 to 100.0000,0.0000"),
            std::wstring::npos)
      << printed;
  EXPECT_EQ(Load(PathOf("road.hzg")), before);
  EXPECT_EQ(list.At(0).startY, 0);
}

TEST_F(LinkedEntityTest, YesRewritesTheFileFromTheEntity) {
  WriteFileFrom(Road(0, 200), L"ROADAB");
  const host::EntityName entity = Road(0, 150);
  Link(entity, L"ROADAB");
  host::FixWallClock(1700000000);
  host::Actions().Push("answer", {L"Yes"});
  HzGeometry header{};
  bool linked = false;
  List list;
  ASSERT_TRUE(GetEntityHzGeometry(entity, header, linked, list.array()));
  EXPECT_TRUE(linked);
  EXPECT_EQ(host::ui::MessageBoxes().size(), 1u);
  EXPECT_NE(host::CommandLineText().find(L"\nlength=40.0000, 40.0522 ---> 0\n"),
            std::wstring::npos) << host::CommandLineText();
  // Read back from the rewritten file.
  EXPECT_NEAR(list.At(1).radiusStart, 150, 1e-9);
  EXPECT_EQ(std::wstring(header.description), L"As designed");
  EXPECT_EQ(header.designSpeed, 70);
  EXPECT_EQ(header.reservedDouble[0], 1700000000.0);
  EXPECT_EQ(header.reservedShort[0], 5);
  EXPECT_EQ(std::wstring(header.id), L"ROADAB");
}

TEST_F(LinkedEntityTest, AFailedRewriteKeepsTheFileAndFallsBackToTheEntity) {
  WriteFileFrom(Road(0, 200), L"ROADAB");
  const std::vector<char> before = Load(PathOf("road.hzg"));
  const host::EntityName entity = Road(0, 150);
  Link(entity, L"ROADAB");
  host::Actions().Push("answer", {L"Yes"});
  HzGeometry header{};
  bool linked = true;
  List list;
  {
    host::ScopedFault fault(host::FaultPoint::SaveFile, 1);
    ASSERT_TRUE(GetEntityHzGeometry(entity, header, linked, list.array()));
  }
  EXPECT_FALSE(linked);
  EXPECT_EQ(Load(PathOf("road.hzg")), before);
  EXPECT_NEAR(list.At(1).radiusStart, 150, 1e-9) << "the entity's own geometry";
  EXPECT_EQ(std::wstring(header.id), L"ROADAB");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(LinkedEntityTest, AClothoidInTheFileIsComparedAsItsArcs) {
  // The file: a straight into a clothoid. The entity: the same drawn as a
  // polyline whose bulges follow the clothoid's 31 arcs.
  const GeometryElement straight = geometry_fixtures::Straight(0, 0, 0, 100, 0);
  const GeometryElement clothoid = geometry_fixtures::Clothoid(100, 100, 0, 0, 62, 0, 180);
  List file{straight, clothoid};
  HzGeometry header{};
  header.elementCount = 2;
  wcscpy(header.id, L"CLOTHO");
  ASSERT_TRUE(WriteHzGeometryFile(PathOf("road.hzg").c_str(), header, file.array()));

  List split;
  std::int32_t n = 0;
  ASSERT_TRUE(DensifyAlignmentFixed(header, file.array(), split.array(), n));
  ASSERT_EQ(n, 32);
  // Each vertex carries the bulge of the arc that starts at it.
  std::vector<LwVertex> drawn{{0, 0, 0}};
  for (int i = 1; i < n; ++i) {
    const GeometryElement a = split.At(i);
    drawn.push_back({a.startX, a.startY, std::tan(a.length / a.radiusStart / 4)});
  }
  drawn.push_back({split.At(n - 1).endX, split.At(n - 1).endY});
  const host::EntityName entity = LwPolyline(drawn, false);
  Link(entity, L"CLOTHO");
  HzGeometry got{};
  bool linked = false;
  List list;
  ASSERT_TRUE(GetEntityHzGeometry(entity, got, linked, list.array()));
  EXPECT_TRUE(linked);
  // The headings of the first arc are 0 in the file and 2pi from the drawn
  // polyline: the same direction, so no question is asked.
  EXPECT_NEAR(list.At(0).headingEnd, 0, 1e-12);
  EXPECT_TRUE(host::ui::MessageBoxes().empty()) << host::CommandLineText();
  EXPECT_EQ(got.elementCount, 2);
  EXPECT_NE(list.At(1).clothoidParameter, 0);
}

TEST_F(EntityGeometryTest, NewIdsAreSixCapitals) {
  for (int round = 0; round < 50; ++round) {
    wchar_t id[kHzIdChars];
    NewGeometryId(id);
    ASSERT_EQ(std::wstring(id).size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(std::iswupper(id[i])) << id;
  }
}

}  // namespace
