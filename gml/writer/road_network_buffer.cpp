// The road-network buffer zone: reading the co-ordinate file, cutting the
// roads into boxed pieces and marking the grid's sub-cells.
#include "gml/writer/road_network_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/containers/text.h"
#include "common/containers/line_reader.h"
#include "host/editor/command_line.h"
#include "host/editor/prompts.h"
#include "host/editor/system_variables.h"
#include "host/system/events.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

namespace {

constexpr std::size_t kLineChars = 1023;
constexpr std::int32_t kBoxCapacity = 200000;
constexpr std::int32_t kBoxStep = 25000;
constexpr long kProgressStep = 5000;
// The box of all vertices before the first one.
constexpr double kNoVertexMin = 99999999.9;
// Positions beyond this many metres from the grid's origin are no positions
// of a road (and would overflow the whole-metre boxes).
constexpr double kFarthest = 1e7;
// Pieces a line of road is cut into are about this long.
constexpr double kPieceLength = 5.0;

struct Vertex {
  std::int32_t x, y;
  std::wstring id;
};

// Reads "x y z id" from one line; false when the line does not give four
// fields or its position is unusable.
bool ParseVertex(const std::string& line, double* x, double* y, std::wstring* id) {
  double z = 0;
  char name[kLineChars + 1];
  if (std::sscanf(line.c_str(), "%lf %lf %lf %1023s", x, y, &z, name) != 4) return false;
  if (!(std::fabs(*x) < kFarthest && std::fabs(*y) < kFarthest)) return false;
  *id = NarrowToWide(std::string_view(name));
  return true;
}

// Cuts the line of road from `a` to `b` into pieces and appends each
// piece's widened box. False when the list cannot grow.
bool AppendPieces(const Vertex& a, const Vertex& b, std::int32_t width, GrowArray* boxes) {
  const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
  const long n = static_cast<long>(std::hypot(dx, dy) / kPieceLength);
  const std::int32_t inner = static_cast<std::int32_t>((width + 8) / 1.4142135) + 1;
  for (long k = 0; k < n; ++k) {
    const double x1 = a.x + dx * k / n, y1 = a.y + dy * k / n;
    const double x2 = a.x + dx * (k + 1) / n, y2 = a.y + dy * (k + 1) / n;
    const std::int32_t grow = (k == 0 || k == n - 1) ? width : inner;
    const GridBox box{static_cast<std::int32_t>(std::min(x1, x2)) - grow,
                      static_cast<std::int32_t>(std::min(y1, y2)) - grow,
                      static_cast<std::int32_t>(std::max(x1, x2)) + grow,
                      static_cast<std::int32_t>(std::max(y1, y2)) + grow};
    if (!GrowArraySetGrowBy(boxes, boxes->count, &box, kBoxStep)) return false;
  }
  return true;
}

// ORs every box into the masks of the cells between its corners' cells.
// False when Esc stopped it.
bool MarkBoxes(RoadBufferGrid* grid) {
  const auto* boxes = static_cast<const GridBox*>(grid->boxes.data);
  auto* masks = static_cast<std::uint16_t*>(grid->masks.data);
  for (std::int32_t b = 0; b < grid->boxes.count; ++b) {
    if ((b + 1) % kProgressStep == 0) {
      if (host::UserBreak()) return false;
      host::Printf(L"\rAnalyzing -> %li          ", static_cast<long>(b + 1));
    }
    const GridBox& box = boxes[b];
    std::int32_t c0 = 0, r0 = 0, c1 = 0, r1 = 0;
    GridCellOf(*grid, box.minX, box.minY, &c0, &r0);
    GridCellOf(*grid, box.maxX, box.maxY, &c1, &r1);
    for (std::int32_t row = std::max(r0, 0); row <= r1; ++row) {
      for (std::int32_t col = std::max(c0, 0); col <= c1; ++col) {
        const std::int32_t index = GridCellIndex(*grid, col, row);
        if (index < 0) continue;
        MarkGridSubCells(*grid, col, row, box.minX, box.minY, box.maxX, box.maxY, &masks[index]);
      }
    }
  }
  return true;
}

}  // namespace

RoadNetworkOutcome BuildRoadNetworkBuffer(const std::wstring& path, std::int32_t width,
                                          std::int32_t cellSize, AreaFilterArea* area) {
  area->kind = kAreaRoadBuffer;
  area->tag = width;
  area->grid = RoadBufferGrid{};
  RoadBufferGrid& grid = area->grid;
  LineReader reader(path, kLineChars);
  if (!reader.Ok()) return RoadNetworkOutcome::kNotOpened;
  if (!GrowArrayCreate(kBoxCapacity, sizeof(GridBox), &grid.boxes)) return RoadNetworkOutcome::kTooLarge;

  double minX = kNoVertexMin, minY = kNoVertexMin, maxX = -kNoVertexMin, maxY = -kNoVertexMin;
  long vertices = 0;
  bool havePrevious = false, insideLongLine = false, stopped = false, grown = true;
  Vertex previous{};
  std::string line;
  bool cut = false;
  while (grown && reader.Next(&line, &cut)) {
    // The rest of a line longer than a line may be is no line of its own.
    const bool rest = insideLongLine;
    insideLongLine = cut;
    double x = 0, y = 0;
    Vertex v{};
    if (rest || !ParseVertex(line, &x, &y, &v.id)) continue;
    if (++vertices % kProgressStep == 0) {
      if (host::UserBreak()) {
        stopped = true;
        break;
      }
      host::Printf(L"\rReading Road Network -> %li          ", vertices / 2);
    }
    minX = std::min(minX, x), minY = std::min(minY, y);
    maxX = std::max(maxX, x), maxY = std::max(maxY, y);
    v.x = static_cast<std::int32_t>(x);
    v.y = static_cast<std::int32_t>(y);
    if (havePrevious && host::SameNameIgnoringCase(v.id, previous.id))
      grown = AppendPieces(previous, v, width, &grid.boxes);
    previous = std::move(v);
    havePrevious = true;
  }
  if (!stopped) host::Printf(L"\rReading Road Network -> %li          ", vertices / 2);

  RoadNetworkOutcome outcome = RoadNetworkOutcome::kBuilt;
  if (stopped) {
    outcome = RoadNetworkOutcome::kStopped;
  } else if (!grown) {
    outcome = RoadNetworkOutcome::kTooLarge;
  } else if (grid.boxes.count == 0) {
    outcome = RoadNetworkOutcome::kNoRoads;
  } else if (!SizeRoadBufferGrid(minX, minY, maxX, maxY, width, cellSize, &grid) ||
             !GrowArrayCreateExact(grid.cellCount, sizeof(std::uint16_t), &grid.masks)) {
    outcome = RoadNetworkOutcome::kTooLarge;
  } else {
    // A new list holds zeros: every cell starts with no sub-cell covered.
    grid.masks.count = grid.cellCount;
    std::snprintf(area->description, sizeof area->description, "Elem: %li, width: %li, grid: %li",
                  static_cast<long>(grid.boxes.count), static_cast<long>(width),
                  static_cast<long>(cellSize));
    if (!MarkBoxes(&grid)) {
      outcome = RoadNetworkOutcome::kStopped;
      GrowArrayFree(&grid.masks);
    } else {
      host::Print(L"\nRoad Network Buffer read in.");
    }
  }
  host::Print(L"\n");
  GrowArrayFree(&grid.boxes);
  return outcome;
}

bool AddRoadNetworkArea(AreaFilter& filter) {
  host::ui::FileDialogRequest request;
  request.title = L"LWH Co-ordinate file for Road Network lines";
  request.filters = host::ui::ParseFilterText(L"LWH Co-ordinate files (*.txt)|*.txt||");
  request.must_exist = true;
  if (host::SysVarResult prefix = host::GetSystemVariable(L"DWGPREFIX"); prefix.ok())
    request.initial_folder = prefix.Text();
  const host::Result<host::ui::FileDialogPaths> chosen = host::ui::ShowFileDialog(request);
  if (!chosen.ok() || chosen.value.empty()) return false;

  const host::Input<int> width = host::GetInteger(L"\nBufferzone width (m): ");
  if (!width.ok()) return false;
  const host::Input<int> accuracy = host::GetInteger(L"\nAccuracy (Around 100 would be good): ");
  if (!accuracy.ok()) return false;
  if (width.value < 0) {
    host::Print(L"\nThe bufferzone width cannot be negative: no area added.\n");
    return false;
  }
  const std::int32_t cellSize = accuracy.value - accuracy.value % 4;
  if (cellSize < 4) {
    host::Print(L"\nThe accuracy must be 4 or more: no area added.\n");
    return false;
  }
  if (cellSize != accuracy.value) {
    wchar_t text[64];
    std::swprintf(text, 64, L"Accuracy changed to %li", static_cast<long>(cellSize));
    (void)host::ui::ShowMessageBox(text, L"");
  }

  AreaFilterArea area{};
  switch (BuildRoadNetworkBuffer(chosen.value.front(), width.value, cellSize, &area)) {
    case RoadNetworkOutcome::kBuilt:
      break;
    case RoadNetworkOutcome::kNotOpened:
      host::Print(L"\nThe road network file cannot be read: no area added.\n");
      return false;
    case RoadNetworkOutcome::kNoRoads:
      host::Print(L"\nNo road lines in the road network file: no area added.\n");
      return false;
    case RoadNetworkOutcome::kTooLarge:
      host::Print(L"\nThe road network buffer is too large to build: no area added.\n");
      return false;
    case RoadNetworkOutcome::kStopped:
      return false;
  }
  if (filter.AddArea(area)) return true;
  ReleaseAreaLists(&area);
  return false;
}
