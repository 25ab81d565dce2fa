#include "host/ui/control.h"

#include <algorithm>
#include <cwctype>

namespace host::ui {
namespace {

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

bool LessNoCase(const std::wstring& a, const std::wstring& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
    return std::towlower(x) < std::towlower(y);
  });
}

}  // namespace

PixelRect DialogUnitsToPixels(const DialogRect& rect) {
  PixelRect px;
  px.left = rect.x * kCharWidthPx / 4;
  px.top = rect.y * kCharHeightPx / 8;
  px.right = (rect.x + rect.width) * kCharWidthPx / 4;
  px.bottom = (rect.y + rect.height) * kCharHeightPx / 8;
  return px;
}

int TextWidth(const std::wstring& text, const std::vector<int>& tab_stops) {
  // No stops: every 32 dialog units; one stop: every that many units; more:
  // those stops, and a blank's width past the last.
  const int interval = tab_stops.empty() ? 32 : (tab_stops.size() == 1 ? tab_stops[0] : 0);
  int x = 0;
  for (wchar_t c : text) {
    if (c != L'\t') {
      x += kCharWidthPx;
    } else if (interval > 0) {
      const int step = interval * kCharWidthPx / 4;
      x = step > 0 ? (x / step + 1) * step : x + kCharWidthPx;
    } else {
      int next = x + kCharWidthPx;
      for (int stop : tab_stops) {
        const int px = stop * kCharWidthPx / 4;
        if (px > x) {
          next = px;
          break;
        }
      }
      x = next;
    }
  }
  return x;
}

int GetSystemMetric(SystemMetric metric) {
  switch (metric) {
    case SystemMetric::kBorderWidth: return 1;
    case SystemMetric::kScrollThumbWidth: return 17;
  }
  return 0;
}

Control::Control(const ControlTemplate& t)
    : id_(t.id), kind_(t.kind), style_(t.style), rect_(t.rect),
      enabled_((t.style & style::kDisabled) == 0), visible_((t.style & style::kHidden) == 0) {
  SetText(t.caption);
}

void Control::SetText(std::wstring text) {
  if (kind_ == ControlKind::kEdit && HasStyle(style::kUpperCase)) text = Upper(std::move(text));
  text_ = std::move(text);
}

PixelRect Control::ClientRect() const {
  const PixelRect px = DialogUnitsToPixels(rect_);
  return PixelRect{0, 0, px.Width(), px.Height()};
}

bool Control::TypeText(const std::wstring& text) {
  std::wstring kept;
  bool whole = true;
  for (wchar_t c : text) {
    if (HasStyle(style::kNumber) && (c < L'0' || c > L'9')) {
      whole = false;
      continue;
    }
    if (kept.size() >= limit_) {
      whole = false;
      break;
    }
    kept += c;
  }
  SetText(std::move(kept));
  return whole;
}

bool Control::IsRowKind() const {
  return kind_ == ControlKind::kListBox || kind_ == ControlKind::kComboBox;
}

int Control::AddString(std::wstring text) {
  if (!IsRowKind()) return -1;
  std::size_t at = rows_.size();
  if (HasStyle(style::kSort)) {
    at = 0;
    while (at < rows_.size() && !LessNoCase(text, rows_[at].texts[0])) ++at;
  }
  return InsertString(static_cast<int>(at), std::move(text));
}

int Control::InsertString(int index, std::wstring text) {
  if (!IsRowKind() || index < -1 || index > static_cast<int>(rows_.size())) return -1;
  if (index == -1) index = static_cast<int>(rows_.size());
  rows_.insert(rows_.begin() + index, Row{{std::move(text)}, false, false});
  if (current_ >= index) ++current_;
  return index;
}

int Control::DeleteString(int index) {
  if (!IsRowKind() || index < 0 || index >= static_cast<int>(rows_.size())) return -1;
  rows_.erase(rows_.begin() + index);
  if (current_ == index)
    current_ = -1;
  else if (current_ > index)
    --current_;
  return static_cast<int>(rows_.size());
}

void Control::ResetContent() {
  if (!IsRowKind()) return;
  rows_.clear();
  current_ = -1;
  if (kind_ == ControlKind::kComboBox) text_.clear();
}

int Control::GetCount() const { return IsRowKind() ? static_cast<int>(rows_.size()) : 0; }

std::wstring Control::GetRowText(int index) const {
  if (index < 0 || index >= static_cast<int>(rows_.size()) || rows_[index].texts.empty()) return {};
  return rows_[index].texts[0];
}

int Control::FindStringExact(const std::wstring& text) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (!LessNoCase(text, rows_[i].texts[0]) && !LessNoCase(rows_[i].texts[0], text))
      return static_cast<int>(i);
  return -1;
}

int Control::SetCurSel(int index) {
  if (!IsRowKind()) return -1;
  for (Row& row : rows_) row.selected = false;
  if (index < 0 || index >= static_cast<int>(rows_.size())) {
    current_ = -1;
    if (kind_ == ControlKind::kComboBox) text_.clear();
    return -1;
  }
  current_ = index;
  rows_[index].selected = true;
  if (kind_ == ControlKind::kComboBox) text_ = rows_[index].texts[0];
  return index;
}

int Control::GetCurSel() const { return current_; }

bool Control::SetSel(int index, bool select) {
  if (kind_ != ControlKind::kListBox) return false;
  if (index == -1) {
    for (Row& row : rows_) row.selected = select;
    if (!select) current_ = -1;
    return true;
  }
  if (index < 0 || index >= static_cast<int>(rows_.size())) return false;
  rows_[index].selected = select;
  if (select)
    current_ = index;
  else if (current_ == index)
    current_ = -1;
  return true;
}

bool Control::GetSel(int index) const {
  return index >= 0 && index < static_cast<int>(rows_.size()) && rows_[index].selected;
}

int Control::GetSelCount() const {
  return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.selected; }));
}

std::vector<int> Control::GetSelItems() const {
  std::vector<int> rows;
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].selected) rows.push_back(static_cast<int>(i));
  return rows;
}

int Control::InsertColumn(int index, std::wstring heading, int width, ColumnAlign align) {
  if (kind_ != ControlKind::kListView || index < 0) return -1;
  index = std::min(index, static_cast<int>(columns_.size()));
  columns_.insert(columns_.begin() + index, ListColumn{std::move(heading), width, align});
  return index;
}

int Control::InsertItem(int index, std::wstring text) {
  if (kind_ != ControlKind::kListView || index < 0) return -1;
  index = std::min(index, static_cast<int>(rows_.size()));
  rows_.insert(rows_.begin() + index, Row{{std::move(text)}, false, false});
  return index;
}

bool Control::SetItemText(int item, int sub_item, std::wstring text) {
  if (kind_ != ControlKind::kListView || item < 0 || item >= static_cast<int>(rows_.size()) ||
      sub_item < 0)
    return false;
  std::vector<std::wstring>& texts = rows_[item].texts;
  if (static_cast<int>(texts.size()) <= sub_item) texts.resize(sub_item + 1);
  texts[sub_item] = std::move(text);
  return true;
}

std::wstring Control::GetItemText(int item, int sub_item) const {
  if (kind_ != ControlKind::kListView || item < 0 || item >= static_cast<int>(rows_.size()) ||
      sub_item < 0 || sub_item >= static_cast<int>(rows_[item].texts.size()))
    return {};
  return rows_[item].texts[sub_item];
}

bool Control::DeleteItem(int item) {
  if (kind_ != ControlKind::kListView || item < 0 || item >= static_cast<int>(rows_.size()))
    return false;
  rows_.erase(rows_.begin() + item);
  return true;
}

void Control::DeleteAllItems() {
  if (kind_ == ControlKind::kListView) rows_.clear();
}

bool Control::SetItemState(int item, unsigned state, unsigned mask) {
  if (kind_ != ControlKind::kListView || item < -1 || item >= static_cast<int>(rows_.size()))
    return false;
  const std::size_t first = item == -1 ? 0 : static_cast<std::size_t>(item);
  const std::size_t last = item == -1 ? rows_.size() : first + 1;
  for (std::size_t i = first; i < last; ++i) {
    Row& row = rows_[i];
    if (mask & kItemSelected) row.selected = (state & kItemSelected) != 0;
    if (mask & kItemFocused) {
      const bool focus = (state & kItemFocused) != 0;
      if (focus)
        for (Row& other : rows_) other.focused = false;
      row.focused = focus;
    }
  }
  return true;
}

unsigned Control::GetItemState(int item, unsigned mask) const {
  if (kind_ != ControlKind::kListView || item < 0 || item >= static_cast<int>(rows_.size()))
    return 0;
  const Row& row = rows_[item];
  return ((row.selected ? kItemSelected : 0u) | (row.focused ? kItemFocused : 0u)) & mask;
}

int Control::GetNextItem(int start, unsigned state) const {
  for (int i = std::max(start + 1, 0); i < static_cast<int>(rows_.size()); ++i)
    if ((GetItemState(i, kItemSelected | kItemFocused) & state) == state) return i;
  return -1;
}

int Control::GetSelectedCount() const { return kind_ == ControlKind::kListView ? GetSelCount() : 0; }

int Control::GetCountPerPage() const {
  // A header row, then whole rows.
  const int rows = ClientRect().Height() / kListRowHeightPx - 1;
  return std::max(rows, 1);
}

PixelRect Control::GetItemRect(int item) const {
  const int top = (item + 1) * kListRowHeightPx;
  return PixelRect{0, top, ClientRect().Width(), top + kListRowHeightPx};
}

void Control::SetRange(int low, int high) {
  range_low_ = low;
  range_high_ = high;
  pos_ = std::clamp(pos_, std::min(low, high), std::max(low, high));
}

int Control::SetPos(int pos) {
  const int previous = pos_;
  pos_ = std::clamp(pos, std::min(range_low_, range_high_), std::max(range_low_, range_high_));
  return previous;
}

}  // namespace host::ui
