#include "gml/ui/picture_file_finder.h"

#include "gml/ui/varnel_commands.h"

#include <vector>

#include "host/lisp/call.h"
#include "host/system/files.h"

std::wstring FindRightFile(std::wstring folder, const std::wstring& part) {
  if (folder.empty() || (folder.back() != L'/' && folder.back() != L'\\')) folder += L'/';
  for (const host::FileInfo& entry : host::ListFolder(folder + L"*.jpg")) {
    if (entry.attributes & host::kAttributeDirectory) continue;
    if (entry.name.find(part) != std::wstring::npos) return folder + entry.name;
  }
  return L"nul";
}

void LwhFindRightFile() {
  using host::lisp::Value;
  const std::vector<Value>& args = host::lisp::Arguments();
  if (args.size() < 2 || !args[0].IsString() || !args[1].IsString()) {
    host::lisp::Return(Value::String(L"nul"));
    return;
  }
  host::lisp::Return(Value::String(FindRightFile(args[0].text(), args[1].text())));
}
