#include "gml/writer/attribute_csv.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "gml/settings/settings_record.h"
#include "host/editor/command_line.h"
#include "writer_fixture.h"

using namespace writer_test;

namespace {

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class AttributeCsvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.csvDirectory = folder.WideFolder();
    settings.csvFileId = L"Run1_";
    host::ClearCommandLine();
  }
  std::string Rows(CsvKind kind) { return folder.Read(std::string("Run1_") + CsvFileName(kind)); }
  std::string Info(CsvKind kind) { return folder.Read(std::string("Run1_") + CsvInfoFileName(kind)); }

  TempFolder folder;
  OS_GML_ACAD_Definitions settings;
  Lists lists;
};

TEST_F(AttributeCsvTest, HeadersByLevelAndAddressSwitches) {
  EXPECT_EQ(CsvHeader(CsvKind::kRoadNodes, kCsvShort, settings), "TOID,Version_number\n");
  EXPECT_EQ(CsvHeader(CsvKind::kRoadNodes, kCsvFull, settings),
            "TOID,Version_number,Version_date,Easting co-ordinate(X),Northing co-ordinate(Y)\n");
  settings.readPostalAddress = settings.readBs7666 = settings.readAddressAuthority =
      settings.readAddressStatus = 0;
  const std::string bare = CsvHeader(CsvKind::kAddressPoints, kCsvFull, settings);
  EXPECT_EQ(Count(bare, ",") + 1, 18);
  settings.readBs7666 = settings.readAddressStatus = 1;
  const std::string some = CsvHeader(CsvKind::kAddressPoints, kCsvFull, settings);
  EXPECT_EQ(some.substr(bare.size() - 1),
            ",Saon,Paon,Street,Locality,Town,Admin_area,Post_code,post_type,Match_status,"
            "Physical_status,Positional_quality,Positional_quality_accuracy,Structure_type\n");
}

TEST_F(AttributeCsvTest, RowsByKindLevelAndFormat) {
  const std::string path = folder.Path("rows.csv");
  std::FILE* file = std::fopen(path.c_str(), "w");
  RoadLinkRecord link = SampleLink(&lists);
  WriteRoadLinkCsvLine(false, file, link);
  WriteRoadNodeCsvLine(false, file, SampleNode());
  WriteRoadNodeCsvLine(true, file, SampleNode());
  WriteTopoLineCsvLine(true, file, SampleLine(&lists));
  WriteRoadLinkCsvLine(false, nullptr, link);  // no file: nothing
  std::fclose(file);
  EXPECT_EQ(folder.Read("rows.csv"),
            "osgb4000000001,7,2005-02-02,Road Network,2005-01-01,New,Road Topology,A Road,"
            "Single Carriageway With A Very Long Nature Name,12.346,Named Road,HIGH STREET,"
            "osgb4000000010,osgb4000000011\n"
            "osgb4000000010,9,2005-04-04,530001.123456,180002.500000\n"
            "osgb4000000010,9\n"
            "osgbL0001,4\n");
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
}

TEST_F(AttributeCsvTest, ARunTruncatesAtItsFirstOpenAndAppendsAfter) {
  settings.attributesToCsv = kCsvShort;
  folder.Write("Run1_topo_lines.csv", "rows of an earlier run\n");
  const LineFeatureRecord line = SampleLine(&lists);
  CsvRun run;
  run.Start();
  for (int location = 0; location < 2; ++location) {
    std::FILE* file = run.Open(CsvKind::kTopoLines, settings);
    ASSERT_NE(file, nullptr);
    WriteTopoLineCsvLine(true, file, line);
    CsvRun::Close(file);
    std::filesystem::remove(folder.Path("Run1_topo_lines_info.txt"));
  }
  EXPECT_EQ(Rows(CsvKind::kTopoLines), "osgbL0001,4\nosgbL0001,4\n");
  EXPECT_FALSE(std::filesystem::exists(folder.Path("Run1_topo_lines_info.txt")))
      << "the info file is written once per run";

  run.Start();
  CsvRun::Close(run.Open(CsvKind::kTopoLines, settings));
  EXPECT_EQ(Rows(CsvKind::kTopoLines), "") << "a new run starts afresh";
  EXPECT_EQ(Info(CsvKind::kTopoLines),
            "# Data fields in comma separated value file " + folder.Path("Run1_topo_lines.csv") +
                "\n#\nTOID,Version_number\n");
}

TEST_F(AttributeCsvTest, AFileThatCannotBeOpenedIsReportedOnce) {
  settings.csvDirectory = folder.WideFolder() + L"missing/";
  CsvRun run;
  run.Start();
  EXPECT_EQ(run.Open(CsvKind::kRoadLinks, settings), nullptr);
  EXPECT_EQ(run.Open(CsvKind::kRoadLinks, settings), nullptr);
  const std::string shown = WideToNarrow(host::CommandLineText());
  EXPECT_EQ(Count(shown, "Warning: Could not open the attribute file"), 2) << shown;
  EXPECT_EQ(Count(shown, "ITN_road_links.csv"), 1);
  EXPECT_EQ(Count(shown, "ITN_road_links_info.txt"), 1);
}

// The folder picker gives folders without a final separator: the files go
// into the folder all the same, not beside it with its name before theirs.
TEST_F(AttributeCsvTest, FilesGoIntoAFolderGivenWithoutFinalSeparator) {
  struct Case {
    std::wstring directory;
    std::string path;
  };
  const Case cases[] = {
      {folder.WideFolder(), folder.Path("Run1_topo_lines.csv")},
      {folder.WidePath("csv"), folder.Path("csv/Run1_topo_lines.csv")},
      {folder.WidePath("csv") + L"\\", folder.Path("csv\\Run1_topo_lines.csv")},
      {L"", "Run1_topo_lines.csv"},
  };
  for (const Case& c : cases) {
    settings.csvDirectory = c.directory;
    EXPECT_EQ(CsvFilePath(settings, "topo_lines.csv"), c.path);
  }
  std::filesystem::create_directories(folder.Path("csv"));
  settings.csvDirectory = folder.WidePath("csv");
  CsvRun run;
  run.Start();
  std::FILE* file = run.Open(CsvKind::kTopoLines, settings);
  ASSERT_NE(file, nullptr);
  CsvRun::Close(file);
  EXPECT_TRUE(folder.Exists("csv/Run1_topo_lines.csv"));
  EXPECT_FALSE(folder.Exists("csvRun1_topo_lines.csv"));
}

// Python's csv module reads the rows back value for value, commas and
// quotes inside values included, and every row has its header's columns.
TEST_F(AttributeCsvTest, PythonsCsvModuleReadsTheRecordsValues) {
  settings.attributesToCsv = kCsvFull;
  CsvRun run;
  run.Start();
  std::FILE* file = run.Open(CsvKind::kAddressPoints, settings);
  ASSERT_NE(file, nullptr);
  AddressPointRecord address = SampleAddress();
  WriteAddressPointCsvLine(false, file, settings, address);
  CopyField(address.organisation, "Smith, \"Jones\" & Co");
  WriteAddressPointCsvLine(false, file, settings, address);
  CsvRun::Close(file);
  const std::string script =
      "import csv,sys\n"
      "header=open(sys.argv[1]).read().splitlines()[2].split(',')\n"
      "for row in csv.reader(open(sys.argv[2], newline='')):\n"
      "  assert len(row)==len(header), (len(row), len(header))\n"
      "  print('|'.join(row))\n";
  folder.Write("check.py", script);
  const std::string out = RunCommand("/usr/bin/python3 " + folder.Path("check.py") + " " +
                                     folder.Path("Run1_address_point_info.txt") + " " +
                                     folder.Path("Run1_address_point.csv"));
  const std::string first =
      "osgb1000002345|10|2006-01-01|Postal|2005-12-12|Modified|87654321|Accounts|PO 12|Rose, "
      "Cottage|Flat 2|High Street|Mews|Upper End|Residential|AB1 2CD|Large|2|ACME LTD|12|ROSE "
      "COTTAGE|HIGH STREET|OLDTOWN|AB1 2CF|S|1A|K789|Flat 2|Rose \"Cottage\"|High "
      "St|Upper|Oldtown|Shire|AB1 2CE|Small|U123|D456|Matched|Built|Surveyed|1m|House\n";
  std::string second = first;
  second.replace(second.find("ACME LTD"), 8, "Smith, \"Jones\" & Co");
  EXPECT_EQ(out, first + second);
}

}  // namespace
