// A drawing holding every kind of feature entity at every xdata level, saved
// as DXF and checked by ezdxf: an audit without errors, every xdata group
// read back character for character, and a rendering.
#include <algorithm>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "gml/settings/settings_record.h"
#include "gml/writer/blocks.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/layers.h"
#include "host/db/drawing_file.h"
#include "host/editor/support_path.h"
#include "host/testing/test_reset.h"
#include "writer_fixture.h"

using host::db::Database;
using namespace writer_test;

namespace {

std::string Escaped(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c >= 32 && c < 127 && c != L'\\') {
      out += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
      out += code;
    }
  }
  return out;
}

std::string ValueText(const host::db::Group& g) {
  if (const std::wstring* text = g.Text()) return Escaped(*text);
  std::ostringstream out;
  out << g.Number();
  return out.str();
}

// Every xdata group of the model-space entities, as dxf_check.py prints them.
std::vector<std::string> XdataLines(const Database& db) {
  std::vector<std::string> lines;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    const host::db::Entity& e = *db.EntityOf(id);
    const std::string head = std::to_string(e.handle) + "\t" + WideToNarrow(host::db::TypeName(e.Type())) +
                             "\t" + Escaped(db.LayerRecordOf(db.IdOf(e.layer))->name) + "\t";
    for (const host::db::XdataBlock& block : e.xdata.Blocks())
      for (const host::db::Group& g : block.groups)
        lines.push_back(head + Escaped(block.app) + "\t" + std::to_string(g.code) + "\t" + ValueText(g));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(DrawingCheckTest, EzdxfAuditsReadsEveryXdataStringAndRendersTheDrawing) {
  TempFolder folder;
  host::ResetForTest();
  host::AddSessionSupportFolder(NarrowToWide(std::string(VARNEL_SOURCE_DIR) + "/support/"));
  Database db;
  ASSERT_TRUE(RegisterOsXdataApp(db));
  host::db::SetWorkingDatabase(&db);
  ASSERT_TRUE(EnsureBatchLocationApp(kBatchLocationApp));
  host::db::SetWorkingDatabase(nullptr);
  Lists lists;
  OS_GML_ACAD_Definitions settings;

  AreaFeatureRecord area = SampleArea(&lists);
  CopyField(area.attributes.common.theme, "Caf\xe9 & \"Land\"");  // beyond ASCII, quotes
  LineFeatureRecord line = SampleLine(&lists);
  const RoadLinkRecord link = SampleLink(&lists);
  const RoadRecord road = SampleRoad();
  const PointFeatureRecord point = SamplePoint();
  const TextFeatureRecord text = SampleText();
  const RoadNodeRecord node = SampleNode();
  const AddressPointRecord address = SampleAddress();
  GrowArray square = VertexList({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  GrowArray road1 = VertexList({{20, 0}, {40, 5}, {60, 0}});

  for (const char* layer : {"Land", "p_Land", "Lines", "Links", "Roads", "Points", "Text", "Nodes", "Addresses"})
    ASSERT_TRUE(EnsureLayer(7, layer, db));
  for (int level = 0; level <= 2; ++level) {
    SCOPED_TRACE(level);
    const double dx = level * 100.0;
    GrowArray moved = VertexList({{dx, 0}, {dx + 10, 0}, {dx + 10, 10}, {dx, 10}});
    ASSERT_TRUE(DrawSolidHatch("Land", 256, area, db));
    ASSERT_TRUE(DrawFeaturePolyline("p_Land", 256, 0, 4, moved, db, level, 0, nullptr, &area,
                                    OsFeatureKind::kAreaOutline, true, false));
    ASSERT_TRUE(DrawFeaturePolyline("Lines", 256, 0, 3, road1, db, level, 0, nullptr, &line,
                                    OsFeatureKind::kTopoLine, false, false));
    ASSERT_TRUE(DrawFeaturePolyline("Links", 256, 0, 3, road1, db, level, 0, nullptr, &link,
                                    OsFeatureKind::kRoadLink, false, false));
    ASSERT_TRUE(DrawFeaturePolyline("Roads", 256, 0, 3, road1, db, level, 0, nullptr, &road,
                                    OsFeatureKind::kRoad, false, true));
    ASSERT_TRUE(DrawTopoPoint("Points", 256, {dx + 5, 20, 0}, db, level, point, OsFeatureKind::kTopoPoint));
    ASSERT_TRUE(InsertPointBlock("SpotHeight", {dx + 8, 20, 0}, 1, 0.3, "Points", db, level, point,
                                 OsFeatureKind::kCartoSymbol));
    ASSERT_TRUE(DrawTextFeature("Term   ", "Points", 256, {dx + 8, 20, 0}, 1, 0, 5, db, level, &point,
                                OsFeatureKind::kCartoSymbol));
    ASSERT_TRUE(DrawTextFeature(text.textString, "Text", 256, {dx + 20, 30, 0}, text.height,
                                ComputeOsTextAngle(text.orientation), text.anchorPosition, db, level,
                                &text, OsFeatureKind::kCartoText));
    ASSERT_TRUE(DrawItnNode("Nodes", 256, {dx + 40, 5, 0}, db, level, node, OsFeatureKind::kRoadNode));
    ASSERT_TRUE(InsertNodeBlock("RoadNode", {dx + 60, 0, 0}, 1, 0, "Nodes", db, level, node));
    settings.attributesToXdata = level;
    ASSERT_TRUE(DrawAddressPoint("Addresses", 256, {dx + 30, 40, 0}, db, nullptr, settings, address));
    ASSERT_TRUE(InsertAddressPointBlock("AddressPoint", {dx + 35, 40, 0}, 1, 0, "Addresses", db, nullptr,
                                        settings, address));
    GrowArrayFree(&moved);
  }
  ASSERT_TRUE(DrawTwoPointPolyline("Grid", 256, 0, db, 0, -10, 300, -10));
  const host::db::ObjectId boundary = db.LastEntity();
  ASSERT_TRUE(WriteBatchLocationXdata(db, boundary, "Location \xe9 1"));
  GrowArrayFree(&square);
  GrowArrayFree(&road1);

  const std::string path = folder.Path("every kind.dxf");
  ASSERT_TRUE(host::db::SaveDrawing(db, path));
  const std::string out = RunCommand(DxfTool() + "xdata '" + path + "'");
  std::istringstream lines(out);
  std::string first;
  std::getline(lines, first);
  ASSERT_EQ(first, "AUDIT errors=0") << out;
  std::vector<std::string> read;
  for (std::string l; std::getline(lines, l);) read.push_back(l);
  std::sort(read.begin(), read.end());
  const std::vector<std::string> written = XdataLines(db);
  EXPECT_GT(written.size(), 300u);
  EXPECT_EQ(read, written);

  const std::string png = folder.Path("every kind.png");
  const std::string drawn =
      RunCommand("/usr/bin/python3 -m ezdxf draw '" + path + "' -o '" + png + "' --dpi 50");
  ASSERT_TRUE(std::filesystem::exists(png)) << drawn;
  EXPECT_GT(std::filesystem::file_size(png), 1000u);
  host::ResetForTest();
}

}  // namespace
