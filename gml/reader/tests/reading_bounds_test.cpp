// What one feature may make the reader hold: files built to blow up a
// reading (an area that refers over and over to one long line, a text of
// gigabytes packed into a small gzip, an area of a million empty rings or
// of millions of ring members, a line of fifty million points) are read in
// bounded memory and with a bounded spill file, the feature is refused
// through the refusal message and the rest is read. Each reading runs in a
// child process of its own, so that its peak memory is its own, with a
// temporary folder of its own and a ceiling on the size of any file it
// writes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <cstdlib>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/containers/text.h"
#include "host/ui/message_box.h"
#include "reader_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace reader_test;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr long kMemoryLimitKiB = 256 * 1024;
constexpr rlim_t kSpillLimitBytes = rlim_t{64} << 20;

const std::wstring kRefused = L"Features that cannot be stored were refused in \"";

// What a reading in a child process gave.
struct ChildReading {
  bool ran = false;
  int result = -1;
  long peakKiB = 0;
  std::string firstMessage;
  int messages = 0;
  std::int32_t lines = 0;
  std::int32_t keptAreas = 0;
  std::int32_t keptTexts = 0;
};

// What the child is given besides the file: its temporary folder (TMPDIR;
// none: the process's) and the size no file it writes may pass.
struct ChildSetting {
  std::string tempFolder;
  rlim_t fileBytes = kSpillLimitBytes;
};

// Reads `path` in import mode in a child process and reports what it gave
// and the child's peak resident memory.
ChildReading ReadInChild(const std::string& path, const ChildSetting& setting = {}) {
  ChildReading out;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return out;
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return out;
  if (child == 0) {
    close(pipeEnds[0]);
    if (!kSanitized) {
      // A reading that runs away fails at an allocation here rather than
      // take the machine's memory.
      const rlimit limit{rlim_t{2} << 30, rlim_t{2} << 30};
      setrlimit(RLIMIT_AS, &limit);
    }
    // A write past the ceiling fails (EFBIG) instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit fileLimit{setting.fileBytes, setting.fileBytes};
    setrlimit(RLIMIT_FSIZE, &fileLimit);
    if (!setting.tempFolder.empty()) setenv("TMPDIR", setting.tempFolder.c_str(), 1);
    alarm(120);
    std::string report;
    {
      OSGMLInputView view;
      host::ui::ClearMessageBoxes();
      const int result = AddInputFile(view, path) ? ReadAll(view) : -1;
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      const auto& boxes = host::ui::MessageBoxes();
      report = std::to_string(result) + "\n" + std::to_string(usage.ru_maxrss) + "\n" +
               std::to_string(boxes.size()) + "\n" + std::to_string(view.lines.count) + "\n" +
               std::to_string(view.keptAreas) + "\n" + std::to_string(view.keptTexts) + "\n" +
               (boxes.empty() ? std::string() : WideToNarrow(boxes.front().request.text));
    }
    const char* p = report.data();
    std::size_t left = report.size();
    while (left > 0) {
      const ssize_t n = write(pipeEnds[1], p, left);
      if (n <= 0) break;
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    close(pipeEnds[1]);
    _exit(0);
  }
  close(pipeEnds[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(n));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return out;
  std::istringstream in(report);
  in >> out.result >> out.peakKiB >> out.messages >> out.lines >> out.keptAreas >> out.keptTexts;
  out.ran = !in.fail();
  in.ignore(1);
  std::getline(in, out.firstMessage, '\0');
  return out;
}

void ExpectBoundedWithOneRefusal(const ChildReading& reading, const std::string& path,
                                 const std::string& reason) {
  ASSERT_TRUE(reading.ran) << "the reading did not end";
  EXPECT_EQ(reading.result, 1);
  EXPECT_EQ(reading.messages, 1);
  EXPECT_EQ(reading.firstMessage.rfind(WideToNarrow(kRefused) + path + "\"", 0), 0u)
      << reading.firstMessage;
  EXPECT_NE(reading.firstMessage.find(reason), std::string::npos) << reading.firstMessage;
  if (!kSanitized) {
    EXPECT_LT(reading.peakKiB, kMemoryLimitKiB);
  }
}

// An area whose ring refers 50,000 times to one line of 20,000 points (a
// file of about 3 MB) would be put together from a billion points.
TEST(ReadingBounds, AreaReferringOverAndOverToOneLongLine) {
  std::string coordinates;
  coordinates.reserve(20000 * 16);
  for (int i = 0; i < 20000; ++i)
    coordinates += std::to_string(1000 + i % 500) + "," + std::to_string(2000 + i / 500) + " ";
  std::string ring;
  const std::string member = "<osgb:ringMember orientation='+' xlink:href='#osgb1000000000000001'/>";
  ring.reserve(member.size() * 50000);
  for (int i = 0; i < 50000; ++i) ring += member;
  const std::string text =
      kSmallFileHead + LineMember("1000000000000001", coordinates) +
      "<osgb:topographicMember><osgb:TopographicArea fid='osgb1000000000000009'>"
      "<osgb:featureCode>10053</osgb:featureCode><osgb:polygon><osgb:outerBoundaryIs><osgb:Ring>" +
      ring + "</osgb:Ring></osgb:outerBoundaryIs></osgb:polygon></osgb:TopographicArea>"
             "</osgb:topographicMember>\n" +
      LineMember("1000000000000002", "0,0 5,5") + kSmallFileTail;
  ASSERT_GT(text.size(), 3000000u);
  TempFolder folder;
  const std::string path = (folder.Path() / "rings.gml").string();
  std::ofstream(path, std::ios::binary) << text;

  const ChildReading reading = ReadInChild(path);
  ExpectBoundedWithOneRefusal(reading, path, "area osgb1000000000000009 has more than 1000000 points");
  EXPECT_EQ(reading.lines, 2);  // the line itself and the one after the area
  EXPECT_EQ(reading.keptAreas, 0);
}

// `text` as a gzip member of its own: gzip readers read the members of a
// file one after the other as one text.
std::string GzipMember(const std::string& text) {
  std::string packed(compressBound(static_cast<uLong>(text.size())) + 64, '\0');
  z_stream s{};
  if (deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    return {};
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  s.avail_in = static_cast<uInt>(text.size());
  s.next_out = reinterpret_cast<Bytef*>(packed.data());
  s.avail_out = static_cast<uInt>(packed.size());
  const int code = deflate(&s, Z_FINISH);
  packed.resize(code == Z_STREAM_END ? s.total_out : 0);
  deflateEnd(&s);
  return packed;
}

bool Append(std::FILE* file, const std::string& bytes) {
  return !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// A text of 2 GiB in a cartographic text, packed into about 2 MB: one
// feature member far longer than anything the reader holds in memory.
TEST(ReadingBounds, GzipHoldingATextOfTwoGibibytes) {
  TempFolder folder;
  const std::string path = (folder.Path() / "text.gml.gz").string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  bool written = Append(
      file, GzipMember(kSmallFileHead + LineMember("1000000000000001", "0,0 1,1") +
                       "<osgb:cartographicMember><osgb:CartographicText fid='osgb1000000000000005'>"
                       "<osgb:featureCode>10026</osgb:featureCode><osgb:anchorPoint><gml:Point>"
                       "<gml:coordinates>10,10</gml:coordinates></gml:Point></osgb:anchorPoint>"
                       "<osgb:textRendering><osgb:anchorPosition>4</osgb:anchorPosition>"
                       "<osgb:font>2</osgb:font><osgb:height>1.5</osgb:height>"
                       "<osgb:orientation>0</osgb:orientation></osgb:textRendering>"
                       "<osgb:textString>"));
  // A mebibyte of the text, packed once and written 2048 times (a run of
  // four letters, which inflates faster than one letter repeated).
  std::string letters;
  for (int i = 0; i < (1 << 18); ++i) letters += "abcd";
  const std::string block = GzipMember(letters);
  for (int i = 0; i < 2048 && written; ++i) written = Append(file, block);
  written = written && Append(file, GzipMember("</osgb:textString></osgb:CartographicText>"
                                               "</osgb:cartographicMember>\n" +
                                               LineMember("1000000000000002", "5,5 6,6") + kSmallFileTail));
  ASSERT_EQ(std::fclose(file), 0);
  ASSERT_TRUE(written);
  ASSERT_LT(fs::file_size(path), 3000000u);

  const ChildReading reading = ReadInChild(path);
  ExpectBoundedWithOneRefusal(reading, path, "osgb:textString holds a text longer than 10239 characters");
  EXPECT_EQ(reading.keptTexts, 0);
  EXPECT_EQ(reading.lines, 2);  // the lines before and after the text
}

std::string Repeated(const std::string& text, int times) {
  std::string out;
  out.reserve(text.size() * static_cast<std::size_t>(times));
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// Writes a gzip file of `head`, `repeated` `times` over and `tail`. The
// repetitions are packed a few megabytes at a time, each block a gzip
// member of its own, so that a text of hundreds of megabytes is made in a
// moment and takes a few hundred kilobytes.
bool WriteRepeatingGzip(const std::string& path, const std::string& head,
                        const std::string& repeated, std::int64_t times, const std::string& tail) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const std::int64_t perBlock =
      std::max<std::int64_t>(1, (std::int64_t{4} << 20) / static_cast<std::int64_t>(repeated.size()));
  std::string block;
  for (std::int64_t i = 0; i < std::min(perBlock, times); ++i) block += repeated;
  const std::string packed = GzipMember(block);
  bool written = Append(file, GzipMember(head));
  std::int64_t left = times;
  for (; written && left >= perBlock; left -= perBlock) written = Append(file, packed);
  if (written && left > 0) written = Append(file, GzipMember(block.substr(0, left * repeated.size())));
  written = written && Append(file, GzipMember(tail));
  return std::fclose(file) == 0 && written;
}

// The start of an area whose outer ring refers to line 1000000000000001
// (which kSmallFileHead + this line member give), up to its inner rings.
const std::string kRefAreaStart =
    LineMember("1000000000000001", "0,0 10,0 10,10 0,0") +
    "<osgb:topographicMember><osgb:TopographicArea fid='osgb1000000000000009'>"
    "<osgb:featureCode>10053</osgb:featureCode><osgb:polygon><osgb:outerBoundaryIs><osgb:Ring>";
const std::string kRefAreaOuterEnd = "</osgb:Ring></osgb:outerBoundaryIs>";
const std::string kRefAreaEnd =
    "</osgb:polygon></osgb:TopographicArea></osgb:topographicMember>\n" +
    LineMember("1000000000000002", "0,0 5,5");
const std::string kRingMember = "<osgb:ringMember xlink:href='#osgb1000000000000001'/>";

// Each of these gzip files is read to its end by itself in bounded memory,
// with a spill file of a few megabytes at most; the one feature that would
// take more is refused through the refusal message, naming the file, and
// the line after it is read. Rings written out are bounded as rings given
// by references are. The sanitized build, whose memory is not measured,
// reads smaller files that still pass the bounds.
TEST(ReadingBounds, GzipFilesMadeToTakeGigabytes) {
  struct Case {
    const char* name;
    std::string head;
    std::string repeated;
    std::int64_t times;
    std::string tail;
    std::string reason;
    std::int32_t refused;  // features refused in all
  };
  const std::vector<Case> cases = {
      // Each ring given by references holds a member list of its own.
      {"an area of a million empty inner rings", kRefAreaStart + kRingMember + kRefAreaOuterEnd,
       "<osgb:innerBoundaryIs><osgb:Ring></osgb:Ring></osgb:innerBoundaryIs>",
       kSanitized ? 60000 : 1000000, kRefAreaEnd,
       "area osgb1000000000000009 has more than 50000 rings", 1},
      {"an area of millions of ring members", kRefAreaStart, kRingMember,
       kSanitized ? 600000 : 12000000, kRefAreaOuterEnd + kRefAreaEnd,
       "area osgb1000000000000009 has more than 500000 ring members", 1},
      {"an area of sixty thousand small inner rings written out",
       LineMember("1000000000000001", "0,0 10,0") +
           "<osgb:topographicMember><osgb:TopographicArea fid='osgb1000000000000009'>"
           "<osgb:featureCode>10053</osgb:featureCode><osgb:polygon><gml:Polygon>"
           "<gml:outerBoundaryIs><gml:LinearRing><gml:coordinates>0,0 10,0 10,10 0,0"
           "</gml:coordinates></gml:LinearRing></gml:outerBoundaryIs>",
       "<gml:innerBoundaryIs><gml:LinearRing><gml:coordinates>1,1 2,1 1,1</gml:coordinates>"
       "</gml:LinearRing></gml:innerBoundaryIs>",
       60000, "</gml:Polygon>" + kRefAreaEnd,
       "area osgb1000000000000009 has more than 50000 rings", 1},
      {"a road of millions of members",
       LineMember("1000000000000001", "0,0 10,0") +
           "<osgb:roadMember><osgb:Road fid='osgb4000000000000002'><osgb:roadName>Mill Road"
           "</osgb:roadName><gml:Box><gml:coordinates>0,0 100,100</gml:coordinates></gml:Box>",
       "<osgb:networkMember xlink:href='#osgb4000000000000001'/>", kSanitized ? 600000 : 12000000,
       "</osgb:Road></osgb:roadMember>\n" + LineMember("1000000000000002", "0,0 5,5"),
       "road osgb4000000000000002 has more than 500000 members", 1},
      // Refused by a value after its coordinates, each line takes back
      // what it spilled (four megabytes each, eighty in all).
      {"lines refused after their coordinates", LineMember("1000000000000001", "0,0 10,0"),
       "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000003'>"
       "<osgb:featureCode>10019</osgb:featureCode><osgb:polyline><gml:LineString>"
       "<gml:coordinates>" + Repeated("1,2 ", 200000) +
           "</gml:coordinates></gml:LineString></osgb:polyline><osgb:version>99999999999"
           "</osgb:version></osgb:TopographicLine></osgb:topographicMember>\n",
       20, LineMember("1000000000000002", "0,0 5,5"),
       "osgb:version '99999999999' is out of range", 20},
      // Refused as it is read, the line leaves nothing in the spill file;
      // the area that refers to it is refused with it.
      {"a line of fifty million points",
       "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000003'>"
       "<osgb:featureCode>10019</osgb:featureCode><osgb:polyline><gml:LineString>"
       "<gml:coordinates>",
       "1,2 ", kSanitized ? 1100000 : 50000000,
       "</gml:coordinates></gml:LineString></osgb:polyline></osgb:TopographicLine>"
       "</osgb:topographicMember>\n" +
           kRefAreaStart + "<osgb:ringMember xlink:href='#osgb1000000000000003'/>" +
           kRefAreaOuterEnd + kRefAreaEnd,
       "feature osgb1000000000000003 has more than 1000000 points", 2},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::string path = (folder.Path() / "big.gml.gz").string();
    ASSERT_TRUE(WriteRepeatingGzip(path, kSmallFileHead + c.head, c.repeated, c.times,
                                   c.tail + kSmallFileTail));
    ASSERT_LT(fs::file_size(path), 4000000u);

    const ChildReading reading = ReadInChild(path, {temp.Path().string(), kSpillLimitBytes});
    ExpectBoundedWithOneRefusal(reading, path, c.reason);
    EXPECT_NE(reading.firstMessage.find("(" + std::to_string(c.refused) + " in all)"),
              std::string::npos)
        << reading.firstMessage;
    EXPECT_EQ(reading.lines, 2);
    EXPECT_EQ(reading.keptAreas, 0);
    EXPECT_TRUE(fs::is_empty(temp.Path()));  // the spill file went with the pass
  }
}

// A temporary folder that cannot take the spill file (here a ceiling on the
// size of a file, which fails a write as a full disk does) fails the file
// with the folder and the system's reason named.
TEST(ReadingBounds, SpillFileThatCannotBeWrittenNamesTheFolderAndTheReason) {
  TempFolder folder;
  TempFolder temp;
  const std::string path = (folder.Path() / "line.gml.gz").string();
  // 200,000 points: some four megabytes of spill records.
  ASSERT_TRUE(WriteRepeatingGzip(
      path,
      std::string(kSmallFileHead) +
          "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000003'>"
          "<osgb:featureCode>10019</osgb:featureCode><osgb:polyline><gml:LineString>"
          "<gml:coordinates>",
      "1,2 ", 200000,
      std::string("</gml:coordinates></gml:LineString></osgb:polyline></osgb:TopographicLine>"
                  "</osgb:topographicMember>\n") +
          kSmallFileTail));

  const ChildReading reading = ReadInChild(path, {temp.Path().string(), rlim_t{1} << 20});
  ASSERT_TRUE(reading.ran) << "the reading did not end";
  EXPECT_EQ(reading.result, 0);
  EXPECT_EQ(reading.messages, 1);
  EXPECT_EQ(reading.firstMessage,
            "Operation canceled: the temporary folder \"" + temp.Path().string() +
                "/\" could not take the coordinates of \"" + path + "\" (" +
                std::strerror(EFBIG) + "). Make room there, or set TMPDIR to another folder.");
  EXPECT_TRUE(fs::is_empty(temp.Path()));
}

}  // namespace
