// Profiles built from the levels of drawn entities.
#include "common/cad/profile_entity.h"

#include <cfloat>
#include <cmath>
#include <cwchar>
#include <optional>
#include <string_view>

#include "common/cad/entity_groups.h"
#include "common/geometry/plane_geometry.h"
#include "common/geometry/profile.h"
#include "host/db/entity_list.h"
#include "host/db/world_geometry.h"

namespace {

using host::db::EntityList;
using host::db::Group;
using host::db::Point3;

// Appends elements one after the other in the profile plane and keeps the
// extents, the road length and whether any level changes.
class ProfileBuilder {
 public:
  explicit ProfileBuilder(GrowArray& list) : list_(list) {}

  // An element from (x1, z1) to (x2, z2), headed along itself.
  [[nodiscard]] bool Add(double x1, double z1, double x2, double z2) {
    const double h = Bearing2d(x1, z1, x2, z2);
    return Add(x1, z1, x2, z2, h, h, 0.0, 0.0);
  }
  [[nodiscard]] bool Add(double x1, double z1, double x2, double z2, double headingStart,
                         double headingEnd, double centreX, double centreY) {
    GeometryElement e{};
    e.startChainage = x1;
    e.length = x2 - x1;
    e.startX = x1;
    e.startY = z1;
    e.endX = x2;
    e.endY = z2;
    e.headingStart = headingStart;
    e.headingEnd = headingEnd;
    e.centreX = centreX;
    e.centreY = centreY;
    if (!GrowArraySet(&list_, count_, &e)) return false;
    if (count_ == 0) Extend(x1, z1);
    Extend(x2, z2);
    ++count_;
    length_ += e.length;
    if (z1 != z2) levelChanges_ = true;
    return true;
  }

  void Finish(HzGeometry& header, VtProfile& frame) const {
    header.elementCount = count_;
    header.roadLength = length_;
    if (levelChanges_) header.reservedShort[0] = static_cast<std::int16_t>(header.reservedShort[0] | 1);
    if (count_ > 0) {
      frame.minX = minX_;
      frame.minY = minY_;
      frame.maxX = maxX_;
      frame.maxY = maxY_;
    }
  }

 private:
  void Extend(double x, double y) {
    if (count_ == 0 && !extended_) {
      minX_ = maxX_ = x;
      minY_ = maxY_ = y;
      extended_ = true;
      return;
    }
    minX_ = std::fmin(minX_, x);
    maxX_ = std::fmax(maxX_, x);
    minY_ = std::fmin(minY_, y);
    maxY_ = std::fmax(maxY_, y);
  }

  GrowArray& list_;
  std::int32_t count_ = 0;
  double length_ = 0.0;
  bool levelChanges_ = false;
  bool extended_ = false;
  double minX_ = 0.0, minY_ = 0.0, maxX_ = 0.0, maxY_ = 0.0;
};

void ResetProfile(HzGeometry& header, VtProfile& frame) {
  header = HzGeometry{};
  std::wcscpy(header.path, kProfileFromPolyline);
  frame = VtProfile{};
  std::wcscpy(frame.sourcePath, kProfileFromPolyline);
  frame.verticalScale = 1.0;
}

bool LineProfile(const EntityList& list, ProfileBuilder& out) {
  const Group* start = host::db::FindGroup(list, 10);
  const Group* end = host::db::FindGroup(list, 11);
  if (start == nullptr || end == nullptr || !start->Point() || !end->Point()) return false;
  const Point3 a = *start->Point();
  const Point3 b = *end->Point();
  return out.Add(0.0, a.z, Distance2d(a.x, a.y, b.x, b.y), b.z);
}

bool PolylineProfile(host::EntityName entity, const EntityList& list, ProfileBuilder& out) {
  const Group* flags = host::db::FindGroup(list, 70);
  const bool closed = flags != nullptr && (flags->Int() & 1) != 0;
  bool any = false;
  Point3 first{}, previous{};
  double distance = 0.0;
  for (host::EntityName name = host::db::NextEntity(entity); !name.IsNull();
       name = host::db::NextEntity(name)) {
    const std::optional<EntityList> vertex = host::db::GetEntityList(name);
    if (!vertex || host::db::FindGroup(*vertex, -2) != nullptr) break;
    const Group* point = host::db::FindGroup(*vertex, 10);
    if (point == nullptr || !point->Point()) return false;
    const Point3 p = *point->Point();
    if (any) {
      const double plan = Distance2d(previous.x, previous.y, p.x, p.y);
      if (!out.Add(distance, previous.z, distance + plan, p.z)) return false;
      distance += plan;
    } else {
      first = p;
      any = true;
    }
    previous = p;
  }
  if (closed && any) {
    const double plan = Distance2d(previous.x, previous.y, first.x, first.y);
    if (!out.Add(distance, previous.z, distance + plan, first.z)) return false;
  }
  return true;
}

// One segment of a lightweight polyline at the given level: along its plan
// arc when the segment's start carries a bulge.
bool LwSegment(const Point3& a, double bulge, const Point3& b, double level, double& distance,
               ProfileBuilder& out) {
  if (std::fabs(bulge) > DBL_MIN) {
    double length = 0, hs = 0, he = 0, radius = 0, cx = 0, cy = 0;
    ArcElementFromBulge(a.x, a.y, b.x, b.y, bulge, length, hs, he, radius, cx, cy);
    if (!out.Add(distance, level, distance + length, level, hs, he, cx, cy)) return false;
    distance += length;
    return true;
  }
  const double plan = Distance2d(a.x, a.y, b.x, b.y);
  const double h = Bearing2d(a.x, a.y, b.x, b.y);
  if (!out.Add(distance, level, distance + plan, level, h, h, 0.0, 0.0)) return false;
  distance += plan;
  return true;
}

// The level of a lightweight polyline is where its plane lies: its
// elevation, taken downwards when the plane is seen from below.
bool LwPolylineProfile(host::EntityName entity, ProfileBuilder& out) {
  double distance = 0.0;
  return ForEachLwPolylineSegment(entity, [&](const Point3& a, double bulge, const Point3& b) {
    return LwSegment(a, bulge, b, a.z, distance, out);
  });
}

// The level of an arc or circle is that of its centre where it lies.
bool CentreLevel(host::EntityName entity, double& z) {
  const std::optional<host::db::WorldArc> arc = host::db::ArcInWorld(entity);
  if (arc) z = arc->center.z;
  return arc.has_value();
}

bool ArcProfile(host::EntityName entity, const EntityList& list, ProfileBuilder& out) {
  const Group* centre = host::db::FindGroup(list, 10);
  const Group* radius = host::db::FindGroup(list, 40);
  const Group* start = host::db::FindGroup(list, 50);
  const Group* end = host::db::FindGroup(list, 51);
  if (!centre || !radius || !start || !end || !centre->Point()) return false;
  double sweep = end->Number() - start->Number();
  if (sweep < 0.0) sweep += kTwoPi9;
  double z = 0.0;
  if (!CentreLevel(entity, z)) return false;
  return out.Add(0.0, z, radius->Number() * sweep, z);
}

bool CircleProfile(host::EntityName entity, const EntityList& list, ProfileBuilder& out) {
  const Group* centre = host::db::FindGroup(list, 10);
  const Group* radius = host::db::FindGroup(list, 40);
  if (!centre || !radius || !centre->Point()) return false;
  const double half = kPi9 * radius->Number();
  double z = 0.0;
  if (!CentreLevel(entity, z)) return false;
  return out.Add(0.0, z, half, z) && out.Add(half, z, 2.0 * half, z);
}

}  // namespace

bool ProfileFromPolyline(host::EntityName entity, HzGeometry& header, VtProfile& frame,
                         GrowArray& elements) {
  ResetProfile(header, frame);
  const std::optional<EntityList> list = PlainEntityGroups(entity);
  if (!list) return false;
  const Group* type = host::db::FindGroup(*list, 0);
  if (type == nullptr || type->Text() == nullptr) return false;
  const std::wstring& name = *type->Text();
  ProfileBuilder out(elements);
  bool ok = false;
  if (SameNameNoCase(name, L"LINE"))
    ok = LineProfile(*list, out);
  else if (SameNameNoCase(name, L"POLYLINE"))
    ok = PolylineProfile(entity, *list, out);
  else if (SameNameNoCase(name, L"LWPOLYLINE"))
    ok = LwPolylineProfile(entity, out);
  else if (SameNameNoCase(name, L"ARC"))
    ok = ArcProfile(entity, *list, out);
  else if (SameNameNoCase(name, L"CIRCLE"))
    ok = CircleProfile(entity, *list, out);
  if (!ok) return false;
  out.Finish(header, frame);
  return true;
}
