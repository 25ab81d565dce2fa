// Records of the import's three lookup tables.
//
// All records are plain data stored by value in GrowArrays; text fields are
// narrow, terminated and cut to their width minus one. Lists nested in a
// record belong to the table that holds the record (see
// OS_GML_ACAD_Definitions, which frees them).
//
// Feature-code table (.ovc): one CodeLookupEntry per row, in file order.
// Codes need not be unique; lookups take the first row of a code. A row's
// variants are alternative layers, tried in order by the drawing writer; a
// variant applies when all of its conditions hold and never when it has none.
//
// Symbol table (.ovs): one SymbolLookupEntry per OS code: the block inserted
// for points and symbols of that code.
//
// Symbology sets (.ovl): blocks planted inside areas whose attributes meet
// all of a set's conditions (a set without conditions never applies).
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"

// One test on a feature attribute: the attribute named by `item` (theme,
// descriptiveGroup, descriptiveTerm, make, physicalPresence) equals `value`
// (match 1) or differs from it (match 0); both compared without case.
struct AttributeCondition {
  char item[1024];    // at most 105 characters when read from a file
  char value[1024];   // at most 512 characters when read from a file
  std::uint8_t match;  // 1 equal, 0 differ
};
// A symbology set's conditions are the same record.
using SymbologyCondition = AttributeCondition;

struct ConditionVariant {
  char layer[513];
  std::int32_t colour;  // colour index
  std::uint8_t on;
  std::uint8_t frozen;
  std::uint8_t locked;
  GrowArray conditions;  // of AttributeCondition, created for every variant
};

struct CodeLookupEntry {
  char code[128];       // at most 117 characters when read from a file
  char layer[513];
  std::int32_t colour;  // colour index
  std::uint8_t on;
  std::uint8_t frozen;
  std::uint8_t locked;
  std::uint8_t useConditions;  // the row's "use extra conditions" flag
  GrowArray variants;  // of ConditionVariant; not valid until the first variant
};

struct SymbolLookupEntry {
  char code[128];   // at most 115 characters when read from a file
  char block[513];  // at most 497 characters when read from a file
};
static_assert(sizeof(SymbolLookupEntry) == 641);

struct SymbologySymbol {
  char block[513];
  char layer[513];
  std::int32_t colour;
  std::int32_t accuracyLevel;     // 0..4: lo, med, hi, vhi, ehi of the edge-buffering points
  std::int32_t persistenceLevel;  // 0..4: lo .. ehi of the placement wait time
  double density;                 // symbols per hectare
  double edgeBuffer;              // distance kept from the area's edge
  double symbolBuffer;            // distance kept between symbols
  std::uint8_t on;
  std::uint8_t frozen;
  std::uint8_t locked;
};

struct SymbologySet {
  GrowArray symbols;     // of SymbologySymbol
  GrowArray conditions;  // of AttributeCondition
};
