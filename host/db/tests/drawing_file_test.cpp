#include "host/db/drawing_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "host/db/entity_list.h"
#include "host/db/tests/sample_drawing.h"
#include "host/system/wide_text.h"
#include "host/db/xdata.h"
#include "host/system/wide_text.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"

namespace host::db {
namespace {

namespace fs = std::filesystem;

class DrawingFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTest();
    std::string pattern = (fs::temp_directory_path() / "hostdb_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    ResetForTest();
    fs::remove_all(dir_);
  }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  // Runs the ezdxf tool; its output.
  static std::string Tool(const std::string& args) {
    std::string command = "/usr/bin/python3 " VARNEL_SOURCE_DIR "/host/db/tests/dxf_tool.py " + args + " 2>&1";
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[4096];
      std::size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
      pclose(pipe);
    }
    return out;
  }

  fs::path dir_;
};

// Entity lists of two drawings compare with names taken as handles and
// reals to the last bits that degrees and radians may change.
bool SameGroups(const EntityList& a, const EntityList& b, std::string* why) {
  if (a.size() != b.size()) {
    *why = "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Group& x = a[i];
    const Group& y = b[i];
    std::ostringstream where;
    PrintTo(x, &where);
    where << " vs ";
    PrintTo(y, &where);
    *why = where.str();
    if (x.code != y.code || x.value.index() != y.value.index()) return false;
    auto close = [](double p, double q) { return std::fabs(p - q) <= 1e-12 * std::max(1.0, std::fabs(p)); };
    if (const ObjectId* n = x.Name()) {
      if (n->handle != y.Name()->handle) return false;
    } else if (const Point3* p = x.Point()) {
      const Point3* q = y.Point();
      if (!close(p->x, q->x) || !close(p->y, q->y) || !close(p->z, q->z)) return false;
    } else if (std::holds_alternative<double>(x.value)) {
      if (!close(x.Number(), y.Number())) return false;
    } else if (!(x == y)) {
      return false;
    }
  }
  return true;
}

void ExpectSameDrawing(const Database& a, const Database& b) {
  std::vector<ObjectId> left, right;
  for (ObjectId id = a.NextEntity(); !id.IsNull(); id = a.NextEntity(id)) left.push_back(id);
  for (ObjectId id = b.NextEntity(); !id.IsNull(); id = b.NextEntity(id)) right.push_back(id);
  ASSERT_EQ(left.size(), right.size());
  for (std::size_t i = 0; i < left.size(); ++i) {
    std::string why;
    EXPECT_TRUE(SameGroups(*GetEntityList(left[i], {L"*"}), *GetEntityList(right[i], {L"*"}), &why))
        << "entity " << i << ": " << why;
  }
  ASSERT_EQ(a.Layers().size(), b.Layers().size());
  for (std::size_t i = 0; i < a.Layers().size(); ++i) {
    const LayerRecord& x = a.Layers()[i];
    const LayerRecord& y = b.Layers()[i];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.handle, y.handle);
    EXPECT_EQ(std::tie(x.color, x.off, x.frozen, x.locked, x.frozenInNewViewports),
              std::tie(y.color, y.off, y.frozen, y.locked, y.frozenInNewViewports))
        << "layer " << i;
  }
}

TEST_F(DrawingFileTest, EveryKindWithXdataOfTwoApplicationsSurvivesSaveAndRead) {
  Database db;
  testing::FillSample(db);
  std::string path = PathOf("sample.dxf");
  Result<std::int64_t> saved = SaveDrawing(db, path);
  ASSERT_TRUE(saved.ok()) << saved.message;

  Database back(Database::Content::kEmpty);
  Result<std::int64_t> read = ReadDrawing(back, path);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.value, 0);
  ExpectSameDrawing(db, back);

  EXPECT_EQ(back.LayerRecordOf(back.CurrentLayer())->name, L"Frozen");
  EXPECT_EQ(back.TextStyleRecordOf(back.CurrentTextStyle())->font, L"arial.ttf");
  EXPECT_TRUE(back.Settings().plinegen);
  ASSERT_NE(back.ActiveViewport(), nullptr);
  EXPECT_EQ(back.ActiveViewport()->centerX, 530000.5);
  EXPECT_EQ(back.ActiveViewport()->width, 240);
  EXPECT_FALSE(back.AppId(testing::kAppBatch).IsNull());
  ObjectId tree = back.Block(L"TREE");
  ASSERT_FALSE(tree.IsNull());
  EXPECT_EQ(back.EntitiesIn(tree).size(), 2u);
  EXPECT_EQ(back.BlockRecordOf(tree)->base, (Point3{0.5, 0.5, 0}));
  // New objects do not take handles the file used.
  ObjectId added = back.Append(PointData{});
  EXPECT_GE(added.handle, db.HandleSeed());
}

TEST_F(DrawingFileTest, EzdxfAuditsTheFileAndReadsTheSameEntitiesLayersAndXdata) {
  Database db;
  testing::FillSample(db);
  std::string path = PathOf("sample.dxf");
  ASSERT_TRUE(SaveDrawing(db, path).ok());

  // What ezdxf should see: units above 255 stay "\U+XXXX" in its xdata.
  std::string expected = "AUDIT errors=0 fixes=0\n";
  for (const LayerRecord& layer : db.Layers()) {
    expected += "LAYER " + host::EncodeUtf8(layer.name) + " color=" + std::to_string(layer.color) +
                " off=" + std::to_string(layer.off) + " frozen=" + std::to_string(layer.frozen) +
                " locked=" + std::to_string(layer.locked) + "\n";
  }
  expected += "LAYER Defpoints color=7 off=0 frozen=0 locked=0\n";
  for (ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    const Entity* e = db.EntityOf(id);
    char handle[24];
    std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(e->handle));
    expected += host::EncodeUtf8(TypeName(e->Type())) + " " + handle + " " +
                host::EncodeUtf8(db.LayerRecordOf(db.IdOf(e->layer))->name) + " " + std::to_string(e->color);
    for (const XdataBlock& block : e->xdata.Blocks()) {
      expected += " [" + host::EncodeUtf8(block.app);
      for (const Group& g : block.groups) {
        expected += " " + std::to_string(g.code) + "=";
        char number[128];
        if (const std::wstring* text = g.Text()) {
          for (wchar_t c : *text) {
            if (c > 255) {
              std::snprintf(number, sizeof number, "\\U+%04X", static_cast<unsigned>(c));
              expected += number;
            } else {
              expected += host::EncodeUtf8(std::wstring(1, c));
            }
          }
        } else if (const Point3* p = g.Point()) {
          std::snprintf(number, sizeof number, "%.17g,%.17g,%.17g", p->x, p->y, p->z);
          expected += number;
        } else if (std::holds_alternative<double>(g.value)) {
          std::snprintf(number, sizeof number, "%.17g", g.Number());
          expected += number;
        } else {
          expected += std::to_string(g.Int());
        }
      }
      expected += "]";
    }
    expected += "\n";
  }
  // Shortest forms on both sides of the few reals used here.
  for (auto [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"1.0000000000000001e-09", "1e-09"}, {"0.10000000000000001", "0.1"},
           {"1.1000000000000001", "1.1"}, {"2.1000000000000001", "2.1"}, {"3.1000000000000001", "3.1"},
           {"4.0999999999999996", "4.1"}, {"5.0999999999999996", "5.1"}, {"6.0999999999999996", "6.1"},
           {"7.0999999999999996", "7.1"}, {"8.0999999999999996", "8.1"}, {"9.0999999999999996", "9.1"}}) {
    for (std::size_t at; (at = expected.find(from)) != std::string::npos;) expected.replace(at, from.size(), to);
  }
  EXPECT_EQ(Tool("describe " + path), expected);
}

TEST_F(DrawingFileTest, ReadsWhatEzdxfWrites) {
  for (const char* version : {"R2000", "R2018"}) {
    SCOPED_TRACE(version);
    std::string path = PathOf(std::string("ezdxf_") + version + ".dxf");
    ASSERT_EQ(Tool("make " + path + " " + version), "");
    Database db;
    Result<std::int64_t> read = ReadDrawing(db, path);
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.value, 3);  // the ATTRIB, the MTEXT and the ELLIPSE

    std::vector<EntityType> kinds;
    for (ObjectId id : db.EntitiesIn(db.ModelSpace())) kinds.push_back(db.EntityOf(id)->Type());
    ASSERT_EQ(kinds, (std::vector<EntityType>{EntityType::kLine, EntityType::kCircle, EntityType::kArc,
                                              EntityType::kPoint, EntityType::kText, EntityType::kLwPolyline,
                                              EntityType::kPolyline, EntityType::kPolyline, EntityType::kHatch,
                                              EntityType::kInsert, EntityType::kInsert}));
    std::vector<ObjectId> ids = db.EntitiesIn(db.ModelSpace());
    const Entity* line = db.EntityOf(ids[0]);
    EXPECT_EQ(db.LayerRecordOf(db.IdOf(line->layer))->name, L"Walls");
    EXPECT_EQ(line->color, 2);
    EXPECT_EQ(std::get<LineData>(line->data).end, (Point3{10, 5, 1}));
    XdataBlock other;
    ASSERT_TRUE(line->xdata.Find(L"OTHERAPP", &other));
    EXPECT_EQ(other.groups, (EntityList{{1000, L"first"}, {1000, L"Gr\u00fc\u00dfe \u0141"}, {1040, 2.5}, {1070, 3}}));

    const auto& arc = std::get<ArcData>(db.EntityOf(ids[2])->data);
    EXPECT_NEAR(arc.startAngle, 3.14159265358979 / 6, 1e-12);
    const auto& text = std::get<TextData>(db.EntityOf(ids[4])->data);
    EXPECT_EQ(text.text, L"Centred");
    EXPECT_EQ(text.horizontal, TextHorizontal::kCenter);
    EXPECT_EQ(text.vertical, TextVertical::kMiddle);
    EXPECT_EQ(text.alignment, (Point3{5, 5, 0}));
    EXPECT_NEAR(text.rotation, 3.14159265358979 / 2, 1e-12);
    const auto& lw = std::get<LwPolylineData>(db.EntityOf(ids[5])->data);
    ASSERT_EQ(lw.vertices.size(), 3u);
    EXPECT_TRUE(lw.closed);
    EXPECT_EQ(lw.vertices[0].bulge, 0.25);
    EXPECT_EQ(lw.vertices[0].startWidth, 0.5);
    EXPECT_EQ(lw.vertices[1].endWidth, 0);
    EXPECT_TRUE(db.LayerRecordOf(db.Layer(L"Off"))->off);

    EntityName vertex = db.NextEntity(ids[6]);
    EXPECT_EQ(db.EntityOf(vertex)->Type(), EntityType::kVertex);
    const auto& poly3d = std::get<PolylineData>(db.EntityOf(ids[7])->data);
    EXPECT_TRUE(poly3d.flags & kPolyline3d);
    ASSERT_EQ(poly3d.vertices.size(), 2u);
    EXPECT_EQ(std::get<VertexData>(db.EntityByHandle(poly3d.vertices[1])->data).position, (Point3{1, 2, 3}));

    const auto& hatch = std::get<HatchData>(db.EntityOf(ids[8])->data);
    ASSERT_EQ(hatch.loops.size(), 2u);
    EXPECT_EQ(hatch.loops[0].points.size(), 4u);
    ASSERT_EQ(hatch.loops[1].points.size(), 4u);  // line, arc, line, line
    EXPECT_EQ(hatch.loops[1].points[1].x, 4);
    EXPECT_NEAR(hatch.loops[1].points[1].y, 2, 1e-12);
    EXPECT_NEAR(hatch.loops[1].points[1].bulge, 1, 1e-12);  // a half circle

    const auto& insert = std::get<InsertData>(db.EntityOf(ids[9])->data);
    EXPECT_EQ(insert.block, db.Block(L"MARK").handle);
    EXPECT_EQ(insert.scale, (Point3{2, 2, 2}));
    EXPECT_EQ(db.EntitiesIn(db.Block(L"MARK")).size(), 1u);
  }
}

TEST_F(DrawingFileTest, ForeignNamesAreKeptAndAnonymousBlockReferencesSkipped) {
  Database db;
  testing::FillSample(db);
  std::string path = PathOf("names.dxf");
  ASSERT_TRUE(SaveDrawing(db, path).ok());
  std::string text = ReadAll(path);
  for (std::size_t at; (at = text.find("\nFrozen\n")) != std::string::npos;) text.replace(at + 1, 6, "Fro/zen");
  const std::string objects = "  0\nENDSEC\n  0\nSECTION\n  2\nOBJECTS";
  text.replace(text.find(objects), 0,
               "  0\nINSERT\n  8\n0\n  2\n*U1\n 10\n0\n 20\n0\n"
               "  0\nLINE\n  8\nNot In Table\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n");
  WriteAll(path, text);

  Database back(Database::Content::kEmpty);
  Result<std::int64_t> read = ReadDrawing(back, path);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.value, 1);
  EXPECT_EQ(back.LayerRecordOf(back.CurrentLayer())->name, L"Fro/zen");
  EXPECT_FALSE(back.Layer(L"Not In Table").IsNull());
  EXPECT_EQ(back.EntityOf(back.LastEntity())->layer, back.Layer(L"Not In Table").handle);
}

TEST_F(DrawingFileTest, NarrowBytesRoundTripAndTextKeepsItsSpacesAndLineBreaks) {
  Database db;
  ASSERT_EQ(db.RegisterApp(L"APP"), RegisterResult::kAdded);
  std::wstring all;
  for (wchar_t c = 1; c < 256; ++c) all.push_back(c);
  TextData text;
  text.text = L"  " + all.substr(0, 120) + L"  ";
  ObjectId id = db.Append(text);
  ASSERT_TRUE(db.EntityOf(id)->xdata.Apply({{1001, L"APP"}, {1000, all.substr(0, 128)}, {1000, all.substr(128)},
                                            {1000, L"\U0001F600 \u4e2d"}}));
  std::string path = PathOf("bytes.dxf");
  ASSERT_TRUE(SaveDrawing(db, path).ok());
  std::string bytes = ReadAll(path);
  EXPECT_NE(bytes.find("ANSI_1252"), std::string::npos);
  EXPECT_NE(bytes.find("\xe9\xea\xeb"), std::string::npos);  // one byte per unit

  Database back(Database::Content::kEmpty);
  ASSERT_TRUE(ReadDrawing(back, path).ok());
  ObjectId readId = back.LastEntity();
  EXPECT_EQ(std::get<TextData>(back.EntityOf(readId)->data).text, text.text);
  EntityList expected = *GetEntityList(id, {L"APP"});
  expected[0].value = readId;
  expected[2].value = back.ModelSpace();
  EXPECT_EQ(*GetEntityList(readId, {L"APP"}), expected);
}

TEST_F(DrawingFileTest, FailedSaveLeavesTheEarlierFileWholeAndNoTemporaryFile) {
  Database db;
  testing::FillSample(db);
  std::string path = PathOf("keep.dxf");
  ASSERT_TRUE(SaveDrawing(db, path).ok());
  std::string before = ReadAll(path);

  db.Append(LineData{{0, 0, 0}, {1, 1, 1}});
  {
    ScopedFault fault(FaultPoint::SaveFile, 0);
    Result<std::int64_t> failed = SaveDrawing(db, path);
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(failed.message.find(WidenText(path)), std::string::npos) << failed.message;
  }
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  // A value longer than a DXF line may be would not read back: refused.
  TextData longText;
  longText.text = std::wstring(1100, L'x');
  ObjectId tooLong = db.Append(longText);
  Result<std::int64_t> refused = SaveDrawing(db, path);
  EXPECT_FALSE(refused.ok());
  EXPECT_NE(refused.message.find(L"too long for a DXF line"), std::string::npos) << refused.message;
  EXPECT_EQ(ReadAll(path), before);
  db.Erase(tooLong);

  Result<std::int64_t> nowhere = SaveDrawing(db, PathOf("missing/folder.dxf"));
  EXPECT_FALSE(nowhere.ok());
  EXPECT_NE(nowhere.message.find(L"missing/folder.dxf"), std::string::npos);

  ASSERT_TRUE(SaveDrawing(db, path).ok());
  EXPECT_NE(ReadAll(path), before);
}

TEST_F(DrawingFileTest, DwgNamesMeanDxfFiles) {
  EXPECT_EQ(DrawingFilePath(std::string_view("tiles/SU1234.dwg")), "tiles/SU1234.dxf");
  EXPECT_EQ(DrawingFilePath(std::string_view("A.DWG")), "A.DXF");
  EXPECT_EQ(DrawingFilePath(std::wstring_view(L"derivavi.Dwg")), L"derivavi.Dxf");
  EXPECT_EQ(DrawingFilePath(std::string_view("plain.dxf")), "plain.dxf");
  EXPECT_EQ(DrawingFilePath(std::string_view("dwg")), "dwg");

  Database db;
  db.Append(PointData{{1, 2, 3}});
  ASSERT_TRUE(SaveDrawing(db, std::wstring_view((dir_ / "block.dwg").wstring())).ok());
  EXPECT_TRUE(fs::exists(dir_ / "block.dxf"));
  Database back(Database::Content::kEmpty);
  EXPECT_TRUE(ReadDrawing(back, std::string_view(PathOf("block.dwg"))).ok());
  EXPECT_EQ(back.EntitiesIn(back.ModelSpace()).size(), 1u);
}

TEST_F(DrawingFileTest, MalformedFilesGiveTheFileWhatAndWhereAndLeaveTheDatabaseAlone) {
  Database db;
  testing::FillSample(db);
  std::string good = PathOf("good.dxf");
  ASSERT_TRUE(SaveDrawing(db, good).ok());
  std::string text = ReadAll(good);
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string copy = text;
    std::size_t at = copy.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return copy.replace(at, from.size(), to);
  };
  const std::string lwStart = "  0\nLWPOLYLINE\n";
  struct Case {
    const char* name;
    std::string content;
    const char* what;
  };
  const std::vector<Case> cases = {
      {"empty", "", "line 1: the file is empty"},
      {"half", text.substr(0, text.size() / 2), "without an EOF marker"},
      {"no_value", "  0\nSECTION\n  2", "the file ends inside a group"},
      {"bad_code", replaced(" 40\n", "4x0\n"), "group code \"4x0\" is not a number"},
      {"bad_real", replaced(" 40\n0.5\n", " 40\nhalf\n"), "value \"half\" of group 40 is not a number"},
      {"bad_int", replaced(" 70\n", " 70\n1.5\n 70\n"), "is not an integer"},
      {"long_line", replaced("00Tile SU1234", std::string(2000, 'x')), "line longer than a DXF line may be"},
      {"no_eof", text.substr(0, text.rfind("  0\nEOF")), "without an EOF marker"},
      {"open_section", replaced("  0\nENDSEC\n  0\nSECTION\n  2\nCLASSES\n", "  0\nSECTION\n  2\nCLASSES\n"),
       "a section starts inside a section"},
      {"lw_count", replaced(" 90\n4\n", " 90\n1\n"), "more items (group 10) than its count (group 90)"},
      {"lw_second_count", replaced(lwStart, lwStart + " 90\n9\n"), "a second count (group 90)"},
      {"vertex_alone", replaced("  0\nENDSEC\n  0\nSECTION\n  2\nOBJECTS", "  0\nVERTEX\n  8\n0\n  0\nENDSEC\n  0\nSECTION\n  2\nOBJECTS"),
       "VERTEX outside a POLYLINE"},
      {"bad_point", replaced(" 20\n180000.5\n", " 21\n180000.5\n"), "a point without its y value"},
      {"bad_colour", replaced("  8\n0\n 62\n1\n", "  8\n0\n 62\n999\n"), "colour out of range"},
      {"binary", "AutoCAD Binary DXF\r\n\x1a", "binary DXF"},
      {"handle", replaced("  5\n12\n", "  5\nQQ\n"), "handle \"QQ\" is not a hexadecimal number"},
  };
  for (const Case& c : cases) {
    std::string path = PathOf(std::string(c.name) + ".dxf");
    WriteAll(path, c.content);
    Database target;
    ObjectId kept = target.Append(CircleData{{0, 0, 0}, 7});
    Result<std::int64_t> read = ReadDrawing(target, path);
    EXPECT_FALSE(read.ok()) << c.name;
    EXPECT_EQ(read.message.find(WidenText(path + ": ")), 0u) << c.name << ": " << read.message;
    EXPECT_NE(read.message.find(WidenText(c.what)), std::string::npos) << c.name << ": " << read.message;
    EXPECT_NE(read.message.find(L"line "), std::string::npos) << c.name << ": " << read.message;
    EXPECT_EQ(target.EntitiesIn(target.ModelSpace()), std::vector<ObjectId>{kept}) << c.name;
  }
  Database target;
  Result<std::int64_t> missing = ReadDrawing(target, std::string_view(PathOf("none.dxf")));
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.message.find(L"none.dxf: cannot open the file"), std::string::npos) << missing.message;
}

TEST_F(DrawingFileTest, DamagedFilesNeverCrashTheReader) {
  Database db;
  testing::FillSample(db);
  std::string good = PathOf("good.dxf");
  ASSERT_TRUE(SaveDrawing(db, good).ok());
  const std::string text = ReadAll(good);
  std::mt19937 random(12345);
  std::string path = PathOf("damaged.dxf");
  for (int round = 0; round < 300; ++round) {
    std::string damaged = text;
    if (round % 3 == 0) {
      damaged.resize(random() % damaged.size());
    } else {
      for (int k = 0; k < 1 + round % 5; ++k) {
        std::size_t at = random() % damaged.size();
        const char bytes[] = {'\n', '0', '9', '-', ' ', 'x', '\0', '\r', '.', 'E'};
        damaged[at] = bytes[random() % sizeof bytes];
      }
    }
    WriteAll(path, damaged);
    Database target(Database::Content::kEmpty);
    Result<std::int64_t> read = ReadDrawing(target, path);
    if (!read.ok()) {
      EXPECT_FALSE(read.message.empty());
    }
  }
}

}  // namespace
}  // namespace host::db
