#include "common/geometry/plane_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kRefPi = 3.14159265358979323846;

double Atan2Bearing(double x1, double y1, double x2, double y2) {
  double a = std::atan2(y2 - y1, x2 - x1);
  if (a < 0.0) a += 2.0 * kRefPi;
  return a;
}

TEST(Bearings, AgreeWithAtan2InEveryQuadrant) {
  const double points[][4] = {
      {0, 0, 3, 4},   {0, 0, -3, 4},    {0, 0, -3, -4}, {0, 0, 3, -4},     {5, 5, 6, 5},
      {5, 5, 4, 5.5}, {-2, 7, -1, 100}, {1, 1, 1e6, 0}, {10, -3, -20, -3.0001}};
  for (const auto& p : points) {
    SCOPED_TRACE(testing::Message() << p[0] << "," << p[1] << " -> " << p[2] << "," << p[3]);
    const double expected = Atan2Bearing(p[0], p[1], p[2], p[3]);
    EXPECT_NEAR(Bearing2dExact(p[0], p[1], p[2], p[3]), expected, 1e-14);
    EXPECT_NEAR(Bearing2d(p[0], p[1], p[2], p[3]), expected, 2e-9);
  }
}

TEST(Bearings, SpecialDirections) {
  // Exactly vertical, and two equal points, which count as "down".
  EXPECT_EQ(Bearing2d(1, 1, 1, 2), 1.570796327);
  EXPECT_EQ(Bearing2d(1, 1, 1, 0), 4.712388981);
  EXPECT_EQ(Bearing2d(2, 2, 2, 2), 4.712388981);
  EXPECT_EQ(Bearing2dExact(2, 2, 2, 2), 1.5 * kRefPi);
  EXPECT_EQ(Bearing2dExact(1, 1, 1, 2), kRefPi / 2.0);
  // Due west is exactly the 9-decimal pi.
  EXPECT_EQ(Bearing2d(0, 0, -1, 0), 3.141592654);
  EXPECT_EQ(Bearing2d(0, 0, 1, 0), 0.0);
  // A hair below east wraps to just under 2pi, never below 0.
  const double b = Bearing2d(0, 0, 1, -1e-12);
  EXPECT_GE(b, 0.0);
  EXPECT_LT(b, 6.283185307);
  EXPECT_GT(b, 6.283185306);
}

TEST(SideOfLine, RightLeftAndOnTheLine) {
  struct Case {
    double px, py;
    bool right, onLine;
  } cases[] = {
      {5, -1, true, false},     // south of an eastward line: right
      {5, 1, false, false},     // north: left
      {5, 0, true, true},       // on it
      {5, 1e-4, false, true},   // just left, within the on-line tolerance
      {5, -1e-4, true, true},   // just right
      {5, 2e-4, false, false},  // outside the tolerance
      {-50, 0, true, true},     // on the line beyond its start
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.px << "," << c.py);
    bool onLine = !c.onLine;
    EXPECT_EQ(SideOfLine(0, 0, 1, 0, c.px, c.py, onLine), c.right);
    EXPECT_EQ(onLine, c.onLine);
  }
}

TEST(Solve2x2, SolvesAndRefusesOnlyAZeroDeterminant) {
  double x = 0, y = 0;
  // x + y - 3 = 0, x - y - 1 = 0
  ASSERT_TRUE(Solve2x2(1, 1, -3, 1, -1, -1, x, y));
  EXPECT_DOUBLE_EQ(x, 2.0);
  EXPECT_DOUBLE_EQ(y, 1.0);
  x = y = 42;
  EXPECT_FALSE(Solve2x2(1, 2, 3, 2, 4, 7, x, y));
  EXPECT_EQ(x, 42);
  EXPECT_EQ(y, 42);
  // A tiny determinant is still solved.
  EXPECT_TRUE(Solve2x2(1, 1, -3, 1, 1 + 1e-12, -1, x, y));
}

TEST(IntersectLines, CrossingAndParallel) {
  double x = 0, y = 0;
  ASSERT_TRUE(IntersectLines(x, y, 0, 0, 2, 2, 0, 2, 2, 0));
  EXPECT_NEAR(x, 1.0, 1e-12);
  EXPECT_NEAR(y, 1.0, 1e-12);
  // Far outside both segments: lines are infinite.
  ASSERT_TRUE(IntersectLines(x, y, 0, 0, 1, 0, 10, 5, 10, 6));
  EXPECT_NEAR(x, 10.0, 1e-12);
  EXPECT_NEAR(y, 0.0, 1e-12);
  x = y = 7;
  EXPECT_FALSE(IntersectLines(x, y, 0, 0, 1, 1, 0, 1, 1, 2));
  EXPECT_EQ(x, 7);
}

TEST(IntersectSegments, StrictAndLooseOnSegmentTests) {
  struct Case {
    const char* name;
    double s[8];
    bool strict, loose;
    double x, y;
  } cases[] = {
      {"crossing", {0, 0, 10, 10, 0, 10, 10, 0}, true, true, 5, 5},
      {"shared end point only", {0, 0, 10, 0, 10, 0, 10, 10}, true, true, 10, 0},
      {"0.005 beyond a 100 long segment", {0, 0, 100, 0, 100.005, -5, 100.005, 5}, false, true,
       100.005, 0},
      {"well beyond", {0, 0, 100, 0, 110, -5, 110, 5}, false, false, 0, 0},
      {"1e-4 long segment crossed in its middle", {0, 0, 1e-4, 0, 5e-5, -1, 5e-5, 1}, false,
       false, 0, 0},
      {"parallel", {0, 0, 10, 0, 0, 1, 10, 1}, false, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double* s = c.s;
    double x = -1, y = -1;
    EXPECT_EQ(IntersectSegments(x, y, s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]), c.strict);
    if (c.strict) {
      EXPECT_NEAR(x, c.x, 1e-9);
      EXPECT_NEAR(y, c.y, 1e-9);
    } else {
      EXPECT_EQ(x, -1) << "outputs untouched on false";
    }
    x = y = -1;
    EXPECT_EQ(IntersectSegmentsLoose(x, y, s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]),
              c.loose);
    if (c.loose) {
      EXPECT_NEAR(x, c.x, 1e-9);
      EXPECT_NEAR(y, c.y, 1e-9);
    } else {
      EXPECT_EQ(x, -1);
    }
  }
}

TEST(PointOnLine, Tolerances) {
  EXPECT_TRUE(PointOnLine(50, 0, 0, 0, 1, 0));
  EXPECT_TRUE(PointOnLine(3, 3 + 1e-9, 0, 0, 1, 1));
  EXPECT_FALSE(PointOnLine(3, 3 + 1e-7, 0, 0, 1, 1));
  // A defining segment too short to give a line.
  EXPECT_FALSE(PointOnLine(0, 0, 0, 0, 0.01, 0));
}

TEST(IntersectCircleSegment, VerticalHorizontalAndSloping) {
  double xA, yA, xB, yB;
  bool onA, onB;
  // Vertical segment through the centre: the upper point first.
  ASSERT_TRUE(IntersectCircleSegment(3, -10, 3, 10, 3, 4, 5, xA, yA, xB, yB, onA, onB));
  EXPECT_DOUBLE_EQ(xA, 3);
  EXPECT_DOUBLE_EQ(yA, 9);
  EXPECT_DOUBLE_EQ(xB, 3);
  EXPECT_DOUBLE_EQ(yB, -1);
  EXPECT_TRUE(onA);
  EXPECT_TRUE(onB);

  // Vertical tangent: two equal points.
  ASSERT_TRUE(IntersectCircleSegment(5, -10, 5, 10, 0, 0, 5, xA, yA, xB, yB, onA, onB));
  EXPECT_DOUBLE_EQ(xA, 5);
  EXPECT_DOUBLE_EQ(yA, 0);
  EXPECT_DOUBLE_EQ(xB, 5);
  EXPECT_DOUBLE_EQ(yB, 0);

  // Horizontal tangent: none, and nothing written.
  xA = yA = xB = yB = 99;
  EXPECT_FALSE(IntersectCircleSegment(-10, 5, 10, 5, 0, 0, 5, xA, yA, xB, yB, onA, onB));
  EXPECT_FALSE(onA);
  EXPECT_FALSE(onB);
  EXPECT_EQ(xA, 99);

  // A vertical line that passes the circle by meets nothing (it must not be
  // treated as a steep sloping line).
  onA = onB = true;
  EXPECT_FALSE(IntersectCircleSegment(7, -10, 7, 10, 0, 0, 5, xA, yA, xB, yB, onA, onB));
  EXPECT_FALSE(onA);
  EXPECT_FALSE(onB);
  EXPECT_EQ(xA, 99);

  // Sloping segment from inside the circle outwards: only the far crossing
  // lies on it, but both points are written.
  ASSERT_TRUE(IntersectCircleSegment(0, 0, 10, 10, 0, 0, 5, xA, yA, xB, yB, onA, onB));
  const double h = 5.0 / std::sqrt(2.0);
  EXPECT_NEAR(xA, h, 1e-12);
  EXPECT_NEAR(yA, h, 1e-12);
  EXPECT_NEAR(xB, -h, 1e-12);
  EXPECT_NEAR(yB, -h, 1e-12);
  EXPECT_TRUE(onA);
  EXPECT_FALSE(onB);

  // Line meets the circle outside the segment: points written, result false.
  EXPECT_FALSE(IntersectCircleSegment(20, 1, 30, 1, 0, 0, 5, xA, yA, xB, yB, onA, onB));
  EXPECT_NEAR(xA, std::sqrt(24.0), 1e-12);
  EXPECT_NEAR(yA, 1.0, 1e-12);
}

TEST(IntersectCircles, CrossingTouchingAndApart) {
  double xA, yA, xB, yB;
  // Radii 5 and 3 at distance 4: a 3-4-5 triangle, the meeting points are
  // (4, 3) and (4, -3) whichever circle is given first.
  for (bool swap : {false, true}) {
    SCOPED_TRACE(swap);
    const bool ok = swap ? IntersectCircles(4, 0, 3, 0, 0, 5, xA, yA, xB, yB)
                         : IntersectCircles(0, 0, 5, 4, 0, 3, xA, yA, xB, yB);
    ASSERT_TRUE(ok);
    EXPECT_NEAR(xA, 4, 1e-8);
    EXPECT_NEAR(xB, 4, 1e-8);
    EXPECT_NEAR(std::fabs(yA), 3, 1e-8);
    EXPECT_NEAR(yA, -yB, 1e-8);
  }
  // Touching externally within 1e-8: the touching point twice.
  ASSERT_TRUE(IntersectCircles(0, 0, 2, 5 + 5e-9, 0, 3, xA, yA, xB, yB));
  EXPECT_NEAR(xA, 2, 1e-8);
  EXPECT_NEAR(yA, 0, 1e-8);
  EXPECT_EQ(xA, xB);
  EXPECT_EQ(yA, yB);
  EXPECT_FALSE(IntersectCircles(0, 0, 2, 10, 0, 3, xA, yA, xB, yB));
  EXPECT_FALSE(IntersectCircles(0, 0, 10, 1, 0, 2, xA, yA, xB, yB)) << "one inside the other";
}

TEST(BulgeFromRadius, MinorMajorAndHalfCircles) {
  const double q = std::tan(kRefPi / 8.0);       // quarter circle
  const double tq = std::tan(3.0 * kRefPi / 8.0);  // three quarters
  struct Case {
    const char* name;
    double x1, y1, x2, y2, px, py, r;
    double bulge;
  } cases[] = {
      {"half circle left", 0, 0, 2, 0, 1, 0, 1, 1},
      {"half circle right", 0, 0, 2, 0, 1, 0, -1, -1},
      {"quarter ccw, centre left", 1, 0, 0, 1, 0, 0, 1, q},
      {"quarter cw, centre right", 1, 0, 0, 1, 1, 1, -1, -q},
      {"three quarters ccw, centre right", 1, 0, 0, 1, 1, 1, 1, tq},
      {"three quarters cw, centre left", 1, 0, 0, 1, 0, 0, -1, -tq},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double bulge = 0;
    ASSERT_TRUE(BulgeFromRadius(c.x1, c.y1, c.x2, c.y2, c.px, c.py, c.r, bulge));
    EXPECT_NEAR(bulge, c.bulge, 1e-7);
  }
  double bulge = 5;
  EXPECT_FALSE(BulgeFromRadius(0, 0, 1e-4, 0, 0, 1, 1, bulge));
  EXPECT_EQ(bulge, 5);
}

TEST(ArcElementFromBulge, AgreesWithTheArcItWasMadeFrom) {
  struct Case {
    double cx, cy, r, a0, sweep;  // sweep > 0 counter-clockwise
  } cases[] = {
      {0, 0, 1, 0, kRefPi / 2},           {10, -4, 25, 1.0, 0.3},
      {10, -4, 25, 1.0, -0.3},            {0, 0, 3, kRefPi / 4, kRefPi},
      {0, 0, 3, kRefPi / 4, -kRefPi},     {5, 5, 2, 5.5, 4.4},  // major arc
      {5, 5, 2, 0.2, -5.0},               {1e5, 2e5, 400, 3.0, 0.05},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "r=" << c.r << " a0=" << c.a0 << " sweep=" << c.sweep);
    const double x1 = c.cx + c.r * std::cos(c.a0);
    const double y1 = c.cy + c.r * std::sin(c.a0);
    const double x2 = c.cx + c.r * std::cos(c.a0 + c.sweep);
    const double y2 = c.cy + c.r * std::sin(c.a0 + c.sweep);
    const double bulge = std::tan(c.sweep / 4.0);
    double length, hs, he, radius, cx, cy;
    ASSERT_TRUE(ArcElementFromBulge(x1, y1, x2, y2, bulge, length, hs, he, radius, cx, cy));
    const double tol = 1e-9 * (1.0 + c.r + std::fabs(c.cx) + std::fabs(c.cy));
    EXPECT_NEAR(length, c.r * std::fabs(c.sweep), tol);
    EXPECT_NEAR(radius, c.sweep > 0 ? c.r : -c.r, tol);
    EXPECT_NEAR(cx, c.cx, tol);
    EXPECT_NEAR(cy, c.cy, tol);
    const double turn = c.sweep > 0 ? kRefPi / 2 : -kRefPi / 2;
    auto diff = [](double a, double b) { return std::remainder(a - b, 2.0 * kRefPi); };
    EXPECT_NEAR(diff(hs, c.a0 + turn), 0.0, 1e-8);
    EXPECT_NEAR(diff(he, c.a0 + c.sweep + turn), 0.0, 1e-8);
    EXPECT_GE(hs, 0.0);
    EXPECT_LE(hs, 6.283185307);
    EXPECT_GE(he, 0.0);
    EXPECT_LE(he, 6.283185307);
  }
}

}  // namespace
