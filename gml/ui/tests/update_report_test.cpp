// The update report of a change-only file imported over the example data in
// cadhost: old solid hatches are always erased, and the report names them
// where they are the exception, when the old entities are saved.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <variant>

#include "gml/ui/tests/cadhost_session.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"

namespace {

using namespace cadhost_test;

// The handles of the hatches in model space of the drawing `path`.
std::set<std::uint64_t> Hatches(const std::string& path) {
  host::db::Database db;
  EXPECT_TRUE(host::db::ReadDrawing(db, path).ok()) << path;
  std::set<std::uint64_t> hatches;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace()))
    if (std::holds_alternative<host::db::HatchData>(db.EntityOf(id)->data)) hatches.insert(id.handle);
  return hatches;
}

TEST(UpdateReport, OldHatchesAreNamedWhenOldEntitiesAreSaved) {
  for (const char* save : {"Yes", "No"}) {
    SCOPED_TRACE(save);
    const Session session(std::string("update_report_") + save);
    const fs::path data = session.Dir() / "data";
    const CommandResult made = RunShell("/usr/bin/python3 " +
                                        Quoted(std::string(VARNEL_SOURCE_DIR) + "/tools/make_example_data.py") +
                                        " " + Quoted(data.string()));
    ASSERT_EQ(made.status, 0) << made.output;
    session.SetSetting("[Save departed features:]", save);
    session.AddInput(data / "example-topo.gml");
    ASSERT_EQ(session.Run(session.ImportLines() + "!save " + session.At("one.dxf") + "\n").status, 0);

    fs::remove(session.Dir() / "input" / "example-topo.gml");
    session.AddInput(data / "example-topo-changes.gml");
    // The change-only file through the file choice, then Draw.
    const std::string update = "lwhgmlud\n!dlg_set filespec_combo 1\n!dlg_click browse_a_folder\n!answer " +
                               session.At("input") + "\n!dlg_select sekfiles 1\n!dlg_click accept\n!dlg_click 1\n"
                               "!answer " + session.At("csv") + "/\n";
    const SessionRun run = session.Run(update + "!save " + session.At("two.dxf") + "\n", session.At("one.dxf"));
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_TRUE(run.Has("Orvane MasterMap update report:")) << run.transcript;

    // The old hatches the update erased.
    const std::set<std::uint64_t> after = Hatches(session.At("two.dxf"));
    int erased = 0;
    for (std::uint64_t handle : Hatches(session.At("one.dxf"))) erased += after.count(handle) == 0 ? 1 : 0;
    ASSERT_GT(erased, 0);
    const std::string line = "Additionally " + std::to_string(erased) + " old solid hatches were deleted";
    if (std::string(save) == "Yes") {
      EXPECT_TRUE(run.Has("All old entites were moved to layer Departed Features.")) << run.transcript;
      EXPECT_TRUE(run.Has(line)) << run.transcript;
    } else {
      EXPECT_TRUE(run.Has("All old entites were erased from the drawing.")) << run.transcript;
      EXPECT_FALSE(run.Has("old solid hatches")) << run.transcript;
    }
  }
}

}  // namespace
