// A GML file cut short (a download that stopped) imported through cadhost:
// what it holds up to the cut is drawn, a box says the file ends early and
// where, and the end of the import says that it was incomplete.
#include <gtest/gtest.h>

#include <string>

#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

TEST(CutFileImport, DrawsWhatWasReadAndSaysTheFileEndedEarly) {
  const fs::path sample = SharedSample("topo-small-v7.gml");
  if (!fs::exists(sample)) GTEST_SKIP() << "no shared samples";
  Session session("cut_file_import");
  const std::string whole = ReadText(sample);
  const std::string cut = whole.substr(0, whole.size() * 3 / 5);
  WriteText(session.Dir() / "input" / "cut.gml", cut);

  const SessionRun run =
      session.Run(session.ImportLines() + "!save " + session.At("drawing.dxf") + "\n");
  ASSERT_EQ(run.status, 0) << run.output;
  // The file choice's question, then the one box of the reading.
  const std::vector<std::string> boxes = run.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u) << run.transcript;
  EXPECT_NE(boxes[1].find("\"" + session.At("input/cut.gml") + "\" ends early, at byte " +
                          std::to_string(cut.size()) +
                          ": the file is incomplete (its root element is not closed). Only the "
                          "features read up to there are kept."),
            std::string::npos)
      << boxes[1];
  EXPECT_TRUE(run.Has("Incomplete: 1 file(s) ended early; only what they held up to there was drawn."))
      << run.transcript;
  // The features before the cut were drawn.
  ASSERT_TRUE(fs::exists(session.At("drawing.dxf")));
  EXPECT_NE(ReadText(session.At("drawing.dxf")).find("1000000347738391"), std::string::npos);
}

}  // namespace
