// Safe replacement of the support folder's text files.
//
// Every settings file, lookup table and filter file of the import is narrow
// text read line by line (LineReader, common/containers/line_reader.h) and
// written back through a temporary file:
//
// SafeFileWriter writes a new version of a file next to it through a
// host::ReplacementFile (host/system/replace_file.h), whose temporary file is
// the target's name with its last character replaced by '&'. Nothing touches
// the old file before Commit(); when any step fails, Commit() answers false,
// the temporary file is removed and the old file is whole. The host's
// SaveFile fault point is asked when the temporary file is made, for every
// Text() (so every Line() is two steps) and before the replacement, so tests
// can walk each failure.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "host/system/replace_file.h"

namespace gml_settings {

class SafeFileWriter {
 public:
  // Creates the temporary file for `target`; Ok() tells whether it exists.
  // The destructor removes it when Commit() was not reached or failed.
  explicit SafeFileWriter(const std::wstring& target);

  bool Ok() const { return file_.Ok(); }
  // Writes `text` followed by "\n". Once a write failed, later writes do
  // nothing and Commit() fails.
  void Line(std::string_view text);
  // Writes `text` as it is.
  void Text(std::string_view text);
  // Closes the temporary file and renames it over the target; true when every
  // step of the save succeeded.
  [[nodiscard]] bool Commit();
  // Gives up: removes the temporary file and leaves the target as it was.
  void Abandon();

  // The temporary path used for `target`: its last character replaced by '&'.
  static std::wstring TemporaryPath(const std::wstring& target);

 private:
  std::wstring target_;
  std::wstring temporary_;
  host::ReplacementFile file_;
};

// printf into a std::string (narrow formats only).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace gml_settings
