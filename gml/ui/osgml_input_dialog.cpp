// The main import dialog: template, file choice, lists, handlers and the
// batch step.
#include "gml/ui/osgml_input_dialog.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/containers/text.h"
#include "common/dialogs/file_select.h"
#include "common/dialogs/support_lookup.h"
#include "gml/ui/about_dialog.h"
#include "gml/ui/location_dialogs.h"
#include "gml/ui/settings_view.h"
#include "host/editor/command_line.h"
#include "host/editor/support_path.h"
#include "host/system/files.h"
#include "host/ui/data_exchange.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

namespace {

using host::ui::ControlKind;
namespace st = host::ui::style;
namespace id = import_dialog;
namespace gc = gml_controls;

void RegisterImportTemplate() {
  host::ui::DialogTemplate t;
  t.id = OSGMLInputView::kTemplateId;
  t.caption = L"Orvane - OS MasterMap input";
  t.rect = {0, 0, 420, 300};
  t.controls = {
      {id::kPicture, ControlKind::kPicture, L"", st::kNotify, {5, 5, 60, 40}},
      {gc::kFileList, ControlKind::kListBox, L"", st::kTabStops, {70, 5, 345, 60}},
      {0, ControlKind::kStatic, L"Lines", 0, {5, 70, 24, 10}},
      {gc::kLinesCount, ControlKind::kStatic, L" n/a", 0, {31, 70, 34, 10}},
      {0, ControlKind::kStatic, L"Points", 0, {70, 70, 24, 10}},
      {gc::kPointsCount, ControlKind::kStatic, L" n/a", 0, {96, 70, 34, 10}},
      {0, ControlKind::kStatic, L"Symbols", 0, {135, 70, 28, 10}},
      {gc::kSymbolsCount, ControlKind::kStatic, L" n/a", 0, {165, 70, 30, 10}},
      {0, ControlKind::kStatic, L"Text", 0, {200, 70, 20, 10}},
      {gc::kTextsCount, ControlKind::kStatic, L" n/a", 0, {222, 70, 38, 10}},
      {0, ControlKind::kStatic, L"Polygons", 0, {265, 70, 30, 10}},
      {gc::kAreasCount, ControlKind::kStatic, L" n/a", 0, {297, 70, 28, 10}},
      {0, ControlKind::kStatic, L"Areas", 0, {330, 70, 22, 10}},
      {gc::kAreaValues, ControlKind::kStatic, L" n/a", 0, {354, 70, 61, 10}},
      {0, ControlKind::kStatic, L"Roads", 0, {5, 82, 24, 10}},
      {gc::kRoadsCount, ControlKind::kStatic, L" n/a", 0, {31, 82, 34, 10}},
      {0, ControlKind::kStatic, L"Rd Links", 0, {70, 82, 30, 10}},
      {gc::kRoadLinksCount, ControlKind::kStatic, L" n/a", 0, {102, 82, 28, 10}},
      {0, ControlKind::kStatic, L"Rd Nodes", 0, {135, 82, 32, 10}},
      {gc::kRoadNodesCount, ControlKind::kStatic, L" n/a", 0, {169, 82, 26, 10}},
      {0, ControlKind::kStatic, L"Addr", 0, {200, 82, 20, 10}},
      {gc::kAddressPointsCount, ControlKind::kStatic, L" n/a", 0, {222, 82, 38, 10}},
      {gc::kDepartedCount, ControlKind::kStatic, L"Dep. features: n/a", 0, {265, 82, 150, 10}},
      {id::kCount, ControlKind::kButton, L"Count...", 0, {5, 96, 60, 14}},
      {gc::kStopButton, ControlKind::kButton, L"<Stop action>", 0, {70, 96, 60, 14}},
      {id::kPropertySwitch, ControlKind::kCheckBox, L"Filter by feature Property", st::kAuto, {5, 115, 150, 10}},
      {id::kPropertyOptions, ControlKind::kButton, L"Property filtering Options...", 0, {160, 113, 120, 14}},
      {id::kLocationSwitch, ControlKind::kCheckBox, L"Filter by feature Location", st::kAuto, {5, 130, 150, 10}},
      {id::kTrimSwitch, ControlKind::kCheckBox, L"Trim Lines to edge(s)", st::kAuto, {160, 130, 120, 10}},
      {id::kFullyWithin, ControlKind::kRadioButton, L"Fully within", st::kAuto | st::kGroup, {285, 130, 60, 10}},
      {id::kPartiallyIn, ControlKind::kRadioButton, L"Partially in", st::kAuto, {350, 130, 60, 10}},
      {gc::kLocationList, ControlKind::kListBox, L"", st::kMultiSelect | st::kNotify, {5, 145, 330, 60}},
      {id::kNewArea, ControlKind::kButton, L"New...", 0, {340, 145, 75, 14}},
      {id::kDeleteAreas, ControlKind::kButton, L"Delete", 0, {340, 160, 75, 14}},
      {id::kClearAreas, ControlKind::kButton, L"Clear", 0, {340, 175, 75, 14}},
      {id::kViewAreas, ControlKind::kButton, L"View", 0, {340, 190, 75, 14}},
      {gc::kOverallCaption, ControlKind::kStatic, L"", 0, {5, 210, 100, 10}},
      {gc::kOverallProgress, ControlKind::kProgress, L"", 0, {110, 210, 305, 10}},
      {gc::kFileCaption, ControlKind::kStatic, L"", 0, {5, 222, 100, 10}},
      {gc::kFileProgress, ControlKind::kProgress, L"", 0, {110, 222, 305, 10}},
      {id::kOptions, ControlKind::kButton, L"Options...", 0, {5, 240, 75, 14}},
      {id::kLayers, ControlKind::kButton, L"OS Layers to import", 0, {85, 240, 90, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {260, 280, 50, 14}},
      {id::kPreview, ControlKind::kButton, L"Preview", 0, {315, 280, 50, 14}},
      {host::ui::kIdOk, ControlKind::kButton, L"Draw", 0, {370, 280, 45, 14}},
  };
  host::ui::RegisterDialogTemplate(std::move(t));
}

// The folder picker's folder with a final separator: the attribute files
// are named by joining folder and name as they stand, and the picker gives
// its folder without one.
std::optional<std::wstring> PickFolder(const wchar_t* title) {
  std::optional<std::wstring> folder = host::ui::BrowseForFolder(title);
  if (folder && (folder->empty() || (folder->back() != L'/' && folder->back() != L'\\')))
    *folder += host::kPathSeparator;
  return folder;
}

bool AskYesNo(const std::wstring& text) {
  return host::ui::ShowMessageBox(text, L"", host::ui::MessageButtons::kYesNo) ==
         host::ui::MessageResult::kYes;
}

void Tell(const std::wstring& text) { (void)host::ui::ShowMessageBox(text, L""); }

// A re-entry guard for the batch step: the reading run it starts pumps
// messages, and the next tick arrives during it.
bool batchStepRunning = false;

const wchar_t* AreaKindWord(std::int32_t kind) {
  switch (kind) {
    case 10: return L"Polyline";
    case 20: return L"Window";
    case 30: return L"Polygon";
    case 40: return L"Buffer Zone";
    case 80: return L"RNBZ";
    default: return L"";
  }
}

std::wstring Format(const wchar_t* format, auto... values) {
  wchar_t buffer[1024];
  std::swprintf(buffer, 1024, format, values...);
  return buffer;
}

}  // namespace

std::wstring SizeText(double bytes, bool allowTerabytes) {
  const double mb = bytes / 1024 / 1024;
  if (allowTerabytes && mb > 500000) return Format(L"%.1lf TB", mb / 1024 / 1024);
  if (mb > 500) return Format(L"%.1lf GB", mb / 1024);
  return Format(L"%.1lf MB", mb);
}

std::wstring FileListRow(const GmlInputFile& file) {
  std::string time(file.queryTime, ::strnlen(file.queryTime, sizeof file.queryTime));
  const std::wstring day = Utf8ToWide(time.substr(0, time.find('T')));
  const std::wstring name = host::WidePath(FieldText(file.name));
  const double mb = file.size / 1024 / 1024;
  std::wstring row = file.active ? L">" : L"";
  row += mb > 500 ? Format(L"\t%ls %.1lf GB\t%ls", day.c_str(), mb / 1024, name.c_str())
                  : Format(L"\t%ls %.1lf MB\t%ls", day.c_str(), mb, name.c_str());
  return row;
}

OSGMLInputDialog::OSGMLInputDialog(host::ui::Dialog* parent) : OSGMLInputView(parent) {
  RegisterImportTemplate();
  On(id::kCount, host::ui::Notify::kClick, [this] { OnCountFeatures(); });
  On(gc::kStopButton, host::ui::Notify::kClick, [this] { OnStopAction(); });
  On(id::kPreview, host::ui::Notify::kClick, [this] { OnPreview(); });
  On(id::kNewArea, host::ui::Notify::kClick, [this] { OnNewArea(); });
  On(id::kViewAreas, host::ui::Notify::kClick, [this] { OnViewAreas(); });
  On(id::kDeleteAreas, host::ui::Notify::kClick, [this] { OnDeleteAreas(); });
  On(id::kClearAreas, host::ui::Notify::kClick, [this] { OnClearAreas(); });
  On(id::kOptions, host::ui::Notify::kClick, [this] { OnOptions(); });
  On(id::kLayers, host::ui::Notify::kClick, [this] { OnLayersToImport(); });
  On(id::kPicture, host::ui::Notify::kClick, [this] { OnAbout(); });
  On(id::kPropertyOptions, host::ui::Notify::kClick, [this] { OnPropertyOptions(); });
  for (int check : {id::kPropertySwitch, id::kLocationSwitch})
    On(check, host::ui::Notify::kClick, [this] {
      if (busy) return;
      TakeSwitches();
      OnInitDialog();
    });
  On(id::kTrimSwitch, host::ui::Notify::kClick, [this] {
    TakeSwitches();
    OnInitDialog();
  });
  On(id::kFullyWithin, host::ui::Notify::kClick, [this] { settings.locationMode = 0; });
  On(id::kPartiallyIn, host::ui::Notify::kClick, [this] { settings.locationMode = 1; });
  On(gc::kLocationList, host::ui::Notify::kSelChange, [this] {
    if (busy) return;
    const bool rows = LocationRowsSelected();
    EnableItem(id::kDeleteAreas, rows);
    EnableItem(id::kViewAreas, rows);
  });
  if (constructionFailed) {
    (void)host::ui::ShowMessageBox(L"ERROR: Can not start, memory problems?", L"");
    stopPressed = 1;
    return;
  }
  // The settings file on the support path; else the one of the local
  // support folder, which is also where new settings go when there is none
  // yet. Without either the settings and areas live in this dialog only.
  std::optional<std::wstring> ini = host::FindFile(L"lwh_gml.ini");
  const std::wstring localFolder = ini ? std::wstring() : FindDialogSupportFolder();
  if (!ini && !localFolder.empty()) ini = host::FindInFolder(localFolder, L"lwh_gml.ini");
  if (ini) {
    (void)settings.LoadSettings(*ini, true);
    (void)settings.LoadCodeLookupTable();
    (void)settings.LoadSymbolLookupTable();
    (void)settings.LoadSymbologyTable();
  } else {
    settings.supportFolder = localFolder;
  }
  if (std::optional<std::wstring> areas = host::FindFile(kAreaFiltersFileName))
    (void)locationFilter.LoadAreas(*areas);
  else if (!settings.supportFolder.empty())
    locationFilter.path = settings.supportFolder + kAreaFiltersFileName;
  if (std::optional<std::wstring> postcodes = host::FindFile(L"postcodedb.txt"))
    settings.postcodePath = *postcodes;
}

OSGMLInputDialog::~OSGMLInputDialog() {
  if (batchRun && timerArmed) (void)KillTimer(id::kBatchTimer);
}

void OSGMLInputDialog::SaveSettingsFiles() {
  if (SaveDialogSettings()) return;
  if (!settings.HasSettingsFile()) {
    if (!toldSettingsKept_)
      host::Print(L"\nNo support folder found: the import settings and location filters are "
                  L"kept for this import only.\n");
    toldSettingsKept_ = true;
    return;
  }
  host::Printf(L"\nThe import settings or location filters could not be saved in %ls.\n",
               settings.supportFolder.c_str());
}

void OSGMLInputDialog::DoDataExchange(host::ui::DataExchange& dx) {
  host::ui::DdxCheck(dx, id::kPropertySwitch, settings.filterByProperty);
  host::ui::DdxCheck(dx, id::kLocationSwitch, settings.areaFiltering);
  host::ui::DdxCheck(dx, id::kTrimSwitch, settings.trimLinesToAreaEdges);
}

void OSGMLInputDialog::TakeSwitches() { (void)UpdateData(true); }

bool OSGMLInputDialog::LocationRowsSelected() {
  return Item(gc::kLocationList).GetSelCount() > 0;
}

bool OSGMLInputDialog::TakeInputFile(const std::wstring& path) {
  // Reading a pipe waits for a writer and a device such as /dev/zero never
  // ends: the header read refuses them before it opens anything. Folders
  // are left out by the caller.
  std::wstring problem;
  double minX, minY, maxX, maxY, uncompressed = -1;
  int compressed = 0;
  char description[1024] = {}, queryTime[1024] = {};
  if (!ReadGmlFileHeader(path.c_str(), &minX, &minY, &maxX, &maxY, &compressed, description,
                         queryTime, &uncompressed)) {
    problem = headerProblem;
  } else {
    // The list keeps the file's name as Linux holds it, whatever its characters.
    const std::optional<std::string> native = host::NativePath(path);
    if (!native || native->size() >= sizeof(GmlInputFile{}.path))
      problem = L"its path is longer than the file list holds";
    else if (!AppendInputFile(native->c_str()))
      problem = L"it could not be added to the file list";
  }
  if (problem.empty()) return true;
  // A file left out is named, with why; the end of the import counts them.
  host::Printf(L"\nSkipped %ls: %ls.\n", path.c_str(), problem.c_str());
  ++skippedFiles;
  return false;
}

bool OSGMLInputDialog::ChooseInputFiles() {
  const wchar_t* patterns[] = {L"*.gz", L"*.gml", L"*.*"};
  const wchar_t* descriptions[] = {L"OS MasterMap files (compressed)",
                                   L"OS MasterMap files (non-compressed)", L"All files"};
  auto chooseFiles = [&](const wchar_t* title) {
    GrowArray chosen{};
    if (!GrowArrayCreate(16, sizeof(SelectedFile), &chosen)) return;
    if (SelectFilesDialog(startFolder.c_str(), patterns, descriptions, 3, 1, title, &chosen)) {
      for (std::int32_t i = 0; i < chosen.count; ++i)
        (void)TakeInputFile(static_cast<const SelectedFile*>(chosen.data)[i].path);
      if (inputFiles.count > 1) SortInputFiles();
    }
    GrowArrayFree(&chosen);
  };
  if (updateMode) {
    chooseFiles(L"Select Change Only MasterMap Update file");
  } else if (AskYesNo(L"Select files individually?\n\n(Or \"No\" to select a folder)")) {
    chooseFiles(L"Select OS MasterMap file(s)");
  } else {
    // A cancelled picker ends the choice: listing some other folder would
    // import files the user never pointed at.
    std::optional<std::wstring> folder = PickFolder(L"Select MasterMap files folder.");
    if (!folder) return false;
    long seen = 1, taken = 0;
    host::Printf(L"\nBrowsing directory... %li, %li found\r", seen, taken);
    seen = 0;
    for (const host::FileInfo& entry : host::ListFolder(*folder + L"*.*")) {
      // The folder's entries for itself and its parent are no entries of it.
      if (entry.name == L"." || entry.name == L"..") continue;
      ++seen;
      if (!(entry.attributes & host::kAttributeDirectory) && TakeInputFile(*folder + entry.name)) ++taken;
      host::Printf(L"\rBrowsing directory... %li, %li found", seen, taken);
    }
    host::Print(L"\n");
    if (taken == 0) {
      std::wstring named = *folder;
      if (named.size() > 1) named.pop_back();  // the separator PickFolder added
      host::Printf(L"No GML files in %ls.\n", named.c_str());
    }
  }
  return inputFiles.count > 0;
}

int OSGMLInputDialog::DoModal() {
  locationName.clear();
  timerArmed = 0;
  if (stopPressed) return 0;
  if (inputFiles.count == 0) {
    if (fileChoiceMade) return 0;
    fileChoiceMade = true;
    if (!ChooseInputFiles()) return 0;
  }
  return OSGMLInputView::DoModal();
}

bool OSGMLInputDialog::OnInitDialog() {
  if (batchRun && !timerArmed) {
    timerArmed = 1;
    (void)SetTimer(id::kBatchTimer, 1000);
    return true;
  }
  OSGMLInputView::OnInitDialog();
  for (int progress : {gc::kOverallProgress, gc::kOverallCaption, gc::kFileProgress, gc::kFileCaption})
    ShowItem(progress, false);
  EnableItem(gc::kStopButton, false);
  Item(id::kPicture).SetBitmap(GetFont().height < -12 ? id::kPictureBitmapLarge : id::kPictureBitmap);

  activeFileCount = 0;
  totalBytes = 0;
  host::ui::Control& files = Item(gc::kFileList);
  files.ResetContent();
  MarkFilesInLocation();
  double allBytes = 0;
  for (std::int32_t i = 0; i < inputFiles.count; ++i) {
    const GmlInputFile& file = static_cast<const GmlInputFile*>(inputFiles.data)[i];
    files.AddString(FileListRow(file));
    allBytes += file.size;
    if (file.active) {
      ++activeFileCount;
      totalBytes += file.size;
    }
  }
  if (inputFiles.count > 1) {
    files.AddString(L"");
    files.AddString(Format(L"%2li files, %ls within filtered location (All: %li files, %ls)",
                           static_cast<long>(activeFileCount), SizeText(totalBytes, false).c_str(),
                           static_cast<long>(inputFiles.count), SizeText(allBytes, true).c_str()));
  }

  host::ui::Control& locations = Item(gc::kLocationList);
  locations.ResetContent();
  const std::int32_t areaCount = locationFilter.GetAreaCount();
  if (batchRun) {
    locations.AddString(L"***BATCH MODE IN OPERATION***");
    locations.AddString(Format(L"Location %li of %li is under way...",
                               static_cast<long>(batchIndex + 1), static_cast<long>(areaCount)));
    if (!locationName.empty())
      locations.AddString(Format(L"File name = %ls.dwg", locationName.c_str()));
  } else {
    for (std::int32_t i = 0; i < areaCount; ++i) {
      AreaFilterArea area{};
      if (!locationFilter.GetArea(&area, i)) continue;
      std::wstring row = area.description[0] ? Utf8ToWide(FieldText(area.description)) : L"(No description)";
      locations.AddString(row + L" - " + AreaKindWord(area.kind));
    }
  }
  CheckRadioButton(id::kFullyWithin, id::kPartiallyIn,
                   settings.locationMode ? id::kPartiallyIn : id::kFullyWithin);

  const bool filtering = settings.areaFiltering != 0;
  const bool rows = LocationRowsSelected();
  const bool linesRead = settings.inputTopoLines || settings.inputRoadLinks;
  const bool areasRead = settings.inputPolygons != 0;
  EnableItem(gc::kLocationList, filtering);
  EnableItem(id::kNewArea, filtering);
  EnableItem(id::kClearAreas, filtering);
  EnableItem(id::kDeleteAreas, filtering && rows);
  EnableItem(id::kViewAreas, filtering && rows);
  EnableItem(id::kTrimSwitch, filtering && linesRead);
  const bool radios = filtering && (linesRead || areasRead) &&
                      (!settings.trimLinesToAreaEdges || areasRead);
  EnableItem(id::kFullyWithin, radios);
  EnableItem(id::kPartiallyIn, radios);
  EnableItem(id::kPropertyOptions, settings.filterByProperty != 0);
  SetItemText(id::kLayers, updateMode ? L"Layers to update" : L"Layers to import");
  if (updateMode) {
    EnableItem(id::kPreview, false);
    SetItemText(host::ui::kIdOk, L"Update");
    SetItemText(gc::kDepartedCount, L"Dep. features: n/a");
  } else {
    SetItemText(gc::kDepartedCount, L"");
    EnableItem(id::kPreview, !settings.batchSwitch);
    SetItemText(host::ui::kIdOk, settings.batchSwitch ? L"Start" : L"Draw");
  }
  if (batchRun)
    for (int control : {id::kCount, id::kPropertySwitch, id::kPropertyOptions, id::kLocationSwitch,
                        id::kTrimSwitch, id::kFullyWithin, id::kPartiallyIn, id::kNewArea,
                        id::kClearAreas, id::kDeleteAreas, id::kViewAreas, id::kOptions,
                        gc::kStopButton, id::kPreview})
      EnableItem(control, false);
  return true;
}

void OSGMLInputDialog::OnOK() {
  if (busy) return;
  TakeSwitches();
  // A drawing run with no feature kind chosen would read and draw nothing.
  if (!updateMode) {
    const std::array<std::int32_t*, kLayerSwitchCount> switches = ReadSwitches();
    if (std::none_of(switches.begin(), switches.end(), [](const std::int32_t* on) { return *on != 0; })) {
      Tell(L"Nothing to draw: no feature kind is chosen");
      return;
    }
  }
  if (settings.batchSwitch) {
    if (!settings.areaFiltering || locationFilter.GetAreaCount() <= 0) {
      Tell(L"Batch Processing requires one or more location filters\nto be defined and active.");
      return;
    }
    if (host::ui::ShowMessageBox(
            L"OK to start the Batch Processing Mode?\n\nIf you are not sure what is going on\n"
            L"press \"No\" button.",
            L"", host::ui::MessageButtons::kYesNoCancel, host::ui::MessageIcon::kNone, 1) !=
        host::ui::MessageResult::kYes)
      return;
    std::optional<std::wstring> folder =
        host::ui::BrowseForFolder(L"Select destination folder for drawing files.");
    if (!folder) return;
    batchOutputFolder = settings.batchFolder = *folder;
  }
  // The reading run names the road links and leaves roads and texts unread
  // only for a run whose SDF output the user confirmed here.
  createSdfFiles = 0;
  if (settings.attributesToSdf) {
    if (!AskYesNo(L"Selecting SDF file creation supresses\nall drawing relates tasks.\n\n"
                  L"Is this acceptable?"))
      return;
    std::optional<std::wstring> folder = PickFolder(L"Select destination folder for SDF files.");
    if (!folder) return;
    settings.sdfDirectory = *folder;
    createSdfFiles = 1;
  }
  if (settings.attributesToCsv) {
    std::optional<std::wstring> folder = PickFolder(L"Select destination folder for CSV files.");
    if (!folder) return;
    settings.csvDirectory = *folder;
  }
  if (!settings.batchSwitch) {
    // An SDF run reads no roads or texts; the user's choice of them is
    // still the one saved for the next import.
    const std::int32_t roads = settings.inputRoads, texts = settings.inputCartoText;
    const int read = ProcessGmlFiles(1, L"Stop draw", 0);
    settings.inputRoads = roads;
    settings.inputCartoText = texts;
    if (read != 1 || stopPressed) {
      OnInitDialog();
      return;
    }
  }
  if (!stopPressed) runMode = 1;
  SaveSettingsFiles();
  EndDialog(host::ui::kIdOk);
}

void OSGMLInputDialog::OnCountFeatures() {
  if (busy) return;
  TakeSwitches();
  (void)ProcessGmlFiles(0, L"Stop count", 1);
}

void OSGMLInputDialog::OnPreview() {
  if (busy) return;
  TakeSwitches();
  if (ProcessGmlFiles(1, L"Stop preview", 1) != 1) return;
  runMode = 2;
  SaveSettingsFiles();
  EndDialog(host::ui::kIdOk);
}

void OSGMLInputDialog::OnStopAction() { cancelRequested = 1; }

void OSGMLInputDialog::OnNewArea() {
  TakeSwitches();
  SaveSettingsFiles();
  EndDialog(id::kResultNewArea);
}

void OSGMLInputDialog::OnViewAreas() {
  if (!LocationRowsSelected() || locationFilter.GetAreaCount() <= 0) {
    Tell(L"No areas to view or none selected.");
    return;
  }
  SyncActiveLocationFilters();
  SaveSettingsFiles();
  EndDialog(id::kResultViewAreas);
}

void OSGMLInputDialog::OnDeleteAreas() {
  if (!LocationRowsSelected() || locationFilter.GetAreaCount() <= 0) {
    Tell(L"No areas to view or none selected.");
    return;
  }
  SyncActiveLocationFilters();
  (void)locationFilter.RemoveSelectedAreas();
  OnInitDialog();
}

void OSGMLInputDialog::OnClearAreas() {
  if (busy || locationFilter.GetAreaCount() <= 0) return;
  if (host::ui::ShowMessageBox(L"Do you want to erase all areas?", L"Careful now!",
                               host::ui::MessageButtons::kOkCancel,
                               host::ui::MessageIcon::kExclamation) != host::ui::MessageResult::kOk)
    return;
  locationFilter.EraseAllAreas();
  OnInitDialog();
}

void OSGMLInputDialog::OnOptions() {
  if (busy) return;
  // The object-data switch is always off here: there is no object data to
  // write to in this host.
  (void)EditImportSettings(settings, updateMode != 0, false, this);
  OnInitDialog();
}

// The nine read switches of the record in the layer dialog's order.
std::array<std::int32_t*, kLayerSwitchCount> OSGMLInputDialog::ReadSwitches() {
  return {&settings.inputCartoSymbols, &settings.inputCartoText,     &settings.inputTopoLines,
          &settings.inputTopoPoints,   &settings.inputAddressPoints, &settings.inputPolygons,
          &settings.inputRoads,        &settings.inputRoadLinks,     &settings.inputRoadNodes};
}

// Both of the next two change what a reading run reads: they wait while one
// is under way, as the other handlers that change state do.
void OSGMLInputDialog::OnLayersToImport() {
  if (busy) return;
  CLayerSelection layers(this);
  const std::array<std::int32_t*, kLayerSwitchCount> switches = ReadSwitches();
  for (int i = 0; i < kLayerSwitchCount; ++i) layers.switches[i] = *switches[i];
  if (layers.DoModal() != host::ui::kIdOk) return;
  for (int i = 0; i < kLayerSwitchCount; ++i) *switches[i] = layers.switches[i] != 0 ? 1 : 0;
  TakeSwitches();
  OnInitDialog();
}

void OSGMLInputDialog::OnAbout() {
  AboutDialogBox about(this);
  (void)about.DoModal();
}

void OSGMLInputDialog::OnPropertyOptions() {
  if (busy) return;
  propertyFilter.folder = settings.supportFolder;
  (void)propertyFilter.DoModal();
}

void OSGMLInputDialog::OnCancel() {
  stopPressed = 1;
  runMode = 0;
  EndDialog(host::ui::kIdCancel);
}

void OSGMLInputDialog::OnTimer(int timerId) {
  if (timerId != id::kBatchTimer || batchStepRunning || busy || batchRun != 1 || batchIndex < 0 ||
      batchIndex >= locationFilter.GetAreaCount())
    return;
  batchStepRunning = true;
  AreaFilter stepFilter;
  AreaFilterArea area{};
  const bool created = stepFilter.CreateLists();
  if (!created || !locationFilter.GetArea(&area, batchIndex) || area.kind == kAreaRoadBuffer) {
    activeFileCount = 0;
  } else {
    (void)stepFilter.AddArea(area);
    AreaFilterArea buffer{};
    if (locationFilter.FindRoadBufferArea(&buffer)) (void)stepFilter.AddArea(buffer);
    locationName = Utf8ToWide(FieldText(area.description));
    activeLocationFilter = &stepFilter;
    MarkFilesInLocation();
    OnInitDialog();
    if (activeFileCount > 0 && ProcessGmlFiles(1, L"...", 0) != 1) {
      stopPressed = 1;
      runMode = 0;
    }
  }
  activeLocationFilter = &locationFilter;
  if (created) stepFilter.FreeAreas(0);
  batchStepRunning = false;
  EndDialog(host::ui::kIdOk);
}

int OSGMLInputDialog::RunSearchTextDialog(const std::wstring& text, double margin, double* minX,
                                          double* minY, double* maxX, double* maxY) {
  CSearchText search(text, margin, &inputFiles, totalBytes, this);
  const int code = search.DoModal();
  // A cancelled or empty search gives no window.
  if (code != host::ui::kIdOk || search.found == 0) return 0;
  *minX = search.minX, *minY = search.minY, *maxX = search.maxX, *maxY = search.maxY;
  return 1;
}
