// Element builders and an independent reference for the geometry tests.
//
// The reference clothoid integrates the curve numerically (Simpson's rule on
// the heading, which varies linearly in curvature), so it shares nothing with
// the power series under test.
#pragma once

#include <cmath>
#include <initializer_list>
#include <vector>

#include <gtest/gtest.h>

#include "common/geometry/alignment.h"
#include "common/containers/grow_array.h"

namespace geometry_fixtures {

inline constexpr double kPi = 3.14159265358979323846;

inline double Wrap(double a) {
  while (a < 0.0) a += 2.0 * kPi;
  while (a >= 2.0 * kPi) a -= 2.0 * kPi;
  return a;
}

// Difference of two angles, folded into [-pi, pi].
inline double AngleDiff(double a, double b) {
  double d = std::fmod(a - b, 2.0 * kPi);
  if (d > kPi) d -= 2.0 * kPi;
  if (d < -kPi) d += 2.0 * kPi;
  return d;
}

// A list owned by the test.
class List {
 public:
  List() { EXPECT_TRUE(GrowArrayCreate(50, sizeof(GeometryElement), &array_)); }
  explicit List(std::initializer_list<GeometryElement> elements) : List() {
    for (const GeometryElement& e : elements) Add(e);
  }
  explicit List(const std::vector<GeometryElement>& elements) : List() {
    for (const GeometryElement& e : elements) Add(e);
  }
  ~List() { GrowArrayFree(&array_); }
  List(const List&) = delete;
  List& operator=(const List&) = delete;

  void Add(const GeometryElement& e) { EXPECT_TRUE(GrowArraySet(&array_, array_.count, &e)); }
  GeometryElement At(int i) const {
    GeometryElement e{};
    EXPECT_TRUE(GrowArrayGet(&array_, i, &e));
    return e;
  }
  std::int32_t count() const { return array_.count; }
  GrowArray& array() { return array_; }
  const GrowArray& array() const { return array_; }

 private:
  GrowArray array_{};
};

inline GeometryElement Straight(double chainage, double x1, double y1, double x2, double y2) {
  GeometryElement e{};
  e.startChainage = chainage;
  e.length = std::hypot(x2 - x1, y2 - y1);
  e.startX = x1;
  e.startY = y1;
  e.endX = x2;
  e.endY = y2;
  e.headingStart = e.headingEnd = Wrap(std::atan2(y2 - y1, x2 - x1));
  return e;
}

// An arc around (cx, cy) from bearing a0 turning by `sweep` (> 0 to the
// left, counter-clockwise).
inline GeometryElement Arc(double chainage, double cx, double cy, double r, double a0,
                           double sweep) {
  GeometryElement e{};
  e.startChainage = chainage;
  e.length = r * std::fabs(sweep);
  e.radiusStart = e.radiusEnd = sweep > 0.0 ? r : -r;
  e.centreX = cx;
  e.centreY = cy;
  e.startX = cx + r * std::cos(a0);
  e.startY = cy + r * std::sin(a0);
  e.endX = cx + r * std::cos(a0 + sweep);
  e.endY = cy + r * std::sin(a0 + sweep);
  const double turn = sweep > 0.0 ? kPi / 2.0 : -kPi / 2.0;
  e.headingStart = Wrap(a0 + turn);
  e.headingEnd = Wrap(a0 + sweep + turn);
  return e;
}

// Point and heading at distance s along a curve from (x0, y0, h0) whose
// signed curvature (left positive) goes linearly from k0 to k1 over length L.
struct RefPoint {
  double x;
  double y;
  double heading;
};

inline double RefHeading(double h0, double k0, double k1, double L, double t) {
  return h0 + k0 * t + (k1 - k0) * t * t / (2.0 * L);
}

inline RefPoint ReferenceCurve(double x0, double y0, double h0, double k0, double k1, double L,
                               double s, int intervals = 2000) {
  const double h = s / intervals;
  double sx = 0.0, sy = 0.0;
  for (int i = 0; i <= intervals; ++i) {
    const double w = (i == 0 || i == intervals) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
    const double a = RefHeading(h0, k0, k1, L, i * h);
    sx += w * std::cos(a);
    sy += w * std::sin(a);
  }
  return {x0 + sx * h / 3.0, y0 + sy * h / 3.0, Wrap(RefHeading(h0, k0, k1, L, s))};
}

// Curvature of a signed radius (0 for a straight end).
inline double Curvature(double radius) { return radius == 0.0 ? 0.0 : 1.0 / radius; }

// A clothoid from (x0, y0, h0) of length L between the signed radii; its end
// comes from the reference integration.
inline GeometryElement Clothoid(double chainage, double x0, double y0, double h0, double L,
                                double radiusStart, double radiusEnd) {
  const double k0 = Curvature(radiusStart);
  const double k1 = Curvature(radiusEnd);
  GeometryElement e{};
  e.startChainage = chainage;
  e.length = L;
  e.radiusStart = radiusStart;
  e.radiusEnd = radiusEnd;
  e.clothoidParameter = std::sqrt(L / std::fabs(k1 - k0));
  e.startX = x0;
  e.startY = y0;
  e.headingStart = Wrap(h0);
  const RefPoint end = ReferenceCurve(x0, y0, h0, k0, k1, L, L);
  e.endX = end.x;
  e.endY = end.y;
  e.headingEnd = end.heading;
  return e;
}

inline RefPoint ReferenceOn(const GeometryElement& e, double s) {
  return ReferenceCurve(e.startX, e.startY, e.headingStart, Curvature(e.radiusStart),
                        Curvature(e.radiusEnd), e.length, s);
}

}  // namespace geometry_fixtures
