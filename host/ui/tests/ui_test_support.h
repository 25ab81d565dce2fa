// Shared set-up for the dialog tests: a clean queue, transcript, clock and
// records for each test.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "host/testing/test_reset.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"
#include "host/system/clock.h"
#include "host/system/user_actions.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

namespace host::ui::testing {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() { ResetForTest(); }
  static void Push(const std::string& verb, std::vector<std::wstring> args = {}) {
    Actions().Push(verb, std::move(args));
  }
};

}  // namespace host::ui::testing
