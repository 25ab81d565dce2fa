// What the ITN and address point settings dialogs share: the controls of one
// layer (its name, colour index 1 to 255 and on, frozen and locked states)
// and the radio buttons that pick how something is drawn, each of which
// takes the controls' values, sets its choice and refreshes the dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/ui/data_exchange.h"
#include "host/ui/dialog.h"

inline constexpr int kMinColour = 1;
inline constexpr int kMaxColour = 255;

// The control ids of one layer.
struct LayerStateIds {
  int layer;
  int colour;
  int on;
  int frozen;
  int locked;
};

// Exchanges one layer's controls with its members, checking the name as a
// layer name and the colour's range.
void DdxLayerState(host::ui::DataExchange& dx, const LayerStateIds& ids, std::wstring& layer, int& colour,
                   int& on, int& frozen, int& locked);

// A check box's value as the record's one-byte switch.
inline std::uint8_t ByteSwitch(int value) { return value != 0 ? 1 : 0; }

// A click on radio `id` of `dialog` takes the controls' values, sets
// `*choice` to `value` and calls `refresh`.
void OnChoice(host::ui::Dialog& dialog, int id, int* choice, int value, std::function<void()> refresh);
