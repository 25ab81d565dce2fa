#include "common/dialogs/support_lookup.h"

#include "common/cad/support_folders.h"
#include "host/system/files.h"

std::wstring FindDialogSupportFolder() {
  wchar_t folder[kMaxPath];
  if (GetLocalSupportFolder(folder) == nullptr) return {};
  return folder;
}

std::wstring DialogSupportFolderOrHere() {
  std::wstring folder = FindDialogSupportFolder();
  if (folder.empty()) folder = std::wstring(L".") + host::kPathSeparator;
  return folder;
}
