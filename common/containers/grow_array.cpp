#include "common/containers/grow_array.h"

#include <climits>
#include <cstring>

#include "common/containers/grow_array_ops.h"
#include "common/containers/zeroed_blocks.h"
#include "host/system/fault.h"

namespace grow_array_detail {

std::atomic<std::int32_t>& LiveCounter() {
  static std::atomic<std::int32_t> live{0};
  return live;
}

void* AllocateBlock(std::uint64_t bytes) {
  if (host::FaultFires(host::FaultPoint::Allocation)) return nullptr;
  return zeroed_blocks::Allocate(bytes);
}

void* GrowBlock(void* block, std::uint64_t oldBytes, std::uint64_t newBytes) {
  if (host::FaultFires(host::FaultPoint::Allocation)) return nullptr;
  return zeroed_blocks::Resize(block, oldBytes, newBytes);
}

void ReleaseBlock(void* block) { zeroed_blocks::Release(block); }

}  // namespace grow_array_detail

namespace detail = grow_array_detail;

bool GrowArrayCreate(std::int32_t capacity, std::uint64_t elementSize, GrowArray* header) {
  if (capacity < 0) return false;
  if (capacity < kGrowArrayMinCapacity) capacity = kGrowArrayMinCapacity;
  return detail::CreateArray(header, capacity, elementSize, kGrowArrayMaxBytes,
                             detail::LiveCounter());
}

bool GrowArrayCreateExact(std::int32_t capacity, std::uint64_t elementSize, GrowArray* header) {
  return detail::CreateArray(header, capacity, elementSize, kGrowArrayMaxBytes,
                             detail::LiveCounter());
}

bool GrowArrayFree(GrowArray* header) { return detail::FreeArray(header, detail::LiveCounter()); }

bool GrowArraySetGrowBy(GrowArray* header, std::int32_t index, const void* element,
                        std::int32_t step) {
  if (step <= 0) step = kGrowArrayDefaultStep;
  return detail::SetElement(header, index, element, step, kGrowArrayMaxBytes) ==
         detail::SetOutcome::kStored;
}

bool GrowArrayAppend(GrowArray* header, const void* elements, std::int32_t n, std::int32_t step) {
  if (n < 0 || header->marker != kGrowArrayMarker) return false;
  if (n == 0) return true;
  if (step <= 0) step = kGrowArrayDefaultStep;
  const std::int64_t needed = std::int64_t{header->count} + n;
  if (needed > header->capacity) {
    // The capacity single sets would reach: whole steps past the old one.
    const std::int64_t steps = (needed - header->capacity + step - 1) / step;
    const std::int64_t capacity = header->capacity + steps * step;
    if (capacity > INT32_MAX ||
        static_cast<std::uint64_t>(capacity) > kGrowArrayMaxBytes / header->elementSize)
      return false;
    void* grown = detail::GrowBlock(
        header->data, static_cast<std::uint64_t>(header->capacity) * header->elementSize,
        static_cast<std::uint64_t>(capacity) * header->elementSize);
    if (grown == nullptr) return false;
    header->data = grown;
    header->capacity = static_cast<std::int32_t>(capacity);
  }
  std::memcpy(static_cast<char*>(header->data) +
                  static_cast<std::uint64_t>(header->count) * header->elementSize,
              elements, static_cast<std::size_t>(static_cast<std::uint64_t>(n) * header->elementSize));
  header->count += n;
  return true;
}

bool GrowArraySet(GrowArray* header, std::int32_t index, const void* element) {
  return GrowArraySetGrowBy(header, index, element, kGrowArrayDefaultStep);
}

bool GrowArrayGet(const GrowArray* header, std::int32_t index, void* element) {
  return detail::GetElement(header, index, element);
}

bool GrowArrayGetPtr(const GrowArray* header, std::int32_t index, void** element) {
  void* slot = detail::SlotAddress(header, index);
  if (slot == nullptr) return false;
  *element = slot;
  return true;
}

std::int32_t GrowArrayGetCount(const GrowArray* header) { return header->count; }

std::int32_t GrowArrayLiveCount() { return detail::LiveCounter(); }

bool PagedGrowArrayCreate(std::int32_t capacity, std::uint64_t elementSize,
                          PagedGrowArray* header) {
  return detail::CreatePaged(header, capacity, elementSize);
}

bool PagedGrowArrayFree(PagedGrowArray* header) { return detail::FreePaged(header); }

bool PagedGrowArraySet(PagedGrowArray* header, std::int32_t index, const void* element,
                       std::int32_t step) {
  return detail::SetPaged(header, index, element, step);
}

bool PagedGrowArrayGet(const PagedGrowArray* header, std::int32_t index, void* element) {
  return detail::GetPaged(header, index, element);
}

bool PagedGrowArrayGetPtr(const PagedGrowArray* header, std::int32_t index, void** element) {
  void* slot = detail::PagedSlotAddress(header, index);
  if (slot == nullptr) return false;
  *element = slot;
  return true;
}
