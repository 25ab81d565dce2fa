#include "gml/settings/area_filter.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/containers/line_reader.h"
#include "common/geometry/densify.h"
#include "common/geometry/plane_geometry.h"
#include "common/containers/text.h"
#include "gml/settings/settings_messages.h"
#include "gml/settings/text_fields.h"
#include "gml/settings/text_file.h"

using gml_settings::CopyField;
using gml_settings::FieldText;
using gml_settings::Format;
using gml_settings::ReadInt;
using gml_settings::ReadReal;
using gml_settings::SafeFileWriter;

namespace {

constexpr std::int32_t kOutlineStep = 1000;
// Segments of this length or shorter are left out of a Buffer Zone outline.
constexpr double kShortestOutlineSegment = 0.001;
// Chord headings closer than this need no mitre point.
constexpr double kMitreAngle = 0.02;

// Where the crossing search goes on; one position for every filter.
std::int32_t g_crossingResume = 0;

bool Valid(const GrowArray& list) { return list.marker == kGrowArrayMarker; }

bool Append(GrowArray* segments, double x1, double y1, double x2, double y2) {
  OutlineSegment s{x1, y1, x2, y2};
  return GrowArraySetGrowBy(segments, segments->count, &s, kOutlineStep);
}

// The segments of a list as one block (count entries), or null when empty.
const OutlineSegment* Segments(const GrowArray& list) {
  if (!Valid(list) || list.count <= 0) return nullptr;
  void* first = nullptr;
  if (!GrowArrayGetPtr(&list, 0, &first)) return nullptr;
  return static_cast<const OutlineSegment*>(first);
}

double Length(const OutlineSegment& s) { return Distance2d(s.x1, s.y1, s.x2, s.y2); }

// Densifies the area's elements into straight chords (a new list the caller
// frees); false when that fails.
bool Chords(const AreaFilterArea& area, std::int32_t arcChords, std::int32_t clothoidChords,
            GrowArray* chords, std::int32_t* count) {
  if (!GrowArrayCreate(500, sizeof(GeometryElement), chords)) return false;
  if (!Valid(area.elements) ||
      !DensifyAlignment(area.elements.count, area.elements, *chords, *count, arcChords,
                        clothoidChords, 1, 2, 3)) {
    GrowArrayFree(chords);
    return false;
  }
  return true;
}

// One side of a Buffer Zone: a chain of segments at `offset` from the
// centre-line, with a mitre point at every joint of chords whose headings
// differ.
bool BufferSide(const AreaFilterArea& area, const GrowArray& chords, std::int32_t chordCount,
                double offset, GrowArray* side) {
  const GrowArray& line = area.elements;
  const std::int32_t n = line.count;
  double px = 0.0, py = 0.0, heading = 0.0;
  if (!AlignmentPointAt(line, n, 0.0, offset, px, py, heading)) return true;  // no segments
  for (std::int32_t i = 0; i + 1 < chordCount; ++i) {
    GeometryElement a{}, b{};
    if (!GrowArrayGet(&chords, i, &a) || !GrowArrayGet(&chords, i + 1, &b)) return false;
    const double l = b.length;
    double ch = 0.0, off = 0.0;
    double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0, qx = 0.0, qy = 0.0;
    if (!AlignmentChainageOffset(line, n, a.endX, a.endY, ch, off) ||
        !AlignmentPointAt(line, n, ch, offset, ax, ay, heading)) {
      continue;
    }
    if (!AlignmentChainageOffset(line, n, b.startX, b.startY, ch, off) ||
        !AlignmentPointAt(line, n, ch + l / 5.0, offset, bx, by, heading)) {
      continue;
    }
    if (!AlignmentChainageOffset(line, n, b.endX, b.endY, ch, off) ||
        !AlignmentPointAt(line, n, ch - l / 5.0, offset, qx, qy, heading)) {
      continue;
    }
    double turn = std::fabs(a.headingStart - b.headingStart);
    if (turn > kPi) turn = kTwoPi - turn;
    if (turn < kMitreAngle || (std::fabs(ax - bx) < 0.001 && std::fabs(ay - by) < 0.001)) {
      if (!Append(side, px, py, bx, by)) return false;
      px = bx;
      py = by;
      continue;
    }
    double ix = 0.0, iy = 0.0;
    if (IntersectLines(ix, iy, px, py, ax, ay, bx, by, qx, qy)) {
      if (!Append(side, px, py, ix, iy)) return false;
      px = ix;
      py = iy;
    }
  }
  double ex = 0.0, ey = 0.0;
  if (AlignmentPointAt(line, n, area.header.roadLength, offset, ex, ey, heading)) {
    if (!Append(side, px, py, ex, ey)) return false;
  }
  return true;
}

// The column (or row) of a coordinate, truncated towards zero as GridCellOf
// does, but held within -1 .. n so that any rectangle, however large, maps to
// the cells it covers. False for a coordinate that is no number.
bool CellRange(double value, double origin, std::int32_t cellSize, std::int32_t n,
               std::int32_t* cell) {
  if (cellSize <= 0 || std::isnan(value)) return false;
  const double c = (value - origin) / cellSize;
  if (c <= -1.0) {
    *cell = -1;
  } else if (c >= n) {
    *cell = n;
  } else {
    *cell = static_cast<std::int32_t>(c);
  }
  return true;
}

// False only when two segments cannot meet under either segment test: the
// tests accept a point whose distances to a segment's ends add up to a little
// more than its length, which lies within 1% of the length around it, so
// boxes widened by that much must overlap. Saves the intersection of most
// pairs in long outlines.
bool MayMeet(double ax1, double ay1, double ax2, double ay2, double bx1, double by1, double bx2,
             double by2) {
  const double ma = 0.01 * (std::fabs(ax2 - ax1) + std::fabs(ay2 - ay1)) + 1e-9;
  const double mb = 0.01 * (std::fabs(bx2 - bx1) + std::fabs(by2 - by1)) + 1e-9;
  const double m = ma + mb;
  return std::fmin(ax1, ax2) <= std::fmax(bx1, bx2) + m &&
         std::fmin(bx1, bx2) <= std::fmax(ax1, ax2) + m &&
         std::fmin(ay1, ay2) <= std::fmax(by1, by2) + m &&
         std::fmin(by1, by2) <= std::fmax(ay1, ay2) + m;
}

bool AppendIfLong(GrowArray* segments, const OutlineSegment& s) {
  if (Length(s) <= kShortestOutlineSegment) return true;
  return Append(segments, s.x1, s.y1, s.x2, s.y2);
}

}  // namespace

void ReleaseAreaLists(AreaFilterArea* area) {
  if (area->kind == kAreaRoadBuffer) {
    if (Valid(area->grid.boxes)) GrowArrayFree(&area->grid.boxes);
    if (Valid(area->grid.masks)) GrowArrayFree(&area->grid.masks);
  } else if (area->kind == kAreaPolyline || area->kind == kAreaPolygon ||
             area->kind == kAreaBufferZone) {
    if (Valid(area->elements)) GrowArrayFree(&area->elements);
  }
}

AreaFilter::AreaFilter() {
  for (int i = 0; i < 16; ++i) subCellBits[i] = 1 << i;
}

AreaFilter::~AreaFilter() = default;

bool AreaFilter::CreateLists() {
  (void)GrowArrayCreate(50, sizeof(AreaFilterArea), &areas);
  return GrowArrayCreate(2000, sizeof(OutlineSegment), &outline);
}

void AreaFilter::FreeAreas(int gridFlag) {
  areaEnds_.clear();
  if (Valid(outline)) GrowArrayFree(&outline);
  if (!Valid(areas)) return;
  if (gridFlag != 0) {
    for (std::int32_t i = 0; i < areas.count; ++i) {
      void* slot = nullptr;
      if (!GrowArrayGetPtr(&areas, i, &slot)) break;
      ReleaseAreaLists(static_cast<AreaFilterArea*>(slot));
    }
  }
  GrowArrayFree(&areas);
}

std::int32_t AreaFilter::GetAreaCount() const { return Valid(areas) ? areas.count : -1; }

bool AreaFilter::ReadArea(std::int32_t index, AreaFilterArea* area) const {
  if (!Valid(areas) || index < 0 || index >= areas.count) return false;
  return GrowArrayGet(&areas, index, area);
}

bool AreaFilter::GetArea(AreaFilterArea* area, std::int32_t index) const {
  return ReadArea(index, area);
}

bool AreaFilter::AddArea(const AreaFilterArea& area) {
  if (!Valid(areas)) return false;
  AreaFilterArea copy = area;
  copy.selected = 0;
  if (!GrowArraySet(&areas, areas.count, &copy)) return false;
  if (copy.kind != kAreaRoadBuffer) RebuildOutline();
  return true;
}

bool AreaFilter::SetAreaFlag(std::int32_t index, std::int32_t value) {
  if (!Valid(areas) || index < 0 || index >= areas.count) return false;
  void* slot = nullptr;
  if (!GrowArrayGetPtr(&areas, index, &slot)) return false;
  static_cast<AreaFilterArea*>(slot)->selected = value;
  return true;
}

std::int32_t AreaFilter::RemoveSelectedAreas() {
  if (!Valid(areas)) return -1;
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < areas.count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&areas, i, &slot)) break;
    auto* area = static_cast<AreaFilterArea*>(slot);
    if (area->selected != 0) {
      ReleaseAreaLists(area);
      continue;
    }
    if (kept != i) {
      void* target = nullptr;
      if (GrowArrayGetPtr(&areas, kept, &target)) *static_cast<AreaFilterArea*>(target) = *area;
    }
    ++kept;
  }
  areas.count = kept;
  RebuildOutline();
  return kept;
}

void AreaFilter::EraseAllAreas() {
  FreeAreas(1);
  unreadEntries.clear();
  minX = minY = kEmptyExtentMin;
  maxX = maxY = kEmptyExtentMax;
  rayEndY = kEmptyExtentMin;
  path.clear();
  CreateLists();
}

bool AreaFilter::HasRoadBufferArea() const {
  AreaFilterArea area;
  return FindRoadBufferArea(&area);
}

bool AreaFilter::FindRoadBufferArea(AreaFilterArea* area) const {
  if (!Valid(areas)) return false;
  for (std::int32_t i = 0; i < areas.count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&areas, i, &slot)) return false;
    const auto* stored = static_cast<const AreaFilterArea*>(slot);
    if (stored->kind == kAreaRoadBuffer) {
      *area = *stored;
      return true;
    }
  }
  return false;
}

bool AreaFilter::AreaToOutline(const AreaFilterArea& area, GrowArray* segments) const {
  if (!Valid(areas) || segments == nullptr || !Valid(*segments)) return true;
  switch (area.kind) {
    case kAreaWindow: {
      const double x1 = area.corner1X, y1 = area.corner1Y, x2 = area.corner2X, y2 = area.corner2Y;
      return Append(segments, x1, y1, x1, y2) && Append(segments, x1, y2, x2, y2) &&
             Append(segments, x2, y2, x2, y1) && Append(segments, x2, y1, x1, y1);
    }
    case kAreaPolyline:
    case kAreaPolygon: {
      GrowArray chords{};
      std::int32_t n = 0;
      if (!Chords(area, arcChordCount, clothoidChordCount, &chords, &n)) return false;
      bool ok = true;
      GeometryElement first{}, e{};
      for (std::int32_t i = 0; i < n && ok; ++i) {
        ok = GrowArrayGet(&chords, i, &e) && Append(segments, e.startX, e.startY, e.endX, e.endY);
        if (i == 0) first = e;
      }
      if (ok && n > 0 && (e.endX != first.startX || e.endY != first.startY)) {
        ok = Append(segments, e.endX, e.endY, first.startX, first.startY);
      }
      GrowArrayFree(&chords);
      return ok;
    }
    case kAreaBufferZone:
      return BufferZoneOutline(area, segments);
    default:
      return true;  // a road-network buffer zone has no outline
  }
}

bool AreaFilter::BufferZoneOutline(const AreaFilterArea& area, GrowArray* segments) const {
  GrowArray chords{};
  std::int32_t n = 0;
  if (!Chords(area, arcChordCount, clothoidChordCount, &chords, &n)) return false;
  GrowArray left{}, right{};
  bool ok = GrowArrayCreate(50, sizeof(OutlineSegment), &left) &&
            GrowArrayCreate(50, sizeof(OutlineSegment), &right) &&
            BufferSide(area, chords, n, area.leftOffset, &left) &&
            BufferSide(area, chords, n, area.rightOffset, &right);
  GrowArrayFree(&chords);

  const OutlineSegment* l = ok ? Segments(left) : nullptr;
  const OutlineSegment* r = ok ? Segments(right) : nullptr;
  for (std::int32_t i = 0; ok && l != nullptr && i < left.count; ++i) ok = AppendIfLong(segments, l[i]);
  if (l == nullptr || r == nullptr) {
    ok = false;  // without both sides there are no caps
  } else {
    const OutlineSegment& lastLeft = l[left.count - 1];
    const OutlineSegment& lastRight = r[right.count - 1];
    ok = ok && AppendIfLong(segments, {lastLeft.x2, lastLeft.y2, lastRight.x2, lastRight.y2});
    for (std::int32_t i = right.count - 1; ok && i >= 0; --i) ok = AppendIfLong(segments, r[i]);
    ok = ok && AppendIfLong(segments, {r[0].x1, r[0].y1, l[0].x1, l[0].y1});
  }
  if (Valid(left)) GrowArrayFree(&left);
  if (Valid(right)) GrowArrayFree(&right);
  return ok;
}

void AreaFilter::RebuildOutline() {
  areaEnds_.clear();
  if (!Valid(areas) || !Valid(outline)) return;
  outline.count = 0;
  for (std::int32_t i = 0; i < areas.count; ++i) {
    AreaFilterArea area;
    const bool read = ReadArea(i, &area);
    const bool built = read && AreaToOutline(area, &outline);
    // The segments a failed area left stay a ring set of their own.
    const std::int32_t begin = areaEnds_.empty() ? 0 : areaEnds_.back();
    if (outline.count > begin) areaEnds_.push_back(outline.count);
    if (!built) break;
  }
  ComputeExtents();
}

double AreaFilter::ComputeExtents() {
  minX = minY = kEmptyExtentMin;
  maxX = maxY = kEmptyExtentMax;
  const OutlineSegment* s = Segments(outline);
  for (std::int32_t i = 0; s != nullptr && i < outline.count; ++i) {
    for (double x : {s[i].x1, s[i].x2}) {
      if (x < minX) minX = x;
      if (x > maxX) maxX = x;
    }
    for (double y : {s[i].y1, s[i].y2}) {
      if (y < minY) minY = y;
      if (y > maxY) maxY = y;
    }
  }
  rayEndY = minY - 100.0;
  return rayEndY;
}

bool AreaFilter::SplitByArea() const {
  return areaEnds_.size() > 1 && Valid(outline) && areaEnds_.back() == outline.count;
}

bool AreaFilter::PointInSegments(double x, double y, std::int32_t begin, std::int32_t end) const {
  const OutlineSegment* s = Segments(outline);
  if (s == nullptr) return false;
  int crossings = 0;
  for (std::int32_t i = begin; i < end; ++i) {
    const OutlineSegment& seg = s[i];
    const double lo = seg.x1 < seg.x2 ? seg.x1 : seg.x2;
    const double hi = seg.x1 < seg.x2 ? seg.x2 : seg.x1;
    if (!(lo <= x && hi > x)) continue;
    double ix = 0.0, iy = 0.0;
    if (IntersectSegments(ix, iy, seg.x1, seg.y1, seg.x2, seg.y2, x, y, x, rayEndY)) ++crossings;
  }
  return (crossings % 2) == 1;
}

bool AreaFilter::PointInOtherArea(double x, double y, std::size_t skip) const {
  std::int32_t begin = 0;
  for (std::size_t g = 0; g < areaEnds_.size(); ++g) {
    if (g != skip && PointInSegments(x, y, begin, areaEnds_[g])) return true;
    begin = areaEnds_[g];
  }
  return false;
}

bool AreaFilter::PointInOutline(double x, double y) const {
  if (!Valid(outline) || outline.count < 2) return true;
  if (!SplitByArea()) return PointInSegments(x, y, 0, outline.count);
  return PointInOtherArea(x, y, areaEnds_.size());  // no area passed over
}

bool AreaFilter::RectTouchesOutline(double x0, double y0, double x1, double y1) const {
  if (!Valid(outline) || outline.count < 2) return true;
  const OutlineSegment* s = Segments(outline);
  if (s == nullptr) return false;
  const double edges[4][4] = {{x0, y0, x0, y1}, {x0, y1, x1, y1}, {x1, y1, x1, y0}, {x1, y0, x0, y0}};
  for (std::int32_t i = 0; i < outline.count; ++i) {
    const OutlineSegment& seg = s[i];
    if (seg.x1 >= x0 && seg.x1 <= x1 && seg.y1 >= y0 && seg.y1 <= y1) return true;
    if (!MayMeet(seg.x1, seg.y1, seg.x2, seg.y2, x0, y0, x1, y1)) continue;
    for (const auto& e : edges) {
      double ix = 0.0, iy = 0.0;
      if (IntersectSegments(ix, iy, seg.x1, seg.y1, seg.x2, seg.y2, e[0], e[1], e[2], e[3])) {
        return true;
      }
    }
  }
  return false;
}

bool AreaFilter::FindOutlineCrossing(double* x, double* y, double x1, double y1, double x2,
                                     double y2, bool restart) const {
  if (restart) g_crossingResume = 0;
  *x = 0.0;
  *y = 0.0;
  const std::int32_t count = Valid(outline) ? outline.count : 0;
  const OutlineSegment* s = Segments(outline);
  if (count < 2 || s == nullptr) {
    g_crossingResume = count;
    return false;
  }
  const bool split = SplitByArea();
  std::size_t area = 0;
  for (std::int32_t i = g_crossingResume < 0 ? 0 : g_crossingResume; i < count; ++i) {
    if (!MayMeet(s[i].x1, s[i].y1, s[i].x2, s[i].y2, x1, y1, x2, y2)) continue;
    double ix = 0.0, iy = 0.0;
    if (IntersectSegmentsLoose(ix, iy, s[i].x1, s[i].y1, s[i].x2, s[i].y2, x1, y1, x2, y2)) {
      if (split) {
        while (area + 1 < areaEnds_.size() && areaEnds_[area] <= i) ++area;
        if (PointInOtherArea(ix, iy, area)) continue;
      }
      *x = ix;
      *y = iy;
      g_crossingResume = i + 1;
      return true;
    }
  }
  g_crossingResume = count;
  return false;
}

bool AreaFilter::PointInFilter(double x, double y) const {
  return PointInOutline(x, y) && PointInRoadBufferGrid(x, y);
}

bool AreaFilter::PointInRoadBufferGrid(double x, double y) const {
  if (!Valid(areas)) return true;
  bool anyZone = false;
  for (std::int32_t i = 0; i < areas.count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&areas, i, &slot)) break;
    const auto* area = static_cast<const AreaFilterArea*>(slot);
    if (area->kind != kAreaRoadBuffer) continue;
    anyZone = true;
    const RoadBufferGrid& grid = area->grid;
    std::int32_t col = -1, row = -1;
    GridCellOf(grid, x, y, &col, &row);
    std::int32_t index = GridCellIndex(grid, col, row);
    if (index < 0) continue;
    std::uint16_t mask = GridCellMask(grid, index);
    if (mask == 0) continue;
    if (!(x > -2147483648.0 && x < 2147483648.0 && y > -2147483648.0 && y < 2147483648.0)) {
      return false;
    }
    return PointInGridSubCell(grid, col, row, static_cast<std::int32_t>(x),
                              static_cast<std::int32_t>(y), mask);
  }
  return !anyZone;
}

bool AreaFilter::RectInRoadBufferGrid(double x0, double y0, double x1, double y1) const {
  if (!Valid(areas)) return true;
  bool anyZone = false;
  for (std::int32_t i = 0; i < areas.count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&areas, i, &slot)) break;
    const auto* area = static_cast<const AreaFilterArea*>(slot);
    if (area->kind != kAreaRoadBuffer) continue;
    anyZone = true;
    const RoadBufferGrid& grid = area->grid;
    std::int32_t c0 = -1, r0 = -1, c1 = -1, r1 = -1;
    if (!CellRange(x0, grid.originX, grid.cellSize, grid.nx, &c0) ||
        !CellRange(y0, grid.originY, grid.cellSize, grid.ny, &r0) ||
        !CellRange(x1, grid.originX, grid.cellSize, grid.nx, &c1) ||
        !CellRange(y1, grid.originY, grid.cellSize, grid.ny, &r1)) {
      continue;
    }
    // Cells outside the grid are skipped, so only the grid's part of the
    // rectangle is visited.
    if (c0 < 0) c0 = 0;
    if (r0 < 0) r0 = 0;
    if (c1 >= grid.nx) c1 = grid.nx - 1;
    if (r1 >= grid.ny) r1 = grid.ny - 1;
    for (std::int32_t row = r0; row <= r1; ++row) {
      for (std::int32_t col = c0; col <= c1; ++col) {
        std::int32_t index = GridCellIndex(grid, col, row);
        if (index >= 0 && GridCellMask(grid, index) != 0) return true;
      }
    }
  }
  return !anyZone;
}

// --- the areas file --------------------------------------------------------------

bool AreaFilter::SaveAreas() {
  // Without a path the areas have no file of their own: they are never
  // written into whatever folder the process works in.
  if (path.size() < 5 || !Valid(areas)) return false;
  SafeFileWriter out(path);
  if (!out.Ok()) return false;
  for (std::int32_t i = 0; i < areas.count; ++i) {
    AreaFilterArea area;
    if (!ReadArea(i, &area)) {
      out.Abandon();
      return false;
    }
    // A road-network buffer zone cannot be stored; the areas after it can.
    if (area.kind != kAreaWindow && area.kind != kAreaPolyline && area.kind != kAreaPolygon &&
        area.kind != kAreaBufferZone) {
      continue;
    }
    std::string_view description = FieldText(area.description);
    description = description.substr(0, description.find_first_of("\r\n"));
    out.Line(description);
    out.Line(Format("%i", area.kind));
    out.Line(Format("%i", area.tag));
    if (area.kind == kAreaWindow) {
      for (double v : {area.corner1X, area.corner1Y, area.corner2X, area.corner2Y}) {
        out.Line(Format("%lf", v));
      }
      continue;
    }
    if (area.kind == kAreaBufferZone) {
      out.Line(Format("%lf", area.leftOffset));
      out.Line(Format("%lf", area.rightOffset));
    }
    const std::int32_t n = Valid(area.elements) ? area.elements.count : 0;
    out.Line(Format("%i", n));
    for (std::int32_t k = 0; k < n; ++k) {
      GeometryElement e;
      if (!GrowArrayGet(&area.elements, k, &e)) {
        out.Abandon();
        return false;
      }
      for (double v : {e.startChainage, e.length, e.radiusStart, e.radiusEnd, e.centreX, e.centreY,
                       e.clothoidParameter, e.headingStart, e.startX, e.startY, e.endX, e.endY,
                       e.headingEnd}) {
        out.Line(Format("%lf", v));
      }
    }
  }
  // Entries the last load could not read are written back as they stood,
  // so that saving never drops what the file held.
  for (const UnreadAreaEntry& entry : unreadEntries) {
    for (const std::string& line : entry.lines) out.Line(line);
  }
  return out.Commit();
}

namespace {

// The longest line an area's value is read from; longer lines are read cut.
constexpr std::size_t kAreaLineChars = 1022;
// How many unreadable entries the warning names, and how much of each.
constexpr std::size_t kNamedEntries = 10;
constexpr std::size_t kNamedChars = 60;

bool IsBlank(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

// A number that is the whole line (blanks around it allowed).
bool WholeInt(const std::string& line, std::int32_t* value) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  std::size_t i = first;
  if (line[i] == '+' || line[i] == '-') ++i;
  const std::size_t digits = i;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
  if (i == digits || i - digits > 9 || line.find_first_not_of(" \t", i) != std::string::npos) {
    return false;
  }
  *value = ReadInt(line);
  return true;
}

bool WholeReal(const std::string& line, double* value) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const char* begin = line.c_str() + first;
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(v)) return false;
  const std::size_t rest = static_cast<std::size_t>(end - line.c_str());
  if (line.find_first_not_of(" \t", rest) != std::string::npos) return false;
  *value = v;
  return true;
}

// The lines of one area, read from `at` on. Strict reading takes a number
// only when it is the whole line; lenient reading takes what atoi and atof
// make of any line, as the file has always been read.
class AreaLines {
 public:
  AreaLines(const std::vector<std::string>& lines, std::size_t at, bool strict)
      : lines_(lines), at_(at), strict_(strict) {}
  std::size_t Taken(std::size_t from) const { return at_ - from; }
  bool Text(std::string* line) {
    if (at_ >= lines_.size()) return false;
    *line = lines_[at_++].substr(0, kAreaLineChars);
    return true;
  }
  bool Int(std::int32_t* value) {
    std::string line;
    if (!Text(&line)) return false;
    if (strict_) return WholeInt(line, value);
    *value = ReadInt(line);
    return true;
  }
  bool Real(double* value) {
    std::string line;
    if (!Text(&line)) return false;
    if (strict_) return WholeReal(line, value);
    *value = ReadReal(line);
    return true;
  }

 private:
  const std::vector<std::string>& lines_;
  std::size_t at_;
  bool strict_;
};

// Reads the area whose description is line `at`; the number of lines it
// takes, or 0 when a line is missing or does not read, a list cannot be
// made, or the kind is unknown (nothing is then held). A road-network buffer
// zone (description and kind only) comes back with kind 80 and no lists.
std::size_t ReadAreaAt(const std::vector<std::string>& lines, std::size_t at, bool strict,
                       AreaFilterArea* area) {
  *area = AreaFilterArea{};
  AreaLines in(lines, at, strict);
  std::string description;
  if (!in.Text(&description)) return 0;
  CopyField(area->description, description, 511);
  if (!in.Int(&area->kind)) return 0;
  if (area->kind == kAreaRoadBuffer) return in.Taken(at);
  if (area->kind != kAreaWindow && area->kind != kAreaPolyline && area->kind != kAreaPolygon &&
      area->kind != kAreaBufferZone) {
    return 0;
  }
  if (!in.Int(&area->tag)) return 0;
  if (area->kind == kAreaWindow) {
    const bool ok = in.Real(&area->corner1X) && in.Real(&area->corner1Y) &&
                    in.Real(&area->corner2X) && in.Real(&area->corner2Y);
    return ok ? in.Taken(at) : 0;
  }
  if (area->kind == kAreaBufferZone && !(in.Real(&area->leftOffset) && in.Real(&area->rightOffset))) {
    return 0;
  }
  std::int32_t n = 0;
  if (!in.Int(&n)) return 0;
  // Thirteen lines an element: a count beyond the lines left cannot be read.
  if (strict && (n < 0 || static_cast<std::size_t>(n) > (lines.size() - at) / 13)) return 0;
  if (!GrowArrayCreate(50, sizeof(GeometryElement), &area->elements)) return 0;
  double roadLength = 0.0;
  for (std::int32_t k = 0; k < n; ++k) {
    GeometryElement e{};
    bool ok = in.Real(&e.startChainage) && in.Real(&e.length) && in.Real(&e.radiusStart) &&
              in.Real(&e.radiusEnd) && in.Real(&e.centreX) && in.Real(&e.centreY) &&
              in.Real(&e.clothoidParameter) && in.Real(&e.headingStart) && in.Real(&e.startX) &&
              in.Real(&e.startY) && in.Real(&e.endX) && in.Real(&e.endY) &&
              in.Real(&e.headingEnd) && GrowArraySet(&area->elements, area->elements.count, &e);
    if (!ok) {
      GrowArrayFree(&area->elements);
      return 0;
    }
    roadLength += e.length;
  }
  area->header = HzGeometry{};
  area->header.elementCount = area->elements.count;
  area->header.roadLength = roadLength;
  return in.Taken(at);
}

// Whether line `at` is where the file ends or where an area reads strictly
// (blank lines before it passed over).
bool AreaBoundaryAt(const std::vector<std::string>& lines, std::size_t at) {
  for (; at < lines.size(); ++at) {
    AreaFilterArea probe;
    const bool starts = ReadAreaAt(lines, at, true, &probe) != 0;
    ReleaseAreaLists(&probe);
    if (starts) return true;
    if (!IsBlank(lines[at])) return false;
  }
  return true;
}

// Reads an area at line `at`: strictly, or else leniently when that ends
// where the next area starts (a lenient reading that runs on into the next
// area's lines would swallow it). The number of lines taken, 0 when none.
std::size_t ReadAreaLines(const std::vector<std::string>& lines, std::size_t at, AreaFilterArea* area) {
  std::size_t taken = ReadAreaAt(lines, at, true, area);
  if (taken != 0) return taken;
  taken = ReadAreaAt(lines, at, false, area);
  if (taken != 0 && AreaBoundaryAt(lines, at + taken)) return taken;
  if (taken != 0) ReleaseAreaLists(area);
  return 0;
}

std::wstring UnreadEntriesText(const std::wstring& path, const std::vector<UnreadAreaEntry>& entries) {
  std::wstring text = L"Warning: Some location areas in " + path +
                      L" could not be read and are not listed:\n";
  for (std::size_t i = 0; i < entries.size() && i < kNamedEntries; ++i) {
    const std::string& first = entries[i].lines.front();
    std::string shown = first.substr(0, Utf8CutLength(first, kNamedChars));
    if (shown.size() < first.size()) shown += "...";
    text += L"\nline " + std::to_wstring(entries[i].line) + L": " + Utf8ToWide(shown);
  }
  if (entries.size() > kNamedEntries) {
    text += L"\n(and " + std::to_wstring(entries.size() - kNamedEntries) + L" more)";
  }
  text += L"\n\nTheir lines stay in the file as they are.";
  return text;
}

}  // namespace

bool AreaFilter::LoadAreas(const std::wstring& filePath) {
  path = filePath;
  LineReader reader(filePath, kAreaLineChars);
  if (!reader.Ok()) return false;
  // Whole lines: an unreadable entry is written back as it stands.
  std::vector<std::string> lines;
  std::string piece;
  bool cut = false, joining = false;
  while (reader.Next(&piece, &cut)) {
    if (joining) {
      lines.back() += piece;
    } else {
      lines.push_back(piece);
    }
    joining = cut;
  }

  // Lines that start no area gather into an entry of their own, from its
  // first line that is not blank up to the next area; blank lines alone
  // hold nothing and are dropped.
  const std::size_t knownEntries = unreadEntries.size();
  bool complete = true;
  UnreadAreaEntry entry;
  auto closeEntry = [&] {
    while (!entry.lines.empty() && IsBlank(entry.lines.back())) entry.lines.pop_back();
    if (!entry.lines.empty()) unreadEntries.push_back(entry);
    entry = UnreadAreaEntry{};
  };
  std::size_t at = 0;
  while (at < lines.size()) {
    AreaFilterArea area;
    const std::size_t taken = ReadAreaLines(lines, at, &area);
    if (taken == 0) {
      if (entry.lines.empty() && !IsBlank(lines[at])) entry.line = static_cast<std::int32_t>(at + 1);
      if (!entry.lines.empty() || !IsBlank(lines[at])) entry.lines.push_back(lines[at]);
      ++at;
      continue;
    }
    closeEntry();
    if (area.kind == kAreaRoadBuffer) {  // its grid is not in the file
      at += taken;
      continue;
    }
    if (!Valid(areas) || !GrowArraySet(&areas, areas.count, &area)) {
      // The rest of the file is kept as it stands.
      ReleaseAreaLists(&area);
      entry.line = static_cast<std::int32_t>(at + 1);
      entry.lines.assign(lines.begin() + static_cast<std::ptrdiff_t>(at), lines.end());
      break;
    }
    at += taken;
  }
  closeEntry();
  if (unreadEntries.size() > knownEntries) {
    complete = false;
    const std::vector<UnreadAreaEntry> found(unreadEntries.begin() + static_cast<std::ptrdiff_t>(knownEntries),
                                             unreadEntries.end());
    gml_settings::ShowMessageBox(UnreadEntriesText(filePath, found));
  }
  // The outline always follows the areas listed, also after a fault, so that
  // the filter never passes everything while it shows areas.
  RebuildOutline();
  return complete;
}
