#include "startup/protected_files.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "common/containers/text.h"
#include "host/editor/support_path.h"
#include "host/system/files.h"

namespace {

constexpr std::string_view kListStartLine = "List of protected files start:";

ProtectedFilesTable& Table() {
  static ProtectedFilesTable table;
  return table;
}

}  // namespace

std::vector<std::wstring> ParseProtectedFiles(std::string_view text) {
  std::vector<std::wstring> names;
  bool started = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, line.find('#'));
    if (!started) {
      started = line.find(kListStartLine) != std::string_view::npos;
      continue;
    }
    if (line.size() > 1) names.push_back(NarrowToWide(line));
  }
  return names;
}

const ProtectedFilesTable& LoadProtectedFiles(std::wstring_view sourceFolder, bool* justRead) {
  ProtectedFilesTable& table = Table();
  if (justRead != nullptr) *justRead = !table.loaded;
  if (table.loaded) return table;
  table.loaded = true;
  std::optional<std::wstring> found = host::FindInFolder(sourceFolder, kProtectedFilesName);
  std::optional<std::string> path = found ? host::NativePath(*found) : std::nullopt;
  if (!path) return table;
  std::ifstream in(*path, std::ios::binary);
  if (!in) return table;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return table;
  table.fileRead = true;
  table.names = ParseProtectedFiles(text);
  return table;
}

bool IsListedAsProtected(const ProtectedFilesTable& table, std::wstring_view name) {
  for (const std::wstring& listed : table.names)
    if (host::SameNameIgnoringCase(listed, name)) return true;
  return false;
}

void ResetProtectedFiles() { Table() = ProtectedFilesTable(); }
