// The text form of a template dialog, for a terminal.
//
// Each control is a line: "[id] kind" and its state. A static text of id 0
// is a label: it is shown beside the control it labels (the nearest one to
// its right on the same row, or right below it), so a counter reads
// "Lines 146/146". Texts a program sets (statics with an id) show their text
// alone, and texts side by side on one row share a line. Under the controls
// a line names the actions that work now.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/ui/dialog.h"
#include "host/ui/render_text.h"

namespace host::ui {
namespace {

bool SameRow(const DialogRect& a, const DialogRect& b) { return a.y < b.y + b.height && b.y < a.y + a.height; }

// How far `label` is from labelling `target`; -1 when it does not label it.
int LabelDistance(const DialogRect& label, const DialogRect& target) {
  const int right = label.x + label.width;
  if (SameRow(label, target) && target.x >= right - 2 && target.x - right <= 15) return target.x - right;
  const int bottom = label.y + label.height;
  if (target.y >= bottom - 1 && target.y - bottom <= 4 && std::abs(target.x - label.x) <= 4)
    return 100 + target.y - bottom;
  return -1;
}

bool IsLabel(const Control& c) { return c.Kind() == ControlKind::kStatic && c.Id() == 0; }

// A static that shows text and takes no clicks.
bool IsPlainText(const Control& c) {
  return c.Kind() == ControlKind::kStatic && !c.HasStyle(style::kNotify);
}

std::wstring Trimmed(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// Line breaks in a static's text shown as blanks: one line a control.
std::wstring OneLine(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out)
    if (c == L'\n' || c == L'\r' || c == L'\t') c = L' ';
  return Trimmed(out);
}

std::wstring ControlLine(const Control& c, int focus_id) {
  std::wstring line = L"[" + std::to_wstring(c.Id()) + L"] " + ControlKindName(c.Kind());
  switch (c.Kind()) {
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
      line += L" " + Quoted(c.Text()) + (c.GetCheck() == kChecked ? L" [x]" : L" [ ]");
      break;
    case ControlKind::kListBox:
    case ControlKind::kComboBox:
      line += L" " + std::to_wstring(c.GetCount()) + L" rows";
      if (c.Kind() == ControlKind::kComboBox) line += L", shows " + Quoted(c.Text());
      break;
    case ControlKind::kListView: {
      line += L" columns";
      for (const ListColumn& column : c.Columns()) line += L" " + Quoted(column.heading);
      line += L"; " + std::to_wstring(c.GetItemCount()) + L" rows";
      break;
    }
    case ControlKind::kProgress:
      line += L" " + std::to_wstring(c.GetRangeLow()) + L".." + std::to_wstring(c.GetRangeHigh()) + L" at " +
              std::to_wstring(c.GetPos());
      break;
    case ControlKind::kPicture:
      line += L" bitmap " + std::to_wstring(c.GetBitmap());
      break;
    default:
      line += L" " + Quoted(c.Text());
      break;
  }
  if (!c.IsEnabled()) line += L" (disabled)";
  if (!c.IsVisible()) line += L" (hidden)";
  if (c.Id() == focus_id) line += L" (focus)";
  return line;
}

std::wstring Rows(const Control& c) {
  std::wstring out;
  if (c.Kind() == ControlKind::kListBox || c.Kind() == ControlKind::kComboBox) {
    for (int i = 0; i < c.GetCount(); ++i)
      out += std::wstring(c.GetSel(i) ? L"      * " : L"        ") + std::to_wstring(i) + L" " +
             Quoted(c.GetRowText(i)) + L"\n";
  } else if (c.Kind() == ControlKind::kListView) {
    for (int i = 0; i < c.GetItemCount(); ++i) {
      std::wstring row =
          std::wstring(c.GetItemState(i, kItemSelected) ? L"      * " : L"        ") + std::to_wstring(i);
      const int subs = std::max(c.GetColumnCount(), 1);
      for (int s = 0; s < subs; ++s) row += (s ? L" | " : L" ") + Quoted(c.GetItemText(i, s));
      if (c.GetItemState(i, kItemFocused)) row += L" (focused)";
      out += row + L"\n";
    }
  }
  return out;
}

// The actions the enabled, visible controls take now.
DialogActions ActionsNow(const std::vector<std::unique_ptr<Control>>& controls) {
  DialogActions actions;
  for (const auto& c : controls) {
    if (!c->IsEnabled() || !c->IsVisible() || c->Id() == 0) continue;
    const std::wstring id = std::to_wstring(c->Id());
    switch (c->Kind()) {
      case ControlKind::kButton:
      case ControlKind::kCheckBox:
      case ControlKind::kRadioButton:
        actions.click.push_back(id);
        break;
      case ControlKind::kStatic:
      case ControlKind::kPicture:
        if (c->HasStyle(style::kNotify)) actions.click.push_back(id);
        break;
      case ControlKind::kEdit:
        if (!c->HasStyle(style::kReadOnly)) actions.set.push_back(id);
        break;
      case ControlKind::kListBox:
      case ControlKind::kComboBox:
        if (c->GetCount() > 0) actions.select.push_back(id);
        break;
      case ControlKind::kListView:
        if (c->GetItemCount() > 0) {
          actions.select.push_back(id);
          actions.double_click.push_back(id);
        }
        break;
      default:
        break;
    }
  }
  return actions;
}

}  // namespace

std::wstring Dialog::Render() const {
  std::wstring out = L"Dialog " + Quoted(caption_) + L" (template " + std::to_wstring(template_.id) + L")\n";
  // Each label goes with the control nearest to it; a control takes one label.
  std::vector<const Control*> label_of(controls_.size(), nullptr);
  std::vector<bool> placed(controls_.size(), false);
  for (std::size_t l = 0; l < controls_.size(); ++l) {
    const Control& label = *controls_[l];
    if (!IsLabel(label) || !label.IsVisible() || Trimmed(label.Text()).empty()) continue;
    int best = -1;
    std::size_t target = 0;
    for (std::size_t t = 0; t < controls_.size(); ++t) {
      if (t == l || IsLabel(*controls_[t]) || label_of[t] != nullptr) continue;
      const int d = LabelDistance(label.Rect(), controls_[t]->Rect());
      if (d >= 0 && (best < 0 || d < best)) {
        best = d;
        target = t;
      }
    }
    if (best < 0) continue;
    label_of[target] = &label;
    placed[l] = true;
  }
  // Texts on one row share a line; anything else ends it.
  std::wstring texts;
  const DialogRect* row = nullptr;
  auto end_texts = [&] {
    if (!texts.empty()) out += L"  " + texts + L"\n";
    texts.clear();
    row = nullptr;
  };
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const Control& c = *controls_[i];
    if (placed[i]) continue;
    const std::wstring label = label_of[i] ? OneLine(label_of[i]->Text()) : std::wstring();
    if (IsPlainText(c)) {
      if (!c.IsVisible()) continue;
      std::wstring text = OneLine(c.Text());
      if (!label.empty()) text = label + L" " + (text.empty() ? L"-" : text);
      if (text.empty()) continue;
      if (row == nullptr || !SameRow(*row, c.Rect())) end_texts();
      texts += (texts.empty() ? L"" : L"   ") + text + (c.IsEnabled() ? L"" : L" (disabled)");
      row = &c.Rect();
      continue;
    }
    end_texts();
    out += L"  " + (label.empty() ? std::wstring() : label + L" ") + ControlLine(c, focus_id_) + L"\n" + Rows(c);
  }
  end_texts();
  return out + ActionsNow(controls_).Line();
}

}  // namespace host::ui
