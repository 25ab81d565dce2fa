// Builds a road-network buffer grid from straight pieces of road, the way the
// import run does when the user adds such a zone: one box per piece (its
// bounding box widened by the buffer width), ORed into the masks of every
// cell between the cells of the box's corners. For tests and benchmarks.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "gml/settings/road_buffer_grid.h"

struct RoadPiece {
  double x1, y1, x2, y2;
};

// False when a list cannot be made. The caller frees the grid's masks (the
// box list is freed here, as the import run does once the masks are set).
inline bool BuildRoadBufferGrid(const std::vector<RoadPiece>& pieces, int width, int accuracy,
                                RoadBufferGrid* grid) {
  *grid = RoadBufferGrid{};
  if (pieces.empty()) return false;
  double minX = pieces[0].x1, minY = pieces[0].y1, maxX = minX, maxY = minY;
  for (const RoadPiece& p : pieces) {
    minX = std::min({minX, p.x1, p.x2});
    minY = std::min({minY, p.y1, p.y2});
    maxX = std::max({maxX, p.x1, p.x2});
    maxY = std::max({maxY, p.y1, p.y2});
  }
  if (!SizeRoadBufferGrid(minX, minY, maxX, maxY, width, std::max(4, accuracy / 4 * 4), grid))
    return false;
  if (!GrowArrayCreate(static_cast<std::int32_t>(pieces.size()), sizeof(GridBox), &grid->boxes)) {
    return false;
  }
  if (!GrowArrayCreate(grid->cellCount, sizeof(std::uint16_t), &grid->masks)) {
    GrowArrayFree(&grid->boxes);
    return false;
  }
  const std::uint16_t empty = 0;
  bool ok = true;
  for (std::int32_t i = 0; i < grid->cellCount && ok; ++i) {
    ok = GrowArraySet(&grid->masks, i, &empty);
  }
  for (const RoadPiece& p : pieces) {
    GridBox box{static_cast<std::int32_t>(std::min(p.x1, p.x2) - width),
                static_cast<std::int32_t>(std::min(p.y1, p.y2) - width),
                static_cast<std::int32_t>(std::max(p.x1, p.x2) + width),
                static_cast<std::int32_t>(std::max(p.y1, p.y2) + width)};
    ok = ok && GrowArraySet(&grid->boxes, grid->boxes.count, &box);
  }
  for (std::int32_t b = 0; b < grid->boxes.count && ok; ++b) {
    GridBox box;
    ok = GrowArrayGet(&grid->boxes, b, &box);
    std::int32_t c0 = 0, r0 = 0, c1 = 0, r1 = 0;
    GridCellOf(*grid, box.minX, box.minY, &c0, &r0);
    GridCellOf(*grid, box.maxX, box.maxY, &c1, &r1);
    for (std::int32_t row = r0; row <= r1 && ok; ++row) {
      for (std::int32_t col = c0; col <= c1 && ok; ++col) {
        std::int32_t index = GridCellIndex(*grid, col, row);
        if (index < 0) continue;
        std::uint16_t mask = 0;
        ok = GrowArrayGet(&grid->masks, index, &mask);
        MarkGridSubCells(*grid, col, row, box.minX, box.minY, box.maxX, box.maxY, &mask);
        ok = ok && GrowArraySet(&grid->masks, index, &mask);
      }
    }
  }
  GrowArrayFree(&grid->boxes);
  if (!ok) GrowArrayFree(&grid->masks);
  return ok;
}
