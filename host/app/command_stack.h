// The command stack: the commands that add-ins register, in groups.
//
// A command has a global name (what scripts and other languages type, also
// reachable with a leading '_') and a local name (what the user types), a
// group, flags and a handler. Names compare with case ignored. A command is
// found by its local name first, then by its global name; among several
// groups, the group added last wins, as a newer registration hides an older
// one.
//
// Handlers run at the command line: the host runs one command at a time, so
// a modal command asked for while another command runs is refused.
//
// Process-wide state, used from one thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/system/status.h"

namespace host {

using CommandHandler = void (*)();

inline constexpr int kCommandModal = 0;
inline constexpr int kCommandTransparent = 1;

struct CommandInfo {
  std::wstring group;
  std::wstring global_name;
  std::wstring local_name;
  int flags = kCommandModal;
  CommandHandler handler = nullptr;
  const void* owner = nullptr;  // the add-in that added it (null: the host or a test)
  std::wstring purpose;         // one line for "help"; empty when the add-in gave none
};

// Adds a command for the running add-in. kError for an empty group or name,
// a null handler, or a name (global or local) that the group holds already.
// `purpose` is what "help" says of the command, in one line.
[[nodiscard]] Status AddCommand(std::wstring_view group, std::wstring_view global_name,
                                std::wstring_view local_name, int flags, CommandHandler handler,
                                std::wstring_view purpose = {});
// Removes a group and its commands; kError when there is no such group.
Status RemoveGroup(std::wstring_view group);
// Removes every command an add-in added (it is being unloaded).
void RemoveCommandsOf(const void* owner);

// The command that `name` names ("_name" for a global name only); null when
// none.
const CommandInfo* FindCommand(std::wstring_view name);
std::vector<CommandInfo> Commands();  // in the order they were added

enum class RunResult { kRan, kUnknown, kRefused };
// Runs a command by name. kRefused for a modal command while another one
// runs.
RunResult RunCommand(std::wstring_view name);
// True while a command's handler runs.
bool CommandActive();

void ClearCommands();

}  // namespace host
