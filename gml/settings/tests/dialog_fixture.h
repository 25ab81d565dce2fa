// A scratch folder per test and a clean host state (queue, transcript,
// message boxes, pickers) before and after, for the dialog tests.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "host/system/user_actions.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("gml_dialogs_") + std::to_string(getpid()) + "_" +
                       info->test_suite_name() + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    root_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    ResetHost();
  }
  void TearDown() override {
    ResetHost();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  static void ResetHost() {
    host::Actions().Clear();
    host::Shown().Clear();
    host::ui::ClearMessageBoxes();
    host::ui::ClearPickerRecords();
  }

  std::string Path(const std::string& file) const { return (root_ / file).string(); }
  std::wstring WidePath(const std::string& file) const { return (root_ / file).wstring(); }
  std::wstring Folder() const { return root_.wstring(); }
  void Write(const std::string& file, const std::string& text) const {
    std::filesystem::create_directories((root_ / file).parent_path());
    std::ofstream out(Path(file), std::ios::binary);
    out << text;
  }
  std::string Read(const std::string& file) const {
    std::ifstream in(Path(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void Push(const std::string& verb, std::vector<std::wstring> args = {}) {
    host::Actions().Push(verb, std::move(args));
  }

  std::filesystem::path root_;
};
