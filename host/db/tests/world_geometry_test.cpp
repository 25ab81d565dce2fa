#include "host/db/world_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace host::db {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectNear(const Point3& got, const Point3& want) {
  EXPECT_NEAR(got.x, want.x, 1e-12);
  EXPECT_NEAR(got.y, want.y, 1e-12);
  EXPECT_NEAR(got.z, want.z, 1e-12);
}

TEST(WorldGeometryTest, PlanePointsGoToTheWorldByTheArbitraryAxisRule) {
  struct Case {
    const char* name;
    Point3 normal;
    Point3 inPlane;
    Point3 world;
  };
  const Case cases[] = {
      {"the world plane", {0, 0, 1}, {3, 4, 5}, {3, 4, 5}},
      {"mirrored in plan: x and z turn round", {0, 0, -1}, {3, 4, 5}, {-3, 4, -5}},
      {"a normal not of unit length", {0, 0, -2}, {3, 4, 5}, {-3, 4, -5}},
      {"a normal along x: its x axis is world y", {1, 0, 0}, {3, 4, 5}, {5, 3, 4}},
      {"a normal along y: its x axis is -x", {0, 1, 0}, {3, 4, 5}, {-3, 5, 4}},
      {"a normal of length 0 stands for z", {0, 0, 0}, {3, 4, 5}, {3, 4, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectNear(PlaneToWorld(c.inPlane, c.normal), c.world);
    ExpectNear(WorldToPlane(c.world, c.normal), c.inPlane);
  }
  // A normal close to z (within 1/64 in x and y) takes y to make its x axis:
  // its plane's x axis stays near world x.
  const Point3 tilted = PlaneToWorld({1, 0, 0}, {0.01, 0, 1});
  EXPECT_GT(tilted.x, 0.99);
}

class WorldEntityTest : public ::testing::Test {
 protected:
  Database db;
};

// A mirrored arc, as ezdxf gives it: centre (-10, 5) and 180 to 270 degrees
// in a plane seen from below lie from (15, 5) to (10, 0) about (10, 5).
TEST_F(WorldEntityTest, AMirroredArcRunsClockwiseWhereItLies) {
  const ObjectId arc = db.Append(ArcData{{-10, 5, 2}, 5, kPi, 1.5 * kPi, {0, 0, -1}});
  const std::optional<WorldArc> w = ArcInWorld(arc);
  ASSERT_TRUE(w);
  ExpectNear(w->center, {10, 5, -2});
  ExpectNear(w->start, {15, 5, -2});
  ExpectNear(w->end, {10, 0, -2});
  EXPECT_NEAR(w->sweep, kPi / 2, 1e-12);
  EXPECT_TRUE(w->clockwise);

  const ObjectId plain = db.Append(ArcData{{10, 5, 0}, 5, 1.5 * kPi, 0});
  const std::optional<WorldArc> p = ArcInWorld(plain);
  ASSERT_TRUE(p);
  ExpectNear(p->start, {10, 0, 0});
  ExpectNear(p->end, {15, 5, 0});
  EXPECT_FALSE(p->clockwise);

  const ObjectId circle = db.Append(CircleData{{-1, 2, 0}, 3, {0, 0, -1}});
  ExpectNear(ArcInWorld(circle)->center, {1, 2, 0});
  EXPECT_FALSE(ArcInWorld(db.Append(LineData{})));
}

TEST_F(WorldEntityTest, MirroredPolylineVerticesAndBulgesAreGivenAsTheDrawingShowsThem) {
  LwPolylineData lw;
  lw.vertices = {{-15, 20, -0.5, 0, 0}, {-25, 20, 0.25, 0, 0}, {-25, 30, 0, 0, 0}};
  lw.elevation = 1;
  lw.normal = {0, 0, -1};
  lw.closed = true;
  bool closed = false;
  const std::optional<std::vector<WorldVertex>> v = LwPolylineInWorld(db.Append(lw), &closed);
  ASSERT_TRUE(v);
  EXPECT_TRUE(closed);
  EXPECT_EQ(*v, (std::vector<WorldVertex>{{{15, 20, -1}, 0.5}, {{25, 20, -1}, -0.25}, {{25, 30, -1}, 0}}));

  PolylineData header;
  header.normal = {0, 0, -1};
  header.elevation = 1;
  VertexData vertex;
  vertex.position = {-15, 20, 0};
  vertex.bulge = -0.5;
  const ObjectId polyline = db.AppendPolyline(header, {vertex});
  const auto& made = std::get<PolylineData>(db.EntityOf(polyline)->data);
  EXPECT_EQ(VertexInWorld(db.IdOf(made.vertices[0])), (WorldVertex{{15, 20, -1}, 0.5}));
}

}  // namespace
}  // namespace host::db
