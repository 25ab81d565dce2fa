// The general file chooser: a modal DCL dialog in which the user walks
// through folders and picks one or several files matching one of the
// caller's wildcard patterns.
//
// The dialog remembers, while the add-in is loaded, whether folders are
// listed and whether the section subfolder is used; its sort order and
// folder history live in files of the local support folder and are saved
// only when the dialog ends with files chosen.
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"

// A calendar time as the file system keeps it (UTC).
struct SystemTime {
  std::uint16_t wYear;
  std::uint16_t wMonth;
  std::uint16_t wDayOfWeek;
  std::uint16_t wDay;
  std::uint16_t wHour;
  std::uint16_t wMinute;
  std::uint16_t wSecond;
  std::uint16_t wMilliseconds;
};

inline constexpr int kSelectedPathChars = 261;  // 260 and the terminator

// One chosen file.
struct SelectedFile {
  std::uint32_t size;  // the low 32 bits of the size in bytes
  wchar_t path[kSelectedPathChars];
  SystemTime created;  // meaningful when creationShown is 1
  SystemTime written;
  std::uint8_t creationShown;  // created and written differ by more than a second
  std::uint8_t downloaded;     // created after it was last written
};

inline constexpr std::int32_t kMaxFilePatterns = 64;

// Runs the chooser. `patterns` and `descriptions` hold `patternCount` (1 to
// 64) wildcards ("*.gml") and their texts; `multiple` lets the user pick
// several files. The chosen files are appended to `files` (a GrowArray of
// SelectedFile whose count is set to 0 first). 1 when files were chosen,
// else 0.
std::int16_t SelectFilesDialog(const wchar_t* startFolder, const wchar_t* const* patterns,
                               const wchar_t* const* descriptions, std::int32_t patternCount,
                               std::uint8_t multiple, const wchar_t* title, GrowArray* files);

// Puts the remembered switches back to their values at add-in load: folders
// listed, section subfolder not used.
void ResetFileSelectSwitches();
