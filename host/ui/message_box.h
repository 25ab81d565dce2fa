// Message boxes, answered from the queue of user actions.
//
// A box takes the "answer" action at the head of the queue when it names one
// of its buttons (ok, cancel, yes, no; case ignored), and "esc" as Cancel
// (OK on a box with OK alone; a Yes/No box ignores Esc). Anything else at the
// head, or an empty queue, is no answer: the box leaves the queue as it is
// and takes Cancel when it has one, else No, else OK, and the transcript
// says so (except for a box with OK alone, which has no other outcome). No
// dialog's timers run while a box is up. Every box is recorded in full (MessageBoxes()) and shown in the
// transcript as kind "message_box".
//
// Process-wide state, used from one thread only.
#pragma once

#include <string>
#include <vector>

namespace host::ui {

enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MessageIcon { kNone, kError, kQuestion, kExclamation, kInformation };

// Which button is pressed by the answer; the values are those of the
// platform's dialog results (OK 1, Cancel 2, Yes 6, No 7).
enum class MessageResult : int { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

struct MessageBoxRequest {
  std::wstring text;
  std::wstring caption;  // empty: the application title
  MessageButtons buttons = MessageButtons::kOk;
  MessageIcon icon = MessageIcon::kNone;
  int default_button = 0;  // 0 first, 1 second, 2 third
};

struct MessageBoxRecord {
  MessageBoxRequest request;  // the caption as shown (never empty)
  MessageResult result;
  bool answered;  // false when the script gave no answer
};

[[nodiscard]] MessageResult ShowMessageBox(const MessageBoxRequest& request);
// The common forms.
[[nodiscard]] MessageResult ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                           MessageButtons buttons = MessageButtons::kOk,
                                           MessageIcon icon = MessageIcon::kNone,
                                           int default_button = 0);

// Every box shown since the last ClearMessageBoxes(), oldest first.
const std::vector<MessageBoxRecord>& MessageBoxes();
// Forgets them, their memory too, so that what comes next runs as in a new
// process.
void ClearMessageBoxes();

// The title the platform puts on its own boxes and on boxes without a
// caption ("cadhost" until set).
void SetApplicationTitle(const std::wstring& title);
const std::wstring& ApplicationTitle();

const wchar_t* ButtonsName(MessageButtons buttons);
const wchar_t* IconName(MessageIcon icon);
const wchar_t* ResultName(MessageResult result);

}  // namespace host::ui
