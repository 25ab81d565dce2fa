// The main import dialog as the user drives it: the Options, layer and
// property-filter buttons reaching the run, where the settings and areas are
// kept, and the input it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "gml/ui/layer_selection.h"
#include "gml/ui/osgml_input_dialog.h"
#include "gml/settings/property_filter_dialog.h"
#include "gml/ui/settings_view.h"
#include "gml/ui/varnel_commands.h"
#include "gml/writer/import_run.h"
#include "host/app/documents.h"
#include "host/db/database.h"
#include "common/cad/current_layer.h"
#include "host/editor/command_line.h"
#include "host/editor/system_variables.h"
#include "host/system/environment.h"
#include "ui_fixture.h"

namespace {

namespace fs = std::filesystem;
namespace id = import_dialog;
using host::ui::kIdCancel;
using host::ui::kIdOk;

const fs::path kSample = fs::path(VARNEL_SHARED_DIR) / "testdata" / "osmm" / "topo-small-v7.gml";

class ImportDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    if (!fs::exists(kSample)) GTEST_SKIP() << "no shared samples";
    host::HideEnvironmentVariable(L"LARINI");
    CopyDefaultSupport();
    fs::create_directories(root_ / "input");
    fs::copy_file(kSample, root_ / "input" / kSample.filename());
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  }
  void TearDown() override {
    if (HasFailure())
      for (const auto& item : host::Shown().Items())
        std::wcerr << std::wstring(item.kind.begin(), item.kind.end()) << L": " << item.text << L"\n";
    (void)host::CloseDrawing();
    host::ClearEnvironmentOverrides();
    UiTest::TearDown();
  }
  // The folder choice of the first showing: the folder holding the sample.
  void ChooseInputFolder() const {
    Push("answer", {L"no"});
    Push("answer", {At("input")});
  }
  // Draw, and the CSV folder the default settings ask for.
  void Draw() const {
    Click(kIdOk);
    Push("answer", {At("elsewhere")});
  }
  static int EntitiesOfType(host::db::EntityType type, const wchar_t* layer = nullptr) {
    host::db::Database* db = host::db::WorkingDatabase();
    const host::db::ObjectId onLayer = layer ? db->Layer(layer) : host::db::ObjectId{};
    int n = 0;
    for (host::db::ObjectId e : db->EntitiesIn(db->ModelSpace())) {
      const host::db::Entity* entity = db->EntityOf(e);
      if (entity->Type() == type && (!layer || entity->layer == onLayer.handle)) ++n;
    }
    return n;
  }

 public:
  std::string ReadFile(const std::string& relative) const { return Read(relative); }
  bool Has(const std::string& relative) const { return Exists(relative); }

 protected:
  static int Entities() {
    host::db::Database* db = host::db::WorkingDatabase();
    return static_cast<int>(db->EntitiesIn(db->ModelSpace()).size());
  }
};

TEST_F(ImportDialogTest, OptionsChangeTheRunOnOkAndNothingOnCancel) {
  struct Case {
    int closeWith;
    int gridLines;
  };
  for (const Case c : {Case{kIdCancel, 0}, Case{kIdOk, 4}}) {
    SCOPED_TRACE(c.closeWith);
    ChooseInputFolder();
    Click(id::kOptions);
    Click(kIdGridLines);
    Click(c.closeWith);
    Draw();
    RunGmlImport();
    EXPECT_TRUE(host::Actions().Empty());
    // The sample spans some 400 m: a grid line every 100 m each way.
    EXPECT_GE(EntitiesOfType(host::db::EntityType::kLine, L"Grid"), c.gridLines);
    if (c.gridLines == 0) {
      EXPECT_EQ(EntitiesOfType(host::db::EntityType::kLine, L"Grid"), 0);
    }
    EXPECT_EQ(Read("support/lwh_gml.ini").find("[Draw OS Grid lines:] Yes") != std::string::npos,
              c.closeWith == kIdOk);
    ASSERT_EQ(host::CloseDrawing(), host::Status::kNormal);
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  }
}

TEST_F(ImportDialogTest, LayerChoiceSkipsTheKindsSwitchedOffAndCancelKeepsThem) {
  struct Case {
    int closeWith;
    bool areasDrawn;
  };
  for (const Case c : {Case{kIdCancel, true}, Case{kIdOk, false}}) {
    SCOPED_TRACE(c.closeWith);
    ChooseInputFolder();
    Click(id::kLayers);
    Click(kLayerSwitchIds[kSwitchPolygons]);
    Click(c.closeWith);
    Draw();
    RunGmlImport();
    EXPECT_TRUE(host::Actions().Empty());
    // Only areas are drawn as hatches.
    EXPECT_EQ(EntitiesOfType(host::db::EntityType::kHatch) > 0, c.areasDrawn);
    EXPECT_GT(EntitiesOfType(host::db::EntityType::kText), 0) << "the other kinds are drawn either way";
    // The choice is the record's, so it is saved with the other switches.
    EXPECT_EQ(Read("support/lwh_gml.ini").find("[Input Polygons:] No") != std::string::npos, !c.areasDrawn);
    ASSERT_EQ(host::CloseDrawing(), host::Status::kNormal);
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  }
}

TEST_F(ImportDialogTest, ChosenPropertyFilterFiltersTheRun) {
  Write("buildings.pfd",
        "Orvane ini file for Property Filters\n\n[File title:] Buildings\n\n\n"
        "[theme:input what (All/Only/But):] Only\n"
        "[descriptiveGroup:input what (All/Only/But):] All\n"
        "[descriptiveTerm:input what (All/Only/But):] All\n\n"
        "[osgb:theme:] Buildings\n");
  // Kept areas, lines and texts of a run, with the filter chosen or not.
  auto run = [&](bool filtered) {
    OSGMLInputDialog view;
    ChooseInputFolder();
    if (filtered) {
      Click(id::kPropertySwitch);  // enables the options button
      Click(id::kPropertyOptions);
      Click(kIdLoadFilter);
      Push("answer", {At("buildings.pfd")});
      Click(kIdOk);  // Done
    }
    Draw();
    EXPECT_EQ(view.DoModal(), kIdOk);
    EXPECT_TRUE(host::Actions().Empty());
    EXPECT_EQ(view.propertyFilter.folder, filtered ? Support() : L"");
    return std::vector<int>{view.keptAreas, view.keptLines, view.keptTexts};
  };
  const std::vector<int> all = run(false);
  const std::vector<int> buildings = run(true);
  // The sample's buildings theme holds only texts.
  EXPECT_GT(buildings[2], 0);
  EXPECT_LT(buildings[2], all[2]);
  EXPECT_EQ(buildings[0], 0);
  EXPECT_GT(all[0], 0);
  EXPECT_EQ(buildings[1], 0);
  EXPECT_GT(all[1], 0);
}

// --- what the dialog shows ----------------------------------------------

GmlInputFile ListedFile(const char* name, const char* queryTime, double megabytes, double x) {
  GmlInputFile file{};
  CopyField(file.path, std::string("/maps/") + name);
  CopyField(file.name, name);
  CopyField(file.queryTime, queryTime);
  file.size = megabytes * 1024 * 1024;
  file.compressedSize = -1.0;
  file.minX = x;
  file.maxX = x + 100;
  file.minY = 0;
  file.maxY = 100;
  file.active = 1;
  return file;
}

std::vector<std::wstring> Rows(host::ui::Control& list) {
  std::vector<std::wstring> rows;
  for (int i = 0; i < list.GetCount(); ++i) rows.push_back(list.GetRowText(i));
  return rows;
}

TEST(ImportDialogTexts, SizesAndFileRowsAsTheListWritesThem) {
  // MB up to 500 MB, GB above; TB above 500000 MB where the row allows it.
  struct Size {
    double megabytes;
    bool terabytes;
    const wchar_t* text;
  };
  const Size sizes[] = {
      {0, true, L"0.0 MB"},          {12.34, true, L"12.3 MB"},
      {500, true, L"500.0 MB"},      {500.5, false, L"0.5 GB"},
      {1536, true, L"1.5 GB"},       {500000, true, L"488.3 GB"},
      {600000, true, L"0.6 TB"},     {600000, false, L"585.9 GB"},
      {5242880, false, L"5120.0 GB"}, {5242880, true, L"5.0 TB"},
  };
  for (const Size& c : sizes) {
    SCOPED_TRACE(c.megabytes);
    EXPECT_EQ(SizeText(c.megabytes * 1024 * 1024, c.terabytes), c.text);
  }
  // A file's row: ">" when it is read, the query time up to its "T", the
  // size (never in TB) and the name, between tabs.
  struct Row {
    double megabytes;
    int active;
    const char* queryTime;
    const wchar_t* row;
  };
  const Row rows[] = {
      {12.34, 1, "2009-07-30T10:00:00", L">\t2009-07-30 12.3 MB\tsheet.gml"},
      {500, 0, "2009-07-30T10:00:00", L"\t2009-07-30 500.0 MB\tsheet.gml"},
      {700, 0, "2010-01-02", L"\t2010-01-02 0.7 GB\tsheet.gml"},
      {600000, 1, "", L">\t 585.9 GB\tsheet.gml"},
  };
  for (const Row& c : rows) {
    SCOPED_TRACE(c.megabytes);
    GmlInputFile file = ListedFile("sheet.gml", c.queryTime, c.megabytes, 0);
    file.active = c.active;
    EXPECT_EQ(FileListRow(file), c.row);
  }
}

// Two windows, the first without a description; three files, one of them
// outside both windows.
class ImportDialogLists : public ImportDialogTest {
 protected:
  void SetUp() override {
    ImportDialogTest::SetUp();
    if (IsSkipped()) return;
    Write("support/lwh_gml_areafilters.ini", "\n20\n1\n0\n0\n250\n100\nNorth\n20\n1\n5000\n5000\n5100\n5100\n");
  }
  static void AddFiles(OSGMLInputDialog& view, std::initializer_list<GmlInputFile> files) {
    for (const GmlInputFile& file : files)
      ASSERT_TRUE(GrowArraySet(&view.inputFiles, view.inputFiles.count, &file));
  }
  static void ThreeFiles(OSGMLInputDialog& view) {
    AddFiles(view, {ListedFile("a.gml", "2009-07-30T10:00:00", 12.34, 0),
                    ListedFile("b.gml.gz", "2010-01-02T00:00:00", 700, 1000),
                    ListedFile("c.gml", "2011-05-05T08:00:00", 600000, 150)});
  }
};

TEST_F(ImportDialogLists, FilesWithinTheLocationsAreMarkedAndSummed) {
  OSGMLInputDialog view;
  view.settings.areaFiltering = 1;
  ThreeFiles(view);
  Push("esc");
  EXPECT_EQ(view.DoModal(), kIdCancel);
  EXPECT_EQ(Rows(view.Item(gml_controls::kFileList)),
            (std::vector<std::wstring>{
                L">\t2009-07-30 12.3 MB\ta.gml", L"\t2010-01-02 0.7 GB\tb.gml.gz",
                L">\t2011-05-05 585.9 GB\tc.gml", L"",
                L" 2 files, 585.9 GB within filtered location (All: 3 files, 0.6 TB)"}));
  EXPECT_EQ(view.activeFileCount, 2);
  EXPECT_EQ(Rows(view.Item(gml_controls::kLocationList)),
            (std::vector<std::wstring>{L"(No description) - Window", L"North - Window"}));

  // Location filtering off: every file is read; one file has no summary.
  OSGMLInputDialog all;
  all.settings.areaFiltering = 0;
  ThreeFiles(all);
  Push("esc");
  EXPECT_EQ(all.DoModal(), kIdCancel);
  EXPECT_EQ(Rows(all.Item(gml_controls::kFileList)).back(),
            L" 3 files, 586.6 GB within filtered location (All: 3 files, 0.6 TB)");
  OSGMLInputDialog one;
  AddFiles(one, {ListedFile("a.gml", "2009-07-30T10:00:00", 12.34, 0)});
  Push("esc");
  EXPECT_EQ(one.DoModal(), kIdCancel);
  EXPECT_EQ(Rows(one.Item(gml_controls::kFileList)),
            (std::vector<std::wstring>{L">\t2009-07-30 12.3 MB\ta.gml"}));
}

TEST_F(ImportDialogLists, TheButtonsSayWhatTheRunWillDo) {
  struct Case {
    int updateMode, batchSwitch;
    const wchar_t *ok, *layers, *departed;
    bool preview;
  };
  const Case cases[] = {
      {0, 0, L"Draw", L"Layers to import", L"", true},
      {0, 1, L"Start", L"Layers to import", L"", false},
      {1, 0, L"Update", L"Layers to update", L"Dep. features: n/a", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToNarrow(c.ok));
    OSGMLInputDialog view;
    view.updateMode = c.updateMode;
    view.settings.batchSwitch = c.batchSwitch;
    ThreeFiles(view);
    Push("esc");
    EXPECT_EQ(view.DoModal(), kIdCancel);
    EXPECT_EQ(view.ItemText(kIdOk), c.ok);
    EXPECT_EQ(view.ItemText(id::kLayers), c.layers);
    EXPECT_EQ(view.ItemText(gml_controls::kDepartedCount), c.departed);
    EXPECT_EQ(view.Item(id::kPreview).IsEnabled(), c.preview);
  }
}

// A batch step shows which location is under way and the drawing it makes,
// with the files of that location marked.
TEST_F(ImportDialogLists, ABatchStepNamesItsLocationAndDrawing) {
  OSGMLInputDialog view;
  view.settings.areaFiltering = 1;
  ThreeFiles(view);
  view.batchRun = 1;
  view.batchIndex = 1;  // North: no file lies there
  Push("dlg_timer", {L"1"});
  EXPECT_EQ(view.DoModal(), kIdOk);
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_EQ(Rows(view.Item(gml_controls::kLocationList)),
            (std::vector<std::wstring>{L"***BATCH MODE IN OPERATION***",
                                       L"Location 2 of 2 is under way...", L"File name = North.dwg"}));
  EXPECT_EQ(Rows(view.Item(gml_controls::kFileList)).back(),
            L" 0 files, 0.0 MB within filtered location (All: 3 files, 0.6 TB)");
  EXPECT_EQ(view.activeFileCount, 0);
  for (int control : {id::kCount, id::kNewArea, id::kOptions, id::kPreview})
    EXPECT_FALSE(view.Item(control).IsEnabled()) << control;
}

// The update command is the import with update mode: it asks for the
// change-only file, and the run updates the drawing (a report, nothing
// drawn twice) where the import command draws again.
TEST_F(ImportDialogTest, TheUpdateCommandUpdatesWhereTheImportCommandDrawsAgain) {
  ChooseInputFolder();
  Draw();
  RunGmlImport();
  const int drawn = Entities();
  ASSERT_GT(drawn, 20);

  host::ClearCommandLine();
  // The change-only file, in the file chooser: every file shown, the
  // input folder, its one file (the chooser lists no read-only file).
  fs::permissions(root_ / "input" / kSample.filename(), fs::perms::owner_write, fs::perm_options::add);
  Push("dlg_set", {L"filespec_combo", L"2"});
  Push("dlg_click", {L"browse_a_folder"});
  Push("answer", {At("input")});
  Push("dlg_select", {L"sekfiles", L"1"});
  Push("dlg_click", {L"accept"});
  Draw();  // "Update"
  UpdateCommand();
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_TRUE(host::Shown().Contains("dcl", L"\"Select Change Only MasterMap Update file\""));
  const std::wstring report = host::CommandLineText();
  EXPECT_NE(report.find(L"Orvane MasterMap update report:"), std::wstring::npos) << report;
  EXPECT_NE(report.find(L"in the drawing updated."), std::wstring::npos);
  EXPECT_EQ(Entities(), drawn) << "every feature was up to date";

  // The next import command imports again.
  host::ClearCommandLine();
  ChooseInputFolder();
  Draw();
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_EQ(host::CommandLineText().find(L"update report"), std::wstring::npos);
  EXPECT_EQ(Entities(), 2 * drawn);
}

// --- input the import refuses -------------------------------------------

// What a refused import must leave as it was.
struct Untouched {
  explicit Untouched(const ImportDialogTest& test) : test_(test) {
    EXPECT_EQ(host::SetSystemVariable(L"OSMODE", 37), host::Status::kNormal);
    EXPECT_TRUE(MakeLayerCurrent(3, L"Mine"));
    ini_ = test.ReadFile("support/lwh_gml.ini");
  }
  void Check() const {
    EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 37);
    EXPECT_EQ(host::GetSystemVariable(L"CLAYER").Text(), L"Mine");
    EXPECT_EQ(test_.ReadFile("support/lwh_gml.ini"), ini_) << "nothing saved";
    EXPECT_FALSE(test_.Has("support/lwh_gml_areafilters.ini"));
  }
  const ImportDialogTest& test_;
  std::string ini_;
};

TEST_F(ImportDialogTest, NothingUsableChosenDrawsAndSavesNothing) {
  Write("nogml/notes.txt", "just words\n");
  Write("nogml/fake.gml", "<html>not a map</html>\n");
  Write("nogml/empty.gml.gz", "");
  fs::create_directories(root_ / "nogml" / "sub");
  fs::copy_file(kSample, root_ / "nogml" / "sub" / kSample.filename());  // one level only
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::wstring>> actions;
  };
  const Case cases[] = {
      {"file choice cancelled", {{"answer", L"yes"}, {"esc", L""}}},
      {"folder without GML", {{"answer", L"no"}, {"answer", At("nogml")}}},
      {"dialog cancelled", {{"answer", L"no"}, {"answer", At("input")}, {"dlg_click", L"2"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Untouched untouched(*this);
    for (const auto& [verb, arg] : c.actions)
      Push(verb, arg.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{arg});
    RunGmlImport();
    EXPECT_TRUE(host::Actions().Empty());
    host::Actions().Clear();
    EXPECT_EQ(EntitiesOfType(host::db::EntityType::kLwPolyline) + EntitiesOfType(host::db::EntityType::kText) +
                  EntitiesOfType(host::db::EntityType::kHatch),
              0);
    untouched.Check();
  }
}

TEST_F(ImportDialogTest, AFileThatVanishedKeepsTheDialogOpenAndSavesNothing) {
  Untouched untouched(*this);
  fs::create_directories(root_ / "gone");
  const fs::path path = root_ / "gone" / kSample.filename();
  fs::copy_file(kSample, path);
  OSGMLInputDialog view;
  ASSERT_TRUE(view.AppendInputFile(path.string().c_str()));
  fs::remove(path);
  Draw();
  Click(kIdCancel);
  EXPECT_EQ(view.DoModal(), kIdCancel);
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_EQ(view.runMode, 0);
  untouched.Check();
}

TEST_F(ImportDialogTest, CsvFilesGoIntoTheChosenFolderOrAreReportedNotWritten) {
  struct Case {
    std::wstring folder;
    bool written;
  };
  for (const Case& c : {Case{At("elsewhere"), true}, Case{L"/proc", false}}) {
    SCOPED_TRACE(std::string(c.folder.begin(), c.folder.end()));
    host::ClearCommandLine();
    fs::remove(root_ / "elsewhere" / "Orvane001_topo_lines.csv");
    ChooseInputFolder();
    Click(kIdOk);
    Push("answer", {c.folder});
    RunGmlImport();
    EXPECT_TRUE(host::Actions().Empty());
    EXPECT_GT(Entities(), 20) << "drawing goes on";
    EXPECT_EQ(Has("elsewhere/Orvane001_topo_lines.csv"), c.written);
    EXPECT_FALSE(Has("elsewhereOrvane001_topo_lines.csv")) << "never beside the folder";
    const bool warned = host::CommandLineText().find(L"Warning: Could not open the attribute file /proc/"
                                                     L"Orvane001_topo_lines.csv for writing.") != std::wstring::npos;
    EXPECT_EQ(warned, !c.written);
    ASSERT_EQ(host::CloseDrawing(), host::Status::kNormal);
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  }
}

TEST_F(ImportDialogTest, BatchDrawingsThatCannotBeSavedAreReportedAndTheHostDrawingKept) {
  Write("support/lwh_gml_areafilters.ini", "Whole sheet\n20\n1\n291000\n92000\n293000\n94000\n");
  EXPECT_EQ(host::SetSystemVariable(L"OSMODE", 37), host::Status::kNormal);
  EXPECT_TRUE(MakeLayerCurrent(3, L"Mine"));
  ChooseInputFolder();
  Click(id::kOptions);
  Click(kIdBatch);
  Click(kIdOk);
  Click(id::kLocationSwitch);  // off in the default settings
  Click(kIdOk);               // Start
  Push("answer", {L"yes"});   // start the batch
  Push("answer", {L"/proc"});  // the drawings' folder
  Push("answer", {At("elsewhere")});  // the CSV folder
  Push("dlg_timer", {L"1"});  // the step that reads the one location
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());
  const std::wstring text = host::CommandLineText();
  // The line keeps the system's reason.
  EXPECT_NE(text.find(L"AutoCAD Drawing file /proc/Whole sheet.dwg could not be saved: /proc/Whole sheet.dxf: "),
            std::wstring::npos)
      << text;
  EXPECT_EQ(text.find(L"created."), std::wstring::npos);
  EXPECT_EQ(Entities(), 0) << "the host drawing is not drawn into";
  EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 37);
  EXPECT_EQ(host::GetSystemVariable(L"CLAYER").Text(), L"Mine");
  EXPECT_EQ(Read("support/lwh_gml_areafilters.ini").rfind("Whole sheet\n20\n", 0), 0u);
}

// Where the settings and areas go: the folder of the settings file on the
// support path; else the local support folder; else nowhere, said once.
class SupportFolderCases : public ImportDialogTest {
 protected:
  void SetUp() override {
    ImportDialogTest::SetUp();
    if (IsSkipped()) return;
    host::SetSupportPath({});
    fs::create_directories(root_ / "here");
    fs::create_directories(root_ / "local");
    previous_ = fs::current_path();
    fs::current_path(root_ / "here");
  }
  void TearDown() override {
    std::error_code ignored;
    if (!previous_.empty()) fs::current_path(previous_, ignored);
    ImportDialogTest::TearDown();
  }
  fs::path previous_;
};

TEST_F(SupportFolderCases, WithoutAnySupportFolderNothingIsWrittenAndTheUserIsTold) {
  ChooseInputFolder();
  Click(id::kOptions);
  Click(kIdGridLines);
  Click(kIdOk);
  Click(id::kLocationSwitch);
  Click(id::kNewArea);  // the settings are saved at every end of the dialog
  Click(kIdCancel);     // no kind chosen
  Draw();
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_EQ(FileCount("here"), 0);
  EXPECT_EQ(FileCount("local"), 0);
  const std::vector<std::wstring> boxes = BoxTexts();
  EXPECT_EQ(std::count(boxes.begin(), boxes.end(),
                       L"No support folder was found: the settings are kept for this import only."),
            1);
  const std::wstring text = host::CommandLineText();
  const std::wstring told = L"No support folder found: the import settings and location filters are kept "
                            L"for this import only.";
  ASSERT_NE(text.find(told), std::wstring::npos) << text;
  EXPECT_EQ(text.find(told), text.rfind(told)) << "said once";
  // The changed setting holds for the run all the same.
  EXPECT_GT(EntitiesOfType(host::db::EntityType::kLine, L"Grid"), 0);
}

TEST_F(SupportFolderCases, TheLocalSupportFolderTakesNewSettingsAndLendsItsOwn) {
  host::SetEnvironmentOverride(L"LARINI", At("local"));
  ChooseInputFolder();
  Draw();
  RunGmlImport();
  EXPECT_TRUE(Exists("local/lwh_gml.ini"));
  EXPECT_TRUE(Exists("local/lwh_gml_areafilters.ini"));
  EXPECT_EQ(FileCount("here"), 0);
  EXPECT_EQ(EntitiesOfType(host::db::EntityType::kLine, L"Grid"), 0);

  // A settings file already there is read, not overwritten with defaults.
  const std::string saved = Read("local/lwh_gml.ini");
  Write("local/lwh_gml.ini", saved.substr(0, saved.find("[Draw OS Grid lines:]")) +
                                 "[Draw OS Grid lines:] Yes\n");
  ASSERT_EQ(host::CloseDrawing(), host::Status::kNormal);
  ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  ChooseInputFolder();
  Draw();
  RunGmlImport();
  EXPECT_GT(EntitiesOfType(host::db::EntityType::kLine, L"Grid"), 0);
  EXPECT_NE(Read("local/lwh_gml.ini").find("[Draw OS Grid lines:] Yes"), std::string::npos);
}

TEST_F(ImportDialogTest, AreasGoBesideTheSettingsFileWhenTheyHaveNoFileYet) {
  OSGMLInputDialog view;
  EXPECT_EQ(view.settings.supportFolder, Support());
  EXPECT_EQ(view.locationFilter.path, Support() + L"lwh_gml_areafilters.ini");
}

}  // namespace
