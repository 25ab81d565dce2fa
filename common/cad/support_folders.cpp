#include "common/cad/support_folders.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

#include "common/containers/line_reader.h"
#include "host/editor/support_path.h"
#include "host/editor/system_variables.h"
#include "host/system/clock.h"
#include "host/system/environment.h"
#include "host/system/files.h"
#include "host/system/temp_files.h"
#include "host/system/wide_text.h"

namespace {

constexpr char kWriteTestText[] = "testink 3218731H";

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// Copies `text` with its terminator when it fits a path buffer.
bool CopyPath(wchar_t* dest, std::wstring_view text) {
  if (text.size() >= kMaxPath) return false;
  std::wmemcpy(dest, text.data(), text.size());
  dest[text.size()] = L'\0';
  return true;
}

std::wstring WithSeparator(std::wstring folder) {
  if (folder.empty() || !IsSeparator(folder.back())) folder += host::kPathSeparator;
  return folder;
}

std::optional<std::string> Native(std::wstring_view path) { return host::NativePath(path); }

}  // namespace

std::optional<std::wstring> WritableFolderOf(const wchar_t* variable) {
  std::optional<std::wstring> value = host::GetEnvironmentVariable(variable);
  if (!value || value->empty()) return std::nullopt;
  const std::wstring folder = WithSeparator(*value);
  std::optional<std::string> test = Native(folder + L"lartest.$$$");
  if (!test) return std::nullopt;
  std::FILE* file = std::fopen(test->c_str(), "w");
  if (file == nullptr) return std::nullopt;
  std::fclose(file);
  std::remove(test->c_str());
  return folder;
}

std::optional<std::wstring> FolderOfSupportFile(const wchar_t* name) {
  std::optional<std::wstring> found = host::FindFile(name);
  if (!found) return std::nullopt;
  const std::size_t cut = found->find_last_of(L"/\\");
  if (cut == std::wstring::npos) return std::nullopt;
  return found->substr(0, cut + 1);
}

namespace {

std::optional<std::wstring> FindSupportFolder(const wchar_t* variable) {
  if (auto folder = WritableFolderOf(variable)) return folder;
  if (auto folder = FolderOfSupportFile(L"is_local_support_dir.txt")) return folder;
  return FolderOfSupportFile(L"derivavi.dwg");
}

wchar_t* Answer(wchar_t* buffer, const std::optional<std::wstring>& folder) {
  if (!folder || !CopyPath(buffer, *folder)) return nullptr;
  return buffer;
}

char* AnswerNarrow(char* buffer, const std::optional<std::wstring>& folder) {
  if (!folder || folder->size() >= kMaxPath) return nullptr;
  WideToNarrow(buffer, kMaxPath, folder->c_str());
  return buffer;
}

// A file of the support folder, its name matched with case ignored.
std::optional<std::wstring> SupportFile(const wchar_t* name) {
  std::optional<std::wstring> folder = FindSupportFolder(L"LARINI");
  if (!folder) return std::nullopt;
  std::optional<std::wstring> found = host::FindInFolder(*folder, name);
  return found ? *found : *folder + name;
}

bool SameTextIgnoringCase(const std::string& a, const char* b) {
  return b != nullptr && host::SameIgnoringAsciiCase(a, b);
}

bool MakeFolder(const std::wstring& path) {
  return host::CreateFolder(path) == host::CreateFolderResult::kCreated;
}

}  // namespace

wchar_t* GetLocalSupportFolder(wchar_t* folder) {
  return Answer(folder, FindSupportFolder(L"LARINI"));
}

char* GetLocalSupportFolder(char* folder) {
  return AnswerNarrow(folder, FindSupportFolder(L"LARINI"));
}

wchar_t* GetVmrSupportFolder(wchar_t* folder) {
  return Answer(folder, FindSupportFolder(L"VMRINI"));
}

char* GetVmrSupportFolder(char* folder) {
  return AnswerNarrow(folder, FindSupportFolder(L"VMRINI"));
}

wchar_t* GetPrimarySupportFolder(wchar_t* folder) {
  if (auto primary = FolderOfSupportFile(L"primary_support.ini")) return Answer(folder, primary);
  return GetLocalSupportFolder(folder);
}

char* GetPrimarySupportFolder(char* folder) {
  if (auto primary = FolderOfSupportFile(L"primary_support.ini")) {
    return AnswerNarrow(folder, primary);
  }
  return GetLocalSupportFolder(folder);
}

wchar_t* FindProgramFolder(wchar_t* folder) {
  return Answer(folder, FolderOfSupportFile(L"corvex2.dcl"));
}

bool ReadSubfolderSetting(const char* keyLine, wchar_t* name) {
  name[0] = L'\0';
  LineReader reader(SupportFile(L"use_subfolders.ini").value_or(L""), 1023);
  if (!reader.Ok()) return false;
  bool on = false;
  std::string line;
  while (reader.Next(&line)) {
    if (SameTextIgnoringCase(line, "*Use subfolders for lwh files")) {
      std::string value;
      if (reader.Next(&value)) on = !value.empty() && value[0] == '1';
    } else if (SameTextIgnoringCase(line, keyLine)) {
      std::string value;
      if (!reader.Next(&value)) continue;
      if (value.size() > 1 && (value.back() == '/' || value.back() == '\\')) value.pop_back();
      NarrowToWide(name, kMaxPath, value.c_str());
    }
  }
  return on && name[0] != L'\0';
}

bool GetSubfolderPath(const wchar_t* base, wchar_t* result, const char* keyLine, bool create) {
  CopyPath(result, base);
  wchar_t name[kMaxPath];
  if (!ReadSubfolderSetting(keyLine, name)) return false;
  if (IsLastFolderNamed(base, name)) return false;
  std::wstring candidate = WithSeparator(base) + name;
  if (!IsDirectory(candidate.c_str()) && !(create && MakeFolder(candidate))) return false;
  return CopyPath(result, WithSeparator(candidate));
}

bool GetLastFolderName(const wchar_t* path, wchar_t* name) {
  const std::size_t length = std::wcslen(path);
  if (length < 6) return false;
  // Only separators from the sixth character on count, so that a drive's
  // root never gives a folder name.
  std::size_t at = length - 2;
  while (at >= 5 && !IsSeparator(path[at])) --at;
  if (at < 5) return false;
  std::wstring last(path + at + 1);
  if (!last.empty() && IsSeparator(last.back())) last.pop_back();
  return CopyPath(name, last);
}

bool IsLastFolderNamed(const wchar_t* path, const wchar_t* name) {
  wchar_t last[kMaxPath];
  if (!GetLastFolderName(path, last)) return false;
  char narrowLast[kMaxPath];
  char narrowName[kMaxPath];
  WideToNarrow(narrowLast, kMaxPath, last);
  WideToNarrow(narrowName, kMaxPath, name);
  return host::SameIgnoringAsciiCase(std::string_view(narrowLast), std::string_view(narrowName));
}

bool IsDirectory(const wchar_t* path) { return path != nullptr && host::IsDirectory(path); }

bool TempFolderWriteTest(const char* name, char* path) {
  static bool seeded = false;
  if (!seeded) {
    host::SeedRandom(static_cast<uint32_t>(host::WallClockNow()));
    seeded = true;
  }
  path[0] = '\0';
  const std::wstring folder = host::TempFolder();
  if (folder.empty() || folder.size() >= kMaxPath) return false;
  WideToNarrow(path, kMaxPath, folder.c_str());

  std::string fileName;
  if (name == nullptr || name[0] == '\0') {
    for (int i = 0; i < 8; ++i) {
      fileName += static_cast<char>('A' + static_cast<int>(host::Random15() / 32767.0 * 25));
    }
    fileName += ".tmp";
  } else {
    fileName = name;
  }
  const std::wstring widePath = folder + NarrowToWide(fileName);
  std::optional<std::string> file = Native(widePath);
  if (!file) return false;
  std::FILE* out = std::fopen(file->c_str(), "w");
  if (out == nullptr) return false;
  const int written = std::fprintf(out, "%s\n", kWriteTestText);
  const bool closed = std::fclose(out) == 0;
  bool ok = false;
  if (written > 0 && closed) {
    LineReader reader(widePath, 126);
    std::string line;
    ok = reader.Next(&line) && line.find(kWriteTestText) != std::string::npos;
  }
  std::remove(file->c_str());
  return ok;
}

bool TempFolderWriteTest(const wchar_t* name, wchar_t* path) {
  char narrowName[kMaxPath];
  WideToNarrow(narrowName, kMaxPath, name != nullptr ? name : L"");
  char narrowPath[kMaxPath];
  path[0] = L'\0';
  if (!TempFolderWriteTest(narrowName, narrowPath)) return false;
  NarrowToWide(path, kMaxPath, narrowPath);
  return true;
}

bool GetDefaultWorkingDir(wchar_t* folder) {
  CopyPath(folder, L"./");
  LineReader reader(SupportFile(L"orvan.ini").value_or(L""), 510);
  bool inGeneral = false;
  std::string line;
  while (reader.Next(&line)) {
    if (SameTextIgnoringCase(line, "*GEN general parameters start")) {
      inGeneral = true;
    } else if (SameTextIgnoringCase(line, "*GEN general parameters end")) {
      inGeneral = false;
    } else if (inGeneral && line == "**GEN Default working directory") {
      std::string value;
      if (reader.Next(&value)) NarrowToWide(folder, kMaxPath, value.c_str());
    }
  }
  return UseDrawingFolderUnlessSetPath(folder);
}

bool UseDrawingFolderUnlessSetPath(wchar_t* folder) {
  std::optional<std::wstring> support = FindSupportFolder(L"LARINI");
  if (!support) return false;
  const std::optional<std::wstring> setPath = SupportFile(L"setpath.ini");
  const std::optional<std::string> native = setPath ? Native(*setPath) : std::nullopt;
  if (std::FILE* marker = native ? std::fopen(native->c_str(), "r") : nullptr) {
    std::fclose(marker);
    return false;
  }
  host::SysVarResult prefix = host::GetSystemVariable(L"DWGPREFIX");
  if (!prefix.ok()) return false;
  std::wstring drawingFolder = prefix.Text();
  if (!drawingFolder.empty() && IsSeparator(drawingFolder.back())) drawingFolder.pop_back();
  return CopyPath(folder, drawingFolder);
}

bool UseDrawingFolderUnlessSetPath(char* folder) {
  wchar_t wide[kMaxPath];
  NarrowToWide(wide, kMaxPath, folder);
  if (!UseDrawingFolderUnlessSetPath(wide)) return false;
  WideToNarrow(folder, kMaxPath, wide);
  return true;
}
