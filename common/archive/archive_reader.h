// The byte stream through which every GML file is read, and the archive
// paths beside it.
//
// Streaming: `OpenGz` opens a gzip file, or a plain file (zlib passes it
// through unchanged), and `GetChar` hands out its uncompressed bytes one by
// one from a buffer. Once the first buffer is full, zlib fills the next ones
// on a thread of its own (read_ahead.h) while the caller works through the
// one it has. `Tell` and `Seek` work in uncompressed byte positions,
// 64-bit, so a caller can note a place and read again from there. For a gzip
// file the uncompressed size comes from the gzip trailer (modulo 2^32, as the
// trailer holds it).
//
// Archives: `Open` opens a zip archive, a tar archive inside gzip, or any
// other file as one entry, and `ReadEntry` hands out an entry whole in memory.
//
// Failures come back as 0 (or -1) with a text from `GetLastError`. A stream
// that ends in a read error or a damaged gzip stream ends like a clean one
// (`GetChar` gives 0) and then answers true to `HasReadError`; no byte that
// was not read is ever handed out.
#pragma once

#include "common/archive/gzip_file.h"
#include "common/archive/read_ahead.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct ZipHandle;

class ArchiveReader {
 public:
  // Bytes decompressed per read, and the size of the stream buffer.
  static constexpr int32_t kStreamBufferSize = 16384;

  enum Kind : int32_t { kNone = 0, kZip = 1, kGzip = 2, kTarGz = 3 };

  ArchiveReader() = default;
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Opens `path` for streaming: 1, or 0 with "Could not open GZ archive!"
  // (missing or unreadable file, a folder, a reader already open, a gzip
  // stream that fails at its first read).
  int OpenGz(const char* path);
  // Streams `size` bytes held by the caller (who keeps them alive while the
  // reader uses them) as if they stood at uncompressed position `start` of a
  // file: `Tell` counts from there, and the data ends after them. Nothing
  // else may be open. `Seek` is refused; `Close` forgets the bytes.
  int OpenMemory(const char* data, int64_t size, int64_t start);
  // 1 when the open file is a real gzip stream, 0 for a plain file or when
  // nothing is open.
  int IsCompressed() const { return gzip_.IsOpen() && compressed_ ? 1 : 0; }
  // -1.0 until a gzip file was opened; then the trailer's length, or 0.0
  // when the trailer could not be read or cannot be right for the file's
  // size on disk (the last bytes of a cut or damaged file are no trailer).
  double GetUncompressedSize() const { return uncompressedSize_; }

  // 1 and the next byte in `*out`; 0 at the end of the data or when nothing
  // is open (nothing stored).
  int GetChar(char* out) {
    if (position_ < fill_) {
      const char byte = data_[position_];
      // The buffer is refilled as soon as its last byte is handed out.
      if (++position_ == fill_) FillBuffer(kStreamBufferSize);
      *out = byte;
      return 1;
    }
    AtEndOfBuffer();
    return 0;
  }

  // Block access for scanners: the bytes already in the buffer, from the one
  // GetChar would deliver next; `*available` of them, 0 when the buffer is
  // empty (then GetChar tells whether the data goes on).
  const char* Buffered(int32_t* available) const {
    const int64_t left = position_ < fill_ ? fill_ - position_ : 0;
    *available = left < INT32_MAX ? static_cast<int32_t>(left) : INT32_MAX;
    return data_ + position_;
  }
  // Takes `n` of the buffered bytes (1 to available) as n calls of GetChar
  // would.
  void Consume(int32_t n) {
    position_ += n;
    if (position_ == fill_) FillBuffer(kStreamBufferSize);
  }

  // Uncompressed position of the next byte `GetChar` delivers; -1 when
  // nothing is open.
  int64_t Tell() const;
  // Moves to an uncompressed position (whence SEEK_SET or SEEK_CUR, the
  // latter counted from `Tell`). Returns the new position, or -1 with the
  // stream left where it was.
  int64_t Seek(int64_t offset, int whence);

  // Closes the gzip file and frees the buffers.
  void CloseStream();
  // Closes everything that is open (zip archive and gzip file).
  void Close();
  std::string GetLastError() const { return lastError_; }
  // True after the stream ended in a read error or a damaged gzip stream,
  // also when `OpenGz` failed for one at its first read.
  bool HasReadError() const { return readError_; }
  // zlib's reason for that error ("incorrect data check", "unexpected end
  // of file"...); empty when there was none.
  const std::string& ReadErrorText() const { return readErrorText_; }

  // Archive paths. `Open`: 1 opened (kind zip, gzip or tar), 0 failed.
  int Open(const char* path);
  // Number of entries, -1 on failure.
  int32_t GetEntryCount();
  // 1 and the entry: its data (owned by the reader, valid until the next
  // entry is read or the reader closed), size, 1 for a regular file, and
  // name. 0 on failure, and for an entry whose name leaves its folder.
  int ReadEntry(int32_t index, const char*& data, int32_t& size, int32_t& isRegular,
                std::string& name);

  Kind ArchiveKind() const { return kind_; }

 private:
  int32_t FillBuffer(std::size_t maximum);
  // Reads into `buffer_` on this thread; zlib must not be reading ahead.
  int32_t ReadDirect(std::size_t maximum);
  void AtEndOfBuffer();
  void NoteReadError();
  bool LoadWholeContent();
  void ReleaseStream();
  int ReadZipEntry(int32_t index, const char*& data, int32_t& size, int32_t& isRegular,
                   std::string& name);
  int ReadTarEntry(int32_t index, const char*& data, int32_t& size, int32_t& isRegular,
                   std::string& name);

  std::unique_ptr<char[]> buffer_;  // the buffer read on this thread
  const char* data_ = nullptr;      // the bytes handed out: buffer_ or a piece read ahead
  int64_t fill_ = 0;
  int64_t position_ = 0;
  bool memory_ = false;  // data_ is the caller's (OpenMemory)
  int64_t bufferStart_ = -1;  // uncompressed position of data_[0]; -1 when unknown
  // Set while the buffers come from the thread reading ahead.
  std::unique_ptr<ReadAhead> ahead_;
  bool aheadActive_ = false;
  bool compressed_ = false;
  double uncompressedSize_ = -1.0;
  zlib::CGZip gzip_;
  ZipHandle* zip_ = nullptr;
  std::unique_ptr<char[]> content_;
  std::size_t contentLength_ = 0;
  std::string lastError_;
  Kind kind_ = kNone;
  bool readError_ = false;
  std::string readErrorText_;
};

// True when `size`, read from a gzip trailer, can be the text length
// (modulo 2^32) of a gzip file of `onDisk` bytes.
bool TrailerSizeFits(double size, double onDisk);

// Value of an octal text field of `width` bytes (tar headers): leading
// white space skipped, digits read up to the first that is not octal.
uint64_t ParseOctalField(const char* field, int width);
