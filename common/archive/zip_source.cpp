#include "common/archive/zip_source.h"

#include <ioapi.h>

#include <cstring>

#include "host/system/descriptors.h"

namespace {

ZipSource* AsSource(voidpf stream) { return static_cast<ZipSource*>(stream); }

voidpf ZCALLBACK SourceOpen(voidpf, const void* filename, int) {
  // The "file name" minizip passes on is the source itself.
  return const_cast<void*>(filename);
}

uLong ZCALLBACK SourceRead(voidpf, voidpf stream, void* buffer, uLong size) {
  ZipSource* source = AsSource(stream);
  if (source->isHandle) {
    const std::int64_t count = host::ReadDescriptor(source->fd, buffer, size);
    if (count < 0) {
      source->error = true;
      return 0;
    }
    return static_cast<uLong>(count);
  }
  uint64_t left = source->memoryLength - source->memoryPosition;
  uint64_t count = size < left ? size : left;
  if (count == 0) return 0;
  std::memcpy(buffer, source->memory + source->memoryPosition, count);
  source->memoryPosition += count;
  return static_cast<uLong>(count);
}

uLong ZCALLBACK SourceWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK SourceTell(voidpf, voidpf stream) {
  ZipSource* source = AsSource(stream);
  if (!source->isHandle) return source->memoryPosition;
  if (!source->seekable) return 0;
  const std::int64_t at = host::SeekDescriptor(source->fd, 0, host::SeekOrigin::kCurrent);
  if (at < source->startOffset) return 0;
  return static_cast<ZPOS64_T>(at - source->startOffset);
}

long ZCALLBACK SourceSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  ZipSource* source = AsSource(stream);
  if (source->isHandle) {
    if (!source->seekable) return -1;
    std::int64_t result = -1;
    switch (origin) {
      case ZLIB_FILEFUNC_SEEK_SET:
        result = host::SeekDescriptor(source->fd, source->startOffset + static_cast<std::int64_t>(offset),
                                      host::SeekOrigin::kStart);
        break;
      case ZLIB_FILEFUNC_SEEK_CUR:
        result = host::SeekDescriptor(source->fd, static_cast<std::int64_t>(offset), host::SeekOrigin::kCurrent);
        break;
      case ZLIB_FILEFUNC_SEEK_END:
        result = host::SeekDescriptor(source->fd, static_cast<std::int64_t>(offset), host::SeekOrigin::kEnd);
        break;
      default:
        return -1;
    }
    return result < 0 ? -1 : 0;
  }
  // Offsets arrive unsigned; minizip's only backward step is from the end,
  // given as a two's-complement offset.
  int64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = static_cast<int64_t>(source->memoryPosition); break;
    case ZLIB_FILEFUNC_SEEK_END: base = static_cast<int64_t>(source->memoryLength); break;
    default: return -1;
  }
  int64_t target = base + static_cast<int64_t>(offset);
  if (target < 0 || static_cast<uint64_t>(target) > source->memoryLength) return -1;
  source->memoryPosition = static_cast<uint64_t>(target);
  return 0;
}

int ZCALLBACK SourceClose(voidpf, voidpf stream) {
  CloseZipSource(*AsSource(stream));
  return 0;
}

int ZCALLBACK SourceError(voidpf, voidpf stream) { return AsSource(stream)->error ? 1 : 0; }

}  // namespace

ZipResult OpenZipSource(ZipSource& source, const void* from, uint32_t length, int kind) {
  source = ZipSource{};
  if (from == nullptr) return kZipArgs;
  int fd = -1;
  if (kind == kZipIoHandle) {
    int given = *static_cast<const int*>(from);
    const std::optional<host::DescriptorInfo> info = host::DescribeDescriptor(given);
    if (!info) return kZipArgs;
    if (!info->regular) return kZipSeek;
    fd = host::DuplicateDescriptor(given);
    if (fd < 0) return kZipDupHandle;
  } else if (kind == kZipIoFilename) {
    fd = host::OpenDescriptorForReading(static_cast<const char*>(from));
    if (fd < 0) return kZipNoFile;
  } else if (kind == kZipIoMemory) {
    source.memory = static_cast<const unsigned char*>(from);
    source.memoryLength = length;
    return kZipOk;
  } else {
    return kZipArgs;
  }
  source.isHandle = true;
  source.fd = fd;
  const std::optional<host::DescriptorInfo> info = host::DescribeDescriptor(fd);
  source.seekable = info && info->regular;
  if (source.seekable) {
    const std::int64_t at = host::SeekDescriptor(fd, 0, host::SeekOrigin::kCurrent);
    source.startOffset = at < 0 ? 0 : at;
  }
  return kZipOk;
}

void CloseZipSource(ZipSource& source) {
  if (source.isHandle) host::CloseDescriptor(source.fd);
  source.fd = -1;
}

void FillZipSourceFunctions(zlib_filefunc64_def_s& functions) {
  functions.zopen64_file = SourceOpen;
  functions.zread_file = SourceRead;
  functions.zwrite_file = SourceWrite;
  functions.ztell64_file = SourceTell;
  functions.zseek64_file = SourceSeek;
  functions.zclose_file = SourceClose;
  functions.zerror_file = SourceError;
  functions.opaque = nullptr;
}
