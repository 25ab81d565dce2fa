// Fuzz target: the host's DXF reader over one file whose bytes the fuzzer
// gives. A drawing that reads is saved and read again: what the host reads
// it must be able to write back in a form it reads.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/db/drawing_file.h"
#include "host/testing/fuzz_process.h"

namespace {

// Reads the input, saves what it read and reads that again; aborts when a
// saved drawing does not read back.
void ReadSaveAndReadAgain(const std::string& input, const std::string& output) {
  host::db::Database db(host::db::Database::Content::kEmpty);
  if (!host::db::ReadDrawing(db, std::string_view(input)).ok()) return;
  if (!host::db::SaveDrawing(db, std::string_view(output)).ok()) return;
  host::db::Database again(host::db::Database::Content::kEmpty);
  host::Result<std::int64_t> reread = host::db::ReadDrawing(again, std::string_view(output));
  if (!reread.ok()) {
    std::fprintf(stderr, "a saved drawing does not read back\n");
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host::StartFuzzProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string input = host::FuzzFilePath("varnel-dxf-fuzz.dxf");
  static const std::string output = host::FuzzFilePath("varnel-dxf-fuzz-saved.dxf");
  if (host::WriteFuzzInput(input, data, size)) ReadSaveAndReadAgain(input, output);
  host::EndFuzzInput();
  std::remove(input.c_str());
  std::remove(output.c_str());
  return 0;
}
