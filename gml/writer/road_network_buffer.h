// The road-network buffer zone of the location filter, read from an LWH
// co-ordinate file of road centre-lines.
//
// The file holds one vertex a line: "x y z id". Consecutive vertices with
// the same id (upper and lower case alike) are one line of road. Lines that
// do not give four fields, or whose position is no usable number, are
// skipped. Each line of road, its ends taken in whole metres, is cut into
// pieces of about 5 m; each piece's box is widened by the buffer width for
// the first and last piece of the line and by (width + 8) / sqrt 2 + 1 for
// those between, and rasterised into the zone's grid (road_buffer_grid.h).
//
// The reading prints its progress every 5000 vertices (half their count)
// and every 5000 boxes while marking the grid, polling Esc at the same
// moments; Esc stops the work and nothing is added.
#pragma once

#include <cstdint>
#include <string>

#include "gml/settings/area_filter.h"

enum class RoadNetworkOutcome {
  kBuilt,
  kNotOpened,  // the file cannot be opened
  kNoRoads,    // no line of road of any length in the file
  kTooLarge,   // a list could not be made (the grid is too large for memory)
  kStopped,    // Esc
};

// Builds the zone's grid from the file at `path` into `area` (kind, width,
// description "Elem: %li, width: %li, grid: %li" and grid). `cellSize` is a
// multiple of 4, at least 4. On kBuilt the area holds the grid's mask list
// (the box list is released); otherwise it holds no list.
RoadNetworkOutcome BuildRoadNetworkBuffer(const std::wstring& path, std::int32_t width,
                                          std::int32_t cellSize, AreaFilterArea* area);

// Kind 80: asks for the file, the width and the accuracy, and adds the zone
// to `filter`. True when added.
bool AddRoadNetworkArea(AreaFilter& filter);
