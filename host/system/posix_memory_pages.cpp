#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>

#include "host/system/memory_pages.h"

namespace host {
namespace {

constexpr std::uint64_t kHugePage = std::uint64_t{2} << 20;

// Blocks of several megabytes are written from end to end as an import
// fills them: huge pages take one page fault where small ones take 512.
void Advise(void* mapping, std::uint64_t length) {
  if (length >= kHugePage) (void)madvise(mapping, static_cast<std::size_t>(length), MADV_HUGEPAGE);
}

}  // namespace

std::uint64_t MemoryPageSize() {
  static const std::uint64_t size = [] {
    const long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<std::uint64_t>(page) : std::uint64_t{4096};
  }();
  return size;
}

void* MapZeroedPages(std::uint64_t length) {
  void* raw = mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  Advise(raw, length);
  return raw;
}

void* GrowMappedPages(void* mapping, std::uint64_t oldLength, std::uint64_t newLength) {
  void* moved = mremap(mapping, static_cast<std::size_t>(oldLength), static_cast<std::size_t>(newLength),
                       MREMAP_MAYMOVE);
  if (moved == MAP_FAILED) return nullptr;
  Advise(moved, newLength);
  return moved;
}

void UnmapPages(void* mapping, std::uint64_t length) { munmap(mapping, static_cast<std::size_t>(length)); }

// Only the main heap grows by moving its break; other arenas and sanitizer
// allocators leave the break where it is, and nothing happens.
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
  const std::uintptr_t page = MemoryPageSize();
  const std::uintptr_t start = from / page * page;
  (void)madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

void ShareOneHeapAcrossThreads() { (void)mallopt(M_ARENA_MAX, 1); }

}  // namespace host
