// An import with SDF output chosen in the main dialog, as the user runs it:
// the reading run names the road links after their roads and reads no roads
// or texts, nothing of the classes handed to the SDF writer reaches the
// drawing, and the CSV files of a class that does not run are left alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/containers/text.h"
#include "gml/settings/tests/dialog_fixture.h"
#include "gml/ui/osgml_input_dialog.h"
#include "gml/ui/varnel_commands.h"
#include "host/app/documents.h"
#include "host/db/database.h"
#include "host/editor/support_path.h"

namespace {

namespace fs = std::filesystem;

// Two road links (the first a member of a named road), a road node, a
// topographic line and a cartographic text.
constexpr const char* kItnFile =
    "<?xml version='1.0'?>\n<osgb:FeatureCollection fid='T'>\n"
    "<osgb:queryExtent><osgb:Rectangle><gml:coordinates>1000,2000 1400,2400"
    "</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n"
    "<osgb:networkMember><osgb:RoadLink fid='osgb4000000000000001'><osgb:version>3</osgb:version>"
    "<osgb:versionDate>2005-01-01</osgb:versionDate><osgb:theme>Road Network</osgb:theme>"
    "<osgb:descriptiveGroup>Road Topology</osgb:descriptiveGroup>"
    "<osgb:descriptiveTerm>A Road</osgb:descriptiveTerm>"
    "<osgb:natureOfRoad>Single Carriageway</osgb:natureOfRoad><osgb:length>100.00</osgb:length>"
    "<osgb:polyline><gml:LineString><gml:coordinates>1100,2100 1200,2100</gml:coordinates>"
    "</gml:LineString></osgb:polyline>"
    "<osgb:directedNode orientation='-' xlink:href='#osgb4000000000000010'/>"
    "<osgb:directedNode orientation='+' xlink:href='#osgb4000000000000011'/>"
    "</osgb:RoadLink></osgb:networkMember>\n"
    "<osgb:networkMember><osgb:RoadLink fid='osgb4000000000000002'><osgb:version>4</osgb:version>"
    "<osgb:versionDate>2005-01-02</osgb:versionDate><osgb:theme>Road Network</osgb:theme>"
    "<osgb:descriptiveGroup>Road Topology</osgb:descriptiveGroup>"
    "<osgb:descriptiveTerm>Minor Road</osgb:descriptiveTerm>"
    "<osgb:natureOfRoad>Single Carriageway</osgb:natureOfRoad><osgb:length>50.00</osgb:length>"
    "<osgb:polyline><gml:LineString><gml:coordinates>1200,2100 1200,2150</gml:coordinates>"
    "</gml:LineString></osgb:polyline>"
    "<osgb:directedNode orientation='-' xlink:href='#osgb4000000000000011'/>"
    "<osgb:directedNode orientation='+' xlink:href='#osgb4000000000000012'/>"
    "</osgb:RoadLink></osgb:networkMember>\n"
    "<osgb:networkMember><osgb:RoadNode fid='osgb4000000000000011'><osgb:version>2</osgb:version>"
    "<osgb:versionDate>2005-01-03</osgb:versionDate><osgb:theme>Road Network</osgb:theme>"
    "<osgb:descriptiveGroup>Road Topology</osgb:descriptiveGroup>"
    "<osgb:point><gml:Point><gml:coordinates>1200.000,2100.000</gml:coordinates></gml:Point>"
    "</osgb:point></osgb:RoadNode></osgb:networkMember>\n"
    "<osgb:roadMember><osgb:Road fid='osgb4000000000000100'><osgb:version>6</osgb:version>"
    "<osgb:versionDate>2008-11-11</osgb:versionDate><osgb:theme>Road Network</osgb:theme>"
    "<osgb:descriptiveGroup>Named Road</osgb:descriptiveGroup>"
    "<osgb:descriptiveTerm>Primary Route</osgb:descriptiveTerm>"
    "<osgb:roadName>HIGH STREET</osgb:roadName>"
    "<osgb:networkMember xlink:href='#osgb4000000000000001'/>"
    "<osgb:boundedBy><gml:Box><gml:coordinates>1100,2100 1200,2100</gml:coordinates></gml:Box>"
    "</osgb:boundedBy></osgb:Road></osgb:roadMember>\n"
    "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000001'>"
    "<osgb:version>2</osgb:version><osgb:featureCode>10019</osgb:featureCode>"
    "<osgb:polyline><gml:LineString><gml:coordinates>1050,2050 1350,2350</gml:coordinates>"
    "</gml:LineString></osgb:polyline></osgb:TopographicLine></osgb:topographicMember>\n"
    "<osgb:cartographicMember><osgb:CartographicText fid='osgb1000000000000002'>"
    "<osgb:version>1</osgb:version><osgb:featureCode>10026</osgb:featureCode>"
    "<osgb:anchorPosition>4</osgb:anchorPosition><osgb:textRendering><osgb:anchorPosition>4"
    "</osgb:anchorPosition><osgb:font>2</osgb:font><osgb:height>3</osgb:height>"
    "<osgb:orientation>0</osgb:orientation></osgb:textRendering>"
    "<osgb:textString>High Street</osgb:textString>"
    "<osgb:point><gml:Point><gml:coordinates>1150,2110</gml:coordinates></gml:Point></osgb:point>"
    "</osgb:CartographicText></osgb:cartographicMember>\n"
    "</osgb:FeatureCollection>\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class SdfImportTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
    fs::create_directories(Path("input"));
    fs::create_directories(Path("sdf"));
    fs::create_directories(Path("csv"));
    Write("input/itn.gml", kItnFile);
  }
  void TearDown() override {
    (void)host::CloseDrawing();
    DialogTest::TearDown();
  }
  // Draw with SDF and full CSV output on, the files chosen by folder.
  void ImportWithSdf() {
    Write("lwh_gml.ini",
          "[Include Zarn's HA stuff:] Yes\n[Attributions to SDF:] Yes\n[Attributions to CSV:] 2\n"
          "[Use Code Look Up Table:] No\n[Draw OS Grid lines:] No\n");
    host::SetSupportPath({Folder()});
    Push("answer", {L"no"});
    Push("answer", {WidePath("input")});
    Push("dlg_click", {L"1"});
    Push("answer", {L"yes"});  // SDF creation suppresses drawing: acceptable
    Push("answer", {WidePath("sdf")});
    Push("answer", {WidePath("csv")});
    RunGmlImport();
    EXPECT_TRUE(host::Actions().Empty());
  }
  int EntityCount() {
    host::db::Database* db = host::db::WorkingDatabase();
    return static_cast<int>(db->EntitiesIn(db->ModelSpace()).size());
  }
};

TEST_F(SdfImportTest, RoadLinksAreNamedAfterTheirRoadAndNothingIsDrawnOrWrittenAsSdf) {
  ImportWithSdf();
  // Columns: TOID .. Length, Description (the road's term), Road_name, the
  // two node TOIDs.
  const std::vector<std::string> links = Lines(Read("csv/Orvane001_ITN_road_links.csv"));
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0].substr(links[0].find(",100.000,")),
            ",100.000,Primary Route,HIGH STREET,4000000000000010,4000000000000011");
  EXPECT_EQ(links[1].substr(links[1].find(",50.000,")),
            ",50.000,,,4000000000000011,4000000000000012");
  const std::vector<std::string> nodes = Lines(Read("csv/Orvane001_ITN_road_nodes.csv"));
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].substr(0, nodes[0].find(',')), "4000000000000011");
  // The classes handed to the SDF writer are not drawn, and no file is
  // written for them.
  EXPECT_EQ(EntityCount(), 0);
  EXPECT_TRUE(fs::is_empty(Path("sdf")));
  for (const auto& entry : fs::directory_iterator(Path("csv")))
    EXPECT_NE(entry.path().extension(), ".sdf") << entry.path();
}

TEST_F(SdfImportTest, AnEarlierRunsTopographicLineFileIsKept) {
  const std::string earlier = "osgb1000000000000009,7,2001-01-01,Theme,10019,,,,,,50\n";
  Write("csv/Orvane001_topo_lines.csv", earlier);
  ImportWithSdf();
  EXPECT_EQ(Read("csv/Orvane001_topo_lines.csv"), earlier);
  EXPECT_FALSE(fs::exists(Path("csv/Orvane001_topo_lines_info.txt")));
}

TEST_F(SdfImportTest, DrawWithSdfReadsNoRoadsOrTextsAndKeepsTheUsersChoice) {
  struct Case {
    const char* what;
    int sdf;
    std::vector<std::wstring> answers;  // SDF question and folder, CSV folder
    int roads, texts;
  } const cases[] = {
      {"SDF on", 1, {L"yes", WidePath("sdf"), WidePath("csv")}, 0, 0},
      {"SDF off", 0, {WidePath("csv")}, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OSGMLInputDialog view;
    view.settings.includeZarnsHaStuff = 1;
    view.settings.attributesToSdf = c.sdf;
    view.settings.attributesToCsv = 2;
    ASSERT_TRUE(view.AppendInputFile(Path("input/itn.gml").c_str()));
    view.activeFileCount = 1;
    for (const std::wstring& answer : c.answers) Push("answer", {answer});
    view.OnOK();
    EXPECT_TRUE(host::Actions().Empty());
    EXPECT_EQ(view.runMode, 1);
    EXPECT_EQ(view.roads.count, c.roads);
    EXPECT_EQ(view.texts.count, c.texts);
    EXPECT_EQ(view.roadLinks.count, 2);
    EXPECT_EQ(view.roadNodes.count, 1);
    EXPECT_EQ(view.lines.count, 1);
    // What the user chose to read stays chosen for the next import.
    EXPECT_EQ(view.settings.inputRoads, 1);
    EXPECT_EQ(view.settings.inputCartoText, 1);
    host::Actions().Clear();
  }
}

}  // namespace
