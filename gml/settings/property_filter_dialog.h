// The dialogs that edit a property filter: "Property filters" itself, the
// "List of Properties" chooser that offers the catalogue's values, and the
// "Description" box that asks for a title before a filter is saved.
//
// The dialog edits the filter directly: every change is in the filter at
// once, and Done writes it to the filter's own file.
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"
#include "gml/settings/property_filter.h"
#include "host/ui/dialog.h"

// Template ids.
inline constexpr int kPropertyFiltersTemplate = 224;
inline constexpr int kListOfPropertiesTemplate = 225;
inline constexpr int kDescriptionTemplate = 233;

// Control ids of "Property filters".
inline constexpr int kIdFilterTitle = 258;
inline constexpr int kIdThemeAll = 281;  // then Only, But; groups 284..286; terms 287..289
inline constexpr int kIdThemeList = 290;
inline constexpr int kIdGroupList = 291;
inline constexpr int kIdTermList = 292;
inline constexpr int kIdThemeAdd = 293;  // Delete 294; groups 295/296; terms 297/298
inline constexpr int kIdLoadFilter = 331;
inline constexpr int kIdSaveFilter = 332;
// "List of Properties" and "Description".
inline constexpr int kIdPropertyList = 294;
inline constexpr int kIdDescriptionEdit = 332;

host::ui::DialogTemplate PropertyFiltersTemplate();
host::ui::DialogTemplate ListOfPropertiesTemplate();
host::ui::DialogTemplate DescriptionTemplate();

// "List of Properties": the values of one catalogue list; the chosen
// entries' indices go to the caller's list.
class SelectPropertyView : public host::ui::Dialog {
 public:
  explicit SelectPropertyView(host::ui::Dialog* parent = nullptr);
  void SetSource(const GrowArray& source);  // the header is copied; nothing is freed
  void SetOutput(GrowArray* output);        // its count is set to 0
  // 0 without showing when no valid source was set.
  int DoModal() override;
  bool OnInitDialog() override;
  void OnOK() override;
  void CollectSelection();

  GrowArray source{};  // of CatalogueValue, marker 0 until set
  GrowArray* output = nullptr;  // of int32
};

// "Description": one line of text.
class CPropFilterDescription : public host::ui::Dialog {
 public:
  explicit CPropFilterDescription(host::ui::Dialog* parent = nullptr);
  void DoDataExchange(host::ui::DataExchange& dx) override;
  void OnOK() override;

  std::wstring description;
};

// "Property filters" over a filter.
class PropertyFilterDialog : public host::ui::Dialog {
 public:
  explicit PropertyFilterDialog(PropertyFilter& filter, host::ui::Dialog* parent = nullptr);
  // 0 at once, showing nothing, when the filter is unusable.
  int DoModal() override;
  // The refresh: title, modes, enabled states, sorted lists.
  bool OnInitDialog() override;
  void OnOK() override;

  // Attributes: 0 themes, 1 groups, 2 terms.
  void OnSetMode(int attribute, PropertyFilterMode mode);
  void OnAddValues(int attribute);
  void OnDeleteValues(int attribute);
  void OnListDoubleClick(int attribute) { OnDeleteValues(attribute); }
  void OnLoadFile();
  void OnSaveFile();

 private:
  PropertyFilter& filter_;
};

// Sorts a list of CatalogueValue in place by character codes with ASCII
// letters in lower case; equal values keep their order.
void SortPropertyValues(GrowArray* list);
// Removes the value at `index`, closing the gap; false when out of range.
bool RemoveListItem(GrowArray* list, std::int32_t index);
