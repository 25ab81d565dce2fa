// The entries of a support file search path and the path rewritten with the
// local support folder first.
//
// A support path is folders separated by ';'. Every ';' closes an entry (two
// in a row give an empty entry), and a last entry that no ';' closes counts
// too. Entries are kept whole, of any length and any number.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr wchar_t kCatalogueFileName[] = L"lwh_gml.dat";

// Splits `path` into `entries` and answers their number. `programEntry`
// becomes the index of the last entry whose folder holds the catalogue
// "lwh_gml.dat" (a readable file, its name matched with case ignored), or -1.
int SplitSupportPath(std::wstring_view path, std::vector<std::wstring>* entries, int* programEntry);

// The path with `localFolder` first, then every entry but the program entry
// in their order, each followed by ';'.
std::wstring NewSupportPath(std::wstring_view localFolder, const std::vector<std::wstring>& entries,
                            int programEntry);
