// The run over the records of an import, with the reading of each batch
// location scripted: the OS grid drawn round what was read (interactive
// LINE entities, batch polylines), and what a batch run saves and says for
// each location when one has no data, when Esc stops its drawing and when
// its reading was stopped.
#include "gml/writer/import_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "common/containers/text.h"
#include "gml/reader/osgml_input_view.h"
#include "gml/settings/tests/temp_folder.h"
#include "gml/writer/tests/batch_location_lines.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"
#include "host/system/events.h"
#include "host/system/user_actions.h"
#include "host/testing/test_reset.h"

namespace {

// One topographic line from (x1, y1) to (x2, y2) and a second one inside.
std::string LineFile(double x1, double y1, double x2, double y2) {
  char text[1024];
  std::snprintf(text, sizeof text,
                "<?xml version='1.0'?>\n<osgb:FeatureCollection fid='T'>\n"
                "<osgb:queryExtent><osgb:Rectangle><gml:coordinates>0,0 5000,5000"
                "</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n"
                "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000001'>"
                "<osgb:featureCode>10019</osgb:featureCode><osgb:polyline><gml:LineString>"
                "<gml:coordinates>%.1f,%.1f %.1f,%.1f</gml:coordinates></gml:LineString></osgb:polyline>"
                "</osgb:TopographicLine></osgb:topographicMember>\n"
                "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000002'>"
                "<osgb:featureCode>10019</osgb:featureCode><osgb:polyline><gml:LineString>"
                "<gml:coordinates>%.1f,%.1f %.1f,%.1f</gml:coordinates></gml:LineString></osgb:polyline>"
                "</osgb:TopographicLine></osgb:topographicMember>\n"
                "</osgb:FeatureCollection>\n",
                x1, y1, x2, y2, (x1 + x2) / 2, (y1 + y2) / 2, x2, y2);
  return text;
}

struct Segment {
  double x1, y1, x2, y2;
  friend bool operator<(const Segment& a, const Segment& b) {
    return std::tie(a.x1, a.y1, a.x2, a.y2) < std::tie(b.x1, b.y1, b.x2, b.y2);
  }
  friend bool operator==(const Segment&, const Segment&) = default;
};

void PrintTo(const Segment& s, std::ostream* out) {
  *out << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ")";
}

// The grid lines of a 100 m grid from (xFrom, yFrom) to (xTo, yTo), sorted.
std::vector<Segment> Grid(int xFrom, int yFrom, int xTo, int yTo) {
  std::vector<Segment> grid;
  for (int x = xFrom; x <= xTo; x += 100) grid.push_back({double(x), double(yFrom), double(x), double(yTo)});
  for (int y = yFrom; y <= yTo; y += 100) grid.push_back({double(xFrom), double(y), double(xTo), double(y)});
  std::sort(grid.begin(), grid.end());
  return grid;
}

// The two-point lines and polylines on layer "Grid", sorted.
std::vector<Segment> GridOf(const host::db::Database& db) {
  std::vector<Segment> grid;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    const host::db::Entity* e = db.EntityOf(id);
    if (db.LayerRecordOf(db.IdOf(e->layer))->name != L"Grid") continue;
    if (const auto* line = std::get_if<host::db::LineData>(&e->data)) {
      grid.push_back({line->start.x, line->start.y, line->end.x, line->end.y});
    } else if (const auto* pline = std::get_if<host::db::LwPolylineData>(&e->data)) {
      std::vector<host::db::LwVertex> v(pline->vertices.begin(), pline->vertices.end());
      EXPECT_EQ(v.size(), 2u);
      if (v.size() == 2) grid.push_back({v[0].x, v[0].y, v[1].x, v[1].y});
    } else {
      ADD_FAILURE() << "an entity on Grid that is no line";
    }
  }
  std::sort(grid.begin(), grid.end());
  return grid;
}

class ImportRunFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    host::db::SetWorkingDatabase(&db);
    view = std::make_unique<OSGMLInputView>();
    OS_GML_ACAD_Definitions& s = view->settings;
    s.useCodeLookupTable = 0;
    s.attributesToCsv = 0;
    s.plantBlocksInPolygons = 0;
    s.zoomToData = 0;
    s.drawOsGridLines = 1;
  }
  void TearDown() override {
    FreeImportRecords(*view);
    view.reset();
    host::db::SetWorkingDatabase(nullptr);
    host::ResetForTest();
  }
  // The view's one input file holds `gml`; reads it as a Draw does.
  bool Read(const std::string& gml) {
    folder.Write("input.gml", gml);
    if (view->inputFiles.count == 0 && !view->AppendInputFile(folder.Path("input.gml").c_str())) return false;
    view->activeFileCount = 1;
    return view->ProcessGmlFiles(1, L"...", 0) == 1;
  }
  void AddLocation(const char* name, double x) {
    AreaFilterArea area{};
    area.kind = kAreaWindow;
    area.tag = 1;
    CopyField(area.description, name);
    area.corner1X = x, area.corner1Y = 0, area.corner2X = x + 100, area.corner2Y = 100;
    ASSERT_TRUE(view->locationFilter.AddArea(area));
  }
  std::wstring Out(const char* name) { return NarrowToWide(folder.Path(std::string(name) + ".dwg")); }

  TempFolder folder;
  host::db::Database db;
  std::unique_ptr<OSGMLInputView> view;
};

// Grid lines every 100 m from int(min + 10) / 100 x 100 to int(max) / 100 x
// 100 on each axis.
struct GridCase {
  const char* what;
  double x1, y1, x2, y2;         // the line read
  int xFrom, yFrom, xTo, yTo;  // the grid drawn
};
const GridCase kGridCases[] = {
    {"min x and y below a line by less than 10 m", 1085.3, 2091.7, 1391.2, 2399.9, 1000, 2100, 1300, 2300},
    {"min more than 10 m past a line", 1000.0, 2195.0, 1210.0, 2310.0, 1000, 2200, 1200, 2300},
    {"a span inside one square", 345.6, 1000.0, 399.9, 1250.0, 300, 1000, 300, 1200},
};

TEST_F(ImportRunFrameTest, InteractiveGridIsLinesOnGridRoundWhatWasRead) {
  for (const GridCase& c : kGridCases) {
    SCOPED_TRACE(c.what);
    host::db::Database drawing;
    host::db::SetWorkingDatabase(&drawing);
    ASSERT_TRUE(Read(LineFile(c.x1, c.y1, c.x2, c.y2)));
    DrawImport(*view, ImportRequest{});
    EXPECT_EQ(GridOf(drawing), Grid(c.xFrom, c.yFrom, c.xTo, c.yTo));
    EXPECT_EQ(drawing.LayerRecordOf(drawing.CurrentLayer())->name, L"Grid");
    EXPECT_EQ(drawing.LayerRecordOf(drawing.Layer(L"Grid"))->color, 8);
    host::db::SetWorkingDatabase(&db);
  }
}

TEST_F(ImportRunFrameTest, BatchGridIsPolylinesInEachSavedDrawing) {
  view->settings.batchSwitch = 1;
  for (std::size_t i = 0; i < std::size(kGridCases); ++i) AddLocation(kGridCases[i].what, 100.0 * i);
  ImportRequest request;
  request.batchOutputFolder = NarrowToWide(folder.Path(""));
  request.readLocation = [&](std::int32_t index, std::wstring* name) {
    const GridCase& c = kGridCases[index];
    *name = L"Location " + std::to_wstring(index);
    return Read(LineFile(c.x1, c.y1, c.x2, c.y2)) ? LocationReading::kRead : LocationReading::kStopped;
  };
  DrawImport(*view, request);
  EXPECT_TRUE(GridOf(db).empty()) << "the current drawing is left alone";
  for (std::size_t i = 0; i < std::size(kGridCases); ++i) {
    const GridCase& c = kGridCases[i];
    SCOPED_TRACE(c.what);
    host::db::Database saved;
    ASSERT_TRUE(host::db::ReadDrawing(saved, folder.Path("Location " + std::to_string(i) + ".dxf")).ok());
    EXPECT_EQ(GridOf(saved), Grid(c.xFrom, c.yFrom, c.xTo, c.yTo));
    ASSERT_NE(saved.LayerRecordOf(saved.Layer(L"Grid")), nullptr);
    EXPECT_EQ(saved.LayerRecordOf(saved.Layer(L"Grid"))->color, 8);
  }
}

TEST_F(ImportRunFrameTest, BatchLocationsSavedSkippedStoppedAndNotDone) {
  enum class Step { kRead, kReadThenEscWhileDrawn, kNoData, kStopped };
  struct Case {
    const char* what;
    std::vector<Step> steps;  // the reading of each location the run asks for, in turn
    std::size_t asked;        // how many locations the run asks for
    std::vector<std::wstring> said;
    std::vector<const char*> saved;
  };
  const Case cases[] = {
      {"every location read or empty",
       {Step::kRead, Step::kNoData, Step::kRead},
       3,
       {L"AutoCAD Drawing file " + Out("A") + L" created.\n", L"Skipped (no data) " + Out("B") + L".\n",
        L"AutoCAD Drawing file " + Out("C") + L" created.\n"},
       {"A", "C"}},
      {"Esc while the first location is drawn",
       {Step::kReadThenEscWhileDrawn},
       1,
       {L"Stopped: 1 of 2 features drawn.\n", L"AutoCAD Drawing file " + Out("A") + L" created.\n",
        L"Not done (stopped): " + Out("B") + L".\n",
        L"Not done (stopped): " + Out("C") + L".\n"},
       {"A"}},
      {"reading of the second location stopped",
       {Step::kRead, Step::kStopped},
       2,
       {L"AutoCAD Drawing file " + Out("A") + L" created.\n",
        L"Stopped while reading " + Out("B") + L": no drawing saved.\n", L"Not done (stopped): " + Out("C") + L".\n"},
       {"A"}},
  };
  view->settings.batchSwitch = 1;
  AddLocation("A", 0);
  AddLocation("B", 100);
  AddLocation("C", 200);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* name : {"A", "B", "C"}) std::filesystem::remove(folder.Path(std::string(name) + ".dxf"));
    host::Shown().Clear();
    std::size_t asked = 0;
    ImportRequest request;
    request.batchOutputFolder = NarrowToWide(folder.Path(""));
    request.readLocation = [&](std::int32_t index, std::wstring* name) {
      *name = std::wstring(1, L'A' + index);
      const Step step = asked < c.steps.size() ? c.steps[asked] : Step::kNoData;
      ++asked;
      if (step == Step::kNoData) return LocationReading::kNoData;
      if (step == Step::kStopped) return LocationReading::kStopped;
      EXPECT_TRUE(Read(LineFile(10, 10, 90, 90)));
      // The run polls once after the reading; the next poll is the drawing's.
      if (step == Step::kReadThenEscWhileDrawn) {
        EXPECT_TRUE(host::ArmTimedEvent({"at", {L"poll", L"2", L"esc"}}));
      }
      return LocationReading::kRead;
    };
    DrawImport(*view, request);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(batch_test::LocationLines(), c.said);
    for (const char* name : {"A", "B", "C"}) {
      const bool expected =
          std::find_if(c.saved.begin(), c.saved.end(), [&](const char* s) { return std::string(s) == name; }) !=
          c.saved.end();
      EXPECT_EQ(std::filesystem::exists(folder.Path(std::string(name) + ".dxf")), expected) << name;
    }
  }
}

// `count` topographic lines side by side, one feature each.
std::string ManyLinesFile(int count) {
  std::string text =
      "<?xml version='1.0'?>\n<osgb:FeatureCollection fid='T'>\n"
      "<osgb:queryExtent><osgb:Rectangle><gml:coordinates>0,0 5000,5000"
      "</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n";
  for (int i = 0; i < count; ++i) {
    char member[512];
    std::snprintf(member, sizeof member,
                  "<osgb:topographicMember><osgb:TopographicLine fid='osgb%016d'>"
                  "<osgb:featureCode>10019</osgb:featureCode><osgb:polyline><gml:LineString>"
                  "<gml:coordinates>%d,10 %d,90</gml:coordinates></gml:LineString></osgb:polyline>"
                  "</osgb:TopographicLine></osgb:topographicMember>\n",
                  i + 1, 10 + i, 10 + i);
    text += member;
  }
  return text + "</osgb:FeatureCollection>\n";
}

// Esc while an interactive import draws: the pass ends between two
// features, the line says how far it got, the attribute file holds a row
// for each feature drawn and no other, and the command ends as cancelled.
TEST_F(ImportRunFrameTest, EscWhileDrawingSaysHowFarItGotAndEndsCancelled) {
  constexpr int kLines = 300;
  OS_GML_ACAD_Definitions& s = view->settings;
  s.drawOsGridLines = 0;
  s.attributesToCsv = 1;
  s.csvDirectory = NarrowToWide(folder.Path(""));
  ASSERT_TRUE(Read(ManyLinesFile(kLines)));
  // The drawing polls once for each hundredth of a class drawn.
  host::Shown().Clear();
  ASSERT_TRUE(host::ArmTimedEvent({"at", {L"poll", L"40", L"esc"}}));
  DrawImport(*view, ImportRequest{});

  std::wstring stopped;
  bool cancelled = false;
  for (const std::wstring& text : host::Shown().TextsOf("print")) {
    if (text.rfind(L"Stopped: ", 0) == 0) stopped = text;
    if (text == L"*Cancel*\n") cancelled = true;
  }
  long drawn = -1, total = -1;
  wchar_t rest[128] = {};
  ASSERT_EQ(std::swscanf(stopped.c_str(), L"Stopped: %ld of %ld features drawn%127l[^\n]", &drawn, &total, rest), 3)
      << WideToUtf8(stopped);
  EXPECT_EQ(total, kLines);
  EXPECT_GT(drawn, 0);
  EXPECT_LT(drawn, kLines);
  EXPECT_EQ(std::wstring(rest), L"; the CSV files hold only those.");
  EXPECT_TRUE(cancelled);

  long polylines = 0;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace()))
    if (std::holds_alternative<host::db::LwPolylineData>(db.EntityOf(id)->data)) ++polylines;
  EXPECT_EQ(polylines, drawn);
  std::string csv;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path("")))
    if (entry.path().filename().string().ends_with("topo_lines.csv")) csv = entry.path().string();
  ASSERT_FALSE(csv.empty());
  std::FILE* rows = std::fopen(csv.c_str(), "rb");
  ASSERT_NE(rows, nullptr);
  long lineEnds = 0;
  for (int c; (c = std::fgetc(rows)) != EOF;) lineEnds += c == '\n';
  std::fclose(rows);
  EXPECT_EQ(lineEnds, drawn) << "one row per line drawn";
}

// Without Esc nothing is said about stopping and the command is not cancelled.
TEST_F(ImportRunFrameTest, AWholeDrawingSaysNoStop) {
  view->settings.drawOsGridLines = 0;
  ASSERT_TRUE(Read(ManyLinesFile(20)));
  host::Shown().Clear();
  DrawImport(*view, ImportRequest{});
  for (const std::wstring& text : host::Shown().TextsOf("print")) {
    EXPECT_NE(text.rfind(L"Stopped", 0), 0u) << WideToUtf8(text);
    EXPECT_NE(text, L"*Cancel*\n");
  }
}

}  // namespace
