#include <gtest/gtest.h>

#include "gml/ui/itn_settings_dialog.h"
#include "gml/ui/lookup_table_view.h"
#include "gml/ui/polygon_symbology_dialog.h"
#include "gml/ui/settings_view.h"
#include "host/system/fault.h"
#include "ui_fixture.h"

namespace {

using host::ui::kIdCancel;
using host::ui::kIdOk;

class SettingsViewTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CopyDefaultSupport();
    Load(record_);
  }
  void Load(OS_GML_ACAD_Definitions& r) const { LoadSupportRecord(r); }
  OS_GML_ACAD_Definitions record_;
};

TEST_F(SettingsViewTest, EveryControlIsSavedOnOkAndComesBack) {
  record_.includeZarnsHaStuff = 1;
  Click(kIdLayersByCode);
  Click(kIdForceText);
  Set(kIdForcedTextLayer, L"OS Text");
  Click(kIdPointsAsFixedBlock);
  Set(kIdFixedBlock, L"Marker");
  Select(kIdNominalScale, {4});
  Set(kIdManualScale, L"2000");
  Click(kIdMarkTermSymbol);
  Click(kIdMarkTermPoint);
  Click(kIdHatches);
  Click(kIdPolylines);
  Click(kIdAttributionFull);
  Click(kIdWriteCsv);  // off
  Click(kIdWriteSdf);  // on: shown with the HA key
  Set(kIdSdfPrefix, L"Site7_");
  Click(kIdBatch);
  Click(kIdZoomToData);
  Click(kIdGridLines);
  Click(kIdItnSettings);
  Set(kIdPrefix, L"RN_");
  Click(kIdOk);
  Click(kIdPlantSymbols);  // off
  Click(kIdOk);
  EXPECT_EQ(EditImportSettings(record_, false, false), kIdOk);
  EXPECT_TRUE(host::ui::MessageBoxes().empty());

  OS_GML_ACAD_Definitions r;
  Load(r);
  EXPECT_EQ(r.layersDefinedBy, 0);
  EXPECT_EQ(r.useCodeLookupTable, 0);
  EXPECT_EQ(r.forceTextToFixedLayer, 1);
  EXPECT_EQ(r.forcedTextLayer, L"OS Text");
  EXPECT_EQ(r.pointsAndSymbolsAs, 1);
  EXPECT_EQ(r.fixedBlockName, L"Marker");
  EXPECT_EQ(r.scalingFactorChoice, 4);
  EXPECT_EQ(r.manualScalingFactor, 2000);
  EXPECT_EQ(r.markTermBesideSymbol, 0);
  EXPECT_EQ(r.markTermBesidePoint, 0);
  EXPECT_EQ(r.drawPolygonsAsHatches, 0);
  EXPECT_EQ(r.drawPolygonsAsPolylines, 0);
  EXPECT_EQ(r.plantBlocksInPolygons, 0);
  EXPECT_EQ(r.attributesToXdata, 2);
  EXPECT_EQ(r.attributesToOdata, 2);  // ticked in the file, shown disabled
  EXPECT_EQ(r.attributesToCsv, 0);
  EXPECT_EQ(r.attributesToSdf, 1);
  EXPECT_EQ(r.sdfFileId, L"Site7_");
  EXPECT_EQ(r.zoomToData, 0);
  EXPECT_EQ(r.drawOsGridLines, 1);
  EXPECT_EQ(r.itnLayerPrefix, L"RN_");
  EXPECT_EQ(record_.batchSwitch, 1);  // the record only
  EXPECT_EQ(r.batchSwitch, 0);
}

TEST_F(SettingsViewTest, CancelKeepsTheFileAndTheKeysButNotTheSubDialogsChanges) {
  const std::string before = Read("support/lwh_gml.ini");
  ACAD_SettingsView view;
  view.settings = &record_;
  Click(kIdLayersByCode);
  Click(kIdAttributionFull);
  Click(kIdItnSettings);
  Set(kIdRoadColour, L"12");
  Click(kIdOk);
  Push("esc");
  EXPECT_EQ(view.DoModal(), kIdCancel);
  EXPECT_EQ(Read("support/lwh_gml.ini"), before);
  EXPECT_EQ(record_.layersDefinedBy, 1);
  EXPECT_EQ(record_.attributesToXdata, 1);
  EXPECT_EQ(record_.roadFixedLayerColour, 12);  // the ITN dialog's OK stored it
}

TEST_F(SettingsViewTest, ManualScaleIsTakenOnlyWhileManualIsChosen) {
  record_.manualScalingFactor = 750;
  ACAD_SettingsView view;
  view.settings = &record_;
  Select(kIdNominalScale, {2});  // a preset: "n/a", the stored value kept
  Select(kIdNominalScale, {4});  // back to manual: the stored value shows
  Set(kIdManualScale, L"0");
  Click(kIdOk);  // refused
  Set(kIdManualScale, L"1500");
  Click(kIdPointsAsPoints);  // scale list and value disabled, still stored
  Click(kIdOk);
  EXPECT_EQ(view.DoModal(), kIdOk);
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Please enter an integer between 1 and 5000000."});
  EXPECT_FALSE(view.Item(kIdNominalScale).IsEnabled());
  EXPECT_FALSE(view.Item(kIdManualScale).IsEnabled());
  EXPECT_EQ(record_.scalingFactorChoice, 4);
  EXPECT_EQ(record_.manualScalingFactor, 1500);

  ACAD_SettingsView preset;
  preset.settings = &record_;
  Click(kIdPointsByTable);
  Select(kIdNominalScale, {0});
  Click(kIdOk);
  EXPECT_EQ(preset.DoModal(), kIdOk);
  EXPECT_EQ(preset.ItemText(kIdManualScale), L"n/a");
  OS_GML_ACAD_Definitions r;
  Load(r);
  EXPECT_EQ(r.scalingFactorChoice, 0);
  EXPECT_EQ(r.manualScalingFactor, 1500);
}

TEST_F(SettingsViewTest, NoAttributionsWritesNoneForObjectDataAndCsv) {
  record_.attributesToXdata = 0;
  record_.blockScalingFactor = 0.001;  // out of range: reset, never blocks OK
  ACAD_SettingsView view;
  view.settings = &record_;
  view.objectDataSwitch = true;
  Click(kIdOk);
  EXPECT_EQ(view.DoModal(), kIdOk);
  EXPECT_EQ(view.IsDlgButtonChecked(kIdAttributionToids) + view.IsDlgButtonChecked(kIdAttributionFull), 0);
  EXPECT_EQ(view.IsDlgButtonChecked(kIdObjectData), 1);
  EXPECT_EQ(view.IsDlgButtonChecked(kIdWriteCsv), 1);
  EXPECT_TRUE(view.Item(kIdObjectData).IsEnabled());
  EXPECT_EQ(record_.attributesToXdata, 0);
  EXPECT_EQ(record_.attributesToOdata, 0);
  EXPECT_EQ(record_.attributesToCsv, 0);
  EXPECT_EQ(record_.blockScalingFactor, 1.0);
}

TEST_F(SettingsViewTest, DepartedFeatureControlsBelongToUpdateMode) {
  record_.departedFeaturesLayer = L"old|layer";  // hidden: passes through
  ACAD_SettingsView normal;
  normal.settings = &record_;
  Click(kIdOk);
  EXPECT_EQ(normal.DoModal(), kIdOk);
  EXPECT_FALSE(normal.Item(kIdSaveDeparted).IsVisible());
  EXPECT_FALSE(normal.Item(kIdDepartedLayer).IsVisible());
  EXPECT_TRUE(normal.Item(kIdBatch).IsVisible());
  EXPECT_FALSE(normal.Item(kIdWriteSdf).IsVisible());
  EXPECT_EQ(record_.departedFeaturesLayer, L"old|layer");
  EXPECT_EQ(record_.saveDepartedFeatures, 1);

  ACAD_SettingsView update;
  update.settings = &record_;
  update.updateMode = true;
  Click(kIdOk);  // the layer is shown now and refused
  Set(kIdDepartedLayer, L"Gone");
  Click(kIdSaveDeparted);  // off: the layer field is disabled, kept
  Click(kIdOk);
  EXPECT_EQ(update.DoModal(), kIdOk);
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Layer name can't have following characters: <>/\\\":;?*|,=`"});
  EXPECT_FALSE(update.Item(kIdBatch).IsVisible());
  EXPECT_FALSE(update.Item(kIdDepartedLayer).IsEnabled());
  EXPECT_EQ(record_.saveDepartedFeatures, 0);
  EXPECT_EQ(record_.departedFeaturesLayer, L"Gone");
}

TEST_F(SettingsViewTest, TableEditorClosedWithEscStillWritesItsTable) {
  const std::string before = Read("support/lwh_gml_codelookup.ovc");
  ACAD_SettingsView view;
  view.settings = &record_;
  Click(kIdLayerTable);
  Push("dlg_select", {L"246", L"0"});
  Click(kIdDeletePairs);
  Push("answer", {L"ok"});
  Push("esc");  // the table editor
  Push("esc");  // the settings dialog
  EXPECT_EQ(view.DoModal(), kIdCancel);
  const std::string after = Read("support/lwh_gml_codelookup.ovc");
  EXPECT_NE(after, before);
  EXPECT_EQ(after.find("[OS Code:] 10016 "), std::string::npos);
  EXPECT_LT(after.size(), before.size());

  // Layers by feature code: the table button is disabled.
  Click(kIdLayersByCode);
  Click(kIdLayerTable);
  Push("esc");
  view.DoModal();
  EXPECT_FALSE(view.Item(kIdLayerTable).IsEnabled());
  EXPECT_TRUE(host::Shown().Contains("script", L"dlg_click 215: the control is disabled"));
}

TEST_F(SettingsViewTest, SymbologyButtonFollowsItsSwitchAndOpensTheDialog) {
  ACAD_SettingsView view;
  view.settings = &record_;
  Click(kIdSymbologySettings);
  Click(kIdDeleteSet);
  Click(kIdOk);
  Click(kIdPlantSymbols);
  Push("esc");
  const std::int32_t sets = record_.symbologySets.count;
  view.DoModal();
  EXPECT_EQ(record_.symbologySets.count, sets - 1);
  EXPECT_FALSE(view.Item(kIdSymbologySettings).IsEnabled());
  const std::wstring text = view.Render();
  EXPECT_NE(text.find(L"Dialog \"AutoCAD Input and Layer settings\""), std::wstring::npos);
  EXPECT_NE(text.find(L"[216] check \"Force Text to a fixed  Layer:\" [ ]"), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"[317] combo 5 rows, shows \"1250\""), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"2 \"Use \"fixed block\" below\""), std::wstring::npos) << text;
}

TEST_F(SettingsViewTest, AFailedSaveIsReportedAndLeavesTheSettingsFileWhole) {
  const std::string before = Read("support/lwh_gml.ini");
  ACAD_SettingsView view;
  view.settings = &record_;
  Click(kIdGridLines);
  Click(kIdOk);
  EXPECT_EQ(DoModalWhileSavesFail(view, 5), kIdOk);
  EXPECT_EQ(Read("support/lwh_gml.ini"), before);
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(BoxTexts()[0], L"Could not save the settings to '" + Support() + L"lwh_gml.ini'.");
  EXPECT_EQ(record_.drawOsGridLines, 1);
}

}  // namespace

namespace {

TEST_F(SettingsViewTest, BadValuesKeepTheDialogOpenWithTheirMessages) {
  struct Case {
    std::vector<int> clicks;
    int id;
    std::wstring text;
    std::wstring message;
  };
  const Case cases[] = {
      {{}, kIdCsvPrefix, L"", L"File prefix can't be empty."},
      {{}, kIdCsvPrefix, L"out/put_", L"File prefix can't have following characters: <>:\"/\\|?*"},
      {{kIdForceText}, kIdForcedTextLayer, L"Text;1", L"Layer name can't have following characters: <>/\\\":;?*|,=`"},
      {{kIdPointsAsFixedBlock}, kIdFixedBlock, L"", L"Block name can't be empty."},
      {{}, kIdManualScale, L"abc", L""},  // "n/a" is not taken: no message
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    host::ui::ClearMessageBoxes();
    const std::string before = Read("support/lwh_gml.ini");
    ACAD_SettingsView view;
    view.settings = &record_;
    for (int id : c.clicks) Click(id);
    Set(c.id, c.text);
    Click(kIdOk);
    Push("esc");
    const int code = view.DoModal();
    if (c.message.empty()) {
      EXPECT_EQ(code, kIdOk);
      EXPECT_TRUE(host::ui::MessageBoxes().empty());
    } else {
      EXPECT_EQ(code, kIdCancel);
      EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{c.message});
      EXPECT_EQ(view.FocusId(), c.id);
      EXPECT_EQ(Read("support/lwh_gml.ini"), before);
    }
    host::Actions().Clear();
  }
  EXPECT_EQ(record_.manualScalingFactor, 500);
}

TEST_F(SettingsViewTest, ADamagedSettingsFileOpensOnDefaultsAndIsWrittenWhole) {
  std::string damaged(3000, '\0');
  for (std::size_t i = 0; i < damaged.size(); ++i) damaged[i] = static_cast<char>((i * 37 + 11) % 256);
  Write("support/lwh_gml.ini", "[Set scaling factor:] 9\n[Attributions to xdata:] 7\n" + damaged);
  OS_GML_ACAD_Definitions r;
  Load(r);
  ACAD_SettingsView view;
  view.settings = &r;
  Click(kIdOk);
  EXPECT_EQ(view.DoModal(), kIdOk);
  EXPECT_EQ(view.Item(kIdNominalScale).GetCurSel(), 1);  // out of range: the default
  EXPECT_EQ(view.IsDlgButtonChecked(kIdAttributionToids), 1);
  OS_GML_ACAD_Definitions again;
  Load(again);
  EXPECT_EQ(again.scalingFactorChoice, 1);
  EXPECT_EQ(again.attributesToXdata, 1);
  EXPECT_NE(Read("support/lwh_gml.ini").find("[Set scaling factor:] 1\n"), std::string::npos);
}

}  // namespace
