#include "host/testing/test_reset.h"

#include <optional>
#include <string>

#include "host/app/addins.h"
#include "host/app/command_stack.h"
#include "host/app/documents.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/graphics.h"
#include "host/editor/selection.h"
#include "host/editor/support_path.h"
#include "host/editor/system_variables.h"
#include "host/lisp/call.h"
#include "host/lisp/environment.h"
#include "host/system/clock.h"
#include "host/system/environment.h"
#include "host/system/events.h"
#include "host/system/fault.h"
#include "host/system/files.h"
#include "host/system/profiles.h"
#include "host/system/registry.h"
#include "host/system/replace_file.h"
#include "host/system/temp_files.h"
#include "host/system/user_actions.h"
#include "host/ui/dcl_runtime.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

namespace host {

void ResetForTest() {
  // The first call comes before any test has moved away from it.
  static const std::optional<std::wstring> start_folder = CurrentFolder();
  (void)CloseDrawing();
  UnloadAllAddins();
  ClearCommands();
  lisp::SetCurrentEnvironment(nullptr);
  lisp::CurrentEnvironment().Clear();
  lisp::ResetHostFunctions();
  lisp::SetInvoker(nullptr);
  FreeAllSelectionSets();
  ResetGraphics();
  ResetDisplay();
  dcl::ResetDclRuntime();
  ui::ClearMessageBoxes();
  ui::ClearPickerRecords();
  Actions().Clear();
  Shown().Clear();
  ClearCommandLine();
  ResetEvents();
  SetActionSupplier({});
  SetDialogEventHandler({});
  DisarmAllFaults();
  ClearEnvironmentOverrides();
  ClearSessionSupportFolders();
  RemoveAllProfileListeners();
  UseMemoryRegistry();
  ResetVirtualClock();
  UseRealWallClock();
  SeedRandom(1);
  RestartTempFileNumbers();
  RestartReplacementNames();
  ResetSystemVariables();
  if (start_folder) (void)SetCurrentFolder(*start_folder);
}

}  // namespace host
