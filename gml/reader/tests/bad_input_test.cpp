// Damaged and hostile input: truncated and corrupt files, plain and gzip,
// unclosed tags, over-long tags, texts and tokens, references to features
// the file lacks, garbage, empty and vanished files. The run must end with
// the reader's own messages, never crash or read past a buffer, and never
// store a feature that was only partly read.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/containers/text.h"
#include "host/editor/command_line.h"
#include "host/system/fault.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"
#include "reader_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace reader_test;

const std::wstring kCannotOpen = L"Hey! Can not open file";
const std::wstring kFailedPass = L"Operation canceled. Could be memory problems?";
const std::wstring kRefused = L"Features that cannot be stored were refused in \"";
// Each of these follows the quoted path of the file.
const std::wstring kEndsEarly = L"\" ends early, at byte ";
const std::wstring kDamaged = L"\": its gzip data is damaged after byte ";

std::string Point(const std::string& toid, const std::string& coordinates) {
  return "<osgb:topographicMember><osgb:TopographicPoint fid='osgb" + toid +
         "'><osgb:featureCode>10020</osgb:featureCode><osgb:point><gml:Point><gml:coordinates>" +
         coordinates + "</gml:coordinates></gml:Point></osgb:point></osgb:TopographicPoint>"
         "</osgb:topographicMember>\n";
}

std::string InlineArea(const std::string& toid, const std::string& ring) {
  return "<osgb:topographicMember><osgb:TopographicArea fid='osgb" + toid +
         "'><osgb:featureCode>10021</osgb:featureCode><osgb:polygon><gml:Polygon>"
         "<gml:outerBoundaryIs><gml:LinearRing><gml:coordinates>" + ring +
         "</gml:coordinates></gml:LinearRing></gml:outerBoundaryIs></gml:Polygon>"
         "</osgb:polygon></osgb:TopographicArea></osgb:topographicMember>\n";
}

std::string RefArea(const std::string& toid, const std::vector<std::string>& members) {
  std::string ring;
  for (const std::string& m : members)
    ring += "<osgb:ringMember orientation='+' xlink:href='#osgb" + m + "'/>";
  return "<osgb:topographicMember><osgb:TopographicArea fid='osgb" + toid +
         "'><osgb:featureCode>10053</osgb:featureCode><osgb:polygon><osgb:outerBoundaryIs>"
         "<osgb:Ring>" + ring + "</osgb:Ring></osgb:outerBoundaryIs></osgb:polygon>"
         "</osgb:TopographicArea></osgb:topographicMember>\n";
}

std::string Link(const std::string& toid, const std::string& coordinates) {
  return "<osgb:networkMember><osgb:RoadLink fid='osgb" + toid +
         "'><osgb:descriptiveTerm>Minor Road</osgb:descriptiveTerm><osgb:polyline>"
         "<gml:LineString><gml:coordinates>" + coordinates +
         "</gml:coordinates></gml:LineString></osgb:polyline></osgb:RoadLink>"
         "</osgb:networkMember>\n";
}

std::string Road(const std::string& toid, const std::string& link) {
  return "<osgb:roadMember><osgb:Road fid='osgb" + toid +
         "'><osgb:roadName>Mill Road</osgb:roadName><gml:Box><gml:coordinates>0,0 100,100"
         "</gml:coordinates></gml:Box><osgb:networkMember xlink:href='#osgb" + link +
         "'/></osgb:Road></osgb:roadMember>\n";
}

// A small file with a feature of each main kind: lines, a point, an inline
// area, an area whose ring refers to the lines, a road link and its road.
std::string Body() {
  return LineMember("1000000000000001", "0,0 10,0 10,10") + LineMember("1000000000000002", "10,10 0,10 0,0") +
         Point("1000000000000003", "5,5,2.5") +
         InlineArea("1000000000000004", "20,20 30,20 30,30 20,20") +
         RefArea("1000000000000005", {"1000000000000001", "1000000000000002"}) +
         Link("4000000000000001", "40,40 50,50 60,40") +
         Road("4000000000000002", "4000000000000001");
}

std::string Whole() { return kSmallFileHead + Body() + kSmallFileTail; }

// 600 lines of distinct TOIDs: text several times the reader's stream buffer,
// so that damage half-way or in the trailer is met only while features are
// read, past the first block.
std::string SixHundredLinesFile() {
  std::string whole = kSmallFileHead;
  for (int i = 0; i < 600; ++i) {
    char toid[17];
    std::snprintf(toid, sizeof toid, "%016d", 1000000 + i);
    whole += LineMember(toid, std::to_string(i) + ",0 " + std::to_string(i) + ",1");
  }
  whole += kSmallFileTail;
  return whole;
}

std::string Gzip(const std::string& content) {
  uLongf size = compressBound(static_cast<uLong>(content.size())) + 64;
  std::string out(size, '\0');
  z_stream s{};
  deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  s.avail_in = static_cast<uInt>(content.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  deflate(&s, Z_FINISH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(random() & 0xff);
  // Plenty of angle brackets, so that the tag reader has work to do.
  for (std::size_t i = 0; i < size; i += 7) out[i] = (i / 7) % 2 ? '<' : '>';
  return out;
}

struct Reading {
  int result = -1;
  std::vector<std::wstring> messages;
  std::vector<std::string> stored;
  std::int32_t keptAreas = 0;
  std::int32_t seenAreas = 0;
  // The file's sizes in the list after the run.
  double size = 0;
  double compressedSize = 0;
};

// Reads one file in import mode through a dialog that is never shown.
// `beforeRun` may change the file after it was added to the list.
Reading Read(const std::string& path, const std::function<void()>& beforeRun = {}) {
  OSGMLInputView view;
  Reading out;
  if (!AddInputFile(view, path)) return out;
  if (beforeRun) beforeRun();
  host::ui::ClearMessageBoxes();
  out.result = ReadAll(view);
  for (const host::ui::MessageBoxRecord& box : host::ui::MessageBoxes())
    out.messages.push_back(box.request.text);
  host::ui::ClearMessageBoxes();
  out.stored = StoredFeatures(view);
  out.keptAreas = view.keptAreas;
  out.seenAreas = view.seenAreas;
  const auto& file = *static_cast<const GmlInputFile*>(view.inputFiles.data);
  out.size = file.size;
  out.compressedSize = file.compressedSize;
  return out;
}

std::string Write(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
  return path.string();
}

// Every stored feature must be one of the whole file's, complete. After a
// failed pass a road may lack its line: roads are stored at their end tag
// and given their line from their links only once the whole file was read.
void ExpectOnlyWholeFeatures(const Reading& reading, const std::vector<std::string>& whole) {
  std::set<std::string> known(whole.begin(), whole.end());
  if (reading.result == 0) {
    for (const std::string& feature : whole)
      if (feature.rfind("road|", 0) == 0) known.insert(feature.substr(0, feature.rfind('|') + 1));
  }
  for (const std::string& feature : reading.stored)
    EXPECT_TRUE(known.count(feature)) << "partly read feature stored: " << feature;
}

struct BadCase {
  const char* name;
  const char* fileName;
  std::function<std::string()> content;
  int result;
  std::wstring message;  // the one message box expected; empty for none
  // The features expected, each as the start of its StoredFeatures line
  // (kind and TOID, or more where the geometry matters), in sorted order.
  std::vector<std::string> stored;
};

TEST(BadInput, Table) {
  const std::string whole = Whole();
  const std::string gz = Gzip(whole);
  const std::vector<std::string> all = {
      "area|1000000000000004", "area|1000000000000005", "line|1000000000000001",
      "line|1000000000000002", "link|4000000000000001", "point|1000000000000003",
      "road|4000000000000002"};
  std::string longTag = "<osgb:topographicMember ";
  for (int i = 0; i < 3000; ++i) longTag += "a='x' ";
  longTag += ">";
  const std::vector<BadCase> cases = {
      // No root element closes in any of these: they end early.
      {"empty file", "empty.gml", [] { return std::string(); }, 1, kEndsEarly, {}},
      {"empty file named .gz", "empty.gml.gz", [] { return std::string(); }, 1, kEndsEarly, {}},
      {"binary garbage", "garbage.gml", [] { return Garbage(50000, 7); }, 1, kEndsEarly, {}},
      {"binary garbage named .gz", "garbage.gml.gz", [] { return Garbage(50000, 8); }, 1,
       kEndsEarly, {}},
      {"a .gz that is plain text is read as it is", "plain.gml.gz", [&] { return whole; }, 1,
       L"", all},
      {"gzip magic followed by garbage", "magic.gml.gz",
       [] { return std::string("\x1f\x8b\x08\x00", 4) + Garbage(5000, 9); }, 0, kDamaged, {}},
      {"gzip cut in its compressed data", "cut.gml.gz",
       [&] { return gz.substr(0, gz.size() / 2); }, 0, kDamaged, {}},
      // The tags were all read, but the pass fails before areas are put
      // together from their rings' lines.
      {"gzip without its trailer", "notrailer.gml.gz",
       [&] { return gz.substr(0, gz.size() - 8); }, 0, kDamaged,
       {"area|1000000000000004", "line|1000000000000001", "line|1000000000000002",
        "link|4000000000000001", "point|1000000000000003", "road|4000000000000002"}},
      {"gzip with a wrong check sum", "crc.gml.gz",
       [&] {
         std::string bad = gz;
         bad[bad.size() - 6] ^= 0x55;
         return bad;
       },
       0, kDamaged, {}},
      {"gzip with damaged compressed data", "flipped.gml.gz",
       [&] {
         std::string bad = gz;
         for (std::size_t i = 40; i < 60; ++i) bad[i] = static_cast<char>(~bad[i]);
         return bad;
       },
       0, kDamaged, {}},
      {"plain file cut inside a line's coordinates", "cut.gml",
       [&] { return whole.substr(0, whole.find("10,10 0,10") + 7); }, 1, kEndsEarly,
       {"line|1000000000000001"}},
      {"file ending inside a start tag", "opentag.gml",
       [] { return std::string(kSmallFileHead) + LineMember("1000000000000001", "0,0 1,1") +
                   "<osgb:TopographicLine fid='osgb10000000000000"; },
       1, kEndsEarly, {"line|1000000000000001"}},
      {"a line left open takes nothing into the next", "unclosed.gml",
       [] {
         return std::string(kSmallFileHead) +
                "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000001'>"
                "<osgb:polyline><gml:LineString><gml:coordinates>0,0 1,1 2,2" +
                LineMember("1000000000000002", "5,5 6,6") + kSmallFileTail;
       },
       1, L"", {"line|1000000000000002|10019||||1|5.000,5.000;6.000,6.000"}},
      {"an area left open takes nothing into the next", "unclosedarea.gml",
       [] {
         return std::string(kSmallFileHead) +
                "<osgb:topographicMember><osgb:TopographicArea fid='osgb1000000000000001'>"
                "<osgb:polygon><gml:Polygon><gml:outerBoundaryIs><gml:LinearRing>"
                "<gml:coordinates>0,0 9,0 9,9 0,0" +
                InlineArea("1000000000000002", "20,20 30,20 30,30 20,20") + kSmallFileTail;
       },
       1, L"",
       {"area|1000000000000002|10021||||1|outer=20.000,20.000;30.000,20.000;30.000,30.000;"
        "20.000,20.000|inner="}},
      // The open road's member list was lost, not freed (the sanitized
      // build reports the leak).
      {"a road left open keeps its members to itself", "unclosedroad.gml",
       [] {
         return std::string(kSmallFileHead) + Link("4000000000000001", "40,40 50,50") +
                Link("4000000000000003", "0,0 5,5") +
                "<osgb:roadMember><osgb:Road fid='osgb4000000000000009'>"
                "<gml:Box><gml:coordinates>0,0 100,100</gml:coordinates></gml:Box>"
                "<osgb:networkMember xlink:href='#osgb4000000000000003'/>" +
                Road("4000000000000002", "4000000000000001") + kSmallFileTail;
       },
       1, L"",
       {"link|4000000000000001", "link|4000000000000003",
        "road|4000000000000002||||1|Mill Road|box=0.000,0.000;100.000,100.000|40.000,40.000;"
        "50.000,50.000"}},
      {"a tag longer than the tag buffer is skipped", "longtag.gml",
       [&] { return std::string(kSmallFileHead) + longTag + Body() + kSmallFileTail; }, 1, L"", all},
      {"a text longer than the text buffer", "longtext.gml",
       [] {
         return std::string(kSmallFileHead) +
                LineMember("1000000000000001", "0,0 1,1",
                     "<osgb:descriptiveGroup>" + std::string(30000, 'g') +
                         "</osgb:descriptiveGroup>") +
                LineMember("1000000000000002", "5,5 6,6") + kSmallFileTail;
       },
       // Stored, it would be cut: the line is refused instead.
       1, kRefused, {"line|1000000000000002"}},
      {"a coordinate token longer than its buffer", "longtoken.gml",
       [] {
         return std::string(kSmallFileHead) + LineMember("1000000000000001", "1" + std::string(5000, '0') +
                                                                  ",0 1,1") +
                LineMember("1000000000000002", "5,5 6,6") + kSmallFileTail;
       },
       // Cut to 127 characters, the x is 1e126 (written out), not infinity.
       1, L"", {"line|1000000000000001|10019||||1|99999999999999992486776161899288",
                "line|1000000000000002"}},
      {"a ring member whose line has no coordinates", "nocoordinates.gml",
       [] {
         return std::string(kSmallFileHead) +
                "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000001'>"
                "</osgb:TopographicLine></osgb:topographicMember>\n" +
                LineMember("1000000000000002", "0,0 10,0 10,10") +
                "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000003'>"
                "</osgb:TopographicLine></osgb:topographicMember>\n" +
                RefArea("1000000000000005", {"1000000000000001", "1000000000000002"}) +
                RefArea("1000000000000006", {"1000000000000003"}) + kSmallFileTail;
       },
       1, L"",
       {"area|1000000000000005|10053||||1|outer=0.000,0.000;10.000,0.000;10.000,10.000|",
        "line|1000000000000002"}},
      {"a ring that refers to a TOID the file lacks", "missing.gml",
       [] {
         return std::string(kSmallFileHead) + LineMember("1000000000000001", "0,0 10,0 10,10") +
                RefArea("1000000000000005", {"1000000000000001", "1999999999999999"}) + kSmallFileTail;
       },
       1, L"", {"line|1000000000000001"}},
      // Each bad number leaves out its own feature and nothing else.
      {"numbers that are not finite or out of range", "numbers.gml",
       [] {
         return std::string(kSmallFileHead) + LineMember("1000000000000001", "0,0 1e999,5 6,6") +
                Point("1000000000000003", "5,5,-1e400") +
                LineMember("1000000000000002", "5,5 6,6", "<osgb:version>99999999999</osgb:version>") +
                LineMember("1000000000000006", "1,1 2,2", "<osgb:orientation>NaN</osgb:orientation>") +
                LineMember("1000000000000008", "1,1 2,2", "<osgb:height>-inf</osgb:height>") +
                LineMember("1000000000000007", "5,5 7,7", "<osgb:version>2147483647</osgb:version>") +
                kSmallFileTail;
       },
       1, kRefused, {"line|1000000000000007"}},
      {"NUL bytes in the middle", "nul.gml",
       [] {
         return std::string(kSmallFileHead) + LineMember("1000000000000001", "0,0 1,1") +
                std::string("<osgb:Topo\0graphicLine>\0\0<\0>", 27) +
                LineMember("1000000000000002", "5,5 6,6") + kSmallFileTail;
       },
       1, L"", {"line|1000000000000001", "line|1000000000000002"}},
  };

  TempFolder folder;
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(folder.Path() / c.fileName, c.content());
    const Reading reading = Read(path);
    EXPECT_EQ(reading.result, c.result);
    // Every message names the file.
    for (const std::wstring& message : reading.messages)
      EXPECT_NE(message.find(L"\"" + NarrowToWide(path) + L"\""), std::wstring::npos)
          << WideToNarrow(message);
    if (c.message.empty()) {
      EXPECT_TRUE(reading.messages.empty()) << "shown: " << WideToNarrow(reading.messages[0]);
    } else if (reading.messages.size() != 1) {
      ADD_FAILURE() << reading.messages.size() << " messages shown, one expected";
    } else {
      EXPECT_NE(reading.messages[0].find(c.message), std::wstring::npos)
          << "shown: " << WideToNarrow(reading.messages[0]);
    }
    EXPECT_EQ(reading.stored.size(), c.stored.size());
    for (std::size_t i = 0; i < std::min(reading.stored.size(), c.stored.size()); ++i)
      EXPECT_EQ(reading.stored[i].rfind(c.stored[i], 0), 0u) << reading.stored[i];
  }
}

TEST(BadInput, RefusedNumberNamesTheFileThePlaceAndTheReason) {
  TempFolder folder;
  const std::string head = std::string(kSmallFileHead) + LineMember("1000000000000001", "0,0 1,1");
  const std::string path =
      Write(folder.Path() / "version.gml",
            head + LineMember("1000000000000002", "5,5 6,6", "<osgb:version>-3000000000</osgb:version>") +
                LineMember("1000000000000003", "0,0 1,1e309") + kSmallFileTail);
  const Reading reading = Read(path);
  EXPECT_EQ(reading.result, 1);
  ASSERT_EQ(reading.messages.size(), 1u);
  const std::string shown = WideToNarrow(reading.messages[0]);
  EXPECT_NE(shown.find("\"" + path + "\" (2 in all)"), std::string::npos) << shown;
  // The place is the byte just after the value's element text.
  const std::size_t at = head.size() + LineMember("1000000000000002", "", "<osgb:version>-3000000000")
                                           .find("-3000000000") + 11;
  EXPECT_NE(shown.find("The first, at byte " + std::to_string(at + 1) +
                       ": osgb:version '-3000000000' is out of range."),
            std::string::npos)
      << shown;
  ASSERT_EQ(reading.stored.size(), 1u);
  EXPECT_EQ(reading.stored[0].rfind("line|1000000000000001", 0), 0u);
}

// A refused value is shown as written, cut after at most 40 bytes, and never
// inside a character: the message is read as UTF-8.
TEST(BadInput, RefusedValueIsCutBetweenCharacters) {
  const std::string head = "1e999" + std::string(34, 'x');  // 39 bytes, not finite
  struct Case {
    const char* name;
    std::string value;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"a two-byte character across byte 40", head + "\xC3\xA9z", head + "..."},
      {"a three-byte character across byte 40", head.substr(0, 38) + "\xE2\x82\xAC" + "z",
       head.substr(0, 38) + "..."},
      {"a two-byte character ending at byte 40", head.substr(0, 38) + "\xC3\xA9",
       head.substr(0, 38) + "\xC3\xA9"},
      {"a two-byte character ending at byte 40, more after", head.substr(0, 38) + "\xC3\xA9z",
       head.substr(0, 38) + "\xC3\xA9..."},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(
        folder.Path() / "cut.gml",
        kSmallFileHead +
            LineMember("1000000000000001", "0,0 1,1", "<osgb:height>" + c.value + "</osgb:height>") +
            kSmallFileTail);
    const Reading reading = Read(path);
    ASSERT_EQ(reading.messages.size(), 1u);
    const std::wstring expected =
        L"osgb:height '" + Utf8ToWide(c.shown) + L"' is not a finite number.";
    EXPECT_NE(reading.messages[0].find(expected), std::wstring::npos)
        << WideToNarrow(reading.messages[0]);
  }
}

// A change-only file's departed features name the features to move or
// erase: one whose fid is no TOID (longer than a TOID, letters after or in
// it) names none and is refused; it is never taken by its first characters,
// which would name another feature.
TEST(BadInput, DepartedFeatureThatIsNoToidNamesNoFeature) {
  auto departed = [](const std::string& fid) {
    return "<osgb:departedMember><osgb:DepartedFeature fid='" + fid +
           "'><osgb:boundedBy><gml:Box><gml:coordinates>0,0 1,1</gml:coordinates></gml:Box>"
           "</osgb:boundedBy></osgb:DepartedFeature></osgb:departedMember>\n";
  };
  TempFolder folder;
  const std::string path =
      Write(folder.Path() / "changes.gml",
            std::string(kSmallFileHead) + departed("osgb10000000000000011") +
                departed("osgb1000000000000001abc") + departed("osgb1000000000000002") +
                departed("osgb10000000x000001") + kSmallFileTail);
  OSGMLInputView view;
  view.updateMode = 1;
  ASSERT_TRUE(AddInputFile(view, path));
  host::ui::ClearMessageBoxes();
  EXPECT_EQ(ReadAll(view), 1);
  std::vector<std::string> toids;
  for (std::int32_t i = 0; i < view.departedToids.count; ++i)
    toids.push_back(static_cast<const DepartedFeatureToid*>(view.departedToids.data)[i].toid);
  EXPECT_EQ(toids, std::vector<std::string>{"1000000000000002"});
  const std::vector<host::ui::MessageBoxRecord> boxes = host::ui::MessageBoxes();
  host::ui::ClearMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  const std::string shown = WideToNarrow(boxes[0].request.text);
  EXPECT_NE(shown.find("(3 in all)"), std::string::npos) << shown;
  EXPECT_NE(shown.find(": osgb:DepartedFeature fid 'osgb10000000000000011' is no TOID."),
            std::string::npos)
      << shown;
}

// A file saved in Latin-1 by another tool: its texts read one byte a
// character, every feature is stored, and the first such place is told once
// on the command line (no box stops the import).
TEST(BadInput, TextThatIsNotUtf8IsReadOneByteACharacterAndToldOnce) {
  TempFolder folder;
  const std::string head = std::string(kSmallFileHead) + LineMember("1000000000000001", "0,0 1,1", "<osgb:make>T\xC5\xB7</osgb:make>");
  const std::string path =
      Write(folder.Path() / "latin1.gml",
            head + LineMember("1000000000000002", "5,5 6,6", "<osgb:make>Caf\xE9</osgb:make>") +
                LineMember("1000000000000003", "0,0 2,2", "<osgb:make>\xC5</osgb:make>") + kSmallFileTail);
  host::ClearCommandLine();
  const Reading reading = Read(path);
  EXPECT_EQ(reading.result, 1);
  EXPECT_TRUE(reading.messages.empty());
  EXPECT_EQ(reading.stored.size(), 3u);
  const std::wstring said = host::CommandLineText();
  const std::size_t at = head.size() + LineMember("1000000000000002", "", "<osgb:make>Caf\xE9").find("Caf") + 4;
  EXPECT_NE(said.find(L"Warning: 2 texts in \"" + host::WidePath(path) +
                      L"\" are not UTF-8 and were read one byte a character; the first at byte " +
                      std::to_wstring(at + 1) + L": osgb:make 'Caf\u00E9'."),
            std::wstring::npos)
      << WideToNarrow(said);
}

TEST(BadInput, FileThatVanishesBeforeItIsRead) {
  TempFolder folder;
  const std::string path = Write(folder.Path() / "gone.gml", Whole());
  const Reading reading = Read(path, [&] { fs::remove(path); });
  EXPECT_EQ(reading.result, 0);
  ASSERT_EQ(reading.messages.size(), 1u);
  EXPECT_EQ(WideToNarrow(reading.messages[0]),
            "Hey! Can not open file \"" + path + "\"!\n\nNow what's going on!?");
  EXPECT_TRUE(reading.stored.empty());
}

// A plain file cut anywhere is read as far as it goes and said to end early
// at its length; a gzip file cut anywhere fails and names zlib's reason.
// Either way only whole features are stored.
TEST(BadInput, CutAtEveryLength) {
  TempFolder folder;
  const std::string whole = Whole();
  const std::string plainPath = Write(folder.Path() / "whole.gml", whole);
  const Reading complete = Read(plainPath);
  const std::vector<std::string> expected = complete.stored;
  ASSERT_EQ(expected.size(), 7u);
  EXPECT_TRUE(complete.messages.empty());

  const std::size_t bodyStart = std::string(kSmallFileHead).size();
  for (std::size_t cut = bodyStart; cut < whole.size(); cut += 4) {
    SCOPED_TRACE(testing::Message() << "plain cut at " << cut);
    const std::string path = Write(folder.Path() / "cut.gml", whole.substr(0, cut));
    const Reading reading = Read(path);
    EXPECT_EQ(reading.result, 1);
    ASSERT_EQ(reading.messages.size(), 1u);
    EXPECT_EQ(WideToNarrow(reading.messages[0]),
              "\"" + path + "\" ends early, at byte " + std::to_string(cut) +
                  ": the file is incomplete (its root element is not closed). Only the features "
                  "read up to there are kept.");
    ExpectOnlyWholeFeatures(reading, expected);
  }
  // Cut inside the root's end tag, the file still ends early; whatever
  // follows the root's end does not matter.
  std::string spaced = whole;
  spaced.insert(spaced.rfind('>'), " \n");  // "</osgb:FeatureCollection \n>"
  for (const std::string& text :
       {whole.substr(0, whole.size() - 3), whole + "\n<!-- end -->\n", spaced}) {
    const Reading reading = Read(Write(folder.Path() / "end.gml", text));
    EXPECT_EQ(reading.messages.size(), text.size() < whole.size() ? 1u : 0u);
    EXPECT_EQ(reading.stored, expected);
  }

  const std::string gz = Gzip(whole);
  // (A single byte is not yet gzip's mark: that file is read as plain text.)
  for (std::size_t cut = 2; cut < gz.size(); cut += 3) {
    SCOPED_TRACE(testing::Message() << "gzip cut at " << cut << " of " << gz.size());
    const Reading reading = Read(Write(folder.Path() / "cut.gml.gz", gz.substr(0, cut)));
    EXPECT_EQ(reading.result, 0);
    ASSERT_EQ(reading.messages.size(), 1u);
    EXPECT_NE(reading.messages[0].find(kDamaged), std::wstring::npos)
        << WideToNarrow(reading.messages[0]);
    EXPECT_NE(reading.messages[0].find(L"(zlib: "), std::wstring::npos)
        << WideToNarrow(reading.messages[0]);
    ExpectOnlyWholeFeatures(reading, expected);
  }
}

// Damage past the first block of a larger gzip file shows only while the
// features are read: what came before it stays stored, the pass fails, and
// the message names the file, how far its text could be read and zlib's
// reason. Its size in the list is then its size on disk, not the trailer's.
TEST(BadInput, GzipDamagedPastItsFirstBlock) {
  const std::string whole = SixHundredLinesFile();
  ASSERT_GT(whole.size(), 4u * ArchiveReader::kStreamBufferSize);
  const std::string gz = Gzip(whole);
  TempFolder folder;
  struct Damage {
    const char* name;
    std::string content;
    const char* reason;
  };
  std::string flipped = gz;
  for (std::size_t i = gz.size() / 2; i < gz.size() / 2 + 16; ++i) flipped[i] ^= 0x3c;
  std::string badSum = gz;
  badSum[badSum.size() - 6] ^= 0x55;
  for (const Damage& d : {Damage{"cut", gz.substr(0, gz.size() * 2 / 3), "unexpected end of file"},
                          Damage{"flipped", flipped, ""},
                          Damage{"check sum", badSum, "incorrect data check"}}) {
    SCOPED_TRACE(d.name);
    const std::string path = Write(folder.Path() / "big.gml.gz", d.content);
    const Reading reading = Read(path);
    EXPECT_EQ(reading.result, 0);
    // One message says the data is damaged. Flipped bytes may first inflate
    // to text that is refused, so a flipped file may have refusals beside
    // it; a cut file and a wrong check sum have nothing else to say.
    const std::string damaged = "Can not read \"" + path + "\": its gzip data is damaged after byte ";
    std::vector<std::string> said_damaged;
    for (const std::wstring& message : reading.messages) {
      const std::string text = WideToNarrow(message);
      if (text.rfind(damaged, 0) == 0) said_damaged.push_back(text);
    }
    ASSERT_EQ(said_damaged.size(), 1u);
    if (d.reason[0] != 0) {
      EXPECT_EQ(reading.messages.size(), 1u);
    }
    const std::string& shown = said_damaged[0];
    // Flipped bytes fail in one of several ways.
    EXPECT_NE(shown.find(std::string("(zlib: ") + d.reason), std::string::npos) << shown;
    EXPECT_EQ(shown.find("(zlib: )"), std::string::npos) << shown;
    EXPECT_GT(reading.stored.size(), 0u);
    EXPECT_LT(reading.stored.size(), 600u);
    for (std::size_t i = 0; i < reading.stored.size(); ++i)
      EXPECT_NE(reading.stored[i].find(";"), std::string::npos) << reading.stored[i];
    EXPECT_EQ(reading.size, static_cast<double>(d.content.size()));
    EXPECT_EQ(reading.compressedSize, -1.0);
  }
}

// The last four bytes of a cut gzip file are no trailer: a length they
// cannot give for the file's size is not shown, the size on disk is.
TEST(BadInput, GzipSizeInTheListIsNotTakenFromAGarbageTrailer) {
  TempFolder folder;
  // Longer than the first read, so that opening the file does not reach
  // the trailer and find it wrong.
  const std::string whole = SixHundredLinesFile();
  ASSERT_GT(whole.size(), 4u * ArchiveReader::kStreamBufferSize);
  const std::string gz = Gzip(whole);
  struct Case {
    const char* name;
    std::string content;
    double size;
    double compressedSize;
  };
  std::string small = gz;
  small.replace(small.size() - 4, 4, std::string("\x02\0\0\0", 4));  // 2 bytes of text
  std::string huge = gz;
  huge.replace(huge.size() - 4, 4, std::string("\0\0\0\x7f", 4));  // 2 GB from a few KB
  const Case cases[] = {
      {"whole", gz, static_cast<double>(whole.size()), static_cast<double>(gz.size())},
      {"trailer smaller than the data", small, static_cast<double>(small.size()), -1.0},
      {"trailer past what deflate can pack", huge, static_cast<double>(huge.size()), -1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(folder.Path() / "list.gml.gz", c.content);
    OSGMLInputView view;
    ASSERT_TRUE(AddInputFile(view, path));
    const auto& file = *static_cast<const GmlInputFile*>(view.inputFiles.data);
    EXPECT_EQ(file.size, c.size);
    EXPECT_EQ(file.compressedSize, c.compressedSize);
    EXPECT_EQ(view.totalBytes, c.size);
  }
}

// Memory that runs out at any allocation of the run, plain and gzip (spill
// file): the run fails with one of the reader's messages, stores only whole
// features, and frees everything (the sanitized build checks the leaks).
TEST(BadInput, AllocationFailingAtEachStep) {
  TempFolder folder;
  const std::string whole = Whole();
  const std::string plain = Write(folder.Path() / "whole.gml", whole);
  const std::string gz = Write(folder.Path() / "whole.gml.gz", Gzip(whole));
  const std::vector<std::string> expected = Read(plain).stored;
  for (const std::string& path : {plain, gz}) {
    bool fired = true;
    for (int succeed = 0; fired; ++succeed) {
      SCOPED_TRACE(testing::Message() << path << ", allocation " << succeed << " fails");
      OSGMLInputView view;
      ASSERT_TRUE(AddInputFile(view, path));
      host::ui::ClearMessageBoxes();
      int result;
      {
        host::ScopedFault fault(host::FaultPoint::Allocation, succeed, 1);
        result = ReadAll(view);
        fired = host::FaultsFired(host::FaultPoint::Allocation) > 0;
      }
      Reading reading;
      reading.result = result;
      reading.stored = StoredFeatures(view);
      if (fired) {
        EXPECT_EQ(result, 0);
        const auto& boxes = host::ui::MessageBoxes();
        ASSERT_FALSE(boxes.empty());
        const std::wstring& text = boxes.back().request.text;
        EXPECT_TRUE(text == kFailedPass || text == L"Out of memory - have to cancel, sorry.")
            << WideToNarrow(text);
        ExpectOnlyWholeFeatures(reading, expected);
      } else {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(reading.stored, expected);
      }
      host::ui::ClearMessageBoxes();
    }
  }
}

}  // namespace

namespace {

// A coordinate that is no number leaves out its feature through the refusal
// message, whatever the feature's class: lines, points, areas with inline
// rings and areas whose rings refer to such a line, plain and gzip.
TEST(BadInput, CoordinatesThatAreNoNumberRefuseEveryClassAlike) {
  struct Case {
    const char* name;
    std::string features;
    std::vector<std::string> stored;  // besides the line that always stays
  };
  const std::string good = LineMember("1000000000000009", "70,70 80,80");
  const std::vector<Case> cases = {
      {"line, NaN", LineMember("1000000000000001", "0,0 NaN,5 6,6"), {}},
      {"line, infinity", LineMember("1000000000000001", "0,0 1e999,5 6,6"), {}},
      {"point, NaN", Point("1000000000000003", "NaN,5"), {}},
      {"inline area, NaN", InlineArea("1000000000000004", "20,20 30,20 NaN,25 30,30 20,20"), {}},
      {"inline area, infinity",
       InlineArea("1000000000000004", "20,20 30,20 30,1e999 30,30 20,20"), {}},
      {"inline area, NaN in an inner ring",
       "<osgb:topographicMember><osgb:TopographicArea fid='osgb1000000000000004'>"
       "<osgb:featureCode>10021</osgb:featureCode><osgb:polygon><gml:Polygon>"
       "<gml:outerBoundaryIs><gml:LinearRing><gml:coordinates>0,0 50,0 50,50 0,0"
       "</gml:coordinates></gml:LinearRing></gml:outerBoundaryIs><gml:innerBoundaryIs>"
       "<gml:LinearRing><gml:coordinates>10,10 20,10 NaN,NaN 10,10</gml:coordinates>"
       "</gml:LinearRing></gml:innerBoundaryIs></gml:Polygon></osgb:polygon>"
       "</osgb:TopographicArea></osgb:topographicMember>\n",
       {}},
      {"area referring to a line with NaN",
       LineMember("1000000000000001", "0,0 10,0 NaN,5 10,10") + LineMember("1000000000000002", "10,10 0,10 0,0") +
           RefArea("1000000000000005", {"1000000000000001", "1000000000000002"}),
       {"line|1000000000000002"}},
      {"area referring to a line with infinity",
       LineMember("1000000000000001", "0,0 10,0 1e999,5 10,10") +
           LineMember("1000000000000002", "10,10 0,10 0,0") +
           RefArea("1000000000000005", {"1000000000000001", "1000000000000002"}),
       {"line|1000000000000002"}},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    for (const bool packed : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (packed ? ", gzip" : ", plain"));
      const std::string text = kSmallFileHead + c.features + good + kSmallFileTail;
      const std::string path =
          Write(folder.Path() / (packed ? "nan.gml.gz" : "nan.gml"), packed ? Gzip(text) : text);
      const Reading reading = Read(path);
      EXPECT_EQ(reading.result, 1);
      ASSERT_EQ(reading.messages.size(), 1u);
      EXPECT_EQ(reading.messages[0].rfind(kRefused, 0), 0u) << WideToNarrow(reading.messages[0]);
      std::vector<std::string> expected = c.stored;
      expected.push_back("line|1000000000000009");
      ASSERT_EQ(reading.stored.size(), expected.size());
      for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(reading.stored[i].rfind(expected[i], 0), 0u) << reading.stored[i];
    }
  }
}

// Nothing of a refused line or road link is kept, so an area or a road that
// refers to it is refused with it, whether the value that refused it stands
// before or after its coordinates, and alike in a plain file and in a gzip
// file (whose coordinates go to the spill file). What follows it is read
// from the right place.
TEST(BadInput, FeatureReferringToARefusedOneIsRefusedWithIt) {
  const std::string versionBefore =
      LineMember("1000000000000001", "0,0 10,0 10,10", "<osgb:version>99999999999</osgb:version>");
  const std::string versionAfter =
      "<osgb:topographicMember><osgb:TopographicLine fid='osgb1000000000000001'>"
      "<osgb:featureCode>10019</osgb:featureCode><osgb:polyline><gml:LineString><gml:coordinates>"
      "0,0 10,0 10,10</gml:coordinates></gml:LineString></osgb:polyline>"
      "<osgb:version>99999999999</osgb:version></osgb:TopographicLine></osgb:topographicMember>\n";
  // Lines after the refused one, and an area of them alone.
  const std::string rest = LineMember("1000000000000002", "10,10 0,10 0,0") +
                           LineMember("1000000000000003", "0,0 20,20 10,10") +
                           RefArea("1000000000000005", {"1000000000000001", "1000000000000002"}) +
                           RefArea("1000000000000006", {"1000000000000002", "1000000000000003"});
  const std::vector<std::string> kept = {
      "area|1000000000000006|10053||||1|outer=10.000,10.000;0.000,10.000;0.000,0.000;0.000,0.000;"
      "20.000,20.000;10.000,10.000|inner=",
      "line|1000000000000002|10019||||1|10.000,10.000;0.000,10.000;0.000,0.000",
      "line|1000000000000003|10019||||1|0.000,0.000;20.000,20.000;10.000,10.000"};
  const std::string link =
      "<osgb:networkMember><osgb:RoadLink fid='osgb4000000000000001'><osgb:version>99999999999"
      "</osgb:version><osgb:polyline><gml:LineString><gml:coordinates>40,40 50,50"
      "</gml:coordinates></gml:LineString></osgb:polyline></osgb:RoadLink></osgb:networkMember>\n";
  struct Case {
    const char* name;
    std::string features;
    std::vector<std::string> stored;
    std::string firstRefusal;
  };
  const std::vector<Case> cases = {
      {"area, a value before the line's coordinates", versionBefore + rest, kept,
       "osgb:version '99999999999' is out of range"},
      {"area, a value after the line's coordinates", versionAfter + rest, kept,
       "osgb:version '99999999999' is out of range"},
      {"road", link + Road("4000000000000002", "4000000000000001"),
       {"road|4000000000000002||||1|Mill Road|box=0.000,0.000;100.000,100.000|"},
       "osgb:version '99999999999' is out of range"},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    for (const bool packed : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (packed ? ", gzip" : ", plain"));
      const std::string text = kSmallFileHead + c.features + kSmallFileTail;
      const std::string path = Write(folder.Path() / (packed ? "refers.gml.gz" : "refers.gml"),
                                     packed ? Gzip(text) : text);
      const Reading reading = Read(path);
      EXPECT_EQ(reading.result, 1);
      ASSERT_EQ(reading.messages.size(), 1u);
      const std::string shown = WideToNarrow(reading.messages[0]);
      EXPECT_NE(shown.find("\" (2 in all)"), std::string::npos) << shown;
      EXPECT_NE(shown.find(c.firstRefusal), std::string::npos) << shown;
      EXPECT_EQ(reading.stored, c.stored);
    }
  }
}

}  // namespace
