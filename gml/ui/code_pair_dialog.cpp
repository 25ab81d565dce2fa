#include "gml/ui/code_pair_dialog.h"

#include <string>

#include "common/containers/text.h"
#include "gml/settings/lookup_tables.h"
#include "gml/settings/text_fields.h"
#include "gml/ui/code_exceptions_dialog.h"
#include "gml/ui/name_validation.h"
#include "gml/ui/variant_lists.h"
#include "host/ui/data_exchange.h"

namespace {
using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;

// The first row of `table` other than `skip` whose code is `code` (letter
// case ignored), with its layer or block; -1 when there is none.
int OtherRowWithCode(const GrowArray& table, bool symbols, std::string_view code, int skip,
                     std::string* second) {
  if (table.marker != kGrowArrayMarker) return -1;
  for (std::int32_t i = 0; i < table.count; ++i) {
    void* slot = nullptr;
    if (i == skip || !GrowArrayGetPtr(&table, i, &slot)) continue;
    const auto* symbol = static_cast<const SymbolLookupEntry*>(slot);
    const auto* row = static_cast<const CodeLookupEntry*>(slot);
    if (!gml_settings::EqualsNoCase(symbols ? FieldText(symbol->code) : FieldText(row->code), code))
      continue;
    *second = symbols ? FieldText(symbol->block) : FieldText(row->layer);
    return i;
  }
  return -1;
}

}  // namespace

host::ui::DialogTemplate CodePairTemplate() {
  host::ui::DialogTemplate t;
  t.id = kCodePairTemplate;
  t.caption = L"Feature Code / AutoCAD Layer pair";
  t.rect = {0, 0, 260, 110};
  t.controls = {
      {0, ControlKind::kStatic, L"OS Feature Code:", 0, {7, 9, 70, 8}},
      {kIdPairCode, ControlKind::kEdit, L"", 0, {80, 7, 110, 12}},
      {kIdPairSecondLabel, ControlKind::kStatic, L"AutoCAD Layer:", 0, {7, 27, 70, 8}},
      {kIdPairLayer, ControlKind::kEdit, L"", 0, {80, 25, 170, 12}},
      {kIdPairColourLabel, ControlKind::kStatic, L"Layer colour:", 0, {7, 45, 70, 8}},
      {kIdPairColour, ControlKind::kEdit, L"", 0, {80, 43, 30, 12}},
      {kIdPairOn, ControlKind::kCheckBox, L"On", st::kAuto, {120, 45, 30, 10}},
      {kIdPairFrozen, ControlKind::kCheckBox, L"Frozen", st::kAuto, {155, 45, 40, 10}},
      {kIdPairLocked, ControlKind::kCheckBox, L"Locked", st::kAuto, {200, 45, 40, 10}},
      {kIdUseExceptions, ControlKind::kCheckBox, L"Use exeptions", st::kAuto, {7, 64, 70, 10}},
      {kIdExceptionDetails, ControlKind::kButton, L"Details...", 0, {80, 62, 50, 14}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {146, 89, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {203, 89, 50, 14}},
  };
  return t;
}

AddCodeLayer::AddCodeLayer(host::ui::Dialog* parent) : Dialog(CodePairTemplate(), parent) {
  On(kIdUseExceptions, Notify::kClick, [this] {
    (void)UpdateData(true);
    useExceptions = IsDlgButtonChecked(kIdUseExceptions) == host::ui::kChecked;
    EnableItem(kIdExceptionDetails, useExceptions != 0);
  });
  On(kIdExceptionDetails, Notify::kClick, [this] { OnDetails(); });
}

AddCodeLayer::~AddCodeLayer() { FreeVariantList(&variants_); }

void AddCodeLayer::SetVariants(GrowArray list) {
  FreeVariantList(&variants_);
  variants_ = list;
}

GrowArray AddCodeLayer::TakeVariants() {
  GrowArray list = variants_;
  variants_ = GrowArray{};
  return list;
}

bool AddCodeLayer::OnInitDialog() {
  Dialog::OnInitDialog();
  SetWindowText(caption);
  SetItemText(kIdPairSecondLabel, secondLabel);
  SetFocus(kIdPairCode);
  for (int id : {kIdPairColour, kIdPairColourLabel, kIdPairOn, kIdPairFrozen, kIdPairLocked, kIdUseExceptions,
                 kIdExceptionDetails})
    ShowItem(id, !symbolMode);
  EnableItem(kIdExceptionDetails, useExceptions != 0);
  return true;
}

void AddCodeLayer::DoDataExchange(host::ui::DataExchange& dx) {
  using namespace host::ui;
  DdxText(dx, kIdPairCode, code);
  DdvMaxChars(dx, code, kMaxCodeChars);
  if (dx.Saving() && dx.Active() && code.find_first_of(L" \t") != std::wstring::npos)
    dx.Fail(L"Feature code can't have blanks.");
  if (dx.Saving() && dx.Active() && table != nullptr && !code.empty()) {
    std::string second;
    const int other = OtherRowWithCode(*table, symbolMode, WideToUtf8(code), editedRow, &second);
    if (other >= 0)
      dx.Fail(L"Feature code " + code + L" is already in row " + std::to_wstring(other + 1) +
              L" of the table (" + (symbolMode ? L"block " : L"layer ") + Utf8ToWide(second) +
              L"): edit that row instead.");
  }
  DdxText(dx, kIdPairLayer, layer);
  DdvMaxChars(dx, layer, kMaxLayerChars);
  if (!layer.empty()) DdvTableName(dx, kIdPairLayer, layer, symbolMode ? NameKind::kBlock : NameKind::kLayer);
  if (!symbolMode) {
    DdxText(dx, kIdPairColour, colour);
    DdvMinMax(dx, colour, 1, kMaxPairColour);
  }
  DdxCheck(dx, kIdPairOn, on);
  DdxCheck(dx, kIdPairFrozen, frozen);
  DdxCheck(dx, kIdPairLocked, locked);
  DdxCheck(dx, kIdUseExceptions, useExceptions);
}

void AddCodeLayer::OnDetails() {
  if (!UpdateData(true)) return;
  if (variants_.marker != kGrowArrayMarker && !GrowArrayCreate(50, sizeof(ConditionVariant), &variants_)) return;
  if (variants_.count == 0) {
    ConditionVariant first{};
    CopyUtf8Field(first.layer, WideToUtf8(layer));
    first.colour = colour;
    first.on = 1;
    if (!GrowArrayCreate(50, sizeof(AttributeCondition), &first.conditions)) return;
    if (!GrowArraySet(&variants_, 0, &first)) {
      GrowArrayFree(&first.conditions);
      return;
    }
  }
  CCodeExeptionsView exceptions(this);
  exceptions.caption = L"Code / Layer exeptions for code " + code;
  exceptions.variants = &variants_;
  exceptions.current = 0;
  (void)exceptions.DoModal();
}
