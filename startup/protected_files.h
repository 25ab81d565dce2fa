// The protected-files list: support files that an update never overwrites
// once the user has them.
//
// The list is the narrow text file "protected_files.txt" in the folder the
// support files are copied from:
//  - a real line end ("\n" or "\r\n") is removed and nothing else;
//  - a '#' starts a comment: the line is cut at its first '#';
//  - lines up to and including the one that contains
//    "List of protected files start:" are no names;
//  - after it, every line that still has more than one character is a file
//    name, taken whole (blanks included), each byte one wide unit.
// Names of any length and any number are kept whole.
//
// One table serves the whole process: it is read on the first question,
// from the folder of that question, whether or not the file exists, and
// answers every later question whatever its folder.
//
// Process-wide state, used from one thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr wchar_t kProtectedFilesName[] = L"protected_files.txt";

// Parses the text of a protected-files list into its names.
std::vector<std::wstring> ParseProtectedFiles(std::string_view text);

struct ProtectedFilesTable {
  bool loaded = false;
  bool fileRead = false;  // the list file existed and was read
  std::vector<std::wstring> names;
};

// The process's table, read from `sourceFolder` when this is the first
// question of the process; `justRead` (optional) tells whether it was.
const ProtectedFilesTable& LoadProtectedFiles(std::wstring_view sourceFolder, bool* justRead = nullptr);

// True when `name` equals a listed name, letter case ignored.
bool IsListedAsProtected(const ProtectedFilesTable& table, std::wstring_view name);

// Forgets the table, so that the next question reads the list again (tests).
void ResetProtectedFiles();
