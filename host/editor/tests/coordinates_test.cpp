#include "host/editor/coordinates.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace {

using host::db::Point3;

TEST(CoordinatesTest, AnglesRunFromZeroBelowTwoPi) {
  const double pi = std::numbers::pi;
  struct Case {
    Point3 to;
    double angle;
  };
  const Case cases[] = {
      {{1, 0, 0}, 0.0},         {{0, 1, 0}, pi / 2},      {{-1, 0, 0}, pi},
      {{0, -1, 0}, 3 * pi / 2}, {{1, -1e-300, 0}, 0.0},   {{0, 0, 5}, 0.0},
  };
  for (const Case& c : cases) {
    double a = host::Angle(Point3{0, 0, 0}, c.to);
    EXPECT_NEAR(a, c.angle, 1e-12);
    EXPECT_GE(a, 0.0);
    EXPECT_LT(a, 2 * pi);
  }
}

TEST(CoordinatesTest, PolarAndTheWorldUcs) {
  Point3 p = host::Polar(Point3{1, 1, 7}, std::numbers::pi / 2, 2);
  EXPECT_NEAR(p.x, 1, 1e-12);
  EXPECT_NEAR(p.y, 3, 1e-12);
  EXPECT_EQ(p.z, 7);
  EXPECT_EQ(host::UcsToWcs(Point3{0, 0, 1}, true), (Point3{0, 0, 1}));
}

}  // namespace
