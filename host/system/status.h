// The outcome of a host call that asks the user or the host for something:
// one set of values for the editor, LISP (whose calls answer kNormal or
// kError) and the rest of the host.
//
//   kNormal  the call did its job; its value is valid
//   kCancel  the user pressed Esc, or no more input was there to answer
//   kNone    the user gave an empty answer (Enter) where a value was asked
//   kError   the host could not do it (invalid request, injected failure,
//            nothing picked); the value is unset
//
// Values that come with a status are valid only with kNormal.
#pragma once

namespace host {

enum class Status { kNormal, kCancel, kNone, kError };

// "normal", "cancel", "none" or "error", for messages and test output.
const wchar_t* StatusName(Status status);

}  // namespace host
