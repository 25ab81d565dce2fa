// The exports of the Corvex add-in.
#include "host/app/addin_abi.h"
#include "join/corvex_functions.h"

VARNEL_ADDIN_EXPORT host::AppResult acrxEntryPoint(host::AppMessage message, void* app_id) {
  return CorvexEntryPoint(message, app_id);
}

VARNEL_ADDIN_EXPORT std::int32_t acrxGetApiVersion() { return host::kAddinApiVersion; }
