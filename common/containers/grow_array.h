// Growable arrays of fixed-size records.
//
// GrowArray keeps its records in one contiguous block; PagedGrowArray spreads
// them over up to 1024 separately allocated pages of at most 25 MiB, for the
// very long lists of an import, so that growth never moves a full page.
//
// Both are plain headers that the owner embeds in its own records and passes
// by address to free functions. Records are copied in and out as raw bytes of
// the element size: store only plain data (fixed-width text, numbers,
// pointers, nested headers).
//
// Contract of every function below: the result is true on success. On false
// the array is exactly as it was before the call (a failed growth keeps every
// record stored so far), and an output buffer is untouched. Nothing throws and
// nothing is reported to the user.
//
// The header is plain data: a copy shares the block and carries the valid
// marker too. Only the owner frees, and only once; the marker cannot tell a
// second copy that the block is already gone.
//
// Get's bound is the capacity, not the count: slots between the count and the
// capacity can be read (they hold zero bytes or earlier records).
//
// The live-array counter counts arrays created and not yet freed, across both
// containers and their tracked forms; a free is refused while it is not
// positive.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

inline constexpr std::int32_t kGrowArrayMarker = 12345;      // a valid header
inline constexpr std::int32_t kGrowArrayMinCapacity = 50;    // smallest created capacity
inline constexpr std::int32_t kGrowArrayDefaultStep = 50;    // growth when no step is given
// Byte offsets inside one GrowArray block stay below 2^31.
inline constexpr std::uint64_t kGrowArrayMaxBytes = std::uint64_t{1} << 31;

inline constexpr int kPagedGrowArrayMaxPages = 1024;
inline constexpr std::uint64_t kPagedGrowArrayPageBytes = 26214400;  // 25 MiB

// Layout, in order:
//   data         element block, capacity x elementSize bytes
//   marker       12345 while valid, 0 once freed, anything else: not an array
//   capacity     elements the block holds
//   count        elements stored (raised by one per Set at or past it)
//   elementSize  bytes per element, fixed at creation
struct GrowArray {
  void* data;
  std::int32_t marker;
  std::int32_t capacity;
  std::int32_t count;
  std::uint64_t elementSize;
};

// Layout, in order:
//   pages        page p holds elements p*perPage .. (p+1)*perPage-1
//   marker       as GrowArray
//   perPage      26,214,400 / elementSize
//   capacity     elements the allocated pages hold
//   count        elements stored
//   elementSize  bytes per element
// Every page but the last holds exactly perPage elements.
struct PagedGrowArray {
  void* pages[kPagedGrowArrayMaxPages];
  std::int32_t marker;
  std::int32_t perPage;
  std::int32_t capacity;
  std::int32_t count;
  std::uint64_t elementSize;
};

// Creates an empty array of at least 50 slots. A negative capacity fails and
// leaves the header untouched; a failed allocation leaves it not valid.
[[nodiscard]] bool GrowArrayCreate(std::int32_t capacity, std::uint64_t elementSize,
                                   GrowArray* header);
// As GrowArrayCreate without the minimum of 50 (a capacity of 0 is allowed).
[[nodiscard]] bool GrowArrayCreateExact(std::int32_t capacity, std::uint64_t elementSize,
                                        GrowArray* header);
// Releases the block and sets the marker to 0; capacity, count and element
// size keep their values.
bool GrowArrayFree(GrowArray* header);
// Copies the element into slot `index` (0 <= index <= capacity). At the
// capacity the block first grows by 50 slots; at or past the count the count
// rises by one.
[[nodiscard]] bool GrowArraySet(GrowArray* header, std::int32_t index, const void* element);
// As GrowArraySet, growing by `step` slots (0 or less: 50).
[[nodiscard]] bool GrowArraySetGrowBy(GrowArray* header, std::int32_t index, const void* element,
                                      std::int32_t step);
// Appends `n` elements after the count, as n calls of GrowArraySetGrowBy
// at the count would, to the same capacity, but growing the block at most
// once.
[[nodiscard]] bool GrowArrayAppend(GrowArray* header, const void* elements, std::int32_t n,
                                   std::int32_t step);
// Copies slot `index` (0 <= index < capacity) into `element`.
[[nodiscard]] bool GrowArrayGet(const GrowArray* header, std::int32_t index, void* element);
// The address of slot `index`; good until the block next grows.
[[nodiscard]] bool GrowArrayGetPtr(const GrowArray* header, std::int32_t index, void** element);
// The count field, unchecked.
std::int32_t GrowArrayGetCount(const GrowArray* header);
std::int32_t GrowArrayLiveCount();

// Creates an empty paged array of at least 50 slots, allocating its pages.
[[nodiscard]] bool PagedGrowArrayCreate(std::int32_t capacity, std::uint64_t elementSize,
                                        PagedGrowArray* header);
bool PagedGrowArrayFree(PagedGrowArray* header);
// Copies the element into slot `index`, growing the last page by `step`
// slots (0 or less: 50; never past the end of a page) or starting a new page.
[[nodiscard]] bool PagedGrowArraySet(PagedGrowArray* header, std::int32_t index,
                                     const void* element, std::int32_t step);
[[nodiscard]] bool PagedGrowArrayGet(const PagedGrowArray* header, std::int32_t index,
                                     void* element);
// The address of slot `index` (0 <= index < capacity); good until the array
// is freed (pages never move).
[[nodiscard]] bool PagedGrowArrayGetPtr(const PagedGrowArray* header, std::int32_t index,
                                        void** element);

namespace grow_array_detail {
// The shared live-array counter, for the array variants built on these;
// arrays are made and freed on the reading run's worker threads too.
std::atomic<std::int32_t>& LiveCounter();
// Allocation through the host's fault seam, of zeroed blocks
// (common/containers/zeroed_blocks.h): unwritten slots read as zero bytes,
// and a large block takes memory only as its slots are written.
void* AllocateBlock(std::uint64_t bytes);
// Grows `block` from `oldBytes` to `newBytes` keeping its contents, the rest
// reading as zero; null on failure, and `block` is then untouched.
void* GrowBlock(void* block, std::uint64_t oldBytes, std::uint64_t newBytes);
void ReleaseBlock(void* block);
}  // namespace grow_array_detail
