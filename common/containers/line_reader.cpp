#include "common/containers/line_reader.h"

#include <cstring>

LineReader::LineReader(const std::optional<std::string>& path, int limit) : limit_(limit) {
  if (path) file_ = std::fopen(path->c_str(), "r");
}

LineReader::~LineReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LineReader::Next(std::string& line, int limit) {
  if (file_ == nullptr) return false;
  std::string buffer(static_cast<std::size_t>(limit) + 1, '\0');
  if (std::fgets(buffer.data(), limit + 1, file_) == nullptr) return false;
  buffer.resize(std::strlen(buffer.c_str()));
  if (!buffer.empty() && buffer.back() == '\n') {
    buffer.pop_back();
    if (!buffer.empty() && buffer.back() == '\r') buffer.pop_back();
  }
  line = std::move(buffer);
  return true;
}
