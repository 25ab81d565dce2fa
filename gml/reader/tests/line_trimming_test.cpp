// Cutting lines at the location filter: the rewritten tuple list on its own,
// and the pieces a reading run stores with trimming on.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "gml/reader/line_trimming.h"
#include "reader_fixture.h"

namespace {

using namespace reader_test;

AreaFilterArea Window(double x1, double y1, double x2, double y2) {
  AreaFilterArea window{};
  window.kind = kAreaWindow;
  window.tag = 1;
  window.corner1X = x1;
  window.corner1Y = y1;
  window.corner2X = x2;
  window.corner2Y = y2;
  return window;
}

// The window 0,0 to 100,100 as a filter of its own.
class WindowFilter {
 public:
  WindowFilter() { ok_ = filter_.CreateLists() && filter_.AddArea(Window(0, 0, 100, 100)); }
  ~WindowFilter() { filter_.FreeAreas(1); }
  const AreaFilter& Get() const { return filter_; }
  bool Ok() const { return ok_; }

 private:
  AreaFilter filter_;
  bool ok_ = false;
};

struct Vertex {
  double x, y, z;
};

// One expected tuple of the result: 'v' a vertex to keep, 's' a separator.
struct Out {
  char what;
  double x, y, z;
};

struct TrimCase {
  const char* name;
  std::vector<Vertex> line;
  bool kept;
  std::vector<Out> expected;
};

std::string Describe(const std::vector<CoordinateTuple>& tuples) {
  std::string out;
  char buffer[96];
  for (const CoordinateTuple& t : tuples) {
    std::snprintf(buffer, sizeof buffer, "%s%c(%.3f,%.3f,%.3f)", out.empty() ? "" : " ",
                  t.hasX ? 'v' : 's', t.x, t.y, t.z);
    out += buffer;
  }
  return out;
}

TEST(LineTrimming, TuplesRewrittenAtTheWindowEdges) {
  const std::vector<TrimCase> cases = {
      {"wholly inside: every vertex, no separator",
       {{10, 10, 1}, {50, 10, 2}, {50, 50, 3}},
       true,
       {{'v', 10, 10, 1}, {'v', 50, 10, 2}, {'v', 50, 50, 3}}},
      {"starts outside, enters, ends inside",
       {{-50, 50, 0}, {50, 50, 0}, {60, 60, 0}},
       true,
       {{'s', -50, 50, 0}, {'s', 0, 50, 0}, {'v', 0, 50, 0}, {'v', 50, 50, 0}, {'v', 60, 60, 0}}},
      {"starts inside and leaves",
       {{50, 50, 0}, {150, 50, 0}},
       true,
       {{'v', 50, 50, 0}, {'v', 100, 50, 0}, {'s', 150, 50, 0}}},
      {"passes through: in at one edge, out at the other",
       {{-50, 50, 0}, {150, 50, 0}},
       true,
       {{'s', -50, 50, 0}, {'s', 0, 50, 0}, {'v', 0, 50, 0}, {'v', 100, 50, 0}, {'s', 150, 50, 0}}},
      {"a vertex within 0.005 of the crossing is not added again",
       {{-50, 50, 0}, {0.003, 50, 0}, {50, 50, 0}},
       true,
       {{'s', -50, 50, 0}, {'s', 0, 50, 0}, {'v', 0, 50, 0}, {'v', 50, 50, 0}}},
      {"a vertex on the edge itself is one crossing",
       {{-50, 50, 0}, {0, 50, 0}, {50, 50, 0}},
       true,
       {{'s', -50, 50, 0}, {'s', 0, 50, 0}, {'v', 0, 50, 0}, {'v', 50, 50, 0}}},
      {"wholly outside: separators only, not kept",
       {{200, 200, 0}, {300, 200, 0}, {300, 300, 0}},
       false,
       {{'s', 200, 200, 0}, {'s', 300, 200, 0}, {'s', 300, 300, 0}}},
      {"the crossing takes its height along the line",
       {{-50, 50, 10}, {50, 50, 20}},
       true,
       {{'s', -50, 50, 10}, {'s', 0, 50, 15}, {'v', 0, 50, 15}, {'v', 50, 50, 20}}},
      {"leaves and comes back: two pieces",
       {{50, 50, 0}, {150, 50, 0}, {150, 80, 0}, {50, 80, 0}},
       true,
       {{'v', 50, 50, 0},
        {'v', 100, 50, 0},
        {'s', 150, 50, 0},
        {'s', 150, 80, 0},
        {'s', 100, 80, 0},
        {'v', 100, 80, 0},
        {'v', 50, 80, 0}}},
  };
  WindowFilter window;
  ASSERT_TRUE(window.Ok());
  for (const TrimCase& c : cases) {
    SCOPED_TRACE(c.name);
    GrowArray tuples{};
    ASSERT_TRUE(GrowArrayCreate(10, sizeof(CoordinateTuple), &tuples));
    for (const Vertex& v : c.line) {
      const CoordinateTuple t{v.x, v.y, v.z, 1, 1, 1};
      ASSERT_TRUE(GrowArraySet(&tuples, tuples.count, &t));
    }
    EXPECT_EQ(TrimLineToFilter(window.Get(), &tuples), c.kept);
    const auto* data = static_cast<const CoordinateTuple*>(tuples.data);
    const std::vector<CoordinateTuple> got(data, data + tuples.count);
    GrowArrayFree(&tuples);
    ASSERT_EQ(got.size(), c.expected.size()) << Describe(got);
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "tuple " << i << " of " << Describe(got));
      EXPECT_EQ(got[i].hasX, c.expected[i].what == 'v' ? 1 : 0);
      EXPECT_EQ(got[i].hasY, 1);
      EXPECT_EQ(got[i].hasZ, 1);
      EXPECT_NEAR(got[i].x, c.expected[i].x, 1e-6);
      EXPECT_NEAR(got[i].y, c.expected[i].y, 1e-6);
      EXPECT_NEAR(got[i].z, c.expected[i].z, 1e-6);
    }
  }
}

TEST(LineTrimming, ALineTooShortForGeometryIsLeftAlone) {
  WindowFilter window;
  ASSERT_TRUE(window.Ok());
  GrowArray tuples{};
  ASSERT_TRUE(GrowArrayCreate(10, sizeof(CoordinateTuple), &tuples));
  const CoordinateTuple t{150, 50, 0, 1, 1, 0};
  ASSERT_TRUE(GrowArraySet(&tuples, 0, &t));
  EXPECT_FALSE(TrimLineToFilter(window.Get(), &tuples));
  ASSERT_EQ(tuples.count, 1);
  EXPECT_EQ(static_cast<const CoordinateTuple*>(tuples.data)[0].x, 150);
  GrowArrayFree(&tuples);
}

// A reading run with trimming on through a window: lines and road links are
// stored as their pieces inside, breaks marked 'b', and a line wholly
// outside is neither stored nor counted.
TEST(LineTrimming, ReadingRunStoresThePiecesInsideTheWindow) {
  TempFolder folder;
  const std::string path = (folder.Path() / "trim.gml").string();
  std::ofstream(path, std::ios::binary)
      << "<?xml version='1.0'?>\n<osgb:FeatureCollection fid='T'>\n"
         "<osgb:queryExtent><osgb:Rectangle><gml:coordinates>-500,-500 500,500"
         "</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n"
         "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000001'>"
         "<osgb:heightAboveDatum>7</osgb:heightAboveDatum><osgb:polyline><gml:LineString>"
         "<gml:coordinates>-50,50 150,50</gml:coordinates></gml:LineString></osgb:polyline>"
         "</osgb:TopographicLine></osgb:topographicMember>\n"
         "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000002'>"
         "<osgb:polyline><gml:LineString><gml:coordinates>200,200 300,300</gml:coordinates>"
         "</gml:LineString></osgb:polyline></osgb:TopographicLine></osgb:topographicMember>\n"
         "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000003'>"
         "<osgb:polyline><gml:LineString><gml:coordinates>10,10,1 20,20,3</gml:coordinates>"
         "</gml:LineString></osgb:polyline></osgb:TopographicLine></osgb:topographicMember>\n"
         "<osgb:networkMember><osgb:RoadLink fid='osgb4000000000000001'><osgb:polyline>"
         "<gml:LineString><gml:coordinates>50,-50 50,50</gml:coordinates></gml:LineString>"
         "</osgb:polyline></osgb:RoadLink></osgb:networkMember>\n"
         "</osgb:FeatureCollection>\n";
  for (const bool gzip : {false, true}) {
    SCOPED_TRACE(gzip ? "gzip" : "plain");
    std::string input = path;
    if (gzip) {
      input = path + ".gz";
      ASSERT_TRUE(GzipFile(path, input));
    }
    OSGMLInputView view;
    ASSERT_TRUE(view.locationFilter.AddArea(Window(0, 0, 100, 100)));
    view.settings.areaFiltering = 1;
    view.settings.trimLinesToAreaEdges = 1;
    ASSERT_TRUE(AddInputFile(view, input));
    ASSERT_EQ(ReadAll(view), 1);

    EXPECT_EQ(view.seenLines, 3);
    EXPECT_EQ(view.keptLines, 2) << "the line wholly outside is not kept";
    ASSERT_EQ(view.lines.count, 2);
    auto tags = [](const GrowArray& list) {
      std::string out;
      char buffer[96];
      const auto* p = static_cast<const LinePoint*>(list.data);
      for (std::int32_t i = 0; i < list.count; ++i) {
        std::snprintf(buffer, sizeof buffer, "%s%c%.3f,%.3f,%.3f", out.empty() ? "" : " ",
                      p[i].tag == ' ' ? 'v' : p[i].tag, p[i].x + 0.0, p[i].y + 0.0, p[i].z + 0.0);
        out += buffer;
      }
      return out;
    };
    LineFeatureRecord line;
    ASSERT_TRUE(PagedGrowArrayGet(&view.lines, 0, &line));
    EXPECT_STREQ(line.common.toid, "1000000000000001");
    // A line without heights is cut on a profile at 0: its pieces take z 0,
    // not its heightAboveDatum.
    EXPECT_EQ(tags(line.points),
              "b-50.000,50.000,0.000 b0.000,50.000,0.000 v0.000,50.000,0.000 "
              "v100.000,50.000,0.000 b150.000,50.000,0.000 e100.000,50.000,0.000");
    ASSERT_TRUE(PagedGrowArrayGet(&view.lines, 1, &line));
    EXPECT_STREQ(line.common.toid, "1000000000000003");
    EXPECT_EQ(tags(line.points),
              "v10.000,10.000,1.000 v20.000,20.000,3.000 e20.000,20.000,3.000");

    ASSERT_EQ(view.roadLinks.count, 1);
    const auto* link = static_cast<const RoadLinkRecord*>(view.roadLinks.data);
    EXPECT_EQ(tags(link->points),
              "b50.000,-50.000,0.000 b50.000,0.000,0.000 v50.000,0.000,0.000 "
              "v50.000,50.000,0.000 e50.000,50.000,0.000");
    EXPECT_EQ(view.keptRoadLinks, 1);
    // The read extent takes the kept vertices only.
    EXPECT_EQ(view.readMinX, 0);
    EXPECT_EQ(view.readMaxX, 100);
    EXPECT_EQ(view.readMinY, 0);
  }
}

}  // namespace
