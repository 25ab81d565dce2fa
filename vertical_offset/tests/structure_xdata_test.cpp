#include "vertical_offset/structure_xdata.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/containers/text.h"
#include "vertical_offset/tests/section_fixture.h"

namespace {

using section_fixture::SectionDrawing;

// A record with a points array of `points` slots, set to "P<i>" points.
class Structure {
 public:
  explicit Structure(int points = 0) {
    std::memset(&record, 0, sizeof record);
    EXPECT_TRUE(GrowArrayCreate(50, sizeof(StructurePoint), &record.points));
    for (int i = 0; i < points; ++i) {
      StructurePoint p{};
      CopyField(p.code, "P" + std::to_string(i));
      CopyField(p.text, "point " + std::to_string(i));
      CopyField(p.surface, i == 0 ? "grass" : "");
      CopyField(p.irregularity, i == 0 ? "rough" : "");
      p.realA = i * 1.5;
      p.realB = -i;
      EXPECT_TRUE(GrowArraySet(&record.points, i, &p));
    }
  }
  ~Structure() { GrowArrayFree(&record.points); }
  StructurePoint Point(int i) const {
    StructurePoint p{};
    EXPECT_TRUE(GrowArrayGet(&record.points, i, &p));
    return p;
  }
  StructureRecord record;
};

class StructureXdata : public SectionDrawing {
 protected:
  host::EntityName Polyline3(double x0 = 0) {
    host::db::LwPolylineData d;
    d.vertices = {{x0, 0}, {x0 + 5, 1}, {x0 + 10, 0}};
    return db_.Append(d);
  }
};

TEST_F(StructureXdata, RoundTripPerType) {
  for (int type = 0; type <= 5; ++type) {
    SCOPED_TRACE(type);
    Structure written(3);
    StructureRecord& r = written.record;
    r.structureFlag = 1;
    r.integer2 = 42;
    r.structureType = type;
    r.real1 = 99.125;
    r.real4 = -3.5;
    CopyField(r.text5, "text five");
    CopyField(r.code, WideToNarrow(kSectionMarkerCode));
    CopyField(r.notes, "a note");
    if (type == 1) r.type1 = {30.4, 2.5, 0.0, true};
    if (type == 2) {
      CopyField(r.type2.typeText, "pipe");
      r.type2.element = 3;
      r.type2.length = 4.0;
      r.type2.width = -1.0;
    }
    if (type == 3 || type == 4) {
      CopyField(r.type34.shape, "round");
      CopyField(r.type34.material, "concrete");
      r.type34.inOrOut = 1;
      r.type34.e = 1.0;
      r.type34.y2 = 2.0;
      r.type34.length = 6.0;
      r.type34.tsbd = 0.0;
    }
    const host::EntityName entity = Polyline3();
    ASSERT_TRUE(WriteStructureXdata(entity, r));

    Structure read;
    ASSERT_TRUE(ReadStructureXdata(entity, read.record));
    const StructureRecord& b = read.record;
    EXPECT_EQ(b.structureFlag, 1);
    EXPECT_EQ(b.integer2, 42);
    EXPECT_EQ(b.structureType, type);
    EXPECT_DOUBLE_EQ(b.real1, 99.125);
    EXPECT_DOUBLE_EQ(b.real4, -3.5);
    EXPECT_STREQ(b.text5, "text five");
    EXPECT_STREQ(b.notes, type >= 1 ? "a note" : "");
    if (type == 1) {
      EXPECT_DOUBLE_EQ(b.type1.skewAngle, 30.0);  // "%.0lf"
      EXPECT_DOUBLE_EQ(b.type1.length, 2.5);
      EXPECT_DOUBLE_EQ(b.type1.width, -1.0);      // not written: the default
      EXPECT_TRUE(b.type1.exception);
    }
    if (type == 2) {
      EXPECT_STREQ(b.type2.typeText, "pipe");
      EXPECT_EQ(b.type2.element, 3);
      EXPECT_DOUBLE_EQ(b.type2.length, 4.0);
      EXPECT_FALSE(b.type2.exception);
    }
    if (type == 3 || type == 4) {
      EXPECT_STREQ(b.type34.shape, "round");
      EXPECT_STREQ(b.type34.inletType, "");
      EXPECT_EQ(b.type34.inOrOut, 1);
      EXPECT_DOUBLE_EQ(b.type34.y2, 2.0);
      EXPECT_DOUBLE_EQ(b.type34.tsbd, -1.0);
    }
    for (int i = 0; i < 3; ++i) {
      const StructurePoint p = read.Point(i);
      EXPECT_EQ(std::string(p.code), "P" + std::to_string(i));
      EXPECT_DOUBLE_EQ(p.realA, i * 1.5);
      EXPECT_STREQ(p.surface, i == 0 ? "grass" : "NONE");
      EXPECT_STREQ(p.irregularity, i == 0 ? "rough" : "NONE");
      EXPECT_STREQ(p.vegetation, "NONE");
    }
    std::int32_t flag = 0, integer2 = 0;
    double real1 = 0;
    ASSERT_TRUE(ReadStructureSummary(entity, flag, real1, integer2));
    EXPECT_EQ(integer2, 42);
  }
}

TEST_F(StructureXdata, WrittenStrings) {
  Structure s(1);
  s.record.structureType = 1;
  s.record.type1 = {45.0, 2.0, 0.0, false};
  CopyField(s.record.notes, "no tags without the code");
  const host::EntityName entity = Line({0, 0, 0}, {1, 0, 0});
  ASSERT_TRUE(WriteStructureXdata(entity, s.record));
  const std::vector<std::wstring> strings = SectionStrings(entity);
  ASSERT_EQ(strings.size(), 7u);
  EXPECT_EQ(strings[0], L"300");
  EXPECT_EQ(strings[1], L"310.000");
  EXPECT_EQ(strings[5], L"371");
  EXPECT_EQ(strings[6], L"360,P0,0.000,0.000,point 0,<irregulalarity:rough><surface:grass>");

  // Read back without tags: type 1, no defaults, the code field kept.
  Structure read;
  CopyField(read.record.code, "untouched");
  ASSERT_TRUE(ReadStructureXdata(entity, read.record));
  EXPECT_EQ(read.record.structureType, 1);
  EXPECT_STREQ(read.record.code, "untouched");

  // A circle takes no structure data.
  const host::EntityName circle = db_.Append(host::db::CircleData{{0, 0, 0}, 1});
  EXPECT_FALSE(WriteStructureXdata(circle, s.record));
  EXPECT_TRUE(SectionStrings(circle).empty());
}

TEST_F(StructureXdata, ReaderEdges) {
  const host::EntityName entity = Polyline3();
  PutSectionStrings(entity, {L"301", L"31 2.5", L"32 7", L"362,C,1,2,third,<vegetation:scrub>",
                             L"363,D,1,2,fourth,", L"33 0,OLDCODE,5,,old form", L"36,X,1,2,no index",
                             L"361,,,," + std::wstring(100, L't')},
                    L"LARCHWORKS_SECT_????_22970PEBRA");
  Structure read;
  ASSERT_TRUE(ReadStructureXdata(entity, read.record)) << "a '?' in the stored name still counts";
  EXPECT_EQ(read.record.structureType, -1);
  const StructurePoint p0 = read.Point(0);
  EXPECT_STREQ(p0.code, "OLDC") << "a point code holds 4 characters";
  EXPECT_DOUBLE_EQ(p0.realA, 5);
  EXPECT_DOUBLE_EQ(p0.realB, -999.0);
  EXPECT_STREQ(p0.text, "old form");
  EXPECT_STREQ(p0.surface, "NONE");
  EXPECT_EQ(std::strlen(read.Point(1).text), 63u);
  EXPECT_STREQ(read.Point(2).vegetation, "scrub");
  EXPECT_EQ(GrowArrayGetCount(&read.record.points), 3) << "index 3 is no vertex: dropped";

  std::int32_t flag = 0, integer2 = 0;
  double real1 = 0;
  EXPECT_FALSE(ReadStructureSummary(entity, flag, real1, integer2)) << "the summary compares names exactly";

  // Missing "32": false, with what was found kept.
  const host::EntityName partial = Line({0, 0, 0}, {1, 0, 0});
  PutSectionStrings(partial, {L"301", L"31 2.5"});
  EXPECT_FALSE(ReadStructureXdata(partial, read.record));
  EXPECT_DOUBLE_EQ(read.record.real1, 2.5);
  EXPECT_FALSE(ReadStructureSummary(partial, flag, real1, integer2));
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(integer2, -1);

  // A points array that is not set up: nothing is read.
  StructureRecord bare{};
  EXPECT_FALSE(ReadStructureXdata(entity, bare));
}

TEST_F(StructureXdata, WriterBoundsPointsAndStrings) {
  host::db::LwPolylineData d;
  for (int i = 0; i < 600; ++i) d.vertices.push_back({static_cast<double>(i), 0});
  const host::EntityName entity = db_.Append(d);
  Structure s(600);
  ASSERT_TRUE(WriteStructureXdata(entity, s.record));
  // Even the shortest point strings pass 13000 bytes before 497 of them.
  std::vector<std::wstring> strings = SectionStrings(entity);
  std::size_t shortBytes = 0;
  int shortPoints = 0;
  for (const std::wstring& t : strings) {
    if (t.rfind(L"36", 0) != 0) continue;
    EXPECT_LT(shortBytes, static_cast<std::size_t>(kMaxStructurePointBytes));
    shortBytes += 2 * t.size();
    ++shortPoints;
  }
  EXPECT_GE(shortBytes, static_cast<std::size_t>(kMaxStructurePointBytes));
  EXPECT_LT(shortPoints, kMaxStructurePoints);

  // Long texts: fewer points before 13000 bytes; no string over 299 characters.
  for (int i = 0; i < 600; ++i) {
    StructurePoint* p = nullptr;
    ASSERT_TRUE(GrowArrayGetPtr(&s.record.points, i, reinterpret_cast<void**>(&p)));
    CopyField(p->text, std::string(64, 'x'));
    CopyField(p->surface, std::string(32, 's'));
    CopyField(p->vegetation, std::string(32, 'v'));
    CopyField(p->irregularity, std::string(32, 'i'));
  }
  s.record.structureType = 3;
  CopyField(s.record.code, WideToNarrow(kSectionMarkerCode));
  CopyField(s.record.notes, std::string(127, 'n'));
  CopyField(s.record.type34.shape, std::string(31, 'h'));
  CopyField(s.record.type34.inletType, std::string(31, 'i'));
  CopyField(s.record.type34.material, std::string(31, 'm'));
  ASSERT_TRUE(WriteStructureXdata(entity, s.record));
  strings = SectionStrings(entity);
  std::size_t bytes = 0;
  int pointStrings = 0;
  for (const std::wstring& t : strings) {
    EXPECT_LE(t.size(), static_cast<std::size_t>(kStructureTextSize));
    if (t.rfind(L"36", 0) == 0) {
      EXPECT_LT(bytes, static_cast<std::size_t>(kMaxStructurePointBytes));
      bytes += 2 * t.size();
      ++pointStrings;
    }
  }
  EXPECT_LT(pointStrings, kMaxStructurePoints);
  Structure read;
  ASSERT_TRUE(ReadStructureXdata(entity, read.record));
  EXPECT_EQ(std::string(read.record.notes), std::string(127, 'n'));
}

TEST_F(StructureXdata, CountsVertices) {
  EXPECT_EQ(CountEntityVertices(Line({0, 0, 0}, {1, 0, 0})), 2);
  EXPECT_EQ(CountEntityVertices(Polyline3()), 3);
  EXPECT_EQ(CountEntityVertices(db_.Append(host::db::CircleData{{0, 0, 0}, 1})), 0);
  host::db::LwPolylineData one;
  one.vertices = {{0, 0}};
  EXPECT_EQ(CountEntityVertices(db_.Append(one)), 0);

  // A spline-fitted polyline: frame points (vertex flag 16) do not count.
  host::db::PolylineData header;
  header.flags = 4;
  std::vector<host::db::VertexData> vertices(5);
  for (int i = 0; i < 5; ++i) {
    vertices[static_cast<std::size_t>(i)].position = {static_cast<double>(i), 0, 0};
    vertices[static_cast<std::size_t>(i)].flags = i % 2 == 0 ? 8 : 16;
  }
  const host::EntityName splined = db_.AppendPolyline(header, vertices);
  host::Shown().Clear();
  EXPECT_EQ(CountEntityVertices(splined), 3);
  EXPECT_TRUE(host::Shown().Contains("print", L"\nOperating on **SPLINED** Polyline.\n"));
  header.flags = 0;
  EXPECT_EQ(CountEntityVertices(db_.AppendPolyline(header, vertices)), 5);
}

}  // namespace
