#include "common/containers/grow_array_variants.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "common/containers/grow_array.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"

namespace {

struct Record {
  std::int32_t id;
  char text[8];
};

Record MakeRecord(std::int32_t id) {
  Record r{};
  r.id = id;
  std::snprintf(r.text, sizeof r.text, "r%d", id);
  return r;
}

// The eight operations of one variant, so that one set of tests covers both.
struct U32 {
  using Header = GrowArrayU32;
  using Index = std::uint32_t;
  static bool Create(Index c, std::uint64_t s, Header* h) { return GrowArrayU32Create(c, s, h); }
  static bool Free(Header* h) { return GrowArrayU32Free(h); }
  static bool Set(Header* h, Index i, const void* e) { return GrowArrayU32Set(h, i, e); }
  static bool SetGrowBy(Header* h, Index i, const void* e, std::int32_t step) {
    return GrowArrayU32SetGrowBy(h, i, e, step);
  }
  static bool Get(const Header* h, Index i, void* e) { return GrowArrayU32Get(h, i, e); }
  static bool GetPtr(const Header* h, Index i, void** e) { return GrowArrayU32GetPtr(h, i, e); }
  static Index GetCount(const Header* h) { return GrowArrayU32GetCount(h); }
  static std::int32_t Live() { return GrowArrayU32LiveCount(); }
  static std::int32_t OtherLive() { return GrowArrayU64LiveCount(); }
};

struct U64 {
  using Header = GrowArrayU64;
  using Index = std::uint64_t;
  static bool Create(Index c, std::uint64_t s, Header* h) { return GrowArrayU64Create(c, s, h); }
  static bool Free(Header* h) { return GrowArrayU64Free(h); }
  static bool Set(Header* h, Index i, const void* e) { return GrowArrayU64Set(h, i, e); }
  static bool SetGrowBy(Header* h, Index i, const void* e, std::int32_t step) {
    return GrowArrayU64SetGrowBy(h, i, e, step);
  }
  static bool Get(const Header* h, Index i, void* e) { return GrowArrayU64Get(h, i, e); }
  static bool GetPtr(const Header* h, Index i, void** e) { return GrowArrayU64GetPtr(h, i, e); }
  static Index GetCount(const Header* h) { return GrowArrayU64GetCount(h); }
  static std::int32_t Live() { return GrowArrayU64LiveCount(); }
  static std::int32_t OtherLive() { return GrowArrayU32LiveCount(); }
};

template <class V>
class GrowArrayVariantTest : public ::testing::Test {
 protected:
  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }
};

using Variants = ::testing::Types<U32, U64>;
TYPED_TEST_SUITE(GrowArrayVariantTest, Variants);

TYPED_TEST(GrowArrayVariantTest, CreateRaisesSmallCapacitiesAndCountsApart) {
  using V = TypeParam;
  const std::int32_t shared = GrowArrayLiveCount();
  const std::int32_t own = V::Live();
  const std::int32_t other = V::OtherLive();
  for (typename V::Index capacity : {0, 1, 49, 50, 51}) {
    SCOPED_TRACE(capacity);
    typename V::Header a;
    ASSERT_TRUE(V::Create(capacity, sizeof(Record), &a));
    EXPECT_EQ(a.capacity, capacity < 50 ? 50 : capacity);
    EXPECT_EQ(V::GetCount(&a), 0u);
    EXPECT_EQ(V::Live(), own + 1);
    EXPECT_EQ(GrowArrayLiveCount(), shared) << "the variants keep their own counter";
    EXPECT_EQ(V::OtherLive(), other);
    EXPECT_TRUE(V::Free(&a));
    EXPECT_FALSE(V::Free(&a)) << "second free";
    EXPECT_EQ(V::Live(), own);
    const Record r = MakeRecord(1);
    Record out{};
    EXPECT_FALSE(V::Set(&a, 0, &r));
    EXPECT_FALSE(V::Get(&a, 0, &out));
  }
  typename V::Header a;
  EXPECT_FALSE(V::Create(10, 0, &a)) << "element size 0";
}

TYPED_TEST(GrowArrayVariantTest, SetGetAndGrowth) {
  using V = TypeParam;
  typename V::Header a;
  ASSERT_TRUE(V::Create(0, sizeof(Record), &a));
  for (std::int32_t i = 0; i < 3; ++i) {
    const Record r = MakeRecord(i);
    ASSERT_TRUE(V::Set(&a, static_cast<typename V::Index>(i), &r));
  }
  // Past the count: stored, the count rises by one only.
  const Record ten = MakeRecord(10);
  ASSERT_TRUE(V::Set(&a, 10, &ten));
  EXPECT_EQ(V::GetCount(&a), 4u);
  Record out{};
  ASSERT_TRUE(V::Get(&a, 10, &out));
  EXPECT_EQ(out.id, 10);
  // Below the count: replaced, the count stays.
  const Record seven = MakeRecord(7);
  ASSERT_TRUE(V::Set(&a, 1, &seven));
  EXPECT_EQ(V::GetCount(&a), 4u);
  void* slot = nullptr;
  ASSERT_TRUE(V::GetPtr(&a, 1, &slot));
  EXPECT_EQ(static_cast<Record*>(slot)->id, 7);

  // The capacity bounds Get; Set may reach it and grows by the default step.
  EXPECT_TRUE(V::Get(&a, 49, &out));
  EXPECT_FALSE(V::Get(&a, 50, &out));
  EXPECT_FALSE(V::GetPtr(&a, 50, &slot));
  EXPECT_FALSE(V::Set(&a, 51, &ten));
  ASSERT_TRUE(V::Set(&a, 50, &ten));
  EXPECT_EQ(a.capacity, 100u);
  EXPECT_EQ(V::GetCount(&a), 5u);
  // Steps: 0 or less means 50, others as given.
  ASSERT_TRUE(V::SetGrowBy(&a, 100, &ten, 0));
  EXPECT_EQ(a.capacity, 150u);
  ASSERT_TRUE(V::SetGrowBy(&a, 150, &ten, -3));
  EXPECT_EQ(a.capacity, 200u);
  ASSERT_TRUE(V::SetGrowBy(&a, 200, &ten, 7));
  EXPECT_EQ(a.capacity, 207u);
  // Earlier records survive the growth.
  ASSERT_TRUE(V::Get(&a, 0, &out));
  EXPECT_EQ(out.id, 0);
  EXPECT_STREQ(out.text, "r0");
  EXPECT_TRUE(V::Free(&a));
}

TYPED_TEST(GrowArrayVariantTest, FailedGrowthLeavesTheArrayUnchanged) {
  using V = TypeParam;
  typename V::Header a;
  {
    host::ScopedFault fault(host::FaultPoint::Allocation, 0);
    std::memset(&a, 0x5a, sizeof a);
    EXPECT_FALSE(V::Create(10, sizeof(Record), &a));
    EXPECT_NE(a.marker, kGrowArrayMarker);
  }
  ASSERT_TRUE(V::Create(0, sizeof(Record), &a));
  const std::int32_t live = V::Live();
  for (typename V::Index i = 0; i < 50; ++i) {
    const Record r = MakeRecord(static_cast<std::int32_t>(i));
    ASSERT_TRUE(V::Set(&a, i, &r));
  }
  const typename V::Header before = a;
  host::ScopedFault fault(host::FaultPoint::Allocation, 0);
  const Record r = MakeRecord(99);
  EXPECT_FALSE(V::Set(&a, 50, &r));
  EXPECT_EQ(0, std::memcmp(&a, &before, sizeof a));
  Record out{};
  ASSERT_TRUE(V::Get(&a, 49, &out));
  EXPECT_EQ(out.id, 49);
  EXPECT_EQ(V::Live(), live);
  EXPECT_TRUE(V::Free(&a));
}

// Blocks past each variant's bound are refused before anything is allocated.
TEST(GrowArrayVariantBounds, OversizedBlocksAreRefused) {
  const std::int32_t live32 = GrowArrayU32LiveCount();
  const std::int32_t live64 = GrowArrayU64LiveCount();
  GrowArrayU32 a32;
  EXPECT_FALSE(GrowArrayU32Create(0x80000000u, 2, &a32)) << "2^32 bytes";
  EXPECT_FALSE(GrowArrayU32Create(50, std::uint64_t{1} << 32, &a32)) << "element past 2^32";
  GrowArrayU64 a64;
  EXPECT_FALSE(GrowArrayU64Create(50, std::uint64_t{1} << 31, &a64)) << "element size 2^31";
  EXPECT_FALSE(GrowArrayU64Create(std::uint64_t{1} << 40, std::uint64_t{1} << 30, &a64))
      << "size overflows 64 bits";
  EXPECT_EQ(GrowArrayU32LiveCount(), live32);
  EXPECT_EQ(GrowArrayU64LiveCount(), live64);
}

}  // namespace
