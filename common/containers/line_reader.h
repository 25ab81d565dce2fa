// Reads a narrow text file line by line as the C library's fgets does with a
// buffer of `limit` + 1 bytes: a line longer than `limit` characters comes
// out in pieces. A real line end ("\n" or "\r\n") is taken off each piece
// and nothing else, so a last line without a line end keeps every character.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

class LineReader {
 public:
  // Opens the file at `path` (a native path); none or a file that cannot be
  // opened leaves the reader closed.
  LineReader(const std::optional<std::string>& path, int limit);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  // The next line or piece; false at the end of the file (or when closed).
  bool Next(std::string& line) { return Next(line, limit_); }
  // The same with another limit for this one read.
  bool Next(std::string& line, int limit);

 private:
  std::FILE* file_ = nullptr;
  int limit_;
};
