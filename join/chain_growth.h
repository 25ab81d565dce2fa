// Growing a chain from a seed: the objects whose ends meet the chain's free
// end, taken one after another forwards from the seed's end and backwards
// from its start.
//
// At each step the candidate taken is the first in list order that is not
// used and meets the free point P within the tolerances: plan distance at
// most the Hz tolerance and level difference at most the Vt tolerance (both
// inclusive). A candidate's start is tested first and its end only when the
// start does not meet; the layer rule is asked only for the end that met,
// and a refused candidate is passed over. Forwards, a candidate met at its
// end runs reversed; backwards, one met at its start. P is the taken
// object's far end as drawn, before its own shift, so shifts never add up.
//
// The candidates' end points are kept in a grid of cells no smaller than
// the Hz tolerance, so that a step looks only at the objects near P: a run
// over n objects costs about n steps however the objects are ordered.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "join/join_object.h"

class EndPointIndex {
 public:
  explicit EndPointIndex(double hzTolerance);
  // Both ends of objects[i]; every Add comes before the first Near.
  void Add(std::int32_t i, const JoinObject& object);

  struct Hit {
    std::int32_t object;
    bool atEnd;
  };
  // Every end listed within one cell of (x, y), in no particular order.
  void Near(double x, double y, std::vector<Hit>& out) const;

 private:
  struct Cell {
    std::int64_t y, x;  // rows first: the three cells of a row lie together
    friend auto operator<=>(const Cell&, const Cell&) = default;
  };
  struct Entry {
    Cell cell;
    Hit hit;
  };
  Cell CellOf(double x, double y) const;
  void Sort() const;

  double cellSize_;
  // Sorted by cell on the first lookup after an Add.
  mutable std::vector<Entry> entries_;
  mutable bool sorted_ = true;
};

enum class LayerVerdict { kAccept, kRefuse, kStop };
using LayerRule = std::function<LayerVerdict(const JoinObject& candidate)>;

struct ChainGrowth {
  std::vector<std::int32_t> backward;  // candidate indices in the order found
  std::vector<std::int32_t> forward;
  bool is3d = false;
  bool stopped = false;  // the layer rule stopped the run
};

struct JoinTolerances {
  double hz = 0.0;
  double vt = 0.0;
};

// Levels read from profiles and distances between computed points carry
// rounding noise far below any survey's precision; a gap or a level
// difference exactly at its tolerance must still pass.
inline constexpr double kToleranceSlack = 1e-9;

// True when (x, y, level) lies within the tolerances of (px, py, plevel).
bool WithinTolerances(double px, double py, double plevel, double x, double y, double level,
                      JoinTolerances t);

// Grows the chain of `seed` among `candidates` (whose ends are in `index`),
// marking the pieces taken used and setting their shift and direction.
ChainGrowth GrowChain(const JoinObject& seed, std::vector<JoinObject>& candidates,
                      const EndPointIndex& index, JoinTolerances tolerances,
                      const LayerRule& layerRule);

// The pieces of a grown chain in drawing order: the backward pieces from the
// last found, the seed, then the forward pieces.
std::vector<const JoinObject*> ChainOrder(const JoinObject& seed,
                                          const std::vector<JoinObject>& candidates,
                                          const ChainGrowth& growth);
