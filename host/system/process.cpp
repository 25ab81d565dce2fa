#include "host/system/process.h"

#include <unistd.h>

#include "host/system/files.h"
#include "host/system/user_actions.h"

namespace host {

bool StartProcess(std::wstring_view program, const std::vector<std::wstring>& args) {
  if (program.empty()) return false;
  std::wstring line(program);
  for (const std::wstring& arg : args) line += L" " + arg;
  Shown().Add("process", line);
  return true;
}

bool ShellOpen(std::wstring_view path) {
  if (!PathExists(path)) return false;
  Shown().Add("shell_open", std::wstring(path));
  return true;
}

bool ShellShowInFolder(std::wstring_view path) {
  if (!PathExists(path)) return false;
  Shown().Add("shell_select", std::wstring(path));
  return true;
}

bool StandardInputIsTerminal() { return isatty(0) == 1; }

}  // namespace host
