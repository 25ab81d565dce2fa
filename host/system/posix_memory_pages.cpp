#include <malloc.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "host/system/memory_pages.h"

namespace host {
namespace {

constexpr std::uint64_t kHugePage = std::uint64_t{2} << 20;

// How far the heap grows at each step. malloc writes the header of the new
// top before AdviseHeapGrowth can advise the step, so the huge page that
// header falls in stays in small pages: the longer the step, the fewer such
// pages. Helpers faulting in the heap (FaultingHeapAhead) keep at most one
// step ahead of its use.
constexpr int kHeapStep = static_cast<int>(16 * kHugePage);
std::atomic<int> g_faultingAhead{0};

void GrowHeapInSteps() {
  static const bool set = [] {
    (void)mallopt(M_TOP_PAD, kHeapStep);
    return true;
  }();
  (void)set;
}

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

std::uint64_t MappingLengthFor(std::uint64_t bytes) {
  // Below two huge pages a block's last huge page would cost as much as all
  // it holds, and a small file's arrays stay that small.
  const std::uint64_t grain = bytes >= 2 * kHugePage ? kHugePage : MemoryPageSize();
  if (bytes > UINT64_MAX - grain) return 0;
  return (bytes + grain - 1) / grain * grain;
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
  if (from == 0) GrowHeapInSteps();
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  if (end == static_cast<std::uintptr_t>(-1) || end <= from) return;
  if (!advisedEnd.compare_exchange_strong(from, end)) return;
  if (from == 0) return;  // the heap as it stood before: left as it is
  const std::uintptr_t page = MemoryPageSize();
  const std::uintptr_t start = from / page * page;
  (void)madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

namespace {

// Where the part of the heap faulted in so far ends (0 while no
// FaultingHeapAhead lives), and whether the system refused the request.
std::atomic<std::uintptr_t> g_faultedEnd{0};
std::atomic<bool> g_populateRefused{false};

// The break as the system holds it, down to a whole huge page: another
// thread may be moving it through malloc at this moment.
std::uintptr_t WholeHeapEnd() {
  const auto end = static_cast<std::uintptr_t>(syscall(SYS_brk, 0));
  return end / kHugePage * kHugePage;
}

}  // namespace

void FaultInHeapGrowth() {
#ifdef MADV_POPULATE_WRITE
  const std::uintptr_t wholeEnd = WholeHeapEnd();
  std::uintptr_t from = g_faultedEnd.load(std::memory_order_relaxed);
  // A huge page at a time, so that threads calling at once share the work.
  while (from != 0 && from < wholeEnd && !g_populateRefused.load(std::memory_order_relaxed)) {
    if (!g_faultedEnd.compare_exchange_weak(from, from + kHugePage)) continue;
    void* start = reinterpret_cast<void*>(from);
    (void)madvise(start, kHugePage, MADV_HUGEPAGE);
    // Faults in a writable page and writes nothing, so what malloc has
    // handed out meanwhile keeps what its owner wrote. EINVAL: a system
    // without the request; ENOMEM: the heap shrank meanwhile.
    if (madvise(start, kHugePage, MADV_POPULATE_WRITE) != 0 && errno == EINVAL)
      g_populateRefused.store(true, std::memory_order_relaxed);
    from = g_faultedEnd.load(std::memory_order_relaxed);
  }
#endif
}

FaultingHeapAhead::FaultingHeapAhead() {
  if (g_faultingAhead.fetch_add(1) != 0) return;
  g_faultedEnd.store(WholeHeapEnd());
  GrowHeapInSteps();
}

FaultingHeapAhead::~FaultingHeapAhead() {
  if (g_faultingAhead.fetch_sub(1) != 1) return;
  g_faultedEnd.store(0);
}

void ShareOneHeapAcrossThreads() { (void)mallopt(M_ARENA_MAX, 1); }

}  // namespace host
