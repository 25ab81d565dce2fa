#include "host/ui/data_exchange.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

#include "host/ui/dialog.h"
#include "host/ui/message_box.h"

namespace host::ui {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool OnlyBlanksFrom(const wchar_t* p) {
  while (*p && IsBlank(*p)) ++p;
  return *p == 0;
}

std::wstring FormatReal(double value) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%.15g", value);
  return buffer;
}

}  // namespace

std::wstring FormatStandardMessage(const wchar_t* message, const std::wstring& first,
                                   const std::wstring& second) {
  std::wstring text;
  for (const wchar_t* p = message; *p; ++p) {
    if (p[0] == L'%' && (p[1] == L'1' || p[1] == L'2')) {
      text += p[1] == L'1' ? first : second;
      ++p;
    } else {
      text += *p;
    }
  }
  return text;
}

void DataExchange::Fail(const std::wstring& message) {
  if (failed_) return;
  failed_ = true;
  (void)ShowMessageBox(message, L"", MessageButtons::kOk, MessageIcon::kExclamation);
  if (last_id_ != 0) dialog_.SetFocus(last_id_);
}

void DdxText(DataExchange& dx, int id, std::wstring& value) {
  if (!dx.Active()) return;
  dx.SetLastId(id);
  if (dx.Saving())
    value = dx.dialog().Item(id).Text();
  else
    dx.dialog().Item(id).SetText(value);
}

void DdxText(DataExchange& dx, int id, int& value) {
  if (!dx.Active()) return;
  dx.SetLastId(id);
  Control& control = dx.dialog().Item(id);
  if (!dx.Saving()) {
    control.SetText(std::to_wstring(value));
    return;
  }
  const std::wstring text = control.Text();
  const wchar_t* start = text.c_str();
  while (IsBlank(*start)) ++start;
  wchar_t* end = nullptr;
  errno = 0;
  const long long parsed = std::wcstoll(start, &end, 10);
  if (end == start || errno == ERANGE || !OnlyBlanksFrom(end) || parsed < INT32_MIN ||
      parsed > INT32_MAX) {
    dx.Fail(kMsgEnterInteger);
    return;
  }
  value = static_cast<int>(parsed);
}

void DdxText(DataExchange& dx, int id, double& value) {
  if (!dx.Active()) return;
  dx.SetLastId(id);
  Control& control = dx.dialog().Item(id);
  if (!dx.Saving()) {
    control.SetText(FormatReal(value));
    return;
  }
  const std::wstring text = control.Text();
  const wchar_t* start = text.c_str();
  while (IsBlank(*start)) ++start;
  wchar_t* end = nullptr;
  errno = 0;
  const double parsed = std::wcstod(start, &end);
  if (end == start || errno == ERANGE || !OnlyBlanksFrom(end)) {
    dx.Fail(kMsgEnterNumber);
    return;
  }
  value = parsed;
}

void DdxCheck(DataExchange& dx, int id, int& value) {
  if (!dx.Active()) return;
  dx.SetLastId(id);
  if (dx.Saving())
    value = dx.dialog().Item(id).GetCheck();
  else
    dx.dialog().Item(id).SetCheck(value);
}

void DdxRadio(DataExchange& dx, int first_id, int& index) {
  if (!dx.Active()) return;
  dx.SetLastId(first_id);
  const std::vector<int> group = dx.dialog().GroupOf(first_id);
  if (dx.Saving()) {
    index = -1;
    for (std::size_t i = 0; i < group.size(); ++i)
      if (dx.dialog().Item(group[i]).GetCheck() == kChecked) {
        index = static_cast<int>(i);
        break;
      }
    return;
  }
  for (std::size_t i = 0; i < group.size(); ++i)
    dx.dialog().Item(group[i]).SetCheck(static_cast<int>(i) == index ? kChecked : kUnchecked);
}

void DdxListIndex(DataExchange& dx, int id, int& index) {
  if (!dx.Active()) return;
  dx.SetLastId(id);
  if (dx.Saving())
    index = dx.dialog().Item(id).GetCurSel();
  else
    dx.dialog().Item(id).SetCurSel(index);
}

void DdvMinMax(DataExchange& dx, int value, int min, int max) {
  if (!dx.Active() || !dx.Saving()) return;
  if (value < min || value > max)
    dx.Fail(FormatStandardMessage(kMsgIntegerRange, std::to_wstring(min), std::to_wstring(max)));
}

void DdvMinMax(DataExchange& dx, double value, double min, double max) {
  if (!dx.Active() || !dx.Saving()) return;
  if (!(value >= min && value <= max))
    dx.Fail(FormatStandardMessage(kMsgNumberRange, FormatReal(min), FormatReal(max)));
}

void DdvMaxChars(DataExchange& dx, const std::wstring& value, int max_chars) {
  if (!dx.Active()) return;
  if (!dx.Saving()) {
    if (dx.LastId() != 0 && max_chars > 0)
      dx.dialog().Item(dx.LastId()).SetLimitText(static_cast<std::size_t>(max_chars));
    return;
  }
  if (static_cast<long long>(value.size()) > max_chars)
    dx.Fail(FormatStandardMessage(kMsgMaxChars, std::to_wstring(max_chars)));
}

}  // namespace host::ui
