#include "common/dialogs/file_select.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "common/dialogs/file_select_state.h"
#include "common/containers/text.h"
#include "dialog_fixture.h"
#include "host/lisp/call.h"

namespace {

const wchar_t* const kPatterns[] = {L"*.gml", L"*.gz", L"*.*"};
const wchar_t* const kDescriptions[] = {L"GML files", L"Compressed GML", L"All files"};

class FileSelectTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ResetFileSelectSwitches();
    ASSERT_TRUE(GrowArrayCreate(50, sizeof(SelectedFile), &files_));
    Write("support/setpath.ini", "");
    Write("data/a.gml", std::string(10, 'a'));
    Write("data/b.GML", std::string(30, 'b'));
    Write("data/c.gz", std::string(20, 'c'));
    Write("data/notes.txt", "n");
    Write("data/sub/d.gml", "d");
    Write("data/(old)/e.gml", "e");
  }
  void TearDown() override {
    GrowArrayFree(&files_);
    DialogTest::TearDown();
  }
  // Rows of the list in the data folder: <(old)> <..> <sub> a.gml b.GML.
  std::int16_t Run(bool multiple = true, const std::wstring& start = L"") {
    const std::wstring folder = start.empty() ? Data() : start;
    return SelectFilesDialog(folder.c_str(), kPatterns, kDescriptions, 3, multiple ? 1 : 0, L"Choose GML files",
                             &files_);
  }
  std::vector<std::wstring> Chosen() const {
    std::vector<std::wstring> paths;
    for (std::int32_t i = 0; i < files_.count; ++i) paths.push_back(static_cast<const SelectedFile*>(files_.data)[i].path);
    return paths;
  }
  std::wstring DataFile(const std::string& name) const { return At("data/" + name); }
  // The last tile operation that starts with `start`.
  static std::wstring LastOf(const std::wstring& start) {
    std::wstring last;
    for (const std::wstring& text : host::Shown().TextsOf("dcl"))
      if (text.starts_with(start)) last = text;
    return last;
  }

  GrowArray files_{};
};

TEST_F(FileSelectTest, ChoosesHighlightedFilesInSelectionOrder) {
  Push("dlg_select", {L"sekfiles", L"3", L"4"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), (std::vector<std::wstring>{DataFile("a.gml"), DataFile("b.GML")}));
  const SelectedFile& a = static_cast<const SelectedFile*>(files_.data)[0];
  EXPECT_EQ(a.size, 10u);
  EXPECT_GE(a.written.wYear, 2020);
  // Sort order and the folder are kept for the next time.
  EXPECT_EQ(Read("support/filesel.ini"), "Sort by\n0\nAcending\n1\n");
  EXPECT_EQ(Read("support/folders_lwh.ini"), WideToNarrow(Data()) + "\n");
  EXPECT_TRUE(host::Shown().Contains("dcl", L"2 files selected of 2"));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"Seleced files: 40 bytes"));
}

TEST_F(FileSelectTest, CancelDropsEarlierRecordsAndWritesNothing) {
  SelectedFile old{};
  ASSERT_TRUE(GrowArraySet(&files_, 0, &old));
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("esc");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(files_.count, 0);
  EXPECT_FALSE(Exists("support/filesel.ini"));
  EXPECT_FALSE(Exists("support/folders_lwh.ini"));
}

TEST_F(FileSelectTest, InvalidCallerArrayChoosesNothing) {
  GrowArray freed{};
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"accept"});
  EXPECT_EQ(SelectFilesDialog(Data().c_str(), kPatterns, kDescriptions, 3, 1, L"t", &freed), 0);
  EXPECT_FALSE(Exists("support/filesel.ini"));
}

TEST_F(FileSelectTest, AnotherPatternListsOtherFiles) {
  Push("dlg_set", {L"filespec_combo", L"1"});  // *.gz
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{DataFile("c.gz")});
  EXPECT_TRUE(host::Shown().Contains("dcl", L"list filespec_combo: 3 rows"));
}

TEST_F(FileSelectTest, OkOnFolderEntriesMovesAndReopens) {
  // OK on <sub> opens it; there <..> goes back up; then (old), which sorts
  // before "..", is entered rather than taken as the parent.
  Push("dlg_select", {L"sekfiles", L"2"});
  Push("dlg_click", {L"accept"});
  Push("dlg_select", {L"sekfiles", L"0"});  // <..> in sub
  Push("dlg_click", {L"accept"});
  Push("dlg_select", {L"sekfiles", L"0"});  // <(old)>
  Push("dlg_click", {L"accept"});
  Push("dlg_select", {L"sekfiles", L"1"});  // e.gml after <..>
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{At("data/(old)/e.gml")});
  EXPECT_EQ(Read("support/folders_lwh.ini"), WideToNarrow(At("data/(old)")) + "\n");
}

TEST_F(FileSelectTest, FoldersAndFilesHighlightedTogetherGiveOnlyTheFiles) {
  Push("dlg_select", {L"sekfiles", L"0", L"2", L"4"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{DataFile("b.GML")});
}

TEST_F(FileSelectTest, SortingBySizeTwiceReversesAndIsSaved) {
  Push("dlg_click", {L"sort_by_size"});  // ascending: a(10) b(30)
  Push("dlg_click", {L"sort_by_size"});  // descending: b a
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{DataFile("b.GML")});
  EXPECT_EQ(Read("support/filesel.ini"), "Sort by\n2\nAcending\n0\n");
  // The next run starts with that order; switching to date starts ascending.
  host::Shown().Clear();
  Push("dlg_click", {L"sort_by_date"});
  Push("esc");
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile sort_by \"sort_by_size\""));
  EXPECT_EQ(Read("support/filesel.ini"), "Sort by\n2\nAcending\n0\n");
}

TEST_F(FileSelectTest, SingleSelectionReturnsOneFile) {
  Push("dlg_select", {L"sekfiles", L"3", L"4"});  // refused: one row only
  Push("dlg_select", {L"sekfiles", L"4"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(false), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{DataFile("b.GML")});
}

TEST_F(FileSelectTest, UpBackAndForwardMoveThroughFolders) {
  Write("data/sub/f.gml", "f");
  std::filesystem::current_path(root_);
  Push("dlg_click", {L"up_a_folder"});       // to the scratch root
  Push("dlg_click", {L"back_a_folder"});     // data
  Push("dlg_click", {L"forward_a_folder"});  // root again
  Push("dlg_click", {L"back_a_folder"});     // data
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{DataFile("a.gml")});
  EXPECT_TRUE(host::Shown().Contains("dcl", L"list sekfiles: 1 rows"));
}

TEST_F(FileSelectTest, FolderPickerMovesAndKeepsTheOldFolderForBack) {
  Push("dlg_click", {L"browse_a_folder"});
  Push("answer", {At("data/sub")});
  Push("dlg_select", {L"sekfiles", L"1"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{At("data/sub/d.gml")});
  ASSERT_EQ(host::ui::FolderPickers().size(), 1u);
  EXPECT_EQ(host::ui::FolderPickers()[0].request.title, L"Select a folder.");
  // With setpath.ini the picker opens in its own default place.
  EXPECT_TRUE(host::ui::FolderPickers()[0].request.initial_folder.empty());
  EXPECT_EQ(LastOf(L"mode_tile back_a_folder"), L"mode_tile back_a_folder 0");
}

TEST_F(FileSelectTest, WithoutSetpathTheDrawingFolderIsUsed) {
  std::filesystem::remove(root_ / "support/setpath.ini");
  const std::wstring drawing = At("data/sub") + L"/";
  host::BindSystemVariable(L"DWGPREFIX", {[drawing] { return host::SysVarValue(drawing); }, {}});
  Push("dlg_click", {L"browse_a_folder"});
  Push("answer", {L"cancel"});
  Push("dlg_select", {L"sekfiles", L"1"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{At("data/sub/d.gml")});
  ASSERT_EQ(host::ui::FolderPickers().size(), 1u);
  EXPECT_EQ(host::ui::FolderPickers()[0].request.initial_folder, At("data/sub") + L"/");
}

TEST_F(FileSelectTest, HistoryChosenMovesWithoutBackAndIsKeptInFront) {
  Write("support/folders_lwh.ini", WideToNarrow(At("data/SUB")) + "\n\n" + WideToNarrow(At("nowhere")) + "\n");
  Push("dlg_click", {L"historical_folders"});
  Push("dlg_select", {L"folders", L"1"});
  Push("dlg_click", {L"accept"});  // dirsel: a folder that is gone
  Push("dlg_click", {L"historical_folders"});
  Push("dlg_click", {L"accept"});  // dirsel: the first entry, data/SUB
  Push("dlg_select", {L"sekfiles", L"1"});
  Push("dlg_click", {L"accept"});
  const std::filesystem::path upper = root_ / "data" / "SUB";
  std::filesystem::create_directories(upper);
  Write("data/SUB/g.gml", "g");
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{At("data/SUB/g.gml")});
  EXPECT_EQ(Alerts(), std::vector<std::wstring>{L"Sorry, can not go to \"" + At("nowhere") + L"\""});
  EXPECT_EQ(Read("support/folders_lwh.ini"),
            WideToNarrow(At("data/SUB")) + "\n" + WideToNarrow(At("nowhere")) + "\n");
  // A folder from the history is not one to go back to.
  EXPECT_EQ(LastOf(L"mode_tile back_a_folder"), L"mode_tile back_a_folder 1");
}

// A folder named beyond Latin-1 goes into the history whole, as UTF-8; a
// line an older version wrote in 8-bit text reads as its Latin-1 characters
// and stays in the history.
TEST_F(FileSelectTest, FolderNamesAreKeptWholeInTheHistory) {
  Write("data/Data \xC5\xB4/w.gml", "w");
  Write("support/folders_lwh.ini", "/old/caf\xE9\n");
  Push("dlg_select", {L"sekfiles", L"1"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(true, Data() + L"/Data \u0174"), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{Data() + L"/Data \u0174/w.gml"});
  EXPECT_EQ(Read("support/folders_lwh.ini"),
            WideToUtf8(Data()) + "/Data \xC5\xB4\n/old/caf\xC3\xA9\n");

  // The next choice reads that history and writes it back unchanged (rows:
  // <(old)> <..> <Data \u0174> <sub> a.gml b.GML).
  Push("dlg_select", {L"sekfiles", L"4"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Read("support/folders_lwh.ini"),
            WideToUtf8(Data()) + "\n" + WideToUtf8(Data()) + "/Data \xC5\xB4\n/old/caf\xC3\xA9\n");
}

TEST_F(FileSelectTest, HistoryOfTwoHundredLinesIsWrittenBackWith128) {
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "/folder/" + std::to_string(i) + "\n";
  Write("support/folders_lwh.ini", lines);
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  const std::string written = Read("support/folders_lwh.ini");
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 128);
  EXPECT_TRUE(written.starts_with(WideToNarrow(Data()) + "\n/folder/0\n"));
}

TEST_F(FileSelectTest, HistoryClearedAndEmptyHistoryDisabled) {
  Push("dlg_click", {L"historical_folders"});  // nothing recorded yet: disabled
  Push("esc");
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(host::Shown().Contains("script", L"historical_folders: the tile is disabled"));
  Write("support/folders_lwh.ini", "/x\n/y\n");
  // Clear: the next success writes only the current folder.
  Push("dlg_click", {L"historical_folders"});
  Push("dlg_click", {L"clear_history"});
  Push("dlg_click", {L"LarYes"});  // "Sure?"
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Read("support/folders_lwh.ini"), WideToNarrow(Data()) + "\n");
}

TEST_F(FileSelectTest, EditHistoryOpensTheFileAfterTwoYes) {
  Write("support/folders_lwh.ini", "/x\n");
  Push("dlg_click", {L"historical_folders"});
  Push("dlg_click", {L"edit_history"});
  Push("dlg_click", {L"LarYes"});
  Push("dlg_click", {L"LarYes"});
  Push("esc");
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(host::Shown().Contains("shell_open", L"folders_lwh.ini"));
}

TEST_F(FileSelectTest, ShowingFoldersIsRememberedAndWritten) {
  Write("support/use_subfolders.ini", "my own line\n*Subfolder for sections\nSecs\n");
  Push("dlg_click", {L"use_subdirectories_toggle"});  // off
  Push("dlg_select", {L"sekfiles", L"0"});            // a.gml now comes first
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{DataFile("a.gml")});
  EXPECT_EQ(ShowSubfoldersFlag(), 0);
  EXPECT_EQ(Read("support/use_subfolders.ini"),
            "my own line\n*Subfolder for sections\nSecs\n*Use subfolders for lwh files\n0\n"
            "*Show subdirectories in file list\n0\n");
}

TEST_F(FileSelectTest, StartFolderThatDoesNotExistKeepsTheWorkingFolder) {
  std::filesystem::current_path(root_ / "data" / "sub");
  Push("dlg_select", {L"sekfiles", L"1"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(true, At("no/such/folder")), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{At("data/sub/d.gml")});
}

TEST_F(FileSelectTest, ReadOnlyFilesAreNotListed) {
  for (const char* name : {"a.gml", "b.GML"}) std::filesystem::permissions(root_ / "data" / name, std::filesystem::perms::owner_read);
  Push("dlg_click", {L"accept"});
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(host::Shown().Contains("dcl", L"No files found in current folder"));
}

TEST_F(FileSelectTest, AFileThatVanishedBeforeOkIsLeftOut) {
  // The help button of a question box runs while the dialog is open: use it
  // to take a file away between the listing and OK.
  host::lisp::RegisterHostFunction(L"acad_helpdlg", [this](const std::vector<host::lisp::Value>&) {
    std::filesystem::remove(root_ / "data" / "a.gml");
    return host::Success(host::lisp::Value::Nil());
  });
  Write("support/folders_lwh.ini", "/x\n");
  Push("dlg_select", {L"sekfiles", L"3", L"4"});
  Push("dlg_click", {L"historical_folders"});
  Push("dlg_click", {L"edit_history"});
  Push("dlg_click", {L"LarHelp"});
  Push("dlg_click", {L"LarNo"});
  Push("esc");
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Chosen(), std::vector<std::wstring>{DataFile("b.GML")});
  ASSERT_EQ(Alerts().size(), 1u);
  EXPECT_NE(Alerts()[0].find(L"is no longer there"), std::wstring::npos);
}

TEST_F(FileSelectTest, PathsLongerThanTheFieldAreLeftOut) {
  std::string deep = "data";
  while (At(deep).size() < 225) deep += "/" + std::string(std::min<std::size_t>(40, 230 - At(deep).size()), 'f');
  Write(deep + "/short.gml", "s");
  Write(deep + "/" + std::string(80, 'n') + ".gml", "l");
  Push("dlg_select", {L"sekfiles", L"1", L"2"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(true, At(deep)), 1);
  ASSERT_EQ(files_.count, 1);
  EXPECT_EQ(Chosen()[0], At(deep + "/short.gml"));
  ASSERT_EQ(Alerts().size(), 1u);
  EXPECT_NE(Alerts()[0].find(L"longer than 260 characters"), std::wstring::npos);
}

TEST_F(FileSelectTest, ManyHighlightedFilesShowTheLimitAlertEachTime) {
  for (int i = 0; i < 300; ++i) Write("many/f" + std::to_string(1000 + i) + ".gml", "x");
  std::vector<std::wstring> rows{L"sekfiles"};
  for (int i = 1; i <= 300; ++i) rows.push_back(std::to_wstring(i));
  Push("dlg_select", rows);
  rows.pop_back();
  Push("dlg_select", rows);
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(Run(true, At("many")), 1);
  EXPECT_EQ(files_.count, 299);
  const auto alerts = Alerts();
  ASSERT_EQ(alerts.size(), 2u);
  EXPECT_TRUE(alerts[0].starts_with(L"Please note that the limit of the selected files is 256."));
}

TEST_F(FileSelectTest, MissingDclFileAndDialog) {
  host::SetSupportPath({Support()});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Printed(), L"Error loading \"duzizov.dcl\"\n");
  host::ClearCommandLine();
  Write("support/duzizov.dcl", "other : dialog { ok_only; }\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Printed(), L"New_dialog for select_general_file_[] failed\n");
}

TEST_F(FileSelectTest, FailedListCreationChoosesNothing) {
  host::ScopedFault fault(host::FaultPoint::Allocation, 2);
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(host::Shown().TextsOf("dcl").empty());
}

}  // namespace
