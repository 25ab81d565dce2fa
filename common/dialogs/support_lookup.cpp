#include "common/dialogs/support_lookup.h"

#include <cstdio>
#include <optional>

#include "host/editor/support_path.h"
#include "host/system/environment.h"
#include "host/system/files.h"

namespace {

std::wstring WithSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'/' && folder.back() != L'\\')
    folder += host::kPathSeparator;
  return folder;
}

// True when a file can be created (and is removed again) in `folder`.
bool CanCreateFileIn(const std::wstring& folder) {
  const std::optional<std::string> native = host::NativePath(folder + L"lartest.$$$");
  if (!native) return false;
  std::FILE* file = std::fopen(native->c_str(), "w");
  if (file == nullptr) return false;
  std::fclose(file);
  std::remove(native->c_str());
  return true;
}

std::optional<std::wstring> FolderOfSupportFile(const wchar_t* name) {
  const std::optional<std::wstring> found = host::FindFile(name);
  if (!found) return std::nullopt;
  const std::size_t cut = found->find_last_of(L"/\\");
  if (cut == std::wstring::npos) return std::nullopt;
  return found->substr(0, cut + 1);
}

}  // namespace

std::wstring FindDialogSupportFolder() {
  const std::optional<std::wstring> larini = host::GetEnvironmentVariable(L"LARINI");
  if (larini && !larini->empty()) {
    const std::wstring candidate = WithSeparator(*larini);
    if (CanCreateFileIn(candidate)) return candidate;
  }
  if (auto folder = FolderOfSupportFile(L"is_local_support_dir.txt")) return *folder;
  if (auto folder = FolderOfSupportFile(L"derivavi.dwg")) return *folder;
  return {};
}

std::wstring DialogSupportFolderOrHere() {
  std::wstring folder = FindDialogSupportFolder();
  if (folder.empty()) folder = std::wstring(L".") + host::kPathSeparator;
  return folder;
}
