#include "host/ui/dcl_runtime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "host/editor/support_path.h"
#include "host/ui/modal.h"
#include "host/ui/tests/ui_test_support.h"

namespace host::dcl {
namespace {

namespace fs = std::filesystem;

class DclRuntimeTest : public host::ui::testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    SetSupportPath({DataFolder()});
  }
  static std::wstring DataFolder() {
    const std::string folder = std::string(VARNEL_SOURCE_DIR) + "/host/ui/tests/data";
    return std::wstring(folder.begin(), folder.end());
  }
  // Loads the test file and makes dialog `name` from it.
  DialogHandle Open(const wchar_t* name) {
    file_ = LoadDialog(L"Test_Dialogs");  // ".dcl" added, case ignored
    EXPECT_GE(file_, 0);
    const std::optional<DialogHandle> dialog = NewDialog(name, file_);
    EXPECT_TRUE(dialog);
    return dialog.value_or(DialogHandle{});
  }

  int file_ = -1;
};

TEST_F(DclRuntimeTest, LoadAndNewDialogFailures) {
  EXPECT_LT(LoadDialog(L"g_missing.dcl"), 0);
  EXPECT_TRUE(Shown().Contains("dcl", L"load_dialog g_missing.dcl: not found"));

  const fs::path bad = fs::temp_directory_path() / ("host_ui_bad_syntax_" + std::to_string(::getpid()) + ".dcl");
  std::ofstream(bad) << "bad : dialog {\n  label = \"x\"\n}\n";
  SetDclFileFinder([&](const std::wstring&) -> std::optional<std::wstring> { return bad.wstring(); });
  EXPECT_LT(LoadDialog(L"bad.dcl"), 0);
  EXPECT_TRUE(Shown().Contains("dcl", L"line 3: expected ';' after a value"));
  fs::remove(bad);

  SetDclFileFinder({});  // back to the support path
  const int id = LoadDialog(L"test_dialogs.dcl");
  ASSERT_GE(id, 0);
  EXPECT_FALSE(NewDialog(L"no_such_dialog", id));
  EXPECT_FALSE(NewDialog(L"wide_list", id));       // a prototype, not a dialog
  EXPECT_FALSE(NewDialog(L"plain", id + 100));     // not loaded
  EXPECT_TRUE(UnloadDialog(id));
  EXPECT_FALSE(UnloadDialog(id));
  EXPECT_FALSE(NewDialog(L"plain", id));
}

TEST_F(DclRuntimeTest, CallsOnMissingTilesOrSpentHandlesAreHarmless) {
  const DialogHandle d = Open(L"plain");
  EXPECT_FALSE(SetTile(d, L"nothing", L"x"));
  EXPECT_FALSE(ModeTile(d, L"nothing", TileMode::kFocus));
  EXPECT_FALSE(GetTile(d, L"nothing"));
  EXPECT_FALSE(ActionTile(d, L"nothing", [](const CallbackPacket&) {}));
  EXPECT_FALSE(StartList(d, L"nothing"));
  EXPECT_FALSE(AddList(L"row"));
  EXPECT_FALSE(EndList());
  EXPECT_FALSE(StartImage(d, L"accept"));          // not an image
  EXPECT_FALSE(VectorImage(0, 0, 1, 1, 8));
  EXPECT_FALSE(DoneDialog(d, 1));                  // not running yet
  Push("dlg_click", {L"accept"});
  EXPECT_EQ(StartDialog(d), 1);                    // accept without an action
  EXPECT_FALSE(SetTile(d, L"accept", L"x"));       // spent
  EXPECT_FALSE(StartDialog(d));
  EXPECT_FALSE(StartDialog(DialogHandle{9999}));
  ASSERT_NE(InspectDialog(d), nullptr);
  EXPECT_EQ(InspectDialog(d)->status, 1);
}

// The whole set of tiles driven by a script, as a file-selection dialog is.
TEST_F(DclRuntimeTest, EveryTileKindWithActionsValuesAndReasons) {
  const DialogHandle d = Open(L"everything");
  std::vector<std::wstring> seen;
  auto log = [&](const CallbackPacket& p) {
    seen.push_back(p.tile + L"=" + p.value + L"/" + std::to_wstring(p.reason));
  };
  for (const wchar_t* key : {L"name", L"count", L"kind", L"level", L"sort_by", L"files", L"layers", L"subdirs", L"pick"})
    EXPECT_TRUE(ActionTile(d, key, log));
  EXPECT_TRUE(ActionTile(d, L"apply", [&](const CallbackPacket& p) {
    log(p);
    EXPECT_EQ(GetTile(p.dialog, L"name"), L"abcdefgh");
    SetTile(p.dialog, L"error", L"Requires An Integer Number");
    ModeTile(p.dialog, L"count", TileMode::kFocus);
    ModeTile(p.dialog, L"preview", TileMode::kEnable);
  }));
  EXPECT_TRUE(ActionTile(d, L"accept", [&](const CallbackPacket& p) { DoneDialog(p.dialog, 5); }));

  // Set-up before showing: values, lists, images.
  EXPECT_EQ(GetTile(d, L"name"), L"first");
  EXPECT_EQ(GetTile(d, L"sort_by"), L"sort_by_name");
  EXPECT_EQ(GetTile(d, L"subdirs"), L"1");                 // from the prototype
  EXPECT_EQ(GetAttribute(d, L"layers", L"width"), L"30");  // own value over the prototype's
  EXPECT_EQ(GetAttribute(d, L"layers", L"tabs"), L"10 20");
  EXPECT_TRUE(SetTile(d, L"sort_by", L"sort_by_size"));
  EXPECT_EQ(GetTile(d, L"sort_by_size"), L"1");
  EXPECT_EQ(GetTile(d, L"sort_by_name"), L"0");
  ASSERT_TRUE(StartList(d, L"files"));
  for (const wchar_t* row : {L"a.gml", L"b.gml", L"c.gml"}) EXPECT_TRUE(AddList(row));
  EXPECT_TRUE(EndList());
  ASSERT_TRUE(StartList(d, L"layers"));
  for (const wchar_t* row : {L"0", L"Roads", L"Walls"}) AddList(row);
  EndList();
  ASSERT_TRUE(StartList(d, L"layers", ListOperation::kChange, 1));
  AddList(L"Paths");
  EndList();
  EXPECT_TRUE(SetTile(d, L"layers", L"2"));
  EXPECT_EQ(DimensionsTile(d, L"swatch"), (std::pair<int, int>{60, 26}));
  ASSERT_TRUE(StartImage(d, L"swatch"));
  EXPECT_TRUE(FillImage(0, 0, 60, 26, 1));
  EXPECT_TRUE(VectorImage(0, 0, 59, 0, 8));
  EXPECT_TRUE(EndImage());

  Push("dlg_set", {L"name", L"abcdefghij"});       // cut to edit_limit, lost focus
  Push("dlg_set", {L"count", L"12", L"1"});        // Enter
  Push("dlg_select", {L"files", L"0", L"2"});
  Push("dlg_dblclick", {L"layers", L"1"});
  Push("dlg_click", {L"sort_by_date"});            // reported by its cluster
  Push("dlg_click", {L"subdirs"});
  Push("dlg_click", {L"preview"});                 // disabled: dropped
  Push("dlg_select", {L"kind", L"2"});
  Push("dlg_set", {L"level", L"75"});
  Push("dlg_click", {L"pick"});
  Push("dlg_click", {L"apply"});
  Push("dlg_click", {L"preview"});                 // enabled by apply
  Push("dlg_select", {L"layers", L"0", L"1"});     // one row only: dropped
  Push("dlg_click", {L"info"});                    // a text takes no clicks
  Push("dlg_click", {L"accept"});
  EXPECT_EQ(StartDialog(d), 5);

  const std::vector<std::wstring> expected = {
      L"name=abcdefgh/2", L"count=12/1",      L"files=0 2/1", L"layers=1/4",     L"sort_by=sort_by_date/1",
      L"subdirs=0/1",     L"kind=2/1",        L"level=75/1",  L"pick=/1",        L"apply=/1"};
  EXPECT_EQ(seen, expected);
  const DialogState& state = *InspectDialog(d);
  EXPECT_EQ(state.Find(L"layers")->list, (std::vector<std::wstring>{L"0", L"Paths", L"Walls"}));
  EXPECT_EQ(state.Find(L"error")->value, L"Requires An Integer Number");
  EXPECT_EQ(state.Find(L"preview")->value, L"1");
  EXPECT_EQ(state.Find(L"swatch")->image.size(), 2u);
  EXPECT_TRUE(state.Find(L"swatch")->image[0].fill);
  EXPECT_EQ(state.focus, L"accept");
  EXPECT_TRUE(Shown().Contains("script", L"dlg_click preview: the tile is disabled"));
  EXPECT_TRUE(Shown().Contains("script", L"dlg_select layers: not rows of the list"));
  EXPECT_TRUE(Shown().Contains("script", L"dlg_click info: the tile takes no clicks"));
  EXPECT_TRUE(Shown().Contains("dcl", L"image swatch: 1 vectors, 1 fills"));
  EXPECT_TRUE(Shown().Contains("dcl", L"done_dialog 5"));
}

TEST_F(DclRuntimeTest, NestedDialogFromAnActionAndDoneFromCallback) {
  const DialogHandle d = Open(L"everything");
  std::optional<int> inner_status;
  ActionTile(d, L"nested", [&](const CallbackPacket&) {
    const std::optional<DialogHandle> inner = NewDialog(L"nested", file_);
    ASSERT_TRUE(inner);
    SetTile(*inner, L"msg", L"Layer exists, OK to use it?");
    inner_status = StartDialog(*inner);
  });
  Push("dlg_click", {L"nested"});
  Push("esc");                                   // the inner "no" (is_cancel): 0
  Push("dlg_click", {L"nested"});
  Push("dlg_click", {L"yes"});                   // is_default without action: 1
  Push("dlg_click", {L"cancel"});
  EXPECT_EQ(StartDialog(d), 0);
  EXPECT_EQ(inner_status, 1);
  EXPECT_EQ(Shown().TextsOf("dialog").size(), 6u);
}

TEST_F(DclRuntimeTest, ScriptRunningOutCancelsWithStatusZero) {
  const DialogHandle d = Open(L"everything");
  int cancels = 0;
  // A cancel action that does not end the dialog still cannot hang it.
  ActionTile(d, L"cancel", [&](const CallbackPacket&) { ++cancels; });
  Push("dlg_set", {L"count", L"3"});
  EXPECT_EQ(StartDialog(d), 0);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(InspectDialog(d)->Find(L"count")->value, L"3");
  EXPECT_TRUE(Shown().Contains("print", L"*Cancel* (no more input for the dialog \"Every tile\")"));
}

TEST_F(DclRuntimeTest, RenderShowsTilesValuesStatesAndRows) {
  const DialogHandle d = Open(L"everything");
  StartList(d, L"files");
  AddList(L"a.gml");
  AddList(L"b.gml");
  EndList();
  SetTile(d, L"files", L"1");
  std::wstring seen;
  ActionTile(d, L"apply", [&](const CallbackPacket&) { seen = host::ui::RenderActiveDialog(); });
  Push("dlg_click", {L"apply"});
  Push("esc");
  EXPECT_EQ(StartDialog(d), 0);
  for (const wchar_t* part : {L"Dialog \"Every tile\" (DCL everything)", L"name edit_box \"Name:\" value \"first\"",
                              L"sort_by boxed_radio_column \"Sort by\" value \"sort_by_name\"",
                              L"files list_box \"Files\" value \"1\"", L"  * 1 \"b.gml\"", L"    0 \"a.gml\"",
                              L"preview toggle \"Preview\" value \"0\" (disabled)", L"apply button \"Apply\" (focus)",

                              L"accept button \"OK\"", L"error text value \"\""})
    EXPECT_NE(seen.find(part), std::wstring::npos) << part << "\n" << std::string(seen.begin(), seen.end());

  // The focus at the start comes from the dialog's initial_focus.
  const std::optional<DialogHandle> again = NewDialog(L"everything", file_);
  ASSERT_TRUE(again);
  Push("esc");
  EXPECT_EQ(StartDialog(*again), 0);
  EXPECT_EQ(InspectDialog(*again)->focus, L"name");
}

}  // namespace
}  // namespace host::dcl
