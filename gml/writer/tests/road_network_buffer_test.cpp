// The road-network buffer zone read from a co-ordinate file: the pieces and
// boxes of each line of road, lines that are no vertex, Esc while reading
// and while marking the grid, and the prompts of the zone.
#include "gml/writer/road_network_buffer.h"

#include <gtest/gtest.h>

#include <string>

#include "gml/settings/tests/dialog_fixture.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"

namespace {

class RoadNetworkBufferTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    liveBefore = GrowArrayLiveCount();
  }
  void TearDown() override {
    ReleaseAreaLists(&area);
    EXPECT_EQ(GrowArrayLiveCount(), liveBefore);
    DialogTest::TearDown();
  }
  RoadNetworkOutcome Build(const std::string& text, std::int32_t width, std::int32_t cell) {
    Write("roads.txt", text);
    return BuildRoadNetworkBuffer(WidePath("roads.txt"), width, cell, &area);
  }
  static std::wstring Said() { return host::CommandLineText(); }
  static bool Printed(const std::wstring& text) { return host::Shown().Contains("print", text); }
  static bool Prompted(const std::wstring& text) { return host::Shown().Contains("prompt", text); }
  std::uint16_t MaskAt(double x, double y) const {
    std::int32_t col = 0, row = 0;
    GridCellOf(area.grid, x, y, &col, &row);
    return GridCellMask(area.grid, GridCellIndex(area.grid, col, row));
  }
  bool Covered(double x, double y) const {
    std::int32_t col = 0, row = 0;
    GridCellOf(area.grid, x, y, &col, &row);
    const std::uint16_t mask = GridCellMask(area.grid, GridCellIndex(area.grid, col, row));
    return mask != 0 && PointInGridSubCell(area.grid, col, row, static_cast<std::int32_t>(x),
                                           static_cast<std::int32_t>(y), mask);
  }

  AreaFilterArea area{};
  std::int32_t liveBefore = 0;
};

TEST_F(RoadNetworkBufferTest, LinesOfRoadBecomePiecesAndBadLinesAreSkipped) {
  // The first vertex has no vertex before it, whatever its id; ids join
  // upper and lower case alike; the rest of an overlong line is no vertex.
  const std::string overlong = "2000 2062 0 b" + std::string(1100, ' ') + "9000 9000 0 B\n";
  const std::string file =
      "x y z id\n"
      "1000 2000 0 nil\n"
      "1000 2100 0 NIL\n"      // 100 m: 20 pieces
      "2000 2000 0 A\n"
      "2000.9 2050.9 0 a\n"    // 50 m in whole metres: 10 pieces
      "2000 2052 0 B\n"
      "1 2 3\n"
      "nan 5 0 B\n"
      "1e300 5 0 B\n"
      "\n"
      "2000 2057 0 B\n" +      // 5 m: 1 piece
      overlong +               // 5 m: 1 piece
      "2000 2059 0 C\n";       // alone: none
  ASSERT_EQ(Build(file, 10, 96), RoadNetworkOutcome::kBuilt);
  EXPECT_EQ(area.kind, kAreaRoadBuffer);
  EXPECT_STREQ(area.description, "Elem: 32, width: 10, grid: 96");
  const RoadBufferGrid& g = area.grid;
  EXPECT_EQ(g.width, 10);
  EXPECT_EQ(g.cellSize, 96);
  EXPECT_EQ(g.originX, 990);
  EXPECT_EQ(g.originY, 1990);
  EXPECT_DOUBLE_EQ(g.maxX, 2010.9);
  EXPECT_EQ(g.maxY, 2110);
  EXPECT_EQ(g.nx, 12);  // ceil(1020.9 / 96) + 1
  EXPECT_EQ(g.ny, 3);   // ceil(120 / 96) + 1
  EXPECT_EQ(g.cellCount, 36);
  EXPECT_EQ(g.masks.count, 36);
  EXPECT_EQ(g.boxes.marker, 0) << "the box list is released once the grid is marked";
  EXPECT_TRUE(Printed(L"\rReading Road Network -> 4          ")) << Said();
  EXPECT_TRUE(Printed(L"\nRoad Network Buffer read in."));

  EXPECT_TRUE(Covered(1000, 2050));
  EXPECT_TRUE(Covered(1008, 2050));
  EXPECT_TRUE(Covered(2000, 2030));
  EXPECT_TRUE(Covered(2005, 2060));
  EXPECT_FALSE(Covered(1500, 2050));
  EXPECT_FALSE(Covered(1100, 2050));
  EXPECT_FALSE(Covered(1700, 2000));
}

TEST_F(RoadNetworkBufferTest, EveryOneOfTheSixteenSubCellsCanBeCovered) {
  // A cell deep inside a wide zone: its top right sub-cell too.
  ASSERT_EQ(Build("0 0 0 r\n0 100 0 r\n", 100, 8), RoadNetworkOutcome::kBuilt);
  EXPECT_EQ(MaskAt(0, 50), 0xFFFF);
  EXPECT_TRUE(Covered(3, 51));
}

TEST_F(RoadNetworkBufferTest, FilesWithoutRoadsAndEscAddNothing) {
  EXPECT_EQ(BuildRoadNetworkBuffer(WidePath("missing.txt"), 10, 96, &area),
            RoadNetworkOutcome::kNotOpened);
  EXPECT_EQ(Build("", 10, 96), RoadNetworkOutcome::kNoRoads);
  EXPECT_EQ(Build("junk\n1 2 3\n", 10, 96), RoadNetworkOutcome::kNoRoads);
  EXPECT_EQ(Build("1 2 3 a\n4 5 6 b\n", 10, 96), RoadNetworkOutcome::kNoRoads);
  EXPECT_EQ(Build("1 2 3 a\n3 4 6 a\n", 10, 96), RoadNetworkOutcome::kNoRoads) << "shorter than 5 m";
  EXPECT_EQ(area.grid.masks.marker, 0);

  // Esc at the first poll while reading: at the 5000th vertex.
  std::string many;
  for (int i = 0; i < 6000; ++i) many += std::to_string(i * 10) + " 0 0 r\n";
  host::Shown().Clear();
  host::PressEsc();
  EXPECT_EQ(Build(many, 10, 96), RoadNetworkOutcome::kStopped);
  EXPECT_FALSE(Printed(L"Reading Road Network"));
  EXPECT_FALSE(Printed(L"read in"));

  // Esc at the first poll while marking: two vertices, 5000 pieces.
  host::Shown().Clear();
  host::PressEsc();
  EXPECT_EQ(Build("0 0 0 r\n0 25000 0 r\n", 10, 96), RoadNetworkOutcome::kStopped);
  EXPECT_TRUE(Printed(L"\rReading Road Network -> 1          "));
  EXPECT_FALSE(Printed(L"Analyzing"));
  EXPECT_FALSE(Printed(L"read in"));
  EXPECT_EQ(area.grid.masks.marker, 0);
}

TEST_F(RoadNetworkBufferTest, ThePromptsAddTheZone) {
  Write("roads.txt", "0 0 0 r\n0 100 0 r\n");
  AreaFilter filter;
  ASSERT_TRUE(filter.CreateLists());
  Push("answer", {WidePath("roads.txt")});
  Push("type", {L"20"});
  Push("type", {L"99"});
  ASSERT_TRUE(AddRoadNetworkArea(filter));
  ASSERT_EQ(host::ui::FileDialogs().size(), 1u);
  const host::ui::FileDialogRequest& request = host::ui::FileDialogs()[0].request;
  EXPECT_EQ(request.title, L"LWH Co-ordinate file for Road Network lines");
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].description, L"LWH Co-ordinate files (*.txt)");
  EXPECT_TRUE(request.must_exist);
  EXPECT_TRUE(Prompted(L"\nBufferzone width (m): "));
  EXPECT_TRUE(Prompted(L"\nAccuracy (Around 100 would be good): "));
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(host::ui::MessageBoxes()[0].request.text, L"Accuracy changed to 96");
  ASSERT_EQ(filter.GetAreaCount(), 1);
  AreaFilterArea added{};
  ASSERT_TRUE(filter.GetArea(&added, 0));
  EXPECT_EQ(added.kind, kAreaRoadBuffer);
  EXPECT_STREQ(added.description, "Elem: 20, width: 20, grid: 96");
  EXPECT_TRUE(filter.PointInFilter(5, 50));
  EXPECT_FALSE(filter.PointInFilter(200, 50));
  filter.FreeAreas(1);
}

TEST_F(RoadNetworkBufferTest, CancelledOrRefusedPromptsAddNothing) {
  Write("roads.txt", "0 0 0 r\n0 100 0 r\n");
  Write("empty.txt", "no roads here\n");
  std::filesystem::create_directories(Path("folder.txt"));
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::wstring>> actions;
    const wchar_t* said;
  };
  const std::wstring roads = WidePath("roads.txt");
  const Case cases[] = {
      {"file dialog cancelled", {{"answer", L"cancel"}}, nullptr},
      {"missing file", {{"answer", WidePath("missing.txt")}}, nullptr},
      {"width cancelled", {{"answer", roads}, {"esc", L""}}, nullptr},
      {"width left empty", {{"answer", roads}, {"type", L""}}, nullptr},
      {"accuracy cancelled", {{"answer", roads}, {"type", L"20"}, {"esc", L""}}, nullptr},
      {"accuracy below 4", {{"answer", roads}, {"type", L"20"}, {"type", L"3"}},
       L"The accuracy must be 4 or more: no area added."},
      {"negative width", {{"answer", roads}, {"type", L"-20"}, {"type", L"100"}},
       L"The bufferzone width cannot be negative: no area added."},
      {"no roads in the file", {{"answer", WidePath("empty.txt")}, {"type", L"20"}, {"type", L"100"}},
       L"No road lines in the road network file: no area added."},
      {"a folder", {{"answer", WidePath("folder.txt")}, {"type", L"20"}, {"type", L"100"}}, nullptr},
  };
  AreaFilter filter;
  ASSERT_TRUE(filter.CreateLists());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host::Shown().Clear();
    for (const auto& [verb, arg] : c.actions)
      Push(verb, verb == "type" || !arg.empty() ? std::vector<std::wstring>{arg}
                                                : std::vector<std::wstring>{});
    EXPECT_FALSE(AddRoadNetworkArea(filter));
    EXPECT_EQ(filter.GetAreaCount(), 0);
    if (c.said != nullptr) {
      EXPECT_TRUE(Printed(c.said)) << Said();
    }
    host::Actions().Clear();
  }
  filter.FreeAreas(1);
}

}  // namespace
