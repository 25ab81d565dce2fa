// Cutting a line at the edges of the location filter.
//
// The line's tuples become a horizontal alignment of straights and a
// profile of straight grades, so that every crossing with the filter's
// outline gets a station along the line and a height taken along it. The
// tuple list is then rewritten: vertices to keep (hasX 1) and piece
// separators (hasX 0), every tuple with hasY and hasZ set.
#pragma once

#include <cstdint>

#include "common/geometry/alignment.h"
#include "common/containers/grow_array.h"
#include "common/geometry/hz_geometry.h"
#include "common/geometry/profile.h"
#include "gml/settings/area_filter.h"

// One entry of the crossing list.
struct Crossing {
  std::int32_t kind;  // 0 vertex outside, 1 vertex inside, 2 entering, 3 leaving
  double x, y;
  double z;        // height on the line's profile at the station
  double station;  // distance along the line from its first tuple
};

inline constexpr double kCrossingTolerance = 0.005;

// Rewrites `tuples` (CoordinateTuple) to the pieces inside `filter`. True
// when the geometry could be built and at least one vertex was kept; on
// false the tuples are untouched unless the crossings were found (then they
// hold separators only).
bool TrimLineToFilter(const AreaFilter& filter, GrowArray* tuples);

// The straight elements of the line and its profile of straight grades.
bool BuildLineGeometry(const GrowArray& tuples, HzGeometry* alignment, GrowArray* elements,
                       VtProfile* profile, HzGeometry* profileHeader, GrowArray* grades);
// Fills `crossings` with every crossing and vertex, sorted by station.
bool FindFilterCrossings(const AreaFilter& filter, const HzGeometry& alignment,
                         const GrowArray& elements, const VtProfile& profile,
                         const HzGeometry& profileHeader, const GrowArray& grades,
                         GrowArray* crossings, std::int32_t* count);
bool HasCrossingAtStation(double station, const GrowArray& crossings);
void SortCrossingsByStation(GrowArray* crossings, std::int32_t count);
