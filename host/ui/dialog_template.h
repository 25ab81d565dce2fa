// Dialog templates: the layout a dialog is created from each time it is
// shown, registered by id as resources are.
//
// Positions and sizes are in dialog units. A radio group runs from a control
// with the kGroup style to the control before the next one with it.
#pragma once

#include <string>
#include <vector>

namespace host::ui {

enum class ControlKind {
  kStatic,
  kEdit,
  kButton,
  kCheckBox,
  kRadioButton,
  kListBox,
  kComboBox,  // a drop-down list
  kListView,  // a report view: columns, rows and sub-items
  kProgress,
  kPicture,
  kGroupBox,
};

// Style bits of a control.
namespace style {
inline constexpr unsigned kGroup = 1u << 0;          // starts a group
inline constexpr unsigned kNotify = 1u << 1;         // a static reports clicks and double clicks
inline constexpr unsigned kUpperCase = 1u << 2;      // an edit turns its text to upper case
inline constexpr unsigned kNumber = 1u << 3;         // an edit takes only digits from the user
inline constexpr unsigned kMultiSelect = 1u << 4;    // a list box selects several rows
inline constexpr unsigned kTabStops = 1u << 5;       // a list box expands tabs
inline constexpr unsigned kDefault = 1u << 6;        // the default push button
inline constexpr unsigned kAuto = 1u << 7;           // a check box or radio button checks itself
inline constexpr unsigned kHidden = 1u << 8;         // starts hidden
inline constexpr unsigned kDisabled = 1u << 9;       // starts disabled
inline constexpr unsigned kShowSelAlways = 1u << 10; // a list view shows its selection unfocused
inline constexpr unsigned kSingleSel = 1u << 11;     // a list view selects one row
inline constexpr unsigned kReadOnly = 1u << 12;      // an edit the user cannot type into
inline constexpr unsigned kSort = 1u << 13;          // a list or combo box keeps rows sorted
}  // namespace style

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::kStatic;
  std::wstring caption;
  unsigned style = 0;
  DialogRect rect;
};

struct DialogTemplate {
  int id = 0;
  std::wstring caption;
  DialogRect rect;
  std::wstring font_face = L"MS Sans Serif";
  int font_points = 8;
  std::vector<ControlTemplate> controls;
};

// The standard ids of the OK and Cancel buttons, and the end codes they give.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Adds a template, replacing one with the same id.
void RegisterDialogTemplate(DialogTemplate dialog_template);
// The template with `id`, or null; valid until that id is registered again
// or the templates are cleared.
const DialogTemplate* FindDialogTemplate(int id);
void ClearDialogTemplates();

const wchar_t* ControlKindName(ControlKind kind);

}  // namespace host::ui
