#include "common/grow_array.h"

#include <cstdlib>
#include <cstring>

#include "host/system/fault.h"

namespace grow_array_detail {

std::int32_t& LiveCounter() {
  static std::int32_t live = 0;
  return live;
}

void* AllocateBlock(std::uint64_t bytes) {
  if (host::FaultFires(host::FaultPoint::Allocation)) return nullptr;
  // calloc of zero bytes may return null; a zero-capacity array still needs a
  // block so that its data pointer marks it as allocated.
  return std::calloc(bytes == 0 ? 1 : static_cast<std::size_t>(bytes), 1);
}

void* GrowBlock(void* block, std::uint64_t oldBytes, std::uint64_t newBytes) {
  if (host::FaultFires(host::FaultPoint::Allocation)) return nullptr;
  void* grown = std::realloc(block, static_cast<std::size_t>(newBytes == 0 ? 1 : newBytes));
  if (grown != nullptr && newBytes > oldBytes)
    std::memset(static_cast<char*>(grown) + oldBytes, 0,
                static_cast<std::size_t>(newBytes - oldBytes));
  return grown;
}

void ReleaseBlock(void* block) { std::free(block); }

}  // namespace grow_array_detail

using grow_array_detail::LiveCounter;

namespace {

std::int32_t StepOrDefault(std::int32_t step) { return step <= 0 ? kGrowArrayDefaultStep : step; }

bool CreateBlock(std::int32_t capacity, std::uint64_t elementSize, GrowArray* header) {
  if (capacity < 0 || elementSize == 0) return false;
  // Offsets within the block must stay below 2^31; refuse a block that would
  // pass that bound rather than overflow an index computation later.
  if (static_cast<std::uint64_t>(capacity) * elementSize > kGrowArrayMaxBytes) return false;
  header->capacity = capacity;
  header->elementSize = elementSize;
  header->count = 0;
  header->data = grow_array_detail::AllocateBlock(static_cast<std::uint64_t>(capacity) * elementSize);
  if (header->data == nullptr) {
    header->marker = 0;
    return false;
  }
  header->marker = kGrowArrayMarker;
  ++LiveCounter();
  return true;
}

char* SlotOf(const GrowArray* header, std::int32_t index) {
  return static_cast<char*>(header->data) + static_cast<std::uint64_t>(index) * header->elementSize;
}

}  // namespace

bool GrowArrayCreate(std::int32_t capacity, std::uint64_t elementSize, GrowArray* header) {
  if (capacity < 0) return false;
  if (capacity < kGrowArrayMinCapacity) capacity = kGrowArrayMinCapacity;
  return CreateBlock(capacity, elementSize, header);
}

bool GrowArrayCreateExact(std::int32_t capacity, std::uint64_t elementSize, GrowArray* header) {
  return CreateBlock(capacity, elementSize, header);
}

bool GrowArrayFree(GrowArray* header) {
  if (header->data == nullptr || header->marker != kGrowArrayMarker || LiveCounter() <= 0)
    return false;
  grow_array_detail::ReleaseBlock(header->data);
  header->data = nullptr;
  header->marker = 0;
  --LiveCounter();
  return true;
}

bool GrowArraySetGrowBy(GrowArray* header, std::int32_t index, const void* element,
                        std::int32_t step) {
  if (index < 0 || header->marker != kGrowArrayMarker || index > header->capacity) return false;
  if (index == header->capacity) {
    const std::int64_t newCapacity = std::int64_t{header->capacity} + StepOrDefault(step);
    const std::uint64_t newBytes = static_cast<std::uint64_t>(newCapacity) * header->elementSize;
    if (newCapacity > INT32_MAX || newBytes > kGrowArrayMaxBytes) return false;
    void* grown = grow_array_detail::GrowBlock(
        header->data, static_cast<std::uint64_t>(header->capacity) * header->elementSize, newBytes);
    if (grown == nullptr) return false;
    header->data = grown;
    header->capacity = static_cast<std::int32_t>(newCapacity);
  }
  if (index >= header->count) ++header->count;
  std::memcpy(SlotOf(header, index), element, header->elementSize);
  return true;
}

bool GrowArraySet(GrowArray* header, std::int32_t index, const void* element) {
  return GrowArraySetGrowBy(header, index, element, kGrowArrayDefaultStep);
}

bool GrowArrayGet(const GrowArray* header, std::int32_t index, void* element) {
  void* slot = nullptr;
  if (!GrowArrayGetPtr(header, index, &slot)) return false;
  std::memcpy(element, slot, header->elementSize);
  return true;
}

bool GrowArrayGetPtr(const GrowArray* header, std::int32_t index, void** element) {
  if (index < 0 || index >= header->capacity || header->marker != kGrowArrayMarker) return false;
  *element = SlotOf(header, index);
  return true;
}

std::int32_t GrowArrayGetCount(const GrowArray* header) { return header->count; }

std::int32_t GrowArrayLiveCount() { return LiveCounter(); }

// Paged arrays ---------------------------------------------------------------

namespace {

// Elements held by page `page` of an array of `capacity` elements.
std::int32_t PageElements(const PagedGrowArray* header, std::int32_t capacity, int page) {
  const std::int64_t first = std::int64_t{page} * header->perPage;
  const std::int64_t rest = capacity - first;
  return static_cast<std::int32_t>(rest < header->perPage ? rest : header->perPage);
}

// Number of pages that hold `capacity` elements, at most 1024.
int PagesSpanned(const PagedGrowArray* header, std::int32_t capacity) {
  const std::int64_t pages = (std::int64_t{capacity} + header->perPage - 1) / header->perPage;
  return static_cast<int>(pages < kPagedGrowArrayMaxPages ? pages : kPagedGrowArrayMaxPages);
}

void ReleasePages(PagedGrowArray* header) {
  for (void*& page : header->pages) {
    grow_array_detail::ReleaseBlock(page);
    page = nullptr;
  }
}

}  // namespace

bool PagedGrowArrayCreate(std::int32_t capacity, std::uint64_t elementSize,
                          PagedGrowArray* header) {
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
    header->pages[p] = grow_array_detail::AllocateBlock(
        static_cast<std::uint64_t>(PageElements(header, capacity, p)) * elementSize);
    if (header->pages[p] == nullptr) {
      // Nothing can free a header that is not valid: give back what we got.
      ReleasePages(header);
      return false;
    }
  }
  header->marker = kGrowArrayMarker;
  ++LiveCounter();
  return true;
}

bool PagedGrowArrayFree(PagedGrowArray* header) {
  if (header->pages[0] == nullptr || header->marker != kGrowArrayMarker || LiveCounter() <= 0)
    return false;
  const int pages = PagesSpanned(header, header->capacity);
  for (int p = 0; p < pages; ++p) {
    grow_array_detail::ReleaseBlock(header->pages[p]);
    header->pages[p] = nullptr;
  }
  header->marker = 0;
  --LiveCounter();
  return true;
}

bool PagedGrowArraySet(PagedGrowArray* header, std::int32_t index, const void* element,
                       std::int32_t step) {
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
      grown = grow_array_detail::AllocateBlock(pageBytes);
    } else {
      const std::uint64_t oldBytes =
          static_cast<std::uint64_t>(header->capacity - page * header->perPage) * header->elementSize;
      grown = grow_array_detail::GrowBlock(header->pages[page], oldBytes, pageBytes);
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

bool PagedGrowArrayGet(const PagedGrowArray* header, std::int32_t index, void* element) {
  if (index < 0 || index >= header->capacity || header->marker != kGrowArrayMarker) return false;
  const std::int32_t page = index / header->perPage;
  if (page >= kPagedGrowArrayMaxPages) return false;
  const std::int32_t slot = index - page * header->perPage;
  std::memcpy(element,
              static_cast<const char*>(header->pages[page]) +
                  static_cast<std::uint64_t>(slot) * header->elementSize,
              header->elementSize);
  return true;
}
