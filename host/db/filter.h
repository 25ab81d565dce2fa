// Selection filters: whether an entity passes a filter list, and the
// selection of every entity of a drawing.
//
// A filter list is a list of groups. Plain groups must all hold: text
// values are wildcard patterns (case ignored), other values compare equal;
// group 62 of an entity with no colour group is 256 (ByLayer). Groups -4
// combine and compare:
//   "<and" ... "and>"   every item holds (the list itself is an "and")
//   "<or"  ... "or>"    one item holds
//   "<not" item "not>"  the item does not hold
//   "<xor" a b "xor>"   exactly one of two holds
//   "=", "!=", "/=", "<>", "<", "<=", ">", ">="  compare the next group
//   "&"                 the next group's integer shares a bit
//   "&="                the next group's integer bits are all set
//   "*"                 the next group is anything
#pragma once

#include <vector>

#include "host/db/database.h"
#include "host/db/values.h"

namespace host::db {

enum class FilterResult { kMatch, kNoMatch, kBadFilter };

// Matches an entity list (as GetEntityList gives it) against a filter.
FilterResult MatchFilter(const EntityList& entity, const EntityList& filter);
// Matches an entity by name; kNoMatch when the name names no entity.
FilterResult MatchFilter(EntityName entity, const EntityList& filter);

// True when the filter's -4 groups are well formed.
bool IsValidFilter(const EntityList& filter);

// Every entity of model space that is not erased and passes the filter (an
// empty filter passes all), in drawing order, those of kinds kept as read
// (kept.h) among them. Empty when the filter is bad.
std::vector<EntityName> SelectAll(const Database& db, const EntityList& filter = {});

}  // namespace host::db
