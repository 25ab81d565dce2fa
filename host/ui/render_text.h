// Small helpers for showing dialogs as text.
#pragma once

#include <string>

namespace host::ui {

// `text` in double quotes, with line breaks and tabs shown as \n and \t.
std::wstring Quoted(const std::wstring& text);

}  // namespace host::ui
