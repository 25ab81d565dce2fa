// Copying support folders: the protected-files list, the copy and what it
// reports.
#include "startup/support_copy.h"

#include <sys/stat.h>

#include "startup/protected_files.h"
#include "startup/tests/product_fixture.h"

namespace startup_test {
namespace {

TEST(ProtectedFilesList, NamesFollowTheStartLine) {
  const std::string longName(300, 'n');
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::wstring> names;
  } cases[] = {
      {"no start line protects nothing", "keep.ini\nother.ini\n", {}},
      {"lines before the start line and the line itself are no names",
       "a.ini\n# List of protected files start: (commented out)\nList of protected files start: x.ini\nb.ini\n",
       {L"b.ini"}},
      {"a comment is cut; the blank before it stays in the name",
       "List of protected files start:\nkeep.ini # mine\nplain.ini#x\n# only a comment\n",
       {L"keep.ini ", L"plain.ini"}},
      {"one-character and empty lines are no names", "List of protected files start:\nk\n\n \nab\n", {L"ab"}},
      {"CRLF line ends; a last line without a line end keeps every character",
       "List of protected files start:\r\nfirst.ini\r\nlast.ini", {L"first.ini", L"last.ini"}},
      {"names of any length are kept whole", "List of protected files start:\n" + longName + "\n",
       {std::wstring(300, L'n')}},
      {"bytes above 127 become the units of the same number", "List of protected files start:\nst\xe9.ini\n",
       {L"st\u00e9.ini"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ParseProtectedFiles(c.text), c.names);
  }

  std::string many = "List of protected files start:\n";
  for (int i = 0; i < 500; ++i) many += "file" + std::to_string(i) + ".ini\n";
  const std::vector<std::wstring> names = ParseProtectedFiles(many);
  ASSERT_EQ(names.size(), 500u);
  EXPECT_EQ(names.back(), L"file499.ini");
}

class SupportCopyTest : public ProductTest {
 protected:
  int Copy(int mode, bool* menu = nullptr, int* failed = nullptr) {
    source_ = Wide(ProgramSupport());
    destination_ = Wide(Dir("dest"));
    return CopySupportFiles(source_, destination_, mode, menu, failed);
  }
  std::wstring source_, destination_;
};

TEST_F(SupportCopyTest, FirstCopyCopiesEveryFileAndReportsBetweenDashLines) {
  Dir("product/support/subfolder");
  int failed = -1;
  const int copied = Copy(kSupportCopyFirst, nullptr, &failed);
  EXPECT_EQ(copied, 6 + kPlainSupportFiles);  // every file, the subfolder left out
  EXPECT_EQ(failed, 0);
  // The caller's folder texts come back with their separators.
  EXPECT_EQ(source_, Wide(ProgramSupport() + "/"));
  EXPECT_EQ(destination_, Wide(Path("dest") + "/"));
  EXPECT_EQ(ReadFile(Path("dest/keep.ini")), "product settings\n");
  EXPECT_EQ(ReadFile(Path("dest/lwh_gml.ver")), "3.25\n");
  EXPECT_FALSE(fs::exists(Path("dest/subfolder")));
  const std::string dashes(66, '-');
  ExpectInOrder(CommandLine(), {dashes, "Start copying Orvane support files", "From: " + ProgramSupport() + "/",
                                "To: " + Path("dest") + "/", std::to_string(copied) + " files copied.", dashes});
  // A first copy does not announce the list.
  EXPECT_EQ(CommandLine().find("protected_files.txt"), std::string::npos);
}

TEST_F(SupportCopyTest, ListedFilesTheDestinationHoldsAreKeptInBothModes) {
  for (int mode : {kSupportCopyFirst, kSupportCopyUpdate}) {
    SCOPED_TRACE(mode);
    ResetProtectedFiles();
    host::ClearCommandLine();
    Put("dest/keep.ini", "the user's own\n");
    const int copied = Copy(mode);
    EXPECT_EQ(copied, 5 + kPlainSupportFiles);
    EXPECT_EQ(ReadFile(Path("dest/keep.ini")), "the user's own\n");
    const bool announced =
        CommandLine().find("Found 1 files in \"protected_files.txt\" - those files will not be overwritten.") !=
        std::string::npos;
    EXPECT_EQ(announced, mode == kSupportCopyUpdate);
  }
  // A listed file the destination lacks is copied; names match with case ignored.
  fs::remove(Path("dest/keep.ini"));
  Put("product/support/protected_files.txt", "List of protected files start:\nKEEP.INI\n");
  ResetProtectedFiles();
  Copy(kSupportCopyUpdate);
  EXPECT_EQ(ReadFile(Path("dest/keep.ini")), "product settings\n");
  Put("dest/keep.ini", "edited again\n");
  Copy(kSupportCopyUpdate);
  EXPECT_EQ(ReadFile(Path("dest/keep.ini")), "edited again\n");
}

TEST_F(SupportCopyTest, TheListIsReadOnceForTheProcessFromTheFirstSource) {
  Put("dest/keep.ini", "mine\n");
  Put("other/protected_files.txt", "List of protected files start:\nfile0.txt\n");
  Put("other/keep.ini", "other product\n");
  Copy(kSupportCopyUpdate);  // reads product/support's list
  std::wstring other = Wide(Path("other")), destination = Wide(Path("dest"));
  CopySupportFiles(other, destination, kSupportCopyUpdate, nullptr);
  EXPECT_EQ(ReadFile(Path("dest/keep.ini")), "mine\n");  // still protected by the first list
}

TEST_F(SupportCopyTest, ReadOnlyFilesAreWritableAfterwards) {
  Put("dest/file0.txt", "old\n");
  Put("dest/keep.ini", "mine\n");
  chmod(Path("dest/file0.txt").c_str(), 0444);
  chmod(Path("dest/keep.ini").c_str(), 0444);
  chmod(Path("product/support/file1.txt").c_str(), 0444);
  Copy(kSupportCopyUpdate);
  EXPECT_EQ(ReadFile(Path("dest/file0.txt")), "v1\n");
  for (const char* name : {"dest/file0.txt", "dest/keep.ini", "dest/file1.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(fs::status(Path(name)).permissions() & fs::perms::owner_write, fs::perms::none);
  }
  EXPECT_EQ(ReadFile(Path("dest/keep.ini")), "mine\n");  // writable, but kept
}

TEST_F(SupportCopyTest, AMenuThatDiffersFromTheUsersCopySetsTheFlag) {
  Put("product/support/ORVANE.MNU", "menu v2\n");
  bool menu = true;
  Copy(kSupportCopyFirst, &menu);
  EXPECT_FALSE(menu);  // no copy of the user's to differ from

  // The same size, another modification time.
  Put("dest/ORVANE.MNU", "menu v1\n");
  fs::last_write_time(Path("dest/ORVANE.MNU"), fs::last_write_time(Path("dest/ORVANE.MNU")) - std::chrono::hours(1));
  Copy(kSupportCopyUpdate, &menu);
  EXPECT_TRUE(menu);
  Copy(kSupportCopyUpdate, &menu);  // now the same
  EXPECT_FALSE(menu);
}

TEST_F(SupportCopyTest, AFailedCopyIsNotCountedAndTheVersionFileWaits) {
  Dir("dest/file3.txt");  // a folder where a file should go
  int failed = 0;
  const int copied = Copy(kSupportCopyUpdate, nullptr, &failed);
  EXPECT_EQ(failed, 1);  // file3.txt alone: the version file held back is no failure
  EXPECT_EQ(copied, 4 + kPlainSupportFiles);
  EXPECT_FALSE(fs::exists(Path("dest/lwh_gml.ver")));
  ExpectInOrder(CommandLine(), {std::to_string(copied) + " files updated."});

  int none = 0;
  std::wstring missing = Wide(Path("no-such-folder")), destination = Wide(Path("dest"));
  EXPECT_EQ(CopySupportFiles(missing, destination, kSupportCopyUpdate, nullptr, &none), 0);
  EXPECT_EQ(none, 0);
}

}  // namespace
}  // namespace startup_test
