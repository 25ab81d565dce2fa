// The join end to end: drawings made by ezdxf, joined by the Corvex add-in
// in cadhost, saved, and checked by join_check.py against a chaining of its
// own (and shapely's linemerge for lines), with ezdxf's audit.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "common/tests/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPython[] = "/usr/bin/python3";

struct ShellRun {
  int exitCode = -1;
  std::string out;
};

class CadhostJoin : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_ / "support"); }
  static std::string Read(const fs::path& path) { return common_test::ReadFile(path); }
  void WriteIni(const std::string& text) const {
    std::ofstream(dir_ / "support" / "orvan.ini", std::ios::binary) << text;
  }
  static std::string Quiet(double hz, double vt) {
    return "*CVXN Corvex parameters start\n**CVXN Hz tolerance\n" + std::to_string(hz) +
           "\n**CVXN Vt tolerance\n" + std::to_string(vt) +
           "\n**CVXN Verify directions: 0 = no, 1 = yes\n0\n"
           "**CVXN Ask parameters: 0 = no, 1 = yes\n0\n*CVXN Corvex parameters end\n";
  }
  ShellRun Shell(const std::string& command) const {
    const std::string cmd = "cd '" + dir_.string() + "' && " + command + " > out.txt 2>&1 < /dev/null";
    ShellRun run;
    const int status = std::system(cmd.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Read(dir_ / "out.txt");
    return run;
  }
  ShellRun Python(const std::string& args) const {
    return Shell(std::string(kPython) + " '" + VARNEL_SOURCE_DIR + "/join/tests/join_check.py' " + args);
  }
  ShellRun Cadhost(const std::string& script, const std::string& open) const {
    std::ofstream(dir_ / "script.txt", std::ios::binary) << script;
    return Shell("VMRINI='" + (dir_ / "support").string() + "' '" + CADHOST_PATH + "' --addin '" +
                 CORVEX_PATH + "' --registry registry.txt --support '" + VARNEL_SOURCE_DIR +
                 "/support' " + open + " --save out.dxf script.txt");
  }
  // Makes the case's drawing, joins everything in it and checks the result.
  void JoinAndCheck(const std::string& testCase, double hz, double vt) {
    const ShellRun made = Python("make " + testCase + " .");
    ASSERT_EQ(made.exitCode, 0) << made.out;
    WriteIni(Quiet(hz, vt));
    const ShellRun joined = Cadhost("(LarCorvex2)\nall\n", "--open in.dxf");
    ASSERT_EQ(joined.exitCode, 0) << joined.out;
    EXPECT_NE(joined.out.find("Done. ("), std::string::npos) << joined.out;
    const ShellRun checked = Python("check " + testCase + " . " + std::to_string(hz) + " " + std::to_string(vt));
    EXPECT_EQ(checked.exitCode, 0) << checked.out;
  }

  common_test::TempFolder folder_{"corvex_e2e"};
  const fs::path dir_ = folder_.Path();
};

TEST_F(CadhostJoin, ScrambledLinesAndArcsJoinAsAnIndependentChainingSays) {
  JoinAndCheck("lines_arcs", 0.01, 0.01);
}

TEST_F(CadhostJoin, LinesAtZeroToleranceJoinAsLinemergeDoes) { JoinAndCheck("lines_only", 0, 0); }

TEST_F(CadhostJoin, LevelledPiecesBecome3dPolylines) { JoinAndCheck("levels", 0.01, 0.01); }

// Arcs and polylines mirrored in plan hold their points in a plane seen from
// below; they join where the drawing shows them, and lines placed where their
// stored coordinates would lie stay apart.
TEST_F(CadhostJoin, MirroredArcsAndPolylinesJoinWhereTheyLie) { JoinAndCheck("mirrored", 0.01, 0.01); }

// A polyline of constant width gives the joined polyline that width, as an
// old-style polyline's width and a vertex's own width do.
TEST_F(CadhostJoin, TheJoinedPolylineTakesTheWidthItsLastPieceIsDrawnWith) {
  JoinAndCheck("widths", 0.01, 0.01);
}

TEST_F(CadhostJoin, EscAtTheSelectionCancelsAndLispGetsNil) {
  WriteIni(Quiet(0.01, 0.01));
  const ShellRun run = Cadhost("(LarCorvex)\n!esc\n(LarCorvex2)\n!esc\n", "");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("Select initial entity"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("CORVEX cancelled."), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("CORVEX2 cancelled."), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("nil"), std::string::npos) << run.out;
}

TEST_F(CadhostJoin, ADamagedOrReadOnlySettingsFileStillJoinsAndStaysAsItWas) {
  const ShellRun made = Python("make lines_only .");
  ASSERT_EQ(made.exitCode, 0) << made.out;
  const std::string damaged = std::string("*CVXN Corvex parameters start\n\x01\xff\x00garbage", 30) +
                              "\n**CVXN Arc divide factor\n";
  WriteIni(damaged);
  ASSERT_EQ(chmod((dir_ / "support" / "orvan.ini").c_str(), 0444), 0);
  // The dialog shows (Ask parameters stays at its default); Join saves,
  // which a read-only file refuses, and the join goes on.
  const ShellRun run = Cadhost("(LarCorvex2)\n!dlg_click verify_directions\n!dlg_set hz_tolerance 0\n"
                          "!dlg_click start_joining\nall\n", "--open in.dxf");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("could not be saved"), std::string::npos) << run.out;
  EXPECT_EQ(Read(dir_ / "support" / "orvan.ini"), damaged);
  const ShellRun checked = Python("check lines_only . 0 0.001");
  EXPECT_EQ(checked.exitCode, 0) << checked.out;
}

TEST_F(CadhostJoin, WithoutASupportFolderTheUserIsToldAndNothingRuns) {
  std::ofstream(dir_ / "script.txt", std::ios::binary) << "(LarCorvex2)\n";
  const ShellRun again = Shell(std::string("VMRINI=/nonexistent '") + CADHOST_PATH + "' --addin '" +
                          CORVEX_PATH + "' --registry registry.txt --transcript t.txt script.txt");
  ASSERT_EQ(again.exitCode, 0) << again.out;
  EXPECT_NE(Read(dir_ / "t.txt").find("alert\tError: Path to LarchWOOD-HILL support directory not found."),
            std::string::npos);
  EXPECT_NE(again.out.find("CORVEX2 cancelled."), std::string::npos) << again.out;
}

}  // namespace
