#include "gml/ui/address_settings_dialog.h"

#include "gml/ui/layer_state_controls.h"
#include "gml/ui/name_validation.h"
#include "host/ui/data_exchange.h"

namespace {
using host::ui::ControlKind;
namespace st = host::ui::style;
}  // namespace

host::ui::DialogTemplate AddressSettingsTemplate() {
  host::ui::DialogTemplate t;
  t.id = kAddressSettingsTemplate;
  t.caption = L"Address Point Data settings";
  t.rect = {0, 0, 260, 160};
  t.controls = {
      {kIdAddressPoint, ControlKind::kRadioButton, L"AutoCAD Point", st::kAuto | st::kGroup, {14, 10, 80, 10}},
      {kIdAddressBlock, ControlKind::kRadioButton, L"Symbol Block", st::kAuto, {14, 24, 80, 10}},
      {kIdAddressBlockName, ControlKind::kEdit, L"", st::kGroup, {100, 23, 120, 12}},
      {0, ControlKind::kStatic, L"Layer name", 0, {14, 42, 50, 8}},
      {kIdAddressLayer, ControlKind::kEdit, L"", 0, {66, 40, 154, 12}},
      {0, ControlKind::kStatic, L"Layer colour", 0, {14, 58, 50, 8}},
      {kIdAddressColour, ControlKind::kEdit, L"", 0, {66, 56, 30, 12}},
      {kIdAddressOn, ControlKind::kCheckBox, L"On", st::kAuto, {100, 58, 30, 10}},
      {kIdAddressFrozen, ControlKind::kCheckBox, L"Frozen", st::kAuto, {135, 58, 40, 10}},
      {kIdAddressLocked, ControlKind::kCheckBox, L"Locked", st::kAuto, {180, 58, 40, 10}},
      {0, ControlKind::kGroupBox, L"What to read in", 0, {7, 76, 246, 56}},
      {kIdReadPostal, ControlKind::kCheckBox, L"Postal address", st::kAuto, {14, 88, 100, 10}},
      {kIdReadBs7666, ControlKind::kCheckBox, L"BS7666", st::kAuto, {14, 100, 100, 10}},
      {kIdReadAuthority, ControlKind::kCheckBox, L"Address authority", st::kAuto, {120, 88, 100, 10}},
      {kIdReadStatus, ControlKind::kCheckBox, L"Address status", st::kAuto, {120, 100, 100, 10}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {146, 139, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {203, 139, 50, 14}},
  };
  return t;
}

CAddressPointSettings::CAddressPointSettings(host::ui::Dialog* parent) : Dialog(AddressSettingsTemplate(), parent) {
  const auto refresh = [this] { Refresh(); };
  OnChoice(*this, kIdAddressPoint, &markingWay, 0, refresh);
  OnChoice(*this, kIdAddressBlock, &markingWay, 1, refresh);
}

void CAddressPointSettings::FromRecord(const OS_GML_ACAD_Definitions& r) {
  markingWay = r.addressMarkingWay;
  block = r.addressBlock;
  layer = r.addressLayer;
  colour = r.addressLayerColour;
  on = r.addressLayerOn;
  frozen = r.addressLayerFrozen;
  locked = r.addressLayerLocked;
  readPostal = r.readPostalAddress;
  readBs7666 = r.readBs7666;
  readAuthority = r.readAddressAuthority;
  readStatus = r.readAddressStatus;
}

void CAddressPointSettings::ToRecord(OS_GML_ACAD_Definitions& r) const {
  const auto flag = ByteSwitch;
  r.addressMarkingWay = markingWay;
  r.addressBlock = block;
  r.addressLayer = layer;
  r.addressLayerColour = colour;
  r.addressLayerOn = flag(on);
  r.addressLayerFrozen = flag(frozen);
  r.addressLayerLocked = flag(locked);
  r.readPostalAddress = flag(readPostal);
  r.readBs7666 = flag(readBs7666);
  r.readAddressAuthority = flag(readAuthority);
  r.readAddressStatus = flag(readStatus);
}

bool CAddressPointSettings::OnInitDialog() {
  Dialog::OnInitDialog();
  Refresh();
  return true;
}

void CAddressPointSettings::Refresh() {
  CheckRadioButton(kIdAddressBlock, kIdAddressPoint, markingWay == 0 ? kIdAddressPoint : kIdAddressBlock);
  EnableItem(kIdAddressBlockName, markingWay != 0);
}

void CAddressPointSettings::DoDataExchange(host::ui::DataExchange& dx) {
  using namespace host::ui;
  DdxText(dx, kIdAddressBlockName, block);
  DdvTableName(dx, kIdAddressBlockName, block, NameKind::kBlock);
  DdxLayerState(dx, {kIdAddressLayer, kIdAddressColour, kIdAddressOn, kIdAddressFrozen, kIdAddressLocked}, layer,
                colour, on, frozen, locked);
  DdxCheck(dx, kIdReadPostal, readPostal);
  DdxCheck(dx, kIdReadBs7666, readBs7666);
  DdxCheck(dx, kIdReadAuthority, readAuthority);
  DdxCheck(dx, kIdReadStatus, readStatus);
}
