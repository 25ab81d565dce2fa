#include "gml/writer/feature_pass.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "common/cad/sysvar_save.h"
#include "common/cad/user_break.h"
#include "common/containers/text.h"
#include "gml/reader/osgml_input_view.h"
#include "gml/settings/settings_record.h"
#include "gml/writer/blocks.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/layer_resolution.h"
#include "gml/writer/layers.h"
#include "gml/writer/os_xdata_record.h"
#include "gml/writer/sdf_writer.h"
#include "gml/writer/symbol_planting.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/graphics.h"
#include "host/editor/system_variables.h"
#include "host/system/events.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"

namespace {

constexpr const wchar_t* kRuler =
    L"-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+\n";

std::int32_t Count(const GrowArray* list) {
  return list != nullptr && list->marker == kGrowArrayMarker ? list->count : 0;
}
std::int32_t Count(const PagedGrowArray* list) {
  return list != nullptr && list->marker == kGrowArrayMarker ? list->count : 0;
}

template <typename T>
bool Get(const GrowArray& list, std::int32_t index, T* out) {
  return GrowArrayGet(&list, index, out);
}
template <typename T>
bool Get(const PagedGrowArray& list, std::int32_t index, T* out) {
  return PagedGrowArrayGet(&list, index, out);
}
// A record read in place; null past the list's capacity.
template <typename T>
const T* At(const GrowArray& list, std::int32_t index) {
  void* slot = nullptr;
  return GrowArrayGetPtr(&list, index, &slot) ? static_cast<const T*>(slot) : nullptr;
}
template <typename T>
const T* At(const PagedGrowArray& list, std::int32_t index) {
  void* slot = nullptr;
  return PagedGrowArrayGetPtr(&list, index, &slot) ? static_cast<const T*>(slot) : nullptr;
}

host::db::Point3 Position(double x, double y, double z) {
  return {x, y, z == kNoHeightAboveDatum ? 0.0 : z};
}

std::wstring Format(const wchar_t* format, ...) {
  wchar_t buffer[2048];
  va_list args;
  va_start(args, format);
  const int n = std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, args);
  va_end(args);
  return n < 0 ? std::wstring() : std::wstring(buffer, static_cast<std::size_t>(n));
}

std::int32_t VersionOf(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || value > INT32_MAX || value < INT32_MIN) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

// Within the list's capacity the vertex is written in place; past it the
// list grows as GrowArraySet grows it.
bool AppendVertex(GrowArray* vertices, double x, double y) {
  const PolylineVertex v{x, y, 0, 0, 0};
  void* slot = nullptr;
  if (vertices->elementSize == sizeof v && GrowArrayGetPtr(vertices, vertices->count, &slot)) {
    std::memcpy(slot, &v, sizeof v);
    ++vertices->count;
    return true;
  }
  return GrowArraySet(vertices, vertices->count, &v);
}

}  // namespace

FeatureLists FeatureListsOf(const OSGMLInputView& view) {
  FeatureLists lists;
  lists.areas = &view.areas;
  lists.lines = &view.lines;
  lists.points = &view.points;
  lists.symbols = &view.symbols;
  lists.texts = &view.texts;
  lists.roadLinks = &view.roadLinks;
  lists.roads = &view.roads;
  lists.roadNodes = &view.roadNodes;
  lists.addressPoints = &view.addressPoints;
  lists.departedToids = &view.departedToids;
  lists.previewPoints = &view.previewPoints;
  return lists;
}

FeatureLists ReleasingFeatureListsOf(OSGMLInputView& view) {
  FeatureLists lists = FeatureListsOf(view);
  lists.releaseTo = &view;
  return lists;
}

void FeatureDrawingRun::ReleaseList(const void* list) {
  // The helper may still be reading the list's next records.
  if (ahead_ != nullptr) ahead_->Finish();
  if (releaseTo_ != nullptr) releaseTo_->ReleaseFeatureList(list);
}

void FeatureDrawingRun::ReleaseDrawnRecords(const void* list, std::int32_t drawn,
                                            std::int32_t count, std::int32_t* released) {
  if (releaseTo_ == nullptr) return;
  if (drawn - *released < std::max(count / 20, 1) && drawn < count) return;
  if (ahead_ != nullptr) ahead_->Before(drawn);
  releaseTo_->ReleaseFeatureRecords(list, *released, drawn);
  *released = drawn;
}

void FeatureDrawingRun::StartRun() {
  counters = FeaturePassCounters{};
  ok = true;
  stop = false;
  sdfNoted_ = false;
  csv_.Start();
}

// ---- progress ---------------------------------------------------------------

void FeatureDrawingRun::BeginClass(const wchar_t* update, const wchar_t* import) {
  (void)host::SetProgressMeter(options_.updateMode ? update : import, 0, 100);
}

bool FeatureDrawingRun::FeatureDone(std::int32_t index, std::int32_t count, int* shown) {
  ++featuresDrawn;
  return Progress(index, count, shown);
}

bool FeatureDrawingRun::Progress(std::int32_t index, std::int32_t count, int* shown) {
  const int percent = count > 0 ? static_cast<int>((std::int64_t{index} + 1) * 100 / count) : 100;
  if (percent > *shown) {
    *shown = percent;
    host::SetProgressMeterPos(percent);
    host::UpdateDisplay();
    host::PumpMessages();
    if (UserBreak()) stop = true;
  }
  return ok && !stop;
}

// ---- update index -----------------------------------------------------------

bool FeatureDrawingRun::ScanDrawing(host::db::Database& target) {
  index_.clear();
  toids_.clear();
  byToid_.clear();
  host::Print(L"\nSelecting entities to be updated...\n");
  // Model space's list is walked in place (a drawing may hold millions).
  const host::db::BlockRecord* space = target.BlockRecordOf(target.ModelSpace());
  const std::vector<std::uint64_t> none;
  const std::vector<std::uint64_t>& entities = space != nullptr ? space->entities : none;
  auto live = [&](std::uint64_t handle) -> const host::db::Entity* {
    const host::db::Entity* entity = target.EntityByHandle(handle);
    return entity != nullptr && !entity->erased ? entity : nullptr;
  };
  scannedEntities = static_cast<std::int32_t>(
      std::count_if(entities.begin(), entities.end(), [&](std::uint64_t h) { return live(h) != nullptr; }));
  const std::uint64_t departedLayer = target.HandleOf(
      target.Layer(HostLayerName(WideToUtf8(settings_.departedFeaturesLayer))));
  (void)host::SetProgressMeter(L"Scanning drawing...", 0, 100);
  index_.reserve(static_cast<std::size_t>(scannedEntities));
  toids_.reserve(static_cast<std::size_t>(scannedEntities) * 20);  // a TOID's usual length
  OsKey key;
  int shown = -1;
  std::int32_t scanned = 0;
  // By index: the list is read afresh at each step.
  for (std::size_t i = 0; i < entities.size() && scanned < scannedEntities; ++i) {
    const std::uint64_t handle = entities[i];
    const host::db::Entity* entity = live(handle);
    if (entity == nullptr) continue;
    if (departedLayer == 0 || entity->layer != departedLayer) {
      ReadOsKey(entity->xdata, &key);
      if (!key.toid.empty() && !key.kind.empty() && toids_.size() + key.toid.size() < UINT32_MAX) {
        // Symbols planted in an area are filed under the area's outline kind,
        // so they are retired with it.
        const char kind = key.kind == kAreaSymbolKind ? '5' : key.kind[0];
        index_.push_back({handle, VersionOf(key.version),
                          static_cast<std::uint32_t>(toids_.size()),
                          static_cast<std::uint32_t>(key.toid.size()), kind, false});
        toids_ += key.toid;
      }
    }
    if (!Progress(scanned++, scannedEntities, &shown)) break;
  }
  byToid_.resize(index_.size());
  for (std::size_t i = 0; i < byToid_.size(); ++i) byToid_[i] = static_cast<std::uint32_t>(i);
  std::stable_sort(byToid_.begin(), byToid_.end(), [&](std::uint32_t a, std::uint32_t b) {
    return ToidOf(index_[a]) < ToidOf(index_[b]);
  });
  host::RestoreStatusBar();
  indexedEntities = static_cast<std::int32_t>(index_.size());
  indexEmpty_ = index_.empty();
  return !stop;
}

std::pair<std::size_t, std::size_t> FeatureDrawingRun::EntriesOf(std::string_view toid) const {
  const auto range = std::equal_range(
      byToid_.begin(), byToid_.end(), toid,
      [&](const auto& a, const auto& b) {
        if constexpr (std::is_same_v<std::decay_t<decltype(a)>, std::string_view>)
          return a < ToidOf(index_[b]);
        else
          return ToidOf(index_[a]) < b;
      });
  return {static_cast<std::size_t>(range.first - byToid_.begin()),
          static_cast<std::size_t>(range.second - byToid_.begin())};
}

void FeatureDrawingRun::RetireEntity(const Indexed& entry) {
  if (settings_.saveDepartedFeatures != 0) {
    if (!SetEntityLayer(db_->IdOf(entry.handle), WideToUtf8(settings_.departedFeaturesLayer).c_str()))
      ok = false;
  } else if (!db_->Erase(db_->IdOf(entry.handle))) {
    ok = false;
  }
}

// The drawing's copies of a feature: under kind `kinds[0]` (and, for areas,
// the hatch kind too). New when there is none; older when the newest copy
// is older than the feature: every copy is then retired (hatches always
// erased) and the feature is drawn.
FeatureDrawingRun::Decision FeatureDrawingRun::TestFeature(char kind, std::string_view toid,
                                                           std::int32_t version, bool hatch) {
  std::vector<std::size_t> copies;
  const auto [first, last] = EntriesOf(toid);
  for (char k : {kind, hatch ? '6' : '\0'}) {
    if (k == '\0') continue;
    for (std::size_t i = first; i < last; ++i) {
      const std::size_t at = byToid_[i];
      if (index_[at].kind == k && !index_[at].handled) copies.push_back(at);
    }
  }
  if (copies.empty()) return Decision::kDraw;
  std::int32_t newest = INT32_MIN;
  for (std::size_t at : copies) newest = std::max(newest, index_[at].version);
  if (newest >= version) return Decision::kUpToDate;
  for (std::size_t at : copies) {
    Indexed& entry = index_[at];
    entry.handled = true;
    const host::db::Entity* entity = db_->EntityByHandle(entry.handle);
    if (hatch && entity != nullptr && std::holds_alternative<host::db::HatchData>(entity->data)) {
      // Erased even when old entities are saved: the report names them
      // then, as the exception to the saved layer.
      if (!db_->Erase(db_->IdOf(entry.handle))) ok = false;
      if (settings_.saveDepartedFeatures != 0) ++counters.oldSolidHatches;
    } else {
      RetireEntity(entry);
    }
  }
  return Decision::kReplaced;
}

bool FeatureDrawingRun::Decide(char kind, std::string_view toid, std::int32_t version,
                               std::int32_t* updated, std::int32_t* upToDate) {
  if (!options_.updateMode) return true;
  const Decision d = TestFeature(kind, toid, version, kind == '5');
  if (d == Decision::kUpToDate) ++*upToDate;
  if (d == Decision::kReplaced) ++*updated;
  return d != Decision::kUpToDate;
}

// ---- system variables of the angle classes ---------------------------------

bool FeatureDrawingRun::SaveAngles() {
  const host::SysVarResult base = host::GetSystemVariable(L"ANGBASE");
  const host::SysVarResult dir = host::GetSystemVariable(L"ANGDIR");
  const host::SysVarResult units = host::GetSystemVariable(L"AUNITS");
  if (!base.ok() || !dir.ok() || !units.ok()) {
    ok = false;
    return false;
  }
  angBase_ = base.Number();
  angDir_ = dir.Short();
  aUnits_ = units.Short();
  if (host::SetSystemVariable(L"AUNITS", 3) != host::Status::kNormal ||
      host::SetSystemVariable(L"ANGDIR", 0) != host::Status::kNormal ||
      host::SetSystemVariable(L"ANGBASE", host::SysVarValue{0.0}) != host::Status::kNormal) {
    ok = false;
  }
  return true;
}

// Every variable is given back, also after a failure, so the user's angle
// settings never stay changed.
void FeatureDrawingRun::RestoreAngles() {
  bool restored =
      host::SetSystemVariable(L"ANGBASE", host::SysVarValue{angBase_}) == host::Status::kNormal;
  restored = host::SetSystemVariable(L"ANGDIR", angDir_) == host::Status::kNormal && restored;
  restored = host::SetSystemVariable(L"AUNITS", aUnits_) == host::Status::kNormal && restored;
  if (!restored) ok = false;
}

// ---- classes ----------------------------------------------------------------

template <typename Draw>
void FeatureDrawingRun::DrawPieces(const GrowArray& points, Draw draw) {
  vertices_->count = 0;
  for (std::int32_t i = 0; i < points.count && ok; ++i) {
    const LinePoint* at = At<LinePoint>(points, i);
    if (at == nullptr) {
      ok = false;
      break;
    }
    const LinePoint& point = *at;
    if (point.tag == kLinePointBreak || point.tag == kLinePointEnd) {
      if (vertices_->count > 1) draw();
      vertices_->count = 0;
    } else if (!AppendVertex(vertices_, point.x, point.y)) {
      ok = false;
    }
  }
  // A list that ends without its end entry still draws its last piece.
  if (ok && vertices_->count > 1) draw();
  vertices_->count = 0;
}

void FeatureDrawingRun::DrawAreas(const PagedGrowArray& list, double blockScale) {
  const bool planting = settings_.plantBlocksInPolygons != 0;
  BeginClass(L"Updating Polygons...",
             planting ? L"Drawing Polygons and Symbology..." : L"Drawing Polygons...");
  const bool hatches = settings_.drawPolygonsAsHatches != 0 && !options_.sdfOutput;
  const bool outlines = settings_.drawPolygonsAsPolylines != 0 || options_.sdfOutput;
  const int level = settings_.attributesToXdata;
  int shown = -1;
  std::int32_t released = 0;
  for (std::int32_t i = 0; i < list.count; ++i) {
    ahead_->Along(list, RecordReadAhead::Nested::kArea, i);
    const AreaFeatureRecord* areaAt = At<AreaFeatureRecord>(list, i);
    if (areaAt == nullptr) {
      ok = false;
      break;
    }
    const AreaFeatureRecord& area = *areaAt;
    bool draw = area.kept == 1 && Count(&area.outerRing) > 2 &&
                Decide('5', FieldText(area.attributes.common.toid), area.attributes.version,
                       &counters.polygonsUpdated, &counters.polygonsUpToDate);
    LayerChoice choice;
    if (draw) {
      choice = ChooseTopoLayer(settings_, &area);
      draw = choice.draw;
    }
    if (draw && !EnsureLayer(choice.colour, choice.layer.c_str(), *db_)) ok = false;
    if (draw && ok) {
      if (hatches) (void)DrawSolidHatch(choice.layer.c_str(), 256, area, *db_);
      if (outlines) {
        const std::string layer =
            settings_.drawPolygonsAsHatches != 0 && settings_.drawPolygonsAsPolylines != 0
                ? "p_" + choice.layer
                : choice.layer;
        if (layer != choice.layer && !EnsureLayer(choice.colour, layer.c_str(), *db_)) ok = false;
        SdfWriter sdf;
        if (options_.sdfOutput) (void)sdf.BeginPolygon();
        for (const GrowArray* rings : {&area.outerRing, &area.innerRings}) {
          if (Count(rings) == 0 || !ok) continue;
          vertices_->count = 0;
          for (std::int32_t r = 0; r < rings->count && ok; ++r) {
            const RingPoint* at = At<RingPoint>(*rings, r);
            if (at == nullptr) {
              ok = false;
              break;
            }
            const RingPoint& point = *at;
            if (point.tag != kRingPointEnd) {
              if (!AppendVertex(vertices_, point.x, point.y)) ok = false;
              continue;
            }
            // The ring's last point repeats its first.
            if (vertices_->count > 3) {
              if (options_.sdfOutput)
                (void)sdf.AddPolygonRing(*vertices_);
              else
                (void)DrawFeaturePolyline(layer.c_str(), 256, 0.0, vertices_->count - 1, *vertices_,
                                          *db_, level, 0, nullptr, &area,
                                          OsFeatureKind::kAreaOutline, true, false);
            }
            vertices_->count = 0;
            if (rings == &area.outerRing) break;  // the first outer ring only
          }
        }
        vertices_->count = 0;
        if (options_.sdfOutput) {
          (void)sdf.WritePolygon(layer.c_str(), "");
          NoteSdfOutputUnavailable(&sdfNoted_);
        }
      }
      if (planting && !stop && ok)
        (void)PlaceSymbolsInArea(area, settings_.symbologySets, blockScale, settings_, *db_);
    }
    ReleaseDrawnRecords(&list, i + 1, list.count, &released);
    if (!FeatureDone(i, list.count, &shown)) break;
  }
  host::RestoreStatusBar();
}

void FeatureDrawingRun::DrawLines(const PagedGrowArray& list) {
  BeginClass(L"Updating Topographical Lines...", L"Drawing Topographical Lines...");
  const int csvLevel = settings_.attributesToCsv;
  // Lines go to the SDF writer without rows: an earlier run's file is kept.
  std::FILE* csv =
      csvLevel != 0 && !options_.sdfOutput ? csv_.Open(CsvKind::kTopoLines, settings_) : nullptr;
  int shown = -1;
  std::int32_t released = 0;
  for (std::int32_t i = 0; i < list.count; ++i) {
    ahead_->Along(list, RecordReadAhead::Nested::kLine, i);
    const LineFeatureRecord* lineAt = At<LineFeatureRecord>(list, i);
    if (lineAt == nullptr) {
      ok = false;
      break;
    }
    const LineFeatureRecord& line = *lineAt;
    bool draw = Decide('1', FieldText(line.common.toid), line.version, &counters.linesUpdated,
                       &counters.linesUpToDate);
    if (draw && Count(&line.points) > 0) {
      DrawPieces(line.points, [&] {
        const LayerChoice choice = ChooseTopoLayer(settings_, &line);
        if (!choice.draw) return;
        if (options_.sdfOutput) {
          SdfWriter sdf;
          (void)sdf.WriteLine(*vertices_, choice.layer.c_str(), "");
          NoteSdfOutputUnavailable(&sdfNoted_);
          return;
        }
        if (!EnsureLayer(choice.colour, choice.layer.c_str(), *db_)) {
          ok = false;
          return;
        }
        (void)DrawFeaturePolyline(choice.layer.c_str(), 256, 0.0, vertices_->count, *vertices_,
                                  *db_, settings_.attributesToXdata, csvLevel, csv, &line,
                                  OsFeatureKind::kTopoLine, false, false);
      });
    }
    ReleaseDrawnRecords(&list, i + 1, list.count, &released);
    if (!FeatureDone(i, list.count, &shown)) break;
  }
  (void)csv_.Close(csv);
  host::RestoreStatusBar();
}

std::string FeatureDrawingRun::ItnLayer(std::wstring_view name) const {
  std::wstring layer = settings_.useItnLayerPrefix != 0 ? settings_.itnLayerPrefix : L"";
  layer += name;
  return WideToUtf8(layer);
}

void FeatureDrawingRun::DrawRoadLinks(const GrowArray& list, GrowArray* usedLayers) {
  BeginClass(L"Updating ITN Road Links...", L"Drawing ITN Road Links...");
  const int csvLevel = settings_.attributesToCsv;
  std::FILE* csv = csvLevel != 0 ? csv_.Open(CsvKind::kRoadLinks, settings_) : nullptr;
  int shown = -1;
  std::int32_t released = 0;
  for (std::int32_t i = 0; i < list.count; ++i) {
    ahead_->Along(list, RecordReadAhead::Nested::kRoadLink, i);
    const RoadLinkRecord* linkAt = At<RoadLinkRecord>(list, i);
    if (linkAt == nullptr) {
      ok = false;
      break;
    }
    const RoadLinkRecord& link = *linkAt;
    bool draw = Decide('8', FieldText(link.toid), link.version, &counters.linesUpdated,
                       &counters.linesUpToDate);
    if (draw && Count(&link.points) > 0) {
      std::string value;
      if (settings_.roadLinkLayerWay == 1) {
        value = WideToUtf8(settings_.roadLinkFixedLayer);
      } else if (settings_.roadLinkLayerValue == 0) {
        value = std::string(FieldText(link.descriptiveTerm));
      } else if (settings_.roadLinkLayerValue == 1) {
        value = std::string(FieldText(link.natureOfRoad));
      } else {
        value = std::string(FieldText(link.descriptiveTerm)) + "_" +
                std::string(FieldText(link.natureOfRoad));
      }
      const std::string layer = ItnLayer(Utf8ToWide(value));
      DrawPieces(link.points, [&] {
        if (options_.sdfOutput) {
          SdfWriter sdf;
          if (sdf.WriteRoadLink(*vertices_, link) && csv != nullptr)
            WriteRoadLinkCsvLine(csvLevel == kCsvShort, csv, link);
          NoteSdfOutputUnavailable(&sdfNoted_);
          return;
        }
        if (!EnsureLayer(settings_.roadLinkFixedLayerColour, layer.c_str(), *db_)) {
          ok = false;
          return;
        }
        (void)DrawFeaturePolyline(layer.c_str(), 256, 0.0, vertices_->count, *vertices_, *db_,
                                  settings_.attributesToXdata, csvLevel, csv, &link,
                                  OsFeatureKind::kRoadLink, false, false);
        UsedLayerEntry entry{};
        CopyUtf8Field(entry.name, layer);
        entry.itnClass = static_cast<std::int32_t>(ItnLayerClass::kRoadLink);
        if (!AddNameIfAbsent(entry, usedLayers)) ok = false;
      });
    }
    ReleaseDrawnRecords(&list, i + 1, list.count, &released);
    if (!FeatureDone(i, list.count, &shown)) break;
  }
  (void)csv_.Close(csv);
  host::RestoreStatusBar();
}

void FeatureDrawingRun::DrawRoads(const GrowArray& list, GrowArray* usedLayers) {
  BeginClass(L"Updating ITN Roads...", L"Drawing ITN Roads...");
  int shown = -1;
  std::int32_t released = 0;
  for (std::int32_t i = 0; i < list.count; ++i) {
    ahead_->Along(list, RecordReadAhead::Nested::kRoad, i);
    const RoadRecord* roadAt = At<RoadRecord>(list, i);
    if (roadAt == nullptr) {
      ok = false;
      break;
    }
    const RoadRecord& road = *roadAt;
    // Only a road the reader kept is drawn: one that failed the location
    // filter keeps its assembled geometry but is no part of the import, and
    // leaves the drawing's copy of it alone in an update.
    bool draw = road.built != 0 &&
                Decide('9', FieldText(road.toid), road.version, &counters.linesUpdated,
                       &counters.linesUpToDate);
    if (draw && Count(&road.geometry) > 0) {
      const std::string layer =
          ItnLayer(settings_.roadLayerWay == 1 ? settings_.roadFixedLayer
                                               : Utf8ToWide(FieldText(road.roadName)));
      DrawPieces(road.geometry, [&] {
        if (!EnsureLayer(settings_.roadFixedLayerColour, layer.c_str(), *db_)) {
          ok = false;
          return;
        }
        (void)DrawFeaturePolyline(layer.c_str(), 256, 0.0, vertices_->count, *vertices_, *db_,
                                  settings_.attributesToXdata, 0, nullptr, &road,
                                  OsFeatureKind::kRoad, false, false);
        UsedLayerEntry entry{};
        CopyUtf8Field(entry.name, layer);
        entry.itnClass = static_cast<std::int32_t>(ItnLayerClass::kRoad);
        if (!AddNameIfAbsent(entry, usedLayers)) ok = false;
      });
    }
    ReleaseDrawnRecords(&list, i + 1, list.count, &released);
    if (!FeatureDone(i, list.count, &shown)) break;
  }
  host::RestoreStatusBar();
}

namespace {

enum class PointForm { kPoint, kBlock, kSkip };

}  // namespace

void FeatureDrawingRun::DrawPoints(const GrowArray& list, bool symbols, double blockScale) {
  if (symbols)
    BeginClass(L"Updating Cartographical Symbols...", L"Drawing Cartographical Symbols...");
  else
    BeginClass(L"Updating Topographical Points...", L"Drawing Topographical Points...");
  if (symbols && !SaveAngles()) {
    host::RestoreStatusBar();
    return;
  }
  const char kind = symbols ? '3' : '2';
  const OsFeatureKind osKind = symbols ? OsFeatureKind::kCartoSymbol : OsFeatureKind::kTopoPoint;
  const bool label =
      (symbols ? settings_.markTermBesideSymbol : settings_.markTermBesidePoint) != 0;
  const std::string fixedBlock = WideToUtf8(settings_.fixedBlockName);
  const int level = settings_.attributesToXdata;
  auto available = [&](const std::string& block) {
    return BlockExists(block.c_str(), *db_) || LoadBlockFromFile(block.c_str(), *db_);
  };
  // "[If fcode not found then:]": 0 point, 1 skip, 2 the fixed block.
  auto fallback = [&](std::string* block) {
    if (settings_.ifCodeNotFound == 1) return PointForm::kSkip;
    if (settings_.ifCodeNotFound != 2) return PointForm::kPoint;
    *block = fixedBlock;
    return PointForm::kBlock;
  };
  int shown = -1;
  for (std::int32_t i = 0; i < list.count; ++i) {
    ahead_->Along(list, RecordReadAhead::Nested::kNone, i);
    const PointFeatureRecord* pointAt = At<PointFeatureRecord>(list, i);
    if (pointAt == nullptr) {
      ok = false;
      break;
    }
    const PointFeatureRecord& point = *pointAt;
    bool draw = Decide(kind, FieldText(point.common.toid), point.version,
                       symbols ? &counters.symbolsUpdated : &counters.pointsUpdated,
                       symbols ? &counters.symbolsUpToDate : &counters.pointsUpToDate);
    LayerChoice choice;
    if (draw) {
      choice = ChooseTopoLayer(settings_, &point);
      draw = choice.draw;
    }
    PointForm form = PointForm::kPoint;
    std::string block;
    if (draw && options_.sdfOutput) {
      SdfWriter sdf;
      (void)sdf.WritePoint(point);
      NoteSdfOutputUnavailable(&sdfNoted_);
      draw = false;
    }
    if (draw) {
      if (settings_.pointsAndSymbolsAs == 1) {
        form = PointForm::kBlock;
        block = fixedBlock;
      } else if (settings_.pointsAndSymbolsAs == 0) {
        if (FindSymbolForCode(settings_, point.common.featureCode, &block)) {
          form = PointForm::kBlock;
        } else {
          host::Printf(L"Warning: Code %ls has no Symbol Block assigned.\n",
                       Utf8ToWide(FieldText(point.common.featureCode)).c_str());
          ++counters.missingCodes;
          form = fallback(&block);
        }
      }
      if (form == PointForm::kBlock && !available(block)) {
        host::Printf(L"Warning: AutoCAD can not find Symbol Block %ls.\n",
                     Utf8ToWide(block).c_str());
        ++counters.missingBlocks;
        form = fallback(&block);
        if (form == PointForm::kBlock && !available(block)) {
          form = PointForm::kSkip;
          counters.substituteFound = false;
        }
      }
      draw = form != PointForm::kSkip;
    }
    if (draw && !EnsureLayer(choice.colour, choice.layer.c_str(), *db_)) ok = false;
    if (draw && ok) {
      const host::db::Point3 at = Position(point.x, point.y, point.z);
      // A label carries its point's xdata: a point drawn with it lends it.
      host::db::ObjectId drawnPoint;
      bool lends = false;
      if (form == PointForm::kBlock)
        (void)InsertPointBlock(block.c_str(), at, blockScale,
                               symbols ? ComputeOsTextAngle(point.orientation) : 0.0,
                               choice.layer.c_str(), *db_, level, point, osKind);
      else
        lends = DrawTopoPoint(choice.layer.c_str(), 256, at, *db_, level, point, osKind, &drawnPoint);
      if (label) {
        const host::db::Entity* lender = lends ? db_->EntityOf(drawnPoint) : nullptr;
        (void)DrawTextFeature(std::string(FieldText(point.common.descriptiveTerm)) + "   ",
                              choice.layer.c_str(), 256, at, 1.0, 0.0, 5, *db_, level, &point,
                              osKind, lender != nullptr ? &lender->xdata : nullptr);
      }
    }
    if (!FeatureDone(i, list.count, &shown)) break;
  }
  if (symbols) RestoreAngles();
  host::RestoreStatusBar();
}

void FeatureDrawingRun::DrawAddressPoints(const GrowArray& list, double blockScale) {
  BeginClass(L"Updating Address Points...", L"Drawing Address Points...");
  const std::string layer = WideToUtf8(settings_.addressLayer);
  const std::string block = WideToUtf8(settings_.addressBlock);
  std::FILE* csv =
      settings_.attributesToCsv != 0 ? csv_.Open(CsvKind::kAddressPoints, settings_) : nullptr;
  int shown = -1;
  for (std::int32_t i = 0; i < list.count; ++i) {
    ahead_->Along(list, RecordReadAhead::Nested::kNone, i);
    const AddressPointRecord* addressAt = At<AddressPointRecord>(list, i);
    if (addressAt == nullptr) {
      ok = false;
      break;
    }
    const AddressPointRecord& address = *addressAt;
    bool draw = Decide('A', FieldText(address.toid), address.version, &counters.pointsUpdated,
                       &counters.pointsUpToDate);
    if (draw && !EnsureLayer(settings_.addressLayerColour, layer.c_str(), *db_)) ok = false;
    if (draw && ok) {
      const host::db::Point3 at = Position(address.x, address.y, address.z);
      bool asPoint = settings_.addressMarkingWay == 0;
      if (settings_.addressMarkingWay == 1) {
        if (BlockExists(block.c_str(), *db_) || LoadBlockFromFile(block.c_str(), *db_)) {
          (void)InsertAddressPointBlock(block.c_str(), at, blockScale, 0.0, layer.c_str(), *db_,
                                        csv, settings_, address);
        } else {
          host::Printf(L"Warning: AutoCAD can not find Symbol Block %ls.\n",
                       Utf8ToWide(block).c_str());
          ++counters.missingBlocks;
          asPoint = true;
        }
      }
      if (asPoint) (void)DrawAddressPoint(layer.c_str(), 256, at, *db_, csv, settings_, address);
    }
    if (!FeatureDone(i, list.count, &shown)) break;
  }
  (void)csv_.Close(csv);
  host::RestoreStatusBar();
}

void FeatureDrawingRun::DrawRoadNodes(const GrowArray& list, double blockScale,
                                      GrowArray* usedLayers) {
  BeginClass(L"Updating ITN Nodes...", L"Drawing ITN Nodes...");
  if (!SaveAngles()) {
    host::RestoreStatusBar();
    return;
  }
  const std::string layer = ItnLayer(settings_.roadNodeLayer);
  const std::string block = WideToUtf8(settings_.roadNodeBlock);
  UsedLayerEntry entry{};
  CopyField(entry.name, layer);
  entry.itnClass = static_cast<std::int32_t>(ItnLayerClass::kRoadNode);
  if (!AddNameIfAbsent(entry, usedLayers)) ok = false;
  std::FILE* csv = options_.sdfOutput && settings_.attributesToCsv != 0
                       ? csv_.Open(CsvKind::kRoadNodes, settings_)
                       : nullptr;
  int shown = -1;
  for (std::int32_t i = 0; i < list.count && ok; ++i) {
    ahead_->Along(list, RecordReadAhead::Nested::kNone, i);
    const RoadNodeRecord* nodeAt = At<RoadNodeRecord>(list, i);
    if (nodeAt == nullptr) {
      ok = false;
      break;
    }
    const RoadNodeRecord& node = *nodeAt;
    bool draw = Decide('7', FieldText(node.toid), node.version, &counters.symbolsUpdated,
                       &counters.symbolsUpToDate);
    if (draw && options_.sdfOutput) {
      SdfWriter sdf;
      if (sdf.WriteRoadNode(node) && csv != nullptr)
        WriteRoadNodeCsvLine(settings_.attributesToCsv == kCsvShort, csv, node);
      NoteSdfOutputUnavailable(&sdfNoted_);
      draw = false;
    }
    if (draw && !EnsureLayer(settings_.roadNodeLayerColour, layer.c_str(), *db_)) ok = false;
    if (draw && ok) {
      const host::db::Point3 at = Position(node.x, node.y, node.z);
      if (settings_.roadNodeMarkingWay == 1) {
        if (BlockExists(block.c_str(), *db_) || LoadBlockFromFile(block.c_str(), *db_)) {
          (void)InsertNodeBlock(block.c_str(), at, blockScale, 0.0, layer.c_str(), *db_,
                                settings_.attributesToXdata, node);
        } else {
          host::Printf(L"Warning: AutoCAD can not find Symbol Block %ls.\n",
                       Utf8ToWide(block).c_str());
          ++counters.missingBlocks;
        }
      } else {
        (void)DrawItnNode(layer.c_str(), 256, at, *db_, settings_.attributesToXdata, node,
                          OsFeatureKind::kRoadNode);
      }
    }
    if (!FeatureDone(i, list.count, &shown)) break;
  }
  (void)csv_.Close(csv);
  RestoreAngles();
  host::RestoreStatusBar();
}

void FeatureDrawingRun::DrawTexts(const GrowArray& list) {
  BeginClass(L"Drawing Cartographical Text...", L"Drawing Cartographical Text...");
  int shown = -1;
  for (std::int32_t i = 0; i < list.count; ++i) {
    ahead_->Along(list, RecordReadAhead::Nested::kNone, i);
    const TextFeatureRecord* textAt = At<TextFeatureRecord>(list, i);
    if (textAt == nullptr) {
      ok = false;
      break;
    }
    const TextFeatureRecord& text = *textAt;
    bool draw = Decide('4', FieldText(text.common.toid), text.version, &counters.textsUpdated,
                       &counters.textsUpToDate);
    LayerChoice choice;
    if (draw) {
      choice = ChooseTopoLayer(settings_, &text);
      draw = choice.draw;
    }
    if (draw && options_.sdfOutput) {
      SdfWriter sdf;
      (void)sdf.WriteText(text);
      NoteSdfOutputUnavailable(&sdfNoted_);
      draw = false;
    }
    if (draw && !EnsureLayer(choice.colour, choice.layer.c_str(), *db_)) ok = false;
    if (draw && ok)
      (void)DrawTextFeature(FieldText(text.textString), choice.layer.c_str(), 256,
                            Position(text.x, text.y, text.z), text.height,
                            ComputeOsTextAngle(text.orientation), text.anchorPosition, *db_,
                            settings_.attributesToXdata, &text, OsFeatureKind::kCartoText);
    if (!FeatureDone(i, list.count, &shown)) break;
  }
  host::RestoreStatusBar();
}

void FeatureDrawingRun::RemoveDeparted(const GrowArray& list) {
  (void)host::SetProgressMeter(L"Removing departed features...", 0, 100);
  int shown = -1;
  for (std::int32_t i = 0; i < list.count; ++i) {
    DepartedFeatureToid departed{};
    if (!Get(list, i, &departed)) {
      ok = false;
      break;
    }
    // A TOID the reader could not take is empty and names nothing.
    const std::string_view toid = FieldText(departed.toid);
    const auto [first, last] = toid.empty() ? std::pair<std::size_t, std::size_t>{} : EntriesOf(toid);
    for (std::size_t i = first; i < last; ++i) {
      Indexed& entry = index_[byToid_[i]];
      if (entry.handled) continue;
      entry.handled = true;
      ++counters.departedHandled;
      RetireEntity(entry);
    }
    if (!Progress(i, list.count, &shown)) break;
  }
  host::RestoreStatusBar();
}

void FeatureDrawingRun::Preview(const GrowArray& list) {
  if (list.count <= 1) return;
  (void)host::SetProgressMeter(L"Previewing Topographical Lines...", 0, 100);
  CoordinateTuple previous{};
  if (!Get(list, 0, &previous)) return;
  for (std::int32_t j = 1; j < list.count; ++j) {
    CoordinateTuple tuple{};
    if (!Get(list, j, &tuple)) break;
    if (previous.hasX != 0 && tuple.hasX != 0)
      host::DrawVector({previous.x, previous.y, previous.z}, {tuple.x, tuple.y, tuple.z}, 9, false);
    previous = tuple;
  }
  host::RestoreStatusBar();
}

// ---- report and warning -----------------------------------------------------

void FeatureDrawingRun::PrintReport(const ListCounts& counts) {
  const std::int32_t departedCount = counts.departed;
  std::wstring text =
      L"\n-----------------------------------------------\nOrvane MasterMap update report:\n";
  const std::wstring savedLayer = settings_.departedFeaturesLayer;
  const bool saving = settings_.saveDepartedFeatures != 0;
  if (departedCount > 0) {
    text += Format(L"\nOf %li Departed Features in the file %li was",
                   static_cast<long>(departedCount), static_cast<long>(counters.departedHandled));
    text += saving ? Format(L" moved to layer %ls in the drawing.", savedLayer.c_str())
                   : std::wstring(L" erased from the drawing.");
  }
  text += Format(L"\n\n%li entities in the drawing processed.", static_cast<long>(scannedEntities));
  if (indexEmpty_)
    text +=
        L"\nNo imported OS MasterMap entities were found in the drawing: every feature was drawn "
        L"as new.";
  struct Row {
    const wchar_t* name;
    std::int32_t count, updated, upToDate;
  };
  const Row rows[] = {
      {L"polygons", counts.areas, counters.polygonsUpdated, counters.polygonsUpToDate},
      // The counters of lines take in road links and roads, those of symbols
      // road nodes, those of points address points: the file's counts do too,
      // so that no line says more were updated than the file holds.
      {L"lines", counts.lines + counts.roadLinks + counts.roads, counters.linesUpdated,
       counters.linesUpToDate},
      {L"symbols", counts.symbols + counts.roadNodes, counters.symbolsUpdated,
       counters.symbolsUpToDate},
      {L"points", counts.points + counts.addressPoints, counters.pointsUpdated,
       counters.pointsUpToDate},
      {L"texts", counts.texts, counters.textsUpdated, counters.textsUpToDate},
  };
  for (const Row& row : rows) {
    if (row.count == 0) continue;
    text += Format(L"\n%li %ls in the file of which %li in the drawing updated.",
                   static_cast<long>(row.count), row.name, static_cast<long>(row.updated));
    if (row.upToDate != 0)
      text += Format(L"\n   (%li %ls not updated because they were already up to date.)",
                     static_cast<long>(row.upToDate), row.name);
  }
  text += saving ? Format(L"\n\nAll old entites were moved to layer %ls.\n", savedLayer.c_str())
                 : std::wstring(L"\n\nAll old entites were erased from the drawing.\n");
  if (counters.oldSolidHatches != 0)
    text += Format(L"Additionally %li old solid hatches were deleted\n",
                   static_cast<long>(counters.oldSolidHatches));
  text += L"-----------------------------------------------\n";
  report = text;
  host::Print(text);
  host::ShowTextScreen();
}

void FeatureDrawingRun::ShowWarning(bool batch) {
  warning.clear();
  if (counters.missingCodes == 0 && counters.missingBlocks == 0) return;
  std::wstring text;
  if (counters.missingCodes != 0 && counters.missingBlocks != 0)
    text = Format(
        L"Warning:\n\n%li feature code(s) not found in the lookup table and\n%li AutoCAD blocks "
        L"not found.",
        static_cast<long>(counters.missingCodes), static_cast<long>(counters.missingBlocks));
  else if (counters.missingCodes != 0)
    text = Format(L"Warning:\n\n%li feature code(s) not found in the lookup table.",
                  static_cast<long>(counters.missingCodes));
  else
    text = Format(L"Warning:\n\n%li AutoCAD block(s) not found.",
                  static_cast<long>(counters.missingBlocks));
  if (settings_.ifCodeNotFound == 0)
    text += L"\n\nAutoCAD point entities were drawn instead.";
  else if (settings_.ifCodeNotFound == 1)
    text += L"\n\nAll those symbols were ignored.";
  else if (counters.substituteFound)
    text += Format(L"\n\nBlock %ls was inserted instead.", settings_.fixedBlockName.c_str());
  else
    text += Format(L"\n\nAs the substitute block %ls was not found, those symbols were ignored.",
                   settings_.fixedBlockName.c_str());
  warning = text;
  if (batch)
    host::Print(std::wstring(kRuler) + text + L"\n" + kRuler);
  else
    (void)host::ui::ShowMessageBox(text, L"Orvane");
}

// ---- the pass ---------------------------------------------------------------

bool FeatureDrawingRun::DrawPass(const FeatureLists& lists, const FeaturePassOptions& options,
                                 host::db::Database& target, double blockScale, GrowArray* vertices,
                                 GrowArray* usedLayers) {
  options_ = options;
  db_ = &target;
  releaseTo_ = lists.releaseTo;
  vertices_ = vertices;
  report.clear();
  warning.clear();
  featuresDrawn = featuresToDraw = 0;
  if (options.updateMode && options.batchMode) {
    host::Print(kUpdateBatchRefused);
    return false;
  }
  if (vertices == nullptr || vertices->marker != kGrowArrayMarker || usedLayers == nullptr) {
    ok = false;
    return false;
  }
  if (options.runMode == 2) {
    if (lists.previewPoints != nullptr && Count(lists.previewPoints) > 1)
      Preview(*lists.previewPoints);
    return true;
  }
  index_.clear();
  toids_.clear();
  byToid_.clear();
  indexEmpty_ = false;
  scannedEntities = 0;
  indexedEntities = 0;
  const ListCounts counts{Count(lists.areas),     Count(lists.lines),
                          Count(lists.roadLinks), Count(lists.roads),
                          Count(lists.points),    Count(lists.addressPoints),
                          Count(lists.symbols),   Count(lists.roadNodes),
                          Count(lists.texts),     Count(lists.departedToids)};
  featuresToDraw = counts.areas + counts.lines + counts.roadLinks + counts.points +
                   counts.roadNodes + counts.texts +
                   (options.sdfOutput ? 0 : counts.roads + counts.addressPoints + counts.symbols);
  const std::int32_t largest =
      std::max({counts.areas, counts.lines, counts.roadLinks, counts.roads, counts.points,
                counts.addressPoints, counts.symbols, counts.roadNodes, counts.texts});
  if (options.updateMode && !ScanDrawing(target)) return false;
  RecordReadAhead ahead(largest, /*faultIn=*/lists.releaseTo == nullptr);
  ahead_ = &ahead;
  struct Forget {
    RecordReadAhead** ahead;
    ~Forget() { *ahead = nullptr; }
  } forget{&ahead_};

  if (!SaveAndSetSysVars()) ok = false;
  // Each list is let go as soon as its class is done (when the caller asks).
  if (ClassRuns(counts.areas)) DrawAreas(*lists.areas, blockScale);
  ReleaseList(lists.areas);
  if (ClassRuns(counts.lines)) DrawLines(*lists.lines);
  ReleaseList(lists.lines);
  if (ClassRuns(counts.roadLinks)) DrawRoadLinks(*lists.roadLinks, usedLayers);
  ReleaseList(lists.roadLinks);
  if (!options.sdfOutput && ClassRuns(counts.roads)) DrawRoads(*lists.roads, usedLayers);
  ReleaseList(lists.roads);
  if (ClassRuns(counts.points)) DrawPoints(*lists.points, false, blockScale);
  ReleaseList(lists.points);
  if (!options.sdfOutput && ClassRuns(counts.addressPoints))
    DrawAddressPoints(*lists.addressPoints, blockScale);
  ReleaseList(lists.addressPoints);
  if (!options.sdfOutput && ClassRuns(counts.symbols)) DrawPoints(*lists.symbols, true, blockScale);
  ReleaseList(lists.symbols);
  if (ClassRuns(counts.roadNodes)) DrawRoadNodes(*lists.roadNodes, blockScale, usedLayers);
  ReleaseList(lists.roadNodes);
  if (ClassRuns(counts.texts)) DrawTexts(*lists.texts);
  ReleaseList(lists.texts);
  if (options.updateMode && ClassRuns(counts.departed)) RemoveDeparted(*lists.departedToids);
  ReleaseList(lists.departedToids);
  if (!RestoreSysVars()) ok = false;
  if (options.updateMode) PrintReport(counts);
  ShowWarning(options.batchMode);
  return ok && !stop;
}
