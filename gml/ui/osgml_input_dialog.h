// The main import dialog "Orvane - OS MasterMap input" (template 200): the
// dialog side of OSGMLInputView. It chooses the input files at its first
// showing, lists them and the location filters, runs Count, Preview and the
// reading run of Draw, and in a batch run reads one location per showing by
// its timer. The import run shows it in a loop and reads `runMode` and the
// end code after each showing:
//   0 nothing chosen, cancelled or failed; 1 run (runMode 1 draw, 2 preview);
//   2 Cancel; 5 add a location filter; 6 show the selected filters.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "gml/reader/osgml_input_view.h"
#include "gml/ui/layer_selection.h"

namespace import_dialog {
inline constexpr int kPicture = 268;  // click: the About box
inline constexpr int kPictureBitmap = 220;
inline constexpr int kPictureBitmapLarge = 232;  // for a dialog font taller than 12 pixels
inline constexpr int kCount = 4;
inline constexpr int kPropertySwitch = 205;
inline constexpr int kPropertyOptions = 209;
inline constexpr int kLocationSwitch = 229;
inline constexpr int kTrimSwitch = 240;
inline constexpr int kFullyWithin = 265;
inline constexpr int kPartiallyIn = 266;
inline constexpr int kNewArea = 228;
inline constexpr int kDeleteAreas = 230;
inline constexpr int kClearAreas = 232;
inline constexpr int kViewAreas = 264;
inline constexpr int kOptions = 227;
inline constexpr int kLayers = 381;
inline constexpr int kPreview = 3;
inline constexpr int kResultNewArea = 5;
inline constexpr int kResultViewAreas = 6;
inline constexpr int kBatchTimer = 1;
}  // namespace import_dialog

class OSGMLInputDialog : public OSGMLInputView {
 public:
  explicit OSGMLInputDialog(host::ui::Dialog* parent = nullptr);
  ~OSGMLInputDialog() override;

  int DoModal() override;
  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;
  void OnOK() override;
  void OnCancel() override;
  void OnTimer(int timerId) override;

  // The text search over the input files: 1 with the window round the found
  // texts, 0 when nothing was found or the search was cancelled.
  int RunSearchTextDialog(const std::wstring& text, double margin, double* minX, double* minY,
                          double* maxX, double* maxY);

  std::wstring startFolder;
  std::wstring textStyleName;
  std::int32_t runMode = 0;  // 0 nothing to draw, 1 draw, 2 preview
  std::wstring batchOutputFolder;
  std::wstring locationName;  // the batch location being read
  std::int32_t batchRun = 0;
  std::int32_t batchIndex = -1;
  std::int32_t timerArmed = 0;
  // False once the file choice was abandoned.
  bool fileChoiceMade = false;
  // Files the choice left out, each named on the command line with why.
  std::int32_t skippedFiles = 0;

  // The handlers of the dialog's buttons.
  void OnCountFeatures();
  void OnPreview();
  void OnStopAction();
  void OnNewArea();
  void OnViewAreas();
  void OnDeleteAreas();
  void OnClearAreas();
  void OnOptions();
  void OnLayersToImport();
  void OnAbout();
  void OnPropertyOptions();

 private:
  // Writes the settings and areas files, saying so on the command line when
  // they cannot be written.
  void SaveSettingsFiles();
  std::array<std::int32_t*, kLayerSwitchCount> ReadSwitches();
  bool ChooseInputFiles();
  bool TakeInputFile(const std::wstring& path);
  void TakeSwitches();
  bool LocationRowsSelected();

  bool toldSettingsKept_ = false;
};

// The rows of the file list: one per file, ">" marking the active ones.
std::wstring FileListRow(const GmlInputFile& file);
// A size in bytes as the summary row writes it ("%.1lf MB", GB, TB).
std::wstring SizeText(double bytes, bool allowTerabytes);
