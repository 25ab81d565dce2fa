// lwhgmllr and lwhgmlra in cadhost on real imports: with the settings as
// shipped the entities hold their TOID only, and the two commands say so and
// name the setting that imports more; with every attribute imported they
// find what is drawn and say where.
#include <gtest/gtest.h>

#include <string>

#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

// The first message box whose text starts with `start`; empty when none.
std::string BoxStarting(const SessionRun& run, const std::string& start) {
  for (const std::string& box : run.MessageBoxes())
    if (box.rfind("[cadhost] " + start, 0) == 0) return box.substr(10);
  return "";
}

TEST(InspectionCommands, SayWhatTheImportLeftOutAndWhatTheyFound) {
  if (!fs::exists(SharedSample("topo-small-v7.gml"))) GTEST_SKIP() << "no shared samples";
  const std::string script =
      // A road's name typed in lower case, matched by the dialog's "Partial
      // match OK" box, ticked unless the user cleared it.
      "lwhgmllr\n!dlg_set 406 \"bonhay road\"\n!dlg_click 1\nall\nno\n"
      "lwhgmlra\nall\n";
  const std::string setting = " are imported with \"Full attributions\" (lwhgmlin, Options...).";
  {
    SCOPED_TRACE("default settings");
    const Session session("inspect_default");
    session.AddInput(SharedSample("topo-small-v7.gml"));
    session.AddInput(SharedSample("itn-v7-exeter-ossample.gml"));
    const SessionRun run = session.Run(session.ImportLines() + script);
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string road = BoxStarting(run, "Road name bonhay road was not found");
    EXPECT_NE(road.find("\\n"), std::string::npos) << road;
    EXPECT_NE(road.find(" roads selected hold their TOID only: road names" + setting), std::string::npos) << road;
    const std::string area = BoxStarting(run, "No area info found");
    EXPECT_NE(area.find(" areas selected hold their TOID only: area values" + setting), std::string::npos) << area;
  }
  {
    SCOPED_TRACE("full attributions");
    const Session session("inspect_full");
    session.SetSetting("[Attributions to xdata:]", "2");
    session.AddInput(SharedSample("topo-small-v7.gml"));
    session.AddInput(SharedSample("itn-v7-exeter-ossample.gml"));
    const SessionRun run = session.Run(session.ImportLines() + script);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(BoxStarting(run, "Road name"), "") << run.transcript;
    EXPECT_TRUE(run.Has("Found entity ")) << run.output;
    EXPECT_TRUE(run.Has(", BONHAY ROAD) at ")) << run.output;
    EXPECT_TRUE(run.Has("the view is centred there, 50 m across.")) << run.output;
    const std::string area = BoxStarting(run, "Area = ");
    EXPECT_NE(area, "") << run.transcript;
    EXPECT_EQ(area.find("TOID only"), std::string::npos) << area;
  }
}

}  // namespace
