// A small add-in for the host's own tests: it registers commands and LISP
// functions and reports every message it gets on the command line, so that
// tests can see the order of messages and reach its commands and functions
// through cadhost and a script. Built as a shared library; it calls the host
// through the symbols of the program that loads it.
#include <chrono>
#include <string>
#include <thread>

#include "host/app/addin_abi.h"
#include "host/app/command_stack.h"
#include "host/app/dynamic_linker.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"
#include "host/editor/host_commands.h"
#include "host/editor/point_prompts.h"
#include "host/editor/prompts.h"
#include "host/editor/selection.h"
#include "host/editor/system_variables.h"
#include "host/editor/support_path.h"
#include "host/lisp/call.h"
#include "host/ui/dialog.h"

namespace {

enum FunctionCode { kAdd = 0, kFail = 1, kNothing = 2, kLastArg = 3 };

void Hello() {
  host::Input<std::wstring> name = host::GetString(true, L"\nYour name <World>: ");
  if (name.status == host::Status::kCancel) {
    host::Print(L"\nHello cancelled.");
    return;
  }
  if (!name.ok()) {
    host::Printf(L"\nHello failed (%ls).", host::StatusName(name.status));
    return;
  }
  host::Printf(L"\nHello, %ls.", name.value.empty() ? L"World" : name.value.c_str());
}

// Counts to 100, pumping messages and polling for a break at each step.
void CountUp() {
  for (int i = 1; i <= 100; ++i) {
    host::PumpMessages();
    if (host::UserBreak()) {
      host::Printf(L"\nStopped at %d.", i);
      return;
    }
    host::Printf(L"\rCounted %d", i);
  }
  host::Print(L"\nCounted to the end.");
}

// Polls for a break every 10 ms of real time, for 30 s at most: a loop
// long enough for a person at the terminal to press Ctrl-C.
void AwaitBreak() {
  host::Print(L"\nWaiting for a break.");
  for (int i = 1; i <= 3000; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (host::UserBreak()) {
      host::Print(L"\nBroken off.");
      return;
    }
  }
  host::Print(L"\nNo break came.");
}

void SetPath() {
  host::Input<std::wstring> path = host::GetString(true, L"\nSupport path: ");
  if (path.ok()) host::SetSupportPathText(path.value);
}

void Find() {
  host::Input<std::wstring> name = host::GetString(true, L"\nFile to find: ");
  if (!name.ok()) return;
  std::optional<std::wstring> found = host::FindFile(name.value);
  if (found)
    host::Printf(L"\nFound: %ls", found->c_str());
  else
    host::Printf(L"\nNot found: %ls", name.value.c_str());
}

void DrawLine() {
  host::Input<host::db::Point3> from = host::GetPoint(L"\nFrom point: ");
  if (!from.ok()) return;
  host::Input<host::db::Point3> to = host::GetPoint(from.value, L"\nTo point: ");
  if (!to.ok()) return;
  if (host::RunHostCommand({std::wstring(L"_LINE"), from.value, to.value, std::wstring(L"")}) !=
      host::Status::kNormal)
    host::Print(L"\nLINE failed.");
}

// A window by two corners, the second asked with no text of its own.
void DrawWindow() {
  const host::Input<host::db::Point3> a = host::GetPoint(L"\nWindow select an area");
  if (!a.ok()) return;
  const host::Input<host::db::Point3> b = host::GetCorner(a.value, L"");
  if (b.ok()) host::Printf(L"\nWindow %g,%g to %g,%g.", a.value.x, a.value.y, b.value.x, b.value.y);
}

// Moves the lines the user selects by two points.
void MoveLines() {
  host::Input<host::SelectionSetId> set = host::SelectEntities({{0, L"LINE"}});
  if (!set.ok()) {
    host::Printf(L"\nNo lines selected (%ls, ERRNO %d).", host::StatusName(set.status),
                 host::GetSystemVariable(L"ERRNO").Short());
    return;
  }
  host::Input<host::db::Point3> base = host::GetPoint(L"\nBase point: ");
  host::Input<host::db::Point3> second =
      base.ok() ? host::GetPoint(base.value, L"\nSecond point: ") : base;
  if (second.ok()) {
    (void)host::RunHostCommand({std::wstring(L"_MOVE"), host::CommandSelection{set.value}, std::wstring(L""),
                                base.value, second.value});
    host::Printf(L"\nMoved %d.", host::SelectionSetLength(set.value).value);
  }
  (void)host::FreeSelectionSet(set.value);
}

// A dialog whose Run button starts a long loop that pumps messages, and
// whose Stop button (clicked during the loop) ends it.
class RunDialog : public host::ui::Dialog {
 public:
  static constexpr int kTemplate = 7001, kRun = 1001, kStop = 239, kProgress = 233;
  RunDialog() : Dialog(Template()) {
    On(kRun, host::ui::Notify::kClick, [this] { Run(); });
    On(kStop, host::ui::Notify::kClick, [this] { stop_ = true; });
  }
  int stopped_at = 0;

 private:
  static host::ui::DialogTemplate Template() {
    host::ui::DialogTemplate t;
    t.id = kTemplate;
    t.caption = L"Test run";
    t.rect = {0, 0, 200, 80};
    t.controls = {{kRun, host::ui::ControlKind::kButton, L"Run", 0, {10, 50, 50, 14}},
                  {kStop, host::ui::ControlKind::kButton, L"<Stop action>", 0, {70, 50, 50, 14}},
                  {host::ui::kIdCancel, host::ui::ControlKind::kButton, L"Cancel", 0, {130, 50, 50, 14}},
                  {kProgress, host::ui::ControlKind::kStatic, L"", 0, {10, 10, 180, 10}}};
    return t;
  }
  void Run() {
    for (int i = 1; i <= 100; ++i) {
      host::PumpMessages();
      if (stop_) {
        stopped_at = i;
        break;
      }
      SetItemText(kProgress, L"Step " + std::to_wstring(i));
    }
    EndDialog(host::ui::kIdOk);
  }
  bool stop_ = false;
};

void RunDialogCommand() {
  RunDialog dialog;
  const int code = dialog.DoModal();
  host::Printf(L"\nDialog ended with %d, stopped at %d.", code, dialog.stopped_at);
}

void Invoke() {
  switch (host::lisp::FunctionCode()) {
    case kAdd: {
      std::int32_t sum = 0;
      for (const host::lisp::Value& v : host::lisp::Arguments()) sum += v.integer();
      host::lisp::Return(host::lisp::Value::Integer(sum));
      break;
    }
    case kFail:
      host::lisp::Fail(L"Received nonexistent function code.");
      break;
    case kNothing:
      break;
    case kLastArg:
      if (!host::lisp::Arguments().empty()) host::lisp::Return(host::lisp::Arguments().back());
      break;
    default:
      host::lisp::Fail(L"Received nonexistent function code.");
  }
}

const wchar_t* const kFunctions[] = {L"ta_add", L"ta_fail", L"ta_nothing", L"ta_last"};

}  // namespace

VARNEL_ADDIN_EXPORT host::AppResult acrxEntryPoint(host::AppMessage message, void* app_id) {
  switch (message) {
    case host::AppMessage::kInitApp:
      host::Print(L"\n[TestAddin] init");
      if (!host::UnlockApplication(app_id)) host::Print(L"\n[TestAddin] cannot unlock");
      if (!host::RegisterAppMdiAware(app_id)) host::Print(L"\n[TestAddin] not MDI-aware");
      (void)host::AddCommand(L"TESTADDIN", L"tahello", L"tahello", host::kCommandModal, Hello);
      (void)host::AddCommand(L"TESTADDIN", L"tacount", L"tazaehle", host::kCommandModal, CountUp);
      (void)host::AddCommand(L"TESTADDIN", L"tasetpath", L"tasetpath", host::kCommandModal, SetPath);
      (void)host::AddCommand(L"TESTADDIN", L"tafind", L"tafind", host::kCommandModal, Find);
      (void)host::AddCommand(L"TESTADDIN", L"taline", L"taline", host::kCommandModal, DrawLine);
      (void)host::AddCommand(L"TESTADDIN", L"tamove", L"tamove", host::kCommandModal, MoveLines);
      (void)host::AddCommand(L"TESTADDIN", L"tadialog", L"tadialog", host::kCommandModal, RunDialogCommand);
      (void)host::AddCommand(L"TESTADDIN", L"tawait", L"tawait", host::kCommandModal, AwaitBreak);
      (void)host::AddCommand(L"TESTADDIN", L"tawindow", L"tawindow", host::kCommandModal, DrawWindow);
      break;
    case host::AppMessage::kUnloadApp:
      host::Print(L"\n[TestAddin] unload app");
      (void)host::RemoveGroup(L"TESTADDIN");
      break;
    case host::AppMessage::kLoadDrawing:
      host::Print(L"\n[TestAddin] load drawing");
      (void)host::lisp::PutSymbol(L"testaddin_loaded", host::lisp::Value::Short(1));
      for (int code = 0; code < 4; ++code)
        if (host::lisp::DefineFunction(kFunctions[code], code) != host::Status::kNormal)
          host::Printf(L"\n***Error defining function '%ls'\n", kFunctions[code]);
      break;
    case host::AppMessage::kUnloadDrawing:
      host::Print(L"\n[TestAddin] unload drawing");
      for (int code = 0; code < 4; ++code)
        if (host::lisp::UndefineFunction(kFunctions[code], code) != host::Status::kNormal)
          host::Printf(L"\n***Error undefining function '%ls'\n", kFunctions[code]);
      break;
    case host::AppMessage::kInvokeLisp:
      Invoke();
      break;
    default:
      break;
  }
  return host::AppResult::kOk;
}

VARNEL_ADDIN_EXPORT std::int32_t acrxGetApiVersion() { return host::kAddinApiVersion; }
