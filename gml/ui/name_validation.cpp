#include "gml/ui/name_validation.h"

#include "host/db/database.h"
#include "host/ui/dialog.h"

namespace {

// True when the check of control `id` should run: while saving, before any
// failure, and only for a control the user can change.
bool Checks(host::ui::DataExchange& dx, int id) {
  const host::ui::Control& control = dx.dialog().Item(id);
  if (!dx.Saving() || !dx.Active() || !control.IsEnabled() || !control.IsVisible()) return false;
  dx.SetLastId(id);
  return true;
}

}  // namespace

void DdvTableName(host::ui::DataExchange& dx, int id, const std::wstring& name, NameKind kind) {
  if (!Checks(dx, id)) return;
  const std::wstring what = kind == NameKind::kLayer ? L"Layer" : L"Block";
  if (name.empty()) {
    dx.Fail(what + L" name can't be empty.");
  } else if (name.size() > static_cast<std::size_t>(kMaxTableNameChars)) {
    host::ui::DdvMaxChars(dx, name, kMaxTableNameChars);
  } else if (!host::db::IsValidTableName(name)) {
    dx.Fail(what + L" name can't have following characters: <>/\\\":;?*|,=`");
  }
}

void DdvFilePrefix(host::ui::DataExchange& dx, int id, const std::wstring& prefix) {
  if (!Checks(dx, id)) return;
  if (prefix.empty()) {
    dx.Fail(L"File prefix can't be empty.");
    return;
  }
  if (prefix.size() > static_cast<std::size_t>(kMaxTableNameChars)) {
    host::ui::DdvMaxChars(dx, prefix, kMaxTableNameChars);
    return;
  }
  for (wchar_t c : prefix) {
    if (c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) {
      dx.Fail(L"File prefix can't have following characters: <>:\"/\\|?*");
      return;
    }
  }
}
