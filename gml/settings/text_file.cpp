#include "gml/settings/text_file.h"

#include <cstdarg>
#include <cstdio>

#include "host/system/fault.h"
#include "host/system/files.h"

namespace gml_settings {

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
