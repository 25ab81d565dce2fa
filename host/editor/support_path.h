// The support file search path, file search and trusted paths.
//
// The support path is an ordered list of folders: the folders given for this
// session (cadhost's --support), then the current profile's support path (the
// profile's "General" value "ACAD" in the registry store, folders joined by
// ';'), so that a change to the profile's value takes effect at once. FindFile
// looks for a file
// name, letter case ignored as on Windows:
//  - a name with a folder part ("a/b.txt", "/x/y.dcl", "..\\z.ini") is
//    looked up as it stands (relative to the working folder);
//  - a bare name is looked for in the current drawing's folder (DWGPREFIX),
//    then in each support folder in order; the first match wins.
// The result is the full path of the file as it is spelt on disk. It must
// fit kMaxFoundPath characters (the callers' buffers); a longer one counts as
// not found. Folders are never found, only files.
//
// FindTrustedFile finds a file as FindFile does and answers it only when its
// folder is trusted: equal to an entry of the TRUSTEDPATHS system variable
// (entries separated by ';', trailing separators ignored, case ignored), or
// below an entry that ends in "..." (the entry's folder and every folder
// under it).
//
// Both '/' and '\' separate folders in names and in path entries.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

inline constexpr std::size_t kMaxFoundPath = 259;  // a 260-unit buffer with its terminator

// Sets the current profile's support path.
void SetSupportPath(const std::vector<std::wstring>& folders);
// The folders searched: the session's, then the profile's; empty entries of
// the profile's text are passed over.
std::vector<std::wstring> SupportPath();
// The current profile's support path as it keeps it: folders joined by ';'.
std::wstring SupportPathText();
void SetSupportPathText(std::wstring_view text);

// Folders searched before the profile's, for this run only (not saved).
void AddSessionSupportFolder(std::wstring_view folder);
void ClearSessionSupportFolders();

[[nodiscard]] std::optional<std::wstring> FindFile(std::wstring_view name);
[[nodiscard]] std::optional<std::wstring> FindTrustedFile(std::wstring_view name);

// True when the ';'-separated list `paths` (a support path, TRUSTEDPATHS)
// holds `folder`: trailing separators, '\' against '/' and letter case
// ignored.
bool PathListHasFolder(std::wstring_view paths, std::wstring_view folder);

// The entry of `folder` whose name equals `name` with case ignored (the
// exact one first), as a full path; none when there is no such file.
std::optional<std::wstring> FindInFolder(std::wstring_view folder, std::wstring_view name);

}  // namespace host
