#include <gtest/gtest.h>

#include "gml/ui/about_dialog.h"
#include "gml/ui/draw_extents_dialog.h"
#include "gml/ui/item_value_selection.h"
#include "gml/ui/layer_selection.h"
#include "gml/ui/locate_dialogs.h"
#include "gml/ui/osgml_input_dialog.h"
#include "gml/ui/remove_duplicates_view.h"
#include "host/app/documents.h"
#include "ui_fixture.h"

namespace {

using host::ui::kIdCancel;
using host::ui::kIdOk;

class SmallDialogsTest : public UiTest {};

std::vector<std::wstring> Rows(host::ui::Dialog& d, int id) {
  std::vector<std::wstring> rows;
  for (int i = 0; i < d.Item(id).GetCount(); ++i) rows.push_back(d.Item(id).GetRowText(i));
  return rows;
}

// A catalogue with mixed case items, a repeated value, an item nobody
// allows, lines that are not items, a CRLF line and a last line without a
// line end.
constexpr char kCatalogue[] =
    "[Topographic Point:] osgb:TopographicPoint\n"
    "[osgb:theme:] Water\n"
    "[osgb:descriptiveTerm:] A Road\r\n"
    "[osgb:theme:] Buildings\n"
    "[osgb:Theme:] Water\n"
    "[osgb:colour:] Red\n"
    "[osgb:make:] \n"
    "[osgb:descriptiveTerm:] B Road";

TEST_F(SmallDialogsTest, ItemValueSelectionReadsTheCatalogueOfTheSupportPath) {
  Write("support/lwh_gml.dat", kCatalogue);
  CItemValueSelection dlg;
  for (const char* item : {"theme", "descriptiveTerm", "make"}) ASSERT_TRUE(dlg.AllowItem(item));
  Select(kIdItemList, {1});
  Select(kIdValueList, {1});
  Click(kIdNegate);
  Push("esc");
  EXPECT_EQ(dlg.DoModal(), kIdCancel);
  EXPECT_EQ(Rows(dlg, kIdItemList), (std::vector<std::wstring>{L"theme", L"descriptiveTerm"}));
  // Merged with case ignored, repeats kept; the CRLF line and the last line
  // keep every character of their values.
  EXPECT_EQ(Rows(dlg, kIdValueList), (std::vector<std::wstring>{L"A Road", L"B Road"}));
  EXPECT_EQ(dlg.ItemText(kIdConditionSummary), L"descriptiveTerm is not B Road");

  Select(kIdItemList, {0});  // a new item starts at its first value
  Select(kIdValueList, {2});
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_EQ(Rows(dlg, kIdValueList), (std::vector<std::wstring>{L"Water", L"Buildings", L"Water"}));
  EXPECT_EQ(dlg.itemText, "theme");
  EXPECT_EQ(dlg.valueText, "Water");
  EXPECT_EQ(dlg.negate, 1);
  EXPECT_EQ(dlg.ItemText(kIdConditionSummary), L"theme is not Water");
  EXPECT_TRUE(host::ui::MessageBoxes().empty());
}

TEST_F(SmallDialogsTest, ItemValueSelectionWithoutAllowedItemsListsEveryItemAndCutsLongTexts) {
  Write("support/lwh_gml.dat", "[osgb:" + std::string(200, 'i') + ":] " + std::string(300, 'v') +
                                   "\n[osgb:colour:] Red\n");
  CItemValueSelection dlg;
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_EQ(dlg.itemText, std::string(122, 'i'));
  EXPECT_EQ(dlg.valueText, std::string(125, 'v'));
  EXPECT_EQ(Rows(dlg, kIdItemList).size(), 2u);
}

TEST_F(SmallDialogsTest, ItemValueSelectionWithoutACatalogueOpensEmpty) {
  CItemValueSelection dlg;
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Unexpected error while reading lwh_gml.dat."});
  EXPECT_EQ(dlg.itemText, "");
  EXPECT_EQ(dlg.valueText, "");
  EXPECT_EQ(dlg.Item(kIdItemList).GetCount(), 0);
}

TEST_F(SmallDialogsTest, ItemValueSelectionOnTheDefaultCatalogue) {
  CopyDefaultSupport();
  CItemValueSelection dlg;
  ASSERT_TRUE(dlg.AllowItem("descriptiveTerm"));
  Push("dlg_set", {std::to_wstring(kIdValueList), L"A Road"});  // not a combo box: refused
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  const std::vector<std::wstring> values = Rows(dlg, kIdValueList);
  EXPECT_NE(std::find(values.begin(), values.end(), L"A Road"), values.end());
  EXPECT_EQ(Rows(dlg, kIdItemList), std::vector<std::wstring>{L"descriptiveTerm"});
  const std::wstring text = dlg.Render();
  EXPECT_NE(text.find(L"Dialog \"Item / Value selection\""), std::wstring::npos);
  EXPECT_NE(text.find(L"\"A Road\""), std::wstring::npos);
}

TEST_F(SmallDialogsTest, LayerSelectionHandsTheNineSwitchesOverInOrder) {
  CLayerSelection dlg;
  dlg.switches = {1, 1, 1, 1, 0, 1, 0, 0, 1};
  Click(201);  // lines off
  Click(205);  // address points on
  Click(208);  // road nodes off
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_EQ(dlg.switches, (std::array<int, 9>{1, 1, 0, 1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(dlg.WindowText(), L"Layers to import");

  CLayerSelection cancelled;
  Click(203);
  Push("esc");
  EXPECT_EQ(cancelled.DoModal(), kIdCancel);
  EXPECT_EQ(cancelled.switches, (std::array<int, 9>{1, 1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST_F(SmallDialogsTest, LocateDialogsHoldTheirLimits) {
  struct Case {
    bool toid;
    std::wstring size;
    bool accepted;
  };
  const Case cases[] = {
      {true, L"5", false},  {true, L"10", true},   {true, L"1000", true}, {true, L"1000.5", false},
      {false, L"5", true},  {false, L"0.5", false}, {false, L"9999999", true}, {false, L"abc", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(c.toid ? L"TOID " : L"road ") + c.size);
    host::ui::ClearMessageBoxes();
    std::unique_ptr<host::ui::Dialog> dlg;
    if (c.toid)
      dlg = std::make_unique<LocateTOIDsView>();
    else
      dlg = std::make_unique<CLocateRoadName>();
    Set(kIdZoomWindowSize, c.size);
    Click(kIdOk);
    Push("esc");
    EXPECT_EQ(dlg->DoModal(), c.accepted ? kIdOk : kIdCancel);
    EXPECT_EQ(host::ui::MessageBoxes().size(), c.accepted ? 0u : 1u);
    host::Actions().Clear();
  }
  EXPECT_EQ(BoxTexts().front(), L"Please enter a number.");
}

TEST_F(SmallDialogsTest, LocateToidTakesSixteenCharactersAndGivesBackWhatWasSet) {
  LocateTOIDsView dlg;
  dlg.toid = L"osgb1000000";
  dlg.windowSize = 120;
  Set(kIdToid, L"osgb10000000123456789");
  Click(kIdPartialMatch);
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_EQ(dlg.toid, L"osgb100000001234");
  EXPECT_EQ(dlg.partialMatch, 0);
  EXPECT_EQ(dlg.zoomWhenFound, 1);
  EXPECT_EQ(dlg.windowSize, 120.0);

  CLocateRoadName road;
  Set(kIdRoadName, L"St George's Road, the long one beside the river");
  Click(kIdZoomWhenFound);
  Click(kIdOk);
  EXPECT_EQ(road.DoModal(), kIdOk);
  EXPECT_EQ(road.roadName, L"St George's Road, the long one beside the river");
  EXPECT_EQ(road.zoomWhenFound, 0);
  EXPECT_EQ(road.WindowText(), L"LarMasterMap - Locate Road Name");
}

TEST_F(SmallDialogsTest, RemoveDuplicatesStepsEndWithTheirCodes) {
  RemoveDuplicatesView dlg;
  dlg.entityCount = 0;
  dlg.identicalCount = -1;
  dlg.layer = L"Duplicates";
  Click(kIdCount);  // nothing selected: stays open
  Click(kIdOk);
  Click(kIdSelectEntities);
  EXPECT_EQ(dlg.DoModal(), kRemoveSelect);
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Select entities first.", L"Select entities first."}));
  EXPECT_EQ(dlg.ItemText(kIdIdenticalCount), L"n/a");
  EXPECT_EQ(dlg.ItemText(kIdEntityCount), L"0");

  dlg.entityCount = 120;
  dlg.identicalCount = 7;
  Click(kIdActionMove);
  Set(kIdTargetLayer, L"Old TOIDs");
  Click(kIdCount);
  EXPECT_EQ(dlg.DoModal(), kRemoveCount);
  EXPECT_EQ(dlg.ItemText(kIdIdenticalCount), L"7");
  EXPECT_EQ(dlg.action, 1);
  EXPECT_EQ(dlg.layer, L"Old TOIDs");

  // A layer name that cannot be a layer keeps the dialog open; Cancel still
  // hands the action and the layer back.
  host::ui::ClearMessageBoxes();
  Set(kIdTargetLayer, L"a<b");
  Click(kIdOk);
  Click(kIdActionErase);
  Push("esc");
  EXPECT_EQ(dlg.DoModal(), kIdCancel);
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Layer name can't have following characters: <>/\\\":;?*|,=`"});
  EXPECT_EQ(dlg.action, 0);
  EXPECT_EQ(dlg.layer, L"a<b");

  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kRemoveRun);  // erasing needs no layer
  EXPECT_EQ(dlg.IsDlgButtonChecked(kIdActionErase), 1);
}

TEST_F(SmallDialogsTest, DrawExtentsChoicesExcludeEachOther) {
  CDrawMMExtents dlg;
  Click(kIdRectangularOutline);
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_EQ(dlg.actualOutline, 0);
  EXPECT_EQ(dlg.rectangularOutline, 1);
  Push("esc");
  dlg.DoModal();
  EXPECT_EQ(dlg.IsDlgButtonChecked(kIdRectangularOutline), 1);
  EXPECT_EQ(dlg.IsDlgButtonChecked(kIdActualOutline), 0);
  Click(kIdActualOutline);
  Click(kIdOk);
  dlg.DoModal();
  EXPECT_EQ(dlg.actualOutline, 1);
  EXPECT_EQ(dlg.rectangularOutline, 0);
}

TEST_F(SmallDialogsTest, AboutShowsTheNameLargerAndBold) {
  AboutDialogBox dlg;
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  const host::ui::LogFont base = dlg.GetFont();
  const host::ui::LogFont& name = dlg.Item(kIdProductName).Font();
  EXPECT_EQ(name.height, base.height + base.height / 2);
  EXPECT_EQ(name.weight, 700);
  EXPECT_EQ(dlg.ItemText(kIdProductName), L"Orvane");
  const std::wstring text = dlg.Render();
  EXPECT_NE(text.find(L"OS MasterMap data import into AutoCAD"), std::wstring::npos);
  EXPECT_NE(text.find(L"bitmap 217"), std::wstring::npos);
}

// The main dialog's picture shows its bitmap and opens the About box when
// clicked; the main dialog goes on after it.
TEST_F(SmallDialogsTest, TheMainDialogsPictureOpensTheAboutBox) {
  const std::filesystem::path sample =
      std::filesystem::path(VARNEL_SHARED_DIR) / "testdata" / "osmm" / "topo-small-v7.gml";
  if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no shared samples";
  CopyDefaultSupport();
  ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  {
    OSGMLInputDialog view;
    ASSERT_TRUE(view.AppendInputFile(sample.string().c_str()));
    Click(import_dialog::kPicture);
    Click(kIdOk);  // the About box's OK
    Click(kIdCancel);
    EXPECT_EQ(view.DoModal(), kIdCancel);
    EXPECT_TRUE(host::Actions().Empty());
    std::vector<std::wstring> dialogs;
    for (const auto& item : host::Shown().Items())
      if (item.kind == "dialog") dialogs.push_back(item.text);
    ASSERT_GE(dialogs.size(), 4u);
    EXPECT_EQ(dialogs[1], L"open \"About Orvane\" (100)");
    EXPECT_EQ(dialogs[2], L"end \"About Orvane\" -> 1");
    EXPECT_EQ(dialogs[3].rfind(L"end ", 0), 0u);
  }
  (void)host::CloseDrawing();
}

}  // namespace
