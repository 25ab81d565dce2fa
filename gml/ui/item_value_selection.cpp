#include "gml/ui/item_value_selection.h"

#include <string_view>

#include "common/containers/line_reader.h"
#include "common/containers/text.h"
#include "gml/settings/text_fields.h"
#include "gml/settings/text_file.h"
#include "host/editor/support_path.h"
#include "host/ui/message_box.h"

namespace {

using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;

constexpr std::string_view kItemMark = "[osgb:";
constexpr std::string_view kValueMark = ":] ";

CatalogueItem* ItemAt(const GrowArray& list, std::int32_t index) {
  void* slot = nullptr;
  if (!GrowArrayGetPtr(&list, index, &slot)) return nullptr;
  return static_cast<CatalogueItem*>(slot);
}

const char* TextAt(const GrowArray& list, std::int32_t index) {
  void* slot = nullptr;
  if (list.marker != kGrowArrayMarker || !GrowArrayGetPtr(&list, index, &slot)) return nullptr;
  return static_cast<CatalogueText*>(slot)->text;
}

}  // namespace

host::ui::DialogTemplate ItemValueSelectionTemplate() {
  host::ui::DialogTemplate t;
  t.id = kItemValueSelectionTemplate;
  t.caption = L"Item / Value selection";
  t.rect = {0, 0, 290, 170};
  t.controls = {
      {0, ControlKind::kStatic, L"Item:", 0, {7, 7, 60, 8}},
      {kIdItemList, ControlKind::kListBox, L"", st::kNotify, {7, 17, 100, 110}},
      {0, ControlKind::kStatic, L"Value:", 0, {114, 7, 60, 8}},
      {kIdValueList, ControlKind::kListBox, L"", st::kNotify, {114, 17, 169, 110}},
      {kIdNegate, ControlKind::kCheckBox, L"Negate", st::kAuto, {7, 132, 60, 10}},
      {kIdConditionSummary, ControlKind::kStatic, L"", 0, {70, 132, 213, 10}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {179, 149, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {233, 149, 50, 14}},
  };
  return t;
}

CItemValueSelection::CItemValueSelection(host::ui::Dialog* parent)
    : Dialog(ItemValueSelectionTemplate(), parent) {
  (void)GrowArrayCreate(50, sizeof(CatalogueText), &allowedItems);
  (void)GrowArrayCreate(50, sizeof(CatalogueItem), &catalogue);
  On(kIdItemList, Notify::kSelChange, [this] {
    selectedItem = Item(kIdItemList).GetCurSel();
    selectedValue = 0;
    Refresh();
  });
  On(kIdValueList, Notify::kSelChange, [this] {
    selectedValue = Item(kIdValueList).GetCurSel();
    Refresh();
  });
  On(kIdNegate, Notify::kClick, [this] {
    negate = IsDlgButtonChecked(kIdNegate) == host::ui::kChecked ? 1 : 0;
    Refresh();
  });
}

CItemValueSelection::~CItemValueSelection() {
  FreeCatalogue();
  if (catalogue.marker == kGrowArrayMarker) GrowArrayFree(&catalogue);
  if (allowedItems.marker == kGrowArrayMarker) GrowArrayFree(&allowedItems);
}

bool CItemValueSelection::AllowItem(const char* name) {
  if (allowedItems.marker != kGrowArrayMarker) return false;
  CatalogueText entry{};
  CopyField(entry.text, name);
  return GrowArraySet(&allowedItems, allowedItems.count, &entry);
}

bool CItemValueSelection::IsAllowed(std::string_view item) const {
  if (allowedItems.marker != kGrowArrayMarker || allowedItems.count == 0) return true;
  for (std::int32_t i = 0; i < allowedItems.count; ++i) {
    const char* name = TextAt(allowedItems, i);
    if (name != nullptr && gml_settings::EqualsNoCase(name, item)) return true;
  }
  return false;
}

void CItemValueSelection::FreeCatalogue() {
  if (catalogue.marker != kGrowArrayMarker) return;
  for (std::int32_t i = 0; i < catalogue.count; ++i) {
    CatalogueItem* item = ItemAt(catalogue, i);
    if (item != nullptr && item->values.marker == kGrowArrayMarker) GrowArrayFree(&item->values);
  }
  catalogue.count = 0;
}

bool CItemValueSelection::ReadCatalogue(const std::wstring& path) {
  FreeCatalogue();
  LineReader reader(path, 510);
  if (!reader.Ok() || catalogue.marker != kGrowArrayMarker) return false;
  std::string line;
  while (reader.Next(&line)) {
    const std::size_t itemAt = line.find(kItemMark);
    const std::size_t valueAt = line.find(kValueMark);
    if (itemAt == std::string::npos || valueAt == std::string::npos) continue;
    std::string_view rest = std::string_view(line).substr(itemAt + kItemMark.size());
    const std::string_view item = gml_settings::CutTo(rest.substr(0, rest.find(':')), 122);
    const std::string_view value =
        gml_settings::CutTo(std::string_view(line).substr(valueAt + kValueMark.size()), 125);
    if (item.empty() || value.empty() || !IsAllowed(item)) continue;

    CatalogueText text{};
    CopyField(text.text, value);
    CatalogueItem* known = nullptr;
    for (std::int32_t i = 0; i < catalogue.count && known == nullptr; ++i) {
      CatalogueItem* candidate = ItemAt(catalogue, i);
      if (candidate != nullptr && gml_settings::EqualsNoCase(candidate->name, item)) known = candidate;
    }
    if (known != nullptr) {
      if (!GrowArraySet(&known->values, known->values.count, &text)) return false;
      continue;
    }
    CatalogueItem added{};
    CopyField(added.name, item);
    if (!GrowArrayCreate(50, sizeof(CatalogueText), &added.values)) return false;
    if (!GrowArraySet(&added.values, 0, &text) || !GrowArraySet(&catalogue, catalogue.count, &added)) {
      GrowArrayFree(&added.values);
      return false;
    }
  }
  return true;
}

bool CItemValueSelection::OnInitDialog() {
  Dialog::OnInitDialog();
  const std::optional<std::wstring> path = host::FindFile(L"lwh_gml.dat");
  if (!path || !ReadCatalogue(*path)) {
    (void)host::ui::ShowMessageBox(L"Unexpected error while reading lwh_gml.dat.", L"");
  }
  Refresh();
  return true;
}

void CItemValueSelection::Refresh() {
  CheckDlgButton(kIdNegate, negate != 0 ? host::ui::kChecked : host::ui::kUnchecked);
  host::ui::Control& items = Item(kIdItemList);
  host::ui::Control& values = Item(kIdValueList);
  items.ResetContent();
  values.ResetContent();
  itemText.clear();
  valueText.clear();
  const std::int32_t itemCount = catalogue.marker == kGrowArrayMarker ? catalogue.count : 0;
  for (std::int32_t i = 0; i < itemCount; ++i) {
    const CatalogueItem* item = ItemAt(catalogue, i);
    items.AddString(NarrowToWide(item != nullptr ? item->name : ""));
  }
  if (selectedItem < 0 || selectedItem >= itemCount) selectedItem = 0;
  if (const CatalogueItem* item = itemCount > 0 ? ItemAt(catalogue, selectedItem) : nullptr) {
    items.SetCurSel(selectedItem);
    itemText = item->name;
    for (std::int32_t v = 0; v < item->values.count; ++v) {
      const char* value = TextAt(item->values, v);
      values.AddString(NarrowToWide(value != nullptr ? value : ""));
    }
    if (selectedValue < 0 || selectedValue >= item->values.count) selectedValue = 0;
    if (const char* value = TextAt(item->values, selectedValue)) {
      values.SetCurSel(selectedValue);
      valueText = value;
    }
  }
  const std::string summary = itemText + (negate != 0 ? " is not " : " is ") + valueText;
  SetItemText(kIdConditionSummary, NarrowToWide(summary));
}

void CItemValueSelection::OnOK() {
  negate = IsDlgButtonChecked(kIdNegate) == host::ui::kChecked ? 1 : 0;
  EndDialog(host::ui::kIdOk);
}
