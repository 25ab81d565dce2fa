#include "join/chain_writer.h"

#include <algorithm>
#include <cmath>

#include "common/geometry/densify.h"
#include "common/containers/grow_array.h"
#include "common/geometry/plane_geometry.h"
#include "host/db/entity_list.h"
#include "join/join_direction.h"
#include "join/join_parameters.h"
#include "join/polyline_writers.h"

namespace {

using host::db::Point3;

// Tags of the chords' origin; the chords are read for points and lengths only.
constexpr int kStraightTag = 0;
constexpr int kArcTag = 1;
constexpr int kClothoidTag = 2;

// A GrowArray for the length of one call, freed on every path.
class ScopedList {
 public:
  explicit ScopedList(std::int32_t capacity) {
    ok_ = GrowArrayCreate(capacity, sizeof(GeometryElement), &list_);
  }
  ~ScopedList() {
    if (list_.marker == kGrowArrayMarker) GrowArrayFree(&list_);
  }
  ScopedList(const ScopedList&) = delete;
  ScopedList& operator=(const ScopedList&) = delete;
  bool ok() const { return ok_; }
  GrowArray& list() { return list_; }

 private:
  GrowArray list_{};
  bool ok_ = false;
};

// The piece's elements cut into chords.
bool Chords(const JoinObject& piece, int arcDivideFactor, std::vector<GeometryElement>& chords) {
  std::vector<GeometryElement> elements;
  AppendPieceElements(piece, elements);
  const std::int32_t count = static_cast<std::int32_t>(elements.size());
  ScopedList input(count);
  ScopedList output(count);
  if (!input.ok() || !output.ok()) return false;
  for (std::int32_t i = 0; i < count; ++i)
    if (!GrowArraySet(&input.list(), i, &elements[static_cast<std::size_t>(i)])) return false;
  std::int32_t chordCount = 0;
  if (!DensifyAlignment(count, input.list(), output.list(), chordCount, arcDivideFactor,
                        arcDivideFactor, kStraightTag, kArcTag, kClothoidTag))
    return false;
  chords.resize(static_cast<std::size_t>(chordCount));
  for (std::int32_t i = 0; i < chordCount; ++i)
    if (!GrowArrayGet(&output.list(), i, &chords[static_cast<std::size_t>(i)])) return false;
  return true;
}

// Appends the point when the profile gives its level; false when the
// profile could not be read.
bool AddVertex(const JoinLevelLookup& levels, const JoinObject& piece, double travelled, double x,
               double y, std::vector<Point3>& vertices) {
  // A reversed piece is travelled from its own end.
  double distance = piece.reversed ? piece.length - travelled : travelled;
  distance = std::clamp(distance, 0.0, std::max(piece.length, 0.0));
  double level = 0.0;
  bool found = false;
  if (!levels.At(distance, level, found)) return false;
  if (found) vertices.push_back({x, y, level});
  return true;
}

bool WriteVertices(const ChainOutput& output, const std::vector<Point3>& vertices,
                   host::EntityName* made) {
  if (output.levelled2d)
    return CreatePolylineFromVertices(output.layer, output.colour, output.level2d, 0.0, vertices,
                                      made);
  return Create3dPolylineFromVertices(output.layer, output.colour, vertices, made);
}

GeometryElement StraightBetween(const Point3& a, const Point3& b) {
  GeometryElement e{};
  e.length = Distance2d(a.x, a.y, b.x, b.y);
  e.headingStart = e.headingEnd = Bearing2d(a.x, a.y, b.x, b.y);
  e.startX = a.x;
  e.startY = a.y;
  e.endX = b.x;
  e.endY = b.y;
  return e;
}

// The element path; false when nothing was written.
bool WriteElementPath(const JoinObject& seed, const std::vector<const JoinObject*>& pieces,
                      const ChainOutput& output) {
  std::vector<GeometryElement> elements;
  for (const JoinObject* piece : pieces) AppendPieceElements(*piece, elements);
  const double width = pieces.back()->startWidth;
  host::EntityName made;
  if (!CreatePolylineFromElements(output.layer, output.colour, seed.startLevel, width, elements,
                                  &made))
    return false;
  UpdateScreen();
  if (output.verifyDirections && !elements.empty() && AskReverseDirection(elements.front())) {
    ReverseElementList(elements);
    host::EntityName reversed;
    if (CreatePolylineFromElements(output.layer, output.colour, seed.startLevel, width, elements,
                                   &reversed)) {
      (void)host::db::DeleteEntity(made);
      UpdateScreen();
    }
  }
  return true;
}

}  // namespace

void AppendPieceElements(const JoinObject& piece, std::vector<GeometryElement>& out) {
  const double dx = piece.shiftX, dy = piece.shiftY;
  if (!piece.reversed) {
    for (GeometryElement e : piece.elements) {
      e.startX += dx;
      e.startY += dy;
      e.endX += dx;
      e.endY += dy;
      e.centreX += dx;
      e.centreY += dy;
      out.push_back(e);
    }
    return;
  }
  // Turned round, an element keeps its radii (negated) and loses its clothoid
  // parameter: right for straights and arcs; a clothoid from a linked
  // geometry file comes out as an arc of its start radius.
  for (auto it = piece.elements.rbegin(); it != piece.elements.rend(); ++it) {
    GeometryElement e{};
    e.startChainage = piece.length - (it->startChainage + it->length);
    e.length = it->length;
    e.radiusStart = -it->radiusStart;
    e.radiusEnd = -it->radiusEnd;
    e.centreX = it->centreX + dx;
    e.centreY = it->centreY + dy;
    e.clothoidParameter = 0.0;
    e.headingStart = OppositeHeading(it->headingEnd);
    e.headingEnd = OppositeHeading(it->headingStart);
    e.startX = it->endX + dx;
    e.startY = it->endY + dy;
    e.endX = it->startX + dx;
    e.endY = it->startY + dy;
    out.push_back(e);
  }
}

bool ChainVertices(const std::vector<const JoinObject*>& pieces, const ChainOutput& output,
                   std::vector<Point3>& vertices) {
  vertices.clear();
  std::vector<GeometryElement> chords;
  for (const JoinObject* piece : pieces) {
    if (!Chords(*piece, output.arcDivideFactor, chords)) return false;
    if (chords.empty()) continue;
    const JoinLevelLookup levels(*piece);
    // The piece's first point as it lies in the chain (moved by its shift
    // like the chord ends, so the joint has no jog).
    if (!AddVertex(levels, *piece, 0.0, chords.front().startX, chords.front().startY, vertices))
      return false;
    double travelled = 0.0;
    for (const GeometryElement& chord : chords) {
      travelled += chord.length;
      if (!AddVertex(levels, *piece, travelled, chord.endX, chord.endY, vertices)) return false;
    }
  }
  if (output.closeRing && vertices.size() >= 2) {
    const Point3& first = vertices.front();
    Point3& last = vertices.back();
    if (WithinTolerances(first.x, first.y, first.z, last.x, last.y, last.z, output.tolerances))
      last = first;
  }
  return true;
}

ChainWriteResult WriteChain(const JoinObject& seed, const std::vector<const JoinObject*>& pieces,
                            const ChainOutput& output) {
  if (pieces.empty()) return ChainWriteResult::kKept;
  if (!output.vertexPath) {
    if (!WriteElementPath(seed, pieces, output)) return ChainWriteResult::kKept;
  } else {
    std::vector<Point3> vertices;
    if (!ChainVertices(pieces, output, vertices)) return ChainWriteResult::kFailed;
    host::EntityName made;
    if (!WriteVertices(output, vertices, &made)) return ChainWriteResult::kKept;
    UpdateScreen();
    if (output.verifyDirections && vertices.size() >= 2 &&
        AskReverseDirection(StraightBetween(vertices[0], vertices[1]))) {
      ReversePointList(vertices);
      host::EntityName reversed;
      if (WriteVertices(output, vertices, &reversed)) {
        (void)host::db::DeleteEntity(made);
        UpdateScreen();
      }
    }
  }
  for (const JoinObject* piece : pieces) (void)host::db::DeleteEntity(piece->entity);
  return ChainWriteResult::kWritten;
}

ChainOutput ChainOutputFor(const JoinObject& seed, const JoinParameters& p) {
  ChainOutput output;
  if (p.automaticLayers != 0) {
    output.layer = seed.layerName;
    output.colour = static_cast<std::int16_t>(seed.colour);
  } else {
    output.layer = p.layerName;
    output.colour = p.layerColour;
  }
  output.tolerances = {p.hzTolerance, p.vtTolerance};
  output.arcDivideFactor = p.arcDivideFactor;
  output.verifyDirections = p.verifyDirections != 0;
  return output;
}
