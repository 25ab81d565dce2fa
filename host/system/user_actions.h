// The queue of user actions and the record of what the user was shown.
//
// Every interaction with the user (typed input, picks, selections, dialog
// actions, answers to message boxes and pickers, the LISP dialogs, Esc) is
// taken from one queue. Tests push actions in-process; the cadhost program
// fills the queue from a script, or from the terminal through the supplier.
//
// Every consumer takes its next action through TakeNextAction, which adds
// two things to the queue:
//  - the supplier: when the queue is empty, the supplier (the cadhost
//    terminal reader) is asked for more before the queue counts as run out;
//  - timed actions: an action of verb "at" at the head of the queue is not an
//    answer to anything; it is taken off and armed (see events.h).
// A consumer takes the actions it understands. An empty queue, or an action
// it does not understand, ends what it waits for as a cancel; anything not
// taken is left for whoever understands it. Consumers say so (on the command
// line or in the transcript), so that a script never hangs without saying why.
//
// Everything the user would see is appended to the transcript, so tests can
// assert on it.
//
// Process-wide state, used from one thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
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
  // Removes and returns the next action, whatever its verb. Consumers take
  // theirs through TakeNextAction instead.
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
  // Forgets every item and gives back their memory, so that what comes next
  // runs as in a new process.
  void Clear() { std::vector<ShownItem>().swap(items_); }

 private:
  std::vector<ShownItem> items_;
};

UserActionQueue& Actions();
Transcript& Shown();

// ---- taking the next action: the one way for every consumer ---------------

// Answers true when it pushed at least one action onto Actions().
using ActionSupplier = std::function<bool()>;
// Takes an action that the consumer waiting for input does not take.
using MisplacedActionHandler = std::function<void(const UserAction&)>;
// Waits up to `ms` of real time for the supplier to have input at hand (a
// line typed at the terminal, a key such as Ctrl-C); true when it has, so
// that asking the supplier then does not wait.
using InputWaiter = std::function<bool(int ms)>;
// An empty supplier removes it. With a handler (a person at the terminal,
// who answers what is shown), an action the waiting consumer does not take is
// a slip: it is taken off the queue and handed to the handler, which says so,
// and the consumer waits for the next action instead of ending as a cancel.
// With a waiter, a consumer that has something of its own to do when nothing
// comes (a dialog's timer) looks first whether the person has answered.
void SetActionSupplier(ActionSupplier supplier, MisplacedActionHandler misplaced = {}, InputWaiter waiter = {});
// True when a waiter is set: the actions come from a person, who may answer
// at any time.
bool InputComesFromAPerson();
// The waiter's answer; false at once without a waiter.
bool InputArrivesWithin(int ms);

// What a consumer found at the head of the queue.
enum class ActionFound {
  kTaken,  // an action it takes: removed from the queue
  kOther,  // an action it does not take: left at the head of the queue
  kNone,   // no action at all (the queue and the supplier ran out)
};

struct NextAction {
  ActionFound found = ActionFound::kNone;
  UserAction action;  // kTaken: the action; kOther: a copy of the head

  bool taken() const { return found == ActionFound::kTaken; }
};

// True for the actions a consumer takes.
using ActionFilter = std::function<bool(const UserAction&)>;

// Arms the timed actions at the head of the queue, asks the supplier when
// the queue is empty, and takes the head when `takes` accepts it.
NextAction TakeNextAction(const ActionFilter& takes);
// The same for a consumer that takes the actions of these verbs.
NextAction TakeNextAction(std::initializer_list<std::string_view> verbs);

// ---- what waits: shown to a person before an answer is read ----------------
//
// A consumer about to wait for an answer says what it waits for, for as long
// as it waits: the question in full as it stands now (a message box with its
// text and buttons, a picker with its title, a dialog with its controls) and
// the answers it takes ("!answer yes | !answer no"). The terminal reader
// shows the innermost of them before it reads a line; a script needs none of
// it, and none of it goes into the transcript.
struct Waiting {
  // The question and its answers, as the terminal shows them. For a prompt
  // on the command line, whose text is on the screen already, only the
  // answers it takes.
  std::function<std::wstring()> describe;
  // A prompt on the command line (its text is the last thing shown).
  bool on_command_line = false;
  // Shown again before every line read, not only once: a dialog, which
  // changes as it waits.
  bool every_time = false;
  // What an empty line (Enter) stands for: the action it gives (a message
  // box's default button), or none (an empty verb) when Enter is typed text.
  UserAction on_enter = {};
  // For a prompt on the command line whose own text is blank (the second
  // corner of a window): what the terminal shows in its place ("Other
  // corner: "), so that the screen never waits with nothing asked.
  std::wstring blank_prompt = {};
};

// Says what waits from construction to destruction; scopes nest.
class WaitingScope {
 public:
  explicit WaitingScope(Waiting waiting);
  WaitingScope(const WaitingScope&) = delete;
  WaitingScope& operator=(const WaitingScope&) = delete;
  ~WaitingScope();
};

// The innermost wait, or null (at the command prompt, or in a test).
const Waiting* CurrentWaiting();
// The number of the innermost wait (0 when none): each scope opened gets a
// new one, so a new number is a new question.
std::uint64_t WaitingSerial();

}  // namespace host
