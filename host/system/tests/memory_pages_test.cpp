#include "host/system/memory_pages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace host {
namespace {

// Blocks filled while two helpers fault in the heap's growth keep exactly
// what was written into them: faulting in writes nothing, also into blocks
// handed out a moment before. Without a FaultingHeapAhead the call does
// nothing at all.
TEST(MemoryPagesTest, FaultingInTheHeapsGrowthKeepsWhatItsBlocksHold) {
  FaultInHeapGrowth();  // none lives: nothing happens
  std::vector<std::unique_ptr<std::uint64_t[]>> blocks;
  constexpr std::size_t kBlocks = 200000;  // about 50 MB of small blocks
  constexpr std::size_t kWords = 30;
  {
    FaultingHeapAhead ahead;
    std::atomic<bool> done{false};
    std::vector<std::thread> helpers;
    for (int i = 0; i < 2; ++i)
      helpers.emplace_back([&] {
        while (!done.load()) FaultInHeapGrowth();
      });
    for (std::size_t b = 0; b < kBlocks; ++b) {
      blocks.emplace_back(new std::uint64_t[kWords]);
      for (std::size_t w = 0; w < kWords; ++w) blocks.back()[w] = b * 1000003u + w + 1;
    }
    done = true;
    for (std::thread& helper : helpers) helper.join();
  }
  FaultInHeapGrowth();
  std::size_t wrong = 0;
  for (std::size_t b = 0; b < kBlocks; ++b)
    for (std::size_t w = 0; w < kWords; ++w) wrong += blocks[b][w] != b * 1000003u + w + 1 ? 1 : 0;
  EXPECT_EQ(wrong, 0u);
}

// Lengths to map: whole pages below two huge pages, whole huge pages from
// there up, and 0 where rounding up would overflow.
TEST(MemoryPagesTest, MappingLengthsAreWholePagesThenWholeHugePages) {
  const std::uint64_t page = MemoryPageSize();
  const std::uint64_t huge = std::uint64_t{2} << 20;
  const struct {
    std::uint64_t bytes;
    std::uint64_t length;
  } cases[] = {
      {0, 0},
      {1, page},
      {page, page},
      {page + 1, 2 * page},
      {huge + 1, huge + page},
      {2 * huge - 1, 2 * huge},
      {2 * huge, 2 * huge},
      {2 * huge + 1, 3 * huge},
      {5 * huge - page, 5 * huge},
      {UINT64_MAX - 10, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(MappingLengthFor(c.bytes), c.length) << c.bytes;
}

}  // namespace
}  // namespace host
