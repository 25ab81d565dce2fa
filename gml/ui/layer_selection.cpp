#include "gml/ui/layer_selection.h"

#include "host/ui/data_exchange.h"

namespace {
using host::ui::ControlKind;
namespace st = host::ui::style;
}  // namespace

host::ui::DialogTemplate LayerSelectionTemplate() {
  host::ui::DialogTemplate t;
  t.id = kLayerSelectionTemplate;
  t.caption = L"Layers to import";
  t.rect = {0, 0, 190, 150};
  t.controls = {
      {0, ControlKind::kGroupBox, L"Topography", 0, {7, 5, 120, 80}},
      {203, ControlKind::kCheckBox, L"Cartographical Symbols", st::kAuto, {14, 16, 105, 10}},
      {204, ControlKind::kCheckBox, L"Cartographical Text", st::kAuto, {14, 28, 105, 10}},
      {201, ControlKind::kCheckBox, L"Topographical Lines", st::kAuto, {14, 40, 105, 10}},
      {202, ControlKind::kCheckBox, L"Topographical Points", st::kAuto, {14, 52, 105, 10}},
      {213, ControlKind::kCheckBox, L"Polygons", st::kAuto, {14, 64, 105, 10}},
      {205, ControlKind::kCheckBox, L"Address Points", st::kAuto, {14, 90, 105, 10}},
      {0, ControlKind::kGroupBox, L"ITN", 0, {7, 102, 120, 44}},
      {206, ControlKind::kCheckBox, L"ITN Roads", st::kAuto, {14, 112, 105, 10}},
      {207, ControlKind::kCheckBox, L"ITN Road Links", st::kAuto, {14, 122, 105, 10}},
      {208, ControlKind::kCheckBox, L"ITN Road Nodes", st::kAuto, {14, 132, 105, 10}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {133, 7, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {133, 24, 50, 14}},
  };
  return t;
}

CLayerSelection::CLayerSelection(host::ui::Dialog* parent) : Dialog(LayerSelectionTemplate(), parent) {}

void CLayerSelection::DoDataExchange(host::ui::DataExchange& dx) {
  for (int i = 0; i < kLayerSwitchCount; ++i) host::ui::DdxCheck(dx, kLayerSwitchIds[i], switches[i]);
}
