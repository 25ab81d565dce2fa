// The default support folder of the project: every file reads with the
// classes that use it, and saving what was read gives the same file back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "gml/settings/property_filter.h"
#include "gml/settings/settings_record.h"
#include "gml/settings/tests/temp_folder.h"
#include "gml/settings/tests/box_texts.h"
#include "host/testing/test_reset.h"

namespace {

const std::string kSupport = std::string(VARNEL_SOURCE_DIR) + "/support/";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class SupportFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }
  TempFolder folder_;
};

TEST_F(SupportFolderTest, SettingsAndTablesLoadAndSaveUnchanged) {
  const char* files[] = {"lwh_gml.ini", "lwh_gml_codelookup.ovc", "lwh_gml_symbollookup.ovs",
                         "lwh_gml_symbologylookup.ovl"};
  for (const char* file : files) {
    std::filesystem::copy_file(kSupport + file, folder_.Path(file));
  }
  OS_GML_ACAD_Definitions record;
  ASSERT_TRUE(record.LoadSettings(folder_.WidePath("lwh_gml.ini"), true));
  ASSERT_TRUE(record.LoadCodeLookupTable());
  ASSERT_TRUE(record.LoadSymbolLookupTable());
  ASSERT_TRUE(record.LoadSymbologyTable());
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(record.inputAddressPoints, 1);
  EXPECT_EQ(record.csvDirectory, L"./");
  EXPECT_GT(record.codeTable.count, 200);
  EXPECT_GT(record.symbolTable.count, 0);
  EXPECT_GT(record.symbologySets.count, 0);

  // Every feature code of the Topography Layer and the ITN has a row.
  int index = -1;
  for (int code = 10016; code <= 10217; ++code) {
    EXPECT_TRUE(record.FindCodeIndex(std::to_string(code).c_str(), &index)) << code;
  }
  for (const char* code : {"3000", "3001", "3002"}) {
    EXPECT_TRUE(record.FindCodeIndex(code, &index)) << code;
  }

  ASSERT_TRUE(record.SaveSettings());
  ASSERT_TRUE(record.SaveCodeLookupTable());
  ASSERT_TRUE(record.SaveSymbolLookupTable());
  ASSERT_TRUE(record.SaveSymbologyTable());
  for (const char* file : files) {
    EXPECT_EQ(folder_.Read(file), ReadAll(kSupport + file)) << file;
  }
}

TEST_F(SupportFolderTest, CodesOfTheRealSamplesAreInTheTable) {
  const std::string samples = std::string(VARNEL_SHARED_DIR) + "/testdata/osmm/";
  if (!std::filesystem::exists(samples)) GTEST_SKIP() << "no sample data at " << samples;
  OS_GML_ACAD_Definitions record;
  record.supportFolder = std::filesystem::path(kSupport).wstring();
  ASSERT_TRUE(record.LoadCodeLookupTable());
  std::set<std::string> codes;
  const std::regex code("<osgb:featureCode>([0-9]+)<");
  for (const char* file : {"topo-small-v7.gml", "topo-bom-gdal.gml"}) {
    std::string text = ReadAll(samples + file);
    for (std::sregex_iterator it(text.begin(), text.end(), code), end; it != end; ++it) {
      codes.insert((*it)[1]);
    }
  }
  ASSERT_GT(codes.size(), 5u);
  for (const std::string& c : codes) {
    int index = -1;
    EXPECT_TRUE(record.FindCodeIndex(c.c_str(), &index)) << c;
  }
}

TEST_F(SupportFolderTest, CatalogueAndPropertyFilter) {
  std::filesystem::copy_file(kSupport + "lwh_gml.dat", folder_.Path("lwh_gml.dat"));
  std::filesystem::copy_file(kSupport + "lwh_gml_propfil.pfd", folder_.Path("lwh_gml_propfil.pfd"));
  {
    PropertyFilter filter(folder_.WidePath("lwh_gml.dat"));
    EXPECT_EQ(filter.unusable, 0);
    EXPECT_EQ(filter.title, L"General Property Filters");
    EXPECT_EQ(filter.themeMode, kPropertyFilterAll);
    EXPECT_EQ(filter.catalogue.topographicLineElement, L"osgb:TopographicLine");
    EXPECT_EQ(filter.catalogue.coordinatesElement, L"gml:coordinates");
    for (const char* value : {"Buildings", "Water", "Road Network", "Land"}) {
      EXPECT_EQ(PropertyFilter::IsInList(&filter.catalogue.themes, value), 1) << value;
    }
    for (const char* value : {"Building", "Natural Environment", "Road Topology", "Named Road"}) {
      EXPECT_EQ(PropertyFilter::IsInList(&filter.catalogue.descriptiveGroups, value), 1) << value;
    }
    for (const char* value : {"Spot Height", "Local Street", "Coniferous Trees", "Electoral"}) {
      EXPECT_EQ(PropertyFilter::IsInList(&filter.catalogue.descriptiveTerms, value), 1) << value;
    }
  }
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(folder_.Read("lwh_gml_propfil.pfd"), ReadAll(kSupport + "lwh_gml_propfil.pfd"));
}

}  // namespace
