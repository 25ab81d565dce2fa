// "Code / Layer exeptions": the alternative layers of one feature code, each
// chosen when all of its attribute conditions hold.
//
// The editor works on the caller's variant list in place: moving between
// variants, the condition buttons and OK store the shown variant's layer,
// colour and flags first;
// "New exeption", "Delete this exeption", Add..., Delete and Clear change
// the list at once. There is no Cancel: closing the window keeps what the
// actions did. A layer of more than 127 characters or a colour outside 1 to
// 254 gets the framework's standard message and the action that needed the
// store does not happen.
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"
#include "host/ui/dialog.h"

inline constexpr int kCodeExceptionsTemplate = 237;
inline constexpr int kIdExceptionLabel = 360;
inline constexpr int kIdPreviousException = 361;
inline constexpr int kIdNextException = 362;
inline constexpr int kIdNewException = 363;
inline constexpr int kIdDeleteException = 364;
inline constexpr int kIdConditionList = 356;
inline constexpr int kIdAddCondition = 357;
inline constexpr int kIdDeleteCondition = 358;
inline constexpr int kIdClearConditions = 359;
inline constexpr int kIdLayerEdit = 250;
inline constexpr int kIdColourEdit = 251;
inline constexpr int kIdLayerOn = 339;
inline constexpr int kIdLayerFrozen = 340;
inline constexpr int kIdLayerLocked = 341;

inline constexpr int kMaxLayerChars = 127;
inline constexpr int kMaxPairColour = 254;

host::ui::DialogTemplate CodeExceptionsTemplate();

class CCodeExeptionsView : public host::ui::Dialog {
 public:
  explicit CCodeExeptionsView(host::ui::Dialog* parent = nullptr);

  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;
  void OnOK() override;

  void OnNext();
  void OnPrevious();
  void OnNewException();
  void OnDeleteException();
  void OnAddCondition();
  void OnDeleteCondition();
  void OnClearConditions();

  std::wstring caption;
  GrowArray* variants = nullptr;  // of ConditionVariant; not owned
  std::int32_t current = 0;
  std::int32_t selectedCondition = 0;
  std::wstring layer;
  int colour = 7;

 private:
  void Refresh();
  // Takes the controls into the current variant; false when a value was
  // refused.
  bool StoreCurrent();
};
