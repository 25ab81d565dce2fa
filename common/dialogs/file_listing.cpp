// Listing, sorting and the information tiles of the file chooser.
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>

#include "common/dialogs/file_select_state.h"
#include "host/system/file_time.h"

namespace {

constexpr std::uint32_t kNotListed = host::kAttributeReadOnly | host::kAttributeHidden |
                                     host::kAttributeSystem | host::kAttributeDirectory;
constexpr host::FileTime kOneSecond = 10000000;

void CopyBounded(wchar_t* dest, std::size_t chars, const std::wstring& text) {
  const std::size_t n = std::min(text.size(), chars - 1);
  std::wmemcpy(dest, text.data(), n);
  dest[n] = 0;
}

// The calendar value for the date sort; none for a date that is no date.
std::optional<host::FileTime> SortTime(const SystemTime& t) {
  host::CalendarTime c;
  c.year = t.wYear;
  c.month = t.wMonth;
  c.day = t.wDay;
  c.hour = t.wHour;
  c.minute = t.wMinute;
  c.second = t.wSecond;
  return host::CalendarToFileTime(c);
}

wchar_t FoldAtoZ(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

// True when entry j belongs before entry j-1 under the key and direction.
template <class Entry>
bool Before(const Entry& j, const Entry& previous, std::int16_t key, bool ascending) {
  int order = 0;
  switch (key) {
    case kSortByName:
      order = CompareNamesAtoZ(j.name, previous.name);
      break;
    case kSortByDate: {
      const auto a = SortTime(j.written);
      const auto b = SortTime(previous.written);
      if (!a || !b) return false;
      order = *a < *b ? -1 : (*a > *b ? 1 : 0);
      break;
    }
    case kSortBySize:
      order = j.size < previous.size ? -1 : (j.size > previous.size ? 1 : 0);
      break;
    default:
      return false;
  }
  return ascending ? order < 0 : order > 0;
}

}  // namespace

int CompareNamesAtoZ(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    const wchar_t x = FoldAtoZ(*a);
    const wchar_t y = FoldAtoZ(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

template <class Entry>
void SortEntries(GrowArray* list, std::int32_t count, std::int16_t key, bool ascending) {
  if (count < 2 || list->marker != kGrowArrayMarker) return;
  Entry* entries = static_cast<Entry*>(list->data);
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (std::int32_t j = 1; j < count; ++j) {
      if (Before(entries[j], entries[j - 1], key, ascending)) {
        std::swap(entries[j], entries[j - 1]);
        swapped = true;
      }
    }
  }
}
template void SortEntries<SectionListEntry>(GrowArray*, std::int32_t, std::int16_t, bool);

void SortFileList(FileSelectState& s) {
  SortEntries<FileListEntry>(&s.files, s.fileCount, s.sortKey, s.ascending != 0);
}

SystemTime ToSystemTime(host::FileTime time) {
  SystemTime t{};
  if (const std::optional<host::CalendarTime> c = host::FileTimeToCalendar(time)) {
    t.wYear = static_cast<std::uint16_t>(c->year);
    t.wMonth = static_cast<std::uint16_t>(c->month);
    t.wDayOfWeek = static_cast<std::uint16_t>(c->day_of_week);
    t.wDay = static_cast<std::uint16_t>(c->day);
    t.wHour = static_cast<std::uint16_t>(c->hour);
    t.wMinute = static_cast<std::uint16_t>(c->minute);
    t.wSecond = static_cast<std::uint16_t>(c->second);
    t.wMilliseconds = static_cast<std::uint16_t>(c->milliseconds);
  }
  return t;
}

bool FileEntryFromInfo(const host::FileInfo& info, FileListEntry* entry) {
  *entry = FileListEntry{};
  CopyBounded(entry->name, kFileNameChars, L"(nil)");
  if (info.attributes & kNotListed) return false;
  entry->size = static_cast<std::uint32_t>(info.size & 0xFFFFFFFFu);
  CopyBounded(entry->name, kFileNameChars, info.name);
  entry->written = ToSystemTime(info.last_write_time);
  const host::FileTime difference = info.creation_time - info.last_write_time;
  if (info.creation_time != 0 && (difference > kOneSecond || difference < -kOneSecond)) {
    entry->creationShown = 1;
    entry->created = ToSystemTime(info.creation_time);
    entry->downloaded = info.creation_time > info.last_write_time ? 1 : 0;
  }
  return true;
}

bool ReadFileEntry(const std::wstring& fullPath, FileListEntry* entry) {
  *entry = FileListEntry{};
  CopyBounded(entry->name, kFileNameChars, L"(nil)");
  const std::optional<host::FileInfo> info = host::GetFileInfo(fullPath);
  if (!info) return false;
  return FileEntryFromInfo(*info, entry);
}

void ListSubfolders(FileSelectState& s) {
  s.folders.count = 0;
  s.folderCount = 0;
  if (!ShowSubfoldersFlag() || SectionSubfolderFlag()) return;
  for (const host::FileInfo& info : host::ListFolder(WithSeparator(s.currentFolder) + L"*.*")) {
    if (!(info.attributes & host::kAttributeDirectory) || info.name == L".") continue;
    if (!AppendFolder(&s.folders, info.name.substr(0, kFolderNameMax))) break;
    if (s.folders.count >= kMaxListed) break;
  }
  s.folderCount = s.folders.count;
  if (s.folderCount < 2) return;
  FolderSlot* slots = static_cast<FolderSlot*>(s.folders.data);
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (std::int32_t j = 1; j < s.folderCount; ++j) {
      if (CompareNamesAtoZ(slots[j].text, slots[j - 1].text) < 0) {
        std::swap(slots[j], slots[j - 1]);
        swapped = true;
      }
    }
  }
}

std::int32_t ListFolderFiles(FileSelectState& s) {
  ListSubfolders(s);
  s.files.count = 0;
  s.fileCount = 0;
  s.selection.count = 0;
  s.totalSize = 0;
  s.totalSizeDouble = 0;
  s.listedInSubfolder = false;
  s.listingFolder = WithSeparator(s.currentFolder);
  if (SectionSubfolderFlag() && s.subfolderName.size() > 4 &&
      SectionSubfolderExists(s.listingFolder, s.subfolderName)) {
    s.listingFolder = WithSeparator(SectionSubfolderPath(s.listingFolder, s.subfolderName));
    s.listedInSubfolder = true;
  }
  for (const host::FileInfo& info : host::ListFolder(s.listingFolder + s.pattern)) {
    if ((info.attributes & kNotListed) || info.name == L"." || info.name == L"..") continue;
    FileListEntry entry;
    if (!ReadFileEntry(s.listingFolder + info.name, &entry)) continue;
    if (!GrowArraySet(&s.files, s.files.count, &entry)) break;
    s.totalSize += entry.size;
    s.totalSizeDouble += static_cast<double>(info.size);
    if (s.files.count >= kMaxListed) break;
  }
  s.fileCount = s.files.count;
  SortFileList(s);
  if (s.fileCount > 0) {
    const std::int32_t first = 0;
    (void)GrowArraySet(&s.selection, 0, &first);
  }
  return s.fileCount;
}

std::wstring SizeText(std::uint32_t size, double sizeDouble) {
  wchar_t text[64];
  if (sizeDouble > 900000000.0)
    std::swprintf(text, 64, L"%.2lf GB", sizeDouble / 1024 / 1024 / 1024);
  else if (sizeDouble > 900000.0)
    std::swprintf(text, 64, L"%.2lf MB", sizeDouble / 1024 / 1024);
  else if (size > 900)
    std::swprintf(text, 64, L"%.2lf KB", size / 1024.0);
  else
    std::swprintf(text, 64, L"%li bytes", static_cast<long>(size));
  return text;
}

std::wstring TimeText(const wchar_t* label, const SystemTime& time) {
  wchar_t hour[8], minute[8], text[96];
  std::swprintf(hour, 8, time.wHour > 9 ? L"%i" : L"0%i", time.wHour);
  std::swprintf(minute, 8, time.wMinute > 9 ? L"%i" : L"0%i", time.wMinute);
  std::swprintf(text, 96, L"%ls %i.%i.%i at %ls:%ls", label, time.wDay, time.wMonth, time.wYear, hour,
                minute);
  return text;
}

void FillFileList(FileSelectState& s) {
  using namespace host::dcl;
  StartList(s.dialog, L"sekfiles", ListOperation::kNew);
  if (ShowSubfoldersFlag() && s.folderCount > 0) {
    for (std::int32_t i = 0; i < s.folderCount; ++i) AddList(L"<" + FolderAt(&s.folders, i) + L">");
  }
  const FileListEntry* entries = static_cast<const FileListEntry*>(s.files.data);
  for (std::int32_t i = 0; i < s.fileCount; ++i) AddList(entries[i].name);
  EndList();
  SetTile(s.dialog, L"sekfiles", L"0");
  std::wstring info;
  if (SectionSubfolderFlag()) {
    info = s.listedInSubfolder ? L"Listing files in subfolder \"" + s.subfolderName + L"\""
                               : L"Subfolder \"" + s.subfolderName + L"\" not found";
  }
  SetTile(s.dialog, L"subfolder_info", info);
}

void ShowFileInfo(FileSelectState& s) {
  using host::dcl::SetTile;
  const std::int32_t* selection = static_cast<const std::int32_t*>(s.selection.data);
  const std::int32_t selected = s.selection.count;
  s.chosenIndex = 0;
  for (std::int32_t i = 0; i < selected; ++i) {
    if (selection[i] >= 0 && selection[i] < s.folderCount) s.chosenIndex = selection[i];
  }
  wchar_t text[160];
  if (s.fileCount == 1)
    std::swprintf(text, 160, L"One file, size %ls", SizeText(s.totalSize, s.totalSizeDouble).c_str());
  else
    std::swprintf(text, 160, L"%li files, total size %ls", static_cast<long>(s.fileCount),
                  SizeText(s.totalSize, s.totalSizeDouble).c_str());
  SetTile(s.dialog, L"files_quantity", text);
  if (s.fileCount == 0 || selected == 0) {
    SetTile(s.dialog, L"file_number", L"No files found in current folder");
    SetTile(s.dialog, L"file_size", L"");
    SetTile(s.dialog, L"write_date", L"");
    SetTile(s.dialog, L"creation_date", L"");
    return;
  }
  for (const wchar_t* key : {L"file_number", L"file_size", L"write_date", L"creation_date"})
    SetTile(s.dialog, key, L"");
  const FileListEntry* entries = static_cast<const FileListEntry*>(s.files.data);
  std::uint32_t sum = 0;
  double sumDouble = 0;
  for (std::int32_t i = 0; i < selected; ++i) {
    const std::int32_t file = selection[i] - s.folderCount;
    if (selection[i] < s.folderCount || file >= s.fileCount) continue;
    s.chosenIndex = selection[i];
    const FileListEntry& entry = entries[file];
    if (selected == 1) {
      SetTile(s.dialog, L"file_number", entry.name);
      std::swprintf(text, 160, L"File size: %ls", SizeText(entry.size, entry.size).c_str());
      SetTile(s.dialog, L"file_size", text);
      SetTile(s.dialog, L"write_date", TimeText(L"File date:", entry.written));
      if (entry.downloaded)
        SetTile(s.dialog, L"creation_date", TimeText(L"Downloaded:", entry.created));
      else if (entry.creationShown)
        SetTile(s.dialog, L"creation_date", TimeText(L"Created:", entry.created));
    } else {
      sum += entry.size;
      sumDouble += entry.size;
    }
  }
  if (selected >= 2) {
    std::swprintf(text, 160, L"%li files selected of %li", static_cast<long>(selected),
                  static_cast<long>(s.fileCount));
    SetTile(s.dialog, L"file_number", text);
    std::swprintf(text, 160, L"Seleced files: %ls", SizeText(sum, sumDouble).c_str());
    SetTile(s.dialog, L"file_size", text);
  }
}

std::wstring ShortenedFolder(const std::wstring& folder) {
  if (folder.size() < 60) return folder;
  return folder.substr(0, 13) + L" ... " + folder.substr(folder.size() - 41);
}

void ShowCurrentFolder(FileSelectState& s) {
  using namespace host::dcl;
  const std::wstring& shown = s.listedInSubfolder ? s.listingFolder : s.currentFolder;
  SetTile(s.dialog, L"current_directory", ShortenedFolder(shown));
  ModeTile(s.dialog, L"back_a_folder", s.back.count == 0 ? TileMode::kDisable : TileMode::kEnable);
  ModeTile(s.dialog, L"forward_a_folder", s.forward.count == 0 ? TileMode::kDisable : TileMode::kEnable);
  ModeTile(s.dialog, L"historical_folders", s.history.count == 0 ? TileMode::kDisable : TileMode::kEnable);
}

std::wstring DiskText(const std::wstring& folder) {
  std::wstring text;
  const bool unc = folder.size() >= 2 && (folder[0] == L'\\' || folder[0] == L'/') && folder[1] == folder[0];
  if (unc) {
    const std::size_t end = folder.find_first_of(L"\\/", 2);
    text = folder.substr(2, end == std::wstring::npos ? std::wstring::npos : end - 2) + L" [unc name]";
  } else {
    // A drive letter and colon where the path has them; else the root.
    if (folder.size() >= 2 && folder[1] == L':')
      text = folder.substr(0, 2);
    else
      text = std::wstring(1, host::kPathSeparator);
    switch (host::GetDriveType(folder)) {
      case host::DriveType::kRemovable: text += L" [local disk]"; break;
      case host::DriveType::kFixed: text += L" [local hd]"; break;
      case host::DriveType::kRemote: text += L" [network]"; break;
      case host::DriveType::kCdRom: text += L" [cd-rom]"; break;
      case host::DriveType::kRamDisk: text += L" [ramdisk]"; break;
      default: break;
    }
  }
  const std::optional<host::VolumeSpace> space = host::GetVolumeSpace(folder);
  if (!space) return text + L" (size unknown)";
  const double free_mb = static_cast<double>(space->free_to_caller) / 1024 / 1024;
  const double total_mb = static_cast<double>(space->total) / 1024 / 1024;
  wchar_t part[64];
  if (free_mb > 700000)
    std::swprintf(part, 64, L" %.2lf TB Free", free_mb / 1024 / 1024);
  else if (free_mb > 900)
    std::swprintf(part, 64, L" %.2lf GB Free", free_mb / 1024);
  else
    std::swprintf(part, 64, L" %.2lf MB Free", free_mb);
  text += part;
  if (total_mb > 700000)
    std::swprintf(part, 64, L" (%.2lf TB total)", total_mb / 1024 / 1024);
  else if (total_mb > 900)
    std::swprintf(part, 64, L" (%.2lf GB total)", total_mb / 1024);
  else
    std::swprintf(part, 64, L" (%.2lf MB total)", total_mb);
  return text + part;
}

void ShowDiskInfo(FileSelectState& s) {
  host::dcl::SetTile(s.dialog, L"current_diskfree", DiskText(s.currentFolder));
}

void ShowBusy(FileSelectState& s) {
  using namespace host::dcl;
  StartList(s.dialog, L"sekfiles", ListOperation::kNew);
  AddList(L"(Busy...)");
  EndList();
}

void SortByCallback(const host::dcl::CallbackPacket& packet) {
  FileSelectState& s = FileSelect();
  struct Key {
    const wchar_t* word;
    std::int16_t key;
  };
  for (const Key& k : {Key{L"sort_by_name", kSortByName}, Key{L"sort_by_date", kSortByDate},
                       Key{L"sort_by_size", kSortBySize}}) {
    if (packet.value.find(k.word) == std::wstring::npos) continue;
    s.ascending = s.sortKey == k.key ? !s.ascending : 1;
    s.sortKey = k.key;
  }
  ShowBusy(s);
  Relist(s);
  ShowDiskInfo(s);
  host::dcl::ModeTile(s.dialog, L"sekfiles", host::dcl::TileMode::kFocus);
  host::dcl::SetTile(s.dialog, L"error", L"");
}
