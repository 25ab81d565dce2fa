#include "join/join_selection.h"

#include "host/editor/command_line.h"
#include "host/editor/system_variables.h"
#include "join/join_parameters.h"

namespace {

using host::db::EntityList;
using host::db::Group;

// Polyline flags that never pass: polygon mesh and polyface mesh.
constexpr int kMeshBits = 16 | 64;
constexpr int k3dBit = 8;

bool Select(JoinSelectionSet& selection, const wchar_t* prompt, bool withCircles) {
  host::Print(prompt);
  const EntityList filter = JoinSelectionFilter(withCircles, CorvexParameters().allow3dPolylines != 0);
  if (selection.set != 0) (void)host::FreeSelectionSet(selection.set);
  selection = JoinSelectionSet{};
  const host::Input<host::SelectionSetId> result = host::SelectEntities(filter);
  if (result.ok()) {
    selection.set = result.value;
    const host::Input<std::int32_t> length = host::SelectionSetLength(result.value);
    selection.count = length.ok() ? length.value : 0;
    return selection.count >= 1;
  }
  if (result.status == host::Status::kCancel) {
    selection.set = host::NewSelectionSet();
    return false;
  }
  const host::SysVarResult errorNumber = host::GetSystemVariable(L"ERRNO");
  if (errorNumber.ok() && errorNumber.Short() != 0)
    host::Printf(L"\nError! (AutoCAD) ERRNO: %i", static_cast<int>(errorNumber.Short()));
  return false;
}

}  // namespace

JoinSelectionSet& JoinSet() {
  static JoinSelectionSet set;
  return set;
}

JoinSelectionSet& InitialSet() {
  static JoinSelectionSet set;
  return set;
}

void FreeJoinSelections() {
  for (JoinSelectionSet* s : {&JoinSet(), &InitialSet()}) {
    if (s->set != 0) (void)host::FreeSelectionSet(s->set);
    *s = JoinSelectionSet{};
  }
}

EntityList JoinSelectionFilter(bool withCircles, bool allow3dPolylines) {
  EntityList f;
  f.emplace_back(-4, L"<or");
  for (const wchar_t* type : {L"CIRCLE", L"ARC", L"LINE"}) {
    if (!withCircles && std::wstring_view(type) == L"CIRCLE") continue;
    f.emplace_back(-4, L"<and");
    f.emplace_back(0, type);
    f.emplace_back(-4, L"and>");
  }
  f.emplace_back(-4, L"<and");
  f.emplace_back(-4, L"<or");
  f.emplace_back(0, L"POLYLINE");
  f.emplace_back(0, L"LWPOLYLINE");
  f.emplace_back(-4, L"or>");
  f.emplace_back(-4, L"<or");
  f.emplace_back(-4, L"=");
  f.emplace_back(70, 0);
  f.emplace_back(-4, L"<and");
  f.emplace_back(-4, L"&");
  f.emplace_back(70, allow3dPolylines ? kJoinPolylineMask3d : kJoinPolylineMask2d);
  f.emplace_back(-4, L"and>");
  f.emplace_back(-4, L"or>");
  f.emplace_back(-4, L"<not");
  f.emplace_back(-4, L"&");
  f.emplace_back(70, allow3dPolylines ? kMeshBits : kMeshBits | k3dBit);
  f.emplace_back(-4, L"not>");
  f.emplace_back(-4, L"and>");
  f.emplace_back(-4, L"or>");
  return f;
}

bool SelectJoinObjects() {
  return Select(JoinSet(), L"\nSelect polylines/lines/arcs to join together:", true);
}

bool SelectInitialEntities() { return Select(InitialSet(), L"\nSelect initial entity", false); }
