// Welsh names whole from GML to drawing: a small sample made at test time
// (a folder and files named with ŵ ŷ â é, street names with them, one text
// written as character references) imported through cadhost, by folder and
// file by file, then checked by ezdxf and Python's csv module against
// Python's own reading of the GML; the locate and attribute view commands
// find and show a road by its Welsh name.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "common/containers/text.h"
#include "gml/ui/osgml_input_dialog.h"
#include "gml/ui/tests/cadhost_session.h"
#include "gml/writer/os_xdata_record.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"

namespace {

using namespace cadhost_test;

// The import dialog's row of a file named in Welsh shows the name whole.
TEST(WelshNames, TheFileListRowShowsTheNameWhole) {
  GmlInputFile file{};
  CopyField(file.name, "T\xC5\xB7_caf\xC3\xA9-topo.gml");
  CopyField(file.queryTime, "2009-10-15T09:30:00");
  file.size = 3 * 1024 * 1024;
  file.active = 1;
  EXPECT_EQ(FileListRow(file), L">\t2009-10-15 3.0 MB\tT\u0177_caf\u00E9-topo.gml");
}

std::string SampleScript() { return "/usr/bin/python3 " + Quoted(std::string(VARNEL_SOURCE_DIR) + "/gml/ui/tests/welsh_sample.py"); }

TEST(WelshNames, FilesAndFeatureTextReachTheDrawingWhole) {
  const Session session("welsh_names");
  const CommandResult made = RunShell(SampleScript() + " make " + Quoted(session.At("data")));
  ASSERT_EQ(made.status, 0) << made.output;
  const std::string folder = made.output.substr(0, made.output.find('\n'));
  ASSERT_NE(folder.find("Data Cymraeg \u0175 \u0177 \u00e2 \u00e9"), std::string::npos) << folder;
  session.SetSetting("[Attributions to xdata:]", "2");
  session.SetSetting("[Attributions to CSV:]", "2");
  session.SetSetting("[Road layer way (0=by road name, 1=fixed):]", "0");

  // The folder's three files, chosen by folder and then one by one (the
  // chooser's rows: "<..>", then the files by name).
  struct Choice {
    const char* what;
    std::string lines;
    const char* drawing;
    const char* csv;
  };
  const Choice choices[] = {
      {"by folder", "!answer no\n!answer \"" + folder + "\"\n", "folder.dxf", "csv"},
      {"one by one", "!answer yes\n!dlg_click browse_a_folder\n!answer \"" + folder +
                         "\"\n!dlg_set filespec_combo 2\n!dlg_select sekfiles 1 2 3\n!dlg_click accept\n",
       "chosen.dxf", "csv2"},
  };
  for (const Choice& choice : choices) {
    SCOPED_TRACE(choice.what);
    fs::create_directories(session.At(choice.csv));
    const SessionRun run = session.Run("lwhgmlin\n" + choice.lines + "!dlg_click 1\n!answer " +
                                       session.At(choice.csv) + "/\n!save " + session.At(choice.drawing) + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(run.Has("Can not open file")) << run.transcript;
    EXPECT_FALSE(run.Has("not UTF-8")) << run.transcript;
    if (choice.csv == std::string("csv")) EXPECT_TRUE(run.Has(", 3 found")) << run.transcript;
    else EXPECT_TRUE(run.Has("3 files selected of 3")) << run.transcript;
    // Every file was read: each kind of feature is in the drawing.
    const CommandResult check = RunShell(SampleScript() + " check " + Quoted(folder) + " " +
                                         Quoted(session.At(choice.drawing)) + " " + Quoted(session.At(choice.csv)));
    EXPECT_EQ(check.status, 0) << check.output;
  }

  // lwhgmllr finds the road by its Welsh name; lwhgmlsw shows it.
  const CommandResult check = RunShell(SampleScript() + " check " + Quoted(folder) + " " +
                                       Quoted(session.At("folder.dxf")) + " " + Quoted(session.At("csv")));
  std::smatch road;
  ASSERT_TRUE(std::regex_search(check.output, road, std::regex("road ([0-9A-F]+) (.*)"))) << check.output;
  const std::string handle = road[1], name = road[2];
  ASSERT_EQ(name, "Heol \u0174yn");
  const SessionRun run = session.Run("lwhgmllr\n!dlg_set 406 \"" + name + "\"\n!dlg_click 1\nall\nno\n"
                                     "lwhgmllr\n!dlg_set 406 \"Heol Wyn\"\n!dlg_click 1\nall\n"
                                     // The whole name in other letter case, partial match off.
                                     "lwhgmllr\n!dlg_click 275\n!dlg_set 406 \"HEOL \u0175YN\"\n!dlg_click 1\nall\nno\n"
                                     "lwhgmlsw\n!pick " + handle + "\n!dlg_click 1\n",
                                     session.At("folder.dxf"));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_FALSE(run.Has("Road name " + name + " was not found")) << run.transcript;
  EXPECT_TRUE(run.Has("Continue search? <Yes> / No: ")) << run.transcript;
  EXPECT_TRUE(run.Has("Road name Heol Wyn was not found")) << "no match without its \u0175";
  // The first and the third search find the road and ask to go on.
  std::size_t asked = 0;
  for (std::size_t at = 0; (at = run.transcript.find("Continue search? <Yes> / No: ", at)) != std::string::npos; ++at)
    ++asked;
  EXPECT_EQ(asked, 2u) << run.transcript;
  EXPECT_FALSE(run.Has("Road name HEOL \u0175YN was not found")) << "letter case counts in no alphabet";
  EXPECT_TRUE(run.Has("dialog\tend \"Integrated Transport Network Road\"")) << run.transcript;

  // The view's rows, as the dialog lists them.
  host::db::Database db;
  ASSERT_TRUE(host::db::ReadDrawing(db, session.At("folder.dxf")).ok());
  host::db::Database* previous = host::db::WorkingDatabase();
  host::db::SetWorkingDatabase(&db);
  ShowOSGmlXdata viewer;
  viewer.entity = db.IdOf(std::stoull(handle, nullptr, 16));
  viewer.ClearXdata();
  viewer.ReadXdata();
  const OsXdataView view = viewer.BuildView();
  host::db::SetWorkingDatabase(previous);
  ASSERT_FALSE(view.rows.empty());
  EXPECT_EQ(view.rows.back().first, L"Road Name");
  EXPECT_EQ(view.rows.back().second, L"Heol \u0174yn");
}

// With SDF output on, the reading run names each road link after its road:
// the road links' CSV file holds those names whole.
TEST(WelshNames, RoadLinksAreNamedInTheirCsvFileWhole) {
  const Session session("welsh_road_names");
  const CommandResult made = RunShell(SampleScript() + " make " + Quoted(session.At("data")));
  ASSERT_EQ(made.status, 0) << made.output;
  const std::string folder = made.output.substr(0, made.output.find('\n'));
  session.SetSetting("[Include Zarn's HA stuff:]", "Yes");
  session.SetSetting("[Attributions to SDF:]", "Yes");
  session.SetSetting("[Attributions to CSV:]", "2");
  fs::create_directories(session.At("sdf"));
  fs::create_directories(session.At("csv"));
  // The files by folder, Draw, SDF creation's "suppresses drawing" question,
  // the SDF folder and the CSV folder.
  const SessionRun run = session.Run("lwhgmlin\n!answer no\n!answer \"" + folder + "\"\n!dlg_click 1\n!answer yes\n!answer " +
                                     session.At("sdf") + "/\n!answer " + session.At("csv") + "/\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_FALSE(run.Has("Can not open file")) << run.transcript;
  const CommandResult check =
      RunShell(SampleScript() + " roadnames " + Quoted(folder) + " " + Quoted(session.At("csv")));
  EXPECT_EQ(check.status, 0) << check.output << run.transcript;
  EXPECT_NE(check.output.find("Heol \u0174yn"), std::string::npos) << check.output;
}

// Settings named beyond Latin-1 stay whole from one import to the next: the
// CSV folder the import asks for is saved whole in lwh_gml.ini, texts are
// drawn on the whole forced text layer, and the second import into that
// folder names the CSV file whose rows it replaced.
TEST(WelshNames, SettingsKeepTheirWholeTextFromOneImportToTheNext) {
  if (!fs::exists(SharedSample("topo-small-v7.gml"))) GTEST_SKIP() << "no shared samples";
  const Session session("welsh_settings");
  session.AddInput(SharedSample("topo-small-v7.gml"));
  session.SetSetting("[Attributions to CSV:]", "1");
  session.SetSetting("[Force Text entities to fixed layer:]", "Yes");
  session.SetSetting("[Forced Text layer name:]", "Testun T\u0177 Gwyn");
  // Terms beside points are texts on their points' layers.
  session.SetSetting("[Mark Term beside a point:]", "No");
  session.SetSetting("[Mark Term beside a symbol:]", "No");
  const std::string csv = session.At("csv dir \u0175");
  fs::create_directories(csv);
  const std::string import = "lwhgmlin\n!answer no\n!answer " + session.At("input") +
                             "\n!dlg_click 1\n!answer \"" + csv + "/\"\n";

  const SessionRun first = session.Run(import + "!save " + session.At("first.dxf") + "\n");
  ASSERT_EQ(first.status, 0) << first.output;
  EXPECT_FALSE(first.Has("Replaced the CSV files")) << first.transcript;
  const std::string ini = ReadText(session.Dir() / "support" / "lwh_gml.ini");
  EXPECT_NE(ini.find("\n[Attributions to CSV files' directory:] " + csv + "/\n"), std::string::npos)
      << ini;
  EXPECT_NE(ini.find("\n[Forced Text layer name:] Testun T\u0177 Gwyn\n"), std::string::npos)
      << ini;

  host::db::Database db;
  ASSERT_TRUE(host::db::ReadDrawing(db, session.At("first.dxf")).ok());
  const std::uint64_t whole = db.HandleOf(db.Layer(L"Testun T\u0177 Gwyn"));
  ASSERT_NE(whole, 0u);
  EXPECT_TRUE(db.Layer(L"Testun T").IsNull());
  int texts = 0, onWhole = 0;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    const host::db::Entity* entity = db.EntityByHandle(db.HandleOf(id));
    if (entity == nullptr || entity->Type() != host::db::EntityType::kText) continue;
    ++texts;
    if (entity->layer == whole) ++onWhole;
  }
  EXPECT_GT(texts, 0);
  EXPECT_EQ(onWhole, texts);

  const SessionRun second = session.Run(import);
  ASSERT_EQ(second.status, 0) << second.output;
  EXPECT_TRUE(second.Has("Replaced the CSV files of an earlier import in " + csv +
                         "/: Orvane001_topo_lines.csv."))
      << second.transcript;
}

}  // namespace
