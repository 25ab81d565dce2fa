// Layers of the drawings the import writes: making them, setting their
// states, moving an entity to another layer, and the list of ITN layers a
// run used.
//
// Layer names come from the tables, the settings and the features (road
// names, descriptive terms) as narrow text, read as UTF-8 (Utf8ToWide) so
// that a Welsh road name names its layer whole. A name the host refuses (empty,
// longer than 255 characters, or holding one of <>/\":;?*|,=` or a control
// character) is written as HostLayerName gives it: each refused character
// becomes '_', the name is cut to 255 characters, and an empty name is "0".
// Every call here takes names through it, so the same feature always lands
// on the same layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/containers/grow_array.h"
#include "host/db/database.h"

std::wstring HostLayerName(std::string_view name);

// Creates the layer with `colour` (1..255; any other value gives 7) when
// `db` lacks it; an existing layer is left as it is. False when the layer
// could not be made.
bool EnsureLayer(std::int32_t colour, const char* layer, host::db::Database& db);

// Off = not on, frozen and locked as given, for an existing layer; a missing
// layer is passed over.
void SetLayerState(bool on, bool frozen, bool locked, const char* layer, host::db::Database& db);

// The on/frozen/locked states of every row of the feature-code table and of
// the variants of rows that use them, in table order, stopping at a row that
// cannot be read. With `outlineLayers`, a layer whose name begins with
// "AREA" (case kept) passes its state to "p_" + its name as well.
void ApplyLookupLayerStates(const GrowArray& codeTable, host::db::Database& db, bool outlineLayers);

// Puts the entity on `layer` through its entity list; a missing layer is
// made. True when the entity was changed.
bool SetEntityLayer(host::EntityName entity, const char* layer);

// Puts an entity of `db` on `layer`, making the layer (colour 7) when it is
// missing. False when there is no such entity.
bool PutOnLayer(host::db::Database& db, host::db::ObjectId entity, const char* layer);

// One entry of the run's list of ITN layers.
enum class ItnLayerClass : std::int32_t { kRoadNode = 0, kRoadLink = 1, kRoad = 2 };
struct UsedLayerEntry {
  char name[512];
  std::int32_t itnClass;  // ItnLayerClass
};
static_assert(sizeof(UsedLayerEntry) == 516);

// Appends `entry` unless an entry of the same name (case ignored) is
// listed; the first entry of a name keeps its class. False when the list
// could not grow.
bool AddNameIfAbsent(const UsedLayerEntry& entry, GrowArray* list);
