// Selection sets.
//
// A selection set is a list of entity names held by the host until it is
// freed; code refers to it by its id. Sets come from the user's selection,
// from "all entities", or empty.
//
// The user's selection shows "\nSelect objects: " and takes one action:
//  - "select HANDLE ..." (hexadecimal handles): those entities of the working
//    drawing's model space, in that order, of every kind (those the drawing
//    keeps as read too); unknown handles and repeats are passed over;
//  - "type" with "all", or with a point "x,y" (the entity nearest to it within
//    the pick box);
//  - "esc", "error [n]", running out, or another consumer's action, as for
//    every prompt (prompts.h).
// A filter (host/db/filter.h) keeps only the entities that pass it. A
// selection that ends with no entity answers kError, as does a malformed
// filter; then no set is made.
//
// Process-wide state, used from one thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "host/db/values.h"
#include "host/editor/prompts.h"

namespace host {

// 0 names no set.
using SelectionSetId = std::uint64_t;

Input<SelectionSetId> SelectEntities(const db::EntityList& filter = {});
// Every entity of the working drawing's model space that passes the filter;
// kError when none does or the filter is malformed.
Input<SelectionSetId> SelectAllEntities(const db::EntityList& filter = {});
// A new set with nothing in it.
SelectionSetId NewSelectionSet();
// Adds an entity to a set (once); kError for an unknown set or a null name.
Status AddToSelectionSet(SelectionSetId set, EntityName entity);

Input<std::int32_t> SelectionSetLength(SelectionSetId set);
// The entity at `index` (from 0); kError for an unknown set or an index out
// of range.
Input<EntityName> SelectionSetName(SelectionSetId set, std::int32_t index);
// kError when the set does not exist (freed twice, never made).
Status FreeSelectionSet(SelectionSetId set);

// The entities of a set; empty for an unknown one.
std::vector<EntityName> SelectionSetEntities(SelectionSetId set);
// Sets made and not freed, to find leaks in tests.
int OpenSelectionSets();
void FreeAllSelectionSets();

}  // namespace host
