// Reading a file's tags on worker threads, in pieces joined in file order.
//
// The thread that owns the dialog reads the file (through its ArchiveReader,
// whose own thread inflates a gzip file) into pieces of about a megabyte that
// end just after a feature member's end tag ("</osgb:...Member>"); a member
// longer than a piece makes its piece longer. Worker threads read the tags of
// a piece into a store of its own (feature_store.h) and a log of what the
// file's pass keeps for the whole file (piece_log.h).
//
// A pass carries state from one feature to the next (a text's height and
// anchor until the next text gives them, the version, the last TOID...), so
// a worker cannot know the state its piece starts in. It guesses it by
// first reading, with nothing kept, the last members of the piece before
// (the lead-in). The pieces are then joined in file order: where the state
// the file's pass stands in equals the guess (pass_state.h), the piece's
// store is appended and its log replayed, and the pass takes the state the
// piece ended in; otherwise the owning thread reads the piece again itself,
// from the true state, straight into the dialog. Either way the records,
// their order, the counters, messages and refusals are the ones a single
// pass over the file gives.
//
// A process that allows no helper threads (host/system/helper_threads.h), a
// file that fits one piece, a run over several files (their TOIDs meet
// across files as they are read), a run that names ITN roads, a run with an
// allocation failure armed, and a gzip file in count mode are read by the
// owning thread alone.
#pragma once

#include <cstdint>

struct GmlPass;

// Piece size when the dialog sets none, and the lead-in read for the guess.
inline constexpr std::int64_t kDefaultPieceBytes = std::int64_t{1} << 20;
inline constexpr std::int64_t kLeadInBytes = std::int64_t{64} << 10;
// Worker threads at most, and at most when the dialog sets none: the owning
// thread reads the file and joins every piece, and beyond three workers it
// is that thread, not the parsing, that sets the pace (README, GML reader).
inline constexpr int kMaxPieceWorkers = 8;
inline constexpr int kDefaultPieceWorkers = 3;

// Reads the tags of the pass's open file to its end, or until a store fails
// or the run is cancelled, as the pass's own tag loop would.
void ReadFileTags(GmlPass& pass);

// The position just after the first feature member end tag whose '<' stands
// in [from, end) and whose '>' stands before `end`, and at which a reader
// going through the bytes from `begin` (which follows a tag's end) stands
// between tags; -1 when there is none.
std::int64_t FindPieceCut(const char* data, std::int64_t begin, std::int64_t from,
                          std::int64_t end);

// Worker threads for a run: `setting` when positive (at most
// kMaxPieceWorkers), else one less than the machine's hardware threads, at
// least 1 and at most kDefaultPieceWorkers.
int PieceWorkers(int setting);
