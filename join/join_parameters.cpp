#include "join/join_parameters.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/dialogs/file_select_state.h"
#include "common/cad/entity_groups.h"
#include "common/support_finders/support_finders.h"
#include "common/containers/text.h"
#include "host/system/files.h"
#include "host/system/replace_file.h"

namespace {

constexpr char kGenStart[] = "*GEN general parameters start";
constexpr char kGenEnd[] = "*GEN general parameters end";
constexpr char kGenAppName[] = "**GEN Application name";
constexpr char kBlockStart[] = "*CVXN Corvex parameters start";
constexpr char kBlockEnd[] = "*CVXN Corvex parameters end";
// Lines are read in pieces of at most this many characters.
constexpr std::size_t kReadPiece = 511;

enum class Kind { kText, kReal, kFlag, kShort };

// One key of the "*CVXN" block, in the order the block is written.
struct KeyRow {
  const char* key;
  Kind kind;
  wchar_t (JoinParameters::*text)[kJoinLayerNameChars];
  double JoinParameters::*real;
  std::uint8_t JoinParameters::*flag;
  std::int16_t JoinParameters::*shortValue;
};

constexpr KeyRow Text(const char* key, wchar_t (JoinParameters::*m)[kJoinLayerNameChars]) {
  return {key, Kind::kText, m, nullptr, nullptr, nullptr};
}
constexpr KeyRow Real(const char* key, double JoinParameters::*m) {
  return {key, Kind::kReal, nullptr, m, nullptr, nullptr};
}
constexpr KeyRow Flag(const char* key, std::uint8_t JoinParameters::*m) {
  return {key, Kind::kFlag, nullptr, nullptr, m, nullptr};
}
constexpr KeyRow Short(const char* key, std::int16_t JoinParameters::*m) {
  return {key, Kind::kShort, nullptr, nullptr, nullptr, m};
}

constexpr KeyRow kKeys[] = {
    Text("**CVXN Layer name", &JoinParameters::layerName),
    Real("**CVXN Hz tolerance", &JoinParameters::hzTolerance),
    Real("**CVXN Vt tolerance", &JoinParameters::vtTolerance),
    Flag("**CVXN Allow 3D POLYLINES: 0 = no, 1 = yes", &JoinParameters::allow3dPolylines),
    Flag("**CVXN Automatic layers: 0 = no, 1 = yes", &JoinParameters::automaticLayers),
    Flag("**CVXN Verify directions: 0 = no, 1 = yes", &JoinParameters::verifyDirections),
    Flag("**CVXN Always break arcs: 0 = no, 1 = yes", &JoinParameters::alwaysBreakArcs),
    Flag("**CVXN Convert 3D to 2D: 0 = no, 1 = yes", &JoinParameters::convert3dTo2d),
    Flag("**CVXN Accept only 1st object's layer: 0=no, 1=yes",
         &JoinParameters::acceptOnlyFirstLayer),
    Real("**CVXN 2D new level when converting 3D to 2D", &JoinParameters::newLevel2d),
    Flag("**CVXN Ask parameters: 0 = no, 1 = yes", &JoinParameters::askParameters),
    Short("**CVXN Layer color", &JoinParameters::layerColour),
    Short("**CVXN Arc divide factor", &JoinParameters::arcDivideFactor),
};
static_assert(sizeof(kKeys) / sizeof(kKeys[0]) == 13);

bool SameLine(std::string_view line, std::string_view key) {
  return SameNameNoCase(NarrowToWide(line), NarrowToWide(key));
}

const KeyRow* FindKey(std::string_view line) {
  for (const KeyRow& row : kKeys)
    if (SameLine(line, row.key)) return &row;
  return nullptr;
}

// The number at the start of `text` (after blanks), or nothing when there is
// none.
std::optional<double> ReadReal(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value)) return std::nullopt;
  return value;
}
std::optional<long> ReadInteger(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
  return value;
}

// Stores a value line into the row's field when the join can use it.
void StoreValue(const KeyRow& row, const std::string& value, JoinParameters& p) {
  switch (row.kind) {
    case Kind::kText:
      NarrowToWide(p.*row.text, kJoinLayerNameChars, value.c_str());
      return;
    case Kind::kReal: {
      const std::optional<double> v = ReadReal(value);
      if (!v) return;
      const bool tolerance = row.real != &JoinParameters::newLevel2d;
      if (tolerance && *v < 0.0) return;
      p.*row.real = *v;
      return;
    }
    case Kind::kFlag: {
      const std::optional<long> v = ReadInteger(value);
      // A flag keeps the low byte of the number.
      if (v) p.*row.flag = static_cast<std::uint8_t>(static_cast<unsigned long>(*v) & 0xFFu);
      return;
    }
    case Kind::kShort: {
      const std::optional<long> v = ReadInteger(value);
      if (!v) return;
      if (row.shortValue == &JoinParameters::arcDivideFactor &&
          (*v < kMinArcDivideFactor || *v > kMaxArcDivideFactor))
        return;
      if (row.shortValue == &JoinParameters::layerColour && (*v < 1 || *v > 255)) return;
      p.*row.shortValue = static_cast<std::int16_t>(*v);
      return;
    }
  }
}

std::string FormatValue(const KeyRow& row, const JoinParameters& p) {
  char buffer[64];
  switch (row.kind) {
    case Kind::kText:
      return WideToNarrow(std::wstring_view(p.*row.text));
    case Kind::kReal:
      std::snprintf(buffer, sizeof buffer, "%lf", p.*row.real);
      return buffer;
    case Kind::kFlag:
      std::snprintf(buffer, sizeof buffer, "%i", static_cast<int>(p.*row.flag));
      return buffer;
    case Kind::kShort:
      std::snprintf(buffer, sizeof buffer, "%i", static_cast<int>(p.*row.shortValue));
      return buffer;
  }
  return {};
}

std::string Block(const JoinParameters& p) {
  std::string block = std::string(kBlockStart) + "\n";
  for (const KeyRow& row : kKeys) {
    block += row.key;
    block += '\n';
    block += FormatValue(row, p);
    block += '\n';
  }
  block += kBlockEnd;
  block += '\n';
  return block;
}

// One line of a file with its line end kept ("\n", "\r\n" or none).
struct RawLine {
  std::string text;
  std::string end;
};

// The file's lines exactly as they stand; nothing when it cannot be read.
std::optional<std::vector<RawLine>> ReadRawLines(const std::wstring& path) {
  const std::optional<std::string> native = host::NativePath(path);
  if (!native) return std::nullopt;
  std::FILE* file = std::fopen(native->c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::vector<RawLine> lines;
  RawLine line;
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    if (c != '\n') {
      line.text += static_cast<char>(c);
      continue;
    }
    line.end = "\n";
    if (!line.text.empty() && line.text.back() == '\r') {
      line.text.pop_back();
      line.end = "\r\n";
    }
    lines.push_back(std::move(line));
    line = RawLine{};
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  if (!line.text.empty()) lines.push_back(std::move(line));
  return lines;
}

// The index just past the old "*CVXN" block that starts at `start`: past its
// end marker, or, when the marker is missing, at the first line that is
// neither one of the block's keys nor the value line after one.
std::size_t OldBlockEnd(const std::vector<RawLine>& lines, std::size_t start) {
  for (std::size_t i = start + 1; i < lines.size(); ++i)
    if (SameLine(lines[i].text, kBlockEnd)) return i + 1;
  std::size_t i = start + 1;
  while (i < lines.size() && FindKey(lines[i].text) != nullptr) i += 2;
  return i < lines.size() ? i : lines.size();
}

std::wstring IniPathInSupportFolder() {
  wchar_t folder[kFinderFolderSize];
  if (FindVmrSupportFolder(folder) == nullptr) return {};
  return std::wstring(folder) + NarrowToWide(kCorvexIniName);
}

}  // namespace

JoinParameters& CorvexParameters() {
  static JoinParameters parameters = [] {
    JoinParameters p{};
    SetDefaultCorvexParameters(p);
    return p;
  }();
  return parameters;
}

void SetDefaultCorvexParameters(JoinParameters& p) {
  p = JoinParameters{};
  CopyField(p.layerName, L"New polyline");
  p.hzTolerance = 0.001;
  p.vtTolerance = 0.001;
  p.allow3dPolylines = 1;
  p.automaticLayers = 1;
  p.verifyDirections = 1;
  p.alwaysBreakArcs = 0;
  p.convert3dTo2d = 0;
  p.acceptOnlyFirstLayer = 0;
  p.newLevel2d = 0.0;
  p.askParameters = 1;
  p.layerColour = 7;
  p.arcDivideFactor = 32;
}

void LoadCorvexSettingsFrom(const std::wstring& path, JoinParameters& p) {
  SetDefaultCorvexParameters(p);
  std::vector<std::string> lines;
  if (!ReadTextLines(path, kReadPiece, &lines)) return;
  enum class Block { kNone, kGeneral, kJoin } block = Block::kNone;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (SameLine(line, kGenStart)) {
      block = Block::kGeneral;
    } else if (SameLine(line, kBlockStart)) {
      block = Block::kJoin;
    } else if (SameLine(line, kGenEnd) || SameLine(line, kBlockEnd)) {
      block = Block::kNone;
    } else if (block == Block::kGeneral && SameLine(line, kGenAppName)) {
      if (i + 1 < lines.size()) NarrowToWide(p.applicationName, kJoinAppNameChars, lines[++i].c_str());
    } else if (block == Block::kJoin) {
      const KeyRow* row = FindKey(line);
      // A key on the file's last line has no value and keeps its default.
      if (row != nullptr && i + 1 < lines.size()) StoreValue(*row, lines[++i], p);
    }
  }
}

bool SaveCorvexSettingsTo(const std::wstring& path, const JoinParameters& p) {
  std::vector<RawLine> lines;
  std::optional<host::FileInfo> info = host::GetFileInfo(path);
  if (info) {
    // A read-only file stays as the user made it, and a file that cannot be
    // read is not replaced: its other lines would be lost.
    if ((info->attributes & (host::kAttributeReadOnly | host::kAttributeDirectory)) != 0)
      return false;
    std::optional<std::vector<RawLine>> old = ReadRawLines(path);
    if (!old) return false;
    lines = std::move(*old);
  }

  std::size_t start = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (SameLine(lines[i].text, kBlockStart)) {
      start = i;
      break;
    }
  }
  const std::size_t resume = start < lines.size() ? OldBlockEnd(lines, start) : lines.size();

  std::string text;
  for (std::size_t i = 0; i < start; ++i) text += lines[i].text + lines[i].end;
  // A last line without a line end must not run into the block.
  if (start > 0 && lines[start - 1].end.empty()) text += '\n';
  text += Block(p);
  for (std::size_t i = resume; i < lines.size(); ++i) text += lines[i].text + lines[i].end;

  host::ReplacementFile file;
  if (!file.Begin(path)) return false;
  file.Write(text);
  return file.Commit();
}

void LoadCorvexSettings() {
  JoinParameters& p = CorvexParameters();
  const std::wstring path = IniPathInSupportFolder();
  if (path.empty()) {
    SetDefaultCorvexParameters(p);
    return;
  }
  LoadCorvexSettingsFrom(path, p);
}

bool SaveCorvexSettings() {
  const std::wstring path = IniPathInSupportFolder();
  if (path.empty()) return false;
  return SaveCorvexSettingsTo(path, CorvexParameters());
}
