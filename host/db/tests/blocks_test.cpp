#include "host/db/blocks.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/db/entity_list.h"

namespace host::db {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<EntityType> SelectAllTypes(const Database& db) {
  std::vector<EntityType> types;
  for (ObjectId id : db.EntitiesIn(db.ModelSpace())) types.push_back(db.EntityOf(id)->Type());
  return types;
}

TEST(Blocks, ADrawingInsertedAsABlockBringsItsLayersStylesBlocksAndApplications) {
  Database side;
  LayerRecord trees;
  trees.name = L"Trees";
  trees.color = 3;
  side.SetCurrentLayer(side.AddLayer(trees));
  TextStyleRecord os;
  os.name = L"OS";
  ObjectId style = side.AddTextStyle(os);
  ObjectId leaf = side.AddBlock(L"LEAF");
  side.Append(CircleData{{0, 0, 0}, 1}, leaf);
  side.RegisterApp(L"APP");
  ObjectId circle = side.Append(CircleData{{1, 1, 0}, 2});
  ASSERT_TRUE(side.EntityOf(circle)->xdata.Apply({{1001, L"APP"}, {1000, L"kept"}}));
  TextData label;
  label.text = L"oak";
  label.style = style.handle;
  side.Append(label);
  side.Append(InsertData{leaf.handle, {5, 5, 0}, {1, 1, 1}, 0, {0, 0, 1}});
  side.AppendPolyline(PolylineData{}, {VertexData{{0, 0, 0}}, VertexData{{1, 0, 0}}});
  std::size_t sideEntities = side.EntitiesIn(side.ModelSpace()).size();

  Database db;
  ObjectId block = InsertDrawingAsBlock(db, L"TREE", side);
  ASSERT_FALSE(block.IsNull());
  std::vector<ObjectId> parts = db.EntitiesIn(block);
  ASSERT_EQ(parts.size(), 4u);
  const Entity* copy = db.EntityOf(parts[0]);
  EXPECT_EQ(db.LayerRecordOf(db.IdOf(copy->layer))->name, L"Trees");
  EXPECT_EQ(db.LayerRecordOf(db.Layer(L"Trees"))->color, 3);
  EXPECT_TRUE(copy->xdata.Has(L"APP"));
  EXPECT_FALSE(db.AppId(L"APP").IsNull());
  EXPECT_EQ(std::get<TextData>(db.EntityOf(parts[1])->data).style, db.TextStyle(L"OS").handle);
  EXPECT_EQ(std::get<InsertData>(db.EntityOf(parts[2])->data).block, db.Block(L"LEAF").handle);
  EXPECT_EQ(db.EntitiesIn(db.Block(L"LEAF")).size(), 1u);
  const auto& polyline = std::get<PolylineData>(db.EntityOf(parts[3])->data);
  EXPECT_EQ(polyline.vertices.size(), 2u);
  EXPECT_EQ(db.EntityByHandle(polyline.vertices[0])->layer, db.Layer(L"Trees").handle);

  EXPECT_EQ(side.EntitiesIn(side.ModelSpace()).size(), sideEntities);
  EXPECT_TRUE(InsertDrawingAsBlock(db, L"tree", side).IsNull());
  EXPECT_TRUE(InsertDrawingAsBlock(db, L"a*b", side).IsNull());
}

TEST(Blocks, CloningRecordsIgnoresOrReplacesDuplicates) {
  Database host;
  LayerRecord a;
  a.name = L"A";
  a.color = 1;
  a.frozen = true;
  LayerRecord b;
  b.name = L"B";
  b.color = 2;
  std::vector<ObjectId> ids = {host.AddLayer(a), host.AddLayer(b), host.TextStyle(L"Standard"), host.ModelSpace()};

  Database side;
  LayerRecord existing;
  existing.name = L"a";
  existing.color = 9;
  side.AddLayer(existing);
  EXPECT_EQ(CloneRecords(host, ids, side, DuplicateRecords::kIgnore), 1);  // only B
  EXPECT_EQ(side.LayerRecordOf(side.Layer(L"A"))->color, 9);
  EXPECT_EQ(side.LayerRecordOf(side.Layer(L"B"))->color, 2);
  EXPECT_EQ(CloneRecords(host, ids, side, DuplicateRecords::kReplace), 3);
  EXPECT_EQ(side.LayerRecordOf(side.Layer(L"A"))->color, 1);
  EXPECT_TRUE(side.LayerRecordOf(side.Layer(L"A"))->frozen);
}

struct Placed {
  const char* what;
  Point3 scale;
  double rotation;
  Point3 lineEnd;      // where (2, 0, 0) of the block goes
  double arcStart;     // where the arc's start angle 0 goes
  double arcEnd;       // where its end angle pi/2 goes
  double bulge;        // where a bulge of 0.5 goes
};

TEST(Blocks, ExplodePlacesCopiesByPositionScaleAndRotation) {
  const Placed cases[] = {
      {"as is", {1, 1, 1}, 0, {12, 20, 0}, 0, kPi / 2, 0.5},
      {"scaled and turned", {2, 2, 2}, kPi / 2, {10, 24, 0}, kPi / 2, kPi, 0.5},
      {"mirrored in x", {-1, 1, 1}, 0, {8, 20, 0}, kPi / 2, kPi, -0.5},
      {"turned by a negative scale", {-1, -1, 1}, 0, {8, 20, 0}, kPi, 3 * kPi / 2, 0.5},
  };
  for (const Placed& c : cases) {
    SCOPED_TRACE(c.what);
    Database db;
    ObjectId block = db.AddBlock(L"B");
    db.Append(LineData{{0, 0, 0}, {2, 0, 0}}, block);
    db.Append(ArcData{{0, 0, 0}, 1, 0, kPi / 2}, block);
    db.Append(LwPolylineData{{{0, 0, 0.5, 0, 0}, {1, 0, 0, 0, 0}}}, block);
    ObjectId ref = db.Append(InsertData{block.handle, {10, 20, 0}, c.scale, c.rotation, {0, 0, 1}});
    std::vector<ObjectId> added;
    ASSERT_EQ(ExplodeToOwnerSpace(db, ref, &added), ExplodeResult::kOk);
    ASSERT_EQ(added.size(), 3u);
    const auto& line = std::get<LineData>(db.EntityOf(added[0])->data);
    EXPECT_NEAR(line.end.x, c.lineEnd.x, 1e-9);
    EXPECT_NEAR(line.end.y, c.lineEnd.y, 1e-9);
    const auto& arc = std::get<ArcData>(db.EntityOf(added[1])->data);
    EXPECT_NEAR(arc.radius, std::fabs(c.scale.x), 1e-12);
    EXPECT_NEAR(arc.startAngle, c.arcStart, 1e-9);
    EXPECT_NEAR(arc.endAngle, c.arcEnd, 1e-9);
    EXPECT_EQ(std::get<LwPolylineData>(db.EntityOf(added[2])->data).vertices[0].bulge, c.bulge);
    EXPECT_EQ(db.EntityOf(added[0])->owner, db.ModelSpace().handle);
  }
}

TEST(Blocks, ExplodeRefusesWhatItCannotPlaceAndTheTilePatternLeavesOnlyTheParts) {
  Database db;
  ObjectId block = db.AddBlock(L"TILE");
  db.Append(LineData{{0, 0, 0}, {1, 0, 0}}, block);
  ObjectId ref = db.Append(InsertData{block.handle, {0, 0, 0}, {2, 1, 1}, 0, {0, 0, 1}});
  std::vector<ObjectId> added;
  EXPECT_EQ(ExplodeToOwnerSpace(db, ref, &added), ExplodeResult::kOk);  // lines take any scale
  db.Append(CircleData{{0, 0, 0}, 1}, block);
  EXPECT_EQ(ExplodeToOwnerSpace(db, ref), ExplodeResult::kNotApplicable);
  ObjectId tilted = db.Append(InsertData{block.handle, {0, 0, 0}, {1, 1, 1}, 0, {1, 0, 0}});
  EXPECT_EQ(ExplodeToOwnerSpace(db, tilted), ExplodeResult::kNotApplicable);
  EXPECT_EQ(ExplodeToOwnerSpace(db, added[0]), ExplodeResult::kNotABlockReference);

  ObjectId plain = db.Append(InsertData{block.handle, {0, 0, 0}, {1, 1, 1}, 0, {0, 0, 1}});
  ASSERT_EQ(ExplodeToOwnerSpace(db, plain), ExplodeResult::kOk);
  db.Erase(plain);
  db.Erase(ref);
  db.Erase(tilted);
  ASSERT_TRUE(db.EraseBlock(block));
  EXPECT_EQ(SelectAllTypes(db), (std::vector<EntityType>{EntityType::kLine, EntityType::kLine, EntityType::kCircle}));
}

}  // namespace
}  // namespace host::db
