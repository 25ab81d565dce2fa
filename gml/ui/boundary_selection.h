// Small helpers the import commands share: the message pump of long loops,
// the selection and pick of boundary entities (polylines, circles, lines
// and arcs), an entity's point and the even-odd point-in-boundary test.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/containers/grow_array.h"
#include "host/db/values.h"
#include "host/editor/selection.h"
#include "host/system/entity_name.h"
#include "host/system/status.h"

// Handles the messages waiting for the main window, then yields; returns at
// once when none waits.
void ProcessPendingMessages();

// Asks the user for circles and polylines whose flags are 0 or share a bit
// with 143. Cancelled: `*set` is an empty set (the caller frees it); another
// failure leaves no set and prints the host's ERRNO when it is set. True
// when at least one entity was selected.
bool SelectBoundaryEntities(host::SelectionSetId* set, std::int32_t* count);

// Picks until the user picks a boundary entity (true) or cancels (false).
// A pick of another entity is refused with a message box; misses earn
// sterner hints, and the sixteenth miss gives up.
bool PickBoundaryEntity(std::wstring_view prompt, host::EntityName* entity, host::db::Point3* point,
                        bool* closed);

// True for a POLYLINE, LWPOLYLINE, CIRCLE, LINE or ARC; `closed` when one of
// its flags (group 70) has bit 1 set.
bool IsBoundaryEntityType(host::EntityName entity, bool* closed);

// The last point (group 10) of the entity's definition: a polyline's last
// vertex, a line's start, a circle's centre. (0, 0) when it has none.
bool GetEntityPoint(host::EntityName entity, double* x, double* y);

// One pick; the prompt's status.
host::Status SelectEntity(std::wstring_view prompt, host::EntityName* entity,
                          host::db::Point3* point);

// Even-odd test of (x, y) against `segments` (OutlineSegment) by a ray down
// to below `lowestY`; a segment counts from its smaller end x (included) to
// its larger (excluded), so a vertex right above the point counts once.
bool PointInBoundary(double x, double y, const GrowArray& segments, double lowestY);
