// The modal wait shared by template dialogs and DCL dialogs.
//
// A dialog that runs modally becomes the active surface and waits on the one
// queue of user actions. While it waits:
//   1. timers of the waiting dialog that are due on the virtual clock fire;
//   2. a dialog verb at the head of the queue is taken and applied ("wait"
//      lets virtual time pass, firing timers as they come due; a wait that
//      outlives the dialog ends with it);
//   3. with nothing for the dialog at the head and a timer armed, the virtual
//      clock moves to that timer;
//   4. with nothing at all left for it, the dialog is cancelled as by Esc,
//      and ended as cancelled if its Cancel handler keeps it open. An empty
//      queue says so on the command line ("*Cancel* (no more input for the
//      dialog ...)"); an action for something else is left in the queue and
//      noted in the transcript ("script"). A script never hangs.
// The queue is read through TakeNextAction (host/system/user_actions.h), so a terminal is asked for
// more input before the queue counts as empty, and timed events ("at") at
// its head are armed. A terminal is not asked while a timer is armed and
// the person has typed nothing: the timer fires when it comes due, after up
// to kLongestRealTimerWaitMs of real time for them to answer first.
// Timers belong to one dialog and fire only while that dialog is the one
// waiting: a dialog's timers pause while a nested dialog runs over it.
// A timer that keeps firing with nothing else happening is cut off after
// kMaxIdleTimerRuns runs, and the dialog is then cancelled as in step 4.
//
// Process-wide state, used from one thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/system/user_actions.h"

namespace host::ui {

inline constexpr int kMaxIdleTimerRuns = 10000;
// Timers shorter than this run at this interval, as window timers do.
inline constexpr std::int64_t kMinTimerIntervalMs = 10;
// The longest a person at the terminal is given to answer before a dialog's
// timer fires.
inline constexpr std::int64_t kLongestRealTimerWaitMs = 1000;

enum class TimerMode { kRepeat, kOnce };

// The armed timers of one dialog, on the virtual clock.
class TimerSet {
 public:
  // Arms (or re-arms) timer `id` to fire `interval_ms` from now.
  void Set(int id, std::int64_t interval_ms, TimerMode mode = TimerMode::kRepeat);
  // False when no timer `id` was armed.
  bool Kill(int id);
  void Clear() { timers_.clear(); }
  bool Armed() const { return !timers_.empty(); }
  bool IsArmed(int id) const;
  // When the earliest timer comes due.
  std::optional<std::int64_t> NextDue() const;
  // The earliest timer due at or before `now`; a repeating one is re-armed
  // from `now`, a one-shot one is removed.
  std::optional<int> TakeDue(std::int64_t now);

 private:
  struct Timer {
    int id;
    std::int64_t interval;
    std::int64_t due;
    TimerMode mode;
    std::uint64_t order;  // ties on `due` fire in the order they were set
  };
  std::vector<Timer> timers_;
  std::uint64_t next_order_ = 0;
};

// What RunModal needs of a dialog.
class ModalSurface {
 public:
  virtual ~ModalSurface() = default;
  virtual std::wstring Title() const = 0;
  virtual bool Ended() const = 0;
  // Applies one dialog verb other than wait and esc. A verb the dialog
  // cannot apply (unknown target, disabled control) is noted and dropped.
  virtual void ApplyAction(const UserAction& action) = 0;
  // The Esc key or the close box: the dialog's own cancel behaviour.
  virtual void Cancel() = 0;
  // Ends the dialog as cancelled without asking it.
  virtual void ForceCancel() = 0;
  virtual TimerSet* Timers() { return nullptr; }
  virtual void FireTimer(int /*id*/) {}
  // The dialog as text: caption, then each control with its state.
  virtual std::wstring Render() const = 0;
};

// Runs the wait above until `surface` has ended.
void RunModal(ModalSurface& surface);

// The innermost dialog that is running, or null.
ModalSurface* ActiveSurface();
// The innermost running dialog as text; empty when none runs.
std::wstring RenderActiveDialog();

// For a message pump inside a handler (a long run started from a button):
// fires the active dialog's timers that are due now, without moving the
// clock. Returns the number fired.
int FireDueTimersOfActiveDialog();
// Applies one dialog action to the active dialog at once (an event a script
// timed to a pump). False when no dialog runs or the verb is not a dialog
// verb (wait included). RunModal installs this as the editor's dialog-event
// handler (host/system/events.h), so "dlg_timer 1" timed to a pump is a
// timer tick arriving during a long run.
bool DeliverToActiveDialog(const UserAction& action);

// Adds a line of kind "script" to the transcript (dropped or refused
// actions, cancels for lack of script).
void NoteScript(const std::wstring& text);

}  // namespace host::ui
