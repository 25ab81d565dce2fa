// Ownership helpers for the variant lists of the feature-code table: a
// row's GrowArray of ConditionVariant, each with its GrowArray of
// AttributeCondition. A list header whose marker is not valid is "no list".
#pragma once

#include "common/containers/grow_array.h"
#include "gml/settings/lookup_tables.h"

// Frees every variant's conditions, then the list; leaves `list` as no list.
void FreeVariantList(GrowArray* list);
// Makes `to` a copy of `from` that shares no storage with it (no list when
// `from` is none). False, with `to` as no list, when memory ran out.
[[nodiscard]] bool CopyVariantList(const GrowArray& from, GrowArray* to);
// Removes element `index` of a list of plain records, closing the gap; false
// when out of range.
bool RemoveElement(GrowArray* list, std::int32_t index);
