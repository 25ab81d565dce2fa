// Prompts for text and numbers on the command line.
//
// Each prompt shows its text, then takes the next user action:
//  - "type" with the answer as typed (args[0]);
//  - "esc": kCancel;
//  - "error" (args[0] an optional ERRNO value): kError, as when the host
//    fails; ERRNO is set to the value given (0 when none);
//  - an empty queue: kCancel, and the command line says that no input was
//    left; any other action: kCancel, and the action stays queued.
// An answer that does not fit the prompt (letters for an integer) gets the
// host's message and the prompt is asked again with the next action.
//
// Empty answers: integer and real prompts answer kNone. A string prompt
// answers kNormal with an empty text (callers take their default then).
//
// Text answers longer than kMaxInputLength are refused with kError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "host/system/status.h"
#include "host/system/user_actions.h"

namespace host {

inline constexpr std::size_t kMaxInputLength = 132;

template <typename T>
struct [[nodiscard]] Input {
  Status status = Status::kError;
  T value{};

  bool ok() const { return status == Status::kNormal; }
};

// With `allow_spaces` false a blank ends the answer, as Enter would: only the
// text before it is taken.
Input<std::wstring> GetString(bool allow_spaces, std::wstring_view prompt);
// 16-bit integers.
Input<int> GetInteger(std::wstring_view prompt);
Input<double> GetReal(std::wstring_view prompt);
// A question answered with one of `keywords` ("Move or Copy? Move / <Copy>:
// " with Move and Copy): a keyword, or the start of one, letter case
// ignored, answers kNormal with the keyword as given here; Enter answers
// kNormal with an empty text (the caller's default). Any other word is
// refused with "Invalid option keyword." and the question is asked again.
// A blank ends the answer, as at a string prompt without blanks.
Input<std::wstring> GetKeyword(std::wstring_view prompt, std::initializer_list<std::wstring_view> keywords);

namespace detail {
// The shared first step of every prompt: shows `prompt` and takes the
// answer. On kNormal `*answer` holds the typed text; other statuses are
// final (Esc, error, nothing left, or another consumer's action).
Status TakeTypedAnswer(std::wstring_view prompt, std::wstring* answer);
// The same for a prompt already shown.
Status TakeAnswer(std::wstring* answer);
// The same for an action already asked for (by a prompt that also takes
// verbs of its own, such as "pick", and asks for "type", "esc" and "error"
// with them): ends as a cancel for the run-out case and for an action left
// for someone else.
Status TakeAnswer(const NextAction& next, std::wstring* answer);
// Parses a real number the way the host reads one ("12", "-1.5", "1e3").
bool ParseReal(std::wstring_view text, double* value);
}  // namespace detail

}  // namespace host
