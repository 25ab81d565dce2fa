#include "gml/writer/symbol_planting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gml/settings/settings_record.h"
#include "gml/writer/os_xdata.h"
#include "gml/writer/os_xdata_record.h"
#include "gml/writer/tests/writer_fixture.h"
#include "host/editor/command_line.h"
#include "host/system/clock.h"
#include "host/testing/test_reset.h"

using namespace writer_test;

namespace {

SymbologyCondition Condition(const char* item, const char* value, int match) {
  SymbologyCondition c{};
  CopyField(c.item, item);
  CopyField(c.value, value);
  c.match = static_cast<std::uint8_t>(match);
  return c;
}

SymbologySymbol Symbol(const char* block, double density, double edge, double buffer,
                       int accuracy = 0, int persistence = 0) {
  SymbologySymbol s{};
  CopyField(s.block, block);
  CopyField(s.layer, "Trees");
  s.colour = 3;
  s.density = density;
  s.edgeBuffer = edge;
  s.symbolBuffer = buffer;
  s.accuracyLevel = accuracy;
  s.persistenceLevel = persistence;
  return s;
}

// A square area of `side` metres with its area value, theme Water, make
// Manmade.
AreaFeatureRecord Square(Lists* lists, double side, double areaValue) {
  AreaFeatureRecord a{};
  a.kept = 1;
  CopyField(a.attributes.common.theme, "water");
  CopyField(a.attributes.common.make, "Manmade");
  CopyField(a.attributes.common.descriptiveTerm, "Pond");
  a.attributes.calculatedAreaValue = areaValue;
  a.outerRing = ListOf<RingPoint>({{0, 0, kRingPointVertex},
                                   {side, 0, kRingPointVertex},
                                   {side, side, kRingPointVertex},
                                   {0, side, kRingPointVertex},
                                   {0, 0, kRingPointVertex},
                                   {0, 0, kRingPointEnd}});
  lists->Own(&a.outerRing);
  return a;
}

class PlantingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    host::SeedRandom(7);
    // Every reading of the clock is a second later: a symbol with no place
    // left gives up after its persistence in readings.
    SetPlantingClock([this] { return ++seconds; });
    ASSERT_NE(db.AddBlock(L"Tree"), host::db::ObjectId{});
    // As in every drawing a pass plants into: planted symbols carry their
    // area's link under the OS application.
    ASSERT_TRUE(RegisterOsXdataApp(db));
  }
  void TearDown() override {
    SetPlantingClock({});
    settings.ClearSymbologySets();
    host::ResetForTest();
  }
  // One set for water that is not natural, holding `symbols`.
  void AddSet(std::initializer_list<SymbologySymbol> symbols,
              std::initializer_list<SymbologyCondition> conditions = {
                  Condition("theme", "Water", 1), Condition("make", "Natural", 0)}) {
    SymbologySet set{};
    set.symbols = ListOf<SymbologySymbol>(symbols);
    set.conditions = ListOf<SymbologyCondition>(conditions);
    ASSERT_TRUE(GrowArraySet(&settings.symbologySets, settings.symbologySets.count, &set));
  }
  std::vector<host::db::Point3> Planted() {
    std::vector<host::db::Point3> out;
    for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace()))
      out.push_back(std::get<host::db::InsertData>(db.EntityOf(id)->data).position);
    return out;
  }

  std::time_t seconds = 1000;
  OS_GML_ACAD_Definitions settings;
  host::db::Database db;
  Lists lists;
};

TEST_F(PlantingTest, TheFirstSetWhoseConditionsAllHoldIsChosen) {
  AddSet({Symbol("Reed", 1, 0, 0)}, {});  // no conditions: never matches
  AddSet({Symbol("Tree", 1, 0, 0)});
  AddSet({Symbol("Bush", 1, 0, 0)}, {Condition("theme", "WATER", 1)});
  const AreaFeatureRecord area = Square(&lists, 10, 100);
  SymbologySet found{};
  ASSERT_TRUE(FindSymbologySet(area, settings.symbologySets, &found));
  SymbologySymbol first{};
  ASSERT_TRUE(GrowArrayGet(&found.symbols, 0, &first));
  EXPECT_STREQ(first.block, "Tree");

  struct Case {
    const char* item;
    const char* value;
    int match;
    bool holds;
  };
  for (const Case c : {Case{"descriptiveTerm", "pond", 1, true}, Case{"make", "manmade", 0, false},
                       Case{"colour", "blue", 0, false}, Case{"descriptiveGroup", "x", 0, true}}) {
    SCOPED_TRACE(c.item);
    OS_GML_ACAD_Definitions one;
    SymbologySet set{};
    set.symbols = ListOf<SymbologySymbol>({Symbol("Tree", 1, 0, 0)});
    set.conditions = ListOf<SymbologyCondition>({Condition(c.item, c.value, c.match)});
    ASSERT_TRUE(GrowArraySet(&one.symbologySets, 0, &set));
    EXPECT_EQ(FindSymbologySet(area, one.symbologySets, &found), c.holds);
    one.ClearSymbologySets();
  }
}

TEST_F(PlantingTest, BuffersAreStrictAndSumOverBothSymbols) {
  GrowArray placed = ListOf<PlacedSymbol>({{0, 0, 2.0}});
  EXPECT_TRUE(IsTooCloseToPlaced(4.9, 0, 3.0, placed));
  EXPECT_FALSE(IsTooCloseToPlaced(5.0, 0, 3.0, placed));
  EXPECT_FALSE(IsTooCloseToPlaced(0, 5.0, 3.0, placed));
  GrowArrayFree(&placed);
  for (int i = 0; i < 1000; ++i) {
    const double f = RandomFraction10000();
    ASSERT_GE(f, 0);
    ASSERT_LE(f, 10000);
    ASSERT_EQ(f, std::trunc(f));
  }
}

TEST_F(PlantingTest, TheTargetIsTruncatedAndEveryBlockLiesInsideWithItsBuffers) {
  // 5 a hectare on just under 2 hectares: 9, not 10.
  AddSet({Symbol("Tree", 5, 10, 8, -1, 4)});
  AreaFeatureRecord area = Square(&lists, 141.4, 19999);
  CopyField(area.attributes.common.toid, "osgb1000000042");
  area.attributes.version = 3;
  EXPECT_EQ(PlaceSymbolsInArea(area, settings.symbologySets, 1.0, settings, db), 9);
  // Each symbol is filed under its area for later updates.
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    OsKey key;
    ReadOsKey(db.EntityOf(id)->xdata, &key);
    EXPECT_EQ(key.toid, "osgb1000000042");
    EXPECT_EQ(key.version, "3");
    EXPECT_EQ(key.kind, kAreaSymbolKind);
  }
  const std::vector<host::db::Point3> planted = Planted();
  ASSERT_EQ(planted.size(), 9u);
  for (std::size_t i = 0; i < planted.size(); ++i) {
    EXPECT_GE(planted[i].x, 10 - 1e-9);
    EXPECT_LE(planted[i].x, 131.4 + 1e-9);
    EXPECT_GE(planted[i].y, 10 - 1e-9);
    EXPECT_LE(planted[i].y, 131.4 + 1e-9);
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_GE(std::hypot(planted[i].x - planted[j].x, planted[i].y - planted[j].y), 16.0);
  }
  EXPECT_NE(db.Layer(L"Trees"), host::db::ObjectId{});
}

TEST_F(PlantingTest, ASymbolGivesUpAfterItsPersistenceWithoutANewPlace) {
  // A buffer wider than the area leaves room for one tree; the search then
  // runs until level 0's 2 seconds have passed and says it is searching.
  AddSet({Symbol("Tree", 10000, 0, 500, 0, 0), Symbol("Tree", 0.001, 0, 0)});
  const AreaFeatureRecord area = Square(&lists, 20, 400);
  EXPECT_EQ(PlaceSymbolsInArea(area, settings.symbologySets, 1.0, settings, db), 1);
  EXPECT_NE(
      host::CommandLineText().find(L"Locating insertion points for symbol \"Tree\", please wait."),
      std::wstring::npos);
  // No set for this area: nothing at all.
  AreaFeatureRecord land = Square(&lists, 20, 400);
  CopyField(land.attributes.common.theme, "Land");
  EXPECT_EQ(PlaceSymbolsInArea(land, settings.symbologySets, 1.0, settings, db), 0);
}

}  // namespace
