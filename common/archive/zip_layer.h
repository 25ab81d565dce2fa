// A small layer over minizip's unzip functions: opens a zip archive from a
// file name, an open file descriptor or a block of memory, lists and finds
// its entries, and unzips an entry to memory, to a descriptor or to a file.
//
// Every call answers a result code (below) and keeps it as the most recent
// result, which `FormatZipMessage(1, ...)` describes. Times are Windows file
// times (100-nanosecond intervals since 1601-01-01) and attributes Windows
// file attribute bits, as the entries of the archives record them.
//
// Unzipping to a file name places the file below the base folder (the
// current folder when the archive was opened); a name that is absolute or
// climbs out with ".." is refused.
#pragma once

#include <cstdint>

struct ZipHandle;
using ZipResult = uint32_t;

inline constexpr ZipResult kZipOk = 0;
inline constexpr ZipResult kZipDupHandle = 0x100;
inline constexpr ZipResult kZipNoFile = 0x200;
inline constexpr ZipResult kZipNoAlloc = 0x300;
inline constexpr ZipResult kZipWrite = 0x400;
inline constexpr ZipResult kZipNotFound = 0x500;
inline constexpr ZipResult kZipMore = 0x600;
inline constexpr ZipResult kZipCorrupt = 0x700;
inline constexpr ZipResult kZipRead = 0x800;
inline constexpr ZipResult kZipArgs = 0x10000;
inline constexpr ZipResult kZipNotMemory = 0x20000;
inline constexpr ZipResult kZipMemorySize = 0x30000;
inline constexpr ZipResult kZipFailed = 0x40000;
inline constexpr ZipResult kZipEnded = 0x50000;
inline constexpr ZipResult kZipMissize = 0x60000;
inline constexpr ZipResult kZipPartialUnzip = 0x70000;
inline constexpr ZipResult kZipMixed = 0x80000;
inline constexpr ZipResult kZipNotInitialised = 0x1000000;
inline constexpr ZipResult kZipSeek = 0x2000000;
inline constexpr ZipResult kZipNoChange = 0x4000000;
inline constexpr ZipResult kZipFlate = 0x5000000;
// Given to FormatZipMessage: the most recent result.
inline constexpr ZipResult kZipRecent = 1;

// How a source or target is given.
enum ZipIoKind : int {
  kZipIoHandle = 1,    // pointer to an int file descriptor
  kZipIoFilename = 2,  // NUL-terminated narrow path
  kZipIoMemory = 3,    // block of memory with its length
};

inline constexpr int kZipNameSize = 260;

struct ZipEntry {
  int32_t index = 0;
  char name[kZipNameSize] = {};
  uint32_t attributes = 0;
  uint64_t accessTime = 0;
  uint64_t creationTime = 0;
  uint64_t modificationTime = 0;
  // -1 for a size that does not fit 31 bits.
  int32_t compressedSize = 0;
  int32_t uncompressedSize = 0;
};

// Windows file attribute bits used in `ZipEntry::attributes`.
inline constexpr uint32_t kZipAttrReadOnly = 0x01;
inline constexpr uint32_t kZipAttrHidden = 0x02;
inline constexpr uint32_t kZipAttrSystem = 0x04;
inline constexpr uint32_t kZipAttrDirectory = 0x10;
inline constexpr uint32_t kZipAttrArchive = 0x20;
inline constexpr uint32_t kZipAttrNormal = 0x80;

// Opens an archive; null when it cannot (see the most recent result).
ZipHandle* OpenZip(const void* source, uint32_t length, int kind);
ZipResult CloseZip(ZipHandle* zip);
// Index -1 gives the number of entries in `entry->index`.
ZipResult GetZipItem(ZipHandle* zip, int index, ZipEntry* entry);
ZipResult GetZipItem(ZipHandle* zip, int index, ZipEntry& entry);
ZipResult FindZipItem(ZipHandle* zip, const char* name, bool ignoreCase, int* index,
                      ZipEntry* entry);
ZipResult FindZipItem(ZipHandle* zip, const char* name, bool ignoreCase, int& index,
                      ZipEntry& entry);
// To memory: up to `length` bytes per call; kZipMore while data remains
// (call again for the rest), kZipOk once the entry was read to its end and
// passed its check.
ZipResult UnzipItem(ZipHandle* zip, int index, void* target, uint32_t length, int kind);
// Stores at most `size` - 1 characters of the code's text and a NUL; answers
// the length of the whole text.
unsigned FormatZipMessage(ZipResult code, char* buffer, unsigned size);

// Conversions to Windows file times (exposed for tests).
uint64_t DosTimeToFileTime(uint16_t date, uint16_t time);
uint64_t UnixTimeToFileTime(int64_t seconds);
