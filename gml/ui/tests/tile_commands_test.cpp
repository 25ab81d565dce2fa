// The tile commands over a folder of small tile drawings made in the test:
// which tile a point, a window or a boundary takes, how tiles are inserted,
// the duplicate question, the coverage outlines.
#include <string>
#include <vector>

#include "gml/ui/tests/cadhost_session.h"
#include "gml/ui/tests/ui_fixture.h"
#include "gml/ui/tile_commands.h"
#include "gml/ui/varnel_commands.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/tests/writer_fixture.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"
#include "host/db/entity_list.h"
#include "host/editor/display.h"
#include "host/ui/dialog_template.h"

namespace {

class TileCommandsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CopyDefaultSupport();
    ReleaseTileState();
    host::db::SetWorkingDatabase(&db_);
    // Two 1 km tiles side by side and a 500 m quarter far away.
    for (const char* name : {"SU1234", "SU1334", "TQ0000NE"}) MakeTile(name);
  }
  void TearDown() override {
    ReleaseTileState();
    host::db::SetWorkingDatabase(nullptr);
    UiTest::TearDown();
  }
  void MakeTile(const std::string& name) {
    host::db::Database tile;
    EXPECT_TRUE(DrawTwoPointPolyline("0", 256, 0.0, tile, 0, 0, 1, 1));
    std::filesystem::create_directories(root_ / "tiles");
    EXPECT_TRUE(host::db::SaveDrawing(tile, (root_ / "tiles" / (name + ".dxf")).wstring()).ok());
  }
  // Opens the tiles dialog on the tile folder with the given insert mode and
  // selection method, and OK.
  void RunDialog(int insertId, int methodId) {
    Push("answer", {At("tiles")});
    Click(insertId);
    Click(methodId);
    Click(host::ui::kIdOk);
  }
  bool HasBlock(const wchar_t* name) const { return host::db::TableSearch(db_, L"BLOCK_RECORD", name).has_value(); }
  int Entities() const {
    int n = 0;
    for (host::EntityName e = host::db::NextEntity(); !e.IsNull(); e = host::db::NextEntity(e)) ++n;
    return n;
  }
  host::db::Database db_;
};

TEST(TileRules, PointsOnSharedEdgesBelongEastAndNorth) {
  const OSTileRecord tile{L"SU1234", 1000, 412000, 134000, 413000, 135000, 0};
  struct Case {
    double x, y;
    bool in;
  };
  const Case cases[] = {{412000, 134000, true},  {412999.999, 134999.999, true}, {413000, 134500, false},
                        {412500, 135000, false}, {411999.999, 134500, false},    {412500, 134000, true}};
  for (const Case& c : cases) EXPECT_EQ(PointInTile(tile, c.x, c.y), c.in) << c.x << "," << c.y;
}

TEST_F(TileCommandsTest, PickedPointsInsertBlocksAndAskOnceAboutDuplicates) {
  RunDialog(kIdTileBlocks, kIdTileAtPoints);
  Push("type", {L""});  // layer "OS Tiles"
  Push("type", {L"413000,134500"});  // the shared edge: the eastern tile
  Push("type", {L"413100,134600"});  // the same tile again
  Push("answer", {L"no"});
  Push("type", {L"413200,134600"});  // again: no second question
  Push("type", {L"100,100"});        // no tile
  Push("esc");
  ImportTilesCommand();
  EXPECT_TRUE(HasBlock(L"SU1334"));
  EXPECT_FALSE(HasBlock(L"SU1234"));
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Allow duplicate tiles?"});
  EXPECT_TRUE(host::Shown().Contains("alert", L"No OS file found at that location"));
  EXPECT_TRUE(host::db::TableSearch(db_, L"LAYER", L"OS Tiles").has_value());
  EXPECT_NE(Read("support/lwh_gml.ini").find(WideToNarrow(At("tiles"))), std::string::npos);

  // A new drawing forgets what was inserted: no question.
  ResetTilesForNewDrawing();
  Click(host::ui::kIdOk);
  Push("type", {L""});
  Push("type", {L"413100,134600"});
  Push("esc");
  host::ui::ClearMessageBoxes();
  ImportTilesCommand();
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(TileCommandsTest, AWindowInsideOneTileInsertsItExploded) {
  RunDialog(kIdTileBlocksExploded, kIdTileWindow);
  Push("type", {L"412100,134100"});
  Push("type", {L"412200,134200"});
  ImportTilesCommand();
  EXPECT_FALSE(HasBlock(L"SU1234")) << "exploded: the definition goes";
  EXPECT_EQ(Entities(), 1);
}

TEST_F(TileCommandsTest, AClosedBoundaryAroundATileInsertsItAnOpenOneDoesNot) {
  const GrowArray ring = writer_test::VertexList(
      {{411900, 133900}, {413050, 133900}, {413050, 135100}, {411900, 135100}, {411900, 133900}});
  const GrowArray open = writer_test::VertexList({{411900, 133900}, {413050, 133900}, {413050, 135100}, {411900, 135100}});
  ASSERT_TRUE(DrawFeaturePolyline("0", 256, 0, 5, ring, db_, 0, 0, nullptr, std::monostate{}, OsFeatureKind::kNone,
                                  false, false));
  const host::EntityName closed = host::db::LastEntity();
  ASSERT_TRUE(DrawFeaturePolyline("0", 256, 0, 4, open, db_, 0, 0, nullptr, std::monostate{}, OsFeatureKind::kNone,
                                  false, false));
  const host::EntityName unclosed = host::db::LastEntity();
  auto hex = [](host::EntityName e) {
    wchar_t h[32];
    std::swprintf(h, 32, L"%llX", static_cast<unsigned long long>(e.handle));
    return std::wstring(h);
  };
  RunDialog(kIdTileXRefs, kIdTileAreas);
  Push("select", {hex(unclosed)});
  ImportTilesCommand();
  EXPECT_FALSE(HasBlock(L"SU1234"));
  EXPECT_TRUE(HasBlock(L"SU1334")) << "the open boundary crosses its edge";

  Click(host::ui::kIdOk);
  Push("select", {hex(closed)});
  ImportTilesCommand();
  EXPECT_TRUE(HasBlock(L"SU1234"));
  GrowArray r = ring, o = open;
  GrowArrayFree(&r);
  GrowArrayFree(&o);
}

TEST_F(TileCommandsTest, ADamagedTileDrawingEndsTheRunAndChangesNothing) {
  Write("tiles/SU1434.dxf", "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n10\nnot a number\n");
  RunDialog(kIdTileBlocksExploded, kIdTileAtPoints);
  Push("type", {L"414500,134500"});
  Push("type", {L"412500,134500"});  // not reached: the run has ended
  ImportTilesCommand();
  EXPECT_FALSE(HasBlock(L"SU1434"));
  EXPECT_FALSE(HasBlock(L"SU1234"));
  EXPECT_EQ(Entities(), 0);
}

TEST_F(TileCommandsTest, CoverageDrawsFourEdgesPerTileOnTheLayer) {
  Push("answer", {At("tiles")});
  Push("type", {L"File Coverage"});
  TileCoverageCommand();
  EXPECT_EQ(Entities(), 12);
  EXPECT_TRUE(host::db::TableSearch(db_, L"LAYER", L"File Coverage").has_value());

  // An empty folder: the user gives up.
  ReleaseTileState();
  std::filesystem::create_directories(root_ / "empty");
  Write("support/lwh_gml.ini", "");
  CopyDefaultSupport();
  host::db::Database other;
  host::db::SetWorkingDatabase(&other);
  Push("answer", {At("empty")});
  Push("answer", {L"no"});
  TileCoverageCommand();
  EXPECT_TRUE(host::Shown().Contains("message_box", L"Sorry, no OS tiles found in "));
  host::db::SetWorkingDatabase(&db_);
}

// In cadhost, in each insert mode: a tile picked three times is asked about
// once, and Yes gives it three times (references of one definition, or
// three exploded copies); the next run in that drawing asks again, and No
// adds nothing; a new drawing forgets what the last one holds, so the same
// tile goes in again without a question.
TEST(TileCommandsInCadhost, YesInsertsTheTileAgainAndANewDrawingStartsAfresh) {
  struct Case {
    const char* what;
    int mode;
    const char* layerAnswer;  // the answer to the layer prompt, with its line end
    const char* drawn;        // the entity the tile becomes
  } cases[] = {{"external references", kIdTileXRefs, "", "INSERT"},
               {"blocks", kIdTileBlocks, "\n", "INSERT"},
               {"exploded blocks", kIdTileBlocksExploded, "", "LWPOLYLINE"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const cadhost_test::Session session(std::string("tiles_") + std::to_string(c.mode));
    for (const char* name : {"SU1234", "SU1334"}) {
      host::db::Database tile;
      ASSERT_TRUE(DrawTwoPointPolyline("0", 256, 0.0, tile, 0, 0, 1, 1));
      std::filesystem::create_directories(session.Dir() / "tiles");
      ASSERT_TRUE(host::db::SaveDrawing(tile, session.At("tiles/" + std::string(name) + ".dxf")).ok());
    }
    const cadhost_test::SessionRun run = session.Run(
        "lwhgmlit\n!answer " + session.At("tiles") + "\n!dlg_click " + std::to_string(c.mode) +
        "\n!dlg_click " + std::to_string(kIdTileAtPoints) + "\n!dlg_click 1\n" + c.layerAnswer +
        "413100,134600\n413200,134600\n!answer yes\n413300,134600\n!esc\n"
        "lwhgmlit\n!dlg_click 1\n" + c.layerAnswer + "413100,134600\n!answer no\n!esc\n!save " +
        session.At("one.dxf") + "\n!new\nlwhgmlit\n!dlg_click 1\n" + c.layerAnswer +
        "413100,134600\n!esc\n!save " + session.At("two.dxf") + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<std::string> boxes = run.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u) << run.transcript;
    for (const std::string& box : boxes) EXPECT_NE(box.find("Allow duplicate tiles?"), std::string::npos) << box;

    // What model space holds: each entity's type, and the block a reference names.
    auto drawn = [&](const std::string& file) {
      host::db::Database db;
      EXPECT_TRUE(host::db::ReadDrawing(db, session.At(file)).ok()) << file;
      std::vector<std::string> kinds;
      for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
        const host::db::EntityList list = host::db::GetEntityList(id).value_or(host::db::EntityList{});
        const host::db::Group* type = host::db::FindGroup(list, 0);
        const host::db::Group* block = host::db::FindGroup(list, 2);
        std::string kind = type && type->Text() ? WideToNarrow(*type->Text()) : "?";
        if (kind == "INSERT" && block && block->Text()) kind += " " + WideToNarrow(*block->Text());
        kinds.push_back(kind);
      }
      return kinds;
    };
    const std::string expected = std::string(c.drawn) + (std::string(c.drawn) == "INSERT" ? " SU1334" : "");
    EXPECT_EQ(drawn("one.dxf"), std::vector<std::string>(3, expected));
    EXPECT_EQ(drawn("two.dxf"), std::vector<std::string>(1, expected));
  }
}

}  // namespace
