// Small files made at test time for the archive tests: plain and gzip files
// and a temporary folder that is removed afterwards.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace archive_test {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "archive-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

}  // namespace archive_test
