// The run over the records of an import: what the reading run kept is drawn
// once into the current drawing (interactive) or once per location filter
// into a drawing of its own that is saved (batch). The dialogs that choose
// the files, add location filters and read each batch location belong to the
// import command; the run asks it for each batch location in turn.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "common/containers/grow_array.h"
#include "host/db/database.h"

class OSGMLInputView;
class FeatureDrawingRun;

// The state of one run that the feature drawing passes work on.
struct ImportRun {
  OSGMLInputView* view = nullptr;        // the reader's records, extent and settings
  std::int32_t runMode = 1;              // 1 draw, 2 preview
  host::db::Database* target = nullptr;  // the working drawing, or a batch location's
  FeatureDrawingRun* passes = nullptr;   // the feature passes, one object for the whole run
  GrowArray vertices{};                  // PolylineVertex, reused by every polyline
  GrowArray usedLayers{};                // UsedLayerEntry
  double sizeFactor = 1.0;
  double blockScale = 1.0;
  bool ok = true;    // false after a failed allocation, variable change or registration
  bool stop = false; // Esc: no later feature loop of the run runs
  bool batch = false;
};

// How the reading of one batch location ended.
enum class LocationReading {
  kRead,     // its records are in the view
  kNoData,   // nothing to read there (no file in it, or a road buffer)
  kStopped,  // reading was stopped (Esc, Cancel) or failed: nothing of it is
             // saved, and every later location is reported not done
};

// What the import command hands the run.
struct ImportRequest {
  std::int32_t runMode = 1;        // 1 draw, 2 preview
  std::wstring textStyleName;      // copied into each batch drawing
  std::wstring batchOutputFolder;  // where batch drawings are saved
  // Batch: reads location `index` of the view's location filter into the
  // view, and gives the location's name (empty when it has none).
  std::function<LocationReading(std::int32_t index, std::wstring* name)> readLocation;
};

// Draws the view's records as `request` asks: one pass into the working
// drawing, or, when the settings' batch switch is on, one pass per location
// filter, each read through `request.readLocation` and saved. After Esc
// the location in progress is saved (or, stopped while read, left unsaved)
// and each later location is reported "Not done (stopped)".
void DrawImport(OSGMLInputView& view, const ImportRequest& request);

// At the end of every import command: frees the records' nested lists entry
// by entry of the register, with "Finishing up..." on the command line.
void FreeImportRecords(OSGMLInputView& view);

// The size factor of the settings' scale choice.
double ImportSizeFactor(int choice, int manualScale);

// The feature drawing passes (or the preview) of one pass of the run into
// `run.target`; a failure or Esc there holds for the rest of the run.
void DrawFeaturePasses(ImportRun& run);

// The file a batch location is saved in: its name whole but for the folder
// separators and control characters (each '_'), or "Batch N" for a location
// without one. With `taken`, the files the run's earlier locations took: a
// name already among them gets a number ("Mill Lane (2).dwg"), and the path
// chosen is added.
std::wstring BatchDrawingPath(const std::wstring& folder, const std::wstring& locationName,
                              int index, std::set<std::wstring>* taken = nullptr);
