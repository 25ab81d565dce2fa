// "Symbology settings": the symbology sets that symbol planting uses, each a
// list of conditions that select the areas it fills and a list of symbols
// (block, layer, colour, layer states, density, buffers, levels).
//
// The dialog edits a copy of the record's sets, made when it opens: every
// navigation and editing button stores the shown symbol into the copy
// first, OK stores it, puts the copy in the record's place and writes the
// symbology table file; Cancel leaves the record's sets as they were. A
// colour outside 1 to 255, a density or distance that is not a number from 0
// to 1000000, or a block or layer name that cannot name a drawing record
// gets the framework's standard message, and the button that needed the
// store does nothing.
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"
#include "gml/settings/settings_record.h"
#include "host/ui/dialog.h"

inline constexpr int kPolygonSymbologyTemplate = 239;
inline constexpr int kIdSetLabel = 374;
inline constexpr int kIdPreviousSet = 363;
inline constexpr int kIdNextSet = 364;
inline constexpr int kIdNewSet = 375;
inline constexpr int kIdDeleteSet = 376;
inline constexpr int kIdSetConditions = 356;
inline constexpr int kIdAddSetCondition = 357;
inline constexpr int kIdDeleteSetCondition = 358;
inline constexpr int kIdClearSetConditions = 359;
inline constexpr int kIdSymbolLabel = 369;
inline constexpr int kIdPreviousSymbol = 361;
inline constexpr int kIdNextSymbol = 362;
inline constexpr int kIdNewSymbol = 370;
inline constexpr int kIdDeleteSymbol = 371;
inline constexpr int kIdSymbolBlock = 251;
inline constexpr int kIdSymbolLayer = 250;
inline constexpr int kIdSymbolColour = 252;
inline constexpr int kIdSymbolOn = 339;
inline constexpr int kIdSymbolFrozen = 340;
inline constexpr int kIdSymbolLocked = 341;
inline constexpr int kIdSymbolDensity = 262;
inline constexpr int kIdEdgeDistance = 253;
inline constexpr int kIdAccuracy = 372;
inline constexpr int kIdSymbolDistance = 259;
inline constexpr int kIdPersistence = 373;

host::ui::DialogTemplate PolygonSymbologyTemplate();

class CPolygonSymbology : public host::ui::Dialog {
 public:
  explicit CPolygonSymbology(host::ui::Dialog* parent = nullptr);
  ~CPolygonSymbology() override;

  // Copies the record's sets, shows the dialog, and frees what is left of
  // the copy.
  int DoModal() override;
  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;
  void OnOK() override;

  // Takes the shown symbol into the copy; false when a value was refused.
  bool StoreControls();
  void OnAddCondition();
  void OnDeleteCondition();
  void OnClearConditions();
  void OnPreviousSymbol();
  void OnNextSymbol();
  void OnPreviousSet();
  void OnNextSet();
  void OnNewSymbol();
  void OnDeleteSymbol();
  void OnNewSet();
  void OnDeleteSet();

  OS_GML_ACAD_Definitions* settings = nullptr;
  std::int32_t currentSet = 0;
  std::int32_t currentSymbol = 0;
  std::int32_t symbolCount = 0;
  std::int32_t selectedCondition = 0;
  // The sets being edited (of SymbologySet), owned by the dialog.
  GrowArray sets{};

 private:
  SymbologySet* CurrentSet();
  SymbologySymbol* ShownSymbol();
  void FreeSets();

  // The shown symbol's fields while they are exchanged with the controls.
  std::wstring block_, layer_;
  int colour_ = 7;
  double density_ = 0, edgeDistance_ = 0, symbolDistance_ = 0;
};

// Runs the dialog on `record`; the end code.
int EditPolygonSymbology(OS_GML_ACAD_Definitions& record, host::ui::Dialog* parent = nullptr);
