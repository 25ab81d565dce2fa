#include "host/system/user_actions.h"

#include <algorithm>
#include <utility>

#include "host/system/events.h"

namespace host {

const std::wstring& UserAction::Arg(std::size_t i) const {
  static const std::wstring empty;
  return i < args.size() ? args[i] : empty;
}

void UserActionQueue::Push(UserAction action) { queue_.push_back(std::move(action)); }

void UserActionQueue::Push(std::string verb, std::vector<std::wstring> args) {
  queue_.push_back(UserAction{std::move(verb), std::move(args)});
}

const UserAction* UserActionQueue::Peek() const {
  return queue_.empty() ? nullptr : &queue_.front();
}

std::optional<UserAction> UserActionQueue::Take() {
  if (queue_.empty()) return std::nullopt;
  UserAction action = std::move(queue_.front());
  queue_.pop_front();
  return action;
}

void Transcript::Add(std::string kind, std::wstring text) {
  items_.push_back(ShownItem{std::move(kind), std::move(text)});
}

std::vector<std::wstring> Transcript::TextsOf(const std::string& kind) const {
  std::vector<std::wstring> texts;
  for (const ShownItem& item : items_)
    if (item.kind == kind) texts.push_back(item.text);
  return texts;
}

bool Transcript::Contains(const std::string& kind, const std::wstring& fragment) const {
  for (const ShownItem& item : items_)
    if (item.kind == kind && item.text.find(fragment) != std::wstring::npos) return true;
  return false;
}

UserActionQueue& Actions() {
  static UserActionQueue queue;
  return queue;
}

Transcript& Shown() {
  static Transcript transcript;
  return transcript;
}

namespace {

ActionSupplier& Supplier() {
  static ActionSupplier supplier;
  return supplier;
}

MisplacedActionHandler& Misplaced() {
  static MisplacedActionHandler misplaced;
  return misplaced;
}

InputWaiter& Waiter() {
  static InputWaiter waiter;
  return waiter;
}

}  // namespace

void SetActionSupplier(ActionSupplier supplier, MisplacedActionHandler misplaced, InputWaiter waiter) {
  Supplier() = std::move(supplier);
  Misplaced() = std::move(misplaced);
  Waiter() = std::move(waiter);
}

bool InputComesFromAPerson() { return static_cast<bool>(Waiter()); }

bool InputArrivesWithin(int ms) { return Waiter() && Waiter()(ms); }

NextAction TakeNextAction(const ActionFilter& takes) {
  UserActionQueue& queue = Actions();
  for (;;) {
    const UserAction* head = queue.Peek();
    if (head == nullptr) {
      // The supplier may itself push timed actions, so look again after it.
      if (!Supplier() || !Supplier()()) return {};
      continue;
    }
    if (head->verb == "at") {
      std::optional<UserAction> at = queue.Take();
      if (!ArmTimedEvent(*at)) Shown().Add("ignored_event", L"malformed timed event");
      continue;
    }
    if (!takes(*head)) {
      if (!Misplaced()) return {ActionFound::kOther, *head};
      const std::optional<UserAction> slip = queue.Take();
      Misplaced()(*slip);
      continue;
    }
    return {ActionFound::kTaken, *queue.Take()};
  }
}

NextAction TakeNextAction(std::initializer_list<std::string_view> verbs) {
  return TakeNextAction([verbs](const UserAction& action) {
    return std::find(verbs.begin(), verbs.end(), action.verb) != verbs.end();
  });
}

namespace {

struct WaitingStack {
  std::vector<std::pair<Waiting, std::uint64_t>> waits;  // each with its number
  std::uint64_t opened = 0;
};

WaitingStack& Waits() {
  static WaitingStack stack;
  return stack;
}

}  // namespace

WaitingScope::WaitingScope(Waiting waiting) {
  Waits().waits.emplace_back(std::move(waiting), ++Waits().opened);
}

WaitingScope::~WaitingScope() { Waits().waits.pop_back(); }

const Waiting* CurrentWaiting() { return Waits().waits.empty() ? nullptr : &Waits().waits.back().first; }

std::uint64_t WaitingSerial() { return Waits().waits.empty() ? 0 : Waits().waits.back().second; }

}  // namespace host
