#include "gml/ui/itn_settings_dialog.h"

#include "gml/ui/name_validation.h"
#include "host/ui/data_exchange.h"

namespace {

using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;
constexpr unsigned kAutoCheck = st::kAuto;

}  // namespace

host::ui::DialogTemplate ItnSettingsTemplate() {
  host::ui::DialogTemplate t;
  t.id = kItnSettingsTemplate;
  t.caption = L"ITN Input and Layer Settings";
  t.rect = {0, 0, 300, 250};
  t.controls = {
      {0, ControlKind::kGroupBox, L"Roads", 0, {7, 5, 286, 58}},
      {kIdRoadByName, ControlKind::kRadioButton, L"Layer by Road Name", st::kAuto | st::kGroup, {14, 16, 90, 10}},
      {kIdRoadFixed, ControlKind::kRadioButton, L"Fixed Layer name", st::kAuto, {14, 28, 90, 10}},
      {kIdRoadLayer, ControlKind::kEdit, L"", st::kGroup, {110, 27, 120, 12}},
      {0, ControlKind::kStatic, L"Layer colour", 0, {14, 45, 50, 8}},
      {kIdRoadColour, ControlKind::kEdit, L"", 0, {66, 43, 30, 12}},
      {kIdRoadOn, ControlKind::kCheckBox, L"On", kAutoCheck, {110, 45, 30, 10}},
      {kIdRoadFrozen, ControlKind::kCheckBox, L"Frozen", kAutoCheck, {145, 45, 40, 10}},
      {kIdRoadLocked, ControlKind::kCheckBox, L"Locked", kAutoCheck, {190, 45, 40, 10}},
      {0, ControlKind::kGroupBox, L"Road Links", 0, {7, 67, 286, 72}},
      {kIdLinkByValue, ControlKind::kRadioButton, L"Layer by a value", st::kAuto | st::kGroup, {14, 78, 90, 10}},
      {kIdLinkFixed, ControlKind::kRadioButton, L"Fixed Layer name", st::kAuto, {14, 104, 90, 10}},
      {kIdLinkValue, ControlKind::kComboBox, L"", st::kGroup, {110, 77, 120, 60}},
      {kIdLinkLayer, ControlKind::kEdit, L"", 0, {110, 103, 120, 12}},
      {0, ControlKind::kStatic, L"Layer colour", 0, {14, 122, 50, 8}},
      {kIdLinkColour, ControlKind::kEdit, L"", 0, {66, 120, 30, 12}},
      {kIdLinkOn, ControlKind::kCheckBox, L"On", kAutoCheck, {110, 122, 30, 10}},
      {kIdLinkFrozen, ControlKind::kCheckBox, L"Frozen", kAutoCheck, {145, 122, 40, 10}},
      {kIdLinkLocked, ControlKind::kCheckBox, L"Locked", kAutoCheck, {190, 122, 40, 10}},
      {0, ControlKind::kGroupBox, L"Road Nodes", 0, {7, 143, 286, 72}},
      {kIdNodePoint, ControlKind::kRadioButton, L"AutoCAD Point", st::kAuto | st::kGroup, {14, 154, 90, 10}},
      {kIdNodeBlock, ControlKind::kRadioButton, L"Symbol block", st::kAuto, {14, 166, 90, 10}},
      {kIdNodeBlockName, ControlKind::kEdit, L"", st::kGroup, {110, 165, 120, 12}},
      {0, ControlKind::kStatic, L"Layer name", 0, {14, 182, 50, 8}},
      {kIdNodeLayer, ControlKind::kEdit, L"", 0, {66, 180, 164, 12}},
      {0, ControlKind::kStatic, L"Layer colour", 0, {14, 198, 50, 8}},
      {kIdNodeColour, ControlKind::kEdit, L"", 0, {66, 196, 30, 12}},
      {kIdNodeOn, ControlKind::kCheckBox, L"On", kAutoCheck, {110, 198, 30, 10}},
      {kIdNodeFrozen, ControlKind::kCheckBox, L"Frozen", kAutoCheck, {145, 198, 40, 10}},
      {kIdNodeLocked, ControlKind::kCheckBox, L"Locked", kAutoCheck, {190, 198, 40, 10}},
      {kIdUsePrefix, ControlKind::kCheckBox, L"Add prefix to ITN layers", kAutoCheck, {14, 222, 100, 10}},
      {kIdPrefix, ControlKind::kEdit, L"", 0, {120, 220, 60, 12}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {186, 230, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {243, 230, 50, 14}},
  };
  return t;
}

CITNSettingsDialog::CITNSettingsDialog(host::ui::Dialog* parent) : Dialog(ItnSettingsTemplate(), parent) {
  // Every click first takes what the controls hold, so that the refresh
  // works from the user's values.
  const auto refresh = [this] { Refresh(); };
  OnChoice(*this, kIdRoadByName, &roadLayerWay, 0, refresh);
  OnChoice(*this, kIdRoadFixed, &roadLayerWay, 1, refresh);
  OnChoice(*this, kIdLinkByValue, &linkLayerWay, 0, refresh);
  OnChoice(*this, kIdLinkFixed, &linkLayerWay, 1, refresh);
  OnChoice(*this, kIdNodePoint, &nodeMarkingWay, 0, refresh);
  OnChoice(*this, kIdNodeBlock, &nodeMarkingWay, 1, refresh);
  On(kIdUsePrefix, Notify::kClick, [this] {
    (void)UpdateData(true);
    Refresh();
  });
  On(kIdLinkValue, Notify::kSelChange, [this] {
    (void)UpdateData(true);
    Refresh();
  });
}

void CITNSettingsDialog::FromRecord(const OS_GML_ACAD_Definitions& r) {
  roadLayerWay = r.roadLayerWay;
  roadLayer = r.roadFixedLayer;
  roadColour = r.roadFixedLayerColour;
  roadOn = r.roadLayerOn;
  roadFrozen = r.roadLayerFrozen;
  roadLocked = r.roadLayerLocked;
  linkLayerWay = r.roadLinkLayerWay;
  linkLayerValue = r.roadLinkLayerValue;
  linkLayer = r.roadLinkFixedLayer;
  linkColour = r.roadLinkFixedLayerColour;
  linkOn = r.roadLinkLayerOn;
  linkFrozen = r.roadLinkLayerFrozen;
  linkLocked = r.roadLinkLayerLocked;
  nodeMarkingWay = r.roadNodeMarkingWay;
  nodeBlock = r.roadNodeBlock;
  nodeLayer = r.roadNodeLayer;
  nodeColour = r.roadNodeLayerColour;
  nodeOn = r.roadNodeLayerOn;
  nodeFrozen = r.roadNodeLayerFrozen;
  nodeLocked = r.roadNodeLayerLocked;
  usePrefix = r.useItnLayerPrefix;
  prefix = r.itnLayerPrefix;
}

void CITNSettingsDialog::ToRecord(OS_GML_ACAD_Definitions& r) const {
  const auto flag = ByteSwitch;
  r.roadLayerWay = roadLayerWay;
  r.roadFixedLayer = roadLayer;
  r.roadFixedLayerColour = roadColour;
  r.roadLayerOn = flag(roadOn);
  r.roadLayerFrozen = flag(roadFrozen);
  r.roadLayerLocked = flag(roadLocked);
  r.roadLinkLayerWay = linkLayerWay;
  r.roadLinkLayerValue = linkLayerValue;
  r.roadLinkFixedLayer = linkLayer;
  r.roadLinkFixedLayerColour = linkColour;
  r.roadLinkLayerOn = flag(linkOn);
  r.roadLinkLayerFrozen = flag(linkFrozen);
  r.roadLinkLayerLocked = flag(linkLocked);
  r.roadNodeMarkingWay = nodeMarkingWay;
  r.roadNodeBlock = nodeBlock;
  r.roadNodeLayer = nodeLayer;
  r.roadNodeLayerColour = nodeColour;
  r.roadNodeLayerOn = flag(nodeOn);
  r.roadNodeLayerFrozen = flag(nodeFrozen);
  r.roadNodeLayerLocked = flag(nodeLocked);
  r.useItnLayerPrefix = flag(usePrefix);
  r.itnLayerPrefix = prefix;
}

bool CITNSettingsDialog::OnInitDialog() {
  // The controls are made afresh at each opening, so the list is filled at
  // each.
  host::ui::Control& list = Item(kIdLinkValue);
  list.ResetContent();
  for (const wchar_t* text : {L"Descriptive Term", L"Nature of Road", L"Term and Nature of Road"}) list.AddString(text);
  Dialog::OnInitDialog();
  Refresh();
  return true;
}

void CITNSettingsDialog::Refresh() {
  CheckRadioButton(kIdRoadByName, kIdRoadFixed, roadLayerWay == 0 ? kIdRoadByName : kIdRoadFixed);
  EnableItem(kIdRoadLayer, roadLayerWay != 0);
  CheckRadioButton(kIdLinkByValue, kIdLinkFixed, linkLayerWay == 0 ? kIdLinkByValue : kIdLinkFixed);
  EnableItem(kIdLinkLayer, linkLayerWay != 0);
  EnableItem(kIdLinkValue, linkLayerWay == 0);
  Item(kIdLinkValue).SetCurSel(linkLayerValue);
  CheckRadioButton(kIdNodePoint, kIdNodeBlock, nodeMarkingWay == 0 ? kIdNodePoint : kIdNodeBlock);
  EnableItem(kIdNodeBlockName, nodeMarkingWay != 0);
  EnableItem(kIdPrefix, IsDlgButtonChecked(kIdUsePrefix) == host::ui::kChecked);
}

void CITNSettingsDialog::DoDataExchange(host::ui::DataExchange& dx) {
  using namespace host::ui;
  DdxLayerState(dx, {kIdRoadLayer, kIdRoadColour, kIdRoadOn, kIdRoadFrozen, kIdRoadLocked}, roadLayer, roadColour,
                roadOn, roadFrozen, roadLocked);
  DdxListIndex(dx, kIdLinkValue, linkLayerValue);
  DdxLayerState(dx, {kIdLinkLayer, kIdLinkColour, kIdLinkOn, kIdLinkFrozen, kIdLinkLocked}, linkLayer, linkColour,
                linkOn, linkFrozen, linkLocked);
  DdxText(dx, kIdNodeBlockName, nodeBlock);
  DdvTableName(dx, kIdNodeBlockName, nodeBlock, NameKind::kBlock);
  DdxLayerState(dx, {kIdNodeLayer, kIdNodeColour, kIdNodeOn, kIdNodeFrozen, kIdNodeLocked}, nodeLayer, nodeColour,
                nodeOn, nodeFrozen, nodeLocked);
  DdxCheck(dx, kIdUsePrefix, usePrefix);
  DdxText(dx, kIdPrefix, prefix);
  // The prefix starts every ITN layer name, so it may hold only what a layer
  // name may; it may be empty.
  if (!prefix.empty()) DdvTableName(dx, kIdPrefix, prefix, NameKind::kLayer);
}
