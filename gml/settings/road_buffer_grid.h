// The road-network buffer grid: the kind data of a road-network buffer zone.
//
// A road network is rasterised once into square cells of `cellSize` metres
// (a multiple of 4). Each cell is split into 4 x 4 sub-cells, and one 16-bit
// mask per cell says which sub-cells lie within the buffer width of a road.
// Sub-cell (i, j) -- i the column, j the row inside the cell, 0 to 3 each --
// is bit i * 4 + j.
//
// Cell (col, row) covers, in whole metres, x0 = trunc(originX + cellSize *
// col) to x0 + cellSize, and likewise in y; its sub-cells are s = cellSize / 4
// wide. A point lies in a sub-cell when it is greater than its left and
// bottom edges and at most its right and top edges. A sub-cell is covered by
// a box when one of its corners, taken (left, bottom), (left, top), (right,
// top), (right, bottom), is greater than the box's minimum and at most its
// maximum on both axes.
//
// The grid is built by the import run that acquires the zone: it computes a
// box per piece of road, finds the cells of the box's corners with
// GridCellOf, visits the cells between them (skipping those whose
// GridCellIndex is -1) and ORs the box into each cell's mask with
// MarkGridSubCells.
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"

struct GridBox {
  std::int32_t minX, minY, maxX, maxY;
};

struct RoadBufferGrid {
  std::int32_t width;      // buffer width in whole metres
  std::int32_t cellSize;   // edge of a cell in metres, a multiple of 4
  std::int32_t nx;         // columns: ceil(spanX / cellSize) + 1
  std::int32_t ny;         // rows: ceil(spanY / cellSize) + 1
  std::int32_t cellCount;  // nx * ny
  double originX, originY; // lower-left corner of cell (0, 0)
  double maxX, maxY;
  double spanX, spanY;     // maxX - originX, maxY - originY
  GrowArray boxes;         // of GridBox: working list of the construction
  GrowArray masks;         // of std::uint16_t, one per cell, index col + row * nx
};

// Sets the grid's width, cell size, origin, extent and size (nx, ny, cell
// count) for vertices within minX..maxX, minY..maxY and a buffer `width`
// around them. False, with the size not set, when the cells would not fit
// one mask list or the extent is empty.
bool SizeRoadBufferGrid(double minX, double minY, double maxX, double maxY, std::int32_t width,
                        std::int32_t cellSize, RoadBufferGrid* grid);
// The cell holding (x, y): both coordinates less the origin, divided by the
// cell size, truncated towards zero (so up to one cell left of or below the
// origin still falls in column or row 0). A position that is no number or
// lies beyond the 32-bit range gives -1.
void GridCellOf(const RoadBufferGrid& grid, double x, double y, std::int32_t* col,
                std::int32_t* row);
// col + row * nx; -1 outside the grid.
std::int32_t GridCellIndex(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row);
// The cell's whole-number corners.
void GridCellBounds(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row,
                    std::int32_t* x0, std::int32_t* y0, std::int32_t* x1, std::int32_t* y1);
// ORs into `mask` the bit of every sub-cell of the cell that the box covers.
void MarkGridSubCells(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row,
                      std::int32_t minX, std::int32_t minY, std::int32_t maxX, std::int32_t maxY,
                      std::uint16_t* mask);
// True when (x, y) lies in a sub-cell of the cell whose bit is set in `mask`.
bool PointInGridSubCell(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row,
                        std::int32_t x, std::int32_t y, std::uint16_t mask);
// True when a sub-cell whose bit is set in `mask` has a corner in the box.
bool BoxTouchesMarkedSubCells(const RoadBufferGrid& grid, std::int32_t col, std::int32_t row,
                              const GridBox& box, std::uint16_t mask);
// The mask of the cell at `index` (0 when the mask list has no slot for it;
// slots the construction never wrote read as 0).
std::uint16_t GridCellMask(const RoadBufferGrid& grid, std::int32_t index);
