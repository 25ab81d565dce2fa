#include "common/archive/zip_layer.h"

#include "common/archive/tests/archive_fixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using archive_test::ReadFile;
using archive_test::SampleText;
using archive_test::TempFolder;
using archive_test::WriteFile;
using archive_test::WriteZip;
using archive_test::ZipItem;

// Windows file time of a UTC calendar time, by the C library's own count.
uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_sec = second;
  return (static_cast<uint64_t>(timegm(&when)) + 11644473600ull) * 10000000ull;
}

uint64_t FileTimeOfUnix(int64_t seconds) {
  return static_cast<uint64_t>(seconds + 11644473600ll) * 10000000ull;
}

// An extended timestamp block: flags, then the given Unix times.
std::string TimestampBlock(unsigned flags, const std::vector<uint32_t>& times,
                           int announced = -1) {
  std::string data(1, static_cast<char>(flags));
  for (uint32_t t : times) {
    for (int i = 0; i < 4; ++i) data += static_cast<char>((t >> (8 * i)) & 0xFF);
  }
  const unsigned size = announced < 0 ? static_cast<unsigned>(data.size()) : announced;
  return std::string("UT") + static_cast<char>(size & 0xFF) + static_cast<char>(size >> 8) + data;
}

// Runs the test body in another current folder and goes back afterwards.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

std::string Message(ZipResult code) {
  char text[128];
  FormatZipMessage(code, text, sizeof text);
  return text;
}

TEST(ZipLayer, MessageTexts) {
  const struct {
    ZipResult code;
    const char* text;
  } cases[] = {
      {0, "Success"},
      {0x100, "Culdn't duplicate handle"},
      {0x200, "Couldn't create/open file"},
      {0x300, "Failed to allocate memory"},
      {0x400, "Error writing to file"},
      {0x500, "File not found in the zipfile"},
      {0x600, "Still more data to unzip"},
      {0x700, "Zipfile is corrupt or not a zipfile"},
      {0x800, "Error reading file"},
      {0x10000, "Caller: faulty arguments"},
      {0x20000, "Caller: can only get memory of a memory zipfile"},
      {0x30000, "Caller: not enough space allocated for memory zipfile"},
      {0x40000, "Caller: there was a previous error"},
      {0x50000, "Caller: additions to the zip have already been ended"},
      {0x60000, "Zip-bug: the anticipated size turned out wrong"},
      {0x70000, "Caller: the file had already been partially unzipped"},
      {0x80000, "Caller: mixing creation and opening of zip"},
      {0x1000000, "Zip-bug: internal initialisation not completed"},
      {0x2000000, "Zip-bug: trying to seek the unseekable"},
      {0x4000000, "Zip-bug: tried to change mind, but not allowed"},
      {0x5000000, "Zip-bug: an internal error during flation"},
      {0x3000000, "unknown zip result code"},
      {0x101, "unknown zip result code"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.code);
    EXPECT_EQ(Message(test.code), test.text);
    EXPECT_EQ(FormatZipMessage(test.code, nullptr, 0), std::strlen(test.text));
  }

  // A short buffer takes what fits and a NUL; the result is the full length.
  char eight[8];
  std::memset(eight, '#', sizeof eight);
  EXPECT_EQ(FormatZipMessage(0x500, eight, sizeof eight), 29u);
  EXPECT_STREQ(eight, "File no");
  char one[1] = {'#'};
  EXPECT_EQ(FormatZipMessage(0x500, one, 1), 29u);
  EXPECT_EQ(one[0], '\0');

  // Code 1 describes the most recent result.
  EXPECT_EQ(OpenZip("/no/such/archive.zip", 0, kZipIoFilename), nullptr);
  EXPECT_EQ(Message(kZipRecent), "Couldn't create/open file");
}

class ZipArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    big_ = SampleText(5000);
    items_ = {
        {.name = "first.gml", .data = "<a>first</a>"},
        {.name = "big/coords.gml", .data = big_},
        {.name = "Third.TXT", .data = "third", .stored = true},
    };
    path_ = folder_.File("set.zip");
    ASSERT_TRUE(WriteZip(path_, items_));
  }

  // Unzips an entry to memory in pieces of `piece` bytes.
  static std::string UnzipInPieces(ZipHandle* zip, int index, uint32_t piece, ZipResult& last) {
    std::string out;
    std::vector<char> buffer(piece);
    do {
      std::memset(buffer.data(), 0, piece);
      last = UnzipItem(zip, index, buffer.data(), piece, kZipIoMemory);
      if (last == kZipMore) out.append(buffer.data(), strnlen(buffer.data(), piece));
    } while (last == kZipMore);
    return out;
  }

  void CheckArchive(ZipHandle* zip) {
    ASSERT_NE(zip, nullptr);
    ZipEntry entry;
    ASSERT_EQ(GetZipItem(zip, -1, &entry), kZipOk);
    EXPECT_EQ(entry.index, 3);
    EXPECT_STREQ(entry.name, "");
    for (int i : {2, 0, 1}) {
      SCOPED_TRACE(i);
      ASSERT_EQ(GetZipItem(zip, i, &entry), kZipOk);
      EXPECT_EQ(entry.index, i);
      EXPECT_EQ(entry.name, items_[i].name);
      EXPECT_EQ(entry.uncompressedSize, static_cast<int32_t>(items_[i].data.size()));
      ZipResult last = kZipOk;
      EXPECT_EQ(UnzipInPieces(zip, i, 700, last), items_[i].data);
      EXPECT_EQ(last, kZipOk);
    }
    EXPECT_EQ(CloseZip(zip), kZipOk);
  }

  TempFolder folder_;
  std::string big_;
  std::vector<ZipItem> items_;
  std::string path_;
};

TEST_F(ZipArchive, OpensFromFileNameMemoryAndDescriptor) {
  {
    SCOPED_TRACE("file name");
    CheckArchive(OpenZip(path_.c_str(), 0, kZipIoFilename));
  }
  const std::string bytes = ReadFile(path_);
  {
    SCOPED_TRACE("memory");
    CheckArchive(OpenZip(bytes.data(), static_cast<uint32_t>(bytes.size()), kZipIoMemory));
  }
  {
    // The archive starts where the descriptor stands, after other data.
    SCOPED_TRACE("descriptor");
    const std::string joined = folder_.File("joined.bin");
    WriteFile(joined, std::string(100, 'x') + bytes);
    int fd = open(joined.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(lseek(fd, 100, SEEK_SET), 100);
    CheckArchive(OpenZip(&fd, 0, kZipIoHandle));
    EXPECT_EQ(fcntl(fd, F_GETFD), 0) << "the caller's descriptor stays open";
    close(fd);
  }
}

TEST_F(ZipArchive, FindsEntriesByName) {
  ZipHandle* zip = OpenZip(path_.c_str(), 0, kZipIoFilename);
  ASSERT_NE(zip, nullptr);
  int index = 99;
  ZipEntry entry;
  EXPECT_EQ(FindZipItem(zip, "big/coords.gml", false, &index, &entry), kZipOk);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(entry.index, 1);
  EXPECT_STREQ(entry.name, "big/coords.gml");

  EXPECT_EQ(FindZipItem(zip, "third.txt", false, &index, &entry), kZipNotFound);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(entry.index, -1);
  EXPECT_STREQ(entry.name, "");
  EXPECT_EQ(entry.uncompressedSize, 0);

  EXPECT_EQ(FindZipItem(zip, "third.txt", true, index, entry), kZipOk);
  EXPECT_EQ(index, 2);
  EXPECT_STREQ(entry.name, "Third.TXT");
  // The entry found can be read at once, and an earlier one after it.
  ZipResult last = kZipOk;
  EXPECT_EQ(UnzipInPieces(zip, 2, 64, last), "third");
  EXPECT_EQ(UnzipInPieces(zip, 0, 64, last), "<a>first</a>");
  EXPECT_EQ(CloseZip(zip), kZipOk);
}

TEST_F(ZipArchive, ArgumentErrors) {
  ZipEntry entry;
  int index;
  char buffer[8];
  EXPECT_EQ(GetZipItem(nullptr, 0, &entry), kZipArgs);
  EXPECT_EQ(FindZipItem(nullptr, "a", false, &index, &entry), kZipArgs);
  EXPECT_EQ(UnzipItem(nullptr, 0, buffer, sizeof buffer, kZipIoMemory), kZipArgs);
  EXPECT_EQ(CloseZip(nullptr), kZipArgs);
  EXPECT_EQ(OpenZip(path_.c_str(), 0, 4), nullptr);
  EXPECT_EQ(Message(kZipRecent), "Caller: faulty arguments");
  EXPECT_EQ(OpenZip(nullptr, 0, kZipIoMemory), nullptr);

  ZipHandle* zip = OpenZip(path_.c_str(), 0, kZipIoFilename);
  ASSERT_NE(zip, nullptr);
  for (int bad : {-2, 3, 1000}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(GetZipItem(zip, bad, &entry), kZipArgs);
    EXPECT_EQ(UnzipItem(zip, bad, buffer, sizeof buffer, kZipIoMemory), kZipArgs);
  }
  EXPECT_EQ(UnzipItem(zip, -1, buffer, sizeof buffer, kZipIoMemory), kZipArgs);
  EXPECT_EQ(UnzipItem(zip, 0, buffer, sizeof buffer, 7), kZipArgs);
  EXPECT_EQ(GetZipItem(zip, 0, nullptr), kZipArgs);
  EXPECT_EQ(CloseZip(zip), kZipOk);
}

TEST(ZipLayer, ArchivesThatDoNotOpen) {
  TempFolder folder;
  const std::string text = folder.File("text.gml");
  WriteFile(text, SampleText(3000));
  const std::string whole = folder.File("whole.zip");
  ASSERT_TRUE(WriteZip(whole, {{.name = "a", .data = SampleText(3000)}}));
  const std::string cut = folder.File("cut.zip");
  const std::string bytes = ReadFile(whole);
  WriteFile(cut, bytes.substr(0, bytes.size() - 30));
  const std::string empty = folder.File("empty.zip");
  WriteFile(empty, "");

  const struct {
    std::string path;
    ZipResult expected;
  } byName[] = {
      {folder.File("missing.zip"), kZipNoFile},
      {text, kZipCorrupt},
      {cut, kZipCorrupt},
      {empty, kZipCorrupt},
      {folder.Path(), kZipCorrupt},
  };
  for (const auto& test : byName) {
    SCOPED_TRACE(test.path);
    EXPECT_EQ(OpenZip(test.path.c_str(), 0, kZipIoFilename), nullptr);
    char message[64];
    FormatZipMessage(kZipRecent, message, sizeof message);
    EXPECT_EQ(Message(kZipRecent), Message(test.expected));
  }

  const std::string garbage = SampleText(100);
  EXPECT_EQ(OpenZip(garbage.data(), static_cast<uint32_t>(garbage.size()), kZipIoMemory),
            nullptr);
  EXPECT_EQ(Message(kZipRecent), Message(kZipCorrupt));

  // A pipe cannot be positioned.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  EXPECT_EQ(OpenZip(&ends[0], 0, kZipIoHandle), nullptr);
  EXPECT_EQ(Message(kZipRecent), Message(kZipSeek));
  close(ends[0]);
  close(ends[1]);
}

TEST(ZipLayer, EntryAttributes) {
  const struct {
    uint32_t external;
    uint32_t expected;
  } cases[] = {
      {0x81A40000, 0x80},                      // Unix rw-r--r--
      {0x81240000, 0x80 | 0x01},               // Unix r--r--r--: no owner write
      {0x41ED0010, 0x80 | 0x10},               // Unix folder with the DOS folder bit
      {0x40000000, 0x80 | 0x10 | 0x01},        // Unix folder bit alone
      {0x00000021, 0x80 | 0x20 | 0x01},        // DOS archive, read-only
      {0x00000026, 0x80 | 0x20 | 0x04 | 0x02 | 0x01},  // DOS archive, system, hidden
  };
  TempFolder folder;
  std::vector<ZipItem> items;
  for (const auto& test : cases) {
    items.push_back({.name = "e" + std::to_string(items.size()), .data = "x",
                     .externalAttributes = test.external});
  }
  const std::string path = folder.File("attributes.zip");
  ASSERT_TRUE(WriteZip(path, items));
  ZipHandle* zip = OpenZip(path.c_str(), 0, kZipIoFilename);
  ASSERT_NE(zip, nullptr);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    ZipEntry entry;
    ASSERT_EQ(GetZipItem(zip, static_cast<int>(i), &entry), kZipOk);
    EXPECT_EQ(entry.attributes, cases[i].expected);
  }
  CloseZip(zip);
}

TEST(ZipLayer, EntryTimes) {
  const uint64_t dos = FileTimeOf(2020, 6, 15, 13, 37, 30);
  const uint32_t m = 1700000000, a = 1700000100, c = 1600000000;
  const std::string otherBlock = std::string("\x0a\x00\x04\x00", 4) + "abcd";
  const struct {
    const char* label;
    std::string extra;
    uint64_t modification, access, creation;
  } cases[] = {
      {"no extra field", "", dos, dos, dos},
      {"modification only", TimestampBlock(1, {m}), FileTimeOfUnix(m), dos, dos},
      {"all three", TimestampBlock(7, {m, a, c}), FileTimeOfUnix(m), FileTimeOfUnix(a),
       FileTimeOfUnix(c)},
      {"access and creation", TimestampBlock(6, {a, c}), dos, FileTimeOfUnix(a),
       FileTimeOfUnix(c)},
      {"after another block", otherBlock + TimestampBlock(3, {m, a}), FileTimeOfUnix(m),
       FileTimeOfUnix(a), dos},
      // Flags announce three times, the block holds one.
      {"short block", TimestampBlock(7, {m}), FileTimeOfUnix(m), dos, dos},
      // The block claims more than the field holds.
      {"block past the field", TimestampBlock(7, {m, a}, 200), FileTimeOfUnix(m),
       FileTimeOfUnix(a), dos},
      {"empty block", TimestampBlock(0, {}, 0).substr(0, 4), dos, dos, dos},
  };
  TempFolder folder;
  std::vector<ZipItem> items;
  for (const auto& test : cases) {
    items.push_back({.name = test.label, .data = "x", .localExtra = test.extra});
  }
  const std::string path = folder.File("times.zip");
  ASSERT_TRUE(WriteZip(path, items));
  ZipHandle* zip = OpenZip(path.c_str(), 0, kZipIoFilename);
  ASSERT_NE(zip, nullptr);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].label);
    ZipEntry entry;
    ASSERT_EQ(GetZipItem(zip, static_cast<int>(i), &entry), kZipOk);
    EXPECT_EQ(entry.modificationTime, cases[i].modification);
    EXPECT_EQ(entry.accessTime, cases[i].access);
    EXPECT_EQ(entry.creationTime, cases[i].creation);
  }
  CloseZip(zip);
}

TEST(ZipLayer, DosTimes) {
  EXPECT_EQ(DosTimeToFileTime(0x0021, 0), FileTimeOf(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(DosTimeToFileTime((44 << 9) | (2 << 5) | 29, (23 << 11) | (59 << 5) | 29),
            FileTimeOf(2024, 2, 29, 23, 59, 58));
  EXPECT_EQ(DosTimeToFileTime(0, 0), 0u) << "month 0 is no date";
  EXPECT_EQ(UnixTimeToFileTime(0), 116444736000000000ull);
}

TEST(ZipLayer, UnzipsToFilesBelowTheBaseFolder) {
  TempFolder folder;
  const std::string archive = folder.File("files.zip");
  const std::string text = SampleText(40000);  // more than one piece
  ASSERT_TRUE(WriteZip(archive, {
                                    {.name = "top.txt", .data = "top"},
                                    {.name = "sub/deeper/inner.gml", .data = text},
                                    {.name = "made/", .data = "", .externalAttributes = 0x41ED0010},
                                    {.name = "../escape.txt", .data = "out"},
                                    {.name = "stamped.txt", .data = "t",
                                     .localExtra = TimestampBlock(1, {1700000000})},
                                }));
  std::filesystem::create_directory(folder.File("base"));
  ZipHandle* zip;
  {
    InFolder inBase(folder.File("base"));
    zip = OpenZip(archive.c_str(), 0, kZipIoFilename);
  }
  ASSERT_NE(zip, nullptr);
  // The base folder is fixed when the archive is opened.
  EXPECT_EQ(UnzipItem(zip, 0, const_cast<char*>("top.txt"), 0, kZipIoFilename), kZipOk);
  EXPECT_EQ(ReadFile(folder.File("base/top.txt")), "top");
  EXPECT_EQ(UnzipItem(zip, 1, const_cast<char*>("sub\\deeper/inner.gml"), 0, kZipIoFilename),
            kZipOk);
  EXPECT_EQ(ReadFile(folder.File("base/sub/deeper/inner.gml")), text);
  EXPECT_EQ(UnzipItem(zip, 2, const_cast<char*>("made/"), 0, kZipIoFilename), kZipOk);
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("base/made")));

  EXPECT_EQ(UnzipItem(zip, 4, const_cast<char*>("stamped.txt"), 0, kZipIoFilename), kZipOk);
  struct stat info;
  ASSERT_EQ(stat(folder.File("base/stamped.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, 1700000000);

  // Names that climb out of the base folder are refused, for files and
  // folders alike, and nothing is created.
  const std::string outside = folder.File("abs");
  for (const std::string& target :
       {std::string("../escape.txt"), std::string("sub/../../escape.txt"),
        std::string("..\\escape.txt"), outside + "/x.txt", std::string("C:escape.txt")}) {
    SCOPED_TRACE(target);
    EXPECT_EQ(UnzipItem(zip, 3, const_cast<char*>(target.c_str()), 0, kZipIoFilename),
              kZipArgs);
    EXPECT_EQ(UnzipItem(zip, 2, const_cast<char*>(target.c_str()), 0, kZipIoFilename),
              kZipArgs);
  }
  EXPECT_FALSE(std::filesystem::exists(folder.File("escape.txt")));
  EXPECT_FALSE(std::filesystem::exists(outside));

  // To a descriptor.
  const std::string target = folder.File("by-descriptor.txt");
  int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(UnzipItem(zip, 1, &fd, 0, kZipIoHandle), kZipOk);
  close(fd);
  EXPECT_EQ(ReadFile(target), text);
  EXPECT_EQ(CloseZip(zip), kZipOk);
}

TEST(ZipLayer, DamagedEntryDataFailsItsCheck) {
  TempFolder folder;
  const std::string path = folder.File("damaged.zip");
  const std::string marker = "0123456789-stored-data-9876543210";
  ASSERT_TRUE(WriteZip(path, {{.name = "a.txt", .data = marker, .stored = true}}));
  std::string bytes = ReadFile(path);
  const std::size_t at = bytes.find(marker);
  ASSERT_NE(at, std::string::npos);
  bytes[at + 5] ^= 0x01;
  WriteFile(path, bytes);

  ZipHandle* zip = OpenZip(path.c_str(), 0, kZipIoFilename);
  ASSERT_NE(zip, nullptr);
  char buffer[64];
  EXPECT_EQ(UnzipItem(zip, 0, buffer, sizeof buffer, kZipIoMemory), kZipMore);
  EXPECT_EQ(UnzipItem(zip, 0, buffer, sizeof buffer, kZipIoMemory), kZipFlate);
  const std::string target = "out.txt";
  {
    InFolder inFolder(folder.Path());
    ZipHandle* again = OpenZip(path.c_str(), 0, kZipIoFilename);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(UnzipItem(again, 0, const_cast<char*>(target.c_str()), 0, kZipIoFilename),
              kZipWrite);
    CloseZip(again);
  }
  CloseZip(zip);
}

}  // namespace
