// Location filter areas from picked and selected entities.
#include "gml/ui/location_areas.h"

#include "common/cad/entity_geometry.h"
#include "common/containers/text.h"
#include "gml/ui/boundary_selection.h"
#include "gml/writer/os_xdata.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/point_prompts.h"
#include "host/editor/selection.h"

namespace {

void TellNoBoundary() {
  host::Print(L"\nThe picked entity gives no boundary: no area added.\n");
}

// Appends the area, or releases its list when the filter refuses it.
bool Add(AreaFilter& filter, AreaFilterArea* area) {
  if (filter.AddArea(*area)) return true;
  ReleaseAreaLists(area);
  return false;
}

}  // namespace

bool AreaElementsFromEntity(host::EntityName entity, std::int32_t kind, AreaFilterArea* area) {
  area->kind = kind;
  area->header = HzGeometry{};
  if (!GrowArrayCreate(50, sizeof(GeometryElement), &area->elements)) return false;
  bool ok = HzGeometryFromEntity(entity, area->header, area->elements) &&
            area->elements.count > 0 && area->header.roadLength > 0;
  // A boundary is measured from its own start: an entity linked to a road
  // design starts at the design's chainage, which the Buffer Zone outline
  // (evaluated from chainage 0 to the road length) does not expect.
  auto* elements = static_cast<GeometryElement*>(area->elements.data);
  const double start = ok ? elements[0].startChainage : 0.0;
  for (std::int32_t i = 0; ok && i < area->elements.count; ++i) elements[i].startChainage -= start;
  if (!ok) GrowArrayFree(&area->elements);
  return ok;
}

bool AddPickedBoundaryArea(AreaFilter& filter, const std::string& description) {
  host::EntityName entity;
  host::db::Point3 at;
  bool closed = false;
  if (!PickBoundaryEntity(L"\nSelect polyline/circle/arc...", &entity, &at, &closed)) return false;
  AreaFilterArea area{};
  area.tag = 1;
  CopyUtf8Field(area.description, description);
  if (!AreaElementsFromEntity(entity, kAreaPolyline, &area)) {
    TellNoBoundary();
    return false;
  }
  return Add(filter, &area);
}

bool AddBufferZoneArea(AreaFilter& filter, const std::string& description) {
  host::EntityName entity;
  host::db::Point3 at;
  bool closed = false;
  if (!PickBoundaryEntity(L"\nSelect centreline for the Buffer Zone...", &entity, &at, &closed))
    return false;
  const host::Input<double> width = host::GetDistance(at, L"\nBuffer Zone width: ");
  if (!width.ok()) return false;
  AreaFilterArea area{};
  area.tag = 1;
  CopyUtf8Field(area.description, description);
  area.leftOffset = -width.value;
  area.rightOffset = width.value;
  if (!AreaElementsFromEntity(entity, kAreaBufferZone, &area)) {
    TellNoBoundary();
    return false;
  }
  return Add(filter, &area);
}

std::int32_t AddBatchBoundaryAreas(AreaFilter& filter, bool onlyNamed) {
  if (!EnsureBatchLocationApp(kBatchLocationApp)) return 0;
  host::SelectionSetId set = 0;
  std::int32_t count = 0;
  const bool selected = SelectBoundaryEntities(&set, &count);
  std::int32_t added = 0;
  if (selected) {
    (void)host::SetProgressMeter(L"Scanning...", 0, 100);
    for (std::int32_t i = 0; i < count; ++i) {
      host::SetProgressMeterPos(static_cast<int>(i * 100LL / count));
      const host::Input<host::EntityName> entity = host::SelectionSetName(set, i);
      if (!entity.ok()) continue;
      AreaFilterArea area{};
      area.tag = 1;
      (void)ReadBatchLocationName(entity.value, area.description, sizeof area.description);
      if (onlyNamed && area.description[0] == 0) continue;
      if (AreaElementsFromEntity(entity.value, kAreaPolyline, &area) && Add(filter, &area)) ++added;
    }
    host::RestoreStatusBar();
  }
  if (set != 0) (void)host::FreeSelectionSet(set);
  return added;
}
