// A fresh folder per test and process, removed afterwards, with small file
// helpers.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Several checkouts run these tests at once: the process id keeps their
    // folders apart.
    std::string name = std::string("gml_settings_") + std::to_string(getpid()) + "_" +
                       info->test_suite_name() + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  std::string Path(const std::string& file) const { return (path_ / file).string(); }
  std::wstring WidePath(const std::string& file) const { return (path_ / file).wstring(); }
  // The folder with a final separator.
  std::wstring WideFolder() const { return path_.wstring() + L"/"; }

  // Writes `text` into `file`, making the folders on its way.
  void Write(const std::string& file, const std::string& text) const {
    std::filesystem::create_directories((path_ / file).parent_path());
    std::ofstream out(Path(file), std::ios::binary);
    out << text;
  }
  std::string Read(const std::string& file) const {
    std::ifstream in(Path(file), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool Exists(const std::string& file) const { return std::filesystem::exists(path_ / file); }
  // Number of entries in the folder.
  int Count() const {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      (void)entry;
      ++n;
    }
    return n;
  }

 private:
  std::filesystem::path path_;
};
