#include "common/geometry/profile.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/geometry/tests/geometry_fixtures.h"

namespace {

using namespace geometry_fixtures;

// A profile frame for drawing coordinates equal to chainage and level.
VtProfile PlainFrame(double minY, double maxY) {
  VtProfile frame{};
  frame.verticalScale = 1.0;
  frame.minY = minY;
  frame.maxY = maxY;
  return frame;
}

TEST(ProfileLevelAt, LevelsAlongStraights) {
  // Rising, flat, falling.
  List profile{Straight(0, 0, 5, 10, 10), Straight(10, 10, 10, 30, 10),
               Straight(30, 30, 10, 40, 2)};
  const VtProfile frame = PlainFrame(2, 10);
  struct Case {
    double chainage;
    bool found;
    double level;
  } cases[] = {
      {0, true, 5},         {4, true, 7},           {10, true, 10},  // vertex
      {25, true, 10},       {35, true, 6},          {40, true, 2},
      {40.0005, true, 2},   // just past the end snaps onto it
      {40.01, false, -999}, {-0.01, false, -999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chainage);
    double level = 0;
    bool found = !c.found;
    ASSERT_TRUE(ProfileLevelAt(c.chainage, level, found, profile.array(), profile.count(),
                               frame.minY, frame.maxY, frame));
    EXPECT_EQ(found, c.found);
    EXPECT_NEAR(level, c.level, 1e-9);
  }
}

TEST(ProfileLevelAt, VertexLevelComesFromTheFirstElementHoldingIt) {
  // A step at chainage 10: the first element ends at level 4, the second
  // starts at level 6 (a vertical jump drawn as two separate elements).
  List profile{Straight(0, 0, 4, 10, 4), Straight(10, 10, 6, 20, 6)};
  const VtProfile frame = PlainFrame(4, 6);
  double level = 0;
  bool found = false;
  ASSERT_TRUE(ProfileLevelAt(10, level, found, profile.array(), 2, 4, 6, frame));
  EXPECT_TRUE(found);
  EXPECT_EQ(level, 4);
}

TEST(ProfileLevelAt, FrameMapsChainageAndLevel) {
  // Drawn at X 1000 for chainage 200, datum 50 at Y 300, exaggerated 10x.
  VtProfile frame{};
  frame.xOrigin = 1000;
  frame.yOrigin = 300;
  frame.verticalScale = 10;
  frame.datumLevel = 50;
  frame.startChainage = 200;
  frame.minY = 320;
  frame.maxY = 340;
  // Levels 52 .. 54 between chainages 200 and 300.
  List profile{Straight(200, 1000, 320, 1100, 340)};
  double level = 0;
  bool found = false;
  ASSERT_TRUE(ProfileLevelAt(250, level, found, profile.array(), 1, 320, 340, frame));
  EXPECT_TRUE(found);
  EXPECT_NEAR(level, 53, 1e-9);
}

TEST(ProfileLevelAt, LevelsOnArcs) {
  // A crest: the upper half of a circle of radius 50 around (50, -40),
  // drawn clockwise from (0, -40) to (100, -40); and a sag below it.
  const GeometryElement crest = Arc(0, 50, -40, 50, kPi, -kPi);
  const GeometryElement sag = Arc(100, 150, 60, 50, kPi, kPi);
  List profile{crest, sag};
  const VtProfile frame = PlainFrame(-40, 60);
  for (double chainage : {5.0, 30.0, 50.0, 99.0, 110.0, 150.0, 190.0}) {
    SCOPED_TRACE(chainage);
    double level = 0;
    bool found = false;
    ASSERT_TRUE(ProfileLevelAt(chainage, level, found, profile.array(), 2, -40, 60, frame));
    ASSERT_TRUE(found);
    const double expected = chainage <= 100
                                ? -40 + std::sqrt(2500 - (chainage - 50) * (chainage - 50))
                                : 60 - std::sqrt(2500 - (chainage - 150) * (chainage - 150));
    EXPECT_NEAR(level, expected, 1e-9);
  }
}

TEST(ProfileLevelAt, AnUnreadableElementFails) {
  List profile{Straight(0, 0, 0, 10, 0)};
  const VtProfile frame = PlainFrame(0, 0);
  double level = 1;
  bool found = true;
  EXPECT_FALSE(ProfileLevelAt(50, level, found, profile.array(), 2, 0, 0, frame));
  EXPECT_FALSE(found);
  EXPECT_EQ(level, -999);
}

}  // namespace
