#include "common/geometry/densify.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "common/geometry/tests/geometry_fixtures.h"
#include "host/system/fault.h"

namespace {

using namespace geometry_fixtures;

HzGeometry HeaderFor(std::int32_t count) {
  HzGeometry header{};
  header.elementCount = count;
  return header;
}

TEST(DensifyAlignment, StraightsKeepTheirChainagesUnlessACurveWasSplit) {
  List straights{Straight(1000, 0, 0, 10, 0), Straight(1010, 10, 0, 10, 20)};
  List out;
  std::int32_t n = -1;
  ASSERT_TRUE(DensifyAlignment(2, straights.array(), out.array(), n, 25, 0, 7, 8, 9));
  ASSERT_EQ(n, 2);
  EXPECT_EQ(out.At(0).startChainage, 1000);
  EXPECT_EQ(out.At(1).startChainage, 1010);
  EXPECT_EQ(out.At(0).clothoidParameter, 7) << "straights carry the straight tag";

  List mixed{Straight(1000, 0, 0, 10, 0), Arc(1010, 10, 5, 5, -kPi / 2, kPi)};
  List chords;
  ASSERT_TRUE(DensifyAlignment(2, mixed.array(), chords.array(), n, 4, 0, 1, 2, 3));
  ASSERT_EQ(n, 5);
  double chainage = 0;
  for (int i = 0; i < n; ++i) {
    EXPECT_NEAR(chords.At(i).startChainage, chainage, 1e-9) << i;
    chainage += chords.At(i).length;
  }
}

TEST(DensifyAlignment, ChordCountsAreBounded) {
  struct Case {
    int arcChords, clothoidChords;
    int perArc, perClothoid;
  } cases[] = {
      {1, 1, 2, 31},     {5000, 301, 2000, 31}, {2, 2, 2, 2},
      {2000, 300, 2000, 300}, {25, 0, 25, 31}, {-4, -4, 2, 31},
  };
  List input{Arc(0, 0, 0, 100, 0, 1.0), Clothoid(100, 0, 0, 0, 50, 0, 200)};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.arcChords << " / " << c.clothoidChords);
    List out;
    std::int32_t n = -1;
    ASSERT_TRUE(DensifyAlignment(2, input.array(), out.array(), n, c.arcChords,
                                 c.clothoidChords, 0, 1, 2));
    EXPECT_EQ(n, c.perArc + c.perClothoid);
  }
}

TEST(DensifyAlignment, ChordsShareTheCurveLengthAndEndOnIt) {
  // An arc of length 30 (radius 20, 1.5 radians) in three chords.
  const GeometryElement arc = Arc(0, 3, 4, 20, 0.25, 1.5);
  List input{arc};
  List out;
  std::int32_t n = 0;
  ASSERT_TRUE(DensifyAlignment(1, input.array(), out.array(), n, 3, 0, 11, 22, 33));
  ASSERT_EQ(n, 3);
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const GeometryElement c = out.At(k);
    EXPECT_NEAR(c.length, 10, 1e-12);
    EXPECT_LT(std::hypot(c.endX - c.startX, c.endY - c.startY), 10);
    EXPECT_EQ(c.clothoidParameter, 22);
    EXPECT_EQ(c.radiusStart, 0);
    const double a = 0.25 + 0.5 * (k + 1);
    EXPECT_NEAR(c.endX, 3 + 20 * std::cos(a), 1e-9);
    EXPECT_NEAR(c.endY, 4 + 20 * std::sin(a), 1e-9);
    EXPECT_NEAR(c.headingStart, std::atan2(c.endY - c.startY, c.endX - c.startX), 1e-12);
    EXPECT_EQ(c.headingStart, c.headingEnd);
  }
  EXPECT_EQ(out.At(0).startX, arc.startX);
  EXPECT_EQ(out.At(1).startX, out.At(0).endX);
}

TEST(DensifyAlignment, ClothoidChordsEndOnTheCurve) {
  const GeometryElement e = Clothoid(0, 10, 10, 2.5, 80, -150, 0);
  List input{e};
  List out;
  std::int32_t n = 0;
  ASSERT_TRUE(DensifyAlignment(1, input.array(), out.array(), n, 2, 8, 0, 0, 5));
  ASSERT_EQ(n, 8);
  for (int k = 0; k < 8; ++k) {
    const RefPoint ref = ReferenceOn(e, 10.0 * (k + 1));
    EXPECT_NEAR(out.At(k).endX, ref.x, 1e-6) << k;
    EXPECT_NEAR(out.At(k).endY, ref.y, 1e-6) << k;
    EXPECT_EQ(out.At(k).clothoidParameter, 5);
  }
}

TEST(DensifyAlignment, AFailedAppendFailsAndLeavesTheCountUnwritten) {
  List input{Arc(0, 0, 0, 100, 0, 1.0)};
  GrowArray out{};
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(GeometryElement), &out));
  std::int32_t n = -1;
  {
    // The list must grow after 50 chords; that growth fails.
    host::ScopedFault fault(host::FaultPoint::Allocation, 0);
    EXPECT_FALSE(DensifyAlignment(1, input.array(), out, n, 80, 0, 0, 0, 0));
  }
  EXPECT_EQ(n, -1);
  EXPECT_EQ(out.count, 50);
  GrowArrayFree(&out);
}

TEST(DensifyAlignmentFixed, CopiesStraightsAndArcsUnchanged) {
  List input{Straight(5, 0, 0, 10, 0), Arc(15, 10, 7, 7, -kPi / 2, 1.0)};
  List out;
  std::int32_t n = 0;
  ASSERT_TRUE(DensifyAlignmentFixed(HeaderFor(2), input.array(), out.array(), n));
  ASSERT_EQ(n, 2);
  for (int i = 0; i < 2; ++i) {
    const GeometryElement a = input.At(i);
    const GeometryElement b = out.At(i);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << i;
  }
}

TEST(DensifyAlignmentFixed, AClothoidBecomes31ArcsAlongIt) {
  for (double rEnd : {250.0, -250.0}) {
    SCOPED_TRACE(rEnd);
    const GeometryElement e = Clothoid(300, 50, 60, 1.1, 93, 0, rEnd);
    List input{Straight(250, 0, 0, 1, 1), e};
    List out;
    std::int32_t n = 0;
    ASSERT_TRUE(DensifyAlignmentFixed(HeaderFor(2), input.array(), out.array(), n));
    ASSERT_EQ(n, 32);
    const double c = 93.0 / 31.0;
    for (int j = 0; j < 31; ++j) {
      SCOPED_TRACE(j);
      const GeometryElement a = out.At(j + 1);
      EXPECT_EQ(a.clothoidParameter, 0);
      EXPECT_NEAR(a.startChainage, 300 + j * c, 1e-9);
      EXPECT_NEAR(a.length, c, 1e-12);
      const RefPoint ref = ReferenceOn(e, (j + 1) * c);
      EXPECT_NEAR(a.endX, ref.x, 1e-6);
      EXPECT_NEAR(a.endY, ref.y, 1e-6);
      // Both ends on the arc's circle, which turns the clothoid's way.
      const double r = std::fabs(a.radiusStart);
      EXPECT_NEAR(std::hypot(a.startX - a.centreX, a.startY - a.centreY), r, 1e-6 * r);
      EXPECT_NEAR(std::hypot(a.endX - a.centreX, a.endY - a.centreY), r, 1e-6 * r);
      EXPECT_EQ(a.radiusStart > 0, rEnd > 0);
      EXPECT_EQ(a.radiusStart, a.radiusEnd);
      // Curvature rises along the straight-to-curve clothoid.
      EXPECT_GT(r, 250.0);
    }
    EXPECT_EQ(out.At(1).startX, e.startX);
    EXPECT_NEAR(out.At(31).endX, e.endX, 1e-6);
    EXPECT_NEAR(out.At(31).endY, e.endY, 1e-6);
  }
}

TEST(DensifyAlignmentByArcStep, StepsAlongArcsAndAlwaysRenumbers) {
  // Arc of length 25 (radius 10): a step of 0.8 x 10 = 8 cuts three chords
  // and a last one of the remaining straight length.
  List input{Straight(700, 0, -5, 10, -5), Arc(710, 10, 5, 10, -kPi / 2, 2.5)};
  List out;
  std::int32_t n = 0;
  ASSERT_TRUE(DensifyAlignmentByArcStep(2, input.array(), out.array(), n, 0.8, 0, 1, 2, 3));
  ASSERT_EQ(n, 5);
  EXPECT_EQ(out.At(0).startChainage, 0) << "renumbered even though the first is a straight";
  EXPECT_NEAR(out.At(1).length, 8, 1e-12);
  const GeometryElement last = out.At(4);
  EXPECT_NEAR(last.endX, input.At(1).endX, 1e-12);
  EXPECT_NEAR(last.length, std::hypot(last.endX - last.startX, last.endY - last.startY), 1e-12);

  // A minimum step larger than the computed one wins.
  List minOut;
  ASSERT_TRUE(
      DensifyAlignmentByArcStepMin(2, input.array(), minOut.array(), n, 0.1, 12, 0, 1, 2, 3));
  EXPECT_EQ(n, 1 + 3);
  // A step of zero would never end.
  List zero;
  EXPECT_FALSE(DensifyAlignmentByArcStep(2, input.array(), zero.array(), n, 0.0, 0, 1, 2, 3));
}

}  // namespace
