// Times one reading run of the GML reader over one file, in count mode or in
// import mode, and reports the process's peak memory afterwards.
//
//   bench_reader count|import FILE
//
// READER_THREADS and READER_PIECE_BYTES, when set, give the reading run's
// worker threads and piece size (piece_join.h).
//
// Output: one line, "<seconds> <cpu seconds> <peak KiB> <features> <mode>
// <path> <pieces joined> <pieces read again>": wall-clock and processor time
// (user and system) of the run, features seen (count mode) or stored
// (import mode), and how the file's pieces were read (piece_join.h). Each measurement runs in a process of its
// own, so that the peak memory belongs to that one run.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/containers/text.h"
#include "gml/reader/osgml_input_view.h"
#include "host/system/memory_pages.h"

namespace {

rusage Usage() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage;
}

double CpuSeconds(const rusage& u) {
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  host::ShareOneHeapAcrossThreads();
  if (argc != 3 || (std::strcmp(argv[1], "count") != 0 && std::strcmp(argv[1], "import") != 0)) {
    std::fprintf(stderr, "usage: bench_reader count|import FILE\n");
    return 2;
  }
  const bool import = std::strcmp(argv[1], "import") == 0;
  OSGMLInputView view;
  if (view.constructionFailed || !view.AppendInputFile(argv[2])) {
    std::fprintf(stderr, "cannot add %s\n", argv[2]);
    return 1;
  }
  if (const char* threads = std::getenv("READER_THREADS")) view.readerThreads = std::atoi(threads);
  if (const char* bytes = std::getenv("READER_PIECE_BYTES")) view.readerPieceBytes = std::atoll(bytes);
  const double cpuBefore = CpuSeconds(Usage());
  const auto start = std::chrono::steady_clock::now();
  const int result =
      import ? view.ProcessGmlFiles(1, L"Stop draw", 0) : view.ProcessGmlFiles(0, L"Stop count", 1);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const rusage after = Usage();
  if (result != 1) {
    std::fprintf(stderr, "the reading run failed on %s\n", argv[2]);
    return 1;
  }
  const long features = import
                            ? view.CountAllFeatures()
                            : static_cast<long>(view.seenLines) + view.seenAreas + view.seenPoints +
                                  view.seenSymbols + view.seenTexts + view.seenRoads +
                                  view.seenRoadLinks + view.seenRoadNodes + view.seenAddressPoints;
  std::printf("%.3f %.3f %ld %ld %s %s %d %d\n", took.count(), CpuSeconds(after) - cpuBefore,
              static_cast<long>(after.ru_maxrss), features, argv[1], argv[2],
              static_cast<int>(view.piecesJoined), static_cast<int>(view.piecesReread));
  return 0;
}
