// A clean host for each test: every process-wide service back as the
// program starts (host::ResetForTest).
#pragma once

#include <gtest/gtest.h>

#include "host/testing/test_reset.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"
#include "host/editor/system_variables.h"
#include "host/system/fault.h"
#include "host/system/user_actions.h"

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() { host::ResetForTest(); }

  static void Type(const std::wstring& text) { host::Actions().Push("type", {text}); }
};
