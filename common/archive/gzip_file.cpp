#include "common/archive/gzip_file.h"

#include <zlib.h>

#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "host/system/descriptors.h"

namespace zlib {

// Positions cross zlib as z_off_t; files of several GiB need it 64-bit.
static_assert(sizeof(z_off_t) >= sizeof(int64_t), "zlib offsets must be 64-bit");

namespace {

// zlib counts in int; bigger requests go in pieces of this size.
constexpr std::size_t kLargestPiece = std::size_t{1} << 30;

}  // namespace

bool CZipper::SetMode(int mode) {
  mode_ = mode;
  return true;
}

CGZip::~CGZip() {
  if (IsOpen()) Close();
}

bool CGZip::Close() {
  if (file_ == nullptr) return false;
  int result = gzclose(file_);
  file_ = nullptr;
  return result == Z_OK;
}

bool CGZip::Open(const char* path, int mode) {
  if (IsOpen() || path == nullptr) return false;
  gzFile handle = nullptr;
  if (mode == kModeWrite) {
    handle = gzopen(path, "wb");
    file_ = handle;
    if (handle != nullptr) {
      mode_ = kModeWrite;
      SetParams();
    }
  } else if (mode == kModeRead) {
    const int fd = host::OpenDescriptorForReading(path);
    if (fd < 0) return false;
    const std::optional<host::DescriptorInfo> info = host::DescribeDescriptor(fd);
    if (!info || info->directory) {
      host::CloseDescriptor(fd);
      return false;
    }
    chunkSize_ = static_cast<std::size_t>(info->size);
    // zlib takes over the descriptor and closes it with the file.
    handle = gzdopen(fd, "rb");
    if (handle == nullptr) host::CloseDescriptor(fd);
    file_ = handle;
  }
  mode_ = handle != nullptr ? mode : kModeClosed;
  return handle != nullptr;
}

bool CGZip::IsGzip() const {
  return IsOpen() && gzdirect(file_) == 0;
}

bool CGZip::IsEof() const {
  return !IsOpen() || gzeof(file_) == 1;
}

int64_t CGZip::Seek(int64_t offset, int whence) {
  if (!IsOpen()) return -1;
  return gzseek(file_, static_cast<z_off_t>(offset), whence);
}

int64_t CGZip::Tell() const {
  if (!IsOpen()) return -1;
  return gztell(file_);
}

bool CGZip::Flush(int flushMode) {
  return IsOpen() && mode_ == kModeWrite && gzflush(file_, flushMode) == Z_OK;
}

bool CGZip::HasReadError() const {
  if (!IsOpen()) return false;
  int code = Z_OK;
  gzerror(file_, &code);
  return code != Z_OK;
}

std::string CGZip::ReadErrorText() const {
  if (!IsOpen()) return {};
  int code = Z_OK;
  const char* text = gzerror(file_, &code);
  if (code == Z_OK || text == nullptr) return {};
  // zlib puts the name it was opened by first ("<fd:3>: "), which names
  // nothing the user knows: the caller names the file.
  std::string reason(text);
  if (!reason.empty() && reason[0] == '<') {
    const std::size_t colon = reason.find(">: ");
    if (colon != std::string::npos) reason.erase(0, colon + 3);
  }
  return reason;
}

bool CGZip::WriteBuffer(const void* data, std::size_t length) {
  if (!IsOpen() || mode_ != kModeWrite) return false;
  const char* bytes = static_cast<const char*>(data);
  while (length > 0) {
    std::size_t piece = length < kLargestPiece ? length : kLargestPiece;
    int written = gzwrite(file_, bytes, static_cast<unsigned>(piece));
    if (written <= 0 || static_cast<std::size_t>(written) != piece) return false;
    bytes += piece;
    length -= piece;
  }
  return true;
}

bool CGZip::WriteString(const char* text) {
  if (text == nullptr) return false;
  return WriteBuffer(text, std::strlen(text));
}

int CGZip::ReadBufferSize(void* data, std::size_t length) {
  if (!IsOpen() || mode_ != kModeRead) return 0;
  if (length > static_cast<std::size_t>(INT_MAX)) length = INT_MAX;
  return gzread(file_, data, static_cast<unsigned>(length));
}

int CGZip::SetParams() {
  if (!IsOpen() || mode_ != kModeWrite) return Z_STREAM_ERROR;
  return gzsetparams(file_, level_, strategy_);
}

bool CGZip::ReadBuffer(std::unique_ptr<char[]>& data, std::size_t& length) {
  return ReadWhole(data, length, false);
}

bool CGZip::ReadBufferString(std::unique_ptr<char[]>& data) {
  std::size_t length = 0;
  return ReadWhole(data, length, true);
}

bool CGZip::ReadWhole(std::unique_ptr<char[]>& data, std::size_t& length, bool terminate) {
  length = 0;
  if (!IsOpen() || mode_ != kModeRead || chunkSize_ == 0) return false;
  const std::size_t chunkSize = chunkSize_ < kLargestPiece ? chunkSize_ : kLargestPiece;
  struct Chunk {
    std::unique_ptr<char[]> bytes;
    std::size_t count;
  };
  std::vector<Chunk> chunks;
  std::size_t total = 0;
  for (;;) {
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[chunkSize]);
    if (!bytes) return false;
    int count = ReadBufferSize(bytes.get(), chunkSize);
    if (count < 0) return false;
    if (count == 0) break;
    total += static_cast<std::size_t>(count);
    chunks.push_back({std::move(bytes), static_cast<std::size_t>(count)});
  }
  // A gzip stream cut short or failing its check ends with a count of 0
  // and an error noted by zlib: that is no whole file.
  if (HasReadError() || total == 0) return false;
  std::unique_ptr<char[]> whole(new (std::nothrow) char[total + (terminate ? 1 : 0)]);
  if (!whole) return false;
  std::size_t at = 0;
  for (const Chunk& chunk : chunks) {
    std::memcpy(whole.get() + at, chunk.bytes.get(), chunk.count);
    at += chunk.count;
  }
  if (terminate) whole[total] = '\0';
  data = std::move(whole);
  length = total;
  return true;
}

}  // namespace zlib
