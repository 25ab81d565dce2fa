#include "gml/ui/settings_view.h"

#include <cmath>

#include "gml/ui/address_settings_dialog.h"
#include "gml/ui/itn_settings_dialog.h"
#include "gml/ui/lookup_table_view.h"
#include "gml/ui/name_validation.h"
#include "gml/ui/polygon_symbology_dialog.h"
#include "host/ui/data_exchange.h"
#include "host/ui/message_box.h"

namespace {

using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;

constexpr unsigned kCheck = st::kAuto;
constexpr unsigned kFirstRadio = st::kAuto | st::kGroup;

}  // namespace

host::ui::DialogTemplate SettingsViewTemplate() {
  host::ui::DialogTemplate t;
  t.id = kSettingsViewTemplate;
  t.caption = L"AutoCAD Input and Layer settings";
  t.rect = {0, 0, 430, 330};
  t.controls = {
      {0, ControlKind::kGroupBox, L"Topographical and cartographical features", 0, {7, 5, 205, 105}},
      {kIdLayersByCode, ControlKind::kRadioButton, L"OS Feature Code as layer name", kFirstRadio, {14, 16, 150, 10}},
      {kIdLayersByTable, ControlKind::kRadioButton, L"Layers by Feature Lookup Table", st::kAuto, {14, 28, 150, 10}},
      {kIdLayerTable, ControlKind::kButton, L"Feature / Layer Lookup Table...", st::kGroup, {24, 40, 120, 14}},
      {0, ControlKind::kStatic, L"If feature is not in Lookup Table:", 0, {14, 58, 120, 8}},
      {kIdLayerNotFound, ControlKind::kComboBox, L"", 0, {24, 68, 120, 60}},
      {kIdForceText, ControlKind::kCheckBox, L"Force Text to a fixed  Layer:", kCheck, {14, 84, 110, 10}},
      {kIdForcedTextLayer, ControlKind::kEdit, L"", 0, {24, 95, 120, 12}},
      {0, ControlKind::kGroupBox, L"Points and symbols", 0, {7, 114, 205, 130}},
      {kIdPointsByTable, ControlKind::kRadioButton, L"By Feature Lookup Table", kFirstRadio, {14, 125, 120, 10}},
      {kIdPointsAsFixedBlock, ControlKind::kRadioButton, L"All as fixed block name:", st::kAuto, {14, 137, 120, 10}},
      {kIdPointsAsPoints, ControlKind::kRadioButton, L"All as AutoCAD Point entities", st::kAuto, {14, 149, 120, 10}},
      {kIdBlockTable, ControlKind::kButton, L"Feature / Block Lookup Table...", st::kGroup, {24, 162, 120, 14}},
      {0, ControlKind::kStatic, L"Action if feature / block not found", 0, {14, 180, 130, 8}},
      {kIdBlockNotFound, ControlKind::kComboBox, L"", 0, {24, 190, 120, 60}},
      {kIdFixedBlock, ControlKind::kEdit, L"", 0, {24, 206, 120, 12}},
      {0, ControlKind::kStatic, L"Nominal scaling factor  1:", 0, {14, 226, 90, 8}},
      {kIdNominalScale, ControlKind::kComboBox, L"", 0, {106, 224, 50, 60}},
      {kIdManualScale, ControlKind::kEdit, L"", 0, {160, 224, 45, 12}},
      {kIdBlockScaling, ControlKind::kEdit, L"", st::kHidden, {160, 238, 45, 12}},
      {kIdMarkTermSymbol, ControlKind::kCheckBox, L"Mark Term (if any) beside Cartographical Symbol", kCheck,
       {7, 250, 205, 10}},
      {kIdMarkTermPoint, ControlKind::kCheckBox, L"Mark Term (if any) beside Topographical Point", kCheck,
       {7, 262, 205, 10}},
      {kIdItnSettings, ControlKind::kButton, L"ITN settings...", 0, {7, 280, 70, 14}},
      {kIdAddressSettings, ControlKind::kButton, L"Address settings...", 0, {80, 280, 70, 14}},
      {0, ControlKind::kGroupBox, L"Polygons", 0, {218, 5, 205, 62}},
      {kIdHatches, ControlKind::kCheckBox, L"Draw Polygons as solid Hatches", kCheck, {225, 16, 150, 10}},
      {kIdPolylines, ControlKind::kCheckBox, L"Draw Polygons as Polylines", kCheck, {225, 28, 150, 10}},
      {kIdPlantSymbols, ControlKind::kCheckBox, L"Apply Polygon Symbology", kCheck, {225, 40, 110, 10}},
      {kIdSymbologySettings, ControlKind::kButton, L"Symbology settings...", 0, {340, 38, 78, 14}},
      {0, ControlKind::kGroupBox, L"Attributions", 0, {218, 70, 205, 120}},
      {kIdAttributionNone, ControlKind::kRadioButton, L"None", kFirstRadio | st::kHidden, {225, 80, 80, 10}},
      {kIdAttributionToids, ControlKind::kRadioButton, L"TOIDs only attributions", st::kAuto, {225, 82, 120, 10}},
      {kIdAttributionFull, ControlKind::kRadioButton, L"Full attributions", st::kAuto, {225, 94, 120, 10}},
      {kIdObjectData, ControlKind::kCheckBox, L"Create Object Data (Map only)", kCheck | st::kGroup,
       {225, 108, 150, 10}},
      {kIdWriteCsv, ControlKind::kCheckBox, L"Write CSV files", kCheck, {225, 122, 100, 10}},
      {kIdCsvPrefixLabel, ControlKind::kStatic, L"CSV File prefix:", 0, {235, 136, 60, 8}},
      {kIdCsvPrefix, ControlKind::kEdit, L"", 0, {300, 134, 80, 12}},
      {kIdWriteSdf, ControlKind::kCheckBox, L"Write SDF files", kCheck, {225, 150, 100, 10}},
      {kIdSdfPrefixLabel, ControlKind::kStatic, L"SDF File prefix:", 0, {235, 164, 60, 8}},
      {kIdSdfPrefix, ControlKind::kEdit, L"", 0, {300, 162, 80, 12}},
      {kIdBatch, ControlKind::kCheckBox, L"Batch process locations", kCheck, {225, 196, 120, 10}},
      {kIdZoomToData, ControlKind::kCheckBox, L"Zoom to the data area", kCheck, {225, 208, 120, 10}},
      {kIdGridLines, ControlKind::kCheckBox, L"Draw OS Grid lines", kCheck, {225, 220, 120, 10}},
      {kIdSaveDeparted, ControlKind::kCheckBox, L"Save departed features", kCheck, {225, 234, 120, 10}},
      {kIdDepartedLayerLabel, ControlKind::kStatic, L"Save layer:", 0, {235, 248, 50, 8}},
      {kIdDepartedLayer, ControlKind::kEdit, L"", 0, {290, 246, 120, 12}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {316, 309, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {373, 309, 50, 14}},
  };
  return t;
}

ACAD_SettingsView::ACAD_SettingsView(host::ui::Dialog* parent) : Dialog(SettingsViewTemplate(), parent) {
  const auto check = [this](int id, int* member) {
    On(id, Notify::kClick, [this, id, member] { OnSwitch(member, IsDlgButtonChecked(id) == host::ui::kChecked); });
  };
  On(kIdLayersByCode, Notify::kClick, [this] { OnSwitch(&layersDefinedBy, 0); });
  On(kIdLayersByTable, Notify::kClick, [this] { OnSwitch(&layersDefinedBy, 1); });
  check(kIdForceText, &forceTextToFixedLayer);
  On(kIdPointsByTable, Notify::kClick, [this] { OnSwitch(&pointsAndSymbolsAs, 0); });
  On(kIdPointsAsFixedBlock, Notify::kClick, [this] { OnSwitch(&pointsAndSymbolsAs, 1); });
  On(kIdPointsAsPoints, Notify::kClick, [this] { OnSwitch(&pointsAndSymbolsAs, 2); });
  check(kIdPlantSymbols, &plantBlocksInPolygons);
  check(kIdSaveDeparted, &saveDepartedFeatures);
  check(kIdObjectData, &objectData);
  check(kIdWriteCsv, &writeCsv);
  check(kIdWriteSdf, &writeSdf);
  On(kIdAttributionToids, Notify::kClick, [this] { attributionLevel = 1; });
  On(kIdAttributionFull, Notify::kClick, [this] { attributionLevel = 2; });
  On(kIdBlockNotFound, Notify::kSelChange, [this] { OnList(kIdBlockNotFound, &ifCodeNotFound); });
  On(kIdLayerNotFound, Notify::kSelChange, [this] { OnList(kIdLayerNotFound, &ifCodeLayerNotFound); });
  On(kIdNominalScale, Notify::kSelChange, [this] { OnList(kIdNominalScale, &scalingFactorChoice); });

  On(kIdLayerTable, Notify::kClick, [this] { (void)EditCodeLayerTable(*settings, this); });
  On(kIdBlockTable, Notify::kClick, [this] { (void)EditCodeSymbolTable(*settings, this); });
  On(kIdSymbologySettings, Notify::kClick, [this] { (void)EditPolygonSymbology(*settings, this); });
  On(kIdItnSettings, Notify::kClick, [this] { EditInSubDialog<CITNSettingsDialog>(); });
  On(kIdAddressSettings, Notify::kClick, [this] { EditInSubDialog<CAddressPointSettings>(); });
}

void ACAD_SettingsView::CopyFromRecord() {
  const OS_GML_ACAD_Definitions& r = *settings;
  layersDefinedBy = r.layersDefinedBy;
  ifCodeLayerNotFound = r.ifCodeLayerNotFound;
  forceTextToFixedLayer = r.forceTextToFixedLayer;
  forcedTextLayer = r.forcedTextLayer;
  pointsAndSymbolsAs = r.pointsAndSymbolsAs;
  ifCodeNotFound = r.ifCodeNotFound;
  fixedBlockName = r.fixedBlockName;
  scalingFactorChoice = r.scalingFactorChoice;
  manualScalingFactor = r.manualScalingFactor;
  // The field is not shown: a value out of its range could never be mended
  // by the user and would keep OK from closing.
  blockScalingFactor = r.blockScalingFactor;
  if (!(blockScalingFactor >= kMinBlockScaling && blockScalingFactor <= kMaxBlockScaling)) blockScalingFactor = 1.0;
  markTermBesideSymbol = r.markTermBesideSymbol;
  markTermBesidePoint = r.markTermBesidePoint;
  drawPolygonsAsHatches = r.drawPolygonsAsHatches;
  drawPolygonsAsPolylines = r.drawPolygonsAsPolylines;
  plantBlocksInPolygons = r.plantBlocksInPolygons;
  attributionLevel = r.attributesToXdata;
  objectData = r.attributesToOdata != 0;
  batch = r.batchSwitch;
  zoomToData = r.zoomToData;
  drawOsGridLines = r.drawOsGridLines;
  saveDepartedFeatures = r.saveDepartedFeatures;
  departedFeaturesLayer = r.departedFeaturesLayer;
  writeCsv = r.attributesToCsv != 0;
  csvFileId = r.csvFileId;
  writeSdf = r.attributesToSdf;
  sdfFileId = r.sdfFileId;
}

int ACAD_SettingsView::DoModal() {
  if (settings == nullptr) return -1;
  CopyFromRecord();
  return Dialog::DoModal();
}

bool ACAD_SettingsView::OnInitDialog() {
  Refresh(true);
  return true;
}

void ACAD_SettingsView::DoDataExchange(host::ui::DataExchange& dx) {
  using namespace host::ui;
  DdxRadio(dx, kIdLayersByCode, layersDefinedBy);
  DdxListIndex(dx, kIdLayerNotFound, ifCodeLayerNotFound);
  DdxCheck(dx, kIdForceText, forceTextToFixedLayer);
  DdxText(dx, kIdForcedTextLayer, forcedTextLayer);
  DdvTableName(dx, kIdForcedTextLayer, forcedTextLayer, NameKind::kLayer);
  DdxRadio(dx, kIdPointsByTable, pointsAndSymbolsAs);
  DdxListIndex(dx, kIdBlockNotFound, ifCodeNotFound);
  DdxText(dx, kIdFixedBlock, fixedBlockName);
  DdvTableName(dx, kIdFixedBlock, fixedBlockName, NameKind::kBlock);
  // The manual value counts only while "Manual ->" is the choice (before
  // the list is taken, so a list click takes the value of the choice being
  // left); the refresh shows it.
  if (dx.Saving() && scalingFactorChoice == kManualScaleChoice) {
    DdxText(dx, kIdManualScale, manualScalingFactor);
    DdvMinMax(dx, manualScalingFactor, 1, kMaxManualScale);
  }
  DdxListIndex(dx, kIdNominalScale, scalingFactorChoice);
  DdxText(dx, kIdBlockScaling, blockScalingFactor);
  DdvMinMax(dx, blockScalingFactor, kMinBlockScaling, kMaxBlockScaling);
  DdxCheck(dx, kIdMarkTermSymbol, markTermBesideSymbol);
  DdxCheck(dx, kIdMarkTermPoint, markTermBesidePoint);
  DdxCheck(dx, kIdHatches, drawPolygonsAsHatches);
  DdxCheck(dx, kIdPolylines, drawPolygonsAsPolylines);
  DdxCheck(dx, kIdPlantSymbols, plantBlocksInPolygons);
  DdxRadio(dx, kIdAttributionNone, attributionLevel);
  DdxCheck(dx, kIdObjectData, objectData);
  DdxCheck(dx, kIdBatch, batch);
  DdxCheck(dx, kIdZoomToData, zoomToData);
  DdxCheck(dx, kIdGridLines, drawOsGridLines);
  DdxCheck(dx, kIdSaveDeparted, saveDepartedFeatures);
  DdxText(dx, kIdDepartedLayer, departedFeaturesLayer);
  DdvTableName(dx, kIdDepartedLayer, departedFeaturesLayer, NameKind::kLayer);
  DdxCheck(dx, kIdWriteCsv, writeCsv);
  DdxText(dx, kIdCsvPrefix, csvFileId);
  DdvFilePrefix(dx, kIdCsvPrefix, csvFileId);
  DdxCheck(dx, kIdWriteSdf, writeSdf);
  DdxText(dx, kIdSdfPrefix, sdfFileId);
  DdvFilePrefix(dx, kIdSdfPrefix, sdfFileId);
}

bool ACAD_SettingsView::TakeControls() {
  // The attribution level is set by its radios as they are clicked; a
  // refused value elsewhere must not lose it.
  const int level = attributionLevel;
  const bool ok = UpdateData(true);
  if (!ok) attributionLevel = level;
  return ok;
}

void ACAD_SettingsView::Refresh(bool rewrite) {
  auto fill = [this](int id, std::initializer_list<const wchar_t*> rows) {
    host::ui::Control& list = Item(id);
    if (list.GetCount() == 0)
      for (const wchar_t* row : rows) list.AddString(row);
  };
  fill(kIdLayerNotFound, {L"Use Feature Code as layer", L"Ignore Feature", L"Use layer CodeNotFound"});
  fill(kIdBlockNotFound, {L"Insert AutoCAD Point", L"Ignore Feature", L"Use \"fixed block\" below"});
  fill(kIdNominalScale, {L"500", L"1250", L"2500", L"10000", L"Manual ->"});
  if (rewrite) UpdateData(false);

  const bool manual = scalingFactorChoice == kManualScaleChoice;
  if (!manual) {
    SetItemText(kIdManualScale, L"n/a");
  } else if (rewrite || ItemText(kIdManualScale) == L"n/a") {
    SetItemText(kIdManualScale, std::to_wstring(manualScalingFactor));
  }
  EnableItem(kIdManualScale, manual);

  const int points = pointsAndSymbolsAs;
  EnableItem(kIdBlockTable, points == 0);
  EnableItem(kIdBlockNotFound, points == 0);
  EnableItem(kIdFixedBlock, points == 1 || (points == 0 && ifCodeNotFound == 2));
  EnableItem(kIdBlockScaling, points != 2);
  EnableItem(kIdNominalScale, points != 2);
  if (points == 2) EnableItem(kIdManualScale, false);

  EnableItem(kIdLayerTable, layersDefinedBy == 1);
  EnableItem(kIdLayerNotFound, layersDefinedBy == 1);
  EnableItem(kIdForcedTextLayer, forceTextToFixedLayer != 0);

  ShowItem(kIdBatch, !updateMode);
  for (int id : {kIdSaveDeparted, kIdDepartedLayer, kIdDepartedLayerLabel}) ShowItem(id, updateMode);
  EnableItem(kIdDepartedLayer, saveDepartedFeatures != 0);
  EnableItem(kIdDepartedLayerLabel, saveDepartedFeatures != 0);

  EnableItem(kIdCsvPrefix, writeCsv != 0);
  EnableItem(kIdCsvPrefixLabel, writeCsv != 0);
  EnableItem(kIdSdfPrefix, writeSdf != 0);
  EnableItem(kIdSdfPrefixLabel, writeSdf != 0);
  EnableItem(kIdSymbologySettings, plantBlocksInPolygons != 0);
  EnableItem(kIdObjectData, objectDataSwitch);
  const bool sdf = settings != nullptr && settings->includeZarnsHaStuff != 0;
  for (int id : {kIdWriteSdf, kIdSdfPrefixLabel, kIdSdfPrefix}) ShowItem(id, sdf);
}

// The ITN and address point dialogs edit their part of the record: their
// OK puts it into the record, whatever this dialog's own outcome.
template <typename SubDialog>
void ACAD_SettingsView::EditInSubDialog() {
  const bool taken = TakeControls();
  SubDialog dialog(this);
  dialog.FromRecord(*settings);
  if (dialog.DoModal() == host::ui::kIdOk) dialog.ToRecord(*settings);
  Refresh(taken);
}

void ACAD_SettingsView::OnSwitch(int* member, int value) {
  const bool taken = TakeControls();
  *member = value;
  Refresh(taken);
}

void ACAD_SettingsView::OnList(int id, int* member) {
  const bool taken = TakeControls();
  *member = Item(id).GetCurSel();
  Refresh(taken);
}

void ACAD_SettingsView::OnOK() {
  if (!TakeControls()) return;
  OS_GML_ACAD_Definitions& r = *settings;
  r.layersDefinedBy = layersDefinedBy;
  r.useCodeLookupTable = layersDefinedBy == 1 ? 1 : 0;
  r.ifCodeLayerNotFound = ifCodeLayerNotFound;
  r.forceTextToFixedLayer = forceTextToFixedLayer;
  r.forcedTextLayer = forcedTextLayer;
  r.pointsAndSymbolsAs = pointsAndSymbolsAs;
  r.ifCodeNotFound = ifCodeNotFound;
  r.fixedBlockName = fixedBlockName;
  r.scalingFactorChoice = scalingFactorChoice;
  r.manualScalingFactor = manualScalingFactor;
  r.blockScalingFactor = blockScalingFactor;
  r.markTermBesideSymbol = markTermBesideSymbol;
  r.markTermBesidePoint = markTermBesidePoint;
  r.drawPolygonsAsHatches = drawPolygonsAsHatches;
  r.drawPolygonsAsPolylines = drawPolygonsAsPolylines;
  r.plantBlocksInPolygons = plantBlocksInPolygons;
  r.attributesToXdata = attributionLevel;
  r.attributesToOdata = objectData != 0 ? attributionLevel : 0;
  r.attributesToCsv = writeCsv != 0 ? attributionLevel : 0;
  r.attributesToSdf = writeSdf;
  r.csvFileId = csvFileId;
  r.sdfFileId = sdfFileId;
  r.batchSwitch = batch;
  r.zoomToData = zoomToData;
  r.drawOsGridLines = drawOsGridLines;
  r.saveDepartedFeatures = saveDepartedFeatures;
  r.departedFeaturesLayer = departedFeaturesLayer;
  if (!r.HasSettingsFile()) {
    (void)host::ui::ShowMessageBox(
        L"No support folder was found: the settings are kept for this import only.", L"",
        host::ui::MessageButtons::kOk, host::ui::MessageIcon::kExclamation);
  } else if (!r.SaveSettings()) {
    (void)host::ui::ShowMessageBox(L"Could not save the settings to '" + r.settingsPath + L"'.", L"",
                                   host::ui::MessageButtons::kOk, host::ui::MessageIcon::kExclamation);
  }
  EndDialog(host::ui::kIdOk);
}

int EditImportSettings(OS_GML_ACAD_Definitions& record, bool updateMode, bool objectDataSwitch,
                       host::ui::Dialog* parent) {
  ACAD_SettingsView view(parent);
  view.settings = &record;
  view.updateMode = updateMode;
  view.objectDataSwitch = objectDataSwitch;
  return view.DoModal();
}
