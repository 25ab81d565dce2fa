// The postcode file "postcodedb.txt": comma-separated lines whose field 13
// (from 0) is the postcode and fields 14 and 15 its easting and northing in
// tenths of a metre. Fields 4, 7, 9, 12 and 13 are quoted and may hold
// commas; each field keeps at most 127 characters, each line 1023 (the rest
// of a longer line is passed over, never read as a line of its own).
//
// Postcodes are kept and looked up under one key form: blanks removed and
// ASCII letters in capitals, so "ab1 2cd", "AB1 2CD" and "AB12CD" are one
// postcode. A line is left out when it has fewer than 16 fields, no
// postcode, a postcode longer than the tree's keys, or an easting or
// northing without digits; the first good line of a postcode wins.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/containers/binary_tree.h"

// The fields of one line.
std::vector<std::string> PostcodeFields(std::string_view line);
// The key form of a postcode.
std::string PostcodeKey(std::string_view postcode);
// Adds the postcodes of the file at `path` that `tree` does not hold yet,
// with easting and northing (tenths of a metre) as the node's two values.
// False when the file cannot be opened.
bool LoadPostcodeFile(const std::wstring& path, BinaryTree* tree);
