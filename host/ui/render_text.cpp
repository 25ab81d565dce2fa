#include "host/ui/render_text.h"

namespace host::ui {

std::wstring Quoted(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\n')
      out += L"\\n";
    else if (c == L'\t')
      out += L"\\t";
    else if (c == L'\r')
      out += L"\\r";
    else
      out += c;
  }
  return out + L"\"";
}

std::wstring DialogActions::Line() const {
  // Lines of at most 100 characters, so that a terminal does not break them
  // inside a name.
  constexpr std::size_t kWidth = 100;
  std::wstring out = L"Actions now:";
  std::size_t line_start = 0;
  auto add = [&](const std::wstring& piece) {
    if (out.size() - line_start + piece.size() > kWidth) {
      out += L"\n   ";
      line_start = out.size() - 3;
    }
    out += piece;
  };
  bool first_part = true;
  auto part = [&](const std::vector<std::wstring>& targets, const wchar_t* verb, const wchar_t* tail) {
    if (targets.empty()) return;
    if (!first_part) out += L";";
    first_part = false;
    add(L" " + std::wstring(verb));
    for (std::size_t i = 0; i < targets.size(); ++i)
      add(L" " + targets[i] + (i + 1 < targets.size() ? L"," : std::wstring(tail)));
  };
  part(click, L"!dlg_click", L"");
  part(select, L"!dlg_select", L" ROW [ROW ...]");
  part(double_click, L"!dlg_dblclick", L" ROW");
  part(set, L"!dlg_set", L" TEXT");
  if (!first_part) out += L";";
  add(L" !esc");
  return out + L"\n";
}

}  // namespace host::ui
