// What the zip layer reads an archive from: an open file descriptor, a file
// opened by name, or a block of memory, handed to minizip as its file
// functions.
#pragma once

#include "common/archive/zip_layer.h"

#include <cstdint>

struct zlib_filefunc64_def_s;

struct ZipSource {
  bool isHandle = false;  // reads go to `fd`
  bool seekable = false;  // `fd` is a regular file
  int fd = -1;            // owned: closed with the source
  bool error = false;     // a read from `fd` failed
  int64_t startOffset = 0;  // `fd`'s position when the source was opened
  const unsigned char* memory = nullptr;
  uint64_t memoryLength = 0;
  uint64_t memoryPosition = 0;
};

// Prepares `source` for a descriptor (kind 1, duplicated), a file name
// (kind 2) or memory (kind 3). kZipOk, or the failure with nothing open.
ZipResult OpenZipSource(ZipSource& source, const void* from, uint32_t length, int kind);
// Closes what the source holds (safe to call twice).
void CloseZipSource(ZipSource& source);
// The file functions through which minizip reads a ZipSource; the source
// itself is passed to minizip as the "path" of the archive.
void FillZipSourceFunctions(zlib_filefunc64_def_s& functions);
