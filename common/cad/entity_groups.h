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

// Walks the segments of a lightweight polyline where it lies in the drawing
// (world coordinates, each bulge as seen from above): each vertex to the
// next and, when the polyline is closed, the last back to the first.
// Answers false when the entity is no lightweight polyline, or as soon as
// `segment` does.
bool ForEachLwPolylineSegment(
    host::EntityName lwPolyline,
    const std::function<bool(const host::db::Point3& a, double bulge, const host::db::Point3& b)>&
        segment);
