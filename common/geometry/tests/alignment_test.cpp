#include "common/geometry/alignment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/geometry/tests/geometry_fixtures.h"

namespace {

using namespace geometry_fixtures;

TEST(StraightProjection, StatusChainageAndOffset) {
  const GeometryElement e = Straight(1000, 0, 0, 100, 0);
  struct Case {
    double px, py;
    std::int16_t status;
    double chainage, offset;
  } cases[] = {
      {50, 3, 0, 1050, -3},          // left of travel: negative
      {50, -3, 0, 1050, 3},          // right: positive
      {0, 7, 0, 1000, -7},           // level with the start
      {100.0004, 1, 0, 1100.0004, -1},  // within the 0.001 slack past the end
      {-5, 0, -1, 0, 0},             // before the start
      {105, 0, 1, 0, 0},             // past the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.px << "," << c.py);
    ChainageOffset r{};
    ElementChainageOffset(c.px, c.py, e, r);
    EXPECT_EQ(r.status, c.status);
    if (c.status == 0) {
      EXPECT_NEAR(r.chainage, c.chainage, 1e-9);
      EXPECT_NEAR(r.offset, c.offset, 1e-9);
    }
  }
}

TEST(StraightProjection, SlopingStraightsAgreeWithTheDotProduct) {
  // Steep and shallow, in every direction, so both forms of the foot's Y run.
  const double directions[] = {0.3, 1.4, 2.0, 3.5, 4.6, 5.9};
  for (double a : directions) {
    SCOPED_TRACE(a);
    const double ux = std::cos(a), uy = std::sin(a);
    const GeometryElement e = Straight(10, 5, -2, 5 + 80 * ux, -2 + 80 * uy);
    for (double along : {0.5, 20.0, 79.0}) {
      for (double right : {-4.0, 0.0, 6.5}) {
        // Right of travel is the direction (uy, -ux).
        const double px = 5 + along * ux + right * uy;
        const double py = -2 + along * uy - right * ux;
        ChainageOffset r{};
        ElementChainageOffset(px, py, e, r);
        ASSERT_EQ(r.status, 0);
        EXPECT_NEAR(r.chainage, 10 + along, 1e-9);
        EXPECT_NEAR(r.offset, right, 1e-9);
      }
    }
  }
}

TEST(ElementPointAt, StraightOffsetsAndExtrapolation) {
  const GeometryElement e = Straight(0, 0, 0, 100, 0);
  double x, y, h;
  ASSERT_TRUE(ElementPointAt(30, 2, x, y, h, e));
  EXPECT_NEAR(x, 30, 1e-12);
  EXPECT_NEAR(y, -2, 1e-12) << "a positive offset lies to the right";
  EXPECT_EQ(h, 0.0);
  ASSERT_TRUE(ElementPointAt(30, -2, x, y, h, e));
  EXPECT_NEAR(y, 2, 1e-12);
  EXPECT_EQ(h, 0.0);
  ASSERT_TRUE(ElementCentrelinePoint(110, x, y, h, e));
  EXPECT_NEAR(x, 110, 1e-12);
  EXPECT_NEAR(y, 0, 1e-12);
}

TEST(ArcEvaluation, PointsAndHeadingsMatchTheCircle) {
  struct Case {
    double cx, cy, r, a0, sweep;
  } cases[] = {
      {0, 0, 10, 0, kPi / 2},       {0, 0, 10, 0, -kPi / 2},      {50, 20, 200, 5.9, 0.6},
      {50, 20, 200, 0.3, -0.6},     {-3, 4, 30, 3.0, 4.0},        {-3, 4, 30, 1.0, -4.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "a0=" << c.a0 << " sweep=" << c.sweep);
    const GeometryElement e = Arc(500, c.cx, c.cy, c.r, c.a0, c.sweep);
    const double sign = c.sweep > 0 ? 1.0 : -1.0;
    for (double share : {0.0, 0.25, 0.5, 1.0}) {
      for (double offset : {0.0, 3.0, -2.0}) {
        const double s = share * e.length;
        const double a = c.a0 + sign * s / c.r;
        // Right of travel is outwards on a left turn, inwards on a right one.
        const double rr = c.r + sign * offset;
        double x, y, h;
        ASSERT_TRUE(ElementPointAt(500 + s, offset, x, y, h, e));
        EXPECT_NEAR(x, c.cx + rr * std::cos(a), 1e-9);
        EXPECT_NEAR(y, c.cy + rr * std::sin(a), 1e-9);
        EXPECT_NEAR(AngleDiff(h, a + sign * kPi / 2), 0.0, 1e-12);
        EXPECT_GE(h, 0.0);
        EXPECT_LE(h, 2 * kPi);

        ChainageOffset r{};
        ElementChainageOffset(x, y, e, r);
        ASSERT_EQ(r.status, 0);
        EXPECT_NEAR(r.chainage, 500 + s, 1e-8);
        EXPECT_NEAR(r.offset, offset, 1e-9);
      }
    }
  }
}

TEST(ArcProjection, SweepBoundariesAndOutside) {
  // Left-turning arc from bearing 0.2 to 1.2 around the origin.
  const GeometryElement left = Arc(0, 0, 0, 10, 0.2, 1.0);
  const GeometryElement right = Arc(0, 0, 0, 10, 1.2, -1.0);
  struct Case {
    double bearing;
    std::int16_t status;
  } cases[] = {
      {1.2 + 1e-8, 0}, {1.2 + 1e-7, -1}, {0.2 - 1e-8, 0}, {0.2 - 1e-7, -1},
      {0.7, 0},        {3.5, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bearing);
    ChainageOffset r{};
    ElementChainageOffset(12 * std::cos(c.bearing), 12 * std::sin(c.bearing), left, r);
    EXPECT_EQ(r.status, c.status);
    ElementChainageOffset(12 * std::cos(c.bearing), 12 * std::sin(c.bearing), right, r);
    EXPECT_EQ(r.status, c.status);
  }
  // An arc across east, where the bearings wrap through 0.
  const GeometryElement across = Arc(0, 0, 0, 10, 6.0, 0.6);
  ChainageOffset r{};
  ElementChainageOffset(8, 0, across, r);
  ASSERT_EQ(r.status, 0);
  EXPECT_NEAR(r.chainage, 10 * (2 * kPi - 6.0), 1e-9);
  EXPECT_NEAR(r.offset, -2, 1e-9);
  ElementChainageOffset(std::cos(3.0), std::sin(3.0), across, r);
  EXPECT_EQ(r.status, -1);
}

struct ClothoidCase {
  const char* name;
  double radiusStart, radiusEnd;
  double h0;
};

const ClothoidCase kClothoids[] = {
    {"straight to left curve", 0, 250, 0.4},
    {"straight to right curve", 0, -250, 2.0},
    {"left curve to straight", 300, 0, 5.5},
    {"right curve to straight", -300, 0, 3.3},
    {"tightening left", 600, 200, 1.0},
    {"opening left", 200, 600, 6.1},
    {"tightening right", -600, -200, 4.0},
    {"opening right", -200, -600, 0.05},
};

TEST(ClothoidEvaluation, SeriesAgreesWithNumericalIntegration) {
  for (const ClothoidCase& c : kClothoids) {
    SCOPED_TRACE(c.name);
    const GeometryElement e = Clothoid(200, 1000, 2000, c.h0, 90, c.radiusStart, c.radiusEnd);
    for (double s : {0.0, 10.0, 45.0, 77.7, 90.0}) {
      SCOPED_TRACE(s);
      const RefPoint ref = ReferenceOn(e, s);
      double x, y, h;
      ASSERT_TRUE(ElementCentrelinePoint(200 + s, x, y, h, e));
      EXPECT_NEAR(x, ref.x, 1e-6);
      EXPECT_NEAR(y, ref.y, 1e-6);
      EXPECT_NEAR(AngleDiff(h, ref.heading), 0.0, 1e-9);
      EXPECT_GE(h, 0.0);
      EXPECT_LE(h, 2 * kPi);
    }
  }
}

TEST(ClothoidEvaluation, CurveToStraightEndsOnItsOwnEnds) {
  const GeometryElement e = Clothoid(0, 0, 0, 0.7, 120, -180, 0);
  double x, y, p, q, h;
  ClothoidPointAt(e.clothoidParameter, e.radiusStart, e.radiusEnd, e.startX, e.startY,
                  e.headingStart, 0, x, y, p, q, e, h);
  EXPECT_NEAR(x, e.startX, 1e-6);
  EXPECT_NEAR(y, e.startY, 1e-6);
  EXPECT_NEAR(AngleDiff(h, e.headingStart), 0.0, 1e-9);
  ClothoidPointAt(e.clothoidParameter, e.radiusStart, e.radiusEnd, e.startX, e.startY,
                  e.headingStart, e.length, x, y, p, q, e, h);
  EXPECT_NEAR(x, e.endX, 1e-9);
  EXPECT_NEAR(y, e.endY, 1e-9);
  EXPECT_NEAR(AngleDiff(h, e.headingEnd), 0.0, 1e-9);
}

TEST(ClothoidProjection, PointsBesideTheCurveProjectBack) {
  for (const ClothoidCase& c : kClothoids) {
    SCOPED_TRACE(c.name);
    const GeometryElement e = Clothoid(50, -300, 700, c.h0, 90, c.radiusStart, c.radiusEnd);
    for (double s : {0.5, 12.0, 45.0, 89.5}) {
      for (double offset : {-6.0, 0.0, 2.5}) {
        SCOPED_TRACE(testing::Message() << "s=" << s << " offset=" << offset);
        const RefPoint ref = ReferenceOn(e, s);
        const double px = ref.x + offset * std::sin(ref.heading);
        const double py = ref.y - offset * std::cos(ref.heading);
        ChainageOffset r{};
        ElementChainageOffset(px, py, e, r);
        ASSERT_EQ(r.status, 0);
        // 64 sub-arcs follow the curve to well within a millimetre.
        EXPECT_NEAR(r.chainage, 50 + s, 2e-3);
        EXPECT_NEAR(r.offset, offset, 2e-3);
      }
    }
    // Well before the start along the tangent: not on the clothoid.
    ChainageOffset r{};
    ElementChainageOffset(e.startX - 20 * std::cos(e.headingStart),
                          e.startY - 20 * std::sin(e.headingStart), e, r);
    EXPECT_EQ(r.status, -1);
  }
}

TEST(ClothoidProjection, AClothoidTooFlatToTurnProjectsLikeAStraight) {
  // A huge parameter: the curve turns by about 1e-21 over its length, which
  // is no circle anyone could locate.
  for (double h : {0.0, 1.0, 2.5, 5.0}) {
    SCOPED_TRACE(h);
    GeometryElement e{};
    e.startChainage = 10;
    e.length = 100;
    e.clothoidParameter = 1e12;
    e.radiusEnd = 1e22;
    e.headingStart = e.headingEnd = h;
    e.endX = 100 * std::cos(h);
    e.endY = 100 * std::sin(h);
    ChainageOffset r{};
    ElementChainageOffset(50 * std::cos(h) + 3 * std::sin(h), 50 * std::sin(h) - 3 * std::cos(h),
                          e, r);
    ASSERT_EQ(r.status, 0);
    EXPECT_NEAR(r.chainage, 60, 1e-6);
    EXPECT_NEAR(r.offset, 3, 1e-6);
  }
}

TEST(ElementProjection, TooShortElementsAreSkipped) {
  GeometryElement e = Straight(0, 0, 0, 4e-5, 0);
  ChainageOffset r{};
  ElementChainageOffset(2e-5, 0, e, r);
  EXPECT_EQ(r.status, -2);
  List list{e, Straight(4e-5, 4e-5, 0, 10, 0)};
  double chainage = -1, offset = -1;
  ASSERT_TRUE(AlignmentChainageOffset(list.array(), 2, 2e-5, 0, chainage, offset));
  EXPECT_NEAR(chainage, 6e-5, 1e-12) << "the short element never wins";
}

// straight, clothoid into a left arc, arc, clothoid out, straight.
std::vector<GeometryElement> Road() {
  std::vector<GeometryElement> road;
  road.push_back(Straight(0, 0, 0, 100, 0));
  road.push_back(Clothoid(100, 100, 0, 0, 60, 0, 200));
  const GeometryElement& in = road.back();
  const double a0 = in.headingEnd - kPi / 2;
  const double cx = in.endX - 200 * std::cos(a0);
  const double cy = in.endY - 200 * std::sin(a0);
  road.push_back(Arc(160, cx, cy, 200, a0, 0.5));
  const GeometryElement& arc = road.back();
  road.push_back(Clothoid(160 + arc.length, arc.endX, arc.endY, arc.headingEnd, 60, 200, 0));
  const GeometryElement& out = road.back();
  road.push_back(Straight(out.startChainage + 60, out.endX, out.endY,
                          out.endX + 150 * std::cos(out.headingEnd),
                          out.endY + 150 * std::sin(out.headingEnd)));
  return road;
}

TEST(Alignment, PointAtAndProjectionRoundTrip) {
  const std::vector<GeometryElement> road = Road();
  List list(road);
  const double total = road.back().startChainage + road.back().length;
  for (double chainage = 1.0; chainage < total; chainage += 17.3) {
    for (double offset : {-7.5, 0.0, 4.0}) {
      SCOPED_TRACE(testing::Message() << "chainage=" << chainage << " offset=" << offset);
      double x, y, h;
      ASSERT_TRUE(AlignmentPointAt(list.array(), list.count(), chainage, offset, x, y, h));
      double c = 0, o = 0;
      ASSERT_TRUE(AlignmentChainageOffset(list.array(), list.count(), x, y, c, o));
      EXPECT_NEAR(c, chainage, 2e-3);
      EXPECT_NEAR(o, offset, 2e-3);
    }
  }
}

TEST(Alignment, PointAtChainageBoundaries) {
  List list{Straight(1000, 0, 0, 100, 0), Straight(1100, 100, 0, 100, 50)};
  double x = -1, y = -1, h = -1;
  // The joint belongs to the earlier element: its heading is east.
  ASSERT_TRUE(AlignmentPointAt(list.array(), 2, 1100, 0, x, y, h));
  EXPECT_EQ(h, 0.0);
  EXPECT_NEAR(x, 100, 1e-12);
  ASSERT_TRUE(AlignmentPointAt(list.array(), 2, 1000 - 4e-8, 0, x, y, h));
  EXPECT_TRUE(AlignmentPointAt(list.array(), 2, 1150 + 4e-8, 0, x, y, h));
  x = y = h = -1;
  EXPECT_FALSE(AlignmentPointAt(list.array(), 2, 1000 - 1e-7, 0, x, y, h));
  EXPECT_FALSE(AlignmentPointAt(list.array(), 2, 1150 + 1e-7, 0, x, y, h));
  EXPECT_EQ(x, -1) << "outputs untouched";
  // A count beyond what the list holds is a failed read, not a stale slot.
  EXPECT_FALSE(AlignmentPointAt(list.array(), 3, 5000, 0, x, y, h));
}

TEST(Alignment, ProjectionPicksTheNearestAndTheEarlierOnATie) {
  // Two parallel straights 10 apart, both running east.
  List list{Straight(0, 0, 0, 100, 0), Straight(500, 0, 10, 100, 10)};
  double c = 0, o = 0;
  ASSERT_TRUE(AlignmentChainageOffset(list.array(), 2, 50, 5, c, o));
  EXPECT_NEAR(c, 50, 1e-9);
  EXPECT_NEAR(o, -5, 1e-9);
  ASSERT_TRUE(AlignmentChainageOffset(list.array(), 2, 50, 6, c, o));
  EXPECT_NEAR(c, 550, 1e-9);
  EXPECT_NEAR(o, 4, 1e-9);
  c = o = 77;
  EXPECT_FALSE(AlignmentChainageOffset(list.array(), 2, 500, 0, c, o));
  EXPECT_EQ(c, 77);
}

TEST(Alignment, JointWedgeCountsOnlyForTheEndsSearch) {
  // East, then north: the outside of the corner is the wedge south-east of
  // (100, 0).
  List list{Straight(0, 0, 0, 100, 0), Straight(100, 100, 0, 100, 100)};
  double c = 0, o = 0;
  std::uint8_t joint = 9;
  EXPECT_FALSE(AlignmentChainageOffset(list.array(), 2, 103, -4, c, o));
  ASSERT_TRUE(AlignmentChainageOffsetEnds(list.array(), 2, 103, -4, c, o, joint));
  EXPECT_EQ(joint, 1);
  EXPECT_NEAR(c, 100, 1e-12);
  EXPECT_NEAR(o, 5, 1e-12) << "right of the second straight";
  ASSERT_TRUE(AlignmentChainageOffsetEnds(list.array(), 2, 50, 3, c, o, joint));
  EXPECT_EQ(joint, 0);
  EXPECT_NEAR(c, 50, 1e-12);
}

}  // namespace
