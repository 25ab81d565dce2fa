#include "common/containers/grow_array_variants.h"

#include <cstdint>
#include <limits>

#include "common/containers/grow_array_ops.h"

namespace detail = grow_array_detail;

namespace {

// Bounds and live counter of each variant.
template <class Header>
struct Variant;

template <>
struct Variant<GrowArrayU32> {
  static constexpr std::uint64_t kMaxBytes = kGrowArrayU32MaxBytes;
  static constexpr std::uint64_t kMaxElementSize = kGrowArrayU32MaxBytes;
  static std::int32_t& Live() {
    static std::int32_t live = 0;
    return live;
  }
};

template <>
struct Variant<GrowArrayU64> {
  static constexpr std::uint64_t kMaxBytes = std::numeric_limits<std::uint64_t>::max();
  static constexpr std::uint64_t kMaxElementSize = kGrowArrayU64MaxElementSize;
  static std::int32_t& Live() {
    static std::int32_t live = 0;
    return live;
  }
};

template <class Header>
using Index = detail::IndexOf<Header>;

template <class Header>
bool Create(Index<Header> capacity, std::uint64_t elementSize, Header* header) {
  if (elementSize > Variant<Header>::kMaxElementSize) return false;
  if (capacity < static_cast<Index<Header>>(kGrowArrayMinCapacity))
    capacity = kGrowArrayMinCapacity;
  return detail::CreateArray(header, capacity, elementSize, Variant<Header>::kMaxBytes,
                             Variant<Header>::Live());
}

template <class Header>
bool Free(Header* header) {
  return detail::FreeArray(header, Variant<Header>::Live());
}

template <class Header>
bool SetGrowBy(Header* header, Index<Header> index, const void* element, std::int32_t step) {
  if (step <= 0) step = kGrowArrayDefaultStep;
  return detail::SetElement(header, index, element, static_cast<Index<Header>>(step),
                            Variant<Header>::kMaxBytes) == detail::SetOutcome::kStored;
}

template <class Header>
bool GetPtr(const Header* header, Index<Header> index, void** element) {
  void* slot = detail::SlotAddress(header, index);
  if (slot == nullptr) return false;
  *element = slot;
  return true;
}

}  // namespace

bool GrowArrayU32Create(std::uint32_t capacity, std::uint64_t elementSize, GrowArrayU32* header) {
  return Create(capacity, elementSize, header);
}
bool GrowArrayU32Free(GrowArrayU32* header) {
  return Free(header);
}
bool GrowArrayU32Set(GrowArrayU32* header, std::uint32_t index, const void* element) {
  return SetGrowBy(header, index, element, kGrowArrayDefaultStep);
}
bool GrowArrayU32SetGrowBy(GrowArrayU32* header, std::uint32_t index, const void* element,
                           std::int32_t step) {
  return SetGrowBy(header, index, element, step);
}
bool GrowArrayU32Get(const GrowArrayU32* header, std::uint32_t index, void* element) {
  return detail::GetElement(header, index, element);
}
bool GrowArrayU32GetPtr(const GrowArrayU32* header, std::uint32_t index, void** element) {
  return GetPtr(header, index, element);
}
std::uint32_t GrowArrayU32GetCount(const GrowArrayU32* header) {
  return header->count;
}
std::int32_t GrowArrayU32LiveCount() {
  return Variant<GrowArrayU32>::Live();
}

bool GrowArrayU64Create(std::uint64_t capacity, std::uint64_t elementSize, GrowArrayU64* header) {
  return Create(capacity, elementSize, header);
}
bool GrowArrayU64Free(GrowArrayU64* header) {
  return Free(header);
}
bool GrowArrayU64Set(GrowArrayU64* header, std::uint64_t index, const void* element) {
  return SetGrowBy(header, index, element, kGrowArrayDefaultStep);
}
bool GrowArrayU64SetGrowBy(GrowArrayU64* header, std::uint64_t index, const void* element,
                           std::int32_t step) {
  return SetGrowBy(header, index, element, step);
}
bool GrowArrayU64Get(const GrowArrayU64* header, std::uint64_t index, void* element) {
  return detail::GetElement(header, index, element);
}
bool GrowArrayU64GetPtr(const GrowArrayU64* header, std::uint64_t index, void** element) {
  return GetPtr(header, index, element);
}
std::uint64_t GrowArrayU64GetCount(const GrowArrayU64* header) {
  return header->count;
}
std::int32_t GrowArrayU64LiveCount() {
  return Variant<GrowArrayU64>::Live();
}
