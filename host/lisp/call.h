// Calling LISP functions, from both sides.
//
// An add-in defines its functions by name and function code while the host
// runs its entry point (the host says which add-in that is with ScopedApp).
// When LISP calls such a function, the host makes a call context with the
// code and the arguments and sends the add-in the invoke message through the
// invoker that the add-in loader installs. Inside, the add-in reads
// FunctionCode() and Arguments(), sets its result with Return() or reports a
// failure with Fail(); a call that returns nothing gives nil. Calls nest: an
// add-in may call LISP (Invoke) while it runs inside a call.
//
// The host's own LISP functions (the colour and help dialogs, ...) are host
// functions; the host modules above may register more.
//
// Process-wide state, used from one thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/lisp/environment.h"
#include "host/lisp/value.h"
#include "host/system/result.h"

namespace host::lisp {

// ---- the add-in running now ------------------------------------------------

// The add-in whose entry point the host is running; null when none.
AppId CurrentApp();

// Marks `app` as the running add-in for one scope (restores the previous one).
class ScopedApp {
 public:
  explicit ScopedApp(AppId app);
  ~ScopedApp();
  ScopedApp(const ScopedApp&) = delete;
  ScopedApp& operator=(const ScopedApp&) = delete;

 private:
  AppId previous_;
};

// ---- the add-in side ------------------------------------------------------

// Define and undefine in the current drawing, for the running add-in.
[[nodiscard]] Status DefineFunction(std::wstring_view name, int code);
[[nodiscard]] Status UndefineFunction(std::wstring_view name, int code);

// The code of the function being invoked; -1 outside a call.
int FunctionCode();
// The arguments of the current call, in order; empty outside a call and when
// the function was called with none.
const std::vector<Value>& Arguments();
// Sets the result of the current call (the last one set counts).
void Return(Value value);
// Marks the current call failed with `message`; its result is then dropped.
void Fail(std::wstring_view message);

// Symbols of the current drawing.
[[nodiscard]] Status PutSymbol(std::wstring_view name, Value value);
Value GetSymbol(std::wstring_view name);

// The result of a LISP call: kNormal and the value, or kError, nil and the
// failure message.
using CallResult = Result<Value>;

// Calls a LISP function: `list` holds the function's name (a string or a
// symbol) and then its arguments.
CallResult Invoke(const std::vector<Value>& list);

// ---- the host side --------------------------------------------------------

// Calls the function `name` with `args`: an add-in function of the current
// drawing, else a host function. An unknown name fails with
// "no function definition: NAME".
CallResult CallFunction(std::wstring_view name, std::vector<Value> args);

// Sends the invoke message for function `code` to the add-in `owner`; answers
// false when that add-in cannot be reached. The add-in loader installs it.
using Invoker = std::function<bool(AppId owner, int code)>;
void SetInvoker(Invoker invoker);

using HostFunction = std::function<CallResult(const std::vector<Value>& args)>;
// Adds or replaces a host function.
void RegisterHostFunction(std::wstring_view name, HostFunction function);
// True when `name` is a host function.
bool IsHostFunction(std::wstring_view name);
// Returns to the host's standard functions only.
void ResetHostFunctions();

}  // namespace host::lisp
