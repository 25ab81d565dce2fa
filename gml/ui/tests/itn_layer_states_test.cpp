// The ITN layers as an import leaves them: the node, link and road layers
// each take the on, frozen and locked states the ITN settings give their
// own class.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gml/ui/varnel_commands.h"
#include "gml/writer/tests/writer_fixture.h"
#include "host/app/documents.h"
#include "host/db/database.h"
#include "host/system/environment.h"
#include "ui_fixture.h"

namespace {

namespace fs = std::filesystem;

class ItnLayerStates : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    host::HideEnvironmentVariable(L"LARINI");
    CopyDefaultSupport();
    const fs::path data = root_ / "data";
    fs::create_directories(data);
    fs::create_directories(root_ / "input");
    writer_test::RunCommand("/usr/bin/python3 '" + std::string(VARNEL_SOURCE_DIR) +
                            "/tools/make_example_data.py' '" +
                            data.string() + "'");
    ASSERT_TRUE(fs::exists(data / "example-itn.gml"));
    fs::copy_file(data / "example-itn.gml", root_ / "input" / "example-itn.gml");
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  }
  void TearDown() override {
    (void)host::CloseDrawing();
    host::ClearEnvironmentOverrides();
    UiTest::TearDown();
  }
  // Sets "[<key>] <value>" in the support folder's settings file.
  void SetKey(const std::string& key, const std::string& value) {
    std::string ini = Read("support/lwh_gml.ini");
    const std::size_t at = ini.find("[" + key + "]");
    ASSERT_NE(at, std::string::npos) << key;
    const std::size_t end = ini.find('\n', at);
    ini.replace(at, end - at, "[" + key + "] " + value);
    Write("support/lwh_gml.ini", ini);
  }
};

std::string States(const host::db::LayerRecord& layer) {
  return std::string(layer.off ? "off" : "on") + (layer.frozen ? " frozen" : "") +
         (layer.locked ? " locked" : "");
}

TEST_F(ItnLayerStates, EachClassTakesTheStatesOfItsOwnSettings) {
  SetKey("Road node layer is on:", "Yes");
  SetKey("Road node layer is frozen:", "Yes");
  SetKey("Road node layer is locked:", "No");
  SetKey("Road link layer is on:", "Yes");
  SetKey("Road link layer is frozen:", "No");
  SetKey("Road link layer is locked:", "Yes");
  SetKey("Road layer is on:", "No");
  SetKey("Road layer is frozen:", "No");
  SetKey("Road layer is locked:", "No");
  Push("answer", {L"no"});
  Push("answer", {At("input")});
  Click(host::ui::kIdOk);             // Draw
  Push("answer", {At("elsewhere")});  // the CSV folder
  RunGmlImport();
  EXPECT_TRUE(host::Actions().Empty());

  const host::db::Database& db = *host::db::WorkingDatabase();
  int links = 0;
  for (const host::db::LayerRecord& layer : db.Layers()) {
    if (layer.erased || layer.name.rfind(L"ITN_", 0) != 0) continue;
    SCOPED_TRACE(std::string(layer.name.begin(), layer.name.end()));
    if (layer.name == L"ITN_Road Nodes") {
      EXPECT_EQ(States(layer), "on frozen");
    } else if (layer.name == L"ITN_Roads") {
      EXPECT_EQ(States(layer), "off");
    } else {
      EXPECT_EQ(States(layer), "on locked");  // a link layer, by term and nature
      ++links;
    }
  }
  EXPECT_GT(links, 0);
  EXPECT_NE(db.Layer(L"ITN_Road Nodes"), host::db::ObjectId{});
  EXPECT_NE(db.Layer(L"ITN_Roads"), host::db::ObjectId{});
}

}  // namespace
