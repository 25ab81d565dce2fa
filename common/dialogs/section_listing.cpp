// The section listing of the file chooser: section files with a summary of
// each, an optional section subfolder, and the section information tiles.
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/dialogs/file_select_state.h"
#include "common/dialogs/section_scan.h"
#include "common/containers/text.h"

namespace {

using host::dcl::CallbackPacket;

void CopyCut(wchar_t* dest, std::size_t chars, const std::wstring& text) {
  const std::size_t n = std::min(text.size(), chars - 1);
  std::wmemcpy(dest, text.data(), n);
  dest[n] = 0;
}

void StartSummary(SectionSummary* summary) {
  *summary = SectionSummary{};
  summary->chainageMin = summary->offsetMin = summary->levelMin = summary->levelDiffMin = kSummaryNoMin;
  summary->chainageMax = summary->offsetMax = summary->levelMax = summary->levelDiffMax = kSummaryNoMax;
}

void FromContent(const SekFileContent& c, SectionSummary* summary, std::int32_t* type, wchar_t* description) {
  summary->count = c.count;
  summary->pointCount = c.pointCount;
  summary->chainageMin = c.chainageMin;
  summary->chainageMax = c.chainageMax;
  summary->offsetMin = c.offsetMin;
  summary->offsetMax = c.offsetMax;
  summary->levelMin = c.levelMin;
  summary->levelMax = c.levelMax;
  summary->levelDiffMin = c.levelDiffMin;
  summary->levelDiffMax = c.levelDiffMax;
  if (type) *type = c.type;
  if (description) CopyCut(description, kSectionDescriptionChars, c.description);
}

std::wstring BaseName(const wchar_t* name) {
  std::wstring text = name;
  const std::size_t dot = text.find_last_of(L'.');
  return dot == std::wstring::npos ? text : text.substr(0, dot);
}

}  // namespace

bool SectionSubfolderExists(const std::wstring& folder, const std::wstring& name) {
  // The folder's last name: after a separator at position 5 or later,
  // searched backwards from the second-to-last character.
  std::wstring last;
  if (folder.size() > 5) {
    for (std::size_t i = folder.size() - 1; i-- > 5;) {
      if (folder[i] == L'\\' || folder[i] == L'/') {
        last = folder.substr(i + 1);
        if (EndsWithSeparator(last)) last.pop_back();
        break;
      }
    }
  }
  if (!last.empty() && host::SameNameIgnoringCase(last, name)) return false;
  return !SectionSubfolderPath(folder, name).empty();
}

std::wstring SectionSubfolderPath(const std::wstring& folder, const std::wstring& name) {
  // Folder names are matched with letter case ignored, as the user's files
  // come from systems that ignore it.
  const std::optional<std::wstring> found = host::FindPathIgnoringCase(WithSeparator(folder) + name);
  if (!found || !host::IsDirectory(*found)) return {};
  return *found;
}

bool ReadLongSectionSummary(const std::wstring& path, SectionSummary* summary, std::int32_t* type,
                            wchar_t* description) {
  StartSummary(summary);
  if (type) *type = 1;
  if (description) description[0] = 0;
  SekFileContent content;
  if (!ReadLongSectionContent(path, &content)) return false;
  FromContent(content, summary, type, description);
  return true;
}

bool ReadCrossSectionSummary(const std::wstring& path, SectionSummary* summary, std::int32_t* type,
                             wchar_t* description) {
  StartSummary(summary);
  if (type) *type = 1;
  if (description) description[0] = 0;
  SekFileContent content;
  if (!ReadCrossSectionContent(path, &content, true)) return false;
  FromContent(content, summary, type, description);
  return true;
}

bool ReadSectionFileEntry(FileSelectState& s, const std::wstring& fullPath, SectionListEntry* entry) {
  *entry = SectionListEntry{};
  entry->kind = -1;
  entry->type = 1;
  StartSummary(&entry->summary);
  const std::optional<host::FileInfo> info = host::GetFileInfo(fullPath);
  if (!info || (info->attributes & host::kAttributeDirectory)) return false;
  FileListEntry file;
  FileEntryFromInfo(*info, &file);
  entry->size = static_cast<std::uint32_t>(info->size & 0xFFFFFFFFu);
  CopyCut(entry->name, kFileNameChars, info->name);
  entry->written = file.written;
  entry->created = file.created;
  entry->creationShown = file.creationShown;
  entry->downloaded = file.downloaded;
  if (s.mode == kModeSingle || s.mode == kModeMultiple) {
    // The general chooser lists any file here, of the kinds it asks for.
    entry->kind = s.kindsMask;
    return true;
  }
  if (info->size <= 100) return false;
  if (ReadLongSectionSummary(fullPath, &entry->summary, &entry->type, entry->description)) {
    entry->kind = 1;
  } else if (ReadCrossSectionSummary(fullPath, &entry->summary, &entry->type, entry->description)) {
    entry->kind = 2;
  } else {
    return false;
  }
  return true;
}

std::int32_t ListSectionFiles(FileSelectState& s) {
  ListSubfolders(s);
  s.files.count = 0;
  s.fileCount = 0;
  s.selection.count = 0;
  s.listedInSubfolder = false;
  s.listingFolder = WithSeparator(s.currentFolder);
  if (SectionSubfolderFlag() && s.subfolderName.size() > 4 &&
      SectionSubfolderExists(s.listingFolder, s.subfolderName)) {
    s.listingFolder = WithSeparator(SectionSubfolderPath(s.listingFolder, s.subfolderName));
    s.listedInSubfolder = true;
  }
  for (const host::FileInfo& info : host::ListFolder(s.listingFolder + s.pattern)) {
    if ((info.attributes & host::kAttributeDirectory) || info.name == L"." || info.name == L"..") continue;
    SectionListEntry entry;
    if (!ReadSectionFileEntry(s, s.listingFolder + info.name, &entry)) continue;
    if (entry.kind < 0 || !(entry.kind & s.kindsMask)) continue;
    if (!GrowArraySet(&s.files, s.files.count, &entry)) break;
    if (s.files.count >= kMaxListed) break;
  }
  s.fileCount = s.files.count;
  SortEntries<SectionListEntry>(&s.files, s.fileCount, s.sortKey, s.ascending != 0);
  if (s.listedInSubfolder) s.listingFolder.pop_back();
  return s.fileCount;
}

void FillSectionFileList(FileSelectState& s) {
  using namespace host::dcl;
  StartList(s.dialog, L"sekfiles", ListOperation::kNew);
  if (ShowSubfoldersFlag() && s.folderCount > 0) {
    for (std::int32_t i = 0; i < s.folderCount; ++i) AddList(L"<" + FolderAt(&s.folders, i) + L">");
  }
  const SectionListEntry* entries = static_cast<const SectionListEntry*>(s.files.data);
  std::int32_t highlight = 0;
  for (std::int32_t i = 0; i < s.fileCount; ++i) {
    AddList(BaseName(entries[i].name));
    if (s.highlightPending && host::SameNameIgnoringCase(entries[i].name, s.pendingHighlight)) highlight = i;
  }
  EndList();
  s.chosenIndex = s.folderCount + highlight;
  SetTile(s.dialog, L"sekfiles", std::to_wstring(s.chosenIndex));
  s.pendingHighlight.clear();
  s.highlightPending = false;
  std::wstring info;
  if (SectionSubfolderFlag()) {
    info = s.listedInSubfolder ? L"Listing files in subfolder \"" + s.subfolderName + L"\""
                               : L"Subfolder \"" + s.subfolderName + L"\" not found";
  }
  SetTile(s.dialog, L"subfolder_info", info);
}

void ShowSectionInfo(FileSelectState& s, std::int32_t index) {
  using namespace host::dcl;
  s.previewIndex = -1;
  s.chosenIndex = index;
  ModeTile(s.dialog, L"view_section_files", s.fileCount == 0 ? TileMode::kDisable : TileMode::kEnable);
  const std::int32_t file = index - s.folderCount;
  auto clear = [&](const wchar_t* typeText, bool description) {
    SetTile(s.dialog, L"type", typeText);
    for (const wchar_t* key : {L"file_name_etc", L"line1", L"line2", L"line3", L"line4", L"line5", L"file_number",
                               L"file_size", L"write_date", L"creation_date", L"section_type_txt"})
      SetTile(s.dialog, key, L"");
    if (description) SetTile(s.dialog, L"description", L"");
  };
  if (s.fileCount == 0 || index < s.folderCount || file >= s.fileCount) {
    clear(L"No sections found in current folder", false);
    return;
  }
  const SectionListEntry& e = static_cast<const SectionListEntry*>(s.files.data)[file];
  if (e.kind != 1 && e.kind != 2) {
    clear(L"Unsupported file format", true);
    return;
  }
  s.previewIndex = e.kind;
  const wchar_t* source = L"";
  bool from = false;
  switch (e.type) {
    case 2: case 12: source = L"Ground Model"; from = true; break;
    case 3: case 13: source = L"From drawing entities"; break;
    case 4: case 14: source = L"Overlay design"; from = true; break;
    case 5: case 15: source = L"Design output"; from = true; break;
    case 6: source = L"From section drawing"; break;
    case 7: case 16: source = L"River survey"; break;
    case 8: case 17: source = L"River design"; break;
    default: break;
  }
  SetTile(s.dialog, L"file_name_etc", source);
  std::wstring typeText;
  if (source[0] != 0 && e.description[0] != 0) typeText = from ? L"From: " + std::wstring(e.description) : e.description;
  SetTile(s.dialog, L"section_type_txt", typeText);
  wchar_t text[600];
  std::swprintf(text, 600, L"%ld of %ld  %ls.sek", static_cast<long>(file + 1), static_cast<long>(s.fileCount),
                BaseName(e.name).c_str());
  SetTile(s.dialog, L"file_number", text);
  const SectionSummary& m = e.summary;
  auto line = [&](const wchar_t* key, const wchar_t* format, double a, double b) {
    std::swprintf(text, 600, format, a, b);
    SetTile(s.dialog, key, text);
  };
  if (e.kind == 1) {
    SetTile(s.dialog, L"type", L"Long section");
    std::swprintf(text, 600, L"Number of points: %li", static_cast<long>(m.count));
    SetTile(s.dialog, L"line1", text);
    line(L"line2", L"Chainage range: %.3lf to %.3lf", m.chainageMin, m.chainageMax);
    line(L"line3", L"Level range: %.3lf to %.3lf", m.levelMin, m.levelMax);
    SetTile(s.dialog, L"line4", L"");
    SetTile(s.dialog, L"line5", L"");
  } else {
    SetTile(s.dialog, L"type", L"Cross section");
    std::swprintf(text, 600, L"Number of sections: %li", static_cast<long>(m.count));
    SetTile(s.dialog, L"line1", text);
    line(L"line2", L"Chainage range: %.3lf to %.3lf", m.chainageMin, m.chainageMax);
    line(L"line3", L"Level range: %.3lf to %.3lf", m.levelMin, m.levelMax);
    line(L"line4", L"Offsets: %.3lf to %.3lf", m.offsetMin, m.offsetMax);
    line(L"line5", L"Level diffs: %.3lf to %.3lf", m.levelDiffMin, m.levelDiffMax);
  }
  std::swprintf(text, 600, L"File size: %ld bytes", static_cast<long>(e.size));
  SetTile(s.dialog, L"file_size", text);
  SetTile(s.dialog, L"write_date", TimeText(L"File date:", e.written));
  SetTile(s.dialog, L"creation_date", e.downloaded      ? TimeText(L"Downloaded:", e.created)
                                      : e.creationShown ? TimeText(L"Created:", e.created)
                                                        : L"");
}

void ToggleSectionSubfolder(const CallbackPacket& packet) {
  if (packet.reason != host::dcl::kReasonSelected && packet.reason != host::dcl::kReasonLostFocus) return;
  FileSelectState& s = FileSelect();
  const std::uint8_t flag = packet.value == L"1" ? 1 : 0;
  if (flag == SectionSubfolderFlag()) return;
  SectionSubfolderFlag() = flag;
  WriteSubfolderSettings(s);
  ShowBusy(s);
  Relist(s);
  ShowCurrentFolder(s);
  host::dcl::ModeTile(s.dialog, L"use_subdirectories_toggle",
                      flag ? host::dcl::TileMode::kDisable : host::dcl::TileMode::kEnable);
}
