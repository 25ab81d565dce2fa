#include "gml/settings/road_buffer_grid.h"

#include <gtest/gtest.h>

#include "gml/settings/area_filter.h"
#include "gml/settings/tests/road_grid_builder.h"

namespace {

// A grid of 3 x 3 cells of 8 m from (100, 200); sub-cells are 2 m.
RoadBufferGrid SmallGrid() {
  RoadBufferGrid grid{};
  grid.width = 2;
  grid.cellSize = 8;
  grid.nx = grid.ny = 3;
  grid.cellCount = 9;
  grid.originX = 100;
  grid.originY = 200;
  grid.maxX = 124;
  grid.maxY = 224;
  grid.spanX = grid.spanY = 24;
  EXPECT_TRUE(GrowArrayCreate(9, sizeof(std::uint16_t), &grid.masks));
  const std::uint16_t empty = 0;
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(GrowArraySet(&grid.masks, i, &empty));
  return grid;
}

void SetMask(RoadBufferGrid* grid, int col, int row, std::uint16_t mask) {
  EXPECT_TRUE(GrowArraySet(&grid->masks, GridCellIndex(*grid, col, row), &mask));
}

AreaFilterArea Zone(const RoadBufferGrid& grid) {
  AreaFilterArea area{};
  area.kind = kAreaRoadBuffer;
  area.grid = grid;
  return area;
}

TEST(RoadBufferGridTest, CellsByTruncation) {
  RoadBufferGrid grid = SmallGrid();
  struct Case {
    double x, y;
    int col, row, index;
  } const cases[] = {
      {100, 200, 0, 0, 0},     {107.9, 200, 0, 0, 0}, {108, 200, 1, 0, 1},
      {95, 195, 0, 0, 0},      // up to one cell below the origin: column and row 0
      {91, 200, -1, 0, -1},    // further out: no cell
      {123, 223, 2, 2, 8},     {124, 200, 3, 0, -1},
      {1e300, 200, -1, 0, -1}, {std::nan(""), 200, -1, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    std::int32_t col = 0, row = 0;
    GridCellOf(grid, c.x, c.y, &col, &row);
    EXPECT_EQ(col, c.col);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(GridCellIndex(grid, col, row), c.index);
  }
  std::int32_t x0, y0, x1, y1;
  GridCellBounds(grid, 2, 1, &x0, &y0, &x1, &y1);
  EXPECT_EQ(x0, 116);
  EXPECT_EQ(y0, 208);
  EXPECT_EQ(x1, 124);
  EXPECT_EQ(y1, 216);
  GrowArrayFree(&grid.masks);
}

TEST(RoadBufferGridTest, SubCellsBitsAndEdges) {
  RoadBufferGrid grid = SmallGrid();
  // Sub-cell (i, j) of cell (0, 0) covers 100 + 2i .. 102 + 2i, 200 + 2j .. 202 + 2j.
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      SCOPED_TRACE(testing::Message() << i << "," << j);
      const std::uint16_t bit = static_cast<std::uint16_t>(1u << (i * 4 + j));
      const int left = 100 + 2 * i, bottom = 200 + 2 * j;
      EXPECT_TRUE(PointInGridSubCell(grid, 0, 0, left + 1, bottom + 1, bit));
      EXPECT_TRUE(PointInGridSubCell(grid, 0, 0, left + 2, bottom + 2, bit));  // right, top
      EXPECT_FALSE(PointInGridSubCell(grid, 0, 0, left, bottom + 1, bit));     // left edge
      EXPECT_FALSE(PointInGridSubCell(grid, 0, 0, left + 1, bottom, bit));     // bottom edge
      EXPECT_FALSE(PointInGridSubCell(grid, 0, 0, left + 1, bottom + 1,
                                      static_cast<std::uint16_t>(~bit)));
      // A box just around the sub-cell's centre covers nothing; one holding
      // its top-right corner covers it and its neighbours there.
      std::uint16_t mask = 0;
      MarkGridSubCells(grid, 0, 0, left + 1, bottom + 1, left + 1, bottom + 1, &mask);
      EXPECT_EQ(mask, 0);
      MarkGridSubCells(grid, 0, 0, left + 1, bottom + 1, left + 2, bottom + 2, &mask);
      EXPECT_NE(mask & bit, 0);
      EXPECT_TRUE(BoxTouchesMarkedSubCells(grid, 0, 0, {left + 1, bottom + 1, left + 2, bottom + 2},
                                           bit));
    }
  }
  // A box whose minimum equals a corner does not cover it; one whose maximum
  // equals it does.
  std::uint16_t mask = 0;
  MarkGridSubCells(grid, 0, 0, 108, 208, 120, 220, &mask);
  EXPECT_EQ(mask, 0);
  MarkGridSubCells(grid, 0, 0, 90, 190, 100, 200, &mask);
  EXPECT_EQ(mask, 1);  // only the bottom-left corner of sub-cell (0, 0)
  GrowArrayFree(&grid.masks);
}

TEST(RoadBufferGridTest, FilterTests) {
  AreaFilter filter;
  ASSERT_TRUE(filter.CreateLists());
  AreaFilterArea window{};
  window.kind = kAreaWindow;
  window.corner2X = window.corner2Y = 1000;
  ASSERT_TRUE(filter.AddArea(window));
  // Only windows: the grid tests pass everything.
  EXPECT_TRUE(filter.PointInRoadBufferGrid(-5, -5));
  EXPECT_TRUE(filter.RectInRoadBufferGrid(-5, -5, -1, -1));

  RoadBufferGrid first = SmallGrid();
  SetMask(&first, 1, 1, 1);  // sub-cell (0, 0) of cell (1, 1): 108..110, 208..210
  ASSERT_TRUE(filter.AddArea(Zone(first)));
  EXPECT_TRUE(filter.PointInFilter(109, 209));
  EXPECT_FALSE(filter.PointInFilter(111, 209));  // same cell, bare sub-cell
  EXPECT_FALSE(filter.PointInFilter(101, 201));  // empty cell
  EXPECT_FALSE(filter.PointInFilter(50, 50));
  EXPECT_TRUE(filter.PointInFilter(109.9, 209.9));  // truncated to 109, 209
  // Rectangles at cell grain.
  EXPECT_TRUE(filter.RectInRoadBufferGrid(113, 213, 115, 215));
  EXPECT_FALSE(filter.RectInRoadBufferGrid(100, 200, 107, 207));
  EXPECT_TRUE(filter.RectInRoadBufferGrid(-1e12, -1e12, 1e12, 1e12));
  EXPECT_FALSE(filter.RectInRoadBufferGrid(500, 500, 600, 600));

  // A second zone is asked only where the first has an empty cell.
  RoadBufferGrid second = SmallGrid();
  SetMask(&second, 1, 1, 0xFFFF);
  SetMask(&second, 0, 0, 0xFFFF);
  ASSERT_TRUE(filter.AddArea(Zone(second)));
  EXPECT_FALSE(filter.PointInFilter(111, 209));  // decided by the first zone
  EXPECT_TRUE(filter.PointInFilter(101, 201));
  EXPECT_EQ(filter.outline.count, 4);
  filter.FreeAreas(1);
}

TEST(RoadBufferGridTest, BuiltFromARoad) {
  // An east-west road of 1 km with a 10 m buffer on 8 m cells.
  RoadBufferGrid grid;
  ASSERT_TRUE(BuildRoadBufferGrid({{1000, 5000, 2000, 5000}}, 10, 10, &grid));
  EXPECT_EQ(grid.cellSize, 8);
  EXPECT_EQ(grid.boxes.marker, 0);
  AreaFilter filter;
  ASSERT_TRUE(filter.CreateLists());
  ASSERT_TRUE(filter.AddArea(Zone(grid)));
  EXPECT_TRUE(filter.PointInFilter(1500, 5000));
  EXPECT_TRUE(filter.PointInFilter(1500, 5008));
  EXPECT_FALSE(filter.PointInFilter(1500, 5030));
  EXPECT_FALSE(filter.PointInFilter(900, 5000));
  EXPECT_TRUE(filter.RectInRoadBufferGrid(1400, 4000, 1600, 6000));
  EXPECT_FALSE(filter.RectInRoadBufferGrid(1400, 5100, 1600, 6000));
  filter.FreeAreas(1);
}

}  // namespace
