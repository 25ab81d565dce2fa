// Taking user actions for prompts, picks, selections and dialogs.
//
// Every consumer of user actions reads the one queue host::Actions() through
// these calls, which add two things to it:
//  - a supplier: when the queue is empty, the supplier (the cadhost terminal
//    reader) is asked for more before the queue counts as run out;
//  - timed events: an action of verb "at" at the head of the queue is not an
//    answer to anything; it is taken off and armed (see events.h).
//
// A consumer takes the actions of its own verbs. An empty queue, an "esc",
// or any action it does not understand ends what it waits for as a cancel;
// only "esc" and the run-out case are taken off the queue, anything else is
// left for whoever understands it. Consumers report the run-out case with
// NoteInputRanOut, so that a script never hangs without saying why.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/system/user_actions.h"

namespace host {

// Answers true when it pushed at least one action onto host::Actions().
using ActionSupplier = std::function<bool()>;
void SetActionSupplier(ActionSupplier supplier);  // an empty one removes it

// The next action, after arming timed events at the head of the queue and
// asking the supplier when the queue is empty; null when there is none.
const UserAction* PeekAction();
std::optional<UserAction> TakeAction();
// Takes the next action when its verb is `verb`.
std::optional<UserAction> TakeActionIf(const std::string& verb);

// Says on the command line that `what` ("prompt", "dialog", ...) was
// cancelled because no input was left to answer it.
void NoteInputRanOut(std::wstring_view what);

}  // namespace host
