#include "gml/ui/code_exceptions_dialog.h"

#include <cwchar>

#include "common/containers/text.h"
#include "gml/settings/lookup_tables.h"
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

}  // namespace

host::ui::DialogTemplate CodeExceptionsTemplate() {
  host::ui::DialogTemplate t;
  t.id = kCodeExceptionsTemplate;
  t.caption = L"Code / Layer exeptions";
  t.rect = {0, 0, 300, 200};
  t.controls = {
      {kIdExceptionLabel, ControlKind::kStatic, L"Exeption 1 of 1", 0, {7, 7, 90, 8}},
      {kIdPreviousException, ControlKind::kButton, L"< Previous", 0, {100, 5, 50, 14}},
      {kIdNextException, ControlKind::kButton, L"Next >", 0, {153, 5, 50, 14}},
      {kIdNewException, ControlKind::kButton, L"New exeption", 0, {7, 22, 70, 14}},
      {kIdDeleteException, ControlKind::kButton, L"Delete this exeption", 0, {80, 22, 80, 14}},
      {0, ControlKind::kStatic, L"Layer:", 0, {7, 44, 40, 8}},
      {kIdLayerEdit, ControlKind::kEdit, L"", 0, {50, 42, 150, 12}},
      {0, ControlKind::kStatic, L"Colour:", 0, {7, 60, 40, 8}},
      {kIdColourEdit, ControlKind::kEdit, L"", 0, {50, 58, 30, 12}},
      {kIdLayerOn, ControlKind::kCheckBox, L"On", st::kAuto, {90, 60, 30, 10}},
      {kIdLayerFrozen, ControlKind::kCheckBox, L"Frozen", st::kAuto, {125, 60, 40, 10}},
      {kIdLayerLocked, ControlKind::kCheckBox, L"Locked", st::kAuto, {170, 60, 40, 10}},
      {0, ControlKind::kStatic, L"Layer above is used when the following is true:", 0, {7, 78, 200, 8}},
      {kIdConditionList, ControlKind::kListBox, L"", st::kNotify, {7, 88, 230, 90}},
      {kIdAddCondition, ControlKind::kButton, L"Add...", 0, {243, 88, 50, 14}},
      {kIdDeleteCondition, ControlKind::kButton, L"Delete", 0, {243, 105, 50, 14}},
      {kIdClearConditions, ControlKind::kButton, L"Clear", 0, {243, 122, 50, 14}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {243, 5, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", st::kHidden, {243, 22, 50, 14}},
  };
  return t;
}

CCodeExeptionsView::CCodeExeptionsView(host::ui::Dialog* parent) : Dialog(CodeExceptionsTemplate(), parent) {
  On(kIdNextException, Notify::kClick, [this] { OnNext(); });
  On(kIdPreviousException, Notify::kClick, [this] { OnPrevious(); });
  On(kIdNewException, Notify::kClick, [this] { OnNewException(); });
  On(kIdDeleteException, Notify::kClick, [this] { OnDeleteException(); });
  On(kIdAddCondition, Notify::kClick, [this] { OnAddCondition(); });
  On(kIdDeleteCondition, Notify::kClick, [this] { OnDeleteCondition(); });
  On(kIdClearConditions, Notify::kClick, [this] { OnClearConditions(); });
  On(kIdConditionList, Notify::kSelChange,
     [this] { selectedCondition = Item(kIdConditionList).GetCurSel(); });
}

namespace {

ConditionVariant* VariantAt(GrowArray* list, std::int32_t index) {
  void* slot = nullptr;
  if (list == nullptr || !GrowArrayGetPtr(list, index, &slot)) return nullptr;
  return static_cast<ConditionVariant*>(slot);
}

std::int32_t CountOf(const GrowArray* list) {
  return list != nullptr && list->marker == kGrowArrayMarker ? list->count : 0;
}

}  // namespace

bool CCodeExeptionsView::OnInitDialog() {
  Dialog::OnInitDialog();
  Refresh();
  return true;
}

void CCodeExeptionsView::Refresh() {
  SetWindowText(caption);
  const std::int32_t count = CountOf(variants);
  if (current < 0 || current >= count) current = 0;
  wchar_t label[64];
  std::swprintf(label, 64, L"Exeption %i of %li", current + 1, static_cast<long>(count));
  SetItemText(kIdExceptionLabel, label);
  host::ui::Control& list = Item(kIdConditionList);
  list.ResetContent();
  const ConditionVariant* variant = VariantAt(variants, current);
  if (variant == nullptr) return;
  layer = Utf8ToWide(FieldText(variant->layer));
  colour = variant->colour;
  SetItemText(kIdLayerEdit, layer);
  SetItemText(kIdColourEdit, std::to_wstring(colour));
  CheckDlgButton(kIdLayerOn, variant->on != 0);
  CheckDlgButton(kIdLayerFrozen, variant->frozen != 0);
  CheckDlgButton(kIdLayerLocked, variant->locked != 0);
  const std::int32_t conditions = CountOf(&variant->conditions);
  for (std::int32_t k = 0; k < conditions; ++k) {
    AttributeCondition condition;
    if (!GrowArrayGet(&variant->conditions, k, &condition)) break;
    list.AddString(ConditionText(condition));
  }
  if (selectedCondition < 0 || selectedCondition >= conditions) selectedCondition = 0;
  list.SetCurSel(conditions > 0 ? selectedCondition : -1);
}

void CCodeExeptionsView::DoDataExchange(host::ui::DataExchange& dx) {
  host::ui::DdxText(dx, kIdLayerEdit, layer);
  host::ui::DdvMaxChars(dx, layer, kMaxLayerChars);
  if (!layer.empty()) DdvTableName(dx, kIdLayerEdit, layer, NameKind::kLayer);
  host::ui::DdxText(dx, kIdColourEdit, colour);
  host::ui::DdvMinMax(dx, colour, 1, kMaxPairColour);
}

bool CCodeExeptionsView::StoreCurrent() {
  ConditionVariant* variant = VariantAt(variants, current);
  if (variant == nullptr) return true;
  if (!UpdateData(true)) return false;
  CopyUtf8Field(variant->layer, WideToUtf8(layer));
  variant->colour = colour;
  variant->on = IsDlgButtonChecked(kIdLayerOn) == host::ui::kChecked;
  variant->frozen = IsDlgButtonChecked(kIdLayerFrozen) == host::ui::kChecked;
  variant->locked = IsDlgButtonChecked(kIdLayerLocked) == host::ui::kChecked;
  return true;
}

void CCodeExeptionsView::OnNext() {
  if (current >= CountOf(variants) - 1 || !StoreCurrent()) return;
  ++current;
  selectedCondition = 0;
  Refresh();
}

void CCodeExeptionsView::OnPrevious() {
  if (current <= 0 || !StoreCurrent()) return;
  --current;
  selectedCondition = 0;
  Refresh();
}

void CCodeExeptionsView::OnNewException() {
  if (variants == nullptr || variants->marker != kGrowArrayMarker || !StoreCurrent()) return;
  ConditionVariant added{};
  CopyUtf8Field(added.layer, WideToUtf8(layer));
  added.colour = colour;
  added.on = 1;
  if (!GrowArrayCreate(50, sizeof(AttributeCondition), &added.conditions)) return;
  if (!GrowArraySet(variants, variants->count, &added)) {
    GrowArrayFree(&added.conditions);
    return;
  }
  current = variants->count - 1;
  selectedCondition = 0;
  Refresh();
}

void CCodeExeptionsView::OnDeleteException() {
  if (CountOf(variants) <= 1) {
    (void)host::ui::ShowMessageBox(
        L"Can not delete last one - Toggle \"Use exeptions\" off\nin previous dialog box instead.", L"");
    return;
  }
  ConditionVariant* variant = VariantAt(variants, current);
  if (variant == nullptr) return;
  if (variant->conditions.marker == kGrowArrayMarker) GrowArrayFree(&variant->conditions);
  RemoveElement(variants, current);
  current = 0;
  selectedCondition = 0;
  Refresh();
}

void CCodeExeptionsView::OnAddCondition() {
  if (VariantAt(variants, current) == nullptr || !StoreCurrent()) return;
  CItemValueSelection selection(this);
  for (const char* item : {"theme", "descriptiveGroup", "descriptiveTerm", "make", "physicalPresence"})
    (void)selection.AllowItem(item);
  if (selection.DoModal() != host::ui::kIdOk || selection.itemText.empty()) return;
  AttributeCondition condition{};
  CopyField(condition.item, selection.itemText);
  CopyField(condition.value, selection.valueText);
  condition.match = selection.negate != 0 ? 0 : 1;
  ConditionVariant* variant = VariantAt(variants, current);
  if (variant->conditions.marker != kGrowArrayMarker &&
      !GrowArrayCreate(50, sizeof(AttributeCondition), &variant->conditions))
    return;
  if (!GrowArraySet(&variant->conditions, variant->conditions.count, &condition)) return;
  Refresh();
}

void CCodeExeptionsView::OnDeleteCondition() {
  ConditionVariant* variant = VariantAt(variants, current);
  if (variant == nullptr || CountOf(&variant->conditions) == 0 || !StoreCurrent()) return;
  RemoveElement(&variant->conditions, selectedCondition);
  selectedCondition = 0;
  Refresh();
}

void CCodeExeptionsView::OnClearConditions() {
  ConditionVariant* variant = VariantAt(variants, current);
  if (variant == nullptr) return;
  if (host::ui::ShowMessageBox(L"OK to delete all items in the list?", L"", host::ui::MessageButtons::kYesNo) !=
      host::ui::MessageResult::kYes)
    return;
  if (variant->conditions.marker == kGrowArrayMarker) variant->conditions.count = 0;
  if (!StoreCurrent()) return;
  Refresh();
}

void CCodeExeptionsView::OnOK() {
  if (StoreCurrent()) EndDialog(host::ui::kIdOk);
}
