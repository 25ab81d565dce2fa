#include "common/archive/zip_source.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ioapi.h>

#include <cstring>

namespace {

ZipSource* AsSource(voidpf stream) { return static_cast<ZipSource*>(stream); }

voidpf ZCALLBACK SourceOpen(voidpf, const void* filename, int) {
  // The "file name" minizip passes on is the source itself.
  return const_cast<void*>(filename);
}

uLong ZCALLBACK SourceRead(voidpf, voidpf stream, void* buffer, uLong size) {
  ZipSource* source = AsSource(stream);
  if (source->isHandle) {
    ssize_t count;
    do {
      count = ::read(source->fd, buffer, size);
    } while (count < 0 && errno == EINTR);
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
  off_t at = lseek(source->fd, 0, SEEK_CUR);
  if (at < source->startOffset) return 0;
  return static_cast<ZPOS64_T>(at - source->startOffset);
}

long ZCALLBACK SourceSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  ZipSource* source = AsSource(stream);
  if (source->isHandle) {
    if (!source->seekable) return -1;
    off_t result = -1;
    switch (origin) {
      case ZLIB_FILEFUNC_SEEK_SET:
        result = lseek(source->fd, source->startOffset + static_cast<off_t>(offset), SEEK_SET);
        break;
      case ZLIB_FILEFUNC_SEEK_CUR:
        result = lseek(source->fd, static_cast<off_t>(offset), SEEK_CUR);
        break;
      case ZLIB_FILEFUNC_SEEK_END:
        result = lseek(source->fd, static_cast<off_t>(offset), SEEK_END);
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
    struct stat info;
    if (given < 0 || fstat(given, &info) != 0) return kZipArgs;
    if (!S_ISREG(info.st_mode)) return kZipSeek;
    fd = fcntl(given, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return kZipDupHandle;
  } else if (kind == kZipIoFilename) {
    fd = ::open(static_cast<const char*>(from), O_RDONLY | O_CLOEXEC);
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
  struct stat info;
  source.seekable = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (source.seekable) {
    off_t at = lseek(fd, 0, SEEK_CUR);
    source.startOffset = at < 0 ? 0 : at;
  }
  return kZipOk;
}

void CloseZipSource(ZipSource& source) {
  if (source.isHandle && source.fd >= 0) ::close(source.fd);
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
