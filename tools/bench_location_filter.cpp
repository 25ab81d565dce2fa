// Cost of the location filter's tests, as the GML reader pays them for every
// feature it reads.
//
//   bench_location_filter [-n TESTS]
//
// Outline: one polygon area of 10,000 segments (a wavy ring about 10 km
// across). Road network: 1,000 km of road in 50 m pieces wandering over a
// 20 km square, with a 20 m buffer on 100 m cells. Each test is run TESTS
// times (default 200,000) at places spread over the filter's extent by a
// fixed pseudo-random sequence; the output gives nanoseconds per test.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gml/settings/area_filter.h"
#include "gml/settings/tests/road_grid_builder.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A fixed sequence of numbers in [0, 1).
class Sequence {
 public:
  double Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }

 private:
  std::uint64_t state_ = 12345;
};

GeometryElement Straight(double chainage, double x1, double y1, double x2, double y2) {
  GeometryElement e{};
  e.startChainage = chainage;
  e.length = std::hypot(x2 - x1, y2 - y1);
  e.startX = x1;
  e.startY = y1;
  e.endX = x2;
  e.endY = y2;
  double h = std::atan2(y2 - y1, x2 - x1);
  e.headingStart = e.headingEnd = h < 0 ? h + 2 * kPi : h;
  return e;
}

// A polygon of `points` picked points on a wavy ring around (cx, cy): it
// gives `points` outline segments, the last one closing it.
bool AddRing(AreaFilter* filter, double cx, double cy, int points) {
  AreaFilterArea area{};
  area.kind = kAreaPolygon;
  area.tag = 1;
  if (!GrowArrayCreate(points, sizeof(GeometryElement), &area.elements)) return false;
  double chainage = 0.0, px = 0.0, py = 0.0;
  for (int i = 0; i < points; ++i) {
    const double a = 2 * kPi * i / points;
    const double r = 5000.0 + 400.0 * std::sin(37 * a) + 150.0 * std::sin(211 * a);
    const double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
    if (i > 0) {
      GeometryElement e = Straight(chainage, px, py, x, y);
      chainage += e.length;
      if (!GrowArraySet(&area.elements, area.elements.count, &e)) return false;
    }
    px = x;
    py = y;
  }
  area.header.elementCount = area.elements.count;
  area.header.roadLength = chainage;
  return filter->AddArea(area);
}

// 1,000 km of road as 50 m pieces of wandering roads inside a square.
std::vector<RoadPiece> RoadNetwork(double x0, double y0, double side, Sequence* random) {
  std::vector<RoadPiece> pieces;
  const double piece = 50.0;
  const int total = static_cast<int>(1000000.0 / piece);
  while (static_cast<int>(pieces.size()) < total) {
    double x = x0 + side * random->Next(), y = y0 + side * random->Next();
    double heading = 2 * kPi * random->Next();
    for (int k = 0; k < 400 && static_cast<int>(pieces.size()) < total; ++k) {
      heading += 0.3 * (random->Next() - 0.5);
      double nx = x + piece * std::cos(heading), ny = y + piece * std::sin(heading);
      if (nx < x0 || ny < y0 || nx > x0 + side || ny > y0 + side) break;
      pieces.push_back({x, y, nx, ny});
      x = nx;
      y = ny;
    }
  }
  return pieces;
}

template <typename Test>
double NanosecondsPer(int tests, Test test, long long* hits) {
  const auto start = std::chrono::steady_clock::now();
  long long count = 0;
  for (int i = 0; i < tests; ++i) count += test(i) ? 1 : 0;
  const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
  *hits = count;
  return took.count() / tests;
}

template <typename Test>
void Report(const char* what, int tests, Test test) {
  long long hits = 0;
  const double ns = NanosecondsPer(tests, test, &hits);
  std::printf("%-58s %10.1f ns  (%lld of %d pass)\n", what, ns, hits, tests);
}

}  // namespace

int main(int argc, char** argv) {
  int tests = 200000;
  if (argc == 3 && std::strcmp(argv[1], "-n") == 0) tests = std::atoi(argv[2]);
  if (tests < 1) {
    std::fprintf(stderr, "usage: bench_location_filter [-n TESTS]\n");
    return 2;
  }
  const double cx = 450000.0, cy = 120000.0;
  Sequence random;
  std::vector<double> xs(tests), ys(tests), as(tests);
  for (int i = 0; i < tests; ++i) {
    xs[i] = cx - 6000.0 + 12000.0 * random.Next();
    ys[i] = cy - 6000.0 + 12000.0 * random.Next();
    as[i] = 2 * kPi * random.Next();
  }

  // --- outline ---------------------------------------------------------------
  AreaFilter outline;
  if (!outline.CreateLists() || !AddRing(&outline, cx, cy, 10000)) {
    std::fprintf(stderr, "cannot build the outline\n");
    return 1;
  }
  std::printf("outline: %d segments\n", outline.outline.count);
  Report("point test (PointInFilter)", tests,
         [&](int i) { return outline.PointInFilter(xs[i], ys[i]); });
  Report("line test: every crossing of a 20 m segment", tests,
         [&](int i) {
               const double x2 = xs[i] + 20 * std::cos(as[i]), y2 = ys[i] + 20 * std::sin(as[i]);
               double x = 0, y = 0;
               int found = 0;
               for (bool restart = true;
                    outline.FindOutlineCrossing(&x, &y, xs[i], ys[i], x2, y2, restart);
                    restart = false) {
                 ++found;
               }
               return found > 0;
             });
  Report("rectangle test, 100 m (RectTouchesOutline)", tests,
         [&](int i) { return outline.RectTouchesOutline(xs[i], ys[i], xs[i] + 100, ys[i] + 100); });
  outline.FreeAreas(1);

  // --- road-network grid ---------------------------------------------------------
  Sequence roads;
  std::vector<RoadPiece> pieces = RoadNetwork(cx - 10000.0, cy - 10000.0, 20000.0, &roads);
  AreaFilterArea zone{};
  zone.kind = kAreaRoadBuffer;
  const auto buildStart = std::chrono::steady_clock::now();
  if (!BuildRoadBufferGrid(pieces, 20, 100, &zone.grid)) {
    std::fprintf(stderr, "cannot build the grid\n");
    return 1;
  }
  const std::chrono::duration<double, std::milli> built = std::chrono::steady_clock::now() - buildStart;
  AreaFilter network;
  if (!network.CreateLists() || !network.AddArea(zone)) {
    std::fprintf(stderr, "cannot add the grid\n");
    return 1;
  }
  std::printf("road grid: %zu pieces of 50 m, %d x %d cells of %d m, built in %.1f ms\n",
              pieces.size(), zone.grid.nx, zone.grid.ny, zone.grid.cellSize, built.count());
  for (int i = 0; i < tests; ++i) {
    xs[i] = cx - 10000.0 + 20000.0 * (xs[i] - (cx - 6000.0)) / 12000.0;
    ys[i] = cy - 10000.0 + 20000.0 * (ys[i] - (cy - 6000.0)) / 12000.0;
  }
  Report("point test (PointInFilter)", tests,
         [&](int i) { return network.PointInFilter(xs[i], ys[i]); });
  Report("line test: both ends of a 20 m segment (PointInFilter)", tests,
         [&](int i) {
               return network.PointInFilter(xs[i], ys[i]) ||
                      network.PointInFilter(xs[i] + 20 * std::cos(as[i]), ys[i] + 20 * std::sin(as[i]));
             });
  Report("rectangle test, 100 m (RectInRoadBufferGrid)", tests,
         [&](int i) { return network.RectInRoadBufferGrid(xs[i], ys[i], xs[i] + 100, ys[i] + 100); });
  Report("rectangle test, 1 km file extent (RectInRoadBufferGrid)", tests / 10,
         [&](int i) { return network.RectInRoadBufferGrid(xs[i], ys[i], xs[i] + 1000, ys[i] + 1000); });
  network.FreeAreas(1);
  return 0;
}
