// The user-action verbs that dialogs, message boxes and pickers take from
// the queue (host/system/user_actions.h), and small helpers to read their
// arguments.
//
// A target is a control id (decimal) in a template dialog, or a tile key in a
// DCL dialog. Rows and columns count from 0.
//
//   dlg_set <target> <text> [reason]   put text into an edit, a check state
//                                      ("1"/"0") into a check box or radio
//                                      button; in a DCL dialog set the tile's
//                                      value and run its action (reason 1, or
//                                      2 for an edit box, unless given)
//   dlg_click <target> [row]           click a button, check box, radio
//                                      button, notifying static or DCL tile;
//                                      a row clicks that row of a list view
//   dlg_dblclick <target> [row]        double click (list rows, statics)
//   dlg_select <target> [row ...]      make exactly these rows the selection
//                                      of a list box, combo box, list view or
//                                      DCL list / popup list
//   dlg_focus <target>                 move the focus to a control
//   dlg_column <target> <column>       click a column header of a list view
//   dlg_timer <timer id>               deliver one tick of a timer now
//   wait <milliseconds>                let virtual time pass; timers fire
//   esc                                the Esc key: the dialog's Cancel; a
//                                      message box's Cancel (OK on an OK
//                                      box); cancels a picker
//   answer <button>                    answer a message box: ok, cancel,
//                                      yes or no
//   answer <path> [path ...]           answer a file or folder picker
//   answer cancel                      cancel a picker
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host::ui {

inline constexpr const char* kVerbSet = "dlg_set";
inline constexpr const char* kVerbClick = "dlg_click";
inline constexpr const char* kVerbDoubleClick = "dlg_dblclick";
inline constexpr const char* kVerbSelect = "dlg_select";
inline constexpr const char* kVerbFocus = "dlg_focus";
inline constexpr const char* kVerbColumn = "dlg_column";
inline constexpr const char* kVerbTimer = "dlg_timer";
inline constexpr const char* kVerbWait = "wait";
inline constexpr const char* kVerbEsc = "esc";
inline constexpr const char* kVerbAnswer = "answer";

// True for the verbs a waiting dialog takes (every verb above but answer).
bool IsDialogVerb(std::string_view verb);

// A whole decimal integer with an optional sign and surrounding blanks.
std::optional<long long> ParseWholeNumber(std::wstring_view text);

}  // namespace host::ui
