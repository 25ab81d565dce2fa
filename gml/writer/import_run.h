// The import run: the body of lwhgmlin and lwhgmlud. It shows the main
// import dialog in a loop, adds location filters between showings, and draws
// what the reading run kept, once into the current drawing or once per
// location into a saved drawing of its own (batch).
#pragma once

#include <string>

#include "common/containers/grow_array.h"
#include "host/db/database.h"

class OSGMLInputDialog;
class FeatureDrawingRun;

// The state of one run that the feature drawing passes work on.
struct ImportRun {
  OSGMLInputDialog* view = nullptr;
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

// The size factor of the settings' scale choice.
double ImportSizeFactor(int choice, int manualScale);

// The feature drawing passes (or the preview) of one pass of the run into
// `run.target`; a failure or Esc there holds for the rest of the run.
void DrawFeaturePasses(ImportRun& run);

// The file a batch location is saved in: its name made safe for a file name,
// or "Batch N" for a location without one.
std::wstring BatchDrawingPath(const std::wstring& folder, const std::wstring& locationName,
                              int index);
