// The first pass over a DXF file, before it is read: checks that the file
// is a well-formed ASCII DXF that can be read safely (numeric group
// codes, a value for every code, finite numbers in range where the code wants one, handles with room above them, lines
// dxflib reads whole, sections opened and closed, the EOF marker, vertex
// counts that match their vertices), and says where it is not.
#pragma once

#include <cstdint>
#include <string>

namespace host::db {

struct DxfCheck {
  bool ok = false;
  std::string error;            // "line N: what" when not ok
  std::uint64_t maxHandle = 0;  // the largest handle the file uses
  std::uint64_t groups = 0;     // groups up to and including EOF
};

DxfCheck CheckDxfFile(const std::string& path);

}  // namespace host::db
