#include "join/run_steps.h"

#include <string>

#include "host/editor/command_line.h"
#include "host/editor/host_commands.h"
#include "host/editor/selection.h"

void SetJoinUndoMark() {
  (void)host::RunHostCommand({std::wstring(L"_UNDO"), std::wstring(L"_M")});
}

bool BuildSelectedObjects(const JoinSelectionSet& set, std::vector<JoinObject>& objects) {
  JoinObjectBuilder builder;
  if (!builder.Ok()) return false;
  objects.assign(static_cast<std::size_t>(set.count), JoinObject{});
  for (std::int32_t i = 0; i < set.count; ++i) {
    const host::Input<host::EntityName> name = host::SelectionSetName(set.set, i);
    if (!name.ok()) return false;
    JoinObject& object = objects[static_cast<std::size_t>(i)];
    const JoinObjectBuilder::Result r = builder.Build(name.value, object);
    if (r == JoinObjectBuilder::Result::kFailed) return false;
    if (r != JoinObjectBuilder::Result::kBuilt) object.used = true;
  }
  return true;
}

void PrintJoined(long joined) { host::Printf(L"\nDone. (%li elements joined).\n", joined); }

