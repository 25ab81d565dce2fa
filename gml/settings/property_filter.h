// The property filter: which features the import lets in by their theme,
// descriptiveGroup and descriptiveTerm, and its definition file (.pfd).
//
// For each of the three attributes the filter holds a mode and a list of
// values: All lets every value pass, Only the values in the list, But the
// values not in it. Values compare over the whole text with ASCII letters
// taken without case. The test takes theme, group and term in that order and
// stops at the first that fails.
//
// The filter is built with the path of the catalogue lwh_gml.dat (found by
// the caller on the support path; empty when it was not found). Without a
// readable catalogue it is unusable: it shows one message, passes every
// feature and never writes. Otherwise its file is "lwh_gml_propfil.pfd"
// beside the catalogue: read at construction, written back when the filter
// is destroyed.
//
// The .pfd file:
//   Orvane ini file for Property Filters
//   Themes etc. things that user wants to filter (in or out)
//   [File title:] General Property Filters
//   (two empty lines)
//   [theme:input what (All/Only/But):] Only
//   [descriptiveGroup:input what (All/Only/But):] All
//   [descriptiveTerm:input what (All/Only/But):] But
//   (empty line) [osgb:theme:] value ... (empty line) [osgb:descriptiveGroup:] value ...
//   (empty line) [osgb:descriptiveTerm:] value ...
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"
#include "gml/settings/catalogue.h"

using PropertyFilterMode = std::int32_t;
inline constexpr PropertyFilterMode kPropertyFilterAll = 1;
inline constexpr PropertyFilterMode kPropertyFilterOnly = 2;
inline constexpr PropertyFilterMode kPropertyFilterBut = 3;

class PropertyFilter {
 public:
  // Looks for "lwh_gml.dat" on the support file search path.
  PropertyFilter();
  explicit PropertyFilter(const std::wstring& cataloguePath);
  // Writes the filter to its path, then frees its lists.
  virtual ~PropertyFilter();
  PropertyFilter(const PropertyFilter&) = delete;
  PropertyFilter& operator=(const PropertyFilter&) = delete;

  // 1 when a feature with these values passes, 0 when it does not.
  int Passes(const char* theme, const char* group, const char* term) const;
  // The theme part of Passes alone.
  int PassesTheme(const char* theme) const;
  // 1 when `value` equals a value of `list` (ASCII case ignored), else 0.
  static int IsInList(const GrowArray* list, const char* value);

  // Reads a .pfd file, adding its values to the lists; modes and title change
  // where the file has their lines. 0 only when a value could not be stored;
  // a file that cannot be opened changes nothing and gives 1.
  int LoadFile(const std::wstring& filePath);
  // Writes the filter to a .pfd file through a temporary file; 1 when the
  // file was written, 0 when any step failed (the old file is then whole).
  int SaveFile(const std::wstring& filePath) const;
  // Shows the "Property filters" dialog over this filter (see
  // property_filter_dialog.h); 0 at once, showing nothing, when unusable.
  int DoModal();

  std::wstring folder;  // where the file dialogs open
  std::wstring title = L"General Property Filters";
  std::int32_t unusable = 0;
  std::wstring path;    // the default .pfd file, or empty
  PropertyFilterMode termMode = kPropertyFilterAll;
  PropertyFilterMode groupMode = kPropertyFilterAll;
  PropertyFilterMode themeMode = kPropertyFilterAll;
  GrowArray themes{};  // of CatalogueValue
  GrowArray groups{};  // of CatalogueValue
  GrowArray terms{};   // of CatalogueValue
  OS_GML_Definitions catalogue;
};
