#include "host/ui/dialog.h"

#include <gtest/gtest.h>

#include "host/editor/command_line.h"
#include "host/system/user_actions.h"
#include "host/ui/data_exchange.h"
#include "host/ui/message_box.h"
#include "host/ui/tests/ui_test_support.h"

namespace host::ui {
namespace {

// Control ids of the test dialog.
enum : int {
  kName = 100,      // edit, limit 8 through validation, upper case
  kCount = 101,     // edit, digits only, 1..254
  kScale = 102,     // edit, real 0.01..1000000
  kLabel = 110,     // static that notifies
  kTrim = 120,      // auto check box
  kModeA = 130,     // auto radio group A/B/C
  kModeB = 131,
  kModeC = 132,
  kFiles = 140,     // list box, single
  kAreas = 141,     // list box, multiple, tab stops
  kKind = 150,      // combo box
  kTable = 160,     // report list view
  kBar = 170,       // progress bar
  kLogo = 180,      // picture
  kStop = 190,      // push button
  kMore = 191,      // opens the nested dialog
};

DialogTemplate TestTemplate() {
  DialogTemplate t;
  t.id = 900;
  t.caption = L"Test dialog";
  t.rect = {0, 0, 300, 200};
  t.controls = {
      {kName, ControlKind::kEdit, L"", style::kUpperCase, {10, 10, 80, 12}},
      {kCount, ControlKind::kEdit, L"", style::kNumber, {10, 30, 80, 12}},
      {kScale, ControlKind::kEdit, L"", 0, {10, 50, 80, 12}},
      {kLabel, ControlKind::kStatic, L"Files:", style::kNotify, {100, 10, 80, 8}},
      {kTrim, ControlKind::kCheckBox, L"Trim lines", style::kAuto, {100, 30, 80, 10}},
      {kModeA, ControlKind::kRadioButton, L"A", style::kAuto | style::kGroup, {}},
      {kModeB, ControlKind::kRadioButton, L"B", style::kAuto, {}},
      {kModeC, ControlKind::kRadioButton, L"C", style::kAuto, {}},
      {kFiles, ControlKind::kListBox, L"", style::kGroup, {10, 70, 100, 40}},
      {kAreas, ControlKind::kListBox, L"", style::kMultiSelect | style::kTabStops, {120, 70, 100, 40}},
      {kKind, ControlKind::kComboBox, L"", 0, {}},
      {kTable, ControlKind::kListView, L"", style::kShowSelAlways, {10, 120, 200, 60}},
      {kBar, ControlKind::kProgress, L"", style::kHidden, {}},
      {kLogo, ControlKind::kPicture, L"", 0, {}},
      {kStop, ControlKind::kButton, L"Stop", style::kDisabled, {}},
      {kMore, ControlKind::kButton, L"More...", 0, {}},
      {kIdOk, ControlKind::kButton, L"OK", style::kDefault, {}},
      {kIdCancel, ControlKind::kButton, L"Cancel", 0, {}},
  };
  return t;
}

// A small nested dialog: OK, Cancel, and a button ending with code 5.
DialogTemplate NestedTemplate() {
  DialogTemplate t;
  t.id = 901;
  t.caption = L"Nested";
  t.controls = {{kIdOk, ControlKind::kButton, L"OK", 0, {}},
                {kIdCancel, ControlKind::kButton, L"Cancel", 0, {}},
                {273, ControlKind::kButton, L"Select entities <", 0, {}}};
  return t;
}

class NestedDialog : public Dialog {
 public:
  NestedDialog(Dialog* parent) : Dialog(901, parent) {
    On(273, Notify::kClick, [this] { EndDialog(5); });
  }
};

// The dialog under test: members bound to controls, handlers recording what
// they saw.
class TestDialog : public Dialog {
 public:
  TestDialog() : Dialog(TestTemplate()) {
    On(kLabel, Notify::kDoubleClick, [this] { events.push_back(L"label dblclick"); });
    On(kFiles, Notify::kSelChange, [this] { events.push_back(L"files selchange " + std::to_wstring(Item(kFiles).GetCurSel())); });
    On(kFiles, Notify::kDoubleClick, [this](const Notification& n) { events.push_back(L"files dblclick " + std::to_wstring(n.row)); });
    On(kAreas, Notify::kSetFocus, [this] { events.push_back(L"areas focus"); });
    On(kKind, Notify::kSelChange, [this] { events.push_back(L"kind " + Item(kKind).Text()); });
    On(kTable, Notify::kColumnClick, [this](const Notification& n) { events.push_back(L"column " + std::to_wstring(n.column)); });
    On(kTable, Notify::kItemChanged, [this](const Notification& n) {
      events.push_back(L"item " + std::to_wstring(n.row) + L" " + std::to_wstring(n.old_state) + L"->" +
                       std::to_wstring(n.new_state));
    });
    On(kTable, Notify::kClick, [this](const Notification& n) { events.push_back(L"row click " + std::to_wstring(n.row)); });
    On(kTrim, Notify::kClick, [this] {
      events.push_back(L"trim " + std::to_wstring(IsDlgButtonChecked(kTrim)));
      EnableItem(kStop, IsDlgButtonChecked(kTrim) == kChecked);
    });
    On(kStop, Notify::kClick, [this] { events.push_back(L"stop"); });
    On(kMore, Notify::kClick, [this] {
      NestedDialog nested(this);
      nested_code = nested.DoModal();
    });
  }

  bool OnInitDialog() override {
    Dialog::OnInitDialog();
    Item(kFiles).AddString(L"a.gml");
    Item(kFiles).AddString(L"b.gml");
    Item(kAreas).SetTabStops({40});
    for (const wchar_t* row : {L"Window\tone", L"Polygon\ttwo", L"Buffer Zone\tthree"}) Item(kAreas).AddString(row);
    for (const wchar_t* row : {L"Descriptive Term", L"Nature of Road"}) Item(kKind).AddString(row);
    Item(kKind).SetCurSel(0);
    Control& table = Item(kTable);
    table.InsertColumn(0, L"Code", 60);
    table.InsertColumn(1, L"Layer", 140);
    for (int i = 0; i < 3; ++i) {
      table.InsertItem(i, L"code" + std::to_wstring(i));
      table.SetItemText(i, 1, L"layer" + std::to_wstring(i));
    }
    Item(kBar).SetRange(0, 1000);
    Item(kLogo).SetBitmap(220);
    CheckRadioButton(kModeA, kModeC, kModeA);
    return true;
  }

  void DoDataExchange(DataExchange& dx) override {
    DdxText(dx, kName, name);
    DdvMaxChars(dx, name, 8);
    DdxText(dx, kCount, count);
    DdvMinMax(dx, count, 1, 254);
    DdxText(dx, kScale, scale);
    DdvMinMax(dx, scale, 0.01, 1000000.0);
    DdxCheck(dx, kTrim, trim);
    DdxRadio(dx, kModeA, mode);
  }

  std::wstring name = L"roads";
  int count = 7;
  double scale = 1.0;
  int trim = 0;
  int mode = 0;
  int nested_code = -99;
  std::vector<std::wstring> events;
};

class DialogTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    RegisterDialogTemplate(NestedTemplate());
  }
  void TearDown() override {
    ClearDialogTemplates();
    UiTest::TearDown();
  }
};

TEST_F(DialogTest, UnshownDialogKeepsMembersAndHarmlessControls) {
  TestDialog dialog;
  EXPECT_FALSE(dialog.IsShown());
  dialog.Item(kName).SetText(L"x");
  dialog.Item(9999).SetText(L"nothing");       // no such control: no harm
  EXPECT_FALSE(dialog.SetTimer(1, 1000));       // no window, no timer
  dialog.EndDialog(1);                          // ignored
  EXPECT_EQ(dialog.name, L"roads");
  EXPECT_TRUE(Shown().Items().empty());
}

TEST_F(DialogTest, MissingTemplateOrSecondShowingFailsDoModal) {
  Dialog missing(4242);
  EXPECT_EQ(missing.DoModal(), -1);
  // A template registered after construction is found when shown.
  DialogTemplate late = NestedTemplate();
  late.id = 4243;
  Dialog dialog(4243);
  RegisterDialogTemplate(late);
  int again = 0;
  dialog.On(273, Notify::kClick, [&] { again = dialog.DoModal(); });
  Push("dlg_click", {L"273"});
  Push("dlg_click", {L"1"});
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(again, -1);
}

TEST_F(DialogTest, EveryControlKindTakesTheUsersActions) {
  TestDialog dialog;
  Push("dlg_set", {L"100", L"lines"});
  Push("dlg_set", {L"101", L"1x2"});            // digits only: "12"
  Push("dlg_dblclick", {L"110"});
  Push("dlg_click", {L"190"});                  // disabled: dropped
  Push("dlg_click", {L"120"});                  // check: enables Stop
  Push("dlg_click", {L"190"});
  Push("dlg_click", {L"132"});                  // radio C
  Push("dlg_select", {L"140", L"1"});
  Push("dlg_dblclick", {L"140", L"0"});
  Push("dlg_select", {L"141", L"0", L"2"});
  Push("dlg_focus", {L"141"});
  Push("dlg_set", {L"150", L"nature of road"});
  Push("dlg_column", {L"160", L"1"});
  Push("dlg_click", {L"160", L"2"});
  Push("dlg_select", {L"160", L"0", L"1"});
  Push("dlg_click", {L"170"});                  // hidden: dropped
  Push("dlg_click", {L"1"});
  EXPECT_EQ(dialog.DoModal(), kIdOk);

  EXPECT_EQ(dialog.name, L"LINES");
  EXPECT_EQ(dialog.count, 12);
  EXPECT_EQ(dialog.trim, 1);
  EXPECT_EQ(dialog.mode, 2);
  EXPECT_EQ(dialog.Item(kModeA).GetCheck(), kUnchecked);
  EXPECT_EQ(dialog.Item(kAreas).GetSelItems(), (std::vector<int>{0, 2}));
  EXPECT_EQ(dialog.Item(kTable).GetSelectedCount(), 2);
  EXPECT_EQ(dialog.Item(kTable).GetNextItem(-1, kItemFocused), 1);
  const std::vector<std::wstring> expected = {
      L"label dblclick", L"trim 1", L"stop", L"files selchange 1", L"files selchange 0",
      L"files dblclick 0", L"areas focus", L"kind Nature of Road", L"column 1",
      L"item 2 0->3", L"row click 2",
      L"item 0 0->2", L"item 1 0->3", L"item 2 3->0"};
  EXPECT_EQ(dialog.events, expected);
  EXPECT_TRUE(Shown().Contains("script", L"dlg_click 190: the control is disabled"));
  EXPECT_TRUE(Shown().Contains("script", L"dlg_click 170: the control is hidden"));
  EXPECT_TRUE(Shown().Contains("script", L"some characters were refused"));
}

// Each failing field shows the framework's message, and OK stays refused
// until every field validates.
TEST_F(DialogTest, ValidationShowsStandardMessageAndRefusesOk) {
  struct Case {
    int id;
    std::wstring text;
    std::wstring message;
  };
  const Case cases[] = {
      {kCount, L"", L"Please enter an integer."},
      {kCount, L"0", L"Please enter an integer between 1 and 254."},
      {kCount, L"255", L"Please enter an integer between 1 and 254."},
      {kCount, L"99999999999", L"Please enter an integer."},
      {kScale, L"abc", L"Please enter a number."},
      {kScale, L"0.001", L"Please enter a number between 0.01 and 1000000."},
      {kScale, L"1e7", L"Please enter a number between 0.01 and 1000000."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Reset();
    TestDialog dialog;
    Push("dlg_set", {std::to_wstring(c.id), c.text});
    Push("dlg_click", {L"1"});                         // refused
    Push("dlg_set", {std::to_wstring(c.id), c.id == kName ? L"ok" : L"5"});
    Push("dlg_click", {L"1"});
    EXPECT_EQ(dialog.DoModal(), kIdOk);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0].request.text, c.message);
    EXPECT_EQ(MessageBoxes()[0].request.icon, MessageIcon::kExclamation);
    EXPECT_EQ(MessageBoxes()[0].request.caption, ApplicationTitle());
  }
}

// The length check limits typing, so only text put there by code can fail it.
TEST_F(DialogTest, MaxCharsLimitsTypingAndRefusesLongerText) {
  TestDialog dialog;
  Push("dlg_set", {L"100", L"abcdefghijk"});
  Push("dlg_click", {L"1"});
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(dialog.name, L"ABCDEFGH");
  EXPECT_TRUE(MessageBoxes().empty());

  dialog.name = L"NINECHARS";
  Push("dlg_click", {L"1"});
  Push("dlg_set", {L"100", L"short"});
  Push("dlg_click", {L"1"});
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_EQ(MessageBoxes()[0].request.text, L"Please enter no more than 8 characters.");
  EXPECT_EQ(dialog.name, L"SHORT");
}

TEST_F(DialogTest, NestedDialogRunsFromHandlerAndGivesItsCode) {
  TestDialog dialog;
  Push("dlg_click", {L"191"});
  Push("dlg_click", {L"273"});     // taken by the nested dialog: ends it with 5
  Push("dlg_click", {L"2"});       // back in the outer one
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(dialog.nested_code, 5);
  EXPECT_EQ(Shown().TextsOf("dialog"),
            (std::vector<std::wstring>{L"open \"Test dialog\" (900)", L"open \"Nested\" (901)",
                                       L"end \"Nested\" -> 5", L"end \"Test dialog\" -> 2"}));
}

TEST_F(DialogTest, ScriptRunningOutCancelsAndSaysSo) {
  TestDialog dialog;
  Push("dlg_click", {L"191"});     // the nested dialog runs out first
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(dialog.nested_code, kIdCancel);
  EXPECT_EQ(CommandLineText(), L"\n*Cancel* (no more input for the dialog \"Nested\")\n"
                               L"\n*Cancel* (no more input for the dialog \"Test dialog\")\n");
}

// On a terminal the dialog asks for more input before it counts as run out.
TEST_F(DialogTest, EmptyQueueAsksTheSupplierFirst) {
  TestDialog dialog;
  int asked = 0;
  SetActionSupplier([&] {
    if (++asked > 1) return false;
    Push("dlg_set", {L"101", L"42"});
    Push("dlg_click", {L"1"});
    return true;
  });
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  SetActionSupplier({});
  EXPECT_EQ(dialog.count, 42);
  EXPECT_EQ(asked, 1);
}

TEST_F(DialogTest, ActionForTheCommandLineEndsTheDialogAndStaysQueued) {
  TestDialog dialog;
  Push("type", {L"LINE"});
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(Actions().Size(), 1u);
  EXPECT_TRUE(Shown().Contains("script", L"The next action (type) is not for the dialog \"Test dialog\": cancelled"));
}

// A Cancel handler that keeps the dialog open still cannot hang a script.
class StubbornDialog : public Dialog {
 public:
  StubbornDialog() : Dialog(NestedTemplate()) {}
  void OnCancel() override { ++cancels; }
  int cancels = 0;
};

TEST_F(DialogTest, RunningOutEndsEvenWhenCancelIsRefused) {
  StubbornDialog dialog;
  Push("esc");
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(dialog.cancels, 2);
}

TEST_F(DialogTest, RenderShowsControlsValuesStatesAndRows) {
  TestDialog dialog;
  std::wstring seen;
  dialog.On(kMore, Notify::kClick, [&] { seen = RenderActiveDialog(); });
  Push("dlg_select", {L"141", L"1"});
  Push("dlg_click", {L"191"});
  Push("esc");
  (void)dialog.DoModal();
  for (const wchar_t* part : {L"Dialog \"Test dialog\" (template 900)", L"[100] edit \"ROADS\"",
                              L"[101] edit \"7\"", L"[120] check \"Trim lines\" [ ]",
                              L"[130] radio \"A\" [x]", L"[190] button \"Stop\" (disabled)",
                              L"[170] progress 0..1000 at 0 (hidden)", L"[180] picture bitmap 220",
                              L"      * 1 \"Polygon\\ttwo\"", L"[160] listview columns \"Code\" \"Layer\"; 3 rows",
                              L"        2 \"code2\" | \"layer2\"", L"[150] combo 2 rows, shows \"Descriptive Term\""})
    EXPECT_NE(seen.find(part), std::wstring::npos) << part;
  EXPECT_EQ(RenderActiveDialog(), L"");
}

}  // namespace
}  // namespace host::ui
