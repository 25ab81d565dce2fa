#include "host/ui/message_box.h"

#include <gtest/gtest.h>

#include "host/ui/tests/ui_test_support.h"

namespace host::ui {
namespace {

using testing::UiTest;
using MessageBoxTest = UiTest;

TEST_F(MessageBoxTest, AnswersFromTheQueueAndRecordsEverything) {
  Push("answer", {L"No"});
  const MessageResult result =
      ShowMessageBox(L"OK to start the Batch Processing Mode?", L"Orvane", MessageButtons::kYesNoCancel,
                     MessageIcon::kQuestion, 1);
  EXPECT_EQ(result, MessageResult::kNo);
  EXPECT_TRUE(Actions().Empty());
  ASSERT_EQ(MessageBoxes().size(), 1u);
  const MessageBoxRecord& r = MessageBoxes()[0];
  EXPECT_EQ(r.request.text, L"OK to start the Batch Processing Mode?");
  EXPECT_EQ(r.request.caption, L"Orvane");
  EXPECT_EQ(r.request.buttons, MessageButtons::kYesNoCancel);
  EXPECT_EQ(r.request.icon, MessageIcon::kQuestion);
  EXPECT_EQ(r.request.default_button, 1);
  EXPECT_TRUE(r.answered);
  EXPECT_TRUE(Shown().Contains("message_box", L"[Orvane] OK to start the Batch Processing Mode?"));
}

// Clearing the records and the transcript gives back their memory too, so
// that what runs next (the next fuzz input) finds them as a new process does.
TEST_F(MessageBoxTest, ClearingForgetsTheRecordsAndTheirMemory) {
  for (int i = 0; i < 40; ++i) (void)ShowMessageBox(L"Note " + std::to_wstring(i), L"Orvane");
  ASSERT_EQ(MessageBoxes().size(), 40u);
  ASSERT_GE(Shown().Items().size(), 40u);
  ClearMessageBoxes();
  Shown().Clear();
  EXPECT_TRUE(MessageBoxes().empty());
  EXPECT_EQ(MessageBoxes().capacity(), 0u);
  EXPECT_TRUE(Shown().Items().empty());
  EXPECT_EQ(Shown().Items().capacity(), 0u);
}

// With no fitting answer a box takes its safest button and leaves the queue
// alone, so the action still reaches whatever it was meant for.
TEST_F(MessageBoxTest, UnansweredBoxTakesCancelThenNoThenOk) {
  struct Case {
    MessageButtons buttons;
    std::vector<std::wstring> queued;  // an "answer" action's arguments; empty: nothing queued
    MessageResult expected;
    bool left_in_queue;
  };
  const Case cases[] = {
      {MessageButtons::kOk, {}, MessageResult::kOk, false},
      {MessageButtons::kOkCancel, {}, MessageResult::kCancel, false},
      {MessageButtons::kYesNo, {}, MessageResult::kNo, false},
      {MessageButtons::kYesNoCancel, {}, MessageResult::kCancel, false},
      {MessageButtons::kYesNo, {L"ok"}, MessageResult::kNo, true},      // not a button of the box
      {MessageButtons::kOk, {L"maybe"}, MessageResult::kOk, true},      // not a button at all
      {MessageButtons::kYesNo, {L"YES"}, MessageResult::kYes, false},   // case ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.buttons));
    Reset();
    if (!c.queued.empty()) Push("answer", c.queued);
    EXPECT_EQ(ShowMessageBox(L"text", L"cap", c.buttons), c.expected);
    EXPECT_EQ(Actions().Size(), c.left_in_queue ? 1u : 0u);
    const bool answered = !c.queued.empty() && !c.left_in_queue;
    EXPECT_EQ(MessageBoxes().back().answered, answered);
    const bool noted = Shown().Contains("print", L"no more input for the message box") ||
                       Shown().Contains("script", L"does not answer the message box");
    EXPECT_EQ(noted, !answered && c.buttons != MessageButtons::kOk);
  }
}

TEST_F(MessageBoxTest, EscPressesCancelOrOkButYesNoIgnoresIt) {
  struct Case {
    MessageButtons buttons;
    MessageResult expected;
    bool taken;
  };
  const Case cases[] = {{MessageButtons::kOk, MessageResult::kOk, true},
                        {MessageButtons::kOkCancel, MessageResult::kCancel, true},
                        {MessageButtons::kYesNoCancel, MessageResult::kCancel, true},
                        {MessageButtons::kYesNo, MessageResult::kNo, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(ButtonsName(c.buttons));
    Reset();
    Push("esc");
    EXPECT_EQ(ShowMessageBox(L"Do you want to erase all areas?", L"Careful now!", c.buttons), c.expected);
    EXPECT_EQ(Actions().Empty(), c.taken);
  }
}

TEST_F(MessageBoxTest, ActionForSomethingElseIsNotAnAnswer) {
  Push("type", {L"LINE"});
  EXPECT_EQ(ShowMessageBox(L"Sure?", L"", MessageButtons::kYesNo), MessageResult::kNo);
  EXPECT_EQ(Actions().Size(), 1u);
  EXPECT_EQ(MessageBoxes().back().request.caption, ApplicationTitle());
}

}  // namespace
}  // namespace host::ui
