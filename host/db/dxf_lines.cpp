#include "host/db/dxf_lines.h"

#include <charconv>
#include <cstring>

#include "host/db/dxf_writer.h"

namespace host::db {

bool DxfLineReader::Next(std::string_view* line, bool* overlong) {
  while (true) {
    const char* start = buffer_.data() + pos_;
    const char* nl = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
    if (nl != nullptr) {
      std::size_t length = static_cast<std::size_t>(nl - start);
      pos_ += length + 1;
      return Deliver(start, length, true, line, overlong);
    }
    if (eof_) {
      if (pos_ == end_) return false;
      std::size_t length = end_ - pos_;
      pos_ = end_;
      return Deliver(start, length, false, line, overlong);
    }
    // Move the partial line to the front and read more.
    std::size_t rest = end_ - pos_;
    if (rest == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    std::memmove(buffer_.data(), buffer_.data() + pos_, rest);
    pos_ = 0;
    end_ = rest;
    std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) eof_ = true;
  }
}

bool DxfLineReader::Deliver(const char* start, std::size_t length, bool hadEnd, std::string_view* line,
                            bool* overlong) {
  if (first_) {
    first_ = false;
    if (length >= 3 && std::memcmp(start, "\xEF\xBB\xBF", 3) == 0) {
      start += 3;
      length -= 3;
      bom_ = true;
    }
  }
  *overlong = length + (hadEnd ? 1 : 0) > kMaxDxfLine + 1;
  if (length > 0 && start[length - 1] == '\r') --length;
  *line = std::string_view(start, length);
  return true;
}

std::string_view TrimDxf(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ParseGroupCode(std::string_view line, int* code) {
  line = TrimDxf(line);
  if (line.empty()) return false;
  auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), *code);
  return ec == std::errc() && end == line.data() + line.size();
}

}  // namespace host::db
