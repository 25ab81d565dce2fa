// Varnel's entry point: the host's messages to the add-in.
#include "gml/ui/varnel_commands.h"
#include "host/app/addin_abi.h"
#include "host/app/dynamic_linker.h"
#include "host/lisp/call.h"

VARNEL_ADDIN_EXPORT host::AppResult acrxEntryPoint(host::AppMessage message, void* app_id) {
  switch (message) {
    case host::AppMessage::kInitApp:
      (void)host::UnlockApplication(app_id);
      (void)host::RegisterAppMdiAware(app_id);
      InitApplication();
      break;
    case host::AppMessage::kUnloadApp:
      UnloadApplication();
      break;
    case host::AppMessage::kLoadDrawing:
      // LISP code of the drawing can tell that Varnel is there.
      (void)host::lisp::PutSymbol(L"varnel_loaded", host::lisp::Value::Short(1));
      LoadDrawing();
      break;
    case host::AppMessage::kUnloadDrawing:
      UnloadDrawing();
      break;
    case host::AppMessage::kInvokeLisp:
      InvokeLispFunction();
      break;
    default:
      break;
  }
  return host::AppResult::kOk;
}

VARNEL_ADDIN_EXPORT std::int32_t acrxGetApiVersion() { return host::kAddinApiVersion; }
