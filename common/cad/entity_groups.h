// The groups of a drawn entity as the geometry and profile builders read
// them.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "host/db/entity_list.h"

// The entity's groups before its extended data (group -3 and what follows);
// none when the entity cannot be read.
std::optional<host::db::EntityList> PlainEntityGroups(host::EntityName entity);

// Names equal with ASCII letter case ignored, as entity types and
// application names compare.
bool SameNameNoCase(std::wstring_view a, std::wstring_view b);

// Walks the segments of a lightweight polyline from its groups: each vertex
// (a group 10 together with its group 42 bulge) to the next and, when the
// polyline is closed (bit 1 of group 70), the last back to the first. The
// walk ends at the extended data. Answers false as soon as `segment` does.
bool ForEachLwPolylineSegment(
    const host::db::EntityList& list,
    const std::function<bool(const host::db::Point3& a, double bulge, const host::db::Point3& b)>&
        segment);
