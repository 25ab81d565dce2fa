// A batch import through cadhost: two window locations added in the main
// dialog, the batch switch set in the settings dialog, Start; one drawing
// per location, each holding exactly the features that lie wholly inside
// its window, checked against an independent reading of the GML.
#include <gtest/gtest.h>

#include <string>

#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

struct Window {
  const char* name;
  const char* corner1;
  const char* corner2;
};

TEST(BatchImport, OneDrawingPerLocationWithOnlyItsFeatures) {
  const fs::path sample = SharedSample("topo-small-v7.gml");
  if (!fs::exists(sample)) GTEST_SKIP() << "no shared samples";
  // West: an area and three lines wholly inside, an area and a line
  // crossing its edge. East: points, symbols and texts.
  const Window windows[] = {{"West", "290800.5,92300.5", "291200.5,92900.5"},
                            {"East", "291500.5,92500.5", "291900.5,92800.5"}};
  Session session("batch_import");
  session.AddInput(sample);
  fs::create_directories(session.Dir() / "out");
  // Location filtering on, the batch switch on in the settings dialog.
  std::string script = "lwhgmlin\n!answer no\n!answer " + session.At("input") +
                       "\n!dlg_click 229\n!dlg_click 227\n!dlg_click 328\n!dlg_click 1\n";
  for (const Window& w : windows)
    script += std::string("!dlg_click 228\n!dlg_set 263 ") + w.name + "\n!dlg_click 261\n" + w.corner1 + "\n" +
              w.corner2 + "\n";
  // Start, yes, the drawings' folder, the CSV folder; a timer tick per
  // location.
  script += "!dlg_click 1\n!answer yes\n!answer " + session.At("out") + "\n!answer " + session.At("csv") +
            "/\n!wait 1000\n!wait 1000\n";
  const SessionRun run = session.Run(script);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("Orvane Batch mode started.")) << run.transcript;
  std::string arguments;
  for (const Window& w : windows) {
    const std::string drawing = session.At(std::string("out/") + w.name + ".dxf");
    EXPECT_TRUE(run.Has(std::string("AutoCAD Drawing file ") + session.At("out") + "/" + w.name +
                        ".dwg created."))
        << run.transcript;
    ASSERT_TRUE(fs::exists(drawing)) << run.transcript;
    arguments += std::string("--window ") + w.corner1 + "," + w.corner2 + " " + Quoted(sample.string()) + " " +
                 Quoted(drawing) + " ";
  }
  const CommandResult check = CheckImportedDrawings(arguments);
  EXPECT_EQ(check.status, 0) << check.output;
}

}  // namespace
