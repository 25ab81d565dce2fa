// A polygon location filter as the user picks it in the import dialog and
// finds it again in the saved areas: one straight per side picked, each
// starting where the one before it ended along the outline.
#include <gtest/gtest.h>

#include "gml/settings/area_filter.h"
#include "gml/settings/tests/dialog_fixture.h"
#include "gml/ui/varnel_commands.h"
#include "host/app/documents.h"
#include "host/editor/support_path.h"

namespace {

class PolygonLocation : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  }
  void TearDown() override {
    (void)host::CloseDrawing();
    DialogTest::TearDown();
  }
};

TEST_F(PolygonLocation, EachSideStartsWhereThePreviousEnded) {
  const std::filesystem::path sample =
      std::filesystem::path(VARNEL_SHARED_DIR) / "testdata" / "osmm" / "topo-small-v7.gml";
  if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no shared samples";
  Write("lwh_gml.ini", "");
  host::SetSupportPath({Folder()});
  std::filesystem::create_directories(Path("input"));
  std::filesystem::copy_file(sample, Path("input/topo-small-v7.gml"));
  Push("answer", {L"no"});
  Push("answer", {WidePath("input")});
  Push("dlg_set", {L"229", L"1"});  // location filters on
  Push("dlg_click", {L"205"});
  Push("dlg_click", {L"228"});      // New...
  Push("dlg_set", {L"263", L"Yard"});
  Push("dlg_click", {L"262"});      // Polygon <
  for (const wchar_t* corner : {L"100,200", L"130,200", L"130,240", L"100,240", L""})
    Push("type", {corner});
  Push("dlg_click", {L"228"});  // New... again saves the areas so far
  Push("dlg_click", {L"2"});
  Push("dlg_click", {L"2"});
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());

  AreaFilter saved;
  ASSERT_TRUE(saved.CreateLists());
  ASSERT_TRUE(saved.LoadAreas(WidePath("lwh_gml_areafilters.ini")));
  ASSERT_EQ(saved.GetAreaCount(), 1);
  AreaFilterArea area{};
  ASSERT_TRUE(saved.GetArea(&area, 0));
  EXPECT_EQ(area.kind, kAreaPolygon);
  EXPECT_STREQ(area.description, "Yard");
  // The closing side from the last corner back to the first is implied.
  struct Side {
    double startX, startY, endX, endY, length, startChainage;
  };
  const Side sides[] = {{100, 200, 130, 200, 30, 0}, {130, 200, 130, 240, 40, 30},
                        {130, 240, 100, 240, 30, 70}};
  ASSERT_EQ(area.elements.count, 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    GeometryElement e{};
    ASSERT_TRUE(GrowArrayGet(&area.elements, i, &e));
    EXPECT_DOUBLE_EQ(e.startX, sides[i].startX);
    EXPECT_DOUBLE_EQ(e.startY, sides[i].startY);
    EXPECT_DOUBLE_EQ(e.endX, sides[i].endX);
    EXPECT_DOUBLE_EQ(e.endY, sides[i].endY);
    EXPECT_DOUBLE_EQ(e.length, sides[i].length);
    EXPECT_DOUBLE_EQ(e.startChainage, sides[i].startChainage);
  }
  // The inside of the polygon is the filter's.
  EXPECT_TRUE(saved.PointInFilter(115, 220));
  EXPECT_FALSE(saved.PointInFilter(140, 220));
  saved.FreeAreas(1);
}

}  // namespace
