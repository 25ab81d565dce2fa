// The file chooser's settings files, its folder history and the two ways of
// jumping to another folder (history dialog and folder picker).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/dialogs/dcl_boxes.h"
#include "common/dialogs/file_select_state.h"
#include "common/containers/text.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/system_variables.h"
#include "host/system/process.h"
#include "host/ui/pickers.h"
#include "host/system/wide_text.h"

namespace {

using host::dcl::CallbackPacket;

bool SameIgnoringCase(const std::string& a, const char* b) { return host::SameIgnoringAsciiCase(a, b); }

std::FILE* OpenFile(const std::wstring& path, const char* mode) {
  const std::optional<std::string> native = host::NativePath(path);
  return native ? std::fopen(native->c_str(), mode) : nullptr;
}

// Writes `text` as the whole file; false when it cannot be written.
bool WriteWholeFile(const std::wstring& path, const std::string& text) {
  std::FILE* file = OpenFile(path, "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

// The chooser's files hold their folder and subfolder names as UTF-8; a
// byte that is not UTF-8 (a file written before, in 8-bit text) reads as the
// character of its number.

constexpr const char* kUseSubfoldersKey = "*Use subfolders for lwh files";
constexpr const char* kSubfolderNameKey = "*Subfolder for sections";
constexpr const char* kShowSubdirectoriesKey = "*Show subdirectories in file list";

// What use_subfolders.ini held besides the three settings.
struct SubfolderFile {
  bool read = false;
  std::wstring name;
  std::vector<std::string> otherLines;
};
SubfolderFile& Subfolders() {
  static SubfolderFile file;
  return file;
}

}  // namespace

bool ReadTextLines(const std::wstring& path, std::size_t pieceChars, std::vector<std::string>* lines) {
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return false;
  lines->clear();
  std::string line;
  int c;
  bool pending = false;
  while ((c = std::fgetc(file)) != EOF) {
    pending = true;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines->push_back(line);
      line.clear();
      pending = false;
      continue;
    }
    line += static_cast<char>(c);
    if (line.size() >= pieceChars) {
      // A long line is read in pieces; a piece followed directly by the line
      // end keeps it as its end.
      const int next = std::fgetc(file);
      if (next == '\n') {
        if (line.back() == '\r') line.pop_back();
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
      lines->push_back(line);
      line.clear();
      pending = false;
    }
  }
  if (pending) lines->push_back(line);
  std::fclose(file);
  return true;
}

void ApplyStartFolderRule(FileSelectState& s) {
  s.drawingFolder.clear();
  if (s.previewVariant) s.drawingFolder = std::wstring(L".") + host::kPathSeparator;
  std::FILE* marker = OpenFile(s.supportFolder + L"setpath.ini", "rb");
  if (marker != nullptr) {
    std::fclose(marker);
    s.drawingFolderFlag = 0;
    return;
  }
  s.drawingFolderFlag = 1;
  const host::SysVarResult prefix = host::GetSystemVariable(L"DWGPREFIX");
  if (prefix.ok()) {
    s.drawingFolder = prefix.Text();
    if (s.drawingFolder.size() > 1 && EndsWithSeparator(s.drawingFolder)) s.drawingFolder.pop_back();
  }
}

void ReadFileSelSettings(FileSelectState& s) {
  s.sortKey = kSortByName;
  s.ascending = 1;
  ApplyStartFolderRule(s);
  std::vector<std::string> lines;
  if (!ReadTextLines(s.supportFolder + L"filesel.ini", 255, &lines)) return;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (SameIgnoringCase(lines[i], "Acending"))
      s.ascending = static_cast<std::uint8_t>(std::atoi(lines[i + 1].c_str()) != 0);
    else if (SameIgnoringCase(lines[i], "Sort by"))
      s.sortKey = static_cast<std::int16_t>(std::atoi(lines[i + 1].c_str()));
  }
}

void WriteFileSelSettings(const FileSelectState& s) {
  const std::string text = "Sort by\n" + std::to_string(s.sortKey) + "\nAcending\n" +
                           std::to_string(s.ascending ? 1 : 0) + "\n";
  (void)WriteWholeFile(s.supportFolder + L"filesel.ini", text);
}

void ReadFolderHistory(FileSelectState& s) {
  std::vector<std::string> lines;
  // A line holds a whole folder: up to kFolderSlotChars characters, each up
  // to 4 bytes of UTF-8.
  if (!ReadTextLines(s.supportFolder + L"folders_lwh.ini", 4 * kFolderSlotChars, &lines)) return;
  s.history.count = 0;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (!AppendFolder(&s.history, Utf8ToWide(line))) break;
  }
}

void WriteFolderHistory(const FileSelectState& s) {
  std::string text;
  for (std::int32_t i = 0; i < s.history.count && i < 128; ++i)
    text += WideToUtf8(FolderAt(&s.history, i)) + "\n";
  (void)WriteWholeFile(s.supportFolder + L"folders_lwh.ini", text);
}

void PushFolderHistory(FileSelectState& s) {
  FolderSlot* slots = static_cast<FolderSlot*>(s.history.data);
  std::int32_t found = -1;
  for (std::int32_t i = 0; i < s.history.count; ++i) {
    if (host::SameNameIgnoringCase(slots[i].text, s.currentFolder)) {
      found = i;
      break;
    }
  }
  if (found < 0) {
    if (!AppendFolder(&s.history, s.currentFolder)) return;
    slots = static_cast<FolderSlot*>(s.history.data);
    found = s.history.count - 1;
  }
  const FolderSlot moved = slots[found];
  for (std::int32_t i = found; i > 0; --i) slots[i] = slots[i - 1];
  slots[0] = moved;
}

namespace {

// The folder chosen in "dirsel".
std::wstring& ChosenHistoryFolder() {
  static std::wstring folder;
  return folder;
}

void OnHistoryFolder(const CallbackPacket& packet) {
  FileSelectState& s = FileSelect();
  if (packet.value.empty() || s.history.count == 0) return;
  const long index = std::wcstol(packet.value.c_str(), nullptr, 10);
  if (index >= 0 && index < s.history.count) ChosenHistoryFolder() = FolderAt(&s.history, index);
}

void OnClearHistory(const CallbackPacket& packet) {
  if (NoYesBox(L"Sure?") != 1) return;
  FileSelect().history.count = 0;
  host::dcl::DoneDialog(packet.dialog, 2);
}

void OnEditHistory(const CallbackPacket& packet) {
  if (NoYesBox(L"Edit list of previous folders?") != 1) return;
  if (NoYesBox(L"OK. Remember to save after edit.") != 1) return;
  (void)host::ShellOpen(FileSelect().supportFolder + L"folders_lwh.ini");
  host::dcl::DoneDialog(packet.dialog, 2);
}

}  // namespace

void FolderHistoryDialog(const CallbackPacket&) {
  using namespace host::dcl;
  FileSelectState& s = FileSelect();
  ReadFolderHistory(s);
  if (s.history.count == 0) {
    host::Alert(L"No previous folders recorded, yet.");
    return;
  }
  const std::optional<DialogHandle> dialog = NewDialog(L"dirsel", s.dclId);
  if (!dialog) {
    host::Print(L"New_dialog for dirsel failed\n");
    return;
  }
  ActionTile(*dialog, L"folders", OnHistoryFolder);
  ActionTile(*dialog, L"clear_history", OnClearHistory);
  ActionTile(*dialog, L"edit_history", OnEditHistory);
  StartList(*dialog, L"folders", ListOperation::kNew);
  for (std::int32_t i = 0; i < s.history.count; ++i) AddList(FolderAt(&s.history, i));
  EndList();
  SetTile(*dialog, L"folders", L"0");
  ChosenHistoryFolder() = FolderAt(&s.history, 0);
  if (StartDialog(*dialog).value_or(0) != 1) return;
  const std::wstring chosen = ChosenHistoryFolder();
  if (!host::IsDirectory(chosen)) {
    host::Alert(L"Sorry, can not go to \"" + chosen + L"\"");
    return;
  }
  s.currentFolder = chosen;
  if (s.mode != kModeSectionDelete) Relist(s);
  ShowCurrentFolder(s);
  ShowDiskInfo(s);
}

void PickFolderCallback(const CallbackPacket&) {
  FileSelectState& s = FileSelect();
  host::ui::FolderDialog picker;
  picker.SetTitle(s.pickerTitle);
  if (s.drawingFolderFlag) {
    if (!picker.SetFolder(WithSeparator(s.currentFolder)))
      host::Alert(L"Warning: Could not set folder to '" + s.currentFolder + L"'");
  }
  const std::optional<std::wstring> chosen = picker.Show();
  if (!chosen || chosen->empty()) return;
  if (chosen->size() >= kFolderSlotChars) return;
  AppendFolder(&s.back, s.currentFolder);
  s.currentFolder = *chosen;
  ShowBusy(s);
  Relist(s);
  ShowCurrentFolder(s);
  ShowDiskInfo(s);
}

void ReadSubfolderSettings(FileSelectState& s) {
  SubfolderFile& file = Subfolders();
  file.read = true;
  file.otherLines.clear();
  if (s.subfolderName.empty()) s.subfolderName = L"LWH Sections";
  file.name = s.subfolderName;
  std::vector<std::string> lines;
  if (!ReadTextLines(s.supportFolder + L"use_subfolders.ini", 255, &lines)) return;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const bool hasNext = i + 1 < lines.size();
    if (SameIgnoringCase(line, kUseSubfoldersKey)) {
      if (hasNext) SectionSubfolderFlag() = lines[++i].starts_with("1") ? 1 : 0;
    } else if (SameIgnoringCase(line, kSubfolderNameKey)) {
      if (hasNext && !lines[i + 1].empty())
        s.subfolderName = Utf8ToWide(lines[i + 1]).substr(0, 255);
      if (hasNext) ++i;
    } else if (SameIgnoringCase(line, kShowSubdirectoriesKey)) {
      if (hasNext) ShowSubfoldersFlag() = lines[++i].starts_with("1") ? 1 : 0;
    } else if (file.otherLines.size() < 50) {
      file.otherLines.push_back(line);
    }
  }
  file.name = s.subfolderName;
}

const std::wstring& KeptSubfolderName() { return Subfolders().name; }

void WriteSubfolderSettings(FileSelectState& s) {
  if (!Subfolders().read) {
    // Read the file's other lines and names without changing the switches.
    const std::uint8_t show = ShowSubfoldersFlag();
    const std::uint8_t section = SectionSubfolderFlag();
    ReadSubfolderSettings(s);
    ShowSubfoldersFlag() = show;
    SectionSubfolderFlag() = section;
  }
  std::string text;
  for (const std::string& line : Subfolders().otherLines) text += line + "\n";
  text += std::string(kSubfolderNameKey) + "\n" + WideToUtf8(s.subfolderName) + "\n";
  text += std::string(kUseSubfoldersKey) + "\n" + (SectionSubfolderFlag() ? "1" : "0") + "\n";
  text += std::string(kShowSubdirectoriesKey) + "\n" + (ShowSubfoldersFlag() ? "1" : "0") + "\n";
  (void)WriteWholeFile(s.supportFolder + L"use_subfolders.ini", text);
}

void ForgetSubfolderFile() { Subfolders() = SubfolderFile{}; }
