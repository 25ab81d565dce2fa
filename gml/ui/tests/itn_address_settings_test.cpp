#include <gtest/gtest.h>

#include "gml/ui/address_settings_dialog.h"
#include "gml/ui/itn_settings_dialog.h"
#include "ui_fixture.h"

namespace {

using host::ui::kIdCancel;
using host::ui::kIdOk;

class ItnAddressSettingsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CopyDefaultSupport();
    ASSERT_TRUE(record_.LoadSettings(Support() + L"lwh_gml.ini", true));
  }
  std::unique_ptr<OS_GML_ACAD_Definitions> Reload() const {
    auto again = std::make_unique<OS_GML_ACAD_Definitions>();
    EXPECT_TRUE(again->LoadSettings(Support() + L"lwh_gml.ini", true));
    return again;
  }
  OS_GML_ACAD_Definitions record_;
};

TEST_F(ItnAddressSettingsTest, EveryItnControlReachesTheSettingsFileAndComesBack) {
  CITNSettingsDialog dlg;
  dlg.FromRecord(record_);
  Click(kIdRoadByName);
  Click(kIdRoadFixed);
  Set(kIdRoadLayer, L"OS Roads");
  Set(kIdRoadColour, L"3");
  Click(kIdRoadOn);
  Click(kIdRoadFrozen);
  Click(kIdRoadLocked);
  Select(kIdLinkValue, {1});
  Click(kIdLinkFixed);  // the value list keeps its selection, disabled
  Set(kIdLinkLayer, L"OS Links");
  Set(kIdLinkColour, L"255");
  Click(kIdLinkFrozen);
  Click(kIdNodeBlock);
  Set(kIdNodeBlockName, L"NodeMark");
  Set(kIdNodeLayer, L"OS Nodes");
  Set(kIdNodeColour, L"1");
  Click(kIdNodeLocked);
  Set(kIdPrefix, L"RN_");
  Click(kIdUsePrefix);  // off: the prefix stays and is stored
  Click(kIdOk);
  ASSERT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_FALSE(dlg.Item(kIdLinkValue).IsEnabled());
  EXPECT_FALSE(dlg.Item(kIdPrefix).IsEnabled());
  EXPECT_EQ(dlg.Item(kIdLinkValue).GetCurSel(), 1);
  dlg.ToRecord(record_);
  ASSERT_TRUE(record_.SaveSettings());

  const auto r = Reload();
  EXPECT_EQ(r->roadLayerWay, 1);
  EXPECT_EQ(r->roadFixedLayer, L"OS Roads");
  EXPECT_EQ(r->roadFixedLayerColour, 3);
  EXPECT_EQ(r->roadLayerOn, 0);
  EXPECT_EQ(r->roadLayerFrozen, 1);
  EXPECT_EQ(r->roadLayerLocked, 1);
  EXPECT_EQ(r->roadLinkLayerWay, 1);
  EXPECT_EQ(r->roadLinkLayerValue, 1);
  EXPECT_EQ(r->roadLinkFixedLayer, L"OS Links");
  EXPECT_EQ(r->roadLinkFixedLayerColour, 255);
  EXPECT_EQ(r->roadLinkLayerFrozen, 1);
  EXPECT_EQ(r->roadNodeMarkingWay, 1);
  EXPECT_EQ(r->roadNodeBlock, L"NodeMark");
  EXPECT_EQ(r->roadNodeLayer, L"OS Nodes");
  EXPECT_EQ(r->roadNodeLayerColour, 1);
  EXPECT_EQ(r->roadNodeLayerLocked, 1);
  EXPECT_EQ(r->useItnLayerPrefix, 0);
  EXPECT_EQ(r->itnLayerPrefix, L"RN_");

  const std::wstring text = dlg.Render();
  EXPECT_NE(text.find(L"Dialog \"ITN Input and Layer Settings\""), std::wstring::npos);
  EXPECT_NE(text.find(L"[347] radio \"Fixed Layer name\" [x]"), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"[360] edit \"RN_\" (disabled)"), std::wstring::npos) << text;
}

// An empty prefix is a choice the dialog takes: the next session reads it
// back empty, not as the default.
TEST_F(ItnAddressSettingsTest, AnEmptyPrefixComesBackEmpty) {
  CITNSettingsDialog dlg;
  dlg.FromRecord(record_);
  ASSERT_EQ(record_.useItnLayerPrefix, 1);
  Set(kIdPrefix, L"");
  Click(kIdOk);
  ASSERT_EQ(dlg.DoModal(), kIdOk);
  dlg.ToRecord(record_);
  ASSERT_TRUE(record_.SaveSettings());
  const auto r = Reload();
  EXPECT_EQ(r->useItnLayerPrefix, 1);
  EXPECT_EQ(r->itnLayerPrefix, L"");
}

TEST_F(ItnAddressSettingsTest, ItnRefusesBadColoursAndNamesAndKeepsTheDialogOpen) {
  struct Case {
    int id;
    std::wstring text;
    std::wstring message;
  };
  const Case cases[] = {
      {kIdRoadColour, L"0", L"Please enter an integer between 1 and 255."},
      {kIdLinkColour, L"256", L"Please enter an integer between 1 and 255."},
      {kIdNodeColour, L"-3", L"Please enter an integer between 1 and 255."},
      {kIdNodeLayer, L"", L"Layer name can't be empty."},
      {kIdNodeLayer, L"Nodes|old", L"Layer name can't have following characters: <>/\\\":;?*|,=`"},
      {kIdRoadLayer, std::wstring(256, L'r'), L"Please enter no more than 255 characters."},
      {kIdPrefix, L"a:b", L"Layer name can't have following characters: <>/\\\":;?*|,=`"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    host::ui::ClearMessageBoxes();
    CITNSettingsDialog dlg;
    dlg.FromRecord(record_);
    Set(c.id, c.text);
    Click(kIdOk);
    Push("esc");
    EXPECT_EQ(dlg.DoModal(), kIdCancel);
    EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{c.message});
    EXPECT_EQ(dlg.FocusId(), c.id);
  }
  // A name the user cannot change (disabled) never blocks OK.
  record_.roadFixedLayer = L"bad|name";
  record_.roadLayerWay = 0;
  CITNSettingsDialog dlg;
  dlg.FromRecord(record_);
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_EQ(dlg.roadLayer, L"bad|name");
}

TEST_F(ItnAddressSettingsTest, AddressControlsReachTheFileAndCancelChangesNothing) {
  record_.addressBlock = L"AddrPt";
  CAddressPointSettings cancelled;
  cancelled.FromRecord(record_);
  Click(kIdAddressBlock);
  Set(kIdAddressLayer, L"Changed");
  Push("esc");
  EXPECT_EQ(cancelled.DoModal(), kIdCancel);
  const std::string before = Read("support/lwh_gml.ini");

  CAddressPointSettings dlg;
  dlg.FromRecord(record_);
  EXPECT_EQ(dlg.markingWay, 0);
  Set(kIdAddressLayer, L"Addresses 2024");
  Set(kIdAddressColour, L"42");
  Click(kIdAddressOn);
  Click(kIdAddressFrozen);
  Click(kIdAddressLocked);
  Click(kIdReadPostal);
  Click(kIdReadBs7666);
  Click(kIdReadAuthority);
  Click(kIdReadStatus);
  Click(kIdOk);
  ASSERT_EQ(dlg.DoModal(), kIdOk);
  EXPECT_FALSE(dlg.Item(kIdAddressBlockName).IsEnabled());
  dlg.ToRecord(record_);
  ASSERT_TRUE(record_.SaveSettings());
  EXPECT_NE(Read("support/lwh_gml.ini"), before);
  const auto r = Reload();
  EXPECT_EQ(r->addressMarkingWay, 0);
  EXPECT_EQ(r->addressBlock, L"AddrPt");  // disabled, stored unchanged
  EXPECT_EQ(r->addressLayer, L"Addresses 2024");
  EXPECT_EQ(r->addressLayerColour, 42);
  EXPECT_EQ(r->addressLayerOn, 0);
  EXPECT_EQ(r->addressLayerFrozen, 1);
  EXPECT_EQ(r->addressLayerLocked, 1);
  EXPECT_EQ(r->readPostalAddress + r->readBs7666 + r->readAddressAuthority + r->readAddressStatus, 0);

  CAddressPointSettings block;
  block.FromRecord(*r);
  Click(kIdAddressBlock);
  Set(kIdAddressBlockName, L"");
  Click(kIdOk);
  Set(kIdAddressBlockName, L"Addr Block");
  Click(kIdOk);
  ASSERT_EQ(block.DoModal(), kIdOk);
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Block name can't be empty."});
  EXPECT_EQ(block.markingWay, 1);
  EXPECT_EQ(block.block, L"Addr Block");
}

}  // namespace
