// Areas with several holes, imported through cadhost: every inner ring the
// file gives, by coordinates or by references to lines, is read, drawn as a
// closed polyline of its own and made a loop of the area's hatch.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

const char* const kHead =
    "<?xml version='1.0' encoding='UTF-8'?>\n"
    "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
    "xmlns:gml='http://www.opengis.net/gml' xmlns:xlink='http://www.w3.org/1999/xlink' fid='HOLES'>\n"
    "<gml:description>areas with holes</gml:description>\n"
    "<osgb:queryExtent><osgb:Rectangle srsName='osgb:BNG'>\n"
    "<gml:coordinates>0,0 1000,1000</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n";
const char* const kTail = "</osgb:FeatureCollection>\n";

std::string Line(const std::string& toid, const std::string& coordinates) {
  return "<osgb:topographicMember><osgb:TopographicLine fid='osgb" + toid +
         "'><osgb:version>1</osgb:version><osgb:featureCode>10019</osgb:featureCode><osgb:polyline>"
         "<gml:LineString><gml:coordinates>" + coordinates +
         "</gml:coordinates></gml:LineString></osgb:polyline></osgb:TopographicLine></osgb:topographicMember>\n";
}

std::string CoordinateRing(const char* boundary, const std::string& coordinates) {
  return std::string("<gml:") + boundary + "><gml:LinearRing><gml:coordinates>" + coordinates +
         "</gml:coordinates></gml:LinearRing></gml:" + boundary + ">";
}

std::string ReferenceRing(const char* boundary, std::initializer_list<const char*> members) {
  std::string ring = std::string("<osgb:") + boundary + "><osgb:Ring>";
  for (const char* m : members) ring += "<osgb:ringMember orientation='+' xlink:href='#osgb" + std::string(m) + "'/>";
  return ring + "</osgb:Ring></osgb:" + boundary + ">";
}

std::string Area(const std::string& toid, const std::string& polygon) {
  return "<osgb:topographicMember><osgb:TopographicArea fid='osgb" + toid +
         "'><osgb:version>1</osgb:version><osgb:featureCode>10053</osgb:featureCode><osgb:polygon>" + polygon +
         "</osgb:polygon></osgb:TopographicArea></osgb:topographicMember>\n";
}

// A ring as the check below prints it: its distinct corners, sorted.
std::string Ring(std::initializer_list<const char*> corners) {
  std::set<std::string> sorted(corners.begin(), corners.end());
  std::string text;
  for (const std::string& c : sorted) text += (text.empty() ? "" : " ") + c;
  return text;
}

// Prints, for every closed polyline, "P <layer>|<corners>", and for every hatch,
// "H <loops>" and then "L <corners>" for each loop.
const char* const kDrawingRings = R"(
import sys, ezdxf
def corners(points):
    return " ".join(sorted({"%d,%d" % (round(p[0]), round(p[1])) for p in points}))
doc = ezdxf.readfile(sys.argv[1])
for e in doc.modelspace():
    t = e.dxftype()
    if t == "LWPOLYLINE" and e.closed:
        print("P", e.dxf.layer + "|" + corners(e.get_points("xy")))
    elif t == "POLYLINE" and e.is_closed:
        print("P", e.dxf.layer + "|" + corners([v.dxf.location for v in e.vertices]))
    elif t == "HATCH":
        print("H", len(e.paths))
        for path in e.paths:
            if hasattr(path, "vertices"):
                print("L", corners(path.vertices))
            else:
                print("L", corners([edge.start for edge in path.edges]))
)";

TEST(AreaRingsImport, EveryInnerRingIsDrawnAndHatchedAroundFromCoordinatesAndFromReferences) {
  Session session(::testing::UnitTest::GetInstance()->current_test_info()->name());
  const std::string byCoordinates =
      Area("1000000000000010",
           "<gml:Polygon>" + CoordinateRing("outerBoundaryIs", "0,0 100,0 100,100 0,100 0,0") +
               CoordinateRing("innerBoundaryIs", "10,10 20,10 20,20 10,20 10,10") +
               CoordinateRing("innerBoundaryIs", "40,40 50,40 50,50 40,50 40,40") +
               CoordinateRing("innerBoundaryIs", "70,70 80,70 80,80 70,80 70,70") + "</gml:Polygon>");
  const std::string byReferences =
      Line("1000000000000021", "200,0 300,0 300,100") + Line("1000000000000022", "300,100 200,100 200,0") +
      Line("1000000000000023", "210,10 220,10 220,20") + Line("1000000000000024", "220,20 210,20 210,10") +
      Line("1000000000000025", "250,50 260,50 260,60 250,60 250,50") +
      Line("1000000000000026", "280,80 290,80 290,90 280,80") +
      Area("1000000000000020", ReferenceRing("outerBoundaryIs", {"1000000000000021", "1000000000000022"}) +
                                   ReferenceRing("innerBoundaryIs", {"1000000000000023", "1000000000000024"}) +
                                   ReferenceRing("innerBoundaryIs", {"1000000000000025"}) +
                                   ReferenceRing("innerBoundaryIs", {"1000000000000026"}));
  WriteText(session.At("input/holes.gml"), kHead + byCoordinates + byReferences + kTail);
  WriteText(session.At("rings.py"), kDrawingRings);

  const SessionRun run = session.Run(session.ImportLines() + "!save " + session.At("out.dxf") + "\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const CommandResult printed = RunShell("/usr/bin/python3 " + Quoted(session.At("rings.py")) + " " +
                                         Quoted(session.At("out.dxf")));
  ASSERT_EQ(printed.status, 0) << printed.output;

  std::multiset<std::string> polylines, loops;
  std::multiset<int> hatchLoops;
  std::istringstream lines(printed.output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("P ", 0) == 0) polylines.insert(line.substr(2));
    if (line.rfind("L ", 0) == 0) loops.insert(line.substr(2));
    if (line.rfind("H ", 0) == 0) hatchLoops.insert(std::stoi(line.substr(2)));
  }
  const std::string outer = Ring({"0,0", "100,0", "100,100", "0,100"});
  const std::multiset<std::string> rings = {
      outer,                                          Ring({"10,10", "20,10", "20,20", "10,20"}),
      Ring({"40,40", "50,40", "50,50", "40,50"}),     Ring({"70,70", "80,70", "80,80", "70,80"}),
      Ring({"200,0", "300,0", "300,100", "200,100"}), Ring({"210,10", "220,10", "220,20", "210,20"}),
      Ring({"250,50", "260,50", "260,60", "250,60"}), Ring({"280,80", "290,80", "290,90"}),
  };
  // The areas' layer is the one the first outer ring is drawn on (closed
  // lines of the file are closed polylines too, on a layer of their own).
  std::string areaLayer;
  for (const std::string& p : polylines)
    if (p.substr(p.find('|') + 1) == outer) areaLayer = p.substr(0, p.find('|'));
  ASSERT_FALSE(areaLayer.empty()) << printed.output;
  std::multiset<std::string> areaRings;
  for (const std::string& p : polylines)
    if (p.substr(0, p.find('|')) == areaLayer) areaRings.insert(p.substr(p.find('|') + 1));
  EXPECT_EQ(areaRings, rings) << printed.output;
  EXPECT_EQ(loops, rings) << printed.output;
  EXPECT_EQ(hatchLoops, (std::multiset<int>{4, 4})) << printed.output;
}

}  // namespace
