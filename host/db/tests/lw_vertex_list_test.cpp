#include "host/db/lw_vertex_list.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "host/db/database.h"
#include "host/db/entity_groups.h"

namespace host::db {
namespace {

bool SameBits(const LwVertex& a, const LwVertex& b) {
  auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
  return bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y) && bits(a.bulge) == bits(b.bulge) &&
         bits(a.startWidth) == bits(b.startWidth) && bits(a.endWidth) == bits(b.endWidth);
}

void ExpectHolds(const LwVertexList& list, const std::vector<LwVertex>& expected) {
  ASSERT_EQ(list.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_TRUE(SameBits(list[i], expected[i])) << "vertex " << i;
  EXPECT_EQ(list.ToVector(), expected);
}

// Whatever mix of bulges and widths goes in comes out bit for bit, whether
// the list keeps them once for all vertices or for each.
TEST(LwVertexList, KeepsEveryValueAsGiven) {
  const struct {
    const char* what;
    std::vector<LwVertex> vertices;
  } cases[] = {
      {"empty", {}},
      {"shared widths of -1", {{1, 2, 0, -1, -1}, {3, 4, 0, -1, -1}, {5, 6, 0, -1, -1}}},
      {"a bulge on the first only", {{0, 0, 0.5, 0, 0}, {1, 0, 0, 0, 0}}},
      {"a bulge on the last only", {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {2, 0, -1, 0, 0}}},
      {"negative zero kept", {{-0.0, 0, -0.0, 0, -0.0}, {1, 0, 0, 0, 0}}},
      {"widths of their own from the third",
       {{0, 0, 0, 2, 2}, {1, 0, 0, 2, 2}, {2, 0, 0, 3, 1}, {3, 0, 0, 2, 2}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LwVertexList pushed;
    for (const LwVertex& v : c.vertices) pushed.push_back(v);
    ExpectHolds(pushed, c.vertices);
    ExpectHolds(LwVertexList(c.vertices), c.vertices);

    // The same vertices set one by one over a list of plain ones.
    LwVertexList set(std::vector<LwVertex>(c.vertices.size()));
    for (std::size_t i = 0; i < c.vertices.size(); ++i) set.Set(i, c.vertices[i]);
    ExpectHolds(set, c.vertices);
    EXPECT_EQ(set, pushed);
  }
}

TEST(LwVertexList, ChangesAndRemovalsKeepTheOtherVertices) {
  LwVertexList list{{0, 0, 0, -1, -1}, {1, 0, 0, -1, -1}, {2, 0, 0, -1, -1}};
  list.Set(1, {1, 5, 0.25, 4, 4});
  ExpectHolds(list, {{0, 0, 0, -1, -1}, {1, 5, 0.25, 4, 4}, {2, 0, 0, -1, -1}});
  list.Modify([](LwVertex& v) { v.x += 10; });
  ExpectHolds(list, {{10, 0, 0, -1, -1}, {11, 5, 0.25, 4, 4}, {12, 0, 0, -1, -1}});
  list.pop_back();
  list.pop_back();
  ExpectHolds(list, {{10, 0, 0, -1, -1}});
  list.pop_back();
  EXPECT_TRUE(list.empty());
  // An emptied list starts afresh: nothing of the old widths is left.
  list.push_back({7, 7, 0, 0, 0});
  list.push_back({8, 8, 0, 0, 0});
  ExpectHolds(list, {{7, 7, 0, 0, 0}, {8, 8, 0, 0, 0}});
  EXPECT_NE(list, (LwVertexList{{7, 7, 0, 0, 0}, {8, 8, 0, 1, 0}}));
}

// A polyline's groups read as a file gives them: a vertex's widths and bulge
// follow its point, and a vertex without them has none.
TEST(LwVertexList, GroupsSetEachVertexWhole) {
  Database db;
  Entity entity;
  entity.data = LwPolylineData{};
  const EntityList groups = {
      Group(90, 3),
      Group(10, Value(Point3{0, 0, 0})),
      Group(40, -1.0),
      Group(41, -1.0),
      Group(10, Value(Point3{1, 0, 0})),
      Group(40, -1.0),
      Group(41, -1.0),
      Group(42, 0.5),
      Group(10, Value(Point3{2, 0, 0})),
  };
  std::string error;
  ASSERT_TRUE(ApplyGroups(db, entity, groups, true, &error)) << error;
  ExpectHolds(std::get<LwPolylineData>(entity.data).vertices,
              {{0, 0, 0, -1, -1}, {1, 0, 0.5, -1, -1}, {2, 0, 0, 0, 0}});
  EXPECT_FALSE(ApplyGroups(db, entity, {Group(42, 1.0)}, true, &error));
}

}  // namespace
}  // namespace host::db
