// A batch import through cadhost: two window locations added in the main
// dialog, the batch switch set in the settings dialog, Start; one drawing
// per location, each holding exactly the features that lie wholly inside
// its window, checked against an independent reading of the GML.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

struct Window {
  const char* name;
  const char* corner1;
  const char* corner2;
};

// The script of a batch import of the session's input folder: one window
// location per entry, Start into `out`, a timer tick per location.
std::string BatchScript(const Session& session, const std::vector<Window>& windows) {
  // Location filtering on, the batch switch on in the settings dialog.
  std::string script = "lwhgmlin\n!answer no\n!answer " + session.At("input") +
                       "\n!dlg_click 229\n!dlg_click 227\n!dlg_click 328\n!dlg_click 1\n";
  for (const Window& w : windows)
    script += std::string("!dlg_click 228\n!dlg_set 263 ") + w.name + "\n!dlg_click 261\n" + w.corner1 + "\n" +
              w.corner2 + "\n";
  // Start, yes, the drawings' folder, the CSV folder; a timer tick per
  // location.
  script += "!dlg_click 1\n!answer yes\n!answer " + session.At("out") + "\n!answer " + session.At("csv") + "/\n";
  for (std::size_t i = 0; i < windows.size(); ++i) script += "!wait 1000\n";
  return script;
}

// Each window's drawing, saved as `files[i]` in `out`, was said to be created
// and holds exactly the features of `sample` wholly inside its window.
void ExpectDrawingsOfTheirWindows(const Session& session, const SessionRun& run, const fs::path& sample,
                                  const std::vector<Window>& windows, const std::vector<std::string>& files) {
  std::string arguments;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    EXPECT_TRUE(run.Has("AutoCAD Drawing file " + session.At("out") + "/" + files[i] + ".dwg created."))
        << run.transcript;
    const std::string drawing = session.At("out/" + files[i] + ".dxf");
    ASSERT_TRUE(fs::exists(drawing)) << run.transcript;
    arguments += std::string("--window ") + windows[i].corner1 + "," + windows[i].corner2 + " " +
                 Quoted(sample.string()) + " " + Quoted(drawing) + " ";
  }
  const CommandResult check = CheckImportedDrawings(arguments);
  EXPECT_EQ(check.status, 0) << check.output;
}

// The two windows of the small sample. West: an area and three lines wholly
// inside, an area and a line crossing its edge. East: points, symbols and
// texts.
const Window kWest{"West", "290800.5,92300.5", "291200.5,92900.5"};
const Window kEast{"East", "291500.5,92500.5", "291900.5,92800.5"};

// A session whose input folder holds the small sample, with an empty folder
// for the drawings.
class BatchImport : public ::testing::Test {
 protected:
  void SetUp() override {
    sample_ = SharedSample("topo-small-v7.gml");
    if (!fs::exists(sample_)) GTEST_SKIP() << "no shared samples";
    session_ = std::make_unique<Session>(::testing::UnitTest::GetInstance()->current_test_info()->name());
    session_->AddInput(sample_);
    fs::create_directories(session_->Dir() / "out");
  }
  SessionRun Run(const std::vector<Window>& windows) const { return session_->Run(BatchScript(*session_, windows)); }

  fs::path sample_;
  std::unique_ptr<Session> session_;
};

TEST_F(BatchImport, OneDrawingPerLocationWithOnlyItsFeatures) {
  const SessionRun run = Run({kWest, kEast});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("Orvane Batch mode started.")) << run.transcript;
  ExpectDrawingsOfTheirWindows(*session_, run, sample_, {kWest, kEast}, {"West", "East"});
}

// Two locations of one name: the second's drawing takes a number and each
// holds its own window's features; neither replaces the other.
TEST_F(BatchImport, TwoLocationsOfOneNameKeepTwoDrawings) {
  const std::vector<Window> windows = {{"Mill", kWest.corner1, kWest.corner2}, {"Mill", kEast.corner1, kEast.corner2}};
  const SessionRun run = Run(windows);
  ASSERT_EQ(run.status, 0) << run.output;
  ExpectDrawingsOfTheirWindows(*session_, run, sample_, windows, {"Mill", "Mill (2)"});
}

// A drawing that cannot be saved (a folder stands where its file would go)
// is named with the system's reason; the next location is saved.
TEST_F(BatchImport, AFailedSaveSaysWhy) {
  fs::create_directories(session_->Dir() / "out" / "West.dxf" / "inside");
  const SessionRun run = Run({kWest, kEast});
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string failed = "AutoCAD Drawing file " + session_->At("out") + "/West.dwg could not be saved: ";
  const std::size_t at = run.output.find(failed);
  ASSERT_NE(at, std::string::npos) << run.output;
  const std::string reason = run.output.substr(at + failed.size(), run.output.find('\n', at) - at - failed.size());
  EXPECT_GT(reason.size(), 2u) << reason;
  EXPECT_NE(reason.find("West.dxf"), std::string::npos) << reason;
  EXPECT_TRUE(run.Has("AutoCAD Drawing file " + session_->At("out") + "/East.dwg created.")) << run.transcript;
}

}  // namespace
