// The lines of a DXF file, read through a large buffer: line ends "\n" or
// "\r\n" are removed, and a UTF-8 byte order mark at the very start of the
// file is skipped (and remembered). Both passes over a file (the check and
// the reading) read it through this.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

namespace host::db {

class DxfLineReader {
 public:
  explicit DxfLineReader(std::FILE* file) : file_(file), buffer_(1 << 20) {}

  // False at the end of the file. `overlong` is set when the line (with its
  // line end) is longer than a DXF line may be (kMaxDxfLine).
  bool Next(std::string_view* line, bool* overlong);
  bool Error() const { return std::ferror(file_) != 0; }
  // True when the file started with a UTF-8 byte order mark.
  bool HadByteOrderMark() const { return bom_; }

 private:
  bool Deliver(const char* start, std::size_t length, bool hadEnd, std::string_view* line, bool* overlong);

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool first_ = true;
  bool bom_ = false;
};

// The value with blanks and tabs removed at both ends.
std::string_view TrimDxf(std::string_view s);

// A group code line as a number; false when it is not one.
bool ParseGroupCode(std::string_view line, int* code);

}  // namespace host::db
