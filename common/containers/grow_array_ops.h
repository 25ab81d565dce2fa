// The operations behind every growable-array header.
//
// GrowArray, its unsigned-index variants and the tracked forms differ only in
// the width of their index and the fields they carry beside the block; the
// paged headers likewise. Each public function is a thin wrapper over one of
// the templates below, which reach the header through its field names:
//   contiguous: data, marker, capacity, count, elementSize
//   paged:      pages, marker, perPage, capacity, count, elementSize
// Only the array sources include this header.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "common/containers/grow_array.h"

namespace grow_array_detail {

template <class Header>
using IndexOf = std::remove_cvref_t<decltype(Header::capacity)>;

// What a set did; a refused or failed set leaves the array as it was.
enum class SetOutcome {
  kStored,
  kRefused,       // header not valid, or index out of range
  kGrowthFailed,  // the block could not grow (size limit or allocation)
};

template <class Index>
bool IsNegative(Index value) {
  if constexpr (std::is_signed_v<Index>)
    return value < 0;
  else
    return false;
}

// Allocates a block of `capacity` elements. `maxBytes` bounds the block;
// `live` is the counter that the array joins. Refuses a zero element size
// and a block past the bound without touching the header; a failed
// allocation leaves the header not valid.
template <class Header, class Counter>
bool CreateArray(Header* header, IndexOf<Header> capacity, std::uint64_t elementSize,
                 std::uint64_t maxBytes, Counter& live) {
  if (IsNegative(capacity) || elementSize == 0) return false;
  if (static_cast<std::uint64_t>(capacity) > maxBytes / elementSize) return false;
  header->capacity = capacity;
  header->elementSize = elementSize;
  header->count = 0;
  header->data = AllocateBlock(static_cast<std::uint64_t>(capacity) * elementSize);
  if (header->data == nullptr) {
    header->marker = 0;
    return false;
  }
  header->marker = kGrowArrayMarker;
  ++live;
  return true;
}

template <class Header, class Counter>
bool FreeArray(Header* header, Counter& live) {
  if (header->data == nullptr || header->marker != kGrowArrayMarker || live <= 0) return false;
  ReleaseBlock(header->data);
  header->data = nullptr;
  header->marker = 0;
  --live;
  return true;
}

// Stores `element` at `index` (at most the capacity), growing the block by
// `step` (positive) slots when the index equals the capacity.
template <class Header>
SetOutcome SetElement(Header* header, IndexOf<Header> index, const void* element,
                      IndexOf<Header> step, std::uint64_t maxBytes) {
  using Index = IndexOf<Header>;
  if (IsNegative(index) || header->marker != kGrowArrayMarker || index > header->capacity)
    return SetOutcome::kRefused;
  if (index == header->capacity) {
    if (step > std::numeric_limits<Index>::max() - header->capacity)
      return SetOutcome::kGrowthFailed;
    const Index newCapacity = header->capacity + step;
    if (static_cast<std::uint64_t>(newCapacity) > maxBytes / header->elementSize)
      return SetOutcome::kGrowthFailed;
    void* grown =
        GrowBlock(header->data, static_cast<std::uint64_t>(header->capacity) * header->elementSize,
                  static_cast<std::uint64_t>(newCapacity) * header->elementSize);
    if (grown == nullptr) return SetOutcome::kGrowthFailed;
    header->data = grown;
    header->capacity = newCapacity;
  }
  if (index >= header->count) ++header->count;
  std::memcpy(
      static_cast<char*>(header->data) + static_cast<std::uint64_t>(index) * header->elementSize,
      element, header->elementSize);
  return SetOutcome::kStored;
}

// The address of slot `index` (below the capacity), or null.
template <class Header>
void* SlotAddress(const Header* header, IndexOf<Header> index) {
  if (IsNegative(index) || index >= header->capacity || header->marker != kGrowArrayMarker)
    return nullptr;
  return static_cast<char*>(header->data) + static_cast<std::uint64_t>(index) * header->elementSize;
}

template <class Header>
bool GetElement(const Header* header, IndexOf<Header> index, void* element) {
  const void* slot = SlotAddress(header, index);
  if (slot == nullptr) return false;
  std::memcpy(element, slot, header->elementSize);
  return true;
}

// Paged arrays ---------------------------------------------------------------

// Elements held by page `page` of an array of `capacity` elements.
template <class Header>
std::int32_t PageElements(const Header* header, std::int32_t capacity, int page) {
  const std::int64_t first = std::int64_t{page} * header->perPage;
  const std::int64_t rest = capacity - first;
  return static_cast<std::int32_t>(rest < header->perPage ? rest : header->perPage);
}

// Number of pages that hold `capacity` elements, at most 1024.
template <class Header>
int PagesSpanned(const Header* header, std::int32_t capacity) {
  const std::int64_t pages = (std::int64_t{capacity} + header->perPage - 1) / header->perPage;
  return static_cast<int>(pages < kPagedGrowArrayMaxPages ? pages : kPagedGrowArrayMaxPages);
}

// Creates an empty paged array of at least 50 slots (negative fails).
template <class Header>
bool CreatePaged(Header* header, std::int32_t capacity, std::uint64_t elementSize) {
  if (capacity < 0 || elementSize == 0 || elementSize > kPagedGrowArrayPageBytes) return false;
  if (capacity < kGrowArrayMinCapacity) capacity = kGrowArrayMinCapacity;
  const auto perPage = static_cast<std::int32_t>(kPagedGrowArrayPageBytes / elementSize);
  if (std::int64_t{capacity} > std::int64_t{perPage} * kPagedGrowArrayMaxPages) return false;

  std::memset(header->pages, 0, sizeof header->pages);
  header->marker = 0;
  header->perPage = perPage;
  header->capacity = capacity;
  header->count = 0;
  header->elementSize = elementSize;
  const int pages = PagesSpanned(header, capacity);
  for (int p = 0; p < pages; ++p) {
    header->pages[p] =
        AllocateBlock(static_cast<std::uint64_t>(PageElements(header, capacity, p)) * elementSize);
    if (header->pages[p] == nullptr) {
      // Nothing can free a header that is not valid: give back what we got.
      for (void*& page : header->pages) {
        ReleaseBlock(page);
        page = nullptr;
      }
      return false;
    }
  }
  header->marker = kGrowArrayMarker;
  ++LiveCounter();
  return true;
}

template <class Header>
bool FreePaged(Header* header) {
  if (header->pages[0] == nullptr || header->marker != kGrowArrayMarker || LiveCounter() <= 0)
    return false;
  const int pages = PagesSpanned(header, header->capacity);
  for (int p = 0; p < pages; ++p) {
    ReleaseBlock(header->pages[p]);
    header->pages[p] = nullptr;
  }
  header->marker = 0;
  --LiveCounter();
  return true;
}

// Stores `element` at `index`, growing the last page by `step` slots (0 or
// less: 50; never past the end of the page) or starting a new page.
template <class Header>
bool SetPaged(Header* header, std::int32_t index, const void* element, std::int32_t step) {
  if (index < 0 || header->marker != kGrowArrayMarker || index > header->capacity) return false;
  if (step <= 0) step = kGrowArrayDefaultStep;
  if (step > header->perPage) step = header->perPage;
  const std::int32_t page = index / header->perPage;
  const std::int32_t slot = index - page * header->perPage;
  if (page >= kPagedGrowArrayMaxPages) return false;

  if (index == header->capacity) {
    const std::int64_t pageEnd = std::int64_t{page + 1} * header->perPage;
    std::int64_t newCapacity = std::int64_t{header->capacity} + step;
    if (newCapacity > pageEnd) newCapacity = pageEnd;
    const std::uint64_t pageBytes =
        static_cast<std::uint64_t>(newCapacity - std::int64_t{page} * header->perPage) *
        header->elementSize;
    void* grown;
    if (slot == 0 && page != 0) {
      grown = AllocateBlock(pageBytes);
    } else {
      const std::uint64_t oldBytes =
          static_cast<std::uint64_t>(header->capacity - page * header->perPage) *
          header->elementSize;
      grown = GrowBlock(header->pages[page], oldBytes, pageBytes);
    }
    if (grown == nullptr) return false;
    header->pages[page] = grown;
    header->capacity = static_cast<std::int32_t>(newCapacity);
  }
  if (index >= header->count) ++header->count;
  std::memcpy(static_cast<char*>(header->pages[page]) +
                  static_cast<std::uint64_t>(slot) * header->elementSize,
              element, header->elementSize);
  return true;
}

template <class Header>
void* PagedSlotAddress(const Header* header, std::int32_t index) {
  if (index < 0 || index >= header->capacity || header->marker != kGrowArrayMarker) return nullptr;
  const std::int32_t page = index / header->perPage;
  if (page >= kPagedGrowArrayMaxPages) return nullptr;
  const std::int32_t slot = index - page * header->perPage;
  return static_cast<char*>(header->pages[page]) +
         static_cast<std::uint64_t>(slot) * header->elementSize;
}

template <class Header>
bool GetPaged(const Header* header, std::int32_t index, void* element) {
  const void* slot = PagedSlotAddress(header, index);
  if (slot == nullptr) return false;
  std::memcpy(element, slot, header->elementSize);
  return true;
}

}  // namespace grow_array_detail
