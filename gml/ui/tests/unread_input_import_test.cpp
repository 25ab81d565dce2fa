// lwhgmlin in cadhost where the input gives nothing to draw, in whole or in
// part: files whose head cannot be read, a folder without GML files, files
// whose features the reader does not know, and a Draw with no feature kind
// chosen. Each is said on the command line or in a box; none ends in
// silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

class UnreadInputImport : public ::testing::Test {
 protected:
  void SetUp() override {
    sample_ = SharedSample("topo-small-v7.gml");
    if (!fs::exists(sample_)) GTEST_SKIP() << "no shared samples";
    session_ = std::make_unique<Session>(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  SessionRun Import() const { return session_->Run(session_->ImportLines() + "!save " + session_->At("out.dxf") + "\n"); }
  bool LinesDrawn() const { return ReadText(session_->At("out.dxf")).find("LWPOLYLINE") != std::string::npos; }
  // The sample gzipped into the input folder as `name`.
  std::string Gzipped(const std::string& name) const {
    const std::string path = session_->At("input/" + name);
    EXPECT_EQ(RunShell("gzip -c " + Quoted(sample_.string()) + " > " + Quoted(path)).status, 0);
    return path;
  }

  fs::path sample_;
  std::unique_ptr<Session> session_;
};

// A folder of one good file and four whose head cannot be read: the good one
// is drawn, each other is named with why, and the end counts them.
TEST_F(UnreadInputImport, FilesWhoseHeadCannotBeReadAreNamedAndCounted) {
  session_->AddInput(sample_);
  const std::string empty = session_->At("input/empty.gml");
  WriteText(empty, "");
  // Cut within the gzip header, and a first block that is no deflate data.
  const std::string cut = Gzipped("cut.gml.gz");
  fs::resize_file(cut, 6);
  const std::string damaged = Gzipped("damaged.gml.gz");
  {
    std::string bytes = ReadText(damaged);
    const std::size_t start = bytes.find('\0', 10) + 1;  // after the name gzip stores
    for (std::size_t i = start; i < start + 64 && i < bytes.size(); ++i) bytes[i] = '\xff';
    WriteText(damaged, bytes);
  }
  const std::string headless = session_->At("input/headless.gml");
  WriteText(headless, "<?xml version='1.0'?>\n<osgb:FeatureCollection fid='T'>\n" + std::string(10000, ' ') +
                          "<gml:description>too late</gml:description>\n</osgb:FeatureCollection>\n");

  const SessionRun run = Import();
  ASSERT_EQ(run.status, 0) << run.output;
  const struct {
    std::string path;
    std::string reason;
  } skipped[] = {
      {empty, "the file is empty (0 bytes)."},
      {cut, "its gzip data is damaged"},
      {damaged, "its gzip data is damaged"},
      {headless, "no description, query time or extent in its first 10,000 characters."},
  };
  for (const auto& s : skipped)
    EXPECT_NE(run.output.find("Skipped " + s.path + ": " + s.reason), std::string::npos) << s.path << "\n"
                                                                                           << run.output;
  EXPECT_EQ(run.output.find("Skipped " + session_->At("input/topo-small-v7.gml")), std::string::npos);
  EXPECT_NE(run.output.find("Not read: 4 file(s), each named in a \"Skipped\" line above."), std::string::npos)
      << run.output;
  EXPECT_TRUE(LinesDrawn());
}

// A folder with no GML file: its entries are counted without "." and "..",
// and the end says that there was nothing to import.
TEST_F(UnreadInputImport, AFolderWithoutGmlFilesIsSaid) {
  WriteText(session_->At("input/readme.txt"), "not GML\n");
  // The choice ends the command: there is no dialog to click.
  const SessionRun run =
      session_->Run("lwhgmlin\n!answer no\n!answer " + session_->At("input") + "\n!save " + session_->At("out.dxf") + "\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("\rBrowsing directory... 1, 0 found\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("No GML files in " + session_->At("input") + "."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Not read: 1 file(s)"), std::string::npos) << run.output;
  EXPECT_FALSE(LinesDrawn());
}

// Files the reader finds no feature in that it knows: features under a
// namespace prefix other than osgb, and geometry written as gml:posList.
// Each is named; nothing is drawn.
TEST_F(UnreadInputImport, FilesWithNoFeatureTheReaderKnowsAreNamed) {
  std::string other = ReadText(sample_);
  for (std::size_t at; (at = other.find("osgb:")) != std::string::npos;) other.replace(at, 5, "os:");
  for (std::size_t at; (at = other.find("xmlns:osgb")) != std::string::npos;) other.replace(at, 10, "xmlns:os");
  const std::string prefixed = session_->At("input/other-prefix.gml");
  WriteText(prefixed, other);
  const std::string posList = session_->At("input/poslist.gml");
  WriteText(posList,
            "<?xml version='1.0' encoding='UTF-8'?>\n"
            "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
            "xmlns:gml='http://www.opengis.net/gml/3.2' gml:id='T'>\n"
            "<gml:description>GML 3.2</gml:description>\n"
            "<osgb:topographicMember><osgb:TopographicLine gml:id='osgb1000000000000001'>"
            "<osgb:featureCode>10019</osgb:featureCode><osgb:version>1</osgb:version>"
            "<osgb:polyline><gml:LineString srsName='EPSG:27700'>"
            "<gml:posList count='2'>291000 92500 291010 92510</gml:posList>"
            "</gml:LineString></osgb:polyline></osgb:TopographicLine></osgb:topographicMember>\n"
            "</osgb:FeatureCollection>\n");

  const SessionRun run = Import();
  ASSERT_EQ(run.status, 0) << run.output;
  for (const std::string& path : {prefixed, posList})
    EXPECT_NE(run.output.find("No OS MasterMap features in " + path + "."), std::string::npos) << path << "\n"
                                                                                              << run.output;
  EXPECT_FALSE(LinesDrawn());
}

// The good sample beside them is not named.
TEST_F(UnreadInputImport, AFileWithFeaturesIsNotNamed) {
  session_->AddInput(sample_);
  const SessionRun run = Import();
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output.find("No OS MasterMap features"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Not read:"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("No GML files"), std::string::npos) << run.output;
  EXPECT_TRUE(LinesDrawn());
}

// Draw with every feature kind unchecked in "OS Layers to import" is
// refused with a box that says why; the dialog stays open.
TEST_F(UnreadInputImport, DrawWithNoFeatureKindChosenIsRefused) {
  session_->AddInput(sample_);
  std::string script = "lwhgmlin\n!answer no\n!answer " + session_->At("input") + "\n!dlg_click 381\n";
  for (int id : {203, 204, 201, 202, 205, 213, 206, 207, 208}) script += "!dlg_set " + std::to_string(id) + " 0\n";
  script += "!dlg_click 1\n!dlg_click 1\n!dlg_click 2\n!save " + session_->At("out.dxf") + "\n";
  const SessionRun run = session_->Run(script);
  ASSERT_EQ(run.status, 0) << run.output;
  const std::vector<std::string> boxes = run.MessageBoxes();
  EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(),
                          [](const std::string& box) { return box.find("Nothing to draw: no feature kind is chosen") != std::string::npos; }),
            1)
      << run.transcript;
  EXPECT_FALSE(LinesDrawn());
}

}  // namespace
