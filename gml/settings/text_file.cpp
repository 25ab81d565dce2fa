#include "gml/settings/text_file.h"

#include <cstdarg>
#include <cstdio>

#include "host/system/fault.h"
#include "host/system/files.h"

namespace gml_settings {

std::string NarrowPath(const std::wstring& path) { return host::NativePath(path).value_or(""); }

LineReader::LineReader(const std::wstring& path, std::size_t maxChars)
    : maxChars_(maxChars == 0 ? 1 : maxChars) {
  std::string narrow = NarrowPath(path);
  if (!narrow.empty()) file_ = std::fopen(narrow.c_str(), "rb");
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

bool LineReader::Next(std::string* line, bool* cut) {
  line->clear();
  if (cut != nullptr) *cut = false;
  if (file_ == nullptr) return false;
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
    if (line->size() < maxChars_) continue;
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

std::wstring SafeFileWriter::TemporaryPath(const std::wstring& target) {
  std::wstring temporary = target;
  if (!temporary.empty()) temporary.back() = L'&';
  return temporary;
}

SafeFileWriter::SafeFileWriter(const std::wstring& target)
    : target_(target), temporary_(TemporaryPath(target)) {
  if (target_.empty() || host::FaultFires(host::FaultPoint::SaveFile)) return;
  (void)file_.Begin(target_, temporary_);
}

void SafeFileWriter::Text(std::string_view text) { file_.Write(text); }

void SafeFileWriter::Line(std::string_view text) {
  Text(text);
  Text("\n");
}

bool SafeFileWriter::Commit() { return file_.Commit(); }

void SafeFileWriter::Abandon() { file_.Abandon(); }

std::string Format(const char* format, ...) {
  char small[256];
  std::va_list args;
  va_start(args, format);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, n);
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(out.data(), out.size(), format, args);
  va_end(args);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace gml_settings
