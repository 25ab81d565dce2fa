// The archive paths of ArchiveReader: a zip archive, a tar archive inside
// gzip, or any other file as one entry, each handed out whole in memory.

#include "common/archive/archive_paths.h"
#include "common/archive/archive_reader.h"
#include "common/archive/zip_layer.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr char kNotOpened[] = "Archive not opened";
constexpr char kAlreadyOpened[] = "Archive already opened !";
constexpr char kUnknownType[] = "Could not determine archive type !";
constexpr char kGzipUnreadable[] = "Could not read data from gzip archive !";
constexpr char kNoFiles[] = "Could not get files from the archive !";
constexpr char kNoFileAt[] = "Could not get file at the specified position from the archive !";
constexpr char kNoUnzip[] = "Could not unzip file at the specified position from the archive !";
constexpr char kBadPosition[] = "Invalid file position !";
constexpr char kNameLeaves[] = "File name leaves its folder !";

// The 512-byte header of the POSIX tar format; only these fields are used.
constexpr std::size_t kTarBlock = 512;
constexpr std::size_t kTarName = 0, kTarNameWidth = 100;
constexpr std::size_t kTarSize = 124, kTarSizeWidth = 12;
constexpr std::size_t kTarChecksum = 148, kTarChecksumWidth = 8;
constexpr std::size_t kTarType = 156;

struct TarEntry {
  std::size_t data = 0;  // offset of the entry's data in the content
  uint64_t size = 0;
  std::size_t next = 0;  // offset of the next header
};

// True when a valid header lies at `offset` and the data it announces lies
// within the content; a cut-off archive ends at its last whole entry.
bool TarHeaderAt(const char* content, std::size_t length, std::size_t offset, TarEntry& entry) {
  if (offset > length || length - offset < kTarBlock) return false;
  const char* header = content + offset;
  uint64_t sum = 0;
  for (std::size_t i = 0; i < kTarBlock; ++i) {
    const bool inChecksum = i >= kTarChecksum && i < kTarChecksum + kTarChecksumWidth;
    sum += inChecksum ? ' ' : static_cast<unsigned char>(header[i]);
  }
  if (sum != ParseOctalField(header + kTarChecksum, kTarChecksumWidth)) return false;
  const uint64_t size = ParseOctalField(header + kTarSize, kTarSizeWidth);
  const std::size_t room = length - offset - kTarBlock;
  if (size > room) return false;
  entry.data = offset + kTarBlock;
  entry.size = size;
  const uint64_t padded = (size + kTarBlock - 1) / kTarBlock * kTarBlock;
  entry.next = padded > room ? length : entry.data + static_cast<std::size_t>(padded);
  return true;
}

}  // namespace

uint64_t ParseOctalField(const char* field, int width) {
  int at = 0;
  while (at < width && std::isspace(static_cast<unsigned char>(field[at]))) ++at;
  uint64_t value = 0;
  for (; at < width; ++at) {
    const char c = field[at];
    if (c < '0' || c > '7') break;
    if (value > (UINT64_MAX >> 3)) break;  // no wider field exists
    value = value * 8 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

bool ArchiveReader::LoadWholeContent() {
  if (content_) return true;
  contentLength_ = 0;
  if (!gzip_.ReadBuffer(content_, contentLength_) || contentLength_ == 0) {
    content_.reset();
    contentLength_ = 0;
    if (gzip_.HasReadError()) readError_ = true;
    return false;
  }
  return true;
}

int ArchiveReader::Open(const char* path) {
  if (path == nullptr) {
    lastError_ = kUnknownType;
    return 0;
  }
  if (kind_ != kNone || gzip_.IsOpen() || zip_ != nullptr) {
    lastError_ = kAlreadyOpened;
    return 0;
  }
  readError_ = false;
  if (ZipHandle* zip = OpenZip(path, 0, kZipIoFilename)) {
    zip_ = zip;
    kind_ = kZip;
    return 1;
  }
  if (!gzip_.Open(path, zlib::CZipper::kModeRead)) {
    lastError_ = kUnknownType;
    return 0;
  }
  if (!LoadWholeContent()) {
    ReleaseStream();
    lastError_ = kGzipUnreadable;
    return 0;
  }
  TarEntry first;
  kind_ = TarHeaderAt(content_.get(), contentLength_, 0, first) ? kTarGz : kGzip;
  return 1;
}

int32_t ArchiveReader::GetEntryCount() {
  switch (kind_) {
    case kZip: {
      ZipEntry entry;
      if (GetZipItem(zip_, -1, &entry) != kZipOk) {
        lastError_ = kNoFiles;
        return -1;
      }
      return entry.index;
    }
    case kGzip:
      return 1;
    case kTarGz: {
      if (!LoadWholeContent()) {
        lastError_ = kGzipUnreadable;
        return -1;
      }
      int32_t count = 0;
      TarEntry entry;
      for (std::size_t at = 0; TarHeaderAt(content_.get(), contentLength_, at, entry);
           at = entry.next) {
        ++count;
      }
      return count;
    }
    case kNone:
    default:
      lastError_ = kNotOpened;
      return -1;
  }
}

int ArchiveReader::ReadEntry(int32_t index, const char*& data, int32_t& size,
                             int32_t& isRegular, std::string& name) {
  switch (kind_) {
    case kZip:
      return ReadZipEntry(index, data, size, isRegular, name);
    case kGzip:
      if (!LoadWholeContent() || contentLength_ > static_cast<std::size_t>(INT32_MAX)) {
        lastError_ = kGzipUnreadable;
        return 0;
      }
      data = content_.get();
      size = static_cast<int32_t>(contentLength_);
      isRegular = 1;
      name = "unknown";
      return 1;
    case kTarGz:
      return ReadTarEntry(index, data, size, isRegular, name);
    case kNone:
    default:
      lastError_ = kNotOpened;
      return 0;
  }
}

int ArchiveReader::ReadZipEntry(int32_t index, const char*& data, int32_t& size,
                                int32_t& isRegular, std::string& name) {
  ZipEntry entry;
  if (index < 0 || GetZipItem(zip_, index, &entry) != kZipOk) {
    lastError_ = kNoFileAt;
    return 0;
  }
  if (!ArchiveNameStaysInside(entry.name)) {
    lastError_ = kNameLeaves;
    return 0;
  }
  content_.reset();
  contentLength_ = 0;
  const int32_t length = entry.uncompressedSize;
  if (length >= 0) content_.reset(new (std::nothrow) char[static_cast<std::size_t>(length) + 10]);
  if (!content_) {
    lastError_ = kNoUnzip;
    return 0;
  }
  ZipResult result = UnzipItem(zip_, index, content_.get(), static_cast<uint32_t>(length),
                               kZipIoMemory);
  // All that the entry announces has been read; one more read must find its
  // end and pass the entry's check.
  if (result == kZipMore) {
    result = UnzipItem(zip_, index, content_.get() + length, 10, kZipIoMemory);
    if (result == kZipMore) {
      GetZipItem(zip_, -1, &entry);  // closes the entry open for reading
      result = kZipFlate;
    }
  }
  if (result != kZipOk) {
    content_.reset();
    lastError_ = kNoUnzip;
    return 0;
  }
  content_[length] = '\0';
  contentLength_ = static_cast<std::size_t>(length);
  data = content_.get();
  size = length;
  isRegular = (entry.attributes & kZipAttrNormal) != 0 &&
                      (entry.attributes & kZipAttrDirectory) == 0
                  ? 1
                  : 0;
  name = entry.name;
  return 1;
}

int ArchiveReader::ReadTarEntry(int32_t index, const char*& data, int32_t& size,
                                int32_t& isRegular, std::string& name) {
  if (!LoadWholeContent()) {
    lastError_ = kGzipUnreadable;
    return 0;
  }
  if (index < 0) {
    lastError_ = kBadPosition;
    return 0;
  }
  std::size_t at = 0;
  TarEntry entry;
  for (int32_t i = 0; i < index; ++i) {
    if (!TarHeaderAt(content_.get(), contentLength_, at, entry)) {
      lastError_ = kBadPosition;
      return 0;
    }
    at = entry.next;
  }
  if (!TarHeaderAt(content_.get(), contentLength_, at, entry)) return 0;
  if (entry.size > static_cast<uint64_t>(INT32_MAX)) return 0;
  const char* header = content_.get() + at;
  const std::string entryName(header + kTarName, strnlen(header + kTarName, kTarNameWidth));
  if (!ArchiveNameStaysInside(entryName)) {
    lastError_ = kNameLeaves;
    return 0;
  }
  data = content_.get() + entry.data;
  size = static_cast<int32_t>(entry.size);
  isRegular = header[kTarType] == '0' || header[kTarType] == '\0' ? 1 : 0;
  name = entryName;
  return 1;
}
