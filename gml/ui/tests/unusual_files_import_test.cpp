// lwhgmlin in cadhost where the files around an import are not ordinary:
// names ending ".gml" in the chosen folder that are no plain files, and an
// attribute file on a disk that is full. The import neither hangs nor
// passes over a failure in silence.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

// A session whose input folder holds the small topography sample.
class UnusualFilesImport : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path sample = SharedSample("topo-small-v7.gml");
    if (!fs::exists(sample)) GTEST_SKIP() << "no shared samples";
    session_ = std::make_unique<Session>(::testing::UnitTest::GetInstance()->current_test_info()->name());
    session_->AddInput(sample);
  }
  // Imports the input folder and saves the drawing; a run that takes longer
  // than `timeoutSeconds` is stopped.
  SessionRun Import(int timeoutSeconds = 0) const {
    return session_->Run(session_->ImportLines() + "!save " + session_->At("out.dxf") + "\n", "",
                         timeoutSeconds);
  }
  bool LinesDrawn() const { return ReadText(session_->At("out.dxf")).find("LWPOLYLINE") != std::string::npos; }

  std::unique_ptr<Session> session_;
};

// A pipe (FIFO) that no one writes waits for ever when opened; a link to
// /dev/zero never ends. Each is skipped with a line that names it, and the
// real file is imported.
TEST_F(UnusualFilesImport, PipesAndDevicesInTheFolderAreSkippedWithALine) {
  const std::string pipe = session_->At("input/pipe.gml");
  const std::string zero = session_->At("input/zero.gml");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", zero);

  const SessionRun run = Import(120);
  ASSERT_NE(run.status, 124) << "the import hung on a file that is not a plain file\n" << run.output;
  EXPECT_EQ(run.status, 0) << run.output;
  for (const std::string& path : {pipe, zero})
    EXPECT_NE(run.output.find("Skipped " + path + ": not a regular file (a pipe, a device or a socket)."),
              std::string::npos)
        << run.output;
  EXPECT_EQ(run.output.find("Skipped " + session_->At("input/topo-small-v7.gml")), std::string::npos);
  EXPECT_TRUE(LinesDrawn());
}

// The topographic lines' CSV file is a link to /dev/full, a disk that is
// always full: the import draws on and says which file was cut short and
// why; the info file beside it is whole.
TEST_F(UnusualFilesImport, AFullDiskUnderAnAttributeFileIsReportedWithItsReason) {
  const std::string rows = session_->At("csv/Orvane001_topo_lines.csv");
  fs::create_symlink("/dev/full", rows);

  const SessionRun run = Import();
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Error: Could not write the attribute file " + rows + ": " + std::strerror(ENOSPC) +
                            ". The file is incomplete."),
            std::string::npos)
      << run.output;
  EXPECT_EQ(ReadText(session_->At("csv/Orvane001_topo_lines_info.txt")),
            "# Data fields in comma separated value file " + rows + "\n#\nTOID,Version_number\n");
  EXPECT_TRUE(LinesDrawn());
}

// A pipe chosen as the tile-name list of a new location filter is refused
// at once, named, instead of waiting in open() for a writer.
TEST_F(UnusualFilesImport, APipeAsTheTileNameListIsRefused) {
  const std::string pipe = session_->At("tiles.txt");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  const SessionRun run = session_->Run("lwhgmlin\n!answer no\n!answer " + session_->At("input") +
                                           "\n!dlg_click 229\n!dlg_click 228\n!dlg_click 331\n!answer ok\n!answer " +
                                           pipe + "\n!dlg_click 2\n",
                                       "", 60);
  ASSERT_NE(run.status, 124) << "the tile-name list hung in open()\n" << run.output;
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("The tile name file " + pipe +
                            " is not a regular file (a pipe, a device or a socket): no area added."),
            std::string::npos)
      << run.output;
}

}  // namespace
