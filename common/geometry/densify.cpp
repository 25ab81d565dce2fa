#include "common/geometry/densify.h"

#include <cmath>

#include "common/geometry/plane_geometry.h"

namespace {

constexpr double kShortestStep = 5e-5;

enum class Kind { Straight, Arc, Clothoid };

Kind KindOf(const GeometryElement& e) {
  if (e.clothoidParameter != 0.0) return Kind::Clothoid;
  if (e.radiusStart == 0.0 && e.radiusEnd == 0.0) return Kind::Straight;
  return Kind::Arc;
}

// Direction from one point to another in [0, 2pi).
double ChordHeading(double x1, double y1, double x2, double y2) {
  double a = std::atan2(y2 - y1, x2 - x1);
  if (a < 0.0) a += kTwoPi;
  if (a >= kTwoPi) a = 0.0;
  return a;
}

bool ReadElement(const GrowArray& list, std::int32_t index, GeometryElement& element) {
  if (index < 0 || index >= list.count) return false;
  return GrowArrayGet(&list, index, &element);
}

// Appends to the output list and counts what it holds.
class Appender {
 public:
  explicit Appender(GrowArray& list) : list_(list) {}
  [[nodiscard]] bool Add(const GeometryElement& e) {
    if (!GrowArraySet(&list_, count_, &e)) return false;
    ++count_;
    return true;
  }
  std::int32_t count() const { return count_; }

 private:
  GrowArray& list_;
  std::int32_t count_ = 0;
};

GeometryElement Chord(double x1, double y1, double x2, double y2, double length, int tag) {
  GeometryElement chord{};
  chord.length = length;
  chord.clothoidParameter = tag;
  chord.startX = x1;
  chord.startY = y1;
  chord.endX = x2;
  chord.endY = y2;
  chord.headingStart = chord.headingEnd = ChordHeading(x1, y1, x2, y2);
  return chord;
}

// Cuts the curve into n chords of length L / n whose ends lie on it.
bool AddEqualChords(const GeometryElement& e, int n, int tag, Appender& out) {
  const double c = e.length / n;
  double prevX = e.startX;
  double prevY = e.startY;
  for (int k = 0; k < n; ++k) {
    double x = 0.0, y = 0.0, h = 0.0;
    ElementPointAt(e.startChainage + (k + 1) * c, 0.0, x, y, h, e);
    if (!out.Add(Chord(prevX, prevY, x, y, c, tag))) return false;
    prevX = x;
    prevY = y;
  }
  return true;
}

// Cuts an arc every `step` from its start, then runs a last chord to its end.
bool AddStepChords(const GeometryElement& e, double step, int tag, Appender& out) {
  double prevX = e.startX;
  double prevY = e.startY;
  double covered = 0.0;
  bool cut = false;
  while (covered + step < e.length) {
    covered += step;
    double x = 0.0, y = 0.0, h = 0.0;
    ElementPointAt(e.startChainage + covered, 0.0, x, y, h, e);
    if (!out.Add(Chord(prevX, prevY, x, y, step, tag))) return false;
    prevX = x;
    prevY = y;
    cut = true;
  }
  if (!cut || Distance2d(prevX, prevY, e.endX, e.endY) > kShortestStep) {
    if (!out.Add(Chord(prevX, prevY, e.endX, e.endY, Distance2d(prevX, prevY, e.endX, e.endY),
                       tag)))
      return false;
  }
  return true;
}

// Start chainage 0 for the first element, the running length after it.
bool Renumber(GrowArray& list, std::int32_t count) {
  double chainage = 0.0;
  for (std::int32_t i = 0; i < count; ++i) {
    GeometryElement e{};
    if (!GrowArrayGet(&list, i, &e)) return false;
    e.startChainage = chainage;
    chainage += e.length;
    if (!GrowArraySet(&list, i, &e)) return false;
  }
  return true;
}

int ClothoidChordCount(int requested) {
  return requested < kMinClothoidChords || requested > kMaxClothoidChords
             ? kDefaultClothoidChords
             : requested;
}

// The two step-wise splits; a non-positive `minStep` leaves the step alone.
bool DensifyByStep(std::int32_t count, const GrowArray& input, GrowArray& output,
                   std::int32_t& outputCount, double stepFactor, double minStep,
                   int clothoidChords, int straightTag, int arcTag, int clothoidTag) {
  const int perClothoid = ClothoidChordCount(clothoidChords);
  Appender out(output);
  for (std::int32_t i = 0; i < count; ++i) {
    GeometryElement e{};
    if (!ReadElement(input, i, e)) return false;
    switch (KindOf(e)) {
      case Kind::Straight:
        e.clothoidParameter = straightTag;
        if (!out.Add(e)) return false;
        break;
      case Kind::Arc: {
        const double radius = std::fabs(e.radiusStart);
        if (radius <= kShortestStep) break;
        double step = stepFactor * radius;
        if (minStep > kShortestStep && minStep > step) step = minStep;
        // A step of zero (or less) would cut chords for ever.
        if (!(step > 0.0)) return false;
        if (!AddStepChords(e, step, arcTag, out)) return false;
        break;
      }
      case Kind::Clothoid:
        if (!AddEqualChords(e, perClothoid, clothoidTag, out)) return false;
        break;
    }
  }
  if (!Renumber(output, out.count())) return false;
  outputCount = out.count();
  return true;
}

}  // namespace

bool DensifyAlignment(std::int32_t count, const GrowArray& input, GrowArray& output,
                      std::int32_t& outputCount, int arcChords, int clothoidChords,
                      int straightTag, int arcTag, int clothoidTag) {
  const int perArc = arcChords < kMinArcChords   ? kMinArcChords
                     : arcChords > kMaxArcChords ? kMaxArcChords
                                                 : arcChords;
  const int perClothoid = ClothoidChordCount(clothoidChords);
  Appender out(output);
  bool split = false;
  for (std::int32_t i = 0; i < count; ++i) {
    GeometryElement e{};
    if (!ReadElement(input, i, e)) return false;
    switch (KindOf(e)) {
      case Kind::Straight:
        e.clothoidParameter = straightTag;
        if (!out.Add(e)) return false;
        break;
      case Kind::Arc:
        if (!AddEqualChords(e, perArc, arcTag, out)) return false;
        split = true;
        break;
      case Kind::Clothoid:
        if (!AddEqualChords(e, perClothoid, clothoidTag, out)) return false;
        split = true;
        break;
    }
  }
  if (split && !Renumber(output, out.count())) return false;
  outputCount = out.count();
  return true;
}

bool DensifyAlignmentFixed(const HzGeometry& header, const GrowArray& input, GrowArray& output,
                           std::int32_t& outputCount) {
  Appender out(output);
  for (std::int32_t i = 0; i < header.elementCount; ++i) {
    GeometryElement e{};
    if (!ReadElement(input, i, e)) return false;
    if (e.clothoidParameter == 0.0) {
      if (!out.Add(e)) return false;
      continue;
    }
    const double c = e.length / kClothoidArcs;
    const bool right = e.radiusStart < 0.0 || e.radiusEnd < 0.0;
    double prevX = e.startX;
    double prevY = e.startY;
    double prevHeading = e.headingStart;
    for (int j = 1; j <= kClothoidArcs; ++j) {
      double x = 0.0, y = 0.0, p = 0.0, q = 0.0, heading = 0.0;
      ClothoidPointAt(e.clothoidParameter, e.radiusStart, e.radiusEnd, e.startX, e.startY,
                      e.headingStart, j * c, x, y, p, q, e, heading);
      double turn = std::fabs(heading - prevHeading);
      if (turn > kPi) turn = kTwoPi - turn;
      // A piece that does not turn has parallel normals and no arc.
      if (!(turn > 0.0)) return false;
      const double radius = right ? -c / turn : c / turn;
      double cx = 0.0, cy = 0.0;
      const double ns = prevHeading + kHalfPi;
      const double ne = heading + kHalfPi;
      if (!IntersectLines(cx, cy, prevX, prevY, prevX + std::cos(ns), prevY + std::sin(ns), x, y,
                          x + std::cos(ne), y + std::sin(ne)))
        return false;
      double bulge = 0.0;
      if (!BulgeFromRadius(prevX, prevY, x, y, cx, cy, radius, bulge)) return false;
      GeometryElement arc{};
      double arcLength = 0.0, hs = 0.0, he = 0.0, signedRadius = 0.0;
      ArcElementFromBulge(prevX, prevY, x, y, bulge, arcLength, hs, he, signedRadius,
                          arc.centreX, arc.centreY);
      arc.startChainage = e.startChainage + (j - 1) * c;
      arc.length = c;
      arc.radiusStart = arc.radiusEnd = signedRadius;
      arc.startX = prevX;
      arc.startY = prevY;
      arc.endX = x;
      arc.endY = y;
      arc.headingStart = prevHeading;
      arc.headingEnd = heading;
      if (!out.Add(arc)) return false;
      prevX = x;
      prevY = y;
      prevHeading = heading;
    }
  }
  outputCount = out.count();
  return true;
}

bool DensifyAlignmentByArcStep(std::int32_t count, const GrowArray& input, GrowArray& output,
                               std::int32_t& outputCount, double stepFactor, int clothoidChords,
                               int straightTag, int arcTag, int clothoidTag) {
  return DensifyByStep(count, input, output, outputCount, stepFactor, 0.0, clothoidChords,
                       straightTag, arcTag, clothoidTag);
}

bool DensifyAlignmentByArcStepMin(std::int32_t count, const GrowArray& input, GrowArray& output,
                                  std::int32_t& outputCount, double stepFactor, double minStep,
                                  int clothoidChords, int straightTag, int arcTag,
                                  int clothoidTag) {
  return DensifyByStep(count, input, output, outputCount, stepFactor, minStep, clothoidChords,
                       straightTag, arcTag, clothoidTag);
}
