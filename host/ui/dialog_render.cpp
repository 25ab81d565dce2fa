// The text form of a template dialog, for a terminal.
#include <algorithm>
#include <string>

#include "host/ui/dialog.h"
#include "host/ui/render_text.h"

namespace host::ui {

std::wstring Dialog::Render() const {
  std::wstring out = L"Dialog " + Quoted(caption_) + L" (template " + std::to_wstring(template_.id) + L")\n";
  for (const auto& c : controls_) {
    std::wstring line = L"  [" + std::to_wstring(c->Id()) + L"] " + ControlKindName(c->Kind());
    switch (c->Kind()) {
      case ControlKind::kCheckBox:
      case ControlKind::kRadioButton:
        line += L" " + Quoted(c->Text()) + (c->GetCheck() == kChecked ? L" [x]" : L" [ ]");
        break;
      case ControlKind::kListBox:
      case ControlKind::kComboBox:
        line += L" " + std::to_wstring(c->GetCount()) + L" rows";
        if (c->Kind() == ControlKind::kComboBox) line += L", shows " + Quoted(c->Text());
        break;
      case ControlKind::kListView: {
        line += L" columns";
        for (const ListColumn& column : c->Columns()) line += L" " + Quoted(column.heading);
        line += L"; " + std::to_wstring(c->GetItemCount()) + L" rows";
        break;
      }
      case ControlKind::kProgress:
        line += L" " + std::to_wstring(c->GetRangeLow()) + L".." + std::to_wstring(c->GetRangeHigh()) +
                L" at " + std::to_wstring(c->GetPos());
        break;
      case ControlKind::kPicture:
        line += L" bitmap " + std::to_wstring(c->GetBitmap());
        break;
      default:
        line += L" " + Quoted(c->Text());
        break;
    }
    if (!c->IsEnabled()) line += L" (disabled)";
    if (!c->IsVisible()) line += L" (hidden)";
    if (c->Id() == focus_id_) line += L" (focus)";
    out += line + L"\n";
    if (c->Kind() == ControlKind::kListBox || c->Kind() == ControlKind::kComboBox) {
      for (int i = 0; i < c->GetCount(); ++i)
        out += std::wstring(c->GetSel(i) ? L"      * " : L"        ") + std::to_wstring(i) + L" " +
               Quoted(c->GetRowText(i)) + L"\n";
    } else if (c->Kind() == ControlKind::kListView) {
      for (int i = 0; i < c->GetItemCount(); ++i) {
        std::wstring row = std::wstring(c->GetItemState(i, kItemSelected) ? L"      * " : L"        ") +
                           std::to_wstring(i);
        const int subs = std::max(c->GetColumnCount(), 1);
        for (int s = 0; s < subs; ++s) row += (s ? L" | " : L" ") + Quoted(c->GetItemText(i, s));
        if (c->GetItemState(i, kItemFocused)) row += L" (focused)";
        out += row + L"\n";
      }
    }
  }
  return out;
}

}  // namespace host::ui
