#include "host/testing/fuzz_process.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "host/system/clock.h"
#include "host/system/helper_threads.h"
#include "host/system/replace_file.h"
#include "host/testing/test_reset.h"

namespace host {
namespace {

// 2020-01-01 00:00 UTC: any time stamp a run takes.
constexpr std::time_t kFuzzWallClock = 1577836800;
// Stands in for the process id in the names of replacement files.
constexpr unsigned kFuzzProcessNumber = 1;

void ResetFuzzHost() {
  ResetForTest();
  FixWallClock(kFuzzWallClock);
  RestartReplacementNames(kFuzzProcessNumber);
}

}  // namespace

void StartFuzzProcess() {
  AllowHelperThreads(false);
  ResetFuzzHost();
}

void EndFuzzInput() { ResetFuzzHost(); }

std::string FuzzFilePath(std::string_view name) {
  const char* folder = std::getenv("TMPDIR");
  if (folder != nullptr && *folder) return std::string(folder) + "/" + std::string(name);
  return "/tmp/" + std::to_string(getpid()) + "-" + std::string(name);
}

bool WriteFuzzInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

}  // namespace host
