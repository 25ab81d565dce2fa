// The import settings record: every value of the settings file lwh_gml.ini,
// the support folder and the three lookup tables of the import.
//
// The settings file is text of labelled lines ("[Layers defined by:] 1"),
// its texts (folders, file IDs, layer and block names) in UTF-8; a byte that
// is not UTF-8 (a file written before in 8-bit text) reads as the character
// of its number.
// A label is found anywhere in a line; when a line holds several, the key of
// highest precedence wins. Missing keys keep their values; values that do not
// parse or lie out of range take a fixed fallback per key; a Yes/No switch
// that is neither (letter case ignored), a block scale or a layer colour that
// makes no sense is refused instead (the member keeps its value) and named in
// one message box after the load. Switches are written "Yes" or "No". Saving writes every
// key after the user's own lines at the top of the old file, through a
// temporary file, so a failed save leaves the old file whole.
//
// Callers read and write the members directly. Switches hold 0 or 1.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"
#include "gml/settings/lookup_tables.h"

// The range of "[AutoCAD block scaling factor:]" that the settings file and
// the settings dialog accept.
inline constexpr double kMinBlockScaling = 0.01;
inline constexpr double kMaxBlockScaling = 1000000.0;

class OS_GML_ACAD_Definitions {
 public:
  OS_GML_ACAD_Definitions();
  virtual ~OS_GML_ACAD_Definitions();
  OS_GML_ACAD_Definitions(const OS_GML_ACAD_Definitions&) = delete;
  OS_GML_ACAD_Definitions& operator=(const OS_GML_ACAD_Definitions&) = delete;

  // Reads the settings file at `path` (remembered as the settings path).
  // With `setFolder`, the file's folder (up to its last separator) becomes the
  // support folder. A file that cannot be opened is no error: the result is
  // always true.
  bool LoadSettings(const std::wstring& path, bool setFolder);
  // Writes every key to the settings path ("lwh_gml.ini" in the support
  // folder when the path is shorter than 5 characters). False when any step
  // of the save failed, the old file then as it was, and false without
  // writing anything when there is neither a path nor a support folder.
  [[nodiscard]] bool SaveSettings();
  // True when SaveSettings has a place to write to.
  bool HasSettingsFile() const;

  // The three tables below are saved only into a known support folder: a
  // save without one writes nothing and answers false.

  // Feature-code table (support folder + codeTableFileName).
  bool LoadCodeLookupTable();
  [[nodiscard]] bool SaveCodeLookupTable();
  // Index of the first row whose code equals `code`, case ignored; false and
  // -1 when there is none.
  bool FindCodeIndex(const char* code, int* index) const;

  // Symbol table (support folder + symbolTableFileName).
  bool LoadSymbolLookupTable();
  [[nodiscard]] bool SaveSymbolLookupTable();

  // Polygon symbology sets (support folder + symbologyTableFileName).
  bool LoadSymbologyTable();
  [[nodiscard]] bool SaveSymbologyTable();

  // Frees every list nested in the tables and empties them (the tables stay).
  void ClearCodeTable();
  void ClearSymbologySets();

  // --- not in the settings file -------------------------------------------
  std::int32_t batchSwitch = 0;   // "Batch process locations"
  std::wstring supportFolder;     // ends with a separator, or empty
  std::int32_t constructionFailed = 0;  // a table could not be created
  std::wstring batchFolder;       // output folder of batch drawings
  std::wstring postcodePath;      // the postcode file handed to the postcode prompt
  GrowArray codeTable{};          // of CodeLookupEntry
  GrowArray symbolTable{};        // of SymbolLookupEntry
  GrowArray symbologySets{};      // of SymbologySet
  std::wstring settingsPath;      // the file last given to LoadSettings

  // --- keys of the settings file, in the file's order ---------------------
  std::int32_t useCodeLookupTable = 1;
  std::int32_t useSymbolLookupTable = 1;
  std::int32_t markTermBesidePoint = 1;
  std::int32_t markTermBesideSymbol = 1;
  std::int32_t includeZarnsHaStuff = 0;  // permits SDF output
  std::int32_t attributesToXdata = 1;    // 0 none, 1 TOIDs only, 2 all
  std::int32_t attributesToOdata = 1;    // 0 none, 1 TOIDs only, 2 all
  std::int32_t attributesToSdf = 0;
  std::wstring sdfFileId = L"Orvane001_";
  std::wstring sdfDirectory = L"c:\\";
  std::int32_t attributesToCsv = 1;      // 0 none, 1 TOIDs only, 2 all
  std::wstring csvFileId = L"Orvane001_";
  std::wstring csvDirectory = L"c:\\";
  std::int32_t layersDefinedBy = 1;      // 0 feature code, 1 code table
  std::int32_t pointsAndSymbolsAs = 0;   // 0 symbol table, 1 fixed block, 2 points
  std::int32_t ifCodeNotFound = 0;       // 0 point, 1 ignore, 2 fixed block
  std::int32_t ifCodeLayerNotFound = 0;  // 0 code as layer, 1 ignore, 2 fixed layer
  std::wstring fixedBlockName = L"apoint";
  std::int32_t scalingFactorChoice = 1;  // 0 1:500, 1 1:1250, 2 1:2500, 3 1:10000, 4 manual
  std::int32_t manualScalingFactor = 500;
  std::int32_t inputRoadNodes = 0;
  std::int32_t inputRoadLinks = 0;
  std::int32_t inputRoads = 0;
  std::int32_t inputTopoLines = 1;
  std::int32_t inputTopoPoints = 1;
  std::int32_t inputAddressPoints = 0;
  std::int32_t inputCartoSymbols = 1;
  std::int32_t inputCartoText = 1;
  std::int32_t inputPolygons = 1;
  std::int32_t filterByProperty = 0;
  std::int32_t zoomToData = 1;
  std::int32_t drawOsGridLines = 0;
  std::int32_t forceTextToFixedLayer = 0;
  std::wstring forcedTextLayer = L"MasterMap Text";
  double blockScalingFactor = 1.0;
  std::int32_t areaFiltering = 0;
  std::int32_t trimLinesToAreaEdges = 0;
  std::int32_t drawPolygonsAsHatches = 1;
  std::int32_t plantBlocksInPolygons = 1;
  std::int32_t drawPolygonsAsPolylines = 1;
  std::int32_t locationMode = 0;         // lines 0 within the area, 1 crossing it
  std::int32_t saveDepartedFeatures = 1;
  std::wstring departedFeaturesLayer = L"Departed Features";
  std::wstring codeTableFileName = L"lwh_gml_codelookup.ovc";
  std::wstring symbolTableFileName = L"lwh_gml_symbollookup.ovs";
  std::wstring symbologyTableFileName = L"lwh_gml_symbologylookup.ovl";
  std::int32_t roadLayerWay = 1;         // 0 by road name, 1 fixed
  std::wstring roadFixedLayer = L"Roads";
  std::int32_t roadFixedLayerColour = 7;
  std::uint8_t roadLayerOn = 1;
  std::uint8_t roadLayerFrozen = 0;
  std::uint8_t roadLayerLocked = 0;
  std::int32_t roadLinkLayerWay = 0;     // 0 by attribute value, 1 fixed
  std::int32_t roadLinkLayerValue = 2;   // 0 term, 1 nature, 2 term + nature
  std::wstring roadLinkFixedLayer = L"RoadLinks";
  std::int32_t roadLinkFixedLayerColour = 7;
  std::uint8_t roadLinkLayerOn = 1;
  std::uint8_t roadLinkLayerFrozen = 0;
  std::uint8_t roadLinkLayerLocked = 0;
  std::int32_t roadNodeMarkingWay = 0;   // 0 point, 1 block
  std::wstring roadNodeLayer = L"Road Nodes";
  std::wstring roadNodeBlock = L"RoadNode";
  std::int32_t roadNodeLayerColour = 7;
  std::uint8_t roadNodeLayerOn = 1;
  std::uint8_t roadNodeLayerFrozen = 0;
  std::uint8_t roadNodeLayerLocked = 0;
  std::int32_t addressMarkingWay = 0;    // 0 point, 1 block
  std::wstring addressLayer = L"Addresses";
  std::wstring addressBlock = L"AddressPoint";
  std::int32_t addressLayerColour = 7;
  std::uint8_t addressLayerOn = 1;
  std::uint8_t addressLayerFrozen = 0;
  std::uint8_t addressLayerLocked = 0;
  std::uint8_t readPostalAddress = 1;
  std::uint8_t readBs7666 = 1;
  std::uint8_t readAddressAuthority = 1;
  std::uint8_t readAddressStatus = 1;
  std::wstring osTilePath;               // folder of the OS tile drawings
  std::int32_t osTileInsertMode = 0;     // 0 xref, 1 block, 2 exploded block
  std::int32_t osTileMatchingMode = 1;   // 0 fully in, 1 partly in
  std::int32_t osTileSelectionMethod = 1;  // 0 picked points, 1 areas and crossing polylines
  std::uint8_t useItnLayerPrefix = 1;
  std::wstring itnLayerPrefix = L"ITN_";
  // Symbol planting levels lo, med, hi, vhi, ehi.
  std::array<std::int32_t, 5> edgeBufferingPoints{24, 48, 96, 192, 384};
  std::array<std::int32_t, 5> placementWaitSeconds{2, 4, 8, 16, 32};

 private:
  // The path of a table in the support folder (plain concatenation).
  std::wstring TablePath(const std::wstring& fileName) const;
};
