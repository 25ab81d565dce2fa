#include "host/app/addin_abi.h"

VARNEL_ADDIN_EXPORT host::AppResult acrxEntryPoint(host::AppMessage, void*) {
  return host::AppResult::kOk;
}

VARNEL_ADDIN_EXPORT std::int32_t acrxGetApiVersion() { return host::kAddinApiVersion; }
