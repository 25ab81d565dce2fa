#include "host/system/events.h"

#include <atomic>
#include <cwchar>
#include <string>
#include <vector>

namespace host {
namespace {

struct TimedEvent {
  bool at_poll = false;  // else at a pump
  int due = 0;           // the count of the call that delivers it
  UserAction action;
};

struct EventState {
  int pumps = 0;
  int polls = 0;
  int pending_esc = 0;
  std::vector<TimedEvent> events;
  DialogEventHandler handler;
};

EventState& State() {
  static EventState state;
  return state;
}

// Written by a signal handler: lock-free, and nothing else is touched there.
std::atomic<int> g_break_keys{0};
static_assert(std::atomic<int>::is_always_lock_free);

void Deliver(const UserAction& action) {
  EventState& s = State();
  if (action.verb == "esc") {
    ++s.pending_esc;
    return;
  }
  std::wstring text(action.verb.begin(), action.verb.end());
  for (const std::wstring& arg : action.args) text += L" " + arg;
  // Copy the handler: delivering may run a dialog handler that replaces it.
  DialogEventHandler handler = s.handler;
  if (handler && handler(action)) {
    Shown().Add("event", text);
    return;
  }
  Shown().Add("ignored_event", text);
}

// Delivers the due events of one kind, in the order they were armed.
void DeliverDue(bool at_poll, int count) {
  EventState& s = State();
  std::vector<UserAction> due;
  for (auto it = s.events.begin(); it != s.events.end();) {
    if (it->at_poll == at_poll && it->due <= count) {
      due.push_back(std::move(it->action));
      it = s.events.erase(it);
    } else {
      ++it;
    }
  }
  for (const UserAction& action : due) Deliver(action);
}

}  // namespace

bool UserBreak() {
  EventState& s = State();
  if (TakeBreakKey()) ++s.pending_esc;
  ++s.polls;
  DeliverDue(true, s.polls);
  if (s.pending_esc == 0) return false;
  s.pending_esc = 0;
  Shown().Add("break", L"*Cancel*");
  return true;
}

void PumpMessages() {
  EventState& s = State();
  ++s.pumps;
  DeliverDue(false, s.pumps);
}

void PressEsc() { ++State().pending_esc; }

void NoteBreakKey() { g_break_keys.fetch_add(1, std::memory_order_relaxed); }

bool TakeBreakKey() { return g_break_keys.exchange(0, std::memory_order_relaxed) > 0; }

bool ArmTimedEvent(const UserAction& at) {
  if (at.verb != "at" || at.args.size() < 3) return false;
  bool at_poll;
  if (at.Arg(0) == L"poll")
    at_poll = true;
  else if (at.Arg(0) == L"pump")
    at_poll = false;
  else
    return false;
  const std::wstring& count_text = at.Arg(1);
  wchar_t* end = nullptr;
  long n = std::wcstol(count_text.c_str(), &end, 10);
  if (count_text.empty() || *end != L'\0' || n < 1 || n > 1000000L) return false;
  const std::wstring& verb = at.Arg(2);
  if (verb.empty()) return false;
  TimedEvent event;
  event.at_poll = at_poll;
  EventState& s = State();
  event.due = static_cast<int>(n) + (at_poll ? s.polls : s.pumps);
  for (wchar_t c : verb) {
    if (c > 0x7f) return false;
    event.action.verb.push_back(static_cast<char>(c));
  }
  event.action.args.assign(at.args.begin() + 3, at.args.end());
  s.events.push_back(std::move(event));
  return true;
}

void SetDialogEventHandler(DialogEventHandler handler) { State().handler = std::move(handler); }

int PumpCount() { return State().pumps; }
int PollCount() { return State().polls; }
int PendingTimedEvents() { return static_cast<int>(State().events.size()); }

void ResetEvents() {
  EventState& s = State();
  s.pumps = 0;
  s.polls = 0;
  s.pending_esc = 0;
  s.events.clear();
  (void)TakeBreakKey();
}

}  // namespace host
