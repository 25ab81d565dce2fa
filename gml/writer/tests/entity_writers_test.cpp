#include "gml/writer/entity_writers.h"

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "gml/settings/settings_record.h"
#include "gml/writer/attribute_csv.h"
#include "gml/writer/os_xdata_record.h"
#include "writer_fixture.h"

using host::db::Database;
using host::db::ObjectId;
using namespace writer_test;

namespace {

constexpr double kPi = 3.14159265358979323846;

class EntityWritersTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(RegisterOsXdataApp(db)); }

  const host::db::Entity& Last() { return *db.EntityOf(db.LastEntity()); }
  std::wstring LayerOf(const host::db::Entity& e) { return db.LayerRecordOf(db.IdOf(e.layer))->name; }
  std::wstring KindOf(const host::db::Entity& e) {
    ShowOSGmlXdata record;
    record.entity = db.IdOf(e.handle);
    record.ReadXdata();
    return record.Kind();
  }
  std::size_t Count() { return db.EntitiesIn(db.ModelSpace()).size(); }

  Database db;
  Lists lists;
};

std::vector<std::pair<double, double>> Points(const host::db::HatchLoop& loop) {
  std::vector<std::pair<double, double>> out;
  for (const auto& v : loop.points) out.emplace_back(v.x, v.y);
  return out;
}

TEST_F(EntityWritersTest, SolidHatchTakesTheOuterAndEachWholeInnerRing) {
  const AreaFeatureRecord area = SampleArea(&lists);
  ASSERT_TRUE(DrawSolidHatch("Land", 256, area, db));
  const host::db::Entity& hatch = Last();
  EXPECT_EQ(LayerOf(hatch), L"Land");
  EXPECT_EQ(hatch.color, 256);
  const auto& data = std::get<host::db::HatchData>(hatch.data);
  EXPECT_TRUE(data.solid);
  EXPECT_EQ(data.pattern, L"SOLID");
  ASSERT_EQ(data.loops.size(), 2u);
  EXPECT_TRUE(data.loops[0].flags & host::db::kLoopExternal);
  EXPECT_EQ(Points(data.loops[0]),
            (std::vector<std::pair<double, double>>{{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
  EXPECT_EQ(Points(data.loops[1]), (std::vector<std::pair<double, double>>{{4, 4}, {6, 4}, {6, 6}}));
  EXPECT_EQ(KindOf(hatch), L"6");

  // A last inner ring without its end entry, and a ring of two points,
  // give no loop; an outer ring of two distinct points gives no hatch.
  AreaFeatureRecord open = area;
  open.innerRings = ListOf<RingPoint>({{1, 1, kRingPointVertex}, {2, 1, kRingPointVertex},
                                       {1, 1, kRingPointEnd}, {4, 4, kRingPointVertex},
                                       {6, 4, kRingPointVertex}, {6, 6, kRingPointVertex}});
  lists.Own(&open.innerRings);
  ASSERT_TRUE(DrawSolidHatch("Land", 256, open, db));
  EXPECT_EQ(std::get<host::db::HatchData>(Last().data).loops.size(), 1u);

  AreaFeatureRecord flat = area;
  flat.outerRing = ListOf<RingPoint>({{0, 0, kRingPointVertex}, {5, 0, kRingPointVertex},
                                      {5, 0, kRingPointVertex}, {0, 0, kRingPointEnd}});
  lists.Own(&flat.outerRing);
  const std::size_t before = Count();
  EXPECT_FALSE(DrawSolidHatch("Land", 256, flat, db));
  EXPECT_EQ(Count(), before);
}

TEST_F(EntityWritersTest, PointsCarryTheXdataOfTheirKindAndLevel) {
  const PointFeatureRecord point = SamplePoint();
  struct Case {
    const char* what;
    std::function<bool()> draw;
    const wchar_t* kind;  // "" when no OS block
  };
  const Case cases[] = {
      {"point, full", [&] { return DrawTopoPoint("P", 256, {1, 2, 3}, db, 2, point, OsFeatureKind::kTopoPoint); }, L"2"},
      {"symbol, minimal", [&] { return DrawTopoPoint("P", 256, {1, 2, 3}, db, 1, point, OsFeatureKind::kCartoSymbol); }, L"3"},
      {"point, none", [&] { return DrawTopoPoint("P", 256, {1, 2, 3}, db, 0, point, OsFeatureKind::kTopoPoint); }, L""},
      {"other kind", [&] { return DrawTopoPoint("P", 256, {1, 2, 3}, db, 2, point, OsFeatureKind::kRoadNode); }, L""},
      {"node", [&] { return DrawItnNode("N", 256, {1, 2, 3}, db, 2, SampleNode(), OsFeatureKind::kRoadNode); }, L"7"},
      {"node, minimal", [&] { return DrawItnNode("N", 256, {1, 2, 3}, db, 1, SampleNode(), OsFeatureKind::kRoadNode); }, L"7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.draw());
    const host::db::Entity& e = Last();
    EXPECT_EQ(std::get<host::db::PointData>(e.data).position, (host::db::Point3{1, 2, 3}));
    EXPECT_EQ(KindOf(e), c.kind);
  }
}

TEST_F(EntityWritersTest, AnEntityWhoseXdataCannotBeSetIsNotLeftBehind) {
  Database unregistered;
  TempFolder folder;
  std::FILE* csv = std::fopen(folder.Path("rows.csv").c_str(), "w");
  GrowArray vertices = VertexList({{0, 0}, {5, 5}});
  const LineFeatureRecord line = SampleLine(&lists);
  OS_GML_ACAD_Definitions settings;
  EXPECT_FALSE(DrawTopoPoint("P", 256, {}, unregistered, 2, SamplePoint(), OsFeatureKind::kTopoPoint));
  EXPECT_FALSE(DrawFeaturePolyline("L", 256, 0, 2, vertices, unregistered, 1, kCsvFull, csv, &line,
                                   OsFeatureKind::kTopoLine, false, false));
  EXPECT_FALSE(DrawAddressPoint("A", 256, {}, unregistered, csv, settings, SampleAddress()));
  EXPECT_FALSE(DrawTextFeature("x", "T", 256, {}, 1, 0, 0, unregistered, 2, &line, OsFeatureKind::kTopoLine));
  EXPECT_TRUE(unregistered.EntitiesIn(unregistered.ModelSpace()).empty());
  std::fclose(csv);
  EXPECT_EQ(folder.Read("rows.csv"), "") << "no row for an entity that was not kept";
  // A record that is not the kind's is refused the same way.
  EXPECT_FALSE(DrawFeaturePolyline("L", 256, 0, 2, vertices, db, 2, 0, nullptr, &line,
                                   OsFeatureKind::kRoad, false, false));
  EXPECT_EQ(Count(), 0u);
  GrowArrayFree(&vertices);
}

TEST_F(EntityWritersTest, PolylinesByKindWithTheirCsvRows) {
  TempFolder folder;
  std::FILE* csv = std::fopen(folder.Path("rows.csv").c_str(), "w");
  GrowArray vertices = VertexList({{0, 0}, {5, 0}, {5, 0}, {5, 5}, {0, 5}, {0, 0}});
  const LineFeatureRecord line = SampleLine(&lists);
  const RoadLinkRecord link = SampleLink(&lists);
  const RoadRecord road = SampleRoad();
  const AreaFeatureRecord area = SampleArea(&lists);

  ASSERT_TRUE(DrawFeaturePolyline("Lines", 256, 0, 6, vertices, db, 2, kCsvFull, csv, &line,
                                  OsFeatureKind::kTopoLine, false, true));
  const auto& open = std::get<host::db::LwPolylineData>(Last().data);
  EXPECT_EQ(open.vertices.size(), 5u) << "the repeated vertex is dropped";
  EXPECT_FALSE(open.closed);
  EXPECT_TRUE(open.plinegen);
  EXPECT_EQ(KindOf(Last()), L"1");

  ASSERT_TRUE(DrawFeaturePolyline("p_Area", 256, 0, 6, vertices, db, 1, kCsvFull, csv, &area,
                                  OsFeatureKind::kAreaOutline, true, false));
  const auto& closed = std::get<host::db::LwPolylineData>(Last().data);
  EXPECT_TRUE(closed.closed);
  EXPECT_EQ(closed.vertices.size(), 4u) << "and the closing repeat of the first";
  EXPECT_EQ(KindOf(Last()), L"5");

  ASSERT_TRUE(DrawFeaturePolyline("Links", 256, 0, 2, vertices, db, 2, kCsvShort, csv, &link,
                                  OsFeatureKind::kRoadLink, false, false));
  ASSERT_TRUE(DrawFeaturePolyline("Roads", 256, 0, 2, vertices, db, 2, kCsvFull, csv, &road,
                                  OsFeatureKind::kRoad, false, false));
  EXPECT_EQ(KindOf(Last()), L"9");
  ASSERT_TRUE(DrawFeaturePolyline("Extents", 256, 0, 2, vertices, db, 2, kCsvFull, csv, {},
                                  OsFeatureKind::kNone, false, false));
  EXPECT_EQ(KindOf(Last()), L"");
  EXPECT_FALSE(DrawFeaturePolyline("Lines", 256, 0, 7, vertices, db, 2, kCsvFull, csv, &line,
                                   OsFeatureKind::kTopoLine, false, false))
      << "more vertices than the list holds";
  std::fclose(csv);
  EXPECT_EQ(folder.Read("rows.csv"),
            "osgbL0001,4,L2004-01-01,LTheme,10056,L2003-06-11,LModified,LGroup,LTerm,LManmade,51\n"
            "osgb4000000001,7\n");
  GrowArrayFree(&vertices);
}

TEST_F(EntityWritersTest, AddressPointXdataAndRowFollowTheSettings) {
  TempFolder folder;
  OS_GML_ACAD_Definitions settings;
  settings.attributesToXdata = 2;
  settings.attributesToCsv = 1;
  std::FILE* csv = std::fopen(folder.Path("a.csv").c_str(), "w");
  ASSERT_TRUE(DrawAddressPoint("Addresses", 256, {7, 8, 0}, db, csv, settings, SampleAddress()));
  EXPECT_EQ(KindOf(Last()), L"A");
  settings.attributesToXdata = 0;
  settings.attributesToCsv = 0;
  ASSERT_TRUE(DrawAddressPoint("Addresses", 256, {7, 8, 0}, db, csv, settings, SampleAddress()));
  EXPECT_EQ(KindOf(Last()), L"");
  std::fclose(csv);
  EXPECT_EQ(folder.Read("a.csv"), "osgb1000002345,10\n");
}

TEST_F(EntityWritersTest, TwoPointPolylineAndLayerNamesTheHostRefuses) {
  ASSERT_TRUE(DrawTwoPointPolyline("Grid", 256, 0, db, 0, 0, 100, 0));
  EXPECT_EQ(std::get<host::db::LwPolylineData>(Last().data).vertices.size(), 2u);
  EXPECT_TRUE(Last().xdata.Empty());
  ASSERT_TRUE(DrawTopoPoint("A/B:C?", 256, {}, db, 2, SamplePoint(), OsFeatureKind::kTopoPoint));
  EXPECT_EQ(LayerOf(Last()), L"A_B_C_");
  ASSERT_TRUE(DrawTopoPoint("", 256, {}, db, 2, SamplePoint(), OsFeatureKind::kTopoPoint));
  EXPECT_EQ(LayerOf(Last()), L"0");
}

TEST_F(EntityWritersTest, TextJustificationByAnchorPosition) {
  using H = host::db::TextHorizontal;
  using V = host::db::TextVertical;
  const struct {
    int anchor;
    H h;
    V v;
  } cases[] = {{0, H::kLeft, V::kBase},   {1, H::kLeft, V::kMiddle},   {2, H::kLeft, V::kTop},
               {3, H::kCenter, V::kBase}, {4, H::kCenter, V::kMiddle}, {5, H::kCenter, V::kTop},
               {6, H::kRight, V::kBase},  {7, H::kRight, V::kMiddle},  {8, H::kRight, V::kTop},
               {9, H::kMiddle, V::kMiddle}, {-1, H::kMiddle, V::kMiddle}};
  const TextFeatureRecord text = SampleText();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.anchor);
    ASSERT_TRUE(DrawTextFeature(text.textString, "Text", 256, {20, 30, 4}, 2.5, 1.0, c.anchor, db, 2,
                                &text, OsFeatureKind::kCartoText));
    const auto& data = std::get<host::db::TextData>(Last().data);
    EXPECT_EQ(data.horizontal, c.h);
    EXPECT_EQ(data.vertical, c.v);
    EXPECT_EQ(data.position, (host::db::Point3{20, 30, 4}));
    EXPECT_EQ(data.alignment, data.position);
    EXPECT_EQ(data.height, 2.5);
    EXPECT_EQ(data.rotation, 1.0);
    EXPECT_EQ(data.text, L"St George's Road");
    EXPECT_EQ(KindOf(Last()), L"4");
  }
  const PointFeatureRecord point = SamplePoint();
  ASSERT_TRUE(DrawTextFeature(std::string(600, 'w'), "Text", 256, {}, 1, 0, 5, db, 1, &point,
                              OsFeatureKind::kTopoPoint));
  EXPECT_EQ(std::get<host::db::TextData>(Last().data).text.size(), 511u);
  EXPECT_EQ(KindOf(Last()), L"2") << "a label carries its point's block";
}

// The reader stores a text with its references decoded (xml.etree's
// reading); the writer draws it as stored, so a text that reads "&lt;" is
// drawn "&lt;", never decoded a second time.
TEST_F(EntityWritersTest, TextIsDrawnAsTheReaderStoredIt) {
  const struct {
    const char* stored;
    const wchar_t* drawn;
  } cases[] = {
      {"&lt;", L"&lt;"},                                   // from "&amp;lt;"
      {"&amp; &#375; &quot;x&quot;", L"&amp; &#375; &quot;x&quot;"},
      {"a < b & c", L"a < b & c"},
      {"T\xC5\xB7 caf\xC3\xA9 \xE2\x82\xAC" "5", L"T\u0177 caf\u00E9 \u20AC" L"5"},  // UTF-8
      {"Caf\xE9", L"Caf\u00E9"},  // a Latin-1 byte reads as itself
  };
  const TextFeatureRecord text = SampleText();
  for (const auto& c : cases) {
    ASSERT_TRUE(DrawTextFeature(c.stored, "Text", 256, {}, 1, 0, 4, db, 2, &text, OsFeatureKind::kCartoText));
    EXPECT_EQ(std::get<host::db::TextData>(Last().data).text, c.drawn) << c.stored;
  }
}

TEST(TextHelpersTest, OsOrientationToAngle) {
  const struct {
    double orientation;
    double angle;
  } cases[] = {{0, 0},          {900, kPi / 2},      {1800, kPi},       {2700, 3 * kPi / 2},
               {450, kPi / 4},  {3600, 0},           {-900, 3 * kPi / 2}, {4500, kPi / 2},
               {3599, 359.9 * kPi / 180}};
  for (const auto& c : cases)
    EXPECT_NEAR(ComputeOsTextAngle(c.orientation), c.angle, 1e-9) << c.orientation;
}

TEST_F(EntityWritersTest, ZoomAddsAMarginAndTheViewportTakesTheWindow) {
  host::db::SetWorkingDatabase(&db);
  host::db::ViewportRecord& view = db.EnsureActiveViewport();
  view.width = 2;
  view.height = 1;
  ZoomWindowWithMargin(200, 100, 100, 50);
  EXPECT_DOUBLE_EQ(view.width, 120);
  EXPECT_DOUBLE_EQ(view.height, 60);
  EXPECT_DOUBLE_EQ(view.centerX, 150);
  EXPECT_DOUBLE_EQ(view.centerY, 75);
  host::db::SetWorkingDatabase(nullptr);

  SetActiveViewport(30, 20, 10, 0, db);
  EXPECT_DOUBLE_EQ(view.centerX, 20);
  EXPECT_DOUBLE_EQ(view.centerY, 10);
  EXPECT_DOUBLE_EQ(view.width, 20);
  EXPECT_DOUBLE_EQ(view.height, 20);
  Database empty(Database::Content::kEmpty);
  SetActiveViewport(30, 20, 10, 0, empty);
  EXPECT_EQ(empty.ActiveViewport(), nullptr);
}

}  // namespace
