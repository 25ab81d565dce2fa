// The parameter stage and its dialogs, and the handlers around the runs.
#include "common/containers/text.h"
#include "host/editor/system_variables.h"
#include "join/corvex_functions.h"
#include "join/join_parameter_stage.h"
#include "join/tests/join_fixture.h"

namespace join_test {
namespace {

using common_test::ReadFile;
using common_test::WriteFile;
using host::dcl::CallbackPacket;

class ParameterStage : public JoinTest {
 protected:
  void SetUp() override {
    JoinTest::SetUp();
    // The dialog is asked for, and directions are not.
    WriteFile(SupportFile("orvan.ini"),
              "*CVXN Corvex parameters start\n**CVXN Verify directions: 0 = no, 1 = yes\n0\n"
              "*CVXN Corvex parameters end\n");
  }
  static void Set(const std::wstring& key, const std::wstring& value) {
    host::Actions().Push("dlg_set", {key, value});
  }
  static void Click(const std::wstring& key) { host::Actions().Push("dlg_click", {key}); }
  std::string Ini() const { return ReadFile(SupportFile("orvan.ini")); }

  // A dialog made from the file without running it.
  host::dcl::DialogHandle Open(const wchar_t* file) {
    const int id = host::dcl::LoadDialog(file);
    EXPECT_GE(id, 0);
    const std::optional<host::dcl::DialogHandle> h = host::dcl::NewDialog(L"corvex", id);
    EXPECT_TRUE(h.has_value());
    return h.value_or(host::dcl::DialogHandle{});
  }
  static const host::dcl::TileState& Tile(host::dcl::DialogHandle h, const wchar_t* key) {
    return *host::dcl::InspectDialog(h)->Find(key);
  }
};

TEST_F(ParameterStage, BothDialogFilesHoldEveryTileTheirCodeSets) {
  const wchar_t* common[] = {L"hz_tolerance", L"vt_tolerance", L"allow_3d_polylines",
                             L"verify_directions", L"arc_divide_factor", L"layer_name",
                             L"layer_name_txt", L"layer_code_txt", L"layer_color", L"color_image",
                             L"layer_type", L"layer_type_by_1st", L"layer_type_fixed",
                             L"cancel_joining", L"start_joining", L"joining_help"};
  const wchar_t* only2[] = {L"accept_other_layers", L"always_break_arcs", L"convert_3d_to_2d",
                            L"new_2d_level"};
  const host::dcl::DialogHandle one = Open(L"corvex.dcl");
  const host::dcl::DialogHandle two = Open(L"corvex2.dcl");
  for (const wchar_t* key : common) {
    SCOPED_TRACE(std::wstring(key));
    EXPECT_NE(host::dcl::InspectDialog(one)->Find(key), nullptr);
    EXPECT_NE(host::dcl::InspectDialog(two)->Find(key), nullptr);
  }
  for (const wchar_t* key : only2) {
    SCOPED_TRACE(std::wstring(key));
    EXPECT_EQ(host::dcl::InspectDialog(one)->Find(key), nullptr);
    EXPECT_NE(host::dcl::InspectDialog(two)->Find(key), nullptr);
  }
  // Setting corvex2's own tiles in corvex.dcl does nothing harmful.
  InitCorvexDialog(one);
  DrawColorImage(one);
  ASSERT_EQ(Tile(one, L"color_image").image.size(), 3u);
  EXPECT_EQ(Tile(one, L"color_image").image[0].colour, 8);
  EXPECT_TRUE(Tile(one, L"color_image").image[2].fill);
  EXPECT_EQ(Tile(one, L"color_image").image[2].colour, 7);
}

TEST_F(ParameterStage, LayerTypeAndConversionSwitchWhatCanBeEdited) {
  SetDefaultCorvexParameters(CorvexParameters());
  const host::dcl::DialogHandle h = Open(L"corvex2.dcl");
  InitCorvexDialog(h);
  EXPECT_EQ(Tile(h, L"layer_type").value, L"layer_type_by_1st");
  EXPECT_FALSE(Tile(h, L"layer_name").enabled);
  EXPECT_FALSE(Tile(h, L"layer_name_txt").enabled);
  EXPECT_TRUE(Tile(h, L"accept_other_layers").enabled);
  EXPECT_EQ(Tile(h, L"new_2d_level").value, L"n/a");
  EXPECT_FALSE(Tile(h, L"new_2d_level").enabled);

  OnLayerType(CallbackPacket{h, L"layer_type", L"layer_type_fixed", 1});
  EXPECT_EQ(CorvexParameters().automaticLayers, 0);
  EXPECT_TRUE(Tile(h, L"layer_name").enabled);
  EXPECT_TRUE(Tile(h, L"layer_name_txt").enabled);
  EXPECT_FALSE(Tile(h, L"accept_other_layers").enabled);
  OnLayerType(CallbackPacket{h, L"layer_type", L"layer_type_by_1st", 1});
  EXPECT_FALSE(Tile(h, L"layer_name").enabled);

  OnConvert3dTo2d(CallbackPacket{h, L"convert_3d_to_2d", L"1", 1});
  EXPECT_EQ(Tile(h, L"new_2d_level").value, L"0.000");
  EXPECT_TRUE(Tile(h, L"new_2d_level").enabled);
  OnNew2dLevel(CallbackPacket{h, L"new_2d_level", L"12.34567", 2});
  EXPECT_EQ(Tile(h, L"new_2d_level").value, L"12.346");
  OnNew2dLevel(CallbackPacket{h, L"new_2d_level", L"high", 2});
  EXPECT_DOUBLE_EQ(CorvexParameters().newLevel2d, 12.34567);
  // Reasons other than Enter and leaving the box are not acted on.
  OnNew2dLevel(CallbackPacket{h, L"new_2d_level", L"3", 4});
  EXPECT_DOUBLE_EQ(CorvexParameters().newLevel2d, 12.34567);
}

TEST_F(ParameterStage, EntriesOutOfRangeOrUnreadableKeepTheStoredValue) {
  const host::dcl::DialogHandle h = Open(L"corvex2.dcl");
  struct Case {
    const wchar_t* tile;
    const wchar_t* value;
    const wchar_t* shown;
  } cases[] = {
      {L"arc_divide_factor", L"0", L"32"},    {L"arc_divide_factor", L"300", L"32"},
      {L"arc_divide_factor", L"256", L"256"}, {L"arc_divide_factor", L"1", L"1"},
      {L"hz_tolerance", L"abc", L"0.0010"},   {L"hz_tolerance", L"-1", L"0.0010"},
      {L"hz_tolerance", L"0.25", L"0.2500"},  {L"vt_tolerance", L"", L"0.0010"},
  };
  SetDefaultCorvexParameters(CorvexParameters());
  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(c.tile) + L" " + c.value);
    const CallbackPacket packet{h, c.tile, c.value, 2};
    if (std::wstring(c.tile) == L"arc_divide_factor")
      OnArcDivideFactor(packet);
    else if (std::wstring(c.tile) == L"hz_tolerance")
      OnHzTolerance(packet);
    else
      OnVtTolerance(packet);
    EXPECT_EQ(Tile(h, c.tile).value, c.shown);
  }
}

TEST_F(ParameterStage, StartSavesTheEditsAndGoesOn) {
  Set(L"arc_divide_factor", L"64");
  Click(L"always_break_arcs");
  Click(L"start_joining");
  EXPECT_EQ(GetCorvex2Parameters(), 1);
  EXPECT_EQ(CorvexParameters().arcDivideFactor, 64);
  EXPECT_NE(Ini().find("**CVXN Arc divide factor\n64\n"), std::string::npos);
  EXPECT_NE(Ini().find("**CVXN Always break arcs: 0 = no, 1 = yes\n1\n"), std::string::npos);
  EXPECT_NE(Printed().find(L"Corvex Polylines"), std::wstring::npos);
}

TEST_F(ParameterStage, CancelStopsAndTheNextCallDropsTheEdits) {
  Set(L"arc_divide_factor", L"64");
  Click(L"cancel_joining");
  EXPECT_EQ(GetCorvexParameters(), 0);
  EXPECT_EQ(CorvexParameters().arcDivideFactor, 64);
  Click(L"start_joining");
  EXPECT_EQ(GetCorvexParameters(), 1);
  EXPECT_EQ(CorvexParameters().arcDivideFactor, 32);
}

TEST_F(ParameterStage, WithoutAskingThereIsNoDialog) {
  WriteFile(SupportFile("orvan.ini"),
            "*GEN general parameters start\n**GEN Application name\nSurvey Tools\n"
            "*GEN general parameters end\n*CVXN Corvex parameters start\n"
            "**CVXN Ask parameters: 0 = no, 1 = yes\n0\n*CVXN Corvex parameters end\n");
  EXPECT_EQ(GetCorvexParameters(), 1);
  EXPECT_TRUE(host::Shown().TextsOf("dialog").empty());
  EXPECT_NE(Printed().find(L"\nSurvey ToolsCorvex"), std::wstring::npos);
}

TEST_F(ParameterStage, HelpStartsTheViewerWithTheWholePathOrSaysItIsMissing) {
  Click(L"joining_help");
  Click(L"cancel_joining");
  EXPECT_EQ(GetCorvexParameters(), 0);
  ASSERT_EQ(host::Shown().TextsOf("alert").size(), 1u);
  EXPECT_EQ(host::Shown().TextsOf("alert")[0], L"Help file \"LWH Help.chm\" not found - check installation");

  WriteFile(SupportFile("LWH Help.chm"), "help");
  ShowCorvexHelp();
  const std::vector<std::wstring> started = host::Shown().TextsOf("process");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_NE(started[0].find(L"hh -mapid 1040600 \"" + Support()), std::wstring::npos);
  EXPECT_NE(started[0].find(L"LWH Help.chm\""), std::wstring::npos);
}

TEST_F(ParameterStage, AMissingFolderOrDialogFileStops) {
  // The default support folder holds the marker drawing the finder falls back
  // on, so only the scratch folder stays on the path here.
  const std::vector<std::wstring> path = host::SupportPath();
  host::SetSupportPath({Support()});
  host::SetEnvironmentOverride(L"VMRINI", Support() + L"/missing");
  EXPECT_EQ(GetCorvexParameters(), 0);
  host::SetSupportPath(path);
  ASSERT_EQ(host::Shown().TextsOf("alert").size(), 1u);
  EXPECT_EQ(host::Shown().TextsOf("alert")[0], kMissingSupportFolderText);

  host::SetEnvironmentOverride(L"VMRINI", Support());
  host::dcl::SetDclFileFinder([](const std::wstring&) { return std::optional<std::wstring>(); });
  EXPECT_EQ(GetCorvex2Parameters(), 0);
  EXPECT_NE(Printed().find(L"Error loading \"corvex2.dcl\"\n"), std::wstring::npos);
}

TEST_F(ParameterStage, TheHandlerMakesTheFixedLayerAndRestoresTheVariables) {
  WriteFile(SupportFile("orvan.ini"),
            "*CVXN Corvex parameters start\n**CVXN Ask parameters: 0 = no, 1 = yes\n0\n"
            "**CVXN Automatic layers: 0 = no, 1 = yes\n0\n**CVXN Layer name\nJoined\n"
            "**CVXN Layer color\n3\n**CVXN Verify directions: 0 = no, 1 = yes\n0\n"
            "*CVXN Corvex parameters end\n");
  const host::EntityName a = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName b = Line({10, 0, 0}, {20, 0, 0});
  Select({a, b});
  EXPECT_EQ(LarCorvex2(), 0);
  ASSERT_FALSE(db_.Layer(L"Joined").IsNull());
  EXPECT_EQ(Newest().layer, db_.Layer(L"Joined").handle);
  EXPECT_EQ(host::GetSystemVariable(L"CLAYER").Text(), L"0");
  EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 4133);
  EXPECT_EQ(host::GetSystemVariable(L"CMDECHO").Short(), 1);

  // A stop at the stage restores them too, and says the run was not done.
  host::Actions().Push("esc");
  WriteFile(SupportFile("orvan.ini"), "");
  EXPECT_EQ(LarCorvex(), 1);
  EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 4133);
}

}  // namespace
}  // namespace join_test
