// A drawing pass with SDF output on: every class the SDF writer takes stays
// out of the drawing, the classes it does not take are not drawn either, no
// ".sdf" file appears, and the ITN link and node rows are still written,
// one per link piece and one per node.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gml/settings/tests/temp_folder.h"
#include "gml/writer/feature_pass.h"
#include "gml/writer/tests/pass_fixture.h"
#include "gml/writer/tests/writer_fixture.h"

using namespace pass_test;
using namespace writer_test;

namespace {

TEST(SdfPass, NothingIsDrawnOrWrittenAsSdfAndLinkAndNodeRowsAreWritten) {
  PassDrawing d;
  TempFolder folder;
  Lists lists;
  d.settings.attributesToCsv = 2;
  d.settings.csvDirectory = folder.WideFolder();
  d.settings.csvFileId = L"Run1_";
  d.settings.attributesToSdf = 1;
  d.settings.sdfDirectory = folder.WideFolder();
  d.settings.drawPolygonsAsHatches = 1;
  d.settings.markTermBesidePoint = 1;

  PagedGrowArray areas{}, lines{};
  ASSERT_TRUE(PagedGrowArrayCreate(4, sizeof(AreaFeatureRecord), &areas));
  ASSERT_TRUE(PagedGrowArrayCreate(4, sizeof(LineFeatureRecord), &lines));
  const AreaFeatureRecord area = SampleArea(&lists);
  const LineFeatureRecord line = SampleLine(&lists);
  ASSERT_TRUE(PagedGrowArraySet(&areas, 0, &area, 0));
  ASSERT_TRUE(PagedGrowArraySet(&lines, 0, &line, 0));
  // A link in two pieces, and two nodes.
  RoadLinkRecord link = SampleLink(&lists);
  link.points = ListOf<LinePoint>(
      {{' ', 0, 0, 0}, {' ', 5, 5, 0}, {'b', 5, 5, 0}, {' ', 5, 5, 0}, {' ', 9, 5, 0}, {'e', 9, 5, 0}});
  lists.Own(&link.points);
  RoadNodeRecord secondNode = SampleNode();
  CopyField(secondNode.toid, "osgb4000000011");
  secondNode.x = 530010.5;
  RoadRecord road = SampleRoad();
  road.geometry = ListOf<LinePoint>({{' ', 0, 0, 0}, {' ', 5, 5, 0}, {'e', 5, 5, 0}});
  lists.Own(&road.geometry);
  // One record of every other class (two nodes); each is handed to the SDF
  // writer or, for roads, addresses and symbols, not drawn at all.
  GrowArray others[] = {ListOf<PointFeatureRecord>({SamplePoint()}), ListOf<PointFeatureRecord>({SamplePoint()}),
                        ListOf<TextFeatureRecord>({SampleText()}),   ListOf<RoadLinkRecord>({link}),
                        ListOf<RoadRecord>({road}),                  ListOf<RoadNodeRecord>({SampleNode(), secondNode}),
                        ListOf<AddressPointRecord>({SampleAddress()})};
  for (const GrowArray& l : others) lists.Own(&l);
  const FeatureLists in{.areas = &areas, .lines = &lines, .points = &others[0], .symbols = &others[1],
                        .texts = &others[2], .roadLinks = &others[3], .roads = &others[4],
                        .roadNodes = &others[5], .addressPoints = &others[6]};

  FeatureDrawingRun run(d.settings);
  run.StartRun();
  FeaturePassOptions options;
  options.sdfOutput = true;
  ASSERT_TRUE(run.DrawPass(in, options, d.db, 1.0, &d.vertices, &d.usedLayers));
  PagedGrowArrayFree(&areas);
  PagedGrowArrayFree(&lines);

  EXPECT_TRUE(d.db.EntitiesIn(d.db.ModelSpace()).empty());
  std::string files;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path("")))
    files += entry.path().filename().string() + "\n";
  // Only the CSV files of the classes that write rows with SDF on.
  EXPECT_EQ(files.find(".sdf"), std::string::npos) << files;
  EXPECT_EQ(files.find("topo_lines"), std::string::npos) << files;
  EXPECT_EQ(files.find("address_point"), std::string::npos) << files;
  const std::string linkRow =
      "osgb4000000001,7,2005-02-02,Road Network,2005-01-01,New,Road Topology,A Road,"
      "Single Carriageway With A Very Long Nature Name,12.346,Named Road,HIGH STREET,"
      "osgb4000000010,osgb4000000011\n";
  EXPECT_EQ(folder.Read("Run1_ITN_road_links.csv"), linkRow + linkRow);
  EXPECT_EQ(folder.Read("Run1_ITN_road_nodes.csv"),
            "osgb4000000010,9,2005-04-04,530001.123456,180002.500000\n"
            "osgb4000000011,9,2005-04-04,530010.500000,180002.500000\n");
  EXPECT_NE(folder.Read("Run1_ITN_road_nodes_info.txt")
                .find("TOID,Version_number,Version_date,Easting co-ordinate(X),Northing co-ordinate(Y)\n"),
            std::string::npos);
}

}  // namespace
