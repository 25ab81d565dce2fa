// The host as the import's dialogs meet it in a test: a scratch support
// folder, first on the support path, holding a copy of the project's default
// support files, as the current folder; the host as the program starts
// (host::ResetForTest) before and after each test.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gml/settings/settings_record.h"
#include "host/editor/command_line.h"
#include "host/editor/support_path.h"
#include "host/system/fault.h"
#include "host/system/user_actions.h"
#include "host/testing/test_reset.h"
#include "host/ui/dialog.h"
#include "host/ui/message_box.h"
#include "host/ui/modal.h"
#include "host/ui/pickers.h"

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("gml_ui_") + std::to_string(getpid()) + "_" + info->test_suite_name() +
                       "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    root_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "support");
    std::filesystem::create_directories(root_ / "elsewhere");
    host::ResetForTest();
    host::SetSupportPath({(root_ / "support").wstring()});
  }
  void TearDown() override {
    host::ResetForTest();  // back to the folder the tests started in, too
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // Copies the project's default support files into the scratch support
  // folder.
  void CopyDefaultSupport() const {
    const std::filesystem::path from = std::filesystem::path(VARNEL_SOURCE_DIR) / "support";
    for (const auto& entry : std::filesystem::directory_iterator(from))
      std::filesystem::copy_file(entry.path(), root_ / "support" / entry.path().filename(),
                                 std::filesystem::copy_options::overwrite_existing);
  }

  // The settings record as the scratch support folder gives it: the
  // settings file and its three tables.
  void LoadSupportRecord(OS_GML_ACAD_Definitions& record) const {
    ASSERT_TRUE(record.LoadSettings(Support() + L"lwh_gml.ini", true));
    ASSERT_TRUE(record.LoadCodeLookupTable());
    ASSERT_TRUE(record.LoadSymbolLookupTable());
    ASSERT_TRUE(record.LoadSymbologyTable());
  }

  // The support folder, with a final separator.
  std::wstring Support() const { return (root_ / "support").wstring() + L"/"; }
  std::wstring At(const std::string& relative) const { return (root_ / relative).wstring(); }
  void Write(const std::string& relative, const std::string& text) const {
    const std::filesystem::path p = root_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << text;
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(root_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(const std::string& relative) const { return std::filesystem::exists(root_ / relative); }
  int FileCount(const std::string& folder) const {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root_ / folder)) {
      (void)entry;
      ++n;
    }
    return n;
  }

  static void Push(const std::string& verb, std::vector<std::wstring> args = {}) {
    host::Actions().Push(verb, std::move(args));
  }
  static void Click(int id) { Push("dlg_click", {std::to_wstring(id)}); }
  static void Set(int id, const std::wstring& text) { Push("dlg_set", {std::to_wstring(id), text}); }
  static void Select(int id, std::vector<int> rows) {
    std::vector<std::wstring> args{std::to_wstring(id)};
    for (int row : rows) args.push_back(std::to_wstring(row));
    Push("dlg_select", std::move(args));
  }
  // Runs `dialog` with every save after the first `succeed` failing.
  static int DoModalWhileSavesFail(host::ui::Dialog& dialog, int succeed) {
    host::ScopedFault fault(host::FaultPoint::SaveFile, succeed, 1000);
    return dialog.DoModal();
  }
  static std::vector<std::wstring> BoxTexts() {
    std::vector<std::wstring> texts;
    for (const auto& box : host::ui::MessageBoxes()) texts.push_back(box.request.text);
    return texts;
  }
  std::filesystem::path root_;
};
