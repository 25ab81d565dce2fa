#include <gtest/gtest.h>

#include "common/containers/text.h"
#include "gml/ui/code_exceptions_dialog.h"
#include "gml/ui/code_pair_dialog.h"
#include "gml/ui/item_value_selection.h"
#include "gml/ui/lookup_table_view.h"
#include "host/system/fault.h"
#include "ui_fixture.h"

namespace {

using host::ui::kIdCancel;
using host::ui::kIdOk;

constexpr char kSmallTable[] =
    "# small.ovc\n#\n# the user's own line\n# Code lookup table for reading OS data from gml file\n\n"
    "[OS Code:] 10056 [Layer color:] 3 [Layer status:] 100 [Use extra conditions:] 0 [ACAD layer:] b road\n"
    "[OS Code:] 10021 [Layer color:] 30 [Layer status:] 100 [Use extra conditions:] 1 [ACAD layer:] C building\n"
    "[OS Code:] 10172 [Layer color:] 5 [Layer status:] 110 [Use extra conditions:] 0 [ACAD layer:] A path\n"
    "[Extracondition OS Code:] 10021 [Layer color:] 31 [Layer status:] 100 [Extracondition test qty:] 1 "
    "[ACAD layer:] Glasshouses\n"
    "[Extracondition match:] 1 [Extracondition item:] descriptiveTerm [Extracondition value:] Glasshouse\n";

class LookupTableDialogsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CopyDefaultSupport();
    Write("support/small.ovc", kSmallTable);
    ASSERT_TRUE(record_.LoadSettings(Support() + L"lwh_gml.ini", true));
    record_.codeTableFileName = L"small.ovc";
    ASSERT_TRUE(record_.LoadCodeLookupTable());
    ASSERT_TRUE(record_.LoadSymbolLookupTable());
  }
  static std::vector<std::wstring> Column(host::ui::Dialog& d, int id, int column) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < d.Item(id).GetItemCount(); ++i) texts.push_back(d.Item(id).GetItemText(i, column));
    return texts;
  }
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    for (std::int32_t i = 0; i < record_.codeTable.count; ++i)
      codes.emplace_back(FieldText(static_cast<CodeLookupEntry*>(record_.codeTable.data)[i].code));
    return codes;
  }
  const CodeLookupEntry& Entry(int i) const { return static_cast<CodeLookupEntry*>(record_.codeTable.data)[i]; }
  // Queues Add, a code and a layer (or block) name, and OK in the pair editor.
  void AddPair(const std::wstring& code, const std::wstring& name) {
    Click(kIdAddPair);
    Set(kIdPairCode, code);
    Set(kIdPairLayer, name);
    Click(kIdOk);
  }
  OS_GML_ACAD_Definitions record_;
};

TEST_F(LookupTableDialogsTest, HeaderClicksSortTheStoredTableWithoutMarkingAChange) {
  CodeLayerLookupView view;
  view.table = &record_.codeTable;
  view.record = &record_;
  Push("dlg_column", {L"246", L"1"});  // by layer, ascending
  Push("dlg_column", {L"246", L"1"});  // by layer, descending
  Push("dlg_column", {L"246", L"0"});  // by code in its own direction
  Push("dlg_column", {L"246", L"0"});  // code descending
  Click(kIdOk);
  EXPECT_EQ(view.DoModal(), kIdOk);
  EXPECT_FALSE(view.changed);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"10172", "10056", "10021"}));
  EXPECT_EQ(Column(view, kIdCodeLayerList, 0), (std::vector<std::wstring>{L"10172", L"10056", L"10021+"}));
  EXPECT_EQ(view.ItemText(kIdTableFile), L"File: small.ovc");
  const auto& columns = view.Item(kIdCodeLayerList).Columns();
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0].heading, L"Feature Code");
  EXPECT_EQ(columns[1].heading, L"AutoCAD Layer");
  EXPECT_EQ(columns[1].width, columns[0].width / 3 * 7);

  CodeLayerLookupView again;
  again.table = &record_.codeTable;
  again.record = &record_;
  Push("dlg_column", {L"246", L"1"});
  Push("esc");
  again.DoModal();
  EXPECT_EQ(Column(again, kIdCodeLayerList, 1), (std::vector<std::wstring>{L"A path", L"b road", L"C building"}));
}

TEST_F(LookupTableDialogsTest, AddWithExceptionsIsSavedAndComesBack) {
  Click(kIdAddPair);
  Set(kIdPairCode, L"10099");
  Set(kIdPairLayer, L"OS Water");
  Set(kIdPairColour, L"150");
  Click(kIdPairLocked);
  Click(kIdUseExceptions);
  Click(kIdExceptionDetails);
  // The exceptions editor: a first variant from the pair, a condition on it,
  // a second variant with a negated condition.
  Set(kIdColourEdit, L"151");
  Click(kIdAddCondition);
  Select(kIdItemList, {0});  // theme
  Push("dlg_set", {std::to_wstring(kIdValueList), L"x"});  // not a combo: dropped
  Click(kIdOk);
  Click(kIdDeleteException);  // the only one: refused
  Click(kIdNewException);
  Set(kIdLayerEdit, L"OS Water Other");
  Click(kIdAddCondition);
  Click(kIdNegate);
  Click(kIdOk);
  Click(kIdPreviousException);
  Click(kIdOk);   // exceptions editor
  Click(kIdOk);   // pair editor
  Click(kIdOk);   // table editor
  EXPECT_TRUE(EditCodeLayerTable(record_));
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{
                            L"Can not delete last one - Toggle \"Use exeptions\" off\nin previous dialog box instead."});
  EXPECT_TRUE(host::Shown().Contains("dialog", L"end \"Code / Layer exeptions for code 10099\""));

  OS_GML_ACAD_Definitions again;
  ASSERT_TRUE(again.LoadSettings(Support() + L"lwh_gml.ini", true));
  again.codeTableFileName = L"small.ovc";
  ASSERT_TRUE(again.LoadCodeLookupTable());
  int row = -1;
  ASSERT_TRUE(again.FindCodeIndex("10099", &row));
  const CodeLookupEntry& entry = static_cast<CodeLookupEntry*>(again.codeTable.data)[row];
  EXPECT_EQ(std::string(FieldText(entry.layer)), "OS Water");
  EXPECT_EQ(entry.colour, 150);
  EXPECT_EQ(entry.locked, 1);
  EXPECT_EQ(entry.useConditions, 1);
  ASSERT_EQ(entry.variants.count, 2);
  const auto* variants = static_cast<ConditionVariant*>(entry.variants.data);
  EXPECT_EQ(std::string(FieldText(variants[0].layer)), "OS Water");
  EXPECT_EQ(variants[0].colour, 151);
  EXPECT_EQ(std::string(FieldText(variants[1].layer)), "OS Water Other");
  ASSERT_EQ(variants[1].conditions.count, 1);
  const auto& negated = static_cast<AttributeCondition*>(variants[1].conditions.data)[0];
  EXPECT_EQ(std::string(FieldText(negated.item)), "theme");
  EXPECT_EQ(negated.match, 0);
  EXPECT_NE(Read("support/small.ovc").find("# the user's own line\n"), std::string::npos);
}

TEST_F(LookupTableDialogsTest, EditNeedsOneRowAndCancelKeepsTheRowsExceptions) {
  CodeLayerLookupView view;
  view.table = &record_.codeTable;
  view.record = &record_;
  Click(kIdEditPair);
  Select(kIdCodeLayerList, {0, 1});
  Click(kIdEditPair);
  // 10021 sorts first; its exceptions are changed, then the pair cancelled.
  Push("dlg_dblclick", {L"246", L"0"});
  Click(kIdExceptionDetails);
  Click(kIdNewException);
  Click(kIdClearConditions);
  Push("answer", {L"yes"});
  Click(kIdOk);
  Push("esc");
  // Edited for real: a new layer and no exceptions.
  Push("dlg_dblclick", {L"246", L"0"});
  Set(kIdPairLayer, L"Houses");
  Click(kIdUseExceptions);
  Click(kIdOk);
  Click(kIdOk);
  view.DoModal();
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Select one item to be edited first.",
                                                   L"Can edit one item at time only.",
                                                   L"OK to delete all items in the list?"}));
  EXPECT_EQ(host::ui::MessageBoxes()[0].request.caption, L"Orvane");
  EXPECT_TRUE(view.changed);
  const CodeLookupEntry& entry = Entry(0);
  EXPECT_EQ(std::string(FieldText(entry.code)), "10021");
  EXPECT_EQ(std::string(FieldText(entry.layer)), "Houses");
  EXPECT_EQ(entry.useConditions, 0);
  ASSERT_EQ(entry.variants.count, 1);  // the cancelled edits left no trace
  EXPECT_EQ(static_cast<ConditionVariant*>(entry.variants.data)[0].conditions.count, 1);
}

TEST_F(LookupTableDialogsTest, DeletingTwoAdjacentRowsRemovesExactlyThose) {
  CodeLayerLookupView view;
  view.table = &record_.codeTable;
  view.record = &record_;
  Click(kIdDeletePairs);
  Select(kIdCodeLayerList, {1, 2});
  Click(kIdDeletePairs);
  Push("answer", {L"cancel"});
  Click(kIdDeletePairs);
  Push("answer", {L"ok"});
  Push("esc");  // closing the window: the change counts all the same
  view.DoModal();
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{
                            L"Select item to be deleted first.",
                            L"Do you want to permanently remove 2 code / layer look up pairs?",
                            L"Do you want to permanently remove 2 code / layer look up pairs?"}));
  const auto& confirm = host::ui::MessageBoxes()[1].request;
  EXPECT_EQ(confirm.caption, L"Careful now!");
  EXPECT_EQ(confirm.buttons, host::ui::MessageButtons::kOkCancel);
  EXPECT_EQ(confirm.icon, host::ui::MessageIcon::kExclamation);
  EXPECT_TRUE(view.changed);
  EXPECT_EQ(Codes(), std::vector<std::string>{"10021"});
}

TEST_F(LookupTableDialogsTest, BlockTableEditorAddsPairsWithoutLayerControls) {
  const std::int32_t before = record_.symbolTable.count;
  AddPair(L"10999", L"Tree Symbol");
  Click(kIdAddPair);  // empty block: nothing added
  Set(kIdPairCode, L"11000");
  Click(kIdOk);
  Push("dlg_select", {L"252", L"0"});
  Click(kIdDeletePairs);
  Push("answer", {L"ok"});
  Click(kIdOk);
  EXPECT_TRUE(EditCodeSymbolTable(record_));
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Do you want to permanently remove code / block look up pair?"});
  EXPECT_TRUE(host::Shown().Contains("dialog", L"end \"Feature Code / AutoCAD Symbol Block pair\""));
  OS_GML_ACAD_Definitions again;
  ASSERT_TRUE(again.LoadSettings(Support() + L"lwh_gml.ini", true));
  ASSERT_TRUE(again.LoadSymbolLookupTable());
  EXPECT_EQ(again.symbolTable.count, before);  // one added, one deleted
  const auto* rows = static_cast<SymbolLookupEntry*>(again.symbolTable.data);
  bool found = false;
  for (std::int32_t i = 0; i < again.symbolTable.count; ++i)
    found = found || (std::string(FieldText(rows[i].code)) == "10999" &&
                      std::string(FieldText(rows[i].block)) == "Tree Symbol");
  EXPECT_TRUE(found);

  AddCodeLayer pair;
  pair.symbolMode = true;
  Push("esc");
  pair.DoModal();
  EXPECT_FALSE(pair.Item(kIdPairColour).IsVisible());
  EXPECT_FALSE(pair.Item(kIdExceptionDetails).IsVisible());
  EXPECT_EQ(pair.FocusId(), kIdPairCode);
}

TEST_F(LookupTableDialogsTest, PairEditorRefusesWhatTheTableCannotKeep) {
  struct Case {
    int id;
    std::wstring text;
    std::wstring message;
  };
  const Case cases[] = {
      {kIdPairColour, L"255", L"Please enter an integer between 1 and 254."},
      {kIdPairColour, L"0", L"Please enter an integer between 1 and 254."},
      {kIdPairCode, L"100 21", L"Feature code can't have blanks."},
      {kIdPairLayer, L"OS/Water", L"Layer name can't have following characters: <>/\\\":;?*|,=`"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    host::ui::ClearMessageBoxes();
    AddCodeLayer pair;
    pair.code = L"10021";
    pair.layer = L"Water";
    Set(c.id, c.text);
    Click(kIdOk);
    Push("esc");
    EXPECT_EQ(pair.DoModal(), kIdCancel);
    EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{c.message});
    host::Actions().Clear();
  }
  // Overlong texts cannot be typed: the edits hold what the table keeps.
  {
    AddCodeLayer pair;
    Set(kIdPairCode, std::wstring(118, L'1'));
    Set(kIdPairLayer, std::wstring(128, L'L'));
    Click(kIdOk);
    EXPECT_EQ(pair.DoModal(), kIdOk);
    EXPECT_EQ(pair.code, std::wstring(117, L'1'));
    EXPECT_EQ(pair.layer, std::wstring(127, L'L'));
  }
  // Details on a new pair with an empty layer gives a first variant with an
  // empty layer; an Add that then has no layer adds nothing (and frees it).
  AddCodeLayer pair;
  Set(kIdPairCode, L"10021");
  Click(kIdUseExceptions);
  Click(kIdExceptionDetails);
  Click(kIdOk);
  Click(kIdOk);
  EXPECT_EQ(pair.DoModal(), kIdOk);
  ASSERT_EQ(pair.Variants().count, 1);
  EXPECT_STREQ(static_cast<ConditionVariant*>(pair.Variants().data)[0].layer, "");

  CodeLayerLookupView view;
  view.table = &record_.codeTable;
  view.record = &record_;
  Click(kIdAddPair);
  Set(kIdPairCode, L"10500");
  Click(kIdUseExceptions);
  Click(kIdExceptionDetails);
  Click(kIdOk);
  Click(kIdOk);
  Click(kIdOk);
  view.DoModal();
  EXPECT_FALSE(view.changed);
  EXPECT_EQ(record_.codeTable.count, 3);
}

// A lookup takes the first row of a code, so a second row for a code never
// takes effect: the pair editor refuses it, naming the row that has the
// code, whether the code comes from Add or from editing another row.
TEST_F(LookupTableDialogsTest, ACodeAlreadyInTheTableIsRefusedNamingItsRow) {
  CodeLayerLookupView view;
  view.table = &record_.codeTable;
  view.record = &record_;
  // Rows by code: 10021 C building, 10056 b road, 10172 A path.
  AddPair(L"10056", L"Second road");
  Click(kIdCancel);
  Push("dlg_dblclick", {L"246", L"0"});
  Set(kIdPairCode, L"10172");
  Click(kIdOk);
  Click(kIdCancel);
  // A row keeps its own code.
  Push("dlg_dblclick", {L"246", L"1"});
  Set(kIdPairLayer, L"Roads");
  Click(kIdOk);
  Click(kIdOk);
  view.DoModal();
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::wstring>{L"Feature code 10056 is already in row 2 of the table "
                                       L"(layer b road): edit that row instead.",
                                       L"Feature code 10172 is already in row 3 of the table "
                                       L"(layer A path): edit that row instead."}));
  EXPECT_EQ(Codes(), (std::vector<std::string>{"10021", "10056", "10172"}));
  EXPECT_EQ(std::string(FieldText(Entry(1).layer)), "Roads");

  // The block table too, letter case ignored.
  host::ui::ClearMessageBoxes();
  host::Actions().Clear();
  AddPair(L"Ab1", L"Tree");
  AddPair(L"AB1", L"Bush");
  Click(kIdCancel);
  Click(kIdOk);
  const std::int32_t before = record_.symbolTable.count;
  EXPECT_TRUE(EditCodeSymbolTable(record_));
  EXPECT_EQ(record_.symbolTable.count, before + 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{
                            L"Feature code AB1 is already in row " + std::to_wstring(before + 1) +
                            L" of the table (block Tree): edit that row instead."});
}

// Layer names beyond Latin-1 go into the table and its file whole; a row of
// an older file in 8-bit text shows its Latin-1 characters.
TEST_F(LookupTableDialogsTest, LayerNamesAreKeptWholeAsUtf8) {
  Write("support/small.ovc", std::string(kSmallTable) +
                                 "[OS Code:] 10300 [Layer color:] 2 [Layer status:] 100 [Use extra "
                                 "conditions:] 0 [ACAD layer:] Caf\xE9\n");
  ASSERT_TRUE(record_.LoadCodeLookupTable());
  CodeLayerLookupView view;
  view.table = &record_.codeTable;
  view.record = &record_;
  AddPair(L"10099", L"Testun T\u0177 Gwyn");
  Click(kIdOk);
  view.DoModal();
  EXPECT_EQ(Column(view, kIdCodeLayerList, 1),
            (std::vector<std::wstring>{L"C building", L"b road", L"Testun T\u0177 Gwyn", L"A path",
                                       L"Caf\u00E9"}));
  ASSERT_TRUE(record_.SaveCodeLookupTable());

  OS_GML_ACAD_Definitions again;
  ASSERT_TRUE(again.LoadSettings(Support() + L"lwh_gml.ini", true));
  again.codeTableFileName = L"small.ovc";
  ASSERT_TRUE(again.LoadCodeLookupTable());
  int row = -1;
  ASSERT_TRUE(again.FindCodeIndex("10099", &row));
  EXPECT_EQ(std::string(FieldText(static_cast<CodeLookupEntry*>(again.codeTable.data)[row].layer)),
            "Testun T\xC5\xB7 Gwyn");
}

TEST_F(LookupTableDialogsTest, ChangeCopiesATableFromElsewhereIntoTheSupportFolder) {
  Write("elsewhere/other.ovc",
        "# other.ovc\n#\n# Code lookup table for reading OS data from gml file\n\n"
        "[OS Code:] 777 [Layer color:] 2 [Layer status:] 100 [Use extra conditions:] 0 [ACAD layer:] Other\n");
  Write("support/other.ovc", "# other.ovc\n#\n# Code lookup table for reading OS data from gml file\n");
  CodeLayerLookupView view;
  view.table = &record_.codeTable;
  view.record = &record_;
  Push("dlg_select", {L"246", L"0"});
  Click(kIdDeletePairs);
  Push("answer", {L"ok"});
  Click(kIdChangeTable);
  Push("answer", {At("elsewhere/other.ovc")});
  Push("answer", {L"no"});  // keep the support folder's own file: nothing changes
  Click(kIdChangeTable);
  Push("answer", {At("elsewhere/other.ovc")});
  Push("answer", {L"yes"});
  Click(kIdOk);
  view.DoModal();
  // The edit before the change went to the old file first.
  EXPECT_EQ(Read("support/small.ovc").find("10021"), std::string::npos);
  EXPECT_EQ(Read("support/other.ovc"), Read("elsewhere/other.ovc"));
  EXPECT_EQ(record_.codeTableFileName, L"other.ovc");
  EXPECT_EQ(Codes(), std::vector<std::string>{"777"});
  EXPECT_FALSE(view.changed);
  EXPECT_EQ(view.ItemText(kIdTableFile), L"File: other.ovc");
  const auto& request = host::ui::FileDialogs()[0].request;
  EXPECT_EQ(request.title, L"Please select a new Feature Code Lookup Table file");
  EXPECT_EQ(request.filters[0].description, L"Feature Lookup Table files (*.ovc)");
  EXPECT_EQ(request.initial_folder, Support());
  EXPECT_TRUE(request.must_exist);
  EXPECT_EQ(request.buffer_chars, 10239u);
}

TEST_F(LookupTableDialogsTest, ChangeThatCannotSaveTheOldTableChangesNothing) {
  const std::string before = Read("support/small.ovc");
  const int files = FileCount("support");
  CodeLayerLookupView view;
  view.table = &record_.codeTable;
  view.record = &record_;
  Push("dlg_select", {L"246", L"0"});
  Click(kIdDeletePairs);
  Push("answer", {L"ok"});
  Click(kIdChangeTable);
  Push("answer", {Support() + L"lwh_gml_codelookup.ovc"});
  Click(kIdOk);
  (void)DoModalWhileSavesFail(view, 0);
  EXPECT_EQ(Read("support/small.ovc"), before);  // whole, no half-written file
  EXPECT_EQ(FileCount("support"), files);
  EXPECT_EQ(record_.codeTableFileName, L"small.ovc");
  EXPECT_TRUE(view.changed);
  EXPECT_EQ(record_.codeTable.count, 2);
  ASSERT_EQ(host::ui::MessageBoxes().size(), 2u);
  EXPECT_EQ(BoxTexts()[1].rfind(L"Could not save '", 0), 0u);
}

}  // namespace
