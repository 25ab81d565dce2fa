#include "common/cad/entity_groups.h"
#include "host/system/wide_text.h"

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

bool SameNameNoCase(std::wstring_view a, std::wstring_view b) { return host::SameIgnoringAsciiCase(a, b); }

bool ForEachLwPolylineSegment(
    const host::db::EntityList& list,
    const std::function<bool(const host::db::Point3& a, double bulge, const host::db::Point3& b)>&
        segment) {
  const host::db::Group* flags = host::db::FindGroup(list, 70);
  const bool closed = flags != nullptr && (flags->Int() & 1) != 0;
  bool any = false, havePoint = false, haveBulge = false;
  host::db::Point3 first{}, previous{}, point{};
  double previousBulge = 0.0, bulge = 0.0;
  for (const host::db::Group& g : list) {
    if (g.code == -2 || g.code == -3) break;
    if (g.code == 10 && g.Point()) {
      point = *g.Point();
      havePoint = true;
    } else if (g.code == 42) {
      bulge = g.Number();
      haveBulge = true;
    }
    if (!havePoint || !haveBulge) continue;
    if (any && !segment(previous, previousBulge, point)) return false;
    if (!any) first = point;
    any = true;
    previous = point;
    previousBulge = bulge;
    havePoint = haveBulge = false;
  }
  if (closed && any) return segment(previous, previousBulge, first);
  return true;
}
