// What a piece of a file, read on a worker thread, would have put in the
// state its pass keeps for the whole file: TOIDs noted in the pass's trees,
// road nodes kept aside, coordinates written to the spill file, the message
// shown when memory ran out. The piece's pass logs them here in order, and
// they are replayed into the file's pass when the piece is joined.
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"

// The pass's TOID trees.
enum class ToidTree : std::int32_t { kLines, kLinks, kNodes, kOutsideNodes };

struct ToidEntry {
  char toid[kToidWidth];
  ToidTree tree;
  // kLines, kLinks: the coordinate position (a spill position counts from
  // the piece's first spill record); kNodes, kOutsideNodes: the index in the
  // piece's road nodes or nodes kept aside.
  std::int64_t value;
};

struct PieceLog {
  GrowArray toids{};         // ToidEntry
  GrowArray spill{};         // spill records, kSpillRecordBytes each
  GrowArray outsideNodes{};  // RoadNodeRecord
  bool outOfMemory = false;  // "Out of memory" is to be shown

  // Creates the lists; false when memory ran out.
  bool Create();
  void Free();
  // Empties the lists for the next piece, keeping their memory.
  void Clear();
  // Logs a TOID for one of the pass's trees; false when the log could not grow.
  bool NoteToid(ToidTree tree, const char* toid, std::int64_t value);
};
