// The run over the records of an import: the passes into the current
// drawing, or one saved drawing per batch location.
#include "gml/writer/import_run.h"

#include <cstdio>
#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/cad/current_layer.h"
#include "common/containers/text.h"
#include "gml/reader/osgml_input_view.h"
#include "gml/writer/blocks.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/feature_pass.h"
#include "gml/writer/layers.h"
#include "gml/writer/os_xdata.h"
#include "host/db/drawing_file.h"
#include "host/editor/command_line.h"
#include "host/editor/host_commands.h"
#include "host/system/events.h"

namespace {

std::wstring Format(const wchar_t* format, auto... values) {
  wchar_t buffer[2048];
  std::swprintf(buffer, 2048, format, values...);
  return buffer;
}

bool ExtentValid(const OSGMLInputView& view) {
  return view.readMinX <= view.readMaxX && view.readMinY <= view.readMaxY &&
         view.readMaxX < 1e9 && view.readMinX > -1e9;
}

void DrawGrid(ImportRun& run, bool batch) {
  const OSGMLInputView& v = *run.view;
  // Without a kept feature the extent is still its start value: no grid.
  if (!ExtentValid(v)) return;
  const long xFrom = static_cast<long>(v.readMinX + 10) / 100 * 100;
  const long yFrom = static_cast<long>(v.readMinY + 10) / 100 * 100;
  const long xTo = static_cast<long>(v.readMaxX) / 100 * 100;
  const long yTo = static_cast<long>(v.readMaxY) / 100 * 100;
  auto line = [&](double x1, double y1, double x2, double y2) {
    if (batch) {
      (void)DrawTwoPointPolyline("Grid", 256, 0, *run.target, x1, y1, x2, y2);
    } else {
      (void)host::RunHostCommand({std::wstring(L"_LINE"), host::db::Point3{x1, y1, 0},
                                  host::db::Point3{x2, y2, 0}, std::wstring(L"")});
    }
  };
  if (batch) {
    if (!EnsureLayer(8, "Grid", *run.target)) return;
  } else if (!MakeLayerCurrent(8, L"Grid")) {
    return;
  }
  for (long x = xFrom; x <= xTo; x += 100) line(x, yFrom, x, yTo);
  for (long y = yFrom; y <= yTo; y += 100) line(xFrom, y, xTo, y);
}

void ApplyLayerStates(ImportRun& run) {
  const OS_GML_ACAD_Definitions& s = run.view->settings;
  ApplyLookupLayerStates(s.codeTable, *run.target, s.drawPolygonsAsPolylines != 0);
  for (std::int32_t i = 0; i < run.usedLayers.count; ++i) {
    const UsedLayerEntry& e = static_cast<const UsedLayerEntry*>(run.usedLayers.data)[i];
    if (e.itnClass == 0)
      SetLayerState(s.roadNodeLayerOn, s.roadNodeLayerFrozen, s.roadNodeLayerLocked, e.name, *run.target);
    else if (e.itnClass == 1)
      SetLayerState(s.roadLinkLayerOn, s.roadLinkLayerFrozen, s.roadLinkLayerLocked, e.name, *run.target);
    else
      SetLayerState(s.roadLayerOn, s.roadLayerFrozen, s.roadLayerLocked, e.name, *run.target);
  }
}

}  // namespace

void DrawFeaturePasses(ImportRun& run) {
  if (!run.passes) return;
  FeaturePassOptions options;
  options.updateMode = run.view->updateMode != 0;
  options.batchMode = run.batch;
  options.sdfOutput = run.view->settings.attributesToSdf != 0;
  options.runMode = run.runMode;
  run.passes->ok = run.ok;
  run.passes->stop = run.stop;
  // Each pass draws from a reading of its own: the records go as they are drawn.
  (void)run.passes->DrawPass(ReleasingFeatureListsOf(*run.view), options, *run.target,
                             run.blockScale, &run.vertices, &run.usedLayers);
  run.ok = run.passes->ok;
  run.stop = run.passes->stop;
}

double ImportSizeFactor(int choice, int manualScale) {
  switch (choice) {
    case 0: return 0.4;
    case 1: return 1.0;
    case 2: return 2.0;
    case 3: return 8.0;
    default: return manualScale / 1250.0;
  }
}

std::wstring BatchDrawingPath(const std::wstring& folder, const std::wstring& locationName,
                              int index, std::set<std::wstring>* taken) {
  std::wstring name = locationName.empty() ? Format(L"Batch %li", static_cast<long>(index)) : locationName;
  // The name stays whole but for what no file name should hold, each of
  // which becomes '_': the folder separators ('\\' separates folders here
  // too), so that the drawing lands in the batch folder itself, and control
  // characters (NUL, a tab or a line feed in a location's name).
  for (wchar_t& c : name)
    if (c == L'/' || c == L'\\' || c < 0x20 || (c >= 0x7f && c < 0xa0)) c = L'_';
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'/' && path.back() != L'\\') path += L'/';
  std::wstring chosen = path + name + L".dwg";
  if (taken == nullptr) return chosen;
  // A name an earlier location of the run took gets a number, so that one
  // location's drawing never replaces another's.
  for (long n = 2; taken->count(chosen) != 0; ++n) chosen = path + name + Format(L" (%li).dwg", n);
  taken->insert(chosen);
  return chosen;
}

void DrawImport(OSGMLInputView& view, const ImportRequest& request) {
  ImportRun run;
  run.view = &view;
  run.runMode = request.runMode;
  run.ok = GrowArrayCreate(1000, sizeof(UsedLayerEntry), &run.usedLayers) &&
           GrowArrayCreate(1000, sizeof(PolylineVertex), &run.vertices);
  const OS_GML_ACAD_Definitions& s = view.settings;
  run.sizeFactor = ImportSizeFactor(s.scalingFactorChoice, s.manualScalingFactor);
  run.blockScale = s.blockScalingFactor * run.sizeFactor;
  run.batch = s.batchSwitch != 0 && request.readLocation != nullptr;
  FeatureDrawingRun featurePasses(s);
  featurePasses.StartRun();
  run.passes = &featurePasses;
  const std::int32_t passes = run.batch ? view.locationFilter.GetAreaCount() : 1;
  std::vector<std::wstring> notDone;
  std::set<std::wstring> takenPaths;  // the batch drawings' files, one per location
  for (std::int32_t i = 0; i < passes; ++i) {
    std::unique_ptr<host::db::Database> side;
    bool skipped = false;
    bool readingStopped = false;
    std::wstring locationName;
    if (run.batch) {
      if (i == 0) host::Print(L"Orvane Batch mode started.\n");
      // After Esc the location in progress was saved (or, stopped while
      // it was read, left unsaved): the others are left.
      if (run.stop) {
        AreaFilterArea area{};
        (void)view.locationFilter.GetArea(&area, i);
        notDone.push_back(BatchDrawingPath(request.batchOutputFolder,
                                           Utf8ToWide(FieldText(area.description)), i, &takenPaths));
        continue;
      }
      side = std::make_unique<host::db::Database>();
      (void)CopyHostTextStyles(*side, request.textStyleName);
      (void)CopyHostLayers(*side);
      run.target = side.get();
      const LocationReading reading = request.readLocation(i, &locationName);
      skipped = reading != LocationReading::kRead;
      readingStopped = reading == LocationReading::kStopped;
      if (readingStopped || host::UserBreak()) run.stop = true;
    } else {
      run.target = host::db::WorkingDatabase();
    }
    if (!run.target) break;
    if (!skipped) {
      if (run.ok && !RegisterOsXdataApp(*run.target)) run.ok = false;
      if (run.batch) {
        if (ExtentValid(view))
          SetActiveViewport(view.readMaxX, view.readMaxY, view.readMinX, view.readMinY, *run.target);
        if (s.drawOsGridLines) DrawGrid(run, true);
      } else {
        if (run.ok && ExtentValid(view) &&
            ((run.runMode == 1 && s.zoomToData && view.CountAllFeatures() > 0) ||
             (run.runMode == 2 && view.GetPointStreamCount() > 0)))
          ZoomWindowWithMargin(view.readMaxX, view.readMaxY, view.readMinX, view.readMinY);
        if (s.drawOsGridLines) DrawGrid(run, false);
      }
      DrawFeaturePasses(run);
      // Esc ends the pass between two features: what was drawn stays, and
      // the attribute files hold the rows of those features alone.
      if (run.stop && run.passes != nullptr && run.runMode == 1)
        host::Printf(L"Stopped: %li of %li features drawn%ls.\n",
                     static_cast<long>(run.passes->featuresDrawn),
                     static_cast<long>(run.passes->featuresToDraw),
                     s.attributesToCsv != 0 ? L"; the CSV files hold only those" : L"");
      // A file cut short was drawn as far as it went: the end says so.
      if (view.incompleteFiles > 0)
        host::Printf(L"Incomplete: %li file(s) ended early; only what they held up to there "
                     L"was drawn.\n",
                     static_cast<long>(view.incompleteFiles));
    }
    ApplyLayerStates(run);
    if (run.batch) {
      const std::wstring path = BatchDrawingPath(request.batchOutputFolder, locationName, i, &takenPaths);
      if (readingStopped) {
        host::Printf(L"Stopped while reading %ls: no drawing saved.\n", path.c_str());
      } else if (skipped) {
        host::Printf(L"Skipped (no data) %ls.\n", path.c_str());
      } else if (const host::Result<std::int64_t> saved = host::db::SaveDrawing(*side, path); !saved.ok()) {
        host::Printf(L"AutoCAD Drawing file %ls could not be saved: %ls.\n", path.c_str(),
                     saved.message.c_str());
      } else {
        host::Printf(L"AutoCAD Drawing file %ls created.\n", path.c_str());
      }
      side.reset();
      view.crossFileToids.Clear();
    }
  }
  featurePasses.EndRun();
  for (const std::wstring& path : notDone)
    host::Printf(L"Not done (stopped): %ls.\n", path.c_str());
  // A run that Esc stopped ends as a cancelled command.
  if (run.stop) host::Print(L"*Cancel*\n");
  GrowArrayFree(&run.vertices);
  GrowArrayFree(&run.usedLayers);
}

void FreeImportRecords(OSGMLInputView& view) {
  host::Print(L"\nFinishing up...");
  const std::int32_t nested = view.GetNestedArrayCount();
  for (std::int32_t i = 0; i < nested; ++i) view.FreeNestedArrays(i, i + 1);
}
