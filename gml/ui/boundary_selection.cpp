#include "gml/ui/boundary_selection.h"

#include <sched.h>

#include <cwctype>

#include "common/geometry/plane_geometry.h"
#include "gml/settings/area_filter.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "host/editor/point_prompts.h"
#include "host/editor/system_variables.h"
#include "host/system/events.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"

void ProcessPendingMessages() {
  host::PumpMessages();
  sched_yield();
}

bool SelectBoundaryEntities(host::SelectionSetId* set, std::int32_t* count) {
  using host::db::Group;
  host::Print(L"\nSelect polylines:");
  const host::db::EntityList filter = {
      Group(-4, L"<or"),  Group(-4, L"<and"), Group(0, L"CIRCLE"),   Group(-4, L"and>"),
      Group(-4, L"<and"), Group(-4, L"<or"),  Group(0, L"POLYLINE"), Group(0, L"LWPOLYLINE"),
      Group(-4, L"or>"),  Group(-4, L"<or"),  Group(-4, L"="),       Group(70, 0),
      Group(-4, L"<and"), Group(-4, L"&"),    Group(70, 143),        Group(-4, L"and>"),
      Group(-4, L"or>"),  Group(-4, L"and>"), Group(-4, L"or>")};
  const host::Input<host::SelectionSetId> selected = host::SelectEntities(filter);
  *count = 0;
  if (selected.status == host::Status::kCancel) {
    if (*set != 0) (void)host::FreeSelectionSet(*set);
    *set = host::NewSelectionSet();
    return false;
  }
  if (!selected.ok()) {
    const host::SysVarResult errno_ = host::GetSystemVariable(L"ERRNO");
    if (errno_.ok() && errno_.Short() != 0)
      host::Printf(L"\nError! (AutoCAD) ERRNO: %i", errno_.Short());
    return false;
  }
  *set = selected.value;
  const host::Input<std::int32_t> length = host::SelectionSetLength(*set);
  *count = length.ok() ? length.value : 0;
  return *count >= 1;
}

bool IsBoundaryEntityType(host::EntityName entity, bool* closed) {
  *closed = false;
  const std::optional<host::db::EntityList> list = host::db::GetEntityList(entity);
  if (!list) return false;
  bool accepted = false;
  for (const host::db::Group& group : *list) {
    if (group.code == -3) break;
    if (group.code == 0 && group.Text() != nullptr) {
      for (const wchar_t* type : {L"POLYLINE", L"LWPOLYLINE", L"CIRCLE", L"LINE", L"ARC"})
        accepted = accepted || host::SameNameIgnoringCase(*group.Text(), type);
    }
    if (group.code == 70 && (group.Int() & 1) != 0) *closed = true;
  }
  if (!accepted) *closed = false;
  return accepted;
}

bool PickBoundaryEntity(std::wstring_view prompt, host::EntityName* entity, host::db::Point3* point,
                        bool* closed) {
  int misses = 0;
  for (;;) {
    const host::Status status = SelectEntity(prompt, entity, point);
    if (status == host::Status::kCancel) return false;
    if (status == host::Status::kNormal) {
      if (IsBoundaryEntityType(*entity, closed)) return true;
      (void)host::ui::ShowMessageBox(L"Please select a polyline/circle/arc.", L"Orvane");
      continue;
    }
    if (misses < 5) {
      host::Print(L"\nHum... To cancel press <Esc>");
    } else if (misses < 10) {
      host::Print(L"\nHum... To cancel PRESS <ESC>");
    } else if (misses < 15) {
      host::Print(L"\nTO CANCEL PRESS <ESC>!!");
    } else {
      host::Print(L"\nOkei, canceling.");
      return false;
    }
    ++misses;
  }
}

bool GetEntityPoint(host::EntityName entity, double* x, double* y) {
  *x = 0;
  *y = 0;
  const std::optional<host::db::EntityList> list = host::db::GetEntityList(entity);
  if (!list) return true;
  for (const host::db::Group& group : *list) {
    if (group.code == -3) break;
    if (group.code == 10 && group.Point() != nullptr) {
      *x = group.Point()->x;
      *y = group.Point()->y;
    }
  }
  return true;
}

host::Status SelectEntity(std::wstring_view prompt, host::EntityName* entity,
                          host::db::Point3* point) {
  const host::Input<host::EntityPick> pick = host::PickEntity(prompt);
  if (pick.ok()) {
    *entity = pick.value.entity;
    *point = pick.value.point;
  }
  return pick.status;
}

bool PointInBoundary(double x, double y, const GrowArray& segments, double lowestY) {
  int crossings = 0;
  for (std::int32_t i = 0; segments.marker == kGrowArrayMarker && i < segments.count; ++i) {
    OutlineSegment s{};
    if (!GrowArrayGet(&segments, i, &s)) break;
    const double lo = s.x1 < s.x2 ? s.x1 : s.x2;
    const double hi = s.x1 < s.x2 ? s.x2 : s.x1;
    if (!(lo <= x && x < hi)) continue;
    double ix = 0, iy = 0;
    if (IntersectSegments(ix, iy, s.x1, s.y1, s.x2, s.y2, x, y, x, lowestY - 10.0)) ++crossings;
  }
  return crossings % 2 == 1;
}
