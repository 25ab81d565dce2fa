#include "host/db/world_geometry.h"

#include <cmath>

namespace host::db {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Normals closer than this to the z axis (in x and in y) take the y axis
// to make their plane's x axis.
constexpr double kNearZ = 1.0 / 64.0;

Point3 Cross(const Point3& a, const Point3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Point3 Unit(const Point3& v) {
  const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 1};
  return {v.x / length, v.y / length, v.z / length};
}

// The plane's axes in world coordinates.
struct Axes {
  Point3 x, y, z;
};

Axes AxesOf(const Point3& normal) {
  Axes a;
  a.z = Unit(normal);
  const bool nearZ = std::fabs(a.z.x) < kNearZ && std::fabs(a.z.y) < kNearZ;
  a.x = Unit(Cross(nearZ ? Point3{0, 1, 0} : Point3{0, 0, 1}, a.z));
  a.y = Unit(Cross(a.z, a.x));
  return a;
}

double Dot(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A bulge of the plane as seen from above.
double BulgeSeenFromAbove(double bulge, const Point3& normal) { return Unit(normal).z < 0 ? -bulge : bulge; }

const Entity* Find(EntityName name) {
  const Database* db = DatabaseOf(name);
  const Entity* entity = db ? db->EntityOf(name) : nullptr;
  return entity != nullptr && !entity->erased ? entity : nullptr;
}

}  // namespace

Point3 PlaneToWorld(const Point3& p, const Point3& normal) {
  if (IsWorldPlane(normal)) return p;
  const Axes a = AxesOf(normal);
  return {p.x * a.x.x + p.y * a.y.x + p.z * a.z.x, p.x * a.x.y + p.y * a.y.y + p.z * a.z.y,
          p.x * a.x.z + p.y * a.y.z + p.z * a.z.z};
}

Point3 WorldToPlane(const Point3& p, const Point3& normal) {
  if (IsWorldPlane(normal)) return p;
  const Axes a = AxesOf(normal);
  return {Dot(p, a.x), Dot(p, a.y), Dot(p, a.z)};
}

bool IsWorldPlane(const Point3& normal) {
  const Point3 n = Unit(normal);
  return n.x == 0 && n.y == 0 && n.z == 1;
}

std::optional<WorldArc> ArcInWorld(EntityName name) {
  const Entity* entity = Find(name);
  if (entity == nullptr) return std::nullopt;
  WorldArc arc;
  Point3 center;
  double from = 0, to = 0;
  if (const auto* d = std::get_if<ArcData>(&entity->data)) {
    center = d->center;
    arc.radius = d->radius;
    arc.normal = Unit(d->normal);
    from = d->startAngle;
    to = d->endAngle;
    arc.sweep = to - from;
    if (arc.sweep < 0) arc.sweep += 2 * kPi;
  } else if (const auto* c = std::get_if<CircleData>(&entity->data)) {
    center = c->center;
    arc.radius = c->radius;
    arc.normal = Unit(c->normal);
    arc.sweep = 2 * kPi;
  } else {
    return std::nullopt;
  }
  const auto onArc = [&](double angle) {
    return PlaneToWorld(Point3{center.x + arc.radius * std::cos(angle), center.y + arc.radius * std::sin(angle), center.z},
                        arc.normal);
  };
  arc.center = PlaneToWorld(center, arc.normal);
  arc.start = onArc(from);
  arc.end = onArc(to);
  arc.clockwise = arc.normal.z < 0;
  return arc;
}

std::optional<std::vector<WorldVertex>> LwPolylineInWorld(EntityName name, bool* closed) {
  const Entity* entity = Find(name);
  const auto* d = entity ? std::get_if<LwPolylineData>(&entity->data) : nullptr;
  if (d == nullptr) return std::nullopt;
  std::vector<WorldVertex> out;
  out.reserve(d->vertices.size());
  for (const LwVertex& v : d->vertices)
    out.push_back({PlaneToWorld(Point3{v.x, v.y, d->elevation}, d->normal), BulgeSeenFromAbove(v.bulge, d->normal)});
  if (closed != nullptr) *closed = d->closed;
  return out;
}

std::optional<WorldVertex> VertexInWorld(EntityName name) {
  const Entity* entity = Find(name);
  const auto* v = entity ? std::get_if<VertexData>(&entity->data) : nullptr;
  if (v == nullptr) return std::nullopt;
  const Database* db = DatabaseOf(name);
  const Entity* owner = db->EntityByHandle(entity->owner);
  const auto* polyline = owner ? std::get_if<PolylineData>(&owner->data) : nullptr;
  if (polyline == nullptr || (polyline->flags & kPolyline3d) != 0 || (v->flags & kVertex3d) != 0 ||
      IsWorldPlane(polyline->normal))
    return WorldVertex{v->position, v->bulge};
  // A 2D polyline's vertices lie at its elevation in its plane.
  const Point3 inPlane{v->position.x, v->position.y, polyline->elevation};
  return WorldVertex{PlaneToWorld(inPlane, polyline->normal), BulgeSeenFromAbove(v->bulge, polyline->normal)};
}

}  // namespace host::db
