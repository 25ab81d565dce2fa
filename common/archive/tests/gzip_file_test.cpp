#include "common/archive/gzip_file.h"

#include "common/archive/tests/archive_fixtures.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using archive_test::ReadFile;
using archive_test::SampleText;
using archive_test::TempFolder;
using archive_test::WriteFile;
using archive_test::WriteGzip;

// Decompresses a file with zlib alone.
std::string Gunzip(const std::string& path) {
  gzFile file = gzopen(path.c_str(), "rb");
  std::string out;
  if (file == nullptr) return out;
  char piece[4096];
  int count;
  while ((count = gzread(file, piece, sizeof piece)) > 0) out.append(piece, count);
  gzclose(file);
  return out;
}

TEST(GzipFile, WritesWhatZlibReadsBack) {
  TempFolder folder;
  const std::string path = folder.File("out.gz");
  const std::string text = SampleText(70000);
  zlib::CGZip gzip;
  EXPECT_EQ(gzip.Mode(), zlib::CZipper::kModeClosed);
  ASSERT_TRUE(gzip.Open(path.c_str(), zlib::CZipper::kModeWrite));
  EXPECT_EQ(gzip.Mode(), zlib::CZipper::kModeWrite);
  EXPECT_TRUE(gzip.WriteString("head\n"));
  EXPECT_TRUE(gzip.WriteBuffer(text.data(), text.size()));
  EXPECT_TRUE(gzip.Flush(Z_SYNC_FLUSH));
  // Reading is refused in write mode.
  char c;
  EXPECT_EQ(gzip.ReadBufferSize(&c, 1), 0);
  EXPECT_TRUE(gzip.Close());
  EXPECT_FALSE(gzip.Close()) << "nothing left to close";
  EXPECT_EQ(gzip.Mode(), zlib::CZipper::kModeWrite) << "closing keeps the mode";
  EXPECT_FALSE(gzip.WriteString("late")) << "nothing is open";
  EXPECT_EQ(Gunzip(path), "head\n" + text);
}

TEST(GzipFile, OpenRefusals) {
  TempFolder folder;
  const std::string path = folder.File("a.gz");
  WriteGzip(path, "abc");
  zlib::CGZip gzip;
  EXPECT_FALSE(gzip.Open(path.c_str(), 0));
  EXPECT_FALSE(gzip.Open(path.c_str(), 3));
  EXPECT_FALSE(gzip.Open(folder.File("missing").c_str(), zlib::CZipper::kModeRead));
  EXPECT_FALSE(gzip.Open(folder.Path().c_str(), zlib::CZipper::kModeRead));
  EXPECT_EQ(gzip.Mode(), zlib::CZipper::kModeClosed);
  EXPECT_FALSE(gzip.IsOpen());
  EXPECT_TRUE(gzip.IsEof());
  EXPECT_EQ(gzip.Tell(), -1);
  EXPECT_EQ(gzip.Seek(0, SEEK_SET), -1);
  ASSERT_TRUE(gzip.Open(path.c_str(), zlib::CZipper::kModeRead));
  EXPECT_FALSE(gzip.Open(path.c_str(), zlib::CZipper::kModeRead)) << "already open";
  EXPECT_FALSE(gzip.WriteString("x")) << "read mode";
}

TEST(GzipFile, ReadsTheWholeContent) {
  TempFolder folder;
  // The pieces are as long as the file on disk, so a well-compressed file
  // takes many of them.
  const std::string text = SampleText(300000);
  const std::string packed = folder.File("whole.gz");
  const std::string plain = folder.File("whole.txt");
  WriteGzip(packed, text);
  WriteFile(plain, text);
  for (const std::string& path : {packed, plain}) {
    SCOPED_TRACE(path);
    zlib::CGZip gzip;
    ASSERT_TRUE(gzip.Open(path.c_str(), zlib::CZipper::kModeRead));
    EXPECT_EQ(gzip.ChunkSize(), ReadFile(path).size());
    std::unique_ptr<char[]> data;
    std::size_t length = 99;
    ASSERT_TRUE(gzip.ReadBuffer(data, length));
    EXPECT_EQ(std::string(data.get(), length), text);
    EXPECT_TRUE(gzip.IsEof());
    EXPECT_FALSE(gzip.HasReadError());
  }
  zlib::CGZip gzip;
  ASSERT_TRUE(gzip.Open(packed.c_str(), zlib::CZipper::kModeRead));
  std::unique_ptr<char[]> data;
  ASSERT_TRUE(gzip.ReadBufferString(data));
  EXPECT_EQ(std::strlen(data.get()), text.size());
}

TEST(GzipFile, WholeContentRefusals) {
  TempFolder folder;
  const std::string text = SampleText(100000);
  const std::string packed = folder.File("p.gz");
  WriteGzip(packed, text);
  const std::string cut = folder.File("cut.gz");
  const std::string packedBytes = ReadFile(packed);
  WriteFile(cut, packedBytes.substr(0, packedBytes.size() * 2 / 3));
  const std::string empty = folder.File("empty");
  WriteFile(empty, "");
  const std::string emptyGzip = folder.File("empty.gz");
  WriteGzip(emptyGzip, "");

  for (const std::string& path : {cut, empty, emptyGzip}) {
    SCOPED_TRACE(path);
    zlib::CGZip gzip;
    ASSERT_TRUE(gzip.Open(path.c_str(), zlib::CZipper::kModeRead));
    std::unique_ptr<char[]> data;
    std::size_t length = 99;
    EXPECT_FALSE(gzip.ReadBuffer(data, length));
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(data, nullptr);
  }
  zlib::CGZip notOpen;
  std::unique_ptr<char[]> data;
  std::size_t length = 0;
  EXPECT_FALSE(notOpen.ReadBuffer(data, length));
}

}  // namespace
