// "Item / Value selection": one attribute condition built from the
// catalogue lwh_gml.dat, an item (theme, descriptiveTerm, ...) with one of its
// known values, and whether the condition is negated.
//
// The catalogue is read when the dialog opens, so the caller sets the
// allowed items first (none: every item). Its lines that hold "[osgb:" and
// ":] " give an item (the text after "[osgb:" up to the next ':', at most 122
// characters) and a value (the text after ":] ", at most 125). Items are
// merged with case ignored; values keep file order, repeats included. A
// catalogue that cannot be found or read shows "Unexpected error while
// reading lwh_gml.dat." and the dialog opens with empty lists; OK then gives
// empty texts.
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"
#include "host/ui/dialog.h"

inline constexpr int kItemValueSelectionTemplate = 238;
inline constexpr int kIdItemList = 364;
inline constexpr int kIdValueList = 365;
inline constexpr int kIdNegate = 366;
inline constexpr int kIdConditionSummary = 367;

// One name of the allowed items or one value of an item.
struct CatalogueText {
  char text[128];
};

// One item of the catalogue with its values (a GrowArray of CatalogueText).
struct CatalogueItem {
  char name[128];
  GrowArray values;
};

host::ui::DialogTemplate ItemValueSelectionTemplate();

class CItemValueSelection : public host::ui::Dialog {
 public:
  explicit CItemValueSelection(host::ui::Dialog* parent = nullptr);
  ~CItemValueSelection() override;

  // Adds an item the caller allows; false when it could not be stored.
  bool AllowItem(const char* name);

  bool OnInitDialog() override;
  void OnOK() override;

  // Reads the catalogue at `path` into `catalogue`, after emptying it; false
  // when the file cannot be opened.
  bool ReadCatalogue(const std::wstring& path);
  void FreeCatalogue();

  GrowArray allowedItems{};  // of CatalogueText
  GrowArray catalogue{};     // of CatalogueItem
  std::int32_t selectedItem = 0;
  std::int32_t selectedValue = 0;
  std::string itemText;   // results
  std::string valueText;
  int negate = 0;         // "Negate"

 private:
  void Refresh();
  bool IsAllowed(std::string_view item) const;
};
