// Plimsor's entry point: the LISP function LarVerticalPolylineOffset (code 0)
// is defined for every drawing loaded and removed when it is unloaded.
#include "host/app/addin_abi.h"
#include "host/app/dynamic_linker.h"
#include "host/editor/command_line.h"
#include "host/lisp/call.h"
#include "vertical_offset/vertical_offset_run.h"

namespace {

constexpr wchar_t kFunctionName[] = L"LarVerticalPolylineOffset";
constexpr int kFunctionCode = 0;
// The handler's answers: a result was returned, or the call failed.
constexpr int kReturnedResult = 1;
constexpr int kFunctionFailed = -5001;

int DispatchPlimsorFunction() {
  if (host::lisp::FunctionCode() == kFunctionCode) {
    LarVerticalPolylineOffset();
    return kReturnedResult;
  }
  host::lisp::Fail(L"Received nonexistent function code.");
  return kFunctionFailed;
}

}  // namespace

VARNEL_ADDIN_EXPORT host::AppResult acrxEntryPoint(host::AppMessage message, void* app_id) {
  switch (message) {
    case host::AppMessage::kInitApp:
      (void)host::UnlockApplication(app_id);
      (void)host::RegisterAppMdiAware(app_id);
      break;
    case host::AppMessage::kLoadDrawing:
      if (host::lisp::DefineFunction(kFunctionName, kFunctionCode) != host::Status::kNormal)
        host::Print(L"\n***Error defining function 'LarVerticalPolylineOffset'\n");
      break;
    case host::AppMessage::kUnloadDrawing:
      if (host::lisp::UndefineFunction(kFunctionName, kFunctionCode) != host::Status::kNormal)
        host::Print(L"\n***Error undefining function 'LarVerticalPolylineOffset'\n");
      break;
    case host::AppMessage::kInvokeLisp:
      (void)DispatchPlimsorFunction();
      break;
    default:
      break;
  }
  return host::AppResult::kOk;
}

VARNEL_ADDIN_EXPORT std::int32_t acrxGetApiVersion() { return host::kAddinApiVersion; }
