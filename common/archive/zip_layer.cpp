#include "common/archive/zip_layer.h"

#include "common/archive/archive_paths.h"
#include "common/archive/zip_source.h"
#include "host/system/descriptors.h"
#include "host/system/files.h"

#include <unzip.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

struct ZipHandle {
  int kind = 1;  // 1: an opened archive
  unzFile archive = nullptr;
  ZipSource source;
  int count = 0;          // entries in the archive
  int current = 0;        // entry minizip stands on
  int openIndex = -1;     // entry open for reading
  uint64_t openSize = 0;  // its length as the archive records it
  uint64_t openRead = 0;  // bytes of it read so far
  int lastIndex = -1;     // entry fetched last, kept in `lastEntry`
  ZipEntry lastEntry;
  std::string baseFolder;  // ends with '/'
};

namespace {

constexpr int kHandleKindArchive = 1;
constexpr int64_t kUnixToFileTimeSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
constexpr uint64_t kFileTimeTicksPerSecond = 10000000;
constexpr std::size_t kUnzipPiece = 16384;

ZipResult g_recent = kZipOk;

ZipResult Keep(ZipResult result) {
  g_recent = result;
  return result;
}

ZipResult CheckHandle(const ZipHandle* zip) {
  if (zip == nullptr) return kZipArgs;
  if (zip->kind != kHandleKindArchive) return kZipMixed;
  return kZipOk;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

ZipResult FromMinizip(int code) {
  switch (code) {
    case UNZ_OK: return kZipOk;
    case UNZ_ERRNO: return kZipRead;
    case UNZ_INTERNALERROR: return kZipNoAlloc;
    default: return kZipCorrupt;
  }
}

void CloseOpenEntry(ZipHandle* zip, int* closeResult = nullptr) {
  if (zip->openIndex < 0) return;
  int result = unzCloseCurrentFile(zip->archive);
  if (closeResult != nullptr) *closeResult = result;
  zip->openIndex = -1;
}

// Makes `index` minizip's current entry: back to the first when it lies
// behind, then forward.
ZipResult MoveTo(ZipHandle* zip, int index) {
  if (index < zip->current) {
    if (unzGoToFirstFile(zip->archive) != UNZ_OK) return kZipCorrupt;
    zip->current = 0;
  }
  while (zip->current < index) {
    if (unzGoToNextFile(zip->archive) != UNZ_OK) return kZipCorrupt;
    ++zip->current;
  }
  return kZipOk;
}

uint32_t AttributesOf(uLong external) {
  uint32_t attributes = kZipAttrNormal;
  if ((external & 0x40000000) != 0 || (external & 0x10) != 0) attributes |= kZipAttrDirectory;
  if ((external & 0x20) != 0) attributes |= kZipAttrArchive;
  if ((external & 0x02) != 0) attributes |= kZipAttrHidden;
  if ((external & 0x800000) == 0 || (external & 0x01) != 0) attributes |= kZipAttrReadOnly;
  if ((external & 0x04) != 0) attributes |= kZipAttrSystem;
  return attributes;
}

int32_t SizeField(ZPOS64_T size) {
  return size > static_cast<ZPOS64_T>(INT32_MAX) ? -1 : static_cast<int32_t>(size);
}

// The extended timestamp block ("UT": a flag byte, then 4-byte Unix times
// for modification, access and creation as the flags announce) overrides
// the entry's times. Only the first such block counts; nothing is read past
// the block or the field.
void ApplyExtendedTimes(const std::vector<unsigned char>& extra, ZipEntry& entry) {
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    const std::size_t dataSize = extra[at + 2] | (extra[at + 3] << 8);
    if (extra[at] == 'U' && extra[at + 1] == 'T') {
      std::size_t end = at + 4 + dataSize;
      if (end > extra.size()) end = extra.size();
      std::size_t p = at + 4;
      if (p >= end) return;
      const unsigned flags = extra[p++];
      uint64_t* const targets[3] = {&entry.modificationTime, &entry.accessTime,
                                    &entry.creationTime};
      for (int bit = 0; bit < 3; ++bit) {
        if ((flags & (1u << bit)) == 0) continue;
        if (p + 4 > end) return;
        const uint32_t raw = static_cast<uint32_t>(extra[p]) | (extra[p + 1] << 8) |
                             (extra[p + 2] << 16) | (static_cast<uint32_t>(extra[p + 3]) << 24);
        *targets[bit] = UnixTimeToFileTime(static_cast<int32_t>(raw));
        p += 4;
      }
      return;
    }
    at += 4 + dataSize;
  }
}

// Reads the central directory record and the local extra field of the
// current entry into `entry`.
ZipResult ReadCurrentEntry(ZipHandle* zip, int index, ZipEntry& entry) {
  unz_file_info64 info;
  char name[kZipNameSize];
  int result = unzGetCurrentFileInfo64(zip->archive, &info, name, sizeof name, nullptr, 0,
                                       nullptr, 0);
  if (result != UNZ_OK) return FromMinizip(result);
  name[sizeof name - 1] = '\0';  // a longer name comes without a terminator

  // The local header is checked and its extra field read through a raw
  // open, which decompresses nothing.
  result = unzOpenCurrentFile2(zip->archive, nullptr, nullptr, 1);
  if (result != UNZ_OK) return FromMinizip(result);
  std::vector<unsigned char> extra;
  int extraSize = unzGetLocalExtrafield(zip->archive, nullptr, 0);
  if (extraSize > 0) {
    extra.resize(static_cast<std::size_t>(extraSize));
    int got = unzGetLocalExtrafield(zip->archive, extra.data(), static_cast<unsigned>(extraSize));
    if (got != extraSize) {
      unzCloseCurrentFile(zip->archive);
      return kZipRead;
    }
  } else if (extraSize < 0) {
    unzCloseCurrentFile(zip->archive);
    return kZipRead;
  }
  unzCloseCurrentFile(zip->archive);

  entry = ZipEntry{};
  entry.index = index;
  std::memcpy(entry.name, name, sizeof entry.name);
  entry.attributes = AttributesOf(info.external_fa);
  const uint64_t dosTime = DosTimeToFileTime(static_cast<uint16_t>(info.dosDate >> 16),
                                             static_cast<uint16_t>(info.dosDate & 0xFFFF));
  entry.accessTime = entry.creationTime = entry.modificationTime = dosTime;
  ApplyExtendedTimes(extra, entry);
  entry.compressedSize = SizeField(info.compressed_size);
  entry.uncompressedSize = SizeField(info.uncompressed_size);
  return kZipOk;
}

// Creates each folder of `relative` below `base`, level by level, the last
// part included when `lastIsFolder`.
bool CreateFolders(const std::string& base, const std::string& relative, bool lastIsFolder) {
  std::string path = base;
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t end = relative.find_first_of("/\\", start);
    const bool last = end == std::string::npos;
    if (last) {
      if (!lastIsFolder) break;
      end = relative.size();
    }
    const std::string part = relative.substr(start, end - start);
    if (!part.empty() && part != ".") {
      path += part;
      const std::wstring wide = host::WidePath(path);
      if (host::CreateFolder(wide) == host::CreateFolderResult::kFailed || !host::IsDirectory(wide)) return false;
      path += '/';
    }
    start = end + 1;
  }
  return true;
}

// The target below the base folder with both separators written as ours.
std::string TargetPath(const std::string& base, const char* target) {
  std::string path = base + target;
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// Opens the current entry (which is `index`) for reading.
int OpenEntry(ZipHandle* zip, int index) {
  unz_file_info64 info;
  int result = unzGetCurrentFileInfo64(zip->archive, &info, nullptr, 0, nullptr, 0, nullptr, 0);
  if (result == UNZ_OK) result = unzOpenCurrentFile(zip->archive);
  if (result != UNZ_OK) return result;
  zip->openIndex = index;
  zip->openSize = info.uncompressed_size;
  zip->openRead = 0;
  return UNZ_OK;
}

// Closes the entry read to its end: false when it failed its check or was
// not as long as the archive records.
bool CloseReadEntry(ZipHandle* zip) {
  const bool whole = zip->openRead == zip->openSize;
  int closed = UNZ_OK;
  CloseOpenEntry(zip, &closed);
  return whole && closed == UNZ_OK;
}

ZipResult UnzipToMemory(ZipHandle* zip, int index, void* target, uint32_t length) {
  if (index < 0 || (target == nullptr && length > 0)) return kZipArgs;
  if (index != zip->openIndex) {
    CloseOpenEntry(zip);
    if (index >= zip->count) return kZipArgs;
    ZipResult moved = MoveTo(zip, index);
    if (moved != kZipOk) return moved;
    int opened = OpenEntry(zip, index);
    if (opened != UNZ_OK) return FromMinizip(opened);
  }
  int count = unzReadCurrentFile(zip->archive, target, length);
  if (count > 0) {
    zip->openRead += static_cast<uint64_t>(count);
    return kZipMore;
  }
  if (count < 0) {
    CloseOpenEntry(zip);
    return kZipFlate;
  }
  // The entry is checked once it has been read to its end.
  return CloseReadEntry(zip) ? kZipOk : kZipFlate;
}

ZipResult UnzipToFile(ZipHandle* zip, int index, const void* target, int kind) {
  if (target == nullptr) return kZipArgs;
  CloseOpenEntry(zip);
  if (index < 0 || index >= zip->count) return kZipArgs;
  ZipEntry entry;
  ZipResult fetched = GetZipItem(zip, index, &entry);
  if (fetched != kZipOk) return fetched;

  const char* name = kind == kZipIoFilename ? static_cast<const char*>(target) : nullptr;
  // Whatever is written by name stays below the base folder.
  if (name != nullptr && !ArchiveNameStaysInside(name)) return kZipArgs;

  if ((entry.attributes & kZipAttrDirectory) != 0) {
    if (name == nullptr) return kZipOk;
    return CreateFolders(zip->baseFolder, name, true) ? kZipOk : kZipNoFile;
  }

  int fd;
  if (name != nullptr) {
    if (!CreateFolders(zip->baseFolder, name, false)) return kZipNoFile;
    fd = host::CreateDescriptorForWriting(TargetPath(zip->baseFolder, name),
                                          (entry.attributes & kZipAttrReadOnly) != 0);
    if (fd < 0) return kZipNoFile;
  } else {
    fd = *static_cast<const int*>(target);
    if (fd < 0) return kZipArgs;
  }

  ZipResult result = kZipOk;
  int opened = MoveTo(zip, index) == kZipOk ? OpenEntry(zip, index) : UNZ_BADZIPFILE;
  if (opened != UNZ_OK) {
    result = FromMinizip(opened);
  } else {
    std::vector<char> piece(kUnzipPiece);
    for (;;) {
      int count = unzReadCurrentFile(zip->archive, piece.data(), kUnzipPiece);
      if (count == 0) break;
      if (count < 0 || !host::WriteDescriptor(fd, piece.data(), static_cast<std::size_t>(count))) {
        result = kZipWrite;
        break;
      }
      zip->openRead += static_cast<uint64_t>(count);
    }
    if (result == kZipOk) {
      if (!CloseReadEntry(zip)) result = kZipWrite;
    } else {
      CloseOpenEntry(zip);
    }
  }
  if (result == kZipOk) {
    const std::optional<host::DescriptorInfo> info = host::DescribeDescriptor(fd);
    if (info && info->regular)
      (void)host::SetDescriptorTimes(fd, static_cast<host::FileTime>(entry.accessTime),
                                     static_cast<host::FileTime>(entry.modificationTime));
  }
  if (name != nullptr) host::CloseDescriptor(fd);
  return result;
}

const char* ZipMessageText(ZipResult code) {
  switch (code) {
    case kZipOk: return "Success";
    case kZipDupHandle: return "Culdn't duplicate handle";
    case kZipNoFile: return "Couldn't create/open file";
    case kZipNoAlloc: return "Failed to allocate memory";
    case kZipWrite: return "Error writing to file";
    case kZipNotFound: return "File not found in the zipfile";
    case kZipMore: return "Still more data to unzip";
    case kZipCorrupt: return "Zipfile is corrupt or not a zipfile";
    case kZipRead: return "Error reading file";
    case kZipArgs: return "Caller: faulty arguments";
    case kZipNotMemory: return "Caller: can only get memory of a memory zipfile";
    case kZipMemorySize: return "Caller: not enough space allocated for memory zipfile";
    case kZipFailed: return "Caller: there was a previous error";
    case kZipEnded: return "Caller: additions to the zip have already been ended";
    case kZipMissize: return "Zip-bug: the anticipated size turned out wrong";
    case kZipPartialUnzip: return "Caller: the file had already been partially unzipped";
    case kZipMixed: return "Caller: mixing creation and opening of zip";
    case kZipNotInitialised: return "Zip-bug: internal initialisation not completed";
    case kZipSeek: return "Zip-bug: trying to seek the unseekable";
    case kZipNoChange: return "Zip-bug: tried to change mind, but not allowed";
    case kZipFlate: return "Zip-bug: an internal error during flation";
    default: return "unknown zip result code";
  }
}

}  // namespace

uint64_t DosTimeToFileTime(uint16_t date, uint16_t time) {
  const unsigned year = 1980 + (date >> 9);
  const unsigned month = (date >> 5) & 0x0F;
  const unsigned day = date & 0x1F;
  const unsigned hour = time >> 11;
  const unsigned minute = (time >> 5) & 0x3F;
  const unsigned second = (time & 0x1F) * 2;
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return 0;
  const int64_t seconds =
      DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return UnixTimeToFileTime(seconds);
}

uint64_t UnixTimeToFileTime(int64_t seconds) {
  const int64_t from1601 = seconds + kUnixToFileTimeSeconds;
  if (from1601 < 0) return 0;
  return static_cast<uint64_t>(from1601) * kFileTimeTicksPerSecond;
}

ZipHandle* OpenZip(const void* source, uint32_t length, int kind) {
  if (kind < kZipIoHandle || kind > kZipIoMemory || source == nullptr) {
    Keep(kZipArgs);
    return nullptr;
  }
  auto* zip = new ZipHandle;
  char folder[PATH_MAX];
  if (getcwd(folder, sizeof folder) != nullptr) {
    zip->baseFolder = folder;
    if (zip->baseFolder.empty() || zip->baseFolder.back() != '/') zip->baseFolder += '/';
  }
  ZipResult opened = OpenZipSource(zip->source, source, length, kind);
  if (opened != kZipOk) {
    delete zip;
    Keep(opened);
    return nullptr;
  }
  zlib_filefunc64_def functions;
  FillZipSourceFunctions(functions);
  // minizip closes the source itself when it cannot open the archive.
  zip->archive = unzOpen2_64(&zip->source, &functions);
  unz_global_info64 global;
  if (zip->archive == nullptr || unzGetGlobalInfo64(zip->archive, &global) != UNZ_OK) {
    if (zip->archive != nullptr) unzClose(zip->archive);
    CloseZipSource(zip->source);
    delete zip;
    Keep(kZipCorrupt);
    return nullptr;
  }
  zip->count = global.number_entry > static_cast<ZPOS64_T>(INT_MAX)
                   ? INT_MAX
                   : static_cast<int>(global.number_entry);
  Keep(kZipOk);
  return zip;
}

ZipResult CloseZip(ZipHandle* zip) {
  ZipResult checked = CheckHandle(zip);
  if (checked != kZipOk) return Keep(checked);
  CloseOpenEntry(zip);
  unzClose(zip->archive);
  CloseZipSource(zip->source);
  delete zip;
  return Keep(kZipOk);
}

ZipResult GetZipItem(ZipHandle* zip, int index, ZipEntry* entry) {
  ZipResult checked = CheckHandle(zip);
  if (checked != kZipOk) return Keep(checked);
  if (entry == nullptr || index < -1 || index >= zip->count) return Keep(kZipArgs);
  CloseOpenEntry(zip);
  if (index == -1) {
    *entry = ZipEntry{};
    entry->index = zip->count;
    return Keep(kZipOk);
  }
  if (index == zip->lastIndex) {
    *entry = zip->lastEntry;
    return Keep(kZipOk);
  }
  ZipResult result = MoveTo(zip, index);
  if (result == kZipOk) result = ReadCurrentEntry(zip, index, *entry);
  if (result != kZipOk) return Keep(result);
  zip->lastIndex = index;
  zip->lastEntry = *entry;
  return Keep(kZipOk);
}

ZipResult GetZipItem(ZipHandle* zip, int index, ZipEntry& entry) {
  ZipEntry fetched;
  ZipResult result = GetZipItem(zip, index, &fetched);
  if (result == kZipOk) entry = fetched;
  return result;
}

ZipResult FindZipItem(ZipHandle* zip, const char* name, bool ignoreCase, int* index,
                      ZipEntry* entry) {
  ZipResult checked = CheckHandle(zip);
  if (checked != kZipOk) return Keep(checked);
  if (name == nullptr || index == nullptr || entry == nullptr) return Keep(kZipArgs);
  // 1 compares case-sensitively, 2 ignoring case.
  if (unzLocateFile(zip->archive, name, ignoreCase ? 2 : 1) != UNZ_OK) {
    *index = -1;
    *entry = ZipEntry{};
    entry->index = -1;
    return Keep(kZipNotFound);
  }
  CloseOpenEntry(zip);
  unz_file_pos position;
  if (unzGetFilePos(zip->archive, &position) != UNZ_OK) return Keep(kZipCorrupt);
  zip->current = static_cast<int>(position.num_of_file);
  *index = zip->current;
  return GetZipItem(zip, zip->current, entry);
}

ZipResult FindZipItem(ZipHandle* zip, const char* name, bool ignoreCase, int& index,
                      ZipEntry& entry) {
  ZipEntry found;
  int foundIndex = -1;
  ZipResult result = FindZipItem(zip, name, ignoreCase, &foundIndex, &found);
  index = foundIndex;
  entry = found;
  return result;
}

ZipResult UnzipItem(ZipHandle* zip, int index, void* target, uint32_t length, int kind) {
  ZipResult checked = CheckHandle(zip);
  if (checked != kZipOk) return Keep(checked);
  switch (kind) {
    case kZipIoMemory: return Keep(UnzipToMemory(zip, index, target, length));
    case kZipIoHandle:
    case kZipIoFilename: return Keep(UnzipToFile(zip, index, target, kind));
    default: return Keep(kZipArgs);
  }
}

unsigned FormatZipMessage(ZipResult code, char* buffer, unsigned size) {
  const char* text = ZipMessageText(code == kZipRecent ? g_recent : code);
  const std::size_t length = std::strlen(text);
  if (buffer != nullptr && size > 0) {
    const std::size_t copied = length < size - 1 ? length : size - 1;
    std::memcpy(buffer, text, copied);
    buffer[copied] = '\0';
  }
  return static_cast<unsigned>(length);
}
