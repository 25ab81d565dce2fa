#include "common/entity_groups.h"

#include <cwctype>

std::optional<host::db::EntityList> PlainEntityGroups(host::EntityName entity) {
  std::optional<host::db::EntityList> list = host::db::GetEntityList(entity, {L"*"});
  if (!list) return std::nullopt;
  for (std::size_t i = 0; i < list->size(); ++i) {
    if ((*list)[i].code == -3) {
      list->resize(i);
      break;
    }
  }
  return list;
}

bool SameNameNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  return true;
}
