// The two selections of the join: the objects to join (lines, arcs,
// circles and polylines) and the initial objects that LarCorvex grows its
// chains from (the same without circles).
//
// Polylines pass when their flags (group 70) are 0 or share a bit with the
// mask: 143 (closed, curve-fit, spline-fit, 3D, linetype generation) when 3D
// polylines are allowed, else 135 (the same without 3D). Polygon and
// polyface meshes (bits 16 and 64) never pass, and when 3D polylines are not
// allowed no polyline with the 3D bit passes, closed or not.
//
// Each selection is kept, with its count, until the next selection of its
// kind replaces it.
#pragma once

#include <cstdint>

#include "host/db/values.h"
#include "host/editor/selection.h"

inline constexpr int kJoinPolylineMask3d = 143;
inline constexpr int kJoinPolylineMask2d = 135;

struct JoinSelectionSet {
  host::SelectionSetId set = 0;
  std::int32_t count = 0;
};

// The join set and the initial set of the process.
JoinSelectionSet& JoinSet();
JoinSelectionSet& InitialSet();
// Frees both sets (when the add-in is unloaded).
void FreeJoinSelections();

// The filter of a selection: with circles for the join set.
host::db::EntityList JoinSelectionFilter(bool withCircles, bool allow3dPolylines);

// "\nSelect polylines/lines/arcs to join together:", then the user's
// selection into the join set. True when it holds at least one object. A
// failure other than a cancel prints the host's error number when it has
// one; a cancel leaves an empty set.
bool SelectJoinObjects();
// The same with "\nSelect initial entity" into the initial set, without
// circles.
bool SelectInitialEntities();
