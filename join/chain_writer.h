// Writing a grown chain as one new polyline and taking its pieces away.
//
// Element path (every piece 2D, arcs kept): a lightweight polyline through
// the elements of the pieces in chain order, each moved by its shift and,
// when reversed, turned round; at the seed's start level, with the last
// piece's start width as constant width.
//
// Vertex path (a 3D chain, or arcs to be broken): every piece's elements are
// cut into chords (arcs into the arc divide factor's number), and each
// piece gives its first point and the end of each chord, moved by its shift,
// at the level of its own profile there. A point whose level the profile
// does not give is left out. The vertices become a 3D polyline, or a
// lightweight polyline at a given level.
//
// The pieces are erased only after the new polyline exists; a chain that
// gives fewer than two vertices, or whose polyline could not be written,
// writes nothing and keeps its pieces. With directions to verify, the user
// sees an arrow along the new polyline and may turn it round: the reversed
// polyline is written, and only then the first one erased.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/geometry/alignment.h"
#include "host/db/values.h"
#include "join/chain_growth.h"
#include "join/join_object.h"

struct ChainOutput {
  std::wstring layer;
  std::int16_t colour = 256;
  bool vertexPath = false;      // else the element path
  bool levelled2d = false;      // vertex path: a lightweight polyline at level2d
  double level2d = 0.0;
  bool closeRing = false;       // vertex path: ends within the tolerances become one
  JoinTolerances tolerances;
  int arcDivideFactor = 32;
  bool verifyDirections = false;
};

enum class ChainWriteResult {
  kWritten,  // the polyline exists and the pieces are erased
  kKept,     // nothing written; the pieces stand
  kFailed,   // a profile could not be read: nothing written, the run ends
};

// The elements of one piece as it lies in the chain: moved by its shift and,
// when reversed, from last to first, each turned round.
void AppendPieceElements(const JoinObject& piece, std::vector<GeometryElement>& out);

// The vertices of the pieces in order, with the ring's ends made one when
// asked. False when a profile could not be read or an alignment cut.
[[nodiscard]] bool ChainVertices(const std::vector<const JoinObject*>& pieces,
                                 const ChainOutput& output,
                                 std::vector<host::db::Point3>& vertices);

// Writes the chain (pieces in chain order, among them the seed) and erases
// its pieces once it exists.
ChainWriteResult WriteChain(const JoinObject& seed, const std::vector<const JoinObject*>& pieces,
                            const ChainOutput& output);

struct JoinParameters;
// The output of the seed's chain as the settings ask: with automatic layers
// the seed's layer and colour, else the fixed layer and its colour; the
// tolerances, the arc divide factor and the direction check. The path flags
// are left to the run.
ChainOutput ChainOutputFor(const JoinObject& seed, const JoinParameters& p);
