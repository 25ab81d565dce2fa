// lwhgmlin in cadhost on a folder holding tiles of two supply dates that
// overlap: a feature that crosses the tiles' edge is in both files, in the
// version each was supplied with. One import draws one copy of it, the
// newest, and its attribute row is the newest's.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

// A tile from `minX` to `minX` + 1000 holding a line, an area and a road
// link that reach 100 m past its west and east edges, all of `version`; the
// line and the area take the feature codes given, so that each copy draws on
// layers of its own.
std::string Tile(int minX, int version, const char* lineCode, const char* areaCode) {
  const std::string v = std::to_string(version);
  return "<?xml version='1.0' encoding='UTF-8'?>\n"
         "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
         "xmlns:gml='http://www.opengis.net/gml' fid='TILE'>\n"
         "<gml:description>tile at " + std::to_string(minX) + "</gml:description>\n"
         "<osgb:queryTime>2020-01-01T00:00:00</osgb:queryTime>\n"
         "<osgb:queryExtent><osgb:Rectangle srsName='osgb:BNG'><gml:coordinates>" +
         std::to_string(minX) + ",0 " + std::to_string(minX + 1000) +
         ",1000</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n"
         "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000042'>"
         "<osgb:featureCode>" + lineCode + "</osgb:featureCode><osgb:version>" + v +
         "</osgb:version><osgb:polyline><gml:LineString><gml:coordinates>850,500 1050,500"
         "</gml:coordinates></gml:LineString></osgb:polyline></osgb:TopographicLine>"
         "</osgb:topographicMember>\n"
         "<osgb:topographicMember><osgb:TopographicArea fid='osgb1000000000000043'>"
         "<osgb:featureCode>" + areaCode + "</osgb:featureCode><osgb:version>" + v +
         "</osgb:version><osgb:polygon><gml:Polygon><gml:outerBoundaryIs><gml:LinearRing>"
         "<gml:coordinates>850,100 1050,100 1050,200 850,200 850,100</gml:coordinates>"
         "</gml:LinearRing></gml:outerBoundaryIs></gml:Polygon></osgb:polygon>"
         "</osgb:TopographicArea></osgb:topographicMember>\n"
         "<osgb:networkMember><osgb:RoadLink fid='osgb4000000000000044'><osgb:version>" + v +
         "</osgb:version><osgb:descriptiveTerm>Minor Road</osgb:descriptiveTerm><osgb:polyline>"
         "<gml:LineString><gml:coordinates>850,700 1050,700</gml:coordinates></gml:LineString>"
         "</osgb:polyline></osgb:RoadLink></osgb:networkMember>\n"
         "</osgb:FeatureCollection>\n";
}

// The layers of the entities of a DXF file's ENTITIES section.
std::set<std::string> EntityLayers(const std::string& dxf) {
  std::set<std::string> layers;
  std::istringstream in(dxf);
  std::string code, value;
  bool inEntities = false;
  while (std::getline(in, code) && std::getline(in, value)) {
    const auto trim = [](std::string& s) {
      s.erase(0, s.find_first_not_of(" \r"));
      s.erase(s.find_last_not_of(" \r") + 1);
    };
    trim(code);
    trim(value);
    if (code == "2" && value == "ENTITIES") inEntities = true;
    if (code == "0" && value == "ENDSEC") inEntities = false;
    if (inEntities && code == "8") layers.insert(value);
  }
  return layers;
}

// The first file by name is the older supply, the second the newer, each
// with versions of its own; the copy of the highest version is drawn, and
// of equal versions the first file's, as before.
TEST(SupplyDatesImport, TheNewestCopyOfAFeatureInTwoTilesIsDrawn) {
  struct Case {
    int firstVersion, secondVersion;
    bool secondDrawn;
  } cases[] = {{2, 3, true}, {3, 2, false}, {3, 3, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.firstVersion) + " then " + std::to_string(c.secondVersion));
    Session session("supply_dates");
    // The first copy draws on "OS Buildings" and "OS Rail", the second on
    // "OS General Features" and "OS Inland Water".
    WriteText(session.Dir() / "input" / "tile-2019.gml", Tile(0, c.firstVersion, "10019", "10158"));
    WriteText(session.Dir() / "input" / "tile-2020.gml", Tile(900, c.secondVersion, "10046", "10077"));
    const SessionRun run =
        session.Run(session.ImportLines() + "!save " + session.At("out.dxf") + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::set<std::string> layers = EntityLayers(ReadText(session.At("out.dxf")));
    const std::set<std::string> drawn = c.secondDrawn
                                            ? std::set<std::string>{"OS General Features", "OS Inland Water"}
                                            : std::set<std::string>{"OS Buildings", "OS Rail"};
    const std::set<std::string> left = c.secondDrawn
                                           ? std::set<std::string>{"OS Buildings", "OS Rail"}
                                           : std::set<std::string>{"OS General Features", "OS Inland Water"};
    for (const std::string& layer : drawn) EXPECT_EQ(layers.count(layer), 1u) << layer << " is empty";
    for (const std::string& layer : left) EXPECT_EQ(layers.count(layer), 0u) << layer << " is drawn";
    const int newest = std::max(c.firstVersion, c.secondVersion);
    EXPECT_EQ(ReadText(session.At("csv/Orvane001_topo_lines.csv")),
              "1000000000000042," + std::to_string(newest) + "\n");
    EXPECT_EQ(ReadText(session.At("csv/Orvane001_ITN_road_links.csv")),
              "4000000000000044," + std::to_string(newest) + "\n");
  }
}

}  // namespace
