// Which imported entities are second copies of a feature that the drawing
// holds already.
//
// One import draws several entities for one feature: an area's rings and
// its hatch, a point's symbol and its label, every piece of an ITN road,
// the symbols planted in an area. They share the feature's kind and TOID
// and are parts of it, not repeats. A repeat is an entity whose kind, TOID,
// entity type and geometry an entity of the selection made before it has:
// what a second import of the same files, or a feature read again from an
// overlapping file, draws over the first.
//
// Symbols planted in an area are placed at random, so two imports of one
// area plant them in different places. They follow the area they were
// planted in, the newest area entity (outline or hatch) of their TOID made
// before them: they are repeats exactly when that entity is one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gml/writer/os_xdata_record.h"
#include "host/system/entity_name.h"

struct FeaturePiece {
  host::EntityName entity;
  char kind = 0;           // first character of item 0B, 0 when empty
  std::string toid;        // item 01, as UTF-8
  std::uint64_t shape[2];  // fingerprint of the entity's type and geometry
  long version = 0;        // item 0A; 0 when empty
};

// The piece `entity` is, from its decoded OS xdata `record`.
FeaturePiece ReadFeaturePiece(const ShowOSGmlXdata& record, host::EntityName entity);

// For each piece, in the order given: true when it is a copy of another
// piece that stays (the highest version, else the copy made first, whatever
// the order of `pieces`).
std::vector<bool> MarkRepeats(const std::vector<FeaturePiece>& pieces);
