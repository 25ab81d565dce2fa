// Zero-filled memory blocks that cost nothing until they are written.
//
// The growable arrays keep their records in these. A block reads as zero
// bytes wherever nothing was stored, so that a slot between an array's count
// and its capacity reads defined. Small blocks come from the C heap
// (calloc); a block of kMappedBlockBytes or more is mapped straight from the
// system, whose fresh pages are zero and take memory only when first
// written, and it grows by moving its pages (mremap) rather than by copying
// its bytes or clearing the new part.
//
// Every block carries a small prefix in front of the address handed out that
// says how it was made, so that it is grown and released the same way.
#pragma once

#include <cstdint>

namespace zeroed_blocks {

inline constexpr std::uint64_t kMappedBlockBytes = std::uint64_t{256} * 1024;

// A block of `bytes` zero bytes (at least 1); null when no memory is left.
void* Allocate(std::uint64_t bytes);
// Grows or shrinks `block` (from Allocate, holding `oldBytes`) to `newBytes`,
// keeping its first bytes; bytes past `oldBytes` read as zero. Null on
// failure, and `block` is then untouched.
void* Resize(void* block, std::uint64_t oldBytes, std::uint64_t newBytes);
// Gives back a block from Allocate or Resize; null is ignored.
void Release(void* block);
// True when the block is a mapped one (for tests and benchmarks).
bool IsMapped(const void* block);

}  // namespace zeroed_blocks
