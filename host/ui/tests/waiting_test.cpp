// What a person at the terminal is shown while each kind of question waits:
// the question in full, with the answers it takes, before an answer is read.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/system/user_actions.h"
#include "host/editor/support_path.h"
#include "host/system/files.h"
#include "host/ui/dcl_runtime.h"
#include "host/ui/dialog.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"
#include "host/ui/tests/ui_test_support.h"

namespace host::ui {
namespace {

class WaitingTest : public testing::UiTest {
 protected:
  // A person answering one line at a time: each time an answer is asked
  // for, what waits is kept as they saw it, and the next answer is given.
  void Answers(std::vector<UserAction> answers) {
    answers_ = std::move(answers);
    next_ = 0;
    SetActionSupplier([this] {
      if (next_ >= answers_.size()) return false;
      const Waiting* waiting = CurrentWaiting();
      seen_.push_back(waiting && waiting->describe ? waiting->describe() : L"(nothing said)");
      Actions().Push(answers_[next_++]);
      return true;
    });
  }
  std::vector<std::wstring> seen_;

 private:
  std::vector<UserAction> answers_;
  std::size_t next_ = 0;
};

bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

TEST_F(WaitingTest, AMessageBoxShowsItsTextButtonsAndAnswers) {
  struct Case {
    MessageButtons buttons;
    int default_button;
    const wchar_t* answer;
    std::wstring shown;
  };
  const Case cases[] = {
      {MessageButtons::kYesNo, 0, L"no",
       L"Message box \"Orvane\" (question):\n  Select files individually?\n  \n  (Or \"No\" to select a folder)\n"
       L"  [Yes] [No]\nAnswer: !answer yes | !answer no; Enter presses Yes"},
      {MessageButtons::kOk, 0, L"ok",
       L"Message box \"Orvane\" (question):\n  Select files individually?\n  \n  (Or \"No\" to select a folder)\n"
       L"  [OK]\nAnswer: !answer ok | !esc; Enter presses OK"},
      {MessageButtons::kYesNoCancel, 2, L"cancel",
       L"Message box \"Orvane\" (question):\n  Select files individually?\n  \n  (Or \"No\" to select a folder)\n"
       L"  [Yes] [No] [Cancel]\nAnswer: !answer yes | !answer no | !answer cancel | !esc; "
       L"Enter presses Cancel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    seen_.clear();
    Answers({{"answer", {c.answer}}});
    (void)ShowMessageBox(L"Select files individually?\n\n(Or \"No\" to select a folder)", L"Orvane", c.buttons,
                         MessageIcon::kQuestion, c.default_button);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0], c.shown);
    EXPECT_TRUE(MessageBoxes().back().answered);
    EXPECT_EQ(CurrentWaiting(), nullptr) << "nothing waits once the box is answered";
  }
}

TEST_F(WaitingTest, PickersShowTheirTitleFolderAndAnswersAgainAfterARefusal) {
  const std::wstring folder = host::AbsolutePath(L".");
  Answers({{"answer", {L"/no/such/folder"}}, {"answer", {folder}}});
  EXPECT_EQ(BrowseForFolder(L"Select destination folder for CSV files."), folder);
  ASSERT_EQ(seen_.size(), 2u);
  for (const std::wstring& shown : seen_) {
    EXPECT_TRUE(Has(shown, L"Folder picker \"Select destination folder for CSV files.\"")) << shown;
    EXPECT_TRUE(Has(shown, L"Answer: !answer FOLDER")) << shown;
  }

  seen_.clear();
  FileDialogRequest request;
  request.title = L"Select Property Filter file";
  request.filters = ParseFilterText(L"Property Filter Definition files (*.pfd)|*.pfd||");
  request.initial_folder = folder;
  Answers({{"esc", {}}});
  EXPECT_EQ(ShowFileDialog(request).status, Status::kCancel);
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0], L"Open file dialog \"Select Property Filter file\"\n"
                      L"  files of type: Property Filter Definition files (*.pfd)\n  in folder: " + folder +
                      L"\nAnswer: !answer FILE (a path, relative to that folder) | !answer cancel | !esc");
}

// The import dialog's counters have labels to their left; a label above an
// edit box goes with it.
DialogTemplate CountersTemplate() {
  DialogTemplate t;
  t.id = 950;
  t.caption = L"Counters";
  t.controls = {
      {0, ControlKind::kStatic, L"Lines", 0, {5, 70, 24, 10}},
      {233, ControlKind::kStatic, L" n/a", 0, {31, 70, 34, 10}},
      {0, ControlKind::kStatic, L"Points", 0, {70, 70, 24, 10}},
      {234, ControlKind::kStatic, L" n/a", 0, {96, 70, 34, 10}},
      {322, ControlKind::kStatic, L"Dep. features: n/a", 0, {5, 82, 150, 10}},
      {0, ControlKind::kStatic, L"Layer name", 0, {5, 100, 60, 8}},
      {300, ControlKind::kEdit, L"OS", 0, {5, 110, 60, 12}},
      {301, ControlKind::kListBox, L"", 0, {5, 130, 100, 40}},
      {239, ControlKind::kButton, L"<Stop action>", style::kDisabled, {5, 180, 60, 14}},
      {268, ControlKind::kPicture, L"", style::kNotify, {70, 180, 20, 20}},
      {kIdCancel, ControlKind::kButton, L"Cancel", 0, {100, 180, 50, 14}},
      {kIdOk, ControlKind::kButton, L"Draw", 0, {160, 180, 50, 14}},
  };
  return t;
}

TEST_F(WaitingTest, ADialogShowsLabelsBesideTheirValuesAndTheActionsThatWorkNow) {
  Dialog dialog(CountersTemplate());
  dialog.On(kIdOk, Notify::kClick, [&] {
    dialog.SetItemText(233, L"146/146");
    dialog.Item(301).AddString(L"example-topo.gml");
    // Draw asks for the CSV folder while the dialog is still up: the picker
    // is what waits then, not the dialog.
    (void)BrowseForFolder(L"Select destination folder for CSV files.");
  });
  Answers({{"dlg_click", {L"1"}}, {"answer", {L"cancel"}}, {"esc", {}}});
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  ASSERT_EQ(seen_.size(), 3u);
  EXPECT_EQ(seen_[0], L"Dialog \"Counters\" (template 950)\n"
                      L"  Lines n/a   Points n/a\n"
                      L"  Dep. features: n/a\n"
                      L"  Layer name [300] edit \"OS\" (focus)\n"
                      L"  [301] listbox 0 rows\n"
                      L"  [239] button \"<Stop action>\" (disabled)\n"
                      L"  [268] picture bitmap 0\n"
                      L"  [2] button \"Cancel\"\n"
                      L"  [1] button \"Draw\"\n"
                      L"Actions now: !dlg_click 268, 2, 1; !dlg_set 300 TEXT; !esc\n");
  EXPECT_TRUE(Has(seen_[1], L"Folder picker \"Select destination folder for CSV files.\"")) << seen_[1];
  EXPECT_TRUE(Has(seen_[2], L"  Lines 146/146   Points n/a\n")) << seen_[2];
  EXPECT_TRUE(Has(seen_[2], L"!dlg_select 301 ROW [ROW ...]")) << seen_[2];
}

TEST_F(WaitingTest, ADclDialogNamesTheActionsOfItsEnabledTiles) {
  const std::string folder = std::string(VARNEL_SOURCE_DIR) + "/host/ui/tests/data";
  SetSupportPath({std::wstring(folder.begin(), folder.end())});
  const int file = dcl::LoadDialog(L"test_dialogs");
  ASSERT_GE(file, 0);
  const std::optional<dcl::DialogHandle> d = dcl::NewDialog(L"everything", file);
  ASSERT_TRUE(d);
  dcl::ModeTile(*d, L"nested", dcl::TileMode::kDisable);
  Answers({{"esc", {}}});
  (void)dcl::StartDialog(*d);
  ASSERT_EQ(seen_.size(), 1u);
  const std::wstring& shown = seen_[0];
  EXPECT_TRUE(Has(shown, L"Dialog \"Every tile\" (DCL everything)\n")) << shown;
  EXPECT_TRUE(Has(shown, L"\nActions now: !dlg_click sort_by_name, sort_by_date, sort_by_size, subdirs, pick, apply, "))
      << shown;
  EXPECT_TRUE(Has(shown, L"; !dlg_select kind ROW [ROW ...]; !dlg_set name, count, level TEXT; !esc\n")) << shown;
  EXPECT_FALSE(Has(shown.substr(shown.find(L"Actions now:")), L"nested")) << "a disabled tile takes nothing";
  EXPECT_FALSE(Has(shown.substr(shown.find(L"Actions now:")), L"preview")) << "a disabled tile takes nothing";
}

}  // namespace
}  // namespace host::ui
