#include "common/containers/tracked_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "common/containers/grow_array.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"

namespace {

// The registry restarts when a tracked array is the only live one, so every
// test starts with no array alive and frees all it made.
class TrackedArrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    ASSERT_EQ(GrowArrayLiveCount(), 0) << "an earlier test leaked";
  }
  void TearDown() override { host::ResetForTest(); }

  // Every (caller id, entry index) that the live listing reports.
  static std::vector<std::pair<std::int32_t, std::int32_t>> LiveList() {
    std::vector<std::pair<std::int32_t, std::int32_t>> live;
    std::int32_t id = 0;
    std::int32_t index = 0;
    for (bool more = FirstLiveTrackedArray(&id, &index); more;
         more = NextLiveTrackedArray(&id, &index))
      live.emplace_back(id, index);
    return live;
  }
};

using Live = std::vector<std::pair<std::int32_t, std::int32_t>>;

TEST_F(TrackedArrayTest, RegistryNumbersFromZeroAndRestartsWhenAlone) {
  TrackedGrowArray a;
  TrackedPagedGrowArray b;
  TrackedGrowArray c;
  ASSERT_TRUE(TrackedGrowArrayCreate(7, 0, 16, &a));
  EXPECT_EQ(GrowArrayLiveCount(), 1) << "the registry's block is not a live array";
  ASSERT_TRUE(TrackedPagedGrowArrayCreate(8, 0, 16, &b));
  ASSERT_TRUE(TrackedGrowArrayCreate(9, 0, 16, &c));
  EXPECT_EQ(a.sequence, 0);
  EXPECT_EQ(b.sequence, 1);
  EXPECT_EQ(c.sequence, 2);
  EXPECT_EQ(a.callerId, 7);
  EXPECT_EQ(b.callerId, 8);

  std::int32_t index = -1;
  ASSERT_TRUE(FindTrackedArray(1, &index));
  EXPECT_EQ(index, 1);
  TrackedArrayEntry entry;
  ASSERT_TRUE(GetTrackedArrayEntry(1, &entry));
  EXPECT_EQ(entry.kind, kTrackedPaged);
  EXPECT_EQ(entry.copy.paged.callerId, 8);
  EXPECT_EQ(entry.copy.paged.marker, kGrowArrayMarker);
  EXPECT_FALSE(FindTrackedArray(3, &index));

  EXPECT_TRUE(TrackedGrowArrayFree(&a));
  EXPECT_TRUE(TrackedPagedGrowArrayFree(&b));
  EXPECT_TRUE(TrackedGrowArrayFree(&c));
  ASSERT_TRUE(GetTrackedArrayEntry(1, &entry));
  EXPECT_EQ(entry.copy.paged.marker, 0) << "a free marks its entry";

  // Alone again: a new registry (the old one is released, as the leak
  // checker of the sanitized build confirms) numbering from 0.
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(TrackedGrowArrayCreate(1, 0, 16, &a));
    EXPECT_EQ(a.sequence, 0);
    EXPECT_FALSE(FindTrackedArray(1, &index)) << "entries of the old registry are gone";
    EXPECT_TRUE(TrackedGrowArrayFree(&a));
  }
}

TEST_F(TrackedArrayTest, LiveListingSkipsFreedArrays) {
  TrackedGrowArray a;
  TrackedGrowArray b;
  TrackedPagedGrowArray c;
  ASSERT_TRUE(TrackedGrowArrayCreate(7, 0, 16, &a));
  ASSERT_TRUE(TrackedGrowArrayCreate(8, 0, 16, &b));
  ASSERT_TRUE(TrackedPagedGrowArrayCreate(9, 0, 16, &c));
  EXPECT_EQ(LiveList(), (Live{{7, 0}, {8, 1}, {9, 2}}));
  EXPECT_TRUE(TrackedGrowArrayFree(&b));
  EXPECT_FALSE(TrackedGrowArrayFree(&b)) << "second free";
  EXPECT_EQ(LiveList(), (Live{{7, 0}, {9, 2}}));
  EXPECT_TRUE(TrackedGrowArrayFree(&a));
  EXPECT_EQ(LiveList(), (Live{{9, 2}}));
  EXPECT_TRUE(TrackedPagedGrowArrayFree(&c));
  std::int32_t id = 0;
  std::int32_t index = 0;
  EXPECT_FALSE(FirstLiveTrackedArray(&id, &index));
  EXPECT_FALSE(NextLiveTrackedArray(&id, &index));
}

TEST_F(TrackedArrayTest, FailedCreates) {
  TrackedGrowArray a;
  ASSERT_TRUE(TrackedGrowArrayCreate(7, 0, 16, &a));

  // A failed allocation still takes a number and an entry, never live. With
  // one other array alive the shared count is 1 after the failure: that
  // array's entry must survive.
  TrackedGrowArray b;
  TrackedPagedGrowArray p;
  {
    host::ScopedFault fault(host::FaultPoint::Allocation, 0, -1);
    EXPECT_FALSE(TrackedGrowArrayCreate(8, 0, 16, &b));
    EXPECT_FALSE(TrackedPagedGrowArrayCreate(9, 0, 16, &p));
  }
  EXPECT_EQ(b.sequence, 1);
  EXPECT_EQ(p.sequence, 2);
  EXPECT_NE(b.marker, kGrowArrayMarker);
  EXPECT_NE(p.marker, kGrowArrayMarker);
  std::int32_t index = -1;
  EXPECT_TRUE(FindTrackedArray(2, &index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(LiveList(), (Live{{7, 0}}));

  // A refused element size: the entry must not look live whatever the header held.
  TrackedGrowArray z;
  std::memset(&z, 0, sizeof z);
  z.marker = kGrowArrayMarker;
  EXPECT_FALSE(TrackedGrowArrayCreate(10, 0, 0, &z));
  EXPECT_EQ(z.sequence, 3);
  EXPECT_EQ(LiveList(), (Live{{7, 0}}));

  // A negative capacity does nothing at all.
  TrackedGrowArray n;
  std::memset(&n, 0x5a, sizeof n);
  const TrackedGrowArray before = n;
  EXPECT_FALSE(TrackedGrowArrayCreate(11, -1, 16, &n));
  EXPECT_EQ(0, std::memcmp(&n, &before, sizeof n));
  TrackedPagedGrowArray np;
  EXPECT_FALSE(TrackedPagedGrowArrayCreate(11, -1, 16, &np));
  EXPECT_FALSE(FindTrackedArray(4, &index));
  ASSERT_TRUE(TrackedGrowArrayCreate(12, 0, 16, &n));
  EXPECT_EQ(n.sequence, 4);

  EXPECT_TRUE(TrackedGrowArrayFree(&n));
  EXPECT_TRUE(TrackedGrowArrayFree(&a));
}

TEST_F(TrackedArrayTest, SetAndGetAsTheUntrackedArrays) {
  TrackedGrowArray a;
  ASSERT_TRUE(TrackedGrowArrayCreate(1, 0, sizeof(std::int64_t), &a));
  for (std::int64_t i = 0; i <= 50; ++i) ASSERT_TRUE(TrackedGrowArraySet(&a, std::int32_t(i), &i));
  EXPECT_EQ(a.capacity, 100);
  EXPECT_EQ(a.count, 51);
  const std::int64_t v = 77;
  EXPECT_FALSE(TrackedGrowArraySet(&a, 101, &v));
  for (std::int32_t i = 51; i < 100; ++i) ASSERT_TRUE(TrackedGrowArraySet(&a, i, &v));
  ASSERT_TRUE(TrackedGrowArraySetGrowBy(&a, 100, &v, 7));
  EXPECT_EQ(a.capacity, 107);
  std::int64_t out = 0;
  ASSERT_TRUE(TrackedGrowArrayGet(&a, 50, &out));
  EXPECT_EQ(out, 50);
  EXPECT_FALSE(TrackedGrowArrayGet(&a, 107, &out));
  for (std::int32_t i = 101; i < 107; ++i) ASSERT_TRUE(TrackedGrowArraySet(&a, i, &v));
  {
    const TrackedGrowArray before = a;
    host::ScopedFault fault(host::FaultPoint::Allocation, 0);
    EXPECT_FALSE(TrackedGrowArraySet(&a, 107, &v));
    EXPECT_EQ(0, std::memcmp(&a, &before, sizeof a));
  }

  TrackedPagedGrowArray p;
  ASSERT_TRUE(TrackedPagedGrowArrayCreate(2, 0, sizeof(std::int64_t), &p));
  for (std::int64_t i = 0; i <= 50; ++i)
    ASSERT_TRUE(TrackedPagedGrowArraySet(&p, std::int32_t(i), &i, 1000));
  EXPECT_EQ(p.capacity, 1050);
  EXPECT_EQ(p.count, 51);
  ASSERT_TRUE(TrackedPagedGrowArrayGet(&p, 50, &out));
  EXPECT_EQ(out, 50);
  EXPECT_FALSE(TrackedPagedGrowArrayGet(&p, 1050, &out));

  EXPECT_TRUE(TrackedPagedGrowArrayFree(&p));
  EXPECT_TRUE(TrackedGrowArrayFree(&a));
  EXPECT_FALSE(TrackedGrowArraySet(&a, 0, &v));
  EXPECT_FALSE(TrackedPagedGrowArrayGet(&p, 0, &out));
}

TEST_F(TrackedArrayTest, FreeSucceedsWithoutARegistryEntry) {
  TrackedGrowArray a;
  ASSERT_TRUE(TrackedGrowArrayCreate(1, 0, 16, &a));
  a.sequence = 999;
  EXPECT_TRUE(TrackedGrowArrayFree(&a));
  EXPECT_EQ(GrowArrayLiveCount(), 0);
}

}  // namespace
