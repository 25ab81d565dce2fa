// A fresh folder per test, removed with everything in it afterwards, and the
// host as the program starts (host::ResetForTest) before and after.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/system/files.h"
#include "host/testing/test_reset.h"

namespace host::testing {

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTest();
    std::string pattern = (std::filesystem::temp_directory_path() / "hostsys-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    ResetForTest();
    std::error_code ec;
    // Read-only files and folders must not stop the clean-up.
    for (auto& entry : std::filesystem::recursive_directory_iterator(root_, ec))
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(root_, ec);
  }

  // The wide path of `name` inside the folder.
  std::wstring Path(const std::string& name = "") const {
    return WidePath(name.empty() ? root_ : root_ + "/" + name);
  }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(root_ + "/" + name, std::ios::binary) << content;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(root_ + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string root_;
};

}  // namespace host::testing
