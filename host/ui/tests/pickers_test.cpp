#include "host/ui/pickers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "host/ui/message_box.h"
#include "host/ui/tests/ui_test_support.h"

namespace host::ui {
namespace {

namespace fs = std::filesystem;

class PickersTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    root_ = fs::temp_directory_path() /
            ("host_ui_pickers_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "sub");
    std::ofstream(root_ / "a.pfd") << "x";
    std::ofstream(root_ / "b.pfd") << "x";
  }
  void TearDown() override {
    fs::remove_all(root_);
    UiTest::TearDown();
  }
  std::wstring Root() const { return root_.wstring(); }
  std::wstring At(const char* name) const { return (root_ / name).wstring(); }

  fs::path root_;
};

TEST_F(PickersTest, FilterTextSplitsIntoPairs) {
  const std::vector<FileFilter> filters =
      ParseFilterText(L"Feature Lookup Table files (*.ovc)|*.ovc|All files|*.*||");
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].description, L"Feature Lookup Table files (*.ovc)");
  EXPECT_EQ(filters[0].patterns, L"*.ovc");
  EXPECT_EQ(filters[1].patterns, L"*.*");
}

TEST_F(PickersTest, OpenDialogTakesRelativeAnswerFromInitialFolderAndRecordsRequest) {
  FileDialogRequest r;
  r.title = L"Please select a new Property Filter Definition file";
  r.filters = ParseFilterText(L"Property Filter Definition files (*.pfd)|*.pfd||");
  r.initial_folder = Root();
  r.must_exist = true;
  r.hide_read_only = true;
  r.no_change_dir = true;
  r.buffer_chars = 10239;
  Push("answer", {L"a.pfd"});
  const Result<FileDialogPaths> result = ShowFileDialog(r);
  ASSERT_TRUE(result.ok());
  ASSERT_EQ(result.value.size(), 1u);
  EXPECT_EQ(result.value[0], At("a.pfd"));
  ASSERT_EQ(FileDialogs().size(), 1u);
  EXPECT_EQ(FileDialogs()[0].request.title, r.title);
  EXPECT_TRUE(FileDialogs()[0].request.must_exist);
  EXPECT_TRUE(Shown().Contains("file_dialog", L"must-exist"));
}

// Answers the real dialog refuses are noted and the next answer is taken.
TEST_F(PickersTest, RefusedAnswersWaitForTheNextOne) {
  FileDialogRequest r;
  r.initial_folder = Root();
  r.must_exist = true;
  Push("answer", {L"missing.pfd"});         // does not exist: the platform's message
  Push("answer", {L"a.pfd", L"b.pfd"});     // two where one is allowed
  Push("answer", {L"b.pfd"});
  const Result<FileDialogPaths> result = ShowFileDialog(r);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value, std::vector<std::wstring>{At("b.pfd")});
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_NE(MessageBoxes()[0].request.text.find(L"File not found."), std::wstring::npos);
  EXPECT_TRUE(Shown().Contains("script", L"takes one file"));
}

TEST_F(PickersTest, SaveAddsDefaultExtensionAndAsksBeforeReplacing) {
  FileDialogRequest r;
  r.save = true;
  r.initial_folder = Root();
  r.default_extension = L"pfd";
  r.overwrite_prompt = true;
  Push("answer", {L"a"});        // a.pfd exists: the prompt comes
  Push("answer", {L"no"});       // ... and No goes back to the dialog
  Push("answer", {L"new"});
  const Result<FileDialogPaths> result = ShowFileDialog(r);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value, std::vector<std::wstring>{At("new.pfd")});
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_NE(MessageBoxes()[0].request.text.find(L"already exists"), std::wstring::npos);
}

TEST_F(PickersTest, SeveralFilesAndTheBufferLimit) {
  FileDialogRequest r;
  r.initial_folder = Root();
  r.multiple = true;
  Push("answer", {L"a.pfd", L"b.pfd"});
  Result<FileDialogPaths> result = ShowFileDialog(r);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value.size(), 2u);

  r.buffer_chars = At("a.pfd").size() + At("b.pfd").size() + 2;  // one short
  Push("answer", {L"a.pfd", L"b.pfd"});
  result = ShowFileDialog(r);
  EXPECT_FALSE(result.ok());
  EXPECT_TRUE(Shown().Contains("script", L"do not fit"));
}

TEST_F(PickersTest, CancelAndNoAnswer) {
  FileDialogRequest r;
  Push("answer", {L"cancel"});
  EXPECT_FALSE(ShowFileDialog(r).ok());
  EXPECT_TRUE(FileDialogs().back().answered);
  Push("esc");
  EXPECT_FALSE(ShowFileDialog(r).ok());
  EXPECT_TRUE(Actions().Empty());
  Push("dlg_click", {L"1"});
  EXPECT_FALSE(ShowFileDialog(r).ok());
  EXPECT_FALSE(FileDialogs().back().answered);
  EXPECT_EQ(Actions().Size(), 1u);
}

TEST_F(PickersTest, FolderPickersInBothForms) {
  FolderDialog picker;
  picker.SetTitle(L"Select a folder.");
  EXPECT_FALSE(picker.SetFolder(At("nowhere")));
  EXPECT_TRUE(picker.SetFolder(Root()));
  Push("answer", {L"a.pfd"});   // a file, not a folder: refused
  Push("answer", {L"sub/"});
  EXPECT_EQ(picker.Show(), At("sub"));
  EXPECT_EQ(FolderPickers().back().request.initial_folder, Root());
  EXPECT_EQ(FolderPickers().back().request.style, FolderPickerStyle::kItemDialog);

  Push("answer", {Root()});
  EXPECT_EQ(BrowseForFolder(L"Select OS drawing files folder."), Root());
  EXPECT_EQ(FolderPickers().back().request.style, FolderPickerStyle::kLegacyBrowser);
  EXPECT_TRUE(Shown().Contains("folder_picker", L"browse \"Select OS drawing files folder.\""));

  EXPECT_EQ(BrowseForFolder(L"Select MasterMap files folder."), std::nullopt);
  EXPECT_FALSE(FolderPickers().back().answered);
}

}  // namespace
}  // namespace host::ui
