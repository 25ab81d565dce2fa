#include "host/db/database.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace host::db {
namespace {

TEST(Database, NewDrawingHasDefaultContent) {
  Database db;
  EXPECT_FALSE(db.ModelSpace().IsNull());
  EXPECT_FALSE(db.Layer(L"0").IsNull());
  EXPECT_FALSE(db.Linetype(L"continuous").IsNull());
  EXPECT_FALSE(db.TextStyle(L"STANDARD").IsNull());
  EXPECT_FALSE(db.AppId(L"ACAD").IsNull());
  EXPECT_EQ(db.CurrentLayer(), db.Layer(L"0"));
  EXPECT_NE(db.ActiveViewport(), nullptr);

  Database empty(Database::Content::kEmpty);
  EXPECT_TRUE(empty.ModelSpace().IsNull());
  EXPECT_TRUE(empty.Layer(L"0").IsNull());
  EXPECT_EQ(empty.ActiveViewport(), nullptr);
}

// Reading leaves the change count alone; every way to change the database
// moves it, a pointer handed out for writing included.
TEST(Database, TheChangeCountMovesWithEveryWayToChangeTheDatabase) {
  Database db;
  const ObjectId line = db.Append(LineData{{0, 0, 0}, {1, 1, 0}});
  const Database& reader = db;
  std::uint64_t count = db.ChangeCount();
  (void)reader.EntityOf(line);
  (void)reader.EntitiesIn(reader.ModelSpace());
  (void)reader.Settings();
  (void)reader.ActiveViewport();
  (void)reader.LayerRecordOf(reader.CurrentLayer());
  (void)reader.NextEntity();
  EXPECT_EQ(db.ChangeCount(), count) << "reading";
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"append", [&] { (void)db.Append(CircleData{{0, 0, 0}, 2}); }},
      {"erase", [&] { (void)db.Erase(line); }},
      {"entity for writing", [&] { db.EntityOf(line)->color = 3; }},
      {"settings for writing", [&] { db.Settings().plinegen = true; }},
      {"view for writing", [&] { db.ActiveViewport()->height = 20; }},
      {"layer", [&] { (void)db.EnsureLayer(L"Roads"); }},
      {"layer for writing", [&] { db.LayerRecordOf(db.CurrentLayer())->color = 5; }},
      {"application", [&] { (void)db.RegisterApp(L"ORVANE"); }},
  };
  for (const auto& [what, change] : changes) {
    change();
    EXPECT_GT(db.ChangeCount(), count) << what;
    count = db.ChangeCount();
  }
}

TEST(Database, TableNamesAreCheckedAndCompareWithoutCase) {
  Database db;
  LayerRecord layer;
  layer.name = L"Roads";
  layer.color = 3;
  ObjectId roads = db.AddLayer(layer);
  ASSERT_FALSE(roads.IsNull());
  EXPECT_EQ(db.Layer(L"ROADS"), roads);
  EXPECT_TRUE(db.AddLayer(layer).IsNull());  // taken
  EXPECT_EQ(db.LayerRecordOf(roads)->linetype, db.Linetype(L"CONTINUOUS").handle);

  for (const wchar_t* bad : {L"", L"a?b", L"a*b", L"a<b", L"a/b", L"a\\b", L"a,b"}) {
    EXPECT_EQ(db.RegisterApp(bad), RegisterResult::kInvalidName) << bad;
  }
  EXPECT_EQ(db.RegisterApp(L"LARCHWORKS_XGML_OSGB_ABCDEFGHRA"), RegisterResult::kAdded);
  EXPECT_EQ(db.RegisterApp(L"larchworks_xgml_osgb_abcdefghra"), RegisterResult::kExists);
}

TEST(Database, IdsFindTheirDatabaseUntilItIsGone) {
  ObjectId id;
  {
    Database side;
    id = side.Append(LineData{{0, 0, 0}, {1, 1, 0}});
    EXPECT_EQ(DatabaseOf(id), &side);
    EXPECT_NE(side.EntityOf(id), nullptr);
    Database other;
    EXPECT_EQ(other.EntityOf(id), nullptr);  // same handle, other database
    SetWorkingDatabase(&side);
  }
  EXPECT_EQ(DatabaseOf(id), nullptr);
  EXPECT_EQ(WorkingDatabase(), nullptr);
}

TEST(Database, WalkGoesThroughPolylineVerticesToTheEndMarker) {
  Database db;
  ObjectId line = db.Append(LineData{});
  PolylineData header;
  header.flags = kPolyline3d;
  ObjectId poly = db.AppendPolyline(header, {VertexData{{1, 2, 3}}, VertexData{{4, 5, 6}}});
  ObjectId circle = db.Append(CircleData{{0, 0, 0}, 2});

  std::vector<EntityType> walk;
  for (ObjectId at = db.NextEntity(); !at.IsNull(); at = db.NextEntity(at))
    walk.push_back(db.EntityOf(at)->Type());
  EXPECT_EQ(walk, (std::vector<EntityType>{EntityType::kLine, EntityType::kPolyline,
                                           EntityType::kVertex, EntityType::kVertex,
                                           EntityType::kSeqEnd, EntityType::kCircle}));
  EXPECT_EQ(db.EntityOf(db.NextEntity(poly))->Type(), EntityType::kVertex);
  EXPECT_TRUE(std::get<VertexData>(db.EntityOf(db.NextEntity(poly))->data).flags & kVertex3d);

  EXPECT_EQ(db.LastEntity(), circle);
  ASSERT_TRUE(db.Erase(circle));
  EXPECT_EQ(db.LastEntity(), poly);
  ASSERT_TRUE(db.Erase(poly));
  EXPECT_EQ(db.NextEntity(line), ObjectId{});
  EXPECT_EQ(db.EntitiesIn(db.ModelSpace()), std::vector<ObjectId>{line});
  ASSERT_TRUE(db.Erase(poly, false));
  EXPECT_EQ(db.NextEntity(line), poly);
}

TEST(Database, EntitiesTakeTheCurrentLayerAndStyleAndSetLayerResolvesInTheirDatabase) {
  Database db;
  Database side;
  LayerRecord only;
  only.name = L"OnlyHere";
  db.SetCurrentLayer(db.AddLayer(only));
  ObjectId text = db.Append(TextData{});
  EXPECT_EQ(db.EntityOf(text)->layer, db.Layer(L"OnlyHere").handle);
  EXPECT_EQ(std::get<TextData>(db.EntityOf(text)->data).style, db.CurrentTextStyle().handle);

  ObjectId line = side.Append(LineData{});
  EXPECT_FALSE(side.SetLayer(line, L"OnlyHere"));
  EXPECT_TRUE(db.SetLayer(text, L"0"));
}

TEST(Database, ErasingABlockErasesItsEntitiesButNotTheSpaces) {
  Database db;
  ObjectId block = db.AddBlock(L"TREE");
  ObjectId circle = db.Append(CircleData{{0, 0, 0}, 1}, block);
  EXPECT_TRUE(db.AddBlock(L"tree").IsNull());
  EXPECT_TRUE(db.EraseBlock(block));
  EXPECT_TRUE(db.EntityOf(circle)->erased);
  EXPECT_TRUE(db.Block(L"TREE").IsNull());
  EXPECT_FALSE(db.EraseBlock(db.ModelSpace()));
}

}  // namespace
// Entities are found by handle whether their handles follow one another or
// lie far apart, as a file may give them, and in either order.
TEST(Database, EntitiesAreFoundByNearAndFarHandles) {
  Database db;
  const std::uint64_t model = db.ModelSpace().handle;
  auto adopt = [&](std::uint64_t handle) {
    Entity entity;
    entity.handle = handle;
    entity.owner = model;
    entity.data = PointData{{static_cast<double>(handle), 0, 0}};
    return db.AdoptEntity(entity);
  };
  // Two handles read from a file, then entities made after them, then two
  // handles far past everything.
  EXPECT_FALSE(adopt(0x40).IsNull());
  EXPECT_FALSE(adopt(0x3000).IsNull());
  std::vector<ObjectId> made;
  for (int i = 0; i < 20000; ++i) made.push_back(db.Append(PointData{{1.0 * i, 1, 0}}));
  EXPECT_FALSE(adopt(0x7FFFFFFF).IsNull());
  EXPECT_FALSE(adopt(kLargestHandle).IsNull());
  const std::uint64_t handles[] = {0x40, 0x3000, 0x7FFFFFFF, kLargestHandle};
  for (std::uint64_t handle : handles) {
    SCOPED_TRACE(handle);
    ASSERT_NE(db.EntityByHandle(handle), nullptr);
    EXPECT_EQ(std::get<PointData>(db.EntityByHandle(handle)->data).position.x,
              static_cast<double>(handle));
    EXPECT_TRUE(db.IsHandleTaken(handle));
    EXPECT_TRUE(adopt(handle).IsNull());  // taken
  }
  for (std::size_t i = 0; i < made.size(); ++i)
    ASSERT_EQ(std::get<PointData>(db.EntityOf(made[i])->data).position.x, 1.0 * i);
  EXPECT_EQ(db.EntityByHandle(0x100), nullptr);
  EXPECT_EQ(db.EntityByHandle(kLargestHandle - 1), nullptr);
  EXPECT_EQ(db.EntitiesIn(db.ModelSpace()).size(), made.size() + 4);
}

// The layer found last is tried first; renaming, erasing and swapping
// contents never leave it answering for a name it no longer has.
TEST(Database, LayerLookupFollowsRenamesErasuresAndSwaps) {
  Database db;
  const ObjectId a = db.AddLayer(LayerRecord{0, L"Roads"});
  const ObjectId b = db.AddLayer(LayerRecord{0, L"Rivers"});
  EXPECT_EQ(db.Layer(L"ROADS"), a);
  db.LayerRecordOf(a)->name = L"Lanes";
  EXPECT_TRUE(db.Layer(L"Roads").IsNull());
  EXPECT_EQ(db.Layer(L"lanes"), a);
  db.LayerRecordOf(a)->erased = true;
  EXPECT_TRUE(db.Layer(L"Lanes").IsNull());
  EXPECT_EQ(db.Layer(L"Rivers"), b);
  Database other;
  db.SwapContents(other);
  EXPECT_TRUE(db.Layer(L"Rivers").IsNull());
  EXPECT_EQ(other.HandleOf(other.Layer(L"Rivers")), b.handle);
}

}  // namespace host::db
