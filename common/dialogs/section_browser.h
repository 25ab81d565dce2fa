// The section-file browsers: choose a section file, or delete section
// files, in the file chooser's folder machinery with the section listing,
// scans of a folder or folder tree, and a preview switch.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/containers/grow_array.h"

// 1 and the full path of the chosen file in `path` (cut to pathChars - 1),
// or 0 with `path` empty. `viewTypes`: 1 long sections, 2 cross sections,
// 3 both; with `viewTypeFixed` the user cannot change it.
int SelectSectionFilesDialog(const wchar_t* startFolder, const wchar_t* pattern, const wchar_t* title,
                             std::int32_t viewTypes, bool viewTypeFixed, wchar_t* path, std::size_t pathChars);

// 1; 0 only when the dialog could not be shown.
int DeleteSectionFilesDialog(const wchar_t* startFolder, const wchar_t* pattern, const wchar_t* title);

// The general file chooser without the section subfolder switch.
std::int16_t SelectFilesPreviewDialog(const wchar_t* startFolder, const wchar_t* const* patterns,
                                      const wchar_t* const* descriptions, std::int32_t patternCount,
                                      std::uint8_t multiple, const wchar_t* title, GrowArray* files);
