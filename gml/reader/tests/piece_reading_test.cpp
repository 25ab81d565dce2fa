// Reading a file in pieces on worker threads must give what one pass over
// it gives: the same records in the same order, bit for bit, the same
// counters, extent, area values and messages, for any piece size and any
// number of workers, plain and gzip, in every mode.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "gml/reader/piece_join.h"
#include "host/ui/message_box.h"
#include "reader_fixture.h"

namespace {

using namespace reader_test;

// A pass over the whole file at once: a piece larger than any test file.
constexpr std::int64_t kOnePiece = std::int64_t{1} << 30;

std::string Hex(const void* data, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    out += kDigits[p[i] >> 4];
    out += kDigits[p[i] & 15];
  }
  return out;
}

// A record's bytes up to a nested list, then the list's entries.
template <typename Record>
std::string Flat(const Record& r, std::size_t upTo = sizeof(Record)) {
  return Hex(&r, upTo);
}

std::string LinePoints(const GrowArray& list) {
  std::string out = "[";
  if (list.marker != kGrowArrayMarker) return out + "absent]";
  for (std::int32_t i = 0; i < list.count; ++i) {
    const auto& p = static_cast<const LinePoint*>(list.data)[i];
    out += std::string(1, p.tag) + Hex(&p.x, 8) + Hex(&p.y, 8) + Hex(&p.z, 8) + ";";
  }
  return out + "]";
}

std::string RingPoints(const GrowArray& list) {
  std::string out = "[";
  if (list.marker != kGrowArrayMarker) return out + "absent]";
  for (std::int32_t i = 0; i < list.count; ++i) {
    const auto& p = static_cast<const RingPoint*>(list.data)[i];
    out += Hex(&p.x, 8) + Hex(&p.y, 8) + std::to_string(p.tag) + ";";
  }
  return out + "]";
}

std::string Members(const GrowArray& list) {
  std::string out = "[";
  if (list.marker != kGrowArrayMarker) return out + "absent]";
  for (std::int32_t i = 0; i < list.count; ++i) {
    const auto& m = static_cast<const MemberReference*>(list.data)[i];
    out += std::to_string(m.reversed) + Hex(m.toid, sizeof m.toid) + ";";
  }
  return out + "]";
}

std::string Values(const GrowArray& list) {
  std::string out = "[";
  if (list.marker != kGrowArrayMarker) return out + "absent]";
  for (std::int32_t i = 0; i < list.count; ++i)
    out += Hex(static_cast<const DescriptiveValue*>(list.data)[i].text, kTermWidth) + ";";
  return out + "]";
}

std::string Attributes(const AreaAttributes& a) {
  return Flat(a, offsetof(AreaAttributes, groups)) + Values(a.groups) + Values(a.terms) +
         Values(a.themes);
}

// Everything a reading leaves in the dialog, in order.
struct Reading {
  int result = -1;
  std::vector<std::string> records;
  std::vector<std::wstring> messages;
  std::string counters;
  std::int32_t piecesJoined = 0;
};

template <typename Record, typename Show>
void Add(std::vector<std::string>& out, const char* kind, const GrowArray& list, Show show) {
  for (std::int32_t i = 0; i < list.count; ++i)
    out.push_back(std::string(kind) + " " + show(static_cast<const Record*>(list.data)[i]));
}

template <typename Record, typename Show>
void AddPaged(std::vector<std::string>& out, const char* kind, const PagedGrowArray& list,
              Show show) {
  for (std::int32_t i = 0; i < list.count; ++i) {
    Record r;
    if (!PagedGrowArrayGet(&list, i, &r)) continue;
    out.push_back(std::string(kind) + " " + show(r));
  }
}

Reading Read(const std::string& path, int workers, std::int64_t pieceBytes, int keep = 1,
             int count = 0) {
  OSGMLInputView view;
  view.readerThreads = workers;
  view.readerPieceBytes = pieceBytes;
  Reading out;
  if (!AddInputFile(view, path)) return out;
  host::ui::ClearMessageBoxes();
  out.result = view.ProcessGmlFiles(keep, L"Stop", count);
  for (const host::ui::MessageBoxRecord& box : host::ui::MessageBoxes())
    out.messages.push_back(box.request.text);
  host::ui::ClearMessageBoxes();
  out.piecesJoined = view.piecesJoined;
  auto& r = out.records;
  Add<PointFeatureRecord>(r, "point", view.points, [](const auto& p) { return Flat(p); });
  Add<PointFeatureRecord>(r, "symbol", view.symbols, [](const auto& p) { return Flat(p); });
  Add<TextFeatureRecord>(r, "text", view.texts, [](const auto& p) { return Flat(p); });
  Add<RoadNodeRecord>(r, "node", view.roadNodes, [](const auto& p) { return Flat(p); });
  Add<AddressPointRecord>(r, "address", view.addressPoints, [](const auto& p) { return Flat(p); });
  Add<DepartedFeatureToid>(r, "departed", view.departedToids, [](const auto& p) { return Flat(p); });
  Add<CoordinateTuple>(r, "preview", view.previewPoints, [](const auto& p) { return Flat(p); });
  AddPaged<LineFeatureRecord>(r, "line", view.lines, [](const auto& l) {
    return Flat(l, offsetof(LineFeatureRecord, points)) + LinePoints(l.points);
  });
  AddPaged<AreaFeatureRecord>(r, "area", view.areas, [](const auto& a) {
    return std::to_string(a.kept) + Attributes(a.attributes) + RingPoints(a.outerRing) +
           RingPoints(a.innerRings);
  });
  Add<RoadLinkRecord>(r, "link", view.roadLinks, [](const auto& l) {
    return Flat(l, offsetof(RoadLinkRecord, points)) + LinePoints(l.points) +
           Hex(l.roadTerm, sizeof l.roadTerm + sizeof l.roadName + sizeof l.startNode +
                               sizeof l.endNode);
  });
  Add<RoadRecord>(r, "road", view.roads, [](const auto& road) {
    return Flat(road, offsetof(RoadRecord, members)) + Members(road.members) +
           LinePoints(road.geometry);
  });
  Add<AreaReferenceRecord>(r, "reference", view.areaReferences, [](const auto& a) {
    std::string rings;
    const auto* entries = static_cast<const RingEntry*>(a.rings.data);
    for (std::int32_t i = 0; a.rings.marker == kGrowArrayMarker && i < a.rings.count; ++i)
      rings += std::to_string(entries[i].outer) + Members(entries[i].members);
    return Attributes(a.attributes) + rings;
  });
  const std::int32_t counts[] = {
      view.seenRoadLinks, view.seenRoads,   view.seenRoadNodes,     view.seenAreas,
      view.seenPoints,    view.seenAddressPoints, view.seenLines,   view.seenSymbols,
      view.seenTexts,     view.keptRoadNodes, view.keptRoads,       view.keptRoadLinks,
      view.keptAreas,     view.keptPoints,  view.keptAddressPoints, view.keptLines,
      view.keptSymbols,   view.keptTexts,   view.GetNestedArrayCount()};
  const double values[] = {view.readMinX, view.readMinY, view.readMinZ, view.readMaxX,
                           view.readMaxY, view.readMaxZ, view.totalAreaValue,
                           view.keptAreaValue};
  out.counters = Hex(counts, sizeof counts) + "/" + Hex(values, sizeof values);
  return out;
}

void ExpectSame(const Reading& expected, const Reading& actual, const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(actual.result, expected.result);
  EXPECT_EQ(actual.counters, expected.counters);
  EXPECT_EQ(actual.messages, expected.messages);
  ASSERT_EQ(actual.records.size(), expected.records.size());
  for (std::size_t i = 0; i < expected.records.size(); ++i)
    ASSERT_EQ(actual.records[i], expected.records[i]) << "record " << i;
}

// A Topography file of many members of every kind, with values that carry
// from one feature to the next (a text's height and anchor, a point's
// height above datum), members longer than a small piece, and three numbers
// that cannot be stored far into the file.
std::string MixedFile(int members) {
  std::string s =
      "<?xml version='1.0' encoding='UTF-8'?>\n"
      "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
      "xmlns:gml='http://www.opengis.net/gml' xmlns:xlink='http://www.w3.org/1999/xlink' "
      "fid='PIECES'>\n<gml:description>pieces</gml:description>\n"
      "<osgb:queryExtent><osgb:Rectangle srsName='osgb:BNG'>\n"
      "<gml:coordinates>0,0 10000,10000</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n";
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  };
  auto coordinate = [&next]() {
    return std::to_string(next(10000)) + "." + std::to_string(next(1000));
  };
  auto toid = [](int i) {
    std::string t = std::to_string(1000000000000000LL + i);
    return t;
  };
  bool badCoordinate = false;
  const char* terms[] = {"Road Or Track", "Path", "Building", "Natural Environment",
                         "Inland Water", "Structure"};
  for (int i = 0; i < members; ++i) {
    const std::string id = toid(i);
    std::string common = "<osgb:version>" + std::to_string(1 + next(9)) +
                         "</osgb:version><osgb:descriptiveGroup>" + terms[next(6)] +
                         "</osgb:descriptiveGroup>";
    if (next(3) == 0)
      common += "<osgb:descriptiveTerm>" + std::string(terms[next(6)]) + "</osgb:descriptiveTerm>";
    if (next(4) == 0) common += "<osgb:physicalLevel>" + std::to_string(next(100)) + "</osgb:physicalLevel>";
    if (i == members / 3 || i == 2 * members / 3)
      common += "<osgb:version>99999999999</osgb:version>";
    switch (next(6)) {
      case 0: {
        // Some lines are far longer than a small piece.
        std::string coordinates;
        const int n = next(20) == 0 ? 400 : 2 + static_cast<int>(next(6));
        for (int k = 0; k < n; ++k) coordinates += (k ? " " : "") + coordinate() + "," + coordinate();
        if (!badCoordinate && i > members / 2) {
          coordinates += " 1,1e400";
          badCoordinate = true;
        }
        s += "<osgb:topographicMember><osgb:TopographicLine fid='osgb" + id + "'>" + common +
             "<osgb:polyline><gml:LineString><gml:coordinates>" + coordinates +
             "</gml:coordinates></gml:LineString></osgb:polyline></osgb:TopographicLine>"
             "</osgb:topographicMember>\n";
        break;
      }
      case 1: {
        const std::string datum =
            next(2) ? "<osgb:heightAboveDatum>" + coordinate() + "</osgb:heightAboveDatum>" : "";
        s += "<osgb:topographicMember><osgb:TopographicPoint fid='osgb" + id + "'>" + common +
             datum + "<osgb:point><gml:Point><gml:coordinates>" + coordinate() + "," +
             coordinate() + "</gml:coordinates></gml:Point></osgb:point></osgb:TopographicPoint>"
             "</osgb:topographicMember>\n";
        break;
      }
      case 2: {
        std::string extra;
        if (next(3) == 0) extra += "<osgb:height>" + std::to_string(next(5)) + ".5</osgb:height>";
        if (next(3) == 0)
          extra += "<osgb:anchorPosition>" + std::to_string(next(9)) + "</osgb:anchorPosition>";
        if (next(2) == 0) extra += "<osgb:orientation>" + std::to_string(next(3600)) + "</osgb:orientation>";
        s += "<osgb:cartographicMember><osgb:CartographicText fid='osgb" + id + "'>" + common +
             extra + "<osgb:textRendering><osgb:font>2</osgb:font></osgb:textRendering>"
             "<osgb:textString>Name " + std::to_string(next(100000)) + "</osgb:textString>"
             "<osgb:point><gml:Point><gml:coordinates>" + coordinate() + "," + coordinate() +
             "</gml:coordinates></gml:Point></osgb:point></osgb:CartographicText>"
             "</osgb:cartographicMember>\n";
        break;
      }
      case 3: {
        std::string ring;
        const std::string first = coordinate() + "," + coordinate();
        ring = first;
        const int n = next(30) == 0 ? 600 : 3 + static_cast<int>(next(8));
        for (int k = 0; k < n; ++k) ring += " " + coordinate() + "," + coordinate();
        ring += " " + first;
        s += "<osgb:topographicMember><osgb:TopographicArea fid='osgb" + id + "'>" + common +
             "<osgb:calculatedAreaValue>" + coordinate() + "</osgb:calculatedAreaValue>"
             "<osgb:polygon><gml:Polygon><gml:outerBoundaryIs><gml:LinearRing><gml:coordinates>" +
             ring + "</gml:coordinates></gml:LinearRing></gml:outerBoundaryIs></gml:Polygon>"
             "</osgb:polygon></osgb:TopographicArea></osgb:topographicMember>\n";
        break;
      }
      case 4: {
        // An area given by lines read before it.
        const std::string line = toid(i - 1 - static_cast<int>(next(5)));
        s += "<osgb:topographicMember><osgb:TopographicArea fid='osgb" + id + "'>" + common +
             "<osgb:calculatedAreaValue>" + coordinate() + "</osgb:calculatedAreaValue>"
             "<osgb:polygon><osgb:outerBoundaryIs><osgb:Ring><osgb:ringMember orientation='+' "
             "xlink:href='#osgb" + line + "'/><osgb:ringMember orientation='-' xlink:href='#osgb" +
             line + "'/></osgb:Ring></osgb:outerBoundaryIs></osgb:polygon>"
             "</osgb:TopographicArea></osgb:topographicMember>\n";
        break;
      }
      default:
        s += "<osgb:cartographicMember><osgb:CartographicSymbol fid='osgb" + id + "'>" + common +
             "<osgb:point><gml:Point><gml:coordinates>" + coordinate() + "," + coordinate() +
             "</gml:coordinates></gml:Point></osgb:point></osgb:CartographicSymbol>"
             "</osgb:cartographicMember>\n";
        break;
    }
  }
  return s + "</osgb:FeatureCollection>\n";
}

std::string WriteFile(const TempFolder& folder, const char* name, const std::string& content) {
  const std::string path = (folder.Path() / name).string();
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

// `content` written as `name` and as its gzip beside it: the two paths.
std::vector<std::string> PlainAndGzip(const TempFolder& folder, const std::string& name,
                                      const std::string& content) {
  const std::string plain = WriteFile(folder, name.c_str(), content);
  const std::string gzip = plain + ".gz";
  EXPECT_TRUE(GzipFile(plain, gzip));
  return {plain, gzip};
}

TEST(PieceReading, EveryPieceSizeAndWorkerCountReadsAsOnePass) {
  TempFolder folder;
  const std::string plain = WriteFile(folder, "mixed.gml", MixedFile(3000));
  const std::string gzip = (folder.Path() / "mixed.gml.gz").string();
  ASSERT_TRUE(GzipFile(plain, gzip));
  for (const std::string& path : {plain, gzip}) {
    const Reading whole = Read(path, 1, kOnePiece);
    ASSERT_EQ(whole.result, 1);
    ASSERT_GT(whole.records.size(), 2000u);
    EXPECT_EQ(whole.piecesJoined, 0);
    // The numbers that cannot be stored are counted, the first named by its place.
    ASSERT_EQ(whole.messages.size(), 1u);
    EXPECT_NE(whole.messages[0].find(L"(3 in all)"), std::wstring::npos);
    EXPECT_NE(whole.messages[0].find(L"osgb:version '99999999999' is out of range"),
              std::wstring::npos);
    for (int workers : {1, 3, 6}) {
      for (std::int64_t pieceBytes : {2048, 20000, 200000}) {
        const Reading pieces = Read(path, workers, pieceBytes);
        ExpectSame(whole, pieces,
                   path + " workers " + std::to_string(workers) + " piece " +
                       std::to_string(pieceBytes));
        EXPECT_GT(pieces.piecesJoined, 0) << "no piece was read by a worker";
      }
    }
  }
}

// A member longer than a piece may hold (a line of 600,000 points, about
// 9 MB) is not held in memory: the pieces before it are joined, and the
// file is read on in one pass from there, to the same records, counters and
// messages as one pass over the whole file.
TEST(PieceReading, MemberLongerThanAPieceMayHoldReadsAsOnePass) {
  std::string text = MixedFile(600);
  std::string coordinates;
  for (int i = 0; i < 600000; ++i)
    coordinates += std::to_string(1000 + i % 7000) + ".25," + std::to_string(2000 + i / 7000) + ".5 ";
  const std::string member =
      "<osgb:topographicMember><osgb:TopographicLine fid='osgb1999999999999999'>"
      "<osgb:featureCode>10019</osgb:featureCode><osgb:polyline><gml:LineString><gml:coordinates>" +
      coordinates +
      "</gml:coordinates></gml:LineString></osgb:polyline></osgb:TopographicLine>"
      "</osgb:topographicMember>\n";
  ASSERT_GT(static_cast<std::int64_t>(member.size()), kLongestHeldMember + 200000);
  const std::size_t middle = text.find("</osgb:topographicMember>\n", text.size() / 2) + 26;
  text.insert(middle, member);
  TempFolder folder;
  for (const std::string& path : PlainAndGzip(folder, "long.gml", text)) {
    const Reading whole = Read(path, 1, kOnePiece);
    ASSERT_EQ(whole.result, 1);
    const Reading pieces = Read(path, 3, 20000);
    ExpectSame(whole, pieces, path);
    EXPECT_GT(pieces.piecesJoined, 0) << "no piece before the long member was joined";
  }
}

// A text's height and anchor, and the outline of the last area, stay in the
// pass until a feature sets them again. Here they are set once at the start
// and used again only far beyond any piece's lead-in, so that every later
// piece starts from a guess that lacks them: a piece whose texts take them
// must be read again from the true state, and one that does not use them
// must leave the pass's values as they were.
std::string CarriedValuesFile() {
  std::string s =
      "<?xml version='1.0' encoding='UTF-8'?>\n"
      "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
      "xmlns:gml='http://www.opengis.net/gml' fid='CARRIED'>\n";
  auto text = [](int i, const std::string& extra) {
    return "<osgb:cartographicMember><osgb:CartographicText fid='osgb" + std::to_string(5000 + i) +
           "'><osgb:version>1</osgb:version>" + extra +
           "<osgb:textString>T" + std::to_string(i) + "</osgb:textString><osgb:point><gml:Point>"
           "<gml:coordinates>" + std::to_string(100 + i) + ",200</gml:coordinates></gml:Point>"
           "</osgb:point></osgb:CartographicText></osgb:cartographicMember>\n";
  };
  auto point = [](int i) {
    return "<osgb:topographicMember><osgb:TopographicPoint fid='osgb" + std::to_string(9000 + i) +
           "'><osgb:version>2</osgb:version><osgb:point><gml:Point><gml:coordinates>" +
           std::to_string(i) + ",5</gml:coordinates></gml:Point></osgb:point>"
           "</osgb:TopographicPoint></osgb:topographicMember>\n";
  };
  s += text(0, "<osgb:height>7.5</osgb:height><osgb:anchorPosition>4</osgb:anchorPosition>");
  s += "<osgb:topographicMember><osgb:TopographicArea fid='osgb1'><osgb:version>3</osgb:version>"
       "<osgb:polygon><gml:Polygon><gml:outerBoundaryIs><gml:LinearRing><gml:coordinates>"
       "0,0 10,0 10,10 0,0</gml:coordinates></gml:LinearRing></gml:outerBoundaryIs></gml:Polygon>"
       "</osgb:polygon></osgb:TopographicArea></osgb:topographicMember>\n";
  int i = 1;
  for (int round = 0; round < 4; ++round) {
    // Far more than a lead-in of members that leave the carried values alone.
    for (int k = 0; k < 900; ++k) s += point(i++);
    for (int k = 0; k < 20; ++k) s += text(i++, "");
    // An area's end tag outside any area reads the last area's outline.
    s += "<osgb:topographicMember><osgb:TopographicPoint fid='osgb" + std::to_string(i++) +
         "'></osgb:TopographicArea></osgb:TopographicPoint></osgb:topographicMember>\n";
  }
  return s + "</osgb:FeatureCollection>\n";
}

TEST(PieceReading, CarriedValuesReadAsOnePass) {
  TempFolder folder;
  const std::string content = CarriedValuesFile();
  ASSERT_GT(content.size(), 4 * static_cast<std::size_t>(kLeadInBytes));
  for (const std::string& path : PlainAndGzip(folder, "carried.gml", content)) {
    const Reading whole = Read(path, 1, kOnePiece);
    ASSERT_EQ(whole.result, 1);
    std::size_t texts = 0;
    for (const std::string& record : whole.records) texts += record.rfind("text ", 0) == 0;
    ASSERT_EQ(texts, 81u);
    for (std::int64_t pieceBytes : {8192, 30000}) {
      const Reading pieces = Read(path, 3, pieceBytes);
      ExpectSame(whole, pieces, path + " piece " + std::to_string(pieceBytes));
      EXPECT_GT(pieces.piecesJoined, 0);
    }
  }
}

// Comments hold members that are not read, one of them hundreds of members
// long, so that pieces and lead-ins start and end inside it; texts are given
// in CDATA sections. A piece that starts inside a comment cannot know it:
// it is read again from the true state, and the reading is one pass's.
TEST(PieceReading, CommentsAndCDataReadAsOnePass) {
  const std::string mixed = MixedFile(3000);
  std::string text;
  std::size_t member = 0;
  for (std::size_t at = 0; at < mixed.size();) {
    std::size_t end = mixed.find('\n', at);
    end = end == std::string::npos ? mixed.size() : end + 1;
    std::string line = mixed.substr(at, end - at);
    at = end;
    if (line.find("Member><osgb:") == std::string::npos) {
      text += line;
      continue;
    }
    const std::size_t name = line.find("<osgb:textString>");
    if (name != std::string::npos && member % 2 == 0) {
      line.insert(name + 17, "<![CDATA[a & <b> ");
      line.insert(line.find("</osgb:textString>"), "]]>");
    }
    if (member == 1000) text += "<!-- withdrawn:\n";
    if (member % 37 == 5 && (member < 1000 || member >= 1400))
      text += "<!-- " + line.substr(0, line.size() - 1) + " -->\n";
    else
      text += line;
    if (member == 1399) text += "-->\n";
    ++member;
  }
  TempFolder folder;
  const Reading all = Read(WriteFile(folder, "all.gml", mixed), 1, kOnePiece);
  for (const std::string& path : PlainAndGzip(folder, "markup.gml", text)) {
    const Reading whole = Read(path, 1, kOnePiece);
    ASSERT_EQ(whole.result, 1);
    EXPECT_LT(whole.records.size() + 400, all.records.size()) << "members in comments were read";
    for (std::int64_t pieceBytes : {2048, 20000}) {
      const Reading pieces = Read(path, 3, pieceBytes);
      ExpectSame(whole, pieces, path + " piece " + std::to_string(pieceBytes));
      EXPECT_GT(pieces.piecesJoined, 0);
    }
  }
}

TEST(PieceReading, CountAndPreviewReadAsOnePass) {
  TempFolder folder;
  const std::string path = WriteFile(folder, "mixed.gml", MixedFile(1500));
  for (const auto& [keep, count] : {std::pair{0, 1}, std::pair{1, 1}}) {
    const Reading whole = Read(path, 1, kOnePiece, keep, count);
    const Reading pieces = Read(path, 4, 8192, keep, count);
    ExpectSame(whole, pieces, "keep " + std::to_string(keep) + " count " + std::to_string(count));
  }
}

TEST(PieceReading, RealSamplesReadAsOnePass) {
  for (const char* name : {"itn-v7-exeter-ossample.gml", "itn-v6-brixton-crimefighter.gml",
                           "topo-small-v7.gml"}) {
    const std::string path = SharedSample(name);
    const Reading whole = Read(path, 1, kOnePiece);
    for (const auto& [keep, count] : {std::pair{1, 0}, std::pair{0, 1}}) {
      const Reading expected = keep ? whole : Read(path, 1, kOnePiece, keep, count);
      const Reading pieces = Read(path, 5, 16384, keep, count);
      ExpectSame(expected, pieces, name);
    }
  }
}

TEST(PieceReading, PieceSizeFollowsTheFileWithinBounds) {
  const struct {
    std::int64_t setting;
    double textBytes;
    std::int64_t pieceBytes;
  } cases[] = {
      {0, 200e6, kDefaultPieceBytes},
      {0, 64.0 * 300000, 300000},
      {0, 1e6, kSmallestDefaultPieceBytes},
      {0, 0, kDefaultPieceBytes},  // size not known
      {0, -1, kDefaultPieceBytes},
      {2048, 200e6, 2048},  // the dialog's setting
  };
  for (const auto& c : cases)
    EXPECT_EQ(PieceBytes(c.setting, c.textBytes), c.pieceBytes) << c.textBytes;
}

TEST(PieceReading, CutsFallAfterMemberEndsOnly) {
  struct Case {
    const char* text;
    std::int64_t from;
    std::int64_t cut;
    std::int64_t lookBack = -1;
    bool beginBetweenTags = true;
  };
  const Case cases[] = {
      {"<a></osgb:topographicMember> x", 0, 28},
      {"<a></osgb:topographicMember>", 5, -1},  // the '<' stands before `from`
      {"<a></osgb:topographicMember", 0, -1},   // the '>' is not there yet
      {"<a></osgb:Topographic> </osgb:networkMember>", 0, 44},
      {"<a></osgb:ringMember/>", 0, -1},
      {"<a x='</osgb:topographicMember>'>", 0, -1},  // inside an open tag
      {"text </osgb:cartographicMember> <b>", 0, 31},
      {"</gml:featureMember>", 0, -1},
      // Where the bytes before `begin` are unknown (a plain file's piece
      // cut by position), only a '>' close enough before the tag counts.
      {"text </osgb:cartographicMember> <b>", 0, -1, 4096, false},
      {"<a>text </osgb:cartographicMember>", 0, 34, 8, false},
      {"<a>long text </osgb:cartographicMember>", 0, -1, 8, false},
      {"<a>long text </osgb:cartographicMember>", 0, -1, 8, true},
      {"<a><b x='</osgb:cartographicMember>'>", 0, -1, 4096, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FindPieceCut(c.text, 0, c.from, static_cast<std::int64_t>(std::strlen(c.text)),
                           c.lookBack, c.beginBetweenTags),
              c.cut);
  }
}

}  // namespace
