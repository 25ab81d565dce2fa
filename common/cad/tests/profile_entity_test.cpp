#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/cad/profile_entity.h"
#include "common/cad/tests/entity_fixtures.h"
#include "common/geometry/tests/geometry_fixtures.h"

namespace {

using namespace entity_fixtures;
using geometry_fixtures::List;

class ProfileFromPolylineTest : public DrawingTest {
 protected:
  bool Build(host::EntityName entity) {
    header_.elementCount = 99;
    header_.designSpeed = 50;
    return ProfileFromPolyline(entity, header_, frame_, list_.array());
  }
  HzGeometry header_{};
  VtProfile frame_{};
  List list_;
};

TEST_F(ProfileFromPolylineTest, LineRisingInPlan) {
  ASSERT_TRUE(Build(Line({0, 0, 5}, {3, 4, 10})));
  EXPECT_EQ(std::wstring(header_.path), L"from_polyline");
  EXPECT_EQ(std::wstring(frame_.sourcePath), L"from_polyline");
  EXPECT_EQ(frame_.verticalScale, 1.0);
  EXPECT_EQ(header_.designSpeed, 0.0);
  ASSERT_EQ(header_.elementCount, 1);
  const GeometryElement e = list_.At(0);
  EXPECT_EQ(e.startX, 0);
  EXPECT_EQ(e.startY, 5);
  EXPECT_EQ(e.endX, 5);
  EXPECT_EQ(e.endY, 10);
  EXPECT_EQ(e.radiusStart, 0);
  EXPECT_NEAR(e.headingStart, std::atan2(5, 5), 1e-9);
  EXPECT_EQ(header_.roadLength, 5);
  EXPECT_EQ(frame_.minX, 0);
  EXPECT_EQ(frame_.maxX, 5);
  EXPECT_EQ(frame_.minY, 5);
  EXPECT_EQ(frame_.maxY, 10);
  EXPECT_EQ(header_.reservedShort[0] & 1, 1);
}

TEST_F(ProfileFromPolylineTest, ClosedLightweightSquareStaysLevel) {
  ASSERT_TRUE(Build(LwPolyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true, 2)));
  ASSERT_EQ(header_.elementCount, 4);
  EXPECT_EQ(header_.roadLength, 40);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(list_.At(i).startY, 2);
    EXPECT_EQ(list_.At(i).endY, 2);
    EXPECT_EQ(list_.At(i).startChainage, 10 * i);
  }
  // Headings are those of the sides in plan: east, north, west, south.
  EXPECT_NEAR(list_.At(1).headingStart, 1.570796327, 1e-12);
  EXPECT_NEAR(list_.At(3).headingStart, 4.712388981, 1e-12);
  EXPECT_EQ(header_.reservedShort[0] & 1, 0);
  EXPECT_EQ(frame_.maxX, 40);
}

TEST_F(ProfileFromPolylineTest, BulgedSegmentsAreMeasuredAlongTheirArc) {
  // A half circle of radius 5 from (0, 0) to (10, 0), then a straight.
  ASSERT_TRUE(Build(LwPolyline({{0, 0, 1}, {10, 0, 0}, {10, 7, 0}}, false, 3)));
  ASSERT_EQ(header_.elementCount, 2);
  const GeometryElement arc = list_.At(0);
  EXPECT_NEAR(arc.length, 5 * geometry_fixtures::kPi, 1e-9);
  EXPECT_NEAR(arc.centreX, 5, 1e-12);
  EXPECT_NEAR(arc.centreY, 0, 1e-12);
  EXPECT_EQ(arc.radiusStart, 0) << "profile elements are straight in the profile plane";
  EXPECT_NEAR(list_.At(1).startChainage, 5 * geometry_fixtures::kPi, 1e-9);
  EXPECT_NEAR(header_.roadLength, 5 * geometry_fixtures::kPi + 7, 1e-9);
}

TEST_F(ProfileFromPolylineTest, PolylineVertexLevelsAndItsClosingElement) {
  ASSERT_TRUE(Build(Polyline({VertexData{{0, 0, 1}}, VertexData{{3, 4, 2}}, VertexData{{3, 10, 8}}},
                             host::db::kPolylineClosed | host::db::kPolyline3d)));
  ASSERT_EQ(header_.elementCount, 3);
  EXPECT_EQ(list_.At(0).endX, 5);
  EXPECT_EQ(list_.At(0).endY, 2);
  EXPECT_EQ(list_.At(1).endX, 11);
  EXPECT_EQ(list_.At(1).endY, 8);
  // Back to the first vertex: (3, 10) to (0, 0) in plan.
  EXPECT_NEAR(list_.At(2).endX, 11 + std::hypot(3, 10), 1e-12);
  EXPECT_EQ(list_.At(2).endY, 1);
  EXPECT_EQ(frame_.minY, 1);
  EXPECT_EQ(frame_.maxY, 8);

  // The levels read back along the profile.
  double level = 0;
  bool found = false;
  ASSERT_TRUE(ProfileLevelAt(8, level, found, list_.array(), header_.elementCount, frame_.minY,
                             frame_.maxY, frame_));
  EXPECT_TRUE(found);
  EXPECT_NEAR(level, 5, 1e-9);
}

TEST_F(ProfileFromPolylineTest, ArcsCirclesAndEmptyPolylines) {
  ASSERT_TRUE(Build(Arc({0, 0, 4}, 10, 5.0, 1.0)));  // sweeps across east
  ASSERT_EQ(header_.elementCount, 1);
  EXPECT_NEAR(list_.At(0).length, 10 * (1.0 - 5.0 + 6.283185307), 1e-12);
  EXPECT_EQ(list_.At(0).startY, 4);

  List circle;
  ASSERT_TRUE(ProfileFromPolyline(Circle({1, 1, -2}, 3), header_, frame_, circle.array()));
  ASSERT_EQ(header_.elementCount, 2);
  EXPECT_EQ(circle.At(1).startX, 3 * 3.141592654);
  EXPECT_EQ(circle.At(1).endX, 6 * 3.141592654);
  EXPECT_EQ(circle.At(1).endY, -2);

  List empty;
  ASSERT_TRUE(ProfileFromPolyline(Polyline({}, 0), header_, frame_, empty.array()));
  EXPECT_EQ(header_.elementCount, 0);
  EXPECT_EQ(header_.roadLength, 0);
}

TEST_F(ProfileFromPolylineTest, OtherEntitiesAreRefused) {
  EXPECT_FALSE(Build(db_.Append(host::db::PointData{{1, 2, 3}})));
  EXPECT_FALSE(Build(host::EntityName{}));
}

}  // namespace
