// The host as the join meets it in a test: a drawing to build objects in, a
// support folder of the test's own (VMRINI) in front of the project's
// support folder, the join parameters at their defaults without questions,
// and a clean queue, transcript and command line.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/cad/tests/entity_fixtures.h"
#include "host/editor/display.h"
#include "host/editor/graphics.h"
#include "host/editor/system_variables.h"
#include "host/system/environment.h"
#include "host/system/fault.h"
#include "host/ui/dcl_runtime.h"
#include "join/join_parameters.h"
#include "join/join_selection.h"

namespace join_test {

using host::db::LwPolylineData;
using host::db::LwVertex;
using host::db::Point3;
using host::db::PolylineData;
using host::db::VertexData;

class JoinTest : public entity_fixtures::DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    host::SetSupportPath({Support(), std::filesystem::path(VARNEL_SOURCE_DIR).wstring() + L"/support"});
    host::dcl::SetDclFileFinder([](const std::wstring& file) { return host::FindFile(file); });
    host::SetEnvironmentOverride(L"VMRINI", Support());
    JoinParameters& p = CorvexParameters();
    SetDefaultCorvexParameters(p);
    p.verifyDirections = 0;
    p.askParameters = 0;
  }
  void TearDown() override {
    FreeJoinSelections();
    DrawingTest::TearDown();
  }

  std::wstring Support() const { return dir_.wstring(); }
  std::string SupportFile(const std::string& name) const { return folder_.File(name); }

  // A 2D or 3D polyline through the points.
  host::EntityName PolylineThrough(std::vector<Point3> points, int flags) {
    std::vector<VertexData> vertices;
    for (const Point3& p : points) {
      VertexData v;
      v.position = p;
      v.flags = (flags & host::db::kPolyline3d) != 0 ? host::db::kVertex3d : 0;
      vertices.push_back(v);
    }
    return Polyline(vertices, flags);
  }
  void OnLayer(host::EntityName e, const std::wstring& layer) {
    db_.EnsureLayer(layer);
    ASSERT_TRUE(db_.SetLayer(e, layer));
  }

  // The user's answer to the next selection: these entities in this order.
  static void Select(const std::vector<host::EntityName>& entities) {
    std::vector<std::wstring> handles;
    for (const host::EntityName& e : entities) {
      wchar_t text[32];
      std::swprintf(text, 32, L"%llX", static_cast<unsigned long long>(e.handle));
      handles.push_back(text);
    }
    host::Actions().Push("select", handles);
  }
  static void Type(const std::wstring& text) { host::Actions().Push("type", {text}); }

  // The entities of model space that are not erased, in order.
  std::vector<host::EntityName> Live() const { return db_.EntitiesIn(db_.ModelSpace()); }
  bool Erased(host::EntityName e) const { return db_.EntityOf(e)->erased; }
  template <class T>
  std::vector<const T*> LiveOf() const {
    std::vector<const T*> out;
    for (const host::EntityName& e : Live())
      if (const T* d = std::get_if<T>(&db_.EntityOf(e)->data)) out.push_back(d);
    return out;
  }
  const host::db::Entity& Newest() const { return *db_.EntityOf(Live().back()); }
  std::vector<Point3> VerticesOf(const host::db::Entity& polyline) const {
    std::vector<Point3> out;
    for (std::uint64_t h : std::get<PolylineData>(polyline.data).vertices)
      out.push_back(std::get<VertexData>(db_.EntityByHandle(h)->data).position);
    return out;
  }
  static std::wstring Printed() { return host::CommandLineText(); }

};

}  // namespace join_test
