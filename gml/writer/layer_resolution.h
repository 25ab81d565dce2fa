// Layers and blocks of topographic features from the lookup tables of the
// settings: the feature-code row of a code, refined by the first of its
// alternative layers whose conditions the feature meets, and the block of a
// code in the symbol table.
//
// Codes, item names and values compare with ASCII letters folded. Tables are
// walked in stored order and the first match wins. Conditions name an
// attribute ("theme", "descriptiveGroup", "descriptiveTerm", "make", and for
// lines "physicalPresence"); an item the feature does not have never equals,
// so its condition holds only as "is not". A variant without conditions
// never applies.
//
// Areas carry several themes, groups and terms: an "is" condition holds when
// any of the area's values equals it, an "is not" condition when none does.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "gml/reader/feature_records.h"
#include "gml/settings/settings_record.h"

// Looks `code` up in the feature-code table. Before the search `layer` is
// set to the code and `colour` to 7; on a hit they take the row's values,
// `hasConditions` says whether the row uses its variants (flag set and list
// present) and `entryIndex` is the row. On a miss `hasConditions` and
// `entryIndex` are left as they were.
bool FindCodeEntry(const OS_GML_ACAD_Definitions& settings, const char* code, std::string* layer,
                   std::int32_t* colour, bool* hasConditions, int* entryIndex);

// Refine `layer` and `colour` by the variants of row `entryIndex`. False only
// when the row or a variant cannot be read; `layer` and `colour` are then as
// they were. When no variant applies they keep their values.
bool FindCodeEntryForLine(const OS_GML_ACAD_Definitions& settings, std::string* layer,
                          std::int32_t* colour, int entryIndex, const LineFeatureRecord& line);
bool FindCodeEntryForPoint(const OS_GML_ACAD_Definitions& settings, std::string* layer,
                           std::int32_t* colour, int entryIndex, const PointFeatureRecord& point);
bool FindCodeEntryForText(const OS_GML_ACAD_Definitions& settings, std::string* layer,
                          std::int32_t* colour, int entryIndex, const TextFeatureRecord& text);
bool FindCodeEntryForArea(const OS_GML_ACAD_Definitions& settings, std::string* layer,
                          std::int32_t* colour, int entryIndex, const AreaFeatureRecord& area);

// The block of the first symbol-table row of `code`; `block` is emptied
// first. True when found.
bool FindSymbolForCode(const OS_GML_ACAD_Definitions& settings, const char* code, std::string* block);

// The layer of a topographic feature (area, line, point, symbol or text) as
// the settings choose it: with "[Use Code Look Up Table:]" on, the code's row
// refined by its variants; a code missing from the table follows "[If fcode
// layer not found then:]" (0 the code is the layer, 1 the feature is not
// drawn, 2 layer "CodeNotFound"); with the table off, the code with colour 7.
// Texts go to the forced text layer (colour 7) when that switch is on.
struct LayerChoice {
  bool draw = true;          // false: leave the feature out
  bool codeMissing = false;  // the table was used and lacks the code
  std::string layer;
  std::int32_t colour = 7;
};
using TopoFeatureRef = std::variant<const AreaFeatureRecord*, const LineFeatureRecord*,
                                    const PointFeatureRecord*, const TextFeatureRecord*>;
LayerChoice ChooseTopoLayer(const OS_GML_ACAD_Definitions& settings, TopoFeatureRef feature);
inline constexpr const char* kCodeNotFoundLayer = "CodeNotFound";
