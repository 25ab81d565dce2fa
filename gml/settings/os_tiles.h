// British National Grid tile names, the tile index of a folder of tile
// drawings, and the "Import OS Tiles" dialog.
//
// A tile name is two grid letters and an even number of digits (4 to 10),
// optionally followed by a quarter (NE, NW, SE, SW): SU1234 is the 1 km
// square 412 km east and 134 km north of the grid's origin; SU1234NE its
// north-east quarter of 500 m. Digits give 1000, 100, 10 or 1 m tiles.
//
// Tile drawings are listed as the host stores drawings (".dwg" names kept
// as ".dxf" files).
//
// One CImportOSTiles lives while the add-in is loaded: its folder, tile
// index and switches persist from one command to the next.
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"
#include "host/ui/dialog.h"

// One tile drawing of the tile folder.
struct OSTileRecord {
  wchar_t name[14];  // the file name up to its first '.'
  std::int32_t size;  // metres
  double minX;
  double minY;
  double maxX;
  double maxY;
  std::uint8_t inserted;
};

// The tile's south-west corner and size in metres; false when `name` is not
// a tile name (the outputs are then not meaningful).
bool ParseTileName(const wchar_t* name, double* x, double* y, double* size);
bool IsDigitChar(wchar_t c);

// Dialog template and control ids.
inline constexpr int kImportOSTilesTemplate = 242;
inline constexpr int kIdTileFolder = 394;
inline constexpr int kIdTileBrowse = 395;
inline constexpr int kIdTileCount = 396;
inline constexpr int kIdTileXRefs = 397;
inline constexpr int kIdTileBlocksExploded = 398;
inline constexpr int kIdTileBlocks = 399;
inline constexpr int kIdTileCoverage = 400;
inline constexpr int kIdTileUse500 = 401;
inline constexpr int kIdTileUse1000 = 402;
inline constexpr int kIdTileUseOther = 403;
inline constexpr int kIdTileAtPoints = 404;
inline constexpr int kIdTileAreas = 405;
inline constexpr int kIdTileWindow = 406;

// End codes of DoModal besides OK (1) and Quit (2).
inline constexpr int kImportOSTilesCoverage = 5;

class CImportOSTiles : public host::ui::Dialog {
 public:
  CImportOSTiles();
  ~CImportOSTiles() override;

  // Runs the folder picker; true (and the folder set) when a folder was
  // chosen.
  bool BrowseTileFolder();
  // Rebuilds the tile index, the extent, the counts and the use switches.
  void ScanTileFolder();

  int DoModal() override;
  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;

  bool rescan = true;
  GrowArray tiles{};  // of OSTileRecord
  double minX = 99999999999.0;
  double minY = 99999999999.0;
  double maxX = -999.0;
  double maxY = -999.0;
  std::int32_t count500 = 0;
  std::int32_t count1000 = 0;
  std::int32_t countOther = 0;
  bool use500 = false;
  bool use1000 = false;
  bool useOther = false;
  std::int32_t insertMode = 0;       // 0 XRefs, 1 Blocks, 2 Blocks (exploded)
  std::int32_t selectionMethod = 0;  // 0 picked points, 1 areas, 2 window
  std::wstring folder;

 private:
  void OnBrowse();
  void OnInsertMode(int id, int mode);
  void OnUseSize(int id, bool* use);
  void OnSelectionMethod(int id, int method);
  void ResetScan();
};

// The dialog template "Import OS Tiles" (registered by CImportOSTiles).
host::ui::DialogTemplate ImportOSTilesTemplate();
