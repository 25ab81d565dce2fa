// Section files (.sek): collecting them from a folder or a folder tree, and
// reading the header and a summary of each.
//
// A long-section file holds chainage and level along a line, a
// cross-section file offsets and levels across it at given chainages. Both
// are plain text; only the layout that the readers read is fixed here.
#pragma once

#include <cstdint>
#include <string>

#include "common/dialogs/file_select.h"
#include "common/containers/grow_array.h"

inline constexpr int kSekPathChars = 261;

// A path in the path list.
struct SekPath {
  wchar_t path[kSekPathChars];
};

inline constexpr double kSekNoMin = 9999999999.9;
inline constexpr double kSekNoMax = -9999999999.9;

struct SekSummary {
  std::int32_t count;  // chainage blocks of a long section, sections of a cross section
  double chainageMin, chainageMax;
  double levelMin, levelMax;
  double offsetMin, offsetMax;  // cross sections only
};

// Kinds of a record.
inline constexpr std::int32_t kSekNotRead = -1;
inline constexpr std::int32_t kSekLongSection = 0;
inline constexpr std::int32_t kSekCrossSection = 1;

// One scanned file; texts are cut to their width less one.
struct SectionFileRecord {
  char sortKey[520];
  wchar_t path[261];
  wchar_t drawingName[261];
  wchar_t groundModelName[261];
  wchar_t dateKey[261];  // "%4i-%02i-%02i_%02i:%02i:%02i"
  std::int32_t scanIndex;
  wchar_t description[1024];
  wchar_t headerDate[1025];
  std::int32_t kind;
  std::int32_t type;  // 1 when the header gives none
  std::uint32_t size;
  SystemTime creationTime;
  SekSummary summary;
};

// Everything a section file's reader finds, for both users of the readers.
struct SekFileContent {
  std::int32_t type = 1;
  std::wstring description;  // at most 130
  std::wstring headerDate;   // at most 137
  std::wstring drawingName;  // at most 260
  std::wstring groundModelName;
  std::int32_t count = 0;
  std::int32_t pointCount = 0;
  double chainageMin = kSekNoMin, chainageMax = kSekNoMax;
  double levelMin = kSekNoMin, levelMax = kSekNoMax;
  double offsetMin = kSekNoMin, offsetMax = kSekNoMax;
  double levelDiffMin = kSekNoMin, levelDiffMax = kSekNoMax;
};

// The readers; false when the file does not have their layout. A line
// that holds "Road" ends a cross-section file's sections when it has it in
// its first five characters, or anywhere with `roadAnywhere`.
bool ReadLongSectionContent(const std::wstring& path, SekFileContent* content);
bool ReadCrossSectionContent(const std::wstring& path, SekFileContent* content, bool roadAnywhere = false);

bool ParseLongSectionFile(const std::wstring& path, SekSummary* summary, std::int32_t* type,
                          std::wstring* description, std::wstring* headerDate, std::wstring* drawingName,
                          std::wstring* groundModelName);
bool ParseCrossSectionFile(const std::wstring& path, SekSummary* summary, std::int32_t* type,
                           std::wstring* description, std::wstring* headerDate,
                           std::wstring* drawingName, std::wstring* groundModelName);

// Appends the section files of `folder` (ending with a separator) and, with
// `recurse`, of every folder below it, depth first; `folderCount` counts the
// folders searched.
bool CollectSekFiles(GrowArray* paths, bool recurse, const std::wstring& folder, bool print,
                     std::int32_t* folderCount);
bool ListFolderSekFiles(GrowArray* paths, const std::wstring& folder, bool print);
bool WalkSubfolders(GrowArray* paths, const std::wstring& folder, bool print, std::int32_t* folderCount);

// Reads one file into `record`; true when it is a section file of a kind
// that `viewTypes` wants (bit 1 long sections, bit 2 cross sections).
bool ReadSekFileHeader(const std::wstring& path, SectionFileRecord* record, std::int32_t viewTypes);
// Reads every path of the list, appending the accepted records with their
// scan index; false when the lists fail.
bool ReadSekFileHeaders(GrowArray* records, const GrowArray* paths, std::int32_t viewTypes = 3);
