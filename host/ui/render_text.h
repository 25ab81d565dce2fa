// Small helpers for showing dialogs as text.
#pragma once

#include <string>
#include <vector>

namespace host::ui {

// `text` in double quotes, with line breaks and tabs shown as \n and \t.
std::wstring Quoted(const std::wstring& text);

// The line under a dialog that names the actions its controls take now:
// "Actions now: !dlg_click 1, 2; !dlg_select 280 ROW [ROW ...]; !esc".
struct DialogActions {
  // The ids or keys of the controls that take each action.
  std::vector<std::wstring> click, select, double_click, set;

  std::wstring Line() const;
};

}  // namespace host::ui
