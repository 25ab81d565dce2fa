// The catalogue of OS MasterMap element names and known attribute values,
// read from the support file lwh_gml.dat (read only).
//
// One labelled value a line; lines without a known label are ignored:
//   [Topographic Point:] osgb:TopographicPoint     element names: the token
//   [General AOD:] osgb:heightAboveDatum            up to the first blank
//   [osgb:theme:] Buildings                         known values: appended,
//   [osgb:descriptiveGroup:] Road Or Track          rest of the line
//   [osgb:descriptiveTerm:] Footbridge
// A value ends at the 128th character counted from its label's first
// character. Loading again adds values and replaces element names.
#pragma once

#include <string>

#include "common/containers/grow_array.h"

// One value of the catalogue's lists (and of the property filter's).
struct CatalogueValue {
  char text[513];
};

class OS_GML_Definitions {
 public:
  OS_GML_Definitions();
  virtual ~OS_GML_Definitions();
  OS_GML_Definitions(const OS_GML_Definitions&) = delete;
  OS_GML_Definitions& operator=(const OS_GML_Definitions&) = delete;

  // Reads the catalogue at `path`, adding to what it holds. False when the
  // file cannot be opened or a value cannot be stored (values read before
  // stay).
  bool LoadCatalogue(const char* path);

  std::wstring filePath;
  std::wstring topographicPointElement = L"osgb:TopographicPoint";
  std::wstring cartographicSymbolElement = L"osgb:CartographicSymbol";
  std::wstring topographicLineElement = L"osgb:TopographicLine";
  std::wstring cartographicTextElement = L"osgb:CartographicText";
  std::wstring pointElement = L"osgb:point";
  std::wstring coordinatesElement = L"gml:coordinates";
  std::wstring heightElement = L"osgb:heightAboveDatum";
  GrowArray themes{};             // of CatalogueValue
  GrowArray descriptiveGroups{};  // of CatalogueValue
  GrowArray descriptiveTerms{};   // of CatalogueValue
};
