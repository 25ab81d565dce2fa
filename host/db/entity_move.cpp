#include "host/db/entity_move.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "host/db/blocks.h"
#include "host/db/dxf_lines.h"
#include "host/db/kept.h"
#include "host/db/shortest_real.h"
#include "host/db/world_geometry.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

void Shift(Point3& p, const Point3& d) {
  p.x += d.x;
  p.y += d.y;
  p.z += d.z;
}

// A modelled entity's own points (a polyline's vertices are entities of
// their own and move with it in MoveModelled).
struct DataMover {
  Point3 d;
  void operator()(LineData& e) const {
    Shift(e.start, d);
    Shift(e.end, d);
  }
  void operator()(ArcData& e) const { Shift(e.center, WorldToPlane(d, e.normal)); }
  void operator()(CircleData& e) const { Shift(e.center, WorldToPlane(d, e.normal)); }
  void operator()(PointData& e) const { Shift(e.position, d); }
  void operator()(TextData& e) const {
    Shift(e.position, d);
    Shift(e.alignment, d);
  }
  void operator()(LwPolylineData& e) const {
    const Point3 p = WorldToPlane(d, e.normal);
    e.vertices.Modify([&](LwVertex& v) {
      v.x += p.x;
      v.y += p.y;
    });
    e.elevation += p.z;
  }
  void operator()(PolylineData& e) const { e.elevation += InPlane(e).z; }
  void operator()(VertexData&) const {}
  void operator()(SeqEndData&) const {}
  void operator()(HatchData& e) const {
    const Point3 p = WorldToPlane(d, e.normal);
    for (HatchLoop& loop : e.loops)
      for (LoopVertex& v : loop.points) {
        v.x += p.x;
        v.y += p.y;
      }
    e.elevation += p.z;
  }
  void operator()(InsertData& e) const { Shift(e.position, WorldToPlane(d, e.normal)); }

  // The displacement of a polyline's vertices: a 3D polyline's are world
  // points, a 2D polyline's lie in its plane.
  Point3 InPlane(const PolylineData& e) const {
    return (e.flags & kPolyline3d) != 0 ? d : WorldToPlane(d, e.normal);
  }
};

void MoveModelled(Database& db, Entity& entity, const Point3& d) {
  const DataMover mover{d};
  std::visit(mover, entity.data);
  if (const auto* polyline = std::get_if<PolylineData>(&entity.data)) {
    const Point3 p = mover.InPlane(*polyline);
    for (std::uint64_t h : polyline->vertices)
      if (Entity* vertex = db.EntityByHandle(h))
        if (auto* v = std::get_if<VertexData>(&vertex->data)) Shift(v->position, p);
  }
}

// The point groups of a kept kind (the x group of each: its y is 10 codes
// above, its z 20): those held in world coordinates, and those held in the
// entity's plane. A kind that is not listed cannot be moved.
struct KeptPoints {
  const char* type;
  std::initializer_list<int> world;
  std::initializer_list<int> plane;
  bool dimensionBlock = false;  // its graphics are a block of their own (group 2)
};

const KeptPoints kKeptPoints[] = {
    {"MTEXT", {10}, {}},
    {"ELLIPSE", {10}, {}},
    {"SPLINE", {10, 11}, {}},           // control and fit points; 12, 13 are tangents
    {"HELIX", {10, 11}, {}},            // its spline's points, axis base and start point
    {"SOLID", {}, {10, 11, 12, 13}},
    {"TRACE", {}, {10, 11, 12, 13}},
    {"3DFACE", {10, 11, 12, 13}, {}},
    {"DIMENSION", {10, 13, 14, 15}, {11, 12, 16}, true},
    {"LEADER", {10}, {}},               // vertices; 211 to 213 are directions and offsets
    {"TOLERANCE", {10}, {}},
    {"XLINE", {10}, {}},
    {"RAY", {10}, {}},
    {"IMAGE", {10}, {}},                // 11, 12 are pixel vectors, 13 and 14 in pixels
    {"WIPEOUT", {10}, {}},
    {"MLINE", {10, 11}, {}},            // 12, 13 are directions
    {"SHAPE", {}, {10}},
    {"ATTDEF", {}, {10, 11}},
    {"OLE2FRAME", {10, 11}, {}},
};

const KeptPoints* PointsOf(std::string_view type) {
  for (const KeptPoints& row : kKeptPoints)
    if (host::SameIgnoringAsciiCase(type, row.type)) return &row;
  return nullptr;
}

bool Holds(std::initializer_list<int> codes, int code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

std::size_t XdataStart(const KeptGroups& groups) {
  for (std::size_t i = 0; i < groups.size(); ++i)
    if (groups[i].code >= 1000) return i;
  return groups.size();
}

Point3 KeptNormal(const KeptObject& object) {
  Point3 n{0, 0, 1};
  const std::size_t end = XdataStart(object.groups);
  for (std::size_t i = 0; i < end; ++i) {
    const KeptGroup& g = object.groups[i];
    const double v = std::strtod(g.value.c_str(), nullptr);
    if (g.code == 210) n.x = v;
    else if (g.code == 220) n.y = v;
    else if (g.code == 230) n.z = v;
  }
  return n;
}

std::string RealText(double value) {
  char text[kShortestRealRoom];
  return std::string(text, WriteShortestReal(text, value));
}

// Moves the listed points of a kept entity by `d` (its plane points by `d`
// seen in its plane).
void MoveKeptPoints(KeptObject& object, const KeptPoints& points, const Point3& d) {
  const Point3 p = WorldToPlane(d, KeptNormal(object));
  const std::size_t end = XdataStart(object.groups);
  for (std::size_t i = 0; i < end; ++i) {
    KeptGroup& g = object.groups[i];
    const int axis = g.code >= 10 && g.code <= 19 ? 0 : g.code >= 20 && g.code <= 29 ? 1 : g.code >= 30 && g.code <= 39 ? 2 : -1;
    if (axis < 0) continue;
    const int x = g.code - 10 * axis;
    const Point3* by = Holds(points.world, x) ? &d : Holds(points.plane, x) ? &p : nullptr;
    if (by == nullptr) continue;
    const double shift = axis == 0 ? by->x : axis == 1 ? by->y : by->z;
    g.value = RealText(std::strtod(g.value.c_str(), nullptr) + shift);
  }
}

// The value of a kept entity's first group `code` before its xdata.
KeptGroup* FindKept(KeptObject& object, int code) {
  const std::size_t end = XdataStart(object.groups);
  for (std::size_t i = 0; i < end; ++i)
    if (object.groups[i].code == code) return &object.groups[i];
  return nullptr;
}

MoveResult MoveAny(Database& db, ObjectId id, const Point3& d);

// A dimension's graphics: the block its group 2 names.
ObjectId DimensionBlock(const Database& db, KeptObject& dimension) {
  const KeptGroup* name = FindKept(dimension, 2);
  if (name == nullptr) return {};
  return db.Block(host::DecodeUtf8(TrimDxf(name->value)));
}

void MoveBlockContents(Database& db, ObjectId block, const Point3& d) {
  const BlockRecord* record = db.BlockRecordOf(block);
  if (record == nullptr) return;
  const std::vector<std::uint64_t> handles = record->entities;
  for (std::uint64_t h : handles) (void)MoveAny(db, db.IdOf(h), d);
}

MoveResult MoveAny(Database& db, ObjectId id, const Point3& d) {
  if (Entity* entity = db.EntityOf(id)) {
    if (entity->erased) return MoveResult::kNoEntity;
    MoveModelled(db, *entity, d);
    return MoveResult::kMoved;
  }
  KeptObject* kept = KeptEntityOf(db, id);
  if (kept == nullptr) return MoveResult::kNoEntity;
  const KeptPoints* points = PointsOf(kept->type);
  if (points == nullptr) return MoveResult::kNotMovable;
  MoveKeptPoints(*kept, *points, d);
  if (points->dimensionBlock) MoveBlockContents(db, DimensionBlock(db, *kept), d);
  return MoveResult::kMoved;
}

// A kept entity's groups for a copy: application lists (reactors, extension
// dictionaries) name the original's companions and are left out.
KeptGroups CopiedGroups(const KeptGroups& groups) {
  KeptGroups out;
  out.reserve(groups.size());
  bool inAppList = false;
  for (const KeptGroup& g : groups) {
    if (g.code == 102) {
      inAppList = !TrimDxf(g.value).starts_with("}");
      continue;
    }
    if (!inAppList) out.push_back(g);
  }
  return out;
}

// A new anonymous dimension block name: "*D" and the next number free.
std::wstring FreeDimensionBlockName(const Database& db) {
  long next = 1;
  for (const BlockRecord& r : db.Blocks()) {
    if (r.name.size() < 3 || r.name[0] != L'*' || (r.name[1] != L'D' && r.name[1] != L'd')) continue;
    const long n = std::wcstol(r.name.c_str() + 2, nullptr, 10);
    next = std::max(next, n + 1);
  }
  return L"*D" + std::to_wstring(next);
}

MoveResult CopyAny(Database& db, ObjectId id, ObjectId space, const Point3& d, ObjectId* copy);

// A copy of a dimension's block, its contents moved by `d`; null when the
// dimension names no block.
ObjectId CopyDimensionBlock(Database& db, ObjectId block, const Point3& d) {
  const BlockRecord* record = db.BlockRecordOf(block);
  if (record == nullptr) return {};
  const std::wstring name = FreeDimensionBlockName(db);
  const Point3 base = record->base;
  const std::vector<std::uint64_t> handles = record->entities;
  const ObjectId made = db.IdOf(db.AdoptBlock(BlockRecord{0, name, base, {}, false}).handle);
  for (std::uint64_t h : handles) {
    ObjectId ignored;
    (void)CopyAny(db, db.IdOf(h), made, d, &ignored);
  }
  return made;
}

MoveResult CopyAny(Database& db, ObjectId id, ObjectId space, const Point3& d, ObjectId* copy) {
  if (const Entity* entity = db.EntityOf(id)) {
    if (entity->erased) return MoveResult::kNoEntity;
    *copy = CopyEntity(db, id, db, space);
    if (copy->IsNull()) return MoveResult::kNoEntity;
    MoveModelled(db, *db.EntityOf(*copy), d);
    return MoveResult::kMoved;
  }
  const KeptObject* kept = KeptEntityOf(db, id);
  if (kept == nullptr) return MoveResult::kNoEntity;
  const KeptPoints* points = PointsOf(kept->type);
  if (points == nullptr) return MoveResult::kNotMovable;
  KeptObject made;
  made.type = kept->type;
  made.groups = CopiedGroups(kept->groups);
  made.owner = db.HandleOf(space);
  MoveKeptPoints(made, *points, d);
  if (points->dimensionBlock) {
    const ObjectId block = CopyDimensionBlock(db, DimensionBlock(db, made), d);
    KeptGroup* name = FindKept(made, 2);
    if (!block.IsNull() && name != nullptr) name->value = host::EncodeUtf8(db.BlockRecordOf(block)->name);
  }
  made.handle = db.ClaimKeptHandle(0);
  const std::uint64_t handle = made.handle;
  db.EnsureKept().entities.emplace(handle, std::move(made));
  db.ListKeptEntity(db.HandleOf(space), handle);
  *copy = db.IdOf(handle);
  return MoveResult::kMoved;
}

}  // namespace

namespace {

template <class Db>
auto* FindKeptEntity(Db& db, ObjectId id) {
  auto* kept = db.Kept();
  const std::uint64_t handle = db.HandleOf(id);
  if (kept == nullptr || handle == 0) return decltype(&kept->entities.begin()->second)(nullptr);
  auto it = kept->entities.find(handle);
  return it == kept->entities.end() ? nullptr : &it->second;
}

}  // namespace

KeptObject* KeptEntityOf(Database& db, ObjectId id) { return FindKeptEntity(db, id); }
const KeptObject* KeptEntityOf(const Database& db, ObjectId id) { return FindKeptEntity(db, id); }

std::wstring EntityTypeName(const Database& db, ObjectId id) {
  if (const Entity* entity = db.EntityOf(id)) return TypeName(entity->Type());
  if (const KeptObject* kept = KeptEntityOf(db, id)) return host::DecodeUtf8(kept->type);
  return {};
}

MoveResult MoveEntity(Database& db, ObjectId id, const Point3& d) { return MoveAny(db, id, d); }

MoveResult CopyEntityMoved(Database& db, ObjectId id, const Point3& d, ObjectId* copy) {
  *copy = {};
  std::uint64_t owner = 0;
  if (const Entity* entity = db.EntityOf(id)) owner = entity->owner;
  else if (const KeptObject* kept = KeptEntityOf(db, id)) owner = kept->owner;
  if (owner == 0) return MoveResult::kNoEntity;
  return CopyAny(db, id, db.IdOf(owner), d, copy);
}

}  // namespace host::db
