// The host as the dialogs meet it in a test: the project's support folder
// on the support path behind a scratch support folder of the test's own, a
// scratch data folder, and the host as the program starts
// (host::ResetForTest) before and after each test.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/support_path.h"
#include "host/editor/system_variables.h"
#include "host/system/environment.h"
#include "host/system/fault.h"
#include "host/system/files.h"
#include "host/system/user_actions.h"
#include "host/testing/test_reset.h"
#include "host/ui/dcl_runtime.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("common_dialogs_") + std::to_string(getpid()) + "_" +
                       info->test_suite_name() + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    root_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "support");
    std::filesystem::create_directories(root_ / "data");
    host::ResetForTest();
    host::SetSupportPath({Wide(root_ / "support"), Wide(std::filesystem::path(VARNEL_SOURCE_DIR) / "support")});
    host::dcl::SetDclFileFinder([](const std::wstring& file) { return host::FindFile(file); });
    host::SetEnvironmentOverride(L"LARINI", Wide(root_ / "support"));
  }
  void TearDown() override {
    host::ResetForTest();  // back to the folder the tests started in, too
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  static std::wstring Wide(const std::filesystem::path& p) { return p.wstring(); }

  // Paths under the scratch folder.
  std::wstring At(const std::string& relative) const { return Wide(root_ / relative); }
  std::wstring Support() const { return At("support"); }
  std::wstring Data() const { return At("data"); }
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
  static void Push(const std::string& verb, std::vector<std::wstring> args = {}) {
    host::Actions().Push(verb, std::move(args));
  }
  static std::vector<std::wstring> Alerts() { return host::Shown().TextsOf("alert"); }
  // The last state of the dialog called `name` that ran.
  static std::wstring Printed() { return host::CommandLineText(); }

  std::filesystem::path root_;
};
