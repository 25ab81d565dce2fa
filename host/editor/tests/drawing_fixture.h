// An editor test with a small working drawing.
#pragma once


#include "editor_fixture.h"
#include "host/db/database.h"
#include "host/editor/selection.h"

class DrawingTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    host::db::SetWorkingDatabase(&db_);
  }
  void TearDown() override {
    EditorTest::TearDown();
    host::db::SetWorkingDatabase(nullptr);
  }

  host::EntityName Line(double x1, double y1, double x2, double y2) {
    return db_.Append(host::db::LineData{{x1, y1, 0}, {x2, y2, 0}});
  }
  host::EntityName Circle(double x, double y, double r) {
    return db_.Append(host::db::CircleData{{x, y, 0}, r});
  }
  host::EntityName LwPolyline(std::vector<host::db::LwVertex> vertices, bool closed) {
    host::db::LwPolylineData data;
    data.vertices = std::move(vertices);
    data.closed = closed;
    return db_.Append(data);
  }

  host::db::Database db_;
};
