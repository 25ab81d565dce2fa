#include "host/editor/typed_commands.h"

#include <string>
#include <vector>

#include "host/editor/command_line.h"
#include "host/editor/host_commands.h"
#include "host/editor/point_prompts.h"
#include "host/editor/prompts.h"
#include "host/editor/selection.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

// The command's name as typed, without '_' or '.', in capitals.
std::wstring Bare(std::wstring_view name) {
  std::size_t i = 0;
  while (i < name.size() && (name[i] == L'_' || name[i] == L'.')) ++i;
  return UpperAscii(name.substr(i));
}

// An option keyword as the user types it: any leading part of the keyword
// that holds its capitals ("e", "ext", "Extents" for "Extents").
bool Keyword(const std::wstring& answer, std::wstring_view keyword) {
  std::wstring typed = Bare(answer);
  while (!typed.empty() && typed.back() == L' ') typed.pop_back();
  std::size_t capitals = 0;
  while (capitals < keyword.size() && keyword[capitals] >= L'A' && keyword[capitals] <= L'Z') ++capitals;
  if (typed.size() < capitals || typed.size() > keyword.size()) return false;
  for (std::size_t i = 0; i < typed.size(); ++i)
    if (FoldAsciiCase(typed[i]) != FoldAsciiCase(keyword[i])) return false;
  return true;
}

void Run(const std::vector<CommandArg>& args) {
  if (RunHostCommand(args) != Status::kNormal) Print(L"\nThe command could not be carried out.");
}

void Line(const std::wstring& name) {
  Input<db::Point3> first = GetPoint(L"\nFirst point: ");
  if (!first.ok()) return;
  std::vector<CommandArg> args = {name, first.value};
  db::Point3 last = first.value;
  for (;;) {
    Input<db::Point3> next = GetPoint(last, L"\nNext point: ");
    if (!next.ok()) break;
    args.emplace_back(next.value);
    last = next.value;
  }
  if (args.size() < 3) return;
  args.emplace_back(std::wstring());
  Run(args);
}

void MoveOrCopy(const std::wstring& name) {
  Input<SelectionSetId> set = SelectEntities();
  if (!set.ok()) return;
  Input<db::Point3> base = GetPoint(L"\nBase point: ");
  Input<db::Point3> second = base.ok() ? GetPoint(base.value, L"\nSecond point: ") : base;
  if (second.ok()) Run({name, CommandSelection{set.value}, std::wstring(), base.value, second.value});
  (void)FreeSelectionSet(set.value);
}

void ZoomWindow(const std::wstring& name, const db::Point3& first) {
  Input<db::Point3> other = GetCorner(first, L"\nOpposite corner: ");
  if (other.ok()) Run({name, std::wstring(L"_W"), first, other.value});
}

// Each question below refuses a word that is none of its keywords with the
// host's message and asks again.
void Zoom(const std::wstring& name) {
  for (;;) {
    Input<std::wstring> answer = GetString(false, L"\nCorner of window or [Extents/Window] <Extents>: ");
    if (!answer.ok()) return;
    db::Point3 corner;
    if (answer.value.empty() || Keyword(answer.value, L"Extents")) {
      Run({name, std::wstring(L"_E")});
    } else if (Keyword(answer.value, L"Window")) {
      Input<db::Point3> first = GetPoint(L"\nFirst corner: ");
      if (first.ok()) ZoomWindow(name, first.value);
    } else if (detail::ParsePoint(answer.value, nullptr, &corner)) {
      ZoomWindow(name, corner);
    } else {
      Print(L"\nInvalid option keyword.");
      continue;
    }
    return;
  }
}

void Limits(const std::wstring& name) {
  for (;;) {
    Input<std::wstring> answer = GetString(false, L"\nLower left corner or [ON/OFF] <0,0>: ");
    if (!answer.ok()) return;
    db::Point3 low;
    if (Keyword(answer.value, L"ON") || Keyword(answer.value, L"OFF")) {
      Run({name, std::wstring(Keyword(answer.value, L"ON") ? L"ON" : L"OFF")});
      return;
    }
    if (!answer.value.empty() && !detail::ParsePoint(answer.value, nullptr, &low)) {
      Print(L"\nInvalid option keyword.");
      continue;
    }
    Input<db::Point3> high = GetCorner(low, L"\nUpper right corner: ");
    if (high.ok()) Run({name, low, high.value});
    return;
  }
}

// The add-ins set UNDO marks around their work; the host keeps no history
// behind them, and says so to a user who types UNDO.
void Undo(const std::wstring& name) {
  for (;;) {
    Input<std::wstring> answer = GetString(false, L"\nEnter an option [Mark/BEgin/End/Back/Auto]: ");
    if (!answer.ok()) return;
    for (const wchar_t* option : {L"Mark", L"BEgin", L"End", L"Back", L"Auto"}) {
      if (Keyword(answer.value, option)) {
        Run({name, std::wstring(option)});
        Print(L"\nThis host keeps no undo history: nothing was undone.");
        return;
      }
    }
    Print(L"\nInvalid option keyword.");
  }
}

}  // namespace

bool RunTypedHostCommand(std::wstring_view name) {
  if (!IsHostCommand(name)) return false;
  const std::wstring command(name);
  const std::wstring bare = Bare(name);
  if (bare == L"LINE") Line(command);
  else if (bare == L"MOVE" || bare == L"COPY") MoveOrCopy(command);
  else if (bare == L"ZOOM") Zoom(command);
  else if (bare == L"LIMITS") Limits(command);
  else if (bare == L"UNDO") Undo(command);
  else Run({command});  // REDRAW
  return true;
}

}  // namespace host
