// Block access to the stream: bytes taken from the buffer in blocks, mixed
// with GetChar, are the file's bytes in order, and positions stay right.
#include "common/archive/archive_reader.h"

#include "common/archive/tests/archive_fixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using archive_test::SampleText;
using archive_test::TempFolder;
using archive_test::WriteFile;
using archive_test::WriteGzip;

TEST(ArchiveBlockAccess, BlocksAndSingleBytesGiveTheFileInOrder) {
  // Several buffers' worth, so that blocks end at refills.
  const std::string text = SampleText(5 * ArchiveReader::kStreamBufferSize + 123);
  TempFolder folder;
  for (const bool gzip : {false, true}) {
    SCOPED_TRACE(gzip ? "gzip" : "plain");
    const std::string path = folder.File(gzip ? "data.gz" : "data.txt");
    if (gzip)
      WriteGzip(path, text);
    else
      WriteFile(path, text);
    ArchiveReader reader;
    ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
    std::string read;
    for (int round = 0;; ++round) {
      ASSERT_EQ(reader.Tell(), static_cast<int64_t>(read.size()));
      int32_t available = 0;
      const char* block = reader.Buffered(&available);
      if (round % 3 != 0 && available > 0) {
        // Blocks of odd sizes, the whole rest of the buffer now and then.
        const int32_t n = round % 5 == 0 ? available : std::min<int32_t>(available, 1 + round % 997);
        read.append(block, static_cast<std::size_t>(n));
        reader.Consume(n);
        continue;
      }
      char c;
      if (reader.GetChar(&c) != 1) break;
      read += c;
    }
    EXPECT_EQ(read.size(), text.size());
    EXPECT_TRUE(read == text);
    EXPECT_FALSE(reader.HasReadError());
    int32_t available = -1;
    reader.Buffered(&available);
    EXPECT_EQ(available, 0);
  }
}

}  // namespace
