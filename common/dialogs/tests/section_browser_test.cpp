#include "common/dialogs/section_browser.h"

#include <cstring>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "common/dialogs/file_select_state.h"
#include "common/dialogs/section_scan.h"
#include "common/dialogs/section_scan_result.h"
#include "dialog_fixture.h"
#include "section_files.h"

namespace {

class SectionBrowserTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ResetFileSelectSwitches();
    Write("support/setpath.ini", "");
    // Rows in data: <..> <deep> <LWH Sections> long other; notes.sek is no section file.
    Write("data/long.sek", LongSection("Type='3' Description='Main road'", {{0, 10}, {50, 12}, {100, 11}}));
    Write("data/other.sek", CrossSection("Type='2' Description='Design'", {{10, {{-5, 1}, {5, 2}}}}));
    Write("data/notes.sek", std::string(200, 'n'));
    Write("data/deep/inner.sek", LongSection("", {{1, 1}, {2, 2}, {3, 3}}));
    Write("data/LWH Sections/sub.sek", LongSection("", {{5, 5}, {6, 6}, {7, 7}}));
  }
  int Select(std::int32_t viewTypes = 3, bool fixed = false) {
    return SelectSectionFilesDialog(Data().c_str(), L"*.sek", L"Pick a section", viewTypes, fixed, path_, 300);
  }
  wchar_t path_[300] = L"old";
};

TEST_F(SectionBrowserTest, SelectsASectionFileAndShowsItsSummary) {
  Push("dlg_select", {L"sekfiles", L"4"});
  Push("dlg_click", {L"select_sek_file"});
  ASSERT_EQ(Select(), 1);
  EXPECT_EQ(std::wstring(path_), At("data/other.sek"));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile type \"Cross section\""));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile file_name_etc \"Ground Model\""));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile section_type_txt \"From: Design\""));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile line1 \"Number of points: 3\""));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile line2 \"Chainage range: 0.000 to 100.000\""));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile file_number \"1 of 2  long.sek\""));
  EXPECT_TRUE(host::Shown().Contains("dialog", L"(DCL seksel_view_type)"));
  EXPECT_EQ(Read("support/seksel.ini"), "Sort by\n0\nPreview what\n0\nAcending\n1\nView types\n3\n");
}

TEST_F(SectionBrowserTest, ViewTypesChooseTheDialogAndTheKinds) {
  struct Case {
    std::int32_t requested;
    bool fixed;
    const wchar_t* dialog;
  };
  for (const Case& c : {Case{0, false, L"(DCL seksel)"}, Case{4, false, L"(DCL seksel)"},
                        Case{3, true, L"(DCL seksel)"}, Case{1, false, L"(DCL seksel)"}}) {
    host::Shown().Clear();
    Push("esc");
    EXPECT_EQ(Select(c.requested, c.fixed), 0);
    EXPECT_STREQ(path_, L"");
    EXPECT_TRUE(host::Shown().Contains("dialog", c.dialog)) << c.requested;
  }
  // Long sections only: the cross section is not listed, so row 3 is the last.
  Push("dlg_select", {L"sekfiles", L"4"});  // refused: only 4 rows
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"select_sek_file"});
  ASSERT_EQ(Select(1), 1);
  EXPECT_EQ(std::wstring(path_), At("data/long.sek"));
  EXPECT_FALSE(host::Shown().Contains("dcl", L"mode_tile view_type 1"));
}

TEST_F(SectionBrowserTest, SelectWithNothingListedReturnsNothing) {
  Write("empty/readme.txt", "");
  Push("dlg_click", {L"select_sek_file"});
  EXPECT_EQ(SelectSectionFilesDialog(At("empty").c_str(), L"*.sek", L"t", 3, false, path_, 300), 0);
  EXPECT_STREQ(path_, L"");
  EXPECT_FALSE(Exists("support/seksel.ini"));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile type \"No sections found in current folder\""));
}

TEST_F(SectionBrowserTest, SubfolderSwitchListsTheSectionSubfolder) {
  Write("support/use_subfolders.ini", "*Subfolder for sections\nLWH Sections\n");
  Push("dlg_click", {L"use_subfolder_toggle"});
  Push("dlg_select", {L"sekfiles", L"0"});
  Push("dlg_click", {L"select_sek_file"});
  ASSERT_EQ(Select(), 1);
  EXPECT_EQ(std::wstring(path_), At("data/LWH Sections/sub.sek"));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"Listing files in subfolder \"LWH Sections\""));
  EXPECT_EQ(Read("support/use_subfolders.ini"),
            "*Subfolder for sections\nLWH Sections\n*Use subfolders for lwh files\n1\n*Show subdirectories in file list\n1\n");
}

TEST_F(SectionBrowserTest, SortingAndViewTypeChangesRelist) {
  Push("dlg_click", {L"sort_by_name"});  // again: descending
  Push("dlg_click", {L"view_type_cs"});  // cross sections only
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"select_sek_file"});
  ASSERT_EQ(Select(), 1);
  EXPECT_EQ(std::wstring(path_), At("data/other.sek"));
  // The view type chosen in the dialog is not saved; the direction is.
  EXPECT_EQ(Read("support/seksel.ini"), "Sort by\n0\nPreview what\n0\nAcending\n0\nView types\n3\n");
}

TEST_F(SectionBrowserTest, ScanOfTheFolderTreeHighlightsTheChosenFile) {
  Push("dlg_click", {L"find_section_files"});
  Push("answer", {Data()});
  // The result lists data/long, data/other, data/deep/inner, data/LWH Sections/sub in walk order.
  Push("dlg_select", {L"1002", L"2"});
  Push("dlg_click", {L"1"});
  Push("dlg_click", {L"select_sek_file"});
  ASSERT_EQ(Select(), 1);
  EXPECT_EQ(std::wstring(path_), At("data/deep/inner.sek"));
}

TEST_F(SectionBrowserTest, ScanOfAFolderWithoutSectionFiles) {
  Write("empty/readme.txt", "");
  Push("dlg_click", {L"view_section_files"});  // disabled: nothing listed
  Push("dlg_click", {L"find_section_files"});
  Push("answer", {At("empty")});
  Push("answer", {L"ok"});
  Push("esc");
  EXPECT_EQ(SelectSectionFilesDialog(At("empty").c_str(), L"*.sek", L"t", 3, false, path_, 300), 0);
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(host::ui::MessageBoxes()[0].request.text, L"No LWH section files found.");
}

TEST_F(SectionBrowserTest, DeleteAsksAndNoKeepsTheFile) {
  Push("dlg_select", {L"sekfiles", L"3"});  // long.sek
  Push("dlg_click", {L"delete_sek_file"});
  Push("dlg_click", {L"LarNo"});
  Push("dlg_click", {L"delete_sek_file"});
  Push("dlg_click", {L"LarYes"});
  Push("dlg_click", {L"view_type_ls"});
  Push("dlg_click", {L"cancel"});
  EXPECT_EQ(DeleteSectionFilesDialog(Data().c_str(), L"*.sek", L"Delete"), 1);
  EXPECT_FALSE(Exists("data/long.sek"));
  EXPECT_TRUE(Exists("data/other.sek"));
  EXPECT_TRUE(host::Shown().Contains("dcl", L"set_tile YesNoText \"Delete long.sek?\""));
  // The delete dialog saves its view types whatever its end.
  EXPECT_EQ(Read("support/seksel.ini"), "Sort by\n0\nPreview what\n0\nAcending\n1\nView types\n1\n");
}

TEST_F(SectionBrowserTest, MissingDialogs) {
  Write("support/duzizov.dcl", "other : dialog { ok_only; }\n");
  host::SetSupportPath({Support()});
  EXPECT_EQ(Select(), 0);
  EXPECT_EQ(DeleteSectionFilesDialog(Data().c_str(), L"*.sek", L"t"), 0);
  EXPECT_EQ(Printed(), L"New_dialog for seksel failed\nNew_dialog for sekdelw failed\n");
}

TEST_F(SectionBrowserTest, PreviewChooserHasNoSubfolderSwitch) {
  const wchar_t* patterns[] = {L"*.sek"};
  const wchar_t* descriptions[] = {L"Sections"};
  GrowArray files{};
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(SelectedFile), &files));
  Push("dlg_select", {L"sekfiles", L"3"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(SelectFilesPreviewDialog(Data().c_str(), patterns, descriptions, 1, 1, L"t", &files), 1);
  EXPECT_EQ(std::wstring(static_cast<SelectedFile*>(files.data)[0].path), At("data/long.sek"));
  GrowArrayFree(&files);
}

// ---- the scan result dialog --------------------------------------------------

class ScanResultTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(GrowArrayCreate(100, sizeof(SectionFileRecord), &records_));
    Add(L"/a/one.sek", L"2021-01-01_00:00:00", kSekLongSection, 2, L"tiny");
    Add(L"/b/two.sek", L"2019-05-01_00:00:00", kSekCrossSection, 7, L"gm1");
    Add(L"/c/one.sek", L"2020-01-01_00:00:00", kSekLongSection, 12, L"model.tin");
  }
  void TearDown() override {
    GrowArrayFree(&records_);
    DialogTest::TearDown();
  }
  void Add(const wchar_t* path, const wchar_t* dateKey, std::int32_t kind, std::int32_t type, const wchar_t* ground) {
    auto r = std::make_unique<SectionFileRecord>();
    std::memset(r.get(), 0, sizeof *r);
    std::wcscpy(r->path, path);
    std::wcscpy(r->dateKey, dateKey);
    std::wcscpy(r->groundModelName, ground);
    std::wcscpy(r->description, std::wstring(97, L'd').c_str());
    r->kind = kind;
    r->type = type;
    r->scanIndex = records_.count;
    ASSERT_TRUE(GrowArraySet(&records_, records_.count, r.get()));
  }
  std::vector<std::wstring> Rows(CSectionScanResult& dlg) {
    std::vector<std::wstring> rows;
    for (int i = 0; i < dlg.Item(kIdScanList).GetCount(); ++i) rows.push_back(dlg.Item(kIdScanList).GetRowText(i));
    return rows;
  }
  GrowArray records_{};
};

TEST_F(ScanResultTest, SortsThreeWaysAndNamesOnly) {
  CSectionScanResult dlg;
  dlg.records = &records_;
  dlg.scannedFolder = L"/base/";
  dlg.folderCount = 4;
  dlg.tree = true;
  Push("dlg_select", {L"1004", L"2"});  // file name: one(/a), one(/c), two
  Push("dlg_click", {L"1003"});         // names only
  Push("esc");
  EXPECT_EQ(dlg.DoModal(), host::ui::kIdCancel);
  EXPECT_EQ(Rows(dlg), (std::vector<std::wstring>{L"one.sek", L"one.sek", L"two.sek"}));
  EXPECT_EQ(dlg.ItemText(kIdScanFolderText), L"Scanned base folder: /base/");
  EXPECT_EQ(dlg.ItemText(kIdScanCountText), L"3 Section files found in 4 folders");
  // The file name sort put /c/one (2020) before /a/one (2021).
  EXPECT_STREQ(static_cast<SectionFileRecord*>(records_.data)[0].path, L"/c/one.sek");
  EXPECT_EQ(dlg.ItemText(kIdScanDescription).size(), 96u);
  EXPECT_EQ(dlg.ItemText(kIdScanSource), L"Source: Ground Model");
  EXPECT_EQ(dlg.ItemText(kIdScanGroundModel), L"Ground model: model.tin");
}

TEST_F(ScanResultTest, CreationDateDescendingAndOkGivesFolderAndName) {
  CSectionScanResult dlg;
  dlg.records = &records_;
  dlg.scannedFolder = L"/x";
  dlg.viewTypes = 1;
  Push("dlg_select", {L"1004", L"1"});  // creation date: two(2019) one/c(2020) one/a(2021)
  Push("dlg_click", {L"1005"});         // descending
  Push("dlg_select", {L"1002", L"2"});  // two.sek
  Push("dlg_dblclick", {L"1011"});      // ground model "gm1": shorter than 4, no box
  Push("dlg_dblclick", {L"1008"});      // the description box
  Push("answer", {L"ok"});
  Push("dlg_select", {L"1002", L"1"});
  Push("dlg_click", {L"1"});
  EXPECT_EQ(dlg.DoModal(), host::ui::kIdOk);
  EXPECT_EQ(dlg.chosenFolder, L"/c");
  EXPECT_EQ(dlg.chosenFileName, L"one.sek");
  EXPECT_EQ(dlg.ItemText(kIdScanCountText), L"3 Long section files found");
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(host::ui::MessageBoxes()[0].request.caption, L"Additional section information");
  EXPECT_EQ(host::ui::MessageBoxes()[0].request.text.size(), 97u);
}

TEST_F(ScanResultTest, FolderOrderReversesAndEmptyListShowsNothing) {
  CSectionScanResult dlg;
  dlg.records = &records_;
  dlg.ascending = 0;
  dlg.SortSectionList();
  EXPECT_EQ(static_cast<SectionFileRecord*>(records_.data)[0].scanIndex, 2);
  EXPECT_STREQ(static_cast<SectionFileRecord*>(records_.data)[0].sortKey, "00002one.sek2020-01-01_00:00:00");
  records_.count = 0;
  Push("dlg_dblclick", {L"1009"});
  Push("dlg_click", {L"1013"});
  Push("esc");
  dlg.DoModal();
  EXPECT_TRUE(host::ui::MessageBoxes().empty());
  EXPECT_FALSE(host::Shown().Contains("shell_select", L""));
}

}  // namespace

namespace {

TEST_F(SectionBrowserTest, GeneralChooserListingTheSectionSubfolderReturnsPathsThere) {
  // The section browser switches the subfolder on; the general chooser then
  // lists the subfolder, and the chosen path must name the file listed.
  Write("support/use_subfolders.ini", "*Subfolder for sections\nLWH Sections\n*Use subfolders for lwh files\n1\n");
  Push("esc");
  EXPECT_EQ(Select(), 0);
  ASSERT_EQ(SectionSubfolderFlag(), 1);
  const wchar_t* patterns[] = {L"*.sek"};
  const wchar_t* descriptions[] = {L"Sections"};
  GrowArray files{};
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(SelectedFile), &files));
  Push("dlg_select", {L"sekfiles", L"0"});
  Push("dlg_click", {L"accept"});
  ASSERT_EQ(SelectFilesDialog(Data().c_str(), patterns, descriptions, 1, 1, L"t", &files), 1);
  ASSERT_EQ(files.count, 1);
  EXPECT_EQ(std::wstring(static_cast<SelectedFile*>(files.data)[0].path), At("data/LWH Sections/sub.sek"));
  GrowArrayFree(&files);
}

}  // namespace
