// Inflating ahead of the reader: a thread of its own reads a gzip (or plain)
// file through zlib into a ring of pieces while the reader parses the pieces
// it already has.
//
// The reader takes the pieces in file order with `Next`. While the thread
// runs, zlib belongs to it; `Pause` stops the thread (the pieces read so far
// are kept) so that the owner may use zlib itself, for a seek, and `Resume`
// goes on from where zlib stands. Where no thread can be started, or the
// process allows no helper threads (host/system/helper_threads.h), the pieces
// are read on the reader's own thread, one at a time as `Next` asks.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "common/archive/gzip_file.h"

class ReadAhead {
 public:
  // Pieces read and not yet taken, at most, besides the one the reader holds:
  // 1 MB of 16 KB pieces, so that inflating goes on while the reader is busy
  // with something else for a while (joining a piece a worker thread parsed
  // takes about a millisecond, in which zlib inflates most of a megabyte;
  // 2 MB went no faster and held more). The ring's pages are only touched
  // as data arrives, so a short file costs no more than before.
  static constexpr int kPieces = 64;
  // A side that waits for the other (the reader for pieces, the thread for
  // room) is woken once this many pieces are there, not at every piece:
  // each wake-up costs more than inflating or parsing a few pieces.
  static constexpr int kWakeBatch = 8;

  // One read of zlib's: `count` bytes at uncompressed position `start`
  // (-1 when zlib could not tell). `failed` for a read error or a damaged or
  // cut gzip stream (then count is 0); `last` when the data ended there.
  struct Piece {
    const char* data;
    std::int32_t count;
    std::int64_t start;
    bool failed;
    bool last;
  };

  ReadAhead(zlib::CGZip& gzip, std::int32_t pieceSize);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // False when the ring could not be allocated; the object is of no use then.
  bool Ready() const { return ring_ != nullptr; }
  // Starts reading from where zlib stands, forgetting pieces read before.
  void Start();
  // The next piece; the piece taken before it is given back to the ring and
  // its bytes may be overwritten. After a `last` piece nothing more is read.
  Piece Next();
  // Stops the thread; the pieces read stay for `Next`.
  void Pause();
  // Goes on reading after a Pause (nothing to do when the data had ended).
  void Resume();

 private:
  void Run();
  // Reads piece number `n` from zlib; true when it was the last.
  bool ReadPiece(std::uint64_t n);
  // Pieces the reader may have read ahead up to: the ring less the piece held.
  std::uint64_t Limit() const { return kPieces + 1 + (taken_ > 0 ? taken_ - 1 : 0); }
  void Launch();

  zlib::CGZip& gzip_;
  const std::int32_t pieceSize_;
  std::unique_ptr<char[]> ring_;
  struct Slot {
    std::int32_t count = 0;
    std::int64_t start = 0;
    bool failed = false;
  } slots_[kPieces + 1];

  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t produced_ = 0;  // pieces read
  std::uint64_t taken_ = 0;     // pieces handed out
  bool finished_ = false;       // the last piece is read
  bool stop_ = false;
  std::uint64_t readerWantsAt_ = 0;  // the reader waits until this many are read; 0: not
  bool threadWaits_ = false;         // the thread waits for room
  std::thread thread_;
};
