// The state that the file chooser's tile actions share, and the operations
// on it: listing and sorting (file_listing.cpp), settings and history
// (file_select_settings.cpp), the section listing (section_listing.cpp) and
// the dialog runs (file_select_dialog.cpp, section_browser.cpp).
//
// One chooser runs at a time; its actions reach the state without a
// context, as DCL actions do. The lists are created afresh for every run
// and freed at its end; the two remembered switches outlive the runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/dialogs/file_select.h"
#include "common/containers/grow_array.h"
#include "host/system/files.h"
#include "host/ui/dcl_runtime.h"

inline constexpr int kFileNameChars = 257;     // 256 and the terminator
inline constexpr int kFolderSlotChars = 1024;  // 1023 and the terminator
inline constexpr std::size_t kFolderNameMax = 256;
inline constexpr std::int32_t kMaxListed = 0x7FFF;

// One listed file.
struct FileListEntry {
  std::uint32_t size;
  wchar_t name[kFileNameChars];
  SystemTime created;
  SystemTime written;
  std::uint8_t creationShown;
  std::uint8_t downloaded;
};

// A folder name or path in a list.
struct FolderSlot {
  wchar_t text[kFolderSlotChars];
};

inline constexpr double kSummaryNoMin = 9999999999.9;
inline constexpr double kSummaryNoMax = -9999999999.9;

struct SectionSummary {
  std::int32_t count;       // points of a long section, sections of a cross section
  std::int32_t pointCount;  // cross sections only
  double chainageMin, chainageMax;
  double offsetMin, offsetMax;
  double levelMin, levelMax;
  double levelDiffMin, levelDiffMax;
};

inline constexpr int kSectionDescriptionChars = 131;  // 130 and the terminator

// One listed section file (the section modes' file list).
struct SectionListEntry {
  wchar_t name[kFileNameChars];
  wchar_t description[kSectionDescriptionChars];
  std::int32_t kind;  // 1 long section, 2 cross section, -1 unread
  std::int32_t type;
  std::uint32_t size;
  SystemTime created;
  SystemTime written;
  std::uint8_t creationShown;
  std::uint8_t downloaded;
  SectionSummary summary;
};

// Dialog modes.
inline constexpr std::int16_t kModeSectionSelect = 1;
inline constexpr std::int16_t kModeSectionDelete = 2;
inline constexpr std::int16_t kModeSingle = 3;
inline constexpr std::int16_t kModeMultiple = 4;

// Sort keys.
inline constexpr std::int16_t kSortByName = 0;
inline constexpr std::int16_t kSortByDate = 1;
inline constexpr std::int16_t kSortBySize = 2;

struct FileSelectState {
  std::vector<const wchar_t*> patterns;      // the caller's, valid during the call
  std::vector<const wchar_t*> descriptions;
  std::int32_t chosenPattern = 0;
  std::wstring pattern;  // the current one

  std::wstring currentFolder;  // no trailing separator except at a root
  std::wstring listingFolder;

  GrowArray files{};     // FileListEntry (modes 3, 4) or SectionListEntry (1, 2)
  std::int32_t fileCount = 0;
  GrowArray folders{};   // FolderSlot: names
  std::int32_t folderCount = 0;
  GrowArray back{};      // FolderSlot: paths
  GrowArray forward{};
  GrowArray history{};
  GrowArray selection{};  // int32 list indices

  std::int32_t chosenIndex = 0;
  std::int16_t sortKey = kSortByName;
  std::uint8_t ascending = 1;
  std::uint8_t drawingFolderFlag = 0;
  std::wstring drawingFolder;
  std::int16_t mode = kModeMultiple;
  std::int16_t kindsMask = 3;
  std::uint32_t totalSize = 0;
  double totalSizeDouble = 0;
  std::wstring supportFolder;  // ends with a separator
  int dclId = -1;
  host::dcl::DialogHandle dialog{};

  // The section listing.
  std::wstring subfolderName;  // from use_subfolders.ini; empty until read
  bool listedInSubfolder = false;
  std::wstring pendingHighlight;
  bool highlightPending = false;
  bool preview = false;
  std::int32_t previewIndex = -1;
  std::int32_t viewTypes = 3;
  std::wstring pickerTitle = L"Select a folder.";
  bool previewVariant = false;  // the chooser's preview form
};

// The general chooser; `preview` leaves the section subfolder switch out
// and starts in "./" when the drawing's folder cannot be read.
std::int16_t RunFileChooser(const wchar_t* startFolder, const wchar_t* const* patterns,
                            const wchar_t* const* descriptions, std::int32_t patternCount, std::uint8_t multiple,
                            const wchar_t* title, GrowArray* files, bool preview);
// The radio key of a sort key.
const wchar_t* SortRadio(std::int16_t key);

// The one state, and the switches kept between runs.
FileSelectState& FileSelect();
std::uint8_t& ShowSubfoldersFlag();    // 1 at load
std::uint8_t& SectionSubfolderFlag();  // 0 at load

// Creates the six lists (file entries of `fileEntrySize`); false when one
// cannot be created (those made are freed again).
bool CreateFileSelectLists(FileSelectState& s, std::uint64_t fileEntrySize);
void FreeFileSelectLists(FileSelectState& s);

// ---- folder lists -----------------------------------------------------------
bool AppendFolder(GrowArray* list, const std::wstring& text);
std::wstring FolderAt(const GrowArray* list, std::int32_t index);
bool PopFolder(GrowArray* list, std::wstring* text);
// The folder with the separator appended unless it ends with one.
std::wstring WithSeparator(const std::wstring& folder);
bool EndsWithSeparator(const std::wstring& text);
// Letter-case folding of A to Z only, as the list sorts compare.
int CompareNamesAtoZ(const wchar_t* a, const wchar_t* b);

// ---- listing, sorting and the information tiles -------------------------------
std::int32_t ListFolderFiles(FileSelectState& s);
void ListSubfolders(FileSelectState& s);
bool ReadFileEntry(const std::wstring& fullPath, FileListEntry* entry);
// Fills an entry from what a folder search gave; false for entries that are
// not listed (read-only, hidden, system, folders).
bool FileEntryFromInfo(const host::FileInfo& info, FileListEntry* entry);
void SortFileList(FileSelectState& s);
// The pass-until-no-swap sort of FileListEntry or SectionListEntry records by
// name, write date or size; equal keys keep their order.
template <class Entry>
void SortEntries(GrowArray* list, std::int32_t count, std::int16_t key, bool ascending);
void FillFileList(FileSelectState& s);
void ShowFileInfo(FileSelectState& s);
void ShowCurrentFolder(FileSelectState& s);
void ShowDiskInfo(FileSelectState& s);
void SortByCallback(const host::dcl::CallbackPacket& packet);
// Shows "(Busy...)" as the only row of the file list.
void ShowBusy(FileSelectState& s);
// Relists by the mode: the file listing or the section listing, the list
// fill and the information of the first entry.
void Relist(FileSelectState& s);

std::wstring SizeText(std::uint32_t size, double sizeDouble);
// "File date: ...", "Created: ...", "Downloaded: ..." texts.
std::wstring TimeText(const wchar_t* label, const SystemTime& time);
SystemTime ToSystemTime(host::FileTime time);
// "C: [local hd] 12.00 GB Free (100.00 GB total)" for a folder.
std::wstring DiskText(const std::wstring& folder);
std::wstring ShortenedFolder(const std::wstring& folder);

// ---- navigation ----------------------------------------------------------------
void CollectSelectedFiles(const host::dcl::CallbackPacket& packet);
void ChoosePattern(const host::dcl::CallbackPacket& packet);
void GoUpFolder(const host::dcl::CallbackPacket& packet);
void GoUpFolderSilently(FileSelectState& s, bool quiet);
// The parent of a folder as the up button finds it; the folder itself at a
// root.
std::wstring ParentFolder(const std::wstring& folder);
void EnterChosenFolder(FileSelectState& s);
void GoBackFolder(const host::dcl::CallbackPacket& packet);
void GoForwardFolder(const host::dcl::CallbackPacket& packet);
void ToggleSubdirectories(const host::dcl::CallbackPacket& packet);

// ---- settings and history -------------------------------------------------------
void ReadFileSelSettings(FileSelectState& s);
void WriteFileSelSettings(const FileSelectState& s);
void ReadFolderHistory(FileSelectState& s);
void WriteFolderHistory(const FileSelectState& s);
void PushFolderHistory(FileSelectState& s);
void FolderHistoryDialog(const host::dcl::CallbackPacket& packet);
void PickFolderCallback(const host::dcl::CallbackPacket& packet);
void WriteSubfolderSettings(FileSelectState& s);
// Reads use_subfolders.ini: the switches, the section subfolder's name and
// the other lines, which the writer keeps.
void ReadSubfolderSettings(FileSelectState& s);
// The section subfolder's name as last read (empty until read), and
// forgetting what the file held.
const std::wstring& KeptSubfolderName();
void ForgetSubfolderFile();
// The start folder: the drawing's folder unless setpath.ini is in the
// support folder. Sets the drawing-folder flag and path.
void ApplyStartFolderRule(FileSelectState& s);
// Reads lines of at most `pieceChars` characters, a longer line giving
// several; the line end ("\n" or "\r\n") removed. False when the file cannot
// be opened.
bool ReadTextLines(const std::wstring& path, std::size_t pieceChars, std::vector<std::string>* lines);

// ---- section listing --------------------------------------------------------------
void ToggleSectionSubfolder(const host::dcl::CallbackPacket& packet);
std::int32_t ListSectionFiles(FileSelectState& s);
bool ReadSectionFileEntry(FileSelectState& s, const std::wstring& fullPath, SectionListEntry* entry);
bool ReadLongSectionSummary(const std::wstring& path, SectionSummary* summary, std::int32_t* type,
                            wchar_t* description);
bool ReadCrossSectionSummary(const std::wstring& path, SectionSummary* summary, std::int32_t* type,
                             wchar_t* description);
void FillSectionFileList(FileSelectState& s);
void ShowSectionInfo(FileSelectState& s, std::int32_t index);
bool SectionSubfolderExists(const std::wstring& folder, const std::wstring& name);
// The subfolder's path as it is spelt on disk; empty when there is none.
std::wstring SectionSubfolderPath(const std::wstring& folder, const std::wstring& name);
