#include "startup/support_copy.h"

#include <optional>
#include <vector>

#include "host/editor/command_line.h"
#include "host/system/files.h"
#include "startup/protected_files.h"

namespace {

constexpr wchar_t kDashLine[] = L"------------------------------------------------------------------";

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

void EndWithSeparator(std::wstring& folder) {
  if (folder.empty() || !IsSeparator(folder.back())) folder += host::kPathSeparator;
}

bool EndsWithMenuExtension(std::wstring_view path) {
  return path.size() >= 4 && host::SameNameIgnoringCase(path.substr(path.size() - 4), L".mnu");
}

// A menu file that the destination holds already and that differs from the
// new one.
bool MenuDiffers(const std::wstring& from, const std::wstring& to) {
  if (!EndsWithMenuExtension(from)) return false;
  std::optional<host::FileInfo> source = host::GetFileInfo(from);
  std::optional<host::FileInfo> target = host::GetFileInfo(to);
  if (!source || !target) return false;
  return source->size != target->size || source->last_write_time != target->last_write_time;
}

// Copies one file over its destination; true when the copy stands.
bool CopyOne(const std::wstring& from, const std::wstring& to) {
  if (!host::CopyFile(from, to, true)) return false;
  std::optional<host::FileInfo> copy = host::GetFileInfo(to);
  if (copy && (copy->attributes & host::kAttributeReadOnly) != 0) (void)host::SetReadOnly(to, false);
  return true;
}

}  // namespace

bool CheckProtectedFile(std::wstring_view sourceFolder, std::wstring_view destinationPath,
                        std::wstring_view fileName, int mode) {
  bool justRead = false;
  const ProtectedFilesTable& table = LoadProtectedFiles(sourceFolder, &justRead);
  if (justRead && table.fileRead && !table.names.empty() && mode != kSupportCopyFirst) {
    host::Printf(L"\nFound %i files in \"protected_files.txt\" - those files will not be overwritten.",
                 static_cast<int>(table.names.size()));
  }
  if (table.names.empty()) return true;
  if (!host::PathExists(destinationPath)) return true;
  return !IsListedAsProtected(table, fileName);
}

int CopySupportFiles(std::wstring& source, std::wstring& destination, int mode, bool* menuChanged,
                     int* failed) {
  if (menuChanged != nullptr) *menuChanged = false;
  if (failed != nullptr) *failed = 0;
  EndWithSeparator(source);
  EndWithSeparator(destination);

  host::Printf(L"\n%ls", kDashLine);
  host::Print(mode != kSupportCopyFirst ? L"\nStart updating Orvane support files"
                                        : L"\nStart copying Orvane support files");
  host::Printf(L"\nFrom: %ls", source.c_str());
  host::Printf(L"\nTo: %ls", destination.c_str());

  for (const host::FileInfo& entry : host::ListFolder(destination + L"*.*")) {
    if ((entry.attributes & host::kAttributeDirectory) != 0) continue;
    if ((entry.attributes & host::kAttributeReadOnly) != 0) (void)host::SetReadOnly(destination + entry.name, false);
  }

  int copied = 0;
  int failures = 0;
  std::optional<std::wstring> versionFile;
  for (const host::FileInfo& entry : host::ListFolder(source + L"*.*")) {
    if ((entry.attributes & host::kAttributeDirectory) != 0) continue;
    const std::wstring from = source + entry.name;
    const std::wstring to = destination + entry.name;
    if (!CheckProtectedFile(source, to, entry.name, mode)) continue;
    if (host::SameNameIgnoringCase(entry.name, kVersionFileName)) {
      versionFile = entry.name;
      continue;
    }
    if (menuChanged != nullptr && MenuDiffers(from, to)) *menuChanged = true;
    if (CopyOne(from, to))
      ++copied;
    else
      ++failures;
  }
  // Held back after a failure, the version file is no failure of its own.
  if (versionFile && failures == 0) {
    if (CopyOne(source + *versionFile, destination + *versionFile))
      ++copied;
    else
      ++failures;
  }

  host::Printf(mode != kSupportCopyFirst ? L"\n%i files updated." : L"\n%i files copied.", copied);
  host::Printf(L"\n%ls\n", kDashLine);
  if (failed != nullptr) *failed = failures;
  return copied;
}
