#include "host/editor/host_commands.h"

#include "drawing_fixture.h"
#include <unistd.h>

#include <filesystem>

#include "host/db/drawing_file.h"
#include "host/db/entity_list.h"
#include "host/editor/graphics.h"
#include "host/editor/system_variables.h"

namespace {

using HostCommandsTest = DrawingTest;
using host::CommandArg;
using host::CommandSelection;
using host::Status;
using host::db::Point3;

host::SelectionSetId SetOf(std::vector<host::EntityName> entities) {
  host::SelectionSetId set = host::NewSelectionSet();
  for (auto e : entities) EXPECT_EQ(host::AddToSelectionSet(set, e), Status::kNormal);
  return set;
}

TEST_F(HostCommandsTest, MoveShiftsEntitiesAndPolylineVertices) {
  host::EntityName line = Line(0, 0, 1, 0);
  host::db::PolylineData header;
  header.flags = host::db::kPolyline3d;
  host::EntityName poly =
      db_.AppendPolyline(header, {host::db::VertexData{{0, 0, 1}}, host::db::VertexData{{2, 0, 2}}});
  host::SelectionSetId set = SetOf({line, poly});
  ASSERT_EQ(host::RunHostCommand({std::wstring(L"_MOVE"), CommandSelection{set}, std::wstring(L""),
                                  Point3{0, 0, 0}, Point3{0, 5, 0}}),
            Status::kNormal);
  auto* l = std::get_if<host::db::LineData>(&db_.EntityOf(line)->data);
  EXPECT_EQ(l->start, (Point3{0, 5, 0}));
  EXPECT_EQ(l->end, (Point3{1, 5, 0}));
  auto* pl = std::get_if<host::db::PolylineData>(&db_.EntityOf(poly)->data);
  auto* v1 = std::get_if<host::db::VertexData>(&db_.EntityByHandle(pl->vertices[1])->data);
  EXPECT_EQ(v1->position, (Point3{2, 5, 2}));
  EXPECT_EQ(db_.EntitiesIn(db_.ModelSpace()).size(), 2u);
  EXPECT_TRUE(host::Shown().Contains("command", L"_MOVE <selection of 2> \"\" (0,0,0) (0,5,0)"));
}

TEST_F(HostCommandsTest, CopyKeepsTheOriginalsLayerColourAndXdata) {
  host::EntityName line = Line(0, 0, 1, 0);
  ASSERT_NE(host::db::ModifyEntity({{-1, line}, {8, L"Walls"}, {62, 3}}), host::db::ModifyResult::kBadList);
  host::db::LwPolylineData lw;
  lw.vertices = {{0, 0}, {1, 1}};
  lw.elevation = 4;
  host::EntityName poly = db_.Append(lw);
  host::SelectionSetId set = SetOf({line, poly});
  ASSERT_EQ(host::RunHostCommand({std::wstring(L"_copy"), CommandSelection{set}, std::wstring(L""),
                                  Point3{0, 0, 0}, Point3{0, 0, 2.5}}),
            Status::kNormal);
  auto all = db_.EntitiesIn(db_.ModelSpace());
  ASSERT_EQ(all.size(), 4u);
  const host::db::Entity* copy_of_line = db_.EntityOf(all[2]);
  EXPECT_EQ(copy_of_line->layer, db_.EntityOf(line)->layer);
  EXPECT_EQ(copy_of_line->color, 3);
  EXPECT_EQ(std::get<host::db::LineData>(copy_of_line->data).start, (Point3{0, 0, 2.5}));
  EXPECT_EQ(std::get<host::db::LwPolylineData>(db_.EntityOf(all[3])->data).elevation, 6.5);
  EXPECT_EQ(std::get<host::db::LineData>(db_.EntityOf(line)->data).start, (Point3{0, 0, 0}));
}

TEST_F(HostCommandsTest, CommandsRefuseArgumentsTheyCannotTake) {
  host::SelectionSetId set = SetOf({Line(0, 0, 1, 0)});
  const std::vector<std::vector<CommandArg>> bad = {
      {},
      {std::wstring(L"_NOSUCH")},
      {std::wstring(L"_MOVE"), CommandSelection{set}, Point3{}, Point3{}},
      {std::wstring(L"_MOVE"), CommandSelection{999}, std::wstring(L""), Point3{}, Point3{}},
      {std::wstring(L"_LINE"), Point3{}},
      {std::wstring(L"_LINE"), Point3{}, std::wstring(L"x"), Point3{}},
      {std::wstring(L"_ZOOM"), std::wstring(L"_W"), Point3{}},
      {std::wstring(L"_ZOOM"), std::wstring(L"_P")},
      {std::wstring(L"_LIMITS"), std::wstring(L"_MAYBE")},
      {std::wstring(L"_UNDO"), std::wstring(L"_Q")},
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(host::RunHostCommand(bad[i]), Status::kError);
  }
  EXPECT_EQ(db_.EntitiesIn(db_.ModelSpace()).size(), 1u);
  EXPECT_TRUE(host::Shown().TextsOf("command").empty());
}

TEST_F(HostCommandsTest, LineZoomLimitsUndoRedraw) {
  ASSERT_EQ(host::RunHostCommand({std::wstring(L"_LINE"), Point3{0, 0, 0}, Point3{4, 0, 0},
                                  Point3{4, 2, 0}, std::wstring(L"")}),
            Status::kNormal);
  EXPECT_EQ(db_.EntitiesIn(db_.ModelSpace()).size(), 2u);

  ASSERT_EQ(host::RunHostCommand({std::wstring(L"_ZOOM"), std::wstring(L"_W"), Point3{10, 10, 0},
                                  Point3{0, 0, 0}}),
            Status::kNormal);
  EXPECT_EQ(host::GetSystemVariable(L"VIEWSIZE").Number(), 10.0);
  ASSERT_EQ(host::RunHostCommand({std::wstring(L"_ZOOM"), std::wstring(L"_E")}), Status::kNormal);
  EXPECT_EQ(host::GetSystemVariable(L"VIEWSIZE").Number(), 4.0);  // 4 wide, 2 high, square view
  EXPECT_EQ(db_.ActiveViewport()->centerX, 2.0);

  host::DrawVector(Point3{0, 0, 0}, Point3{1, 1, 0}, 1, false);
  EXPECT_EQ(host::TemporaryVectors().size(), 1u);
  EXPECT_EQ(host::RunHostCommand({std::wstring(L"_redraw")}), Status::kNormal);
  EXPECT_TRUE(host::TemporaryVectors().empty());

  EXPECT_EQ(host::RunHostCommand({std::wstring(L"_LIMITS"), std::wstring(L"_OFF")}), Status::kNormal);
  EXPECT_EQ(host::RunHostCommand({std::wstring(L"_UNDO"), std::wstring(L"_M")}), Status::kNormal);
  EXPECT_EQ(host::Shown().TextsOf("command").size(), 6u);
}

TEST_F(HostCommandsTest, RedrawHighlightsEntities) {
  host::EntityName line = Line(0, 0, 1, 0);
  EXPECT_TRUE(host::RedrawEntity(line, host::kRedrawHighlight));
  EXPECT_EQ(host::HighlightedEntities(), std::vector<host::EntityName>{line});
  EXPECT_TRUE(host::RedrawEntity(line, host::kRedrawUnhighlight));
  EXPECT_TRUE(host::HighlightedEntities().empty());
  EXPECT_FALSE(host::RedrawEntity(line, 9));
  EXPECT_FALSE(host::RedrawEntity(host::EntityName{}, host::kRedrawHighlight));
}

}  // namespace

namespace {

TEST_F(HostCommandsTest, XrefAttachInsertsTheDrawingAsABlockAtTheOrigin) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("xref_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  {
    host::db::Database tile;
    (void)tile.Append(host::db::LineData{{0, 0, 0}, {1, 1, 0}});
    ASSERT_TRUE(host::db::SaveDrawing(tile, (dir / "SU1234.dxf").string()));
  }
  const std::wstring dwg = (dir / "SU1234.dwg").wstring();
  ASSERT_EQ(host::AttachXref(dwg, L"SU1234"), Status::kNormal);
  host::db::ObjectId block = db_.Block(L"SU1234");
  ASSERT_FALSE(block.IsNull());
  EXPECT_EQ(db_.EntitiesIn(block).size(), 1u);
  auto refs = db_.EntitiesIn(db_.ModelSpace());
  ASSERT_EQ(refs.size(), 1u);
  const auto& insert = std::get<host::db::InsertData>(db_.EntityOf(refs[0])->data);
  EXPECT_EQ(insert.block, block.handle);
  EXPECT_EQ(insert.position, (Point3{0, 0, 0}));
  EXPECT_TRUE(host::Shown().Contains("xref", L"SU1234"));

  // Attached again: another reference of the same definition.
  ASSERT_EQ(host::AttachXref(dwg, L"SU1234"), Status::kNormal);
  EXPECT_EQ(db_.Block(L"SU1234"), block);
  EXPECT_EQ(db_.EntitiesIn(block).size(), 1u);
  refs = db_.EntitiesIn(db_.ModelSpace());
  ASSERT_EQ(refs.size(), 2u);
  EXPECT_EQ(std::get<host::db::InsertData>(db_.EntityOf(refs[1])->data).block, block.handle);
  EXPECT_EQ(host::AttachXref((dir / "none.dwg").wstring(), L"none"), Status::kError);
  EXPECT_EQ(db_.EntitiesIn(db_.ModelSpace()).size(), 2u);
  fs::remove_all(dir);
}

// A zoom changes the view of a drawing opened from another program and
// nothing else of its active viewport: snap and grid spacing, circle sides,
// elevation and render mode come back from the saved file as they were.
TEST_F(HostCommandsTest, AZoomKeepsTheRestOfAnOpenedDrawingsViewport) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zoom_vport_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string made = (folder / "made.dxf").string(), saved = (folder / "saved.dxf").string();
  auto python = [](const std::string& script, const std::string& path) {
    std::string out;
    if (std::FILE* pipe = popen(("/usr/bin/python3 -c '" + script + "' '" + path + "' 2>&1").c_str(), "r")) {
      char buffer[512];
      while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
      pclose(pipe);
    }
    return out;
  };
  const std::string fields =
      "import ezdxf,sys\n"
      "names=(\"snap_spacing\",\"grid_spacing\",\"circle_sides\",\"elevation\",\"render_mode\",\"snap_on\",\"grid_on\")\n";
  ASSERT_EQ(python(fields +
                       "d=ezdxf.new(\"R2000\")\n"
                       "v=d.viewports.get(\"*Active\")[0]\n"
                       "v.dxf.snap_spacing=(0.25,0.5); v.dxf.grid_spacing=(10,20); v.dxf.circle_sides=2000\n"
                       "v.dxf.elevation=12.5; v.dxf.render_mode=2; v.dxf.snap_on=1; v.dxf.grid_on=1\n"
                       "v.dxf.center=(5,5); v.dxf.height=10\n"
                       "d.modelspace().add_line((0,0),(100,50))\n"
                       "d.saveas(sys.argv[1])\n",
                   made),
            "");
  const std::string read =
      fields +
      "v=ezdxf.readfile(sys.argv[1]).viewports.get(\"*Active\")[0]\n"
      "print(\" \".join(str(v.dxf.get(n)) for n in names), tuple(v.dxf.center), v.dxf.height)\n";
  const std::string before = python(read, made);
  ASSERT_EQ(before.rfind("(0.25, 0.5, 0.0) (10.0, 20.0, 0.0) 2000 12.5 2 1 1", 0), 0u) << before;

  host::db::Database opened(host::db::Database::Content::kEmpty);
  ASSERT_TRUE(host::db::ReadDrawing(opened, made).ok());
  host::db::SetWorkingDatabase(&opened);
  ASSERT_EQ(host::RunHostCommand({std::wstring(L"_ZOOM"), std::wstring(L"_W"), Point3{0, 0, 0},
                                  Point3{40, 20, 0}}),
            Status::kNormal);
  ASSERT_TRUE(host::db::SaveDrawing(opened, saved).ok());
  host::db::SetWorkingDatabase(&db_);

  const std::string after = python(read, saved);
  EXPECT_EQ(after.substr(0, after.find(" (20")), before.substr(0, before.find(" (5"))) << after;
  EXPECT_NE(after.find("(20.0, 10.0"), std::string::npos) << after;  // the new view
  std::filesystem::remove_all(folder);
}

}  // namespace
