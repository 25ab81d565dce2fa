// Reads a drawing pass's records on a thread of its own a little before the
// pass comes to them, and meanwhile faults in, on two more (when asked),
// the heap the pass is filling.
//
// The reader's records were written on other threads, and the first read
// of each of their pages, like the first write of each new page of the
// heap, waits for the system; a helper that goes first takes those waits
// off the drawing thread. They only read the records and write nothing the
// pass can see, so the drawing is the same with them or without them.
//
// The pass asks for the records of the piece after the one it is drawing
// (Along) and never waits for the helper to take them. Before it lets go of
// records it has drawn it calls Before, and before it lets go of a list
// Finish: both return once the helper reads none of those records and will
// not, so records are released only when the helper is no longer reading
// them. Without a thread (the process allows no helper threads, or none
// could be started) every call returns at once and nothing is read ahead.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "common/containers/grow_array.h"
#include "host/system/memory_pages.h"

class RecordReadAhead {
 public:
  // What a record holds besides itself: the lists nested in it.
  enum class Nested { kNone, kArea, kLine, kRoadLink, kRoad };
  // Records asked for at once: the pass is at most this far behind the
  // helper, and waits for it only when it would overtake it.
  static constexpr std::int32_t kPiece = 256;

  // `faultIn`: the heap's growth is faulted in meanwhile, and the heap grows
  // in larger steps (FaultingHeapAhead) to leave the faulters room: for a
  // pass whose memory all comes new from the system. A pass that releases
  // the records as it draws them mostly reuses their memory, and faulting
  // in the heap's growth would only add to its peak.
  // No thread is started for a pass whose lists all hold a piece or less
  // (`largestList` records at most): there is nothing to read ahead.
  RecordReadAhead(std::int32_t largestList, bool faultIn);
  ~RecordReadAhead();
  RecordReadAhead(const RecordReadAhead&) = delete;
  RecordReadAhead& operator=(const RecordReadAhead&) = delete;

  // Called as the pass reaches record `index` of `list`: at the start of
  // each piece, the next piece is asked for, unless the helper is still
  // reading the one before.
  void Along(const GrowArray& list, Nested nested, std::int32_t index);
  void Along(const PagedGrowArray& list, Nested nested, std::int32_t index);
  // Returns once the helper neither reads nor is to read any record before
  // `index` of the list the pass is drawing.
  void Before(std::int32_t index);
  // Returns once the helper neither reads nor is to read anything.
  void Finish();

  bool Running() const { return reader_.joinable(); }

 private:
  struct Request {
    const GrowArray* list = nullptr;
    const PagedGrowArray* paged = nullptr;
    Nested nested = Nested::kNone;
    std::int32_t first = 0;
    std::int32_t last = 0;
  };
  // The piece after the one that starts at `index` (of `count` records).
  void AskForNext(Request request, std::int32_t count, Nested nested, std::int32_t index);
  void Ask(const Request& request);
  void Read();
  void FaultIn();

  std::mutex mutex_;
  std::condition_variable toHelpers_;  // quit; the helpers look for requests by themselves
  std::condition_variable toPass_;     // a request is done
  Request request_;
  bool pending_ = false;      // request_ asked for and not yet taken
  bool busy_ = false;         // the reader reads a request taken
  std::int32_t busyFirst_ = 0;  // the first record of that request
  bool quit_ = false;
  std::unique_ptr<host::FaultingHeapAhead> growingAhead_;  // while faulters run
  std::thread reader_;          // reads what is asked for
  std::thread faulters_[2];     // fault in the heap's growth
};
