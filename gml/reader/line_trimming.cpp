#include "gml/reader/line_trimming.h"

#include <cstring>

#include "common/geometry/plane_geometry.h"
#include "gml/reader/feature_records.h"

namespace {

const Crossing* Entries(const GrowArray& list) { return static_cast<const Crossing*>(list.data); }

bool LevelAt(double station, const VtProfile& profile, const HzGeometry& header,
             const GrowArray& grades, double* level) {
  bool found = false;
  if (!ProfileLevelAt(station, *level, found, grades, header.elementCount, profile.minY,
                      profile.maxY, profile))
    return false;
  return found;
}

// True when an entry of `kind` lies within the tolerance of `station`.
bool HasCrossingOfKind(std::int32_t kind, double station, const GrowArray& crossings) {
  const Crossing* c = Entries(crossings);
  for (std::int32_t i = 0; i < crossings.count; ++i) {
    const double d = c[i].station - station;
    if (c[i].kind == kind && d <= kCrossingTolerance && d >= -kCrossingTolerance) return true;
  }
  return false;
}

}  // namespace

bool BuildLineGeometry(const GrowArray& tuples, HzGeometry* alignment, GrowArray* elements,
                       VtProfile* profile, HzGeometry* profileHeader, GrowArray* grades) {
  *alignment = HzGeometry{};
  *profileHeader = HzGeometry{};
  *profile = VtProfile{};
  std::wcsncpy(profile->sourcePath, kProfileFromPolyline, kProfilePathChars - 1);
  profile->verticalScale = 1.0;
  if (tuples.count < 2) return false;
  const auto* t = static_cast<const CoordinateTuple*>(tuples.data);
  double chainage = 0;
  bool level = true;
  profile->minX = profile->minY = 1e300;
  profile->maxX = profile->maxY = -1e300;
  for (std::int32_t i = 0; i + 1 < tuples.count; ++i) {
    GeometryElement e{};
    e.startChainage = chainage;
    e.length = Distance2d(t[i].x, t[i].y, t[i + 1].x, t[i + 1].y);
    e.startX = t[i].x;
    e.startY = t[i].y;
    e.endX = t[i + 1].x;
    e.endY = t[i + 1].y;
    e.headingStart = e.headingEnd = Bearing2d(t[i].x, t[i].y, t[i + 1].x, t[i + 1].y);
    if (!GrowArraySetGrowBy(elements, elements->count, &e, 100)) return false;

    GeometryElement g{};
    g.startChainage = chainage;
    g.length = e.length;
    g.startX = chainage;
    g.startY = t[i].z;
    g.endX = chainage + e.length;
    g.endY = t[i + 1].z;
    g.headingStart = g.headingEnd = Bearing2d(g.startX, g.startY, g.endX, g.endY);
    if (!GrowArraySetGrowBy(grades, grades->count, &g, 100)) return false;
    if (t[i].z != t[i + 1].z) level = false;
    for (double x : {g.startX, g.endX}) {
      if (x < profile->minX) profile->minX = x;
      if (x > profile->maxX) profile->maxX = x;
    }
    for (double y : {g.startY, g.endY}) {
      if (y < profile->minY) profile->minY = y;
      if (y > profile->maxY) profile->maxY = y;
    }
    chainage += e.length;
  }
  alignment->elementCount = elements->count;
  alignment->roadLength = chainage;
  std::wcsncpy(profileHeader->id, L"", 1);
  profileHeader->elementCount = grades->count;
  profileHeader->roadLength = chainage;
  if (!level) profileHeader->reservedShort[0] |= 2;
  return true;
}

bool HasCrossingAtStation(double station, const GrowArray& crossings) {
  const Crossing* c = Entries(crossings);
  for (std::int32_t i = 0; i < crossings.count; ++i) {
    const double d = c[i].station - station;
    if (d <= kCrossingTolerance && d >= -kCrossingTolerance) return true;
  }
  return false;
}

void SortCrossingsByStation(GrowArray* crossings, std::int32_t count) {
  auto* c = static_cast<Crossing*>(crossings->data);
  for (std::int32_t pass = 0; pass + 1 < count; ++pass) {
    bool swapped = false;
    for (std::int32_t i = 0; i + 1 < count - pass; ++i) {
      if (c[i + 1].station < c[i].station) {
        std::swap(c[i], c[i + 1]);
        swapped = true;
      }
    }
    if (!swapped) break;
  }
}

bool FindFilterCrossings(const AreaFilter& filter, const HzGeometry& alignment,
                         const GrowArray& elements, const VtProfile& profile,
                         const HzGeometry& profileHeader, const GrowArray& grades,
                         GrowArray* crossings, std::int32_t* count) {
  const auto* e = static_cast<const GeometryElement*>(elements.data);
  const std::int32_t n = alignment.elementCount;
  for (std::int32_t i = 0; i < n; ++i) {
    double x, y;
    bool restart = true;
    while (filter.FindOutlineCrossing(&x, &y, e[i].startX, e[i].startY, e[i].endX, e[i].endY,
                                      restart)) {
      restart = false;
      ChainageOffset where{};
      ElementChainageOffset(x, y, e[i], where);
      double station;
      // A crossing just beyond either end of the straight counts at that end.
      if (where.status == kProjectionOnElement)
        station = where.chainage;
      else if (where.status == kProjectionBefore)
        station = e[i].startChainage;
      else if (where.status == kProjectionPastEnd)
        station = e[i].startChainage + e[i].length;
      else
        continue;
      double z;
      if (!LevelAt(station, profile, profileHeader, grades, &z)) continue;
      double ax, ay, heading;
      ElementPointAt(station + kCrossingTolerance, 0, ax, ay, heading, e[i]);
      Crossing c{filter.PointInFilter(ax, ay) ? 2 : 3, x, y, z, station};
      // The segment test is loose at the ends of a straight, so a crossing
      // at or near a vertex is found again by the next straight: keep it once.
      if (HasCrossingOfKind(c.kind, station, *crossings)) continue;
      if (!GrowArraySetGrowBy(crossings, crossings->count, &c, 50)) return false;
    }
  }
  for (std::int32_t i = 0; i < n; ++i) {
    if (i == 0 && !HasCrossingAtStation(0, *crossings)) {
      double z = 0;
      LevelAt(0, profile, profileHeader, grades, &z);
      Crossing c{filter.PointInFilter(e[0].startX, e[0].startY) ? 1 : 0, e[0].startX, e[0].startY,
                 z, 0};
      if (!GrowArraySetGrowBy(crossings, crossings->count, &c, 50)) return false;
    }
    const double end = e[i].startChainage + e[i].length;
    if (!HasCrossingAtStation(end, *crossings)) {
      double z = 0;
      LevelAt(end, profile, profileHeader, grades, &z);
      Crossing c{filter.PointInFilter(e[i].endX, e[i].endY) ? 1 : 0, e[i].endX, e[i].endY, z, end};
      if (!GrowArraySetGrowBy(crossings, crossings->count, &c, 50)) return false;
    }
  }
  *count = crossings->count;
  SortCrossingsByStation(crossings, *count);
  return true;
}

bool TrimLineToFilter(const AreaFilter& filter, GrowArray* tuples) {
  HzGeometry alignment, profileHeader;
  VtProfile profile;
  GrowArray elements{}, grades{}, crossings{};
  bool ok = GrowArrayCreate(tuples->count, sizeof(GeometryElement), &elements) &&
            GrowArrayCreate(tuples->count, sizeof(GeometryElement), &grades) &&
            GrowArrayCreate(50, sizeof(Crossing), &crossings);
  ok = ok && BuildLineGeometry(*tuples, &alignment, &elements, &profile, &profileHeader, &grades);
  std::int32_t count = 0;
  ok = ok && FindFilterCrossings(filter, alignment, elements, profile, profileHeader, grades,
                                 &crossings, &count);
  bool vertexKept = false;
  if (ok) {
    tuples->count = 0;
    const Crossing* c = Entries(crossings);
    for (std::int32_t i = 0; i < count && ok; ++i) {
      const CoordinateTuple vertex{c[i].x, c[i].y, c[i].z, 1, 1, 1};
      const CoordinateTuple separator{c[i].x, c[i].y, c[i].z, 0, 1, 1};
      switch (c[i].kind) {
        case 1:
        case 3:
          ok = GrowArraySetGrowBy(tuples, tuples->count, &vertex, 2000);
          vertexKept = vertexKept || ok;
          break;
        case 2:
          ok = GrowArraySetGrowBy(tuples, tuples->count, &separator, 2000) &&
               GrowArraySetGrowBy(tuples, tuples->count, &vertex, 2000);
          vertexKept = vertexKept || ok;
          break;
        default:
          ok = GrowArraySetGrowBy(tuples, tuples->count, &separator, 2000);
          break;
      }
    }
  }
  for (GrowArray* list : {&elements, &grades, &crossings})
    if (list->marker == kGrowArrayMarker) GrowArrayFree(list);
  return ok && vertexKept;
}
