// The support folder check of each drawing load: first set-up, version
// updates, trusted paths, and every way a set-up can fail.
#include "startup/support_folder_check.h"

#include <memory>

#include "startup/profile_switch.h"
#include "startup/trusted_paths.h"
#include "startup/tests/product_fixture.h"

namespace startup_test {
namespace {

class SupportFolderCheckTest : public ProductTest {
 protected:
  std::string NewPath() { return Local() + ";" + Program() + ";"; }
  void ExpectUserProfileCurrent() {
    EXPECT_EQ(host::CurrentProfileName(), L"Default");
    EXPECT_FALSE(host::ProfileExists(kTempProfileName));
  }
};

TEST_F(SupportFolderCheckTest, FirstLoadSetsUpTheLocalFolderFirstOnTheSupportPath) {
  // A temporary profile left over by an earlier run goes too.
  ASSERT_TRUE(host::CopyProfile(L"Default", kTempProfileName, L"left over"));
  EXPECT_TRUE(RunSupportFolderCheck());
  for (const char* name : {"lwh_gml.dat", "derivavi.dwg", "duzizov.dcl", "keep.ini", "file5.txt"})
    EXPECT_EQ(ReadFile(Local() + name), ReadFile(ProgramSupport() + "/" + name)) << name;
  EXPECT_EQ(ReadFile(Local() + "is_local_support_dir.txt"),
            Local() + "\n\nThis folder is used by Orvane as local support folder.");
  EXPECT_EQ(SupportPathText(), NewPath());
  ExpectUserProfileCurrent();
  EXPECT_EQ(TrustedPaths(), Local() + ";" + Program() + "/;");
  ExpectInOrder(CommandLine(), {"Checking Orvane user support folder... Needs adjustment....",
                                "Start copying Orvane support files", "12 files copied.",
                                "Orvane user support folder adjusted OK.", "Orvane paths added to trusted paths."});
  ASSERT_EQ(Alerts().size(), 1u);
  EXPECT_EQ(Narrow(Alerts()[0]),
            "Orvane Support files copied to " + Local() +
                " during final setup.\n\nNow please use \"menuload <Enter>\" command on AutoCAD's command prompt to "
                "load Orvane menu. At \"File name\" field type \"Orvane.mnu\" and click the \"Load\" button.");

  // The next load finds everything in place and changes nothing.
  host::ClearCommandLine();
  host::Shown().Clear();
  EXPECT_FALSE(RunSupportFolderCheck());
  EXPECT_EQ(CommandLine(), "\nChecking Orvane user support folder... It's OK, checking version... OK too.");
  EXPECT_EQ(SupportPathText(), NewPath());
  EXPECT_EQ(TrustedPaths(), Local() + ";" + Program() + "/;");
  EXPECT_TRUE(Alerts().empty());
}

TEST_F(SupportFolderCheckTest, ANewerProgramVersionUpdatesAllButProtectedFiles) {
  Put("product/support/orvane.mnu", "menu 1\n");
  ASSERT_TRUE(RunSupportFolderCheck());
  Put(Local().substr(Path("").size()) + "keep.ini", "the user's settings\r\n");
  Put("product/support/lwh_gml.ver", "3.26\n");
  Put("product/support/file0.txt", "v2\n");
  Put("product/support/orvane.mnu", "menu 2, longer\n");
  ResetProtectedFiles();  // a new session
  host::ClearCommandLine();
  host::Shown().Clear();

  EXPECT_FALSE(RunSupportFolderCheck());
  EXPECT_EQ(ReadFile(Local() + "keep.ini"), "the user's settings\r\n");
  EXPECT_EQ(ReadFile(Local() + "file0.txt"), "v2\n");
  EXPECT_EQ(ReadFile(Local() + "lwh_gml.ver"), "3.26\n");
  ExpectInOrder(CommandLine(),
                {" It's OK, checking version... update required.", "Start updating Orvane support files",
                 "Found 1 files in \"protected_files.txt\" - those files will not be overwritten.",
                 "12 files updated.", "Support files updated from v.3.2500 to v.3.2600."});
  ASSERT_EQ(Alerts().size(), 2u);
  EXPECT_EQ(Alerts()[0], L"Orvane Updated.");
  EXPECT_EQ(Alerts()[1],
            L"Orvane Support files updated from v.3.2500 to v.3.2600\n\nA new Orvane Menu was also installed, "
            L"please run \"MENULOAD\" command\nand reload Orvane menu.");

  host::ClearCommandLine();
  EXPECT_FALSE(RunSupportFolderCheck());
  EXPECT_EQ(CommandLine(), "\nChecking Orvane user support folder... It's OK, checking version... OK too.");

  // An update that fails part-way says so and is tried again at the next load.
  Put("product/support/lwh_gml.ver", "3.27\n");
  Put("product/support/file1.txt", "v3\n");
  fs::remove(Local() + "file4.txt");
  Dir(Local().substr(Path("").size()) + "file4.txt");
  host::ClearCommandLine();
  host::Shown().Clear();
  RunSupportFolderCheck();
  ExpectInOrder(CommandLine(), {"update required.", "Warning: 1 Orvane support file could not be updated, the "
                                                    "update will be tried again.\n"});
  EXPECT_EQ(CommandLine().find("Support files updated"), std::string::npos);
  EXPECT_EQ(ReadFile(Local() + "file1.txt"), "v3\n");
  EXPECT_EQ(ReadFile(Local() + "lwh_gml.ver"), "3.26\n");
  EXPECT_TRUE(Alerts().empty());
  // Two failed copies: two files said.
  fs::remove(Local() + "file5.txt");
  Dir(Local().substr(Path("").size()) + "file5.txt");
  host::ClearCommandLine();
  RunSupportFolderCheck();
  ExpectInOrder(CommandLine(), {"Warning: 2 Orvane support files could not be updated"});
  fs::remove(Local() + "file4.txt");
  fs::remove(Local() + "file5.txt");
  host::ClearCommandLine();
  RunSupportFolderCheck();
  ExpectInOrder(CommandLine(), {"update required.", "Support files updated from v.3.2600 to v.3.2700."});
}

TEST_F(SupportFolderCheckTest, VersionFiles) {
  struct Case {
    const char* text;  // nullptr: no file
    double version;
  } cases[] = {{nullptr, -1.0}, {"", -1.0}, {"3.25\n", 3.25}, {"  4.5 beta\r\n2\n", 4.5}, {"damaged", 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(no file)");
    fs::remove(Path("v.ver"));
    if (c.text) Put("v.ver", c.text);
    EXPECT_EQ(ReadSupportVersion(Wide(Path("v.ver"))), c.version);
  }

  // A local version file without a line asks for an update; without the
  // program's version file the check is inconclusive and copies nothing.
  ASSERT_TRUE(RunSupportFolderCheck());
  Put(Local().substr(Path("").size()) + "lwh_gml.ver", "");
  Put("product/support/file0.txt", "v2\n");
  host::ClearCommandLine();
  fs::rename(Path("product/support/lwh_gml.ver"), Path("product/lwh_gml.ver.away"));
  RunSupportFolderCheck();
  EXPECT_EQ(CommandLine(), "\nChecking Orvane user support folder... It's OK, checking version...\nVersion check was "
                           "inconclusive: File " + ProgramSupport() + "/lwh_gml.ver was not found.\n OK too.");
  fs::remove(Path("product/corvex2.dcl"));
  host::ClearCommandLine();
  RunSupportFolderCheck();
  ExpectInOrder(CommandLine(), {"Version check was inconclusive: LWH program folder not found.\n OK too."});
  EXPECT_EQ(ReadFile(Local() + "file0.txt"), "v1\n");

  Put("product/corvex2.dcl", "");
  fs::rename(Path("product/lwh_gml.ver.away"), Path("product/support/lwh_gml.ver"));
  host::ClearCommandLine();
  RunSupportFolderCheck();
  ExpectInOrder(CommandLine(), {"update required.", "Support files updated from v.-1.0000 to v.3.2500."});
  EXPECT_EQ(ReadFile(Local() + "file0.txt"), "v2\n");
}

TEST_F(SupportFolderCheckTest, WithoutAUserSupportFolderOnlyTheTrustedPathsAreLookedAt) {
  host::SetSupportPathText(Wide(Program()));
  EXPECT_FALSE(RunSupportFolderCheck());
  EXPECT_EQ(CommandLine(), "\nChecking Orvane user support folder...");
  EXPECT_FALSE(fs::exists(Path("appdata/LarchWOOD-HILL")));
}

// Each failed set-up prints its warning, never the success line, and leaves
// the user's profile current with its support path as it was.
TEST_F(SupportFolderCheckTest, AFailedSetUpLeavesTheProfileAsItWas) {
  struct Case {
    const char* what;
    std::function<void(SupportFolderCheckTest*)> arrange;
    std::string warning;
  } cases[] = {
      {"no profile name", [](auto*) { host::FailSystemVariable(L"CPROFILE", host::SysVarOp::kGet, 0, 1); },
       "Warning: (1) Could not figure the current AutoCAD profile name....."},
      {"no program entry on the path",
       [](auto* t) {
         t->Put("other/derivavi.dwg", "");
         host::SetSupportPathText(Wide(t->Program() + ";" + t->Path("other")));
       },
       "Warning: (4) Could not find Orvane paths (2) paths found, Orvane = -1\n"},
      {"no application-data folder", [](auto*) { host::HideEnvironmentVariable(L"APPDATA"); },
       "Warning: (5) Could not find Windows appdata variable....."},
      {"a file where a folder should be", [](auto* t) { t->Put("appdata/LarchWOOD-HILL", "x"); },
       "Warning: (6) Could not find copy Orvane support files....."},
      {"a file that cannot be copied",
       [](auto* t) { t->Dir("appdata/LarchWOOD-HILL/Orvane/3.25/support/file2.txt"); },
       "Warning: (6) Could not find copy Orvane support files....."},
      {"the marker cannot be written",
       [](auto* t) { t->Dir("appdata/LarchWOOD-HILL/Orvane/3.25/support/is_local_support_dir.txt"); },
       "Warning: (7) Could not create is_local_support_dir.txt....."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("appdata"));
    fs::remove_all(Path("other"));
    Dir("appdata");
    ResetHost();
    host::SetEnvironmentOverride(L"APPDATA", Wide(Path("appdata")));
    host::HideEnvironmentVariable(L"VMRINI");
    host::HideEnvironmentVariable(L"LARINI");
    host::SetSupportPathText(Wide(Program() + ";" + ProgramSupport()));
    c.arrange(this);
    const std::string before = SupportPathText();

    EXPECT_FALSE(RunSupportFolderCheck());
    if (!c.warning.empty()) ExpectInOrder(CommandLine(), {c.warning});
    ExpectInOrder(CommandLine(), {" Problems with user support folder adjustment.\n"});
    EXPECT_EQ(CommandLine().find("adjusted OK"), std::string::npos);
    EXPECT_EQ(host::CurrentProfileName(), L"Default");
    EXPECT_EQ(SupportPathText(), before);
    EXPECT_EQ(TrustedPaths(), "");
    EXPECT_TRUE(Alerts().empty());
    EXPECT_FALSE(host::ProfileExists(kTempProfileName));
  }
}

// Every write of the registry store and every file copy fails in turn.
TEST_F(SupportFolderCheckTest, AFailureAtAnyStepOfTheSetUpIsReported) {
  const std::wstring registry = Wide(Path("registry"));
  for (int n = 0;; ++n) {
    SCOPED_TRACE(n);
    ResetHost();
    fs::remove(Path("registry"));
    fs::remove_all(Path("appdata"));
    ASSERT_TRUE(host::UseRegistryFile(registry));
    host::SetEnvironmentOverride(L"APPDATA", Wide(Dir("appdata")));
    host::HideEnvironmentVariable(L"VMRINI");
    host::HideEnvironmentVariable(L"LARINI");
    const std::string before = Program() + ";" + ProgramSupport();
    host::SetSupportPathText(Wide(before));
    (void)host::CurrentProfileName();

    host::ArmFault(host::FaultPoint::SaveFile, n, 1);
    const bool adjusted = RunSupportFolderCheck();
    const int fired = host::FaultsFired(host::FaultPoint::SaveFile);
    host::DisarmAllFaults();

    ExpectUserProfileCurrent();
    if (adjusted) {
      EXPECT_EQ(SupportPathText(), NewPath());
      ExpectInOrder(CommandLine(), {"adjusted OK"});
    } else {
      ExpectInOrder(CommandLine(), {"Warning: (", " Problems with user support folder adjustment."});
      EXPECT_EQ(CommandLine().find("adjusted OK"), std::string::npos);
      if (CommandLine().find("(10)") == std::string::npos) {
        EXPECT_EQ(SupportPathText(), before);
      }
    }
    if (fired == 0) {
      EXPECT_TRUE(adjusted);
      break;
    }
    ASSERT_LT(n, 500);
  }
}

// A second session loading a drawing at the same moment switches to its own
// temporary profile just after this one made the user's profile current
// again: this session's set-up is no failure, it leaves the other's
// temporary profile alone, and the store ends as one set-up alone leaves it.
TEST_F(SupportFolderCheckTest, AnotherSessionsSwitchAtTheSameMomentIsNoFailure) {
  std::unique_ptr<ProfileSwitch> other;
  const int id = host::AddProfileListener([&](const std::wstring& name) {
    if (other || name != L"Default") return;
    other = std::make_unique<ProfileSwitch>(L"Default");
    std::wstring key;
    EXPECT_TRUE(other->SwitchToTempProfile(&key));
  });
  const bool adjusted = RunSupportFolderCheck();
  host::RemoveProfileListener(id);
  EXPECT_TRUE(adjusted);
  EXPECT_EQ(CommandLine().find("(10)"), std::string::npos) << CommandLine();
  ExpectInOrder(CommandLine(), {"Orvane user support folder adjusted OK."});
  ASSERT_TRUE(other);
  EXPECT_EQ(host::CurrentProfileName(), kTempProfileName);  // the other session's, until it is done

  EXPECT_TRUE(other->Restore());
  ExpectUserProfileCurrent();
  EXPECT_EQ(SupportPathText(), NewPath());
}

TEST_F(SupportFolderCheckTest, ALongSupportPathIsRewrittenWhole) {
  std::string path;
  for (int i = 0; i < 70; ++i) path += "/far/folder" + std::to_string(i) + std::string(i == 60 ? 2000 : 0, 'x') + ";";
  host::SetSupportPathText(Wide(Program() + ";" + path + ProgramSupport()));
  ASSERT_TRUE(RunSupportFolderCheck());
  EXPECT_EQ(SupportPathText(), Local() + ";" + Program() + ";" + path);
}

class TrustedPathsTest : public ProductTest {
 protected:
  void SetUp() override {
    ProductTest::SetUp();
    host::SetEnvironmentOverride(L"LARINI", Wide(Dir("settings")));
  }
  std::string Added() { return Path("settings") + "/;" + Program() + "/;"; }
};

TEST_F(TrustedPathsTest, TheProductFoldersGoFirst) {
  struct Case {
    const char* what;
    std::string release;
    std::string old;
    std::string expected;  // empty: unchanged
  } cases[] = {
      {"release 18 has no trusted paths", "18.1s (LMS Tech)", "/old", ""},
      {"nor has release 17", "17.2s (LMS Tech)", "/old", ""},
      {"release 19 is the first with them", "19.0s (LMS Tech)", "/old", "@/old"},
      {"release 19.1", "19.1", "/old", "@/old"},
      {"release 20", "20.1s (LMS Tech)", "/old", "@/old"},
      {"a blank before the number", " 19.0", "/old", "@/old"},
      {"a release of three digits", "100.0", "/old", "@/old"},
      {"no leading number", "R19", "/old", ""},
      {"an empty release", "", "/old", ""},
      {"release 25", "25.0", "/old", "@/old"},
      {"a short old value is kept", "25.0", "/o/", "@/o/"},
      {"an empty old value is not", "25.0", "", "@"},
      {"nor a blank one", "25.0", "   ", "@"},
      {"folders listed already are not added again", "25.0", "/a;@PROGRAM", "@S/a;@PROGRAM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host::ResetSystemVariables();
    host::ClearCommandLine();
    const std::string release = c.release;
    host::BindSystemVariable(L"ACADVER", {[release] { return host::SysVarValue(Wide(release)); }, {}});
    std::string old = c.old;
    if (old.find("@PROGRAM") != std::string::npos) old = "/a;" + Program() + "/";
    ASSERT_EQ(host::SetSystemVariable(L"TRUSTEDPATHS", host::SysVarValue(Wide(old))), host::Status::kNormal);
    AddTrustedPaths();
    std::string expected = c.expected;
    if (expected.empty()) expected = old;
    else if (expected.rfind("@S", 0) == 0) expected = Path("settings") + "/;" + old;
    else expected = Added() + expected.substr(1);
    EXPECT_EQ(TrustedPaths(), expected);
    EXPECT_EQ(CommandLine().find("added to trusted paths") != std::string::npos, expected != old);
  }

  // Both files found in trusted folders: nothing to do.
  host::ResetSystemVariables();
  ASSERT_EQ(host::SetSystemVariable(L"TRUSTEDPATHS", host::SysVarValue(Wide(ProgramSupport()))),
            host::Status::kNormal);
  AddTrustedPaths();
  EXPECT_EQ(TrustedPaths(), ProgramSupport());

  // The variable refuses the new value: a warning instead of the success line.
  host::ResetSystemVariables();
  host::ClearCommandLine();
  host::FailSystemVariable(L"TRUSTEDPATHS", host::SysVarOp::kSet, 0, 1);
  AddTrustedPaths();
  EXPECT_EQ(TrustedPaths(), "");
  EXPECT_EQ(CommandLine(), "\nWarning: Could not add Orvane paths to trusted paths.....\n");
}

}  // namespace
}  // namespace startup_test
