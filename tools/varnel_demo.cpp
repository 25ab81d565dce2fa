// The demonstration run of ./dev demo. It grows with the import: for now it
// fills the feature store the reader will use (a paged array of large
// records) and reads it back.
#include <cstdio>
#include <cstring>

#include "common/grow_array.h"

namespace {

struct DemoFeature {
  char toid[21];
  double x, y;
  char padding[480];
};

}  // namespace

int main() {
  PagedGrowArray features;
  if (!PagedGrowArrayCreate(1000, sizeof(DemoFeature), &features)) {
    std::fprintf(stderr, "could not create the feature store\n");
    return 1;
  }
  const int n = 200000;
  DemoFeature f{};
  for (int i = 0; i < n; ++i) {
    std::snprintf(f.toid, sizeof f.toid, "osgb%016d", i);
    f.x = 530000.0 + i % 1000;
    f.y = 180000.0 + i / 1000;
    if (!PagedGrowArraySet(&features, features.count, &f, 50000)) {
      std::fprintf(stderr, "store full at %d\n", i);
      return 1;
    }
  }
  DemoFeature last{};
  if (!PagedGrowArrayGet(&features, features.count - 1, &last)) return 1;
  std::printf("stored %d features of %zu bytes in pages of %d; last %s at %.0f %.0f\n",
              features.count, sizeof(DemoFeature), features.perPage, last.toid, last.x, last.y);
  return PagedGrowArrayFree(&features) ? 0 : 1;
}
