// The state of one dialog control, as the dialog's code and the user see it.
//
// One class serves every kind; calls that do not fit a kind (rows of an
// edit) do nothing and answer empty. Row and column indices count from 0;
// -1 is "none", as the platform answers. Programmatic changes send no
// notifications; the dialog sends them for the user's actions.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/ui/dialog_template.h"

namespace host::ui {

// The platform's font description, as far as dialogs read and make fonts.
struct LogFont {
  int height = -11;  // negative: the character height in pixels
  int weight = 400;  // 400 normal, 700 bold
  std::wstring face = L"MS Sans Serif";
};

// Pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Dialog units to pixels, for the 8-point dialog font: a character cell is
// 6 by 13 pixels, 4 by 8 dialog units.
inline constexpr int kCharWidthPx = 6;
inline constexpr int kCharHeightPx = 13;
PixelRect DialogUnitsToPixels(const DialogRect& rect);

// The width in pixels of `text` in the dialog font, tabs moving to the next
// stop (stops in dialog units; every 32 units when none are given).
int TextWidth(const std::wstring& text, const std::vector<int>& tab_stops = {});

// The system's fixed sizes that dialogs lay out with, in pixels.
enum class SystemMetric {
  kBorderWidth,       // a window border
  kScrollThumbWidth,  // the thumb of a horizontal scroll bar
};
int GetSystemMetric(SystemMetric metric);

enum class ColumnAlign { kLeft, kRight, kCenter };

struct ListColumn {
  std::wstring heading;
  int width = 0;
  ColumnAlign align = ColumnAlign::kLeft;
};

// Item states of a list view row.
inline constexpr unsigned kItemFocused = 1u;
inline constexpr unsigned kItemSelected = 2u;

// Check states.
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;

inline constexpr std::size_t kDefaultEditLimit = 30000;
inline constexpr int kListRowHeightPx = 16;

class Control {
 public:
  Control() = default;
  explicit Control(const ControlTemplate& t);

  int Id() const { return id_; }
  ControlKind Kind() const { return kind_; }
  unsigned Style() const { return style_; }
  bool HasStyle(unsigned bits) const { return (style_ & bits) == bits; }
  // Where the template put it, in dialog units.
  const DialogRect& Rect() const { return rect_; }

  // Window text: the caption of a static or button, the text of an edit, the
  // shown text of a combo box. An upper-case edit keeps it in upper case.
  void SetText(std::wstring text);
  const std::wstring& Text() const { return text_; }
  void Enable(bool enable = true) { enabled_ = enable; }
  bool IsEnabled() const { return enabled_; }
  void Show(bool show = true) { visible_ = show; }
  bool IsVisible() const { return visible_; }
  PixelRect ClientRect() const;
  void SetFont(const LogFont& font) { font_ = font; }
  const LogFont& Font() const { return font_; }

  // Edit: the most characters the user can type (text set by code is kept
  // whole, as the platform does).
  void SetLimitText(std::size_t limit) { limit_ = limit == 0 ? kDefaultEditLimit : limit; }
  std::size_t LimitText() const { return limit_; }
  // The text as typed by the user: digits only in a number edit, cut at the
  // limit. Returns false when characters were refused or cut.
  bool TypeText(const std::wstring& text);

  // Check boxes and radio buttons.
  void SetCheck(int state) { check_ = state; }
  int GetCheck() const { return check_; }

  // List box and combo box rows.
  int AddString(std::wstring text);  // the new row's index
  int InsertString(int index, std::wstring text);  // -1 appends; -1 when out of range
  int DeleteString(int index);  // rows left, or -1 when out of range
  void ResetContent();
  int GetCount() const;
  std::wstring GetRowText(int index) const;  // empty when out of range
  int FindStringExact(const std::wstring& text) const;  // case ignored; -1 none
  // Single selection: the selected row, or -1. In a multiple-selection list
  // box, the row last selected.
  int SetCurSel(int index);  // -1 clears; answers -1 when out of range or cleared
  int GetCurSel() const;
  // Multiple selection (list boxes); index -1 means every row.
  bool SetSel(int index, bool select = true);
  bool GetSel(int index) const;
  int GetSelCount() const;
  std::vector<int> GetSelItems() const;
  void SetTabStops(std::vector<int> stops) { tab_stops_ = std::move(stops); }
  const std::vector<int>& TabStops() const { return tab_stops_; }
  void SetHorizontalExtent(int pixels) { horizontal_extent_ = pixels; }
  int GetHorizontalExtent() const { return horizontal_extent_; }

  // List view columns, rows and sub-items.
  int InsertColumn(int index, std::wstring heading, int width = 0,
                   ColumnAlign align = ColumnAlign::kLeft);
  int GetColumnCount() const { return static_cast<int>(columns_.size()); }
  const std::vector<ListColumn>& Columns() const { return columns_; }
  int InsertItem(int index, std::wstring text);  // the new row's index
  bool SetItemText(int item, int sub_item, std::wstring text);
  std::wstring GetItemText(int item, int sub_item) const;
  int GetItemCount() const { return static_cast<int>(rows_.size()); }
  bool DeleteItem(int item);
  void DeleteAllItems();
  // Sets the `mask` bits of a row's state to those of `state`; item -1 sets
  // every row.
  bool SetItemState(int item, unsigned state, unsigned mask);
  unsigned GetItemState(int item, unsigned mask) const;
  // The next row after `start` (-1: from the first) whose state has all of
  // `state`; -1 when none.
  int GetNextItem(int start, unsigned state) const;
  int GetSelectedCount() const;
  int GetTopIndex() const { return 0; }
  int GetCountPerPage() const;
  PixelRect GetItemRect(int item) const;

  // Progress bar.
  void SetRange(int low, int high);
  int GetRangeLow() const { return range_low_; }
  int GetRangeHigh() const { return range_high_; }
  int SetPos(int pos);  // the previous position
  int GetPos() const { return pos_; }

  // Picture: the bitmap resource shown (0: none).
  void SetBitmap(int resource_id) { bitmap_ = resource_id; }
  int GetBitmap() const { return bitmap_; }

 private:
  bool IsRowKind() const;

  int id_ = 0;
  ControlKind kind_ = ControlKind::kStatic;
  unsigned style_ = 0;
  DialogRect rect_;
  std::wstring text_;
  bool enabled_ = true;
  bool visible_ = true;
  LogFont font_;
  std::size_t limit_ = kDefaultEditLimit;
  int check_ = kUnchecked;
  // List box, combo box and list view rows.
  struct Row {
    std::vector<std::wstring> texts;  // the row's text, then sub-items
    bool selected = false;
    bool focused = false;
  };
  std::vector<Row> rows_;
  int current_ = -1;
  std::vector<int> tab_stops_;
  int horizontal_extent_ = 0;
  std::vector<ListColumn> columns_;
  int range_low_ = 0;
  int range_high_ = 100;
  int pos_ = 0;
  int bitmap_ = 0;
};

}  // namespace host::ui
