#include "host/editor/support_path.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>

#include "host/editor/system_variables.h"
#include "host/system/profiles.h"

namespace fs = std::filesystem;

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

bool SameNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

bool IsRegularFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// A folder text without its trailing separators ("/" stays "/").
std::wstring TrimFolder(std::wstring folder) {
  folder = Slashes(folder);
  while (folder.size() > 1 && folder.back() == L'/') folder.pop_back();
  return folder;
}

std::wstring Absolute(const fs::path& path) {
  std::error_code ec;
  fs::path abs = fs::absolute(path, ec);
  if (ec) abs = path;
  return abs.lexically_normal().wstring();
}

// Looks up a path with a folder part: each level of it is matched with case
// ignored, so "SUPPORT/A.INI" finds "support/a.ini".
std::optional<std::wstring> FindPath(std::wstring_view name) {
  fs::path path(Slashes(name));
  fs::path walked = path.is_absolute() ? path.root_path() : fs::path(".");
  for (const fs::path& part : path.relative_path()) {
    const std::wstring text = part.wstring();
    std::error_code ec;
    if (text.empty() || text == L"." || text == L".." || fs::exists(walked / part, ec)) {
      walked /= part;
      continue;
    }
    // Of several names that differ only in case take the smallest, so the
    // answer does not depend on the order of the listing.
    std::optional<fs::path> match;
    for (fs::directory_iterator it(walked, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path entry = it->path().filename();
      if (SameNoCase(entry.wstring(), text) && (!match || entry < match->filename()))
        match = it->path();
    }
    if (!match) return std::nullopt;
    walked = *match;
  }
  if (!IsRegularFile(walked)) return std::nullopt;
  return Absolute(walked);
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
  fs::path dir(folder.empty() ? std::wstring(L".") : Slashes(folder));
  if (IsRegularFile(dir / std::wstring(name))) return Absolute(dir / std::wstring(name));
  std::error_code ec;
  std::optional<std::wstring> best;
  // Listing order is not fixed: of several names that differ only in case,
  // take the smallest, so the answer does not depend on the disk.
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::wstring entry = it->path().filename().wstring();
    if (!SameNoCase(entry, name) || !IsRegularFile(it->path())) continue;
    if (!best || entry < fs::path(*best).filename().wstring()) best = Absolute(it->path());
  }
  return best;
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
  const std::wstring folder = TrimFolder(fs::path(*found).parent_path().wstring());
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
    std::wstring trusted_folder = TrimFolder(Absolute(fs::path(TrimFolder(entry))));
    if (SameNoCase(folder, trusted_folder)) return found;
    if (below) {
      std::wstring prefix = trusted_folder == L"/" ? trusted_folder : trusted_folder + L"/";
      if (folder.size() > prefix.size() && SameNoCase(folder.substr(0, prefix.size()), prefix))
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
    if (SameNoCase(TrimFolder(std::wstring(paths.substr(start, end - start))), wanted)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace host
