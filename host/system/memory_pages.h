// Memory taken from the system in whole pages: blocks of many megabytes that
// cost nothing until written and grow without copying, and the heap's own
// growth steps. Every call is harmless where the system refuses the advice.
#pragma once

#include <cstdint>

namespace host {

// The system's page size (4096 when it cannot be asked).
std::uint64_t MemoryPageSize();

// The length to map for `bytes`: whole pages, and from two huge pages up
// whole huge pages. The system then places such a mapping, and one grown to
// such a length, on a huge-page boundary, and backs every part of it with a
// huge page as it is first written; a length between boundaries leaves its
// growing end in small pages, one fault per page. 0 when it overflows.
std::uint64_t MappingLengthFor(std::uint64_t bytes);

// A mapping of `length` bytes (a multiple of the page size) whose pages read
// as zero and are backed only once written; large mappings are advised for
// huge pages. nullptr when the system refuses.
void* MapZeroedPages(std::uint64_t length);
// The mapping grown to `newLength`, possibly at another address, keeping its
// contents; the new pages read as zero. nullptr when the system refuses (the
// old mapping is then untouched).
void* GrowMappedPages(void* mapping, std::uint64_t oldLength, std::uint64_t newLength);
void UnmapPages(void* mapping, std::uint64_t length);

// Asks the C heap to grow 32 MiB at a time and advises each new part of it
// for huge pages: an import makes hundreds of thousands of small
// blocks, which then cost one page fault per 2 MiB instead of one per page.
// Call after each heap allocation that may have grown the heap.
void AdviseHeapGrowth();

// While a FaultingHeapAhead lives: faults in the pages the C heap has
// gained since it was made (whole huge pages only, advised as
// AdviseHeapGrowth does), without changing what they hold. Meant for helper
// threads while another thread fills the heap: the filling thread then
// finds the pages in place instead of waiting for the system to supply each
// one as it first writes it. At most one step of the heap's growth is
// faulted in before it is used. Nothing happens while none lives. Safe to
// call from any thread; threads calling at once share the work a huge page
// at a time.
void FaultInHeapGrowth();

// While one lives, FaultInHeapGrowth works; the heap's 32 MiB steps leave
// the helpers room to keep ahead of the thread that fills it.
class FaultingHeapAhead {
 public:
  FaultingHeapAhead();
  ~FaultingHeapAhead();
  FaultingHeapAhead(const FaultingHeapAhead&) = delete;
  FaultingHeapAhead& operator=(const FaultingHeapAhead&) = delete;
};

// Makes every thread of the process take its blocks from one C heap, as
// the Windows process heap serves every thread, instead of an arena per
// thread. What the reader's workers make and the drawing thread frees is
// then free for the drawing itself, rather than kept in the workers' arenas
// while the heap grows beside them. Takes effect only when called before
// any thread but the first allocates: call it first thing in main.
void ShareOneHeapAcrossThreads();

}  // namespace host
