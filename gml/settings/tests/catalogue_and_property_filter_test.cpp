#include <gtest/gtest.h>

#include <string>

#include "gml/settings/catalogue.h"
#include "gml/settings/property_filter.h"
#include "gml/settings/tests/temp_folder.h"
#include "host/editor/support_path.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"
#include "gml/settings/tests/box_texts.h"

namespace {

std::string ValueAt(const GrowArray& list, int i) {
  CatalogueValue value;
  EXPECT_TRUE(GrowArrayGet(&list, i, &value));
  return value.text;
}

bool Append(GrowArray* list, const char* text) {
  CatalogueValue value{};
  std::snprintf(value.text, sizeof value.text, "%s", text);
  return GrowArraySet(list, list->count, &value);
}

// --- catalogue ---------------------------------------------------------------

class CatalogueTest : public ::testing::Test {
 protected:
  TempFolder folder_;
};

TEST_F(CatalogueTest, EmptyFileKeepsTheDefaults) {
  folder_.Write("lwh_gml.dat", "");
  OS_GML_Definitions catalogue;
  EXPECT_TRUE(catalogue.LoadCatalogue(folder_.Path("lwh_gml.dat").c_str()));
  EXPECT_EQ(catalogue.filePath, folder_.WidePath("lwh_gml.dat"));
  EXPECT_EQ(catalogue.topographicPointElement, L"osgb:TopographicPoint");
  EXPECT_EQ(catalogue.heightElement, L"osgb:heightAboveDatum");
  EXPECT_EQ(catalogue.themes.count, 0);
  EXPECT_EQ(catalogue.descriptiveTerms.count, 0);
  EXPECT_FALSE(catalogue.LoadCatalogue(folder_.Path("missing.dat").c_str()));
}

TEST_F(CatalogueTest, LabelsValuesAndPrecedence) {
  folder_.Write("lwh_gml.dat",
                "# element names\n"
                "[Topographic Point:] osgb:TopoPoint extra words\n"
                "[General AOD:] \n"
                "[General Co-ordinates:] gml:coords\r\n"
                "[osgb:theme:] Buildings\n"
                "[osgb:theme:] Buildings\n"
                "[osgb:theme:] Land [osgb:descriptiveTerm:] Both\n"
                "[osgb:descriptiveGroup:] Road Or Track\n"
                "[osgb:theme:] " + std::string(200, 't') + "\n"
                "[osgb:descriptiveGroup:] " + std::string(200, 'g') + "\n"
                "  [osgb:descriptiveTerm:] " + std::string(200, 'd') + "\n"
                "[osgb:descriptiveTerm:] Last term");
  OS_GML_Definitions catalogue;
  ASSERT_TRUE(catalogue.LoadCatalogue(folder_.Path("lwh_gml.dat").c_str()));
  EXPECT_EQ(catalogue.topographicPointElement, L"osgb:TopoPoint");
  EXPECT_EQ(catalogue.heightElement, L"osgb:heightAboveDatum");
  EXPECT_EQ(catalogue.coordinatesElement, L"gml:coords");
  ASSERT_EQ(catalogue.themes.count, 3);
  EXPECT_EQ(ValueAt(catalogue.themes, 1), "Buildings");
  EXPECT_EQ(ValueAt(catalogue.themes, 2), std::string(114, 't'));
  ASSERT_EQ(catalogue.descriptiveGroups.count, 2);
  EXPECT_EQ(ValueAt(catalogue.descriptiveGroups, 1), std::string(103, 'g'));
  ASSERT_EQ(catalogue.descriptiveTerms.count, 3);
  EXPECT_EQ(ValueAt(catalogue.descriptiveTerms, 0), "Both");
  EXPECT_EQ(ValueAt(catalogue.descriptiveTerms, 1), std::string(104, 'd'));
  EXPECT_EQ(ValueAt(catalogue.descriptiveTerms, 2), "Last term");
}

// --- property filter -----------------------------------------------------------

class PropertyFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    folder_.Write("lwh_gml.dat", "[osgb:theme:] Buildings\n");
  }
  void TearDown() override { host::ResetForTest(); }
  TempFolder folder_;
};

TEST_F(PropertyFilterTest, ModesAndLists) {
  PropertyFilter filter(L"");
  ASSERT_TRUE(Append(&filter.themes, "Buildings"));
  ASSERT_TRUE(Append(&filter.groups, "Road Or Track"));
  struct Case {
    PropertyFilterMode theme, group, term;
    const char *themeValue, *groupValue, *termValue;
    int passes;
  } const cases[] = {
      {1, 1, 1, "x", "y", "z", 1},
      {2, 1, 1, "Buildings", "y", "z", 1},
      {2, 1, 1, "buildINGS", "y", "z", 1},  // case ignored
      {2, 1, 1, "Build", "y", "z", 0},      // a beginning is no match
      {3, 1, 1, "Buildings", "y", "z", 0},
      {3, 1, 1, "Land", "y", "z", 1},
      {1, 2, 1, "x", "Road Or Track", "z", 1},
      {1, 2, 1, "x", "Path", "z", 0},
      {2, 2, 1, "Land", "Road Or Track", "z", 0},  // the theme decides first
      {1, 1, 2, "x", "y", "anything", 0},          // Only with an empty list
      {1, 1, 3, "x", "y", "anything", 1},          // But with an empty list
      {1, 1, 2, "x", "y", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.theme << c.group << c.term << " " << c.themeValue << "/"
                                    << c.groupValue);
    filter.themeMode = c.theme;
    filter.groupMode = c.group;
    filter.termMode = c.term;
    EXPECT_EQ(filter.Passes(c.themeValue, c.groupValue, c.termValue), c.passes);
  }
  filter.themeMode = kPropertyFilterOnly;
  filter.groupMode = kPropertyFilterOnly;
  EXPECT_EQ(filter.PassesTheme("Buildings"), 1);
  EXPECT_EQ(filter.PassesTheme("Land"), 0);
}

TEST_F(PropertyFilterTest, WithoutCatalogueItIsUnusableAndPassesEverything) {
  {
    PropertyFilter filter(folder_.WidePath("no/lwh_gml.dat"));
    EXPECT_EQ(filter.unusable, 1);
    EXPECT_TRUE(filter.path.empty());
    EXPECT_EQ(filter.Passes("a", "b", "c"), 1);
    EXPECT_EQ(filter.SaveFile(filter.path), 0);
  }
  EXPECT_EQ(BoxTexts(),
            std::vector<std::wstring>{L"ERROR: Could not find / read \"lwh_gml.dat\" file."});
  EXPECT_EQ(folder_.Count(), 1);
}

TEST_F(PropertyFilterTest, CatalogueFoundOnTheSupportPath) {
  host::AddSessionSupportFolder(folder_.WideFolder());
  {
    PropertyFilter filter;
    EXPECT_EQ(filter.unusable, 0);
    EXPECT_EQ(filter.path, folder_.WidePath("lwh_gml_propfil.pfd"));
    EXPECT_EQ(filter.catalogue.themes.count, 1);
  }
  EXPECT_TRUE(folder_.Exists("lwh_gml_propfil.pfd"));
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(PropertyFilterTest, DefaultFileReadAtStartAndWrittenAtEnd) {
  folder_.Write("lwh_gml_propfil.pfd",
                "Orvane ini file for Property Filters\r\n"
                "[File title:] My filter\r\n"
                "[theme:input what (All/Only/But):] Only\r\n"
                "[descriptiveGroup:input what (All/Only/But):] only\r\n"
                "[descriptiveTerm:input what (All/Only/But):] But\r\n"
                "[File title:] [osgb:theme:] Title wins\r\n"
                "[osgb:theme:] Water\r\n"
                "[osgb:theme:] " + std::string(200, 'w') + "\r\n"
                "[osgb:descriptiveTerm:] \r\n"
                "[osgb:descriptiveGroup:] Inland Water");
  {
    PropertyFilter filter(folder_.WidePath("lwh_gml.dat"));
    EXPECT_EQ(filter.unusable, 0);
    EXPECT_EQ(filter.path, folder_.WidePath("lwh_gml_propfil.pfd"));
    EXPECT_EQ(filter.catalogue.themes.count, 1);
    EXPECT_EQ(filter.title, L"[osgb:theme:] Title wins");
    EXPECT_EQ(filter.themeMode, kPropertyFilterOnly);
    EXPECT_EQ(filter.groupMode, kPropertyFilterAll);
    EXPECT_EQ(filter.termMode, kPropertyFilterBut);
    ASSERT_EQ(filter.themes.count, 2);
    EXPECT_EQ(ValueAt(filter.themes, 1), std::string(114, 'w'));
    ASSERT_EQ(filter.terms.count, 1);
    EXPECT_EQ(ValueAt(filter.terms, 0), "");
    ASSERT_EQ(filter.groups.count, 1);
    EXPECT_EQ(ValueAt(filter.groups, 0), "Inland Water");
    filter.title = L"Changed";
  }
  EXPECT_EQ(folder_.Read("lwh_gml_propfil.pfd"),
            "Orvane ini file for Property Filters\n"
            "Themes etc. things that user wants to filter (in or out)\n"
            "[File title:] Changed\n\n\n"
            "[theme:input what (All/Only/But):] Only\n"
            "[descriptiveGroup:input what (All/Only/But):] All\n"
            "[descriptiveTerm:input what (All/Only/But):] But\n"
            "\n[osgb:theme:] Water\n[osgb:theme:] " + std::string(114, 'w') + "\n"
            "\n[osgb:descriptiveGroup:] Inland Water\n"
            "\n[osgb:descriptiveTerm:] \n");

  // Read back, the written file gives the same filter; read twice, the
  // lists double.
  PropertyFilter again(folder_.WidePath("lwh_gml.dat"));
  EXPECT_EQ(again.title, L"Changed");
  EXPECT_EQ(again.themes.count, 2);
  EXPECT_EQ(again.LoadFile(again.path), 1);
  EXPECT_EQ(again.themes.count, 4);
  EXPECT_EQ(again.LoadFile(folder_.WidePath("none.pfd")), 1);
  EXPECT_EQ(again.themes.count, 4);
}

TEST_F(PropertyFilterTest, FailedSaveKeepsTheOldFile) {
  PropertyFilter filter(folder_.WidePath("lwh_gml.dat"));
  ASSERT_TRUE(Append(&filter.terms, "Footbridge"));
  const std::string old = "[File title:] Old\n";
  for (int step = 0;; ++step) {
    SCOPED_TRACE(step);
    folder_.Write("other.pfd", old);
    host::ScopedFault fault(host::FaultPoint::SaveFile, step);
    int saved = filter.SaveFile(folder_.WidePath("other.pfd"));
    if (host::FaultsFired(host::FaultPoint::SaveFile) == 0) {
      EXPECT_EQ(saved, 1);
      break;
    }
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(folder_.Read("other.pfd"), old);
  }
  EXPECT_NE(folder_.Read("other.pfd").find("[osgb:descriptiveTerm:] Footbridge"), std::string::npos);
}

}  // namespace
