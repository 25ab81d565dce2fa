// The layer chooser: a DCL list of the drawing's layers with their state
// and colour, in which the user picks a layer, recolours one, or creates a
// new one. The chosen layer is left usable: thawed, on, unlocked and not
// frozen in new viewports.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/containers/grow_array.h"

inline constexpr int kLayerTextChars = 1024;  // 1023 and the terminator

// One row of the list.
struct LayerRow {
  wchar_t name[kLayerTextChars];
  wchar_t linetype[kLayerTextChars];
  std::int32_t flags;   // 1 frozen, 4 locked
  std::int32_t colour;  // negative when the layer is off
};

// True when a layer was chosen or created: its name (cut to nameChars - 1)
// and its colour index (1 to 255). False when cancelled or when the dialog
// could not be shown; the outputs are then untouched.
bool SelectLayerDialog(wchar_t* name, std::size_t nameChars, std::int16_t* colour, const wchar_t* initialName);

// The list mode read from warn_layer_chars.ini, kept while the add-in is
// loaded (0 until a file gives one).
std::int32_t& LayerListMode();

// The rows of the working drawing's layers, sorted by name (case ignored).
bool CollectLayerRows(GrowArray* rows);
void SortLayerRows(GrowArray* rows);
// The list row text: on/off, frozen, locked, colour and name.
bool FormatLayerRow(const LayerRow& row, wchar_t* text, std::size_t chars);
// Replaces each character that a layer name cannot hold with 'x'.
void ReplaceInvalidLayerChars(wchar_t* name);
bool IsValidLayerName(const wchar_t* name);
