#include "join/chain_growth.h"

#include <algorithm>
#include <cmath>

#include "common/geometry/plane_geometry.h"

namespace {

// Cells are never smaller than this, so that a tolerance of 0 (ends that
// must coincide exactly) still gives a usable grid.
constexpr double kSmallestCell = 1e-3;
// Cell numbers are held within this range; points beyond it share the edge
// cells, which only makes their lookups slower.
constexpr double kLargestCellNumber = 4.0e15;

struct Outcome {
  std::int32_t object;
  bool start = false;  // the start meets P
  bool end = false;    // the end meets P
};

struct FreePoint {
  double x, y, level;
};

bool Meets(const FreePoint& p, double x, double y, double level, JoinTolerances t) {
  return WithinTolerances(p.x, p.y, p.level, x, y, level, t);
}

// The candidates that meet P, in list order.
std::vector<Outcome> Meeting(const FreePoint& p, const std::vector<JoinObject>& candidates,
                             const EndPointIndex& index, JoinTolerances t,
                             std::vector<EndPointIndex::Hit>& hits) {
  hits.clear();
  index.Near(p.x, p.y, hits);
  std::vector<Outcome> outcomes;
  for (const EndPointIndex::Hit& h : hits) {
    const JoinObject& c = candidates[static_cast<std::size_t>(h.object)];
    if (c.used) continue;
    const bool meets = h.atEnd ? Meets(p, c.endX, c.endY, c.endLevel, t)
                               : Meets(p, c.startX, c.startY, c.startLevel, t);
    if (!meets) continue;
    Outcome o{h.object};
    (h.atEnd ? o.end : o.start) = true;
    outcomes.push_back(o);
  }
  std::sort(outcomes.begin(), outcomes.end(),
            [](const Outcome& a, const Outcome& b) { return a.object < b.object; });
  // One outcome per object, with both of its ends.
  std::vector<Outcome> merged;
  for (const Outcome& o : outcomes) {
    if (!merged.empty() && merged.back().object == o.object) {
      merged.back().start |= o.start;
      merged.back().end |= o.end;
    } else {
      merged.push_back(o);
    }
  }
  return merged;
}

// One pass from the seed's end (forward) or start (backward).
void Pass(const JoinObject& seed, bool forward, std::vector<JoinObject>& candidates,
          const EndPointIndex& index, JoinTolerances t, const LayerRule& layerRule,
          ChainGrowth& growth) {
  std::vector<std::int32_t>& found = forward ? growth.forward : growth.backward;
  std::vector<EndPointIndex::Hit> hits;
  const JoinObject* current = &seed;
  while (!growth.stopped) {
    // Forwards the free point is the current piece's end, backwards its
    // start; a reversed piece swaps them.
    const bool atEnd = forward != current->reversed;
    const FreePoint p = atEnd ? FreePoint{current->endX, current->endY, current->endLevel}
                              : FreePoint{current->startX, current->startY, current->startLevel};
    const JoinObject* taken = nullptr;
    for (const Outcome& o : Meeting(p, candidates, index, t, hits)) {
      JoinObject& c = candidates[static_cast<std::size_t>(o.object)];
      const LayerVerdict verdict = layerRule ? layerRule(c) : LayerVerdict::kAccept;
      if (verdict == LayerVerdict::kStop) {
        growth.stopped = true;
        return;
      }
      if (verdict == LayerVerdict::kRefuse) continue;
      const bool byStart = o.start;
      c.reversed = forward ? !byStart : byStart;
      c.shiftX = p.x - (byStart ? c.startX : c.endX);
      c.shiftY = p.y - (byStart ? c.startY : c.endY);
      c.shiftZ = p.level - (byStart ? c.startLevel : c.endLevel);
      c.used = true;
      if (c.is3d) growth.is3d = true;
      found.push_back(o.object);
      taken = &c;
      break;
    }
    if (taken == nullptr) return;
    current = taken;
  }
}

}  // namespace

bool WithinTolerances(double px, double py, double plevel, double x, double y, double level,
                      JoinTolerances t) {
  return Distance2d(px, py, x, y) <= t.hz + kToleranceSlack &&
         std::fabs(plevel - level) <= t.vt + kToleranceSlack;
}

EndPointIndex::EndPointIndex(double hzTolerance)
    : cellSize_(std::isfinite(hzTolerance) && hzTolerance > kSmallestCell ? hzTolerance
                                                                          : kSmallestCell) {}

EndPointIndex::Cell EndPointIndex::CellOf(double x, double y) const {
  auto number = [this](double v) {
    double n = std::floor(v / cellSize_);
    if (std::isnan(n)) n = 0.0;
    return static_cast<std::int64_t>(std::clamp(n, -kLargestCellNumber, kLargestCellNumber));
  };
  return {number(y), number(x)};
}

void EndPointIndex::Add(std::int32_t i, const JoinObject& object) {
  entries_.push_back({CellOf(object.startX, object.startY), {i, false}});
  entries_.push_back({CellOf(object.endX, object.endY), {i, true}});
  sorted_ = false;
}

void EndPointIndex::Sort() const {
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return a.cell < b.cell; });
  sorted_ = true;
}

void EndPointIndex::Near(double x, double y, std::vector<Hit>& out) const {
  if (!sorted_) Sort();
  const Cell centre = CellOf(x, y);
  auto before = [](const Entry& e, const Cell& c) { return e.cell < c; };
  for (std::int64_t dy = -1; dy <= 1; ++dy) {
    const Cell first{centre.y + dy, centre.x - 1};
    const Cell last{centre.y + dy, centre.x + 1};
    for (auto it = std::lower_bound(entries_.begin(), entries_.end(), first, before);
         it != entries_.end() && !(last < it->cell); ++it)
      out.push_back(it->hit);
  }
}

ChainGrowth GrowChain(const JoinObject& seed, std::vector<JoinObject>& candidates,
                      const EndPointIndex& index, JoinTolerances tolerances,
                      const LayerRule& layerRule) {
  ChainGrowth growth;
  growth.is3d = seed.is3d;
  Pass(seed, true, candidates, index, tolerances, layerRule, growth);
  if (!growth.stopped) Pass(seed, false, candidates, index, tolerances, layerRule, growth);
  return growth;
}

std::vector<const JoinObject*> ChainOrder(const JoinObject& seed,
                                          const std::vector<JoinObject>& candidates,
                                          const ChainGrowth& growth) {
  std::vector<const JoinObject*> order;
  order.reserve(growth.backward.size() + growth.forward.size() + 1);
  for (auto it = growth.backward.rbegin(); it != growth.backward.rend(); ++it)
    order.push_back(&candidates[static_cast<std::size_t>(*it)]);
  order.push_back(&seed);
  for (std::int32_t i : growth.forward) order.push_back(&candidates[static_cast<std::size_t>(i)]);
  return order;
}
