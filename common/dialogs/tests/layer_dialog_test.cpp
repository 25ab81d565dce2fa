#include "common/dialogs/layer_dialog.h"

#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "host/db/database.h"

namespace {

class LayerDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    LayerListMode() = 0;
    previous_ = host::db::WorkingDatabase();
    host::db::SetWorkingDatabase(&db_);
    AddLayer(L"b", 2, false, false, false);
    AddLayer(L"A", 1, false, false, false);
    AddLayer(L"c", 3, true, true, true);  // off, frozen, locked
  }
  void TearDown() override {
    host::db::SetWorkingDatabase(previous_);
    LayerListMode() = 0;
    DialogTest::TearDown();
  }
  void AddLayer(const wchar_t* name, int colour, bool off, bool frozen, bool locked) {
    host::db::LayerRecord r;
    r.name = name;
    r.color = colour;
    r.off = off;
    r.frozen = frozen;
    r.locked = locked;
    db_.AddLayer(r);
  }
  const host::db::LayerRecord* LayerOf(const wchar_t* name) { return db_.LayerRecordOf(db_.Layer(name)); }
  // The row texts shown last in "layerlist".
  std::vector<std::wstring> RowsShown() {
    std::vector<std::wstring> rows;
    GrowArray r{};
    EXPECT_TRUE(GrowArrayCreate(50, sizeof(LayerRow), &r));
    CollectLayerRows(&r);
    for (std::int32_t i = 0; i < r.count; ++i) {
      wchar_t text[4096];
      FormatLayerRow(static_cast<LayerRow*>(r.data)[i], text, 4096);
      rows.push_back(text);
    }
    GrowArrayFree(&r);
    return rows;
  }

  host::db::Database db_;
  host::db::Database* previous_ = nullptr;
  wchar_t name_[64] = L"untouched";
  std::int16_t colour_ = -1;
};

TEST_F(LayerDialogTest, RowsAreSortedAndShowStateAndColour) {
  const std::vector<std::wstring> rows = RowsShown();
  ASSERT_EQ(rows.size(), 4u);  // with layer 0
  EXPECT_EQ(rows[0], L"On\t .\t.\t7\t0");
  EXPECT_EQ(rows[1], L"On\t .\t.\t1\tA");
  EXPECT_EQ(rows[2], L"On\t .\t.\t2\tb");
  EXPECT_EQ(rows[3], L"Off\t F\tL\t3\tc");
}

TEST_F(LayerDialogTest, InitialLayerIsPreselectedAndChosenLayerMadeUsable) {
  Push("dlg_click", {L"ok_select"});
  ASSERT_TRUE(SelectLayerDialog(name_, 64, &colour_, L"C"));
  EXPECT_STREQ(name_, L"c");
  EXPECT_EQ(colour_, 3);
  const host::db::LayerRecord* c = LayerOf(L"c");
  EXPECT_FALSE(c->off || c->frozen || c->locked || c->frozenInNewViewports);
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile layerlist \"3\""));
}

TEST_F(LayerDialogTest, DoubleClickChoosesAndColourChangeGoesToTheDrawing) {
  Push("dlg_select", {L"layerlist", L"2"});
  Push("dlg_click", {L"change_color"});
  Push("color", {L"40"});
  Push("dlg_dblclick", {L"layerlist", L"2"});
  ASSERT_TRUE(SelectLayerDialog(name_, 64, &colour_, L""));
  EXPECT_STREQ(name_, L"b");
  EXPECT_EQ(colour_, 40);
  EXPECT_EQ(LayerOf(L"b")->color, 40);
}

TEST_F(LayerDialogTest, CancelLeavesOutputsAndRecolouringStays) {
  Push("dlg_select", {L"layerlist", L"1"});
  Push("dlg_click", {L"change_color"});
  Push("color", {L"0"});  // not 1 to 255: nothing changes
  Push("dlg_click", {L"change_color"});
  Push("color", {L"9"});
  Push("esc");
  EXPECT_FALSE(SelectLayerDialog(name_, 64, &colour_, L""));
  EXPECT_STREQ(name_, L"untouched");
  EXPECT_EQ(colour_, -1);
  EXPECT_EQ(LayerOf(L"A")->color, 9);
}

TEST_F(LayerDialogTest, NewLayerGetsColourSevenAndContinuous) {
  Push("dlg_click", {L"new_layer"});
  Push("dlg_click", {L"ok_new_layer"});  // no name yet
  Push("dlg_set", {L"layer_name", L"pipes:old?"});
  Push("dlg_click", {L"ok_new_layer"});
  ASSERT_TRUE(SelectLayerDialog(name_, 64, &colour_, L""));
  EXPECT_STREQ(name_, L"pipesxoldx");
  EXPECT_EQ(colour_, 7);
  EXPECT_EQ(Alerts(), std::vector<std::wstring>{L"Too short layer name, way too short."});
  const host::db::LayerRecord* layer = LayerOf(L"pipesxoldx");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->color, 7);
  EXPECT_EQ(db_.LinetypeRecordOf(db_.Linetype(L"CONTINUOUS"))->handle, layer->linetype);
}

TEST_F(LayerDialogTest, NewLayerWithAColour) {
  Push("dlg_click", {L"new_layer"});
  Push("dlg_set", {L"layer_name", L"walls"});
  Push("dlg_click", {L"new_color"});
  Push("color", {L"5"});
  Push("dlg_click", {L"ok_new_layer"});
  ASSERT_TRUE(SelectLayerDialog(name_, 64, &colour_, L""));
  EXPECT_STREQ(name_, L"walls");
  EXPECT_EQ(colour_, 5);
  EXPECT_EQ(LayerOf(L"walls")->color, 5);
}

TEST_F(LayerDialogTest, StrictNamesRefuseInvalidCharacters) {
  Write("support/warn_layer_chars.ini", "first line\n1\n");
  Push("dlg_click", {L"new_layer"});
  Push("dlg_set", {L"layer_name", L"good"});
  Push("dlg_set", {L"layer_name", L"bad:name"});
  Push("dlg_click", {L"ok_new_layer"});
  ASSERT_TRUE(SelectLayerDialog(name_, 64, &colour_, L""));
  EXPECT_STREQ(name_, L"good");
  EXPECT_EQ(Alerts(), std::vector<std::wstring>{L"Layer name can't have following characters: <>/\\\":;?*|,='"});
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile layer_name \"good\""));
  EXPECT_EQ(LayerListMode(), 1);
}

TEST_F(LayerDialogTest, ExistingNameAsksAndYesTakesThatLayer) {
  Push("dlg_click", {L"new_layer"});
  Push("dlg_set", {L"layer_name", L"B"});
  Push("dlg_click", {L"ok_new_layer"});
  Push("dlg_click", {L"LarNo"});  // stays open
  Push("dlg_click", {L"ok_new_layer"});
  Push("dlg_click", {L"LarYes"});
  ASSERT_TRUE(SelectLayerDialog(name_, 64, &colour_, L""));
  EXPECT_STREQ(name_, L"B");
  EXPECT_EQ(colour_, 2);
  EXPECT_EQ(db_.Layers().size(), 4u);  // nothing new
}

TEST_F(LayerDialogTest, ListModeTwoShowsOnlyTheFirstRow) {
  Write("support/warn_layer_chars.ini", "x\n2\n");
  Push("dlg_click", {L"ok_select"});
  ASSERT_TRUE(SelectLayerDialog(name_, 64, &colour_, L"b"));
  EXPECT_STREQ(name_, L"0");
  EXPECT_TRUE(host::Shown().Contains("dcl", L"list layerlist: 1 rows"));
}

TEST_F(LayerDialogTest, LongNamesAreCutToTheCallersBuffer) {
  AddLayer(std::wstring(200, L'z').c_str(), 4, false, false, false);
  Push("dlg_select", {L"layerlist", L"4"});
  Push("dlg_click", {L"ok_select"});
  wchar_t small[8];
  ASSERT_TRUE(SelectLayerDialog(small, 8, &colour_, L""));
  EXPECT_STREQ(small, L"zzzzzzz");
}

TEST_F(LayerDialogTest, MissingDclFile) {
  host::SetSupportPath({Support()});
  EXPECT_FALSE(SelectLayerDialog(name_, 64, &colour_, L""));
  EXPECT_EQ(Printed(), L"Error loading \"g_layersel.dcl\"\n");
  EXPECT_STREQ(name_, L"untouched");
}

}  // namespace
