// The location filter: the parts of the country an import is restricted to.
//
// The filter holds an ordered list of areas of five kinds. Every area except
// a road-network buffer zone is turned into plain line segments; the segments
// of all areas together form the outline, against which points, rectangles
// and line segments are tested. A point is inside when it is inside any one
// area (even-odd rule on a ray straight down, counted area by area), so the
// filter covers the union of its areas, overlaps included; a crossing of one
// area's edge that lies inside another area is no edge of the filter. A
// road-network buffer zone is tested against its grid instead.
//
// An outline that a caller fills itself (no areas behind it) is one ring
// set: the even-odd rule then runs over all its segments together, so inner
// rings cut holes.
//
// With no lists, or fewer than two outline segments, every point and
// rectangle passes and no line crosses.
//
// Cost: an outline test visits every segment of the outline, so it grows
// with the outline (a window's four segments take nanoseconds, a polygon
// area of 10,000 segments about 20 microseconds a point); a road-network
// grid's point test reads one cell's mask, however long the network.
//
// Ownership: the filter owns its areas and every list they hold (element
// lists, a grid's box and mask lists) and its outline. AddArea takes over the
// lists of the area it is given when it succeeds (the caller keeps them when
// it fails). GetArea and FindRoadBufferArea copy an area out: the copy shares
// the lists and must not free them. A filter built from copies of another
// filter's areas is freed with FreeAreas(0), which leaves those lists alone.
//
// The areas file (one value a line; numbers "%i", "%li", "%lf"):
//   description / kind / by kind:
//   20 Window:       tag, corner 1 x, y, corner 2 x, y
//   10, 30:          tag, element count n, then 13 values per element
//   40 Buffer Zone:  tag, left offset, right offset, n, then the elements
// Road-network buffer zones are not stored (their grid is rebuilt from its
// road file when wanted).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/geometry/alignment.h"
#include "common/containers/grow_array.h"
#include "common/geometry/hz_geometry.h"
#include "gml/settings/road_buffer_grid.h"

// The name of the areas file in the support folder.
inline constexpr wchar_t kAreaFiltersFileName[] = L"lwh_gml_areafilters.ini";

inline constexpr std::int32_t kAreaPolyline = 10;
inline constexpr std::int32_t kAreaWindow = 20;
inline constexpr std::int32_t kAreaPolygon = 30;
inline constexpr std::int32_t kAreaBufferZone = 40;
inline constexpr std::int32_t kAreaRoadBuffer = 80;  // shown as "RNBZ"

inline constexpr double kEmptyExtentMin = 9999999999.99;
inline constexpr double kEmptyExtentMax = -9999999999.99;

// One straight edge of the outline; its direction carries no meaning.
struct OutlineSegment {
  double x1, y1, x2, y2;
};

struct AreaFilterArea {
  std::int32_t selected;   // selected in the import dialog's list; cleared when added
  char description[512];   // "(No description)" is shown when empty
  std::int32_t kind;       // kArea...
  std::int32_t tag;        // 1 for areas acquired from the user; kept in the file
  // Window: the two corners as picked (z is not stored in the file).
  double corner1X, corner1Y, corner1Z;
  double corner2X, corner2Y, corner2Z;
  // Buffer Zone: offsets from the centre-line, positive to the right of travel
  // (left = minus the width, right = plus the width).
  double leftOffset, rightOffset;
  // Polyline, Polygon (the boundary) and Buffer Zone (the centre-line).
  HzGeometry header;
  GrowArray elements;      // of GeometryElement
  // Road-network buffer zone: its grid; the buffer width stands in for the tag.
  RoadBufferGrid grid;
};

// An entry of the areas file that could not be read: the number of its
// first line (from 1) and its lines as they stand in the file.
struct UnreadAreaEntry {
  std::int32_t line = 0;
  std::vector<std::string> lines;
};

class AreaFilter {
 public:
  AreaFilter();
  // Releases nothing but the filter's own strings: the owner calls FreeAreas.
  virtual ~AreaFilter();
  AreaFilter(const AreaFilter&) = delete;
  AreaFilter& operator=(const AreaFilter&) = delete;

  // Creates the area list (room for 50) and the outline (room for 2000);
  // true when both exist.
  bool CreateLists();
  // Releases the outline and the area list; with `gridFlag` set also every
  // list the areas hold.
  void FreeAreas(int gridFlag);

  std::int32_t GetAreaCount() const;  // -1 when the area list does not exist
  bool GetArea(AreaFilterArea* area, std::int32_t index) const;
  // Appends a copy with its selected flag cleared and rebuilds the outline
  // unless the area is a road-network buffer zone.
  bool AddArea(const AreaFilterArea& area);
  bool SetAreaFlag(std::int32_t index, std::int32_t value);
  // Removes (and releases) the selected areas; returns the number left.
  std::int32_t RemoveSelectedAreas();
  // Releases every area and the outline, forgets the path and the entries
  // the file could not give, and starts empty.
  void EraseAllAreas();
  bool HasRoadBufferArea() const;
  bool FindRoadBufferArea(AreaFilterArea* area) const;

  // Appends the area's segments to `segments` (a GrowArray of
  // OutlineSegment). A road-network buffer zone adds nothing.
  bool AreaToOutline(const AreaFilterArea& area, GrowArray* segments) const;
  // The closed outline of a Buffer Zone's two offset lines.
  bool BufferZoneOutline(const AreaFilterArea& area, GrowArray* segments) const;
  // Builds the outline anew from every area in order (stopping at the first
  // that fails), then the extents.
  void RebuildOutline();
  // Extents of the outline and the end of the test ray (min y - 100), which
  // it returns.
  double ComputeExtents();

  // Inside any area's part of the outline (each by the even-odd rule).
  bool PointInOutline(double x, double y) const;
  // True when an outline segment starts inside the rectangle (bounds
  // included) or crosses one of its edges. A rectangle wholly inside the
  // outline gives false: callers test its corners as points as well.
  bool RectTouchesOutline(double minX, double minY, double maxX, double maxY) const;
  // The next crossing of the segment with the outline, resuming after the
  // last one found (one resume position for the whole program) unless
  // `restart` is set. A crossing of one area's edge inside another area is
  // passed over: it is no edge of the filter. False when there is no
  // further crossing.
  bool FindOutlineCrossing(double* x, double* y, double x1, double y1, double x2, double y2,
                           bool restart) const;
  // PointInOutline and, when that holds, PointInRoadBufferGrid.
  bool PointInFilter(double x, double y) const;
  // Against the grids of the road-network buffer zones (true when there are
  // none): the first zone with a non-empty cell under the point decides, at
  // sub-cell grain.
  bool PointInRoadBufferGrid(double x, double y) const;
  // True when a non-empty cell of a zone's grid lies under the rectangle
  // (cell grain); true when there are no zones.
  bool RectInRoadBufferGrid(double minX, double minY, double maxX, double maxY) const;

  // Writes every stored area to the areas file at `path`, through a
  // temporary file, and after them the lines of the entries a load could not
  // read. False when any step failed, the old file then whole, and false
  // without writing when `path` is shorter than 5 characters.
  bool SaveAreas();
  // Reads an areas file (the path is remembered first), appending every
  // area that reads, and rebuilds the outline from every area the filter
  // then holds. An entry that does not read (an unknown kind, a missing or
  // broken value) is passed over up to the next area that does, kept in
  // unreadEntries and named in one warning box; blank lines between areas
  // are passed over unsaid. False when the file cannot be opened or held an
  // entry that does not read.
  bool LoadAreas(const std::wstring& filePath);

  std::int32_t arcChordCount = 64;
  std::int32_t clothoidChordCount = 42;
  double minX = kEmptyExtentMin;
  double minY = kEmptyExtentMin;
  double maxX = kEmptyExtentMax;
  double maxY = kEmptyExtentMax;
  double rayEndY = kEmptyExtentMin;
  std::wstring path;
  GrowArray areas{};    // of AreaFilterArea
  GrowArray outline{};  // of OutlineSegment; grows by 1000
  std::int32_t subCellBits[16];
  // The entries of the areas file that could not be read, in file order.
  std::vector<UnreadAreaEntry> unreadEntries;

 private:
  bool ReadArea(std::int32_t index, AreaFilterArea* area) const;
  // Whether the outline is split by area (see areaEnds_).
  bool SplitByArea() const;
  // Even-odd test against the outline segments [begin, end).
  bool PointInSegments(double x, double y, std::int32_t begin, std::int32_t end) const;
  // Whether the point lies inside an area other than the one whose segments
  // end at areaEnds_[skip].
  bool PointInOtherArea(double x, double y, std::size_t skip) const;

  // Where each area's segments end in the outline, in area order, as the
  // last rebuild left them (areas without segments left out). Valid only
  // while its last entry is the outline's count: an outline filled by a
  // caller is taken whole.
  std::vector<std::int32_t> areaEnds_;
};

// Releases the lists an area holds (its element list, or its grid's box and
// mask lists).
void ReleaseAreaLists(AreaFilterArea* area);
