// The import command run as the user runs it: the main dialog answered by
// script actions, drawing into the current drawing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gml/settings/tests/dialog_fixture.h"
#include "gml/ui/varnel_commands.h"
#include "gml/writer/import_run.h"
#include "host/app/documents.h"
#include "host/db/database.h"
#include "host/editor/system_variables.h"

namespace {

namespace fs = std::filesystem;

fs::path SharedSample(const char* name) {
  return fs::path(VARNEL_SHARED_DIR) / "testdata" / "osmm" / name;
}

class ImportRunTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_EQ(host::NewDrawing(), host::Status::kNormal);
  }
  void TearDown() override {
    (void)host::CloseDrawing();
    DialogTest::TearDown();
  }
  int EntityCount() {
    host::db::Database* db = host::db::WorkingDatabase();
    return static_cast<int>(db->EntitiesIn(db->ModelSpace()).size());
  }
  // A folder holding `sample` only, as the folder choice takes it.
  std::wstring InputFolder(const char* sample) {
    const fs::path input = fs::path(Path("input"));
    fs::create_directories(input);
    fs::copy_file(SharedSample(sample), input / sample, fs::copy_options::overwrite_existing);
    return input.wstring();
  }
};

TEST_F(ImportRunTest, DrawsTheChosenFolderIntoTheDrawingAndRestoresOsmode) {
  if (!fs::exists(SharedSample("topo-small-v7.gml"))) GTEST_SKIP() << "no shared samples";
  ASSERT_EQ(host::SetSystemVariable(L"OSMODE", 37), host::Status::kNormal);
  Push("answer", {L"no"});
  Push("answer", {InputFolder("topo-small-v7.gml")});
  Push("dlg_click", {L"1"});
  Push("answer", {Folder()});
  RunGmlImport();
  EXPECT_GT(EntityCount(), 10);
  EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 37);
}

TEST_F(ImportRunTest, NothingChosenOrCancelledDrawsNothing) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::wstring>> actions;
  };
  const Case cases[] = {
      {"picker cancelled", {{"answer", L"no"}, {"answer", L"cancel"}}},
      {"folder without GML", {{"answer", L"no"}, {"answer", L"/"}}},
      {"dialog cancelled", {{"answer", L"no"}, {"answer", L"@input"}, {"dlg_click", L"2"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& [verb, arg] : c.actions)
      Push(verb, {arg == L"@input" ? InputFolder("topo-small-v7.gml") : arg});
    RunGmlImport();
    EXPECT_EQ(EntityCount(), 0);
    EXPECT_TRUE(host::Actions().Empty());
    host::Actions().Clear();
  }
}

TEST(ImportRunFrame, SizeFactorsAndBatchFileNames) {
  EXPECT_EQ(ImportSizeFactor(0, 0), 0.4);
  EXPECT_EQ(ImportSizeFactor(3, 0), 8.0);
  EXPECT_EQ(ImportSizeFactor(4, 2500), 2.0);
  EXPECT_EQ(ImportSizeFactor(7, 2500), 2.0);
  EXPECT_EQ(BatchDrawingPath(L"/out", L"Mill Lane", 0), L"/out/Mill Lane.dwg");
  EXPECT_EQ(BatchDrawingPath(L"/out/", L"", 2), L"/out/Batch 2.dwg");
  EXPECT_EQ(BatchDrawingPath(L"/out", L"A/B: \"x\"?", 1), L"/out/A_B_ _x__.dwg");
}

}  // namespace
