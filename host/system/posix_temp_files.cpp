// Temporary files, created with open(O_CREAT | O_EXCL).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cwchar>

#include "host/system/environment.h"
#include "host/system/files.h"
#include "host/system/temp_files.h"

namespace host {
namespace {

unsigned g_next_unique = 1;

}  // namespace

std::wstring TempFolder() {
  std::optional<std::wstring> folder = GetEnvironmentVariable(L"TMPDIR");
  if (!folder || folder->empty() || !IsDirectory(*folder)) folder = L"/tmp";
  if (folder->back() != L'/' && folder->back() != L'\\') *folder += kPathSeparator;
  return *folder;
}

std::optional<std::wstring> MakeTempFile(std::wstring_view folder, std::wstring_view prefix) {
  std::wstring base(folder);
  if (base.empty()) base = L".";
  if (base.back() != L'/' && base.back() != L'\\') base += kPathSeparator;
  base += prefix.substr(0, 3);
  for (unsigned tries = 0; tries < 0xFFFF; ++tries) {
    const unsigned unique = g_next_unique;
    g_next_unique = g_next_unique % 0xFFFF + 1;  // 1 to FFFF; 0 is never used
    wchar_t digits[8];
    std::swprintf(digits, 8, L"%04X", unique);
    const std::wstring path = base + digits + L".TMP";
    std::optional<std::string> native = NativePath(path);
    if (!native) return std::nullopt;
    const int fd = open(native->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      return path;
    }
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

void RestartTempFileNumbers() { g_next_unique = 1; }

}  // namespace host
