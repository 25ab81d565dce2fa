// The text search of the road-name location filter: which cartographic
// texts of the chosen files a search text finds, and the window round them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"
#include "gml/ui/location_dialogs.h"
#include "ui_fixture.h"

namespace {

// One cartographic text at (x, y).
std::string Text(const std::string& text, double x, double y) {
  return "<osgb:cartographicMember><osgb:CartographicText fid='osgb1000000000000001'>"
         "<osgb:textRendering><osgb:anchorPosition>4</osgb:anchorPosition></osgb:textRendering>"
         "<osgb:textString>" + text + "</osgb:textString><osgb:anchorPoint><gml:Point>"
         "<gml:coordinates>" + std::to_string(x) + "," + std::to_string(y) +
         "</gml:coordinates></gml:Point></osgb:anchorPoint></osgb:CartographicText></osgb:cartographicMember>\n";
}

class TextSearchTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_TRUE(GrowArrayCreate(4, sizeof(GmlInputFile), &files_));
  }
  void TearDown() override {
    GrowArrayFree(&files_);
    UiTest::TearDown();
  }
  void AddFile(const std::string& name, const std::string& body, bool active = true) {
    Write(name, "<?xml version='1.0'?>\n<osgb:FeatureCollection>\n" + body + "</osgb:FeatureCollection>\n");
    GmlInputFile file{};
    const std::string path = (root_ / name).string();
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    file.active = active ? 1 : 0;
    ASSERT_TRUE(GrowArraySet(&files_, files_.count, &file));
  }
  GrowArray files_{};
};

TEST_F(TextSearchTest, FindsTheTextInAnyCaseInActiveFilesAndFramesTheHits) {
  const std::string longText = std::string(130, 'x') + " Wall";  // "Wall" after the first 128 characters
  AddFile("a.gml", Text("Wall St", 1000, 2000) + Text("Station Road", 5000, 5000) + Text("HIGHWALL", 1100, 2300) +
                       Text(longText, 9000, 9000));
  AddFile("b.gml", Text("Cornwall Gardens", 900, 1950));
  AddFile("c.gml", Text("Wall Lane", 20000, 20000), false);  // not in the run

  struct Case {
    const wchar_t* search;
    int found;
    double minX, minY, maxX, maxY;  // with a margin of 50
  } cases[] = {
      {L"wall", 3, 850, 1900, 1150, 2350},
      {L"WALL ST", 1, 950, 1950, 1050, 2050},
      {L"station", 1, 4950, 4950, 5050, 5050},
      {L"no such text", 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.search, c.search + std::wcslen(c.search)));
    CSearchText search(c.search, 50, &files_, 1000);
    Push("dlg_timer", {L"1"});
    EXPECT_EQ(search.DoModal(), host::ui::kIdOk);
    EXPECT_EQ(search.found, c.found);
    EXPECT_EQ(search.minX, c.minX);
    EXPECT_EQ(search.minY, c.minY);
    EXPECT_EQ(search.maxX, c.maxX);
    EXPECT_EQ(search.maxY, c.maxY);
    wchar_t shown[32];
    std::swprintf(shown, 32, L"Found: %i", c.found);
    EXPECT_EQ(search.ItemText(337), shown);
  }
}

}  // namespace
