// Reading where the process allows no helper threads: the buffers past the
// first are read on the caller's thread, with the same bytes and positions
// as when a thread reads them ahead.
#include "common/archive/archive_reader.h"
#include "common/archive/read_ahead.h"

#include "common/archive/tests/archive_fixtures.h"
#include "host/system/helper_threads.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

namespace {

using archive_test::SampleText;
using archive_test::TempFolder;
using archive_test::WriteFile;
using archive_test::WriteGzip;

// Threads of this process as the system lists them.
std::ptrdiff_t ThreadCount() {
  std::error_code error;
  std::filesystem::directory_iterator tasks("/proc/self/task", error);
  return error ? -1 : std::distance(tasks, std::filesystem::directory_iterator());
}

// Allows or forbids helper threads for one test and restores the default.
class HelperThreads {
 public:
  explicit HelperThreads(bool allowed) { host::AllowHelperThreads(allowed); }
  ~HelperThreads() { host::AllowHelperThreads(true); }
  HelperThreads(const HelperThreads&) = delete;
  HelperThreads& operator=(const HelperThreads&) = delete;
};

std::string ReadBytes(ArchiveReader& reader, std::size_t count) {
  std::string out;
  char c;
  while (out.size() < count && reader.GetChar(&c) == 1) out += c;
  return out;
}

TEST(ArchiveOneThread, ReadsEveryBufferOnTheCallersThread) {
  const int32_t kBuffer = ArchiveReader::kStreamBufferSize;
  // Longer than the read-ahead ring, so that its thread is still waiting
  // for room after the first buffers are taken.
  const std::size_t buffers = ReadAhead::kPieces + 40;
  const std::string text = SampleText(buffers * static_cast<std::size_t>(kBuffer) + 77, 5);
  TempFolder folder;
  WriteFile(folder.File("a.gml"), text);
  WriteGzip(folder.File("a.gml.gz"), text);
  const std::ptrdiff_t before = ThreadCount();
  ASSERT_GT(before, 0);
  for (const bool allowed : {true, false}) {
    for (const char* name : {"a.gml", "a.gml.gz"}) {
      SCOPED_TRACE(std::string(name) + (allowed ? " threads allowed" : " one thread"));
      HelperThreads threads(allowed);
      ArchiveReader reader;
      ASSERT_EQ(reader.OpenGz(folder.File(name).c_str()), 1);
      ASSERT_EQ(ReadBytes(reader, 3 * kBuffer), text.substr(0, 3 * kBuffer));
      // Far from the end the ring is full and the reading thread waits: it
      // is there exactly when threads are allowed.
      EXPECT_EQ(ThreadCount(), before + (allowed ? 1 : 0));
      const int64_t back = kBuffer / 2;
      ASSERT_EQ(reader.Seek(back, SEEK_SET), back);
      ASSERT_EQ(ReadBytes(reader, 2 * kBuffer), text.substr(back, 2 * kBuffer));
      const int64_t ahead = 30 * static_cast<int64_t>(kBuffer) + 11;
      ASSERT_EQ(reader.Seek(ahead, SEEK_SET), ahead);
      EXPECT_EQ(reader.Tell(), ahead);
      EXPECT_EQ(ReadBytes(reader, text.size()), text.substr(static_cast<std::size_t>(ahead)));
      EXPECT_FALSE(reader.HasReadError());
      reader.Close();
      EXPECT_EQ(ThreadCount(), before);
    }
  }
}

}  // namespace
