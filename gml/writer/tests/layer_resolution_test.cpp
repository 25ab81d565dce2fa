#include "gml/writer/layer_resolution.h"

#include <functional>

#include <gtest/gtest.h>

#include "table_builder.h"
#include "writer_fixture.h"

using namespace writer_test;

namespace {

// A value list of an area.
GrowArray Values(std::initializer_list<const char*> texts) {
  GrowArray list{};
  EXPECT_TRUE(GrowArrayCreate(4, sizeof(DescriptiveValue), &list));
  for (const char* text : texts) {
    DescriptiveValue value{};
    CopyField(value.text, text);
    EXPECT_TRUE(GrowArraySet(&list, list.count, &value));
  }
  return list;
}

struct Found {
  bool found;
  std::string layer;
  std::int32_t colour;
  bool hasConditions;
  int index;
};

Found Find(const OS_GML_ACAD_Definitions& s, const char* code) {
  Found f{false, "", 0, false, -1};
  f.found = FindCodeEntry(s, code, &f.layer, &f.colour, &f.hasConditions, &f.index);
  return f;
}

TEST(LayerResolutionTest, CodeRowsAreFoundWithoutCaseAndTheFirstWins) {
  OS_GML_ACAD_Definitions s;
  AddCodeRow(&s, "ABC1", "First", 3);
  AddCodeRow(&s, "ABC1", "Second", 4);
  AddCodeRow(&s, "10021", "Flagged", 5, true);  // flag set, no variants
  const Found lower = Find(s, "abc1");
  EXPECT_TRUE(lower.found);
  EXPECT_EQ(lower.layer, "First");
  EXPECT_EQ(lower.colour, 3);
  EXPECT_EQ(lower.index, 0);
  const Found flagged = Find(s, "10021");
  EXPECT_TRUE(flagged.found);
  EXPECT_FALSE(flagged.hasConditions);
  const Found missing = Find(s, "99999");
  EXPECT_FALSE(missing.found);
  EXPECT_EQ(missing.layer, "99999");
  EXPECT_EQ(missing.colour, 7);
  EXPECT_EQ(missing.index, -1);
}

TEST(LayerResolutionTest, LinePointAndTextVariants) {
  OS_GML_ACAD_Definitions s;
  const int row = AddCodeRow(&s, "10056", "Base", 1, true);
  AddVariant(&s, row, "NoConditions", 2, {});
  AddVariant(&s, row, "NotObstructing", 3, {{"physicalPresence", "Obstructing", 0}});
  AddVariant(&s, row, "Manmade", 4, {{"MAKE", "manmade", 1}, {"theme", "PTheme", 1}});
  Lists lists;
  LineFeatureRecord line = SampleLine(&lists);
  PointFeatureRecord point = SamplePoint();
  struct Case {
    const char* what;
    std::function<bool(std::string*, std::int32_t*)> refine;
    const char* layer;
  };
  const Case cases[] = {
      {"line with presence Edge", [&](auto* l, auto* c) { return FindCodeEntryForLine(s, l, c, row, line); },
       "NotObstructing"},
      {"line with empty presence", [&](auto* l, auto* c) {
         LineFeatureRecord empty = line;
         empty.physicalPresence[0] = 0;
         return FindCodeEntryForLine(s, l, c, row, empty);
       }, "NotObstructing"},
      {"obstructing line falls to make", [&](auto* l, auto* c) {
         LineFeatureRecord obstructing = line;
         CopyField(obstructing.physicalPresence, "Obstructing");
         CopyField(obstructing.common.make, "Manmade");
         CopyField(obstructing.common.theme, "PTheme");
         return FindCodeEntryForLine(s, l, c, row, obstructing);
       }, "Manmade"},
      // Points have no physicalPresence item: "is not" always holds.
      {"point", [&](auto* l, auto* c) { return FindCodeEntryForPoint(s, l, c, row, point); }, "NotObstructing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string layer = "Base";
    std::int32_t colour = 1;
    EXPECT_TRUE(c.refine(&layer, &colour));
    EXPECT_EQ(layer, c.layer);
  }

  OS_GML_ACAD_Definitions t;
  const int textRow = AddCodeRow(&t, "10026", "Text", 1, true);
  AddVariant(&t, textRow, "PointPresence", 2, {{"physicalPresence", "", 1}});
  AddVariant(&t, textRow, "ByTerm", 3, {{"descriptiveTerm", "TTerm", 1}});
  std::string layer = "Text";
  std::int32_t colour = 1;
  EXPECT_TRUE(FindCodeEntryForText(t, &layer, &colour, textRow, SampleText()));
  EXPECT_EQ(layer, "ByTerm");
  EXPECT_EQ(colour, 3);
  EXPECT_FALSE(FindCodeEntryForText(t, &layer, &colour, 5, SampleText())) << "no such row";
  EXPECT_EQ(layer, "ByTerm");
}

TEST(LayerResolutionTest, AreaConditionsTestTheListsAndHonourTheMatchFlag) {
  OS_GML_ACAD_Definitions s;
  const int row = AddCodeRow(&s, "10053", "Area", 1, true);
  AddVariant(&s, row, "NotWater", 2, {{"theme", "Water", 0}});
  AddVariant(&s, row, "BuildingsAndLand", 3, {{"theme", "Buildings", 1}, {"theme", "Land", 1}});
  AddVariant(&s, row, "Twice", 4, {{"descriptiveTerm", "Reeds", 1}, {"make", "Nothing", 1}});
  struct Case {
    const char* what;
    std::initializer_list<const char*> themes;
    std::initializer_list<const char*> terms;
    const char* layer;
  };
  const Case cases[] = {
      {"no water theme", {"Land"}, {}, "NotWater"},
      {"both themes", {"Water", "Buildings", "Land"}, {}, "BuildingsAndLand"},
      // A term listed twice does not make up for a make that fails.
      {"two equal terms, make fails", {"Water"}, {"Reeds", "Reeds"}, "Area"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Lists lists;
    AreaFeatureRecord area = SampleArea(&lists);
    area.attributes.themes = Values(c.themes);
    area.attributes.terms = Values(c.terms);
    lists.Own(&area.attributes.themes);
    lists.Own(&area.attributes.terms);
    std::string layer = "Area";
    std::int32_t colour = 1;
    EXPECT_TRUE(FindCodeEntryForArea(s, &layer, &colour, row, area));
    EXPECT_EQ(layer, c.layer);
  }
}

TEST(LayerResolutionTest, SymbolOfACode) {
  OS_GML_ACAD_Definitions s;
  AddSymbolRow(&s, "10165", "RailSwitch");
  AddSymbolRow(&s, "10165", "Other");
  std::string block = "stale";
  EXPECT_TRUE(FindSymbolForCode(s, "10165", &block));
  EXPECT_EQ(block, "RailSwitch");
  EXPECT_FALSE(FindSymbolForCode(s, "1", &block));
  EXPECT_EQ(block, "");
}

TEST(LayerResolutionTest, TopographicLayerFromTheTableOrTheSettings) {
  OS_GML_ACAD_Definitions s;
  const int row = AddCodeRow(&s, "10056", "OS Land", 3, true);
  AddVariant(&s, row, "OS Land Manmade", 8, {{"make", "PManmade", 1}});
  const PointFeatureRecord point = SamplePoint();  // code 10056, make PManmade
  PointFeatureRecord unknown = point;
  CopyField(unknown.common.featureCode, "77777");
  const TextFeatureRecord text = SampleText();
  struct Case {
    const char* what;
    int useTable, ifMissing, forceText;
    TopoFeatureRef feature;
    bool draw;
    const char* layer;
    int colour;
  };
  const Case cases[] = {
      {"variant of the row", 1, 0, 0, &point, true, "OS Land Manmade", 8},
      {"missing, code as layer", 1, 0, 0, &unknown, true, "77777", 7},
      {"missing, ignored", 1, 1, 0, &unknown, false, "", 7},
      {"missing, fixed layer", 1, 2, 0, &unknown, true, "CodeNotFound", 7},
      {"table off", 0, 0, 0, &point, true, "10056", 7},
      {"forced text layer", 1, 0, 1, &text, true, "MasterMap Text", 7},
      {"text from the table", 1, 0, 0, &text, true, "OS Land", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    s.useCodeLookupTable = c.useTable;
    s.ifCodeLayerNotFound = c.ifMissing;
    s.forceTextToFixedLayer = c.forceText;
    const LayerChoice choice = ChooseTopoLayer(s, c.feature);
    EXPECT_EQ(choice.draw, c.draw);
    if (c.draw) {
      EXPECT_EQ(choice.layer, c.layer);
    }
    EXPECT_EQ(choice.colour, c.colour);
  }
}

}  // namespace
