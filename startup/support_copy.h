// Copying the support files of one folder into another.
//
// CopySupportFiles copies every file of `source` into `destination`
// (subfolders are not copied), for the first copy of the product's support
// files into a user's local support folder and for each later update:
//  1. A missing trailing separator is appended to both folder texts, in the
//     caller's strings.
//  2. Every read-only file of the destination loses its read-only attribute.
//  3. Each file of the source is handed to the copy unless CheckProtectedFile
//     refuses it; a read-only copy loses its read-only attribute.
//  4. The version file "lwh_gml.ver" is copied last, and only when every
//     other file was copied: a folder whose copy failed part-way never claims
//     the new version, so the next check tries again.
// What it does is printed on the command line between two dash lines.
//
// The answer counts the files copied; files whose copy failed are counted
// in `failed` (optional; a version file held back is not counted there), and `menuChanged` (optional) tells whether a menu
// file (".mnu") that the destination held already differed from the new one
// in size or modification time. A folder that cannot be listed gives no
// files.
#pragma once

#include <string>
#include <string_view>

inline constexpr int kSupportCopyFirst = 0;   // the first copy into a new folder
inline constexpr int kSupportCopyUpdate = 1;  // an update of a folder set up earlier

inline constexpr wchar_t kVersionFileName[] = L"lwh_gml.ver";

int CopySupportFiles(std::wstring& source, std::wstring& destination, int mode, bool* menuChanged,
                     int* failed = nullptr);

// True when `fileName` may be copied to `destinationPath`: always when the
// protected-files list (read from `sourceFolder` on the first call of the
// process, see protected_files.h) is empty or the destination does not exist
// yet; otherwise unless the list names the file, letter case ignored. The
// first call of an update prints how many names the list holds.
bool CheckProtectedFile(std::wstring_view sourceFolder, std::wstring_view destinationPath,
                        std::wstring_view fileName, int mode);
