#include "common/archive/archive_reader.h"

#include "common/archive/tests/archive_fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using archive_test::ReadFile;
using archive_test::SampleText;
using archive_test::TarBytes;
using archive_test::TarHeader;
using archive_test::TarItem;
using archive_test::TempFolder;
using archive_test::WriteFile;
using archive_test::WriteGzip;
using archive_test::WriteZip;
using archive_test::ZipItem;

struct Entry {
  int result = 0;
  std::string data;
  int32_t size = -1;
  int32_t isRegular = -1;
  std::string name;
};

Entry Read(ArchiveReader& reader, int32_t index) {
  Entry entry;
  const char* data = nullptr;
  entry.result = reader.ReadEntry(index, data, entry.size, entry.isRegular, entry.name);
  if (entry.result == 1) entry.data.assign(data, static_cast<std::size_t>(entry.size));
  return entry;
}

TEST(ArchiveOctalField, Values) {
  const struct {
    const char* field;
    int width;
    uint64_t expected;
  } cases[] = {
      {"0000644", 7, 0644},
      {"   17 ", 6, 017},
      {"\t 7", 3, 7},
      {"12345678", 8, 012345670 / 010},  // reading stops at the 8
      {"777", 2, 077},                   // and at the width
      {"", 0, 0},
      {"      ", 6, 0},
      {"x12", 3, 0},
      {"77777777777", 11, 077777777777ull},  // wider than 32 bits
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.field);
    EXPECT_EQ(ParseOctalField(test.field, test.width), test.expected);
  }
}

class TarArchive : public ::testing::Test {
 protected:
  std::string MakeTarGz(const std::string& tar) {
    const std::string path = folder_.File("set.tar.gz");
    WriteGzip(path, tar);
    return path;
  }

  TempFolder folder_;
};

TEST_F(TarArchive, CountsAndReadsEntries) {
  const std::vector<TarItem> items = {
      {.name = "one.gml", .data = SampleText(700)},
      {.name = "dir/", .data = "", .type = '5'},
      {.name = "three.gml", .data = SampleText(1024, 3)},
      {.name = "old-style", .data = "x", .type = '\0'},
  };
  const std::string tar = TarBytes(items);
  ArchiveReader reader;
  ASSERT_EQ(reader.Open(MakeTarGz(tar).c_str()), 1);
  EXPECT_EQ(reader.ArchiveKind(), ArchiveReader::kTarGz);
  EXPECT_EQ(reader.GetEntryCount(), 4);
  for (int32_t i : {2, 0, 3, 1}) {
    SCOPED_TRACE(i);
    const Entry entry = Read(reader, i);
    ASSERT_EQ(entry.result, 1);
    EXPECT_EQ(entry.name, items[i].name);
    EXPECT_EQ(entry.data, items[i].data);
    EXPECT_EQ(entry.isRegular, items[i].type == '5' ? 0 : 1);
  }
  // Entry 1 begins right after entry 0's data rounded up to 512 bytes.
  const char* first = nullptr;
  const char* second = nullptr;
  int32_t size, regular;
  std::string name;
  ASSERT_EQ(reader.ReadEntry(0, first, size, regular, name), 1);
  ASSERT_EQ(reader.ReadEntry(1, second, size, regular, name), 1);
  EXPECT_EQ(second - first, 1024 + 512);
}

TEST_F(TarArchive, DamagedHeadersEndTheArchive) {
  std::string tar = TarBytes({{.name = "a", .data = "alpha"},
                              {.name = "b", .data = "beta"},
                              {.name = "c", .data = "gamma"}});
  tar[1024 + 148 + 2] ^= 0x01;  // the checksum of the second header
  ArchiveReader reader;
  ASSERT_EQ(reader.Open(MakeTarGz(tar).c_str()), 1);
  EXPECT_EQ(reader.GetEntryCount(), 1);
  EXPECT_EQ(Read(reader, 0).data, "alpha");
  // Landing on the bad header fails without a new text; stepping over it
  // is an invalid position.
  EXPECT_EQ(Read(reader, 1).result, 0);
  EXPECT_EQ(reader.GetLastError(), "");
  EXPECT_EQ(Read(reader, 2).result, 0);
  EXPECT_EQ(reader.GetLastError(), "Invalid file position !");
  EXPECT_EQ(Read(reader, -1).result, 0);
}

TEST_F(TarArchive, CutOffArchiveEndsAtItsLastWholeEntry) {
  const std::string tar = TarBytes({{.name = "a", .data = SampleText(600)},
                                    {.name = "b", .data = SampleText(2000)}});
  // Cut inside the second entry's data: its header announces more than is
  // there.
  ArchiveReader reader;
  ASSERT_EQ(reader.Open(MakeTarGz(tar.substr(0, 1536 + 1000)).c_str()), 1);
  EXPECT_EQ(reader.GetEntryCount(), 1);
  EXPECT_EQ(Read(reader, 1).result, 0);
  // A header that announces a size far beyond the data.
  const std::string huge = TarBytes({{.name = "a", .data = "alpha"}}).substr(0, 1024) +
                           TarHeader("big", 077777777777ull) + std::string(512, 'x');
  ArchiveReader other;
  ASSERT_EQ(other.Open(MakeTarGz(huge).c_str()), 1);
  EXPECT_EQ(other.GetEntryCount(), 1);
  EXPECT_EQ(Read(other, 1).result, 0);
  // Content whose first header is not valid is no tar archive at all.
  ArchiveReader single;
  ASSERT_EQ(single.Open(MakeTarGz(huge.substr(1024)).c_str()), 1);
  EXPECT_EQ(single.ArchiveKind(), ArchiveReader::kGzip);
}

TEST_F(TarArchive, NamesThatLeaveTheirFolderAreRefused) {
  const std::string longName(100, 'n');  // fills the field, no terminator
  const std::string tar = TarBytes({{.name = "../up.gml", .data = "u"},
                                    {.name = "/etc/abs.gml", .data = "a"},
                                    {.name = "ok/../../x", .data = "x"},
                                    {.name = longName, .data = "long"},
                                    {.name = "fine/name.gml", .data = "f"}});
  ArchiveReader reader;
  ASSERT_EQ(reader.Open(MakeTarGz(tar).c_str()), 1);
  EXPECT_EQ(reader.GetEntryCount(), 5);
  for (int32_t i : {0, 1, 2}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Read(reader, i).result, 0);
    EXPECT_EQ(reader.GetLastError(), "File name leaves its folder !");
  }
  const Entry named = Read(reader, 3);
  ASSERT_EQ(named.result, 1);
  EXPECT_EQ(named.name, longName);
  EXPECT_EQ(named.data, "long");
  EXPECT_EQ(Read(reader, 4).name, "fine/name.gml");
}

TEST_F(TarArchive, ReadsWhatTheSystemTarMakes) {
  // An archive written by Python's tarfile (GNU format) rather than by hand.
  const std::string source = folder_.File("made");
  const std::string script =
      "import io, tarfile, sys\n"
      "with tarfile.open(sys.argv[1], 'w:gz', format=tarfile.GNU_FORMAT) as t:\n"
      "    for name, data in [('a.gml', b'<a/>' * 300), ('b/c.gml', b'')]:\n"
      "        info = tarfile.TarInfo(name); info.size = len(data)\n"
      "        t.addfile(info, io.BytesIO(data))\n";
  WriteFile(folder_.File("make.py"), script);
  const std::string command =
      "/usr/bin/python3 " + folder_.File("make.py") + " " + source + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "/usr/bin/python3 is not available";
  ArchiveReader reader;
  ASSERT_EQ(reader.Open(source.c_str()), 1);
  EXPECT_EQ(reader.GetEntryCount(), 2);
  const Entry first = Read(reader, 0);
  EXPECT_EQ(first.name, "a.gml");
  EXPECT_EQ(first.size, 1200);
  const Entry second = Read(reader, 1);
  EXPECT_EQ(second.result, 1);
  EXPECT_EQ(second.size, 0);
}

TEST(ArchiveOpen, SingleFiles) {
  TempFolder folder;
  const std::string text = SampleText(3000);
  const std::string plain = folder.File("plain.gml");
  WriteFile(plain, text);
  const std::string packed = folder.File("packed.gml.gz");
  WriteGzip(packed, text);
  for (const std::string& path : {plain, packed}) {
    SCOPED_TRACE(path);
    ArchiveReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), 1);
    EXPECT_EQ(reader.ArchiveKind(), ArchiveReader::kGzip);
    EXPECT_EQ(reader.GetEntryCount(), 1);
    const Entry entry = Read(reader, 0);
    ASSERT_EQ(entry.result, 1);
    EXPECT_EQ(entry.name, "unknown");
    EXPECT_EQ(entry.isRegular, 1);
    EXPECT_EQ(entry.data, text);
  }
}

TEST(ArchiveOpen, Failures) {
  TempFolder folder;
  const std::string empty = folder.File("empty");
  WriteFile(empty, "");
  const std::string cut = folder.File("cut.gz");
  WriteGzip(cut, SampleText(100000));
  const std::string packed = ReadFile(cut);
  WriteFile(cut, packed.substr(0, packed.size() / 2));

  const struct {
    std::string path;
    const char* error;
  } cases[] = {
      {folder.File("missing"), "Could not determine archive type !"},
      {folder.Path(), "Could not determine archive type !"},
      {empty, "Could not read data from gzip archive !"},
      {cut, "Could not read data from gzip archive !"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.path);
    ArchiveReader reader;
    EXPECT_EQ(reader.Open(test.path.c_str()), 0);
    EXPECT_EQ(reader.GetLastError(), test.error);
    EXPECT_EQ(reader.ArchiveKind(), ArchiveReader::kNone);
    // The reader stays closed and usable.
    EXPECT_EQ(reader.GetEntryCount(), -1);
    EXPECT_EQ(reader.GetLastError(), "Archive not opened");
    EXPECT_EQ(Read(reader, 0).result, 0);
    EXPECT_EQ(reader.GetLastError(), "Archive not opened");
  }

  ArchiveReader reader;
  const std::string plain = folder.File("plain");
  WriteFile(plain, "x");
  ASSERT_EQ(reader.Open(plain.c_str()), 1);
  EXPECT_EQ(reader.Open(plain.c_str()), 0) << "already open";
  EXPECT_EQ(reader.OpenGz(plain.c_str()), 0) << "already open";
  reader.Close();
  EXPECT_EQ(reader.GetEntryCount(), -1);
  EXPECT_EQ(reader.Open(plain.c_str()), 1);
}

TEST(ArchiveOpen, ZipEntries) {
  TempFolder folder;
  const std::string text = SampleText(20000);
  const std::string path = folder.File("set.zip");
  ASSERT_TRUE(WriteZip(path, {{.name = "a.gml", .data = text},
                              {.name = "folder/", .data = "", .externalAttributes = 0x41ED0010},
                              {.name = "../up.gml", .data = "up"},
                              {.name = "empty.gml", .data = ""}}));
  ArchiveReader reader;
  ASSERT_EQ(reader.Open(path.c_str()), 1);
  EXPECT_EQ(reader.ArchiveKind(), ArchiveReader::kZip);
  EXPECT_EQ(reader.GetEntryCount(), 4);

  const char* data = nullptr;
  int32_t size = 0, regular = 0;
  std::string name;
  ASSERT_EQ(reader.ReadEntry(0, data, size, regular, name), 1);
  EXPECT_EQ(std::string(data, size), text);
  EXPECT_EQ(data[size], '\0');
  EXPECT_EQ(regular, 1);
  EXPECT_EQ(name, "a.gml");

  const Entry folderEntry = Read(reader, 1);
  ASSERT_EQ(folderEntry.result, 1);
  EXPECT_EQ(folderEntry.isRegular, 0) << "a folder is no regular file";

  EXPECT_EQ(Read(reader, 2).result, 0);
  EXPECT_EQ(reader.GetLastError(), "File name leaves its folder !");

  const Entry empty = Read(reader, 3);
  ASSERT_EQ(empty.result, 1);
  EXPECT_EQ(empty.size, 0);

  for (int32_t bad : {-1, 4}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(Read(reader, bad).result, 0);
    EXPECT_EQ(reader.GetLastError(),
              "Could not get file at the specified position from the archive !");
  }
}

TEST(ArchiveOpen, DamagedZipEntryIsNotHandedOut) {
  TempFolder folder;
  const std::string path = folder.File("damaged.zip");
  const std::string marker = "stored data that will lose one bit";
  ASSERT_TRUE(WriteZip(path, {{.name = "a.txt", .data = marker, .stored = true}}));
  std::string bytes = ReadFile(path);
  bytes[bytes.find(marker) + 3] ^= 0x20;
  WriteFile(path, bytes);
  ArchiveReader reader;
  ASSERT_EQ(reader.Open(path.c_str()), 1);
  EXPECT_EQ(Read(reader, 0).result, 0);
  EXPECT_EQ(reader.GetLastError(),
            "Could not unzip file at the specified position from the archive !");
}

}  // namespace
