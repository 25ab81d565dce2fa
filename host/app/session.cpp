#include "host/app/session.h"

#include "host/app/addins.h"
#include "host/app/command_stack.h"
#include "host/app/documents.h"
#include "host/app/script.h"
#include "host/editor/command_line.h"
#include "host/editor/typed_commands.h"
#include "host/system/events.h"
#include "host/lisp/reader.h"
#include "host/system/user_actions.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

std::wstring Trim(const std::wstring& text) {
  std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  std::size_t last = text.find_last_not_of(L" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

Result<> RunTopLevelAction(const UserAction& action, SessionReport* report) {
  const std::string& verb = action.verb;
  if (verb == "type") {
    const std::wstring name = Trim(action.Arg(0));
    EchoInput(action.Arg(0));
    if (name.empty()) return {};
    switch (RunCommand(name)) {
      case RunResult::kRan:
        break;
      case RunResult::kUnknown:
        // The host's own commands, when no add-in command has the name.
        if (RunTypedHostCommand(name)) break;
        Print(L"\nUnknown command \"" + UpperAscii(name) + L"\".  Press F1 for help.\n");
        break;
      case RunResult::kRefused:
        Print(L"\n** That command may not be invoked now. **\n");
        break;
    }
    return {};
  }
  if (verb == "lisp") {
    EchoInput(action.Arg(0));
    lisp::CallResult r = lisp::RunLispLine(action.Arg(0));
    if (r.status == Status::kNormal)
      Print(L"\n" + lisp::ToLispText(r.value));
    else
      Print(L"\n; error: " + r.message + L"\n");
    return {};
  }
  if (verb == "esc") {
    Print(L"*Cancel*\n");
    return {};
  }
  if (verb == "new") {
    (void)NewDrawing();
    return {};
  }
  if (verb == "open") {
    Result<> r = OpenDrawing(action.Arg(0));
    if (!r.ok()) Print(L"\nCannot open " + action.Arg(0) + L": " + r.message + L"\n");
    return {};
  }
  if (verb == "save") {
    Result<> r = SaveDrawing(action.Arg(0));
    if (!r.ok()) Print(L"\nCannot save the drawing: " + r.message + L"\n");
    report->save_failed = !r.ok();
    report->save_error = r.message;
    return {};
  }
  if (verb == "load") {
    Result<const void*> r = LoadAddin(action.Arg(0));
    if (!r.ok()) Print(L"\n" + r.message + L"\n");
    return {};
  }
  if (verb == "unload") {
    if (UnloadAddin(action.Arg(0)) != Status::kNormal)
      Print(L"\nUnable to unload " + action.Arg(0) + L".\n");
    return {};
  }
  return Failed(L"nothing is waiting for \"" + ActionText(action) + L"\" (no prompt or dialog took it)");
}

// Says so when the run ends with timed events that never came due.
void ReportUndelivered() {
  const int pending = PendingTimedEvents();
  if (pending == 1) Print(L"\n; 1 timed event was never delivered\n");
  if (pending > 1) Print(L"\n; " + std::to_wstring(pending) + L" timed events were never delivered\n");
}

Result<SessionReport> RunSession(const SessionOptions& options) {
  SessionReport report;
  for (;;) {
    if (options.interactive) ShowPrompt(L"\nCommand: ");
    const NextAction next = TakeNextAction([](const UserAction&) { return true; });
    if (!next.taken()) {
      ReportUndelivered();
      return Success(report);
    }
    if (!options.interactive) ShowPrompt(L"\nCommand: ");
    const UserAction& action = next.action;
    // Before the action runs: a command takes more actions as it goes.
    report.line = options.current_line ? options.current_line() : 0;
    Result<> r = RunTopLevelAction(action, &report);
    if (!r.ok() && options.interactive) {
      Print(L"\n; " + r.message + L"\n");
      continue;
    }
    if (!r.ok()) {
      const std::wstring where =
          report.line > 0 ? L"line " + std::to_wstring(report.line) + L": " : std::wstring();
      Print(L"\n; script error: " + where + r.message + L"\n");
      return Result<SessionReport>{Status::kError, report, r.message};
    }
    if (report.save_failed && !options.interactive) return Success(report);
  }
}

}  // namespace host
