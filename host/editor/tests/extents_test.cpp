#include "host/editor/extents.h"

#include <cmath>
#include <numbers>

#include "drawing_fixture.h"
#include "host/editor/host_commands.h"
#include "host/editor/system_variables.h"

namespace {

using host::db::Point3;
using ExtentsTest = DrawingTest;

constexpr double kPi = std::numbers::pi;

// A polyline of two vertices (x1,y1) bulged towards (x2,y2).
host::db::LwPolylineData Bulged(double x1, double y1, double x2, double y2, double bulge) {
  host::db::LwPolylineData lw;
  lw.vertices = {{x1, y1, bulge}, {x2, y2, 0}};
  return lw;
}

TEST_F(ExtentsTest, CurvesCountByTheirRealExtent) {
  host::db::PolylineData closed2d;
  closed2d.flags = host::db::kPolylineClosed;
  host::db::HatchData hatch;
  hatch.loops.push_back({host::db::kLoopExternal, true, {{0, 0, 0}, {4, 0, 1}, {4, 2, 0}, {0, 2, 0}}});
  struct Case {
    const char* label;
    host::db::EntityData data;
    std::vector<host::db::VertexData> vertices;  // for a 2D polyline
    Point3 low, high;
  };
  const double h = std::sqrt(0.5);
  const Case cases[] = {
      {"half circle below the chord", Bulged(0, 0, 2, 0, 1), {}, {0, -1, 0}, {2, 0, 0}},
      {"half circle above the chord", Bulged(0, 0, 2, 0, -1), {}, {0, 0, 0}, {2, 1, 0}},
      {"shallow bulge", Bulged(0, 0, 2, 0, -0.5), {}, {0, 0, 0}, {2, 0.5, 0}},
      {"quarter arc", host::db::ArcData{{0, 0, 0}, 1, 0, kPi / 2}, {}, {0, 0, 0}, {1, 1, 0}},
      {"arc across angle 0", host::db::ArcData{{0, 0, 0}, 1, -kPi / 4, kPi / 4}, {}, {h, -h, 0}, {1, h, 0}},
      {"arc of three quarters", host::db::ArcData{{0, 0, 0}, 2, kPi / 2, 2 * kPi}, {}, {-2, -2, 0}, {2, 2, 0}},
      {"circle", host::db::CircleData{{5, 5, 0}, 2}, {}, {3, 3, 0}, {7, 7, 0}},
      {"closed 2D polyline, bulge on the closing segment", closed2d,
       {host::db::VertexData{{0, 0, 0}}, host::db::VertexData{{2, 0, 0}},
        host::db::VertexData{{2, 2, 0}, 1}}, {-0.41421356237309515, 0, 0}, {2, 2.4142135623730949, 0}},
      {"hatch loop with a half circle", hatch, {}, {0, 0, 0}, {5, 2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host::db::Database db;
    host::db::SetWorkingDatabase(&db);
    if (auto* pl = std::get_if<host::db::PolylineData>(&c.data))
      (void)db.AppendPolyline(*pl, c.vertices);
    else
      (void)db.Append(c.data);
    Point3 low, high;
    ASSERT_TRUE(host::DrawingExtents(&low, &high));
    EXPECT_NEAR(low.x, c.low.x, 1e-9);
    EXPECT_NEAR(low.y, c.low.y, 1e-9);
    EXPECT_NEAR(high.x, c.high.x, 1e-9);
    EXPECT_NEAR(high.y, c.high.y, 1e-9);
  }
  host::db::SetWorkingDatabase(&db_);
}

TEST_F(ExtentsTest, ZoomExtentsFramesABulgedPolyline) {
  (void)db_.Append(Bulged(0, 0, 4, 0, 1));  // reaches 2 below its vertices
  ASSERT_EQ(host::RunHostCommand({std::wstring(L"_ZOOM"), std::wstring(L"_E")}), host::Status::kNormal);
  EXPECT_EQ(host::GetSystemVariable(L"VIEWSIZE").Number(), 4.0);
  EXPECT_NEAR(db_.ActiveViewport()->centerY, -1.0, 1e-12);
  Point3 low, high;
  host::db::Database empty(host::db::Database::Content::kEmpty);
  host::db::SetWorkingDatabase(&empty);
  EXPECT_FALSE(host::DrawingExtents(&low, &high));
  host::db::SetWorkingDatabase(&db_);
}

}  // namespace
