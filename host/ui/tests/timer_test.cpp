#include <gtest/gtest.h>

#include "host/system/events.h"
#include "host/system/clock.h"
#include "host/ui/dialog.h"
#include "host/ui/modal.h"
#include "host/ui/script_verbs.h"
#include "host/ui/tests/ui_test_support.h"

namespace host::ui {
namespace {

DialogTemplate SmallTemplate(int id, const wchar_t* caption) {
  DialogTemplate t;
  t.id = id;
  t.caption = caption;
  t.controls = {{kIdOk, ControlKind::kButton, L"OK", 0, {}},
                {kIdCancel, ControlKind::kButton, L"Cancel", 0, {}},
                {300, ControlKind::kButton, L"Nested", 0, {}}};
  return t;
}

// Logs each tick with the virtual time it came at.
class TickingDialog : public Dialog {
 public:
  TickingDialog() : Dialog(SmallTemplate(910, L"Ticking")) {}
  void OnTimer(int id) override {
    ticks.push_back({id, VirtualNowMs()});
    if (on_tick) on_tick(id);
  }
  std::vector<std::pair<int, std::int64_t>> ticks;
  std::function<void(int)> on_tick;
  std::function<void()> on_init;
  bool OnInitDialog() override {
    Dialog::OnInitDialog();
    if (on_init) on_init();
    return true;
  }
};

using TimerTest = testing::UiTest;

// The batch step: each showing arms a repeating 1000 ms timer whose first
// tick does one step and closes the dialog; the caller shows it again until
// the steps are done. With no script at all the clock moves to each tick.
TEST_F(TimerTest, BatchStyleRepeatingTimerClosesItsDialog) {
  TickingDialog dialog;
  int steps_left = 3;
  dialog.on_init = [&] { EXPECT_TRUE(dialog.SetTimer(1, 1000)); };
  dialog.on_tick = [&](int id) {
    EXPECT_TRUE(dialog.KillTimer(id));
    --steps_left;
    dialog.EndDialog(kIdOk);
  };
  int showings = 0;
  while (steps_left > 0) {
    ASSERT_EQ(dialog.DoModal(), kIdOk);
    ASSERT_LT(++showings, 10);
  }
  EXPECT_EQ(showings, 3);
  EXPECT_EQ(VirtualNowMs(), 3000);
  EXPECT_EQ(Shown().TextsOf("script").size(), 0u);
  EXPECT_EQ(Shown().TextsOf("print").size(), 0u);
}

// With a person at the terminal, who has typed nothing, the dialog is not
// left waiting for a line: each timer fires when it comes due, and the
// person is asked only once the steps are done (or as soon as they type).
TEST_F(TimerTest, AtTheTerminalTimersFireWhileThePersonHasTypedNothing) {
  for (const bool typed : {false, true}) {
    SCOPED_TRACE(typed ? "a line typed" : "nothing typed");
    Reset();
    int asked = 0, waited = 0;
    SetActionSupplier(
        [&] {
          ++asked;
          Actions().Push(kVerbEsc);
          return true;
        },
        {},
        [&](int ms) {
          ++waited;
          EXPECT_EQ(ms, 1000);
          return typed;
        });
    TickingDialog dialog;
    int steps_left = 2;
    dialog.on_init = [&] { EXPECT_TRUE(dialog.SetTimer(1, 1000)); };
    dialog.on_tick = [&](int) {
      if (--steps_left == 0) dialog.EndDialog(kIdOk);
    };
    EXPECT_EQ(dialog.DoModal(), typed ? kIdCancel : kIdOk);
    EXPECT_EQ(dialog.ticks.size(), typed ? 0u : 2u);
    EXPECT_EQ(asked, typed ? 1 : 0);
    EXPECT_EQ(waited, typed ? 1 : 2);
  }
}

TEST_F(TimerTest, WaitFiresTimersInTimeOrderAndOneShotsOnce) {
  TickingDialog dialog;
  dialog.on_init = [&] {
    dialog.SetTimer(1, 1000);                       // repeating
    dialog.SetTimer(2, 500, TimerMode::kOnce);      // the search start
    dialog.SetTimer(3, 2000);
    dialog.SetTimer(3, 1500);                       // re-armed: replaces
  };
  Push("wait", {L"3100"});
  Push("dlg_click", {L"2"});
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  // At 3000 both are due: 3 was re-armed (at 1500) before 1 (at 2000).
  const std::vector<std::pair<int, std::int64_t>> expected = {
      {2, 500}, {1, 1000}, {3, 1500}, {1, 2000}, {3, 3000}, {1, 3000}};
  EXPECT_EQ(dialog.ticks, expected);
  EXPECT_EQ(VirtualNowMs(), 3100);
  EXPECT_FALSE(dialog.IsTimerArmed(1));             // killed when the dialog ended
}

TEST_F(TimerTest, ScriptedTickAndKilledTimer) {
  TickingDialog dialog;
  dialog.on_init = [&] {
    dialog.SetTimer(7, 100);
    EXPECT_TRUE(dialog.KillTimer(7));
    EXPECT_FALSE(dialog.KillTimer(7));
  };
  Push("dlg_timer", {L"7"});                       // delivered even though killed
  Push("wait", {L"1000"});
  Push("esc");
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(dialog.ticks, (std::vector<std::pair<int, std::int64_t>>{{7, 0}}));
}

// A nested dialog does not let the outer dialog's timers run; they fire when
// the outer one waits again.
TEST_F(TimerTest, OuterTimersPauseWhileNestedDialogRuns) {
  RegisterDialogTemplate(SmallTemplate(911, L"Inner"));
  TickingDialog dialog;
  dialog.on_init = [&] { dialog.SetTimer(1, 1000, TimerMode::kOnce); };
  dialog.On(300, Notify::kClick, [&] {
    Dialog inner(911, &dialog);
    EXPECT_EQ(inner.DoModal(), kIdOk);
  });
  Push("dlg_click", {L"300"});
  Push("wait", {L"5000"});             // taken by the inner dialog
  Push("dlg_click", {L"1"});           // ends the inner dialog
  Push("dlg_click", {L"2"});           // the outer tick comes first: already due
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(dialog.ticks, (std::vector<std::pair<int, std::int64_t>>{{1, 5000}}));
  ClearDialogTemplates();
}

TEST_F(TimerTest, TimerThatNeverEndsItsDialogIsCutOff) {
  TickingDialog dialog;
  dialog.on_init = [&] { dialog.SetTimer(1, 1000); };
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(dialog.ticks.size(), static_cast<std::size_t>(kMaxIdleTimerRuns));
  EXPECT_TRUE(Shown().Contains("print", L"no more input for the dialog \"Ticking\", whose timers kept firing"));
}

TEST_F(TimerTest, PumpFiresDueTimersOfTheActiveDialogOnly) {
  TickingDialog dialog;
  int fired_in_handler = -1;
  dialog.on_init = [&] { dialog.SetTimer(1, 100); };
  dialog.On(300, Notify::kClick, [&] {
    // A long run inside a handler pumps messages: nothing is due yet, then
    // a scripted wait elsewhere moved the clock.
    EXPECT_EQ(FireDueTimersOfActiveDialog(), 0);
    AdvanceVirtualClock(150);
    fired_in_handler = FireDueTimersOfActiveDialog();
    EXPECT_TRUE(DeliverToActiveDialog(UserAction{"dlg_click", {L"2"}}));
  });
  Push("dlg_click", {L"300"});
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(fired_in_handler, 1);
  EXPECT_EQ(FireDueTimersOfActiveDialog(), 0);
  EXPECT_FALSE(DeliverToActiveDialog(UserAction{"dlg_click", {L"2"}}));
}

// A script times a tick and a click to the message pumps of a long run
// started from a button: the tick arrives during the run (the re-entry the
// batch step guards against) and the click ends the dialog afterwards.
TEST_F(TimerTest, EventsTimedToThePumpReachTheRunningDialog) {
  TickingDialog dialog;
  int pumps_done = 0;
  dialog.On(300, Notify::kClick, [&] {
    for (; pumps_done < 5; ++pumps_done) PumpMessages();
  });
  // Timed events sit in the queue like other actions; the dialog arms them.
  Push("at", {L"pump", L"2", L"dlg_timer", L"1"});
  Push("at", {L"pump", L"4", L"dlg_click", L"2"});
  Push("dlg_click", {L"300"});
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(pumps_done, 5);
  EXPECT_EQ(dialog.ticks, (std::vector<std::pair<int, std::int64_t>>{{1, 0}}));
  EXPECT_EQ(PendingTimedEvents(), 0);
}

}  // namespace
}  // namespace host::ui
