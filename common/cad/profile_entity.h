// Profiles built from the levels of drawn entities.
#pragma once

#include "common/containers/grow_array.h"
#include "common/geometry/profile.h"
#include "host/system/entity_name.h"

// The profile of a drawn LINE, POLYLINE, LWPOLYLINE, ARC or CIRCLE: X is the
// distance travelled along it in plan from 0, Y its level (Z; a lightweight
// polyline's elevation, an arc's or circle's centre level). Resets the header
// and the frame (source path "from_polyline", vertical scale 1, everything
// else 0), then fills the elements from index 0, the frame's extents, the
// header's element count and road length, and bit 1 of the header's first
// reserved short when the level changes along any element. Segments of
// lightweight polylines that carry a bulge are measured along their plan
// arc. A polyline without vertices gives an empty profile. False for another
// entity type, a missing required group or a failed append.
[[nodiscard]] bool ProfileFromPolyline(host::EntityName entity, HzGeometry& header,
                                       VtProfile& frame, GrowArray& elements);
