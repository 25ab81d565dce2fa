#include "gml/writer/attribute_csv.h"

#include <optional>
#include <vector>

#include "common/containers/text.h"
#include "gml/settings/settings_record.h"
#include "host/editor/command_line.h"
#include "host/system/files.h"

namespace {

constexpr const char* kCsvNames[4] = {"topo_lines.csv", "ITN_road_links.csv", "address_point.csv",
                                      "ITN_road_nodes.csv"};
constexpr const char* kInfoNames[4] = {"topo_lines_info.txt", "ITN_road_links_info.txt",
                                       "address_point_info.txt", "ITN_road_nodes_info.txt"};

constexpr const char* kFullHeaders[4] = {
    "TOID,Version_number,Version_date,Theme,Feature_code,Latest_change_date,"
    "Latest_reason_for_change,Descriptive_group,Descriptive_term,Make,Physical_level",
    "TOID,Version_number,Version_date,Theme,Latest_change_date,Latest_reason_for_change,"
    "Descriptive_group,Descriptive_term,Road_nature,Length,Description,Road_name,From_node_TOID,"
    "To_node_TOID",
    "TOID,Version_number,Version_date,Theme,Latest_change_date,Latest_reason_for_change,OSAPR,"
    "Department,PoBox,Building_name,Sub_building_name,Thoroughfare,Dependent_thoroughfare,"
    "Dependent_locality,Base_function,Post_code,post_type,Multiple_occupancy",
    "TOID,Version_number,Version_date,Easting co-ordinate(X),Northing co-ordinate(Y)",
};

std::string Number(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// CSV files are UTF-8: a record's text is already, unless its file was not.
template <std::size_t N>
std::string Field(const char (&field)[N]) {
  return CsvField(ToUtf8(FieldText(field)));
}

void WriteRow(std::FILE* file, const std::vector<std::string>& values) {
  if (file == nullptr) return;
  std::string row;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) row += ',';
    row += values[i];
  }
  row += '\n';
  std::fwrite(row.data(), 1, row.size(), file);
}

void WriteShortRow(std::FILE* file, const char* toid, std::int32_t version) {
  WriteRow(file, {CsvField(toid), std::to_string(version)});
}

}  // namespace

std::string CsvField(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

const char* CsvFileName(CsvKind kind) { return kCsvNames[static_cast<int>(kind)]; }
const char* CsvInfoFileName(CsvKind kind) { return kInfoNames[static_cast<int>(kind)]; }

std::string CsvFilePath(const OS_GML_ACAD_Definitions& settings, const char* fileName) {
  // File names on Linux are UTF-8, whatever the folder's characters.
  std::string folder = WideToUtf8(settings.csvDirectory);
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder + WideToUtf8(settings.csvFileId) + fileName;
}

std::string CsvHeader(CsvKind kind, int csvLevel, const OS_GML_ACAD_Definitions& settings) {
  if (csvLevel == kCsvShort) return "TOID,Version_number\n";
  std::string header = kFullHeaders[static_cast<int>(kind)];
  if (kind == CsvKind::kAddressPoints) {
    if (settings.readPostalAddress)
      header += ",Organisation,Building_number,Building_name,Thoroughfare,Post_town,Post_code,"
                "Post_type,Delivery_point,address_key";
    if (settings.readBs7666) header += ",Saon,Paon,Street,Locality,Town,Admin_area,Post_code,post_type";
    if (settings.readAddressAuthority) header += ",UARN,UDPRN";
    if (settings.readAddressStatus)
      header += ",Match_status,Physical_status,Positional_quality,Positional_quality_accuracy,"
                "Structure_type";
  }
  return header + "\n";
}

void CsvRun::Start() {
  for (std::size_t s = 0; s < files_.size(); ++s) (void)CloseFile(static_cast<int>(s));
  infoWritten_.fill(false);
  opened_.fill(false);
  warned_.fill(false);
  replaced_.fill(false);
  failures_ = 0;
}

std::FILE* CsvRun::OpenFile(const std::string& path, int slot) {
  const std::size_t s = static_cast<std::size_t>(slot);
  (void)CloseFile(slot);
  paths_[s] = path;
  bool heldRows = false;  // a CSV file of an earlier import that this open empties
  if (s < replaced_.size() && !opened_[s]) {
    const std::optional<host::FileInfo> before = host::GetFileInfo(host::WidePath(path));
    heldRows = before.has_value() && before->size > 0 &&
               (before->attributes & host::kAttributeDirectory) == 0;
  }
  if (files_[s].Open(path, opened_[s])) {
    if (heldRows) replaced_[s] = true;
    opened_[s] = true;
    return files_[s].Stream();
  }
  if (!warned_[s]) {
    warned_[s] = true;
    ++failures_;
    host::Printf(L"Warning: Could not open the attribute file %ls for writing. %ls.\n",
                 host::WidePath(path).c_str(), NarrowToWide(files_[s].Reason()).c_str());
  }
  return nullptr;
}

bool CsvRun::CloseFile(int slot) {
  const std::size_t s = static_cast<std::size_t>(slot);
  if (!files_[s].IsOpen() || files_[s].Close()) return true;
  // A file cut short is reported once a run; a later location's rows
  // appended to it do not make it whole.
  if (!warned_[s]) {
    warned_[s] = true;
    ++failures_;
    host::Printf(L"Error: Could not write the attribute file %ls: %ls. The file is incomplete.\n",
                 host::WidePath(paths_[s]).c_str(), NarrowToWide(files_[s].Reason()).c_str());
  }
  return false;
}

std::FILE* CsvRun::Open(CsvKind kind, const OS_GML_ACAD_Definitions& settings) {
  const int k = static_cast<int>(kind);
  const std::string csvPath = CsvFilePath(settings, CsvFileName(kind));
  std::FILE* file = OpenFile(csvPath, k);
  if (!infoWritten_[static_cast<std::size_t>(k)]) {
    infoWritten_[static_cast<std::size_t>(k)] = true;
    if (std::FILE* info = OpenFile(CsvFilePath(settings, CsvInfoFileName(kind)), 4 + k)) {
      std::fprintf(info, "# Data fields in comma separated value file %s\n#\n", csvPath.c_str());
      const std::string header = CsvHeader(kind, settings.attributesToCsv, settings);
      std::fwrite(header.data(), 1, header.size(), info);
      (void)CloseFile(4 + k);
    }
  }
  return file;
}

void CsvRun::ReportReplaced() {
  std::wstring folder;
  std::wstring names;
  for (std::size_t s = 0; s < replaced_.size(); ++s) {
    if (!replaced_[s]) continue;
    replaced_[s] = false;
    // The files of a run share one folder: it is named once.
    const std::wstring path = host::WidePath(paths_[s]);
    const std::size_t cut = path.find_last_of(L"/\\") + 1;  // 0 without a separator
    const std::wstring own = path.substr(0, cut);
    if (names.empty()) {
      folder = own;
    } else {
      names += L", ";
    }
    names += own == folder ? path.substr(cut) : path;
  }
  if (names.empty()) return;
  host::Printf(L"Replaced the CSV files of an earlier import in %ls: %ls.\n",
               folder.empty() ? L"." : folder.c_str(), names.c_str());
}

bool CsvRun::Close(std::FILE* file) {
  if (file == nullptr) return true;
  for (std::size_t s = 0; s < files_.size(); ++s)
    if (files_[s].Stream() == file) return CloseFile(static_cast<int>(s));
  return true;
}

void WriteTopoLineCsvLine(bool shortRow, std::FILE* file, const LineFeatureRecord& line) {
  const CommonAttributes& c = line.common;
  if (shortRow) return WriteShortRow(file, c.toid, line.version);
  WriteRow(file, {Field(c.toid), std::to_string(line.version), Field(c.versionDate), Field(c.theme),
                  Field(c.featureCode), Field(c.changeDate), Field(c.reasonForChange),
                  Field(c.descriptiveGroup), Field(c.descriptiveTerm), Field(c.make),
                  std::to_string(line.physicalLevel)});
}

void WriteRoadLinkCsvLine(bool shortRow, std::FILE* file, const RoadLinkRecord& link) {
  if (shortRow) return WriteShortRow(file, link.toid, link.version);
  WriteRow(file, {Field(link.toid), std::to_string(link.version), Field(link.versionDate),
                  Field(link.theme), Field(link.changeDate), Field(link.reasonForChange),
                  Field(link.descriptiveGroup), Field(link.descriptiveTerm), Field(link.natureOfRoad),
                  Number("%.3f", link.length), Field(link.roadTerm), Field(link.roadName),
                  Field(link.startNode), Field(link.endNode)});
}

void WriteRoadNodeCsvLine(bool shortRow, std::FILE* file, const RoadNodeRecord& node) {
  if (shortRow) return WriteShortRow(file, node.toid, node.version);
  WriteRow(file, {Field(node.toid), std::to_string(node.version), Field(node.versionDate),
                  Number("%f", node.x), Number("%f", node.y)});
}

void WriteAddressPointCsvLine(bool shortRow, std::FILE* file, const OS_GML_ACAD_Definitions& settings,
                              const AddressPointRecord& a) {
  if (shortRow) return WriteShortRow(file, a.toid, a.version);
  std::vector<std::string> values = {
      Field(a.toid), std::to_string(a.version), Field(a.versionDate), Field(a.theme),
      Field(a.changeDate), Field(a.reasonForChange), Field(a.osapr), Field(a.department),
      Field(a.poBox), Field(a.buildingName), Field(a.subBuildingName), Field(a.thoroughfare),
      Field(a.dependentThoroughfare), Field(a.dependentLocality), Field(a.baseFunction),
      Field(a.postCode), Field(a.postCodeType), std::to_string(a.multipleOccupancyCount)};
  auto add = [&values](std::initializer_list<std::string> more) {
    values.insert(values.end(), more);
  };
  if (settings.readPostalAddress)
    add({Field(a.organisation), Field(a.buildingNumber), Field(a.postalBuildingName),
         Field(a.postalThoroughfare), Field(a.postTown), Field(a.postalPostCode),
         Field(a.postalPostCodeType), Field(a.deliveryPointSuffix), Field(a.addressKey)});
  if (settings.readBs7666)
    add({Field(a.saon), Field(a.paon), Field(a.street), Field(a.locality), Field(a.town),
         Field(a.adminArea), Field(a.bs7666PostCode), Field(a.bs7666PostCodeType)});
  if (settings.readAddressAuthority) add({Field(a.uarn), Field(a.udprn)});
  if (settings.readAddressStatus)
    add({Field(a.matchStatus), Field(a.physicalStatus), Field(a.positionalQuality),
         Field(a.positionalAccuracy), Field(a.structureType)});
  WriteRow(file, values);
}
