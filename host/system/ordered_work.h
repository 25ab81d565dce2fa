// Work made in pieces on several threads and taken in order on one.
//
// MakeInOrder(count, threads, lanes, make, take) makes pieces 0 to count - 1
// with make(piece, lane) on up to `threads` threads of its own, and hands
// each finished piece to take(piece, lane) on the calling thread, in piece
// order. A piece is made in the room of its lane (piece % lanes), which is
// the piece's own from the start of its making until its take has returned;
// so no more than `lanes` pieces are ever made and not yet taken, and the
// memory they hold stays bounded however many pieces there are.
//
// take answers false to stop: no piece is started after that, those being
// made are finished but not taken, and MakeInOrder answers false. Where no
// thread can be started (or `threads` is 0, or the process allows no helper
// threads: helper_threads.h) every piece is made and taken on the calling
// thread, one after the other.
//
// make must not throw; what it shares with other pieces it only reads.
#pragma once

#include <cstddef>
#include <functional>

namespace host {

bool MakeInOrder(std::size_t count, int threads, int lanes, const std::function<void(std::size_t, int)>& make,
                 const std::function<bool(std::size_t, int)>& take);

// Threads worth starting for work spread over the machine's processors, up
// to `most`: one fewer than the processors (the caller's thread works too),
// at least 1.
int HelperThreads(int most);

}  // namespace host
