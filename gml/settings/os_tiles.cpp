#include "gml/settings/os_tiles.h"

#include <cwchar>
#include <string_view>

#include "host/db/drawing_file.h"
#include "host/system/files.h"
#include "host/ui/data_exchange.h"
#include "host/ui/pickers.h"

namespace {

// Corner of each 500 km square by its letter.
bool MajorSquare(wchar_t c, double* east, double* north) {
  switch (c) {
    case L'S': *east = 0; *north = 0; return true;
    case L'N': *east = 0; *north = 500000; return true;
    case L'H': *east = 0; *north = 1000000; return true;
    case L'T': *east = 500000; *north = 0; return true;
    case L'O': *east = 500000; *north = 500000; return true;
    default: return false;
  }
}

// The 100 km square inside it: a 5 by 5 grid without I, rows from the north.
bool MinorSquare(wchar_t c, double* east, double* north) {
  static const wchar_t kLetters[] = L"ABCDEFGHJKLMNOPQRSTUVWXYZ";
  for (int i = 0; i < 25; ++i) {
    if (kLetters[i] == c) {
      *east = (i % 5) * 100000.0;
      *north = (4 - i / 5) * 100000.0;
      return true;
    }
  }
  return false;
}

wchar_t Upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

double DigitsValue(const wchar_t* digits, int count) {
  double value = 0;
  for (int i = 0; i < count; ++i) value = value * 10 + (digits[i] - L'0');
  return value;
}

constexpr double kNoMin = 99999999999.0;
constexpr double kNoMax = -999.0;

}  // namespace

bool IsDigitChar(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool ParseTileName(const wchar_t* name, double* x, double* y, double* size) {
  if (name == nullptr || x == nullptr || y == nullptr || size == nullptr) return false;
  double east = 0, north = 0, east2 = 0, north2 = 0;
  if (name[0] == 0 || !MajorSquare(Upper(name[0]), &east, &north)) return false;
  if (name[1] == 0 || !MinorSquare(Upper(name[1]), &east2, &north2)) return false;
  east += east2;
  north += north2;
  int digits = 0;
  while (digits < 10 && IsDigitChar(name[2 + digits])) ++digits;
  if (digits < 4 || digits % 2 != 0) return false;
  const int half = digits / 2;
  double tile = 1000;
  for (int d = 4; d < digits; d += 2) tile /= 10;
  east += DigitsValue(name + 2, half) * tile;
  north += DigitsValue(name + 2 + half, half) * tile;
  const wchar_t* rest = name + 2 + digits;
  if (rest[0] != 0 && rest[1] != 0) {
    const wchar_t ns = Upper(rest[0]);
    const wchar_t ew = Upper(rest[1]);
    if ((ns == L'N' || ns == L'S') && (ew == L'E' || ew == L'W')) {
      tile /= 2;
      if (ew == L'E') east += tile;
      if (ns == L'N') north += tile;
    }
  }
  *x = east;
  *y = north;
  *size = tile;
  return true;
}

host::ui::DialogTemplate ImportOSTilesTemplate() {
  using host::ui::ControlKind;
  namespace st = host::ui::style;
  host::ui::DialogTemplate t;
  t.id = kImportOSTilesTemplate;
  t.caption = L"Import OS Tiles";
  t.rect = {0, 0, 415, 136};
  t.controls = {
      {1, ControlKind::kButton, L"OK", st::kDefault, {147, 115, 50, 14}},
      {2, ControlKind::kButton, L"Quit", 0, {217, 115, 50, 14}},
      {kIdTileFolder, ControlKind::kStatic, L"", 0, {7, 25, 401, 12}},
      {kIdTileBrowse, ControlKind::kButton, L"Browse...", 0, {7, 7, 50, 14}},
      {kIdTileCount, ControlKind::kStatic, L"n files found", 0, {65, 10, 150, 10}},
      {kIdTileXRefs, ControlKind::kRadioButton, L"XRefs", st::kAuto | st::kGroup, {14, 54, 110, 10}},
      {kIdTileBlocksExploded, ControlKind::kRadioButton, L"Blocks (exploded)", st::kAuto,
       {14, 78, 110, 10}},
      {kIdTileBlocks, ControlKind::kRadioButton, L"Blocks", st::kAuto, {14, 66, 110, 10}},
      {kIdTileCoverage, ControlKind::kButton, L"Draw all files' coverage areas", st::kHidden,
       {280, 7, 128, 14}},
      {kIdTileUse500, ControlKind::kCheckBox, L"Use 1 : 1250 tiles (n found)", st::kAuto | st::kGroup,
       {282, 54, 120, 10}},
      {kIdTileUse1000, ControlKind::kCheckBox, L"Use 1 : 2500 tiles (n found)", st::kAuto,
       {282, 66, 120, 10}},
      {kIdTileUseOther, ControlKind::kCheckBox, L"Use other size tiles (n found)", st::kAuto,
       {282, 78, 120, 10}},
      {kIdTileAtPoints, ControlKind::kRadioButton, L"At picked point(s)", st::kAuto | st::kGroup,
       {148, 54, 120, 10}},
      {kIdTileAreas, ControlKind::kRadioButton, L"Areas / crossing polylines", st::kAuto,
       {148, 66, 120, 10}},
      {0, ControlKind::kGroupBox, L"Imported AutoCAD entity type", 0, {7, 42, 128, 60}},
      {0, ControlKind::kGroupBox, L"Import selection method", 0, {141, 42, 134, 60}},
      {0, ControlKind::kGroupBox, L"Tile selection by size", 0, {275, 42, 133, 60}},
      {kIdTileWindow, ControlKind::kRadioButton, L"Window select", st::kAuto, {148, 78, 120, 10}},
  };
  return t;
}

CImportOSTiles::CImportOSTiles() : Dialog(ImportOSTilesTemplate()) {
  if (!GrowArrayCreate(50, sizeof(OSTileRecord), &tiles)) tiles.marker = 0;
  On(kIdTileBrowse, host::ui::Notify::kClick, [this] { OnBrowse(); });
  On(kIdTileXRefs, host::ui::Notify::kClick, [this] { OnInsertMode(kIdTileXRefs, 0); });
  On(kIdTileBlocks, host::ui::Notify::kClick, [this] { OnInsertMode(kIdTileBlocks, 1); });
  On(kIdTileBlocksExploded, host::ui::Notify::kClick,
     [this] { OnInsertMode(kIdTileBlocksExploded, 2); });
  On(kIdTileUse500, host::ui::Notify::kClick, [this] { OnUseSize(kIdTileUse500, &use500); });
  On(kIdTileUse1000, host::ui::Notify::kClick, [this] { OnUseSize(kIdTileUse1000, &use1000); });
  On(kIdTileUseOther, host::ui::Notify::kClick, [this] { OnUseSize(kIdTileUseOther, &useOther); });
  On(kIdTileAtPoints, host::ui::Notify::kClick, [this] { OnSelectionMethod(kIdTileAtPoints, 0); });
  On(kIdTileAreas, host::ui::Notify::kClick, [this] { OnSelectionMethod(kIdTileAreas, 1); });
  On(kIdTileWindow, host::ui::Notify::kClick, [this] { OnSelectionMethod(kIdTileWindow, 2); });
  On(kIdTileCoverage, host::ui::Notify::kClick, [this] { EndDialog(kImportOSTilesCoverage); });
}

CImportOSTiles::~CImportOSTiles() {
  if (tiles.marker == kGrowArrayMarker) GrowArrayFree(&tiles);
}

bool CImportOSTiles::BrowseTileFolder() {
  const std::optional<std::wstring> chosen =
      host::ui::BrowseForFolder(L"Select OS drawing files folder.");
  if (!chosen || chosen->empty()) return false;
  folder = *chosen;
  return true;
}

void CImportOSTiles::ResetScan() {
  tiles.count = 0;
  count500 = count1000 = countOther = 0;
  minX = minY = kNoMin;
  maxX = maxY = kNoMax;
}

void CImportOSTiles::ScanTileFolder() {
  ResetScan();
  if (tiles.marker == kGrowArrayMarker && !folder.empty()) {
    std::wstring pattern = folder;
    const wchar_t last = pattern.back();
    if (last != L'\\' && last != L'/') pattern += host::kPathSeparator;
    pattern += L"*.dwg";
    // The host keeps drawings as DXF: its drawing-file names stand for the
    // tiles' ".dwg" names.
    for (const host::FileInfo& entry : host::ListFolder(host::db::DrawingFilePath(pattern))) {
      if (entry.attributes & host::kAttributeDirectory) continue;
      if (entry.name.size() > 16) continue;
      const std::wstring stem = entry.name.substr(0, entry.name.find(L'.'));
      double x = 0, y = 0, size = 0;
      if (stem.size() > 13 || !ParseTileName(stem.c_str(), &x, &y, &size)) continue;
      OSTileRecord record{};
      std::wmemcpy(record.name, stem.c_str(), stem.size());
      record.size = static_cast<std::int32_t>(size);
      record.minX = x;
      record.minY = y;
      record.maxX = x + size;
      record.maxY = y + size;
      if (!GrowArraySet(&tiles, tiles.count, &record)) break;
      if (x < minX) minX = x;
      if (y < minY) minY = y;
      if (record.maxX > maxX) maxX = record.maxX;
      if (record.maxY > maxY) maxY = record.maxY;
      if (record.size == 500)
        ++count500;
      else if (record.size == 1000)
        ++count1000;
      else
        ++countOther;
    }
  }
  use500 = count500 > 0;
  use1000 = count1000 > 0;
  useOther = countOther > 0;
}

int CImportOSTiles::DoModal() {
  if (folder.empty()) (void)BrowseTileFolder();
  return Dialog::DoModal();
}

void CImportOSTiles::DoDataExchange(host::ui::DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  host::ui::DdxText(dx, kIdTileFolder, folder);
}

bool CImportOSTiles::OnInitDialog() {
  Dialog::OnInitDialog();
  if (!folder.empty() && rescan) ScanTileFolder();
  struct SizeBox {
    int id;
    const wchar_t* format;
    std::int32_t count;
  };
  const SizeBox boxes[3] = {
      {kIdTileUse500, L"Use 1 : 1250 tiles (%i found)", count500},
      {kIdTileUse1000, L"Use 1 : 2500 tiles (%i found)", count1000},
      {kIdTileUseOther, L"Use other size tiles (%i found)", countOther},
  };
  wchar_t text[128];
  if (folder.empty()) {
    EnableItem(host::ui::kIdOk, false);
    EnableItem(kIdTileCoverage, false);
    SetItemText(kIdTileCount, L"");
    for (const SizeBox& box : boxes) {
      std::swprintf(text, 128, box.format, 0);
      SetItemText(box.id, text);
      EnableItem(box.id, false);
    }
  } else {
    std::swprintf(text, 128, L"%li OS files found", static_cast<long>(tiles.count));
    SetItemText(kIdTileCount, text);
    const bool uses[3] = {use500, use1000, useOther};
    for (int i = 0; i < 3; ++i) {
      const SizeBox& box = boxes[i];
      std::swprintf(text, 128, box.format, static_cast<int>(box.count));
      SetItemText(box.id, text);
      EnableItem(box.id, box.count > 0);
      CheckDlgButton(box.id, box.count > 0 && uses[i] ? host::ui::kChecked : host::ui::kUnchecked);
    }
    const bool can_run = tiles.count > 0 && (use500 || use1000 || useOther);
    EnableItem(host::ui::kIdOk, can_run);
    EnableItem(kIdTileCoverage, can_run);
    rescan = false;
  }
  const int mode_ids[3] = {kIdTileXRefs, kIdTileBlocks, kIdTileBlocksExploded};
  if (insertMode >= 0 && insertMode <= 2) {
    for (int i = 0; i < 3; ++i) CheckDlgButton(mode_ids[i], i == insertMode);
  }
  const int method_ids[3] = {kIdTileAtPoints, kIdTileAreas, kIdTileWindow};
  if (selectionMethod >= 0 && selectionMethod <= 2) {
    for (int i = 0; i < 3; ++i) CheckDlgButton(method_ids[i], i == selectionMethod);
  }
  return true;
}

void CImportOSTiles::OnBrowse() {
  (void)BrowseTileFolder();
  rescan = true;
  OnInitDialog();
}

void CImportOSTiles::OnInsertMode(int id, int mode) {
  if (IsDlgButtonChecked(id) == host::ui::kChecked) insertMode = mode;
}

void CImportOSTiles::OnUseSize(int id, bool* use) {
  *use = IsDlgButtonChecked(id) == host::ui::kChecked;
  OnInitDialog();
}

void CImportOSTiles::OnSelectionMethod(int id, int method) {
  if (IsDlgButtonChecked(id) == host::ui::kChecked) selectionMethod = method;
  OnInitDialog();
}
