// Builds a drawing of lightweight polylines that each carry a full block of
// OS attribute xdata, saves it as DXF, and reports seconds and peak memory
// for both steps.
//
//   host_db_bench [count] [folder]   (default 1000000 polylines, /tmp)
//
// The DXF is removed at the end unless HOST_DB_BENCH_KEEP is set.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/db/database.h"
#include "host/db/drawing_file.h"

using namespace host::db;

namespace {

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

const wchar_t* const kApp = L"LARCHWORKS_XGML_OSGB_BENCHMRKRA";
const wchar_t kTags[] = L"0123456789ABCDEFGH";

// The values of one feature's 60 tags: a few long, many short or empty, as
// OS MasterMap attributes come.
EntityList AttributeXdata(long n) {
  EntityList chain{{1001, kApp}, {1002, L"{"}};
  wchar_t toid[32];
  std::swprintf(toid, 32, L"osgb%016ld", 1000000000000L + n);
  const std::wstring values[] = {toid, L"7", L"2019-03-12", L"Buildings", L"Building", L"Manmade", L"10021",
                                 L"", L"Structure", L"", L"1", L"", L"123.456"};
  for (int i = 0; i < 60; ++i) {
    std::wstring tag{kTags[(i / 10) % 6], kTags[i % 18]};
    const std::wstring& value = values[i % 13];
    chain.emplace_back(1000, tag + (i % 4 == 3 ? std::wstring() : value));
  }
  chain.emplace_back(1002, L"}");
  return chain;
}

}  // namespace

int main(int argc, char** argv) {
  long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  std::string folder = argc > 2 ? argv[2] : "/tmp";
  std::string path = folder + "/host_db_bench.dxf";

  auto start = std::chrono::steady_clock::now();
  Database db;
  db.RegisterApp(kApp);
  LayerRecord layer;
  layer.name = L"Buildings";
  layer.color = 2;
  db.SetCurrentLayer(db.AddLayer(layer));
  for (long n = 0; n < count; ++n) {
    double x = 400000 + (n % 1000) * 12.5;
    double y = 100000 + (n / 1000) * 12.5;
    LwPolylineData lw;
    lw.vertices = {{x, y, 0, 0, 0}, {x + 10.25, y, 0, 0, 0}, {x + 10.25, y + 8.5, 0, 0, 0},
                   {x + 5.125, y + 11.75, 0, 0, 0}, {x, y + 8.5, 0, 0, 0}};
    lw.closed = true;
    ObjectId id = db.Append(std::move(lw));
    Entity* entity = db.EntityOf(id);
    entity->color = kColorByLayer;
    if (!entity->xdata.Apply(AttributeXdata(n))) return 1;
  }
  double buildSeconds = Seconds(start);
  double buildPeak = PeakMegabytes();

  start = std::chrono::steady_clock::now();
  host::Result<std::int64_t> saved = SaveDrawing(db, path);
  double saveSeconds = Seconds(start);
  double savePeak = PeakMegabytes();
  if (!saved.ok()) {
    std::fprintf(stderr, "%ls\n", saved.message.c_str());
    return 1;
  }
  double megabytes = std::filesystem::file_size(path) / 1e6;
  std::printf("polylines          %ld\n", count);
  std::printf("build              %.2f s, peak memory %.0f MB\n", buildSeconds, buildPeak);
  std::printf("save               %.2f s, peak memory %.0f MB\n", saveSeconds, savePeak);
  std::printf("DXF written        %.0f MB, %.0f MB/s\n", megabytes, megabytes / saveSeconds);
  std::printf("peak / DXF size    %.2f\n", savePeak / megabytes);
  if (!std::getenv("HOST_DB_BENCH_KEEP")) std::filesystem::remove(path);
  return 0;
}
