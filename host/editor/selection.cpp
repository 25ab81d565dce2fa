#include "host/editor/selection.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "host/db/entity_move.h"
#include "host/db/kept.h"
#include "host/db/filter.h"
#include "host/editor/command_line.h"
#include "host/system/user_actions.h"
#include "host/editor/point_prompts.h"
#include "host/editor/system_variables.h"

namespace host {
namespace {

struct Sets {
  std::map<SelectionSetId, std::vector<EntityName>> sets;
  SelectionSetId next = 1;
};

Sets& State() {
  static Sets state;
  return state;
}

SelectionSetId Make(std::vector<EntityName> entities) {
  Sets& s = State();
  const SelectionSetId id = s.next++;
  s.sets[id] = std::move(entities);
  return id;
}

// The filter was checked once before the entities are.
bool Passes(EntityName entity, const db::EntityList& filter) {
  if (filter.empty()) return true;
  const std::optional<db::EntityList> list = db::GetEntityList(entity);
  return list && db::MatchFilter(*list, filter) == db::FilterResult::kMatch;
}

double PickBox() {
  SysVarResult size = GetSystemVariable(L"VIEWSIZE");
  return (size.ok() && size.Number() > 0 ? size.Number() : 9.0) / 100.0;
}

// Keeps what passes the filter; kError with no set when nothing is left.
Input<SelectionSetId> Finish(const std::vector<EntityName>& chosen, const db::EntityList& filter) {
  std::vector<EntityName> kept;
  // Repeats are dropped through a set, so that selecting a large drawing
  // stays near linear in its size.
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
  for (EntityName e : chosen)
    if (Passes(e, filter) && seen.insert({e.database, e.handle}).second) kept.push_back(e);
  Printf(L"\n%d found", static_cast<int>(kept.size()));
  if (kept.empty()) return {Status::kError, 0};
  return {Status::kNormal, Make(std::move(kept))};
}

}  // namespace

Input<SelectionSetId> SelectEntities(const db::EntityList& filter) {
  if (!filter.empty() && !db::IsValidFilter(filter)) return {Status::kError, 0};
  const db::Database* db = db::WorkingDatabase();
  for (;;) {
    ShowPrompt(L"\nSelect objects: ");
    const WaitingScope waiting({[] {
                                  return std::wstring(
                                      L"(!select HANDLE ..., or type all, or x,y for the object nearest that "
                                      L"point; Enter selects nothing; !esc cancels)");
                                },
                                true});
    const NextAction next = TakeNextAction({"select", "type", "esc", "error"});
    if (next.taken() && next.action.verb == "select") {
      const UserAction& action = next.action;
      std::wstring echo;
      std::vector<EntityName> chosen;
      for (const std::wstring& arg : action.args) {
        echo += (echo.empty() ? L"" : L" ") + arg;
        const std::uint64_t handle = detail::ParseHandle(arg);
        const db::Entity* e = db && handle ? db->EntityByHandle(handle) : nullptr;
        const db::KeptObject* kept = db && handle && !e ? db::KeptEntityOf(*db, db->IdOf(handle)) : nullptr;
        const std::uint64_t owner = e && !e->erased ? e->owner : kept ? kept->owner : 0;
        if (owner != 0 && owner == db->HandleOf(db->ModelSpace())) chosen.push_back(db->IdOf(handle));
      }
      EchoInput(echo);
      return Finish(chosen, filter);
    }
    std::wstring text;
    Status status = detail::TakeAnswer(next, &text);
    if (status != Status::kNormal) return {status, 0};
    std::wstring trimmed = text;
    trimmed.erase(0, trimmed.find_first_not_of(L" \t"));
    trimmed.erase(trimmed.find_last_not_of(L" \t") + 1);
    if (trimmed.empty()) return Finish({}, filter);
    if (trimmed == L"all" || trimmed == L"ALL" || trimmed == L"All") {
      return Finish(db ? db::SelectAll(*db) : std::vector<EntityName>{}, filter);
    }
    db::Point3 at;
    if (detail::ParsePoint(trimmed, nullptr, &at)) {
      EntityName hit = detail::EntityNear(at, PickBox());
      return Finish(hit.IsNull() ? std::vector<EntityName>{} : std::vector<EntityName>{hit}, filter);
    }
    Print(L"\n*Invalid selection*");
  }
}

Input<SelectionSetId> SelectAllEntities(const db::EntityList& filter) {
  if (!filter.empty() && !db::IsValidFilter(filter)) return {Status::kError, 0};
  const db::Database* db = db::WorkingDatabase();
  if (db == nullptr) return {Status::kError, 0};
  std::vector<EntityName> all = db::SelectAll(*db, filter);
  if (all.empty()) return {Status::kError, 0};
  return {Status::kNormal, Make(std::move(all))};
}

SelectionSetId NewSelectionSet() { return Make({}); }

Status AddToSelectionSet(SelectionSetId set, EntityName entity) {
  auto it = State().sets.find(set);
  if (it == State().sets.end() || entity.IsNull()) return Status::kError;
  if (std::find(it->second.begin(), it->second.end(), entity) == it->second.end())
    it->second.push_back(entity);
  return Status::kNormal;
}

Input<std::int32_t> SelectionSetLength(SelectionSetId set) {
  auto it = State().sets.find(set);
  if (it == State().sets.end()) return {Status::kError, 0};
  return {Status::kNormal, static_cast<std::int32_t>(it->second.size())};
}

Input<EntityName> SelectionSetName(SelectionSetId set, std::int32_t index) {
  auto it = State().sets.find(set);
  if (it == State().sets.end() || index < 0 || static_cast<std::size_t>(index) >= it->second.size())
    return {Status::kError, {}};
  return {Status::kNormal, it->second[static_cast<std::size_t>(index)]};
}

Status FreeSelectionSet(SelectionSetId set) {
  return State().sets.erase(set) == 1 ? Status::kNormal : Status::kError;
}

std::vector<EntityName> SelectionSetEntities(SelectionSetId set) {
  auto it = State().sets.find(set);
  return it == State().sets.end() ? std::vector<EntityName>{} : it->second;
}

int OpenSelectionSets() { return static_cast<int>(State().sets.size()); }

void FreeAllSelectionSets() { State().sets.clear(); }

}  // namespace host
