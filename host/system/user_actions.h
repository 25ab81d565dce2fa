// The queue of user actions and the record of what the user was shown.
//
// Every interaction with the user (typed input, picks, selections, dialog
// actions, answers to message boxes and pickers, Esc) is taken from one
// queue. Tests push actions in-process; the cadhost program fills the queue
// from a script or the terminal. Each consumer takes the actions of its own
// verbs and treats anything else at the head of the queue, or an empty queue,
// as the user cancelling (it says so in the transcript: a script never hangs).
//
// Everything the user would see is appended to the transcript, so tests can
// assert on it.
//
// Process-wide state, used from one thread only.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct UserAction {
  std::string verb;                // what kind of action: "type", "esc", ...
  std::vector<std::wstring> args;  // its arguments, as typed

  const std::wstring& Arg(std::size_t i) const;  // empty when missing
};

class UserActionQueue {
 public:
  void Push(UserAction action);
  void Push(std::string verb, std::vector<std::wstring> args = {});

  bool Empty() const { return queue_.empty(); }
  std::size_t Size() const { return queue_.size(); }
  // The next action, or null when the queue is empty.
  const UserAction* Peek() const;
  // Removes and returns the next action when its verb is `verb`.
  std::optional<UserAction> TakeIf(const std::string& verb);
  // Removes and returns the next action, whatever its verb.
  std::optional<UserAction> Take();
  void Clear() { queue_.clear(); }

 private:
  std::deque<UserAction> queue_;
};

struct ShownItem {
  std::string kind;   // "print", "alert", "message_box", "command", ...
  std::wstring text;  // what was shown
};

class Transcript {
 public:
  void Add(std::string kind, std::wstring text);
  const std::vector<ShownItem>& Items() const { return items_; }
  // The texts of every item of one kind, in order.
  std::vector<std::wstring> TextsOf(const std::string& kind) const;
  // True when an item of `kind` contains `fragment`.
  bool Contains(const std::string& kind, const std::wstring& fragment) const;
  void Clear() { items_.clear(); }

 private:
  std::vector<ShownItem> items_;
};

UserActionQueue& Actions();
Transcript& Shown();

}  // namespace host
