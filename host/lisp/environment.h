// The LISP state of one drawing: the table of functions that add-ins define
// and the symbols (variables) set in it.
//
// Each open drawing has its own environment; the documents of the host make
// one current. Until they do, a default environment of the host serves, so
// tests can define and call functions without a document.
//
// Function and symbol names are compared with letter case ignored.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/lisp/value.h"
#include "host/system/status.h"

namespace host::lisp {

// Identifies the add-in that defined a function: the application id the
// host hands to its entry point. Null for functions defined outside any
// add-in (tests).
using AppId = const void*;

struct FunctionDef {
  std::wstring name;  // as defined
  int code = 0;       // the add-in's function code, 0 or more
  AppId owner = nullptr;
};

class Environment {
 public:
  // Defines `name` as function `code` of `owner`; a later definition of the
  // same name replaces the earlier one. Fails for an empty name, a negative
  // code, or when the DefineLispFunction fault fires.
  [[nodiscard]] Status Define(std::wstring_view name, int code, AppId owner);
  // Removes `name` when `owner` defined it with `code`; fails otherwise.
  [[nodiscard]] Status Undefine(std::wstring_view name, int code, AppId owner);
  // Removes every function of `owner` (the add-in is being unloaded).
  void UndefineAllOf(AppId owner);
  // The function named `name`, or null.
  const FunctionDef* FindFunction(std::wstring_view name) const;
  // Every function, ordered by name with case ignored.
  std::vector<FunctionDef> Functions() const;

  // Sets a symbol; nil removes it.
  void PutSymbol(std::wstring_view name, Value value);
  // The symbol's value; nil when it was never set.
  Value GetSymbol(std::wstring_view name) const;

  void Clear();

 private:
  std::map<std::wstring, FunctionDef> functions_;  // by folded name
  std::map<std::wstring, Value> symbols_;          // by folded name
};

// The environment of the current drawing.
Environment& CurrentEnvironment();
// Makes `environment` current; null returns to the host's default one. The
// caller keeps ownership and must reset this before destroying it.
void SetCurrentEnvironment(Environment* environment);

}  // namespace host::lisp
