#include "host/ui/dialog_template.h"

#include <map>

namespace host::ui {
namespace {

std::map<int, DialogTemplate>& Registry() {
  static std::map<int, DialogTemplate> registry;
  return registry;
}

}  // namespace

void RegisterDialogTemplate(DialogTemplate dialog_template) {
  const int id = dialog_template.id;
  Registry()[id] = std::move(dialog_template);
}

const DialogTemplate* FindDialogTemplate(int id) {
  const auto it = Registry().find(id);
  return it == Registry().end() ? nullptr : &it->second;
}

void ClearDialogTemplates() { Registry().clear(); }

const wchar_t* ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kStatic: return L"static";
    case ControlKind::kEdit: return L"edit";
    case ControlKind::kButton: return L"button";
    case ControlKind::kCheckBox: return L"check";
    case ControlKind::kRadioButton: return L"radio";
    case ControlKind::kListBox: return L"listbox";
    case ControlKind::kComboBox: return L"combo";
    case ControlKind::kListView: return L"listview";
    case ControlKind::kProgress: return L"progress";
    case ControlKind::kPicture: return L"picture";
    case ControlKind::kGroupBox: return L"group";
  }
  return L"?";
}

}  // namespace host::ui
