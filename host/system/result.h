// The result of a host call that can fail: its status, its value and, on
// failure, why.
//
//   Result<T>  status   kNormal when the call did its job (status.h)
//              value    valid with kNormal (some calls say what it holds
//                       otherwise)
//              message  on failure: what went wrong, for the user
//
// Result<> carries no value. Every result must be looked at: the template is
// [[nodiscard]], so a call whose result is dropped by mistake does not
// compile; drop one on purpose with (void).
#pragma once

#include <string>
#include <utility>

#include "host/system/status.h"

namespace host {

// The value of a Result<> (none).
struct NoValue {
  bool operator==(const NoValue&) const = default;
};

template <typename T = NoValue>
struct [[nodiscard]] Result {
  Status status = Status::kNormal;
  T value{};
  std::wstring message;

  bool ok() const { return status == Status::kNormal; }
  explicit operator bool() const { return ok(); }
};

// A result of kNormal with `value`.
template <typename T>
Result<T> Success(T value) {
  return Result<T>{Status::kNormal, std::move(value), {}};
}

// A failed result: `status` (kError unless said) and why.
template <typename T = NoValue>
Result<T> Failed(std::wstring message, Status status = Status::kError) {
  return Result<T>{status, T{}, std::move(message)};
}

}  // namespace host
