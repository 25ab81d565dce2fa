// "Address Point Data settings": how address points are marked, their layer,
// and which parts of an address are read.
//
// As the ITN dialog: own members, FromRecord / ToRecord for the caller,
// colours 1 to 255 and layer and block names checked on OK.
#pragma once

#include <string>

#include "gml/settings/settings_record.h"
#include "host/ui/dialog.h"

inline constexpr int kAddressSettingsTemplate = 244;
inline constexpr int kIdAddressBlock = 388;  // "Symbol Block"
inline constexpr int kIdAddressPoint = 389;  // "AutoCAD Point"
inline constexpr int kIdAddressBlockName = 382;
inline constexpr int kIdAddressLayer = 383;
inline constexpr int kIdAddressColour = 384;
inline constexpr int kIdAddressOn = 385;
inline constexpr int kIdAddressFrozen = 386;
inline constexpr int kIdAddressLocked = 387;
inline constexpr int kIdReadPostal = 390;
inline constexpr int kIdReadBs7666 = 391;
inline constexpr int kIdReadAuthority = 392;
inline constexpr int kIdReadStatus = 393;

host::ui::DialogTemplate AddressSettingsTemplate();

class CAddressPointSettings : public host::ui::Dialog {
 public:
  explicit CAddressPointSettings(host::ui::Dialog* parent = nullptr);

  void FromRecord(const OS_GML_ACAD_Definitions& record);
  void ToRecord(OS_GML_ACAD_Definitions& record) const;

  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;

  int markingWay = 0;  // 0 point, 1 block
  std::wstring block = L"AddressPoint";
  std::wstring layer = L"Address Points";
  int colour = 7;
  int on = 1, frozen = 0, locked = 0;
  int readPostal = 1, readBs7666 = 1, readAuthority = 1, readStatus = 1;

 private:
  void Refresh();
};
