// Cost of the LarCorvex2 run over a drawing of many pieces.
//
//   bench_join PIECES [CHAINS]
//
// Builds, in memory, CHAINS chains (default PIECES / 100) of lines and arcs
// that turn left and right, every piece drawn in scrambled order and the
// lines in scrambled direction, then selects everything and runs the join,
// timing the run alone. Prints the pieces, the chains, the polylines made
// and the time.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <variant>
#include <vector>

#include "host/db/database.h"
#include "host/editor/command_line.h"
#include "host/system/user_actions.h"
#include "join/join_parameters.h"
#include "join/join_runs.h"
#include "join/join_selection.h"
#include "join/run_steps.h"

namespace {

using host::db::ArcData;
using host::db::LineData;
using host::db::Point3;

using Piece = std::variant<LineData, ArcData>;

// One chain of `count` pieces from (x0, 0): lines of 2 to 10 units and arcs
// of radius 5 to 50 turning by up to 60 degrees either way.
void AddChain(double x0, int count, std::mt19937& rng, std::vector<Piece>& out) {
  std::uniform_real_distribution<double> length(2.0, 10.0), radius(5.0, 50.0), turn(0.1, 1.05);
  double x = x0, y = 0.0, heading = M_PI / 2;
  for (int i = 0; i < count; ++i) {
    if (i % 2 == 0) {
      const double l = length(rng);
      const Point3 a{x, y, 0}, b{x + l * std::cos(heading), y + l * std::sin(heading), 0};
      out.push_back(rng() % 2 ? LineData{a, b} : LineData{b, a});
      x = b.x;
      y = b.y;
      continue;
    }
    const double r = radius(rng), t = turn(rng);
    // Turn towards the chain's own axis so that it stays in its strip.
    const bool left = std::cos(heading) > 0.0 ? x > x0 + 100 : x > x0 - 100;
    if (left) {
      const double cx = x - r * std::sin(heading), cy = y + r * std::cos(heading);
      const double a0 = heading - M_PI / 2, a1 = a0 + t;
      out.push_back(ArcData{{cx, cy, 0}, r, a0, a1});
      x = cx + r * std::cos(a1);
      y = cy + r * std::sin(a1);
      heading += t;
    } else {
      const double cx = x + r * std::sin(heading), cy = y - r * std::cos(heading);
      const double a1 = heading + M_PI / 2, a0 = a1 - t;
      out.push_back(ArcData{{cx, cy, 0}, r, a0, a1});
      x = cx + r * std::cos(a0);
      y = cy + r * std::sin(a0);
      heading -= t;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int pieces = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int chains = argc > 2 ? std::atoi(argv[2]) : std::max(1, pieces / 100);
  if (pieces < chains || chains < 1) {
    std::fprintf(stderr, "usage: bench_join PIECES [CHAINS]\n");
    return 1;
  }
  std::mt19937 rng(12345);
  std::vector<Piece> all;
  all.reserve(static_cast<std::size_t>(pieces));
  for (int k = 0; k < chains; ++k)
    AddChain(1000.0 * k, pieces / chains + (k < pieces % chains ? 1 : 0), rng, all);
  std::shuffle(all.begin(), all.end(), rng);

  host::db::Database db;
  host::db::ScopedWorkingDatabase working(&db);
  for (const Piece& p : all) std::visit([&](const auto& d) { db.Append(d); }, p);

  JoinParameters& p = CorvexParameters();
  SetDefaultCorvexParameters(p);
  p.verifyDirections = 0;
  p.askParameters = 0;
  host::Actions().Push("type", {L"all"});

  // The steps of JoinSelection, timed apart: the user's selection (the
  // host's filter over every entity), then the joining.
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  SetJoinUndoMark();
  const bool selected = SelectJoinObjects();
  const auto joining = Clock::now();
  bool cancelled = false;
  if (selected) JoinAllObjects(cancelled);
  const auto end = Clock::now();
  auto seconds = [](Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
  };

  const std::size_t made = db.EntitiesIn(db.ModelSpace()).size();
  std::printf("pieces %d, chains %d: %zu polylines and pieces left; selection %.3f s, join %.3f s, "
              "together %.3f s\n",
              pieces, chains, made, seconds(start, joining), seconds(joining, end),
              seconds(start, end));
  return selected && made == static_cast<std::size_t>(chains) ? 0 : 2;
}
