// Line-based reading and safe replacement of the support folder's text files.
//
// Every settings file, lookup table and filter file of the import is narrow
// text read line by line and written back through a temporary file. The two
// helpers here hold the rules they share:
//
// LineReader hands out lines of at most `maxChars` characters; a longer line
// comes out as several pieces. A real line end ("\n" or "\r\n") is removed and
// nothing else, so a last line without a line end keeps all its characters.
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

// The narrow form of a path for the C library, by the host's rule
// (host::NativePath: '\' read as '/'); empty when a unit has no narrow form.
std::string NarrowPath(const std::wstring& path);

class LineReader {
 public:
  // Opens `path` for reading; Ok() tells whether it opened.
  LineReader(const std::wstring& path, std::size_t maxChars);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool Ok() const { return file_ != nullptr; }
  // The next line or piece of a line, without its line end; false at the end
  // of the file. `cut` (optional) tells whether the piece was cut at
  // `maxChars` with more of the same line to follow.
  bool Next(std::string* line, bool* cut = nullptr);

 private:
  int Get();
  void Unget(int c);

  std::FILE* file_ = nullptr;
  std::size_t maxChars_;
  std::string pushed_;  // characters read ahead, last one first
};

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
