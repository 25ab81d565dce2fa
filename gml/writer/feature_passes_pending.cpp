// The feature drawing passes are not part of this build yet: a run reads,
// lays out the grid, applies the layer states and saves, and says that the
// features themselves were not drawn.
#include "gml/writer/import_run.h"
#include "host/editor/command_line.h"

void DrawFeaturePasses(ImportRun&) {
  host::Print(L"\nDrawing of the features is not available in this build.\n");
}
