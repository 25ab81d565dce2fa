#include "host/db/blocks.h"

#include <type_traits>

#include <cmath>

namespace host::db {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The target's record of the same name, cloned from the source when missing.
std::uint64_t MapLayer(const Database& source, std::uint64_t layer, Database& target) {
  const LayerRecord* record = source.LayerRecordOf(source.IdOf(layer));
  if (record == nullptr) return target.EnsureLayer(L"0").handle;
  if (ObjectId id = target.Layer(record->name); !id.IsNull()) return id.handle;
  CloneRecords(source, {source.IdOf(layer)}, target, DuplicateRecords::kIgnore);
  return target.Layer(record->name).handle;
}

std::uint64_t MapStyle(const Database& source, std::uint64_t style, Database& target) {
  const TextStyleRecord* record = source.TextStyleRecordOf(source.IdOf(style));
  if (record == nullptr) return target.CurrentTextStyle().handle;
  if (ObjectId id = target.TextStyle(record->name); !id.IsNull()) return id.handle;
  CloneRecords(source, {source.IdOf(style)}, target, DuplicateRecords::kIgnore);
  return target.TextStyle(record->name).handle;
}

std::uint64_t MapBlock(const Database& source, std::uint64_t block, Database& target) {
  const BlockRecord* record = source.BlockRecordOf(source.IdOf(block));
  if (record == nullptr) return 0;
  if (&source == &target) return block;
  if (ObjectId id = target.Block(record->name); !id.IsNull()) return id.handle;
  ObjectId copy = target.AddBlock(record->name, record->base);
  for (std::uint64_t handle : record->entities) {
    const Entity* entity = source.EntityByHandle(handle);
    if (entity && !entity->erased) CopyEntity(source, source.IdOf(handle), target, copy);
  }
  return copy.handle;
}

void RegisterApps(const Xdata& xdata, Database& target) {
  for (const XdataBlock& block : xdata.Blocks())
    if (target.AppId(block.app).IsNull()) target.RegisterApp(block.app);
}

}  // namespace

ObjectId CopyEntity(const Database& source, ObjectId id, Database& target, ObjectId space) {
  const Entity* entity = source.EntityOf(id);
  if (entity == nullptr || target.BlockRecordOf(space) == nullptr) return {};
  EntityData data = entity->data;
  if (auto* text = std::get_if<TextData>(&data)) text->style = MapStyle(source, text->style, target);
  if (auto* insert = std::get_if<InsertData>(&data)) insert->block = MapBlock(source, insert->block, target);
  ObjectId copy;
  if (const auto* polyline = std::get_if<PolylineData>(&data)) {
    std::vector<VertexData> vertices;
    for (std::uint64_t vertex : polyline->vertices)
      if (const Entity* part = source.EntityByHandle(vertex); part && !part->erased)
        vertices.push_back(std::get<VertexData>(part->data));
    copy = target.AppendPolyline(*polyline, vertices, space);
    std::uint64_t layer = MapLayer(source, entity->layer, target);
    const auto& header = std::get<PolylineData>(target.EntityOf(copy)->data);
    for (std::uint64_t part : header.vertices) target.EntityByHandle(part)->layer = layer;
    target.EntityByHandle(header.seqEnd)->layer = layer;
  } else {
    copy = target.Append(std::move(data), space);
  }
  if (copy.IsNull()) return copy;
  Entity* made = target.EntityOf(copy);
  made->layer = MapLayer(source, entity->layer, target);
  made->color = entity->color;
  made->xdata = entity->xdata;
  RegisterApps(entity->xdata, target);
  return copy;
}

ObjectId InsertDrawingAsBlock(Database& target, std::wstring_view name, const Database& source) {
  if (!IsValidTableName(name) || !target.Block(name).IsNull() || &source == &target) return {};
  ObjectId block = target.AddBlock(name);
  for (ObjectId id : source.EntitiesIn(source.ModelSpace())) CopyEntity(source, id, target, block);
  return block;
}

int CloneRecords(const Database& source, const std::vector<ObjectId>& records, Database& target,
                 DuplicateRecords duplicates) {
  int cloned = 0;
  for (ObjectId id : records) {
    if (const LayerRecord* layer = source.LayerRecordOf(id); layer && !layer->erased) {
      LayerRecord copy = *layer;
      const LinetypeRecord* linetype = source.LinetypeRecordOf(source.IdOf(layer->linetype));
      ObjectId mapped = linetype ? target.Linetype(linetype->name) : ObjectId{};
      if (linetype && mapped.IsNull()) mapped = target.AddLinetype(linetype->name, linetype->description);
      copy.linetype = mapped.handle;
      if (LayerRecord* existing = target.LayerRecordOf(target.Layer(layer->name))) {
        if (duplicates == DuplicateRecords::kIgnore) continue;
        copy.handle = existing->handle;
        *existing = copy;
      } else {
        target.AddLayer(copy);
      }
      ++cloned;
    } else if (const TextStyleRecord* style = source.TextStyleRecordOf(id); style && !style->erased) {
      if (TextStyleRecord* existing = target.TextStyleRecordOf(target.TextStyle(style->name))) {
        if (duplicates == DuplicateRecords::kIgnore) continue;
        std::uint64_t handle = existing->handle;
        *existing = *style;
        existing->handle = handle;
      } else {
        target.AddTextStyle(*style);
      }
      ++cloned;
    } else if (const LinetypeRecord* linetype = source.LinetypeRecordOf(id); linetype && !linetype->erased) {
      if (!target.Linetype(linetype->name).IsNull()) continue;
      target.AddLinetype(linetype->name, linetype->description);
      ++cloned;
    } else {
      for (const AppIdRecord& app : source.AppIds()) {
        if (app.handle != source.HandleOf(id)) continue;
        if (target.RegisterApp(app.name) == RegisterResult::kAdded) ++cloned;
      }
    }
  }
  return cloned;
}

namespace {

struct Placement {
  Point3 base;
  Point3 position;
  Point3 scale;
  double rotation;
  double cosR, sinR;

  Point3 Apply(const Point3& p) const {
    double x = (p.x - base.x) * scale.x;
    double y = (p.y - base.y) * scale.y;
    return Point3{position.x + x * cosR - y * sinR, position.y + x * sinR + y * cosR,
                  position.z + (p.z - base.z) * scale.z};
  }
  // Uniform in x and y: curves stay curves. A negative scale turns by half
  // a circle; a mirror (scales of opposite sign) reverses the sense of arcs.
  bool Uniform() const { return std::fabs(std::fabs(scale.x) - std::fabs(scale.y)) <= 1e-12 * std::fabs(scale.x); }
  bool Mirrored() const { return (scale.x < 0) != (scale.y < 0); }
  double Length(double d) const { return d * std::fabs(scale.x); }
  double Angle(double a) const {
    double turned = Mirrored() ? (scale.x < 0 ? kPi - a : -a) : (scale.x < 0 ? a + kPi : a);
    return std::fmod(turned + rotation + 4 * kPi, 2 * kPi);
  }
};

bool HasCurves(const EntityData& data) {
  if (std::holds_alternative<ArcData>(data) || std::holds_alternative<CircleData>(data) ||
      std::holds_alternative<TextData>(data) || std::holds_alternative<InsertData>(data))
    return true;
  if (const auto* lw = std::get_if<LwPolylineData>(&data)) {
    for (const LwVertex& v : lw->vertices)
      if (v.bulge != 0 || v.startWidth != 0 || v.endWidth != 0) return true;
    return lw->constantWidth != 0;
  }
  if (const auto* hatch = std::get_if<HatchData>(&data)) {
    for (const HatchLoop& loop : hatch->loops)
      for (const LoopVertex& v : loop.points)
        if (v.bulge != 0) return true;
  }
  return false;
}

struct Transformer {
  const Placement& at;
  void operator()(LineData& d) const {
    d.start = at.Apply(d.start);
    d.end = at.Apply(d.end);
  }
  void operator()(CircleData& d) const {
    d.center = at.Apply(d.center);
    d.radius = at.Length(d.radius);
  }
  void operator()(ArcData& d) const {
    d.center = at.Apply(d.center);
    d.radius = at.Length(d.radius);
    double start = at.Angle(d.startAngle), end = at.Angle(d.endAngle);
    if (at.Mirrored()) std::swap(start, end);
    d.startAngle = start;
    d.endAngle = end;
  }
  void operator()(PointData& d) const { d.position = at.Apply(d.position); }
  void operator()(TextData& d) const {
    d.position = at.Apply(d.position);
    d.alignment = at.Apply(d.alignment);
    d.height = at.Length(d.height);
    d.rotation = at.Angle(d.rotation);
  }
  template <typename Vertex>
  Vertex Moved(Vertex v, double z) const {
    Point3 p = at.Apply(Point3{v.x, v.y, z});
    v.x = p.x;
    v.y = p.y;
    if (at.Mirrored()) v.bulge = -v.bulge;
    if constexpr (std::is_same_v<Vertex, LwVertex>) {
      v.startWidth = at.Length(v.startWidth);
      v.endWidth = at.Length(v.endWidth);
    }
    return v;
  }
  void Points(std::vector<LoopVertex>& points, double z) const {
    for (LoopVertex& v : points) v = Moved(v, z);
  }
  void Points(LwVertexList& points, double z) const {
    for (std::size_t i = 0; i < points.size(); ++i) points.Set(i, Moved(points[i], z));
  }
  void operator()(LwPolylineData& d) const {
    Points(d.vertices, d.elevation);
    d.constantWidth = at.Length(d.constantWidth);
    d.elevation = at.Apply(Point3{at.base.x, at.base.y, d.elevation}).z;
  }
  void operator()(HatchData& d) const {
    for (HatchLoop& loop : d.loops) Points(loop.points, d.elevation);
    d.elevation = at.Apply(Point3{at.base.x, at.base.y, d.elevation}).z;
  }
  void operator()(PolylineData& d) const { d.elevation = at.Apply(Point3{at.base.x, at.base.y, d.elevation}).z; }
  void operator()(VertexData& d) const {
    d.position = at.Apply(d.position);
    if (at.Mirrored()) d.bulge = -d.bulge;
    d.startWidth = at.Length(d.startWidth);
    d.endWidth = at.Length(d.endWidth);
  }
  void operator()(SeqEndData&) const {}
  void operator()(InsertData& d) const {
    d.position = at.Apply(d.position);
    d.scale = Point3{d.scale.x * at.scale.x, d.scale.y * at.scale.y, d.scale.z * at.scale.z};
    d.rotation = std::fmod(d.rotation + at.rotation + 2 * kPi, 2 * kPi);
  }
};

}  // namespace

ExplodeResult ExplodeToOwnerSpace(Database& db, ObjectId reference, std::vector<ObjectId>* added) {
  const Entity* entity = db.EntityOf(reference);
  const auto* insert = entity ? std::get_if<InsertData>(&entity->data) : nullptr;
  if (insert == nullptr) return ExplodeResult::kNotABlockReference;
  const BlockRecord* block = db.BlockRecordOf(db.IdOf(insert->block));
  if (block == nullptr) return ExplodeResult::kNotApplicable;
  if (!(insert->normal == Point3{0, 0, 1})) return ExplodeResult::kNotApplicable;
  Placement at{block->base, insert->position, insert->scale, insert->rotation,
               std::cos(insert->rotation), std::sin(insert->rotation)};
  std::vector<std::uint64_t> parts;
  for (std::uint64_t handle : block->entities) {
    const Entity* part = db.EntityByHandle(handle);
    if (part == nullptr || part->erased) continue;
    if (!at.Uniform() && HasCurves(part->data)) return ExplodeResult::kNotApplicable;
    parts.push_back(handle);
  }
  ObjectId space = db.IdOf(entity->owner);
  for (std::uint64_t handle : parts) {
    ObjectId copy = CopyEntity(db, db.IdOf(handle), db, space);
    Entity* made = db.EntityOf(copy);
    std::visit(Transformer{at}, made->data);
    if (const auto* polyline = std::get_if<PolylineData>(&made->data)) {
      for (std::uint64_t vertex : polyline->vertices) std::visit(Transformer{at}, db.EntityByHandle(vertex)->data);
    }
    if (added) added->push_back(copy);
  }
  return ExplodeResult::kOk;
}

}  // namespace host::db
