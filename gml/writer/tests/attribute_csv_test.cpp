#include "gml/writer/attribute_csv.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "gml/settings/settings_record.h"
#include "host/editor/command_line.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"
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
    host::ResetForTest();
    settings.csvDirectory = folder.WideFolder();
    settings.csvFileId = L"Run1_";
  }
  void TearDown() override { host::ResetForTest(); }
  std::string Rows(CsvKind kind) { return folder.Read(std::string("Run1_") + CsvFileName(kind)); }
  std::string Info(CsvKind kind) { return folder.Read(std::string("Run1_") + CsvInfoFileName(kind)); }

  TempFolder folder;
  OS_GML_ACAD_Definitions settings;
  Lists lists;
};

// The whole third line of each kind's info file, as users' tools read it,
// for both levels and the address switches: every column name in its place.
TEST_F(AttributeCsvTest, EachKindsHeaderLineWhole) {
  const std::string address =
      "TOID,Version_number,Version_date,Theme,Latest_change_date,Latest_reason_for_change,OSAPR,"
      "Department,PoBox,Building_name,Sub_building_name,Thoroughfare,Dependent_thoroughfare,"
      "Dependent_locality,Base_function,Post_code,post_type,Multiple_occupancy";
  const std::string postal =
      ",Organisation,Building_number,Building_name,Thoroughfare,Post_town,Post_code,Post_type,"
      "Delivery_point,address_key";
  const std::string bs7666 = ",Saon,Paon,Street,Locality,Town,Admin_area,Post_code,post_type";
  const std::string authority = ",UARN,UDPRN";
  const std::string status =
      ",Match_status,Physical_status,Positional_quality,Positional_quality_accuracy,Structure_type";
  struct Case {
    CsvKind kind;
    int level;
    int postal, bs7666, authority, status;  // the address switches
    std::string header;
  };
  const Case cases[] = {
      {CsvKind::kTopoLines, kCsvFull, 1, 1, 1, 1,
       "TOID,Version_number,Version_date,Theme,Feature_code,Latest_change_date,"
       "Latest_reason_for_change,Descriptive_group,Descriptive_term,Make,Physical_level\n"},
      {CsvKind::kRoadLinks, kCsvFull, 1, 1, 1, 1,
       "TOID,Version_number,Version_date,Theme,Latest_change_date,Latest_reason_for_change,"
       "Descriptive_group,Descriptive_term,Road_nature,Length,Description,Road_name,"
       "From_node_TOID,To_node_TOID\n"},
      {CsvKind::kRoadNodes, kCsvFull, 1, 1, 1, 1,
       "TOID,Version_number,Version_date,Easting co-ordinate(X),Northing co-ordinate(Y)\n"},
      {CsvKind::kAddressPoints, kCsvFull, 1, 1, 1, 1, address + postal + bs7666 + authority + status + "\n"},
      {CsvKind::kAddressPoints, kCsvFull, 0, 0, 0, 0, address + "\n"},
      {CsvKind::kAddressPoints, kCsvFull, 1, 0, 0, 0, address + postal + "\n"},
      {CsvKind::kAddressPoints, kCsvFull, 0, 1, 0, 0, address + bs7666 + "\n"},
      {CsvKind::kAddressPoints, kCsvFull, 0, 0, 1, 0, address + authority + "\n"},
      {CsvKind::kAddressPoints, kCsvFull, 0, 0, 0, 1, address + status + "\n"},
      {CsvKind::kAddressPoints, kCsvFull, 1, 0, 1, 0, address + postal + authority + "\n"},
      {CsvKind::kTopoLines, kCsvShort, 1, 1, 1, 1, "TOID,Version_number\n"},
      {CsvKind::kRoadLinks, kCsvShort, 1, 1, 1, 1, "TOID,Version_number\n"},
      {CsvKind::kRoadNodes, kCsvShort, 1, 1, 1, 1, "TOID,Version_number\n"},
      {CsvKind::kAddressPoints, kCsvShort, 1, 1, 1, 1, "TOID,Version_number\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(CsvFileName(c.kind)) + " level " + std::to_string(c.level) + " switches " +
                 std::to_string(c.postal) + std::to_string(c.bs7666) + std::to_string(c.authority) +
                 std::to_string(c.status));
    settings.attributesToCsv = c.level;
    settings.readPostalAddress = static_cast<std::uint8_t>(c.postal);
    settings.readBs7666 = static_cast<std::uint8_t>(c.bs7666);
    settings.readAddressAuthority = static_cast<std::uint8_t>(c.authority);
    settings.readAddressStatus = static_cast<std::uint8_t>(c.status);
    CsvRun run;
    run.Start();
    EXPECT_TRUE(run.Close(run.Open(c.kind, settings)));
    EXPECT_EQ(Info(c.kind), "# Data fields in comma separated value file " +
                                folder.Path(std::string("Run1_") + CsvFileName(c.kind)) + "\n#\n" +
                                c.header);
    EXPECT_EQ(Rows(c.kind), "") << "the CSV file itself holds rows only";
  }
}

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
    EXPECT_TRUE(run.Close(file));
    std::filesystem::remove(folder.Path("Run1_topo_lines_info.txt"));
  }
  EXPECT_EQ(Rows(CsvKind::kTopoLines), "osgbL0001,4\nosgbL0001,4\n");
  EXPECT_FALSE(std::filesystem::exists(folder.Path("Run1_topo_lines_info.txt")))
      << "the info file is written once per run";

  run.Start();
  EXPECT_TRUE(run.Close(run.Open(CsvKind::kTopoLines, settings)));
  EXPECT_EQ(Rows(CsvKind::kTopoLines), "") << "a new run starts afresh";
  EXPECT_EQ(Info(CsvKind::kTopoLines),
            "# Data fields in comma separated value file " + folder.Path("Run1_topo_lines.csv") +
                "\n#\nTOID,Version_number\n");
}

// A run that empties a CSV file holding rows of an earlier import says so,
// once, on one line naming every such file; an empty or missing file, and a
// file the run itself wrote before (the next location of a batch), is no
// replacement.
TEST_F(AttributeCsvTest, TheRowsOfAnEarlierImportThatARunReplacesAreNamedOnOneLine) {
  settings.attributesToCsv = kCsvShort;
  folder.Write("Run1_topo_lines.csv", "osgbOld,1\n");
  folder.Write("Run1_ITN_road_links.csv", "");
  folder.Write("Run1_address_point.csv", "osgbOld,2\n");
  const LineFeatureRecord line = SampleLine(&lists);
  CsvRun run;
  run.Start();
  for (int location = 0; location < 2; ++location) {
    for (CsvKind kind :
         {CsvKind::kTopoLines, CsvKind::kRoadLinks, CsvKind::kRoadNodes, CsvKind::kAddressPoints}) {
      std::FILE* file = run.Open(kind, settings);
      ASSERT_NE(file, nullptr);
      WriteTopoLineCsvLine(true, file, line);
      EXPECT_TRUE(run.Close(file));
    }
  }
  EXPECT_EQ(host::CommandLineText(), L"");
  run.ReportReplaced();
  EXPECT_EQ(host::CommandLineText(), L"Replaced the CSV files of an earlier import in " +
                                         folder.WideFolder() +
                                         L": Run1_topo_lines.csv, Run1_address_point.csv.\n");
  run.ReportReplaced();
  EXPECT_EQ(Count(WideToNarrow(host::CommandLineText()), "Replaced"), 1) << "said once";

  // The next run replaces what this one wrote.
  host::ResetForTest();
  run.Start();
  EXPECT_TRUE(run.Close(run.Open(CsvKind::kRoadNodes, settings)));
  run.ReportReplaced();
  EXPECT_EQ(host::CommandLineText(), L"Replaced the CSV files of an earlier import in " +
                                         folder.WideFolder() + L": Run1_ITN_road_nodes.csv.\n");
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
  EXPECT_EQ(Count(shown, "ITN_road_links.csv for writing. " + std::string(std::strerror(ENOENT)) + ".\n"), 1)
      << "the system's reason";
  EXPECT_EQ(run.Failures(), 2);
}

// A CSV name that is a pipe nobody reads is reported at once, not waited on
// (the import would hang); the info file is written all the same.
TEST_F(AttributeCsvTest, APipeThatNobodyReadsIsReportedNotWaitedOn) {
  settings.attributesToCsv = kCsvShort;
  ASSERT_EQ(::mkfifo(folder.Path("Run1_ITN_road_nodes.csv").c_str(), 0644), 0);
  CsvRun run;
  run.Start();
  EXPECT_EQ(run.Open(CsvKind::kRoadNodes, settings), nullptr);
  EXPECT_EQ(run.Failures(), 1);
  const std::string shown = WideToNarrow(host::CommandLineText());
  EXPECT_EQ(Count(shown, "Warning: Could not open the attribute file " + folder.Path("Run1_ITN_road_nodes.csv") +
                             " for writing. " + std::strerror(ENXIO) + ".\n"),
            1)
      << shown;
  EXPECT_EQ(Info(CsvKind::kRoadNodes),
            "# Data fields in comma separated value file " + folder.Path("Run1_ITN_road_nodes.csv") +
                "\n#\nTOID,Version_number\n");
}

// A file that does not reach the disk whole (a full disk at any write or at
// the close, a folder removed while it is written) is reported with its
// path and the system's reason, once, and the run counts it; the rows of
// the other files are not touched by it.
TEST_F(AttributeCsvTest, AFileNotWrittenWholeIsReportedWithTheSystemsReason) {
  settings.attributesToCsv = kCsvShort;
  const LineFeatureRecord line = SampleLine(&lists);
  const RoadLinkRecord link = SampleLink(&lists);
  struct Case {
    const char* name;
    std::function<void()> arrange;  // before the files are opened
    std::function<void()> meanwhile;  // after the rows, before the close
    std::string reason;
  };
  const std::string folderGone = "the file or its folder was removed while it was written";
  const Case cases[] = {
      // The info file takes the first two checks (its block and its close).
      {"full disk at the first block of rows",
       [] { host::ArmFault(host::FaultPoint::WriteFile, 2, -1, ENOSPC); }, [] {},
       std::strerror(ENOSPC)},
      {"failure at the close", [] {},
       [] {
         ASSERT_EQ(std::fflush(nullptr), 0);
         host::ArmFault(host::FaultPoint::WriteFile, 0, 1, EIO);
       },
       std::strerror(EIO)},
      {"the real full device",
       [this] {
         std::filesystem::create_symlink("/dev/full", folder.Path("out/Run1_topo_lines.csv"));
       },
       [] {}, std::strerror(ENOSPC)},
      {"folder removed while written", [] {},
       [this] { std::filesystem::remove_all(folder.Path("out")); }, folderGone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host::ResetForTest();
    std::filesystem::remove_all(folder.Path("out"));
    std::filesystem::create_directories(folder.Path("out"));
    settings.csvDirectory = folder.WidePath("out");
    c.arrange();
    CsvRun run;
    run.Start();
    std::FILE* file = run.Open(CsvKind::kTopoLines, settings);
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < 20000; ++i) WriteTopoLineCsvLine(true, file, line);  // more than one block
    c.meanwhile();
    EXPECT_FALSE(run.Close(file));
    host::DisarmAllFaults();
    EXPECT_EQ(run.Failures(), 1);
    const std::string shown = WideToNarrow(host::CommandLineText());
    EXPECT_EQ(Count(shown, "Error: Could not write the attribute file " + folder.Path("out/Run1_topo_lines.csv") +
                               ": " + c.reason + ". The file is incomplete.\n"),
              1)
        << shown;

    // Another file of the run is written whole; the failed one is not
    // reported again when a later location appends to it.
    if (std::filesystem::exists(folder.Path("out"))) {
      std::FILE* links = run.Open(CsvKind::kRoadLinks, settings);
      WriteRoadLinkCsvLine(true, links, link);
      EXPECT_TRUE(run.Close(links));
      EXPECT_EQ(folder.Read("out/Run1_ITN_road_links.csv"), "osgb4000000001,7\n");
      (void)run.Close(run.Open(CsvKind::kTopoLines, settings));
      EXPECT_EQ(run.Failures(), 1);
    }
  }
}

// The info file is checked as the rows are: a disk that fills while it is
// written is reported under its own name.
TEST_F(AttributeCsvTest, AnInfoFileNotWrittenIsReported) {
  settings.attributesToCsv = kCsvShort;
  host::ScopedFault full(host::FaultPoint::WriteFile, 0, 1, ENOSPC);
  CsvRun run;
  run.Start();
  EXPECT_TRUE(run.Close(run.Open(CsvKind::kRoadNodes, settings)));
  EXPECT_EQ(run.Failures(), 1);
  const std::string shown = WideToNarrow(host::CommandLineText());
  EXPECT_NE(shown.find("Error: Could not write the attribute file " + folder.Path("Run1_ITN_road_nodes_info.txt") +
                       ": " + std::strerror(ENOSPC)),
            std::string::npos)
      << shown;
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
  EXPECT_TRUE(run.Close(file));
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
  EXPECT_TRUE(run.Close(file));
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
