// Small files made at test time for the archive tests: gzip files, zip and
// tar archives, in a temporary folder (temp_folder.h) removed afterwards.
#pragma once

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>
#include <cstdio>
#include <string>

#include "common/tests/temp_folder.h"

namespace archive_test {

using common_test::ReadFile;
using common_test::TempFolder;
using common_test::WriteFile;

// Writes `bytes` gzip-compressed, straight through zlib.
inline void WriteGzip(const std::string& path, const std::string& bytes) {
  gzFile file = gzopen(path.c_str(), "wb");
  if (file == nullptr) return;
  if (!bytes.empty()) gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size()));
  gzclose(file);
}

// Text that looks like GML and does not repeat in short runs, so that it
// compresses into real deflate blocks.
inline std::string SampleText(std::size_t length, uint32_t seed = 7) {
  std::string text;
  text.reserve(length);
  uint32_t state = seed;
  while (text.size() < length) {
    state = state * 1103515245u + 12345u;
    text += "<gml:coordinates>";
    text += std::to_string(400000 + (state >> 12) % 99999);
    text += ',';
    text += std::to_string(100000 + (state >> 3) % 99999);
    text += "</gml:coordinates>\n";
  }
  text.resize(length);
  return text;
}

// One entry of a zip archive made by WriteZip.
struct ZipItem {
  std::string name = {};
  std::string data = {};
  uint32_t externalAttributes = 0x81A40000;  // a Unix regular file, rw-r--r--
  uint32_t dosDate = 0x50CF6CAF;             // 2020-06-15 13:37:30
  std::string localExtra = {};
  bool stored = false;  // kept as it is rather than deflated
};

// Writes a zip archive with minizip's zip functions.
inline bool WriteZip(const std::string& path, const std::vector<ZipItem>& items) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) return false;
  bool ok = true;
  for (const ZipItem& item : items) {
    zip_fileinfo info{};
    info.dosDate = item.dosDate;
    info.external_fa = item.externalAttributes;
    const int method = item.stored ? 0 : Z_DEFLATED;
    const int level = item.stored ? 0 : Z_DEFAULT_COMPRESSION;
    ok = ok &&
         zipOpenNewFileInZip64(zip, item.name.c_str(), &info,
                               item.localExtra.empty() ? nullptr : item.localExtra.data(),
                               static_cast<uInt>(item.localExtra.size()), nullptr, 0, nullptr,
                               method, level, 0) == ZIP_OK;
    ok = ok && zipWriteInFileInZip(zip, item.data.data(),
                                   static_cast<unsigned>(item.data.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// A 512-byte POSIX tar header with a correct checksum.
inline std::string TarHeader(const std::string& name, std::size_t size, char type = '0') {
  std::string header(512, '\0');
  std::memcpy(header.data(), name.data(), std::min<std::size_t>(name.size(), 100));
  std::snprintf(header.data() + 100, 8, "%07o", 0644u);
  std::snprintf(header.data() + 108, 8, "%07o", 0u);
  std::snprintf(header.data() + 116, 8, "%07o", 0u);
  std::snprintf(header.data() + 124, 12, "%011llo", static_cast<unsigned long long>(size));
  std::snprintf(header.data() + 136, 12, "%011o", 1600000000u);
  header[156] = type;
  std::memcpy(header.data() + 257, "ustar\0" "00", 8);
  std::memset(header.data() + 148, ' ', 8);
  unsigned sum = 0;
  for (char c : header) sum += static_cast<unsigned char>(c);
  std::snprintf(header.data() + 148, 8, "%06o", sum);
  header[155] = ' ';
  return header;
}

struct TarItem {
  std::string name = {};
  std::string data = {};
  char type = '0';
};

// A tar archive: each header, its data padded to 512 bytes, and the two
// zero blocks that end the archive.
inline std::string TarBytes(const std::vector<TarItem>& items) {
  std::string tar;
  for (const TarItem& item : items) {
    tar += TarHeader(item.name, item.data.size(), item.type);
    tar += item.data;
    tar.append((512 - item.data.size() % 512) % 512, '\0');
  }
  tar.append(1024, '\0');
  return tar;
}

}  // namespace archive_test
