// Features read through a location filter and drawn, against what the GML
// text says about them.
//
// ITN roads, by the road rule worked out here: with "every point inside" a
// road is kept when every point of its links in the file lies inside the
// filter, with "one point inside" when any does; a road with no link in the
// file has nothing to draw. Only the kept roads are drawn, and an update
// leaves the drawing's copy of a road that was not kept alone.
//
// Two overlapping areas: the filter is their union (by shapely,
// python3-shapely), overlap included.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gml/reader/osgml_input_view.h"
#include "gml/writer/feature_pass.h"
#include "gml/writer/os_xdata_record.h"
#include "gml/writer/tests/pass_fixture.h"
#include "gml/writer/tests/writer_fixture.h"

using namespace pass_test;

namespace {

namespace fs = std::filesystem;

struct Point {
  double x, y;
};

struct Box {
  double x0, y0, x1, y1;
  bool Holds(const Point& p) const { return p.x > x0 && p.x < x1 && p.y > y0 && p.y < y1; }
};

// The roads and links of an ITN file, read from its text.
struct Network {
  std::map<std::string, std::vector<Point>> links;           // TOID -> points
  std::map<std::string, std::vector<std::string>> roads;     // TOID -> member TOIDs
};

// The text between `open` and `close` after `from`, or empty.
std::string Between(const std::string& text, std::size_t from, std::size_t to,
                    const std::string& open, const std::string& close, std::size_t* after) {
  const std::size_t a = text.find(open, from);
  if (a == std::string::npos || a >= to) return "";
  const std::size_t b = text.find(close, a + open.size());
  if (b == std::string::npos || b > to) return "";
  if (after != nullptr) *after = b + close.size();
  return text.substr(a + open.size(), b - a - open.size());
}

// The TOID after `fid=` (either quote) at `at`, without its "osgb", as the
// drawing keeps it.
std::string FidAt(const std::string& text, std::size_t at) {
  const std::size_t q = text.find("fid=", at);
  const std::size_t start = q + 9;
  const std::size_t end = text.find_first_of("'\"", start);
  return text.substr(start, end - start);
}

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// The points of a gml:coordinates text.
std::vector<Point> Points(const std::string& coordinates) {
  std::vector<Point> points;
  std::istringstream in(coordinates);
  for (std::string pair; in >> pair;) {
    const std::size_t comma = pair.find(',');
    points.push_back({std::stod(pair.substr(0, comma)), std::stod(pair.substr(comma + 1))});
  }
  return points;
}

Network ReadNetwork(const fs::path& file) {
  const std::string text = FileText(file);
  Network net;
  for (const char* kind : {"RoadLink", "PathLink"}) {
    const std::string open = std::string("<osgb:") + kind + " ";
    const std::string close = std::string("</osgb:") + kind + ">";
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
      const std::size_t end = text.find(close, at);
      net.links[FidAt(text, at)] =
          Points(Between(text, at, end, "<gml:coordinates>", "</gml:coordinates>", nullptr));
    }
  }
  for (const char* kind : {"Road", "Path"}) {
    const std::string open = std::string("<osgb:") + kind + " ";
    const std::string close = std::string("</osgb:") + kind + ">";
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
      const std::size_t end = text.find(close, at);
      std::vector<std::string>& members = net.roads[FidAt(text, at)];
      for (std::size_t m = text.find("osgb:networkMember ", at); m < end;
           m = text.find("osgb:networkMember ", m + 1)) {
        const std::size_t href = text.find("#osgb", m);
        const std::size_t stop = text.find_first_of("'\"", href);
        members.push_back(text.substr(href + 5, stop - href - 5));
      }
    }
  }
  return net;
}

// The roads the rule keeps and that have points to draw.
std::set<std::string> KeptRoads(const Network& net, const Box& window, int mode) {
  std::set<std::string> kept;
  for (const auto& [toid, members] : net.roads) {
    bool drawable = false, any = false, every = true;
    for (const std::string& member : members) {
      const auto link = net.links.find(member);
      if (link == net.links.end() || link->second.size() < 2) continue;
      drawable = true;
      for (const Point& p : link->second) {
        any = any || window.Holds(p);
        every = every && window.Holds(p);
      }
    }
    if (drawable && (mode == 0 ? every : any)) kept.insert(toid);
  }
  return kept;
}

// TOID and version of every entity of the drawing of feature kind `kind`.
std::multimap<std::string, std::string> Drawn(host::db::Database& db, const wchar_t* kind) {
  std::multimap<std::string, std::string> out;
  ShowOSGmlXdata record;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    record.entity = id;
    record.ClearXdata();
    record.ReadXdata();
    if (record.Kind() == kind) out.emplace(WideToNarrow(record.Toid()), WideToNarrow(record.Version()));
  }
  return out;
}

std::multimap<std::string, std::string> DrawnRoads(host::db::Database& db) { return Drawn(db, L"9"); }

std::set<std::string> Keys(const std::multimap<std::string, std::string>& roads) {
  std::set<std::string> out;
  for (const auto& entry : roads) out.insert(entry.first);
  return out;
}

// A reading of `file` for drawing, through `windows` when there are any.
std::unique_ptr<OSGMLInputView> Read(const std::vector<fs::path>& files,
                                     const std::vector<Box>& windows, int mode, bool update) {
  auto view = std::make_unique<OSGMLInputView>();
  view->updateMode = update ? 1 : 0;
  view->settings.inputRoads = 1;
  view->settings.inputRoadLinks = 1;
  view->settings.inputRoadNodes = 0;
  view->settings.areaFiltering = windows.empty() ? 0 : 1;
  view->settings.trimLinesToAreaEdges = 0;
  view->settings.locationMode = mode;
  for (const Box& w : windows) {
    AreaFilterArea area{};
    area.kind = kAreaWindow;
    area.tag = 1;
    area.corner1X = w.x0;
    area.corner1Y = w.y0;
    area.corner2X = w.x1;
    area.corner2Y = w.y1;
    EXPECT_TRUE(view->locationFilter.AddArea(area));
  }
  for (const fs::path& file : files) EXPECT_TRUE(view->AppendInputFile(file.string().c_str()));
  EXPECT_EQ(view->ProcessGmlFiles(1, L"Stop draw", 0), 1);
  return view;
}

// The box of every link point.
Box Extent(const Network& net) {
  Box box{1e300, 1e300, -1e300, -1e300};
  for (const auto& [toid, points] : net.links) {
    for (const Point& p : points) {
      box.x0 = std::min(box.x0, p.x);
      box.y0 = std::min(box.y0, p.y);
      box.x1 = std::max(box.x1, p.x);
      box.y1 = std::max(box.y1, p.y);
    }
  }
  return box;
}

// A 40 m window inside the network's box that no link point falls in, and
// no link passes through either: links are walked in 1 m steps, marking the
// 20 m cells they touch, and the window takes four free cells.
bool EmptyWindow(const Network& net, Box* found) {
  const Box all = Extent(net);
  const double x0 = all.x0 + 100.5, y0 = all.y0 + 100.5;
  std::set<std::pair<long, long>> used;
  auto mark = [&](double x, double y) {
    used.emplace(static_cast<long>(std::floor((x - x0) / 20)), static_cast<long>(std::floor((y - y0) / 20)));
  };
  for (const auto& [toid, points] : net.links) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
      const double length = std::hypot(points[i + 1].x - points[i].x, points[i + 1].y - points[i].y);
      for (double t = 0; t < length; t += 1.0) {
        const double f = t / length;
        mark(points[i].x + f * (points[i + 1].x - points[i].x), points[i].y + f * (points[i + 1].y - points[i].y));
      }
      mark(points[i + 1].x, points[i + 1].y);
    }
  }
  for (long j = 0; y0 + 20 * j + 40 < all.y1; ++j) {
    for (long i = 0; x0 + 20 * i + 40 < all.x1; ++i) {
      if (used.count({i, j}) || used.count({i + 1, j}) || used.count({i, j + 1}) || used.count({i + 1, j + 1}))
        continue;
      *found = {x0 + 20 * i, y0 + 20 * j, x0 + 20 * i + 40, y0 + 20 * j + 40};
      return true;
    }
  }
  return false;
}

class FilteredRoads : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    file_ = fs::path(VARNEL_SHARED_DIR) / "testdata" / "osmm" / GetParam();
    if (!fs::exists(file_)) GTEST_SKIP() << "no shared samples";
    net_ = ReadNetwork(file_);
    ASSERT_GT(net_.roads.size(), 20u);
  }
  fs::path file_;
  Network net_;
};

TEST_P(FilteredRoads, OnlyTheRoadsTheRuleKeepsAreDrawn) {
  // Every road with links in the file, unfiltered.
  const Box everywhere{-1e12, -1e12, 1e12, 1e12};
  const std::set<std::string> all = KeptRoads(net_, everywhere, 0);
  {
    PassDrawing drawing;
    FeatureDrawingRun run{drawing.settings};
    run.StartRun();
    ASSERT_TRUE(drawing.Pass(run, FeatureListsOf(*Read({file_}, {}, 0, false)), false));
    ASSERT_EQ(Keys(DrawnRoads(drawing.db)), all);
  }

  Box empty{};
  ASSERT_TRUE(EmptyWindow(net_, &empty));
  const Box whole = Extent(net_);
  // The south-west quarter of the network, edges off any coordinate.
  const Box part{whole.x0 - 0.37, whole.y0 - 0.37, (whole.x0 + whole.x1) / 2 + 0.13,
                 (whole.y0 + whole.y1) / 2 + 0.13};
  for (int mode : {0, 1}) {
    for (const bool partly : {false, true}) {
      const Box& window = partly ? part : empty;
      SCOPED_TRACE("mode " + std::to_string(mode) + (partly ? ", part of the network" : ", no road"));
      const std::set<std::string> expected = KeptRoads(net_, window, mode);
      if (partly) {
        EXPECT_FALSE(expected.empty());
        EXPECT_LT(expected.size(), all.size());
      } else {
        EXPECT_TRUE(expected.empty());
      }
      PassDrawing drawing;
      FeatureDrawingRun run{drawing.settings};
      run.StartRun();
      ASSERT_TRUE(drawing.Pass(run, FeatureListsOf(*Read({file_}, {window}, mode, false)), false));
      EXPECT_EQ(Keys(DrawnRoads(drawing.db)), expected);
    }
  }
}

// The file again with every version one higher, read through the part
// window in update mode: the kept roads are replaced by their new version,
// the others stay in the drawing as they were.
TEST_P(FilteredRoads, AnUpdateLeavesTheRoadsOutsideAlone) {
  std::string text = FileText(file_);
  const std::string tag = "<osgb:version>";
  for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1)) {
    const std::size_t start = at + tag.size();
    const std::size_t end = text.find('<', start);
    text.replace(start, end - start, std::to_string(std::stoi(text.substr(start, end - start)) + 1));
  }
  const fs::path newer = fs::temp_directory_path() /
                         ("filtered_roads_" + std::to_string(getpid()) + "_" + file_.filename().string());
  std::ofstream(newer, std::ios::binary) << text;

  PassDrawing drawing;
  FeatureDrawingRun import{drawing.settings};
  import.StartRun();
  ASSERT_TRUE(drawing.Pass(import, FeatureListsOf(*Read({file_}, {}, 0, false)), false));
  const std::multimap<std::string, std::string> before = DrawnRoads(drawing.db);

  const Box whole = Extent(net_);
  const Box part{whole.x0 - 0.37, whole.y0 - 0.37, (whole.x0 + whole.x1) / 2 + 0.13,
                 (whole.y0 + whole.y1) / 2 + 0.13};
  // "One point inside" keeps every road that "every point inside" keeps.
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    const std::set<std::string> kept = KeptRoads(net_, part, mode);
    ASSERT_FALSE(kept.empty());
    FeatureDrawingRun update{drawing.settings};
    update.StartRun();
    ASSERT_TRUE(drawing.Pass(update, FeatureListsOf(*Read({newer}, {part}, mode, true)), true));
    const std::multimap<std::string, std::string> after = DrawnRoads(drawing.db);
    EXPECT_EQ(Keys(after), Keys(before));
    for (const std::string& toid : Keys(before)) {
      const std::string old = before.find(toid)->second;
      std::set<std::string> versions;
      for (auto [at, end] = after.equal_range(toid); at != end; ++at) versions.insert(at->second);
      if (kept.count(toid) != 0) {
        EXPECT_EQ(versions.count(std::to_string(std::stoi(old) + 1)), 1u) << toid;
      } else {
        EXPECT_EQ(versions, std::set<std::string>{old}) << toid;
      }
    }
  }
  fs::remove(newer);
}

// Two windows of the example data that overlap, the spot height at
// 437105,112130 in the overlap. Each feature class the filter tests point
// by point is drawn as shapely's union of the windows decides: every point
// inside for "every point inside", one point for "one point inside".
class OverlappingAreas : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    data_ = new fs::path(fs::temp_directory_path() / ("location_drawing_" + std::to_string(getpid())));
    fs::create_directories(*data_);
    writer_test::RunCommand("/usr/bin/python3 '" + std::string(VARNEL_SOURCE_DIR) +
                            "/tools/make_example_data.py' '" + data_->string() + "'");
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(*data_, ignored);
    delete data_;
    data_ = nullptr;
  }
  void SetUp() override {
    if (!fs::exists("/usr/bin/python3") ||
        writer_test::RunCommand("/usr/bin/python3 -c 'import shapely'").find("Error") != std::string::npos)
      GTEST_SKIP() << "python3-shapely is not installed";
    ASSERT_TRUE(fs::exists(*data_ / "example-topo.gml"));
  }
  static fs::path* data_;
};
fs::path* OverlappingAreas::data_ = nullptr;

// Features of one drawn kind: TOID -> points (an area's outer ring).
using Features = std::map<std::string, std::vector<Point>>;

Features FeaturesOf(const std::string& text, const std::vector<std::string>& elements,
                    const std::string& ringOpen) {
  Features out;
  for (const std::string& element : elements) {
    const std::string open = "<osgb:" + element + " ";
    const std::string close = "</osgb:" + element + ">";
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
      const std::size_t end = text.find(close, at);
      std::size_t from = at;
      if (!ringOpen.empty()) {
        from = text.find(ringOpen, at);
        if (from == std::string::npos || from > end) continue;  // rings given by reference
      }
      const std::vector<Point> points =
          Points(Between(text, from, end, "<gml:coordinates>", "</gml:coordinates>", nullptr));
      if (!points.empty()) out[FidAt(text, at)] = points;
    }
  }
  return out;
}

TEST_F(OverlappingAreas, TheFilterHoldsTheUnionOfItsAreas) {
  const Box locA{437010.3, 112010.3, 437150.7, 112200.7};
  const Box locB{437080.2, 112100.2, 437290.9, 112320.9};
  const std::string topo = FileText(*data_ / "example-topo.gml");
  const std::string itn = FileText(*data_ / "example-itn.gml");
  struct Class {
    const char* name;
    std::vector<const wchar_t*> kinds;  // a polygon: outline or hatch
    Features features;
  };
  std::vector<Class> classes = {
      {"points", {L"2"}, FeaturesOf(topo, {"TopographicPoint"}, "")},
      {"lines", {L"1"}, FeaturesOf(topo, {"TopographicLine", "BoundaryLine"}, "")},
      {"areas", {L"5", L"6"}, FeaturesOf(topo, {"TopographicArea"}, "<gml:outerBoundaryIs>")},
      {"road links", {L"8"}, FeaturesOf(itn, {"RoadLink"}, "")},
  };

  // Which points shapely puts inside the union.
  std::ostringstream shape, points;
  shape.precision(17);
  points.precision(17);
  shape << "union";
  for (const Box& b : {locA, locB}) {
    shape << ' ' << b.x0 << ',' << b.y0 << ' ' << b.x1 << ',' << b.y0 << ' ' << b.x1 << ',' << b.y1 << ' '
          << b.x0 << ',' << b.y1 << " ;";
  }
  std::size_t n = 0;
  for (const Class& c : classes) {
    ASSERT_FALSE(c.features.empty()) << c.name;
    for (const auto& [toid, at] : c.features) {
      for (const Point& p : at) points << "p" << n++ << ' ' << p.x << ' ' << p.y << '\n';
    }
  }
  const fs::path shapeFile = *data_ / "union.txt", pointsFile = *data_ / "points.txt";
  std::ofstream(shapeFile) << shape.str() << '\n';
  std::ofstream(pointsFile) << points.str();
  std::set<std::string> inside;
  std::istringstream names(writer_test::RunCommand(
      "/usr/bin/python3 '" + std::string(VARNEL_SOURCE_DIR) + "/gml/writer/tests/location_expectation.py' '" +
      shapeFile.string() + "' '" + pointsFile.string() + "'"));
  for (std::string name; names >> name;) inside.insert(name);
  ASSERT_FALSE(inside.empty());

  for (int mode : {0, 1}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    PassDrawing drawing;
    FeatureDrawingRun run{drawing.settings};
    run.StartRun();
    ASSERT_TRUE(drawing.Pass(
        run, FeatureListsOf(*Read({*data_ / "example-topo.gml", *data_ / "example-itn.gml"}, {locA, locB}, mode, false)),
        false));
    n = 0;
    for (const Class& c : classes) {
      SCOPED_TRACE(c.name);
      std::set<std::string> expected, inBoth;
      for (const auto& [toid, at] : c.features) {
        bool any = false, every = true, both = true;
        for (const Point& p : at) {
          const bool in = inside.count("p" + std::to_string(n++)) != 0;
          any = any || in;
          every = every && in;
          both = both && locA.Holds(p) && locB.Holds(p);
        }
        if (mode == 0 ? every : any) expected.insert(toid);
        if (both) inBoth.insert(toid);
      }
      std::set<std::string> drawn;
      for (const wchar_t* kind : c.kinds) {
        for (const auto& [toid, version] : Drawn(drawing.db, kind))
          if (c.features.count(toid) != 0) drawn.insert(toid);
      }
      EXPECT_EQ(drawn, expected);
      EXPECT_LT(expected.size(), c.features.size());
      for (const std::string& toid : inBoth) EXPECT_EQ(drawn.count(toid), 1u) << toid << " lies in both";
    }
    // The spot height in the overlap.
    bool spotHeight = false;
    for (const auto& [toid, at] : classes[0].features)
      if (at.front().x == 437105 && at.front().y == 112130) spotHeight = Drawn(drawing.db, L"2").count(toid) != 0;
    EXPECT_TRUE(spotHeight);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, FilteredRoads,
                         ::testing::Values("itn-v6-brixton-crimefighter.gml",
                                           "itn-v7-exeter-ossample.gml"),
                         [](const auto& info) {
                           return std::string(info.param).find("brixton") != std::string::npos
                                      ? std::string("Brixton")
                                      : std::string("Exeter");
                         });

}  // namespace
