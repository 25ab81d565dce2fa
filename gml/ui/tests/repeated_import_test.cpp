// lwhgmlrd in cadhost on real imports: the several entities one import
// draws for a feature (an area's rings and hatch, a point's label, the
// pieces of an ITN road, the symbols planted in an area) are no repeats;
// the same files imported a second time are, entity for entity, and Erase
// leaves the drawing of one import.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/containers/text.h"
#include "gml/ui/tests/cadhost_session.h"
#include "gml/writer/os_xdata_record.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"
#include "host/db/entity_list.h"

namespace {

using namespace cadhost_test;

struct Imported {
  int withToid = 0;                 // entities that carry a TOID
  std::vector<std::string> pieces;  // TOID, kind, layer and geometry of each entity, sorted
};

// Every model-space entity of the drawing `path`: its TOID and kind as the
// attribute view reads them, its layer, its type and its groups.
Imported ReadImport(const std::string& path) {
  Imported imported;
  host::db::Database db;
  EXPECT_TRUE(host::db::ReadDrawing(db, path).ok()) << path;
  host::db::ScopedWorkingDatabase working(&db);
  ShowOSGmlXdata viewer;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    viewer.entity = id;
    viewer.ClearXdata();
    viewer.ReadXdata();
    if (!viewer.Toid().empty()) ++imported.withToid;
    std::string piece = WideToNarrow(viewer.Toid()) + " " + WideToNarrow(viewer.Kind());
    for (const host::db::Group& g : host::db::GetEntityList(id).value_or(host::db::EntityList{})) {
      if (g.code == -1 || g.code == 5 || g.code == 330) continue;
      char value[120] = "";
      if (const std::wstring* text = g.Text()) {
        piece += " " + std::to_string(g.code) + "=" + WideToNarrow(*text);
        continue;
      }
      if (const host::db::Point3* p = g.Point())
        std::snprintf(value, sizeof value, "%.6f,%.6f,%.6f", p->x, p->y, p->z);
      else
        std::snprintf(value, sizeof value, "%.9g", g.Number());
      piece += " " + std::to_string(g.code) + "=" + value;
    }
    imported.pieces.push_back(piece);
  }
  std::sort(imported.pieces.begin(), imported.pieces.end());
  return imported;
}

TEST(RepeatedImport, OneImportHasNoRepeatsAndASecondIsErasedWhole) {
  if (!fs::exists(SharedSample("topo-small-v7.gml"))) GTEST_SKIP() << "no shared samples";
  const Session example("repeated_example_data");
  const fs::path data = example.Dir() / "data";
  const CommandResult made = RunShell("/usr/bin/python3 " +
                                      Quoted(std::string(VARNEL_SOURCE_DIR) + "/tools/make_example_data.py") +
                                      " " + Quoted(data.string()));
  ASSERT_EQ(made.status, 0) << made.output;
  const std::vector<std::pair<std::string, std::vector<fs::path>>> cases = {
      {"samples", {SharedSample("topo-small-v7.gml"), SharedSample("itn-v7-exeter-ossample.gml")}},
      {"example", {data / "example-topo.gml", data / "example-itn.gml", data / "example-address.gml"}},
  };
  for (const auto& [name, files] : cases) {
    SCOPED_TRACE(name);
    const Session session("repeated_" + name);
    for (const fs::path& file : files) session.AddInput(file);
    const std::string erase = "lwhgmlrd\n!dlg_click 273\nall\n!dlg_click 313\n!dlg_click 1\n";
    const SessionRun run = session.Run(session.ImportLines() + "!save " + session.At("one.dxf") + "\n" + erase +
                                       session.ImportLines() + erase + "!save " + session.At("two.dxf") + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    const Imported one = ReadImport(session.At("one.dxf"));
    ASSERT_GT(one.withToid, 100);
    std::vector<std::string> boxes;
    for (const std::string& box : run.MessageBoxes())
      if (box.find(" identical ") != std::string::npos) boxes.push_back(box.substr(0, box.find(" {")));
    EXPECT_EQ(boxes, (std::vector<std::string>{"[cadhost] 0 identical entities erased",
                                               "[cadhost] " + std::to_string(one.withToid) +
                                                   " identical entities erased"}));
    const Imported two = ReadImport(session.At("two.dxf"));
    EXPECT_EQ(two.withToid, one.withToid);
    EXPECT_TRUE(two.pieces == one.pieces) << two.pieces.size() << " entities against " << one.pieces.size();
  }
}

// A newer supply of a tile draws a feature again, here a line whose version
// rose from 3 to 4 with a new feature code (so on another layer) and the
// same geometry. Erase keeps the version 4 line, whichever import came first.
TEST(RepeatedImport, TheNewestVersionOfAFeatureStays) {
  if (!fs::exists(SharedSample("topo-small-v7.gml"))) GTEST_SKIP() << "no shared samples";
  const std::string older = ReadText(SharedSample("topo-small-v7.gml"));
  const std::string fid = "fid='osgb1000000347735642'>";
  const std::string was = "<osgb:featureCode>10046</osgb:featureCode>\n            <osgb:version>3</osgb:version>";
  std::string newer = older;
  const std::size_t at = newer.find(fid);
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(newer.find(was, at), newer.find("<osgb:featureCode>", at));
  newer.replace(newer.find(was, at), was.size(),
                "<osgb:featureCode>10019</osgb:featureCode>\n            <osgb:version>4</osgb:version>");
  for (const bool newerFirst : {false, true}) {
    SCOPED_TRACE(newerFirst ? "version 4 imported first" : "version 3 imported first");
    const Session session("newest_version");
    WriteText(session.Dir() / "v3" / "tile.gml", older);
    WriteText(session.Dir() / "v4" / "tile.gml", newer);
    for (const char* csv : {"csv_v3", "csv_v4"}) fs::create_directories(session.Dir() / csv);
    auto import = [&](const char* folder) {
      return "lwhgmlin\n!answer no\n!answer " + session.At(folder) + "\n!dlg_click 1\n!answer " +
             session.At(std::string("csv_") + folder) + "/\n";
    };
    const SessionRun run = session.Run(import(newerFirst ? "v4" : "v3") + import(newerFirst ? "v3" : "v4") +
                                       "lwhgmlrd\n!dlg_click 273\nall\n!dlg_click 1\n!save " +
                                       session.At("erased.dxf") + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    host::db::Database db;
    ASSERT_TRUE(host::db::ReadDrawing(db, session.At("erased.dxf")).ok());
    host::db::ScopedWorkingDatabase working(&db);
    ShowOSGmlXdata viewer;
    std::vector<std::string> kept;  // version and layer of the line's entities
    for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
      viewer.entity = id;
      viewer.ClearXdata();
      viewer.ReadXdata();
      if (viewer.Toid() != L"1000000347735642" && viewer.Toid() != L"osgb1000000347735642") continue;
      const host::db::EntityList list = host::db::GetEntityList(id).value();
      kept.push_back(WideToNarrow(viewer.Version()) + " " + WideToUtf8(*host::db::FindGroup(list, 8)->Text()));
    }
    EXPECT_EQ(kept, std::vector<std::string>{"4 OS Buildings"}) << run.transcript;
  }
}

}  // namespace
