#include "common/containers/tracked_array.h"

#include <cstring>
#include <type_traits>

#include "common/containers/grow_array_ops.h"

namespace detail = grow_array_detail;

namespace {

struct Registry {
  GrowArray entries{};       // of TrackedArrayEntry
  std::int32_t ownLive = 0;  // the block's counter: the shared one must not see it
  std::int32_t sequence = 0;
  std::int32_t cursor = -1;  // entry last reported by First/NextLiveTrackedArray
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

std::int32_t SequenceOf(const TrackedArrayEntry& entry) {
  return entry.kind == kTrackedPlain ? entry.copy.plain.sequence : entry.copy.paged.sequence;
}

std::int32_t& MarkerOf(TrackedArrayEntry& entry) {
  return entry.kind == kTrackedPlain ? entry.copy.plain.marker : entry.copy.paged.marker;
}

std::int32_t CallerOf(const TrackedArrayEntry& entry) {
  return entry.kind == kTrackedPlain ? entry.copy.plain.callerId : entry.copy.paged.callerId;
}

bool IsTracked(const TrackedArrayEntry& entry) {
  return entry.kind == kTrackedPlain || entry.kind == kTrackedPaged;
}

TrackedArrayEntry* EntryAt(std::int32_t index) {
  void* slot = nullptr;
  if (!GrowArrayGetPtr(&TheRegistry().entries, index, &slot)) return nullptr;
  return static_cast<TrackedArrayEntry*>(slot);
}

// Drops the registry and starts an empty one, numbering from 0 again.
void RestartRegistry() {
  Registry& registry = TheRegistry();
  if (registry.entries.marker == kGrowArrayMarker)
    detail::FreeArray(&registry.entries, registry.ownLive);
  registry.sequence = 0;
  registry.cursor = -1;
  if (!detail::CreateArray(&registry.entries, kGrowArrayMinCapacity, sizeof(TrackedArrayEntry),
                           kGrowArrayMaxBytes, registry.ownLive))
    registry.entries = GrowArray{};
}

// Numbers a just created (or failed) header and records it. `created` tells
// whether the create succeeded.
template <class Header>
void Register(std::uint8_t kind, std::int32_t callerId, bool created, Header* header) {
  Registry& registry = TheRegistry();
  // The registry restarts only when the new array really is the only live
  // one: after a failed create a count of 1 means another array is alive,
  // and its entry must stay.
  if (created && detail::LiveCounter() == 1) {
    RestartRegistry();
  } else if (registry.entries.marker != kGrowArrayMarker) {
    // Never created, or its creation failed: start one, keeping the numbers.
    const std::int32_t sequence = registry.sequence;
    RestartRegistry();
    registry.sequence = sequence;
  }
  if (!created) {
    // A create refused before allocating leaves the header as it was; the
    // entry must not look live.
    header->marker = 0;
  }
  header->callerId = callerId;
  header->sequence = registry.sequence++;

  TrackedArrayEntry entry;
  std::memset(&entry, 0, sizeof entry);
  entry.kind = kind;
  if constexpr (std::is_same_v<Header, TrackedGrowArray>)
    entry.copy.plain = *header;
  else
    entry.copy.paged = *header;
  // Best effort: a registry that cannot grow loses the entry, not the array.
  (void)GrowArraySet(&registry.entries, registry.entries.count, &entry);
}

// Marks the registry entry of a freed array freed.
void MarkFreed(std::int32_t sequence) {
  std::int32_t index = 0;
  if (!FindTrackedArray(sequence, &index)) return;
  if (TrackedArrayEntry* entry = EntryAt(index)) MarkerOf(*entry) = 0;
}

// Scans the registry from `from` for an entry of a still valid array.
bool ScanLive(std::int32_t from, std::int32_t* callerId, std::int32_t* entryIndex) {
  Registry& registry = TheRegistry();
  if (registry.entries.marker != kGrowArrayMarker) return false;
  for (std::int32_t i = from < 0 ? 0 : from; i < registry.entries.count; ++i) {
    TrackedArrayEntry* entry = EntryAt(i);
    if (entry == nullptr || !IsTracked(*entry) || MarkerOf(*entry) != kGrowArrayMarker) continue;
    *callerId = CallerOf(*entry);
    *entryIndex = i;
    registry.cursor = i;
    return true;
  }
  return false;
}

}  // namespace

bool TrackedGrowArrayCreate(std::int32_t callerId, std::int32_t capacity, std::uint64_t elementSize,
                            TrackedGrowArray* header) {
  if (capacity < 0) return false;
  if (capacity < kGrowArrayMinCapacity) capacity = kGrowArrayMinCapacity;
  const bool created =
      detail::CreateArray(header, capacity, elementSize, kGrowArrayMaxBytes, detail::LiveCounter());
  Register(kTrackedPlain, callerId, created, header);
  return created;
}

bool TrackedGrowArrayFree(TrackedGrowArray* header) {
  if (!detail::FreeArray(header, detail::LiveCounter())) return false;
  MarkFreed(header->sequence);
  return true;
}

bool TrackedGrowArraySetGrowBy(TrackedGrowArray* header, std::int32_t index, const void* element,
                               std::int32_t step) {
  if (step <= 0) step = kGrowArrayDefaultStep;
  return detail::SetElement(header, index, element, step, kGrowArrayMaxBytes) ==
         detail::SetOutcome::kStored;
}

bool TrackedGrowArraySet(TrackedGrowArray* header, std::int32_t index, const void* element) {
  return TrackedGrowArraySetGrowBy(header, index, element, kGrowArrayDefaultStep);
}

bool TrackedGrowArrayGet(const TrackedGrowArray* header, std::int32_t index, void* element) {
  return detail::GetElement(header, index, element);
}

bool TrackedPagedGrowArrayCreate(std::int32_t callerId, std::int32_t capacity,
                                 std::uint64_t elementSize, TrackedPagedGrowArray* header) {
  if (capacity < 0) return false;
  const bool created = detail::CreatePaged(header, capacity, elementSize);
  Register(kTrackedPaged, callerId, created, header);
  return created;
}

bool TrackedPagedGrowArrayFree(TrackedPagedGrowArray* header) {
  if (!detail::FreePaged(header)) return false;
  MarkFreed(header->sequence);
  return true;
}

bool TrackedPagedGrowArraySet(TrackedPagedGrowArray* header, std::int32_t index,
                              const void* element, std::int32_t step) {
  return detail::SetPaged(header, index, element, step);
}

bool TrackedPagedGrowArrayGet(const TrackedPagedGrowArray* header, std::int32_t index,
                              void* element) {
  return detail::GetPaged(header, index, element);
}

bool FindTrackedArray(std::int32_t sequence, std::int32_t* entryIndex) {
  const Registry& registry = TheRegistry();
  if (registry.entries.marker != kGrowArrayMarker) return false;
  for (std::int32_t i = 0; i < registry.entries.count; ++i) {
    const TrackedArrayEntry* entry = EntryAt(i);
    if (entry != nullptr && IsTracked(*entry) && SequenceOf(*entry) == sequence) {
      *entryIndex = i;
      return true;
    }
  }
  return false;
}

bool FirstLiveTrackedArray(std::int32_t* callerId, std::int32_t* entryIndex) {
  return ScanLive(0, callerId, entryIndex);
}

bool NextLiveTrackedArray(std::int32_t* callerId, std::int32_t* entryIndex) {
  return ScanLive(TheRegistry().cursor + 1, callerId, entryIndex);
}

bool GetTrackedArrayEntry(std::int32_t entryIndex, TrackedArrayEntry* entry) {
  const TrackedArrayEntry* stored = EntryAt(entryIndex);
  if (stored == nullptr || entryIndex >= TheRegistry().entries.count) return false;
  std::memcpy(entry, stored, sizeof *entry);
  return true;
}
