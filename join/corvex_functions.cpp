#include "join/corvex_functions.h"

#include "common/cad/current_layer.h"
#include "common/cad/sysvar_save.h"
#include "host/app/dynamic_linker.h"
#include "host/editor/command_line.h"
#include "host/lisp/call.h"
#include "join/join_parameter_stage.h"
#include "join/join_parameters.h"
#include "join/join_runs.h"
#include "join/join_selection.h"

namespace {

struct Function {
  const wchar_t* name;
  int code;
};
constexpr Function kFunctions[] = {{L"LarCorvex", kLarCorvexCode}, {L"LarCorvex2", kLarCorvex2Code}};

// The common shape of both handlers. The variables are restored on every way
// out; a save that failed part-way has already put back what it changed.
int RunHandler(int (*parameters)(), int (*run)()) {
  SaveAndSetSysVars();
  int done = 0;
  if (parameters() != 0) {
    const JoinParameters& p = CorvexParameters();
    if (p.automaticLayers == 0) MakeLayerCurrent(p.layerColour, p.layerName);
    done = run();
  }
  RestoreSysVars();
  return done == 1 ? 0 : 1;
}

}  // namespace

void DefineCorvexFunctions() {
  for (const Function& f : kFunctions)
    if (host::lisp::DefineFunction(f.name, f.code) != host::Status::kNormal)
      host::Printf(L"\n***Error defining function '%ls'\n", f.name);
}

void UndefineCorvexFunctions() {
  for (const Function& f : kFunctions)
    if (host::lisp::UndefineFunction(f.name, f.code) != host::Status::kNormal)
      host::Printf(L"\n***Error undefining function '%ls'\n", f.name);
}

int InvokeCorvexFunction() {
  const int code = host::lisp::FunctionCode();
  if (code != kLarCorvexCode && code != kLarCorvex2Code) {
    host::lisp::Fail(L"Received nonexistent function code.");
    return kInvokeError;
  }
  DispatchCorvexFunction();
  return kInvokeResult;
}

void DispatchCorvexFunction() {
  const int code = host::lisp::FunctionCode();
  if (code == kLarCorvexCode) {
    if (LarCorvex() != 0) host::Print(L"\nCORVEX cancelled.");
  } else if (code == kLarCorvex2Code) {
    if (LarCorvex2() != 0) host::Print(L"\nCORVEX2 cancelled.");
  }
}

int LarCorvex() { return RunHandler(GetCorvexParameters, JoinFromInitialEntity); }
int LarCorvex2() { return RunHandler(GetCorvex2Parameters, JoinSelection); }

host::AppResult CorvexEntryPoint(host::AppMessage message, void* appId) {
  switch (message) {
    case host::AppMessage::kInitApp:
      (void)host::UnlockApplication(appId);
      (void)host::RegisterAppMdiAware(appId);
      break;
    case host::AppMessage::kUnloadApp:
      FreeJoinSelections();
      break;
    case host::AppMessage::kLoadDrawing:
      DefineCorvexFunctions();
      break;
    case host::AppMessage::kUnloadDrawing:
      UndefineCorvexFunctions();
      break;
    case host::AppMessage::kInvokeLisp:
      (void)InvokeCorvexFunction();
      break;
    default:
      break;
  }
  return host::AppResult::kOk;
}
