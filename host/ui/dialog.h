// Modal dialogs built from templates, in place of the platform's dialog
// framework.
//
// A dialog object is a plain object first: it can be built, hold members and
// be used without ever being shown. Its controls come from its template at
// construction and afresh at every DoModal, and they keep their last state
// after the dialog has ended (for callers and tests that read them); while
// the dialog is not shown nothing is displayed and no timer runs.
//
// DoModal: the controls are created, OnInitDialog runs (the default moves
// members into controls through DoDataExchange), then the dialog waits on
// the queue of user actions (host/ui/modal.h) until EndDialog. Then
// OnDestroy runs, timers are killed, and DoModal returns the end code (-1
// when the template is missing or the dialog is already shown). OnInitDialog
// may also be called again by the dialog's own code as a refresh.
//
// User actions reach the dialog as notifications to the handlers registered
// with On(): a click on OK or Cancel without a handler calls OnOK or
// OnCancel; the default OnOK takes the data (UpdateData) and ends with
// kIdOk only when it validates; the default OnCancel ends with kIdCancel.
// Auto check boxes and radio buttons change state before their handler
// runs. A user action on a hidden or disabled control, or on a control that
// does not take it, is noted in the transcript and dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ui/control.h"
#include "host/ui/dialog_template.h"
#include "host/ui/modal.h"

namespace host::ui {

class DataExchange;

enum class Notify {
  kClick,        // buttons, check boxes, radio buttons, notifying statics, list view rows
  kDoubleClick,  // list rows, notifying statics
  kSelChange,    // list box and combo box selection changed by the user
  kSetFocus,
  kKillFocus,
  kColumnClick,  // list view header; `column` says which
  kItemChanged,  // list view row state; `row`, `old_state`, `new_state`
};

struct Notification {
  int id = 0;
  Notify code = Notify::kClick;
  int row = -1;
  int column = -1;
  unsigned old_state = 0;
  unsigned new_state = 0;
};

class Dialog {
 public:
  using Handler = std::function<void(const Notification&)>;

  // The template is looked up now and again at DoModal if not yet registered.
  explicit Dialog(int template_id, Dialog* parent = nullptr);
  explicit Dialog(DialogTemplate dialog_template, Dialog* parent = nullptr);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  virtual int DoModal();
  // Ends a shown dialog with `code` once the current handler returns;
  // ignored when the dialog is not shown.
  void EndDialog(int code);
  bool IsShown() const { return shown_; }
  int TemplateId() const { return template_.id; }
  Dialog* Parent() const { return parent_; }

  // Moves data between members and controls through DoDataExchange. Saving
  // validates: a failure has shown its message and answers false.
  bool UpdateData(bool save_and_validate = true);

  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnDestroy() {}
  virtual void OnTimer(int /*timer_id*/) {}

  // The message map: `handler` runs for `code` on control `id`.
  void On(int id, Notify code, Handler handler);
  void On(int id, Notify code, std::function<void()> handler);

  // The control with `id`, or a detached scratch control when there is
  // none (so a wrong id does no harm).
  Control& Item(int id);
  const Control* FindItem(int id) const;
  Control* FindItem(int id);
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

  void SetItemText(int id, std::wstring text) { Item(id).SetText(std::move(text)); }
  std::wstring ItemText(int id) { return Item(id).Text(); }
  void EnableItem(int id, bool enable = true) { Item(id).Enable(enable); }
  void ShowItem(int id, bool show = true) { Item(id).Show(show); }
  void CheckDlgButton(int id, int state) { Item(id).SetCheck(state); }
  int IsDlgButtonChecked(int id) { return Item(id).GetCheck(); }
  // Checks `id` and clears the other radio buttons with ids first..last.
  void CheckRadioButton(int first_id, int last_id, int id);
  // The checked radio button with an id in first..last, or 0.
  int GetCheckedRadioButton(int first_id, int last_id);
  // Checks `id` and clears the other radio buttons of its group.
  void CheckInGroup(int id);
  // The radio buttons of the group that `id` belongs to, in template order.
  std::vector<int> GroupOf(int id) const;
  void SetFocus(int id) { focus_id_ = id; }
  int FocusId() const { return focus_id_; }

  void SetWindowText(std::wstring caption) { caption_ = std::move(caption); }
  const std::wstring& WindowText() const { return caption_; }
  // The dialog's font as its template gives it.
  LogFont GetFont() const;
  void Invalidate() {}
  void UpdateWindow() {}

  // Timers run only while the dialog is shown; SetTimer answers false
  // otherwise.
  bool SetTimer(int id, std::int64_t interval_ms, TimerMode mode = TimerMode::kRepeat);
  bool KillTimer(int id);
  bool IsTimerArmed(int id) const { return timers_.IsArmed(id); }

  // The dialog as text for a terminal.
  std::wstring Render() const;

 private:
  class Surface;
  friend class Surface;

  void CreateControls();
  void Apply(const UserAction& action);
  void Send(const Notification& n);
  bool Dispatch(const Notification& n);

  DialogTemplate template_;
  bool has_template_ = false;
  Dialog* parent_;
  std::vector<std::unique_ptr<Control>> controls_;
  Control scratch_;
  std::vector<std::pair<std::pair<int, Notify>, Handler>> handlers_;
  std::wstring caption_;
  bool shown_ = false;
  bool ended_ = false;
  int end_code_ = 0;
  int focus_id_ = 0;
  TimerSet timers_;
};

}  // namespace host::ui
