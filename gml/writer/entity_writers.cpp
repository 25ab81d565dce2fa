#include "gml/writer/entity_writers.h"

#include <vector>

#include "gml/settings/settings_record.h"
#include "gml/writer/attribute_csv.h"
#include "gml/writer/layers.h"

using host::db::Database;
using host::db::ObjectId;

namespace {

// Appends `data` to model space on `layer` with `colour`; null when the
// entity could not be made.
ObjectId AppendStyled(Database& db, host::db::EntityData data, const char* layer, std::int32_t colour) {
  ObjectId id = db.Append(std::move(data), db.ModelSpace());
  if (id.IsNull()) return id;
  if (host::db::Entity* entity = db.EntityOf(id)) entity->color = static_cast<std::int16_t>(colour);
  PutOnLayer(db, id, layer);
  return id;
}

// Keeps the entity when its xdata was set; otherwise erases it.
bool KeepIf(Database& db, ObjectId id, bool xdataSet) {
  if (!xdataSet) db.Erase(id);
  return xdataSet;
}

bool IsPointKind(OsFeatureKind kind) {
  return kind == OsFeatureKind::kTopoPoint || kind == OsFeatureKind::kCartoSymbol;
}

// Appends `v` unless it repeats the last point.
template <typename Points, typename Vertex>
void AddDistinct(Points* points, const Vertex& v) {
  if (!points->empty() && points->back().x == v.x && points->back().y == v.y) return;
  points->push_back(v);
}

// Closes a ring's loop points: the closing repeat of the first point goes.
template <typename Points>
void DropClosingRepeat(Points* points) {
  if (points->size() > 1 && points->front().x == points->back().x &&
      points->front().y == points->back().y)
    points->pop_back();
}

// Visits the loop points (without repeats and without the closing repeat)
// of each ring of a ring list, each ring up to and including its end entry:
// `f(std::vector<LoopVertex>&&)`. Points after the last end entry form no
// ring unless `firstOnly`, which visits the first ring only. The points are
// read in place and each loop is sized once.
template <typename Visit>
void ForEachLoop(const GrowArray& list, bool firstOnly, Visit f) {
  if (list.marker != kGrowArrayMarker) return;
  // Read in place: entries up to the count lie one after another.
  void* first = nullptr;
  if (list.count <= 0 || !GrowArrayGetPtr(&list, 0, &first)) return;
  auto at = [&](std::int32_t i) -> const RingPoint* {
    if (i >= list.capacity) return nullptr;
    return reinterpret_cast<const RingPoint*>(static_cast<const char*>(first) +
                                              static_cast<std::uint64_t>(i) * list.elementSize);
  };
  std::int32_t start = 0;
  while (start < list.count) {
    std::int32_t end = start;  // one past the ring's last entry
    bool ended = false;
    while (end < list.count) {
      const RingPoint* p = at(end++);
      if (p == nullptr) return;
      if (p->tag == kRingPointEnd) {
        ended = true;
        break;
      }
    }
    if (!ended && !firstOnly) return;
    std::vector<host::db::LoopVertex> points;
    points.reserve(static_cast<std::size_t>(end - start));
    for (std::int32_t i = start; i < end; ++i) {
      const RingPoint* p = at(i);
      AddDistinct(&points, host::db::LoopVertex{p->x, p->y, 0});
    }
    DropClosingRepeat(&points);
    f(std::move(points));
    if (firstOnly) return;
    start = end;
  }
}

}  // namespace

bool WriteFeatureXdata(Database& db, ObjectId entity, int level, FeatureRecordRef record,
                       OsFeatureKind kind) {
  if (level != kXdataFull && level != kXdataMinimal) return true;
  const bool full = level == kXdataFull;
  switch (kind) {
    case OsFeatureKind::kTopoPoint:
    case OsFeatureKind::kCartoSymbol:
      if (auto* p = std::get_if<const PointFeatureRecord*>(&record))
        return full ? WriteOsXdata(db, entity, **p, kind, -1.0) : WriteOsXdataMinimal(db, entity, **p, kind);
      return false;
    case OsFeatureKind::kTopoLine:
      if (auto* p = std::get_if<const LineFeatureRecord*>(&record))
        return full ? WriteLineOsXdata(db, entity, **p, kind) : WriteLineOsXdataMinimal(db, entity, **p, kind);
      return false;
    case OsFeatureKind::kCartoText:
      if (auto* p = std::get_if<const TextFeatureRecord*>(&record))
        return full ? WriteTextOsXdata(db, entity, **p, kind) : WriteTextOsXdataMinimal(db, entity, **p, kind);
      return false;
    case OsFeatureKind::kAreaOutline:
      if (auto* p = std::get_if<const AreaFeatureRecord*>(&record))
        return full ? WriteAreaOsXdata(db, entity, **p, kind) : WriteAreaOsXdataMinimal(db, entity, **p, kind);
      return false;
    case OsFeatureKind::kRoadLink:
      if (auto* p = std::get_if<const RoadLinkRecord*>(&record))
        return full ? WriteRoadLinkOsXdata(db, entity, **p, kind)
                    : WriteRoadLinkOsXdataMinimal(db, entity, **p, kind);
      return false;
    case OsFeatureKind::kRoad:
      if (auto* p = std::get_if<const RoadRecord*>(&record))
        return full ? WriteRoadOsXdata(db, entity, **p, kind) : WriteRoadOsXdataMinimal(db, entity, **p, kind);
      return false;
    default:
      return true;
  }
}

bool DrawSolidHatch(const char* layer, std::int32_t colour, const AreaFeatureRecord& area, Database& db) {
  host::db::HatchData hatch;
  hatch.pattern = L"SOLID";
  hatch.solid = true;
  hatch.associative = false;
  hatch.style = 0;
  host::db::HatchLoop external;
  external.flags = host::db::kLoopExternal | host::db::kLoopPolyline;
  ForEachLoop(area.outerRing, true,
              [&](std::vector<host::db::LoopVertex>&& points) { external.points = std::move(points); });
  if (external.points.size() < 3) return false;
  hatch.loops.push_back(std::move(external));
  ForEachLoop(area.innerRings, false, [&](std::vector<host::db::LoopVertex>&& points) {
    if (points.size() < 3) return;
    host::db::HatchLoop inner;
    inner.flags = host::db::kLoopPolyline;
    inner.points = std::move(points);
    hatch.loops.push_back(std::move(inner));
  });
  ObjectId id = AppendStyled(db, std::move(hatch), layer, colour);
  if (id.IsNull()) return false;
  return KeepIf(db, id, WriteSolidHatchXdata(db, id, area));
}

bool DrawTopoPoint(const char* layer, std::int32_t colour, host::db::Point3 point, Database& db,
                   int xdataLevel, const PointFeatureRecord& record, OsFeatureKind kind,
                   ObjectId* made) {
  ObjectId id = AppendStyled(db, host::db::PointData{point}, layer, colour);
  if (id.IsNull()) return false;
  if (made != nullptr) *made = id;
  if (!IsPointKind(kind)) return true;
  return KeepIf(db, id, WriteFeatureXdata(db, id, xdataLevel, &record, kind));
}

bool DrawItnNode(const char* layer, std::int32_t colour, host::db::Point3 point, Database& db,
                 int xdataLevel, const RoadNodeRecord& node, OsFeatureKind kind) {
  ObjectId id = AppendStyled(db, host::db::PointData{point}, layer, colour);
  if (id.IsNull()) return false;
  return KeepIf(db, id, WriteNodeXdataAtLevel(db, id, xdataLevel, node, kind));
}

bool WriteNodeXdataAtLevel(Database& db, ObjectId entity, int level, const RoadNodeRecord& node,
                           OsFeatureKind kind) {
  if (level == kXdataFull) return WriteItnNodeXdata(db, entity, node, kind, -1.0);
  if (level == kXdataMinimal) return WriteItnNodeXdataMinimal(db, entity, node, kind);
  return true;
}

bool WriteAddressAttributes(Database& db, ObjectId id, std::FILE* csv,
                            const OS_GML_ACAD_Definitions& settings, const AddressPointRecord& address) {
  bool set = true;
  if (settings.attributesToXdata == kXdataFull) set = WriteAddressXdata(db, id, address, settings);
  else if (settings.attributesToXdata == kXdataMinimal) set = WriteAddressXdataMinimal(db, id, address);
  if (!KeepIf(db, id, set)) return false;
  if (csv != nullptr && (settings.attributesToCsv == kCsvShort || settings.attributesToCsv == kCsvFull))
    WriteAddressPointCsvLine(settings.attributesToCsv == kCsvShort, csv, settings, address);
  return true;
}

bool DrawAddressPoint(const char* layer, std::int32_t colour, host::db::Point3 point, Database& db,
                      std::FILE* csv, const OS_GML_ACAD_Definitions& settings,
                      const AddressPointRecord& address) {
  ObjectId id = AppendStyled(db, host::db::PointData{point}, layer, colour);
  if (id.IsNull()) return false;
  return WriteAddressAttributes(db, id, csv, settings, address);
}

bool DrawTwoPointPolyline(const char* layer, std::int32_t colour, double width, Database& db, double x1,
                          double y1, double x2, double y2) {
  host::db::LwPolylineData polyline;
  polyline.vertices = {{x1, y1, 0, -1, -1}, {x2, y2, 0, -1, -1}};
  polyline.constantWidth = width;
  return !AppendStyled(db, std::move(polyline), layer, colour).IsNull();
}

bool DrawFeaturePolyline(const char* layer, std::int32_t colour, double width, std::int32_t count,
                         const GrowArray& vertices, Database& db, int xdataLevel, int csvLevel,
                         std::FILE* csv, FeatureRecordRef record, OsFeatureKind kind, bool closed,
                         bool plinegen) {
  if (vertices.marker != kGrowArrayMarker || count < 0 || count > vertices.count) return false;
  host::db::LwPolylineData polyline;
  host::db::LwVertexList& points = polyline.vertices;
  points.reserve(static_cast<std::size_t>(count));
  // The vertices are read in place (count is within the list's count) and
  // the last one kept is remembered, so that repeats are dropped without
  // reading the list being built.
  void* first = nullptr;
  if (count > vertices.capacity || (count > 0 && !GrowArrayGetPtr(&vertices, 0, &first))) return false;
  const PolylineVertex* last = nullptr;
  for (std::int32_t i = 0; i < count; ++i) {
    const auto* v = reinterpret_cast<const PolylineVertex*>(
        static_cast<const char*>(first) + static_cast<std::uint64_t>(i) * vertices.elementSize);
    const bool repeat = last != nullptr && v->x == last->x && v->y == last->y;
    last = v;
    // Widths of -1: every vertex takes the constant width.
    if (!repeat) points.push_back(host::db::LwVertex{v->x, v->y, 0, -1, -1});
  }
  if (closed) DropClosingRepeat(&points);
  if (points.size() < (closed ? 3u : 2u)) return false;
  polyline.constantWidth = width;
  polyline.plinegen = plinegen;
  polyline.closed = closed;
  ObjectId id = AppendStyled(db, std::move(polyline), layer, colour);
  if (id.IsNull()) return false;
  if (!KeepIf(db, id, WriteFeatureXdata(db, id, xdataLevel, record, kind))) return false;
  if (csv == nullptr || (csvLevel != kCsvShort && csvLevel != kCsvFull)) return true;
  const bool shortRow = csvLevel == kCsvShort;
  if (kind == OsFeatureKind::kTopoLine) {
    if (auto* line = std::get_if<const LineFeatureRecord*>(&record))
      WriteTopoLineCsvLine(shortRow, csv, **line);
  } else if (kind == OsFeatureKind::kRoadLink) {
    if (auto* link = std::get_if<const RoadLinkRecord*>(&record))
      WriteRoadLinkCsvLine(shortRow, csv, **link);
  }
  return true;
}
