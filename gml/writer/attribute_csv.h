// The attribute CSV files of an import and their "_info.txt" companions.
//
// Four kinds of feature can have their attributes written one row per drawn
// piece or point: topographic lines, ITN road links, ITN road nodes and
// address points. A file's path is the settings' CSV directory, the file ID
// and the kind's file name joined as they are. The CSV files hold rows only;
// the info file, written once per run when its kind first opens its CSV
// file, names the CSV file and gives the header line of its columns.
//
// Rows: values separated by commas, texts as stored in the record, whole
// numbers in decimal, a road link's length with 3 decimals and a node's
// position with 6. A value holding a comma, a double quote or a line break
// is written in double quotes with its double quotes doubled (RFC 4180);
// every other value is written as it is. A short row (CSV level 1) is the
// TOID and the version.
//
// Within one run (CsvRun) a file is truncated when it is first opened and
// appended to after that, so the locations of a batch run share one file and
// a new run starts afresh. A CSV file that held rows before the run opened it
// (an earlier import into the same folder with the same file ID) is noted,
// and the end of the run names every such file on one line of the command
// line (ReportReplaced). A file that cannot be opened is reported once on
// the command line and its rows are skipped; drawing goes on. Every write and
// every close is checked: a file that could not be written whole (a full
// disk, a folder that went away) is reported once, with the system's reason,
// when it is closed, and the run counts it (Failures()).
#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "gml/reader/feature_records.h"
#include "host/system/checked_file.h"

class OS_GML_ACAD_Definitions;

enum class CsvKind { kTopoLines = 0, kRoadLinks = 1, kAddressPoints = 2, kRoadNodes = 3 };

// CSV levels of "[Attributions to CSV:]".
inline constexpr int kCsvNone = 0;
inline constexpr int kCsvShort = 1;
inline constexpr int kCsvFull = 2;

// "topo_lines.csv" and so on; the info file's name ends "_info.txt".
const char* CsvFileName(CsvKind kind);
const char* CsvInfoFileName(CsvKind kind);
// Directory + file ID + name, narrow. A directory that does not end in a
// separator (as the folder picker gives it) gets one: the files go into
// the chosen folder, not beside it under its name.
std::string CsvFilePath(const OS_GML_ACAD_Definitions& settings, const char* fileName);

// The header line of a kind's columns, line end included; level 1 gives
// "TOID,Version_number\n".
std::string CsvHeader(CsvKind kind, int csvLevel, const OS_GML_ACAD_Definitions& settings);

// The marks of one import run.
class CsvRun {
 public:
  // Clears the marks: the next open of each file truncates it.
  void Start();
  // Opens the kind's CSV file for writing rows (null when it cannot be
  // opened). The first open of a kind in the run writes its info file.
  std::FILE* Open(CsvKind kind, const OS_GML_ACAD_Definitions& settings);
  // Closes a file that Open() gave (nothing for null); false, after the
  // report, when its rows did not all reach the file.
  bool Close(std::FILE* file);
  // Attribute and info files of the run that could not be opened or
  // written whole.
  int Failures() const { return failures_; }
  // Prints one line naming the CSV files whose earlier rows the run
  // replaced, and forgets them; nothing when there are none.
  void ReportReplaced();

 private:
  // Opens the file of `slot` (CSV files 0 to 3 by kind, then their info
  // files); null after the report when it cannot be opened.
  std::FILE* OpenFile(const std::string& path, int slot);
  bool CloseFile(int slot);
  std::array<host::CheckedFile, 8> files_;
  std::array<std::string, 8> paths_;
  std::array<bool, 4> infoWritten_{};
  std::array<bool, 8> opened_{};  // CSV files, then info files
  std::array<bool, 8> warned_{};
  std::array<bool, 4> replaced_{};  // CSV files that held rows before the run
  int failures_ = 0;
};

// One row each; `shortRow` for CSV level 1. Nothing is written to a null
// file.
void WriteTopoLineCsvLine(bool shortRow, std::FILE* file, const LineFeatureRecord& line);
void WriteRoadLinkCsvLine(bool shortRow, std::FILE* file, const RoadLinkRecord& link);
void WriteRoadNodeCsvLine(bool shortRow, std::FILE* file, const RoadNodeRecord& node);
void WriteAddressPointCsvLine(bool shortRow, std::FILE* file, const OS_GML_ACAD_Definitions& settings,
                              const AddressPointRecord& address);

// A value as a CSV field: quoted when it holds a comma, a double quote or a
// line break.
std::string CsvField(std::string_view value);
