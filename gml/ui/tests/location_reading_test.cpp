// A reading run of the example ITN data through each kind of location area
// taken from the drawing or a road network file: the road nodes it keeps
// against shapely's reading of the same shape (python3-shapely).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gml/reader/osgml_input_view.h"
#include "gml/settings/tests/dialog_fixture.h"
#include "gml/ui/location_areas.h"
#include "gml/writer/road_network_buffer.h"
#include "gml/writer/tests/writer_fixture.h"
#include "host/db/database.h"

namespace {

namespace fs = std::filesystem;

using Nodes = std::map<std::string, std::pair<double, double>>;

class LocationReadingTest : public DialogTest {
 protected:
  static void SetUpTestSuite() {
    data_ = fs::temp_directory_path() / ("gml_writer_locations_" + std::to_string(getpid()));
    fs::create_directories(data_);
    writer_test::RunCommand("/usr/bin/python3 '" + std::string(VARNEL_SOURCE_DIR) +
                            "/tools/make_example_data.py' '" + data_.string() + "'");
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(data_, ignored);
  }
  void SetUp() override {
    DialogTest::SetUp();
    if (!fs::exists("/usr/bin/python3") ||
        writer_test::RunCommand("/usr/bin/python3 -c 'import shapely'").find("Error") !=
            std::string::npos)
      GTEST_SKIP() << "python3-shapely is not installed";
    ASSERT_TRUE(fs::exists(data_ / "example-itn.gml"));
    all_ = Read(nullptr);
    ASSERT_GT(all_.size(), 100u);
  }

  // The road nodes the example ITN file gives through the view's filter
  // (every node when `view` is null: a view without areas).
  static Nodes Read(OSGMLInputView* view) {
    OSGMLInputView own;
    OSGMLInputView& v = view ? *view : own;
    v.settings.areaFiltering = 1;
    v.settings.locationMode = 0;
    EXPECT_TRUE(v.AppendInputFile((data_ / "example-itn.gml").string().c_str()));
    EXPECT_EQ(v.ProcessGmlFiles(1, L"Stop draw", 0), 1);
    Nodes nodes;
    for (std::int32_t i = 0; i < v.roadNodes.count; ++i) {
      const RoadNodeRecord& node = static_cast<const RoadNodeRecord*>(v.roadNodes.data)[i];
      nodes[node.toid] = {node.x, node.y};
    }
    return nodes;
  }

  // The names of the nodes inside `shape` by shapely.
  std::set<std::string> Expected(const std::string& shape) const {
    Write("shape.txt", shape);
    std::ostringstream points;
    points.precision(17);
    for (const auto& [toid, at] : all_) points << toid << ' ' << at.first << ' ' << at.second << '\n';
    Write("points.txt", points.str());
    const std::string out =
        writer_test::RunCommand("/usr/bin/python3 '" + std::string(VARNEL_SOURCE_DIR) +
                                "/gml/writer/tests/location_expectation.py' '" + Path("shape.txt") +
                                "' '" + Path("points.txt") + "'");
    std::set<std::string> names;
    std::istringstream in(out);
    for (std::string name; in >> name;) names.insert(name);
    return names;
  }
  static std::set<std::string> Names(const Nodes& nodes) {
    std::set<std::string> names;
    for (const auto& entry : nodes) names.insert(entry.first);
    return names;
  }
  host::EntityName Polyline(bool closed, std::vector<host::db::LwVertex> vertices) {
    host::db::LwPolylineData data;
    data.closed = closed;
    data.vertices = std::move(vertices);
    return db.Append(data);
  }
  static std::string Coordinates(const std::vector<host::db::LwVertex>& vertices) {
    std::ostringstream text;
    text.precision(17);
    for (const auto& v : vertices) text << ' ' << v.x << ',' << v.y;
    return text.str();
  }

  static fs::path data_;
  Nodes all_;
  host::db::Database db;
  host::db::ScopedWorkingDatabase scope{&db};
};

fs::path LocationReadingTest::data_;

TEST_F(LocationReadingTest, PickedBoundaryKeepsTheNodesInside) {
  const std::vector<host::db::LwVertex> corners = {{437013.3, 112017.1},
                                                   {437410.7, 112052.9},
                                                   {437333.3, 112390.1},
                                                   {437100.2, 112450.6},
                                                   {437047.1, 112250.3}};
  const host::EntityName boundary = Polyline(true, corners);
  OSGMLInputView view;
  Push("pick", {host::HandleText(boundary)});
  ASSERT_TRUE(AddPickedBoundaryArea(view.locationFilter, "boundary"));
  const std::set<std::string> kept = Names(Read(&view));
  const std::set<std::string> expected = Expected("polygon" + Coordinates(corners));
  EXPECT_GT(expected.size(), 10u);
  EXPECT_LT(expected.size(), all_.size() / 2);
  EXPECT_EQ(kept, expected);
}

TEST_F(LocationReadingTest, BufferZoneKeepsTheNodesWithinItsWidth) {
  const std::vector<host::db::LwVertex> centre = {
      {437031.7, 112013.3}, {437290.1, 112200.7}, {437500.3, 112170.2}, {437530.9, 112480.4}};
  const host::EntityName line = Polyline(false, centre);
  OSGMLInputView view;
  Push("pick", {host::HandleText(line)});
  Push("type", {L"47.3"});
  ASSERT_TRUE(AddBufferZoneArea(view.locationFilter, "zone"));
  const std::set<std::string> kept = Names(Read(&view));
  const std::set<std::string> expected = Expected("zone 47.3" + Coordinates(centre));
  EXPECT_GT(expected.size(), 10u);
  EXPECT_LT(expected.size(), all_.size() / 2);
  EXPECT_EQ(kept, expected);
}

TEST_F(LocationReadingTest, RoadNetworkBufferKeepsTheNodesNearTheRoads) {
  // Pieces between the ends of a line of road are widened by about the
  // width / sqrt 2 and the end pieces by the width, on both axes; the grid
  // then takes whole sub-cells (5 m here). So every node within 27 m of a
  // road is kept, and none farther than 65 m.
  Write("roads.txt",
        "437031 112013 0 first\n437290 112200 0 first\n437500 112170 0 First\n"
        "437100 112500 0 second\n437130 112100 0 second\n");
  OSGMLInputView view;
  Push("answer", {WidePath("roads.txt")});
  Push("type", {L"40"});
  Push("type", {L"20"});
  ASSERT_TRUE(AddRoadNetworkArea(view.locationFilter));
  const std::set<std::string> kept = Names(Read(&view));
  const std::string roads = " 437031,112013 437290,112200 437500,112170 ; 437100,112500 437130,112100";
  const std::set<std::string> near = Expected("roads 27" + roads);
  const std::set<std::string> far = Expected("roads 65" + roads);
  EXPECT_GT(near.size(), 5u);
  EXPECT_LT(far.size(), all_.size() / 2);
  for (const std::string& toid : near) EXPECT_TRUE(kept.count(toid)) << toid << " is near a road";
  for (const std::string& toid : kept) EXPECT_TRUE(far.count(toid)) << toid << " is far from the roads";
}

}  // namespace
