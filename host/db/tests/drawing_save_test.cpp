// Saving a drawing over a file the user set up: the reasons a save is
// refused or fails reach the message.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/db/drawing_file.h"
#include "host/system/fault.h"
#include "host/system/tests/temp_folder_fixture.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

namespace fs = std::filesystem;

class DrawingSaveTest : public host::testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    (void)db_.Append(LineData{{0, 0, 0}, {1, 1, 0}});
  }
  void TearDown() override {
    DisarmAllFaults();
    TempFolderTest::TearDown();
  }
  std::string PathOf(const std::string& name) const { return root_ + "/" + name; }

  Database db_;
};

TEST_F(DrawingSaveTest, AFailedSaveSaysWhyAndKeepsTheOldFile) {
  std::ofstream(PathOf("full.dxf")) << "old";
  std::ofstream(PathOf("locked.dxf")) << "old";
  ASSERT_EQ(::chmod(PathOf("locked.dxf").c_str(), 0444), 0);
  struct Case {
    const char* name;
    int fault_after;  // SaveFile checks passed before a full disk; -1 none
    const char* reason;
  };
  const Case cases[] = {
      {"full.dxf", 0, "No space left on device"},   // the first write
      {"full.dxf", 1, "No space left on device"},   // the step before the rename
      {"locked.dxf", -1, "the file is read-only"},  // refused by its mode, root or not
      {"locked.dwg", -1, "the file is read-only"},  // the DXF beside a .dwg name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.fault_after));
    if (c.fault_after >= 0) ArmFault(FaultPoint::SaveFile, c.fault_after, 1, ENOSPC);
    Result<std::int64_t> saved = SaveDrawing(db_, PathOf(c.name));
    DisarmAllFaults();
    EXPECT_FALSE(saved.ok());
    EXPECT_NE(saved.message.find(WidenText(c.reason)), std::wstring::npos) << NarrowText(saved.message);
    EXPECT_EQ(saved.message.find(L"write failed"), std::wstring::npos);
  }
  EXPECT_EQ(Read("full.dxf"), "old");
  EXPECT_EQ(Read("locked.dxf"), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2);
}

TEST_F(DrawingSaveTest, SavingKeepsTheModeAndTheLink) {
  std::ofstream(PathOf("plan.dxf")) << "old";
  ASSERT_EQ(::chmod(PathOf("plan.dxf").c_str(), 0640), 0);
  fs::create_symlink("plan.dxf", PathOf("current.dxf"));
  ASSERT_TRUE(SaveDrawing(db_, PathOf("current.dwg")));
  EXPECT_TRUE(fs::is_symlink(PathOf("current.dxf")));
  EXPECT_NE(Read("plan.dxf").find("LINE"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat(PathOf("plan.dxf").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  Database back(Database::Content::kEmpty);
  EXPECT_TRUE(ReadDrawing(back, PathOf("current.dxf")));
  EXPECT_EQ(back.EntitiesIn(back.ModelSpace()).size(), 1u);
}

}  // namespace
}  // namespace host::db
