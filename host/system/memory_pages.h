// Memory taken from the system in whole pages: blocks of many megabytes that
// cost nothing until written and grow without copying, and the heap's own
// growth steps. Every call is harmless where the system refuses the advice.
#pragma once

#include <cstdint>

namespace host {

// The system's page size (4096 when it cannot be asked).
std::uint64_t MemoryPageSize();

// A mapping of `length` bytes (a multiple of the page size) whose pages read
// as zero and are backed only once written; large mappings are advised for
// huge pages. nullptr when the system refuses.
void* MapZeroedPages(std::uint64_t length);
// The mapping grown to `newLength`, possibly at another address, keeping its
// contents; the new pages read as zero. nullptr when the system refuses (the
// old mapping is then untouched).
void* GrowMappedPages(void* mapping, std::uint64_t oldLength, std::uint64_t newLength);
void UnmapPages(void* mapping, std::uint64_t length);

// Asks the C heap to grow several huge pages at a time and advises each new
// part of it for huge pages: an import makes hundreds of thousands of small
// blocks, which then cost one page fault per 2 MiB instead of one per page.
// Call after each heap allocation that may have grown the heap.
void AdviseHeapGrowth();

}  // namespace host
