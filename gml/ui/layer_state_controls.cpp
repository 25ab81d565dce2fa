#include "gml/ui/layer_state_controls.h"

#include <utility>

#include "gml/ui/name_validation.h"

void DdxLayerState(host::ui::DataExchange& dx, const LayerStateIds& ids, std::wstring& layer, int& colour,
                   int& on, int& frozen, int& locked) {
  using namespace host::ui;
  DdxText(dx, ids.layer, layer);
  DdvTableName(dx, ids.layer, layer, NameKind::kLayer);
  DdxText(dx, ids.colour, colour);
  DdvMinMax(dx, colour, kMinColour, kMaxColour);
  DdxCheck(dx, ids.on, on);
  DdxCheck(dx, ids.frozen, frozen);
  DdxCheck(dx, ids.locked, locked);
}

void OnChoice(host::ui::Dialog& dialog, int id, int* choice, int value, std::function<void()> refresh) {
  dialog.On(id, host::ui::Notify::kClick, [&dialog, choice, value, refresh = std::move(refresh)] {
    (void)dialog.UpdateData(true);
    *choice = value;
    refresh();
  });
}
