// A gzip file over zlib's gz functions.
//
// `zlib::CZipper` is the abstract compressed file: a mode (0 not open,
// 1 write, 2 read), a compression level and a strategy. `zlib::CGZip` is its
// gzip form. Opened for reading, zlib passes a file that does not begin with
// the gzip magic bytes through unchanged, so plain and compressed files are
// read alike; `IsGzip` tells them apart.
//
// Nothing throws; failures come back as false, 0 or -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct gzFile_s;

namespace zlib {

class CZipper {
 public:
  static constexpr int32_t kModeClosed = 0;
  static constexpr int32_t kModeWrite = 1;
  static constexpr int32_t kModeRead = 2;

  CZipper() = default;
  virtual ~CZipper() = default;
  CZipper(const CZipper&) = delete;
  CZipper& operator=(const CZipper&) = delete;

  // Stores the mode; always true.
  virtual bool SetMode(int mode);

  virtual bool Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual bool WriteBuffer(const void* data, std::size_t length) = 0;
  virtual bool WriteString(const char* text) = 0;
  // Reads at most `length` bytes: the count, 0 at the end, -1 on an error.
  virtual int ReadBufferSize(void* data, std::size_t length) = 0;
  // Reads all that remains into one new buffer owned by the caller.
  virtual bool ReadBuffer(std::unique_ptr<char[]>& data, std::size_t& length) = 0;
  virtual int SetParams() = 0;

  int32_t Mode() const { return mode_; }

 protected:
  int32_t mode_ = kModeClosed;
  int32_t level_ = -1;    // zlib's default compression
  int32_t strategy_ = 0;  // zlib's default strategy
};

class CGZip final : public CZipper {
 public:
  CGZip() = default;
  ~CGZip() override;

  // Closes an open file; false when none is open or zlib reports a failure.
  // The mode is left as it was.
  bool Close() override;
  bool IsOpen() const override { return file_ != nullptr; }
  // Write mode only: true when every byte was written.
  bool WriteBuffer(const void* data, std::size_t length) override;
  bool WriteString(const char* text) override;
  // Read mode only (0 otherwise).
  int ReadBufferSize(void* data, std::size_t length) override;
  // Read mode only. Reads in pieces as long as the file was on disk. False
  // when nothing was read, on a read error, and for a gzip stream that ends
  // early or fails its check: the caller never gets a partial file as whole.
  bool ReadBuffer(std::unique_ptr<char[]>& data, std::size_t& length) override;
  int SetParams() override;

  // Mode 1 creates (or truncates) a gzip file; mode 2 opens an existing
  // regular file for reading. False when a file is already open, for any
  // other mode, and when the file cannot be opened.
  bool Open(const char* path, int mode);
  // Open, and the file really is gzip (not passed through as plain bytes).
  bool IsGzip() const;
  bool IsEof() const;
  // Uncompressed positions; -1 when not open or zlib refuses.
  int64_t Seek(int64_t offset, int whence);
  int64_t Tell() const;
  bool Flush(int flushMode);
  // As ReadBuffer, with a NUL after the data and no length.
  bool ReadBufferString(std::unique_ptr<char[]>& data);

  // True when zlib has seen a read error, a corrupt stream or a gzip stream
  // that ends before its trailer. Clean ends and plain files give false.
  bool HasReadError() const;
  // zlib's own words for the error `HasReadError` reports ("incorrect data
  // check", "unexpected end of file"...); empty when there is none.
  std::string ReadErrorText() const;

  // Length of the file on disk when it was opened for reading.
  std::size_t ChunkSize() const { return chunkSize_; }

 private:
  bool ReadWhole(std::unique_ptr<char[]>& data, std::size_t& length, bool terminate);

  gzFile_s* file_ = nullptr;
  std::size_t chunkSize_ = 0;
};

}  // namespace zlib
