#include "host/editor/support_path.h"

#include <algorithm>

#include "host/editor/system_variables.h"
#include "host/system/files.h"
#include "host/system/profiles.h"

namespace host {
namespace {

std::vector<std::wstring>& SessionFolders() {
  static std::vector<std::wstring> folders;
  return folders;
}

std::wstring Slashes(std::wstring_view text) {
  std::wstring s(text);
  std::replace(s.begin(), s.end(), L'\\', L'/');
  return s;
}

// A folder text without its trailing separators ("/" stays "/").
std::wstring TrimFolder(std::wstring folder) {
  folder = Slashes(folder);
  while (folder.size() > 1 && folder.back() == L'/') folder.pop_back();
  return folder;
}

std::wstring FolderOf(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L'/');
  if (slash == std::wstring_view::npos) return L".";
  return slash == 0 ? std::wstring(L"/") : std::wstring(path.substr(0, slash));
}

// Looks up a path with a folder part: each level of it is matched with case
// ignored, so "SUPPORT/A.INI" finds "support/a.ini".
std::optional<std::wstring> FindPath(std::wstring_view name) {
  const std::optional<std::wstring> found = FindPathIgnoringCase(Slashes(name));
  if (!found || !IsPlainFile(*found)) return std::nullopt;
  return AbsolutePath(*found);
}

std::optional<std::wstring> Bounded(std::optional<std::wstring> path) {
  if (path && path->size() > kMaxFoundPath) return std::nullopt;
  return path;
}

}  // namespace

void SetSupportPath(const std::vector<std::wstring>& folders) {
  std::wstring text;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (i > 0) text += L';';
    text += folders[i];
  }
  SetSupportPathText(text);
}

std::vector<std::wstring> SupportPath() {
  std::vector<std::wstring> folders = SessionFolders();
  const std::wstring text = SupportPathText();
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L';', start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) folders.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

std::wstring SupportPathText() { return ProfileSupportPath(CurrentProfileName()); }

void SetSupportPathText(std::wstring_view text) {
  (void)SetProfileSupportPath(CurrentProfileName(), text);
}

void AddSessionSupportFolder(std::wstring_view folder) { SessionFolders().emplace_back(folder); }

void ClearSessionSupportFolders() { SessionFolders().clear(); }

std::optional<std::wstring> FindInFolder(std::wstring_view folder, std::wstring_view name) {
  if (name.empty() || name.find_first_of(L"/\\") != std::wstring_view::npos) return std::nullopt;
  std::wstring dir = folder.empty() ? std::wstring(L".") : Slashes(folder);
  if (dir.back() != L'/') dir += L'/';
  const std::optional<std::wstring> found = FindPathIgnoringCase(dir + std::wstring(name));
  if (!found || !IsPlainFile(*found)) return std::nullopt;
  return AbsolutePath(*found);
}

std::optional<std::wstring> FindFile(std::wstring_view name) {
  if (name.empty()) return std::nullopt;
  if (name.find_first_of(L"/\\") != std::wstring_view::npos) return Bounded(FindPath(name));
  SysVarResult prefix = GetSystemVariable(L"DWGPREFIX");
  if (prefix.ok() && !prefix.Text().empty()) {
    if (auto found = FindInFolder(prefix.Text(), name)) return Bounded(found);
  }
  for (const std::wstring& folder : SupportPath()) {
    if (folder.empty()) continue;
    if (auto found = FindInFolder(folder, name)) return Bounded(found);
  }
  return std::nullopt;
}

std::optional<std::wstring> FindTrustedFile(std::wstring_view name) {
  std::optional<std::wstring> found = FindFile(name);
  if (!found) return std::nullopt;
  SysVarResult trusted = GetSystemVariable(L"TRUSTEDPATHS");
  if (!trusted.ok()) return std::nullopt;
  const std::wstring folder = TrimFolder(FolderOf(*found));
  const std::wstring paths = trusted.Text();
  std::size_t start = 0;
  while (start < paths.size()) {
    std::size_t end = paths.find(L';', start);
    if (end == std::wstring::npos) end = paths.size();
    std::wstring entry = paths.substr(start, end - start);
    start = end + 1;
    bool below = entry.size() >= 3 && entry.compare(entry.size() - 3, 3, L"...") == 0;
    if (below) entry.resize(entry.size() - 3);
    if (entry.empty()) continue;
    std::wstring trusted_folder = TrimFolder(AbsolutePath(TrimFolder(entry)));
    if (SameNameIgnoringCase(folder, trusted_folder)) return found;
    if (below) {
      std::wstring prefix = trusted_folder == L"/" ? trusted_folder : trusted_folder + L"/";
      if (folder.size() > prefix.size() && SameNameIgnoringCase(folder.substr(0, prefix.size()), prefix))
        return found;
    }
  }
  return std::nullopt;
}

bool PathListHasFolder(std::wstring_view paths, std::wstring_view folder) {
  const std::wstring wanted = TrimFolder(std::wstring(folder));
  std::size_t start = 0;
  while (start <= paths.size()) {
    std::size_t end = paths.find(L';', start);
    if (end == std::wstring_view::npos) end = paths.size();
    if (SameNameIgnoringCase(TrimFolder(std::wstring(paths.substr(start, end - start))), wanted)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace host
