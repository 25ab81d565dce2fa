#include "host/system/replace_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "host/system/fault.h"
#include "host/system/files.h"
#include "host/system/tests/temp_folder_fixture.h"

namespace host {
namespace {

class ReplaceFileTest : public host::testing::TempFolderTest {
 protected:
  // The names in the folder, "." and ".." left out.
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (const FileInfo& info : ListFolder(Path() + L"/*"))
      if (info.name != L"." && info.name != L"..") names.push_back(info.name);
    return names;
  }
};

TEST_F(ReplaceFileTest, CommitPutsTheNewFileInPlaceWithNoTemporaryLeft) {
  struct Case {
    const char* label;
    bool fixed_temporary;
    bool old_file;
  };
  const Case cases[] = {
      {"new name, no old file", false, false},
      {"new name, old file", false, true},
      {"fixed name, no old file", true, false},
      {"fixed name, old file", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    (void)RemoveFile(Path("t.ini"));
    if (c.old_file) Write("t.ini", "old contents that are longer\n");
    // A fixed temporary file that exists is emptied first.
    if (c.fixed_temporary) Write("t.in&", "left from before");
    ReplacementFile out;
    ASSERT_TRUE(c.fixed_temporary ? out.Begin(Path("t.ini"), Path("t.in&")) : out.Begin(Path("t.ini")));
    EXPECT_TRUE(out.Write("new\n"));
    EXPECT_TRUE(out.Write("lines\n", 6));
    EXPECT_EQ(Read("t.ini"), c.old_file ? "old contents that are longer\n" : "");
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(Read("t.ini"), "new\nlines\n");
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
    EXPECT_FALSE(out.Commit()) << "a second commit has nothing to put in place";
  }
}

TEST_F(ReplaceFileTest, AFailureAtAnyStepKeepsTheOldFile) {
  int failures = 0;
  for (int succeed = 0;; ++succeed) {
    SCOPED_TRACE(succeed);
    Write("t.ini", "old");
    bool committed = false;
    {
      ScopedFault fault(FaultPoint::SaveFile, succeed);
      ReplacementFile out;
      ASSERT_TRUE(out.Begin(Path("t.ini")));
      for (const char* line : {"one\n", "two\n", "three\n"}) out.Write(line);
      committed = out.Commit();
      if (FaultsFired(FaultPoint::SaveFile) == 0) {
        EXPECT_TRUE(committed);
        break;
      }
    }
    ++failures;
    EXPECT_FALSE(committed);
    EXPECT_EQ(Read("t.ini"), "old");
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
  }
  EXPECT_EQ(failures, 3 + 1) << "each write, then the replacement";
  EXPECT_EQ(Read("t.ini"), "one\ntwo\nthree\n");
}

TEST_F(ReplaceFileTest, GivingUpKeepsTheOldFile) {
  Write("t.ini", "old");
  {
    ReplacementFile out;
    ASSERT_TRUE(out.Begin(Path("t.ini")));
    out.Write("new");
    EXPECT_EQ(Names().size(), 2u);
  }  // never committed
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
  {
    ReplacementFile out;
    ASSERT_TRUE(out.Begin(Path("t.ini"), Path("t.in&")));
    out.Write("new");
    out.Abandon();
    EXPECT_FALSE(out.Commit());
  }
  {
    ReplacementFile out;
    ASSERT_TRUE(out.Begin(Path("t.ini")));
    out.Write("new");
    out.Fail();  // the caller's own step failed
    EXPECT_FALSE(out.Ok());
    EXPECT_FALSE(out.Write("more"));
    EXPECT_FALSE(out.Commit());
  }
  EXPECT_EQ(Read("t.ini"), "old");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
}

TEST_F(ReplaceFileTest, BeginFailsWhereNoFileCanBeMade) {
  ReplacementFile out;
  EXPECT_FALSE(out.Begin(Path("no/such/t.ini")));
  EXPECT_FALSE(out.Begin(Path("no/such/t.ini"), Path("no/such/t.in&")));
  EXPECT_FALSE(out.Begin(Path() + std::wstring(L"/t\0.ini", 7)));  // a unit no Linux path holds
  EXPECT_FALSE(out.Begin(L""));
  EXPECT_FALSE(out.Begin(Path("t.ini"), Path("t.ini")));  // the target as its own temporary
  EXPECT_FALSE(out.Ok());
  EXPECT_FALSE(out.Write("x"));
  EXPECT_FALSE(out.Commit());
  EXPECT_TRUE(Names().empty());
}

TEST_F(ReplaceFileTest, CommitAsNewNeverReplaces) {
  Write("t.ini", "old");
  ReplacementFile out;
  ASSERT_TRUE(out.Begin(Path("t.ini")));
  out.Write("new");
  EXPECT_FALSE(out.CommitAsNew());
  EXPECT_EQ(Read("t.ini"), "old");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});

  ASSERT_TRUE(out.Begin(Path("u.ini")));
  out.Write("new");
  ASSERT_TRUE(out.CommitAsNew());
  EXPECT_EQ(Read("u.ini"), "new");
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"t.ini", L"u.ini"}));
}

TEST_F(ReplaceFileTest, KeepsTheGivenModeAndTimes) {
  ReplacementFile out;
  ASSERT_TRUE(out.Begin(Path("t.ini")));
  out.Write("text");
  const std::timespec when{1100000000, 0};
  out.KeepModeAndTimes(0444, when, when);
  ASSERT_TRUE(out.Commit());
  const std::optional<FileInfo> info = GetFileInfo(Path("t.ini"));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->attributes, kAttributeReadOnly);
  EXPECT_EQ(info->last_write_time, UnixTimeToFileTime(1100000000, 0));
  EXPECT_EQ(Read("t.ini"), "text");
}

}  // namespace
}  // namespace host
