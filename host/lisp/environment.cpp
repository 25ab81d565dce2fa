#include "host/lisp/environment.h"

#include <utility>

#include "host/system/fault.h"

namespace host::lisp {

Status Environment::Define(std::wstring_view name, int code, AppId owner) {
  if (name.empty() || code < 0) return Status::kError;
  if (FaultFires(FaultPoint::DefineLispFunction)) return Status::kError;
  functions_[LispNameKey(name)] = FunctionDef{std::wstring(name), code, owner};
  return Status::kNormal;
}

Status Environment::Undefine(std::wstring_view name, int code, AppId owner) {
  auto it = functions_.find(LispNameKey(name));
  if (it == functions_.end() || it->second.code != code || it->second.owner != owner)
    return Status::kError;
  functions_.erase(it);
  return Status::kNormal;
}

void Environment::UndefineAllOf(AppId owner) {
  std::erase_if(functions_, [owner](const auto& entry) { return entry.second.owner == owner; });
}

const FunctionDef* Environment::FindFunction(std::wstring_view name) const {
  auto it = functions_.find(LispNameKey(name));
  return it == functions_.end() ? nullptr : &it->second;
}

std::vector<FunctionDef> Environment::Functions() const {
  std::vector<FunctionDef> all;
  for (const auto& entry : functions_) all.push_back(entry.second);
  return all;
}

void Environment::PutSymbol(std::wstring_view name, Value value) {
  if (value.IsNil()) {
    symbols_.erase(LispNameKey(name));
  } else {
    symbols_[LispNameKey(name)] = std::move(value);
  }
}

Value Environment::GetSymbol(std::wstring_view name) const {
  auto it = symbols_.find(LispNameKey(name));
  return it == symbols_.end() ? Value() : it->second;
}

void Environment::Clear() {
  functions_.clear();
  symbols_.clear();
}

namespace {

Environment* g_current = nullptr;

Environment& DefaultEnvironment() {
  static Environment environment;
  return environment;
}

}  // namespace

Environment& CurrentEnvironment() { return g_current ? *g_current : DefaultEnvironment(); }

void SetCurrentEnvironment(Environment* environment) { g_current = environment; }

}  // namespace host::lisp
