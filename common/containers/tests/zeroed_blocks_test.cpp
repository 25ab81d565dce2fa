#include "common/containers/zeroed_blocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "common/containers/grow_array.h"

namespace {

using zeroed_blocks::kMappedBlockBytes;
// From this length on, mappings take whole huge pages.
constexpr std::uint64_t kHugeMapping = std::uint64_t{4} << 20;

bool AllZero(const void* block, std::uint64_t from, std::uint64_t to) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (std::uint64_t i = from; i < to; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

void Fill(void* block, std::uint64_t bytes, unsigned char value) {
  std::memset(block, value, static_cast<std::size_t>(bytes));
}

// Every way a block can grow: on the heap, from the heap into a mapping,
// within a mapping's last page, and by moving a mapping (also from small
// pages into whole huge pages). The old bytes stay,
// the new ones read as zero.
TEST(ZeroedBlocksTest, GrowthKeepsBytesAndZeroesTheRest) {
  struct Case {
    std::uint64_t from;
    std::uint64_t to;
    bool mappedAfter;
  } cases[] = {
      {100, 1000, false},
      {1000, kMappedBlockBytes + 10, true},
      {kMappedBlockBytes + 10, kMappedBlockBytes + 20, true},
      {kMappedBlockBytes + 10, 8 * kMappedBlockBytes + 3, true},
      {kMappedBlockBytes - 1, kMappedBlockBytes, true},
      // across the length from which mappings take whole huge pages, and
      // within such a mapping's last huge page
      {kHugeMapping - 100, kHugeMapping + 5000, true},
      {3 * kHugeMapping / 2, 3 * kHugeMapping / 2 + 1000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    void* block = zeroed_blocks::Allocate(c.from);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(zeroed_blocks::IsMapped(block), c.from >= kMappedBlockBytes);
    EXPECT_TRUE(AllZero(block, 0, c.from));
    Fill(block, c.from, 0xA5);
    void* grown = zeroed_blocks::Resize(block, c.from, c.to);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(zeroed_blocks::IsMapped(grown), c.mappedAfter);
    const auto* bytes = static_cast<const unsigned char*>(grown);
    EXPECT_EQ(bytes[0], 0xA5);
    EXPECT_EQ(bytes[c.from - 1], 0xA5);
    EXPECT_TRUE(AllZero(grown, c.from, c.to));
    zeroed_blocks::Release(grown);
  }
}

// A mapped block grown a little at a time, as an array grows by its step,
// within its last page or by moving: at every step the bytes stay and what
// lies past them reads zero, also after the block was shrunk and grown
// again inside its mapping.
TEST(ZeroedBlocksTest, SmallStepsKeepBytesAndReadZeroPastThem) {
  const std::uint64_t step = 300 * 1024;
  std::uint64_t size = kMappedBlockBytes;
  void* block = zeroed_blocks::Allocate(size);
  ASSERT_NE(block, nullptr);
  Fill(block, size, 0x3C);
  for (int i = 0; i < 60; ++i) {
    if (i % 10 == 9) {
      // Let go of most of the last step and take it again.
      block = zeroed_blocks::Resize(block, size, size - step / 2);
      ASSERT_NE(block, nullptr);
      size -= step / 2;
    }
    void* grown = zeroed_blocks::Resize(block, size, size + step);
    ASSERT_NE(grown, nullptr);
    block = grown;
    auto* bytes = static_cast<unsigned char*>(block);
    ASSERT_EQ(bytes[0], 0x3C);
    ASSERT_EQ(bytes[size - 1], 0x3C);
    ASSERT_TRUE(AllZero(block, size, size + step)) << "step " << i;
    Fill(bytes + size, step, 0x3C);
    size += step;
  }
  zeroed_blocks::Release(block);
}

// A block shrunk and grown again reads zero where it was let go, heap or
// mapped.
TEST(ZeroedBlocksTest, ShrinkThenGrowReadsZero) {
  for (const std::uint64_t size : {std::uint64_t{4000}, 4 * kMappedBlockBytes}) {
    SCOPED_TRACE(size);
    void* block = zeroed_blocks::Allocate(size);
    ASSERT_NE(block, nullptr);
    Fill(block, size, 0x5A);
    block = zeroed_blocks::Resize(block, size, size / 2);
    ASSERT_NE(block, nullptr);
    block = zeroed_blocks::Resize(block, size / 2, size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(block)[size / 2 - 1], 0x5A);
    EXPECT_TRUE(AllZero(block, size / 2, size));
    zeroed_blocks::Release(block);
  }
  zeroed_blocks::Release(nullptr);
  EXPECT_EQ(zeroed_blocks::Allocate(UINT64_MAX - 8), nullptr);
}

// The feature arrays of an import start at 1,000 records of several hundred
// bytes and the paged ones grow by 50,000 at a time: their slots past the
// count are read as zero bytes, however the block was made.
TEST(ZeroedBlocksTest, ArraySlotsPastTheCountReadZero) {
  struct Wide {
    char bytes[600];
  };
  PagedGrowArray paged;
  ASSERT_TRUE(PagedGrowArrayCreate(1000, sizeof(Wide), &paged));
  Wide w;
  std::memset(&w, 7, sizeof w);
  for (std::int32_t i = 0; i <= 1000; ++i) ASSERT_TRUE(PagedGrowArraySet(&paged, i, &w, 50000));
  EXPECT_EQ(paged.capacity, 43690);  // the step stops at the end of the first page
  Wide out;
  ASSERT_TRUE(PagedGrowArrayGet(&paged, 1000, &out));
  EXPECT_EQ(out.bytes[599], 7);
  ASSERT_TRUE(PagedGrowArrayGet(&paged, paged.capacity - 1, &out));
  EXPECT_TRUE(AllZero(&out, 0, sizeof out));
  EXPECT_TRUE(PagedGrowArrayFree(&paged));

  GrowArray array;
  ASSERT_TRUE(GrowArrayCreate(1000, sizeof(Wide), &array));
  for (std::int32_t i = 0; i <= 1000; ++i) ASSERT_TRUE(GrowArraySetGrowBy(&array, i, &w, 5000));
  ASSERT_TRUE(GrowArrayGet(&array, 5999, &out));
  EXPECT_TRUE(AllZero(&out, 0, sizeof out));
  ASSERT_TRUE(GrowArrayGet(&array, 1000, &out));
  EXPECT_EQ(out.bytes[0], 7);
  EXPECT_TRUE(GrowArrayFree(&array));
}

}  // namespace
