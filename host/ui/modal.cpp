#include "host/ui/modal.h"

#include <algorithm>

#include "host/editor/command_line.h"
#include "host/system/wide_text.h"
#include "host/system/events.h"
#include "host/system/user_actions.h"
#include "host/system/clock.h"
#include "host/ui/script_verbs.h"

namespace host::ui {
namespace {

std::vector<ModalSurface*>& Stack() {
  static std::vector<ModalSurface*> stack;
  return stack;
}

class StackEntry {
 public:
  explicit StackEntry(ModalSurface* surface) { Stack().push_back(surface); }
  ~StackEntry() { Stack().pop_back(); }
  StackEntry(const StackEntry&) = delete;
  StackEntry& operator=(const StackEntry&) = delete;
};

// Fires every timer of `surface` due now; false when none was.
bool FireDue(ModalSurface& surface) {
  TimerSet* timers = surface.Timers();
  bool fired = false;
  while (timers && !surface.Ended()) {
    const std::optional<int> id = timers->TakeDue(VirtualNowMs());
    if (!id) break;
    fired = true;
    surface.FireTimer(*id);
    timers = surface.Timers();
  }
  return fired;
}

// Lets `ms` of virtual time pass, firing the surface's timers as they come
// due; stops early when the dialog ends.
void Wait(ModalSurface& surface, std::int64_t ms) {
  const std::int64_t until = VirtualNowMs() + std::max<std::int64_t>(ms, 0);
  while (!surface.Ended()) {
    TimerSet* timers = surface.Timers();
    const std::optional<std::int64_t> due = timers ? timers->NextDue() : std::nullopt;
    if (!due || *due > until) {
      AdvanceVirtualClock(until - VirtualNowMs());
      return;
    }
    AdvanceVirtualClock(*due - VirtualNowMs());
    FireDue(surface);
  }
}

// Cancels the dialog as Esc would, and ends it as cancelled if its Cancel
// keeps it open.
void CancelForLackOfInput(ModalSurface& surface) {
  surface.Cancel();
  if (!surface.Ended()) surface.ForceCancel();
}

}  // namespace

void TimerSet::Set(int id, std::int64_t interval_ms, TimerMode mode) {
  Kill(id);
  const std::int64_t interval = std::max(interval_ms, kMinTimerIntervalMs);
  timers_.push_back(Timer{id, interval, VirtualNowMs() + interval, mode, next_order_++});
}

bool TimerSet::Kill(int id) {
  const auto it = std::find_if(timers_.begin(), timers_.end(),
                               [id](const Timer& t) { return t.id == id; });
  if (it == timers_.end()) return false;
  timers_.erase(it);
  return true;
}

bool TimerSet::IsArmed(int id) const {
  return std::any_of(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
}

std::optional<std::int64_t> TimerSet::NextDue() const {
  std::optional<std::int64_t> due;
  for (const Timer& t : timers_)
    if (!due || t.due < *due) due = t.due;
  return due;
}

std::optional<int> TimerSet::TakeDue(std::int64_t now) {
  auto best = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->due > now) continue;
    if (best == timers_.end() || it->due < best->due ||
        (it->due == best->due && it->order < best->order))
      best = it;
  }
  if (best == timers_.end()) return std::nullopt;
  const int id = best->id;
  if (best->mode == TimerMode::kOnce) {
    timers_.erase(best);
  } else {
    best->due = now + best->interval;
    best->order = next_order_++;
  }
  return id;
}

void RunModal(ModalSurface& surface) {
  // Events a script timed to a message pump ("at pump 3: click Stop") reach
  // the dialog that runs then.
  SetDialogEventHandler([](const UserAction& action) { return DeliverToActiveDialog(action); });
  StackEntry entry(&surface);
  // A person sees the dialog as it stands each time they are asked.
  const WaitingScope waiting({[&surface] { return surface.Render(); }, false, true});
  int idle_timer_runs = 0;
  while (!surface.Ended()) {
    if (FireDue(surface)) continue;
    // A person at the terminal has the dialog before them while its timers
    // run: a timer fires when it comes due unless they answer first (a
    // second at most of real time for each), as in a script, where the
    // timer fires when the next action is not for the dialog.
    if (TimerSet* timers = surface.Timers(); timers && Actions().Empty() && InputComesFromAPerson()) {
      if (const std::optional<std::int64_t> due = timers->NextDue()) {
        const std::int64_t ms = std::clamp<std::int64_t>(*due - VirtualNowMs(), 0, kLongestRealTimerWaitMs);
        if (!InputArrivesWithin(static_cast<int>(ms))) {
          AdvanceVirtualClock(*due - VirtualNowMs());
          continue;
        }
      }
    }
    const NextAction next =
        TakeNextAction([](const UserAction& action) { return IsDialogVerb(action.verb); });
    if (next.taken()) {
      const UserAction& action = next.action;
      idle_timer_runs = 0;
      if (action.verb == kVerbWait) {
        const std::optional<long long> ms = ParseWholeNumber(action.Arg(0));
        if (!ms || *ms < 0)
          NoteScript(L"wait needs a number of milliseconds, not \"" + action.Arg(0) + L"\"");
        else
          Wait(surface, *ms);
      } else if (action.verb == kVerbEsc) {
        surface.Cancel();
      } else {
        surface.ApplyAction(action);
      }
      continue;
    }
    TimerSet* timers = surface.Timers();
    const std::optional<std::int64_t> due = timers ? timers->NextDue() : std::nullopt;
    if (due && idle_timer_runs < kMaxIdleTimerRuns) {
      ++idle_timer_runs;
      AdvanceVirtualClock(*due - VirtualNowMs());
      continue;
    }
    const std::wstring title = L"dialog \"" + surface.Title() + L"\"";
    if (due)
      NoteInputRanOut(title + L", whose timers kept firing");
    else if (next.found == ActionFound::kOther)
      NoteScript(L"The next action (" + host::WidenText(next.action.verb) + L") is not for the " + title +
                 L": cancelled");
    else
      NoteInputRanOut(title);
    CancelForLackOfInput(surface);
  }
}

ModalSurface* ActiveSurface() { return Stack().empty() ? nullptr : Stack().back(); }

std::wstring RenderActiveDialog() {
  const ModalSurface* surface = ActiveSurface();
  return surface ? surface->Render() : std::wstring();
}

int FireDueTimersOfActiveDialog() {
  ModalSurface* surface = ActiveSurface();
  if (!surface) return 0;
  int fired = 0;
  while (TimerSet* timers = surface->Timers()) {
    if (surface->Ended()) break;
    const std::optional<int> id = timers->TakeDue(VirtualNowMs());
    if (!id) break;
    surface->FireTimer(*id);
    ++fired;
  }
  return fired;
}

bool DeliverToActiveDialog(const UserAction& action) {
  ModalSurface* surface = ActiveSurface();
  if (!surface || !IsDialogVerb(action.verb) || action.verb == kVerbWait) return false;
  if (action.verb == kVerbEsc)
    surface->Cancel();
  else
    surface->ApplyAction(action);
  return true;
}

void NoteScript(const std::wstring& text) { Shown().Add("script", text); }

}  // namespace host::ui
