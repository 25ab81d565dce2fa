#include "host/db/drawing_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <future>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
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
    std::string command = "/usr/bin/python3 " + std::string(VARNEL_SOURCE_DIR) +
                          "/host/db/tests/dxf_tool.py " + args + " 2>&1";
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

TEST_F(DrawingFileTest, VertexWidthsTakenFromTheConstantWidthAreWrittenAsTheWidthTheyStandFor) {
  // A vertex width below 0 means "the polyline's constant width"; no other
  // program reads it so, so the file never holds it.
  Database db;
  auto polyline = [&](double constant, std::vector<LwVertex> vertices) {
    LwPolylineData d;
    d.constantWidth = constant;
    d.vertices = vertices;
    db.Append(std::move(d));
  };
  polyline(0.5, {{0, 0, 0, -1, -1}, {1, 0, 0, -1, -1}});
  polyline(0.5, {{0, 0, 0, -1, -1}, {1, 0, 0, 2, 3}, {2, 0, 0, -1, 0}});
  polyline(0, {{0, 0, 0, -1, -1}, {1, 0, 0, -1, -1}});
  polyline(0, {{0, 0, 0, 0, 0}, {1, 0, 0, 0.25, 0}});
  const std::string path = PathOf("widths.dxf");
  ASSERT_TRUE(SaveDrawing(db, path).ok());
  EXPECT_EQ(Tool("widths " + path),
            "const=0.5 0/0 0/0\n"
            "const=0.5 0.5/0.5 2/3 0.5/0\n"
            "const=0 0/0 0/0\n"
            "const=0 0/0 0.25/0\n");

  Database back(Database::Content::kEmpty);
  ASSERT_TRUE(ReadDrawing(back, path).ok());
  for (ObjectId id : back.EntitiesIn(back.ModelSpace())) {
    const auto& lw = std::get<LwPolylineData>(back.EntityOf(id)->data);
    for (std::size_t i = 0; i < lw.vertices.size(); ++i) {
      EXPECT_GE(lw.vertices[i].startWidth, 0);
      EXPECT_GE(lw.vertices[i].endWidth, 0);
    }
  }
  // A vertex the file gives no widths of its own is drawn with the constant
  // width, and is read with it.
  const auto& constant = std::get<LwPolylineData>(back.EntityOf(back.EntitiesIn(back.ModelSpace())[0])->data);
  EXPECT_EQ(constant.vertices[1], (LwVertex{1, 0, 0, 0.5, 0.5}));
}

TEST_F(DrawingFileTest, ForeignNamesAndAnonymousBlockReferencesAreKept) {
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
  EXPECT_EQ(read.value, 0);
  std::vector<ObjectId> ids = back.EntitiesIn(back.ModelSpace());
  ASSERT_GE(ids.size(), 2u);
  const auto* anonymous = std::get_if<InsertData>(&back.EntityOf(ids[ids.size() - 2])->data);
  ASSERT_NE(anonymous, nullptr);
  EXPECT_EQ(back.BlockRecordOf(back.IdOf(anonymous->block))->name, L"*U1");
  EXPECT_EQ(back.LayerRecordOf(back.CurrentLayer())->name, L"Fro/zen");
  EXPECT_FALSE(back.Layer(L"Not In Table").IsNull());
  EXPECT_EQ(back.EntityOf(back.LastEntity())->layer, back.Layer(L"Not In Table").handle);
}

// Drawings of every kind ezdxf writes, read and saved unchanged, are the
// same drawing to ezdxf: every table entry, block, entity and object by
// handle, and the same picture.
TEST_F(DrawingFileTest, OtherProgramsDrawingsSaveWithoutLoss) {
  for (const char* version : {"R2000", "R2018"}) {
    SCOPED_TRACE(version);
    std::string made = PathOf(std::string("all_") + version + ".dxf");
    std::string saved = PathOf(std::string("saved_") + version + ".dxf");
    ASSERT_EQ(Tool("make-all " + made + " " + version), "");
    Database db;
    Result<std::int64_t> read = ReadDrawing(db, made);
    ASSERT_TRUE(read.ok()) << read.message;
    Result<std::int64_t> save = SaveDrawing(db, saved);
    ASSERT_TRUE(save.ok()) << save.message;
    EXPECT_EQ(Tool("compare " + made + " " + saved), "");
    std::string share = Tool("render " + made + " " + saved);
    EXPECT_LT(std::atof(share.c_str()), 0.002) << share;
  }
}

// The first entity of a kind in model space.
Entity* FirstOf(Database& db, EntityType type, int skip = 0) {
  for (ObjectId id : db.EntitiesIn(db.ModelSpace()))
    if (Entity* e = db.EntityOf(id); e->Type() == type && skip-- == 0) return e;
  return nullptr;
}

std::string HandleText(std::uint64_t handle) {
  char text[20];
  std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(handle));
  return text;
}

// Entities the host edits keep what it does not model; angles keep their
// degrees.
TEST_F(DrawingFileTest, EditedEntitiesKeepTheGroupsTheDatabaseDoesNotModel) {
  std::string made = PathOf("all.dxf");
  std::string saved = PathOf("edited.dxf");
  ASSERT_EQ(Tool("make-all " + made + " R2000"), "");
  Database db;
  ASSERT_TRUE(ReadDrawing(db, made).ok());

  Entity* line = FirstOf(db, EntityType::kLine);
  Entity* circle = FirstOf(db, EntityType::kCircle);
  Entity* arc = FirstOf(db, EntityType::kArc);
  Entity* pattern = FirstOf(db, EntityType::kHatch, 1);
  Entity* curved = FirstOf(db, EntityType::kHatch, 2);
  Entity* insert = FirstOf(db, EntityType::kInsert);
  ASSERT_TRUE(line && circle && arc && pattern && curved && insert);
  std::get<LineData>(line->data).end = Point3{20, 10, 0};
  std::get<CircleData>(circle->data).radius = 5;
  std::get<ArcData>(arc->data).center = Point3{2, 2, 0};
  auto& hatch = std::get<HatchData>(pattern->data);
  for (HatchLoop& loop : hatch.loops)
    for (LoopVertex& p : loop.points) p.x += 100;
  curved->color = 1;
  std::get<InsertData>(insert->data).position.x += 10;
  ASSERT_TRUE(SaveDrawing(db, saved).ok());

  std::string text = ReadAll(saved);
  EXPECT_NE(text.find(" 50\n30\n 51\n120\n"), std::string::npos);  // not 29.999999999999996

  std::string shown = Tool("show " + saved + " " + HandleText(line->handle));
  for (const char* kept : {"linetype DASHDOT", "lineweight 50", "thickness 2", "ltscale 0.5",
                           "end 20,10,0"})
    EXPECT_NE(shown.find(kept), std::string::npos) << kept << " in\n" << shown;
  shown = Tool("show " + saved + " " + HandleText(circle->handle));
  for (const char* kept : {"extrusion 0,0,-1", "thickness 1.5", "radius 5"})
    EXPECT_NE(shown.find(kept), std::string::npos) << kept << " in\n" << shown;
  shown = Tool("show " + saved + " " + HandleText(pattern->handle));
  for (const char* kept : {"pattern_name ANSI31", "pattern_scale 2", "pattern_angle 30", "layer Dashed"})
    EXPECT_NE(shown.find(kept), std::string::npos) << kept << " in\n" << shown;
  shown = Tool("show " + saved + " " + HandleText(curved->handle));
  for (const char* kept : {"pattern_name ANSI32", "color 1"})
    EXPECT_NE(shown.find(kept), std::string::npos) << kept << " in\n" << shown;
  // The compare names every entity that differs: exactly the edited ones,
  // the attribute moving with its block reference.
  std::string differences = Tool("compare " + made + " " + saved);
  for (const Entity* e : {line, circle, arc, pattern, curved, insert})
    EXPECT_NE(differences.find(" " + HandleText(e->handle) + " "), std::string::npos) << differences;
  EXPECT_EQ(std::count(differences.begin(), differences.end(), '\n'), 7) << differences;
  EXPECT_EQ(differences.find("AUDIT"), std::string::npos) << differences;
  EXPECT_EQ(differences.find("MISSING"), std::string::npos) << differences;
}

// R12 files open (group 5 of a DIMSTYLE record names a block there, it is
// no handle) and save whole.
TEST_F(DrawingFileTest, R12FilesOpenAndSaveWhole) {
  std::string made = PathOf("r12.dxf");
  std::string saved = PathOf("r12_saved.dxf");
  ASSERT_EQ(Tool("make-r12 " + made), "");
  Database db;
  Result<std::int64_t> read = ReadDrawing(db, made);
  ASSERT_TRUE(read.ok()) << read.message;
  const Entity* line = FirstOf(db, EntityType::kLine);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(db.LayerRecordOf(db.IdOf(line->layer))->name, L"Walls");
  ASSERT_NE(FirstOf(db, EntityType::kInsert), nullptr);
  ASSERT_TRUE(SaveDrawing(db, saved).ok());
  std::string described = Tool("describe " + saved);
  EXPECT_EQ(described.find("AUDIT errors=0"), 0u) << described;
  for (const char* kind : {"LINE", "CIRCLE", "ARC", "TEXT", "POLYLINE", "SOLID", "3DFACE", "INSERT"})
    EXPECT_NE(described.find(std::string("\n") + kind + " "), std::string::npos) << kind << " in\n" << described;
  std::string shown = Tool("show " + saved + " " + HandleText(line->handle));
  EXPECT_NE(shown.find("thickness 2"), std::string::npos) << shown;
}

// A drawing in another code page keeps its text and names, and its code
// page; a UTF-8 byte order mark is read past; names no code page holds are
// written so that they read back as they were.
TEST_F(DrawingFileTest, CodePagesAreHonouredAndKept) {
  std::string made = PathOf("cyrillic.dxf");
  std::string saved = PathOf("cyrillic_saved.dxf");
  ASSERT_EQ(Tool("make-1251 " + made), "");
  Database db;
  Result<std::int64_t> read = ReadDrawing(db, made);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_FALSE(db.Layer(L"\u0421\u043b\u043e\u0439").IsNull());
  const Entity* text = FirstOf(db, EntityType::kText);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::get<TextData>(text->data).text, L"\u041f\u0440\u0438\u0432\u0435\u0442");
  db.Append(TextData{{0, 0, 0}, {}, 1, 0, 1, L"\u043d\u043e\u0432\u044b\u0439"});
  ASSERT_TRUE(SaveDrawing(db, saved).ok());
  const std::string expected =
      "AUDIT errors=0\nCODEPAGE ANSI_1251\nLAYER 0\nLAYER Defpoints\nLAYER \u0421\u043b\u043e\u0439\n"
      "TEXT \u0421\u043b\u043e\u0439 \u041f\u0440\u0438\u0432\u0435\u0442\n"
      "MTEXT \u0421\u043b\u043e\u0439 \u041c\u0438\u0440\n"
      "TEXT 0 \u043d\u043e\u0432\u044b\u0439\n";
  EXPECT_EQ(DecodeUtf8(Tool("texts " + saved)), DecodeUtf8(expected));
  EXPECT_NE(ReadAll(saved).find("\xcf\xf0\xe8\xe2\xe5\xf2"), std::string::npos);  // one byte a letter

  // Names outside ANSI_1252 in a drawing made here.
  Database fresh;
  fresh.AddLayer(LayerRecord{0, L"\u0141\u00f3d\u017a \u4e2d", 3});
  fresh.RegisterApp(L"APP\u0416");
  ObjectId id = fresh.Append(LineData{{0, 0, 0}, {1, 1, 0}});
  fresh.SetLayer(id, L"\u0141\u00f3d\u017a \u4e2d");
  std::string wide = PathOf("wide_names.dxf");
  ASSERT_TRUE(SaveDrawing(fresh, wide).ok());
  std::string described = Tool("describe " + wide);
  EXPECT_EQ(described.find("AUDIT errors=0 fixes=0"), 0u) << described;
  EXPECT_NE(DecodeUtf8(described).find(L"LINE " + WidenText(HandleText(id.handle)) + L" \u0141\u00f3d\u017a \u4e2d"),
            std::wstring::npos)
      << described;
  Database back(Database::Content::kEmpty);
  ASSERT_TRUE(ReadDrawing(back, wide).ok());
  EXPECT_FALSE(back.Layer(L"\u0141\u00f3d\u017a \u4e2d").IsNull());
  EXPECT_FALSE(back.AppId(L"APP\u0416").IsNull());

  // A byte order mark before the first group.
  std::string marked = PathOf("marked.dxf");
  WriteAll(marked, "\xEF\xBB\xBF" + ReadAll(wide));
  Database again(Database::Content::kEmpty);
  Result<std::int64_t> withMark = ReadDrawing(again, marked);
  ASSERT_TRUE(withMark.ok()) << withMark.message;
  EXPECT_FALSE(again.Layer(L"\u0141\u00f3d\u017a \u4e2d").IsNull());

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
      {"nan", replaced(" 40\n0.5\n", " 40\nnan\n"), "value \"nan\" of group 40 is not a number (NaN)"},
      {"nan_y", replaced(" 20\n180000.5\n", " 20\n-NAN\n"), "of group 20 is not a number (NaN)"},
      {"infinite", replaced(" 40\n0.5\n", " 40\n-inf\n"), "value \"-inf\" of group 40 is infinite"},
      {"overflow", replaced(" 40\n0.5\n", " 40\n1e999\n"), "value \"1e999\" of group 40 is out of range"},
      {"xdata_nan", replaced("1040\n", "1040\nInfinity\n1040\n"), "of group 1040 is infinite"},
      {"int16", replaced(" 70\n", " 70\n40000\n 70\n"), "value \"40000\" of group 70 is out of range"},
      {"handle_top", replaced("  5\n12\n", "  5\nFFFFFFFFFFFFFFFF\n"), "handle \"FFFFFFFFFFFFFFFF\" is out of range"},
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

// A pipe given as a drawing would hold the reader in open() until some writer
// came; a folder is no drawing either. Both are refused at once.
TEST_F(DrawingFileTest, APipeOrAFolderIsRefusedWithoutWaiting) {
  const std::string pipe = PathOf("pipe.dxf");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  fs::create_directories(PathOf("folder.dxf"));
  struct Case {
    std::string path;
    const wchar_t* what;
  };
  for (const Case& c : {Case{pipe, L"not a regular file"}, Case{PathOf("folder.dxf"), L"a folder"}}) {
    SCOPED_TRACE(c.path);
    auto reading = std::async(std::launch::async, [&] {
      Database target;
      return ReadDrawing(target, std::string_view(c.path));
    });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      ADD_FAILURE() << "the reader waits on the pipe";
      // A writer that comes and goes lets the reader's open() return.
      const int writer = ::open(c.path.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
    }
    Result<std::int64_t> read = reading.get();
    EXPECT_FALSE(read.ok());
    EXPECT_NE(read.message.find(c.what), std::wstring::npos) << read.message;
  }
}

// A number that is not finite is neither stored from an entity list nor
// written to a file.
TEST_F(DrawingFileTest, NumbersThatAreNotFiniteAreNeitherStoredNorWritten) {
  Database db;
  ObjectId id = db.Append(CircleData{{1, 2, 0}, 3});
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    EntityList list = *GetEntityList(id, {});
    *FindGroup(list, 40) = Group(40, bad);
    EXPECT_EQ(ModifyEntity(list), ModifyResult::kBadList);
    list = *GetEntityList(id, {});
    *FindGroup(list, 10) = Group(10, Point3{1, bad, 0});
    EXPECT_EQ(ModifyEntity(list), ModifyResult::kBadList);
  }
  EXPECT_EQ(std::get<CircleData>(db.EntityOf(id)->data).radius, 3);

  std::string path = PathOf("finite.dxf");
  ASSERT_TRUE(SaveDrawing(db, path).ok());
  std::string before = ReadAll(path);
  std::get<CircleData>(db.EntityOf(id)->data).radius = std::nan("");
  Result<std::int64_t> refused = SaveDrawing(db, path);
  EXPECT_FALSE(refused.ok());
  EXPECT_NE(refused.message.find(L"not finite (group 40)"), std::wstring::npos) << refused.message;
  EXPECT_EQ(ReadAll(path), before);
}

// Handles near the top of their range, repeated, or 0 never make a save
// write two objects with one handle, or handle 0.
TEST_F(DrawingFileTest, HandlesNeverWrapOrRepeat) {
  Database db;
  testing::FillSample(db);
  std::string path = PathOf("handles.dxf");
  ASSERT_TRUE(SaveDrawing(db, path).ok());
  std::string text = ReadAll(path);
  const std::string ellipse = "  0\nELLIPSE\n  5\n0FFFFFFFFFFFFFFE\n100\nAcDbEntity\n  8\n0\n100\nAcDbEllipse\n"
                              " 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n0\n 31\n0\n 40\n0.5\n";
  const std::string twice = "  0\nPOINT\n  5\n0FFFFFFFFFFFFFFE\n  8\n0\n 10\n1\n 20\n1\n"
                            "  0\nMTEXT\n  5\n0\n  8\n0\n 10\n1\n 20\n1\n  1\nx\n";
  std::size_t at = text.find("  0\nENDSEC\n  0\nSECTION\n  2\nOBJECTS");
  ASSERT_NE(at, std::string::npos);
  text.insert(at, ellipse + twice);
  WriteAll(path, text);
  Database back(Database::Content::kEmpty);
  Result<std::int64_t> read = ReadDrawing(back, path);
  ASSERT_TRUE(read.ok()) << read.message;
  back.Append(LineData{{0, 0, 0}, {1, 1, 0}});
  back.AddLayer(LayerRecord{0, L"New", 2});
  std::string saved = PathOf("saved.dxf");
  ASSERT_TRUE(SaveDrawing(back, saved).ok());
  std::istringstream lines(ReadAll(saved));
  std::string code, value;
  std::set<std::string> handles;
  bool header = true;
  while (std::getline(lines, code) && std::getline(lines, value)) {
    if (value == "ENTITIES" || value == "CLASSES") header = false;
    if (header || (code != "  5" && code != "105")) continue;
    EXPECT_NE(value, "0");
    EXPECT_TRUE(handles.insert(value).second) << "handle " << value << " written twice";
  }
  EXPECT_GT(handles.size(), 30u);
  EXPECT_TRUE(handles.count("FFFFFFFFFFFFFFE")) << "the ellipse keeps its handle";
}

// A count in a file is believed only as far as the items that follow: a
// small file cannot make the reader ask for gigabytes.
TEST_F(DrawingFileTest, CountsAreBelievedOnlyAsFarAsTheItemsThatFollow) {
  Database db;
  testing::FillSample(db);
  std::string path = PathOf("counts.dxf");
  ASSERT_TRUE(SaveDrawing(db, path).ok());
  std::string text = ReadAll(path);
  std::size_t count = text.find(" 90\n4\n");
  ASSERT_NE(count, std::string::npos);
  text.replace(count, 7, " 90\n99999999\n");
  std::size_t loops = text.find(" 91\n2\n");
  ASSERT_NE(loops, std::string::npos);
  text.replace(loops, 7, " 91\n99999999\n");
  std::size_t points = text.find(" 93\n4\n");
  ASSERT_NE(points, std::string::npos);
  text.replace(points, 7, " 93\n99999999\n");
  text.insert(text.find("  0\nENDSEC\n  0\nSECTION\n  2\nOBJECTS"),
              "  0\nSPLINE\n  8\n0\n100\nAcDbSpline\n 70\n8\n 71\n3\n 72\n32000\n 73\n32000\n"
              " 74\n0\n 40\n0\n 10\n0\n 20\n0\n 30\n0\n"
              "  0\nLEADER\n  8\n0\n100\nAcDbLeader\n 76\n32000\n 10\n0\n 20\n0\n 30\n0\n");
  ASSERT_LT(text.size(), 20000u);
  WriteAll(path, text);

  struct rusage before {};
  getrusage(RUSAGE_SELF, &before);
  Database back(Database::Content::kEmpty);
  Result<std::int64_t> read = ReadDrawing(back, path);
  struct rusage after {};
  getrusage(RUSAGE_SELF, &after);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 * 1024) << "kilobytes more at the peak";
  const Entity* lw = FirstOf(back, EntityType::kLwPolyline);
  ASSERT_NE(lw, nullptr);
  EXPECT_EQ(std::get<LwPolylineData>(lw->data).vertices.size(), 4u);
  const Entity* hatch = FirstOf(back, EntityType::kHatch);
  ASSERT_NE(hatch, nullptr);
  EXPECT_EQ(std::get<HatchData>(hatch->data).loops.size(), 2u);
  EXPECT_EQ(read.value, 2);  // the spline and the leader, kept as read
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
