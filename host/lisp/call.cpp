#include "host/lisp/call.h"

#include <deque>
#include <map>
#include <utility>

#include "host/lisp/host_functions.h"

namespace host::lisp {
namespace {

struct CallContext {
  int code = -1;
  std::vector<Value> args;
  Value result;
  bool failed = false;
  std::wstring message;
};

std::wstring NoDefinition(std::wstring_view name) {
  std::wstring upper(name);
  for (wchar_t& c : upper)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return L"no function definition: " + upper;
}

AppId g_current_app = nullptr;
// Innermost call last. A deque, so that the arguments an add-in holds by
// reference stay where they are while it makes a nested call.
std::deque<CallContext> g_calls;
Invoker g_invoker;

std::map<std::wstring, HostFunction>& HostFunctions() {
  static std::map<std::wstring, HostFunction> functions = [] {
    std::map<std::wstring, HostFunction> standard;
    for (auto& [name, function] : StandardHostFunctions())
      standard[LispNameKey(name)] = std::move(function);
    return standard;
  }();
  return functions;
}

}  // namespace

AppId CurrentApp() { return g_current_app; }

ScopedApp::ScopedApp(AppId app) : previous_(g_current_app) { g_current_app = app; }
ScopedApp::~ScopedApp() { g_current_app = previous_; }

Status DefineFunction(std::wstring_view name, int code) {
  return CurrentEnvironment().Define(name, code, g_current_app);
}

Status UndefineFunction(std::wstring_view name, int code) {
  return CurrentEnvironment().Undefine(name, code, g_current_app);
}

int FunctionCode() { return g_calls.empty() ? -1 : g_calls.back().code; }

const std::vector<Value>& Arguments() {
  static const std::vector<Value> none;
  return g_calls.empty() ? none : g_calls.back().args;
}

void Return(Value value) {
  if (!g_calls.empty()) g_calls.back().result = std::move(value);
}

void Fail(std::wstring_view message) {
  if (g_calls.empty()) return;
  g_calls.back().failed = true;
  g_calls.back().message = std::wstring(message);
}

Status PutSymbol(std::wstring_view name, Value value) {
  if (name.empty()) return Status::kError;
  CurrentEnvironment().PutSymbol(name, std::move(value));
  return Status::kNormal;
}

Value GetSymbol(std::wstring_view name) { return CurrentEnvironment().GetSymbol(name); }

CallResult CallFunction(std::wstring_view name, std::vector<Value> args) {
  if (const FunctionDef* def = CurrentEnvironment().FindFunction(name)) {
    // Copy what is needed: the add-in may undefine the function while it runs.
    const AppId owner = def->owner;
    const int code = def->code;
    g_calls.push_back(CallContext{code, std::move(args), Value(), false, {}});
    bool reached = false;
    if (g_invoker) {
      ScopedApp running(owner);
      reached = g_invoker(owner, code);
    }
    CallContext done = std::move(g_calls.back());
    g_calls.pop_back();
    if (!reached) return Failed<Value>(NoDefinition(name));
    if (done.failed) return Failed<Value>(std::move(done.message));
    return Success(std::move(done.result));
  }
  auto& functions = HostFunctions();
  auto it = functions.find(LispNameKey(name));
  if (it != functions.end()) {
    // A copy, so that a host function may register others while it runs.
    HostFunction function = it->second;
    return function(args);
  }
  return Failed<Value>(NoDefinition(name));
}

CallResult Invoke(const std::vector<Value>& list) {
  if (list.empty() || (!list[0].IsString() && list[0].type() != ValueType::kSymbol))
    return Failed<Value>(L"bad function: " + (list.empty() ? std::wstring(L"nil") : ToLispText(list[0])));
  return CallFunction(list[0].text(), std::vector<Value>(list.begin() + 1, list.end()));
}

void SetInvoker(Invoker invoker) { g_invoker = std::move(invoker); }

void RegisterHostFunction(std::wstring_view name, HostFunction function) {
  HostFunctions()[LispNameKey(name)] = std::move(function);
}

bool IsHostFunction(std::wstring_view name) {
  return HostFunctions().count(LispNameKey(name)) != 0;
}

void ResetHostFunctions() {
  auto& functions = HostFunctions();
  functions.clear();
  for (auto& [name, function] : StandardHostFunctions())
    functions[LispNameKey(name)] = std::move(function);
}

}  // namespace host::lisp
