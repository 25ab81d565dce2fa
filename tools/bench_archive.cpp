// Reads files through ArchiveReader one character at a time, as the GML
// reader does, and prints the best time of several runs for each.
//
//   bench_archive [-n RUNS] FILE...
//
// Output: one line per file, "<seconds> <bytes> <path>".

#include "common/archive/archive_reader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Reads every character; false when the file cannot be opened or ends in a
// read error.
bool ReadThrough(const char* path, long long& bytes, unsigned& digest) {
  ArchiveReader reader;
  if (reader.OpenGz(path) != 1) return false;
  long long count = 0;
  unsigned sum = 0;
  char c;
  while (reader.GetChar(&c) == 1) {
    ++count;
    sum = sum * 31 + static_cast<unsigned char>(c);
  }
  const bool clean = !reader.HasReadError();
  reader.Close();
  bytes = count;
  digest = sum;
  return clean;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "-n") == 0) {
    runs = std::atoi(argv[2]);
    first = 3;
  }
  if (first >= argc || runs < 1) {
    std::fprintf(stderr, "usage: bench_archive [-n RUNS] FILE...\n");
    return 2;
  }
  for (int i = first; i < argc; ++i) {
    double best = -1.0;
    long long bytes = 0;
    unsigned digest = 0;
    for (int run = 0; run < runs; ++run) {
      const auto start = std::chrono::steady_clock::now();
      if (!ReadThrough(argv[i], bytes, digest)) {
        std::fprintf(stderr, "cannot read %s\n", argv[i]);
        return 1;
      }
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      if (best < 0 || took.count() < best) best = took.count();
    }
    std::printf("%.3f %lld %s (digest %08x)\n", best, bytes, argv[i], digest);
  }
  return 0;
}
