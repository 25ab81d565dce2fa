// Every feature the reader stores, and every coordinate of its geometry,
// against an independent reading of the same file by Python's XML parser:
// the real samples and the project's own example data, plain and gzip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/ui/message_box.h"

#include "reader_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace reader_test;

void ExpectSameReading(const std::string& path) {
  SCOPED_TRACE(path);
  ASSERT_TRUE(fs::exists(path)) << "missing sample";
  const std::vector<std::string> expected = ReferenceReading(path);
  ASSERT_FALSE(expected.empty()) << "the reference reading gave nothing";
  OSGMLInputView view;
  ASSERT_TRUE(AddInputFile(view, path));
  ASSERT_EQ(ReadAll(view), 1);
  const std::vector<std::string> stored = StoredFeatures(view);
  EXPECT_EQ(stored.size(), expected.size());
  // Show the first difference rather than two thousand lines.
  for (std::size_t i = 0; i < std::min(stored.size(), expected.size()); ++i) {
    if (stored[i] != expected[i]) {
      ADD_FAILURE() << "first difference at line " << i << "\n  stored:   " << stored[i]
                    << "\n  expected: " << expected[i];
      break;
    }
  }
}

class SampleReading : public ::testing::TestWithParam<const char*> {};

TEST_P(SampleReading, PlainAndGzipMatchTheReferenceReading) {
  const std::string sample = SharedSample(GetParam());
  ExpectSameReading(sample);
  if (sample.ends_with(".gml")) {
    TempFolder folder;
    const std::string gz = (folder.Path() / (std::string(GetParam()) + ".gz")).string();
    ASSERT_TRUE(GzipFile(sample, gz));
    ExpectSameReading(gz);
  }
}

INSTANTIATE_TEST_SUITE_P(RealSamples, SampleReading,
                         ::testing::Values("topo-small-v7.gml", "itn-v7-exeter-ossample.gml",
                                           "itn-v6-brixton-crimefighter.gml", "topo-bom-gdal.gml",
                                           "topo-pioneer-v7-crlf-ostranslator.gml.gz",
                                           "itn-pioneer-v7-ostranslator.gml.gz"));

TEST(ExampleReading, OwnExampleDataMatchesTheReferenceReading) {
  TempFolder folder;
  const std::string generator = std::string(VARNEL_SOURCE_DIR) + "/tools/make_example_data.py";
  const char* python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  RunCommand(std::string(python) + " '" + generator + "' '" + folder.Path().string() + "'");
  for (const char* name : {"example-topo.gml", "example-itn.gml", "example-address.gml"}) {
    const std::string path = (folder.Path() / name).string();
    ExpectSameReading(path);
    ExpectSameReading(path + ".gz");
  }
}

// A file as XML tools write it: a comment before the root that holds a '<',
// a feature inside a comment, a comment among a line's coordinates, texts in
// CDATA sections. The reader takes it
// as Python's XML parser does, and says nothing of it.
TEST(MarkupReading, CommentsAndCDataReadAsAnXmlParserReadsThem) {
  const std::string line = LineMember("1000000000000009", "5,5 6,6");
  const std::string content =
      "<?xml version='1.0' encoding='UTF-8'?>\n"
      "<!-- converted from <tile SX9192> -->\n"
      "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
      "xmlns:gml='http://www.opengis.net/gml' fid='MARKUP'>\n"
      "<gml:description><![CDATA[tile <SX9192> & more]]></gml:description>\n"
      "<osgb:queryExtent><osgb:Rectangle srsName='osgb:BNG'>\n"
      "<gml:coordinates>0,0 1000,1000</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n"
      "<!-- withdrawn: " + line + " -->\n" +
      LineMember("1000000000000001", "0,0 10,0 <!-- resurveyed --> 10,10") +
      "<osgb:cartographicMember><osgb:CartographicText fid='osgb1000000000000002'>"
      "<osgb:featureCode>10026</osgb:featureCode><osgb:version>1</osgb:version>"
      "<osgb:textRendering><osgb:font>2</osgb:font></osgb:textRendering>"
      "<osgb:textString><![CDATA[Mill & <Lane>]]><!-- the name --> Farm</osgb:textString>"
      "<osgb:anchorPoint><gml:Point><gml:coordinates>50,60</gml:coordinates></gml:Point>"
      "</osgb:anchorPoint>"
      "</osgb:CartographicText></osgb:cartographicMember>\n"
      "</osgb:FeatureCollection>\n";
  TempFolder folder;
  const std::string plain = (folder.Path() / "markup.gml").string();
  std::ofstream(plain, std::ios::binary) << content;
  const std::string gzip = plain + ".gz";
  ASSERT_TRUE(GzipFile(plain, gzip));
  for (const std::string& path : {plain, gzip}) {
    SCOPED_TRACE(path);
    const std::vector<std::string> expected = ReferenceReading(path);
    ASSERT_EQ(expected.size(), 2u) << "the reference reading gave no line and text";
    OSGMLInputView view;
    ASSERT_TRUE(AddInputFile(view, path));
    const auto& file = *static_cast<const GmlInputFile*>(view.inputFiles.data);
    EXPECT_STREQ(file.description, "tile <SX9192> & more");
    host::ui::ClearMessageBoxes();
    ASSERT_EQ(ReadAll(view), 1);
    for (const host::ui::MessageBoxRecord& box : host::ui::MessageBoxes())
      ADD_FAILURE() << "message: " << std::string(box.request.text.begin(), box.request.text.end());
    host::ui::ClearMessageBoxes();
    EXPECT_EQ(view.incompleteFiles, 0);
    const std::vector<std::string> stored = StoredFeatures(view);
    EXPECT_EQ(stored, expected);
    std::string all;
    for (const std::string& feature : stored) all += feature + "\n";
    EXPECT_NE(all.find("|Mill & <Lane> Farm|"), std::string::npos) << all;
    EXPECT_EQ(all.find("1000000000000009"), std::string::npos) << all;
  }
}

}  // namespace
