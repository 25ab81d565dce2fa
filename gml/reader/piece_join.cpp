#include "gml/reader/piece_join.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

#include "gml/reader/gml_pass.h"
#include "host/system/fault.h"
#include "host/system/helper_threads.h"
#include "host/ui/message_box.h"

namespace {

constexpr std::string_view kMemberEndOpen = "</osgb:";
constexpr std::string_view kMemberSuffix = "Member";

bool IsNameChar(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// True when the '<' at `at` opens a tag for a reader that went through the
// bytes from `begin`: the nearest angle bracket before it, looked for at most
// `lookBack` bytes back when that is not negative, is a '>'. Reaching `begin`
// without one gives `beginBetweenTags`. A '<' inside a tag that is still open
// is read as part of that tag.
bool OpensTag(const char* data, std::int64_t begin, std::int64_t at, std::int64_t lookBack,
              bool beginBetweenTags) {
  const std::int64_t lowest = lookBack >= 0 ? std::max(begin, at - lookBack) : begin;
  for (std::int64_t i = at - 1; i >= lowest; --i) {
    if (data[i] == '>') return true;
    if (data[i] == '<') return false;
  }
  return lowest == begin && beginBetweenTags;
}

// Where a piece's lead-in starts, for a piece starting at `start` in `data`
// (bytes from `begin` on are known): just after the first member end in the
// last kShortLeadInBytes before it, or in the last kLeadInBytes; `start`
// itself (no lead-in) when none ends there.
std::int64_t LeadInStart(const char* data, std::int64_t begin, std::int64_t start,
                         std::int64_t lookBack, bool beginBetweenTags) {
  for (const std::int64_t reach : {kShortLeadInBytes, kLeadInBytes}) {
    const std::int64_t lead = FindPieceCut(data, begin, std::max(begin, start - reach), start,
                                           lookBack, beginBetweenTags);
    if (lead >= 0 && lead < start) return lead;
  }
  return start;
}

}  // namespace

std::int64_t FindPieceCut(const char* data, std::int64_t begin, std::int64_t from,
                          std::int64_t end, std::int64_t lookBack, bool beginBetweenTags) {
  if (from < begin) from = begin;
  while (from < end) {
    const std::string_view rest(data + from, static_cast<std::size_t>(end - from));
    const std::size_t hit = rest.find(kMemberEndOpen);
    if (hit == std::string_view::npos) return -1;
    const std::int64_t open = from + static_cast<std::int64_t>(hit);
    std::int64_t q = open + static_cast<std::int64_t>(kMemberEndOpen.size());
    const std::int64_t nameStart = q;
    while (q < end && IsNameChar(data[q])) ++q;
    const auto suffix = static_cast<std::int64_t>(kMemberSuffix.size());
    if (q < end && data[q] == '>' && q - nameStart >= suffix &&
        std::string_view(data + q - suffix, kMemberSuffix.size()) == kMemberSuffix &&
        OpensTag(data, begin, open, lookBack, beginBetweenTags))
      return q + 1;
    from = open + 1;
  }
  return -1;
}

std::int64_t PieceBytes(std::int64_t setting, double textBytes) {
  if (setting > 0) return setting;
  if (!(textBytes > 0)) return kDefaultPieceBytes;
  const double share = textBytes / 64;
  if (share >= static_cast<double>(kDefaultPieceBytes)) return kDefaultPieceBytes;
  return std::max(kSmallestDefaultPieceBytes, static_cast<std::int64_t>(share));
}

int PieceWorkers(int setting) {
  if (setting > 0) return std::min(setting, kMaxPieceWorkers);
  const unsigned hardware = std::thread::hardware_concurrency();
  const int workers = hardware > 1 ? static_cast<int>(hardware) - 1 : 1;
  return std::min(workers, kDefaultPieceWorkers);
}

namespace {

// One piece: its bytes (the lead-in from `leadFrom`, the piece proper from
// `leadIn`, then bytes read past its end, which the next piece of a gzip
// file takes over) and what a worker read from them.
struct Piece {
  std::unique_ptr<char[]> bytes;
  std::int64_t capacity = 0;
  std::int64_t leadFrom = 0;  // start of the lead-in
  std::int64_t leadIn = 0;    // start of the piece proper
  std::int64_t end = 0;       // end of the piece proper
  std::int64_t held = 0;      // bytes held, past `end` included
  std::int64_t start = 0;     // file position of bytes[leadIn]
  std::int64_t nextLeadIn = -1;  // where the next piece's lead-in starts, or -1

  // A plain file's piece: its number, and whether its bytes were read (on
  // a worker, or on the owning thread when no worker took it) and failed.
  std::int64_t number = 0;
  bool loaded = false;
  bool readFailed = false;
  // A member ran on past kLongestHeldMember: the piece holds nothing to
  // read, and the file is read on from its start in one pass.
  bool overlong = false;

  GmlFeatureStore store;
  PieceLog log;
  bool made = false;  // store and log created
  bool madeOk = false;
  std::unique_ptr<GmlPass> pass;
  GmlFeatureState guess;
  bool guessUsable = false;
  bool done = false;  // guarded by the run's mutex

  ~Piece() {
    pass.reset();
    if (made) {
      store.FreePieceArrays();
      log.Free();
    }
  }

  // Makes room for `bytes` bytes in all, keeping those held.
  bool Reserve(std::int64_t size) {
    if (size <= capacity) return true;
    const std::int64_t grown = std::max(size, capacity + capacity / 2);
    std::unique_ptr<char[]> larger(new (std::nothrow) char[static_cast<std::size_t>(grown)]);
    if (!larger) return false;
    if (held > 0) std::memcpy(larger.get(), bytes.get(), static_cast<std::size_t>(held));
    bytes = std::move(larger);
    capacity = grown;
    return true;
  }
};

// Reads up to `want` bytes of `fd` at `at` into `to`; the number read, or
// -1 on a read error. Fewer than `want` only at the end of the file.
std::int64_t ReadAt(int fd, char* to, std::int64_t want, std::int64_t at) {
  std::int64_t got = 0;
  while (got < want) {
    const ssize_t n = pread(fd, to + got, static_cast<std::size_t>(want - got), at + got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += n;
  }
  return got;
}

// Takes up to `want` bytes from the stream into `to`; the number taken.
std::int64_t Pull(ArchiveReader& archive, char* to, std::int64_t want) {
  std::int64_t got = 0;
  while (got < want) {
    std::int32_t available = 0;
    const char* p = archive.Buffered(&available);
    if (available > 0) {
      const std::int32_t n = static_cast<std::int32_t>(std::min<std::int64_t>(available, want - got));
      std::memcpy(to + got, p, static_cast<std::size_t>(n));
      archive.Consume(n);
      got += n;
      continue;
    }
    char c;
    if (!archive.GetChar(&c)) break;
    to[got++] = c;
  }
  return got;
}

class PieceRun {
 public:
  PieceRun(GmlPass& pass, int workers, std::int64_t pieceBytes)
      : main_(pass), workers_(workers), pieceBytes_(pieceBytes), ring_(workers + 1) {}
  ~PieceRun() {
    StopWorkers();
    if (plain_ >= 0) close(plain_);
  }
  PieceRun(const PieceRun&) = delete;
  PieceRun& operator=(const PieceRun&) = delete;

  void Run();

 private:
  void RunPieces();
  // Makes piece number `number`, which follows `previous`: fills it from
  // the stream, or for a plain file only numbers it; false when memory ran
  // out.
  bool MakePiece(Piece& piece, const Piece* previous, std::uint64_t number);
  // True when a piece follows `piece`.
  bool MoreAfter(const Piece& piece) const;
  // Reads a plain file's piece from the file, on whichever thread takes it
  // (the cuts depend on the file's bytes only, so that neighbouring pieces
  // meet); false when memory ran out.
  bool LoadPlainPiece(Piece& piece) const;
  void StartWorkers();
  void StopWorkers();
  void Work();
  void ReadPiece(Piece& piece);
  bool WaitFor(Piece& piece);
  void Join(Piece& piece);
  void ReadDirectly(const Piece& piece);
  void Replay(Piece& piece);
  // Reads the rest of the file from where the joined pieces end, in one
  // pass straight from the stream (after an overlong piece).
  void ReadRestInOnePass();

  GmlPass& main_;
  const int workers_;
  const std::int64_t pieceBytes_;
  const int ring_;
  Piece pieces_[kMaxPieceWorkers + 1];
  bool streamEnded_ = false;
  // A plain file is read by the workers straight into their pieces; a gzip
  // file comes from its ArchiveReader, inflated on the reader's own thread.
  int plain_ = -1;
  std::int64_t lastPlainPiece_ = 0;
  bool readFailed_ = false;
  bool overlong_ = false;  // an overlong piece was reached in file order

  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t made_ = 0;   // pieces handed to the workers
  std::uint64_t taken_ = 0;  // pieces a worker took
  std::atomic<bool> stop_{false};
  std::thread threads_[kMaxPieceWorkers];
  int started_ = 0;
};

bool PieceRun::LoadPlainPiece(Piece& piece) const {
  piece.held = 0;
  piece.readFailed = false;
  piece.overlong = false;
  piece.nextLeadIn = -1;
  const std::int64_t nominal = piece.number * pieceBytes_;
  // The lead-in and the look-back of the first cut lie before the nominal
  // start; neighbouring pieces then see the same bytes around a cut.
  const std::int64_t base = std::max<std::int64_t>(0, nominal - kLeadInBytes);
  bool ended = false;
  const auto readMore = [&](std::int64_t more) {
    if (!piece.Reserve(piece.held + more)) return false;
    const std::int64_t got =
        ReadAt(plain_, piece.bytes.get() + piece.held, more, base + piece.held);
    if (got < 0) {
      piece.readFailed = true;
      ended = true;
    } else {
      piece.held += got;
      if (got < more) ended = true;
    }
    return true;
  };
  // The cut at or after file position `at`, as a place in the bytes: just
  // after the first member end tag there, or the end of the file. A member
  // that runs on too far makes the piece overlong.
  const auto cutAt = [&](std::int64_t at, std::int64_t* cut) {
    for (;;) {
      const std::int64_t found =
          FindPieceCut(piece.bytes.get(), 0, at - base, piece.held, kCutLookBack, base == 0);
      if (found >= 0 || ended) {
        *cut = found >= 0 ? found : piece.held;
        return true;
      }
      if (piece.held - (at - base) > kLongestHeldMember) {
        piece.overlong = true;
        return true;
      }
      // No member ends in what is held: read on and look again from `at`
      // (a tag cut off by the end of what was held is then whole).
      if (!readMore(std::max<std::int64_t>(pieceBytes_ / 4, 65536))) return false;
    }
  };
  if (!readMore(nominal + pieceBytes_ + kLeadInBytes - base)) return false;
  std::int64_t start = 0;
  if (piece.number > 0 && !cutAt(nominal, &start)) return false;
  std::int64_t end = 0;
  if (!piece.overlong && piece.number >= lastPlainPiece_) {
    // The last piece runs to the end of the file, however long it grew.
    while (!ended)
      if (!readMore(std::max<std::int64_t>(pieceBytes_, 65536))) return false;
    end = piece.held;
  } else if (!piece.overlong && !cutAt(nominal + pieceBytes_, &end)) {
    return false;
  }
  if (piece.overlong) {
    piece.leadFrom = piece.leadIn = piece.end = 0;
    piece.loaded = true;
    return true;
  }
  end = std::max(end, start);
  piece.leadFrom = LeadInStart(piece.bytes.get(), 0, start, kCutLookBack, base == 0);
  piece.leadIn = start;
  piece.end = end;
  piece.start = base + start;
  piece.loaded = true;
  return true;
}

bool PieceRun::MoreAfter(const Piece& piece) const {
  if (piece.overlong) return false;
  if (plain_ >= 0) return piece.number < lastPlainPiece_;
  return !(streamEnded_ && piece.end == piece.held);
}

bool PieceRun::MakePiece(Piece& piece, const Piece* previous, std::uint64_t number) {
  piece.number = static_cast<std::int64_t>(number);
  if (plain_ >= 0) {
    piece.loaded = false;
    return true;
  }
  piece.leadFrom = 0;
  piece.leadIn = 0;
  piece.held = 0;
  piece.nextLeadIn = -1;
  piece.overlong = false;
  std::int64_t carry = 0;
  if (previous != nullptr) {
    const std::int64_t leadIn =
        previous->nextLeadIn >= 0 ? previous->end - previous->nextLeadIn : 0;
    carry = previous->held - previous->end;
    if (!piece.Reserve(leadIn + carry + pieceBytes_)) return false;
    if (leadIn > 0)
      std::memcpy(piece.bytes.get(), previous->bytes.get() + previous->nextLeadIn,
                  static_cast<std::size_t>(leadIn));
    if (carry > 0)
      std::memcpy(piece.bytes.get() + leadIn, previous->bytes.get() + previous->end,
                  static_cast<std::size_t>(carry));
    piece.leadIn = leadIn;
    piece.start = previous->start + (previous->end - previous->leadIn);
  } else {
    if (!piece.Reserve(pieceBytes_)) return false;
    piece.start = 0;
  }
  piece.held = piece.leadIn + carry;
  // Read up to the piece size, then on until a member ends.
  const std::int64_t target = piece.leadIn + pieceBytes_;
  std::int64_t searchFrom = target;
  for (;;) {
    if (!streamEnded_ && piece.held < target) {
      if (!piece.Reserve(target)) return false;
      const std::int64_t got =
          Pull(main_.archive, piece.bytes.get() + piece.held, target - piece.held);
      piece.held += got;
      if (piece.held < target) streamEnded_ = true;
    }
    if (piece.held >= target) {
      const std::int64_t cut = FindPieceCut(piece.bytes.get(), piece.leadIn,
                                            std::max(piece.leadIn, searchFrom - 64), piece.held);
      if (cut >= 0) {
        piece.end = cut;
        break;
      }
    }
    if (streamEnded_) {
      piece.end = piece.held;
      break;
    }
    // No member ends in what is held: read on, as far as a member is held.
    if (piece.held - target > kLongestHeldMember) {
      piece.overlong = true;
      piece.end = piece.leadIn;
      return true;
    }
    searchFrom = std::max(searchFrom, piece.held);
    const std::int64_t more = std::max<std::int64_t>(pieceBytes_ / 4, 65536);
    if (!piece.Reserve(piece.held + more)) return false;
    const std::int64_t got = Pull(main_.archive, piece.bytes.get() + piece.held, more);
    piece.held += got;
    if (got < more) streamEnded_ = true;
  }
  // The next piece's lead-in, from the members that end last in this one.
  const std::int64_t lead = LeadInStart(piece.bytes.get(), piece.leadIn, piece.end, -1, true);
  if (lead < piece.end) piece.nextLeadIn = lead;
  return true;
}

void PieceRun::StartWorkers() {
  for (int i = 0; i < workers_; ++i) {
    try {
      threads_[i] = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer workers; with none the owning thread reads every piece
    }
    ++started_;
  }
}

void PieceRun::StopWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (int i = 0; i < started_; ++i) threads_[i].join();
  started_ = 0;
}

void PieceRun::Work() {
  for (;;) {
    Piece* piece;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return stop_ || taken_ < made_; });
      if (stop_) return;
      piece = &pieces_[taken_++ % static_cast<std::uint64_t>(ring_)];
    }
    ReadPiece(*piece);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      piece->done = true;
    }
    changed_.notify_all();
  }
}

void PieceRun::ReadPiece(Piece& piece) {
  piece.guessUsable = false;
  if (plain_ >= 0 && !LoadPlainPiece(piece)) return;
  if (piece.overlong) return;
  if (!piece.made) {
    piece.made = true;
    piece.madeOk = piece.store.CreatePieceArrays() && piece.log.Create();
  }
  if (!piece.madeOk) return;
  piece.store.Empty();
  piece.log.Clear();
  piece.pass.reset(new (std::nothrow) GmlPass(main_.view, main_.file, main_.fileIndex, nullptr,
                                              main_.keepRecords, main_.countOnly));
  GmlPass* pass = piece.pass.get();
  if (pass == nullptr || !pass->sound) return;
  pass->spilling = main_.spilling;
  pass->out = &piece.store;
  pass->log = &piece.log;
  pass->rootEnd = main_.rootEnd;

  // The lead-in, for the state the piece starts in; what it reads is let go.
  const std::int64_t leadBytes = piece.leadIn - piece.leadFrom;
  ArchiveReader leadIn;
  (void)leadIn.OpenMemory(piece.bytes.get() + piece.leadFrom, leadBytes, piece.start - leadBytes);
  pass->source = &leadIn;
  pass->fileConsumed = piece.start - leadBytes;
  while (pass->sound && !stop_ && pass->ReadNextTag()) {
  }
  piece.guessUsable = pass->sound && StateIsClosed(*pass) &&
                      (!pass->tuplesCreated || pass->tuples.count == 0);
  piece.guess = *pass;
  piece.guess.tuples = GrowArray{};
  piece.guess.tuplesCreated = false;
  piece.store.Empty();
  piece.log.Clear();
  pass->refusedNumbers = 0;
  pass->firstRefusal.clear();
  pass->rootClosed = false;
  pass->notUtf8Texts = 0;
  pass->firstNotUtf8.clear();
  pass->positionKnown = false;
  pass->usedUnknownPosition = false;
  pass->carriedSet = 0;
  pass->carriedTouched = 0;

  if (piece.guessUsable) {
    ArchiveReader body;
    (void)body.OpenMemory(piece.bytes.get() + piece.leadIn, piece.end - piece.leadIn, piece.start);
    pass->source = &body;
    pass->fileConsumed = piece.start;
    while (pass->sound && !stop_ && pass->ReadNextTag()) {
    }
  }
  pass->source = &pass->archive;
}

bool PieceRun::WaitFor(Piece& piece) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!piece.done) {
    if (started_ == 0) {
      // No worker runs: the piece is read on the owning thread, from the
      // true state.
      piece.done = true;
      piece.guessUsable = false;
      piece.pass.reset();
      return true;
    }
    changed_.wait_for(lock, std::chrono::milliseconds(20));
    if (piece.done) break;
    lock.unlock();
    // Esc and the stop button are looked at while the workers read.
    const bool cancelled = main_.PollCancel();
    lock.lock();
    if (cancelled) return false;
  }
  return true;
}

void PieceRun::ReadDirectly(const Piece& piece) {
  ArchiveReader body;
  (void)body.OpenMemory(piece.bytes.get() + piece.leadIn, piece.end - piece.leadIn, piece.start);
  main_.source = &body;
  main_.fileConsumed = piece.start;
  main_.ReadTagsWithProgress();
  main_.source = &main_.archive;
}

void PieceRun::Replay(Piece& piece) {
  GmlPass& m = main_;
  OSGMLInputView& view = m.view;
  GmlPass& p = *piece.pass;
  std::int64_t spillBase = 0;
  if (m.spilling && piece.log.spill.count > 0) {
    const std::int64_t at = m.spill != nullptr ? m.spillEnd : -1;
    const auto count = static_cast<std::size_t>(piece.log.spill.count);
    if (at < 0 || std::fwrite(piece.log.spill.data, kSpillRecordBytes, count, m.spill) != count)
      m.NoteSpillFailure();
    else
      m.spillEnd += static_cast<std::int64_t>(count * kSpillRecordBytes);
    spillBase = at;
  }
  const std::int32_t nodesBase = view.roadNodes.count;
  const std::int32_t asideBase = m.outsideNodes.count;
  if (!piece.store.AppendTo(view)) m.sound = false;
  for (std::int32_t i = 0; i < piece.log.outsideNodes.count && m.sound; ++i) {
    const auto* node = static_cast<const RoadNodeRecord*>(piece.log.outsideNodes.data) + i;
    if (!GrowArraySetGrowBy(&m.outsideNodes, m.outsideNodes.count, node, 500)) m.sound = false;
  }
  for (std::int32_t i = 0; i < piece.log.toids.count && m.sound; ++i) {
    const auto* entry = static_cast<const ToidEntry*>(piece.log.toids.data) + i;
    bool ok = true;
    switch (entry->tree) {
      case ToidTree::kLines:
      case ToidTree::kLinks: {
        const std::int64_t position =
            m.spilling && entry->value >= 0 ? entry->value + spillBase : entry->value;
        BinaryTree& tree = entry->tree == ToidTree::kLines ? m.lineToids : m.linkToids;
        ok = tree.InsertPointers(entry->toid, position, 0);
        break;
      }
      case ToidTree::kNodes:
        ok = m.nodeToids.InsertPointers(entry->toid, entry->value + nodesBase, -1);
        break;
      case ToidTree::kOutsideNodes:
        ok = m.outsideNodeToids.InsertPointers(entry->toid, entry->value + asideBase, -1);
        break;
    }
    if (!ok) m.sound = false;
  }
  if (p.refusedNumbers > 0) {
    if (m.refusedNumbers == 0) m.firstRefusal = p.firstRefusal;
    m.refusedNumbers += p.refusedNumbers;
  }
  if (p.rootClosed) m.rootClosed = true;
  if (p.notUtf8Texts > 0) {
    if (m.notUtf8Texts == 0) m.firstNotUtf8 = p.firstNotUtf8;
    m.notUtf8Texts += p.notUtf8Texts;
  }
  if (piece.log.outOfMemory)
    (void)host::ui::ShowMessageBox(L"Out of memory - have to cancel, sorry.", L"");
  if (!p.sound) m.sound = false;
  const std::int64_t position = m.coordinatePosition;
  // Carried values the piece did not set are still the ones the pass had.
  if (!CopyState(p, &m, kAllCarriedGroups & ~(p.carriedSet | p.carriedTouched))) m.sound = false;
  // A position the piece did not set is still the one the pass had.
  if (!p.positionKnown)
    m.coordinatePosition = position;
  else if (m.spilling && p.coordinatePosition >= 0)
    m.coordinatePosition = p.coordinatePosition + spillBase;
}

void PieceRun::Join(Piece& piece) {
  if (plain_ >= 0) {
    // A piece no worker could read is read here; a file that could not be
    // read to its end fails the pass as a damaged gzip stream does.
    if (!piece.loaded && !LoadPlainPiece(piece)) {
      main_.sound = false;
      return;
    }
    if (piece.readFailed) {
      readFailed_ = true;
      main_.sound = false;
      return;
    }
  }
  if (piece.overlong) {
    overlong_ = true;
    return;
  }
  GmlPass* p = piece.pass.get();
  // Carried values the piece neither used nor changed before setting them
  // need not match the guess.
  const bool joinable = piece.guessUsable && p != nullptr &&
                        SameState(main_, piece.guess, kAllCarriedGroups & ~p->carriedTouched) &&
                        !p->usedUnknownPosition && StateIsClosed(*p) &&
                        (!p->tuplesCreated || p->tuples.count == 0 || main_.tuplesCreated);
  if (joinable) {
    Replay(piece);
    ++main_.view.piecesJoined;
  } else {
    ReadDirectly(piece);
    ++main_.view.piecesReread;
  }
  piece.pass.reset();
  piece.store.Empty();
  piece.log.Clear();
  const std::int64_t end = piece.start + (piece.end - piece.leadIn);
  main_.view.bytesRead += static_cast<double>(end - main_.fileConsumed);
  main_.fileConsumed = end;
  main_.ShowProgress();
}

void PieceRun::Run() {
  if (main_.archive.IsCompressed() == 0) {
    plain_ = open(main_.file->path, O_RDONLY | O_CLOEXEC);
    struct stat about {};
    if (plain_ >= 0 && (fstat(plain_, &about) != 0 || !S_ISREG(about.st_mode))) {
      // Only a regular file can be read at any place: anything else comes
      // through the ArchiveReader, cut by this thread.
      close(plain_);
      plain_ = -1;
    }
    // An empty file is one piece, read to its end.
    if (plain_ >= 0 && about.st_size > 0)
      lastPlainPiece_ = (static_cast<std::int64_t>(about.st_size) - 1) / pieceBytes_;
  }
  RunPieces();
  // A plain file that could not be read to its end fails the pass as a
  // damaged gzip stream does.
  if (readFailed_) main_.sound = false;
  if (overlong_ && main_.sound && !main_.view.cancelRequested) ReadRestInOnePass();
}

void PieceRun::ReadRestInOnePass() {
  // The stream may be ahead (a gzip file's pieces were taken from it) or
  // behind (a plain file's were read by the workers).
  if (main_.archive.Seek(main_.fileConsumed, SEEK_SET) != main_.fileConsumed) {
    main_.sound = false;
    return;
  }
  main_.source = &main_.archive;
  main_.ReadTagsWithProgress();
}

void PieceRun::RunPieces() {
  if (!MakePiece(pieces_[0], nullptr, 0)) {
    main_.sound = false;
    return;
  }
  if (pieces_[0].overlong) {
    overlong_ = true;
    return;
  }
  if (!MoreAfter(pieces_[0])) {
    // The whole file is one piece: no thread is started for it.
    if (plain_ >= 0 && !LoadPlainPiece(pieces_[0])) {
      main_.sound = false;
      return;
    }
    if (pieces_[0].readFailed)
      readFailed_ = true;
    else
      ReadDirectly(pieces_[0]);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    made_ = 1;
  }
  StartWorkers();
  std::uint64_t joined = 0;
  std::uint64_t made = 1;
  bool more = true;
  const auto ring = static_cast<std::uint64_t>(ring_);
  while (joined < made && main_.sound && !main_.view.cancelRequested) {
    // Keep the ring full.
    while (more && made - joined < ring) {
      Piece& previous = pieces_[(made - 1) % ring];
      Piece& next = pieces_[made % ring];
      if (!MakePiece(next, &previous, made)) {
        main_.sound = false;
        more = false;
        break;
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        next.done = false;
        made_ = ++made;
      }
      changed_.notify_all();
      if (!MoreAfter(next)) more = false;
    }
    if (!main_.sound) break;
    Piece& piece = pieces_[joined % ring];
    if (!WaitFor(piece)) break;
    Join(piece);
    if (overlong_) break;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      piece.done = false;
    }
    ++joined;
  }
  StopWorkers();
}

}  // namespace

void ReadFileTags(GmlPass& pass) {
  OSGMLInputView& view = pass.view;
  view.piecesJoined = 0;
  view.piecesReread = 0;
  // A process that allows no helper threads, runs whose reading depends on
  // what earlier files left, and runs that walk allocation failures are
  // read as one pass on this thread. So is a
  // gzip file in count mode: there parsing keeps up with inflating, and
  // handing the bytes on to pieces would only add a copy.
  const bool alone = !host::HelperThreadsAllowed() || view.activeFileCount > 1 ||
                     view.createSdfFiles != 0 ||
                     host::FaultArmed(host::FaultPoint::Allocation) ||
                     (pass.CountMode() && pass.archive.IsCompressed() != 0);
  if (alone) {
    pass.ReadTagsWithProgress();
    return;
  }
  // The text's length, where known: a gzip file whose trailer did not tell
  // it has only its size on disk.
  const bool lengthKnown = pass.file != nullptr && (pass.archive.IsCompressed() == 0 ||
                                                    pass.file->compressedSize >= 0);
  const std::int64_t pieceBytes =
      PieceBytes(view.readerPieceBytes, lengthKnown ? pass.file->size : 0);
  std::unique_ptr<PieceRun> run(
      new (std::nothrow) PieceRun(pass, PieceWorkers(view.readerThreads), pieceBytes));
  if (!run) {
    pass.ReadTagsWithProgress();
    return;
  }
  run->Run();
}
