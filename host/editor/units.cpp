#include "host/editor/units.h"

#include <cmath>
#include <cwchar>

#include "host/editor/system_variables.h"

namespace host {
namespace {

int Current(const wchar_t* name, int fallback) {
  SysVarResult r = GetSystemVariable(name);
  return r.ok() ? r.Short() : fallback;
}

}  // namespace

Input<std::wstring> RealToString(double value, int unit_mode, int precision) {
  if (unit_mode == -1) unit_mode = Current(L"LUNITS", 2);
  if (precision == -1) precision = Current(L"LUPREC", 4);
  if (precision < 0 || precision > 8 || !std::isfinite(value)) return {Status::kError, {}};
  wchar_t buffer[400];
  int n;
  if (unit_mode == 2)
    n = std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%.*f", precision, value);
  else if (unit_mode == 1)
    n = std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%.*E", precision, value);
  else
    return {Status::kError, {}};
  if (n < 0) return {Status::kError, {}};
  std::wstring text(buffer);
  if (text == L"-0" || (text.size() > 2 && text.rfind(L"-0", 0) == 0 &&
                        text.find_first_not_of(L"-0.", 0) == std::wstring::npos))
    text.erase(0, 1);  // no minus sign on a value that shows as zero
  return {Status::kNormal, text};
}

Input<double> DistanceToReal(std::wstring_view text, int unit_mode) {
  if (unit_mode == -1) unit_mode = Current(L"LUNITS", 2);
  if (unit_mode < 1 || unit_mode > 5) return {Status::kError, 0.0};
  double value = 0;
  if (!detail::ParseReal(text, &value)) return {Status::kError, 0.0};
  return {Status::kNormal, value};
}

}  // namespace host
