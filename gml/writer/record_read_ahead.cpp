#include "gml/writer/record_read_ahead.h"

#include <algorithm>
#include <chrono>

#include "gml/reader/feature_records.h"
#include "host/system/helper_threads.h"
#include "host/system/memory_pages.h"

namespace {

constexpr std::uint64_t kCacheLine = 64;

// How often the helpers look for work of their own accord.
constexpr auto kLookAgain = std::chrono::microseconds(100);

// Reads one byte of each cache line of [p, p + n), and the last byte.
void Touch(const void* p, std::uint64_t n) {
  if (p == nullptr || n == 0) return;
  const auto* bytes = static_cast<const volatile char*>(p);
  for (std::uint64_t at = 0; at < n; at += kCacheLine) (void)bytes[at];
  (void)bytes[n - 1];
}

void TouchList(const GrowArray& list) {
  if (list.marker != kGrowArrayMarker || list.count <= 0) return;
  Touch(list.data, static_cast<std::uint64_t>(list.count) * list.elementSize);
}

void TouchNested(const void* record, RecordReadAhead::Nested nested) {
  switch (nested) {
    case RecordReadAhead::Nested::kArea: {
      const auto& area = *static_cast<const AreaFeatureRecord*>(record);
      for (const GrowArray* list : {&area.outerRing, &area.innerRings, &area.attributes.groups,
                                    &area.attributes.terms, &area.attributes.themes})
        TouchList(*list);
      break;
    }
    case RecordReadAhead::Nested::kLine:
      TouchList(static_cast<const LineFeatureRecord*>(record)->points);
      break;
    case RecordReadAhead::Nested::kRoadLink:
      TouchList(static_cast<const RoadLinkRecord*>(record)->points);
      break;
    case RecordReadAhead::Nested::kRoad:
      TouchList(static_cast<const RoadRecord*>(record)->geometry);
      break;
    case RecordReadAhead::Nested::kNone:
      break;
  }
}

}  // namespace

RecordReadAhead::RecordReadAhead(std::int32_t largestList, bool faultIn) {
  if (!host::HelperThreadsAllowed() || largestList <= kPiece) return;
  try {
    reader_ = std::thread([this] { Read(); });
    if (!faultIn) return;
    growingAhead_ = std::make_unique<host::FaultingHeapAhead>();
    for (std::thread& faulter : faulters_) faulter = std::thread([this] { FaultIn(); });
  } catch (...) {
    // Without a reader the pass reads everything itself; without faulters
    // it faults in its memory itself.
  }
}

RecordReadAhead::~RecordReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  toHelpers_.notify_all();
  if (reader_.joinable()) reader_.join();
  for (std::thread& faulter : faulters_)
    if (faulter.joinable()) faulter.join();
}

void RecordReadAhead::FaultIn() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    lock.unlock();
    host::FaultInHeapGrowth();
    lock.lock();
    toHelpers_.wait_for(lock, kLookAgain, [&] { return quit_; });
  }
}

void RecordReadAhead::Read() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    toHelpers_.wait_for(lock, kLookAgain, [&] { return pending_ || quit_; });
    if (quit_) break;
    const bool work = pending_;
    const Request request = request_;
    pending_ = false;
    busy_ = work;
    busyFirst_ = request.first;
    lock.unlock();
    for (std::int32_t i = request.first; work && i < request.last; ++i) {
      void* slot = nullptr;
      const bool found = request.paged != nullptr ? PagedGrowArrayGetPtr(request.paged, i, &slot)
                                                  : GrowArrayGetPtr(request.list, i, &slot);
      if (!found) break;
      const std::uint64_t size =
          request.paged != nullptr ? request.paged->elementSize : request.list->elementSize;
      Touch(slot, size);
      TouchNested(slot, request.nested);
    }
    lock.lock();
    if (work) {
      busy_ = false;
      toPass_.notify_all();  // costs nothing while the pass is not waiting
    }
  }
}

void RecordReadAhead::Ask(const Request& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  // The pass never waits here: while the reader is still busy with the
  // piece before, this one is left to the pass; one not yet taken gives
  // way to the newer one. The reader is not woken either: waking a thread
  // costs the pass more than the reader's wait for its next look, which is
  // short beside the drawing of a piece.
  if (busy_ || request.first >= request.last) return;
  request_ = request;
  pending_ = true;
}

void RecordReadAhead::Before(std::int32_t index) {
  if (!Running()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  if (pending_ && request_.first < index) pending_ = false;
  toPass_.wait(lock, [&] { return !busy_ || busyFirst_ >= index; });
}

void RecordReadAhead::Along(const GrowArray& list, Nested nested, std::int32_t index) {
  Request request;
  request.list = &list;
  AskForNext(request, list.count, nested, index);
}

void RecordReadAhead::Along(const PagedGrowArray& list, Nested nested, std::int32_t index) {
  Request request;
  request.paged = &list;
  AskForNext(request, list.count, nested, index);
}

void RecordReadAhead::AskForNext(Request request, std::int32_t count, Nested nested,
                                 std::int32_t index) {
  if (!Running() || index % kPiece != 0) return;
  request.nested = nested;
  request.first = index + kPiece;
  request.last = std::min(count, index + 2 * kPiece);
  Ask(request);
}

void RecordReadAhead::Finish() {
  if (!Running()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  pending_ = false;
  toPass_.wait(lock, [&] { return !busy_; });
}
