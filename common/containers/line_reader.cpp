#include "common/containers/line_reader.h"

#include <optional>

#include "host/system/files.h"

LineReader::LineReader(const std::wstring& path, std::size_t maxChars) : maxChars_(maxChars) {
  const std::optional<std::string> native = host::NativePath(path);
  if (native && !native->empty()) file_ = std::fopen(native->c_str(), "rb");
}

LineReader::~LineReader() {
  if (file_ != nullptr) std::fclose(file_);
}

int LineReader::Get() {
  if (!pushed_.empty()) {
    int c = static_cast<unsigned char>(pushed_.back());
    pushed_.pop_back();
    return c;
  }
  return std::getc(file_);
}

void LineReader::Unget(int c) {
  if (c != EOF) pushed_.push_back(static_cast<char>(c));
}

bool LineReader::Next(std::string* line, std::size_t maxChars, bool* cut) {
  line->clear();
  if (cut != nullptr) *cut = false;
  if (file_ == nullptr) return false;
  if (maxChars == 0) maxChars = 1;
  bool any = false;
  for (;;) {
    int c = Get();
    if (c == EOF) return any;
    any = true;
    if (c == '\n') {
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return true;
    }
    line->push_back(static_cast<char>(c));
    if (line->size() < maxChars) continue;
    // A full piece. A line end that follows at once belongs to it rather than
    // giving an empty line of its own.
    int next = Get();
    if (next == '\n') {
      if (line->back() == '\r') line->pop_back();
      return true;
    }
    if (next == '\r') {
      int after = Get();
      if (after == '\n') return true;
      Unget(after);
    }
    if (next == EOF) return true;
    Unget(next);
    if (cut != nullptr) *cut = true;
    return true;
  }
}
