// Reading a file's tags on worker threads, in pieces joined in file order.
//
// A gzip file is read by the thread that owns the dialog (through its
// ArchiveReader, whose own thread inflates it) into pieces of about a
// megabyte that end just after a feature member's end tag
// ("</osgb:...Member>"); a member longer than a piece makes its piece longer.
// A plain file is cut where its bytes alone say, so that the workers read
// their pieces from the file themselves: piece k runs from the first member
// end at or after byte k x the piece size to the first at or after byte
// (k + 1) x the piece size (a piece inside one long member is empty), the
// last to the end of the file. Worker threads read the tags of a piece into
// a store of its own (feature_store.h) and a log of what the file's pass
// keeps for the whole file (piece_log.h).
//
// A pass carries state from one feature to the next (a text's height and
// anchor until the next text gives them, the version, the last TOID...), so
// a worker cannot know the state its piece starts in. It guesses it by
// first reading, with nothing kept, the last members of the piece before
// (the lead-in). The pieces are then joined in file order: where the state
// the file's pass stands in equals the guess (pass_state.h), the piece's
// store is appended and its log replayed, and the pass takes the state the
// piece ended in; values that stay until a feature sets them again (a text's
// height) count only where the piece used them before setting them, and
// keep the pass's own where the piece did not set them. Otherwise the
// owning thread reads the piece again itself,
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

// Piece sizes when the dialog sets none (PieceBytes), and the lead-in read
// for the guess: the members that end in the last kShortLeadInBytes before
// the piece, or in the last kLeadInBytes where none ends that close (long
// members).
inline constexpr std::int64_t kDefaultPieceBytes = std::int64_t{1} << 20;
inline constexpr std::int64_t kSmallestDefaultPieceBytes = std::int64_t{256} << 10;
inline constexpr std::int64_t kShortLeadInBytes = std::int64_t{16} << 10;
inline constexpr std::int64_t kLeadInBytes = std::int64_t{64} << 10;
// A member that runs on this far past the size of its piece is not held in
// memory: the pieces before it are joined, and from there on the file is
// read in one pass on the owning thread, straight from its stream, where
// the tag loop's own limits bound what one feature holds. The records are
// the same either way.
inline constexpr std::int64_t kLongestHeldMember = std::int64_t{8} << 20;
// Worker threads at most, and at most when the dialog sets none: four or
// five went no faster than three, what is left being mostly the system's
// supply of fresh memory (tools/bench_reader.sh).
inline constexpr int kMaxPieceWorkers = 8;
inline constexpr int kDefaultPieceWorkers = 3;

// Reads the tags of the pass's open file to its end, or until a store fails
// or the run is cancelled, as the pass's own tag loop would.
void ReadFileTags(GmlPass& pass);

// How far back from a member end tag's '<' a plain file's cut looks for the
// angle bracket before it; the lead-in is longer, so that every cut a worker
// looks for has these bytes before it.
inline constexpr std::int64_t kCutLookBack = std::int64_t{4} << 10;
static_assert(kLeadInBytes > kCutLookBack);

// The position just after the first feature member end tag whose '<' stands
// in [from, end) and whose '>' stands before `end`, and at which a reader
// going through the bytes from `begin` stands between tags: the nearest
// angle bracket before the '<' is a '>'. With `lookBack` set, that bracket is
// looked for only that far back, and the tag is not taken when none is there.
// Reaching `begin` without a bracket counts as between tags when
// `beginBetweenTags` (`begin` follows a tag's end or starts the file).
// -1 when there is none.
std::int64_t FindPieceCut(const char* data, std::int64_t begin, std::int64_t from,
                          std::int64_t end, std::int64_t lookBack = -1,
                          bool beginBetweenTags = true);

// Piece size for a run: `setting` when positive, else a 64th of the file's
// text (`textBytes`), at least kSmallestDefaultPieceBytes and at most
// kDefaultPieceBytes: a smaller file then still gives every worker pieces,
// with less of it held in pieces at once.
std::int64_t PieceBytes(std::int64_t setting, double textBytes);

// Worker threads for a run: `setting` when positive (at most
// kMaxPieceWorkers), else one less than the machine's hardware threads, at
// least 1 and at most kDefaultPieceWorkers.
int PieceWorkers(int setting);
