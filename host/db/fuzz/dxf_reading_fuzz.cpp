// Fuzz target: the host's DXF reader over one file whose bytes the fuzzer
// gives. A drawing that reads is saved and read again: what the host reads
// it must be able to write back in a form it reads.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/db/drawing_file.h"

namespace {

std::string TempPath(const char* what) {
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder != nullptr && *folder ? folder : "/tmp";
  return path + "/varnel-dxf-fuzz-" + std::to_string(getpid()) + what;
}

bool WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string input = TempPath(".dxf");
  static const std::string output = TempPath("-saved.dxf");
  if (!WriteInput(input, data, size)) return 0;
  host::db::Database db(host::db::Database::Content::kEmpty);
  if (!host::db::ReadDrawing(db, std::string_view(input)).ok()) return 0;
  if (!host::db::SaveDrawing(db, std::string_view(output)).ok()) return 0;
  host::db::Database again(host::db::Database::Content::kEmpty);
  host::Result<std::int64_t> reread = host::db::ReadDrawing(again, std::string_view(output));
  if (!reread.ok()) {
    std::fprintf(stderr, "a saved drawing does not read back\n");
    std::abort();
  }
  return 0;
}
