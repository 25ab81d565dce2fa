#include "common/containers/grow_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/system/fault.h"
#include "host/testing/test_reset.h"

namespace {

struct Record {
  std::int32_t id;
  char text[12];
};

Record MakeRecord(std::int32_t id) {
  Record r{};
  r.id = id;
  std::snprintf(r.text, sizeof r.text, "r%d", id);
  return r;
}

class GrowArrayTest : public ::testing::Test {
 protected:
  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }
};

TEST_F(GrowArrayTest, CreateCapacities) {
  struct Case {
    std::int32_t capacity;
    bool exact;
    bool ok;
    std::int32_t expected;
  } cases[] = {{-1, false, false, 0}, {0, false, true, 50},  {49, false, true, 50},
               {50, false, true, 50}, {51, false, true, 51}, {0, true, true, 0},
               {7, true, true, 7},    {-1, true, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "capacity " << c.capacity << " exact " << c.exact);
    GrowArray a;
    std::memset(&a, 0x5a, sizeof a);
    const GrowArray before = a;
    const bool ok = c.exact ? GrowArrayCreateExact(c.capacity, sizeof(Record), &a)
                            : GrowArrayCreate(c.capacity, sizeof(Record), &a);
    ASSERT_EQ(ok, c.ok);
    if (!ok) {
      EXPECT_EQ(0, std::memcmp(&a, &before, sizeof a)) << "a refused create touched the header";
      continue;
    }
    EXPECT_EQ(a.capacity, c.expected);
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(a.marker, kGrowArrayMarker);
    EXPECT_TRUE(GrowArrayFree(&a));
  }
}

TEST_F(GrowArrayTest, AppendReplaceAndGrow) {
  const std::int32_t live = GrowArrayLiveCount();
  GrowArray a;
  ASSERT_TRUE(GrowArrayCreate(0, sizeof(Record), &a));
  EXPECT_EQ(GrowArrayLiveCount(), live + 1);
  for (std::int32_t i = 0; i < 50; ++i) {
    Record r = MakeRecord(i);
    ASSERT_TRUE(GrowArraySet(&a, a.count, &r));
  }
  EXPECT_EQ(a.count, 50);
  EXPECT_EQ(a.capacity, 50);

  // At the capacity the array grows by exactly the step.
  Record r = MakeRecord(50);
  ASSERT_TRUE(GrowArraySetGrowBy(&a, 50, &r, 7));
  EXPECT_EQ(a.capacity, 57);
  EXPECT_EQ(a.count, 51);
  // Past the capacity fails.
  EXPECT_FALSE(GrowArraySet(&a, 58, &r));
  // Replacing keeps the count.
  Record replaced = MakeRecord(999);
  ASSERT_TRUE(GrowArraySet(&a, 3, &replaced));
  EXPECT_EQ(a.count, 51);

  for (std::int32_t i = 0; i < 51; ++i) {
    Record got{};
    ASSERT_TRUE(GrowArrayGet(&a, i, &got));
    EXPECT_EQ(got.id, i == 3 ? 999 : i);
  }
  // Get reads up to the capacity, not the count.
  Record got{};
  EXPECT_TRUE(GrowArrayGet(&a, 56, &got));
  EXPECT_FALSE(GrowArrayGet(&a, 57, &got));
  EXPECT_FALSE(GrowArrayGet(&a, -1, &got));

  EXPECT_TRUE(GrowArrayFree(&a));
  EXPECT_EQ(GrowArrayLiveCount(), live);
  EXPECT_FALSE(GrowArrayFree(&a));
  EXPECT_FALSE(GrowArraySet(&a, 0, &r));
  EXPECT_FALSE(GrowArrayGet(&a, 0, &got));
  EXPECT_EQ(a.capacity, 57) << "free keeps capacity, count and size";
  EXPECT_EQ(a.count, 51);
}

TEST_F(GrowArrayTest, SetPastTheCountRaisesItByOne) {
  GrowArray a;
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(Record), &a));
  for (std::int32_t i = 0; i < 3; ++i) {
    Record r = MakeRecord(i);
    ASSERT_TRUE(GrowArraySet(&a, i, &r));
  }
  Record r = MakeRecord(10);
  ASSERT_TRUE(GrowArraySet(&a, 10, &r));
  EXPECT_EQ(a.count, 4);
  Record got{};
  ASSERT_TRUE(GrowArrayGet(&a, 10, &got));
  EXPECT_EQ(got.id, 10);
  EXPECT_TRUE(GrowArrayFree(&a));
}

TEST_F(GrowArrayTest, EmptyArrayElementZeroIsReadable) {
  GrowArray a;
  ASSERT_TRUE(GrowArrayCreate(0, sizeof(Record), &a));
  Record got;
  EXPECT_TRUE(GrowArrayGet(&a, 0, &got));
  EXPECT_TRUE(GrowArrayFree(&a));
}

TEST_F(GrowArrayTest, RefusesBlocksPastTwoGigabytes) {
  GrowArray a;
  EXPECT_FALSE(GrowArrayCreate(INT32_MAX, 2, &a));
  ASSERT_TRUE(GrowArrayCreateExact(0, std::uint64_t{1} << 30, &a));
  // Growing by three elements of 1 GiB would pass 2^31 bytes; the refusal
  // comes before any byte of the element is read.
  const char element = 0;
  EXPECT_FALSE(GrowArraySetGrowBy(&a, 0, &element, 3));
  EXPECT_EQ(a.capacity, 0);
  EXPECT_TRUE(GrowArrayFree(&a));
}

TEST_F(GrowArrayTest, FailedAllocationsLeaveArraysUnchanged) {
  // Create fails: header not valid.
  {
    host::ScopedFault fault(host::FaultPoint::Allocation, 0);
    GrowArray a{};
    EXPECT_FALSE(GrowArrayCreate(10, sizeof(Record), &a));
    EXPECT_NE(a.marker, kGrowArrayMarker);
    EXPECT_EQ(host::FaultsFired(host::FaultPoint::Allocation), 1);
  }
  // Growth fails: every stored record stays, the array can be freed.
  GrowArray a;
  ASSERT_TRUE(GrowArrayCreate(0, sizeof(Record), &a));
  for (std::int32_t i = 0; i < 50; ++i) {
    Record r = MakeRecord(i);
    ASSERT_TRUE(GrowArraySet(&a, i, &r));
  }
  const GrowArray before = a;
  {
    host::ScopedFault fault(host::FaultPoint::Allocation, 0);
    Record r = MakeRecord(50);
    EXPECT_FALSE(GrowArraySet(&a, 50, &r));
  }
  EXPECT_EQ(0, std::memcmp(&a, &before, sizeof a));
  for (std::int32_t i = 0; i < 50; ++i) {
    Record got{};
    ASSERT_TRUE(GrowArrayGet(&a, i, &got));
    EXPECT_EQ(got.id, i);
  }
  EXPECT_TRUE(GrowArrayFree(&a));
}

struct Big {
  char bytes[520];
};

TEST_F(GrowArrayTest, PagedGrowthStopsAtThePageEnd) {
  PagedGrowArray p;
  ASSERT_TRUE(PagedGrowArrayCreate(1000, sizeof(Big), &p));
  EXPECT_EQ(p.perPage, 50412);
  EXPECT_EQ(p.capacity, 1000);
  EXPECT_NE(p.pages[0], nullptr);
  EXPECT_EQ(p.pages[1], nullptr);
  Big b{};
  for (std::int32_t i = 0; i < 1000; ++i) {
    std::memcpy(b.bytes, &i, sizeof i);
    ASSERT_TRUE(PagedGrowArraySet(&p, i, &b, 50000));
  }
  std::int32_t i = 1000;
  std::memcpy(b.bytes, &i, sizeof i);
  ASSERT_TRUE(PagedGrowArraySet(&p, 1000, &b, 50000));
  EXPECT_EQ(p.capacity, 50412) << "growth never passes the end of the page";
  for (i = 1001; i < 50412; ++i) {
    std::memcpy(b.bytes, &i, sizeof i);
    ASSERT_TRUE(PagedGrowArraySet(&p, i, &b, 50000));
  }
  EXPECT_EQ(p.pages[1], nullptr);
  std::memcpy(b.bytes, &i, sizeof i);
  ASSERT_TRUE(PagedGrowArraySet(&p, 50412, &b, 50000));
  EXPECT_NE(p.pages[1], nullptr);
  EXPECT_EQ(p.capacity, 50412 + 50000);
  EXPECT_EQ(p.count, 50413);
  for (std::int32_t k : {0, 999, 1000, 50411, 50412}) {
    Big got{};
    ASSERT_TRUE(PagedGrowArrayGet(&p, k, &got));
    std::int32_t id;
    std::memcpy(&id, got.bytes, sizeof id);
    EXPECT_EQ(id, k);
  }
  EXPECT_TRUE(PagedGrowArrayFree(&p));
  EXPECT_FALSE(PagedGrowArrayFree(&p));
  Big got{};
  EXPECT_FALSE(PagedGrowArrayGet(&p, 0, &got));
}

TEST_F(GrowArrayTest, PagedStepsAndBounds) {
  PagedGrowArray p;
  // Elements of half a page: two per page, so a page number reaches 1024 fast.
  struct Half {
    char bytes[13107200];
  };
  ASSERT_TRUE(PagedGrowArrayCreate(0, sizeof(Half), &p));
  EXPECT_EQ(p.perPage, 2);
  EXPECT_EQ(p.capacity, 50);
  EXPECT_NE(p.pages[24], nullptr);
  EXPECT_EQ(p.pages[25], nullptr);
  EXPECT_TRUE(PagedGrowArrayFree(&p));

  struct Small {
    std::int32_t v;
  } s{1};
  ASSERT_TRUE(PagedGrowArrayCreate(0, sizeof(Small), &p));
  for (std::int32_t i = 0; i < 50; ++i) ASSERT_TRUE(PagedGrowArraySet(&p, i, &s, 0));
  ASSERT_TRUE(PagedGrowArraySet(&p, 50, &s, 0));
  EXPECT_EQ(p.capacity, 100) << "a step of 0 grows by 50";
  EXPECT_FALSE(PagedGrowArraySet(&p, 102, &s, 0));
  EXPECT_FALSE(PagedGrowArraySet(&p, -1, &s, 0));
  Small got{};
  EXPECT_FALSE(PagedGrowArrayGet(&p, 100, &got));
  EXPECT_TRUE(PagedGrowArrayFree(&p));

  // An index whose page would be 1024 or more is refused.
  ASSERT_TRUE(PagedGrowArrayCreate(0, kPagedGrowArrayPageBytes, &p));
  EXPECT_EQ(p.perPage, 1);
  EXPECT_FALSE(PagedGrowArrayGet(&p, 1024, &got));
  EXPECT_TRUE(PagedGrowArrayFree(&p));
}

TEST_F(GrowArrayTest, PagedFailuresLeaveArrayUnchanged) {
  struct Small {
    std::int32_t v;
  } s{7};
  {
    host::ScopedFault fault(host::FaultPoint::Allocation, 0);
    PagedGrowArray p;
    EXPECT_FALSE(PagedGrowArrayCreate(10, sizeof(Small), &p));
    EXPECT_NE(p.marker, kGrowArrayMarker);
  }
  PagedGrowArray p;
  ASSERT_TRUE(PagedGrowArrayCreate(0, sizeof(Small), &p));
  for (std::int32_t i = 0; i < 50; ++i) ASSERT_TRUE(PagedGrowArraySet(&p, i, &s, 0));
  {
    host::ScopedFault fault(host::FaultPoint::Allocation, 0);
    EXPECT_FALSE(PagedGrowArraySet(&p, 50, &s, 0));
  }
  EXPECT_EQ(p.capacity, 50);
  EXPECT_EQ(p.count, 50);
  Small got{};
  EXPECT_TRUE(PagedGrowArrayGet(&p, 49, &got));
  EXPECT_EQ(got.v, 7);
  EXPECT_TRUE(PagedGrowArrayFree(&p));
}

}  // namespace
