// Records and calls the writers must survive: fields that fill their whole
// width without a terminator, bytes beyond ASCII, empty records, degenerate
// geometry; and the SDF output that writes nothing but says so.
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "gml/settings/settings_record.h"
#include "gml/writer/attribute_csv.h"
#include "gml/writer/blocks.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/layer_resolution.h"
#include "gml/writer/os_xdata_record.h"
#include "gml/writer/sdf_writer.h"
#include "host/db/drawing_file.h"
#include "host/editor/command_line.h"
#include "writer_fixture.h"

using host::db::Database;
using host::db::ObjectId;
using namespace writer_test;

namespace {

// Every byte of the record set to `fill`: no text field is terminated.
template <typename Record>
Record Filled(unsigned char fill) {
  Record record;
  std::memset(&record, fill, sizeof record);
  return record;
}

TEST(BadInputTest, UnterminatedAndNonAsciiFieldsAreWrittenCutToTheirWidth) {
  TempFolder folder;
  Database db;
  ASSERT_TRUE(RegisterOsXdataApp(db));
  OS_GML_ACAD_Definitions settings;
  settings.attributesToXdata = 2;
  settings.attributesToCsv = 2;
  std::FILE* csv = std::fopen(folder.Path("rows.csv").c_str(), "w");

  PointFeatureRecord point = Filled<PointFeatureRecord>(0xE9);
  point.z = 0;
  RoadNodeRecord node = Filled<RoadNodeRecord>('n');
  AddressPointRecord address = Filled<AddressPointRecord>(0xFF);
  TextFeatureRecord text = Filled<TextFeatureRecord>('&');
  text.anchorPosition = 77;
  text.height = 1;
  ASSERT_TRUE(DrawTopoPoint("P", 256, {}, db, 2, point, OsFeatureKind::kTopoPoint));
  const ObjectId pointId = db.LastEntity();
  ASSERT_TRUE(DrawItnNode("N", 256, {}, db, 2, node, OsFeatureKind::kRoadNode));
  ASSERT_TRUE(DrawAddressPoint("A", 256, {}, db, csv, settings, address));
  ASSERT_TRUE(DrawTextFeature(std::string_view(text.textString, sizeof text.textString), "T", 256, {}, 1,
                              0, text.anchorPosition, db, 1, &text, OsFeatureKind::kCartoText));
  WriteRoadNodeCsvLine(false, csv, node);
  std::fclose(csv);

  ShowOSGmlXdata record;
  record.entity = pointId;
  record.ReadXdata();
  EXPECT_EQ(record.Toid(), std::wstring(kToidWidth, L'\u00e9'));
  EXPECT_EQ(record.slots[2], std::wstring(kDateWidth, L'\u00e9')) << "make, its whole width";

  const std::string rows = folder.Read("rows.csv");
  // CSV files are UTF-8: each byte that is not reads as its own character.
  std::string ff;
  for (std::size_t i = 0; i < kToidWidth; ++i) ff += "\xC3\xBF";
  EXPECT_NE(rows.find(ff + ","), std::string::npos);
  EXPECT_NE(rows.find(std::string(kToidWidth, 'n') + ","), std::string::npos);

  const std::string path = folder.Path("bad.dxf");
  ASSERT_TRUE(host::db::SaveDrawing(db, path));
  const std::string out = RunCommand(DxfTool() + "xdata " + path);
  EXPECT_EQ(out.substr(0, 14), "AUDIT errors=0") << out;
}

TEST(BadInputTest, EmptyRecordsAndDegenerateGeometry) {
  Database db;
  ASSERT_TRUE(RegisterOsXdataApp(db));
  OS_GML_ACAD_Definitions settings;
  const PointFeatureRecord point{};
  ASSERT_TRUE(DrawTopoPoint("", 256, {}, db, 2, point, OsFeatureKind::kTopoPoint));
  AreaFeatureRecord area{};
  EXPECT_FALSE(DrawSolidHatch("A", 256, area, db)) << "no rings at all";
  GrowArray none{};
  EXPECT_FALSE(DrawFeaturePolyline("L", 256, 0, 0, none, db, 2, 0, nullptr, {}, OsFeatureKind::kNone,
                                   false, false));
  GrowArray same = VertexList({{1, 1}, {1, 1}, {1, 1}});
  EXPECT_FALSE(DrawFeaturePolyline("L", 256, 0, 3, same, db, 2, 0, nullptr, {}, OsFeatureKind::kNone,
                                   false, false));
  EXPECT_FALSE(DrawFeaturePolyline("L", 256, 0, -1, same, db, 2, 0, nullptr, {}, OsFeatureKind::kNone,
                                   false, false));
  GrowArray two = VertexList({{0, 0}, {5, 5}, {0, 0}});
  EXPECT_FALSE(DrawFeaturePolyline("L", 256, 0, 3, two, db, 2, 0, nullptr, {}, OsFeatureKind::kNone,
                                   true, false))
      << "a closed outline needs three corners";
  EXPECT_EQ(db.EntitiesIn(db.ModelSpace()).size(), 1u);
  GrowArrayFree(&same);
  GrowArrayFree(&two);

  std::string layer;
  std::int32_t colour = 0;
  bool conditions = false;
  int index = -1;
  EXPECT_FALSE(FindCodeEntry(settings, "", &layer, &colour, &conditions, &index));
  EXPECT_FALSE(FindCodeEntry(settings, nullptr, &layer, &colour, &conditions, &index));
  EXPECT_EQ(layer, "");
}

TEST(SdfTest, TheNullWriterAnswersSuccessAndARunSaysOnceThatNothingIsWritten) {
  TempFolder folder;
  SdfWriter writer;
  GrowArray ring = VertexList({{0, 0}, {1, 0}, {1, 1}});
  Lists lists;
  EXPECT_TRUE(writer.Create(folder.WideFolder() + L"Topo_polygons_(Land).sdf", L"Orvane generated Topo polygon file", 1));
  EXPECT_TRUE(writer.BeginPolygon());
  EXPECT_TRUE(writer.AddPolygonRing(ring));
  EXPECT_TRUE(writer.WritePolygon("a", "b"));
  EXPECT_TRUE(writer.WriteLine(ring, "a", "b"));
  EXPECT_TRUE(writer.WritePoint(SamplePoint()));
  EXPECT_TRUE(writer.WriteText(SampleText()));
  EXPECT_TRUE(writer.WriteRoadLink(ring, SampleLink(&lists)));
  EXPECT_TRUE(writer.WriteRoadNode(SampleNode()));
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path(""))) << "no file is made";
  GrowArrayFree(&ring);

  host::ClearCommandLine();
  bool noted = false;
  NoteSdfOutputUnavailable(&noted);
  NoteSdfOutputUnavailable(&noted);
  const std::wstring shown = host::CommandLineText();
  EXPECT_TRUE(noted);
  const std::wstring note = L"SDF files are not written on this platform";
  ASSERT_NE(shown.find(note), std::wstring::npos);
  EXPECT_EQ(shown.find(note, shown.find(note) + 1), std::wstring::npos);
}

}  // namespace
