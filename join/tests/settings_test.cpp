// The join's block of orvan.ini: read with every other block ignored,
// rewritten with every other line kept.
#include <sys/stat.h>

#include "common/containers/text.h"
#include "host/system/fault.h"
#include "join/join_parameters.h"
#include "join/tests/join_fixture.h"

namespace join_test {
namespace {

using common_test::ReadFile;
using common_test::WriteFile;

constexpr char kOtherBlocks[] =
    "; the user's own notes\r\n"
    "*GEN general parameters start\n"
    "**GEN Default working directory\n"
    "D:\\jobs\n"
    "**GEN Application name\n"
    "LarchWOOD-HILL 2013\n"
    "*GEN general parameters end\n";
constexpr char kForeignBlock[] =
    "*VMRGEN vertical parameters start\n"
    "**VMRGEN Scale\n"
    "100\n"
    "*VMRGEN vertical parameters end";  // no line end on the last line

constexpr char kSavedDefaults[] =
    "*CVXN Corvex parameters start\n"
    "**CVXN Layer name\nNew polyline\n"
    "**CVXN Hz tolerance\n0.001000\n"
    "**CVXN Vt tolerance\n0.001000\n"
    "**CVXN Allow 3D POLYLINES: 0 = no, 1 = yes\n1\n"
    "**CVXN Automatic layers: 0 = no, 1 = yes\n1\n"
    "**CVXN Verify directions: 0 = no, 1 = yes\n1\n"
    "**CVXN Always break arcs: 0 = no, 1 = yes\n0\n"
    "**CVXN Convert 3D to 2D: 0 = no, 1 = yes\n0\n"
    "**CVXN Accept only 1st object's layer: 0=no, 1=yes\n0\n"
    "**CVXN 2D new level when converting 3D to 2D\n0.000000\n"
    "**CVXN Ask parameters: 0 = no, 1 = yes\n1\n"
    "**CVXN Layer color\n7\n"
    "**CVXN Arc divide factor\n32\n"
    "*CVXN Corvex parameters end\n";

class JoinSettings : public JoinTest {
 protected:
  std::string Ini() const { return SupportFile("orvan.ini"); }
  std::wstring IniW() const { return NarrowToWide(Ini()); }
  JoinParameters Load() {
    JoinParameters p{};
    LoadCorvexSettingsFrom(IniW(), p);
    return p;
  }
  static JoinParameters Defaults() {
    JoinParameters p{};
    SetDefaultCorvexParameters(p);
    return p;
  }
};

TEST_F(JoinSettings, KeysAreReadInAnyLetterCaseAndOnlyAsWholeLines) {
  struct Case {
    const char* key;
    const char* value;
    double JoinParameters::*real;
    double expected;
  } cases[] = {
      {"**CVXN Hz tolerance", "0.25", &JoinParameters::hzTolerance, 0.25},
      {"**cvxn hz tolerance", "0.5", &JoinParameters::hzTolerance, 0.5},
      {"**CVXN Hz tolerance ", "0.5", &JoinParameters::hzTolerance, 0.001},
      {"**CVXN VT TOLERANCE", "2e-2", &JoinParameters::vtTolerance, 0.02},
      {"**CVXN Hz tolerance", "wide", &JoinParameters::hzTolerance, 0.001},
      {"**CVXN Hz tolerance", "-1", &JoinParameters::hzTolerance, 0.001},
      {"**CVXN 2D new level when converting 3D to 2D", "-12.5", &JoinParameters::newLevel2d, -12.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    WriteFile(Ini(), std::string("*cvxn corvex parameters START\r\n") + c.key + "\r\n" + c.value +
                         "\r\n*CVXN Corvex parameters end\r\n");
    EXPECT_DOUBLE_EQ(Load().*c.real, c.expected);
  }
}

TEST_F(JoinSettings, ValuesTakeTheirFieldsAndUnusableOnesKeepTheDefault) {
  WriteFile(Ini(), std::string(kOtherBlocks) +
                       "*CVXN Corvex parameters start\n"
                       "**CVXN Layer name\nKerb lines\n"
                       "**CVXN Allow 3D POLYLINES: 0 = no, 1 = yes\n256\n"
                       "**CVXN Automatic layers: 0 = no, 1 = yes\n0\n"
                       "**CVXN Arc divide factor\n0\n"
                       "**CVXN Layer color\n300\n"
                       "**CVXN Ask parameters: 0 = no, 1 = yes\n0\n"
                       "**CVXN Ask parameters: 0 = no, 1 = yes\n1\n"
                       "*CVXN Corvex parameters end\n"
                       "**CVXN Verify directions: 0 = no, 1 = yes\n0\n"
                       "*CVXN Corvex parameters start\n"
                       "**CVXN Layer name");  // a key with no value line
  const JoinParameters p = Load();
  EXPECT_EQ(std::wstring(p.layerName), L"Kerb lines");
  EXPECT_EQ(std::wstring(p.applicationName), L"LarchWOOD-HILL 2013");
  EXPECT_EQ(p.allow3dPolylines, 0);  // the low byte of 256
  EXPECT_EQ(p.automaticLayers, 0);
  EXPECT_EQ(p.arcDivideFactor, 32);
  EXPECT_EQ(p.layerColour, 7);
  EXPECT_EQ(p.askParameters, 1);      // the last of two
  EXPECT_EQ(p.verifyDirections, 1);   // outside the block
}

TEST_F(JoinSettings, AMissingFileGivesTheDefaultsAndASaveWritesTheBlockAlone) {
  const JoinParameters p = Load();
  EXPECT_EQ(std::wstring(p.layerName), L"New polyline");
  EXPECT_EQ(p.arcDivideFactor, 32);
  EXPECT_EQ(std::wstring(p.applicationName), L"");
  ASSERT_TRUE(SaveCorvexSettingsTo(IniW(), Defaults()));
  EXPECT_EQ(ReadFile(Ini()), kSavedDefaults);
}

TEST_F(JoinSettings, SavingReplacesTheBlockInPlaceAndKeepsEveryOtherLine) {
  const std::string before = kOtherBlocks;
  const std::string oldBlock =
      "*CVXN Corvex parameters start\r\n**CVXN Hz tolerance\r\n9\r\n"
      "**CVXN Future key\r\nx\r\n*CVXN Corvex parameters end\r\n";
  WriteFile(Ini(), before + oldBlock + kForeignBlock);
  JoinParameters p = Defaults();
  p.hzTolerance = 0.1234567;
  ASSERT_TRUE(SaveCorvexSettingsTo(IniW(), p));
  const std::string saved = ReadFile(Ini());
  std::string expected = std::string(kSavedDefaults);
  expected.replace(expected.find("0.001000"), 8, "0.123457");
  EXPECT_EQ(saved, before + expected + kForeignBlock);
  ASSERT_TRUE(SaveCorvexSettingsTo(IniW(), p));
  EXPECT_EQ(ReadFile(Ini()), saved);
  EXPECT_DOUBLE_EQ(Load().hzTolerance, 0.123457);
}

TEST_F(JoinSettings, AFileWithoutTheBlockGetsItAtItsEnd) {
  WriteFile(Ini(), std::string(kOtherBlocks) + kForeignBlock);
  ASSERT_TRUE(SaveCorvexSettingsTo(IniW(), Defaults()));
  EXPECT_EQ(ReadFile(Ini()), std::string(kOtherBlocks) + kForeignBlock + "\n" + kSavedDefaults);
}

TEST_F(JoinSettings, ABlockWithoutItsEndMarkerEndsAtTheFirstLineNotItsOwn) {
  WriteFile(Ini(), std::string(kOtherBlocks) +
                       "*CVXN Corvex parameters start\n**CVXN Layer name\nOld\n"
                       "**CVXN Layer color\n3\n" + kForeignBlock);
  ASSERT_TRUE(SaveCorvexSettingsTo(IniW(), Defaults()));
  EXPECT_EQ(ReadFile(Ini()), std::string(kOtherBlocks) + kSavedDefaults + kForeignBlock);
}

TEST_F(JoinSettings, AFailedOrRefusedSaveLeavesTheFileAsItWas) {
  const std::string old = std::string(kOtherBlocks) + kForeignBlock;
  WriteFile(Ini(), old);
  for (int step = 0; step < 2; ++step) {
    host::ArmFault(host::FaultPoint::SaveFile, step);
    EXPECT_FALSE(SaveCorvexSettingsTo(IniW(), Defaults()));
    host::DisarmAllFaults();
    EXPECT_EQ(ReadFile(Ini()), old);
  }
  ASSERT_EQ(chmod(Ini().c_str(), 0444), 0);
  EXPECT_FALSE(SaveCorvexSettingsTo(IniW(), Defaults()));
  EXPECT_EQ(ReadFile(Ini()), old);
  EXPECT_EQ(std::filesystem::directory_iterator(folder_.Path())->path().filename(), "orvan.ini");
}

TEST_F(JoinSettings, LoadAndSaveUseTheSupportFolderOfVmrini) {
  WriteFile(Ini(), std::string(kOtherBlocks));
  LoadCorvexSettings();
  EXPECT_EQ(std::wstring(CorvexParameters().applicationName), L"LarchWOOD-HILL 2013");
  CorvexParameters().arcDivideFactor = 64;
  ASSERT_TRUE(SaveCorvexSettings());
  LoadCorvexSettings();
  EXPECT_EQ(CorvexParameters().arcDivideFactor, 64);

  // The default support folder holds the marker drawing the finder falls back
  // on, so only the scratch folder stays on the path here.
  host::SetSupportPath({Support()});
  host::SetEnvironmentOverride(L"VMRINI", Support() + L"/missing");
  EXPECT_FALSE(SaveCorvexSettings());
  LoadCorvexSettings();
  EXPECT_EQ(CorvexParameters().arcDivideFactor, 32);
}

}  // namespace
}  // namespace join_test
