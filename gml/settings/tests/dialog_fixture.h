// A scratch folder per test and a clean host state (queue, transcript,
// message boxes, pickers) before and after, for the dialog tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gml/settings/tests/temp_folder.h"
#include "host/testing/test_reset.h"
#include "host/system/user_actions.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetHost(); }
  void TearDown() override { ResetHost(); }
  static void ResetHost() { host::ResetForTest(); }

  std::string Path(const std::string& file) const { return folder_.Path(file); }
  std::wstring WidePath(const std::string& file) const { return folder_.WidePath(file); }
  // The folder without a final separator.
  std::wstring Folder() const {
    std::wstring folder = folder_.WideFolder();
    folder.pop_back();
    return folder;
  }
  void Write(const std::string& file, const std::string& text) const { folder_.Write(file, text); }
  std::string Read(const std::string& file) const { return folder_.Read(file); }
  static void Push(const std::string& verb, std::vector<std::wstring> args = {}) {
    host::Actions().Push(verb, std::move(args));
  }

  TempFolder folder_;
};
