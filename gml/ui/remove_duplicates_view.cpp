#include "gml/ui/remove_duplicates_view.h"

#include "gml/ui/name_validation.h"
#include "host/ui/data_exchange.h"
#include "host/ui/message_box.h"

namespace {
using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;
}  // namespace

host::ui::DialogTemplate RemoveDuplicatesTemplate() {
  host::ui::DialogTemplate t;
  t.id = kRemoveDuplicatesTemplate;
  t.caption = L"Orvane - Remove identical TOIDs";
  t.rect = {0, 0, 230, 120};
  t.controls = {
      {kIdSelectEntities, ControlKind::kButton, L"Select entities <", 0, {7, 7, 80, 14}},
      {0, ControlKind::kStatic, L"Entities selected:", 0, {7, 28, 80, 8}},
      {kIdEntityCount, ControlKind::kStatic, L"", 0, {90, 28, 60, 8}},
      {0, ControlKind::kStatic, L"Identical TOIDs:", 0, {7, 40, 80, 8}},
      {kIdIdenticalCount, ControlKind::kStatic, L"", 0, {90, 40, 60, 8}},
      {0, ControlKind::kGroupBox, L"Removing action", 0, {7, 54, 150, 58}},
      {kIdActionErase, ControlKind::kRadioButton, L"Erase", st::kAuto | st::kGroup, {14, 66, 60, 10}},
      {kIdActionMove, ControlKind::kRadioButton, L"Move to layer", st::kAuto, {14, 78, 60, 10}},
      {kIdTargetLayer, ControlKind::kEdit, L"", st::kGroup, {14, 92, 136, 13}},
      {kIdCount, ControlKind::kButton, L"Count", 0, {173, 7, 50, 14}},
      {host::ui::kIdOk, ControlKind::kButton, L"Remove", st::kDefault, {173, 24, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {173, 41, 50, 14}},
  };
  return t;
}

RemoveDuplicatesView::RemoveDuplicatesView(host::ui::Dialog* parent) : Dialog(RemoveDuplicatesTemplate(), parent) {
  On(kIdActionErase, Notify::kClick, [this] { action = 0; });
  On(kIdActionMove, Notify::kClick, [this] { action = 1; });
  On(kIdSelectEntities, Notify::kClick, [this] { EndDialog(kRemoveSelect); });
  On(kIdCount, Notify::kClick, [this] { EndWithCount(kRemoveCount); });
}

bool RemoveDuplicatesView::OnInitDialog() {
  Dialog::OnInitDialog();
  SetItemText(kIdEntityCount, std::to_wstring(entityCount));
  SetItemText(kIdIdenticalCount, identicalCount < 0 ? L"n/a" : std::to_wstring(identicalCount));
  CheckRadioButton(kIdActionErase, kIdActionMove, action == 1 ? kIdActionMove : kIdActionErase);
  return true;
}

void RemoveDuplicatesView::DoDataExchange(host::ui::DataExchange& dx) {
  host::ui::DdxText(dx, kIdTargetLayer, layer);
  // The layer matters only when entities are moved to it.
  if (action == 1) DdvTableName(dx, kIdTargetLayer, layer, NameKind::kLayer);
}

void RemoveDuplicatesView::EndWithCount(int code) {
  if (!UpdateData(true)) return;
  if (entityCount == 0) {
    (void)host::ui::ShowMessageBox(L"Select entities first.", L"");
    return;
  }
  EndDialog(code);
}

void RemoveDuplicatesView::OnOK() { EndWithCount(kRemoveRun); }

void RemoveDuplicatesView::OnCancel() {
  // The caller keeps the action and the layer for the next opening, whatever
  // the layer holds.
  layer = ItemText(kIdTargetLayer);
  EndDialog(host::ui::kIdCancel);
}
