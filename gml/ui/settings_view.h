// "AutoCAD Input and Layer settings": the import settings record as the
// user edits it, and the way to the lookup-table, ITN, address point and
// symbology dialogs.
//
// The dialog edits a working copy of the record's keys; OK validates it,
// copies it back and writes lwh_gml.ini (a failed write is reported, and so
// is a record without a support folder, which is not written; the dialog
// closes all the same). Cancel leaves the record's keys as they
// were. The sub-dialogs change the record directly, whatever this dialog's
// own outcome: the table editors write their table when they changed it,
// the ITN and address dialogs put their values into the record on their OK,
// and the symbology dialog writes its table on its OK.
//
// The manual scale is taken from its field only while "Manual ->" is
// chosen, and must then be a whole number from 1 to 5000000; the other
// choices keep the stored manual value. A stored block scaling factor
// outside 0.01 to 1000000 (its field is not shown) is reset to 1 when the
// dialog opens, so that it can never keep OK from closing. Layer and block
// names the user can change are checked as record names.
#pragma once

#include <string>

#include "gml/settings/settings_record.h"
#include "host/ui/dialog.h"

inline constexpr int kSettingsViewTemplate = 202;
inline constexpr int kIdLayersByCode = 213;
inline constexpr int kIdLayersByTable = 214;
inline constexpr int kIdLayerTable = 215;
inline constexpr int kIdForceText = 216;
inline constexpr int kIdForcedTextLayer = 217;
inline constexpr int kIdFixedBlock = 218;
inline constexpr int kIdPointsByTable = 219;
inline constexpr int kIdPointsAsFixedBlock = 220;
inline constexpr int kIdBlockTable = 221;
inline constexpr int kIdPointsAsPoints = 222;
inline constexpr int kIdBlockNotFound = 223;
inline constexpr int kIdMarkTermSymbol = 224;
inline constexpr int kIdMarkTermPoint = 225;
inline constexpr int kIdZoomToData = 226;
inline constexpr int kIdLayerNotFound = 227;
inline constexpr int kIdGridLines = 228;
inline constexpr int kIdAttributionNone = 243;
inline constexpr int kIdAttributionToids = 244;
inline constexpr int kIdAttributionFull = 245;
inline constexpr int kIdBlockScaling = 255;
inline constexpr int kIdManualScale = 256;
inline constexpr int kIdHatches = 269;
inline constexpr int kIdPolylines = 270;
inline constexpr int kIdPlantSymbols = 271;
inline constexpr int kIdNominalScale = 317;
inline constexpr int kIdSaveDeparted = 320;
inline constexpr int kIdDepartedLayer = 321;
inline constexpr int kIdBatch = 328;
inline constexpr int kIdItnSettings = 340;
inline constexpr int kIdSymbologySettings = 341;
inline constexpr int kIdAddressSettings = 342;
inline constexpr int kIdObjectData = 376;
inline constexpr int kIdWriteCsv = 377;
inline constexpr int kIdCsvPrefix = 378;
inline constexpr int kIdDepartedLayerLabel = 379;
inline constexpr int kIdCsvPrefixLabel = 380;
inline constexpr int kIdWriteSdf = 381;
inline constexpr int kIdSdfPrefixLabel = 382;
inline constexpr int kIdSdfPrefix = 383;

inline constexpr int kManualScaleChoice = 4;
inline constexpr int kMaxManualScale = 5000000;

host::ui::DialogTemplate SettingsViewTemplate();

class ACAD_SettingsView : public host::ui::Dialog {
 public:
  explicit ACAD_SettingsView(host::ui::Dialog* parent = nullptr);

  // Copies the record's keys into the working copy and runs the dialog.
  int DoModal() override;
  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;
  void OnOK() override;

  OS_GML_ACAD_Definitions* settings = nullptr;
  bool updateMode = false;        // a change-only update: departed features shown, batch hidden
  bool objectDataSwitch = false;  // enables "Create Object Data (Map only)"

  // The working copy.
  int layersDefinedBy = 1;
  int ifCodeLayerNotFound = 0;
  int forceTextToFixedLayer = 0;
  std::wstring forcedTextLayer;
  int pointsAndSymbolsAs = 0;
  int ifCodeNotFound = 0;
  std::wstring fixedBlockName;
  int scalingFactorChoice = 1;
  int manualScalingFactor = 500;
  double blockScalingFactor = 1.0;
  int markTermBesideSymbol = 1;
  int markTermBesidePoint = 1;
  int drawPolygonsAsHatches = 1;
  int drawPolygonsAsPolylines = 1;
  int plantBlocksInPolygons = 1;
  int attributionLevel = 1;
  int objectData = 1;
  int batch = 0;
  int zoomToData = 1;
  int drawOsGridLines = 0;
  int saveDepartedFeatures = 1;
  std::wstring departedFeaturesLayer;
  int writeCsv = 1;
  std::wstring csvFileId;
  int writeSdf = 0;
  std::wstring sdfFileId;

 private:
  void CopyFromRecord();
  // Takes every control into the working copy; false when a value was
  // refused (its message shown, the controls left as the user made them).
  bool TakeControls();
  // Controls from the working copy (when `rewrite`), then enabled and shown
  // states.
  void Refresh(bool rewrite);
  void OnSwitch(int* member, int value);
  template <typename SubDialog>
  void EditInSubDialog();
  void OnList(int id, int* member);
};

// Runs the dialog on `record`; the end code.
int EditImportSettings(OS_GML_ACAD_Definitions& record, bool updateMode, bool objectDataSwitch,
                       host::ui::Dialog* parent = nullptr);
