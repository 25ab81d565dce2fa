#include "gml/ui/tile_commands.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/cad/current_layer.h"
#include "common/cad/entity_geometry.h"
#include "common/containers/grow_array.h"
#include "common/containers/text.h"
#include "common/geometry/alignment.h"
#include "common/geometry/densify.h"
#include "common/geometry/hz_geometry.h"
#include "common/geometry/plane_geometry.h"
#include "gml/settings/area_filter.h"
#include "gml/settings/settings_record.h"
#include "gml/ui/boundary_selection.h"
#include "gml/ui/varnel_commands.h"
#include "gml/writer/blocks.h"
#include "gml/writer/entity_writers.h"
#include "host/db/blocks.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"
#include "host/editor/display.h"
#include "host/editor/host_commands.h"
#include "host/editor/point_prompts.h"
#include "host/editor/prompts.h"
#include "host/editor/selection.h"
#include "host/editor/support_path.h"
#include "host/ui/message_box.h"

namespace {

struct TileState {
  OS_GML_ACAD_Definitions settings;
  bool settingsLoaded = false;
  CImportOSTiles dialog;
};

std::unique_ptr<TileState>& StatePointer() {
  static std::unique_ptr<TileState> state;
  return state;
}

TileState& State() {
  std::unique_ptr<TileState>& state = StatePointer();
  if (!state) state = std::make_unique<TileState>();
  return *state;
}

// Loads the tile values from the settings file once; false without a
// settings file.
bool LoadTileSettings(TileState& state) {
  if (!state.settingsLoaded) {
    const std::optional<std::wstring> path = host::FindFile(L"lwh_gml.ini");
    if (!path || !state.settings.LoadSettings(*path, true)) return false;
    state.dialog.folder = state.settings.osTilePath;
    state.dialog.insertMode = state.settings.osTileInsertMode;
    state.dialog.selectionMethod = state.settings.osTileSelectionMethod;
    state.settingsLoaded = true;
  }
  return true;
}

// The tile list is that of the dialog's folder already (the dialog scans a
// folder as it is chosen): storing it does not ask for another scan, which
// would forget the tiles this drawing holds.
void StoreTileSettings(TileState& state) {
  state.settings.osTilePath = state.dialog.folder;
  state.settings.osTileInsertMode = state.dialog.insertMode;
  state.settings.osTileSelectionMethod = state.dialog.selectionMethod;
  (void)state.settings.SaveSettings();
}

bool GetTile(const CImportOSTiles& tiles, std::int32_t i, OSTileRecord* tile) {
  return GrowArrayGet(&tiles.tiles, i, tile);
}

// Draws the outline of each tile (only the qualifying ones with
// `qualifyingOnly`) on a layer the user names. False when the layer step
// failed.
bool DrawTileOutlines(CImportOSTiles& tiles, bool qualifyingOnly) {
  ZoomWindowWithMargin(tiles.maxX, tiles.maxY, tiles.minX, tiles.minY);
  const host::Input<std::wstring> answer =
      host::GetString(true, L"\nLayer for File Coverage polylines <File Coverage>");
  if (!answer.ok()) return false;
  const std::wstring layer = answer.value.empty() ? L"File Coverage" : answer.value;
  if (!MakeLayerCurrent(7, layer)) return false;
  host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr) return false;
  const std::string narrowLayer = WideToNarrow(layer);
  const char* l = narrowLayer.c_str();
  for (std::int32_t i = 0; i < tiles.tiles.count; ++i) {
    OSTileRecord t{};
    if (!GetTile(tiles, i, &t)) break;
    if (qualifyingOnly && !TileQualifies(tiles, t)) continue;
    (void)DrawTwoPointPolyline(l, 256, 0.0, *db, t.minX, t.minY, t.minX, t.maxY);
    (void)DrawTwoPointPolyline(l, 256, 0.0, *db, t.minX, t.maxY, t.maxX, t.maxY);
    (void)DrawTwoPointPolyline(l, 256, 0.0, *db, t.maxX, t.maxY, t.maxX, t.minY);
    (void)DrawTwoPointPolyline(l, 256, 0.0, *db, t.maxX, t.minY, t.minX, t.minY);
  }
  host::FlushGraphics();
  ProcessPendingMessages();
  return true;
}

bool AnySizeSwitchedOn(const CImportOSTiles& tiles) { return tiles.use500 || tiles.use1000 || tiles.useOther; }

// One insertion run: the duplicate question is asked once.
struct InsertRun {
  TileState& state;
  std::string layer;
  bool duplicatesAsked = false;
  bool duplicatesAllowed = false;
};

bool AskAllowDuplicateTiles() {
  return host::ui::ShowMessageBox(L"Allow duplicate tiles?", L"", host::ui::MessageButtons::kYesNo) ==
         host::ui::MessageResult::kYes;
}

bool AttachTileXref(const std::wstring& path, const std::wstring& name) {
  return host::AttachXref(path, name) == host::Status::kNormal;
}

// Reads the tile drawing into a side database and makes it a block of the
// working drawing named after the tile.
bool ReadTileDrawing(const std::wstring& path, const std::wstring& name) {
  host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr) return false;
  host::db::Database side(host::db::Database::Content::kEmpty);
  if (!host::db::ReadDrawing(side, std::wstring_view(path)).ok()) return false;
  return !host::db::InsertDrawingAsBlock(*db, name, side).IsNull();
}

// Inserts tile `index`; false when the insertion failed (the run ends).
// A duplicate the user refused is skipped and counts as done.
bool InsertTile(InsertRun& run, std::int32_t index) {
  CImportOSTiles& tiles = run.state.dialog;
  OSTileRecord tile{};
  if (!GetTile(tiles, index, &tile)) return false;
  if (tile.inserted) {
    if (!run.duplicatesAsked) {
      run.duplicatesAllowed = AskAllowDuplicateTiles();
      run.duplicatesAsked = true;
    }
    if (!run.duplicatesAllowed) return true;
  }
  std::wstring folder = tiles.folder;
  if (folder.empty() || (folder.back() != L'/' && folder.back() != L'\\')) folder += L'/';
  const std::wstring name = tile.name;
  const std::wstring path = folder + name + L".dwg";
  bool ok;
  if (tiles.insertMode == 0) {
    ok = AttachTileXref(path, name);
  } else {
    // A tile the drawing defines already (a duplicate the user allowed, or
    // a drawing that held it before) gets another reference of that
    // definition.
    host::db::Database* db = host::db::WorkingDatabase();
    const std::string narrowName = WideToNarrow(name);
    ok = db != nullptr && (BlockExists(narrowName.c_str(), *db) || ReadTileDrawing(path, name)) &&
         InsertTileBlock(narrowName.c_str(), {0.0, 0.0, 0.0}, 1.0, 0.0, run.layer.c_str(), *db,
                         tiles.insertMode == 2);
  }
  if (!ok) return false;
  tile.inserted = 1;
  if (!GrowArraySet(&tiles.tiles, index, &tile)) return false;
  host::FlushGraphics();
  host::UpdateDisplay();
  ProcessPendingMessages();
  return true;
}

void InsertAtPickedPoints(InsertRun& run) {
  CImportOSTiles& tiles = run.state.dialog;
  for (;;) {
    const host::Input<host::db::Point3> point = host::GetPoint(L"\nPick a point or Esc to cancel:");
    if (!point.ok()) return;
    std::int32_t found = -1;
    for (std::int32_t i = 0; i < tiles.tiles.count && found < 0; ++i) {
      OSTileRecord t{};
      if (!GetTile(tiles, i, &t)) break;
      if (TileQualifies(tiles, t) && PointInTile(t, point.value.x, point.value.y)) found = i;
    }
    if (found < 0) {
      host::Alert(
          L"No OS file found at that location, please pick another point.\n\n(Use menu item \"Draw OS "
          L"Tiles' coverage\" to see the file coverage.)");
      continue;
    }
    if (!InsertTile(run, found)) return;
  }
}

// A boundary as segments, with its box and whether it is closed.
struct Boundary {
  std::vector<OutlineSegment> segments;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool closed = false;

  void Finish() {
    if (segments.empty()) return;
    minX = maxX = segments.front().x1;
    minY = maxY = segments.front().y1;
    for (const OutlineSegment& s : segments) {
      minX = std::min(minX, s.x2);
      maxX = std::max(maxX, s.x2);
      minY = std::min(minY, s.y2);
      maxY = std::max(maxY, s.y2);
    }
    closed = std::fabs(segments.front().x1 - segments.back().x2) < 0.001 &&
             std::fabs(segments.front().y1 - segments.back().y2) < 0.001;
  }
};

// The boundary of an entity: its elements with arcs as chords.
bool BoundaryFromEntity(host::EntityName entity, Boundary* boundary) {
  HzGeometry header{};
  GrowArray elements{}, chords{};
  if (!GrowArrayCreate(50, sizeof(GeometryElement), &elements)) return false;
  bool ok = HzGeometryFromEntity(entity, header, elements);
  std::int32_t count = 0;
  ok = ok && GrowArrayCreate(50, sizeof(GeometryElement), &chords) &&
       DensifyAlignment(header.elementCount, elements, chords, count, 0, 0, 25, 25, 25);
  for (std::int32_t i = 0; ok && i < count; ++i) {
    GeometryElement e{};
    ok = GrowArrayGet(&chords, i, &e);
    if (ok) boundary->segments.push_back({e.startX, e.startY, e.endX, e.endY});
  }
  GrowArrayFree(&elements);
  GrowArrayFree(&chords);
  ok = ok && !boundary->segments.empty();
  if (ok) boundary->Finish();
  return ok;
}

bool InRange(double v, double low, double high) { return v >= low && v < high; }
bool InRangeUpper(double v, double low, double high) { return v > low && v <= high; }

// Whether the boundary touches or covers the tile, by the four tests in
// turn: box against tile, a boundary point in the tile, a segment crossing
// a tile edge, a tile corner inside a closed boundary.
bool BoundaryCoversTile(const Boundary& b, const OSTileRecord& t, const GrowArray& segments) {
  const bool tileYInBox = InRange(t.minY, b.minY, b.maxY) || InRangeUpper(t.maxY, b.minY, b.maxY);
  const bool tileEdgeInBox =
      (InRange(t.minX, b.minX, b.maxX) || InRangeUpper(t.maxX, b.minX, b.maxX)) && tileYInBox;
  if (!tileEdgeInBox) {
    const bool boxX = InRange(b.minX, t.minX, t.maxX) || InRangeUpper(b.maxX, t.minX, t.maxX);
    const bool boxY = InRange(b.minY, t.minY, t.maxY) || InRangeUpper(b.maxY, t.minY, t.maxY);
    if (boxX && boxY) return true;
  }
  if (PointInTile(t, b.segments.front().x1, b.segments.front().y1)) return true;
  for (const OutlineSegment& s : b.segments)
    if (PointInTile(t, s.x2, s.y2)) return true;
  const double edges[4][4] = {{t.minX, t.minY, t.minX, t.maxY},
                              {t.minX, t.maxY, t.maxX, t.maxY},
                              {t.maxX, t.maxY, t.maxX, t.minY},
                              {t.maxX, t.minY, t.minX, t.minY}};
  for (const OutlineSegment& s : b.segments) {
    for (const auto& e : edges) {
      double x, y;
      if (IntersectSegments(x, y, s.x1, s.y1, s.x2, s.y2, e[0], e[1], e[2], e[3])) return true;
    }
  }
  if (b.closed) {
    const double corners[4][2] = {{t.minX, t.minY}, {t.minX, t.maxY}, {t.maxX, t.maxY}, {t.maxX, t.minY}};
    for (const auto& c : corners)
      if (PointInBoundary(c[0], c[1], segments, b.minY)) return true;
  }
  return false;
}

// Inserts every qualifying tile the boundary covers; false when an insertion
// failed.
bool InsertForBoundary(InsertRun& run, const Boundary& boundary) {
  CImportOSTiles& tiles = run.state.dialog;
  GrowArray segments{};
  if (!GrowArrayCreate(static_cast<std::int32_t>(boundary.segments.size()), sizeof(OutlineSegment), &segments))
    return false;
  bool ok = true;
  for (const OutlineSegment& s : boundary.segments) ok = ok && GrowArraySet(&segments, segments.count, &s);
  for (std::int32_t i = 0; ok && i < tiles.tiles.count; ++i) {
    OSTileRecord t{};
    if (!GetTile(tiles, i, &t)) break;
    if (!TileQualifies(tiles, t) || !BoundaryCoversTile(boundary, t, segments)) continue;
    ok = InsertTile(run, i);
  }
  GrowArrayFree(&segments);
  return ok;
}

void InsertForWindow(InsertRun& run) {
  const host::Input<host::db::Point3> first = host::GetPoint(L"\nWindow select an area");
  if (!first.ok()) return;
  const host::Input<host::db::Point3> second = host::GetCorner(first.value, L"");
  if (!second.ok()) return;
  const double x1 = first.value.x, y1 = first.value.y, x2 = second.value.x, y2 = second.value.y;
  Boundary window;
  window.segments = {{x1, y1, x2, y1}, {x2, y1, x2, y2}, {x2, y2, x1, y2}, {x1, y2, x1, y1}};
  window.Finish();
  (void)InsertForBoundary(run, window);
}

void InsertForSelectedBoundaries(InsertRun& run) {
  host::SelectionSetId set{};
  std::int32_t count = 0;
  const bool selected = SelectBoundaryEntities(&set, &count);
  if (selected) {
    for (std::int32_t i = 0; i < count; ++i) {
      const host::Input<host::EntityName> entity = host::SelectionSetName(set, i);
      Boundary boundary;
      if (!entity.ok() || !BoundaryFromEntity(entity.value, &boundary)) break;
      if (!InsertForBoundary(run, boundary)) break;
    }
  }
  (void)host::FreeSelectionSet(set);
}

}  // namespace

CImportOSTiles& TileDialog() { return State().dialog; }

void ResetTilesForNewDrawing() {
  std::unique_ptr<TileState>& state = StatePointer();
  if (!state) return;
  GrowArray& list = state->dialog.tiles;
  for (std::int32_t i = 0; i < list.count; ++i) {
    OSTileRecord t{};
    if (!GrowArrayGet(&list, i, &t)) break;
    t.inserted = 0;
    (void)GrowArraySet(&list, i, &t);
  }
}

void ReleaseTileState() { StatePointer().reset(); }

bool TileQualifies(const CImportOSTiles& tiles, const OSTileRecord& tile) {
  if (tile.size == 500) return tiles.use500;
  if (tile.size == 1000) return tiles.use1000;
  return tiles.useOther;
}

bool PointInTile(const OSTileRecord& tile, double x, double y) {
  return x >= tile.minX && x < tile.maxX && y >= tile.minY && y < tile.maxY;
}

void TileCoverageCommand() {
  TileState& state = State();
  if (!LoadTileSettings(state)) return;
  CImportOSTiles& tiles = state.dialog;
  for (;;) {
    if (tiles.rescan) {
      // Without a folder the picker comes first; cancelling it ends the
      // command (asking again would never end when nobody answers).
      if (tiles.folder.empty() && !tiles.BrowseTileFolder()) return;
      tiles.ScanTileFolder();
    }
    if (AnySizeSwitchedOn(tiles)) break;
    if (host::ui::ShowMessageBox(L"Sorry, no OS tiles found in " + tiles.folder + L"\n\nSelect another folder?",
                                 L"", host::ui::MessageButtons::kYesNo) != host::ui::MessageResult::kYes)
      return;
    if (!tiles.BrowseTileFolder()) return;
    tiles.rescan = true;
  }
  (void)DrawTileOutlines(tiles, false);
  StoreTileSettings(state);
}

void ImportTilesCommand() {
  TileState& state = State();
  if (!LoadTileSettings(state)) return;
  CImportOSTiles& tiles = state.dialog;
  for (;;) {
    const int result = tiles.DoModal();
    if (result == host::ui::kIdCancel || result < 0) return;
    if (result == kImportOSTilesCoverage) {
      if (!DrawTileOutlines(tiles, true)) return;
      continue;
    }
    if (result == host::ui::kIdOk) break;
  }

  InsertRun run{state, "OS Tiles"};
  if (tiles.insertMode == 1 || tiles.insertMode == 2) {
    std::wstring layer = L"OS Tiles";
    if (tiles.insertMode == 1) {
      const host::Input<std::wstring> answer = host::GetString(true, L"\nLayer for OS Tiles <OS Tiles>");
      if (!answer.ok()) return;
      if (!answer.value.empty()) layer = answer.value;
    }
    if (!MakeLayerCurrent(7, layer)) return;
    run.layer = WideToNarrow(layer);
  }
  StoreTileSettings(state);

  switch (tiles.selectionMethod) {
    case 0: InsertAtPickedPoints(run); break;
    case 1: InsertForSelectedBoundaries(run); break;
    default: InsertForWindow(run); break;
  }
}
