// A drawing to build entities in, for the tests of entity geometry and
// profiles.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/tests/temp_folder.h"
#include "host/db/database.h"
#include "host/db/entity.h"
#include "host/editor/command_line.h"
#include "host/editor/support_path.h"
#include "host/system/clock.h"
#include "host/system/user_actions.h"
#include "host/testing/test_reset.h"
#include "host/ui/message_box.h"

namespace entity_fixtures {

using host::db::LwPolylineData;
using host::db::LwVertex;
using host::db::Point3;
using host::db::PolylineData;
using host::db::VertexData;

class DrawingTest : public testing::Test {
 protected:
  DrawingTest() : working_(&db_) {}

  void SetUp() override {
    host::ResetForTest();
    host::SetSupportPath({dir_.wstring()});
  }
  void TearDown() override { host::ResetForTest(); }

  host::EntityName Line(Point3 a, Point3 b) { return db_.Append(host::db::LineData{a, b}); }
  host::EntityName Arc(Point3 c, double r, double a0, double a1) {
    return db_.Append(host::db::ArcData{c, r, a0, a1});
  }
  host::EntityName Circle(Point3 c, double r) { return db_.Append(host::db::CircleData{c, r}); }
  host::EntityName LwPolyline(std::vector<LwVertex> vertices, bool closed, double elevation = 0) {
    LwPolylineData d;
    d.vertices = std::move(vertices);
    d.closed = closed;
    d.elevation = elevation;
    return db_.Append(d);
  }
  host::EntityName Polyline(std::vector<VertexData> vertices, int flags) {
    PolylineData header;
    header.flags = flags;
    return db_.AppendPolyline(header, vertices);
  }
  void SetXdata(host::EntityName entity, const host::db::EntityList& chain) {
    ASSERT_TRUE(db_.EntityOf(entity)->xdata.Apply(chain));
  }

  std::wstring PathOf(const std::string& name) const { return (dir_ / name).wstring(); }

  host::db::Database db_;
  host::db::ScopedWorkingDatabase working_;
  common_test::TempFolder folder_{"entity_geometry"};
  const std::filesystem::path dir_ = folder_.Path();
};

}  // namespace entity_fixtures
