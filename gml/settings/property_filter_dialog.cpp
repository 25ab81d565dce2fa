#include "gml/settings/property_filter_dialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/containers/text.h"
#include "host/ui/data_exchange.h"
#include "host/ui/pickers.h"

namespace {

using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;

constexpr const wchar_t* kFileDialogTitle = L"Please select a new Property Filter Definition file";

std::vector<host::ui::FileFilter> PfdFilters() {
  return {{L"Property Filter Definition files (*.pfd)", L"*.pfd"}};
}

int LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool ValueLess(const CatalogueValue& a, const CatalogueValue& b) {
  for (std::size_t i = 0;; ++i) {
    const int x = LowerAscii(static_cast<unsigned char>(a.text[i]));
    const int y = LowerAscii(static_cast<unsigned char>(b.text[i]));
    if (x != y) return x < y;
    if (x == 0) return false;
  }
}

struct Attribute {
  GrowArray PropertyFilter::*values;
  PropertyFilterMode PropertyFilter::*mode;
  GrowArray OS_GML_Definitions::*known;
  int firstRadio;
  int list;
  int add;
  int remove;
};

constexpr Attribute kAttributes[3] = {
    {&PropertyFilter::themes, &PropertyFilter::themeMode, &OS_GML_Definitions::themes, 281, 290, 293, 294},
    {&PropertyFilter::groups, &PropertyFilter::groupMode, &OS_GML_Definitions::descriptiveGroups, 284, 291, 295,
     296},
    {&PropertyFilter::terms, &PropertyFilter::termMode, &OS_GML_Definitions::descriptiveTerms, 287, 292, 297, 298},
};

}  // namespace

void SortPropertyValues(GrowArray* list) {
  if (list->marker != kGrowArrayMarker || list->count < 2) return;
  auto* values = static_cast<CatalogueValue*>(list->data);
  std::stable_sort(values, values + list->count, ValueLess);
}

bool RemoveListItem(GrowArray* list, std::int32_t index) {
  if (list->marker != kGrowArrayMarker || index < 0 || index >= list->count) return false;
  auto* values = static_cast<CatalogueValue*>(list->data);
  std::memmove(values + index, values + index + 1, sizeof(CatalogueValue) * (list->count - index - 1));
  --list->count;
  return true;
}

host::ui::DialogTemplate PropertyFiltersTemplate() {
  host::ui::DialogTemplate t;
  t.id = kPropertyFiltersTemplate;
  t.caption = L"Property filters";
  t.rect = {0, 0, 195, 311};
  const unsigned list_style = st::kMultiSelect | st::kNotify;
  t.controls = {
      {258, ControlKind::kStatic, L"", 0, {7, 5, 181, 12}},
      {1, ControlKind::kButton, L"Done", st::kDefault, {7, 21, 50, 14}},
      {331, ControlKind::kButton, L"Load...", 0, {83, 20, 50, 14}},
      {332, ControlKind::kButton, L"Save...", 0, {138, 20, 50, 14}},
      {0, ControlKind::kGroupBox, L"Themes", 0, {7, 39, 181, 85}},
      {281, ControlKind::kRadioButton, L"Input all Themes", st::kAuto | st::kGroup, {12, 49, 70, 10}},
      {282, ControlKind::kRadioButton, L"Input only these Themes", st::kAuto, {12, 59, 100, 10}},
      {283, ControlKind::kRadioButton, L"Input all exept these Themes", st::kAuto, {12, 69, 100, 10}},
      {293, ControlKind::kButton, L"Add...", st::kGroup, {142, 49, 40, 10}},
      {294, ControlKind::kButton, L"Delete...", 0, {142, 59, 40, 10}},
      {290, ControlKind::kListBox, L"", list_style, {23, 79, 159, 40}},
      {0, ControlKind::kGroupBox, L"Groups", 0, {7, 129, 181, 85}},
      {284, ControlKind::kRadioButton, L"Input all Groups", st::kAuto | st::kGroup, {12, 139, 70, 10}},
      {285, ControlKind::kRadioButton, L"Input only these Groups", st::kAuto, {12, 149, 100, 10}},
      {286, ControlKind::kRadioButton, L"Input all exept these Groups", st::kAuto, {12, 159, 100, 10}},
      {295, ControlKind::kButton, L"Add...", st::kGroup, {142, 139, 40, 10}},
      {296, ControlKind::kButton, L"Delete...", 0, {142, 149, 40, 10}},
      {291, ControlKind::kListBox, L"", list_style, {17, 169, 165, 40}},
      {0, ControlKind::kGroupBox, L"Terms", 0, {7, 219, 181, 85}},
      {287, ControlKind::kRadioButton, L"Input all Terms", st::kAuto | st::kGroup, {12, 229, 65, 10}},
      {288, ControlKind::kRadioButton, L"Input only these Terms", st::kAuto, {12, 239, 100, 10}},
      {289, ControlKind::kRadioButton, L"Input all exept these Terms", st::kAuto, {12, 249, 100, 10}},
      {297, ControlKind::kButton, L"Add...", st::kGroup, {142, 229, 40, 10}},
      {298, ControlKind::kButton, L"Delete...", 0, {142, 239, 40, 10}},
      {292, ControlKind::kListBox, L"", list_style, {17, 259, 165, 40}},
  };
  return t;
}

host::ui::DialogTemplate ListOfPropertiesTemplate() {
  host::ui::DialogTemplate t;
  t.id = kListOfPropertiesTemplate;
  t.caption = L"List of Properties";
  t.rect = {0, 0, 187, 155};
  t.controls = {
      {294, ControlKind::kListBox, L"", st::kMultiSelect | st::kNotify, {5, 5, 175, 125}},
      {1, ControlKind::kButton, L"OK", st::kDefault, {39, 135, 50, 14}},
      {2, ControlKind::kButton, L"Cancel", 0, {99, 135, 50, 14}},
  };
  return t;
}

host::ui::DialogTemplate DescriptionTemplate() {
  host::ui::DialogTemplate t;
  t.id = kDescriptionTemplate;
  t.caption = L"Description";
  t.rect = {0, 0, 187, 69};
  t.controls = {
      {0, ControlKind::kStatic, L"Please enter the property filter description below", 0, {13, 14, 103, 20}},
      {332, ControlKind::kEdit, L"", 0, {7, 46, 173, 16}},
      {1, ControlKind::kButton, L"OK", st::kDefault, {130, 7, 50, 14}},
      {2, ControlKind::kButton, L"Cancel", 0, {130, 24, 50, 14}},
  };
  return t;
}

// ---- List of Properties -------------------------------------------------------

SelectPropertyView::SelectPropertyView(host::ui::Dialog* parent) : Dialog(ListOfPropertiesTemplate(), parent) {
  On(kIdPropertyList, Notify::kDoubleClick, [this] { OnOK(); });
}

void SelectPropertyView::SetSource(const GrowArray& list) { source = list; }

void SelectPropertyView::SetOutput(GrowArray* list) {
  output = list;
  if (output != nullptr) output->count = 0;
}

int SelectPropertyView::DoModal() {
  if (source.marker != kGrowArrayMarker) return 0;
  return Dialog::DoModal();
}

bool SelectPropertyView::OnInitDialog() {
  Dialog::OnInitDialog();
  if (source.marker == kGrowArrayMarker) {
    const auto* values = static_cast<const CatalogueValue*>(source.data);
    for (std::int32_t i = 0; i < source.count; ++i) Item(kIdPropertyList).AddString(NarrowToWide(values[i].text));
  }
  return true;
}

void SelectPropertyView::CollectSelection() {
  if (output == nullptr || output->marker != kGrowArrayMarker) return;
  std::vector<int> rows = Item(kIdPropertyList).GetSelItems();
  std::sort(rows.begin(), rows.end());
  for (int row : rows) {
    const std::int32_t index = row;
    if (!GrowArraySet(output, output->count, &index)) break;
  }
}

void SelectPropertyView::OnOK() {
  CollectSelection();
  EndDialog(host::ui::kIdOk);
}

// ---- Description --------------------------------------------------------------

CPropFilterDescription::CPropFilterDescription(host::ui::Dialog* parent) : Dialog(DescriptionTemplate(), parent) {}

void CPropFilterDescription::DoDataExchange(host::ui::DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  host::ui::DdxText(dx, kIdDescriptionEdit, description);
}

void CPropFilterDescription::OnOK() {
  description = ItemText(kIdDescriptionEdit);
  EndDialog(host::ui::kIdOk);
}

// ---- Property filters ------------------------------------------------------------

PropertyFilterDialog::PropertyFilterDialog(PropertyFilter& filter, host::ui::Dialog* parent)
    : Dialog(PropertyFiltersTemplate(), parent), filter_(filter) {
  for (int a = 0; a < 3; ++a) {
    const Attribute& at = kAttributes[a];
    for (int m = 0; m < 3; ++m) {
      const PropertyFilterMode mode = kPropertyFilterAll + m;
      On(at.firstRadio + m, Notify::kClick, [this, a, mode] { OnSetMode(a, mode); });
    }
    On(at.add, Notify::kClick, [this, a] { OnAddValues(a); });
    On(at.remove, Notify::kClick, [this, a] { OnDeleteValues(a); });
    On(at.list, Notify::kDoubleClick, [this, a] { OnListDoubleClick(a); });
  }
  On(kIdLoadFilter, Notify::kClick, [this] { OnLoadFile(); });
  On(kIdSaveFilter, Notify::kClick, [this] { OnSaveFile(); });
}

int PropertyFilterDialog::DoModal() {
  if (filter_.unusable) return 0;
  return Dialog::DoModal();
}

bool PropertyFilterDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SetItemText(kIdFilterTitle, filter_.title);
  for (const Attribute& at : kAttributes) {
    const PropertyFilterMode mode = filter_.*at.mode;
    for (int m = 0; m < 3; ++m) CheckDlgButton(at.firstRadio + m, mode == kPropertyFilterAll + m ? 1 : 0);
    GrowArray& values = filter_.*at.values;
    const bool editable = mode == kPropertyFilterOnly || mode == kPropertyFilterBut;
    EnableItem(at.list, editable);
    EnableItem(at.add, editable);
    EnableItem(at.remove, editable && values.marker == kGrowArrayMarker && values.count > 0);
    SortPropertyValues(&values);
    host::ui::Control& list = Item(at.list);
    list.ResetContent();
    if (values.marker != kGrowArrayMarker) continue;
    const auto* texts = static_cast<const CatalogueValue*>(values.data);
    for (std::int32_t i = 0; i < values.count; ++i) list.AddString(NarrowToWide(texts[i].text));
  }
  return true;
}

void PropertyFilterDialog::OnSetMode(int attribute, PropertyFilterMode mode) {
  filter_.*kAttributes[attribute].mode = mode;
  OnInitDialog();
}

void PropertyFilterDialog::OnAddValues(int attribute) {
  const Attribute& at = kAttributes[attribute];
  GrowArray chosen{};
  if (!GrowArrayCreate(50, sizeof(std::int32_t), &chosen)) return;
  SelectPropertyView view(this);
  view.SetSource(filter_.catalogue.*at.known);
  view.SetOutput(&chosen);
  if (view.DoModal() == host::ui::kIdOk && chosen.count > 0) {
    const GrowArray& known = filter_.catalogue.*at.known;
    GrowArray& values = filter_.*at.values;
    for (std::int32_t i = 0; i < chosen.count; ++i) {
      std::int32_t index = 0;
      CatalogueValue value;
      if (!GrowArrayGet(&chosen, i, &index) || index < 0 || index >= known.count ||
          !GrowArrayGet(&known, index, &value))
        break;
      if (PropertyFilter::IsInList(&values, value.text)) continue;
      if (!GrowArraySet(&values, values.count, &value)) break;
    }
    OnInitDialog();
  }
  GrowArrayFree(&chosen);
}

void PropertyFilterDialog::OnDeleteValues(int attribute) {
  const Attribute& at = kAttributes[attribute];
  std::vector<int> rows = Item(at.list).GetSelItems();
  if (!rows.empty()) {
    std::sort(rows.begin(), rows.end());
    GrowArray& values = filter_.*at.values;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) RemoveListItem(&values, *it);
    if (values.count == 0) filter_.*at.mode = kPropertyFilterAll;
  }
  OnInitDialog();
}

void PropertyFilterDialog::OnLoadFile() {
  host::ui::FileDialogRequest request;
  request.title = kFileDialogTitle;
  request.filters = PfdFilters();
  request.initial_folder = filter_.folder;
  request.must_exist = true;
  request.hide_read_only = true;
  request.no_change_dir = true;
  request.buffer_chars = 10239;
  const host::Result<host::ui::FileDialogPaths> result = host::ui::ShowFileDialog(request);
  if (!result.ok() || result.value.empty()) return;
  for (GrowArray* list : {&filter_.themes, &filter_.groups, &filter_.terms}) list->count = 0;
  (void)filter_.LoadFile(result.value.front());
  OnInitDialog();
}

void PropertyFilterDialog::OnSaveFile() {
  CPropFilterDescription description(this);
  description.description = filter_.title;
  if (description.DoModal() != host::ui::kIdOk) return;
  host::ui::FileDialogRequest request;
  request.save = true;
  request.title = kFileDialogTitle;
  request.filters = PfdFilters();
  request.default_extension = L"pfd";
  request.initial_folder = filter_.folder;
  request.overwrite_prompt = true;
  request.hide_read_only = true;
  request.no_change_dir = true;
  request.buffer_chars = 10239;
  const host::Result<host::ui::FileDialogPaths> result = host::ui::ShowFileDialog(request);
  if (!result.ok() || result.value.empty()) return;
  filter_.title = description.description;
  (void)filter_.SaveFile(result.value.front());
  OnInitDialog();
}

void PropertyFilterDialog::OnOK() {
  (void)filter_.SaveFile(filter_.path);
  EndDialog(host::ui::kIdOk);
}

int PropertyFilter::DoModal() {
  PropertyFilterDialog dialog(*this);
  return dialog.DoModal();
}
