// "Layers to import": the nine feature-class switches of the import, in the
// order the import dialog hands them over and takes them back.
#pragma once

#include <array>

#include "host/ui/dialog.h"

inline constexpr int kLayerSelectionTemplate = 240;

enum LayerSwitch {
  kSwitchSymbols,
  kSwitchTexts,
  kSwitchLines,
  kSwitchPoints,
  kSwitchAddressPoints,
  kSwitchPolygons,
  kSwitchRoads,
  kSwitchRoadLinks,
  kSwitchRoadNodes,
  kLayerSwitchCount
};

// The check box of each switch, in switch order.
inline constexpr std::array<int, kLayerSwitchCount> kLayerSwitchIds{203, 204, 201, 202, 205,
                                                                     213, 206, 207, 208};

host::ui::DialogTemplate LayerSelectionTemplate();

class CLayerSelection : public host::ui::Dialog {
 public:
  explicit CLayerSelection(host::ui::Dialog* parent = nullptr);
  void DoDataExchange(host::ui::DataExchange& dx) override;

  std::array<int, kLayerSwitchCount> switches{1, 1, 1, 1, 1, 1, 1, 1, 1};
};
