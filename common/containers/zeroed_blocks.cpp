#include "common/containers/zeroed_blocks.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/system/memory_pages.h"

namespace zeroed_blocks {

namespace {

// In front of every block: the length of its mapping (prefix included), or 0
// for a heap block. 16 bytes keep the block as aligned as malloc's.
struct alignas(16) Prefix {
  std::uint64_t mappedLength;
};
static_assert(sizeof(Prefix) == 16);

Prefix* PrefixOf(const void* block) {
  return reinterpret_cast<Prefix*>(const_cast<char*>(static_cast<const char*>(block)) -
                                   sizeof(Prefix));
}

void* BlockOf(Prefix* prefix) { return reinterpret_cast<char*>(prefix) + sizeof(Prefix); }

// Length of a mapping that holds `bytes` and the prefix; 0 when it would not
// fit in a size_t.
std::uint64_t MappingLength(std::uint64_t bytes) {
  if (bytes > SIZE_MAX - sizeof(Prefix)) return 0;
  const std::uint64_t length = host::MappingLengthFor(bytes + sizeof(Prefix));
  return length <= SIZE_MAX ? length : 0;
}

void* AllocateMapped(std::uint64_t bytes) {
  const std::uint64_t length = MappingLength(bytes);
  if (length == 0) return nullptr;
  void* raw = host::MapZeroedPages(length);
  if (raw == nullptr) return nullptr;
  auto* prefix = static_cast<Prefix*>(raw);
  prefix->mappedLength = length;
  return BlockOf(prefix);
}

void* AllocateHeap(std::uint64_t bytes) {
  if (bytes > SIZE_MAX - sizeof(Prefix)) return nullptr;
  void* raw = std::calloc(static_cast<std::size_t>(bytes + sizeof(Prefix)), 1);
  if (raw == nullptr) return nullptr;
  host::AdviseHeapGrowth();
  auto* prefix = static_cast<Prefix*>(raw);
  prefix->mappedLength = 0;
  return BlockOf(prefix);
}

}  // namespace

void* Allocate(std::uint64_t bytes) {
  if (bytes == 0) bytes = 1;
  return bytes >= kMappedBlockBytes ? AllocateMapped(bytes) : AllocateHeap(bytes);
}

void* Resize(void* block, std::uint64_t oldBytes, std::uint64_t newBytes) {
  if (block == nullptr) return nullptr;
  if (newBytes == 0) newBytes = 1;
  Prefix* prefix = PrefixOf(block);
  if (newBytes <= oldBytes) {
    // Shrinking keeps the block; the bytes let go are cleared so that a later
    // growth finds them zero.
    std::memset(static_cast<char*>(block) + newBytes, 0,
                static_cast<std::size_t>(oldBytes - newBytes));
    return block;
  }
  if (prefix->mappedLength != 0) {
    const std::uint64_t length = MappingLength(newBytes);
    if (length == 0) return nullptr;
    // Pages past the old end of the mapping are fresh zero pages; pages it
    // already had are zero past `oldBytes`, since nothing is written there.
    if (length <= prefix->mappedLength) return block;
    void* moved = host::GrowMappedPages(prefix, prefix->mappedLength, length);
    if (moved == nullptr) return nullptr;
    auto* grown = static_cast<Prefix*>(moved);
    grown->mappedLength = length;
    return BlockOf(grown);
  }
  if (newBytes >= kMappedBlockBytes) {
    void* mapped = AllocateMapped(newBytes);
    if (mapped == nullptr) return nullptr;
    std::memcpy(mapped, block, static_cast<std::size_t>(oldBytes));
    std::free(prefix);
    return mapped;
  }
  void* raw = std::realloc(prefix, static_cast<std::size_t>(newBytes + sizeof(Prefix)));
  if (raw == nullptr) return nullptr;
  host::AdviseHeapGrowth();
  void* grown = BlockOf(static_cast<Prefix*>(raw));
  std::memset(static_cast<char*>(grown) + oldBytes, 0,
              static_cast<std::size_t>(newBytes - oldBytes));
  return grown;
}

void Release(void* block) {
  if (block == nullptr) return;
  Prefix* prefix = PrefixOf(block);
  if (prefix->mappedLength != 0)
    host::UnmapPages(prefix, prefix->mappedLength);
  else
    std::free(prefix);
}

bool IsMapped(const void* block) {
  return block != nullptr && PrefixOf(block)->mappedLength != 0;
}

}  // namespace zeroed_blocks
