#include "host/ui/dialog.h"

#include <algorithm>

#include "host/system/wide_text.h"
#include "host/system/user_actions.h"
#include "host/ui/data_exchange.h"
#include "host/ui/script_verbs.h"

namespace host::ui {

// What RunModal sees of a dialog.
class Dialog::Surface : public ModalSurface {
 public:
  explicit Surface(Dialog& dialog) : dialog_(dialog) {}
  std::wstring Title() const override { return dialog_.caption_; }
  bool Ended() const override { return dialog_.ended_; }
  void ApplyAction(const UserAction& action) override { dialog_.Apply(action); }
  void Cancel() override { dialog_.OnCancel(); }
  void ForceCancel() override {
    dialog_.ended_ = true;
    dialog_.end_code_ = kIdCancel;
  }
  TimerSet* Timers() override { return &dialog_.timers_; }
  void FireTimer(int id) override { dialog_.OnTimer(id); }
  std::wstring Render() const override { return dialog_.Render(); }

 private:
  Dialog& dialog_;
};

Dialog::Dialog(int template_id, Dialog* parent) : parent_(parent) {
  template_.id = template_id;
  if (const DialogTemplate* found = FindDialogTemplate(template_id)) {
    template_ = *found;
    has_template_ = true;
  }
  CreateControls();
}

Dialog::Dialog(DialogTemplate dialog_template, Dialog* parent)
    : template_(std::move(dialog_template)), has_template_(true), parent_(parent) {
  CreateControls();
}

Dialog::~Dialog() = default;

void Dialog::CreateControls() {
  caption_ = template_.caption;
  if (controls_.size() != template_.controls.size()) {
    controls_.clear();
    for (const ControlTemplate& t : template_.controls) controls_.push_back(std::make_unique<Control>(t));
    return;
  }
  // Same controls as before: reset them in place, so references stay valid.
  for (std::size_t i = 0; i < controls_.size(); ++i) *controls_[i] = Control(template_.controls[i]);
}

int Dialog::DoModal() {
  if (shown_) {
    NoteScript(L"Dialog \"" + caption_ + L"\" is already shown");
    return -1;
  }
  if (!has_template_) {
    if (const DialogTemplate* found = FindDialogTemplate(template_.id)) {
      template_ = *found;
      has_template_ = true;
    }
  }
  if (!has_template_) {
    NoteScript(L"No dialog template " + std::to_wstring(template_.id));
    return -1;
  }
  CreateControls();
  shown_ = true;
  ended_ = false;
  end_code_ = 0;
  focus_id_ = 0;
  timers_.Clear();
  for (const auto& control : controls_)
    if (control->IsEnabled() && control->IsVisible() && control->Kind() != ControlKind::kStatic &&
        control->Kind() != ControlKind::kGroupBox && control->Kind() != ControlKind::kPicture) {
      focus_id_ = control->Id();
      break;
    }
  Shown().Add("dialog", L"open \"" + caption_ + L"\" (" + std::to_wstring(template_.id) + L")");
  OnInitDialog();
  if (!ended_) {
    Surface surface(*this);
    RunModal(surface);
  }
  OnDestroy();
  timers_.Clear();
  shown_ = false;
  Shown().Add("dialog", L"end \"" + caption_ + L"\" -> " + std::to_wstring(end_code_));
  return end_code_;
}

void Dialog::EndDialog(int code) {
  if (!shown_) return;
  ended_ = true;
  end_code_ = code;
}

bool Dialog::UpdateData(bool save_and_validate) {
  DataExchange dx(*this, save_and_validate);
  DoDataExchange(dx);
  return !dx.Failed();
}

bool Dialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(kIdOk);
}

void Dialog::OnCancel() { EndDialog(kIdCancel); }

void Dialog::On(int id, host::ui::Notify code, Handler handler) {
  handlers_.push_back({{id, code}, std::move(handler)});
}

void Dialog::On(int id, host::ui::Notify code, std::function<void()> handler) {
  On(id, code, Handler([h = std::move(handler)](const Notification&) { h(); }));
}

Control& Dialog::Item(int id) {
  if (Control* control = FindItem(id)) return *control;
  scratch_ = Control();
  return scratch_;
}

const Control* Dialog::FindItem(int id) const {
  for (const auto& control : controls_)
    if (control->Id() == id) return control.get();
  return nullptr;
}

Control* Dialog::FindItem(int id) {
  return const_cast<Control*>(static_cast<const Dialog*>(this)->FindItem(id));
}

void Dialog::CheckRadioButton(int first_id, int last_id, int id) {
  for (const auto& control : controls_)
    if (control->Kind() == ControlKind::kRadioButton && control->Id() >= first_id &&
        control->Id() <= last_id)
      control->SetCheck(control->Id() == id ? kChecked : kUnchecked);
}

int Dialog::GetCheckedRadioButton(int first_id, int last_id) {
  for (const auto& control : controls_)
    if (control->Kind() == ControlKind::kRadioButton && control->Id() >= first_id &&
        control->Id() <= last_id && control->GetCheck() == kChecked)
      return control->Id();
  return 0;
}

std::vector<int> Dialog::GroupOf(int id) const {
  std::size_t first = 0;
  std::size_t at = controls_.size();
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i]->HasStyle(style::kGroup)) first = i;
    if (controls_[i]->Id() == id) {
      at = i;
      break;
    }
  }
  std::vector<int> group;
  if (at == controls_.size()) return group;
  for (std::size_t i = first; i < controls_.size(); ++i) {
    if (i > first && controls_[i]->HasStyle(style::kGroup)) break;
    if (controls_[i]->Kind() == ControlKind::kRadioButton) group.push_back(controls_[i]->Id());
  }
  return group;
}

void Dialog::CheckInGroup(int id) {
  for (int member : GroupOf(id)) Item(member).SetCheck(member == id ? kChecked : kUnchecked);
}

LogFont Dialog::GetFont() const {
  // Points to pixels at 96 dots per inch, rounded, as a negative height.
  return LogFont{-((template_.font_points * 96 + 36) / 72), 400, template_.font_face};
}

bool Dialog::SetTimer(int id, std::int64_t interval_ms, TimerMode mode) {
  if (!shown_) return false;
  timers_.Set(id, interval_ms, mode);
  return true;
}

bool Dialog::KillTimer(int id) { return shown_ && timers_.Kill(id); }

bool Dialog::Dispatch(const Notification& n) {
  bool handled = false;
  // Copy: a handler may register others.
  const auto handlers = handlers_;
  for (const auto& [key, handler] : handlers)
    if (key.first == n.id && key.second == n.code) {
      handler(n);
      handled = true;
    }
  return handled;
}

void Dialog::Send(const Notification& n) {
  if (Dispatch(n)) return;
  if (n.code == host::ui::Notify::kClick && n.id == kIdOk) OnOK();
  if (n.code == host::ui::Notify::kClick && n.id == kIdCancel) OnCancel();
}

namespace {

std::wstring Target(const UserAction& action) { return action.Arg(0); }

}  // namespace

void Dialog::Apply(const UserAction& action) {
  using host::ui::Notify;
  const std::wstring what = host::WidenText(action.verb) + L" " + Target(action);
  const std::optional<long long> id_number = ParseWholeNumber(Target(action));
  if (action.verb == kVerbTimer) {
    if (!id_number) {
      NoteScript(what + L": not a timer id");
      return;
    }
    OnTimer(static_cast<int>(*id_number));
    return;
  }
  Control* control = id_number ? FindItem(static_cast<int>(*id_number)) : nullptr;
  if (!control) {
    NoteScript(what + L": no such control in \"" + caption_ + L"\"");
    return;
  }
  if (!control->IsVisible() || !control->IsEnabled()) {
    NoteScript(what + L": the control is " + (control->IsVisible() ? L"disabled" : L"hidden"));
    return;
  }
  const int id = control->Id();
  const ControlKind kind = control->Kind();
  const bool rows = kind == ControlKind::kListBox || kind == ControlKind::kComboBox;
  const bool list_view = kind == ControlKind::kListView;

  // Rows named after the target, checked against the control.
  std::vector<int> picked;
  const bool takes_rows =
      action.verb == kVerbSelect || action.verb == kVerbClick || action.verb == kVerbDoubleClick;
  for (std::size_t i = 1; takes_rows && i < action.args.size(); ++i) {
    const std::optional<long long> row = ParseWholeNumber(action.args[i]);
    const int count = list_view ? control->GetItemCount() : control->GetCount();
    if (!row || *row < 0 || *row >= count) {
      NoteScript(what + L": no row " + action.args[i]);
      return;
    }
    picked.push_back(static_cast<int>(*row));
  }

  // The user's selection of rows, with its notifications.
  auto select_rows = [&](const std::vector<int>& chosen) {
    if (list_view) {
      // The new states are set first, then every row that changed is told.
      const int count = control->GetItemCount();
      std::vector<unsigned> before(count);
      for (int i = 0; i < count; ++i) before[i] = control->GetItemState(i, kItemSelected | kItemFocused);
      control->SetItemState(-1, 0, kItemSelected);
      for (int row : chosen) control->SetItemState(row, kItemSelected, kItemSelected);
      if (!chosen.empty()) control->SetItemState(chosen.back(), kItemFocused, kItemFocused);
      std::vector<unsigned> after(count);
      for (int i = 0; i < count; ++i) after[i] = control->GetItemState(i, kItemSelected | kItemFocused);
      for (int i = 0; i < count; ++i)
        if (after[i] != before[i]) Send(Notification{id, Notify::kItemChanged, i, -1, before[i], after[i]});
      return;
    }
    if (kind == ControlKind::kListBox && control->HasStyle(style::kMultiSelect)) {
      control->SetSel(-1, false);
      for (int row : chosen) control->SetSel(row, true);
    } else {
      control->SetCurSel(chosen.empty() ? -1 : chosen.back());
    }
    Send(Notification{id, Notify::kSelChange, chosen.empty() ? -1 : chosen.back()});
  };

  if (action.verb == kVerbSelect) {
    if (!rows && !list_view) {
      NoteScript(what + L": not a list");
      return;
    }
    if (picked.size() > 1 && !list_view && !control->HasStyle(style::kMultiSelect)) {
      NoteScript(what + L": the list selects one row");
      return;
    }
    if (picked.size() > 1 && list_view && control->HasStyle(style::kSingleSel)) {
      NoteScript(what + L": the list selects one row");
      return;
    }
    select_rows(picked);
    return;
  }

  if (action.verb == kVerbClick || action.verb == kVerbDoubleClick) {
    const Notify code = action.verb == kVerbClick ? Notify::kClick : Notify::kDoubleClick;
    if (rows || list_view) {
      if (picked.size() > 1) {
        NoteScript(what + L": a click names one row");
        return;
      }
      select_rows(picked);
      const int row = picked.empty() ? -1 : picked[0];
      if (list_view || code == Notify::kDoubleClick)
        Send(Notification{id, code, row});
      return;
    }
    switch (kind) {
      case ControlKind::kStatic:
      case ControlKind::kPicture:
        if (!control->HasStyle(style::kNotify)) {
          NoteScript(what + L": the static does not notify");
          return;
        }
        break;
      case ControlKind::kCheckBox:
        if (code == Notify::kClick && control->HasStyle(style::kAuto))
          control->SetCheck(control->GetCheck() == kChecked ? kUnchecked : kChecked);
        break;
      case ControlKind::kRadioButton:
        if (code == Notify::kClick && control->HasStyle(style::kAuto)) CheckInGroup(id);
        break;
      case ControlKind::kButton:
        break;
      default:
        NoteScript(what + L": the control takes no clicks");
        return;
    }
    focus_id_ = kind == ControlKind::kStatic || kind == ControlKind::kPicture ? focus_id_ : id;
    Send(Notification{id, code});
    return;
  }

  if (action.verb == kVerbSet) {
    const std::wstring& value = action.Arg(1);
    switch (kind) {
      case ControlKind::kEdit:
        if (control->HasStyle(style::kReadOnly)) {
          NoteScript(what + L": the edit is read-only");
          return;
        }
        if (!control->TypeText(value)) NoteScript(what + L": some characters were refused");
        return;
      case ControlKind::kCheckBox:
      case ControlKind::kRadioButton: {
        const std::optional<long long> state = ParseWholeNumber(value);
        if (!state || *state < 0 || *state > 2) {
          NoteScript(what + L": a check state is 0, 1 or 2");
          return;
        }
        if (kind == ControlKind::kRadioButton && *state == kChecked)
          CheckInGroup(id);
        else
          control->SetCheck(static_cast<int>(*state));
        return;
      }
      case ControlKind::kComboBox: {
        const int row = control->FindStringExact(value);
        if (row < 0) {
          NoteScript(what + L": the list has no row \"" + value + L"\"");
          return;
        }
        select_rows({row});
        return;
      }
      default:
        NoteScript(what + L": the control takes no text");
        return;
    }
  }

  if (action.verb == kVerbFocus) {
    const int old = focus_id_;
    if (old == id) return;
    focus_id_ = id;
    if (old != 0) Send(Notification{old, Notify::kKillFocus});
    Send(Notification{id, Notify::kSetFocus});
    return;
  }

  if (action.verb == kVerbColumn) {
    const std::optional<long long> column = ParseWholeNumber(action.Arg(1));
    if (!list_view || !column || *column < 0 || *column >= control->GetColumnCount()) {
      NoteScript(what + L": no such column");
      return;
    }
    Send(Notification{id, Notify::kColumnClick, -1, static_cast<int>(*column)});
    return;
  }
  NoteScript(what + L": not an action for a dialog");
}

}  // namespace host::ui
