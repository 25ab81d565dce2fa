// Reads a narrow text file line by line, in lines of at most `maxChars`
// characters: a longer line comes out as several pieces. A real line end
// ("\n" or "\r\n") is removed and nothing else, so a last line without a
// line end keeps all its characters. A line end that follows a full piece at
// once belongs to that piece: a line of exactly `maxChars` characters reads
// as one line, not as the line and an empty one.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class LineReader {
 public:
  // Opens the file at `path` (a host path, host::NativePath); a path with no
  // native form or a file that cannot be opened leaves the reader closed.
  LineReader(const std::wstring& path, std::size_t maxChars);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool Ok() const { return file_ != nullptr; }
  // The next line or piece of a line, without its line end; false at the end
  // of the file (or when closed). `cut` (optional) tells whether the piece was
  // cut at the limit with more of the same line to follow.
  bool Next(std::string* line, bool* cut = nullptr) { return Next(line, maxChars_, cut); }
  // The same with another limit for this one read.
  bool Next(std::string* line, std::size_t maxChars, bool* cut = nullptr);

 private:
  int Get();
  void Unget(int c);

  std::FILE* file_ = nullptr;
  std::size_t maxChars_;
  std::string pushed_;  // characters read ahead, last one first
};
