#include "common/archive/archive_reader.h"
#include "common/archive/read_ahead.h"

#include "common/archive/tests/archive_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using archive_test::ReadFile;
using archive_test::SampleText;
using archive_test::TempFolder;
using archive_test::WriteFile;
using archive_test::WriteGzip;

// Everything GetChar hands out until it answers 0.
std::string ReadAll(ArchiveReader& reader) {
  std::string out;
  char c;
  while (reader.GetChar(&c) == 1) out += c;
  return out;
}

struct StreamCase {
  const char* label;
  bool gzip;
};

class StreamTest : public ::testing::TestWithParam<StreamCase> {
 protected:
  // Writes `bytes` as the case's kind of file and returns its path.
  std::string Make(const std::string& bytes) {
    std::string path = folder_.File(GetParam().gzip ? "data.gml.gz" : "data.gml");
    if (GetParam().gzip) {
      WriteGzip(path, bytes);
    } else {
      WriteFile(path, bytes);
    }
    return path;
  }

  TempFolder folder_;
};

TEST_P(StreamTest, DeliversEveryByteWithItsPosition) {
  // Lengths around the buffer's size, where refills happen.
  const int32_t kBuffer = ArchiveReader::kStreamBufferSize;
  for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t(kBuffer - 1),
                             std::size_t(kBuffer), std::size_t(kBuffer + 1),
                             std::size_t(3 * kBuffer + 77)}) {
    SCOPED_TRACE(length);
    const std::string text = SampleText(length);
    ArchiveReader reader;
    ASSERT_EQ(reader.OpenGz(Make(text).c_str()), 1);
    EXPECT_EQ(reader.IsCompressed(), GetParam().gzip ? 1 : 0);
    EXPECT_EQ(reader.Tell(), 0);
    std::string got;
    char c = 0;
    while (reader.GetChar(&c) == 1) {
      got += c;
      ASSERT_EQ(reader.Tell(), static_cast<int64_t>(got.size()));
    }
    EXPECT_EQ(got, text);
    // At the end it stays at the end.
    c = 'x';
    EXPECT_EQ(reader.GetChar(&c), 0);
    EXPECT_EQ(c, 'x') << "nothing is stored at the end";
    EXPECT_EQ(reader.Tell(), static_cast<int64_t>(length));
    EXPECT_FALSE(reader.HasReadError());
  }
}

TEST_P(StreamTest, SeekToToldPositionsForwardAndBackward) {
  const std::string text = SampleText(5 * ArchiveReader::kStreamBufferSize + 123);
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(Make(text).c_str()), 1);
  const std::vector<int64_t> places = {16385, 0, 16383, 16384, 70000, 5, 81000, 40000, 40001,
                                       static_cast<int64_t>(text.size()) - 1, 1};
  for (int64_t place : places) {
    SCOPED_TRACE(place);
    ASSERT_EQ(reader.Seek(place, SEEK_SET), place);
    EXPECT_EQ(reader.Tell(), place);
    char c = 0;
    ASSERT_EQ(reader.GetChar(&c), 1);
    EXPECT_EQ(c, text[static_cast<std::size_t>(place)]);
    // Reading on from there crosses the next buffer boundary correctly.
    std::string run(1, c);
    for (int i = 0; i < 20000 && reader.GetChar(&c) == 1; ++i) run += c;
    EXPECT_EQ(run, text.substr(static_cast<std::size_t>(place), run.size()));
  }
}

TEST_P(StreamTest, SeekFromCurrentCountsFromTheReadersPosition) {
  const std::string text = SampleText(40000);
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(Make(text).c_str()), 1);
  char c;
  for (int i = 0; i < 100; ++i) ASSERT_EQ(reader.GetChar(&c), 1);
  // zlib already stands at the end of the first buffer; the reader at 100.
  ASSERT_EQ(reader.Seek(50, SEEK_CUR), 150);
  ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(c, text[150]);
  ASSERT_EQ(reader.Seek(-151, SEEK_CUR), 0);
  ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(c, text[0]);
}

TEST_P(StreamTest, FailedSeekLeavesTheStreamWhereItWas) {
  const std::string text = SampleText(40000);
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(Make(text).c_str()), 1);
  char c;
  for (int i = 0; i < 10; ++i) ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(reader.Seek(-1, SEEK_SET), -1);
  EXPECT_EQ(reader.Seek(-11, SEEK_CUR), -1);
  EXPECT_EQ(reader.Seek(0, SEEK_END), -1);  // zlib cannot count from the end
  EXPECT_EQ(reader.Tell(), 10);
  EXPECT_EQ(ReadAll(reader), text.substr(10));
}

TEST_P(StreamTest, SeekPastTheEndGivesTheEnd) {
  const std::string text = SampleText(1000);
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(Make(text).c_str()), 1);
  reader.Seek(5000, SEEK_SET);
  char c;
  EXPECT_EQ(reader.GetChar(&c), 0);
  EXPECT_FALSE(reader.HasReadError());
  ASSERT_EQ(reader.Seek(999, SEEK_SET), 999);
  ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(c, text[999]);
}

TEST_P(StreamTest, ReopensAfterClosing) {
  const std::string path = Make("first");
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
  reader.CloseStream();
  char c;
  EXPECT_EQ(reader.GetChar(&c), 0);
  EXPECT_EQ(reader.Tell(), -1);
  EXPECT_EQ(reader.Seek(0, SEEK_SET), -1);
  EXPECT_EQ(reader.IsCompressed(), 0);
  ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
  EXPECT_EQ(ReadAll(reader), "first");
  reader.Close();
  ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
  EXPECT_EQ(ReadAll(reader), "first");
}

TEST_P(StreamTest, SecondOpenIsRefusedAndKeepsTheStream) {
  const std::string text = SampleText(30000);
  const std::string path = Make(text);
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
  char c;
  ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(reader.OpenGz(path.c_str()), 0);
  EXPECT_EQ(reader.GetLastError(), "Could not open GZ archive!");
  EXPECT_EQ(reader.Tell(), 1);
  EXPECT_EQ(ReadAll(reader), text.substr(1));
}

// Buffers past the first are read ahead on another thread. Seeks of every
// kind, read by single bytes and by whole blocks at once (so that the reader
// catches up with the thread and waits for it), land where Tell says and
// read what the file holds there; near the end too, and at it.
TEST_P(StreamTest, SeeksAcrossBuffersAndTheThreadReadingAhead) {
  // Longer than the read-ahead ring, so that the ring fills and wraps.
  const std::string text =
      SampleText((ReadAhead::kPieces + 40) * ArchiveReader::kStreamBufferSize + 77, 11);
  const auto size = static_cast<int64_t>(text.size());
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(Make(text).c_str()), 1);
  uint32_t state = 12345;
  auto next = [&state](uint32_t range) {
    state = state * 1103515245u + 12345u;
    return static_cast<int64_t>((state >> 8) % range);
  };
  int64_t here = 0;
  for (int step = 0; step < 300; ++step) {
    SCOPED_TRACE(testing::Message() << "step " << step << " at " << here);
    int64_t target = here;
    switch (next(6)) {
      case 0: target = next(static_cast<uint32_t>(size)); break;                  // anywhere
      case 1: target = here + next(ArchiveReader::kStreamBufferSize); break;       // near ahead
      case 2: target = here - next(ArchiveReader::kStreamBufferSize); break;       // near behind
      case 3:  // the ring's end
        target = here + ReadAhead::kPieces * ArchiveReader::kStreamBufferSize + next(64);
        break;
      case 4: target = size - next(3 * ArchiveReader::kStreamBufferSize); break;   // near the end
      case 5: target = size; break;                                               // the end
    }
    target = std::clamp<int64_t>(target, 0, size);
    if (next(2) == 0) {
      ASSERT_EQ(reader.Seek(target, SEEK_SET), target);
    } else {
      ASSERT_EQ(reader.Seek(target - here, SEEK_CUR), target);
    }
    here = target;
    ASSERT_EQ(reader.Tell(), here);
    const int64_t length = next(3) == 0 ? next(30) : next(5 * ArchiveReader::kStreamBufferSize);
    std::string got;
    char c;
    while (static_cast<int64_t>(got.size()) < length) {
      int32_t available = 0;
      const char* block = reader.Buffered(&available);
      if (available > 0 && next(2) == 0) {
        const int32_t n = static_cast<int32_t>(
            std::min<int64_t>(available, length - static_cast<int64_t>(got.size())));
        got.append(block, static_cast<std::size_t>(n));
        reader.Consume(n);
      } else if (reader.GetChar(&c) == 1) {
        got += c;
      } else {
        break;
      }
    }
    ASSERT_EQ(got, text.substr(static_cast<std::size_t>(here), got.size()));
    ASSERT_EQ(static_cast<int64_t>(got.size()), std::min(length, size - here));
    here += static_cast<int64_t>(got.size());
    ASSERT_EQ(reader.Tell(), here);
  }
  EXPECT_FALSE(reader.HasReadError());
}

INSTANTIATE_TEST_SUITE_P(PlainAndGzip, StreamTest,
                         ::testing::Values(StreamCase{"plain", false}, StreamCase{"gzip", true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ArchiveStream, UncompressedSizeComesFromTheTrailer) {
  TempFolder folder;
  const std::string text = SampleText(100000);
  const std::string plain = folder.File("a.gml");
  const std::string packed = folder.File("a.gml.gz");
  WriteFile(plain, text);
  WriteGzip(packed, text);

  ArchiveReader reader;
  EXPECT_EQ(reader.GetUncompressedSize(), -1.0);
  EXPECT_EQ(reader.IsCompressed(), 0);
  ASSERT_EQ(reader.OpenGz(plain.c_str()), 1);
  EXPECT_EQ(reader.IsCompressed(), 0);
  EXPECT_EQ(reader.GetUncompressedSize(), -1.0);
  reader.Close();

  ASSERT_EQ(reader.OpenGz(packed.c_str()), 1);
  EXPECT_EQ(reader.IsCompressed(), 1);
  EXPECT_EQ(reader.GetUncompressedSize(), 100000.0);
  reader.Close();

  // A plain file opened after a gzip one does not keep the gzip's size.
  ASSERT_EQ(reader.OpenGz(plain.c_str()), 1);
  EXPECT_EQ(reader.GetUncompressedSize(), -1.0);
}

TEST(ArchiveStream, TrailerIsReadUnsignedLittleEndian) {
  // The trailer holds the length modulo 2^32; every byte counts unsigned.
  // A file of over 4 MB on disk may hold 4 GiB of text, so any trailer
  // value can be right for it.
  TempFolder folder;
  const std::string path = folder.File("big.gz");
  std::string noise(std::size_t{4200000}, '\0');
  std::uint32_t state = 12345;
  for (char& c : noise) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  WriteGzip(path, noise);
  std::string bytes = ReadFile(path);
  ASSERT_GT(bytes.size() * 1032.0, 4294967296.0);
  bytes.replace(bytes.size() - 4, 4, std::string("\x01\x80\xFE\xFF", 4));
  WriteFile(path, bytes);
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
  EXPECT_EQ(reader.GetUncompressedSize(), 1.0 + 0x80 * 256.0 + 0xFE * 65536.0 + 0xFF * 16777216.0);
}

// The last four bytes of a cut or damaged file are no trailer: a length
// that no gzip stream of the file's size can have is not taken.
TEST(ArchiveStream, TrailerThatCannotBeRightIsNotTaken) {
  struct Case {
    const char* name;
    double length, onDisk;
    bool fits;
  } cases[] = {
      {"text packed ten to one", 1e6, 1e5, true},
      {"stored without packing", 1e5, 1e5 + 40, true},
      {"deflate's best packing", 1032.0 * 1e6, 1e6, true},
      {"more than deflate can pack", 2000.0 * 1e6, 1e6, false},
      {"far less text than data", 1e3, 1e6, false},
      {"an empty text", 0, 20, true},
      {"over 4 MB on disk: the length may have wrapped", 5, 5e6, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TrailerSizeFits(c.length, c.onDisk), c.fits);
  }

  TempFolder folder;
  const std::string path = folder.File("cut.gz");
  WriteGzip(path, SampleText(100000));
  std::string bytes = ReadFile(path);
  bytes.replace(bytes.size() - 4, 4, std::string("\x10\0\0\0", 4));
  WriteFile(path, bytes);
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
  EXPECT_EQ(reader.GetUncompressedSize(), 0.0);
}

TEST(ArchiveStream, EmptyFiles) {
  TempFolder folder;
  const std::string plain = folder.File("empty.gml");
  const std::string packed = folder.File("empty.gml.gz");
  WriteFile(plain, "");
  WriteGzip(packed, "");
  for (const std::string& path : {plain, packed}) {
    SCOPED_TRACE(path);
    ArchiveReader reader;
    ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
    char c;
    EXPECT_EQ(reader.GetChar(&c), 0);
    EXPECT_EQ(reader.Tell(), 0);
    EXPECT_FALSE(reader.HasReadError());
  }
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(packed.c_str()), 1);
  EXPECT_EQ(reader.IsCompressed(), 1);
  EXPECT_EQ(reader.GetUncompressedSize(), 0.0);
}

TEST(ArchiveStream, FilesThatCannotBeOpened) {
  TempFolder folder;
  // A gzip header whose compression method is not deflate: the first read
  // fails.
  const std::string badHeader = folder.File("bad-header.gz");
  WriteFile(badHeader, std::string("\x1f\x8b\x07\x00garbage after the magic bytes", 34));
  // A gzip file cut off inside its first block.
  const std::string cutEarly = folder.File("cut-early.gz");
  WriteGzip(cutEarly, SampleText(5000));
  WriteFile(cutEarly, ReadFile(cutEarly).substr(0, 40));

  for (const std::string& path :
       {folder.File("missing.gml"), folder.Path(), badHeader, cutEarly}) {
    SCOPED_TRACE(path);
    ArchiveReader reader;
    EXPECT_EQ(reader.OpenGz(path.c_str()), 0);
    EXPECT_EQ(reader.GetLastError(), "Could not open GZ archive!");
    char c;
    EXPECT_EQ(reader.GetChar(&c), 0);
    EXPECT_EQ(reader.Tell(), -1);
    EXPECT_EQ(reader.IsCompressed(), 0);
  }
}

TEST(ArchiveStream, DamagedGzipEndsWithAReadError) {
  TempFolder folder;
  const std::string text = SampleText(200000);
  const std::string source = folder.File("whole.gz");
  WriteGzip(source, text);
  const std::string packed = ReadFile(source);

  std::string badCheck = packed;
  badCheck[badCheck.size() - 8] ^= 0x55;  // the CRC in the trailer
  std::string flipped = packed;
  flipped[flipped.size() / 2] ^= 0xFF;

  // A stream is checked as it goes, so damage inside a block may first give
  // wrong bytes; but a stream that is only cut short never does.
  const struct {
    const char* label;
    std::string bytes;
    bool truePrefix;
  } cases[] = {
      {"truncated", packed.substr(0, packed.size() * 2 / 3), true},
      {"without its trailer", packed.substr(0, packed.size() - 8), true},
      {"wrong check", badCheck, true},
      {"corrupt block", flipped, false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.label);
    const std::string path = folder.File("damaged.gz");
    WriteFile(path, test.bytes);
    ArchiveReader reader;
    ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
    const std::string got = ReadAll(reader);
    EXPECT_LE(got.size(), text.size());
    if (test.truePrefix) {
      EXPECT_EQ(got, text.substr(0, got.size()));
    }
    EXPECT_TRUE(reader.HasReadError());
    EXPECT_EQ(reader.GetLastError(), "Could not read GZ archive!");
    // zlib's reason, without the name zlib knows the file by.
    EXPECT_FALSE(reader.ReadErrorText().empty());
    EXPECT_EQ(reader.ReadErrorText().find("fd:"), std::string::npos) << reader.ReadErrorText();
    if (test.truePrefix && test.label[0] != 'w') {
      EXPECT_EQ(reader.ReadErrorText(), "unexpected end of file");
    }
  }
}

TEST(ArchiveStream, PositionsBeyondTwoGibibytes) {
  // A sparse plain file of 3 GiB with a marker past the 32-bit range.
  TempFolder folder;
  const std::string path = folder.File("sparse.gml");
  const int64_t marker = (int64_t{5} << 29) + 3;  // 2.5 GiB + 3
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(fseeko(file, marker, SEEK_SET), 0);
    std::fputs("<here>", file);
    ASSERT_EQ(fseeko(file, (int64_t{3} << 30) - 1, SEEK_SET), 0);
    std::fputc('!', file);
    std::fclose(file);
  }
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
  ASSERT_EQ(reader.Seek(marker, SEEK_SET), marker);
  EXPECT_EQ(reader.Tell(), marker);
  char c;
  ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(c, '<');
  ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(reader.Tell(), marker + 2);
  ASSERT_EQ(reader.Seek(marker + 5, SEEK_SET), marker + 5);
  ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(c, '>');
  ASSERT_EQ(reader.Seek((int64_t{3} << 30) - 1, SEEK_SET), (int64_t{3} << 30) - 1);
  ASSERT_EQ(reader.GetChar(&c), 1);
  EXPECT_EQ(c, '!');
  EXPECT_EQ(reader.GetChar(&c), 0);
  EXPECT_EQ(reader.Tell(), int64_t{3} << 30);
}

TEST(ArchiveStream, PlainFileThatIsNotGzipReadsAsItIs) {
  TempFolder folder;
  // Bytes that merely start like gzip's magic are no gzip file.
  const std::string path = folder.File("odd.bin");
  const std::string bytes("\x1f\x00\x8b\xff\xfe binary\n", 14);
  WriteFile(path, bytes);
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenGz(path.c_str()), 1);
  EXPECT_EQ(reader.IsCompressed(), 0);
  EXPECT_EQ(ReadAll(reader), bytes);
}

}  // namespace
