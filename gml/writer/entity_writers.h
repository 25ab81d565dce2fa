// The entities the import writes for its features, and three view helpers.
//
// Each writer appends one entity to the model space of `db`, gives it its
// colour and layer (a missing layer is made; names pass through
// HostLayerName), attaches the OS xdata of its kind at the level it is given
// (2 full, 1 minimal, anything else none) and, for lines, ITN links and
// address points, writes the feature's CSV row. It answers true when the
// entity and its xdata stand; when the xdata cannot be set the entity is
// erased again and no CSV row is written, so no entity is left without the
// attributes that updates and inspection look for.
//
// Geometry: points, positions and texts keep their z; polylines lie at
// elevation 0. Consecutive repeated vertices are dropped; a polyline needs 2
// distinct vertices (a closed one 3) and a hatch loop 3, else nothing is
// written for it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>

#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"
#include "gml/writer/os_xdata.h"
#include "host/db/database.h"

class OS_GML_ACAD_Definitions;

// One vertex of the polyline writers' vertex list (40 bytes); x and y are
// used.
struct PolylineVertex {
  double x;
  double y;
  double z;
  double bulge;
  double width;
};
static_assert(sizeof(PolylineVertex) == 40);

// The record whose attributes an entity carries; the kind says which one is
// expected (1 line, 2 and 3 point, 4 text, 5 area, 8 road link, 9 road).
using FeatureRecordRef =
    std::variant<std::monostate, const PointFeatureRecord*, const LineFeatureRecord*,
                 const TextFeatureRecord*, const AreaFeatureRecord*, const RoadLinkRecord*,
                 const RoadRecord*>;

// Sets the OS xdata of `record` on the entity at `level`. True when set, or
// when the level or kind carries none; false when it failed or the record
// is not the kind's.
bool WriteFeatureXdata(host::db::Database& db, host::db::ObjectId entity, int level,
                       FeatureRecordRef record, OsFeatureKind kind);

// Sets an ITN node's xdata at `level` (measure -1).
bool WriteNodeXdataAtLevel(host::db::Database& db, host::db::ObjectId entity, int level,
                           const RoadNodeRecord& node, OsFeatureKind kind = OsFeatureKind::kRoadNode);
// Sets an address point's xdata at the settings' xdata level, then writes
// its CSV row when `csv` is open and the settings' CSV level is 1 or 2. The
// entity is erased, and no row written, when its xdata cannot be set.
bool WriteAddressAttributes(host::db::Database& db, host::db::ObjectId entity, std::FILE* csv,
                            const OS_GML_ACAD_Definitions& settings, const AddressPointRecord& address);

// SOLID hatch: the outer ring as the external loop, each inner ring of 3
// or more points as a further loop; solid-hatch xdata at every level.
bool DrawSolidHatch(const char* layer, std::int32_t colour, const AreaFeatureRecord& area,
                    host::db::Database& db);

// A point; xdata only for kinds 2 and 3 (measure -1). `made`, when given,
// is set to the point's id when the answer is true.
bool DrawTopoPoint(const char* layer, std::int32_t colour, host::db::Point3 point, host::db::Database& db,
                   int xdataLevel, const PointFeatureRecord& record, OsFeatureKind kind,
                   host::db::ObjectId* made = nullptr);
// A point with node xdata (measure -1).
bool DrawItnNode(const char* layer, std::int32_t colour, host::db::Point3 point, host::db::Database& db,
                 int xdataLevel, const RoadNodeRecord& node, OsFeatureKind kind);
// A point with address xdata at the settings' xdata level, then, when the
// settings' CSV level is not 0 and `csv` is open, its CSV row.
bool DrawAddressPoint(const char* layer, std::int32_t colour, host::db::Point3 point,
                      host::db::Database& db, std::FILE* csv, const OS_GML_ACAD_Definitions& settings,
                      const AddressPointRecord& address);

// A two-vertex polyline without xdata (grid lines, tile outlines).
bool DrawTwoPointPolyline(const char* layer, std::int32_t colour, double width, host::db::Database& db,
                          double x1, double y1, double x2, double y2);

// A lightweight polyline of the first `count` vertices of `vertices`
// (PolylineVertex). Kind 1: line xdata and a topo_lines row; 5: area xdata;
// 8: link xdata and an ITN_road_links row; 9: road xdata; other kinds
// nothing. Rows are written when `csvLevel` is 1 or 2 and `csv` is open.
bool DrawFeaturePolyline(const char* layer, std::int32_t colour, double width, std::int32_t count,
                         const GrowArray& vertices, host::db::Database& db, int xdataLevel,
                         int csvLevel, std::FILE* csv, FeatureRecordRef record, OsFeatureKind kind,
                         bool closed, bool plinegen);

// A text at `point` justified by the OS anchor position (0..8: left, centre,
// right by thirds; baseline, middle, top within each; any other value
// middle/middle), cut to 511 characters. `text` is UTF-8 as the reader
// stored it, its references already decoded: it is drawn as it stands.
// Kinds 2 and 3 (labels) carry their point's xdata, kind 4 the text's.
// `xdataOf`, when given, is the xdata of an entity of `db` drawn for the
// same record, kind and level (a label's point): the text takes a copy of
// it instead of building the same again.
bool DrawTextFeature(std::string_view text, const char* layer, std::int32_t colour,
                     host::db::Point3 point, double height, double rotation,
                     std::int32_t anchorPosition, host::db::Database& db, int xdataLevel,
                     FeatureRecordRef record, OsFeatureKind kind,
                     const host::db::Xdata* xdataOf = nullptr);

// Text helpers.
inline constexpr std::size_t kMaxTextChars = 511;
// An OS orientation in tenths of a degree (taken modulo 3600) as an angle in
// radians, 0 to 2 pi.
double ComputeOsTextAngle(double orientation);

// Zooms the current view to the window with 10% of its size added on every
// side (after "_LIMITS" "_OFF").
void ZoomWindowWithMargin(double xmax, double ymax, double xmin, double ymin);
// Centres the active viewport of `db` on the window and sizes it to it;
// nothing when `db` has none.
void SetActiveViewport(double xmax, double ymax, double xmin, double ymin, host::db::Database& db);
