// Location filter areas taken from entities of the drawing: a picked
// boundary (polyline, circle, arc or line), a picked Buffer Zone centre-line
// with its width, and the boundaries of a selection, one area each.
//
// Each adds to `filter` only what it could build whole: a cancelled pick or
// prompt, or an entity that gives no boundary of any length, adds nothing.
#pragma once

#include <cstdint>
#include <string>

#include "gml/settings/area_filter.h"
#include "host/system/entity_name.h"

// The boundary of `entity` as the element list of a new area of `kind`
// (Polyline or Buffer Zone), from chainage 0. False, with nothing held, when
// the entity gives no elements or only elements of no length.
bool AreaElementsFromEntity(host::EntityName entity, std::int32_t kind, AreaFilterArea* area);

// Kind 10: one picked boundary becomes a Polyline area. True when added.
bool AddPickedBoundaryArea(AreaFilter& filter, const std::string& description);

// Kind 40: a picked centre-line and a width become a Buffer Zone reaching
// the width to either side. True when added.
bool AddBufferZoneArea(AreaFilter& filter, const std::string& description);

// Kind 60: every selected boundary that carries a batch-location name (or,
// unless `onlyNamed`, any selected boundary) becomes a Polyline area named
// after its location. Returns the number of areas added.
std::int32_t AddBatchBoundaryAreas(AreaFilter& filter, bool onlyNamed);
