#include "common/dialogs/section_browser.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "common/dialogs/dcl_boxes.h"
#include "common/dialogs/file_select_state.h"
#include "common/dialogs/section_scan.h"
#include "common/dialogs/section_scan_result.h"
#include "common/dialogs/support_lookup.h"
#include "common/containers/text.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"
#include "host/system/wide_text.h"

namespace {

using host::dcl::CallbackPacket;
using host::dcl::DialogHandle;

bool SameIgnoringCase(const std::string& a, const char* b) { return host::SameIgnoringAsciiCase(a, b); }

const wchar_t* ViewTypeRadio(std::int32_t viewTypes) {
  switch (viewTypes) {
    case 1: return L"view_type_ls";
    case 2: return L"view_type_cs";
    default: return L"view_type_both";
  }
}

void SetViewTypes(FileSelectState& s, std::int32_t viewTypes) {
  s.viewTypes = viewTypes;
  s.kindsMask = static_cast<std::int16_t>(viewTypes);
}

// Relists and refreshes the folder and disk tiles.
void RelistSections(FileSelectState& s) {
  Relist(s);
  ShowCurrentFolder(s);
  ShowDiskInfo(s);
}

void PreviewOff(FileSelectState& s) {
  s.preview = false;
  host::dcl::SetTile(s.dialog, L"preview_sek_toggle", L"0");
  host::dcl::ModeTile(s.dialog, L"preview_sek_toggle", host::dcl::TileMode::kDisable);
}

void OnSectionList(const CallbackPacket& p) {
  FileSelectState& s = FileSelect();
  if (p.value.empty()) return;
  ShowSectionInfo(s, static_cast<std::int32_t>(std::wcstol(p.value.c_str(), nullptr, 10)));
}

void OnViewType(const CallbackPacket& p) {
  FileSelectState& s = FileSelect();
  if (p.value.find(L"view_type_ls") != std::wstring::npos)
    SetViewTypes(s, 1);
  else if (p.value.find(L"view_type_cs") != std::wstring::npos)
    SetViewTypes(s, 2);
  else if (p.value.find(L"view_type_both") != std::wstring::npos)
    SetViewTypes(s, 3);
  ShowBusy(s);
  RelistSections(s);
  host::dcl::ModeTile(s.dialog, L"sekfiles", host::dcl::TileMode::kFocus);
}

void OnDeleteSection(const CallbackPacket&) {
  FileSelectState& s = FileSelect();
  const std::int32_t file = s.chosenIndex - s.folderCount;
  if (file < 0 || file >= s.fileCount) return;
  const SectionListEntry& entry = static_cast<const SectionListEntry*>(s.files.data)[file];
  const std::wstring name = entry.name;
  if (YesNoBox((L"Delete " + name + L"?").c_str()) != 1) return;
  (void)host::RemoveFile(WithSeparator(s.listingFolder) + name);
  RelistSections(s);
  host::dcl::ModeTile(s.dialog, L"sekfiles", host::dcl::TileMode::kFocus);
}

// Shows the scan result of `folder`; on OK lists the chosen file's folder
// with that file highlighted.
void ScanAndShow(FileSelectState& s, const std::wstring& folder, bool tree) {
  GrowArray paths{};
  if (!GrowArrayCreate(100, sizeof(SekPath), &paths)) return;
  std::int32_t folders = 1;
  CollectSekFiles(&paths, tree, folder, false, &folders);
  if (paths.count == 0) {
    (void)host::ui::ShowMessageBox(L"No LWH section files found.", L"");
    GrowArrayFree(&paths);
    return;
  }
  GrowArray records{};
  if (GrowArrayCreate(100, sizeof(SectionFileRecord), &records)) {
    ReadSekFileHeaders(&records, &paths, s.viewTypes);
    CSectionScanResult result;
    result.records = &records;
    result.scannedFolder = folder.c_str();
    result.folderCount = folders;
    result.tree = tree;
    result.viewTypes = s.viewTypes;
    const int end = result.DoModal();
    GrowArrayFree(&records);
    if (end == host::ui::kIdOk && !result.chosenFolder.empty()) {
      SectionSubfolderFlag() = 0;
      host::dcl::SetTile(s.dialog, L"use_subfolder_toggle", L"0");
      s.currentFolder = result.chosenFolder;
      s.pendingHighlight = result.chosenFileName;
      s.highlightPending = true;
      RelistSections(s);
    }
  }
  GrowArrayFree(&paths);
}

void OnFindSectionFiles(const CallbackPacket&) {
  FileSelectState& s = FileSelect();
  host::ui::FolderDialog picker;
  picker.SetTitle(L"Select base folder for LWH sections");
  if (s.drawingFolderFlag && !picker.SetFolder(s.currentFolder))
    host::Alert(L"Warning: Could not set folder to '" + s.currentFolder + L"'");
  const std::optional<std::wstring> chosen = picker.Show();
  if (!chosen) return;
  const std::wstring base = WithSeparator(*chosen);
  if (base.size() < 3 && base != std::wstring(1, host::kPathSeparator)) return;
  ScanAndShow(s, base, true);
}

void OnViewSectionFiles(const CallbackPacket&) {
  FileSelectState& s = FileSelect();
  ScanAndShow(s, WithSeparator(s.currentFolder), false);
}

void OnSectionSubdirectories(const CallbackPacket& p) {
  if (p.reason != host::dcl::kReasonSelected && p.reason != host::dcl::kReasonDoubleClick) return;
  FileSelectState& s = FileSelect();
  const std::uint8_t flag = p.value == L"1" ? 1 : 0;
  if (flag != ShowSubfoldersFlag()) {
    ShowSubfoldersFlag() = flag;
    WriteSubfolderSettings(s);
    ShowBusy(s);
    RelistSections(s);
  }
  PreviewOff(s);
}

void OnPreviewToggle(const CallbackPacket& p) {
  if (p.reason != host::dcl::kReasonSelected && p.reason != host::dcl::kReasonDoubleClick) return;
  // No preview component is loaded: the switch only records the mode.
  FileSelect().preview = p.value == L"1";
}

void ReadSectionSelSettings(FileSelectState& s) {
  s.sortKey = kSortByName;
  s.ascending = 1;
  SetViewTypes(s, 3);
  ApplyStartFolderRule(s);
  std::vector<std::string> lines;
  if (!ReadTextLines(s.supportFolder + L"seksel.ini", 255, &lines)) return;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int value = i + 1 < lines.size() ? std::atoi(lines[i + 1].c_str()) : 0;
    if (SameIgnoringCase(lines[i], "Sort by"))
      s.sortKey = static_cast<std::int16_t>(value);
    else if (SameIgnoringCase(lines[i], "Acending"))
      s.ascending = value != 0 ? 1 : 0;
    else if (SameIgnoringCase(lines[i], "View types"))
      SetViewTypes(s, value);
  }
}

void WriteSectionSelSettings(const FileSelectState& s) {
  const std::string text = "Sort by\n" + std::to_string(s.sortKey) + "\nPreview what\n" +
                           std::to_string(s.preview ? 3 : 0) + "\nAcending\n" + std::to_string(s.ascending ? 1 : 0) +
                           "\nView types\n" + std::to_string(s.viewTypes) + "\n";
  const std::optional<std::string> native = host::NativePath(s.supportFolder + L"seksel.ini");
  std::FILE* file = native ? std::fopen(native->c_str(), "wb") : nullptr;
  if (file == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

enum class Browser { kSelect, kDelete };

void BindSectionTiles(DialogHandle dialog, Browser browser) {
  using host::dcl::ActionTile;
  ActionTile(dialog, L"sekfiles", OnSectionList);
  ActionTile(dialog, L"sort_by", SortByCallback);
  ActionTile(dialog, L"view_type", OnViewType);
  ActionTile(dialog, L"forward_a_folder", GoForwardFolder);
  ActionTile(dialog, L"back_a_folder", GoBackFolder);
  ActionTile(dialog, L"up_a_folder", GoUpFolder);
  ActionTile(dialog, L"browse_a_folder", PickFolderCallback);
  ActionTile(dialog, L"preview_sek_toggle", OnPreviewToggle);
  ActionTile(dialog, L"use_subfolder_toggle", ToggleSectionSubfolder);
  if (browser == Browser::kDelete) {
    ActionTile(dialog, L"delete_sek_file", OnDeleteSection);
    return;
  }
  ActionTile(dialog, L"historical_folders", FolderHistoryDialog);
  ActionTile(dialog, L"select_sek_file", [](const CallbackPacket& p) { host::dcl::DoneDialog(p.dialog, 1); });
  ActionTile(dialog, L"find_section_files", OnFindSectionFiles);
  ActionTile(dialog, L"view_section_files", OnViewSectionFiles);
  ActionTile(dialog, L"use_subdirectories_toggle", OnSectionSubdirectories);
}

// Opens the start folder as the file chooser does.
void OpenStartFolder(FileSelectState& s, const wchar_t* startFolder) {
  if (s.drawingFolderFlag && s.drawingFolder.size() < kFolderSlotChars && host::SetCurrentFolder(s.drawingFolder)) {
    s.currentFolder = s.drawingFolder;
  } else {
    if (!s.drawingFolderFlag && startFolder != nullptr) (void)host::SetCurrentFolder(startFolder);
    s.currentFolder = host::CurrentFolder().value_or(L".");
  }
}

// The dialog loop shared by both browsers; the end status.
int RunSectionDialogs(FileSelectState& s, Browser browser, const wchar_t* dialogName, const wchar_t* failure,
                      const wchar_t* title, bool viewTypeFixed, bool* failed) {
  using namespace host::dcl;
  int status = 0;
  for (;;) {
    const std::optional<DialogHandle> dialog = NewDialog(dialogName, s.dclId);
    if (!dialog) {
      host::Print(failure);
      *failed = true;
      return 0;
    }
    s.dialog = *dialog;
    BindSectionTiles(s.dialog, browser);
    SetTile(s.dialog, L"sel_title", title != nullptr ? title : L"");
    SetTile(s.dialog, L"error", L"Busy...");
    if (browser == Browser::kSelect) SetTile(s.dialog, L"use_subdirectories_toggle", ShowSubfoldersFlag() ? L"1" : L"0");
    SetTile(s.dialog, L"use_subfolder_toggle", SectionSubfolderFlag() ? L"1" : L"0");
    ModeTile(s.dialog, L"use_subdirectories_toggle", SectionSubfolderFlag() ? TileMode::kDisable : TileMode::kEnable);
    SetTile(s.dialog, L"sort_by", SortRadio(s.sortKey));
    SetTile(s.dialog, L"view_type", ViewTypeRadio(s.viewTypes));
    if (viewTypeFixed) ModeTile(s.dialog, L"view_type", TileMode::kDisable);
    PreviewOff(s);
    RelistSections(s);
    SetTile(s.dialog, L"error", L"");
    status = StartDialog(s.dialog).value_or(0);
    s.preview = false;
    const bool onFolder = s.chosenIndex >= 0 && s.chosenIndex < s.folderCount;
    if (onFolder) EnterChosenFolder(s);
    if (!(status == 1 && onFolder)) return status;
  }
}

}  // namespace

int SelectSectionFilesDialog(const wchar_t* startFolder, const wchar_t* pattern, const wchar_t* title,
                             std::int32_t viewTypes, bool viewTypeFixed, wchar_t* path, std::size_t pathChars) {
  if (path != nullptr && pathChars > 0) path[0] = 0;
  FileSelectState& s = FileSelect();
  s = FileSelectState{};
  if (!CreateFileSelectLists(s, sizeof(SectionListEntry))) return 0;
  s.pattern = pattern != nullptr ? pattern : L"*.sek";
  s.mode = kModeSectionSelect;
  s.pickerTitle = L"Select folder containing section files.";
  s.supportFolder = DialogSupportFolderOrHere();
  ReadSectionSelSettings(s);
  ReadFolderHistory(s);
  const std::int32_t storedViewTypes = s.viewTypes;
  SetViewTypes(s, viewTypes >= 1 && viewTypes <= 3 ? viewTypes : 3);
  ReadSubfolderSettings(s);
  OpenStartFolder(s, startFolder);
  s.dclId = host::dcl::LoadDialog(L"duzizov.dcl");
  if (s.dclId < 0) {
    host::Print(L"Error loading \"duzizov.dcl\"\n");
    FreeFileSelectLists(s);
    return 0;
  }
  bool failed = false;
  const wchar_t* name = viewTypes == 3 && !viewTypeFixed ? L"seksel_view_type" : L"seksel";
  const int status =
      RunSectionDialogs(s, Browser::kSelect, name, L"New_dialog for seksel failed\n", title, viewTypeFixed, &failed);
  int result = 0;
  const std::int32_t file = s.chosenIndex - s.folderCount;
  if (!failed && status == 1 && s.fileCount > 0 && file >= 0 && file < s.fileCount) {
    SetViewTypes(s, storedViewTypes);
    WriteSectionSelSettings(s);
    PushFolderHistory(s);
    WriteFolderHistory(s);
    const std::wstring chosen =
        WithSeparator(s.listingFolder) + static_cast<const SectionListEntry*>(s.files.data)[file].name;
    if (path != nullptr && chosen.size() < pathChars) {
      std::wmemcpy(path, chosen.c_str(), chosen.size() + 1);
      result = 1;
    } else if (path != nullptr) {
      host::Alert(L"The path of \"" + chosen + L"\" is too long to be returned.");
    }
  }
  host::dcl::UnloadDialog(s.dclId);
  FreeFileSelectLists(s);
  return result;
}

int DeleteSectionFilesDialog(const wchar_t* startFolder, const wchar_t* pattern, const wchar_t* title) {
  FileSelectState& s = FileSelect();
  const std::wstring keptName = KeptSubfolderName();
  s = FileSelectState{};
  if (!CreateFileSelectLists(s, sizeof(SectionListEntry))) return 0;
  s.pattern = pattern != nullptr ? pattern : L"*.sek";
  s.mode = kModeSectionDelete;
  s.pickerTitle = L"Select folder containing section files.";
  s.subfolderName = keptName;
  s.supportFolder = DialogSupportFolderOrHere();
  ReadSectionSelSettings(s);
  OpenStartFolder(s, startFolder);
  s.dclId = host::dcl::LoadDialog(L"duzizov.dcl");
  if (s.dclId < 0) {
    host::Print(L"Error loading \"duzizov.dcl\"\n");
    FreeFileSelectLists(s);
    return 0;
  }
  bool failed = false;
  (void)RunSectionDialogs(s, Browser::kDelete, L"sekdel", L"New_dialog for sekdelw failed\n", title, false, &failed);
  host::dcl::UnloadDialog(s.dclId);
  if (failed) {
    FreeFileSelectLists(s);
    return 0;
  }
  WriteSectionSelSettings(s);
  FreeFileSelectLists(s);
  return 1;
}

std::int16_t SelectFilesPreviewDialog(const wchar_t* startFolder, const wchar_t* const* patterns,
                                      const wchar_t* const* descriptions, std::int32_t patternCount,
                                      std::uint8_t multiple, const wchar_t* title, GrowArray* files) {
  return RunFileChooser(startFolder, patterns, descriptions, patternCount, multiple, title, files, true);
}
