// Every OS MasterMap sample (and the example data, for the Address Layer)
// imported through cadhost as a user imports it, with the default support
// folder: each saved drawing audits without errors in ezdxf and its
// entities' vertices equal, feature by feature, an independent reading of
// the same GML. One cadhost run per sample, one Python process for all the
// drawings.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "gml/settings/settings_record.h"
#include "gml/ui/tests/cadhost_session.h"

namespace {

using namespace cadhost_test;

// The codes named by "Warning: Code %s has no Symbol Block assigned." in a
// transcript.
std::vector<std::string> CodesWithoutBlock(const std::string& transcript) {
  static const std::regex warning("Warning: Code ([^ ]*) has no Symbol Block assigned");
  std::vector<std::string> codes;
  for (std::sregex_iterator it(transcript.begin(), transcript.end(), warning), end; it != end; ++it)
    codes.push_back((*it)[1]);
  return codes;
}

TEST(SampleImport, EverySampleDrawsEachFeatureWhereTheGmlPutsIt) {
  const char* samples[] = {"topo-small-v7.gml", "topo-bom-gdal.gml", "topo-pioneer-v7-crlf-ostranslator.gml.gz",
                           "itn-v7-exeter-ossample.gml", "itn-v6-brixton-crimefighter.gml",
                           "itn-pioneer-v7-ostranslator.gml.gz"};
  if (!fs::exists(SharedSample(samples[0]))) GTEST_SKIP() << "no shared samples";
  OS_GML_ACAD_Definitions tables;
  tables.supportFolder = (fs::path(VARNEL_SOURCE_DIR) / "support").wstring() + L"/";
  ASSERT_TRUE(tables.LoadCodeLookupTable());

  // There is no Address Layer sample: the project's example data (its
  // Topography, ITN as gzip and Address Layer files, imported together)
  // stands in for it.
  const Session exampleData("sample_example_data");
  const fs::path data = exampleData.Dir() / "data";
  const CommandResult made = RunShell("/usr/bin/python3 " + Quoted(std::string(VARNEL_SOURCE_DIR) +
                                                                   "/tools/make_example_data.py") +
                                      " " + Quoted(data.string()));
  ASSERT_EQ(made.status, 0) << made.output;
  std::vector<std::pair<std::string, std::vector<fs::path>>> imports;
  for (const char* sample : samples) imports.push_back({sample, {SharedSample(sample)}});
  imports.push_back({"example", {data / "example-topo.gml", data / "example-itn.gml.gz", data / "example-address.gml"}});

  std::vector<std::unique_ptr<Session>> sessions;
  std::string pairs;
  for (const auto& [name, files] : imports) {
    SCOPED_TRACE(name);
    auto& session = *sessions.emplace_back(std::make_unique<Session>("sample_" + name));
    std::string gml;
    for (const fs::path& file : files) {
      session.AddInput(file);
      gml += (gml.empty() ? "" : ":") + file.string();
    }
    const SessionRun run = session.Run(session.ImportLines() + "!save " + session.At("drawing.dxf") + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_TRUE(fs::exists(session.At("drawing.dxf"))) << run.output;
    EXPECT_FALSE(run.Has("*Cancel*")) << run.output;
    // The only question is the file choice's; a warning about codes may name
    // only codes that are no OS feature codes (one sample uses "1").
    const std::vector<std::string> missing = CodesWithoutBlock(run.transcript);
    for (const std::string& code : missing) {
      int index = -1;
      EXPECT_FALSE(tables.FindCodeIndex(code.c_str(), &index)) << "no symbol block for OS code " << code;
    }
    for (const std::string& box : run.MessageBoxes()) {
      if (box.find("Select files individually?") != std::string::npos) continue;
      EXPECT_TRUE(!missing.empty() && box.find("feature code(s) not found in the lookup table") != std::string::npos)
          << box;
    }
    pairs += Quoted(gml) + " " + Quoted(session.At("drawing.dxf")) + " ";
  }
  const CommandResult check = CheckImportedDrawings(pairs);
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(std::count(check.output.begin(), check.output.end(), '\n'), std::ssize(imports)) << check.output;
}

}  // namespace
