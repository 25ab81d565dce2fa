#include "gml/ui/name_validation.h"

#include "host/db/database.h"
#include "host/ui/dialog.h"

void DdvTableName(host::ui::DataExchange& dx, int id, const std::wstring& name, NameKind kind) {
  const host::ui::Control& control = dx.dialog().Item(id);
  if (!dx.Saving() || !dx.Active() || !control.IsEnabled() || !control.IsVisible()) return;
  dx.SetLastId(id);
  const std::wstring what = kind == NameKind::kLayer ? L"Layer" : L"Block";
  if (name.empty()) {
    dx.Fail(what + L" name can't be empty.");
  } else if (name.size() > static_cast<std::size_t>(kMaxTableNameChars)) {
    host::ui::DdvMaxChars(dx, name, kMaxTableNameChars);
  } else if (!host::db::IsValidTableName(name)) {
    dx.Fail(what + L" name can't have following characters: <>/\\\":;?*|,=`");
  }
}
