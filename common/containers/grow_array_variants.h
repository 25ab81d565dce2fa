// GrowArray with unsigned 32-bit and 64-bit indexes.
//
// Both behave as GrowArray (common/grow_array.h) with these differences:
// index, capacity and count are unsigned, so there is no negative case; each
// variant keeps a live-array counter of its own, apart from the shared one;
// and the block is bounded differently:
//   GrowArrayU32  the block stays below 2^32 bytes
//   GrowArrayU64  the element size stays below 2^31 bytes; offsets are 64-bit
// A failed call leaves the array as it was.
#pragma once

#include <cstdint>

// Layout, in order: data, marker (12345 valid / 0 freed), capacity, count,
// elementSize. As GrowArray, with the variant's index type.
struct GrowArrayU32 {
  void* data;
  std::int32_t marker;
  std::uint32_t capacity;
  std::uint32_t count;
  std::uint64_t elementSize;
};

struct GrowArrayU64 {
  void* data;
  std::int32_t marker;
  std::uint64_t capacity;
  std::uint64_t count;
  std::uint64_t elementSize;
};

inline constexpr std::uint64_t kGrowArrayU32MaxBytes = (std::uint64_t{1} << 32) - 1;
inline constexpr std::uint64_t kGrowArrayU64MaxElementSize = (std::uint64_t{1} << 31) - 1;

// Creates an empty array of at least 50 slots.
[[nodiscard]] bool GrowArrayU32Create(std::uint32_t capacity, std::uint64_t elementSize,
                                      GrowArrayU32* header);
bool GrowArrayU32Free(GrowArrayU32* header);
// Copies the element into slot `index` (at most the capacity); at the
// capacity the block first grows by 50 slots (SetGrowBy: by `step`, where 0
// or less means 50). At or past the count the count rises by one.
[[nodiscard]] bool GrowArrayU32Set(GrowArrayU32* header, std::uint32_t index, const void* element);
[[nodiscard]] bool GrowArrayU32SetGrowBy(GrowArrayU32* header, std::uint32_t index,
                                         const void* element, std::int32_t step);
// Copies slot `index` (below the capacity) into `element`.
[[nodiscard]] bool GrowArrayU32Get(const GrowArrayU32* header, std::uint32_t index, void* element);
[[nodiscard]] bool GrowArrayU32GetPtr(const GrowArrayU32* header, std::uint32_t index,
                                      void** element);
// The count field, unchecked.
std::uint32_t GrowArrayU32GetCount(const GrowArrayU32* header);
std::int32_t GrowArrayU32LiveCount();

[[nodiscard]] bool GrowArrayU64Create(std::uint64_t capacity, std::uint64_t elementSize,
                                      GrowArrayU64* header);
bool GrowArrayU64Free(GrowArrayU64* header);
[[nodiscard]] bool GrowArrayU64Set(GrowArrayU64* header, std::uint64_t index, const void* element);
[[nodiscard]] bool GrowArrayU64SetGrowBy(GrowArrayU64* header, std::uint64_t index,
                                         const void* element, std::int32_t step);
[[nodiscard]] bool GrowArrayU64Get(const GrowArrayU64* header, std::uint64_t index, void* element);
[[nodiscard]] bool GrowArrayU64GetPtr(const GrowArrayU64* header, std::uint64_t index,
                                      void** element);
std::uint64_t GrowArrayU64GetCount(const GrowArrayU64* header);
std::int32_t GrowArrayU64LiveCount();
