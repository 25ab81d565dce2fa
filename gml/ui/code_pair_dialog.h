// "Feature Code / AutoCAD Layer pair": one row of the feature-code table, or
// of the symbol table in symbol mode (caption "Feature Code / AutoCAD Symbol
// Block pair", label "AutoCAD Block:", no colour, layer states or
// exceptions).
//
// The editor owns its copy of the row's variant list: the caller hands in a
// copy (SetVariants) and, after OK, takes the list back (TakeVariants); a
// list still held when the editor is destroyed is freed, so Cancel, or an OK
// the caller does not use, leaves the row as it was. "Details..." makes the
// list when there is none, gives it a first variant from the pair's layer
// and colour, and opens the exceptions editor on it.
//
// OK refuses, with the framework's standard messages, a code longer than the
// table file keeps (117 characters) or holding a blank, a layer or block of
// more than 127 characters or that cannot name a drawing record, and a
// colour outside 1 to 254. Empty code or layer pass: the caller then changes
// nothing. Given the table the row belongs to, OK also refuses a code that
// another row of it has (letter case ignored), naming that row: a lookup
// takes the first row of a code, so a second one would never be used.
// Texts reach the table's fields as UTF-8.
#pragma once

#include <string>

#include "common/containers/grow_array.h"
#include "gml/settings/settings_record.h"
#include "host/ui/dialog.h"

inline constexpr int kCodePairTemplate = 205;
inline constexpr int kIdPairCode = 249;
inline constexpr int kIdPairLayer = 250;
inline constexpr int kIdPairColour = 251;
inline constexpr int kIdPairOn = 339;
inline constexpr int kIdPairFrozen = 340;
inline constexpr int kIdPairLocked = 341;
inline constexpr int kIdUseExceptions = 354;
inline constexpr int kIdExceptionDetails = 355;
inline constexpr int kIdPairSecondLabel = 2250;
inline constexpr int kIdPairColourLabel = 2251;
inline constexpr int kMaxCodeChars = 117;

host::ui::DialogTemplate CodePairTemplate();

class AddCodeLayer : public host::ui::Dialog {
 public:
  explicit AddCodeLayer(host::ui::Dialog* parent = nullptr);
  ~AddCodeLayer() override;

  // Takes ownership of `list` (a copy of the row's variants, or no list).
  void SetVariants(GrowArray list);
  // Hands the variant list over (no list when there is none).
  GrowArray TakeVariants();
  const GrowArray& Variants() const { return variants_; }

  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;

  std::wstring caption = L"Feature Code / AutoCAD Layer pair";
  std::wstring secondLabel = L"AutoCAD Layer:";
  std::wstring code;
  std::wstring layer;  // or block
  int colour = 7;
  int on = 1, frozen = 0, locked = 0, useExceptions = 0;
  bool symbolMode = false;
  OS_GML_ACAD_Definitions* record = nullptr;
  // The table edited (CodeLookupEntry rows, SymbolLookupEntry in symbol
  // mode) and the row being edited there (-1 for a new row); without a
  // table codes are not checked against other rows.
  const GrowArray* table = nullptr;
  int editedRow = -1;

 private:
  void OnDetails();
  GrowArray variants_{};
};
