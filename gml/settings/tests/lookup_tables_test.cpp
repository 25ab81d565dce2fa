#include <gtest/gtest.h>

#include <string>

#include "gml/settings/settings_record.h"
#include "gml/settings/tests/temp_folder.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"
#include "gml/settings/tests/box_texts.h"

namespace {

class LookupTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    record_.supportFolder = folder_.WideFolder();
  }
  void TearDown() override { host::ResetForTest(); }

  CodeLookupEntry Row(int i) {
    CodeLookupEntry entry;
    EXPECT_TRUE(GrowArrayGet(&record_.codeTable, i, &entry));
    return entry;
  }
  ConditionVariant Variant(const CodeLookupEntry& entry, int i) {
    ConditionVariant variant;
    EXPECT_TRUE(GrowArrayGet(&entry.variants, i, &variant));
    return variant;
  }
  AttributeCondition Condition(const GrowArray& list, int i) {
    AttributeCondition condition;
    EXPECT_TRUE(GrowArrayGet(&list, i, &condition));
    return condition;
  }
  SymbologySet Set(int i) {
    SymbologySet set;
    EXPECT_TRUE(GrowArrayGet(&record_.symbologySets, i, &set));
    return set;
  }

  TempFolder folder_;
  OS_GML_ACAD_Definitions record_;
};

// --- feature-code table ------------------------------------------------------

const char kCodeTable[] =
    "# lwh_gml_codelookup.ovc\n"
    "#\n"
    "# Code lookup table for reading OS data from gml file\n"
    "\n"
    "[OS Code:] 10021 [Layer color:] 3 [Layer status:] 101 [Use extra conditions:] 1 [ACAD layer:] "
    "Building Area\n"
    "[OS Code:] 10056 [ACAD layer:] Land\n"
    "[OS Code:] 10111\n"
    "[OS Code:] 10021 [Layer color:] 5 [Layer status:] 100 [Use extra conditions:] 0 [ACAD layer:] "
    "Second\n"
    "\n"
    "[Extracondition OS Code:] 10021 [Layer color:] 1 [Layer status:] 010 [Extracondition test qty:] "
    "2 [ACAD layer:] Glasshouse\n"
    "[Extracondition match:] 1 [Extracondition item:] descriptiveTerm [Extracondition value:] "
    "Glasshouse\n"
    "[Extracondition match:] 0 [Extracondition item:] make [Extracondition value:] Natural\n"
    "[Extracondition OS Code:] 99999 [Layer color:] 1 [Layer status:] 100 [Extracondition test "
    "qty:] 1 [ACAD layer:] Orphan\n"
    "[Extracondition match:] 1 [Extracondition item:] theme [Extracondition value:] Water\n";

TEST_F(LookupTablesTest, CodeTableRowsVariantsAndDefaults) {
  folder_.Write("lwh_gml_codelookup.ovc", kCodeTable);
  ASSERT_TRUE(record_.LoadCodeLookupTable());
  ASSERT_EQ(record_.codeTable.count, 3);  // the row without a layer is ignored

  CodeLookupEntry building = Row(0);
  EXPECT_STREQ(building.code, "10021");
  EXPECT_STREQ(building.layer, "Building Area");
  EXPECT_EQ(building.colour, 3);
  EXPECT_EQ(building.on, 1);
  EXPECT_EQ(building.frozen, 0);
  EXPECT_EQ(building.locked, 1);
  EXPECT_EQ(building.useConditions, 1);

  CodeLookupEntry land = Row(1);  // labels left out: on, colour 1, no conditions
  EXPECT_STREQ(land.layer, "Land");
  EXPECT_EQ(land.colour, 1);
  EXPECT_EQ(land.on, 1);
  EXPECT_EQ(land.useConditions, 0);
  EXPECT_NE(land.variants.marker, kGrowArrayMarker);

  // Variants join the first row of their code; an orphan is dropped.
  ASSERT_EQ(building.variants.marker, kGrowArrayMarker);
  ASSERT_EQ(building.variants.count, 1);
  EXPECT_NE(Row(2).variants.marker, kGrowArrayMarker);
  ConditionVariant glass = Variant(building, 0);
  EXPECT_STREQ(glass.layer, "Glasshouse");
  EXPECT_EQ(glass.frozen, 1);
  ASSERT_EQ(glass.conditions.count, 2);
  AttributeCondition first = Condition(glass.conditions, 0);
  EXPECT_STREQ(first.item, "descriptiveTerm");
  EXPECT_STREQ(first.value, "Glasshouse");
  EXPECT_EQ(first.match, 1);
  EXPECT_EQ(Condition(glass.conditions, 1).match, 0);

  int index = 7;
  EXPECT_TRUE(record_.FindCodeIndex("10056", &index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(record_.FindCodeIndex("10057", &index));
  EXPECT_EQ(index, -1);
}

TEST_F(LookupTablesTest, CodeTableOddLines) {
  folder_.Write("lwh_gml_codelookup.ovc",
                // a variant before its row is ignored with its condition lines
                "[Extracondition OS Code:] abc [Layer color:] 1 [Extracondition test qty:] 1 "
                "[ACAD layer:] Early\n"
                "[Extracondition match:] 1 [Extracondition item:] theme [Extracondition value:] X\n"
                "[OS Code:] ABC def [ACAD layer:] Letters\r\n"
                // three conditions announced, two given: the row line after
                // them is taken as the third and gives no condition
                "[Extracondition OS Code:] abc [Extracondition test qty:] 3 [ACAD layer:] Short\n"
                "[Extracondition match:] 1 [Extracondition item:] theme [Extracondition value:] A\n"
                "[Extracondition match:] 1 [Extracondition item:] theme [Extracondition value:] B\n"
                "[OS Code:] 2 [ACAD layer:] Swallowed\n"
                "[OS Code:] 3 [Layer color:] x [ACAD layer:] " +
                    std::string(700, 'L') + "\n"
                "[OS Code:] " + std::string(200, '4') + " [ACAD layer:] Long code\n");
  ASSERT_TRUE(record_.LoadCodeLookupTable());
  ASSERT_EQ(record_.codeTable.count, 3);
  CodeLookupEntry letters = Row(0);
  EXPECT_STREQ(letters.code, "ABC");  // cut at its first blank
  EXPECT_STREQ(letters.layer, "Letters");
  ASSERT_EQ(letters.variants.count, 1);  // found by its code in any case
  ConditionVariant shortVariant = Variant(letters, 0);
  EXPECT_STREQ(shortVariant.layer, "Short");
  EXPECT_EQ(shortVariant.conditions.count, 2);
  CodeLookupEntry three = Row(1);
  EXPECT_EQ(three.colour, 0);
  EXPECT_EQ(std::string(three.layer), std::string(512, 'L'));
  EXPECT_EQ(std::string(Row(2).code), std::string(117, '4'));
}

TEST_F(LookupTablesTest, MissingCodeTableWarnsAndKeepsTheTable) {
  folder_.Write("lwh_gml_codelookup.ovc", "[OS Code:] 1 [ACAD layer:] A\n");
  ASSERT_TRUE(record_.LoadCodeLookupTable());
  record_.codeTableFileName = L"gone.ovc";
  EXPECT_TRUE(record_.LoadCodeLookupTable());
  EXPECT_EQ(record_.codeTable.count, 1);
  EXPECT_EQ(BoxTexts(),
            std::vector<std::wstring>{L"Warning: File '" + folder_.WideFolder() +
                                      L"gone.ovc' could not be opened.\n\nPlease note that all "
                                      L"code lookup (.ovc) files need to be kept in the Orvane "
                                      L"Support Folder, currently set as:\n\n'" +
                                      folder_.WideFolder() + L"'"});
}

TEST_F(LookupTablesTest, CodeTableRoundTripKeepsTheUsersLines) {
  folder_.Write("lwh_gml_codelookup.ovc",
                std::string("# old name\n#\n# my own note\n") + (kCodeTable + 27));
  ASSERT_TRUE(record_.LoadCodeLookupTable());
  ASSERT_TRUE(record_.SaveCodeLookupTable());
  std::string saved = folder_.Read("lwh_gml_codelookup.ovc");
  EXPECT_EQ(saved.substr(0, 61),
            "# lwh_gml_codelookup.ovc\n#\n# my own note\n# Code lookup table ");
  EXPECT_NE(saved.find("[OS Code:] 10021 [Layer color:] 3 [Layer status:] 101 [Use extra "
                       "conditions:] 1 [ACAD layer:] Building Area\n"),
            std::string::npos);
  EXPECT_NE(saved.find("\n\n# Additional conditions for layering, if any, follows\n#\n# Supported "
                       "items: theme, descriptiveTerm, descriptiveGroup, make and "
                       "physicalPresence\n\n[Extracondition OS Code:] 10021 [Layer color:] 1 "
                       "[Layer status:] 010 [Extracondition test qty:] 2 [ACAD layer:] "
                       "Glasshouse\n[Extracondition match:] 1 [Extracondition item:] "
                       "descriptiveTerm [Extracondition value:] Glasshouse\n"),
            std::string::npos);

  OS_GML_ACAD_Definitions back;
  back.supportFolder = record_.supportFolder;
  ASSERT_TRUE(back.LoadCodeLookupTable());
  ASSERT_EQ(back.codeTable.count, 3);
  CodeLookupEntry entry;
  ASSERT_TRUE(GrowArrayGet(&back.codeTable, 0, &entry));
  ASSERT_EQ(entry.variants.count, 1);
  ConditionVariant variant;
  ASSERT_TRUE(GrowArrayGet(&entry.variants, 0, &variant));
  EXPECT_EQ(variant.conditions.count, 2);
  // A second save of the loaded table gives the same file.
  ASSERT_TRUE(back.SaveCodeLookupTable());
  EXPECT_EQ(folder_.Read("lwh_gml_codelookup.ovc"), saved);
}

TEST_F(LookupTablesTest, ShortTableNamesFallBack) {
  record_.codeTableFileName = L"a";
  record_.symbolTableFileName = L"b.x";
  record_.symbologyTableFileName = L"";
  EXPECT_TRUE(record_.SaveCodeLookupTable());
  EXPECT_TRUE(record_.SaveSymbolLookupTable());
  EXPECT_TRUE(record_.SaveSymbologyTable());
  EXPECT_EQ(record_.codeTableFileName, L"lwh_gml_codelookup.ovc");
  EXPECT_EQ(record_.symbolTableFileName, L"lwh_gml_symbollookup.dat");
  EXPECT_EQ(record_.symbologyTableFileName, L"lwh_gml_symbologylookup.ovl");
  EXPECT_TRUE(folder_.Exists("lwh_gml_symbollookup.dat"));
  EXPECT_TRUE(folder_.Exists("lwh_gml_symbologylookup.ovl"));
}

// --- symbol table ------------------------------------------------------------

TEST_F(LookupTablesTest, SymbolTableReadAndWritten) {
  folder_.Write("lwh_gml_symbollookup.ovs",
                "my note\n# Symbol lookup table for reading OS data from gml file\n\n"
                "[OS symbol:] 10197 [ACAD symbol:] Spot Height\n"
                "[OS symbol:] 10082 extra [ACAD symbol:] bench mark\r\n"
                "[OS symbol:] 1 without block\n"
                "[ACAD symbol:] " + std::string(600, 'b') + " [OS symbol:] 2\n"
                "[OS symbol:] 3 [ACAD symbol:] last");
  ASSERT_TRUE(record_.LoadSymbolLookupTable());
  ASSERT_EQ(record_.symbolTable.count, 3);
  SymbolLookupEntry entry;
  ASSERT_TRUE(GrowArrayGet(&record_.symbolTable, 1, &entry));
  EXPECT_STREQ(entry.code, "10082");
  EXPECT_STREQ(entry.block, "bench mark");
  ASSERT_TRUE(GrowArrayGet(&record_.symbolTable, 2, &entry));
  EXPECT_STREQ(entry.block, "last");

  ASSERT_TRUE(record_.SaveSymbolLookupTable());
  EXPECT_EQ(folder_.Read("lwh_gml_symbollookup.ovs"),
            "my note\n# Symbol lookup table for reading OS data from gml file\n\n"
            "[OS symbol:] 10197 [ACAD symbol:] Spot Height\n"
            "[OS symbol:] 10082 [ACAD symbol:] bench mark\n"
            "[OS symbol:] 3 [ACAD symbol:] last\n");

  // A missing table is quiet and keeps the entries.
  record_.symbolTableFileName = L"none.ovs";
  EXPECT_TRUE(record_.LoadSymbolLookupTable());
  EXPECT_EQ(record_.symbolTable.count, 3);
  EXPECT_TRUE(BoxTexts().empty());
}

// --- symbology sets ----------------------------------------------------------

std::string SymbolLines(const std::string& layer, const std::string& block,
                        const std::string& third) {
  return "[ACAD layer:] " + layer + "\n[Symbol name:] " + block + "\n" + third + "\n";
}

const char kThird[] =
    "[Layer color:] 3 [Layer status:] 110 [Edge buffering accuracy:] 2 [Symbol placement "
    "persistance:] 4 [Symbol density:] 12.5 [Edge buffering distance:] 0.5 [Symbol buffering "
    "distance:] 1.25";

TEST_F(LookupTablesTest, SymbologySetsRead) {
  folder_.Write(
      "lwh_gml_symbologylookup.ovl",
      "# lwh_gml_symbologylookup.ovl\n"
      "# Symbology settings for filling polygons (=areas) with symbols (=AutoCAD blocks)\n\n"
      "[Symbols qty:] 2 [Extracondition test qty:] 1\n" +
          SymbolLines("Trees", "Tree A", kThird) + SymbolLines("Trees", "Tree B", kThird) +
          "[Extracondition match:] 1 [Extracondition item:] descriptiveTerm [Extracondition "
          "value:] Nonconiferous Trees\n"
          // a set without conditions is not read; its lines are ordinary lines
          "[Symbols qty:] 1 [Extracondition test qty:] 0\n" +
          SymbolLines("Rock", "rock", kThird) +
          "[Symbols qty:] 1 [Extracondition test qty:] 2\n" + SymbolLines("Marsh", "marsh", kThird) +
          "[Extracondition match:] 1 [Extracondition item:] theme [Extracondition value:] Land\n"
          "[Extracondition match:] 0 [Extracondition item:] make [Extracondition value:] "
          "Manmade\r\n");
  ASSERT_TRUE(record_.LoadSymbologyTable());
  ASSERT_EQ(record_.symbologySets.count, 2);
  SymbologySet trees = Set(0);
  ASSERT_EQ(trees.symbols.count, 2);
  SymbologySymbol symbol;
  ASSERT_TRUE(GrowArrayGet(&trees.symbols, 1, &symbol));
  EXPECT_STREQ(symbol.block, "Tree B");
  EXPECT_STREQ(symbol.layer, "Trees");
  EXPECT_EQ(symbol.colour, 3);
  EXPECT_EQ(symbol.on, 1);
  EXPECT_EQ(symbol.frozen, 1);
  EXPECT_EQ(symbol.locked, 0);
  EXPECT_EQ(symbol.accuracyLevel, 2);
  EXPECT_EQ(symbol.persistenceLevel, 4);
  EXPECT_EQ(symbol.density, 12.5);
  EXPECT_EQ(symbol.edgeBuffer, 0.5);
  EXPECT_EQ(symbol.symbolBuffer, 1.25);
  EXPECT_STREQ(Condition(trees.conditions, 0).value, "Nonconiferous Trees");
  SymbologySet marsh = Set(1);
  EXPECT_EQ(marsh.conditions.count, 2);
  EXPECT_STREQ(Condition(marsh.conditions, 1).value, "Manmade");
}

TEST_F(LookupTablesTest, MalformedSymbologySetEndsReading) {
  const std::string good = "[Symbols qty:] 1 [Extracondition test qty:] 1\n" +
                           SymbolLines("L", "b", kThird) +
                           "[Extracondition match:] 1 [Extracondition item:] theme "
                           "[Extracondition value:] Land\n";
  std::string third = kThird;
  std::string withoutSpacing = third.substr(0, third.find("[Symbol buffering"));
  const std::string broken[] = {
      "[Symbols qty:] 1 [Extracondition test qty:] 1\n" + SymbolLines("L", "", kThird),
      "[Symbols qty:] 1 [Extracondition test qty:] 1\n" + SymbolLines("L", "b", withoutSpacing),
      "[Symbols qty:] 1 [Extracondition test qty:] 1\n" + SymbolLines("L", "b", kThird) +
          "[Extracondition match:] 1 [Extracondition value:] Land\n",
      "[Symbols qty:] 2 [Extracondition test qty:] 1\n" + SymbolLines("L", "b", kThird),
  };
  for (const std::string& bad : broken) {
    SCOPED_TRACE(bad);
    folder_.Write("lwh_gml_symbologylookup.ovl", good + bad + good);
    EXPECT_FALSE(record_.LoadSymbologyTable());
    EXPECT_EQ(record_.symbologySets.count, 1);
  }
}

TEST_F(LookupTablesTest, MissingSymbologyWarns) {
  EXPECT_TRUE(record_.LoadSymbologyTable());
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0],
            L"Warning: Could not read " + folder_.WideFolder() +
                L"lwh_gml_symbologylookup.ovl.\n\nThis is not a fatal error but may affect the "
                L"symbology input.");
}

TEST_F(LookupTablesTest, SymbologyRoundTrip) {
  SymbologySet set{};
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(SymbologySymbol), &set.symbols));
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(AttributeCondition), &set.conditions));
  SymbologySymbol symbol{};
  std::snprintf(symbol.block, sizeof symbol.block, "Tree");
  std::snprintf(symbol.layer, sizeof symbol.layer, "Vegetation");
  symbol.colour = 94;
  symbol.accuracyLevel = 1;
  symbol.persistenceLevel = 3;
  symbol.density = 40;
  symbol.edgeBuffer = 1.5;
  symbol.symbolBuffer = 3;
  symbol.on = 1;
  symbol.locked = 1;
  ASSERT_TRUE(GrowArraySet(&set.symbols, 0, &symbol));
  AttributeCondition condition{};
  std::snprintf(condition.item, sizeof condition.item, "descriptiveTerm");
  std::snprintf(condition.value, sizeof condition.value, "Coniferous Trees");
  condition.match = 1;
  ASSERT_TRUE(GrowArraySet(&set.conditions, 0, &condition));
  ASSERT_TRUE(GrowArraySet(&record_.symbologySets, 0, &set));

  folder_.Write("lwh_gml_symbologylookup.ovl",
                "# old name\nuser line\n# Symbology settings for filling polygons (=areas) with "
                "symbols (=AutoCAD blocks)\nold sets\n");
  ASSERT_TRUE(record_.SaveSymbologyTable());
  EXPECT_EQ(folder_.Read("lwh_gml_symbologylookup.ovl"),
            "# lwh_gml_symbologylookup.ovl\nuser line\n"
            "# Symbology settings for filling polygons (=areas) with symbols (=AutoCAD blocks)\n\n"
            "[Symbols qty:] 1 [Extracondition test qty:] 1\n"
            "[ACAD layer:] Vegetation\n[Symbol name:] Tree\n"
            "[Layer color:] 94 [Layer status:] 101 [Edge buffering accuracy:] 1 [Symbol placement "
            "persistance:] 3 [Symbol density:] 40.000000 [Edge buffering distance:] 1.500000 "
            "[Symbol buffering distance:] 3.000000\n"
            "[Extracondition match:] 1 [Extracondition item:] descriptiveTerm [Extracondition "
            "value:] Coniferous Trees\n");
  ASSERT_TRUE(record_.LoadSymbologyTable());
  ASSERT_EQ(record_.symbologySets.count, 1);
  SymbologySymbol back;
  SymbologySet loaded = Set(0);
  ASSERT_TRUE(GrowArrayGet(&loaded.symbols, 0, &back));
  EXPECT_EQ(back.colour, 94);
  EXPECT_EQ(back.density, 40);
  EXPECT_EQ(back.locked, 1);
}

TEST_F(LookupTablesTest, FailedTableSavesKeepTheOldFiles) {
  folder_.Write("lwh_gml_codelookup.ovc", kCodeTable);
  ASSERT_TRUE(record_.LoadCodeLookupTable());
  folder_.Write("lwh_gml_symbollookup.ovs", "[OS symbol:] 1 [ACAD symbol:] b\n");
  ASSERT_TRUE(record_.LoadSymbolLookupTable());
  folder_.Write("lwh_gml_symbologylookup.ovl", "# x\n");
  struct Table {
    const char* file;
    bool (OS_GML_ACAD_Definitions::*save)();
  } const tables[] = {
      {"lwh_gml_codelookup.ovc", &OS_GML_ACAD_Definitions::SaveCodeLookupTable},
      {"lwh_gml_symbollookup.ovs", &OS_GML_ACAD_Definitions::SaveSymbolLookupTable},
      {"lwh_gml_symbologylookup.ovl", &OS_GML_ACAD_Definitions::SaveSymbologyTable},
  };
  for (const Table& table : tables) {
    const std::string old = folder_.Read(table.file) + "changed\n";
    for (int step = 0;; ++step) {
      SCOPED_TRACE(std::string(table.file) + " step " + std::to_string(step));
      folder_.Write(table.file, old);
      host::ScopedFault fault(host::FaultPoint::SaveFile, step);
      bool saved = (record_.*table.save)();
      if (host::FaultsFired(host::FaultPoint::SaveFile) == 0) {
        EXPECT_TRUE(saved);
        break;
      }
      EXPECT_FALSE(saved);
      EXPECT_EQ(folder_.Read(table.file), old);
      EXPECT_EQ(folder_.Count(), 3);
    }
  }
}

}  // namespace
