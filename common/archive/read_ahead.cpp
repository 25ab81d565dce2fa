#include "common/archive/read_ahead.h"

#include <new>
#include <system_error>

#include "host/system/helper_threads.h"

ReadAhead::ReadAhead(zlib::CGZip& gzip, std::int32_t pieceSize)
    : gzip_(gzip),
      pieceSize_(pieceSize),
      ring_(new (std::nothrow) char[static_cast<std::size_t>(pieceSize) * (kPieces + 1)]) {}

ReadAhead::~ReadAhead() { Pause(); }

void ReadAhead::Start() {
  Pause();
  produced_ = 0;
  taken_ = 0;
  finished_ = false;
  Launch();
}

void ReadAhead::Launch() {
  if (finished_ || !Ready() || thread_.joinable()) return;
  // Where the process runs on one thread, Next reads each piece itself.
  if (!host::HelperThreadsAllowed()) return;
  stop_ = false;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread: Next reads each piece itself.
  }
}

void ReadAhead::Pause() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
  stop_ = false;
}

void ReadAhead::Resume() { Launch(); }

bool ReadAhead::ReadPiece(std::uint64_t n) {
  Slot& slot = slots_[n % (kPieces + 1)];
  char* data = ring_.get() + static_cast<std::size_t>(n % (kPieces + 1)) * pieceSize_;
  int count = gzip_.ReadBufferSize(data, static_cast<std::size_t>(pieceSize_));
  // zlib ends a damaged or cut-off gzip stream with a count of 0 (or -1)
  // and notes the error; either way no byte of that read is handed out.
  slot.failed = count < 0 || (count == 0 && gzip_.HasReadError());
  if (slot.failed) count = 0;
  slot.count = count;
  const std::int64_t after = gzip_.Tell();
  slot.start = after < 0 ? -1 : after - count;
  return count == 0;
}

void ReadAhead::Run() {
  for (;;) {
    std::uint64_t n;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!stop_ && produced_ >= Limit()) {
        // The ring is full: wait until the reader has taken a batch.
        threadWaits_ = true;
        changed_.wait(lock, [this] { return stop_ || produced_ + kWakeBatch <= Limit(); });
        threadWaits_ = false;
      }
      if (stop_) return;
      n = produced_;
    }
    // The slot is the thread's alone until `produced_` counts it.
    const bool last = ReadPiece(n);
    bool wake;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++produced_;
      if (last) finished_ = true;
      wake = readerWantsAt_ != 0 && (produced_ >= readerWantsAt_ || finished_);
    }
    if (wake) changed_.notify_all();
    if (last) return;
  }
}

ReadAhead::Piece ReadAhead::Next() {
  std::uint64_t n;
  bool wakeThread = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (thread_.joinable() && produced_ == taken_ && !finished_) {
      // Nothing is read ahead: wait for a batch (or the end).
      readerWantsAt_ = taken_ + kWakeBatch;
      changed_.wait(lock, [this] { return produced_ >= readerWantsAt_ || finished_; });
      readerWantsAt_ = 0;
    }
    if (produced_ == taken_) {
      if (finished_ || !Ready()) return Piece{nullptr, 0, -1, false, true};
      // No thread runs: the piece is read here.
      lock.unlock();
      const bool last = ReadPiece(produced_);
      lock.lock();
      ++produced_;
      if (last) finished_ = true;
    }
    n = taken_++;
    wakeThread = threadWaits_ && produced_ + kWakeBatch <= Limit();
  }
  if (wakeThread) changed_.notify_all();
  const Slot& slot = slots_[n % (kPieces + 1)];
  const bool last = slot.count == 0;
  return Piece{ring_.get() + static_cast<std::size_t>(n % (kPieces + 1)) * pieceSize_,
               slot.count, slot.start, slot.failed, last};
}
