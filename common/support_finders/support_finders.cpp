#include "common/support_finders/support_finders.h"

#include <cwchar>
#include <optional>
#include <string>

#include "common/cad/support_folders.h"
#include "common/containers/text.h"

namespace {

constexpr wchar_t kMarkerDrawing[] = L"derivavi.dwg";
constexpr wchar_t kPrimaryMarker[] = L"primary_support.ini";

bool FitsBuffer(const std::optional<std::wstring>& folder) {
  return folder && folder->size() < kFinderFolderSize;
}

// The environment variable's folder when it passes the write test and fits
// the buffer, else the folder of the marker drawing.
std::optional<std::wstring> FindByVariable(const wchar_t* variable) {
  std::optional<std::wstring> folder = WritableFolderOf(variable);
  if (FitsBuffer(folder)) return folder;
  folder = FolderOfSupportFile(kMarkerDrawing);
  if (FitsBuffer(folder)) return folder;
  return std::nullopt;
}

std::optional<std::wstring> FindMarkerFolder(const wchar_t* marker) {
  std::optional<std::wstring> folder = FolderOfSupportFile(marker);
  if (FitsBuffer(folder)) return folder;
  return std::nullopt;
}

wchar_t* Answer(wchar_t* buffer, const std::optional<std::wstring>& folder) {
  if (!folder) return nullptr;
  std::wmemcpy(buffer, folder->c_str(), folder->size() + 1);
  return buffer;
}

// The 8-bit answer; a folder with a character that has no 8-bit form is no
// answer, since the path would name another folder.
std::optional<std::string> Narrowed(const std::optional<std::wstring>& folder) {
  if (!folder) return std::nullopt;
  std::string narrow = WideToNarrow(*folder);
  if (narrow.size() != folder->size()) return std::nullopt;
  return narrow;
}

char* Answer(char* buffer, const std::optional<std::string>& folder) {
  if (!folder) return nullptr;
  folder->copy(buffer, folder->size());
  buffer[folder->size()] = '\0';
  return buffer;
}

}  // namespace

wchar_t* FindVmrSupportFolder(wchar_t* folder) {
  return Answer(folder, FindByVariable(L"VMRINI"));
}

char* FindVmrSupportFolderA(char* folder) {
  return Answer(folder, Narrowed(FindByVariable(L"VMRINI")));
}

wchar_t* FindLocalSupportFolder(wchar_t* folder) {
  return Answer(folder, FindByVariable(L"LARINI"));
}

char* FindLocalSupportFolderA(char* folder) {
  return Answer(folder, Narrowed(FindByVariable(L"LARINI")));
}

wchar_t* FindPrimarySupportFolder(wchar_t* folder) {
  if (auto primary = FindMarkerFolder(kPrimaryMarker)) return Answer(folder, primary);
  return FindLocalSupportFolder(folder);
}

char* FindPrimarySupportFolderA(char* folder) {
  if (auto primary = Narrowed(FindMarkerFolder(kPrimaryMarker))) return Answer(folder, primary);
  return FindLocalSupportFolderA(folder);
}

wchar_t* FindModuleFolder(wchar_t* folder, const wchar_t* marker) {
  if (marker == nullptr || marker[0] == L'\0') return nullptr;
  return Answer(folder, FindMarkerFolder(marker));
}
