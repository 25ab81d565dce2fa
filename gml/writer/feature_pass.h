// One drawing pass of the import: the reader's feature lists turned into
// entities of the target database, class by class in a fixed order, and the
// change-only update of a drawing imported before.
//
// Order of the classes: areas (hatch kind 6, outline rings kind 5), topo
// lines (1), ITN road links (8), ITN roads (9), topo points (2), address
// points ("A"), cartographic symbols (3), ITN road nodes (7), cartographic
// text (4). A class runs when its list holds at least one record; a loop
// ends as soon as the run is stopped (Esc) or has failed.
//
// Update mode first indexes the OS entities of the working drawing by kind
// + TOID and by TOID. A feature whose kind key is not in the drawing is
// drawn as new; when the drawing's copy is older (version tag 0A smaller
// than the feature's), every entity under that kind and TOID (the pieces of
// a cut line, an area's rings, a point and its label) is moved to the
// departed-features layer or erased, and the feature is drawn; otherwise it
// is counted as up to date. Entities already on the departed-features layer
// are the archive of earlier updates and are never indexed. Departed
// features named by the change-only file are then moved or erased, every
// entity of their TOID. The update report follows; both modes end with the
// warning about feature codes and blocks that were not found.
//
// A pass keeps no feature half drawn: Esc is looked at between features.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"
#include "gml/writer/attribute_csv.h"
#include "gml/writer/record_read_ahead.h"
#include "host/db/database.h"

class OS_GML_ACAD_Definitions;
class OSGMLInputView;

// The reader's state a pass reads: its feature lists (any may be null,
// which counts as empty).
struct FeatureLists {
  const PagedGrowArray* areas = nullptr;     // AreaFeatureRecord
  const PagedGrowArray* lines = nullptr;     // LineFeatureRecord
  const GrowArray* points = nullptr;         // PointFeatureRecord
  const GrowArray* symbols = nullptr;        // PointFeatureRecord
  const GrowArray* texts = nullptr;          // TextFeatureRecord
  const GrowArray* roadLinks = nullptr;      // RoadLinkRecord
  const GrowArray* roads = nullptr;          // RoadRecord
  const GrowArray* roadNodes = nullptr;      // RoadNodeRecord
  const GrowArray* addressPoints = nullptr;  // AddressPointRecord
  const GrowArray* departedToids = nullptr;  // DepartedFeatureToid
  const GrowArray* previewPoints = nullptr;  // CoordinateTuple
  // When set, the view that owns the lists: each list is released through
  // it as soon as its class has been drawn (ReleaseFeatureList), so that a
  // pass never holds all the records and the whole drawing at once. Only
  // for a pass that is the last to read them.
  OSGMLInputView* releaseTo = nullptr;
};
// The lists of a reading run.
FeatureLists FeatureListsOf(const OSGMLInputView& view);
// The same, each list released once drawn.
FeatureLists ReleasingFeatureListsOf(OSGMLInputView& view);

struct FeaturePassOptions {
  bool updateMode = false;  // the change-only update of the working drawing
  bool batchMode = false;   // the warning is printed between rulers
  bool sdfOutput = false;   // features go to the SDF files instead
  int runMode = 1;          // 1 draw, 2 preview of the topographic lines
};

// Counters of one run, summed over its passes.
struct FeaturePassCounters {
  std::int32_t polygonsUpdated = 0, polygonsUpToDate = 0;
  std::int32_t linesUpdated = 0, linesUpToDate = 0;      // lines, road links and roads
  std::int32_t symbolsUpdated = 0, symbolsUpToDate = 0;  // symbols and road nodes
  std::int32_t pointsUpdated = 0, pointsUpToDate = 0;    // topo and address points
  std::int32_t textsUpdated = 0, textsUpToDate = 0;
  std::int32_t oldSolidHatches = 0;
  std::int32_t departedHandled = 0;
  std::int32_t missingCodes = 0;
  std::int32_t missingBlocks = 0;
  bool substituteFound = true;
};

inline constexpr std::wstring_view kUpdateBatchRefused =
    L"\nUpdate can not be combined with batch processing of locations: the update replaces "
    L"entities of the current drawing. Switch batch processing off to update.\n";

class FeatureDrawingRun {
 public:
  explicit FeatureDrawingRun(const OS_GML_ACAD_Definitions& settings) : settings_(settings) {}

  // Zeroes the counters, clears the stop and failure flags and starts the
  // run's CSV files afresh.
  void StartRun();
  // Ends the run: names the CSV files of an earlier import it replaced.
  void EndRun() { csv_.ReportReplaced(); }

  // One pass into `target` (in update mode the working drawing). `vertices`
  // is the run's vertex list (PolylineVertex) and `usedLayers` its ITN
  // layer list (UsedLayerEntry). False when the pass was refused, failed or
  // was stopped.
  bool DrawPass(const FeatureLists& lists, const FeaturePassOptions& options,
                host::db::Database& target, double blockScale, GrowArray* vertices,
                GrowArray* usedLayers);

  FeaturePassCounters counters;
  bool ok = true;                    // cleared by a failure; later loops do not run
  bool stop = false;                 // set by Esc
  // The features the last pass had to draw, and those it went through
  // (drawn, or found up to date) before it ended or was stopped.
  std::int32_t featuresToDraw = 0;
  std::int32_t featuresDrawn = 0;
  std::int32_t scannedEntities = 0;  // size of the update scan's selection
  std::int32_t indexedEntities = 0;  // OS entities the scan indexed
  std::wstring report;               // the last update report
  std::wstring warning;              // the last warning (empty when none)

 private:
  // One OS entity of the drawing; its TOID is toids_[toidAt, +toidLength).
  struct Indexed {
    std::uint64_t handle;
    std::int32_t version;
    std::uint32_t toidAt;
    std::uint32_t toidLength;
    char kind;
    bool handled;
  };
  enum class Decision { kDraw, kUpToDate, kReplaced };

  bool ScanDrawing(host::db::Database& target);
  // The update test of one feature under `kind` + `toid`.
  Decision TestFeature(char kind, std::string_view toid, std::int32_t version, bool hatch);
  // True when the feature is to be drawn: always outside updates, else when
  // it is new or replaced an older copy; counts it as updated or up to date.
  bool Decide(char kind, std::string_view toid, std::int32_t version, std::int32_t* updated,
              std::int32_t* upToDate);
  void RetireEntity(const Indexed& entry);
  std::string_view ToidOf(const Indexed& entry) const {
    return std::string_view(toids_).substr(entry.toidAt, entry.toidLength);
  }
  // The entries of one TOID, in the order the scan met them: byToid_[first, last).
  std::pair<std::size_t, std::size_t> EntriesOf(std::string_view toid) const;
  bool Progress(std::int32_t index, std::int32_t count, int* shown);
  // Progress after feature `index` of a class was drawn: counts it.
  bool FeatureDone(std::int32_t index, std::int32_t count, int* shown);
  void BeginClass(const wchar_t* update, const wchar_t* import);
  bool ClassRuns(std::int32_t count) const { return count >= 1 && ok && !stop; }

  void DrawAreas(const PagedGrowArray& list, double blockScale);
  void DrawLines(const PagedGrowArray& list);
  void DrawRoadLinks(const GrowArray& list, GrowArray* usedLayers);
  void DrawRoads(const GrowArray& list, GrowArray* usedLayers);
  void DrawPoints(const GrowArray& list, bool symbols, double blockScale);
  void DrawAddressPoints(const GrowArray& list, double blockScale);
  void DrawRoadNodes(const GrowArray& list, double blockScale, GrowArray* usedLayers);
  void DrawTexts(const GrowArray& list);
  void RemoveDeparted(const GrowArray& list);
  void Preview(const GrowArray& list);
  // Draws the pieces of a point list cut at 'b' and 'e' entries.
  template <typename Draw>
  void DrawPieces(const GrowArray& points, Draw draw);
  bool SaveAngles();
  void RestoreAngles();
  // The number of records in each list as the pass began.
  struct ListCounts {
    std::int32_t areas, lines, roadLinks, roads, points, addressPoints, symbols, roadNodes;
    std::int32_t texts, departed;
  };
  void PrintReport(const ListCounts& counts);
  // With a view to release to (else nothing): frees a list the pass is done
  // with; frees the nested lists of the records of `list` drawn so far
  // (`drawn` of `count`), a twentieth of the list at a time, `released`
  // counting the records already let go.
  void ReleaseList(const void* list);
  void ReleaseDrawnRecords(const void* list, std::int32_t drawn, std::int32_t count,
                           std::int32_t* released);
  void ShowWarning(bool batch);
  std::string ItnLayer(std::wstring_view name) const;

  const OS_GML_ACAD_Definitions& settings_;
  FeaturePassOptions options_;
  host::db::Database* db_ = nullptr;
  OSGMLInputView* releaseTo_ = nullptr;  // FeatureLists::releaseTo of the pass
  RecordReadAhead* ahead_ = nullptr;     // the pass's read-ahead, while it runs
  GrowArray* vertices_ = nullptr;
  CsvRun csv_;
  bool sdfNoted_ = false;
  bool indexEmpty_ = false;
  // The update index: every OS entity of the drawing, its TOIDs kept in one
  // string, and the entries sorted by TOID (kind + TOID lookups walk the
  // few entries of one TOID).
  std::vector<Indexed> index_;
  std::string toids_;
  std::vector<std::uint32_t> byToid_;
  double angBase_ = 0;
  std::int16_t angDir_ = 0, aUnits_ = 0;
};
