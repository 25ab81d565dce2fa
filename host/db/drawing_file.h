// Drawing files: a database saved as DXF (R2000, or the version and code
// page of the file it was read from) and read back. What a file holds that
// the database does not model is kept and written back (kept.h).
//
// Where the add-ins name a ".dwg" drawing, the host stores DXF: every path
// given to these calls passes through DrawingFilePath first, which puts
// ".dxf" in place of a ".dwg" extension.
//
// Text: units are written as the bytes of the drawing's code page
// (ANSI_1252: byte n is unit n; others, such as ANSI_1251, by their table),
// a unit the code page lacks as "\U+XXXX", and control characters in caret
// form ("^J"); reading undoes all three, and reads the UTF-8 of newer files
// and of files that start with a byte order mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/db/database.h"
#include "host/system/result.h"

namespace host::db {

// Saving and reading answer kNormal, or kError with a message naming the
// file, what was wrong and where. The value: the number of entities of kinds
// the database does not model that reading kept (0 for a save).

// The path with ".dxf" in place of a ".dwg" extension (case ignored).
std::string DrawingFilePath(std::string_view path);
std::wstring DrawingFilePath(std::wstring_view path);

// Saves the drawing through a temporary file in the target's folder, renamed
// over the target when every write succeeded. A failed save reports failure,
// removes the temporary file and leaves an earlier file whole.
Result<std::int64_t> SaveDrawing(const Database& db, std::string_view path);
Result<std::int64_t> SaveDrawing(const Database& db, std::wstring_view path);

// How a save shares out the entities of a space: pieces of about
// `pieceBytes` of the file are written on up to `threads` helper threads
// (-1: as many as the machine's processors make worth it, 0: none) while the
// saving thread puts the finished ones into the file in order. A space of
// fewer than two pieces is written on the saving thread alone. The file is
// the same whatever the division.
struct SaveDivision {
  std::size_t pieceBytes = 256 << 10;
  int threads = -1;
};
Result<std::int64_t> SaveDrawing(const Database& db, std::string_view path, const SaveDivision& division);

// Reads a DXF drawing into `db`, replacing what it held. On failure `db` is
// left as it was. Drawings of other programs are read too: entities of kinds
// the database does not model are kept as read and counted.
Result<std::int64_t> ReadDrawing(Database& db, std::string_view path);
Result<std::int64_t> ReadDrawing(Database& db, std::wstring_view path);

}  // namespace host::db
