// The installed product through cadhost, as a user meets it: a scratch home,
// application-data folder and registry store, the product folder laid out by
// `cmake --install`, and one cadhost run per drawing session.
#include <sys/wait.h>
#include <unistd.h>

#include <map>

#include "startup/tests/product_fixture.h"

namespace startup_test {
namespace {

struct CadhostRun {
  int exit_code = -1;
  std::string out;
};

// What a folder holds: each file's bytes and modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot(const std::string& folder) {
  std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = {ReadFile(entry.path()), entry.last_write_time()};
  return files;
}

class InstalledProductTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new common_test::TempFolder("stelling-installed");
    const std::string command = std::string("'") + CMAKE_COMMAND_PATH + "' --install '" + VARNEL_BINARY_DIR +
                                "' --prefix '" + Product() + "' > '" + scratch_->File("install.log") + "' 2>&1";
    install_status_ = std::system(command.c_str());
    // The join add-in's dialog file marks the program folder; until that
    // add-in ships its own, one stands in for it.
    if (!fs::exists(Product() + "/corvex2.dcl")) WriteFile(Product() + "/corvex2.dcl", "corvex2 : dialog {}\n");
  }
  static void TearDownTestSuite() { delete scratch_; }

  static std::string Product() { return scratch_->File("product"); }
  static std::string Local() { return scratch_->File("appdata") + "/LarchWOOD-HILL/Orvane/3.25/support/"; }

  // One cadhost session with Stelling loaded, the test add-in after it.
  static CadhostRun Cadhost(const std::string& script, const std::string& options = "") {
    fs::create_directories(scratch_->File("home"));
    fs::create_directories(scratch_->File("appdata"));
    WriteFile(scratch_->File("script.txt"), script);
    const std::string command =
        "cd '" + scratch_->Path() + "' && env -u VMRINI -u LARINI -u XDG_CONFIG_HOME HOME='" +
        scratch_->File("home") + "' APPDATA='" + scratch_->File("appdata") + "' '" + CADHOST_PATH +
        "' --registry registry " + options + " --addin '" + Product() + "/Stelling.so' --addin '" +
        TEST_ADDIN_PATH + "' script.txt > out.txt 2>&1 < /dev/null";
    CadhostRun run;
    const int status = std::system(command.c_str());
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(scratch_->File("out.txt"));
    return run;
  }

  static common_test::TempFolder* scratch_;
  static int install_status_;
};

common_test::TempFolder* InstalledProductTest::scratch_ = nullptr;
int InstalledProductTest::install_status_ = -1;

TEST_F(InstalledProductTest, SetUpUpdateAndRestart) {
  ASSERT_EQ(install_status_, 0) << ReadFile(scratch_->File("install.log"));
  const std::string support = Product() + "/support";
  for (const char* name : {"Varnel.so", "Corvex.so", "Plimsor.so", "Stelling.so", "bin/cadhost",
                           "support/lwh_gml.ver", "support/protected_files.txt", "support/derivavi.dwg",
                           "support/lwh_gml.dat", "support/lwh_gml.ini", "support/duzizov.dcl"})
    EXPECT_TRUE(fs::exists(Product() + "/" + name)) << name;
  EXPECT_EQ(ReadFile(support + "/lwh_gml.ini"), ReadFile(std::string(VARNEL_SOURCE_DIR) + "/support/lwh_gml.ini"));

  SCOPED_TRACE("first load: the local folder is made and the path rewritten");
  // The user puts the program folder and its support folder on the path.
  CadhostRun first = Cadhost("tafind\nlwh_gml.dat\n",
                             "--profile-support '" + Product() + "' --profile-support '" + support + "/'");
  ASSERT_EQ(first.exit_code, 0) << first.out;
  ExpectInOrder(first.out, {"Checking Orvane user support folder... Needs adjustment....",
                            "Start copying Orvane support files",
                            "[alert] Orvane Support files copied to " + Local() + " during final setup.",
                            "Orvane user support folder adjusted OK.", "Orvane paths added to trusted paths.",
                            "Found: " + Local() + "lwh_gml.dat"});
  for (const auto& entry : fs::directory_iterator(support)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(ReadFile(Local() + name), ReadFile(entry.path())) << name;
  }
  EXPECT_TRUE(fs::exists(Local() + "is_local_support_dir.txt"));

  SCOPED_TRACE("second load: nothing changes");
  const auto folder = Snapshot(Local());
  const std::string registry = ReadFile(scratch_->File("registry"));
  CadhostRun second = Cadhost("");
  ASSERT_EQ(second.exit_code, 0) << second.out;
  ExpectInOrder(second.out, {"Checking Orvane user support folder... It's OK, checking version... OK too."});
  EXPECT_EQ(second.out.find("Start"), std::string::npos);
  EXPECT_EQ(Snapshot(Local()), folder);
  EXPECT_EQ(ReadFile(scratch_->File("registry")), registry);

  SCOPED_TRACE("a newer product: every file but the protected ones is updated");
  const std::string edited = "; the user's own settings\r\nsome key=\xe9 value\n";
  // Every file a dialog of the add-ins saves in the support folder, and the
  // section tools' settings: the user's copies outlive an update, also where
  // the newer product ships a file of that name.
  const char* saved[] = {"lwh_gml.ini",          "lwh_gml_codelookup.ovc", "lwh_gml_symbollookup.ovs",
                         "lwh_gml_symbologylookup.ovl", "lwh_gml_propfil.pfd", "lwh_gml_areafilters.ini",
                         "orvan.ini",            "filesel.ini",            "folders_lwh.ini",
                         "use_subfolders.ini",   "seksel.ini",             "vmr.ini"};
  for (const char* name : saved) {
    WriteFile(Local() + name, edited + name);
    if (!fs::exists(support + "/" + name)) WriteFile(support + "/" + name, "the product's\n");
  }
  WriteFile(support + "/lwh_gml.ver", "3.3\n");
  WriteFile(support + "/lwh_gml.dat", ReadFile(support + "/lwh_gml.dat") + "# a newer catalogue\n");
  CadhostRun update = Cadhost("");
  ASSERT_EQ(update.exit_code, 0) << update.out;
  ExpectInOrder(update.out, {"update required.", "Start updating Orvane support files",
                             "those files will not be overwritten.", "Support files updated from v.3.2500 to v.3.3000."});
  for (const char* name : saved) EXPECT_EQ(ReadFile(Local() + name), edited + name);
  EXPECT_EQ(ReadFile(Local() + "lwh_gml.dat"), ReadFile(support + "/lwh_gml.dat"));
  EXPECT_EQ(ReadFile(Local() + "lwh_gml.ver"), "3.3\n");

  SCOPED_TRACE("after a restart files are found in the local folder first");
  CadhostRun restart = Cadhost("tafind\nlwh_gml.ini\ntafind\nduzizov.dcl\ntafind\ncorvex2.dcl\n");
  ASSERT_EQ(restart.exit_code, 0) << restart.out;
  ExpectInOrder(restart.out, {"OK too.", "Found: " + Local() + "lwh_gml.ini", "Found: " + Local() + "duzizov.dcl",
                              "Found: " + Product() + "/corvex2.dcl"});
}

}  // namespace
}  // namespace startup_test
