#include "common/cad/entity_groups.h"
#include "host/db/world_geometry.h"
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
    host::EntityName lwPolyline,
    const std::function<bool(const host::db::Point3& a, double bulge, const host::db::Point3& b)>&
        segment) {
  bool closed = false;
  const std::optional<std::vector<host::db::WorldVertex>> vertices =
      host::db::LwPolylineInWorld(lwPolyline, &closed);
  if (!vertices) return false;
  for (std::size_t i = 1; i < vertices->size(); ++i) {
    const host::db::WorldVertex& a = (*vertices)[i - 1];
    if (!segment(a.point, a.bulge, (*vertices)[i].point)) return false;
  }
  if (closed && !vertices->empty())
    return segment(vertices->back().point, vertices->back().bulge, vertices->front().point);
  return true;
}
