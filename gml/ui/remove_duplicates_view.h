// "Orvane - Remove identical TOIDs": the step dialog of the remove-duplicates
// command. The caller sets the counts, the action and the layer before each
// opening, acts on the end code and opens the dialog again:
//   kRemoveSelect (5)  "Select entities <", nothing taken;
//   kRemoveCount  (6)  "Count";
//   kRemoveRun    (7)  "Remove" (the OK button);
//   kIdCancel     (2)  Cancel, after taking the action and the layer.
// Count and Remove need selected entities: with none they say "Select
// entities first." and the dialog stays open.
#pragma once

#include <cstdint>
#include <string>

#include "host/ui/dialog.h"

inline constexpr int kRemoveDuplicatesTemplate = 222;
inline constexpr int kIdEntityCount = 271;
inline constexpr int kIdIdenticalCount = 272;
inline constexpr int kIdSelectEntities = 273;
inline constexpr int kIdCount = 313;
inline constexpr int kIdActionErase = 314;
inline constexpr int kIdActionMove = 315;
inline constexpr int kIdTargetLayer = 250;

inline constexpr int kRemoveSelect = 5;
inline constexpr int kRemoveCount = 6;
inline constexpr int kRemoveRun = 7;

host::ui::DialogTemplate RemoveDuplicatesTemplate();

class RemoveDuplicatesView : public host::ui::Dialog {
 public:
  explicit RemoveDuplicatesView(host::ui::Dialog* parent = nullptr);
  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;
  void OnOK() override;
  void OnCancel() override;

  int action = 0;                   // 0 erase, 1 move to layer
  std::int64_t identicalCount = -1;  // negative: not counted yet
  std::int64_t entityCount = 0;
  std::wstring layer;

 private:
  void EndWithCount(int code);
};
