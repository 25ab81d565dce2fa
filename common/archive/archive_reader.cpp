#include "common/archive/archive_reader.h"

#include "common/archive/zip_layer.h"

#include <cstdio>
#include <new>

namespace {

constexpr char kOpenFailed[] = "Could not open GZ archive!";
constexpr char kReadFailed[] = "Could not read GZ archive!";

// The gzip trailer ends with the uncompressed length modulo 2^32,
// little-endian. True and the length when the file's last 4 bytes could be
// read: 0.0 for a length no stream of the file's size on disk can have.
bool ReadTrailerSize(std::FILE* file, double& size) {
  unsigned char trailer[4];
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const off_t onDisk = ftello(file);
  if (onDisk < 0 || fseeko(file, -4, SEEK_END) != 0) return false;
  if (std::fread(trailer, 1, sizeof trailer, file) != sizeof trailer) return false;
  const double value =
      trailer[0] + 256.0 * trailer[1] + 65536.0 * trailer[2] + 16777216.0 * trailer[3];
  size = TrailerSizeFits(value, static_cast<double>(onDisk)) ? value : 0.0;
  return true;
}

}  // namespace

bool TrailerSizeFits(double size, double onDisk) {
  // Deflate packs at most 1032 bytes into one (a 258-byte match in two
  // bits); a little more allows for the header's own fields.
  const double most = onDisk * 1032.0 + 1024.0;
  // Past 2^32 the trailer has wrapped: any value may be right.
  if (most >= 4294967296.0) return true;
  // Stored blocks and flushes cost a few bytes each; no writer spends more
  // than seven bytes of framing on every byte of text.
  const double least = (onDisk - 1024.0) / 8.0;
  return size <= most && size >= least;
}

ArchiveReader::~ArchiveReader() { Close(); }

int ArchiveReader::OpenGz(const char* path) {
  // A reader that is still open keeps its stream untouched.
  if (path == nullptr || gzip_.IsOpen() || kind_ != kNone) {
    lastError_ = kOpenFailed;
    return 0;
  }
  fill_ = 0;
  position_ = 0;
  readError_ = false;
  readErrorText_.clear();
  uncompressedSize_ = -1.0;
  if (!gzip_.Open(path, zlib::CZipper::kModeRead)) {
    lastError_ = kOpenFailed;
    return 0;
  }
  buffer_.reset(new (std::nothrow) char[kStreamBufferSize]);
  if (!buffer_) {
    ReleaseStream();
    lastError_ = kOpenFailed;
    return 0;
  }
  kind_ = kGzip;
  compressed_ = gzip_.IsGzip();
  FillBuffer(kStreamBufferSize);
  // A gzip file whose very first read fails (a damaged header, a stream cut
  // off before its first block) is no stream to read.
  if (readError_) {
    ReleaseStream();
    lastError_ = kOpenFailed;
    return 0;
  }
  if (IsCompressed() == 0) return 1;

  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    uncompressedSize_ = 0.0;
    return 1;
  }
  double size = 0.0;
  if (ReadTrailerSize(file, size)) uncompressedSize_ = size;
  std::fclose(file);
  return 1;
}

int ArchiveReader::OpenMemory(const char* data, int64_t size, int64_t start) {
  if (data == nullptr || size < 0 || start < 0 || gzip_.IsOpen() || kind_ != kNone || memory_) {
    lastError_ = kOpenFailed;
    return 0;
  }
  memory_ = true;
  data_ = data;
  fill_ = size;
  position_ = 0;
  bufferStart_ = start;
  readError_ = false;
  return 1;
}

int32_t ArchiveReader::FillBuffer(std::size_t maximum) {
  if (memory_) {
    // The caller's bytes are all there is: the position stays at their end.
    bufferStart_ += fill_;
    data_ += fill_;
    fill_ = 0;
    position_ = 0;
    return 0;
  }
  fill_ = 0;
  position_ = 0;
  if (!gzip_.IsOpen() || !buffer_) return 0;
  if (!aheadActive_) return ReadDirect(maximum);
  const ReadAhead::Piece piece = ahead_->Next();
  data_ = piece.data != nullptr ? piece.data : buffer_.get();
  fill_ = piece.count;
  bufferStart_ = piece.start;
  // At the end zlib is this thread's again: every later call reads directly.
  if (piece.last) {
    ahead_->Pause();
    aheadActive_ = false;
  }
  if (piece.failed) NoteReadError();
  return piece.count;
}

int32_t ArchiveReader::ReadDirect(std::size_t maximum) {
  if (maximum > static_cast<std::size_t>(kStreamBufferSize)) maximum = kStreamBufferSize;
  data_ = buffer_.get();
  fill_ = 0;
  position_ = 0;
  int count = gzip_.ReadBufferSize(buffer_.get(), maximum);
  // zlib ends a damaged or cut-off gzip stream with a count of 0 (or -1)
  // and notes the error; either way no byte of that read is handed out.
  if (count < 0 || (count == 0 && gzip_.HasReadError())) {
    NoteReadError();
    count = 0;
  }
  fill_ = count;
  const int64_t after = gzip_.Tell();
  bufferStart_ = after < 0 ? -1 : after - count;
  // A full buffer may have more behind it: read on ahead on another thread.
  // A short one ends the data (zlib reads short only at the end).
  if (count == kStreamBufferSize && !readError_) {
    if (!ahead_) ahead_ = std::make_unique<ReadAhead>(gzip_, kStreamBufferSize);
    if (ahead_->Ready()) {
      ahead_->Start();
      aheadActive_ = true;
    }
  }
  return count;
}

void ArchiveReader::NoteReadError() {
  readError_ = true;
  lastError_ = kReadFailed;
  readErrorText_ = gzip_.ReadErrorText();
  if (readErrorText_.empty()) readErrorText_ = "read error";
}

void ArchiveReader::AtEndOfBuffer() {
  // At the end every call tries one more read; a file that grew meanwhile
  // is read on from the next call.
  if ((gzip_.IsOpen() || memory_) && position_ == fill_) FillBuffer(kStreamBufferSize);
}

int64_t ArchiveReader::Tell() const {
  if ((!gzip_.IsOpen() && !memory_) || bufferStart_ < 0) return -1;
  return bufferStart_ + position_;
}

int64_t ArchiveReader::Seek(int64_t offset, int whence) {
  if (!gzip_.IsOpen()) return -1;
  int64_t here = Tell();
  if (here < 0) return -1;
  if (whence == SEEK_CUR) {
    // Counted from the reader's position, not from zlib's, which is ahead
    // by the bytes still in the buffer.
    if ((offset > 0 && here > INT64_MAX - offset) || here + offset < 0) return -1;
    offset += here;
    whence = SEEK_SET;
  }
  if (whence == SEEK_SET) {
    if (offset < 0) return -1;
    // A place among the bytes in the buffer needs no read at all; backward
    // seeks in a gzip stream would otherwise decompress from the start.
    int64_t bufferStart = here - position_;
    if (offset >= bufferStart && offset < bufferStart + fill_) {
      position_ = offset - bufferStart;
      return offset;
    }
  }
  // zlib knows no other origin (SEEK_END is refused for reading).
  if (whence != SEEK_SET) return -1;
  // zlib is ahead of the reader: the thread reading ahead stops while it
  // moves, and the pieces it read are kept in case zlib refuses.
  if (aheadActive_) ahead_->Pause();
  int64_t result = gzip_.Seek(offset, whence);
  if (result < 0) {
    // zlib refused and left its stream as it was: read on as before.
    if (aheadActive_) ahead_->Resume();
    return -1;
  }
  aheadActive_ = false;
  ReadDirect(kStreamBufferSize);
  return result;
}

void ArchiveReader::ReleaseStream() {
  // The thread reading ahead uses zlib until it is stopped.
  ahead_.reset();
  aheadActive_ = false;
  memory_ = false;
  gzip_.Close();
  buffer_.reset();
  content_.reset();
  contentLength_ = 0;
  data_ = nullptr;
  fill_ = 0;
  position_ = 0;
  bufferStart_ = -1;
  compressed_ = false;
  if (kind_ == kGzip || kind_ == kTarGz) kind_ = kNone;
}

void ArchiveReader::CloseStream() {
  ReleaseStream();
  lastError_.clear();
}

void ArchiveReader::Close() {
  if (zip_ != nullptr) {
    CloseZip(zip_);
    zip_ = nullptr;
  }
  ReleaseStream();
  kind_ = kNone;
  lastError_.clear();
}
