// Times the drawing pass over the records of one reading run, then the
// update pass of the same records over that drawing (every feature up to
// date), and reports the process's peak memory.
//
//   bench_drawing_pass FILE
//
// Output: one line, "<read s> <draw s> <update s> <peak KiB> <features>
// <entities> <up to date>": wall-clock times of the reading run, the
// drawing pass and the update pass; features read, entities drawn and
// features the update found up to date.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "gml/reader/osgml_input_view.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/feature_pass.h"
#include "gml/writer/layers.h"
#include "gml/writer/os_xdata.h"
#include "host/db/database.h"
#include "host/system/memory_pages.h"

namespace {

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Counted in place: a list of ids would add to the peak being measured.
std::size_t LiveEntities(const host::db::Database& db) {
  const host::db::BlockRecord* space = db.BlockRecordOf(db.ModelSpace());
  std::size_t n = 0;
  for (std::uint64_t handle : space != nullptr ? space->entities : std::vector<std::uint64_t>{}) {
    const host::db::Entity* entity = db.EntityByHandle(handle);
    n += entity != nullptr && !entity->erased ? 1 : 0;
  }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  host::ShareOneHeapAcrossThreads();
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_drawing_pass FILE\n");
    return 2;
  }
  OSGMLInputView view;
  if (view.constructionFailed || !view.AppendInputFile(argv[1])) {
    std::fprintf(stderr, "cannot add %s\n", argv[1]);
    return 1;
  }
  auto start = std::chrono::steady_clock::now();
  if (view.ProcessGmlFiles(1, L"Stop draw", 0) != 1) {
    std::fprintf(stderr, "the reading run failed on %s\n", argv[1]);
    return 1;
  }
  const double read = Since(start);

  host::db::Database db;
  host::db::ScopedWorkingDatabase scope(&db);
  OS_GML_ACAD_Definitions& settings = view.settings;
  settings.pointsAndSymbolsAs = 2;  // points: no symbol table here
  settings.plantBlocksInPolygons = 0;
  settings.attributesToCsv = 0;
  settings.attributesToXdata = 2;
  GrowArray vertices{};
  GrowArray usedLayers{};
  if (!RegisterOsXdataApp(db) || !GrowArrayCreate(1000, sizeof(PolylineVertex), &vertices) ||
      !GrowArrayCreate(50, sizeof(UsedLayerEntry), &usedLayers)) {
    std::fprintf(stderr, "cannot prepare the drawing\n");
    return 1;
  }
  const FeatureLists lists = FeatureListsOf(view);
  FeaturePassOptions options;
  options.batchMode = true;
  FeatureDrawingRun draw(settings);
  draw.StartRun();
  start = std::chrono::steady_clock::now();
  const bool drawn = draw.DrawPass(lists, options, db, 1.0, &vertices, &usedLayers);
  const double drawing = Since(start);

  options.batchMode = false;
  options.updateMode = true;
  FeatureDrawingRun update(settings);
  update.StartRun();
  start = std::chrono::steady_clock::now();
  const bool updated = update.DrawPass(lists, options, db, 1.0, &vertices, &usedLayers);
  const double updating = Since(start);
  if (!drawn || !updated) {
    std::fprintf(stderr, "a pass failed\n");
    return 1;
  }
  const FeaturePassCounters& c = update.counters;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.3f %.3f %.3f %ld %ld %ld %ld\n", read, drawing, updating, static_cast<long>(usage.ru_maxrss),
              static_cast<long>(view.CountAllFeatures()),
              static_cast<long>(LiveEntities(db)),
              static_cast<long>(c.polygonsUpToDate + c.linesUpToDate + c.pointsUpToDate +
                                c.symbolsUpToDate + c.textsUpToDate));
  GrowArrayFree(&vertices);
  GrowArrayFree(&usedLayers);
  return 0;
}
