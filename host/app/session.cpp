#include "host/app/session.h"

#include <algorithm>
#include <vector>

#include "host/app/addins.h"
#include "host/app/command_stack.h"
#include "host/app/documents.h"
#include "host/app/script.h"
#include "host/editor/command_line.h"
#include "host/editor/typed_commands.h"
#include "host/system/events.h"
#include "host/lisp/environment.h"
#include "host/lisp/reader.h"
#include "host/ui/message_box.h"
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

// True when the drawing may be dropped: nothing unsaved, nobody to ask, or
// the person at the terminal says Yes. `doing` is what drops it ("Quit").
// Without an answer (the input ended) a quit goes on and anything else does
// not.
bool MayDropDrawing(const SessionOptions& options, const std::wstring& doing, bool quitting) {
  if (!options.ask_before_dropping || !DrawingChanged()) return true;
  const ui::MessageResult answer =
      ui::ShowMessageBox(L"The drawing has changes that are not saved (!save FILE saves them).\n" + doing +
                             L" and drop them?",
                         L"", ui::MessageButtons::kYesNo, ui::MessageIcon::kExclamation, 1);
  if (answer == ui::MessageResult::kYes) return true;
  return quitting && !ui::MessageBoxes().back().answered;
}

bool IsWord(const std::wstring& name, std::initializer_list<const wchar_t*> words) {
  const std::wstring lower = LowerAscii(name);
  return std::any_of(words.begin(), words.end(), [&](const wchar_t* w) { return lower == w; });
}

// `title` and the words after it, in lines of at most 90 characters; empty
// without words.
std::wstring Wrapped(const std::wstring& title, const std::vector<std::wstring>& words) {
  if (words.empty()) return std::wstring();
  std::wstring out = title;
  std::size_t line_start = out.rfind(L'\n') == std::wstring::npos ? 0 : out.rfind(L'\n') + 1;
  for (const std::wstring& word : words) {
    if (out.size() - line_start + 1 + word.size() > 90) {
      out += L"\n ";
      line_start = out.size() - 1;
    }
    out += L" " + word;
  }
  return out + L"\n";
}

}  // namespace

std::wstring SessionHelp() {
  std::wstring out = L"\nAt \"Command:\" type a command name, a LISP call in parentheses, or an action below;"
                     L"\nan empty line is Enter.\n";
  // One command a line, with what its add-in says it does.
  const std::vector<CommandInfo> commands = Commands();
  std::size_t width = 0;
  for (const CommandInfo& c : commands) width = std::max(width, c.local_name.size());
  if (!commands.empty()) out += L"\nAdd-in commands:\n";
  for (const CommandInfo& c : commands) {
    std::wstring line = L"  " + c.local_name;
    if (!c.purpose.empty()) line += std::wstring(width - c.local_name.size() + 2, L' ') + c.purpose;
    out += line + L"\n";
  }
  std::vector<std::wstring> functions;
  for (const lisp::FunctionDef& f : lisp::CurrentEnvironment().Functions())
    if (f.owner != nullptr) functions.push_back(L"(" + f.name + L")");
  out += Wrapped(L"LISP functions:", functions);
  out +=
      L"Host commands: LINE MOVE COPY ZOOM LIMITS REDRAW; help (or ?); quit (or exit, or Ctrl-D)\n"
      L"  (Ctrl-C cancels what runs or waits; Ctrl-D cancels a question, at \"Command:\" it quits)\n"
      L"  (UNDO takes its options, but this host keeps no undo history: nothing is undone)\n"
      L"\nActions (each on a line of its own):\n"
      L"  !answer yes | no | ok | cancel   press a button of the message box that waits\n"
      L"  !answer PATH [PATH ...]          answer a file or folder picker; !answer cancel cancels it\n"
      L"  !dlg_click ID                    click a button, check box or radio button of the dialog\n"
      L"                                   (ID: the number in [ ], or the key in a DCL dialog)\n"
      L"  !dlg_set ID TEXT                 put TEXT into an edit box (1 or 0 into a check box)\n"
      L"  !dlg_select ID ROW [ROW ...]     make these rows (from 0) the selection of a list\n"
      L"  !dlg_dblclick ID [ROW]           double-click a control or a row\n"
      L"  !pick HANDLE | !pick x,y         answer an object or point prompt\n"
      L"  !select HANDLE ...               answer \"Select objects:\" (!select alone: nothing)\n"
      L"  !color N                         answer the colour dialog\n"
      L"  !esc                             Esc: cancel what waits\n"
      L"  !type TEXT                       type TEXT exactly, also when it starts with !, ( or #\n"
      L"  !new | !open FILE | !save [FILE] start a drawing, open a DXF drawing, save the drawing\n"
      L"  !load FILE | !unload NAME        load or unload an add-in\n"
      L"  !help                            this list, also while a dialog or question waits\n"
      L"A question, picker or dialog that waits is shown with the answers it takes.\n";
  return out;
}

Result<> RunTopLevelAction(const UserAction& action, SessionReport* report, const SessionOptions& options) {
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
        if (IsWord(name, {L"help", L"?"})) {
          Print(SessionHelp());
          break;
        }
        if (IsWord(name, {L"quit", L"exit"})) {
          report->quit = MayDropDrawing(options, L"Quit", true);
          break;
        }
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
  if (verb == "help") {
    Print(SessionHelp());
    return {};
  }
  if (verb == "quit") {
    report->quit = MayDropDrawing(options, L"Quit", true);
    return {};
  }
  if (verb == "new") {
    if (MayDropDrawing(options, L"Start a new drawing", false)) (void)NewDrawing();
    return {};
  }
  if (verb == "open") {
    if (!MayDropDrawing(options, L"Open " + action.Arg(0), false)) return {};
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
    Result<> r = RunTopLevelAction(action, &report, options);
    if (report.quit) return Success(report);
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
