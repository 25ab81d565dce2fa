// System variables: a typed table with a default for every variable the
// add-ins read or set.
//
// Names are compared without regard to case. Each variable has one type:
// short (16-bit), real or text. Reading answers the value with
// kNormal, or kError for an unknown name. Setting takes a value of the
// variable's type (an integer for a short when it fits 16 bits; an integer
// for a real) and answers kNormal, or kError for an unknown name, a value of
// another type, a read-only variable or an injected failure; a failed set
// leaves the value as it was.
//
// Failures: FaultPoint::SetSystemVariable fails any set; FailSystemVariable
// fails the gets or sets of one named variable ("succeed N times, then fail R
// times", as host/system/fault.h).
//
// Some variables live elsewhere. The working drawing (host/db) keeps CLAYER
// (its current layer; only an existing layer that is not frozen can become
// current), TEXTSTYLE, CECOLOR ("BYLAYER", "BYBLOCK" or "1" to "255"),
// CELTYPE, PLINEGEN, ANGBASE, ANGDIR, AUNITS and VIEWSIZE (its view height);
// without a working drawing the table's values serve. CPROFILE is the
// current profile's name (host/system/profiles.h). Others are reached through
// a binding: BindSystemVariable gives a variable a getter, and a setter that
// answers whether it took the value (the documents bind DWGPREFIX).
//
// Process-wide state, used from one thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/system/status.h"

namespace host {

using SysVarValue = std::variant<std::int16_t, double, std::wstring>;

enum class SysVarType { kShort, kReal, kText };

struct [[nodiscard]] SysVarResult {
  Status status = Status::kError;
  SysVarValue value;

  bool ok() const { return status == Status::kNormal; }
  // The value as a number or a text; 0 / empty for another type.
  double Number() const;
  std::int16_t Short() const;
  std::wstring Text() const;
};

[[nodiscard]] SysVarResult GetSystemVariable(std::wstring_view name);
[[nodiscard]] Status SetSystemVariable(std::wstring_view name, const SysVarValue& value);
// Integers arrive as `int` from most callers: a short when it fits.
[[nodiscard]] Status SetSystemVariable(std::wstring_view name, int value);
[[nodiscard]] Status SetSystemVariable(std::wstring_view name, const wchar_t* value);

// The type of a known variable; false for an unknown name.
bool SystemVariableType(std::wstring_view name, SysVarType* type);
// The names of the table, in alphabetical order.
std::vector<std::wstring> SystemVariableNames();

enum class SysVarOp { kGet, kSet };
// Lets the next `succeed` gets (or sets) of `name` pass, then fails `fail`
// of them (negative: every one).
void FailSystemVariable(std::wstring_view name, SysVarOp op, int succeed, int fail = 1);

struct SysVarBinding {
  std::function<SysVarValue()> get;
  std::function<bool(const SysVarValue&)> set;  // empty: read-only
};
void BindSystemVariable(std::wstring_view name, SysVarBinding binding);

// Every variable back to its default; bindings and failures dropped.
void ResetSystemVariables();

}  // namespace host
