#include "startup/support_path_entries.h"

#include <optional>

#include "host/editor/support_path.h"
#include "host/system/files.h"

namespace {

bool HoldsCatalogue(const std::wstring& folder) {
  if (folder.empty()) return false;
  std::optional<std::wstring> found = host::FindInFolder(folder, kCatalogueFileName);
  return found && host::CanRead(*found);
}

}  // namespace

int SplitSupportPath(std::wstring_view path, std::vector<std::wstring>* entries, int* programEntry) {
  entries->clear();
  *programEntry = -1;
  auto close = [&](std::wstring_view entry) {
    if (HoldsCatalogue(std::wstring(entry))) *programEntry = static_cast<int>(entries->size());
    entries->emplace_back(entry);
  };
  std::size_t start = 0;
  for (std::size_t semicolon = path.find(L';'); semicolon != std::wstring_view::npos;
       semicolon = path.find(L';', start)) {
    close(path.substr(start, semicolon - start));
    start = semicolon + 1;
  }
  if (start < path.size()) close(path.substr(start));
  return static_cast<int>(entries->size());
}

std::wstring NewSupportPath(std::wstring_view localFolder, const std::vector<std::wstring>& entries,
                            int programEntry) {
  std::wstring path(localFolder);
  path += L';';
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (static_cast<int>(i) == programEntry) continue;
    path += entries[i];
    path += L';';
  }
  return path;
}
