// Symbols planted in areas: the blocks of the first symbology set whose
// conditions an area meets, scattered at random inside it.
//
// Each symbol of the set plants density x area (hectares) blocks, truncated.
// Candidates are drawn uniformly from the area's bounding box on a grid of
// 10001 positions a side (the host's 15-bit random source) and kept only
// when they lie inside the area (holes excluded), keep the symbol buffer
// from every symbol planted before in the area and, with an edge buffer,
// have every point of a circle of that radius (the accuracy level's number
// of points) inside the area. A symbol gives up once its persistence level's
// seconds have passed without a new place. Buffers and blocks are scaled by
// the run's block scale.
#pragma once

#include <ctime>
#include <functional>

#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"
#include "gml/settings/lookup_tables.h"
#include "host/db/database.h"

class OS_GML_ACAD_Definitions;

// The first set, in stored order, with at least one condition and all of
// them held by the area's theme, make, descriptiveTerm or descriptiveGroup
// (names and values compared without case; another item name fails).
bool FindSymbologySet(const AreaFeatureRecord& area, const GrowArray& sets, SymbologySet* set);

// 0 to 10000 from the host's 15-bit random source.
double RandomFraction10000();

struct PlacedSymbol {
  double x;
  double y;
  double buffer;
};
// True when (x, y) lies closer than buffer + its buffer to a placed symbol.
bool IsTooCloseToPlaced(double x, double y, double buffer, const GrowArray& placed);

// The seconds clock planting measures persistence with (the host's wall
// clock unless a test sets another); an empty function restores it.
void SetPlantingClock(std::function<std::time_t()> clock);

// Plants the symbols of the area's set; returns how many blocks were placed.
int PlaceSymbolsInArea(const AreaFeatureRecord& area, const GrowArray& sets, double scale,
                       const OS_GML_ACAD_Definitions& settings, host::db::Database& db);
