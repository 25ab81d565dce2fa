// Every feature the reader stores, and every coordinate of its geometry,
// against an independent reading of the same file by Python's XML parser:
// the real samples and the project's own example data, plain and gzip.
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
