#include "common/cad/geometry_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "common/geometry/tests/geometry_fixtures.h"
#include "common/tests/temp_folder.h"
#include "host/editor/support_path.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"

namespace {

using namespace geometry_fixtures;
namespace fs = std::filesystem;

using Bytes = std::vector<unsigned char>;

class GeometryFileTest : public testing::Test {
 protected:
  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }

  std::wstring PathOf(const std::string& name) const { return (dir_ / name).wstring(); }

  static Bytes Load(const std::wstring& path) {
    const std::string bytes = common_test::ReadFile(path);
    return Bytes(bytes.begin(), bytes.end());
  }
  static void Save(const std::wstring& path, const Bytes& bytes) {
    common_test::WriteFile(path, std::string(bytes.begin(), bytes.end()));
  }
  static void SaveText(const std::wstring& path, const std::string& text) {
    common_test::WriteFile(path, text);
  }
  int FilesInDir() const {
    return static_cast<int>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  common_test::TempFolder folder_{"geometry_file"};
  const fs::path dir_ = folder_.Path();
};

HzGeometry Header(const wchar_t* id, const wchar_t* description) {
  HzGeometry h{};
  std::wcsncpy(h.id, id, kHzIdChars - 1);
  std::wcsncpy(h.description, description, kHzDescriptionChars - 1);
  h.roadLength = 123.25;
  h.designSpeed = 85.0;
  h.reservedDouble[0] = 1.5;
  h.reservedDouble[1] = -2.5;
  h.reservedDouble[2] = 1e9;
  h.reservedShort[0] = 3;
  h.reservedShort[1] = -4;
  h.reservedShort[2] = 32767;
  return h;
}

// Three elements whose every field differs.
std::vector<GeometryElement> SampleElements() {
  std::vector<GeometryElement> elements;
  for (int i = 0; i < 3; ++i) {
    GeometryElement e{};
    double* f = &e.startChainage;
    for (int k = 0; k < 13; ++k) f[k] = 1000.0 * (i + 1) + k + 0.125;
    elements.push_back(e);
  }
  return elements;
}

template <typename T>
T At(const Bytes& b, std::size_t offset) {
  T v;
  std::memcpy(&v, b.data() + offset, sizeof v);
  return v;
}

std::string Text(const Bytes& b, std::size_t offset, std::size_t n) {
  return std::string(reinterpret_cast<const char*>(b.data() + offset), n);
}

TEST_F(GeometryFileTest, BinaryLayout) {
  const std::wstring path = PathOf("a.hzg");
  HzGeometry h = Header(L"ABCDEF", L"Bypass");
  h.elementCount = 2;
  List list(SampleElements());
  ASSERT_TRUE(WriteHzGeometryFile(path.c_str(), h, list.array()));
  const Bytes b = Load(path);
  ASSERT_EQ(b.size(), 1024u + 2 * 104);
  EXPECT_EQ(Text(b, 0, 40), "LarchWOOD-HILL Hz Geometry File ver 1.00");
  EXPECT_EQ(b[40], 0x0A);
  EXPECT_EQ(b[41], 0x1A);
  EXPECT_EQ(b[42], 0x00);
  EXPECT_EQ(At<std::int32_t>(b, 43), 2);
  EXPECT_EQ(At<double>(b, 47), 123.25);
  EXPECT_EQ(Text(b, 55, 6), "ABCDEF");
  EXPECT_EQ(Text(b, 61, 7), std::string("Bypass\0", 7));
  EXPECT_EQ(At<double>(b, 189), 85.0);
  EXPECT_EQ(At<double>(b, 197), 1.5);
  EXPECT_EQ(At<double>(b, 205), -2.5);
  EXPECT_EQ(At<double>(b, 213), 1e9);
  EXPECT_EQ(At<std::int16_t>(b, 221), 3);
  EXPECT_EQ(At<std::int16_t>(b, 223), -4);
  EXPECT_EQ(At<std::int16_t>(b, 225), 32767);
  std::string filler;
  for (int i = 0; i < 12; ++i) filler += "1234567890123456789012345678901234567890123456789012345678901234";
  filler += "12345678901234567890123456789";
  EXPECT_EQ(Text(b, 227, 797), filler);
  // File order of an element: chainage, length, radii, clothoid parameter,
  // start, end, centre, headings.
  const GeometryElement e = list.At(1);
  const double order[13] = {e.startChainage, e.length, e.radiusStart, e.radiusEnd,
                            e.clothoidParameter, e.startX, e.startY, e.endX, e.endY,
                            e.centreX, e.centreY, e.headingStart, e.headingEnd};
  for (int k = 0; k < 13; ++k) EXPECT_EQ(At<double>(b, 1024 + 104 + 8 * k), order[k]) << k;

  h.elementCount = 0;
  ASSERT_TRUE(WriteHzGeometryFile(path.c_str(), h, list.array()));
  EXPECT_EQ(Load(path).size(), 1024u);
}

TEST_F(GeometryFileTest, BinaryRoundTrip) {
  const std::wstring path = PathOf("round.hzg");
  std::wstring description(128, L'd');
  description[0] = L'\xE9';  // an 8-bit character survives
  HzGeometry h = Header(L"QWERTY", description.c_str());
  h.elementCount = 3;
  List list(SampleElements());
  ASSERT_TRUE(WriteHzGeometryFile(path.c_str(), h, list.array()));
  const Bytes b = Load(path);
  EXPECT_EQ(b[61 + 127], 'd') << "a full description has no terminator in the file";

  HzGeometry r{};
  r.designSpeed = -1;
  wcscpy(r.baseName, L"kept");
  List back;
  ASSERT_TRUE(ReadHzGeometryFile(path.c_str(), r, back.array()));
  EXPECT_EQ(r.elementCount, 3);
  EXPECT_EQ(back.count(), 3);
  EXPECT_EQ(std::wstring(r.id), L"QWERTY");
  EXPECT_EQ(std::wstring(r.description), description);
  EXPECT_EQ(r.roadLength, 123.25);
  EXPECT_EQ(r.designSpeed, 85.0);
  EXPECT_EQ(r.reservedDouble[2], 1e9);
  EXPECT_EQ(r.reservedShort[1], -4);
  EXPECT_EQ(r.startChainage, list.At(0).startChainage);
  EXPECT_EQ(std::wstring(r.baseName), L"kept") << "fields the file does not hold stay";
  for (int i = 0; i < 3; ++i) {
    const GeometryElement a = list.At(i);
    const GeometryElement c = back.At(i);
    EXPECT_EQ(std::memcmp(&a, &c, sizeof a), 0) << i;
  }
}

TEST_F(GeometryFileTest, ShortOrCorruptFilesAreRefused) {
  const std::wstring good = PathOf("good.hzg");
  HzGeometry h = Header(L"ABCDEF", L"x");
  h.elementCount = 2;
  List list(SampleElements());
  ASSERT_TRUE(WriteHzGeometryFile(good.c_str(), h, list.array()));
  const Bytes whole = Load(good);

  struct Case {
    const char* name;
    std::size_t keep;  // bytes kept from the start
    int count;         // count written at offset 43 (keep the original: INT32_MIN)
    int signatureByte; // byte 1 replaced when >= 0
  } cases[] = {
      {"empty", 0, INT32_MIN, -1},
      {"part of the signature", 20, INT32_MIN, -1},
      {"signature only", 43, INT32_MIN, -1},
      {"header cut in the filler", 600, INT32_MIN, -1},
      {"header without its last byte", 1023, INT32_MIN, -1},
      {"last element cut", 1024 + 104 + 50, INT32_MIN, -1},
      {"count beyond the elements", 1024 + 208, 3, -1},
      {"huge count", 1024 + 208, INT32_MAX, -1},
      {"negative count", 1024 + 208, -1, -1},
      {"signature in another case", 1024 + 208, INT32_MIN, 'A'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(c.keep));
    if (c.count != INT32_MIN) std::memcpy(bytes.data() + 43, &c.count, 4);
    if (c.signatureByte >= 0) bytes[1] = static_cast<unsigned char>(c.signatureByte);
    const std::wstring path = PathOf("bad.hzg");
    Save(path, bytes);
    HzGeometry r{};
    List back;
    EXPECT_FALSE(ReadHzGeometryFile(path.c_str(), r, back.array()));
    EXPECT_LE(back.count(), 2);
  }
  HzGeometry r{};
  List back;
  EXPECT_FALSE(ReadHzGeometryFile(PathOf("missing.hzg").c_str(), r, back.array()));
  EXPECT_FALSE(ReadHzGeometryFile(L"", r, back.array()));
}

TEST_F(GeometryFileTest, AFailedWriteLeavesTheEarlierFileWhole) {
  const std::wstring path = PathOf("keep.hzg");
  HzGeometry h = Header(L"OLDOLD", L"old");
  h.elementCount = 1;
  List list(SampleElements());
  ASSERT_TRUE(WriteHzGeometryFile(path.c_str(), h, list.array()));
  const Bytes before = Load(path);

  HzGeometry changed = Header(L"NEWNEW", L"new");
  changed.elementCount = 3;
  // Fail each write in turn (header, elements, the final replacement) until
  // none is left to fail.
  int failures = 0;
  for (int succeed = 0;; ++succeed) {
    host::ArmFault(host::FaultPoint::SaveFile, succeed, 1);
    const bool ok = WriteHzGeometryFile(path.c_str(), changed, list.array());
    const bool fired = host::FaultsFired(host::FaultPoint::SaveFile) > 0;
    host::DisarmFault(host::FaultPoint::SaveFile);
    if (!fired) {
      EXPECT_TRUE(ok);
      break;
    }
    ++failures;
    SCOPED_TRACE(succeed);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Load(path), before);
    EXPECT_EQ(FilesInDir(), 1) << "no temporary file is left behind";
  }
  EXPECT_EQ(failures, 1 + 3 + 1);
  EXPECT_EQ(Load(path).size(), 1024u + 3 * 104);

  // A list shorter than the count fails the same way.
  const Bytes written = Load(path);
  changed.elementCount = 4;
  EXPECT_FALSE(WriteHzGeometryFile(path.c_str(), changed, list.array()));
  EXPECT_EQ(Load(path), written);
  EXPECT_EQ(FilesInDir(), 1);
  // A folder that does not exist.
  EXPECT_FALSE(WriteHzGeometryFile(PathOf("no/such/a.hzg").c_str(), changed, list.array()));
}

TEST_F(GeometryFileTest, FindByNameAndId) {
  host::SetSupportPath({dir_.wstring()});
  HzGeometry h = Header(L"ROADAB", L"");
  List list;
  ASSERT_TRUE(WriteHzGeometryFile(PathOf("Main.hzg").c_str(), h, list.array()));
  wchar_t found[kHzPathChars] = L"untouched";
  ASSERT_TRUE(FindHzGeometryFile(L"main", L"ROADAB", found));
  EXPECT_EQ(fs::path(found), dir_ / "Main.hzg");
  wcscpy(found, L"untouched");
  EXPECT_FALSE(FindHzGeometryFile(L"main", L"roadab", found)) << "IDs compare with case";
  EXPECT_FALSE(FindHzGeometryFile(L"main", L"ROADAC", found));
  EXPECT_FALSE(FindHzGeometryFile(L"other", L"ROADAB", found));
  EXPECT_EQ(std::wstring(found), L"untouched");

  // A signature in another case: found, but the reader refuses it.
  Bytes b = Load(PathOf("Main.hzg"));
  for (int i = 0; i < 40; ++i) b[i] = static_cast<unsigned char>(std::toupper(b[i]));
  Save(PathOf("Main.hzg"), b);
  EXPECT_TRUE(FindHzGeometryFile(L"main", L"ROADAB", found));
  HzGeometry r{};
  EXPECT_FALSE(ReadHzGeometryFile(found, r, list.array()));
  // Too short to hold an ID.
  Save(PathOf("Main.hzg"), Bytes(b.begin(), b.begin() + 50));
  EXPECT_FALSE(FindHzGeometryFile(L"main", L"ROADAB", found));
}

TEST_F(GeometryFileTest, AsciiRoundTripAndLayout) {
  const std::wstring path = PathOf("a.txt");
  HzGeometry h = Header(L"ASCIIX", L"Two words");
  h.elementCount = 2;
  List list(SampleElements());
  ASSERT_TRUE(WriteHzGeometryAscii(path.c_str(), h, list.array()));
  const Bytes bytes = Load(path);
  const std::string text(bytes.begin(), bytes.end());
  const std::string head =
      "LarchWOOD-HILL ASCII Hz Geometry File ver 1.00\n"
      "Qty of elements (Remember to update when manually editing!):\n2\n"
      "Road Length (Remember to update when manually editing!):\n123.250000\n"
      "Geom ID (internal variable, do not edit):\nASCIIX\n"
      "Description:\nTwo words\n"
      "Design speed (used in transition calculations when adding new elements):\n85.000000\n"
      "Reserved double 1:\n1.500000\nReserved double 2:\n-2.500000\n"
      "Reserved double 3:\n1000000000.000000\n"
      "Reserved short int 1:\n3\nReserved short int 1:\n-4\nReserved short int 1:\n32767\n"
      "Reserved header:\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_NE(text.find("\nGEOMETRY ELEMENT 2 of 2:\nStart chainage:\n2000.125000\n"),
            std::string::npos);

  HzGeometry r{};
  r.startChainage = 77;
  List back;
  ASSERT_TRUE(ReadHzGeometryAscii(path.c_str(), r, back.array()));
  EXPECT_EQ(r.elementCount, 2);
  EXPECT_EQ(std::wstring(r.id), L"ASCIIX");
  EXPECT_EQ(std::wstring(r.description), L"Two words");
  EXPECT_EQ(r.reservedShort[2], 32767);
  EXPECT_EQ(r.reservedDouble[2], 1e9);
  EXPECT_EQ(r.startChainage, 77) << "not set by the ASCII reader";
  ASSERT_EQ(back.count(), 2);
  const GeometryElement a = list.At(1);
  const GeometryElement c = back.At(1);
  EXPECT_EQ(c.startChainage, a.startChainage);
  EXPECT_EQ(c.clothoidParameter, a.clothoidParameter);
  EXPECT_EQ(c.centreX, a.centreX);
  EXPECT_EQ(c.headingEnd, a.headingEnd);
}

TEST_F(GeometryFileTest, AsciiIsReadByPosition) {
  const std::wstring path = PathOf("a.txt");
  HzGeometry h = Header(L"ASCIIX", L"d");
  h.elementCount = 1;
  List list(SampleElements());
  ASSERT_TRUE(WriteHzGeometryAscii(path.c_str(), h, list.array()));
  const Bytes bytes = Load(path);
  std::string text(bytes.begin(), bytes.end());

  // Labels rewritten and Windows line ends: still the same values.
  std::string edited;
  std::size_t start = 0;
  int line = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    std::string l = text.substr(start, end - start);
    if (line > 0 && l.find(':') != std::string::npos) l = "edited label";
    edited += l + "\r\n";
    start = end + 1;
    ++line;
  }
  SaveText(path, edited);
  HzGeometry r{};
  List back;
  ASSERT_TRUE(ReadHzGeometryAscii(path.c_str(), r, back.array()));
  EXPECT_EQ(std::wstring(r.id), L"ASCIIX");
  EXPECT_EQ(back.At(0).endY, list.At(0).endY);

  // One line short at the end: refused.
  const std::size_t cut = text.rfind('\n', text.size() - 2);
  SaveText(path, text.substr(0, cut + 1));
  List shortList;
  EXPECT_FALSE(ReadHzGeometryAscii(path.c_str(), r, shortList.array()));
  // Another first line, or a negative count.
  SaveText(path, "LarchWOOD-HILL ASCII Hz Geometry File ver 1.01\n" + text.substr(text.find('\n') + 1));
  EXPECT_FALSE(ReadHzGeometryAscii(path.c_str(), r, shortList.array()));
  std::string negative = text;
  negative.replace(negative.find("\n1\n"), 3, "\n-1\n");
  SaveText(path, negative);
  EXPECT_FALSE(ReadHzGeometryAscii(path.c_str(), r, shortList.array()));
}

// A vertical file block, built byte by byte.
Bytes VtBlock(const char* signature, std::int32_t count, char kind, double v1, double v2) {
  Bytes b(1024, '9');
  std::memcpy(b.data(), signature, 40);
  b[40] = 0x0A;
  b[41] = 0x1A;
  b[42] = 0;
  std::memcpy(b.data() + 43, &count, 4);
  const double roadLength = 10.0 * count;
  std::memcpy(b.data() + 47, &roadLength, 8);
  std::memcpy(b.data() + 55, "VERTID", 6);
  std::memset(b.data() + 61, 0, 128);
  std::memcpy(b.data() + 61, "profile", 7);
  for (int i = 0; i < 9; ++i) {
    const double v = 100.0 + i;  // X origin 100, Y origin 101, ...
    std::memcpy(b.data() + 227 + 8 * i, &v, 8);
  }
  b[299] = static_cast<unsigned char>(kind);
  std::memcpy(b.data() + 300, &v1, 8);
  std::memcpy(b.data() + 308, &v2, 8);
  return b;
}

void AddElements(Bytes& b, int count, double base) {
  for (int i = 0; i < count; ++i) {
    double f[13];
    for (int k = 0; k < 13; ++k) f[k] = base + 100 * i + k;
    const auto* p = reinterpret_cast<const unsigned char*>(f);
    b.insert(b.end(), p, p + sizeof f);
  }
}

TEST_F(GeometryFileTest, VerticalFiles) {
  const char* sig = "LarchWOOD-HILL Vt Geometry File ver 1.00";
  const std::wstring path = PathOf("v.vtg");
  Bytes plain = VtBlock(sig, 2, '1', 0, 0);
  AddElements(plain, 2, 0);
  Save(path, plain);

  HzGeometry h{};
  wcscpy(h.path, L"old");
  VtProfile frame{};
  List list;
  ASSERT_TRUE(ReadVtGeometryFile(path.c_str(), h, frame, list.array()));
  EXPECT_EQ(std::wstring(h.path), L"");
  EXPECT_EQ(std::wstring(frame.sourcePath), path);
  EXPECT_EQ(std::wstring(h.id), L"VERTID");
  EXPECT_EQ(std::wstring(h.description), L"profile");
  EXPECT_EQ(frame.xOrigin, 100);
  EXPECT_EQ(frame.yOrigin, 101);
  EXPECT_EQ(frame.verticalScale, 102);
  EXPECT_EQ(frame.datumLevel, 103);
  EXPECT_EQ(frame.startChainage, 104);
  EXPECT_EQ(frame.minX, 105);
  EXPECT_EQ(frame.maxX, 106);
  EXPECT_EQ(frame.minY, 107);
  EXPECT_EQ(frame.maxY, 108);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.At(1).clothoidParameter, 104);
  EXPECT_EQ(list.At(1).centreX, 109);

  struct Case {
    char kind;
    double v1, v2;
  } cases[] = {{'1', 0, 0}, {'A', 7.5, -8.5}, {'B', 1, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Bytes b = VtBlock(sig, 1, c.kind, 7.5, -8.5);
    AddElements(b, 1, 0);
    if (c.kind == 'B') {
      Bytes second = VtBlock(sig, 3, 'x', 0, 0);
      AddElements(second, 3, 5000);
      b.insert(b.end(), second.begin(), second.end());
    }
    Save(path, b);
    HzGeometry h1{}, h2{};
    VtProfile f1{}, f2{};
    List l1, l2;
    char kind = 0;
    double v1 = -1, v2 = -1;
    ASSERT_TRUE(ReadVtGeometryFileEx(path.c_str(), h1, f1, l1.array(), h2, f2, l2.array(), kind,
                                     v1, v2));
    EXPECT_EQ(kind, c.kind);
    if (c.kind == '1') {
      EXPECT_EQ(v1, 0);
      EXPECT_EQ(v2, 0);
    } else {
      EXPECT_EQ(v1, 7.5);
      EXPECT_EQ(v2, -8.5);
    }
    EXPECT_EQ(l1.count(), 1);
    EXPECT_EQ(l2.count(), c.kind == 'B' ? 3 : 0);
    if (c.kind == 'B') {
      EXPECT_EQ(h2.elementCount, 3);
      EXPECT_EQ(f2.maxY, 108);
      EXPECT_EQ(l2.At(2).startChainage, 5200);
      // The second profile cut short, or with a Hz signature, is refused.
      for (std::size_t cut : {b.size() - 1, std::size_t{1024 + 104 + 500}}) {
        Save(path, Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(cut)));
        List m1, m2;
        EXPECT_FALSE(ReadVtGeometryFileEx(path.c_str(), h1, f1, m1.array(), h2, f2, m2.array(),
                                          kind, v1, v2));
      }
      std::memcpy(b.data() + 1024 + 104, "LarchWOOD-HILL Hz", 17);
      Save(path, b);
      List m1, m2;
      EXPECT_FALSE(ReadVtGeometryFileEx(path.c_str(), h1, f1, m1.array(), h2, f2, m2.array(),
                                        kind, v1, v2));
    }
  }
  // A horizontal file is not a vertical one.
  HzGeometry hz = Header(L"ABCDEF", L"");
  List none;
  ASSERT_TRUE(WriteHzGeometryFile(path.c_str(), hz, none.array()));
  EXPECT_FALSE(ReadVtGeometryFile(path.c_str(), h, frame, list.array()));
}

}  // namespace
