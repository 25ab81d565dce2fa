#include "gml/settings/area_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/geometry/plane_geometry.h"
#include "gml/settings/tests/temp_folder.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"
#include "host/ui/message_box.h"
#include "common/containers/text.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Heading(double x1, double y1, double x2, double y2) {
  double a = std::atan2(y2 - y1, x2 - x1);
  return a < 0.0 ? a + 2.0 * kPi : a;
}

GeometryElement Straight(double chainage, double x1, double y1, double x2, double y2) {
  GeometryElement e{};
  e.startChainage = chainage;
  e.length = std::hypot(x2 - x1, y2 - y1);
  e.startX = x1;
  e.startY = y1;
  e.endX = x2;
  e.endY = y2;
  e.headingStart = e.headingEnd = Heading(x1, y1, x2, y2);
  return e;
}

// A counter-clockwise arc around (cx, cy) from bearing a0 through `sweep`.
GeometryElement Arc(double chainage, double cx, double cy, double r, double a0, double sweep) {
  GeometryElement e{};
  e.startChainage = chainage;
  e.length = r * sweep;
  e.radiusStart = e.radiusEnd = r;
  e.centreX = cx;
  e.centreY = cy;
  e.startX = cx + r * std::cos(a0);
  e.startY = cy + r * std::sin(a0);
  e.endX = cx + r * std::cos(a0 + sweep);
  e.endY = cy + r * std::sin(a0 + sweep);
  e.headingStart = std::fmod(a0 + kPi / 2.0, 2.0 * kPi);
  e.headingEnd = std::fmod(a0 + sweep + kPi / 2.0, 2.0 * kPi);
  return e;
}

AreaFilterArea Window(double x1, double y1, double x2, double y2, const char* text = "w") {
  AreaFilterArea a{};
  a.kind = kAreaWindow;
  a.tag = 1;
  a.selected = 1;
  std::snprintf(a.description, sizeof a.description, "%s", text);
  a.corner1X = x1;
  a.corner1Y = y1;
  a.corner2X = x2;
  a.corner2Y = y2;
  return a;
}

AreaFilterArea WithElements(std::int32_t kind, const std::vector<GeometryElement>& elements) {
  AreaFilterArea a{};
  a.kind = kind;
  a.tag = 1;
  std::snprintf(a.description, sizeof a.description, "kind %d", kind);
  EXPECT_TRUE(GrowArrayCreate(50, sizeof(GeometryElement), &a.elements));
  double length = 0.0;
  for (const GeometryElement& e : elements) {
    EXPECT_TRUE(GrowArraySet(&a.elements, a.elements.count, &e));
    length += e.length;
  }
  a.header.elementCount = a.elements.count;
  a.header.roadLength = length;
  return a;
}

// A polygon of points picked one by one: straight elements from each point
// to the next, not closed.
AreaFilterArea Polygon(const std::vector<std::pair<double, double>>& points) {
  std::vector<GeometryElement> elements;
  double chainage = 0.0;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    elements.push_back(Straight(chainage, points[i].first, points[i].second, points[i + 1].first,
                                points[i + 1].second));
    chainage += elements.back().length;
  }
  return WithElements(kAreaPolygon, elements);
}

AreaFilterArea BufferZone(const std::vector<GeometryElement>& centreLine, double width) {
  AreaFilterArea a = WithElements(kAreaBufferZone, centreLine);
  a.leftOffset = -width;
  a.rightOffset = width;
  return a;
}

std::vector<OutlineSegment> OutlineOf(const AreaFilter& filter) {
  std::vector<OutlineSegment> segments;
  for (std::int32_t i = 0; i < filter.outline.count; ++i) {
    OutlineSegment s;
    EXPECT_TRUE(GrowArrayGet(&filter.outline, i, &s));
    segments.push_back(s);
  }
  return segments;
}

void ExpectSegment(const OutlineSegment& s, double x1, double y1, double x2, double y2) {
  EXPECT_NEAR(s.x1, x1, 1e-6);
  EXPECT_NEAR(s.y1, y1, 1e-6);
  EXPECT_NEAR(s.x2, x2, 1e-6);
  EXPECT_NEAR(s.y2, y2, 1e-6);
}

class AreaFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    ASSERT_TRUE(filter_.CreateLists());
  }
  void TearDown() override {
    filter_.FreeAreas(1);
    host::ResetForTest();
  }
  AreaFilter filter_;
};

TEST(AreaFilterLists, WithoutListsOrAreasEverythingPasses) {
  AreaFilter filter;
  EXPECT_EQ(filter.GetAreaCount(), -1);
  EXPECT_TRUE(filter.PointInFilter(1, 2));
  EXPECT_TRUE(filter.RectTouchesOutline(0, 0, 1, 1));
  EXPECT_TRUE(filter.RectInRoadBufferGrid(0, 0, 1, 1));
  EXPECT_FALSE(filter.AddArea(Window(0, 0, 1, 1)));
  double x = 5, y = 5;
  EXPECT_FALSE(filter.FindOutlineCrossing(&x, &y, -10, 0, 10, 0, true));
  EXPECT_EQ(x, 0.0);

  ASSERT_TRUE(filter.CreateLists());
  EXPECT_EQ(filter.GetAreaCount(), 0);
  EXPECT_TRUE(filter.PointInFilter(1e9, -1e9));
  EXPECT_TRUE(filter.RectTouchesOutline(0, 0, 1, 1));
  EXPECT_FALSE(filter.FindOutlineCrossing(&x, &y, -10, 0, 10, 0, true));
  filter.FreeAreas(1);
}

TEST_F(AreaFilterTest, WindowSegmentsExtentsAndTests) {
  ASSERT_TRUE(filter_.AddArea(Window(10, 20, 30, 60)));
  AreaFilterArea stored;
  ASSERT_TRUE(filter_.GetArea(&stored, 0));
  EXPECT_EQ(stored.selected, 0);
  EXPECT_FALSE(filter_.GetArea(&stored, 1));
  EXPECT_FALSE(filter_.GetArea(&stored, -1));

  std::vector<OutlineSegment> s = OutlineOf(filter_);
  ASSERT_EQ(s.size(), 4u);
  ExpectSegment(s[0], 10, 20, 10, 60);
  ExpectSegment(s[1], 10, 60, 30, 60);
  ExpectSegment(s[2], 30, 60, 30, 20);
  ExpectSegment(s[3], 30, 20, 10, 20);
  EXPECT_EQ(filter_.minX, 10);
  EXPECT_EQ(filter_.maxY, 60);
  EXPECT_EQ(filter_.rayEndY, -80);

  struct Case {
    double x, y;
    bool inside;
  } const points[] = {{20, 40, true}, {5, 40, false}, {20, 70, false}, {29.9, 20.1, true},
                      {35, 40, false}};
  for (const Case& c : points) {
    EXPECT_EQ(filter_.PointInFilter(c.x, c.y), c.inside) << c.x << "," << c.y;
  }
  EXPECT_TRUE(filter_.RectTouchesOutline(0, 0, 15, 25));     // holds a corner
  EXPECT_TRUE(filter_.RectTouchesOutline(15, 0, 25, 100));   // crosses two edges
  EXPECT_FALSE(filter_.RectTouchesOutline(15, 30, 25, 50));  // wholly inside
  EXPECT_FALSE(filter_.RectTouchesOutline(40, 0, 50, 10));
}

TEST_F(AreaFilterTest, PolygonsCloseAndPolylinesThatEndOnTheirStartDoNot) {
  // Three picked points: three segments, the closing one vertical.
  ASSERT_TRUE(filter_.AddArea(Polygon({{0, 0}, {10, 0}, {0, 10}})));
  std::vector<OutlineSegment> s = OutlineOf(filter_);
  ASSERT_EQ(s.size(), 3u);
  ExpectSegment(s[2], 0, 10, 0, 0);
  EXPECT_TRUE(filter_.PointInFilter(2, 2));
  EXPECT_FALSE(filter_.PointInFilter(8, 8));

  AreaFilter closed;
  ASSERT_TRUE(closed.CreateLists());
  AreaFilterArea square = Polygon({{100, 100}, {110, 100}, {110, 110}, {100, 110}, {100, 100}});
  square.kind = kAreaPolyline;
  ASSERT_TRUE(closed.AddArea(square));
  EXPECT_EQ(closed.outline.count, 4);
  closed.FreeAreas(1);
}

TEST_F(AreaFilterTest, ArcsAreCutIntoChords) {
  // A circle of radius 10 as two half arcs: 64 chords each.
  ASSERT_TRUE(filter_.AddArea(WithElements(
      kAreaPolyline, {Arc(0, 50, 50, 10, 0, kPi), Arc(10 * kPi, 50, 50, 10, kPi, kPi)})));
  EXPECT_EQ(filter_.outline.count, 128);
  EXPECT_TRUE(filter_.PointInFilter(50, 50));
  EXPECT_TRUE(filter_.PointInFilter(59.5, 50.5));
  EXPECT_FALSE(filter_.PointInFilter(57.5, 57.5));  // beyond the radius
}

// Overlapping areas: the filter holds their union, whatever the number of
// areas over a point, and the edges that lie inside another area cut no line.
TEST_F(AreaFilterTest, OverlappingAreasJoin) {
  ASSERT_TRUE(filter_.AddArea(Window(0, 0, 10, 10)));
  ASSERT_TRUE(filter_.AddArea(Window(5, 5, 15, 15)));
  ASSERT_TRUE(filter_.AddArea(Polygon({{6, 2}, {9, 2}, {9, 12}, {6, 12}})));
  const struct {
    double x, y;
    bool inside;
  } points[] = {
      {2, 2, true},    {12, 12, true},  // one area each
      {7, 7, true},                     // all three
      {5.5, 5.5, true},                 // the two windows
      {7, 3, true},    {7, 11, true},   // the polygon with one window
      {12, 2, false},  {2, 12, false}, {20, 20, false}, {-1, 5, false},
  };
  for (const auto& p : points) {
    EXPECT_EQ(filter_.PointInFilter(p.x, p.y), p.inside) << p.x << "," << p.y;
    EXPECT_EQ(filter_.PointInOutline(p.x, p.y), p.inside) << p.x << "," << p.y;
  }

  // Along y = 7.5 the line meets six edges; only where it enters the first
  // window and leaves the second does it cross the filter's edge. Along
  // y = 3.5 the polygon's edges lie inside the first window.
  auto crossings = [this](double y) {
    std::vector<double> found;
    double cx = 0, cy = 0;
    for (bool restart = true; filter_.FindOutlineCrossing(&cx, &cy, -5, y, 20, y, restart); restart = false)
      found.push_back(cx);
    return found;
  };
  EXPECT_EQ(crossings(7.5), (std::vector<double>{0, 15}));
  EXPECT_EQ(crossings(3.5), (std::vector<double>{0, 10}));

  // Once the areas are gone only the one left decides.
  ASSERT_TRUE(filter_.SetAreaFlag(1, 1));
  ASSERT_TRUE(filter_.SetAreaFlag(2, 1));
  EXPECT_EQ(filter_.RemoveSelectedAreas(), 1);
  EXPECT_FALSE(filter_.PointInFilter(12, 12));
  EXPECT_TRUE(filter_.PointInFilter(7, 7));
}

// An outline that a caller fills with rings of its own (an area feature's
// outer and inner rings) is one ring set: an inner ring is a hole.
TEST(AreaFilterOutline, CallerRingsCutHoles) {
  AreaFilter rings;
  ASSERT_TRUE(GrowArrayCreate(20, sizeof(OutlineSegment), &rings.outline));
  for (const OutlineSegment& s : std::vector<OutlineSegment>{{0, 0, 10, 0}, {10, 0, 10, 10},
                                                            {10, 10, 0, 10}, {0, 10, 0, 0},
                                                            {4, 4, 6, 4}, {6, 4, 6, 6},
                                                            {6, 6, 4, 6}, {4, 6, 4, 4}}) {
    ASSERT_TRUE(GrowArraySet(&rings.outline, rings.outline.count, &s));
  }
  rings.ComputeExtents();
  EXPECT_TRUE(rings.PointInOutline(2, 2));
  EXPECT_FALSE(rings.PointInOutline(5, 5));
  EXPECT_FALSE(rings.PointInOutline(12, 5));
  GrowArrayFree(&rings.outline);
}

TEST_F(AreaFilterTest, VerticesBelowCountOnce) {
  // A diamond: the ray from a point above its bottom vertex meets two
  // segments there; only the one running to the right counts.
  AreaFilter diamond;
  ASSERT_TRUE(diamond.CreateLists());
  ASSERT_TRUE(diamond.AddArea(Polygon({{10, 0}, {20, 10}, {10, 20}, {0, 10}})));
  EXPECT_TRUE(diamond.PointInFilter(10, 5));
  EXPECT_TRUE(diamond.PointInFilter(10, 15));
  EXPECT_FALSE(diamond.PointInFilter(10, 25));
  diamond.FreeAreas(1);
}

TEST_F(AreaFilterTest, BufferZoneAroundAStraightIsARectangle) {
  ASSERT_TRUE(filter_.AddArea(BufferZone({Straight(0, 0, 0, 100, 0)}, 5)));
  std::vector<OutlineSegment> s = OutlineOf(filter_);
  ASSERT_EQ(s.size(), 4u);
  ExpectSegment(s[0], 0, 5, 100, 5);     // left side
  ExpectSegment(s[1], 100, 5, 100, -5);  // end cap
  ExpectSegment(s[2], 0, -5, 100, -5);   // right side, in its own direction
  ExpectSegment(s[3], 0, -5, 0, 5);      // start cap
  EXPECT_TRUE(filter_.PointInFilter(50, 4));
  EXPECT_FALSE(filter_.PointInFilter(50, 6));
  EXPECT_FALSE(filter_.PointInFilter(101, 0));
}

TEST_F(AreaFilterTest, BufferZoneMitres) {
  // A right angle: each side gets a mitre point at the corner.
  ASSERT_TRUE(filter_.AddArea(
      BufferZone({Straight(0, 0, 0, 100, 0), Straight(100, 100, 0, 100, 100)}, 5)));
  std::vector<OutlineSegment> s = OutlineOf(filter_);
  ASSERT_EQ(s.size(), 6u);
  ExpectSegment(s[0], 0, 5, 95, 5);  // left (inner) side to its mitre point
  ExpectSegment(s[1], 95, 5, 95, 100);
  ExpectSegment(s[3], 105, -5, 105, 100);  // right side, last segment first
  ExpectSegment(s[4], 0, -5, 105, -5);
  EXPECT_TRUE(filter_.PointInFilter(103, 50));
  EXPECT_FALSE(filter_.PointInFilter(90, 50));

  // A bend of under 0.02 radians across east: no mitre point on either side.
  AreaFilter gentle;
  ASSERT_TRUE(gentle.CreateLists());
  const double turn = 0.015;
  GeometryElement first = Straight(0, -100 * std::cos(turn / 2), 100 * std::sin(turn / 2), 0, 0);
  GeometryElement second = Straight(first.length, 0, 0, 100 * std::cos(turn / 2),
                                    100 * std::sin(turn / 2));
  EXPECT_GT(first.headingStart, 6.0);  // just below 2 pi
  EXPECT_LT(second.headingStart, 0.1);
  ASSERT_TRUE(gentle.AddArea(BufferZone({first, second}, 5)));
  // Each side: to the point a fifth into the second chord, then to its end.
  EXPECT_EQ(gentle.outline.count, 6);
  gentle.FreeAreas(1);
}

TEST_F(AreaFilterTest, RoadBufferZonesLeaveTheOutlineAlone) {
  ASSERT_TRUE(filter_.AddArea(Window(0, 0, 10, 10)));
  AreaFilterArea zone{};
  zone.kind = kAreaRoadBuffer;
  zone.grid.cellSize = 4;
  ASSERT_TRUE(filter_.AddArea(zone));
  EXPECT_EQ(filter_.outline.count, 4);
  EXPECT_EQ(filter_.maxX, 10);
  EXPECT_TRUE(filter_.HasRoadBufferArea());
  AreaFilterArea found;
  ASSERT_TRUE(filter_.FindRoadBufferArea(&found));
  EXPECT_EQ(found.kind, kAreaRoadBuffer);
}

TEST_F(AreaFilterTest, CrossingSearchResumesAndRestarts) {
  ASSERT_TRUE(filter_.AddArea(Window(0, 0, 10, 10)));
  double x = 0, y = 0;
  std::vector<double> found;
  for (bool restart = true; filter_.FindOutlineCrossing(&x, &y, -5, 5, 15, 5, restart);
       restart = false) {
    found.push_back(x);
  }
  EXPECT_EQ(found, (std::vector<double>{0, 10}));
  EXPECT_FALSE(filter_.FindOutlineCrossing(&x, &y, -5, 5, 15, 5, false));
  EXPECT_EQ(x, 0.0);
  EXPECT_TRUE(filter_.FindOutlineCrossing(&x, &y, -5, 5, 15, 5, true));
  // The loose test finds a crossing just past a segment's end.
  EXPECT_TRUE(filter_.FindOutlineCrossing(&x, &y, 5, 10.0005, 5, 20, true));
  EXPECT_FALSE(filter_.FindOutlineCrossing(&x, &y, 5, 10.01, 5, 20, true));
}

TEST_F(AreaFilterTest, SelectRemoveAndErase) {
  ASSERT_TRUE(filter_.AddArea(Window(0, 0, 10, 10, "a")));
  ASSERT_TRUE(filter_.AddArea(Polygon({{20, 0}, {30, 0}, {30, 10}})));
  ASSERT_TRUE(filter_.AddArea(Window(40, 0, 50, 10, "c")));
  EXPECT_FALSE(filter_.SetAreaFlag(3, 1));
  ASSERT_TRUE(filter_.SetAreaFlag(1, 1));
  EXPECT_EQ(filter_.RemoveSelectedAreas(), 2);
  AreaFilterArea a;
  ASSERT_TRUE(filter_.GetArea(&a, 1));
  EXPECT_STREQ(a.description, "c");
  EXPECT_EQ(filter_.outline.count, 8);
  EXPECT_FALSE(filter_.PointInFilter(25, 2));

  filter_.path = L"/somewhere/areas.ini";
  filter_.EraseAllAreas();
  EXPECT_EQ(filter_.GetAreaCount(), 0);
  EXPECT_TRUE(filter_.path.empty());
  EXPECT_EQ(filter_.minX, kEmptyExtentMin);
  EXPECT_TRUE(filter_.PointInFilter(25, 2));
}

TEST_F(AreaFilterTest, CopiesShareTheListsOfTheStoredAreas) {
  ASSERT_TRUE(filter_.AddArea(Polygon({{0, 0}, {10, 0}, {10, 10}})));
  AreaFilter batch;
  ASSERT_TRUE(batch.CreateLists());
  AreaFilterArea copy;
  ASSERT_TRUE(filter_.GetArea(&copy, 0));
  ASSERT_TRUE(batch.AddArea(copy));
  EXPECT_EQ(batch.outline.count, 3);
  batch.FreeAreas(0);  // the element list stays with the main filter
  EXPECT_EQ(filter_.outline.count, 3);
  filter_.RebuildOutline();
  EXPECT_EQ(filter_.outline.count, 3);
}

// --- the areas file ----------------------------------------------------------

class AreasFileTest : public AreaFilterTest {
 protected:
  TempFolder folder_;
};

TEST_F(AreasFileTest, SavedAreasReadBack) {
  ASSERT_TRUE(filter_.AddArea(Window(1.5, 2.25, 30, 40, "Site A")));
  ASSERT_TRUE(filter_.AddArea(Polygon({{0, 0}, {10, 0}, {0, 10}})));
  ASSERT_TRUE(filter_.AddArea(BufferZone({Straight(0, 0, 0, 100, 0)}, 5)));
  filter_.path = folder_.WidePath("lwh_gml_areafilters.ini");
  ASSERT_TRUE(filter_.SaveAreas());
  std::string text = folder_.Read("lwh_gml_areafilters.ini");
  EXPECT_EQ(text.substr(0, 63),
            "Site A\n20\n1\n1.500000\n2.250000\n30.000000\n40.000000\nkind 30\n30\n1\n");

  AreaFilter back;
  ASSERT_TRUE(back.CreateLists());
  ASSERT_TRUE(back.LoadAreas(filter_.path));
  EXPECT_EQ(back.path, filter_.path);
  ASSERT_EQ(back.GetAreaCount(), 3);
  AreaFilterArea zone;
  ASSERT_TRUE(back.GetArea(&zone, 2));
  EXPECT_EQ(zone.kind, kAreaBufferZone);
  EXPECT_EQ(zone.leftOffset, -5);
  EXPECT_EQ(zone.header.elementCount, 1);
  EXPECT_EQ(zone.header.roadLength, 100);
  EXPECT_EQ(OutlineOf(back).size(), OutlineOf(filter_).size());
  EXPECT_EQ(back.PointInFilter(50, 3), filter_.PointInFilter(50, 3));
  back.FreeAreas(1);
}

TEST_F(AreasFileTest, RoadBufferZonesDoNotCutTheFileShort) {
  ASSERT_TRUE(filter_.AddArea(Window(0, 0, 10, 10, "first")));
  AreaFilterArea zone{};
  zone.kind = kAreaRoadBuffer;
  ASSERT_TRUE(filter_.AddArea(zone));
  ASSERT_TRUE(filter_.AddArea(Polygon({{20, 0}, {30, 0}, {30, 10}})));
  filter_.path = folder_.WidePath("areas.ini");
  ASSERT_TRUE(filter_.SaveAreas());

  AreaFilter back;
  ASSERT_TRUE(back.CreateLists());
  EXPECT_TRUE(back.LoadAreas(filter_.path));
  EXPECT_EQ(back.GetAreaCount(), 2);
  EXPECT_EQ(back.outline.count, 7);
  back.FreeAreas(1);

  // A file written the old way ends with the zone's description and kind.
  folder_.Write("old.ini", "first\n20\n1\n0\n0\n10\n10\nzone\n80\n");
  AreaFilter old;
  ASSERT_TRUE(old.CreateLists());
  EXPECT_TRUE(old.LoadAreas(folder_.WidePath("old.ini")));
  EXPECT_EQ(old.GetAreaCount(), 1);
  EXPECT_EQ(old.outline.count, 4);
  old.FreeAreas(1);
}

TEST_F(AreasFileTest, OddFilesAlwaysRebuildTheOutline) {
  struct Case {
    const char* name;
    std::string text;
    bool complete;
    int areas;
  } const cases[] = {
      {"blank last line", "a\n20\n1\n0\n0\n10\n10\n\n", true, 1},
      {"windows line ends", "a\r\n20\r\n1\r\n0\r\n0\r\n10\r\n10\r\n", true, 1},
      {"no last line end", "a\n20\n1\n0\n0\n10\n10", true, 1},
      {"empty description", "\n20\n1\n0\n0\n10\n10\n", true, 1},
      {"unknown kind", "a\n20\n1\n0\n0\n10\n10\nb\n55\n1\n", false, 1},
      {"cut short", "a\n20\n1\n0\n0\n10\n10\nb\n30\n1\n2\n0\n", false, 1},
      {"numbers that do not parse", "a\n20\n1\nx\ny\n10\n10\n", true, 1},
      {"blank line between areas", "a\n20\n1\n0\n0\n10\n10\n\nb\n20\n1\n20\n0\n30\n10\n", true,
       2},
      {"unknown kind between areas",
       "a\n20\n1\n0\n0\n10\n10\nodd\n55\n1\n3.5\nb\n20\n1\n20\n0\n30\n10\n", false, 2},
      {"empty file", "", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder_.Write("areas.ini", c.text);
    AreaFilter filter;
    ASSERT_TRUE(filter.CreateLists());
    EXPECT_EQ(filter.LoadAreas(folder_.WidePath("areas.ini")), c.complete);
    EXPECT_EQ(filter.GetAreaCount(), c.areas);
    EXPECT_EQ(filter.outline.count, 4 * c.areas);
    if (c.areas > 0) {
      EXPECT_FALSE(filter.PointInFilter(50, 50));
    }
    filter.FreeAreas(1);
  }
  AreaFilter missing;
  ASSERT_TRUE(missing.CreateLists());
  EXPECT_FALSE(missing.LoadAreas(folder_.WidePath("none.ini")));
  EXPECT_EQ(missing.path, folder_.WidePath("none.ini"));
  missing.FreeAreas(1);
}

// Entries the reader cannot take between good areas: every good area is
// read, the bad entries are named in one box, and saving writes them back as
// they stood, so that nothing the file held is lost.
TEST_F(AreasFileTest, UnreadableEntriesAreNamedAndKept) {
  const std::string windowA = "Site A\n20\n1\n0.000000\n0.000000\n10.000000\n10.000000\n";
  const std::string unknown = "Odd one\n55\n1\n4.000000\n";
  const std::string windowB = "Site B\n20\n1\n20.000000\n0.000000\n30.000000\n10.000000\n";
  // A polygon of two elements cut after one value: its lenient reading
  // would run on into Site C's lines.
  const std::string cut = "Cut polygon\n30\n1\n2\n0.000000\n";
  const std::string windowC = "Site C\n20\n1\n40.000000\n0.000000\n50.000000\n10.000000\n";
  folder_.Write("lwh_gml_areafilters.ini", windowA + "\n" + unknown + windowB + cut + windowC);
  host::ui::ClearMessageBoxes();
  AreaFilter read;
  ASSERT_TRUE(read.CreateLists());
  EXPECT_FALSE(read.LoadAreas(folder_.WidePath("lwh_gml_areafilters.ini")));
  ASSERT_EQ(read.GetAreaCount(), 3);
  for (std::int32_t i = 0; i < 3; ++i) {
    AreaFilterArea area;
    ASSERT_TRUE(read.GetArea(&area, i));
    EXPECT_EQ(std::string(area.description), std::string("Site ") + static_cast<char>('A' + i));
    EXPECT_EQ(area.corner1X, 20.0 * i);
  }
  EXPECT_TRUE(read.PointInFilter(45, 5));
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  const std::wstring& box = host::ui::MessageBoxes()[0].request.text;
  EXPECT_NE(box.find(L"line 9: Odd one"), std::wstring::npos) << WideToNarrow(box);
  EXPECT_NE(box.find(L"line 20: Cut polygon"), std::wstring::npos) << WideToNarrow(box);

  // Saved and read again: the same areas, the same entries, word for word.
  ASSERT_TRUE(read.SaveAreas());
  const std::string saved = folder_.Read("lwh_gml_areafilters.ini");
  EXPECT_EQ(saved, windowA + windowB + windowC + unknown + cut);
  AreaFilter again;
  ASSERT_TRUE(again.CreateLists());
  EXPECT_FALSE(again.LoadAreas(folder_.WidePath("lwh_gml_areafilters.ini")));
  EXPECT_EQ(again.GetAreaCount(), 3);
  // Written one after the other, the two entries read back as one.
  ASSERT_EQ(again.unreadEntries.size(), 1u);
  EXPECT_EQ(again.unreadEntries[0].line, 22);
  EXPECT_EQ(again.unreadEntries[0].lines,
            (std::vector<std::string>{"Odd one", "55", "1", "4.000000", "Cut polygon", "30", "1", "2",
                                      "0.000000"}));
  ASSERT_TRUE(again.SaveAreas());
  EXPECT_EQ(folder_.Read("lwh_gml_areafilters.ini"), saved);

  // Erasing every area erases those entries too.
  again.EraseAllAreas();
  again.path = folder_.WidePath("lwh_gml_areafilters.ini");
  ASSERT_TRUE(again.SaveAreas());
  EXPECT_EQ(folder_.Read("lwh_gml_areafilters.ini"), "");
  read.FreeAreas(1);
  again.FreeAreas(1);
}

TEST_F(AreasFileTest, FailedSaveKeepsTheOldFile) {
  ASSERT_TRUE(filter_.AddArea(Polygon({{20, 0}, {30, 0}, {30, 10}})));
  filter_.path = folder_.WidePath("areas.ini");
  const std::string old = "old\n20\n1\n0\n0\n1\n1\n";
  for (int step = 0;; ++step) {
    SCOPED_TRACE(step);
    folder_.Write("areas.ini", old);
    host::ScopedFault fault(host::FaultPoint::SaveFile, step);
    bool saved = filter_.SaveAreas();
    if (host::FaultsFired(host::FaultPoint::SaveFile) == 0) {
      EXPECT_TRUE(saved);
      break;
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(folder_.Read("areas.ini"), old);
    EXPECT_EQ(folder_.Count(), 1);
  }
}

}  // namespace

namespace {

// The crossing search and the rectangle test skip segments by their boxes;
// that must never change a result. Compared with the plain tests on every
// segment, for segments that end on, just short of and just past the
// outline's edges.
TEST_F(AreaFilterTest, QuickRejectionChangesNoResult) {
  ASSERT_TRUE(filter_.AddArea(Polygon({{0, 0}, {100, 3}, {97, 100}, {2, 96}, {50, 40}})));
  ASSERT_TRUE(filter_.AddArea(Window(200, 0, 300, 100)));  // edges whose boxes are lines
  std::vector<OutlineSegment> outline = OutlineOf(filter_);
  std::uint64_t state = 99;
  auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  for (int n = 0; n < 20000; ++n) {
    // A point on an outline segment, a segment through it of random length
    // and direction, moved a little along itself.
    const OutlineSegment& s = outline[n % outline.size()];
    const double t = next();
    const double px = s.x1 + t * (s.x2 - s.x1), py = s.y1 + t * (s.y2 - s.y1);
    const double a = (n % 3 == 0 ? kPi / 2 * (n % 4) : 2 * kPi * next()), len = 0.01 + 30 * next() * next();
    // Within the loose test's reach past a segment's end (about 1e-4 of its
    // length) and a little beyond.
    const double shift = (next() - 0.5) * 4e-4 * len;
    const double x1 = px + (shift - len) * std::cos(a), y1 = py + (shift - len) * std::sin(a);
    const double x2 = px + shift * std::cos(a), y2 = py + shift * std::sin(a);

    int expected = 0;
    bool touches = false;
    for (const OutlineSegment& o : outline) {
      double ix, iy;
      expected += IntersectSegmentsLoose(ix, iy, o.x1, o.y1, o.x2, o.y2, x1, y1, x2, y2) ? 1 : 0;
    }
    int found = 0;
    double x = 0, y = 0;
    for (bool restart = true; filter_.FindOutlineCrossing(&x, &y, x1, y1, x2, y2, restart);
         restart = false) {
      ++found;
    }
    ASSERT_EQ(found, expected) << n;

    const double rx0 = std::fmin(x1, x2), ry0 = std::fmin(y1, y2);
    const double rx1 = std::fmax(x1, x2), ry1 = std::fmax(y1, y2);
    const double edges[4][4] = {
        {rx0, ry0, rx0, ry1}, {rx0, ry1, rx1, ry1}, {rx1, ry1, rx1, ry0}, {rx1, ry0, rx0, ry0}};
    for (const OutlineSegment& o : outline) {
      if (o.x1 >= rx0 && o.x1 <= rx1 && o.y1 >= ry0 && o.y1 <= ry1) touches = true;
      for (const auto& e : edges) {
        double ix, iy;
        if (IntersectSegments(ix, iy, o.x1, o.y1, o.x2, o.y2, e[0], e[1], e[2], e[3])) {
          touches = true;
        }
      }
    }
    ASSERT_EQ(filter_.RectTouchesOutline(rx0, ry0, rx1, ry1), touches) << n;
  }
}

}  // namespace
