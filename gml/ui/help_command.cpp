#include "gml/ui/varnel_commands.h"

#include <optional>
#include <string>

#include "host/editor/display.h"
#include "host/editor/support_path.h"
#include "host/system/process.h"

void HelpCommand() {
  const std::optional<std::wstring> path = host::FindFile(L"orvane.chm");
  if (!path) {
    host::Alert(L"Help file \"orvane.chm\" not found - check installation");
    return;
  }
  // The path is one argument whatever it holds (blanks, letters outside
  // single-byte text): the viewer is started without waiting.
  (void)host::StartProcess(L"hh", {*path});
}
