#include "common/containers/zeroed_blocks.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>

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

std::uint64_t PageSize() {
  static const std::uint64_t size = [] {
    const long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<std::uint64_t>(page) : std::uint64_t{4096};
  }();
  return size;
}

// Length of a mapping that holds `bytes` and the prefix; 0 when it would not
// fit in a size_t.
std::uint64_t MappingLength(std::uint64_t bytes) {
  const std::uint64_t page = PageSize();
  if (bytes > SIZE_MAX - sizeof(Prefix) - page) return 0;
  return (bytes + sizeof(Prefix) + page - 1) / page * page;
}

constexpr std::uint64_t kHugePage = std::uint64_t{2} << 20;

// Blocks of several megabytes are written from end to end as an import
// fills them: huge pages take one page fault where small ones take 512.
void Advise(void* mapping, std::uint64_t length) {
  if (length >= kHugePage) (void)madvise(mapping, static_cast<std::size_t>(length), MADV_HUGEPAGE);
}

// An import makes hundreds of thousands of small blocks on the C heap, which
// grows by moving its break. The heap is asked to grow several huge pages at
// a time, and each new part is advised for huge pages, so that it too is
// faulted in 2 MiB at a time (the system otherwise backs it with 4 KiB pages
// unless advised). Only the main heap grows this way; other arenas and
// sanitizer allocators leave the break where it is, and nothing happens.
void AdviseHeapGrowth() {
  static std::atomic<std::uintptr_t> advisedEnd{0};
  std::uintptr_t from = advisedEnd.load(std::memory_order_relaxed);
  if (from == 0) {
    // The first time only: from here on the heap grows in large steps.
    (void)mallopt(M_TOP_PAD, static_cast<int>(4 * kHugePage));
  }
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  if (end == static_cast<std::uintptr_t>(-1) || end <= from) return;
  if (!advisedEnd.compare_exchange_strong(from, end)) return;
  if (from == 0) return;  // the heap as it stood before: left as it is
  const std::uintptr_t page = PageSize();
  const std::uintptr_t start = from / page * page;
  (void)madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

void* AllocateMapped(std::uint64_t bytes) {
  const std::uint64_t length = MappingLength(bytes);
  if (length == 0) return nullptr;
  void* raw = mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  Advise(raw, length);
  auto* prefix = static_cast<Prefix*>(raw);
  prefix->mappedLength = length;
  return BlockOf(prefix);
}

void* AllocateHeap(std::uint64_t bytes) {
  if (bytes > SIZE_MAX - sizeof(Prefix)) return nullptr;
  void* raw = std::calloc(static_cast<std::size_t>(bytes + sizeof(Prefix)), 1);
  if (raw == nullptr) return nullptr;
  AdviseHeapGrowth();
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
    void* moved = mremap(prefix, static_cast<std::size_t>(prefix->mappedLength),
                         static_cast<std::size_t>(length), MREMAP_MAYMOVE);
    if (moved == MAP_FAILED) return nullptr;
    Advise(moved, length);
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
  AdviseHeapGrowth();
  void* grown = BlockOf(static_cast<Prefix*>(raw));
  std::memset(static_cast<char*>(grown) + oldBytes, 0,
              static_cast<std::size_t>(newBytes - oldBytes));
  return grown;
}

void Release(void* block) {
  if (block == nullptr) return;
  Prefix* prefix = PrefixOf(block);
  if (prefix->mappedLength != 0)
    munmap(prefix, static_cast<std::size_t>(prefix->mappedLength));
  else
    std::free(prefix);
}

bool IsMapped(const void* block) {
  return block != nullptr && PrefixOf(block)->mappedLength != 0;
}

}  // namespace zeroed_blocks
