// The settings file and the property filter's catalogue as a reading run
// meets them: what lwh_gml.ini says is what the run reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/editor/support_path.h"
#include "reader_fixture.h"

namespace {

using namespace reader_test;

const char* kHead =
    "<?xml version='1.0' encoding='UTF-8'?>\n"
    "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
    "xmlns:gml='http://www.opengis.net/gml' fid='TEST'>\n"
    "<osgb:queryExtent><osgb:Rectangle srsName='osgb:BNG'>\n"
    "<gml:coordinates>0,0 1000,1000</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n";

std::string ThemedLine(const char* toid, const char* theme) {
  return std::string("<osgb:topographicMember><osgb:TopographicLine fid='osgb") + toid +
         "'><osgb:theme>" + theme +
         "</osgb:theme><osgb:polyline><gml:coordinates>1,1 2,2</gml:coordinates>"
         "</osgb:polyline></osgb:TopographicLine></osgb:topographicMember>\n";
}

const char* kPointAndText =
    "<osgb:topographicMember><osgb:TopographicPoint fid='osgb1000000000000003'>"
    "<osgb:point><gml:Point><gml:coordinates>10,20</gml:coordinates></gml:Point>"
    "</osgb:point></osgb:TopographicPoint></osgb:topographicMember>\n"
    "<osgb:cartographicMember><osgb:CartographicText fid='osgb1000000000000004'>"
    "<osgb:anchorPoint><gml:Point><gml:coordinates>1,2</gml:coordinates></gml:Point>"
    "</osgb:anchorPoint><osgb:textString>First</osgb:textString>"
    "</osgb:CartographicText></osgb:cartographicMember>\n";

std::string WriteGml(const TempFolder& folder, const std::string& members) {
  const std::string path = (folder.Path() / "test.gml").string();
  std::ofstream(path, std::ios::binary) << kHead << members << "</osgb:FeatureCollection>\n";
  return path;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Puts the support path back as it was when the test ends.
class SupportPathScope {
 public:
  explicit SupportPathScope(const std::filesystem::path& folder) : saved_(host::SupportPath()) {
    host::SetSupportPath({folder.wstring()});
  }
  ~SupportPathScope() { host::SetSupportPath(saved_); }

 private:
  std::vector<std::wstring> saved_;
};

TEST(SettingsReading, SwitchSavedOffInTheSettingsFileSkipsThatFeatureKind) {
  struct Case {
    const char* line;
    std::int32_t lines, points, texts;
  };
  const Case cases[] = {
      {"[Input Topographical Points:] No\n", 1, 0, 1},
      {"[Input Cartographical Text:] No\n", 1, 1, 0},
      {"[Input Topographical Lines:] No\n", 0, 1, 1},
      {"[Input Topographical Lines:] Yes\n", 1, 1, 1},
  };
  TempFolder folder;
  const std::string gml =
      WriteGml(folder, ThemedLine("1000000000000001", "Buildings") + kPointAndText);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::filesystem::path ini = folder.Path() / "lwh_gml.ini";
    WriteText(ini, c.line);
    OSGMLInputView view;
    ASSERT_TRUE(view.settings.LoadSettings(ini.wstring(), false));
    ASSERT_TRUE(AddInputFile(view, gml));
    ASSERT_EQ(ReadAll(view), 1);
    EXPECT_EQ(view.lines.count, c.lines);
    EXPECT_EQ(view.points.count, c.points);
    EXPECT_EQ(view.texts.count, c.texts);
  }
}

TEST(SettingsReading, PropertyFilterReadsItsCatalogueFromTheSupportPath) {
  TempFolder folder;
  std::filesystem::copy_file(std::filesystem::path(VARNEL_SOURCE_DIR) / "support" / "lwh_gml.dat",
                             folder.Path() / "lwh_gml.dat");
  WriteText(folder.Path() / "lwh_gml_propfil.pfd",
            "Orvane ini file for Property Filters\n"
            "Themes etc. things that user wants to filter (in or out)\n"
            "[File title:] General Property Filters\n\n\n"
            "[theme:input what (All/Only/But):] Only\n"
            "[descriptiveGroup:input what (All/Only/But):] All\n"
            "[descriptiveTerm:input what (All/Only/But):] All\n\n"
            "[osgb:theme:] Buildings\n\n\n");
  WriteText(folder.Path() / "lwh_gml.ini", "[Filter by property:] Yes\n");
  const std::string gml =
      WriteGml(folder, ThemedLine("1000000000000001", "Buildings") +
                           ThemedLine("1000000000000002", "Water") +
                           ThemedLine("1000000000000003", "Roads Tracks And Paths"));
  SupportPathScope support(folder.Path());
  OSGMLInputView view;
  EXPECT_EQ(view.propertyFilter.unusable, 0) << "the catalogue is found on the support path";
  ASSERT_TRUE(view.settings.LoadSettings((folder.Path() / "lwh_gml.ini").wstring(), true));
  ASSERT_TRUE(AddInputFile(view, gml));
  ASSERT_EQ(ReadAll(view), 1);
  EXPECT_EQ(view.seenLines, 3);
  ASSERT_EQ(view.lines.count, 1);
  LineFeatureRecord line{};
  ASSERT_TRUE(PagedGrowArrayGet(&view.lines, 0, &line));
  EXPECT_STREQ(line.common.theme, "Buildings");
}

}  // namespace
