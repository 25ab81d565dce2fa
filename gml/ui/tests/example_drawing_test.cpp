// The inspection commands in cadhost, on a drawing the writer made from the
// example data as the reader reads it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "common/containers/text.h"
#include "gml/reader/osgml_input_view.h"
#include "gml/writer/feature_pass.h"
#include "gml/writer/os_xdata_record.h"
#include "gml/writer/tests/pass_fixture.h"
#include "gml/writer/tests/writer_fixture.h"
#include "common/containers/grow_array.h"
#include "host/db/drawing_file.h"

namespace {

namespace fs = std::filesystem;

class ExampleDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("gml_ui_example_" + std::to_string(getpid()));
    fs::create_directories(dir_);
    writer_test::RunCommand("/usr/bin/python3 '" VARNEL_SOURCE_DIR "/tools/make_example_data.py' '" + dir_.string() +
                            "'");
    view_ = std::make_unique<OSGMLInputView>();
    for (const char* name : {"example-topo.gml", "example-itn.gml"})
      ASSERT_TRUE(view_->AppendInputFile((dir_ / name).string().c_str()));
    ASSERT_EQ(view_->ProcessGmlFiles(1, L"Stop draw", 0), 1);
    pass_test::PassDrawing drawing;
    FeatureDrawingRun run{drawing.settings};
    run.StartRun();
    ASSERT_TRUE(drawing.Pass(run, FeatureListsOf(*view_), false));
    ASSERT_TRUE(host::db::SaveDrawing(drawing.db, (dir_ / "example.dxf").wstring()).ok());
    // The handles of the first area's outline and of a road link.
    ShowOSGmlXdata viewer;
    for (host::db::ObjectId id : drawing.db.EntitiesIn(drawing.db.ModelSpace())) {
      viewer.entity = id;
      viewer.ClearXdata();
      viewer.ReadXdata();
      char handle[32];
      std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(id.handle));
      if (viewer.Kind() == L"5" && outline_.empty()) {
        outline_ = handle;
        toid_ = WideToNarrow(viewer.Toid());
        area_ = viewer.slots[0x0C];
      }
      if (viewer.Kind() == L"8" && link_.empty()) link_ = handle;
    }
    ASSERT_FALSE(outline_.empty());
    ASSERT_FALSE(link_.empty());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Runs cadhost with Varnel on the drawing; the transcript.
  std::string Run(const std::string& script) const {
    std::ofstream(dir_ / "script.txt", std::ios::binary) << script;
    const std::string cmd = "cd '" + dir_.string() + "' && '" CADHOST_PATH "' --addin '" VARNEL_PATH
                            "' --registry registry.txt --support '" VARNEL_SOURCE_DIR
                            "/support' --open example.dxf --transcript transcript.txt script.txt > out.txt 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << writer_test::RunCommand("cat '" + (dir_ / "out.txt").string() + "'");
    std::ifstream in(dir_ / "transcript.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir_;
  std::unique_ptr<OSGMLInputView> view_;
  std::string outline_, link_, toid_;
  std::wstring area_;
};

TEST_F(ExampleDrawing, AreaLocateAndAttributesThroughCadhost) {
  const std::string transcript = Run("lwhgmlra\n!select " + outline_ + " " + link_ +
                                     "\n"
                                     "lwhgmllo\n!dlg_click 275\n!dlg_set 274 " +
                                     toid_ + "\n!dlg_click 1\n!select " + link_ + " " + outline_ +
                                     "\n"
                                     "lwhgmlsw\n!pick " +
                                     outline_ + "\n!dlg_click 1\n");
  const double area = std::wcstod(area_.c_str(), nullptr);
  char expected[200];
  std::snprintf(expected, sizeof expected,
                "Area = %.0f sq. metres from 1 entity (but 1 entity did not have OS area info)", area);
  EXPECT_NE(transcript.find(expected), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("ZOOM"), std::string::npos);
  EXPECT_EQ(transcript.find("was not found"), std::string::npos);
  EXPECT_NE(transcript.find("input\tE"), std::string::npos) << "the pick found the outline";
  EXPECT_NE(transcript.find("dialog\tend \"Polygon\" -> 1"), std::string::npos) << transcript;

  // The attributes the commands read are those of the feature in the GML.
  bool found = false;
  for (std::int32_t i = 0; i < view_->areas.count && !found; ++i) {
    AreaFeatureRecord record{};
    ASSERT_TRUE(PagedGrowArrayGet(&view_->areas, i, &record));
    if (toid_ != record.attributes.common.toid) continue;
    found = true;
    char value[64];
    std::snprintf(value, sizeof value, "%.3lf", record.attributes.calculatedAreaValue);
    EXPECT_EQ(WideToNarrow(area_), value);
  }
  EXPECT_TRUE(found) << toid_;
}

}  // namespace
