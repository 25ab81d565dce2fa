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
  std::wstring out = L"Actions now:";
  const wchar_t* between = L" ";
  auto part = [&](const std::vector<std::wstring>& targets, const wchar_t* verb, const wchar_t* tail) {
    if (targets.empty()) return;
    out += between + std::wstring(verb);
    for (std::size_t i = 0; i < targets.size(); ++i) out += (i ? L", " : L" ") + targets[i];
    out += tail;
    between = L"; ";
  };
  part(click, L"!dlg_click", L"");
  part(select, L"!dlg_select", L" ROW [ROW ...]");
  part(double_click, L"!dlg_dblclick", L" ROW");
  part(set, L"!dlg_set", L" TEXT");
  return out + between + L"!esc\n";
}

}  // namespace host::ui
