// The query commands in cadhost, on the drawing a real import of the
// example data made: cadhost loads Varnel, lwhgmlin is answered by a script
// (every attribute into xdata) and the drawing is saved once for all the
// tests here. The values the commands show are compared with the GML text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <variant>
#include <sstream>
#include <string>
#include <vector>

#include "common/containers/text.h"
#include "gml/ui/tests/cadhost_session.h"
#include "gml/writer/os_xdata_record.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"

namespace {

using namespace cadhost_test;

// The text of feature `toid` in a GML file: from its fid to the end of its
// element.
std::string FeatureText(const std::string& gml, const std::string& toid) {
  const std::size_t start = gml.find("fid='osgb" + toid + "'");
  if (start == std::string::npos) return "";
  const std::size_t open = gml.rfind('<', start);
  const std::size_t nameEnd = gml.find_first_of(" \t\r\n", open);
  const std::string close = "</" + gml.substr(open + 1, nameEnd - open - 1) + ">";
  const std::size_t end = gml.find(close, start);
  return end == std::string::npos ? "" : gml.substr(open, end - open);
}

// The last value of element `name` ("osgb:theme") in `text`; empty when
// there is none.
std::string LastElement(const std::string& text, const std::string& name) {
  const std::regex element("<" + name + ">([^<]*)</" + name + ">");
  std::string value;
  for (std::sregex_iterator it(text.begin(), text.end(), element), end; it != end; ++it) value = (*it)[1];
  return value;
}

// Every coordinate pair of `text`.
std::vector<std::pair<double, double>> Coordinates(const std::string& text) {
  static const std::regex pair("(-?[0-9]+(?:\\.[0-9]+)?),(-?[0-9]+(?:\\.[0-9]+)?)");
  std::vector<std::pair<double, double>> points;
  const std::regex block("<gml:coordinates>([^<]*)</gml:coordinates>");
  for (std::sregex_iterator b(text.begin(), text.end(), block), end; b != end; ++b) {
    const std::string inner = (*b)[1];
    for (std::sregex_iterator it(inner.begin(), inner.end(), pair); it != end; ++it)
      points.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
  }
  return points;
}

// The GML element that each row of the attribute view shows.
const std::map<std::wstring, std::string> kRowElements = {
    {L"Version", "osgb:version"},
    {L"Version Date", "osgb:versionDate"},
    {L"Theme", "osgb:theme"},
    {L"Feature Code", "osgb:featureCode"},
    {L"Latest Change Date", "osgb:changeDate"},
    {L"Latest Reason For Change", "osgb:reasonForChange"},
    {L"Descriptive Group", "osgb:descriptiveGroup"},
    {L"Descriptive Term", "osgb:descriptiveTerm"},
    {L"Make", "osgb:make"},
    {L"Physical Level", "osgb:physicalLevel"},
    {L"Physical Presence", "osgb:physicalPresence"},
    {L"Nature of Road", "osgb:natureOfRoad"},
    {L"Road Name", "osgb:roadName"},
    {L"Area", "osgb:calculatedAreaValue"},
    {L"Length", "osgb:length"},
};

// One entity of the imported drawing and what the attribute view shows
// for it.
struct Drawn {
  std::string handle;  // hexadecimal
  std::string toid;
  OsXdataView view;
};

class ImportedExample : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    session_ = std::make_unique<Session>("imported_example");
    const fs::path data = session_->Dir() / "data";
    const CommandResult made = RunShell("/usr/bin/python3 " + Quoted(std::string(VARNEL_SOURCE_DIR) +
                                                                     "/tools/make_example_data.py") +
                                        " " + Quoted(data.string()));
    ASSERT_EQ(made.status, 0) << made.output;
    for (const char* name : {"example-topo.gml", "example-itn.gml", "example-address.gml"}) {
      session_->AddInput(data / name);
      gml_ += ReadText(data / name);
    }
    session_->SetSetting("[Attributions to xdata:]", "2");
    const SessionRun run = session_->Run(session_->ImportLines() + "!save " + Drawing() + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    // The example's codes all have their rows in the support tables: the
    // file choice's question is the only box.
    ASSERT_EQ(run.MessageBoxes().size(), 1u) << run.transcript;
    ScanDrawing();
  }
  static void TearDownTestSuite() { session_.reset(); }

  static std::string Drawing() { return session_->At("example.dxf"); }

  // Reads the saved drawing back and decodes every entity's OS xdata as
  // the attribute view does.
  static void ScanDrawing() {
    host::db::Database db;
    ASSERT_TRUE(host::db::ReadDrawing(db, Drawing()).ok());
    host::db::Database* previous = host::db::WorkingDatabase();
    host::db::SetWorkingDatabase(&db);
    ShowOSGmlXdata viewer;
    std::set<std::wstring> keys;
    for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
      viewer.entity = id;
      viewer.ClearXdata();
      viewer.ReadXdata();
      if (viewer.Toid().empty()) continue;
      ++toidEntities_;
      keys.insert(viewer.Kind().substr(0, 1) + viewer.Toid());
      char handle[32];
      std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(id.handle));
      Drawn drawn{handle, WideToNarrow(viewer.Toid()), viewer.BuildView()};
      // The first of each kind, and the first road with a name.
      const std::wstring& kind = viewer.Kind();
      if (kind == L"9" && drawn.view.rows.back().second.empty()) continue;
      if (!firstOfKind_.count(kind)) firstOfKind_[kind] = drawn;
    }
    repeatedKeys_ = toidEntities_ - static_cast<int>(keys.size());
    host::db::SetWorkingDatabase(previous);
  }

  static const Drawn& First(const std::wstring& kind) { return firstOfKind_[kind]; }

  // The attribute view of `drawn` row by row against its feature's GML.
  static void ExpectViewShowsTheGml(const Drawn& drawn) {
    SCOPED_TRACE(drawn.toid);
    const std::string feature = FeatureText(gml_, drawn.toid);
    ASSERT_FALSE(feature.empty());
    int compared = 0;
    for (const auto& [title, value] : drawn.view.rows) {
      if (title == L"TOID") {
        EXPECT_EQ(WideToNarrow(value), drawn.toid);
        continue;
      }
      const auto element = kRowElements.find(title);
      ASSERT_NE(element, kRowElements.end()) << WideToNarrow(title);
      const std::string expected = LastElement(feature, element->second);
      ++compared;
      if (title == L"Area" || title == L"Length")
        EXPECT_NEAR(std::stod(WideToNarrow(value)), std::stod(expected), 0.0005) << WideToNarrow(title);
      else
        EXPECT_EQ(WideToNarrow(value), expected) << WideToNarrow(title);
    }
    EXPECT_GE(compared, 5);
  }

  static SessionRun Run(const std::string& script) {
    const SessionRun run = session_->Run(script, Drawing());
    EXPECT_EQ(run.status, 0) << run.output;
    return run;
  }

  static std::unique_ptr<Session> session_;
  static std::string gml_;  // the three files' text
  static std::map<std::wstring, Drawn> firstOfKind_;
  static int toidEntities_;
  static int repeatedKeys_;  // entities whose kind and TOID an earlier one has
};

std::unique_ptr<Session> ImportedExample::session_;
std::string ImportedExample::gml_;
std::map<std::wstring, Drawn> ImportedExample::firstOfKind_;
int ImportedExample::toidEntities_ = 0;
int ImportedExample::repeatedKeys_ = 0;

TEST_F(ImportedExample, PickedEntitiesShowTheAttributesOfTheirFeatures) {
  const Drawn& outline = First(L"5");
  const Drawn& link = First(L"8");
  const Drawn& road = First(L"9");
  ASSERT_FALSE(outline.handle.empty());
  ASSERT_FALSE(link.handle.empty());
  ASSERT_FALSE(road.handle.empty());
  const SessionRun run = Run("lwhgmlsw\n!pick " + outline.handle + "\n!dlg_click 240\n!pick " + link.handle +
                             "\n!dlg_click 1\nlwhgmlsx\n!pick " + road.handle + "\n!dlg_click 1\n");
  for (const Drawn* drawn : {&outline, &link, &road}) {
    EXPECT_TRUE(run.Has("dialog\tend \"" + WideToNarrow(drawn->view.caption) + "\"")) << run.transcript;
    ExpectViewShowsTheGml(*drawn);
  }
  for (const wchar_t* kind : {L"1", L"2", L"3", L"4", L"7"}) {
    ASSERT_TRUE(firstOfKind_.count(kind)) << WideToNarrow(kind);
    ExpectViewShowsTheGml(First(kind));
  }
}

TEST_F(ImportedExample, AreaSumsTheOutlineOnceAndSkipsTheRest) {
  const Drawn& outline = First(L"5");
  const Drawn& link = First(L"8");
  const std::string area = LastElement(FeatureText(gml_, outline.toid), "osgb:calculatedAreaValue");
  ASSERT_FALSE(area.empty());
  const SessionRun run = Run("lwhgmlra\n!select " + outline.handle + " " + link.handle + "\n");
  char expected[200];
  std::snprintf(expected, sizeof expected,
                "Area = %.0f sq. metres from 1 entity (but 1 entity did not have OS area info)", std::stod(area));
  EXPECT_TRUE(run.Has(expected)) << run.transcript;
}

TEST_F(ImportedExample, LocateZoomsToTheFeatureAndNamesWhatIsMissing) {
  const Drawn& link = First(L"8");
  const Drawn& road = First(L"9");
  const std::string roadName = LastElement(FeatureText(gml_, road.toid), "osgb:roadName");
  ASSERT_FALSE(roadName.empty());
  const SessionRun run = Run("lwhgmllo\n!dlg_set 275 0\n!dlg_set 274 " + link.toid +
                             "\n!dlg_click 1\nall\n"
                             "lwhgmllr\n!dlg_set 406 \"" + roadName + "\"\n!dlg_click 1\nall\nno\n"
                             "lwhgmllr\n!dlg_set 406 \"No Such Road\"\n!dlg_click 1\nall\n");
  // The first zoom is round a vertex of the link.
  static const std::regex zoom("_ZOOM \"_W\" \\(([-0-9.e]+),([-0-9.e]+),[-0-9.e]+\\) \\(([-0-9.e]+),([-0-9.e]+),");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(run.transcript, m, zoom)) << run.transcript;
  const double x = (std::stod(m[1]) + std::stod(m[3])) / 2, y = (std::stod(m[2]) + std::stod(m[4])) / 2;
  bool atVertex = false;
  for (const auto& [vx, vy] : Coordinates(FeatureText(gml_, link.toid)))
    atVertex = atVertex || (std::fabs(vx - x) < 1 && std::fabs(vy - y) < 1);  // shown to 6 digits
  EXPECT_TRUE(atVertex) << x << "," << y;
  EXPECT_FALSE(run.Has("TOID " + link.toid + " was not found"));
  EXPECT_FALSE(run.Has("Road name " + roadName + " was not found"));
  EXPECT_TRUE(run.Has("Continue search? <Yes> / No: "));
  EXPECT_TRUE(run.Has("Road name No Such Road was not found")) << run.transcript;
}

TEST_F(ImportedExample, RemoveDuplicatesFindsASecondImportOfTheSameFiles) {
  ASSERT_GT(toidEntities_, 100);
  ASSERT_GT(repeatedKeys_, 0);  // entities of one feature share its kind and TOID
  // Erase (the default): first the drawing as imported, whose several
  // entities of one feature (label, outline rings, road pieces) are no
  // repeats; then the same files imported a second time.
  const std::string remove = "lwhgmlrd\n!dlg_click 273\nall\n!dlg_click 1\n";
  const SessionRun run = Run(remove + session_->ImportLines() + remove);
  EXPECT_TRUE(run.Has("0 identical entities erased")) << run.transcript;
  EXPECT_TRUE(run.Has(std::to_string(toidEntities_) + " identical entities erased")) << run.transcript;
}

TEST_F(ImportedExample, HeaderAndExtentCommandsReadTheImportedFiles) {
  // The files' query extents, from their text.
  static const std::regex extent(
      "<osgb:queryExtent>\\s*<osgb:Rectangle[^>]*>\\s*<gml:coordinates>([0-9.]+),([0-9.]+) ([0-9.]+),([0-9.]+)<");
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  int files = 0;
  std::smatch first;
  std::multiset<std::vector<double>> boxes;
  for (std::sregex_iterator it(gml_.begin(), gml_.end(), extent), end; it != end; ++it, ++files) {
    if (files == 0) first = *it;
    boxes.insert({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    minX = std::min(minX, std::stod((*it)[1]));
    minY = std::min(minY, std::stod((*it)[2]));
    maxX = std::max(maxX, std::stod((*it)[3]));
    maxY = std::max(maxY, std::stod((*it)[4]));
  }
  ASSERT_EQ(files, 3);
  const std::string input = session_->At("input");
  const SessionRun run = Run(
      "(setq lwh_gml_file_name \"" + input + "/example-topo.gml\")\nlwhgmlsh\n(setq v lwh_gml_x_max)\n"
      "lwhgmlsm\n!dlg_set filespec_combo 2\n!dlg_click browse_a_folder\n!answer " + input +
      "\n!dlg_select sekfiles 1 2 3\n!dlg_click accept\n(setq v lwh_gml_x_min)\n(setq v lwh_gml_y_min)\n"
      "(setq v lwh_gml_x_max)\n(setq v lwh_gml_y_max)\n"
      "lwhgmlsq\n!answer no\n!answer " + input + "\n\n!save " + session_->At("extents.dxf") + "\n");
  // Each "(setq v NAME)" prints the variable's value on the line after it.
  std::vector<double> values;
  std::istringstream lines(run.transcript);
  bool asked = false;
  for (std::string line; std::getline(lines, line);) {
    if (asked && line.rfind("print\t\\n", 0) == 0) values.push_back(std::stod(line.substr(8)));
    asked = line.rfind("input\t(setq v ", 0) == 0;
  }
  ASSERT_EQ(values.size(), 5u) << run.transcript;
  EXPECT_EQ(values[0], std::stod(first[3]));  // lwhgmlsh: the topography file alone
  EXPECT_EQ(values[1], minX);
  EXPECT_EQ(values[2], minY);
  EXPECT_EQ(values[3], maxX);
  EXPECT_EQ(values[4], maxY);

  // lwhgmlsq: one outline per file on its layer, round the file's extent.
  host::db::Database db;
  ASSERT_TRUE(host::db::ReadDrawing(db, session_->At("extents.dxf")).ok());
  std::multiset<std::vector<double>> drawn;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    const host::db::Entity& e = *db.EntityOf(id);
    const auto* outline = std::get_if<host::db::LwPolylineData>(&e.data);
    if (db.LayerRecordOf(db.IdOf(e.layer))->name != L"Query Extents" || outline == nullptr) continue;
    std::vector<double> box{1e300, 1e300, -1e300, -1e300};
    for (const host::db::LwVertex& v : outline->vertices)
      box = {std::min(box[0], v.x), std::min(box[1], v.y), std::max(box[2], v.x), std::max(box[3], v.y)};
    drawn.insert(box);
  }
  EXPECT_EQ(drawn, boxes);
}

}  // namespace
