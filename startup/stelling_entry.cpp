// Stelling's entry point: the support folder check on every drawing load.
#include "host/app/addin_abi.h"
#include "host/app/dynamic_linker.h"
#include "startup/support_folder_check.h"

VARNEL_ADDIN_EXPORT host::AppResult acrxEntryPoint(host::AppMessage message, void* appId) {
  switch (message) {
    case host::AppMessage::kInitApp:
      (void)host::UnlockApplication(appId);
      (void)host::RegisterAppMdiAware(appId);
      break;
    case host::AppMessage::kLoadDrawing:
      (void)RunStartupCheck();
      break;
    default:
      break;
  }
  return host::AppResult::kOk;
}

VARNEL_ADDIN_EXPORT std::int32_t acrxGetApiVersion() { return host::kAddinApiVersion; }
