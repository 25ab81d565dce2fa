#include <gtest/gtest.h>

#include "common/containers/text.h"
#include "gml/ui/item_value_selection.h"
#include "gml/ui/polygon_symbology_dialog.h"
#include "host/system/fault.h"
#include "ui_fixture.h"

namespace {

using host::ui::kIdCancel;
using host::ui::kIdOk;

class PolygonSymbologyTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CopyDefaultSupport();
    LoadSupportRecord(record_);
    ASSERT_GT(record_.symbologySets.count, 2);
  }
  static const SymbologySet& SetOf(const OS_GML_ACAD_Definitions& r, int i) {
    return static_cast<SymbologySet*>(r.symbologySets.data)[i];
  }
  static const SymbologySymbol& SymbolOf(const OS_GML_ACAD_Definitions& r, int set, int symbol) {
    return static_cast<SymbologySymbol*>(SetOf(r, set).symbols.data)[symbol];
  }
  OS_GML_ACAD_Definitions record_;
};

TEST_F(PolygonSymbologyTest, EditsOfEveryControlAreSavedOnOkAndComeBack) {
  const std::int32_t sets = record_.symbologySets.count;
  Click(kIdNextSet);
  Set(kIdSymbolBlock, L"Oak");
  Set(kIdSymbolLayer, L"OS Trees 2");
  Set(kIdSymbolColour, L"96");
  Click(kIdSymbolFrozen);
  Click(kIdSymbolLocked);
  Set(kIdSymbolDensity, L"12.5");
  Set(kIdEdgeDistance, L"0.75");
  Set(kIdSymbolDistance, L"4");
  Select(kIdAccuracy, {4});
  Select(kIdPersistence, {0});
  Click(kIdNewSymbol);  // stores the shown one first
  Click(kIdAddSetCondition);
  Select(kIdItemList, {0});
  Click(kIdNegate);
  Click(kIdOk);
  Click(kIdOk);
  EXPECT_EQ(EditPolygonSymbology(record_), kIdOk);

  OS_GML_ACAD_Definitions again;
  ASSERT_TRUE(again.LoadSettings(Support() + L"lwh_gml.ini", true));
  ASSERT_TRUE(again.LoadSymbologyTable());
  ASSERT_EQ(again.symbologySets.count, sets);
  ASSERT_EQ(SetOf(again, 1).symbols.count, 2);
  const SymbologySymbol& s = SymbolOf(again, 1, 0);
  EXPECT_STREQ(s.block, "Oak");
  EXPECT_STREQ(s.layer, "OS Trees 2");
  EXPECT_EQ(s.colour, 96);
  EXPECT_EQ(s.on, 1);
  EXPECT_EQ(s.frozen, 1);
  EXPECT_EQ(s.locked, 1);
  EXPECT_EQ(s.density, 12.5);
  EXPECT_EQ(s.edgeBuffer, 0.75);
  EXPECT_EQ(s.symbolBuffer, 4.0);
  EXPECT_EQ(s.accuracyLevel, 4);
  EXPECT_EQ(s.persistenceLevel, 0);
  const SymbologySymbol& added = SymbolOf(again, 1, 1);
  EXPECT_STREQ(added.block, "Block Name");
  EXPECT_STREQ(added.layer, "Layer Name");
  EXPECT_EQ(added.density, 5.0);
  EXPECT_EQ(added.accuracyLevel, 2);
  ASSERT_EQ(SetOf(again, 1).conditions.count, 2);
  const auto& condition = static_cast<AttributeCondition*>(SetOf(again, 1).conditions.data)[1];
  EXPECT_STREQ(condition.item, "theme");
  EXPECT_EQ(condition.match, 0);
}

TEST_F(PolygonSymbologyTest, CancelLeavesTheRecordAndTheFileAsTheyWere) {
  const std::string file = Read("support/lwh_gml_symbologylookup.ovl");
  const std::int32_t sets = record_.symbologySets.count;
  const std::string firstBlock = SymbolOf(record_, 0, 0).block;
  CPolygonSymbology dlg;
  dlg.settings = &record_;
  Set(kIdSymbolBlock, L"Changed");
  Click(kIdNextSet);  // stored in the dialog's copy
  Click(kIdDeleteSet);
  Click(kIdNewSet);
  Click(kIdDeleteSymbol);
  Push("esc");
  EXPECT_EQ(dlg.DoModal(), kIdCancel);
  EXPECT_EQ(record_.symbologySets.count, sets);
  EXPECT_EQ(SymbolOf(record_, 0, 0).block, firstBlock);
  EXPECT_EQ(Read("support/lwh_gml_symbologylookup.ovl"), file);
  // What the dialog showed last: a new set whose only symbol was deleted.
  EXPECT_EQ(dlg.ItemText(kIdSetLabel), L"Set " + std::to_wstring(sets) + L" of " + std::to_wstring(sets));
  EXPECT_EQ(dlg.ItemText(kIdSymbolLabel), L"No symbols defined");
  EXPECT_EQ(dlg.ItemText(kIdSymbolDensity), L"(n/a)");
  EXPECT_FALSE(dlg.Item(kIdSymbolDensity).IsEnabled());
  EXPECT_FALSE(dlg.Item(kIdAccuracy).IsEnabled());
  const std::wstring text = dlg.Render();
  EXPECT_NE(text.find(L"Dialog \"Symbology settings\""), std::wstring::npos);
  EXPECT_NE(text.find(L"[251] edit \"(n/a)\" (disabled)"), std::wstring::npos) << text;
}

TEST_F(PolygonSymbologyTest, WithoutSetsOnlyNewSetActs) {
  record_.ClearSymbologySets();
  CPolygonSymbology dlg;
  dlg.settings = &record_;
  for (int id : {kIdAddSetCondition, kIdDeleteSetCondition, kIdClearSetConditions, kIdNewSymbol, kIdNextSymbol,
                 kIdPreviousSymbol, kIdNextSet, kIdPreviousSet, kIdDeleteSet, kIdDeleteSymbol})
    Click(id);
  Push("esc");
  dlg.DoModal();
  EXPECT_EQ(dlg.ItemText(kIdSetLabel), L"No symbols defined");
  EXPECT_EQ(dlg.ItemText(kIdSymbolLabel), L"No symbols defined");
  EXPECT_TRUE(host::Shown().TextsOf("dialog").size() == 2u);  // no item/value dialog opened

  Click(kIdNewSet);
  Click(kIdOk);
  EXPECT_EQ(dlg.DoModal(), kIdOk);
  ASSERT_EQ(record_.symbologySets.count, 1);
  EXPECT_STREQ(SymbolOf(record_, 0, 0).block, "Block Name");
  EXPECT_STREQ(SymbolOf(record_, 0, 0).layer, "Layer Name");
  EXPECT_EQ(dlg.ItemText(kIdSetLabel), L"Set 1 of 1");
  EXPECT_EQ(dlg.ItemText(kIdSymbolLabel), L"Symbol 1 of 1");
  EXPECT_EQ(dlg.ItemText(kIdSymbolDensity), L"5.000");
}

TEST_F(PolygonSymbologyTest, ConditionsAndSymbolNavigation) {
  CPolygonSymbology dlg;
  dlg.settings = &record_;
  Click(kIdAddSetCondition);
  Select(kIdItemList, {0});  // theme, first value
  Click(kIdOk);
  Select(kIdSetConditions, {1});
  Click(kIdDeleteSetCondition);  // removes the new one
  Click(kIdNewSymbol);
  Set(kIdSymbolBlock, L"Second");
  Click(kIdNextSymbol);  // the last one: nothing is stored
  Click(kIdPreviousSymbol);
  Push("esc");
  dlg.DoModal();
  ASSERT_EQ(dlg.Item(kIdSetConditions).GetCount(), 1);
  EXPECT_EQ(dlg.Item(kIdSetConditions).GetRowText(0), L"descriptiveTerm is Coniferous Trees");
  EXPECT_EQ(dlg.ItemText(kIdSymbolLabel), L"Symbol 1 of 2");
  EXPECT_EQ(dlg.sets.marker, 0);  // the copy is freed when the dialog ends

  CPolygonSymbology clear;
  clear.settings = &record_;
  Click(kIdClearSetConditions);
  Click(kIdOk);
  clear.DoModal();
  EXPECT_EQ(SetOf(record_, 0).conditions.count, 0);
}

TEST_F(PolygonSymbologyTest, BadValuesKeepTheDialogOnTheSymbol) {
  struct Case {
    int id;
    std::wstring text;
    std::wstring message;
  };
  const Case cases[] = {
      {kIdSymbolColour, L"abc", L"Please enter an integer."},
      {kIdSymbolColour, L"0", L"Please enter an integer between 1 and 255."},
      {kIdSymbolDensity, L"abc", L"Please enter a number."},
      {kIdEdgeDistance, L"-1", L"Please enter a number between 0 and 1000000."},
      {kIdSymbolBlock, L"", L"Block name can't be empty."},
      {kIdSymbolLayer, L"a*b", L"Layer name can't have following characters: <>/\\\":;?*|,=`"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    host::ui::ClearMessageBoxes();
    CPolygonSymbology dlg;
    dlg.settings = &record_;
    Set(c.id, c.text);
    Click(kIdNextSet);
    Click(kIdOk);
    Push("esc");
    EXPECT_EQ(dlg.DoModal(), kIdCancel);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{c.message, c.message}));
    EXPECT_EQ(dlg.ItemText(kIdSetLabel).rfind(L"Set 1 of", 0), 0u);
    host::Actions().Clear();
  }
}

TEST_F(PolygonSymbologyTest, AFailedSaveIsReportedAndLeavesTheFileWhole) {
  const std::string file = Read("support/lwh_gml_symbologylookup.ovl");
  CPolygonSymbology dlg;
  dlg.settings = &record_;
  Click(kIdDeleteSet);
  Click(kIdOk);
  EXPECT_EQ(DoModalWhileSavesFail(dlg, 3), kIdOk);
  EXPECT_EQ(Read("support/lwh_gml_symbologylookup.ovl"), file);
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(BoxTexts()[0].rfind(L"Could not save the symbology settings to '", 0), 0u);
}

}  // namespace
