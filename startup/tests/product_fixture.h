// A product folder, a user's application-data folder and a clean host for
// the support folder check: the program folder "product/" (with the join
// add-in's dialog file that marks it), its "support/" folder with the
// catalogue, the marker drawing, a version file, a protected-files list and
// plain support files, and the current profile's support path naming both.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/tests/temp_folder.h"
#include "host/testing/test_reset.h"
#include "host/editor/command_line.h"
#include "host/editor/support_path.h"
#include "host/editor/system_variables.h"
#include "host/system/environment.h"
#include "host/system/fault.h"
#include "host/system/profiles.h"
#include "host/system/registry.h"
#include "host/system/user_actions.h"
#include "startup/protected_files.h"

namespace startup_test {

namespace fs = std::filesystem;
using common_test::ReadFile;
using common_test::WriteFile;

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Plain support files of the product besides the named ones.
inline constexpr int kPlainSupportFiles = 6;

class ProductTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHost();
    host::HideEnvironmentVariable(L"VMRINI");
    host::HideEnvironmentVariable(L"LARINI");
    host::SetEnvironmentOverride(L"APPDATA", Wide(Dir("appdata")));
    const std::wstring drawing = Wide(Dir("drawing") + "/");
    host::BindSystemVariable(L"DWGPREFIX", {[drawing] { return host::SysVarValue(drawing); }, {}});

    Put("product/corvex2.dcl", "corvex2 : dialog {}\n");
    Put("product/support/lwh_gml.dat", "catalogue\n");
    Put("product/support/derivavi.dwg", "drawing\n");
    Put("product/support/duzizov.dcl", "duzizov : dialog {}\n");
    Put("product/support/lwh_gml.ver", "3.25\n");
    Put("product/support/protected_files.txt", "List of protected files start:\nkeep.ini\n");
    Put("product/support/keep.ini", "product settings\n");
    for (int i = 0; i < kPlainSupportFiles; ++i) Put("product/support/file" + std::to_string(i) + ".txt", "v1\n");
    host::SetSupportPathText(Wide(Program() + ";" + ProgramSupport()));
  }
  void TearDown() override { ResetHost(); }

  static void ResetHost() {
    host::ResetForTest();
    ResetProtectedFiles();
  }

  // Helpers, public so that tables of cases can arrange their folders.
 public:
  // A folder below the test's temporary folder, made when missing.
  std::string Dir(const std::string& name) {
    const std::string path = temp_.File(name);
    fs::create_directories(path);
    return path;
  }
  std::string Path(const std::string& name) const { return temp_.File(name); }
  void Put(const std::string& name, const std::string& text) {
    fs::create_directories(fs::path(Path(name)).parent_path());
    WriteFile(Path(name), text);
  }
  std::string Program() { return Dir("product"); }
  std::string ProgramSupport() { return Dir("product/support"); }
  // The local support folder the check makes, with its trailing separator.
  std::string Local() const { return Path("appdata") + "/LarchWOOD-HILL/Orvane/3.25/support/"; }

  static std::string CommandLine() { return Narrow(host::CommandLineText()); }
  static std::vector<std::wstring> Alerts() { return host::Shown().TextsOf("alert"); }
  static std::string SupportPathText() { return Narrow(host::SupportPathText()); }
  static std::string TrustedPaths() { return Narrow(host::GetSystemVariable(L"TRUSTEDPATHS").Text()); }

  common_test::TempFolder temp_{"startup"};
};

// The fragments must come in this order in `text`.
inline void ExpectInOrder(const std::string& text, const std::vector<std::string>& fragments) {
  std::size_t at = 0;
  for (const std::string& f : fragments) {
    const std::size_t found = text.find(f, at);
    ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << f << "\nin:\n" << text;
    at = found + f.size();
  }
}

}  // namespace startup_test
