// The import command run as the user runs it: the main dialog answered by
// script actions, drawing into the current drawing.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gml/settings/area_filter.h"
#include "gml/settings/tests/dialog_fixture.h"
#include "gml/ui/varnel_commands.h"
#include "gml/writer/import_run.h"
#include "gml/writer/tests/batch_location_lines.h"
#include "host/editor/support_path.h"
#include "gml/writer/os_xdata.h"
#include "host/app/documents.h"
#include "host/db/database.h"
#include "host/editor/graphics.h"
#include "host/editor/system_variables.h"
#include "host/ui/message_box.h"

namespace {

namespace fs = std::filesystem;

fs::path SharedSample(const char* name) {
  return fs::path(VARNEL_SHARED_DIR) / "testdata" / "osmm" / name;
}

class ImportRunTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    // Every import here reads the shared samples.
    if (!fs::exists(SharedSample("topo-small-v7.gml"))) GTEST_SKIP() << "no shared samples";
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  }
  void TearDown() override {
    (void)host::CloseDrawing();
    DialogTest::TearDown();
  }
  int EntityCount() {
    host::db::Database* db = host::db::WorkingDatabase();
    return static_cast<int>(db->EntitiesIn(db->ModelSpace()).size());
  }
  // A folder holding `sample` only, as the folder choice takes it.
  std::wstring InputFolder(const char* sample) {
    const fs::path input = fs::path(Path("input"));
    fs::create_directories(input);
    fs::copy_file(SharedSample(sample), input / sample, fs::copy_options::overwrite_existing);
    return input.wstring();
  }
};

TEST_F(ImportRunTest, DrawsTheChosenFolderIntoTheDrawingAndRestoresOsmode) {
  ASSERT_EQ(host::SetSystemVariable(L"OSMODE", 37), host::Status::kNormal);
  Push("answer", {L"no"});
  Push("answer", {InputFolder("topo-small-v7.gml")});
  Push("dlg_click", {L"1"});
  Push("answer", {Folder()});
  RunGmlImport();
  EXPECT_GT(EntityCount(), 10);
  EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 37);
}

TEST_F(ImportRunTest, NothingChosenOrCancelledDrawsNothing) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::wstring>> actions;
  };
  const Case cases[] = {
      {"picker cancelled", {{"answer", L"no"}, {"answer", L"cancel"}}},
      {"folder without GML", {{"answer", L"no"}, {"answer", L"/"}}},
      {"dialog cancelled", {{"answer", L"no"}, {"answer", L"@input"}, {"dlg_click", L"2"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& [verb, arg] : c.actions)
      Push(verb, {arg == L"@input" ? InputFolder("topo-small-v7.gml") : arg});
    RunGmlImport();
    EXPECT_EQ(EntityCount(), 0);
    EXPECT_TRUE(host::Actions().Empty());
    host::Actions().Clear();
  }
}

TEST_F(ImportRunTest, NewLocationFiltersFromTheDrawingAndATileList) {
  // The areas are saved beside the settings file the support path finds.
  Write("lwh_gml.ini", "");
  host::SetSupportPath({Folder()});
  host::db::Database& db = *host::db::WorkingDatabase();
  host::db::LwPolylineData square;
  square.vertices = {{0, 0}, {300, 0}, {300, 300}, {0, 300}};
  square.closed = true;
  const host::EntityName boundary = db.Append(square);
  square.vertices = {{1000, 0}, {1300, 0}, {1300, 300}};
  const host::EntityName named = db.Append(square);
  ASSERT_TRUE(EnsureBatchLocationApp(kBatchLocationApp));
  ASSERT_TRUE(WriteBatchLocationXdata(db, named, "Church End"));
  const host::EntityName centre = db.Append(host::db::LineData{{0, 0, 0}, {500, 0, 0}});
  // Names that are no tile names are passed over, and so is the rest of a
  // line too long to be one.
  Write("tiles.txt", "SU7306\nXX99\nSU8677SE" + std::string(1100, ' ') + "TQ0177\nnot a tile\r\nTQ0178NW\r\n");

  Push("answer", {L"no"});
  Push("answer", {InputFolder("topo-small-v7.gml")});
  // Location filters on; the dialog takes its switches at the next click on
  // one of them.
  Push("dlg_set", {L"229", L"1"});
  Push("dlg_click", {L"205"});
  using Step = std::pair<std::string, std::vector<std::wstring>>;
  for (const std::vector<Step>& steps : std::vector<std::vector<Step>>{
           {{"dlg_set", {L"263", L"Square"}}, {"dlg_click", {L"259"}}, {"pick", {host::HandleText(boundary)}}},
           {{"dlg_set", {L"263", L"Zone"}}, {"dlg_click", {L"260"}}, {"pick", {host::HandleText(centre)}},
            {"type", {L"12.5"}}},
           {{"dlg_click", {L"330"}}, {"dlg_click", {L"329"}}, {"select", {host::HandleText(named), host::HandleText(boundary)}}},
           {{"dlg_click", {L"331"}}, {"answer", {L"ok"}}, {"answer", {WidePath("tiles.txt")}}},
           {{"dlg_click", {L"2"}}, {"dlg_click", {L"2"}}}}) {
    Push("dlg_click", {L"228"});  // New...: saves the areas so far
    for (const auto& [verb, args] : steps) Push(verb, args);
  }
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());

  AreaFilter saved;
  ASSERT_TRUE(saved.CreateLists());
  ASSERT_TRUE(saved.LoadAreas(WidePath("lwh_gml_areafilters.ini")));
  const struct {
    std::int32_t kind;
    std::string description;
    std::int32_t elements;
  } expected[] = {{kAreaPolyline, "Square", 4}, {kAreaBufferZone, "Zone", 1},
                  {kAreaPolyline, "Church End", 3}, {kAreaWindow, "SU7306", 0},
                  {kAreaWindow, "SU8677SE", 0}, {kAreaWindow, "TQ0178NW", 0}};
  ASSERT_EQ(saved.GetAreaCount(), 6);
  for (std::int32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    AreaFilterArea area{};
    ASSERT_TRUE(saved.GetArea(&area, i));
    EXPECT_EQ(area.kind, expected[i].kind);
    EXPECT_EQ(std::string(area.description).substr(0, expected[i].description.size()),
              expected[i].description);
    if (area.kind != kAreaWindow) {
      EXPECT_EQ(area.elements.count, expected[i].elements);
    }
  }
  AreaFilterArea zone{}, tile{};
  ASSERT_TRUE(saved.GetArea(&zone, 1));
  EXPECT_EQ(zone.rightOffset, 12.5);
  ASSERT_TRUE(saved.GetArea(&tile, 4));
  EXPECT_EQ(tile.corner2X - tile.corner1X, 500);
  saved.FreeAreas(1);
}

TEST_F(ImportRunTest, RoadNetworkBufferKeepsTheFeaturesNearTheRoads) {
  Push("answer", {L"no"});
  Push("answer", {InputFolder("topo-small-v7.gml")});
  Push("dlg_click", {L"1"});
  Push("answer", {Folder()});
  RunGmlImport();
  const int all = EntityCount();
  ASSERT_EQ(host::CloseDrawing(), host::Status::kNormal);
  ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);

  // The road network button is there only with the settings' road-buffer switch,
  // set in a settings file the support path finds.
  Write("lwh_gml.ini", "[Include Zarn's HA stuff:] Yes\n");
  host::SetSupportPath({Folder()});
  Write("roads.txt", "291600 92500 0 a\n291720 92800 0 A\n");
  Push("answer", {L"no"});
  Push("answer", {InputFolder("topo-small-v7.gml")});
  Push("dlg_set", {L"229", L"1"});
  Push("dlg_click", {L"205"});
  Push("dlg_click", {L"228"});
  Push("dlg_click", {L"392"});
  Push("answer", {L"no"});  // the question: the kind dialog stays
  Push("dlg_click", {L"392"});
  Push("answer", {L"yes"});
  Push("answer", {WidePath("roads.txt")});
  Push("type", {L"50"});
  Push("type", {L"50"});
  Push("dlg_click", {L"1"});
  Push("answer", {Folder()});
  host::Shown().Clear();
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_TRUE(host::Shown().Contains("print", L"Road Network Buffer read in."));
  int accuracyBoxes = 0;
  for (const auto& box : host::ui::MessageBoxes())
    accuracyBoxes += box.request.text == L"Accuracy changed to 48";
  EXPECT_EQ(accuracyBoxes, 1);
  EXPECT_GT(EntityCount(), 0);
  EXPECT_LT(EntityCount(), all / 2);
}

// A step of the main dialog's New...: the kind dialog's description, the
// kind's button, and what the kind then asks for.
struct NewFilter {
  std::wstring description;
  std::wstring kindButton;
  std::vector<std::pair<std::string, std::vector<std::wstring>>> actions;
};

// What the user gets for an area: its kind, description, corners (windows)
// or elements (start, end, chainage, length, heading).
struct SavedArea {
  std::int32_t kind;
  std::string description;
  std::vector<double> values;
};

class NewFilterTest : public ImportRunTest {
 protected:
  // Adds the filters in the main dialog with location filtering on, then
  // cancels; the areas as the areas file saved them.
  std::vector<SavedArea> AddFilters(const std::vector<NewFilter>& filters) {
    Write("lwh_gml.ini", "");
    host::SetSupportPath({Folder()});
    Push("answer", {L"no"});
    Push("answer", {InputFolder("topo-small-v7.gml")});
    Push("dlg_click", {L"229"});
    for (const NewFilter& f : filters) {
      Push("dlg_click", {L"228"});
      Push("dlg_set", {L"263", f.description});
      Push("dlg_click", {f.kindButton});
      for (const auto& [verb, args] : f.actions) Push(verb, args);
    }
    Push("dlg_click", {L"228"});  // saves the areas so far
    Push("dlg_click", {L"2"});
    Push("dlg_click", {L"2"});
    RunGmlImport();
    EXPECT_TRUE(host::Actions().Empty());
    std::vector<SavedArea> out;
    AreaFilter saved;
    EXPECT_TRUE(saved.CreateLists());
    (void)saved.LoadAreas(WidePath("lwh_gml_areafilters.ini"));
    for (std::int32_t i = 0; i < saved.GetAreaCount(); ++i) {
      AreaFilterArea area{};
      EXPECT_TRUE(saved.GetArea(&area, i));
      SavedArea a{area.kind, area.description, {}};
      if (area.kind == kAreaWindow) {
        a.values = {area.corner1X, area.corner1Y, area.corner2X, area.corner2Y};
      } else {
        for (std::int32_t k = 0; k < area.elements.count; ++k) {
          const GeometryElement& e = static_cast<const GeometryElement*>(area.elements.data)[k];
          for (double v : {e.startX, e.startY, e.endX, e.endY, e.startChainage, e.length, e.headingStart,
                           e.headingEnd})
            a.values.push_back(v);
        }
      }
      out.push_back(a);
    }
    saved.FreeAreas(1);
    return out;
  }
};

void ExpectAreas(const std::vector<SavedArea>& got, const std::vector<SavedArea>& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(expected[i].description);
    EXPECT_EQ(got[i].kind, expected[i].kind);
    EXPECT_EQ(got[i].description, expected[i].description);
    ASSERT_EQ(got[i].values.size(), expected[i].values.size());
    for (std::size_t k = 0; k < got[i].values.size(); ++k) EXPECT_NEAR(got[i].values[k], expected[i].values[k], 1e-6) << k;
  }
}

// An areas file holding an entry the reader cannot take between two areas:
// the dialog lists both areas, names the entry in one box, and saving the
// areas keeps the entry's lines.
TEST_F(ImportRunTest, AreasAfterAnUnreadableEntryAreListedAndNothingIsLostOnSaving) {
  if (!fs::exists(SharedSample("topo-small-v7.gml"))) GTEST_SKIP() << "no shared samples";
  Write("lwh_gml.ini", "");
  const std::string first = "First\n20\n1\n291000.000000\n92000.000000\n291500.000000\n92500.000000\n";
  const std::string odd = "Later kind\n90\n1\n";
  const std::string second = "Second\n20\n1\n291500.000000\n92500.000000\n292000.000000\n93000.000000\n";
  Write("lwh_gml_areafilters.ini", first + "\n" + odd + second);
  host::SetSupportPath({Folder()});
  host::ui::ClearMessageBoxes();
  Push("answer", {L"no"});
  Push("answer", {InputFolder("topo-small-v7.gml")});
  Push("dlg_click", {L"229"});
  Push("dlg_click", {L"228"});  // New...: saves the areas so far
  Push("dlg_click", {L"2"});
  Push("dlg_click", {L"2"});
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());
  int named = 0;
  for (const auto& box : host::ui::MessageBoxes()) {
    named += box.request.text.find(L"line 9: Later kind") != std::wstring::npos;
  }
  EXPECT_EQ(named, 1);
  EXPECT_EQ(Read("lwh_gml_areafilters.ini"), first + second + odd);
}

TEST_F(NewFilterTest, PolygonByPointsNeedsThreePointsAndEndsOnEnter) {
  auto points = [](std::initializer_list<const wchar_t*> typed) {
    std::vector<std::pair<std::string, std::vector<std::wstring>>> actions;
    for (const wchar_t* t : typed) actions.push_back({*t == L'!' ? "esc" : "type", {*t == L'!' ? L"" : t}});
    return actions;
  };
  const std::vector<SavedArea> areas = AddFilters({
      {L"Plot", L"262", points({L"291000,92400", L"291100,92400", L"291100,92500", L"291000,92500", L""})},
      {L"Two points", L"262", points({L"291000,92400", L"291100,92400", L""})},
      {L"Esc", L"262", points({L"291000,92400", L"291100,92400", L"291100,92500", L"!"})},
  });
  // One straight element per side but the closing one: running chainage,
  // the bearing of the side (east 0, north pi/2).
  const double pi = 3.141592653589793;
  ExpectAreas(areas, {{kAreaPolygon,
                       "Plot",
                       {291000, 92400, 291100, 92400, 0, 100, 0, 0,  //
                        291100, 92400, 291100, 92500, 100, 100, pi / 2, pi / 2,  //
                        291100, 92500, 291000, 92500, 200, 100, pi, pi}}});
  EXPECT_TRUE(host::Shown().Contains("print", L"A polygon needs at least 3 points: no area added."));
  // The rubber band in colour 1, side by side as the points come; only the
  // polygon that was added is closed.
  const std::wstring bottom = L"291000,92400,0 291100,92400,0 colour 1";
  const std::wstring right = L"291100,92400,0 291100,92500,0 colour 1";
  EXPECT_EQ(host::Shown().TextsOf("vector"),
            (std::vector<std::wstring>{bottom, right, L"291100,92500,0 291000,92500,0 colour 1",
                                       L"291000,92500,0 291000,92400,0 colour 1",  // Plot, closed
                                       bottom,                                     // Two points
                                       bottom, right}));                           // Esc
}

TEST_F(NewFilterTest, PostcodeAndTextSearchGiveWindowsNamedAfterWhatWasAsked) {
  // The postcode at 291500.0, 92500.0 (tenths of a metre in the file).
  Write("postcodedb.txt", "1,2,3,4,\"High Street\",6,7,\"8\",9,\"10\",11,12,\"13\",\"EX4 3PB\",2915000,925000\n");
  using Actions = std::vector<std::pair<std::string, std::vector<std::wstring>>>;
  const Actions postcode = {{"dlg_set", {L"324", L"EX4 3PB"}}, {"dlg_click", {L"1"}}, {"type", {L"40"}}};
  // The search runs on its dialog's timer; the last values are offered again.
  const Actions search = {{"dlg_set", {L"334", L"haldon road"}}, {"dlg_set", {L"333", L"20"}},
                          {"dlg_click", {L"1"}}, {"wait", {L"1000"}}};
  const Actions searchAgain = {{"dlg_click", {L"1"}}, {"wait", {L"1000"}}};
  const std::vector<SavedArea> areas = AddFilters({{L"Market", L"323", postcode},
                                                   {L"", L"323", postcode},
                                                   {L"", L"324", search},
                                                   {L"Again", L"324", searchAgain}});
  // HALDON ROAD is anchored at 291536.8, 92866.8: framed by 20 m.
  ExpectAreas(areas, {{kAreaWindow, "Market", {291460, 92460, 291540, 92540}},
                      {kAreaWindow, "EX4 3PB", {291460, 92460, 291540, 92540}},
                      {kAreaWindow, "haldon road", {291516.8, 92846.8, 291556.8, 92886.8}},
                      {kAreaWindow, "Again", {291516.8, 92846.8, 291556.8, 92886.8}}});
}

TEST_F(NewFilterTest, ViewDrawsEachSelectedFilterInItsOwnColour) {
  // 257 windows of 5 m, 10 m apart along x.
  std::string file;
  for (int i = 0; i < 257; ++i) {
    char area[160];
    std::snprintf(area, sizeof area, "W%d\n20\n1\n%d.0\n0.0\n%d.0\n5.0\n", i, i * 10, i * 10 + 5);
    file += area;
  }
  Write("lwh_gml.ini", "");
  Write("lwh_gml_areafilters.ini", file);
  host::SetSupportPath({Folder()});
  Push("answer", {L"no"});
  Push("answer", {InputFolder("topo-small-v7.gml")});
  Push("dlg_click", {L"229"});
  Push("dlg_select", {L"231", L"0", L"1", L"254", L"255", L"256"});
  Push("dlg_click", {L"264"});
  Push("answer", {L"ok"});  // "Click OK when ready."
  Push("dlg_click", {L"2"});
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());
  // Colour by window: area i in colour i + 1, and colour 1 past 255.
  std::map<int, std::set<int>> colours;
  std::map<int, int> sides;
  for (const host::TemporaryVector& v : host::TemporaryVectors()) {
    const int window = static_cast<int>(std::min(v.from.x, v.to.x)) / 10;
    colours[window].insert(v.colour);
    ++sides[window];
  }
  EXPECT_EQ(colours, (std::map<int, std::set<int>>{{0, {1}}, {1, {2}}, {254, {255}}, {255, {1}}, {256, {1}}}));
  for (const auto& [window, count] : sides) EXPECT_EQ(count, 4) << window;
  EXPECT_TRUE(host::Shown().Contains("message_box", L"Click OK when ready."));
}

// Batch runs over windows of the small topographic sample: location
// filtering and the batch switch on, one window per location, Start.
class BatchRunTest : public ImportRunTest {
 protected:
  struct Window {
    const wchar_t* name;
    const wchar_t* corner1;
    const wchar_t* corner2;
  };
  void StartBatch(std::initializer_list<Window> windows) {
    fs::create_directories(Path("out"));
    fs::create_directories(Path("csv"));
    Push("answer", {L"no"});
    Push("answer", {InputFolder("topo-small-v7.gml")});
    for (const wchar_t* click : {L"229", L"227", L"328", L"1"}) Push("dlg_click", {click});
    for (const Window& w : windows) {
      Push("dlg_click", {L"228"});
      Push("dlg_set", {L"263", w.name});
      Push("dlg_click", {L"261"});
      Push("type", {w.corner1});
      Push("type", {w.corner2});
    }
    Push("dlg_click", {L"1"});
    Push("answer", {L"yes"});
    Push("answer", {WidePath("out")});
    Push("answer", {WidePath("csv")});
  }
  std::wstring Out(const std::wstring& file) { return WidePath("out") + L"/" + file; }
  bool Saved(const std::string& name) { return fs::exists(Path("out/" + name + ".dxf")); }
};

TEST_F(BatchRunTest, EscWhileALocationIsReadStopsItAndLeavesTheRestNotDone) {
  StartBatch({{L"West", L"290800.5,92300.5", L"291200.5,92900.5"},
              {L"East", L"291500.5,92500.5", L"291900.5,92800.5"},
              {L"North", L"290800.5,92700.5", L"291900.5,92900.5"}});
  // The first location's showing takes the wait and reads West; Esc comes
  // at the first poll of the reading of East.
  Push("wait", {L"1000"});
  Push("at", {L"poll", L"1", L"esc"});
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_EQ(batch_test::LocationLines(),
            (std::vector<std::wstring>{L"AutoCAD Drawing file " + Out(L"West.dwg") + L" created.\n",
                                       L"Stopped while reading " + Out(L"East.dwg") + L": no drawing saved.\n",
                                       L"Not done (stopped): " + Out(L"North.dwg") + L".\n"}));
  EXPECT_TRUE(Saved("West"));
  EXPECT_FALSE(Saved("East"));
  EXPECT_FALSE(Saved("North"));
}

TEST_F(BatchRunTest, ALocationsDrawingIsSavedUnderItsNameWhole) {
  StartBatch({{L"T\u0177 Newydd: caf\u00e9?", L"290800.5,92300.5", L"291200.5,92900.5"}});
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_EQ(batch_test::LocationLines(), (std::vector<std::wstring>{L"AutoCAD Drawing file " +
                                                        Out(L"T\u0177 Newydd: caf\u00e9?.dwg") +
                                                        L" created.\n"}));
  EXPECT_TRUE(Saved("T\xC5\xB7 Newydd: caf\xC3\xA9?"));
}

TEST(ImportRunFrame, SizeFactorsAndBatchFileNames) {
  EXPECT_EQ(ImportSizeFactor(0, 0), 0.4);
  EXPECT_EQ(ImportSizeFactor(3, 0), 8.0);
  EXPECT_EQ(ImportSizeFactor(4, 2500), 2.0);
  EXPECT_EQ(ImportSizeFactor(7, 2500), 2.0);
  EXPECT_EQ(BatchDrawingPath(L"/out", L"Mill Lane", 0), L"/out/Mill Lane.dwg");
  EXPECT_EQ(BatchDrawingPath(L"/out/", L"", 2), L"/out/Batch 2.dwg");
  // Only the folder separators and control characters are replaced: every
  // other character a location's name holds is in the file name.
  const struct {
    std::wstring name;
    std::wstring path;
  } names[] = {
      {L"A/B: \"x\"?", L"/out/A_B: \"x\"?.dwg"},
      {L"T\u0177 Newydd: caf\u00e9?", L"/out/T\u0177 Newydd: caf\u00e9?.dwg"},
      {L"<Heol \u0174yn> *|\t", L"/out/<Heol \u0174yn> *|_.dwg"},
      {L"Mill\nLane\r", L"/out/Mill_Lane_.dwg"},
      {L"bell\x07 del\x7f c1\x85 nbsp\u00a0", L"/out/bell_ del_ c1_ nbsp\u00a0.dwg"},
      {L"..\\..\\up", L"/out/.._.._up.dwg"},
      {std::wstring(L"a\0b", 3), L"/out/a_b.dwg"},
  };
  for (const auto& n : names) EXPECT_EQ(BatchDrawingPath(L"/out", n.name, 1), n.path);

  // Within one run, a name taken before gets the next free number; a
  // location named like a numbered drawing pushes the number on.
  std::set<std::wstring> taken;
  const struct {
    std::wstring name;
    int index;
    std::wstring path;
  } run[] = {
      {L"Mill", 0, L"/out/Mill.dwg"},         {L"Mill", 1, L"/out/Mill (2).dwg"},
      {L"Mill (3)", 2, L"/out/Mill (3).dwg"}, {L"Mill", 3, L"/out/Mill (4).dwg"},
      {L"Mill\t", 4, L"/out/Mill_.dwg"},      {L"Mill_", 5, L"/out/Mill_ (2).dwg"},
      {L"", 6, L"/out/Batch 6.dwg"},          {L"Batch 6", 7, L"/out/Batch 6 (2).dwg"},
  };
  for (const auto& r : run) EXPECT_EQ(BatchDrawingPath(L"/out", r.name, r.index, &taken), r.path);
  EXPECT_EQ(taken.size(), std::size(run));
}

}  // namespace
