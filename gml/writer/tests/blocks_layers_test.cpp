#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "gml/settings/settings_record.h"
#include "gml/writer/attribute_csv.h"
#include "gml/writer/blocks.h"
#include "gml/writer/layers.h"
#include "gml/writer/os_xdata_record.h"
#include "host/db/drawing_file.h"
#include "host/db/entity_list.h"
#include "host/editor/support_path.h"
#include "host/testing/test_reset.h"
#include "table_builder.h"
#include "writer_fixture.h"

using host::db::Database;
using host::db::ObjectId;
using namespace writer_test;

namespace {

const host::db::LayerRecord* Layer(const Database& db, const wchar_t* name) {
  return db.LayerRecordOf(db.Layer(name));
}

TEST(LayersTest, EnsureLayerMakesMissingLayersOnlyAndTakesRefusedNamesApart) {
  Database db;
  host::db::LayerRecord roads;
  roads.name = L"ROADS";
  roads.color = 1;
  db.AddLayer(roads);
  EXPECT_TRUE(EnsureLayer(3, "ROADS", db));
  EXPECT_EQ(Layer(db, L"ROADS")->color, 1) << "an existing layer keeps its colour";
  EXPECT_TRUE(EnsureLayer(3, "Water", db));
  EXPECT_EQ(Layer(db, L"Water")->color, 3);
  EXPECT_TRUE(EnsureLayer(256, "ByLayer colour", db));
  EXPECT_EQ(Layer(db, L"ByLayer colour")->color, 7);
  EXPECT_TRUE(EnsureLayer(5, "St. Mary's Road / Church Lane", db));
  EXPECT_NE(Layer(db, L"St. Mary's Road _ Church Lane"), nullptr);
  EXPECT_EQ(HostLayerName(std::string(300, 'x')).size(), 255u);
  EXPECT_EQ(HostLayerName("tab\there"), L"tab_here");
}

TEST(LayersTest, LayerStatesFromTheLookupTable) {
  Database db;
  OS_GML_ACAD_Definitions s;
  AddCodeRow(&s, "1", "AREA_WATER", 5, false, 1, 1, 0);
  AddCodeRow(&s, "2", "Area_water", 5, false, 0, 1, 1);
  const int row = AddCodeRow(&s, "3", "Base", 5, true, 1, 0, 0);
  AddVariant(&s, row, "AREA_SAND", 2, {{"make", "Natural", 1}}, 1, 0, 1);
  AddCodeRow(&s, "4", "Unused variants", 5, false);
  AddVariant(&s, 3, "Never", 2, {{"make", "x", 1}}, 0, 1, 1);
  for (const wchar_t* name : {L"AREA_WATER", L"p_AREA_WATER", L"Area_water", L"p_Area_water", L"AREA_SAND",
                              L"p_AREA_SAND", L"Never"}) {
    host::db::LayerRecord layer;
    layer.name = name;
    db.AddLayer(layer);
  }
  ApplyLookupLayerStates(s.codeTable, db, true);
  EXPECT_TRUE(Layer(db, L"AREA_WATER")->frozen);
  EXPECT_TRUE(Layer(db, L"p_AREA_WATER")->frozen);
  EXPECT_TRUE(Layer(db, L"Area_water")->off);
  EXPECT_TRUE(Layer(db, L"Area_water")->locked);
  EXPECT_FALSE(Layer(db, L"p_Area_water")->off) << "the AREA test keeps case";
  EXPECT_TRUE(Layer(db, L"AREA_SAND")->locked);
  EXPECT_TRUE(Layer(db, L"p_AREA_SAND")->locked);
  EXPECT_FALSE(Layer(db, L"Never")->frozen) << "variants of a row that does not use them";

  Database other;
  ApplyLookupLayerStates(s.codeTable, other, false);  // missing layers are passed over
  EXPECT_EQ(other.Layer(L"AREA_WATER"), ObjectId{});
}

TEST(LayersTest, UsedLayerListKeepsTheFirstEntryOfAName) {
  GrowArray list{};
  ASSERT_TRUE(GrowArrayCreate(10, sizeof(UsedLayerEntry), &list));
  UsedLayerEntry roads{};
  CopyField(roads.name, "ROADS");
  roads.itnClass = static_cast<std::int32_t>(ItnLayerClass::kRoad);
  UsedLayerEntry same{};
  CopyField(same.name, "Roads");
  same.itnClass = static_cast<std::int32_t>(ItnLayerClass::kRoadLink);
  EXPECT_TRUE(AddNameIfAbsent(roads, &list));
  EXPECT_TRUE(AddNameIfAbsent(same, &list));
  ASSERT_EQ(list.count, 1);
  UsedLayerEntry first{};
  ASSERT_TRUE(GrowArrayGet(&list, 0, &first));
  EXPECT_EQ(first.itnClass, 2);
  GrowArrayFree(&list);
}

TEST(LayersTest, SetEntityLayerMovesTheEntityAndKeepsItsXdata) {
  Database db;
  ASSERT_TRUE(RegisterOsXdataApp(db));
  const ObjectId id = db.Append(host::db::PointData{});
  ASSERT_TRUE(WriteOsXdata(db, id, SamplePoint(), OsFeatureKind::kTopoPoint, -1.0));
  EXPECT_TRUE(SetEntityLayer(id, "Departed Features"));
  const host::db::Entity* e = db.EntityOf(id);
  EXPECT_EQ(db.LayerRecordOf(db.IdOf(e->layer))->name, L"Departed Features");
  EXPECT_TRUE(e->xdata.Has(OsXdataAppName()));
  EXPECT_FALSE(SetEntityLayer(ObjectId{}, "X"));
}

// ---- Blocks -------------------------------------------------------------------------

class BlocksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    host::AddSessionSupportFolder(folder.WideFolder());
    ASSERT_TRUE(RegisterOsXdataApp(db));
    // A tree block drawing on the support path.
    Database tree;
    tree.Append(host::db::CircleData{{0, 0.2, 0}, 0.3});
    tree.Append(host::db::LineData{{0, -0.1, 0}, {0, -0.5, 0}});
    ASSERT_TRUE(host::db::SaveDrawing(tree, folder.Path("TREE.dxf")));
  }
  void TearDown() override { host::ResetForTest(); }

  const host::db::Entity& Last() { return *db.EntityOf(db.LastEntity()); }
  std::wstring KindOf(const host::db::Entity& e) {
    ShowOSGmlXdata record;
    record.entity = db.IdOf(e.handle);
    record.ReadXdata();
    return record.Kind();
  }

  TempFolder folder;
  Database db;
};

TEST_F(BlocksTest, ABlockIsLoadedOnceFromItsDrawingFileThenFoundInTheDrawing) {
  EXPECT_FALSE(BlockExists("TREE", db));
  ASSERT_TRUE(InsertSymbolBlock("tree", {5, 6, 0}, 2.0, 0.5, "Trees", db));
  EXPECT_TRUE(BlockExists("TREE", db));
  const auto& insert = std::get<host::db::InsertData>(Last().data);
  EXPECT_EQ(insert.position, (host::db::Point3{5, 6, 0}));
  EXPECT_EQ(insert.scale, (host::db::Point3{2, 2, 2}));
  EXPECT_EQ(insert.rotation, 0.5);
  EXPECT_EQ(insert.normal, (host::db::Point3{0, 0, 1}));
  EXPECT_EQ(db.LayerRecordOf(db.IdOf(Last().layer))->name, L"Trees");
  EXPECT_EQ(db.EntitiesIn(db.Block(L"TREE")).size(), 2u);

  std::filesystem::remove(folder.Path("TREE.dxf"));
  EXPECT_TRUE(InsertSymbolBlock("TREE", {}, 1.0, 0, "Trees", db)) << "found in the block table";
}

TEST_F(BlocksTest, MissingDamagedOrBadlyNamedBlocksInsertNothing) {
  folder.Write("BROKEN.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n");
  folder.Write("..dxf", "");
  const std::size_t before = db.EntitiesIn(db.ModelSpace()).size();
  EXPECT_FALSE(InsertSymbolBlock("NOSUCHBLOCK", {}, 1, 0, "0", db));
  EXPECT_FALSE(InsertSymbolBlock("BROKEN", {}, 1, 0, "0", db));
  EXPECT_FALSE(InsertSymbolBlock("../TREE", {}, 1, 0, "0", db));
  EXPECT_FALSE(InsertSymbolBlock("", {}, 1, 0, "0", db));
  EXPECT_FALSE(BlockExists("BROKEN", db));
  EXPECT_EQ(db.EntitiesIn(db.ModelSpace()).size(), before);
}

TEST_F(BlocksTest, PointNodeAndAddressBlocksCarryTheirXdata) {
  ASSERT_TRUE(InsertPointBlock("TREE", {}, 1, 0, "P", db, 2, SamplePoint(), OsFeatureKind::kCartoSymbol));
  EXPECT_EQ(KindOf(Last()), L"3");
  ASSERT_TRUE(InsertPointBlock("TREE", {}, 1, 0, "P", db, 0, SamplePoint(), OsFeatureKind::kTopoPoint));
  EXPECT_EQ(KindOf(Last()), L"");
  ASSERT_TRUE(InsertNodeBlock("TREE", {}, 1, 0, "N", db, 1, SampleNode()));
  EXPECT_EQ(KindOf(Last()), L"7");

  OS_GML_ACAD_Definitions settings;
  settings.attributesToXdata = 2;
  settings.attributesToCsv = 2;
  settings.readPostalAddress = settings.readBs7666 = settings.readAddressAuthority =
      settings.readAddressStatus = 0;
  std::FILE* csv = std::fopen(folder.Path("a.csv").c_str(), "w");
  ASSERT_TRUE(InsertAddressPointBlock("TREE", {}, 1, 0, "A", db, csv, settings, SampleAddress()));
  EXPECT_EQ(KindOf(Last()), L"A");
  std::fclose(csv);
  EXPECT_EQ(folder.Read("a.csv"),
            "osgb1000002345,10,2006-01-01,Postal,2005-12-12,Modified,87654321,Accounts,PO 12,"
            "\"Rose, Cottage\",Flat 2,High Street,Mews,Upper End,Residential,AB1 2CD,Large,2\n");

  Database unregistered;
  EXPECT_FALSE(InsertNodeBlock("TREE", {}, 1, 0, "N", unregistered, 2, SampleNode()));
  EXPECT_TRUE(unregistered.EntitiesIn(unregistered.ModelSpace()).empty());
}

TEST_F(BlocksTest, AnExplodedTileLeavesItsEntitiesOnly) {
  ASSERT_TRUE(InsertTileBlock("TREE", {100, 200, 0}, 1, 0, "Tiles", db, true));
  const std::vector<ObjectId> entities = db.EntitiesIn(db.ModelSpace());
  ASSERT_EQ(entities.size(), 2u);
  EXPECT_EQ(db.EntityOf(entities[0])->Type(), host::db::EntityType::kCircle);
  EXPECT_EQ(std::get<host::db::CircleData>(db.EntityOf(entities[0])->data).center,
            (host::db::Point3{100, 200.2, 0}));
  EXPECT_FALSE(BlockExists("TREE", db));
  ASSERT_TRUE(InsertTileBlock("TREE", {}, 1, 0, "Tiles", db, false));
  EXPECT_EQ(Last().Type(), host::db::EntityType::kInsert);
}

TEST(SideDatabaseTest, BatchDrawingsTakeTheHostLayersAndTextStyles) {
  Database hostDb;
  host::db::LayerRecord unused;
  unused.name = L"Unused";
  unused.color = 4;
  hostDb.AddLayer(unused);
  host::db::LayerRecord shared;
  shared.name = L"Shared";
  shared.color = 2;
  hostDb.AddLayer(shared);
  host::db::TextStyleRecord style;
  style.name = L"OS Text";
  style.font = L"romans";
  hostDb.AddTextStyle(style);
  host::db::SetWorkingDatabase(&hostDb);

  Database side;
  host::db::LayerRecord own;
  own.name = L"Shared";
  own.color = 6;
  side.AddLayer(own);
  EXPECT_TRUE(CopyHostLayers(side));
  EXPECT_EQ(side.LayerRecordOf(side.Layer(L"Unused"))->color, 4);
  EXPECT_EQ(side.LayerRecordOf(side.Layer(L"Shared"))->color, 6) << "its own record is kept";
  EXPECT_TRUE(CopyHostTextStyles(side, L"OS Text"));
  EXPECT_EQ(side.TextStyleRecordOf(side.CurrentTextStyle())->name, L"OS Text");
  EXPECT_TRUE(CopyHostTextStyles(side, L"No such style"));
  EXPECT_EQ(side.TextStyleRecordOf(side.CurrentTextStyle())->name, L"OS Text");
  EXPECT_FALSE(CopyHostLayers(hostDb)) << "not into the host itself";
  host::db::SetWorkingDatabase(nullptr);
}

// Every block the default support folder's settings and tables name has its
// drawing there, and it loads.
TEST(SupportBlocksTest, EveryNamedBlockExistsAndLoads) {
  const std::string support = std::string(VARNEL_SOURCE_DIR) + "/support/";
  OS_GML_ACAD_Definitions s;
  s.LoadSettings(NarrowToWide(support + "lwh_gml.ini"), true);
  ASSERT_TRUE(s.LoadSymbolLookupTable());
  ASSERT_TRUE(s.LoadSymbologyTable());
  std::set<std::string> names = {WideToNarrow(s.fixedBlockName), WideToNarrow(s.roadNodeBlock),
                                 WideToNarrow(s.addressBlock)};
  for (std::int32_t i = 0; i < s.symbolTable.count; ++i) {
    SymbolLookupEntry row{};
    ASSERT_TRUE(GrowArrayGet(&s.symbolTable, i, &row));
    names.insert(row.block);
  }
  for (std::int32_t i = 0; i < s.symbologySets.count; ++i) {
    SymbologySet set{};
    ASSERT_TRUE(GrowArrayGet(&s.symbologySets, i, &set));
    for (std::int32_t j = 0; j < set.symbols.count; ++j) {
      SymbologySymbol symbol{};
      ASSERT_TRUE(GrowArrayGet(&set.symbols, j, &symbol));
      names.insert(symbol.block);
    }
  }
  EXPECT_GE(names.size(), 20u);
  host::ResetForTest();
  host::AddSessionSupportFolder(NarrowToWide(support));
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    Database db;
    ASSERT_TRUE(LoadBlockFromFile(name.c_str(), db));
    EXPECT_FALSE(db.EntitiesIn(db.Block(NarrowToWide(name))).empty());
  }
  host::ResetForTest();
}

}  // namespace
