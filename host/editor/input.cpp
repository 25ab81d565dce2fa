#include "host/editor/input.h"

#include "host/editor/command_line.h"
#include "host/editor/events.h"

namespace host {
namespace {

ActionSupplier& Supplier() {
  static ActionSupplier supplier;
  return supplier;
}

}  // namespace

void SetActionSupplier(ActionSupplier supplier) { Supplier() = std::move(supplier); }

const UserAction* PeekAction() {
  UserActionQueue& queue = Actions();
  for (;;) {
    const UserAction* head = queue.Peek();
    if (head == nullptr) {
      // The supplier may itself push timed events, so look again after it.
      if (!Supplier() || !Supplier()()) return nullptr;
      continue;
    }
    if (head->verb != "at") return head;
    std::optional<UserAction> at = queue.Take();
    if (!ArmTimedEvent(*at)) Shown().Add("ignored_event", L"malformed timed event");
  }
}

std::optional<UserAction> TakeAction() {
  if (PeekAction() == nullptr) return std::nullopt;
  return Actions().Take();
}

std::optional<UserAction> TakeActionIf(const std::string& verb) {
  const UserAction* head = PeekAction();
  if (head == nullptr || head->verb != verb) return std::nullopt;
  return Actions().Take();
}

void NoteInputRanOut(std::wstring_view what) {
  Print(L"\n*Cancel* (no more input for the " + std::wstring(what) + L")\n");
}

}  // namespace host
