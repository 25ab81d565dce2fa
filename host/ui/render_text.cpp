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

}  // namespace host::ui
