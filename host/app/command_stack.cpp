#include "host/app/command_stack.h"

#include <algorithm>

#include "host/lisp/call.h"
#include "host/system/user_actions.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

std::vector<CommandInfo>& Table() {
  static std::vector<CommandInfo> commands;
  return commands;
}

int g_active = 0;

}  // namespace

Status AddCommand(std::wstring_view group, std::wstring_view global_name,
                  std::wstring_view local_name, int flags, CommandHandler handler,
                  std::wstring_view purpose) {
  if (group.empty() || global_name.empty() || local_name.empty() || handler == nullptr)
    return Status::kError;
  for (const CommandInfo& c : Table()) {
    if (!SameIgnoringAsciiCase(c.group, group)) continue;
    if (SameIgnoringAsciiCase(c.global_name, global_name) ||
        SameIgnoringAsciiCase(c.local_name, local_name))
      return Status::kError;
  }
  Table().push_back(CommandInfo{std::wstring(group), std::wstring(global_name),
                                std::wstring(local_name), flags, handler, lisp::CurrentApp(),
                                std::wstring(purpose)});
  return Status::kNormal;
}

Status RemoveGroup(std::wstring_view group) {
  auto& table = Table();
  auto end = std::remove_if(table.begin(), table.end(),
                            [&](const CommandInfo& c) { return SameIgnoringAsciiCase(c.group, group); });
  if (end == table.end()) return Status::kError;
  table.erase(end, table.end());
  return Status::kNormal;
}

void RemoveCommandsOf(const void* owner) {
  auto& table = Table();
  table.erase(std::remove_if(table.begin(), table.end(),
                             [&](const CommandInfo& c) { return c.owner == owner; }),
              table.end());
}

const CommandInfo* FindCommand(std::wstring_view name) {
  const auto& table = Table();
  if (!name.empty() && name.front() == L'_') {
    name.remove_prefix(1);
    for (auto it = table.rbegin(); it != table.rend(); ++it)
      if (SameIgnoringAsciiCase(it->global_name, name)) return &*it;
    return nullptr;
  }
  for (auto it = table.rbegin(); it != table.rend(); ++it)
    if (SameIgnoringAsciiCase(it->local_name, name)) return &*it;
  for (auto it = table.rbegin(); it != table.rend(); ++it)
    if (SameIgnoringAsciiCase(it->global_name, name)) return &*it;
  return nullptr;
}

std::vector<CommandInfo> Commands() { return Table(); }

RunResult RunCommand(std::wstring_view name) {
  const CommandInfo* command = FindCommand(name);
  if (command == nullptr) return RunResult::kUnknown;
  if (g_active > 0 && !(command->flags & kCommandTransparent)) return RunResult::kRefused;
  // The table may change while the handler runs (a command that unloads its
  // own add-in): keep what is needed.
  CommandHandler handler = command->handler;
  Shown().Add("command_run", command->global_name);
  ++g_active;
  {
    lisp::ScopedApp app(command->owner);
    handler();
  }
  --g_active;
  return RunResult::kRan;
}

bool CommandActive() { return g_active > 0; }

void ClearCommands() { Table().clear(); }

}  // namespace host
