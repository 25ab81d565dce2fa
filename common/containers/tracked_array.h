// Growable arrays recorded in a process-wide registry.
//
// TrackedGrowArray and TrackedPagedGrowArray behave exactly as GrowArray and
// PagedGrowArray (common/grow_array.h) and join the same live-array counter.
// Each create also records the array in the registry: an entry with the
// array's kind and a copy of its header as it was just after the create,
// numbered by a sequence counter and tagged with the caller's id, so that the
// arrays still alive can be listed (for instance to find what was never
// freed). A free marks the entry freed.
//
// The registry starts afresh, with sequence numbers from 0, whenever a
// tracked create leaves its array the only live one. The registry's own
// block is not counted as a live array.
//
// Process-wide state, used from one thread only.
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"

// Layout, in order: data, sequence number, caller id, marker, capacity,
// count, elementSize; the fields as GrowArray's.
struct TrackedGrowArray {
  void* data;
  std::int32_t sequence;
  std::int32_t callerId;
  std::int32_t marker;
  std::int32_t capacity;
  std::int32_t count;
  std::uint64_t elementSize;
};

// Layout, in order: pages, sequence number, caller id, marker, perPage,
// capacity, count, elementSize; the fields as PagedGrowArray's.
struct TrackedPagedGrowArray {
  void* pages[kPagedGrowArrayMaxPages];
  std::int32_t sequence;
  std::int32_t callerId;
  std::int32_t marker;
  std::int32_t perPage;
  std::int32_t capacity;
  std::int32_t count;
  std::uint64_t elementSize;
};

// Kinds of registry entry.
inline constexpr std::uint8_t kTrackedPlain = 1;
inline constexpr std::uint8_t kTrackedPaged = 2;

// One registry entry: the kind, then the header copy.
struct TrackedArrayEntry {
  std::uint8_t kind;
  union {
    TrackedGrowArray plain;
    TrackedPagedGrowArray paged;
  } copy;
};

// Creates the array as GrowArrayCreate does. Unless the capacity is
// negative (then nothing happens), the header then gets the caller id and
// the next sequence number and the registry an entry for it, also when the
// create failed (the entry is then not live). The result is the create's.
[[nodiscard]] bool TrackedGrowArrayCreate(std::int32_t callerId, std::int32_t capacity,
                                          std::uint64_t elementSize, TrackedGrowArray* header);
// Frees as GrowArrayFree does, then marks the registry entry freed.
bool TrackedGrowArrayFree(TrackedGrowArray* header);
[[nodiscard]] bool TrackedGrowArraySet(TrackedGrowArray* header, std::int32_t index,
                                       const void* element);
[[nodiscard]] bool TrackedGrowArraySetGrowBy(TrackedGrowArray* header, std::int32_t index,
                                             const void* element, std::int32_t step);
[[nodiscard]] bool TrackedGrowArrayGet(const TrackedGrowArray* header, std::int32_t index,
                                       void* element);

// As TrackedGrowArrayCreate, with PagedGrowArrayCreate.
[[nodiscard]] bool TrackedPagedGrowArrayCreate(std::int32_t callerId, std::int32_t capacity,
                                               std::uint64_t elementSize,
                                               TrackedPagedGrowArray* header);
bool TrackedPagedGrowArrayFree(TrackedPagedGrowArray* header);
[[nodiscard]] bool TrackedPagedGrowArraySet(TrackedPagedGrowArray* header, std::int32_t index,
                                            const void* element, std::int32_t step);
[[nodiscard]] bool TrackedPagedGrowArrayGet(const TrackedPagedGrowArray* header, std::int32_t index,
                                            void* element);

// The index of the first registry entry with that sequence number.
[[nodiscard]] bool FindTrackedArray(std::int32_t sequence, std::int32_t* entryIndex);
// The first registry entry whose array is still valid: its caller id and
// entry index. Next continues after the entry last reported (from the start
// when none was). False once the registry holds no further one.
[[nodiscard]] bool FirstLiveTrackedArray(std::int32_t* callerId, std::int32_t* entryIndex);
[[nodiscard]] bool NextLiveTrackedArray(std::int32_t* callerId, std::int32_t* entryIndex);
// Copies registry entry `entryIndex` into `entry`.
[[nodiscard]] bool GetTrackedArrayEntry(std::int32_t entryIndex, TrackedArrayEntry* entry);
