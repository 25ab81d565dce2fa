// The user break, the message pump and events timed to them.
//
// Long loops poll UserBreak() and pump messages with PumpMessages(). Both
// count their calls, and a script can time a user action to the n-th call
// after it was armed ("at pump 3: click the Stop button", "at poll 5: Esc"):
//  - an "esc" event makes the user-break test answer true: at a poll, that
//    very poll; at a pump, the next poll;
//  - any other event goes to the dialog-event handler that host/ui installs
//    (the action as the script gave it); without a handler, or when the
//    handler declines it, the transcript records it as "ignored_event".
//
// An "esc" waiting in the queue is not a break: it answers the next prompt or
// dialog. Breaks during a loop come from timed events (or PressEsc in tests).
//
// An action of verb "at" carries the timing: args[0] "pump" or "poll",
// args[1] the count n (1 is the next call), args[2] the verb of the timed
// action and args[3...] its arguments. TakeNextAction (user_actions.h) arms
// each one it finds at the head of the queue.
#pragma once

#include <functional>

#include "host/system/user_actions.h"

namespace host {

// The user-break test: true once for each Esc since the last poll.
[[nodiscard]] bool UserBreak();

// Handles the messages waiting for the main window; delivers due events.
void PumpMessages();

// Queues an Esc for the next poll (as a key press between two polls).
void PressEsc();

// The break key of a person at the terminal (Ctrl-C), noted from a signal
// handler: safe to call there. The next poll takes it as an Esc; a reader
// of the terminal takes it instead (TakeBreakKey) when it comes while the
// host waits for input, so that it cancels what waits.
void NoteBreakKey();
// True, once, when the break key was pressed since it was last taken.
bool TakeBreakKey();

// Arms a timed event from an action of verb "at"; false (nothing armed) when
// the action is malformed.
bool ArmTimedEvent(const UserAction& at);

// Delivers a dialog event; answers whether it was taken.
using DialogEventHandler = std::function<bool(const UserAction&)>;
void SetDialogEventHandler(DialogEventHandler handler);  // empty removes it

// Counts since the host started (or since ResetEvents), and events armed
// but not yet delivered.
int PumpCount();
int PollCount();
int PendingTimedEvents();
// Drops armed events and pending Esc presses, and resets both counts.
void ResetEvents();

}  // namespace host
