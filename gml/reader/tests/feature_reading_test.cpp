// Feature rules of the reader on small files: what is kept, carried, joined,
// dropped and counted.
#include <gtest/gtest.h>

#include <fstream>

#include "common/containers/text.h"
#include "host/system/events.h"
#include "host/testing/test_reset.h"
#include "reader_fixture.h"

namespace {

using namespace reader_test;

const char* kHead =
    "<?xml version='1.0' encoding='UTF-8'?>\n"
    "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
    "xmlns:gml='http://www.opengis.net/gml' xmlns:xlink='http://www.w3.org/1999/xlink' "
    "fid='TEST'>\n<gml:description>test file</gml:description>\n"
    "<osgb:queryTime>2009-07-30T10:01:07</osgb:queryTime>\n"
    "<osgb:queryExtent><osgb:Rectangle srsName='osgb:BNG'>\n"
    "<gml:coordinates>0,0 1000,1000</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n";

std::string Line(const char* toid, const char* coordinates, const char* extra = "") {
  return std::string("<osgb:topographicMember><osgb:TopographicLine fid='osgb") + toid +
         "'><osgb:featureCode>10019</osgb:featureCode>" + extra +
         "<osgb:polyline><gml:LineString><gml:coordinates>" + coordinates +
         "</gml:coordinates></gml:LineString></osgb:polyline></osgb:TopographicLine>"
         "</osgb:topographicMember>\n";
}

std::string RefArea(const char* toid, const std::string& members) {
  return std::string("<osgb:topographicMember><osgb:TopographicArea fid='osgb") + toid +
         "'><osgb:featureCode>10053</osgb:featureCode><osgb:polygon><osgb:outerBoundaryIs>"
         "<osgb:Ring>" + members + "</osgb:Ring></osgb:outerBoundaryIs></osgb:polygon>"
         "</osgb:TopographicArea></osgb:topographicMember>\n";
}

std::string Member(const char* toid, const char* orientation) {
  return std::string("<osgb:ringMember orientation='") + orientation + "' xlink:href='#osgb" +
         toid + "'/>";
}

struct Fixture {
  explicit Fixture(const std::string& members, const char* name = "test.gml") {
    path = (folder.Path() / name).string();
    std::ofstream(path, std::ios::binary) << kHead << members << "</osgb:FeatureCollection>\n";
  }
  TempFolder folder;
  std::string path;
};

template <typename Record>
std::vector<Record> All(const GrowArray& array) {
  const auto* r = static_cast<const Record*>(array.data);
  return std::vector<Record>(r, r + array.count);
}

std::vector<LinePoint> Points(const GrowArray& list) { return All<LinePoint>(list); }

TEST(FeatureReading, LinesPointsAndTexts) {
  Fixture f(Line("1000000000000001", "1,1 2,2 3,3") +
            Line("1000000000000002", "5,5") +  // one tuple: never kept
            "<osgb:topographicMember><osgb:TopographicLine fid='osgb1'><osgb:polyline>"
            "<gml:coordinates>1,1 2,2</gml:coordinates></osgb:polyline></osgb:TopographicLine>"
            "</osgb:topographicMember>\n"
            "<osgb:topographicMember><osgb:TopographicPoint fid='osgb1000000000000003'>"
            "<osgb:point><gml:Point><gml:coordinates>10,20</gml:coordinates></gml:Point>"
            "</osgb:point></osgb:TopographicPoint></osgb:topographicMember>\n"
            "<osgb:cartographicMember><osgb:CartographicText fid='osgb1000000000000004'>"
            "<osgb:anchorPoint><gml:Point><gml:coordinates>1,2</gml:coordinates></gml:Point>"
            "</osgb:anchorPoint><osgb:textRendering><osgb:height>2.5</osgb:height>"
            "</osgb:textRendering><osgb:textString>First</osgb:textString>"
            "</osgb:CartographicText></osgb:cartographicMember>\n"
            "<osgb:cartographicMember><osgb:CartographicText fid='osgb1000000000000005'>"
            "<osgb:anchorPoint><gml:Point><gml:coordinates>3,4</gml:coordinates></gml:Point>"
            "</osgb:anchorPoint><osgb:textString>" + std::string(200, 'T') +
            "</osgb:textString></osgb:CartographicText></osgb:cartographicMember>\n");
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, f.path));
  ASSERT_EQ(ReadAll(view), 1);
  ASSERT_EQ(view.lines.count, 2);
  LineFeatureRecord line;
  ASSERT_TRUE(PagedGrowArrayGet(&view.lines, 0, &line));
  EXPECT_STREQ(line.common.toid, "1000000000000001");
  const std::vector<LinePoint> points = Points(line.points);
  ASSERT_EQ(points.size(), 4u) << "three vertices and the end copy";
  EXPECT_EQ(points[3].tag, kLinePointEnd);
  EXPECT_EQ(points[3].x, 3);
  EXPECT_EQ(points[0].z, kNoHeightAboveDatum);
  // A TOID too short to be one is left empty.
  ASSERT_TRUE(PagedGrowArrayGet(&view.lines, 1, &line));
  EXPECT_STREQ(line.common.toid, "");
  EXPECT_EQ(view.seenLines, 3);
  EXPECT_EQ(view.keptLines, 2);

  ASSERT_EQ(view.points.count, 1);
  EXPECT_EQ(All<PointFeatureRecord>(view.points)[0].z, kNoHeightAboveDatum);
  const std::vector<TextFeatureRecord> texts = All<TextFeatureRecord>(view.texts);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].height, 2.5);
  EXPECT_EQ(texts[1].height, 2.5) << "a text without a height takes the last one of the file";
  EXPECT_EQ(texts[0].anchorPosition, 5);
  EXPECT_EQ(std::string(texts[1].textString), std::string(128, 'T')) << "cut to the field";
  EXPECT_EQ(view.readMinX, 1);
  EXPECT_EQ(view.readMaxY, 20);
}

TEST(FeatureReading, AreasFromReferences) {
  Fixture f(Line("1000000000000001", "0,0 10,0") + Line("1000000000000002", "10,10 10,0") +
            Line("1000000000000003", "10,10 0,10 0,0") +
            RefArea("1000000000000010", Member("1000000000000001", "+") +
                                            Member("1000000000000002", "-") +
                                            Member("1000000000000003", "+")) +
            RefArea("1000000000000011", Member("1000000000000001", "+") +
                                            Member("9999999999999999", "+")));
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, f.path));
  ASSERT_EQ(ReadAll(view), 1);
  ASSERT_EQ(view.areas.count, 1) << "an area whose line is not in the file is not stored";
  EXPECT_EQ(view.seenAreas, 2);
  EXPECT_EQ(view.keptAreas, 1);
  AreaFeatureRecord area;
  ASSERT_TRUE(PagedGrowArrayGet(&view.areas, 0, &area));
  EXPECT_STREQ(area.attributes.common.toid, "1000000000000010");
  const std::vector<RingPoint> ring = All<RingPoint>(area.outerRing);
  const std::vector<std::pair<double, double>> expected = {
      {0, 0}, {10, 0}, {10, 0}, {10, 10}, {10, 10}, {0, 10}, {0, 0}, {0, 0}};
  ASSERT_EQ(ring.size(), expected.size());
  for (std::size_t i = 0; i < ring.size(); ++i) {
    EXPECT_EQ(ring[i].x, expected[i].first) << i;
    EXPECT_EQ(ring[i].y, expected[i].second) << i;
    EXPECT_EQ(ring[i].tag, i + 1 == ring.size() ? kRingPointEnd : kRingPointVertex) << i;
  }
  EXPECT_EQ(area.innerRings.marker, 0);
}

TEST(FeatureReading, LocationFilterModesOnAreas) {
  const std::string inline_area =
      "<osgb:topographicMember><osgb:TopographicArea fid='osgb1000000000000020'>"
      "<osgb:polygon><gml:Polygon><gml:outerBoundaryIs><gml:LinearRing><gml:coordinates>"
      "10,10 20,10 20,20 10,20 10,10</gml:coordinates></gml:LinearRing></gml:outerBoundaryIs>"
      "<gml:innerBoundaryIs><gml:LinearRing><gml:coordinates>500,500 600,500 600,600 500,500"
      "</gml:coordinates></gml:LinearRing></gml:innerBoundaryIs></gml:Polygon></osgb:polygon>"
      "</osgb:TopographicArea></osgb:topographicMember>\n";
  Fixture f(inline_area);
  for (int mode : {0, 1}) {
    for (double windowMax : {100.0, 15.0}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " window to " << windowMax);
      OSGMLInputView view;
      AreaFilterArea window{};
      window.kind = kAreaWindow;
      window.corner1X = 0;
      window.corner1Y = 0;
      window.corner2X = windowMax;
      window.corner2Y = windowMax;
      ASSERT_TRUE(view.locationFilter.AddArea(window));
      view.settings.areaFiltering = 1;
      view.settings.locationMode = mode;
      ASSERT_TRUE(AddInputFile(view, f.path));
      ASSERT_EQ(ReadAll(view), 1);
      // Only the outer ring is tested: the inner ring outside the window
      // does not drop the area.
      const bool kept = windowMax == 100.0 || mode == 1;
      EXPECT_EQ(view.areas.count, kept ? 1 : 0);
    }
  }
}

std::string Link(const char* toid, const char* coordinates, const char* from, const char* to) {
  return std::string("<osgb:networkMember><osgb:RoadLink fid='osgb") + toid +
         "'><osgb:polyline><gml:LineString><gml:coordinates>" + coordinates +
         "</gml:coordinates></gml:LineString></osgb:polyline>"
         "<osgb:directedNode orientation='-' xlink:href='#osgb" + from + "'/>"
         "<osgb:directedNode orientation='+' xlink:href='#osgb" + to + "'/>"
         "</osgb:RoadLink></osgb:networkMember>\n";
}

std::string Node(const char* toid, const char* coordinates) {
  return std::string("<osgb:networkMember><osgb:RoadNode fid='osgb") + toid +
         "'><osgb:point><gml:Point><gml:coordinates>" + coordinates +
         "</gml:coordinates></gml:Point></osgb:point></osgb:RoadNode></osgb:networkMember>\n";
}

TEST(FeatureReading, RoadsJoinTheirLinks) {
  Fixture f(Link("4000000000000001", "0,0 5,0 10,0", "4000000000000101", "4000000000000102") +
            Link("4000000000000002", "20,0 15,0 10,0", "4000000000000103", "4000000000000102") +
            Link("4000000000000003", "50,50 60,60", "4000000000000104", "4000000000000105") +
            "<osgb:roadMember><osgb:Road fid='osgb4000000000000200'>"
            "<osgb:roadName>Mill Road</osgb:roadName><gml:Box><gml:coordinates>0,0 60,60"
            "</gml:coordinates></gml:Box>"
            "<osgb:networkMember xlink:href='#osgb4000000000000001'/>"
            "<osgb:networkMember orientation='-' xlink:href='#osgb4000000000000002'/>"
            "<osgb:networkMember xlink:href='#osgb4000000000000003'/>"
            "<osgb:networkMember xlink:href='#osgb4000000000009999'/>"
            "</osgb:Road></osgb:roadMember>\n");
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, f.path));
  ASSERT_EQ(ReadAll(view), 1);
  ASSERT_EQ(view.roads.count, 1);
  const RoadRecord road = All<RoadRecord>(view.roads)[0];
  EXPECT_EQ(road.built, 1);
  EXPECT_STREQ(road.roadName, "Mill Road");
  const std::vector<LinePoint> g = Points(road.geometry);
  // The reversed second link meets the first: one run with one end copy,
  // then the third link as a run of its own.
  const std::vector<std::pair<char, double>> expected = {
      {' ', 0}, {' ', 5}, {' ', 10}, {' ', 10}, {' ', 15}, {' ', 20}, {'e', 20},
      {' ', 50}, {' ', 60}, {'e', 60}};
  ASSERT_EQ(g.size(), expected.size());
  for (std::size_t i = 0; i < g.size(); ++i) {
    EXPECT_EQ(g[i].tag, expected[i].first) << i;
    EXPECT_EQ(g[i].x, expected[i].second) << i;
  }
  const std::vector<RoadLinkRecord> links = All<RoadLinkRecord>(view.roadLinks);
  EXPECT_STREQ(links[0].startNode, "4000000000000101");
  EXPECT_STREQ(links[0].endNode, "4000000000000102");
}

TEST(FeatureReading, NodesOutsideTheFilterAreAddedOnceForKeptLinks) {
  // Two links end at a node outside the window; the links are kept because
  // they lie partly inside.
  Fixture f(Node("4000000000000101", "500,500") + Node("4000000000000102", "5,5") +
            Link("4000000000000001", "5,5 500,500", "4000000000000102", "4000000000000101") +
            Link("4000000000000002", "6,6 500,500", "4000000000000102", "4000000000000101"));
  OSGMLInputView view;
  AreaFilterArea window{};
  window.kind = kAreaWindow;
  window.corner2X = 100;
  window.corner2Y = 100;
  ASSERT_TRUE(view.locationFilter.AddArea(window));
  view.settings.areaFiltering = 1;
  view.settings.locationMode = 1;
  ASSERT_TRUE(AddInputFile(view, f.path));
  ASSERT_EQ(ReadAll(view), 1);
  EXPECT_EQ(view.roadLinks.count, 2);
  ASSERT_EQ(view.roadNodes.count, 2) << "the inside node, and the outside node once";
  EXPECT_EQ(view.keptRoadNodes, 1);
}

TEST(FeatureReading, AddressGroups) {
  Fixture f(
      "<osgb:addressMember><osgb:AddressPoint fid='osgb1000002000000001'>"
      "<osgb:point><gml:Point><gml:coordinates>1,2</gml:coordinates></gml:Point></osgb:point>"
      "<osgb:bs7666Attributes><osgb:postCode type='postal'>SO14 1AA</osgb:postCode>"
      "</osgb:bs7666Attributes><osgb:postalAddress nonGeographic='0'>"
      "<osgb:organisationKey>12345678901234567</osgb:organisationKey></osgb:postalAddress>"
      "</osgb:AddressPoint></osgb:addressMember>\n"
      "<osgb:addressMember><osgb:AddressPoint fid='osgb1000002000000002'>"
      "<osgb:point><gml:Point><gml:coordinates>3,4</gml:coordinates></gml:Point></osgb:point>"
      "<osgb:bs7666Attributes><osgb:postCode>SO15 2BB</osgb:postCode></osgb:bs7666Attributes>"
      "<osgb:postalAddress><osgb:buildingNumber>7</osgb:buildingNumber></osgb:postalAddress>"
      "</osgb:AddressPoint></osgb:addressMember>\n");
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, f.path));
  ASSERT_EQ(ReadAll(view), 1);
  const std::vector<AddressPointRecord> a = All<AddressPointRecord>(view.addressPoints);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_STREQ(a[0].bs7666PostCode, "SO14 1AA");
  EXPECT_STREQ(a[0].bs7666PostCodeType, "postal");
  EXPECT_EQ(a[0].bs7666Empty, 0);
  EXPECT_EQ(a[0].postalEmpty, 0);
  EXPECT_EQ(a[0].nonGeographic, 0);
  EXPECT_STREQ(a[0].organisationKey, "123456789012") << "at most 12 characters";
  EXPECT_EQ(a[1].bs7666Empty, 0);
  EXPECT_EQ(a[1].postalEmpty, 1) << "a building number does not count";
  EXPECT_EQ(a[1].nonGeographic, 1);
  EXPECT_EQ(a[1].authorityEmpty, 1);
  EXPECT_EQ(a[1].z, 0);
}

TEST(FeatureReading, CountAndPreviewModes) {
  Fixture f(Line("1000000000000001", "1,1 2,2") + Line("1000000000000002", "3,3 4,4 5,5") +
            "<osgb:topographicMember><osgb:TopographicPoint fid='osgb1000000000000003'>"
            "<osgb:point><gml:Point><gml:coordinates>10,20</gml:coordinates></gml:Point>"
            "</osgb:point></osgb:TopographicPoint></osgb:topographicMember>\n");
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, f.path));
  view.settings.inputPolygons = 0;
  ASSERT_EQ(view.ProcessGmlFiles(0, L"Stop count", 1), 1);
  EXPECT_EQ(view.CountAllFeatures(), 0);
  EXPECT_EQ(view.keptLines, 2);
  EXPECT_EQ(view.seenPoints, 1);
  EXPECT_EQ(view.settings.inputPolygons, 0) << "switches are restored";
  EXPECT_EQ(view.settings.inputTopoPoints, 1);
  EXPECT_EQ(view.busy, 0);

  ASSERT_EQ(view.ProcessGmlFiles(1, L"Stop preview", 1), 1);
  EXPECT_EQ(view.CountAllFeatures(), 0);
  // Two lines of 2 and 3 points, each ended by an entry without x.
  EXPECT_EQ(view.GetPointStreamCount(), 7);
  EXPECT_EQ(view.settings.inputTopoPoints, 1);
}

TEST(FeatureReading, EscDuringTheReadCancels) {
  std::string members;
  for (int i = 0; i < 300; ++i) members += Line("1000000000000001", "1,1 2,2 3,3 4,4");
  Fixture f(members);
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, f.path));
  host::ResetForTest();
  host::PressEsc();
  EXPECT_EQ(ReadAll(view), 0);
  EXPECT_LT(view.keptLines, 300);
  EXPECT_EQ(view.cancelRequested, 0);
  host::ResetForTest();
}

TEST(FeatureReading, TwoFilesSkipFeaturesThatCrossedFromTheFirst) {
  // A line that runs past the first file's box is read there and skipped in
  // the second; each file's areas are assembled once.
  Fixture first(Line("1000000000000001", "900,900 1100,1100") +
                    Line("1000000000000002", "10,10 20,10") +
                    Line("1000000000000003", "20,10 10,10") +
                    RefArea("1000000000000010", Member("1000000000000002", "+") +
                                                    Member("1000000000000003", "+")),
                "a.gml");
  // The second file repeats the area's lines, as neighbouring chunks do.
  Fixture second(Line("1000000000000001", "900,900 1100,1100") +
                     Line("1000000000000002", "10,10 20,10") +
                     Line("1000000000000003", "20,10 10,10") + Line("1000000000000004", "1,1 2,2"),
                 "b.gml");
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, first.path));
  ASSERT_TRUE(AddInputFile(view, second.path));
  ASSERT_EQ(ReadAll(view), 1);
  EXPECT_EQ(view.lines.count, 6) << "the crossing line is stored once";
  EXPECT_EQ(view.areas.count, 1) << "the first file's area is not assembled again";

  // A second run over the same files (a Draw after a stopped one) keeps
  // exactly what the first kept: the crossing line is not taken for one
  // the run already read.
  ASSERT_EQ(ReadAll(view), 1);
  EXPECT_EQ(view.lines.count, 6);
  EXPECT_EQ(view.areas.count, 1);
}

TEST(FileHeader, ExtentDescriptionAndQueryTime) {
  Fixture f("");
  OSGMLInputView view;
  double minX, minY, maxX, maxY, size;
  int compressed;
  char description[1024], queryTime[1024];
  const std::wstring path = NarrowToWide(std::string_view(f.path));
  ASSERT_EQ(view.ReadGmlFileHeader(path.c_str(), &minX, &minY, &maxX, &maxY, &compressed,
                                   description, queryTime, &size),
            1);
  EXPECT_EQ(minX, 0);
  EXPECT_EQ(maxX, 1000);
  EXPECT_STREQ(description, "test file");
  EXPECT_STREQ(queryTime, "2009-07-30T10:01:07");
  EXPECT_EQ(compressed, 0);
  EXPECT_EQ(size, -1);

  GrowArray outline;
  ASSERT_TRUE(GrowArrayCreate(10, sizeof(CoordinateTuple), &outline));
  ASSERT_EQ(view.ReadGmlQueryExtent(path.c_str(), &outline, description, queryTime), 1);
  ASSERT_EQ(outline.count, 4);
  const auto* corner = static_cast<const CoordinateTuple*>(outline.data);
  EXPECT_EQ(corner[1].x, 0);
  EXPECT_EQ(corner[1].y, 1000);
  EXPECT_EQ(corner[3].x, 1000);
  EXPECT_EQ(corner[3].y, 0);
  GrowArrayFree(&outline);

  // Nothing in the head of a file: 0.
  TempFolder folder;
  const std::string empty = (folder.Path() / "empty.gml").string();
  std::ofstream(empty) << "<root>" << std::string(20000, ' ') << "<gml:description>late"
                       << "</gml:description></root>";
  const std::wstring emptyPath = NarrowToWide(std::string_view(empty));
  EXPECT_EQ(view.ReadGmlFileHeader(emptyPath.c_str(), &minX, &minY, &maxX, &maxY, &compressed,
                                   description, queryTime, &size),
            0);
  const std::wstring missing = L"/no/such/file.gml";
  EXPECT_EQ(view.ReadGmlFileHeader(missing.c_str(), &minX, &minY, &maxX, &maxY, &compressed,
                                   description, queryTime, &size),
            0);
}

}  // namespace

namespace {

TEST(ReadingRun, RoadLinksNamedAfterTheirRoadsForSdfOutput) {
  Fixture f(Link("4000000000000001", "0,0 10,0", "4000000000000101", "4000000000000102") +
            "<osgb:roadMember><osgb:Road fid='osgb4000000000000200'>"
            "<osgb:descriptiveTerm>B Road</osgb:descriptiveTerm>"
            "<osgb:roadName>Queen&apos;s Avenue</osgb:roadName><gml:Box><gml:coordinates>0,0 10,0"
            "</gml:coordinates></gml:Box>"
            "<osgb:networkMember xlink:href='#osgb4000000000000001'/>"
            "</osgb:Road></osgb:roadMember>\n");
  OSGMLInputView view;
  view.createSdfFiles = 1;
  ASSERT_TRUE(AddInputFile(view, f.path));
  ASSERT_EQ(ReadAll(view), 1);
  EXPECT_EQ(view.settings.inputRoads, 0) << "SDF output reads no roads";
  EXPECT_EQ(view.settings.inputCartoText, 0);
  ASSERT_EQ(view.roadLinks.count, 1);
  const RoadLinkRecord link = All<RoadLinkRecord>(view.roadLinks)[0];
  EXPECT_STREQ(link.roadName, "Queen's Avenue");
  EXPECT_STREQ(link.roadTerm, "B Road");
}

TEST(ReadingRun, FilesMarkedByLocationAndSortedByName) {
  Fixture inside("", "B.gml");
  Fixture other("", "a.gml");
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, inside.path));
  ASSERT_TRUE(AddInputFile(view, other.path));
  auto* files = static_cast<GmlInputFile*>(view.inputFiles.data);
  // The second file lies far away.
  files[1].minX = files[1].minY = 50000;
  files[1].maxX = files[1].maxY = 51000;
  view.MarkFilesInLocation();
  EXPECT_EQ(files[0].active + files[1].active, 2) << "without the filter every file is active";

  AreaFilterArea window{};
  window.kind = kAreaWindow;
  window.corner1X = window.corner1Y = 500;
  window.corner2X = window.corner2Y = 600;
  ASSERT_TRUE(view.locationFilter.AddArea(window));
  view.settings.areaFiltering = 1;
  view.MarkFilesInLocation();
  EXPECT_EQ(files[0].active, 1) << "the window lies inside the first file's box";
  EXPECT_EQ(files[1].active, 0);

  view.SortInputFiles();
  EXPECT_STREQ(files[0].name, "a.gml");
  EXPECT_STREQ(files[1].name, "B.gml");
}

TEST(ReadingRun, NoActiveFileReadsNothing) {
  OSGMLInputView view;
  EXPECT_EQ(ReadAll(view), 0);
  EXPECT_EQ(view.busy, 0);
}

}  // namespace

namespace {

TEST(FeatureReading, PropertyFilterAppliedWhileReading) {
  auto themed = [](const char* toid, const char* theme) {
    return std::string("<osgb:topographicMember><osgb:TopographicLine fid='osgb") + toid +
           "'><osgb:theme>" + theme +
           "</osgb:theme><osgb:polyline><gml:coordinates>1,1 2,2</gml:coordinates>"
           "</osgb:polyline></osgb:TopographicLine></osgb:topographicMember>\n";
  };
  Fixture f(themed("1000000000000001", "Buildings") + themed("1000000000000002", "Water") +
            themed("1000000000000003", "buildings"));
  for (PropertyFilterMode mode : {kPropertyFilterOnly, kPropertyFilterBut}) {
    SCOPED_TRACE(mode);
    OSGMLInputView view;
    view.settings.filterByProperty = 1;
    view.propertyFilter.themeMode = mode;
    if (view.propertyFilter.themes.marker != kGrowArrayMarker) {
      ASSERT_TRUE(GrowArrayCreate(10, sizeof(CatalogueValue), &view.propertyFilter.themes));
    }
    CatalogueValue value{};
    std::snprintf(value.text, sizeof value.text, "Buildings");
    ASSERT_TRUE(GrowArraySet(&view.propertyFilter.themes, view.propertyFilter.themes.count, &value));
    ASSERT_TRUE(AddInputFile(view, f.path));
    ASSERT_EQ(ReadAll(view), 1);
    // Values compare with case ignored.
    EXPECT_EQ(view.lines.count, mode == kPropertyFilterOnly ? 2 : 1);
    EXPECT_EQ(view.seenLines, 3);
  }
}

}  // namespace

namespace {

TEST(ReadingRun, DialogSwitchesAreSavedToTheSettingsAndAreasFiles) {
  TempFolder folder;
  OSGMLInputView view;
  view.settings.settingsPath = (folder.Path() / "lwh_gml.ini").wstring();
  view.locationFilter.path = (folder.Path() / "lwh_gml_areafilters.ini").wstring();
  view.settings.inputRoads = 1;
  view.settings.inputCartoText = 0;
  view.settings.trimLinesToAreaEdges = 1;
  view.settings.locationMode = 1;
  ASSERT_TRUE(view.SaveDialogSettings());
  OS_GML_ACAD_Definitions reloaded;
  ASSERT_TRUE(reloaded.LoadSettings(view.settings.settingsPath, false));
  EXPECT_EQ(reloaded.inputRoads, 1);
  EXPECT_EQ(reloaded.inputCartoText, 0);
  EXPECT_EQ(reloaded.trimLinesToAreaEdges, 1);
  EXPECT_EQ(reloaded.locationMode, 1);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "lwh_gml_areafilters.ini"));

  const std::string file = (folder.Path() / "sized").string();
  std::ofstream(file) << std::string(1234, 'x');
  EXPECT_EQ(GetFileSizeByFind(NarrowToWide(std::string_view(file)).c_str()), 1234u);
  EXPECT_EQ(GetFileSizeByFind(L"/no/such/file"), 0u);
}

}  // namespace
