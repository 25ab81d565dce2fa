#include "host/db/entity_groups.h"

#include <cmath>
#include <optional>
#include <vector>

namespace host::db {
namespace {

constexpr double kPi = 3.14159265358979323846;

bool IsDefaultNormal(const Point3& n) { return n.x == 0 && n.y == 0 && n.z == 1; }

const wchar_t* LayerName(const Database& db, std::uint64_t layer) {
  const LayerRecord* record = db.LayerRecordOf(db.IdOf(layer));
  return record ? record->name.c_str() : L"0";
}

void EmitNormal(GroupSink& sink, const Point3& normal) {
  if (sink.IsList() || !IsDefaultNormal(normal)) sink.Point(210, normal);
}

void EmitCommon(const Database& db, const Entity& entity, GroupSink& sink) {
  if (sink.IsList()) {
    sink.Handle(-1, entity.handle);
    sink.Text(0, TypeName(entity.Type()));
    sink.Handle(330, entity.owner);
    sink.Handle(5, entity.handle);
  } else {
    sink.Text(0, TypeName(entity.Type()));
    sink.Handle(5, entity.handle);
    sink.Handle(330, entity.owner);
  }
  sink.Text(100, L"AcDbEntity");
  if (const BlockRecord* space = db.BlockRecordOf(db.IdOf(entity.owner));
      space && space->handle == db.HandleOf(db.PaperSpace()))
    sink.Int(67, 1);
  sink.Text(8, LayerName(db, entity.layer));
  if (entity.color != kColorByLayer) sink.Int(62, entity.color);
}

struct Emitter {
  const Database& db;
  const Entity& entity;
  GroupSink& sink;

  void operator()(const LineData& d) {
    sink.Text(100, L"AcDbLine");
    sink.Point(10, d.start);
    sink.Point(11, d.end);
  }
  void operator()(const CircleData& d) {
    sink.Text(100, L"AcDbCircle");
    sink.Point(10, d.center);
    sink.Real(40, d.radius);
    EmitNormal(sink, d.normal);
  }
  void operator()(const ArcData& d) {
    sink.Text(100, L"AcDbCircle");
    sink.Point(10, d.center);
    sink.Real(40, d.radius);
    EmitNormal(sink, d.normal);
    sink.Text(100, L"AcDbArc");
    sink.Angle(50, d.startAngle);
    sink.Angle(51, d.endAngle);
  }
  void operator()(const PointData& d) {
    sink.Text(100, L"AcDbPoint");
    sink.Point(10, d.position);
  }
  void operator()(const TextData& d) {
    sink.Text(100, L"AcDbText");
    sink.Point(10, d.position);
    sink.Real(40, d.height);
    sink.Text(1, d.text);
    if (sink.IsList() || d.rotation != 0) sink.Angle(50, d.rotation);
    if (sink.IsList() || d.widthFactor != 1) sink.Real(41, d.widthFactor);
    const TextStyleRecord* style = db.TextStyleRecordOf(db.IdOf(d.style));
    sink.Text(7, style ? style->name.c_str() : L"Standard");
    bool aligned = d.horizontal != TextHorizontal::kLeft || d.vertical != TextVertical::kBase;
    if (sink.IsList() || d.horizontal != TextHorizontal::kLeft) sink.Int(72, static_cast<int>(d.horizontal));
    if (sink.IsList() || aligned) sink.Point(11, d.alignment);
    sink.Text(100, L"AcDbText");
    if (sink.IsList() || d.vertical != TextVertical::kBase) sink.Int(73, static_cast<int>(d.vertical));
  }
  void operator()(const LwPolylineData& d) {
    sink.Text(100, L"AcDbPolyline");
    sink.Int(90, static_cast<std::int32_t>(d.vertices.size()));
    sink.Int(70, (d.closed ? 1 : 0) | (d.plinegen ? 128 : 0));
    sink.Real(43, d.constantWidth);
    if (sink.IsList() || d.elevation != 0) sink.Real(38, d.elevation);
    // A width below 0 stands for the polyline's constant width (the default
    // of a vertex an add-in appends). A file has no such value: when every
    // vertex takes the constant width, group 43 alone carries it; otherwise
    // such a vertex is written with the width it stands for.
    bool allTakeConstant = !sink.IsList();
    for (std::size_t i = 0; allTakeConstant && i < d.vertices.size(); ++i) {
      const LwVertex v = d.vertices[i];
      allTakeConstant = v.startWidth < 0 && v.endWidth < 0;
    }
    for (const LwVertex& v : d.vertices) {
      sink.Point2(10, v.x, v.y);
      if (sink.IsList()) {
        sink.Real(40, v.startWidth);
        sink.Real(41, v.endWidth);
      } else if (!allTakeConstant) {
        const double start = v.startWidth < 0 ? d.constantWidth : v.startWidth;
        const double end = v.endWidth < 0 ? d.constantWidth : v.endWidth;
        if (start != 0 || end != 0) {
          sink.Real(40, start);
          sink.Real(41, end);
        }
      }
      if (sink.IsList() || v.bulge != 0) sink.Real(42, v.bulge);
    }
    EmitNormal(sink, d.normal);
  }
  void operator()(const PolylineData& d) {
    bool is3d = (d.flags & kPolyline3d) != 0;
    sink.Text(100, is3d ? L"AcDb3dPolyline" : L"AcDb2dPolyline");
    sink.Int(66, 1);
    sink.Point(10, Point3{0, 0, is3d ? 0 : d.elevation});
    sink.Int(70, d.flags);
    if (!is3d && (sink.IsList() || d.startWidth != 0 || d.endWidth != 0)) {
      sink.Real(40, d.startWidth);
      sink.Real(41, d.endWidth);
    }
    EmitNormal(sink, d.normal);
  }
  void operator()(const VertexData& d) {
    bool is3d = (d.flags & kVertex3d) != 0;
    sink.Text(100, L"AcDbVertex");
    sink.Text(100, is3d ? L"AcDb3dPolylineVertex" : L"AcDb2dVertex");
    sink.Point(10, d.position);
    if (!is3d) {
      if (sink.IsList() || d.startWidth != 0 || d.endWidth != 0) {
        sink.Real(40, d.startWidth);
        sink.Real(41, d.endWidth);
      }
      if (sink.IsList() || d.bulge != 0) sink.Real(42, d.bulge);
    }
    sink.Int(70, d.flags);
  }
  void operator()(const SeqEndData&) {
    if (sink.IsList()) sink.Handle(-2, entity.owner);
  }
  void operator()(const HatchData& d) {
    sink.Text(100, L"AcDbHatch");
    sink.Point(10, Point3{0, 0, d.elevation});
    sink.Point(210, d.normal);
    sink.Text(2, d.pattern);
    sink.Int(70, d.solid ? 1 : 0);
    sink.Int(71, d.associative ? 1 : 0);
    sink.Int(91, static_cast<std::int32_t>(d.loops.size()));
    for (const HatchLoop& loop : d.loops) {
      bool bulges = false;
      for (const LoopVertex& p : loop.points) bulges = bulges || p.bulge != 0;
      sink.Int(92, loop.flags | kLoopPolyline);
      sink.Int(72, bulges ? 1 : 0);
      sink.Int(73, loop.closed ? 1 : 0);
      sink.Int(93, static_cast<std::int32_t>(loop.points.size()));
      for (const LoopVertex& p : loop.points) {
        sink.Point2(10, p.x, p.y);
        if (bulges) sink.Real(42, p.bulge);
      }
      sink.Int(97, 0);
    }
    sink.Int(75, d.style);
    sink.Int(76, 1);
    if (!d.solid) {
      sink.Angle(52, 0);
      sink.Real(41, 1);
      sink.Int(77, 0);
      sink.Int(78, 0);
    }
    sink.Int(98, 0);
  }
  void operator()(const InsertData& d) {
    sink.Text(100, L"AcDbBlockReference");
    const BlockRecord* block = db.BlockRecordOf(db.IdOf(d.block));
    sink.Text(2, block ? block->name.c_str() : L"");
    sink.Point(10, d.position);
    if (sink.IsList() || d.scale.x != 1) sink.Real(41, d.scale.x);
    if (sink.IsList() || d.scale.y != 1) sink.Real(42, d.scale.y);
    if (sink.IsList() || d.scale.z != 1) sink.Real(43, d.scale.z);
    if (sink.IsList() || d.rotation != 0) sink.Angle(50, d.rotation);
    EmitNormal(sink, d.normal);
  }
};

// Applying ---------------------------------------------------------------------

struct Applier {
  Applier(Database& d, Entity& e, std::string* err) : db(d), entity(e), error(err) {}
  Database& db;
  Entity& entity;
  std::string* error;

  bool Fail(const Group& group, const char* what) {
    *error = std::string(what) + " (group " + std::to_string(group.code) + ")";
    return false;
  }

  bool NeedPoint(const Group& g, Point3* out) {
    const Point3* p = g.Point();
    if (p == nullptr) return Fail(g, "a point was expected");
    if (!std::isfinite(p->x) || !std::isfinite(p->y) || !std::isfinite(p->z))
      return Fail(g, "a coordinate is not a finite number");
    *out = *p;
    return true;
  }
  bool NeedReal(const Group& g, double* out) {
    if (!std::holds_alternative<double>(g.value) && !std::holds_alternative<std::int32_t>(g.value))
      return Fail(g, "a number was expected");
    if (!std::isfinite(g.Number())) return Fail(g, "not a finite number");
    *out = g.Number();
    return true;
  }
  bool NeedInt(const Group& g, int* out) {
    if (!std::holds_alternative<std::int32_t>(g.value)) return Fail(g, "an integer was expected");
    *out = g.Int();
    return true;
  }
  bool NeedText(const Group& g, std::wstring* out) {
    const std::wstring* t = g.Text();
    if (t == nullptr) return Fail(g, "text was expected");
    *out = *t;
    return true;
  }

  bool Apply(LineData& d, const Group& g) {
    if (g.code == 10) return NeedPoint(g, &d.start);
    if (g.code == 11) return NeedPoint(g, &d.end);
    return true;
  }
  bool Apply(CircleData& d, const Group& g) {
    if (g.code == 10) return NeedPoint(g, &d.center);
    if (g.code == 40) return NeedReal(g, &d.radius);
    if (g.code == 210) return NeedPoint(g, &d.normal);
    return true;
  }
  bool Apply(ArcData& d, const Group& g) {
    if (g.code == 10) return NeedPoint(g, &d.center);
    if (g.code == 40) return NeedReal(g, &d.radius);
    if (g.code == 210) return NeedPoint(g, &d.normal);
    if (g.code == 50) return NeedReal(g, &d.startAngle);
    if (g.code == 51) return NeedReal(g, &d.endAngle);
    return true;
  }
  bool Apply(PointData& d, const Group& g) {
    if (g.code == 10) return NeedPoint(g, &d.position);
    return true;
  }
  bool Apply(TextData& d, const Group& g) {
    int n = 0;
    switch (g.code) {
      case 10: return NeedPoint(g, &d.position);
      case 11: return NeedPoint(g, &d.alignment);
      case 40: return NeedReal(g, &d.height);
      case 41: return NeedReal(g, &d.widthFactor);
      case 50: return NeedReal(g, &d.rotation);
      case 1: return NeedText(g, &d.text);
      case 7: {
        std::wstring name;
        if (!NeedText(g, &name)) return false;
        ObjectId style = db.TextStyle(name);
        if (style.IsNull()) return Fail(g, "no such text style");
        d.style = style.handle;
        return true;
      }
      case 72:
        if (!NeedInt(g, &n)) return false;
        if (n < 0 || n > 5) return Fail(g, "horizontal justification out of range");
        d.horizontal = static_cast<TextHorizontal>(n);
        return true;
      case 73:
        if (!NeedInt(g, &n)) return false;
        if (n < 0 || n > 3) return Fail(g, "vertical justification out of range");
        d.vertical = static_cast<TextVertical>(n);
        return true;
      default: return true;
    }
  }
  bool lwStarted = false;
  // The vertex whose groups are being read: it joins the list whole, so
  // that the list keeps shared widths shared.
  std::optional<LwVertex> pendingVertex;
  bool pendingHasWidth = false;
  // Vertices that give no width of their own: they take the constant width
  // (group 43), wherever in the list that comes.
  std::vector<std::size_t> constantWidthVertices;
  void FinishVertex(LwPolylineData& d) {
    if (pendingVertex) {
      if (!pendingHasWidth) constantWidthVertices.push_back(d.vertices.size());
      d.vertices.push_back(*pendingVertex);
    }
    pendingVertex.reset();
    pendingHasWidth = false;
  }
  void FinishLwPolyline(LwPolylineData& d) {
    FinishVertex(d);
    if (d.constantWidth == 0) return;
    for (std::size_t i : constantWidthVertices) {
      LwVertex v = d.vertices[i];
      v.startWidth = v.endWidth = d.constantWidth;
      d.vertices.Set(i, v);
    }
  }
  bool Apply(LwPolylineData& d, const Group& g) {
    int n = 0;
    switch (g.code) {
      case 70:
        if (!NeedInt(g, &n)) return false;
        d.closed = (n & 1) != 0;
        d.plinegen = (n & 128) != 0;
        return true;
      case 43: return NeedReal(g, &d.constantWidth);
      case 38: return NeedReal(g, &d.elevation);
      case 210: return NeedPoint(g, &d.normal);
      case 10: {
        Point3 p;
        if (!NeedPoint(g, &p)) return false;
        if (!lwStarted) d.vertices.clear();
        FinishVertex(d);
        lwStarted = true;
        pendingVertex = LwVertex{p.x, p.y, 0, 0, 0};
        return true;
      }
      case 40:
      case 41:
      case 42: {
        if (!lwStarted) return Fail(g, "a vertex value before the first vertex");
        LwVertex& v = *pendingVertex;
        pendingHasWidth = pendingHasWidth || g.code != 42;
        return NeedReal(g, g.code == 40 ? &v.startWidth : g.code == 41 ? &v.endWidth : &v.bulge);
      }
      default: return true;
    }
  }
  bool Apply(PolylineData& d, const Group& g) {
    Point3 p;
    switch (g.code) {
      case 70: return NeedInt(g, &d.flags);
      case 10:
        if (!NeedPoint(g, &p)) return false;
        d.elevation = p.z;
        return true;
      case 40: return NeedReal(g, &d.startWidth);
      case 41: return NeedReal(g, &d.endWidth);
      case 210: return NeedPoint(g, &d.normal);
      default: return true;
    }
  }
  bool Apply(VertexData& d, const Group& g) {
    switch (g.code) {
      case 10: return NeedPoint(g, &d.position);
      case 40: return NeedReal(g, &d.startWidth);
      case 41: return NeedReal(g, &d.endWidth);
      case 42: return NeedReal(g, &d.bulge);
      case 70: return NeedInt(g, &d.flags);
      default: return true;
    }
  }
  bool Apply(SeqEndData&, const Group&) { return true; }

  // Hatch: the groups of a boundary path are read in the order they come.
  enum class HatchState { kHeader, kLoop, kEdge, kAfterLoops } hatchState = HatchState::kHeader;
  bool loopsStarted = false;
  bool polylineLoop = false;
  int edgeType = 0;
  Point3 edgeA, edgeB;
  double edgeRadius = 0, edgeStart = 0, edgeEnd = 0;
  int edgeCcw = 1;
  bool Apply(HatchData& d, const Group& g) {
    int n = 0;
    Point3 p;
    if (g.code == 92) {
      if (!NeedInt(g, &n)) return false;
      if (!loopsStarted) d.loops.clear();
      loopsStarted = true;
      FinishEdge(d);
      d.loops.push_back(HatchLoop{n & ~kLoopPolyline, true, {}});
      polylineLoop = (n & kLoopPolyline) != 0;
      hatchState = HatchState::kLoop;
      return true;
    }
    if (g.code == 97 || g.code == 75 || g.code == 98) {
      FinishEdge(d);
      if (g.code == 75) {
        hatchState = HatchState::kAfterLoops;
        return NeedInt(g, &d.style);
      }
      if (g.code == 98) hatchState = HatchState::kAfterLoops;
      return true;
    }
    if (hatchState == HatchState::kHeader || hatchState == HatchState::kAfterLoops) {
      switch (g.code) {
        case 10:
          if (hatchState == HatchState::kAfterLoops) return true;  // seed points
          if (!NeedPoint(g, &p)) return false;
          d.elevation = p.z;
          return true;
        case 210: return NeedPoint(g, &d.normal);
        case 2: return NeedText(g, &d.pattern);
        case 70:
          if (!NeedInt(g, &n)) return false;
          d.solid = n != 0;
          return true;
        case 71:
          if (!NeedInt(g, &n)) return false;
          d.associative = n != 0;
          return true;
        default: return true;
      }
    }
    HatchLoop& loop = d.loops.back();
    if (polylineLoop) {
      switch (g.code) {
        case 73:
          if (!NeedInt(g, &n)) return false;
          loop.closed = n != 0;
          return true;
        case 10:
          if (!NeedPoint(g, &p)) return false;
          loop.points.push_back(LoopVertex{p.x, p.y, 0});
          return true;
        case 42:
          if (loop.points.empty()) return Fail(g, "a bulge before the first boundary point");
          return NeedReal(g, &loop.points.back().bulge);
        default: return true;
      }
    }
    // A boundary of edges: lines and circular arcs become points with bulges.
    switch (g.code) {
      case 72:
        FinishEdge(d);
        if (!NeedInt(g, &edgeType)) return false;
        hatchState = HatchState::kEdge;
        edgeCcw = 1;
        return true;
      case 10: return NeedPoint(g, &edgeA);
      case 11: return NeedPoint(g, &edgeB);
      case 40: return NeedReal(g, &edgeRadius);
      case 50: return NeedReal(g, &edgeStart);
      case 51: return NeedReal(g, &edgeEnd);
      case 73: return NeedInt(g, &edgeCcw);
      default: return true;
    }
  }
  // Edge arcs carry degrees in both forms, as files give them.
  void FinishEdge(HatchData& d) {
    if (hatchState != HatchState::kEdge || d.loops.empty()) return;
    HatchLoop& loop = d.loops.back();
    if (edgeType == 1) {
      loop.points.push_back(LoopVertex{edgeA.x, edgeA.y, 0});
    } else if (edgeType == 2) {
      double start = edgeStart * kPi / 180, end = edgeEnd * kPi / 180;
      double sweep = end - start;
      while (sweep < 0) sweep += 2 * kPi;
      double angle = edgeCcw ? start : -start;
      double bulge = std::tan(sweep / 4) * (edgeCcw ? 1 : -1);
      loop.points.push_back(LoopVertex{edgeA.x + edgeRadius * std::cos(angle),
                                       edgeA.y + edgeRadius * std::sin(angle), bulge});
    }
    hatchState = HatchState::kLoop;
  }
  bool Apply(InsertData& d, const Group& g) {
    switch (g.code) {
      case 2: {
        std::wstring name;
        if (!NeedText(g, &name)) return false;
        ObjectId block = db.Block(name);
        if (block.IsNull()) return Fail(g, "no such block");
        d.block = block.handle;
        return true;
      }
      case 10: return NeedPoint(g, &d.position);
      case 41: return NeedReal(g, &d.scale.x);
      case 42: return NeedReal(g, &d.scale.y);
      case 43: return NeedReal(g, &d.scale.z);
      case 50: return NeedReal(g, &d.rotation);
      case 210: return NeedPoint(g, &d.normal);
      default: return true;
    }
  }

  bool ApplyCommon(const Group& g, bool addLayers) {
    if (g.code == 8) {
      std::wstring name;
      if (!NeedText(g, &name)) return false;
      ObjectId layer = addLayers ? db.EnsureLayer(name) : db.Layer(name);
      if (layer.IsNull()) return Fail(g, addLayers ? "not a valid layer name" : "no such layer");
      entity.layer = layer.handle;
      return true;
    }
    if (g.code == 62) {
      int color = 0;
      if (!NeedInt(g, &color)) return false;
      if (color < 0 || color > 256) return Fail(g, "colour out of range");
      entity.color = static_cast<std::int16_t>(color);
      return true;
    }
    return true;
  }
};

}  // namespace

void EmitEntity(const Database& db, const Entity& entity, GroupSink& sink, bool withXdata) {
  EmitCommon(db, entity, sink);
  std::visit(Emitter{db, entity, sink}, entity.data);
  if (withXdata && !entity.xdata.Empty()) sink.Extended(entity.xdata);
}

bool ApplyGroups(Database& db, Entity& entity, const EntityList& groups, bool addLayers, std::string* error) {
  Applier applier(db, entity, error);
  for (const Group& group : groups) {
    if (group.code == -3) break;
    if (group.code == 8 || group.code == 62) {
      if (!applier.ApplyCommon(group, addLayers)) return false;
      continue;
    }
    if (group.code < 0 || group.code == 0 || group.code == 5 || group.code == 100 || group.code == 330)
      continue;
    bool ok = std::visit([&](auto& data) { return applier.Apply(data, group); }, entity.data);
    if (!ok) return false;
  }
  if (auto* hatch = std::get_if<HatchData>(&entity.data)) applier.FinishEdge(*hatch);
  if (auto* polyline = std::get_if<LwPolylineData>(&entity.data)) applier.FinishLwPolyline(*polyline);
  return true;
}

bool IsAngleGroup(EntityType type, int code) {
  switch (type) {
    case EntityType::kArc: return code == 50 || code == 51;
    case EntityType::kText:
    case EntityType::kInsert: return code == 50;
    default: return false;
  }
}

}  // namespace host::db
