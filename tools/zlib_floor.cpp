// The floor under every reading benchmark of gzip input: a program that does
// nothing but inflate the file through zlib's gzread in 16 KB pieces.
//
//   zlib_floor FILE.gz
//
// Prints the number of uncompressed bytes read; exits non-zero when the file
// cannot be opened or read to its end.
#include <zlib.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zlib_floor FILE.gz\n");
    return 2;
  }
  gzFile in = gzopen(argv[1], "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "zlib_floor: cannot open %s\n", argv[1]);
    return 1;
  }
  static char buffer[16384];
  unsigned long long total = 0;
  int got = 0;
  while ((got = gzread(in, buffer, sizeof buffer)) > 0) total += static_cast<unsigned>(got);
  const bool failed = got < 0;
  gzclose(in);
  if (failed) {
    std::fprintf(stderr, "zlib_floor: %s is damaged\n", argv[1]);
    return 1;
  }
  std::printf("%llu\n", total);
  return 0;
}
