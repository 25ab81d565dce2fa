#include "gml/settings/road_buffer_grid.h"

#include <cmath>
#include <limits>

namespace {

// A double truncated towards zero, or `outside` when it is no number or does
// not fit in 32 bits.
std::int32_t Truncate(double value, std::int32_t outside) {
  if (!(value > -2147483648.0 && value < 2147483648.0)) return outside;
  return static_cast<std::int32_t>(value);
}

std::int32_t Clamp32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

bool Inside(std::int64_t x, std::int64_t y, std::int64_t minX, std::int64_t minY, std::int64_t maxX,
            std::int64_t maxY) {
  return x > minX && x <= maxX && y > minY && y <= maxY;
}

struct SubCell {
  std::int64_t left, bottom, right, top;
};

SubCell SubCellOf(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row, int i, int j) {
  std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  GridCellBounds(grid, col, row, &x0, &y0, &x1, &y1);
  const std::int64_t s = grid.cellSize / 4;
  return {x0 + i * s, y0 + j * s, x0 + (i + 1) * s, y0 + (j + 1) * s};
}

bool CornerInBox(const SubCell& c, std::int64_t minX, std::int64_t minY, std::int64_t maxX,
                 std::int64_t maxY) {
  return Inside(c.left, c.bottom, minX, minY, maxX, maxY) ||
         Inside(c.left, c.top, minX, minY, maxX, maxY) ||
         Inside(c.right, c.top, minX, minY, maxX, maxY) ||
         Inside(c.right, c.bottom, minX, minY, maxX, maxY);
}

std::uint16_t Bit(int i, int j) { return static_cast<std::uint16_t>(1u << (i * 4 + j)); }

}  // namespace

bool SizeRoadBufferGrid(double minX, double minY, double maxX, double maxY, std::int32_t width,
                        std::int32_t cellSize, RoadBufferGrid* grid) {
  if (cellSize <= 0) return false;
  grid->width = width;
  grid->cellSize = cellSize;
  grid->originX = minX - width;
  grid->originY = minY - width;
  grid->maxX = maxX + width;
  grid->maxY = maxY + width;
  grid->spanX = grid->maxX - grid->originX;
  grid->spanY = grid->maxY - grid->originY;
  const double nx = std::ceil(grid->spanX / cellSize) + 1;
  const double ny = std::ceil(grid->spanY / cellSize) + 1;
  if (!(nx >= 1 && ny >= 1 && nx * ny <= std::numeric_limits<std::int32_t>::max())) return false;
  grid->nx = static_cast<std::int32_t>(nx);
  grid->ny = static_cast<std::int32_t>(ny);
  grid->cellCount = grid->nx * grid->ny;
  return true;
}

void GridCellOf(const RoadBufferGrid& grid, double x, double y, std::int32_t* col,
                std::int32_t* row) {
  if (grid.cellSize <= 0) {
    *col = *row = -1;
    return;
  }
  const double size = grid.cellSize;
  *col = Truncate((x - grid.originX) / size, -1);
  *row = Truncate((y - grid.originY) / size, -1);
}

std::int32_t GridCellIndex(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row) {
  if (col < 0 || row < 0 || col >= grid.nx || row >= grid.ny) return -1;
  std::int64_t index = std::int64_t{col} + std::int64_t{row} * grid.nx;
  return index > std::numeric_limits<std::int32_t>::max() ? -1 : static_cast<std::int32_t>(index);
}

void GridCellBounds(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row,
                    std::int32_t* x0, std::int32_t* y0, std::int32_t* x1, std::int32_t* y1) {
  const double size = grid.cellSize;
  *x0 = Truncate(grid.originX + size * col, 0);
  *y0 = Truncate(grid.originY + size * row, 0);
  *x1 = Clamp32(std::int64_t{*x0} + grid.cellSize);
  *y1 = Clamp32(std::int64_t{*y0} + grid.cellSize);
}

void MarkGridSubCells(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row,
                      std::int32_t minX, std::int32_t minY, std::int32_t maxX, std::int32_t maxY,
                      std::uint16_t* mask) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      if (CornerInBox(SubCellOf(grid, col, row, i, j), minX, minY, maxX, maxY)) *mask |= Bit(i, j);
    }
  }
}

bool PointInGridSubCell(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row,
                        std::int32_t x, std::int32_t y, std::uint16_t mask) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      if ((mask & Bit(i, j)) == 0) continue;
      SubCell c = SubCellOf(grid, col, row, i, j);
      if (Inside(x, y, c.left, c.bottom, c.right, c.top)) return true;
    }
  }
  return false;
}

bool BoxTouchesMarkedSubCells(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row,
                              const GridBox& box, std::uint16_t mask) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      if ((mask & Bit(i, j)) == 0) continue;
      if (CornerInBox(SubCellOf(grid, col, row, i, j), box.minX, box.minY, box.maxX, box.maxY)) {
        return true;
      }
    }
  }
  return false;
}

std::uint16_t GridCellMask(const RoadBufferGrid& grid, std::int32_t index) {
  if (index < 0 || grid.masks.marker != kGrowArrayMarker) return 0;
  void* slot = nullptr;
  if (!GrowArrayGetPtr(&grid.masks, index, &slot)) return 0;
  return *static_cast<const std::uint16_t*>(slot);
}
