// The run of the file chooser, its selection and its folder navigation.
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/dialogs/file_select_state.h"
#include "common/dialogs/support_lookup.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/system/fault.h"

namespace {

using host::dcl::CallbackPacket;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsUnc(const std::wstring& folder) {
  return folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1]);
}

// After a folder change: the busy row, the listing, the folder tiles.
void RelistAfterMove(FileSelectState& s) {
  ShowBusy(s);
  Relist(s);
  ShowCurrentFolder(s);
}

constexpr const wchar_t* kManyFilesAlert =
    L"Please note that the limit of the selected files is 256. Even though you can highlight more in "
    L"the list only the first 256 can be used by this program.\n\nThis is due to a limitation in "
    L"AutoCAD's Dialogs - LWH is sorry and apologises.\n\nQ: Why didn't LWH use CFileDialog?\nA: "
    L"AutoCAD 2010 crashes when it's used. (Other CADs, like BricsCAD or AutoCAD 2007 are OK with "
    L"it.)";

}  // namespace

FileSelectState& FileSelect() {
  static FileSelectState state;
  return state;
}

std::uint8_t& ShowSubfoldersFlag() {
  static std::uint8_t flag = 1;
  return flag;
}

std::uint8_t& SectionSubfolderFlag() {
  static std::uint8_t flag = 0;
  return flag;
}

void ResetFileSelectSwitches() {
  ShowSubfoldersFlag() = 1;
  SectionSubfolderFlag() = 0;
  ForgetSubfolderFile();
}

bool EndsWithSeparator(const std::wstring& text) { return !text.empty() && IsSeparator(text.back()); }

std::wstring WithSeparator(const std::wstring& folder) {
  return EndsWithSeparator(folder) ? folder : folder + host::kPathSeparator;
}

bool AppendFolder(GrowArray* list, const std::wstring& text) {
  FolderSlot slot{};
  const std::size_t n = std::min<std::size_t>(text.size(), kFolderSlotChars - 1);
  std::wmemcpy(slot.text, text.data(), n);
  return GrowArraySet(list, list->count, &slot);
}

std::wstring FolderAt(const GrowArray* list, std::int32_t index) {
  if (list->marker != kGrowArrayMarker || index < 0 || index >= list->count) return {};
  return static_cast<const FolderSlot*>(list->data)[index].text;
}

bool PopFolder(GrowArray* list, std::wstring* text) {
  if (list->marker != kGrowArrayMarker || list->count <= 0) return false;
  *text = FolderAt(list, list->count - 1);
  --list->count;
  return true;
}

bool CreateFileSelectLists(FileSelectState& s, std::uint64_t fileEntrySize) {
  s.files = s.folders = s.back = s.forward = s.history = s.selection = GrowArray{};
  s.fileCount = s.folderCount = 0;
  const bool ok = GrowArrayCreate(100, fileEntrySize, &s.files) &&
                  GrowArrayCreate(50, sizeof(FolderSlot), &s.folders) &&
                  GrowArrayCreate(50, sizeof(FolderSlot), &s.back) &&
                  GrowArrayCreate(50, sizeof(FolderSlot), &s.forward) &&
                  GrowArrayCreate(50, sizeof(FolderSlot), &s.history) &&
                  GrowArrayCreate(50, sizeof(std::int32_t), &s.selection);
  if (!ok) FreeFileSelectLists(s);
  return ok;
}

void FreeFileSelectLists(FileSelectState& s) {
  for (GrowArray* list : {&s.files, &s.folders, &s.back, &s.forward, &s.history, &s.selection}) {
    if (list->marker == kGrowArrayMarker) GrowArrayFree(list);
    *list = GrowArray{};
  }
  s.fileCount = s.folderCount = 0;
}

void Relist(FileSelectState& s) {
  if (s.mode == kModeSingle || s.mode == kModeMultiple) {
    ListFolderFiles(s);
    FillFileList(s);
    ShowFileInfo(s);
  } else {
    ListSectionFiles(s);
    FillSectionFileList(s);
    ShowSectionInfo(s, s.chosenIndex);
  }
}

void CollectSelectedFiles(const CallbackPacket& packet) {
  FileSelectState& s = FileSelect();
  if (packet.value.empty()) return;
  s.selection.count = 0;
  if (host::FaultFires(host::FaultPoint::Allocation)) {
    host::Alert(L"So many items in file selection list box that memory allocation failed..");
    return;
  }
  std::size_t i = 0;
  const std::wstring& value = packet.value;
  while (i < value.size()) {
    while (i < value.size() && value[i] == L' ') ++i;
    if (i >= value.size()) break;
    std::size_t end = value.find(L' ', i);
    if (end == std::wstring::npos) end = value.size();
    const std::wstring token = value.substr(i, std::min<std::size_t>(end - i, 127));
    const std::int32_t index = static_cast<std::int32_t>(std::wcstol(token.c_str(), nullptr, 10));
    if (!GrowArraySet(&s.selection, s.selection.count, &index)) break;
    i = end;
  }
  if (s.selection.count >= 256) host::Alert(kManyFilesAlert);
  ShowFileInfo(s);
}

void ChoosePattern(const CallbackPacket& packet) {
  if (packet.reason != host::dcl::kReasonSelected && packet.reason != host::dcl::kReasonLostFocus) return;
  FileSelectState& s = FileSelect();
  const long chosen = std::wcstol(packet.value.c_str(), nullptr, 10);
  if (chosen < 0 || chosen >= static_cast<long>(s.patterns.size())) return;
  s.chosenPattern = static_cast<std::int32_t>(chosen);
  s.pattern = s.patterns[chosen];
  Relist(s);
}

std::wstring ParentFolder(const std::wstring& folder) {
  // The root part that the up move never cuts: "C:\", "\\server" and "/".
  const bool drive = folder.size() >= 3 && folder[1] == L':' && IsSeparator(folder[2]);
  const std::size_t keep = (drive || IsUnc(folder)) ? 3 : 1;
  for (std::size_t i = folder.size(); i-- > keep;) {
    if (IsSeparator(folder[i])) return folder.substr(0, i);
  }
  if (drive) return folder.substr(0, 3);
  if (!IsUnc(folder) && !folder.empty() && IsSeparator(folder[0])) return folder.substr(0, 1);
  return folder;
}

void GoUpFolderSilently(FileSelectState& s, bool quiet) {
  const std::wstring parent = ParentFolder(s.currentFolder);
  if (parent.empty()) return;
  AppendFolder(&s.back, s.currentFolder);
  s.currentFolder = parent;
  if (quiet) return;
  RelistAfterMove(s);
}

void GoUpFolder(const CallbackPacket&) { GoUpFolderSilently(FileSelect(), false); }

void EnterChosenFolder(FileSelectState& s) {
  if (s.chosenIndex < 0 || s.chosenIndex >= s.folderCount) return;
  const std::wstring name = FolderAt(&s.folders, s.chosenIndex);
  if (name == L"..") {
    GoUpFolderSilently(s, true);
    return;
  }
  const std::wstring entered = WithSeparator(s.currentFolder) + name;
  if (entered.size() < kFolderSlotChars) s.currentFolder = entered;
}

void GoBackFolder(const CallbackPacket&) {
  FileSelectState& s = FileSelect();
  std::wstring folder;
  if (!PopFolder(&s.back, &folder)) return;
  AppendFolder(&s.forward, s.currentFolder);
  s.currentFolder = folder;
  RelistAfterMove(s);
}

void GoForwardFolder(const CallbackPacket&) {
  FileSelectState& s = FileSelect();
  std::wstring folder;
  if (!PopFolder(&s.forward, &folder)) return;
  AppendFolder(&s.back, s.currentFolder);
  s.currentFolder = folder;
  RelistAfterMove(s);
}

void ToggleSubdirectories(const CallbackPacket& packet) {
  if (packet.reason != host::dcl::kReasonSelected && packet.reason != host::dcl::kReasonLostFocus) return;
  FileSelectState& s = FileSelect();
  const std::uint8_t flag = packet.value == L"1" ? 1 : 0;
  if (flag == ShowSubfoldersFlag()) return;
  ShowSubfoldersFlag() = flag;
  WriteSubfolderSettings(s);
  RelistAfterMove(s);
}

namespace {

// A chosen file as the caller gets it; false when it cannot be returned
// whole or is gone.
bool BuildSelectedFile(const FileSelectState& s, const FileListEntry& entry, SelectedFile* file) {
  // The folder really listed: the current folder or its section subfolder.
  const std::wstring path = WithSeparator(s.listingFolder) + entry.name;
  if (path.size() >= static_cast<std::size_t>(kSelectedPathChars)) {
    host::Alert(L"The path of \"" + path + L"\" is longer than 260 characters: the file is left out.");
    return false;
  }
  if (!host::PathExists(path)) {
    host::Alert(L"\"" + path + L"\" is no longer there: the file is left out.");
    return false;
  }
  *file = SelectedFile{};
  file->size = entry.size;
  std::wmemcpy(file->path, path.data(), path.size());
  file->created = entry.created;
  file->written = entry.written;
  file->creationShown = entry.creationShown;
  file->downloaded = entry.downloaded;
  return true;
}

void BindFileTiles(host::dcl::DialogHandle dialog, bool preview) {
  using host::dcl::ActionTile;
  ActionTile(dialog, L"sekfiles", CollectSelectedFiles);
  ActionTile(dialog, L"filespec_combo", ChoosePattern);
  ActionTile(dialog, L"browse_a_folder", PickFolderCallback);
  ActionTile(dialog, L"sort_by", SortByCallback);
  ActionTile(dialog, L"back_a_folder", GoBackFolder);
  ActionTile(dialog, L"forward_a_folder", GoForwardFolder);
  ActionTile(dialog, L"up_a_folder", GoUpFolder);
  ActionTile(dialog, L"historical_folders", FolderHistoryDialog);
  ActionTile(dialog, L"select_sek_file",
             [](const CallbackPacket& p) { host::dcl::DoneDialog(p.dialog, 1); });
  if (!preview) ActionTile(dialog, L"use_subfolder_toggle", ToggleSectionSubfolder);
  ActionTile(dialog, L"use_subdirectories_toggle", ToggleSubdirectories);
}

}  // namespace

const wchar_t* SortRadio(std::int16_t key) {
  switch (key) {
    case kSortByDate: return L"sort_by_date";
    case kSortBySize: return L"sort_by_size";
    default: return L"sort_by_name";
  }
}

std::int16_t SelectFilesDialog(const wchar_t* startFolder, const wchar_t* const* patterns,
                               const wchar_t* const* descriptions, std::int32_t patternCount,
                               std::uint8_t multiple, const wchar_t* title, GrowArray* files) {
  return RunFileChooser(startFolder, patterns, descriptions, patternCount, multiple, title, files, false);
}

std::int16_t RunFileChooser(const wchar_t* startFolder, const wchar_t* const* patterns,
                            const wchar_t* const* descriptions, std::int32_t patternCount, std::uint8_t multiple,
                            const wchar_t* title, GrowArray* files, bool preview) {
  using namespace host::dcl;
  if (files != nullptr) files->count = 0;
  if (patterns == nullptr || patternCount < 1) return 0;
  patternCount = std::min(patternCount, kMaxFilePatterns);
  FileSelectState& s = FileSelect();
  s = FileSelectState{};
  if (!CreateFileSelectLists(s, sizeof(FileListEntry))) return 0;
  const std::int32_t first = 0;
  (void)GrowArraySet(&s.selection, 0, &first);
  for (std::int32_t i = 0; i < patternCount; ++i) {
    s.patterns.push_back(patterns[i] != nullptr ? patterns[i] : L"*.*");
    s.descriptions.push_back(descriptions != nullptr && descriptions[i] != nullptr ? descriptions[i] : L"");
  }
  s.pattern = s.patterns[0];
  s.sortKey = kSortByName;
  s.ascending = 1;
  s.kindsMask = 3;
  s.mode = multiple ? kModeMultiple : kModeSingle;
  s.supportFolder = DialogSupportFolderOrHere();
  s.subfolderName = KeptSubfolderName();
  s.previewVariant = preview;
  ReadFileSelSettings(s);
  ReadFolderHistory(s);

  if (s.drawingFolderFlag && s.drawingFolder.size() < kFolderSlotChars && host::SetCurrentFolder(s.drawingFolder)) {
    s.currentFolder = s.drawingFolder;
  } else {
    if (!s.drawingFolderFlag && startFolder != nullptr) (void)host::SetCurrentFolder(startFolder);
    s.currentFolder = host::CurrentFolder().value_or(L".").substr(0, kFolderSlotChars - 1);
  }

  s.dclId = LoadDialog(L"duzizov.dcl");
  if (s.dclId < 0) {
    host::Print(L"Error loading \"duzizov.dcl\"\n");
    FreeFileSelectLists(s);
    return 0;
  }
  int status = 0;
  do {
    const std::optional<DialogHandle> dialog =
        NewDialog(multiple ? L"select_general_file_multiselection" : L"select_general_file_singleselection",
                  s.dclId);
    if (!dialog) {
      host::Print(L"New_dialog for select_general_file_[] failed\n");
      UnloadDialog(s.dclId);
      FreeFileSelectLists(s);
      return 0;
    }
    s.dialog = *dialog;
    BindFileTiles(s.dialog, preview);
    SetTile(s.dialog, L"sel_title", title != nullptr ? title : L"");
    SetTile(s.dialog, L"error", L"Busy...");
    SetTile(s.dialog, L"sort_by", SortRadio(s.sortKey));
    SetTile(s.dialog, L"use_subdirectories_toggle", ShowSubfoldersFlag() ? L"1" : L"0");
    StartList(s.dialog, L"filespec_combo", ListOperation::kNew);
    for (std::size_t i = 0; i < s.patterns.size(); ++i)
      AddList(std::wstring(s.patterns[i]) + L"  " + s.descriptions[i]);
    EndList();
    SetTile(s.dialog, L"filespec_combo", std::to_wstring(s.chosenPattern));
    SetTile(s.dialog, L"preview_sek_toggle", L"0");
    ModeTile(s.dialog, L"preview_sek_toggle", TileMode::kDisable);
    ListFolderFiles(s);
    FillFileList(s);
    ShowFileInfo(s);
    ShowCurrentFolder(s);
    ShowDiskInfo(s);
    SetTile(s.dialog, L"error", L"");
    status = StartDialog(s.dialog).value_or(0);
    const bool onFolder = s.chosenIndex < s.folderCount;
    if (onFolder) EnterChosenFolder(s);
    if (!(status == 1 && onFolder)) break;
  } while (true);

  std::int16_t result = 0;
  if (status == 1 && s.fileCount > 0 && s.selection.count > 0 && files != nullptr &&
      files->marker == kGrowArrayMarker) {
    WriteFileSelSettings(s);
    PushFolderHistory(s);
    WriteFolderHistory(s);
    const std::int32_t* selection = static_cast<const std::int32_t*>(s.selection.data);
    const FileListEntry* entries = static_cast<const FileListEntry*>(s.files.data);
    for (std::int32_t i = 0; i < s.selection.count; ++i) {
      const std::int32_t file = selection[i] - s.folderCount;
      if (selection[i] < s.folderCount || file >= s.fileCount) continue;
      SelectedFile record;
      if (!BuildSelectedFile(s, entries[file], &record)) continue;
      if (!GrowArraySet(files, files->count, &record)) break;
    }
    result = files->count > 0 ? 1 : 0;
  }
  UnloadDialog(s.dclId);
  FreeFileSelectLists(s);
  return result;
}
