// A clean host for each test: empty queue and transcript, default system
// variables, no timed events, no faults armed.
#pragma once

#include <gtest/gtest.h>

#include "host/editor/command_line.h"
#include "host/system/events.h"
#include "host/editor/system_variables.h"
#include "host/system/fault.h"
#include "host/system/user_actions.h"

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    host::Actions().Clear();
    host::Shown().Clear();
    host::ClearCommandLine();
    host::ResetEvents();
    host::ResetSystemVariables();
    host::SetActionSupplier({});
    host::SetDialogEventHandler({});
    host::DisarmAllFaults();
  }

  static void Type(const std::wstring& text) { host::Actions().Push("type", {text}); }
};
