#include "gml/ui/polygon_symbology_dialog.h"

#include <cwchar>

#include "common/containers/text.h"
#include "gml/ui/condition_text.h"
#include "gml/ui/item_value_selection.h"
#include "gml/ui/name_validation.h"
#include "gml/ui/variant_lists.h"
#include "host/ui/data_exchange.h"
#include "host/ui/message_box.h"

namespace {

using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;

constexpr double kMaxSymbologyValue = 1000000.0;
constexpr const wchar_t* kLevels[] = {L"Low", L"Medium", L"High", L"Very high", L"Extremely high"};
constexpr int kSymbolFieldIds[] = {kIdSymbolBlock, kIdSymbolLayer, kIdSymbolColour, kIdSymbolDensity, kIdEdgeDistance,
                                   kIdSymbolDistance};

SymbologySymbol DefaultSymbol() {
  SymbologySymbol s{};
  CopyField(s.block, "Block Name");
  CopyField(s.layer, "Layer Name");
  s.colour = 7;
  s.on = 1;
  s.density = 5.0;
  s.accuracyLevel = 2;
  s.persistenceLevel = 2;
  return s;
}

void FreeSet(SymbologySet* set) {
  if (set->symbols.marker == kGrowArrayMarker) GrowArrayFree(&set->symbols);
  if (set->conditions.marker == kGrowArrayMarker) GrowArrayFree(&set->conditions);
}

// A copy of a list of plain records that shares no storage with it.
bool CopyRecords(const GrowArray& from, std::uint64_t size, GrowArray* to) {
  *to = GrowArray{};
  if (!GrowArrayCreate(50, size, to)) return false;
  if (from.marker != kGrowArrayMarker) return true;
  std::vector<unsigned char> element(size);
  for (std::int32_t i = 0; i < from.count; ++i)
    if (!GrowArrayGet(&from, i, element.data()) || !GrowArraySet(to, i, element.data())) return false;
  return true;
}

std::wstring Format3(double value) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%.3lf", value);
  return text;
}

}  // namespace

host::ui::DialogTemplate PolygonSymbologyTemplate() {
  host::ui::DialogTemplate t;
  t.id = kPolygonSymbologyTemplate;
  t.caption = L"Symbology settings";
  t.rect = {0, 0, 420, 250};
  t.controls = {
      {0, ControlKind::kGroupBox, L"Symbology set selection", 0, {7, 5, 200, 50}},
      {kIdSetLabel, ControlKind::kStatic, L"Set 1 of 4", 0, {14, 16, 80, 8}},
      {kIdPreviousSet, ControlKind::kButton, L"< Previous", 0, {100, 14, 50, 14}},
      {kIdNextSet, ControlKind::kButton, L"Next >", 0, {152, 14, 50, 14}},
      {kIdNewSet, ControlKind::kButton, L"New symbology set", 0, {14, 34, 80, 14}},
      {kIdDeleteSet, ControlKind::kButton, L"Delete this set", 0, {100, 34, 80, 14}},
      {0, ControlKind::kStatic, L"Symbol(s) on right will be used when the following is true:", 0, {7, 62, 200, 16}},
      {kIdSetConditions, ControlKind::kListBox, L"", st::kNotify, {7, 80, 150, 140}},
      {kIdAddSetCondition, ControlKind::kButton, L"Add...", 0, {160, 80, 45, 14}},
      {kIdDeleteSetCondition, ControlKind::kButton, L"Delete", 0, {160, 97, 45, 14}},
      {kIdClearSetConditions, ControlKind::kButton, L"Clear", 0, {160, 114, 45, 14}},
      {kIdSymbolLabel, ControlKind::kStatic, L"Symbol 1 of 3", 0, {215, 8, 80, 8}},
      {kIdPreviousSymbol, ControlKind::kButton, L"< Previous", 0, {300, 5, 50, 14}},
      {kIdNextSymbol, ControlKind::kButton, L"Next >", 0, {352, 5, 50, 14}},
      {kIdNewSymbol, ControlKind::kButton, L"New symbol", 0, {215, 22, 60, 14}},
      {kIdDeleteSymbol, ControlKind::kButton, L"Delete this symbol", 0, {280, 22, 80, 14}},
      {0, ControlKind::kStatic, L"AutoCAD Symbol block:", 0, {215, 44, 90, 8}},
      {kIdSymbolBlock, ControlKind::kEdit, L"", 0, {310, 42, 100, 12}},
      {0, ControlKind::kStatic, L"AutoCAD Layer name:", 0, {215, 60, 90, 8}},
      {kIdSymbolLayer, ControlKind::kEdit, L"", 0, {310, 58, 100, 12}},
      {0, ControlKind::kStatic, L"AutoCAD Layer colour:", 0, {215, 76, 90, 8}},
      {kIdSymbolColour, ControlKind::kEdit, L"", 0, {310, 74, 30, 12}},
      {kIdSymbolOn, ControlKind::kCheckBox, L"On", st::kAuto, {215, 92, 30, 10}},
      {kIdSymbolFrozen, ControlKind::kCheckBox, L"Frozen", st::kAuto, {250, 92, 40, 10}},
      {kIdSymbolLocked, ControlKind::kCheckBox, L"Locked", st::kAuto, {295, 92, 40, 10}},
      {0, ControlKind::kStatic, L"Symbol density (symbols/ha):", 0, {215, 110, 110, 8}},
      {kIdSymbolDensity, ControlKind::kEdit, L"", 0, {330, 108, 60, 12}},
      {0, ControlKind::kStatic, L"Edge buffering distance:", 0, {215, 126, 110, 8}},
      {kIdEdgeDistance, ControlKind::kEdit, L"", 0, {330, 124, 60, 12}},
      {0, ControlKind::kStatic, L"Edge buffering accuracy:", 0, {215, 142, 110, 8}},
      {kIdAccuracy, ControlKind::kComboBox, L"", 0, {330, 140, 80, 60}},
      {0, ControlKind::kStatic, L"Symbol/symbol buffering distance:", 0, {215, 158, 110, 8}},
      {kIdSymbolDistance, ControlKind::kEdit, L"", 0, {330, 156, 60, 12}},
      {0, ControlKind::kStatic, L"Symbol placement persistance:", 0, {215, 174, 110, 8}},
      {kIdPersistence, ControlKind::kComboBox, L"", 0, {330, 172, 80, 60}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {306, 229, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {363, 229, 50, 14}},
  };
  return t;
}

CPolygonSymbology::CPolygonSymbology(host::ui::Dialog* parent) : Dialog(PolygonSymbologyTemplate(), parent) {
  On(kIdAddSetCondition, Notify::kClick, [this] { OnAddCondition(); });
  On(kIdNextSymbol, Notify::kClick, [this] { OnNextSymbol(); });
  On(kIdPreviousSet, Notify::kClick, [this] { OnPreviousSet(); });
  On(kIdNextSet, Notify::kClick, [this] { OnNextSet(); });
  On(kIdPreviousSymbol, Notify::kClick, [this] { OnPreviousSymbol(); });
  On(kIdDeleteSetCondition, Notify::kClick, [this] { OnDeleteCondition(); });
  On(kIdSetConditions, Notify::kSelChange, [this] { selectedCondition = Item(kIdSetConditions).GetCurSel(); });
  On(kIdClearSetConditions, Notify::kClick, [this] { OnClearConditions(); });
  On(kIdNewSymbol, Notify::kClick, [this] { OnNewSymbol(); });
  On(kIdDeleteSymbol, Notify::kClick, [this] { OnDeleteSymbol(); });
  On(kIdNewSet, Notify::kClick, [this] { OnNewSet(); });
  On(kIdDeleteSet, Notify::kClick, [this] { OnDeleteSet(); });
}

CPolygonSymbology::~CPolygonSymbology() { FreeSets(); }

void CPolygonSymbology::FreeSets() {
  if (sets.marker == kGrowArrayMarker) {
    for (std::int32_t i = 0; i < sets.count; ++i) FreeSet(&static_cast<SymbologySet*>(sets.data)[i]);
    GrowArrayFree(&sets);
  }
  sets = GrowArray{};
}

int CPolygonSymbology::DoModal() {
  FreeSets();
  if (settings == nullptr || !GrowArrayCreate(50, sizeof(SymbologySet), &sets)) return -1;
  const GrowArray& source = settings->symbologySets;
  for (std::int32_t i = 0; source.marker == kGrowArrayMarker && i < source.count; ++i) {
    SymbologySet from;
    SymbologySet copy{};
    if (!GrowArrayGet(&source, i, &from)) break;
    const bool ok = CopyRecords(from.symbols, sizeof(SymbologySymbol), &copy.symbols) &&
                    CopyRecords(from.conditions, sizeof(SymbologyCondition), &copy.conditions) &&
                    GrowArraySet(&sets, sets.count, &copy);
    if (!ok) {
      FreeSet(&copy);
      FreeSets();
      return -1;
    }
  }
  currentSet = currentSymbol = selectedCondition = 0;
  const int code = Dialog::DoModal();
  FreeSets();
  return code;
}

SymbologySet* CPolygonSymbology::CurrentSet() {
  if (sets.marker != kGrowArrayMarker || currentSet < 0 || currentSet >= sets.count) return nullptr;
  return &static_cast<SymbologySet*>(sets.data)[currentSet];
}

SymbologySymbol* CPolygonSymbology::ShownSymbol() {
  SymbologySet* set = CurrentSet();
  if (set == nullptr || set->symbols.marker != kGrowArrayMarker || currentSymbol < 0 ||
      currentSymbol >= set->symbols.count)
    return nullptr;
  return &static_cast<SymbologySymbol*>(set->symbols.data)[currentSymbol];
}

bool CPolygonSymbology::OnInitDialog() {
  for (int id : {kIdAccuracy, kIdPersistence}) {
    host::ui::Control& combo = Item(id);
    if (combo.GetCount() == 0)
      for (const wchar_t* level : kLevels) combo.AddString(level);
  }
  host::ui::Control& list = Item(kIdSetConditions);
  list.ResetContent();
  symbolCount = 0;
  const std::int32_t setCount = sets.marker == kGrowArrayMarker ? sets.count : 0;
  if (currentSet < 0 || currentSet >= setCount) currentSet = 0;
  SymbologySet* set = CurrentSet();
  const SymbologySymbol* symbol = nullptr;
  wchar_t label[64];
  if (set == nullptr) {
    SetItemText(kIdSetLabel, L"No symbols defined");
    SetItemText(kIdSymbolLabel, L"No symbols defined");
  } else {
    std::swprintf(label, 64, L"Set %li of %li", static_cast<long>(currentSet + 1), static_cast<long>(setCount));
    SetItemText(kIdSetLabel, label);
    symbolCount = set->symbols.marker == kGrowArrayMarker ? set->symbols.count : 0;
    if (currentSymbol < 0 || currentSymbol >= symbolCount) currentSymbol = 0;
    if (symbolCount > 0) {
      std::swprintf(label, 64, L"Symbol %li of %li", static_cast<long>(currentSymbol + 1),
                    static_cast<long>(symbolCount));
      SetItemText(kIdSymbolLabel, label);
      symbol = ShownSymbol();
    } else {
      SetItemText(kIdSymbolLabel, L"No symbols defined");
    }
    const std::int32_t conditions = set->conditions.marker == kGrowArrayMarker ? set->conditions.count : 0;
    for (std::int32_t k = 0; k < conditions; ++k)
      list.AddString(ConditionText(static_cast<SymbologyCondition*>(set->conditions.data)[k]));
    if (conditions > 0) {
      if (selectedCondition < 0 || selectedCondition >= conditions) selectedCondition = 0;
      list.SetCurSel(selectedCondition);
    }
  }
  const bool shown = symbol != nullptr;
  for (int id : kSymbolFieldIds) EnableItem(id, shown);
  for (int id : {kIdSymbolOn, kIdSymbolFrozen, kIdSymbolLocked, kIdAccuracy, kIdPersistence}) EnableItem(id, shown);
  if (!shown) {
    for (int id : kSymbolFieldIds) SetItemText(id, L"(n/a)");
    return true;
  }
  SetItemText(kIdSymbolBlock, Utf8ToWide(FieldText(symbol->block)));
  SetItemText(kIdSymbolLayer, Utf8ToWide(FieldText(symbol->layer)));
  SetItemText(kIdSymbolColour, std::to_wstring(symbol->colour));
  CheckDlgButton(kIdSymbolOn, symbol->on != 0);
  CheckDlgButton(kIdSymbolFrozen, symbol->frozen != 0);
  CheckDlgButton(kIdSymbolLocked, symbol->locked != 0);
  SetItemText(kIdSymbolDensity, Format3(symbol->density));
  SetItemText(kIdEdgeDistance, Format3(symbol->edgeBuffer));
  SetItemText(kIdSymbolDistance, Format3(symbol->symbolBuffer));
  Item(kIdAccuracy).SetCurSel(symbol->accuracyLevel);
  Item(kIdPersistence).SetCurSel(symbol->persistenceLevel);
  return true;
}

void CPolygonSymbology::DoDataExchange(host::ui::DataExchange& dx) {
  // The controls are filled by the refresh, with the dialog's own formats;
  // the exchange only takes them.
  if (!dx.Saving()) return;
  using namespace host::ui;
  DdxText(dx, kIdSymbolBlock, block_);
  DdvTableName(dx, kIdSymbolBlock, block_, NameKind::kBlock);
  DdxText(dx, kIdSymbolLayer, layer_);
  DdvTableName(dx, kIdSymbolLayer, layer_, NameKind::kLayer);
  DdxText(dx, kIdSymbolColour, colour_);
  DdvMinMax(dx, colour_, 1, 255);
  DdxText(dx, kIdSymbolDensity, density_);
  DdvMinMax(dx, density_, 0.0, kMaxSymbologyValue);
  DdxText(dx, kIdEdgeDistance, edgeDistance_);
  DdvMinMax(dx, edgeDistance_, 0.0, kMaxSymbologyValue);
  DdxText(dx, kIdSymbolDistance, symbolDistance_);
  DdvMinMax(dx, symbolDistance_, 0.0, kMaxSymbologyValue);
}

bool CPolygonSymbology::StoreControls() {
  SymbologySymbol* symbol = ShownSymbol();
  if (symbol == nullptr) return true;
  if (!UpdateData(true)) return false;
  CopyUtf8Field(symbol->block, WideToUtf8(block_));
  CopyUtf8Field(symbol->layer, WideToUtf8(layer_));
  symbol->colour = colour_;
  symbol->on = IsDlgButtonChecked(kIdSymbolOn) == host::ui::kChecked;
  symbol->frozen = IsDlgButtonChecked(kIdSymbolFrozen) == host::ui::kChecked;
  symbol->locked = IsDlgButtonChecked(kIdSymbolLocked) == host::ui::kChecked;
  symbol->density = density_;
  symbol->edgeBuffer = edgeDistance_;
  symbol->symbolBuffer = symbolDistance_;
  // A level is an index into the planting tables: without a selection the
  // symbol keeps its own.
  if (const int level = Item(kIdAccuracy).GetCurSel(); level >= 0) symbol->accuracyLevel = level;
  if (const int level = Item(kIdPersistence).GetCurSel(); level >= 0) symbol->persistenceLevel = level;
  return true;
}

void CPolygonSymbology::OnAddCondition() {
  if (CurrentSet() == nullptr || !StoreControls()) return;
  CItemValueSelection selection(this);
  for (const char* item : {"theme", "descriptiveGroup", "descriptiveTerm", "make"}) (void)selection.AllowItem(item);
  if (selection.DoModal() != host::ui::kIdOk || selection.itemText.empty()) return;
  SymbologyCondition condition{};
  CopyField(condition.item, selection.itemText);
  CopyField(condition.value, selection.valueText);
  condition.match = selection.negate != 0 ? 0 : 1;
  SymbologySet* set = CurrentSet();
  if (set->conditions.marker != kGrowArrayMarker &&
      !GrowArrayCreate(50, sizeof(SymbologyCondition), &set->conditions))
    return;
  if (GrowArraySet(&set->conditions, set->conditions.count, &condition)) OnInitDialog();
}

void CPolygonSymbology::OnDeleteCondition() {
  SymbologySet* set = CurrentSet();
  if (set == nullptr || set->conditions.marker != kGrowArrayMarker || set->conditions.count == 0 ||
      !StoreControls())
    return;
  RemoveElement(&set->conditions, selectedCondition);
  selectedCondition = 0;
  OnInitDialog();
}

void CPolygonSymbology::OnClearConditions() {
  SymbologySet* set = CurrentSet();
  if (set == nullptr || set->conditions.marker != kGrowArrayMarker || set->conditions.count == 0 ||
      !StoreControls())
    return;
  set->conditions.count = 0;
  selectedCondition = 0;
  OnInitDialog();
}

void CPolygonSymbology::OnPreviousSymbol() {
  if (currentSymbol <= 0 || !StoreControls()) return;
  --currentSymbol;
  OnInitDialog();
}

void CPolygonSymbology::OnNextSymbol() {
  if (currentSymbol >= symbolCount - 1 || !StoreControls()) return;
  ++currentSymbol;
  OnInitDialog();
}

void CPolygonSymbology::OnPreviousSet() {
  if (currentSet <= 0 || !StoreControls()) return;
  --currentSet;
  currentSymbol = 0;
  OnInitDialog();
}

void CPolygonSymbology::OnNextSet() {
  if (sets.marker != kGrowArrayMarker || currentSet >= sets.count - 1 || !StoreControls()) return;
  ++currentSet;
  currentSymbol = 0;
  OnInitDialog();
}

void CPolygonSymbology::OnNewSymbol() {
  SymbologySet* set = CurrentSet();
  if (set == nullptr || !StoreControls()) return;
  if (set->symbols.marker != kGrowArrayMarker && !GrowArrayCreate(50, sizeof(SymbologySymbol), &set->symbols))
    return;
  const SymbologySymbol symbol = DefaultSymbol();
  if (!GrowArraySet(&set->symbols, set->symbols.count, &symbol)) return;
  currentSymbol = set->symbols.count - 1;
  OnInitDialog();
}

void CPolygonSymbology::OnDeleteSymbol() {
  SymbologySet* set = CurrentSet();
  if (set == nullptr || !RemoveElement(&set->symbols, currentSymbol)) return;
  currentSymbol = 0;
  OnInitDialog();
}

void CPolygonSymbology::OnNewSet() {
  if (sets.marker != kGrowArrayMarker) return;
  if (sets.count > 0 && !StoreControls()) return;
  SymbologySet set{};
  const SymbologySymbol symbol = DefaultSymbol();
  const bool ok = GrowArrayCreate(50, sizeof(SymbologySymbol), &set.symbols) &&
                  GrowArrayCreate(50, sizeof(SymbologyCondition), &set.conditions) &&
                  GrowArraySet(&set.symbols, 0, &symbol) && GrowArraySet(&sets, sets.count, &set);
  if (!ok) {
    FreeSet(&set);
    return;
  }
  currentSet = sets.count - 1;
  currentSymbol = 0;
  OnInitDialog();
}

void CPolygonSymbology::OnDeleteSet() {
  SymbologySet* set = CurrentSet();
  if (set == nullptr) return;
  FreeSet(set);
  RemoveElement(&sets, currentSet);
  currentSet = currentSymbol = selectedCondition = 0;
  OnInitDialog();
}

void CPolygonSymbology::OnOK() {
  if (!StoreControls()) return;
  // The edited sets take the place of the record's.
  settings->ClearSymbologySets();
  for (std::int32_t i = 0; i < sets.count; ++i) {
    SymbologySet& set = static_cast<SymbologySet*>(sets.data)[i];
    if (!GrowArraySet(&settings->symbologySets, settings->symbologySets.count, &set)) break;
    set = SymbologySet{};
  }
  if (!settings->SaveSymbologyTable()) {
    (void)host::ui::ShowMessageBox(
        L"Could not save the symbology settings to '" + settings->supportFolder + settings->symbologyTableFileName +
            L"'.",
        L"", host::ui::MessageButtons::kOk, host::ui::MessageIcon::kExclamation);
  }
  EndDialog(host::ui::kIdOk);
}

int EditPolygonSymbology(OS_GML_ACAD_Definitions& record, host::ui::Dialog* parent) {
  CPolygonSymbology dialog(parent);
  dialog.settings = &record;
  return dialog.DoModal();
}
