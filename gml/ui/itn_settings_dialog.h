// "ITN Input and Layer Settings": how ITN roads, road links and road nodes
// get their layers, and the prefix of ITN layer names.
//
// The dialog works on its own members; FromRecord fills them from a settings
// record and ToRecord, after OK, puts them back (switches as 0 or 1). The
// settings file is written by whoever owns the record. Colours are colour
// indices 1 to 255 and layer and block names must be able to name a drawing
// record: both are checked when the user clicks and on OK, with the
// framework's standard messages, and OK stays open on a bad value. A
// disabled field keeps, and gives back, its text.
#pragma once

#include <string>

#include "gml/settings/settings_record.h"
#include "gml/ui/layer_state_controls.h"
#include "host/ui/dialog.h"

inline constexpr int kItnSettingsTemplate = 243;
inline constexpr int kIdRoadByName = 341;
inline constexpr int kIdRoadFixed = 342;
inline constexpr int kIdRoadLocked = 343;
inline constexpr int kIdRoadOn = 344;
inline constexpr int kIdRoadFrozen = 345;
inline constexpr int kIdRoadLayer = 351;
inline constexpr int kIdRoadColour = 359;
inline constexpr int kIdLinkByValue = 346;
inline constexpr int kIdLinkFixed = 347;
inline constexpr int kIdLinkOn = 348;
inline constexpr int kIdLinkFrozen = 349;
inline constexpr int kIdLinkLocked = 350;
inline constexpr int kIdLinkValue = 353;
inline constexpr int kIdLinkLayer = 333;
inline constexpr int kIdLinkColour = 336;
inline constexpr int kIdNodePoint = 352;
inline constexpr int kIdNodeBlock = 354;
inline constexpr int kIdNodeBlockName = 355;
inline constexpr int kIdNodeLayer = 334;
inline constexpr int kIdNodeColour = 335;
inline constexpr int kIdNodeOn = 356;
inline constexpr int kIdNodeFrozen = 357;
inline constexpr int kIdNodeLocked = 358;
inline constexpr int kIdUsePrefix = 391;
inline constexpr int kIdPrefix = 360;

host::ui::DialogTemplate ItnSettingsTemplate();

class CITNSettingsDialog : public host::ui::Dialog {
 public:
  explicit CITNSettingsDialog(host::ui::Dialog* parent = nullptr);

  void FromRecord(const OS_GML_ACAD_Definitions& record);
  void ToRecord(OS_GML_ACAD_Definitions& record) const;

  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;

  int roadLayerWay = 1;  // 0 by road name, 1 fixed
  std::wstring roadLayer = L"Roads";
  int roadColour = 7;
  int roadOn = 1, roadFrozen = 0, roadLocked = 0;
  int linkLayerWay = 0;  // 0 by a value, 1 fixed
  int linkLayerValue = 2;  // 0 term, 1 nature, 2 term and nature
  std::wstring linkLayer = L"RoadLinks";
  int linkColour = 7;
  int linkOn = 1, linkFrozen = 0, linkLocked = 0;
  int nodeMarkingWay = 0;  // 0 point, 1 block
  std::wstring nodeBlock = L"RoadNode";
  std::wstring nodeLayer = L"Road Nodes";
  int nodeColour = 7;
  int nodeOn = 1, nodeFrozen = 0, nodeLocked = 0;
  int usePrefix = 1;
  std::wstring prefix = L"ITN_";

 private:
  // Enabled states and checked radios from the members.
  void Refresh();
};
