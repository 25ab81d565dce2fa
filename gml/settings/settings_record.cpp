#include "gml/settings/settings_record.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/containers/line_reader.h"
#include "common/containers/text.h"
#include "gml/settings/settings_messages.h"
#include "gml/settings/text_fields.h"
#include "gml/settings/text_file.h"

using gml_settings::EqualsNoCase;
using gml_settings::FindLabel;
using gml_settings::Format;
using gml_settings::ReadInt;
using gml_settings::ReadReal;
using gml_settings::SafeFileWriter;

namespace {

using Record = OS_GML_ACAD_Definitions;
using Member = std::variant<std::int32_t Record::*, std::uint8_t Record::*, double Record::*,
                            std::wstring Record::*, std::array<std::int32_t, 5> Record::*>;

// How a key is laid out in the written file.
enum class Layout {
  C2,  // comment, empty line, key line, two empty lines
  C0,  // comment, empty line, key line
  K2,  // key line, two empty lines
  K0,  // key line alone
};

// How a line with the key's label sets the member.
enum class Rule {
  YesNo,     // "Yes" or "No", letter case ignored; any other value is refused
  Range,     // integer; outside lo..hi gives the fallback
  Int,       // integer, no check
  Text,      // the value text; empty leaves the member
  TextOr,    // the value text; empty gives the default text
  Folder,    // as TextOr, then a separator appended when missing
  AnyText,   // the value text, also when empty
  Scale,     // the block scale: a number within kMin/kMaxBlockScaling, else refused
  Colour,    // a colour index 1..256; any other value is refused
  FiveInts,  // up to five integers; missing ones keep their values
};

struct Key {
  const char* label;
  const char* comment;  // null: none
  Layout layout;
  Member member;
  Rule rule;
  int order;  // precedence when a line holds several labels: lowest wins
  std::int32_t lo = 0, hi = 0, fallback = 0;
  const wchar_t* text = nullptr;  // default text of TextOr and Folder
};

constexpr char kFirstComment[] = "# Use Code Lookup table, Yes or No";

// Every key in the order of the written file.
const Key kKeys[] = {
    {"[Use Code Look Up Table:] ", kFirstComment, Layout::C2, &Record::useCodeLookupTable, Rule::YesNo, 45},
    {"[Use Symbol Look Up Table:] ", "# Use Symbol Lookup table, Yes or No", Layout::C2,
     &Record::useSymbolLookupTable, Rule::YesNo, 44},
    {"[Mark Term beside a point:] ", "# Mark Term (if any) beside a Topographic Point, Yes or No",
     Layout::C2, &Record::markTermBesidePoint, Rule::YesNo, 43},
    {"[Mark Term beside a symbol:] ", "# Mark Term (if any) beside a Cartographic Symbol, Yes or No",
     Layout::C2, &Record::markTermBesideSymbol, Rule::YesNo, 42},
    {"[Include Zarn's HA stuff:] ", "# Include Zarn's HA stuff, Yes or No", Layout::C2,
     &Record::includeZarnsHaStuff, Rule::YesNo, 46},
    {"[Attributions to xdata:] ", "# Attributes to XData in AutoCAD, 0=none, 1=toids only, 2=all",
     Layout::C2, &Record::attributesToXdata, Rule::Range, 21, 0, 2, 1},
    {"[Attributions to odata:] ",
     "# Attributes to Object Data in Autodesk Map, 0=none, 1=toids only, 2=all", Layout::C2,
     &Record::attributesToOdata, Rule::Range, 22, 0, 2, 1},
    {"[Attributions to SDF:] ", "# Attributes to SDF file, Yes or No", Layout::C2,
     &Record::attributesToSdf, Rule::YesNo, 24},
    {"[Attributions to SDF file ID:] ",
     "# Attributes to SDF file ID. E.g. in \"ABC_topo_polyline.sdf\" the \"ABC_\" is the ID",
     Layout::C2, &Record::sdfFileId, Rule::TextOr, 15, 0, 0, 0, L"Orvane001_"},
    {"[Attributions to SDF files' directory:] ", "# Attributes to SDF files' directory", Layout::C2,
     &Record::sdfDirectory, Rule::Folder, 17, 0, 0, 0, L"c:\\"},
    {"[Attributions to CSV:] ", "# Attributes to CSV file, 0=none, 1=toids only, 2=all", Layout::C2,
     &Record::attributesToCsv, Rule::Range, 23, 0, 2, 1},
    {"[Attributions to CSV file ID:] ",
     "# Attributes to CSV file ID. E.g. in \"ABC_topo_polyline.csv\" the \"ABC_\" is the ID",
     Layout::C2, &Record::csvFileId, Rule::TextOr, 14, 0, 0, 0, L"Orvane001_"},
    {"[Attributions to CSV files' directory:] ", "# Attributes to CSV files' directory", Layout::C2,
     &Record::csvDirectory, Rule::Folder, 16, 0, 0, 0, L"c:\\"},
    {"[Layers defined by:] ", "# Layers defined by, 0=feature ID, 1=lookup table", Layout::C2,
     &Record::layersDefinedBy, Rule::Range, 7, 0, 1, 1},
    {"[Points and symbols as:] ",
     "# Points and symbols as, 0=block lookup table, 1=fixed blocks, 2=points", Layout::C2,
     &Record::pointsAndSymbolsAs, Rule::Range, 8, 0, 2, 0},
    {"[If fcode not found then:] ", "# If fcode not found then, 0=acad point, 1=ignore, 2=fixed block",
     Layout::C0, &Record::ifCodeNotFound, Rule::Range, 12, 0, 2, 0},
    {"[If fcode layer not found then:] ",
     "# If fcode layer not found then, 0=code as layer, 1=ignore, 2=fixed layer", Layout::C0,
     &Record::ifCodeLayerNotFound, Rule::Range, 9, 0, 2, 0},
    {"[Fixed block name:] ", nullptr, Layout::K2, &Record::fixedBlockName, Rule::TextOr, 6, 0, 0, 0,
     L"apoint"},
    {"[Set scaling factor:] ",
     "# Set scaling factor, 0=1:500, 1=1:1250, 2=1:2500, 3=1:10000, 4=Manual value", Layout::C0,
     &Record::scalingFactorChoice, Rule::Range, 11, 0, 4, 1},
    {"[Manual scaling factor value:] ", nullptr, Layout::K0, &Record::manualScalingFactor, Rule::Range,
     10, 1, 5000000, 1250},
    {"[Input ITN Roads Nodes:] ", nullptr, Layout::K0, &Record::inputRoadNodes, Rule::YesNo, 38},
    {"[Input ITN Roads Links:] ", nullptr, Layout::K0, &Record::inputRoadLinks, Rule::YesNo, 40},
    {"[Input ITN Roads:] ", nullptr, Layout::K0, &Record::inputRoads, Rule::YesNo, 39},
    {"[Input Topographical Lines:] ", nullptr, Layout::K0, &Record::inputTopoLines, Rule::YesNo, 41},
    {"[Input Topographical Points:] ", nullptr, Layout::K0, &Record::inputTopoPoints, Rule::YesNo, 36},
    {"[Input Address Points:] ", nullptr, Layout::K0, &Record::inputAddressPoints, Rule::YesNo, 37},
    {"[Input Cartographical Symbols:] ", nullptr, Layout::K0, &Record::inputCartoSymbols, Rule::YesNo, 35},
    {"[Input Cartographical Text:] ", nullptr, Layout::K0, &Record::inputCartoText, Rule::YesNo, 34},
    {"[Input Polygons:] ", nullptr, Layout::K0, &Record::inputPolygons, Rule::YesNo, 33},
    {"[Filter by property:] ", nullptr, Layout::K0, &Record::filterByProperty, Rule::YesNo, 32},
    {"[Zoom to limits of data:] ", nullptr, Layout::K0, &Record::zoomToData, Rule::YesNo, 19},
    {"[Draw OS Grid lines:] ", nullptr, Layout::K0, &Record::drawOsGridLines, Rule::YesNo, 20},
    {"[Force Text entities to fixed layer:] ", nullptr, Layout::K0, &Record::forceTextToFixedLayer,
     Rule::YesNo, 18},
    {"[Forced Text layer name:] ", nullptr, Layout::K0, &Record::forcedTextLayer, Rule::TextOr, 13, 0,
     0, 0, L"MasterMap Text"},
    {"[AutoCAD block scaling factor:] ", nullptr, Layout::K0, &Record::blockScalingFactor, Rule::Scale,
     25},
    {"[Area filtering:] ", nullptr, Layout::K0, &Record::areaFiltering, Rule::YesNo, 31},
    {"[Trim lines to area edges:] ", nullptr, Layout::K0, &Record::trimLinesToAreaEdges, Rule::YesNo, 27},
    {"[Draw polygons as solid hatches:] ", nullptr, Layout::K0, &Record::drawPolygonsAsHatches,
     Rule::YesNo, 28},
    {"[Plant ACAD blocks (symbols) into polygons:] ", nullptr, Layout::K0,
     &Record::plantBlocksInPolygons, Rule::YesNo, 29},
    {"[Draw polygons as polylines:] ", nullptr, Layout::K0, &Record::drawPolygonsAsPolylines, Rule::YesNo,
     30},
    {"[Select lines within area(0) or crossing(1) :] ", nullptr, Layout::K0, &Record::locationMode,
     Rule::Range, 26, 0, 1, 0},
    {"[Save departed features:] ", nullptr, Layout::K0, &Record::saveDepartedFeatures, Rule::YesNo, 1},
    {"[Saved departed features layer:] ", nullptr, Layout::K0, &Record::departedFeaturesLayer,
     Rule::TextOr, 5, 0, 0, 0, L"Departed Features"},
    {"[Code lookup table file name:] ", nullptr, Layout::K0, &Record::codeTableFileName, Rule::TextOr,
     4, 0, 0, 0, L"lwh_gml_codelookup.ovc"},
    {"[Symbol lookup table file name:] ", nullptr, Layout::K0, &Record::symbolTableFileName,
     Rule::TextOr, 3, 0, 0, 0, L"lwh_gml_symbollookup.ovs"},
    {"[Symbology lookup table file name:] ", nullptr, Layout::K0, &Record::symbologyTableFileName,
     Rule::TextOr, 2, 0, 0, 0, L"lwh_gml_symbologylookup.ovl"},
    {"[Road layer way (0=by road name, 1=fixed):] ", nullptr, Layout::K0, &Record::roadLayerWay,
     Rule::Range, 47, 0, 1, 0},
    {"[Road fixed layer name:] ", nullptr, Layout::K0, &Record::roadFixedLayer, Rule::Text, 48},
    {"[Road fixed layer color:] ", nullptr, Layout::K0, &Record::roadFixedLayerColour, Rule::Colour, 49},
    {"[Road layer is on:] ", nullptr, Layout::K0, &Record::roadLayerOn, Rule::YesNo, 50},
    {"[Road layer is frozen:] ", nullptr, Layout::K0, &Record::roadLayerFrozen, Rule::YesNo, 51},
    {"[Road layer is locked:] ", nullptr, Layout::K0, &Record::roadLayerLocked, Rule::YesNo, 52},
    {"[Road link layer way (0=by avalue, 1=fixed):] ", nullptr, Layout::K0, &Record::roadLinkLayerWay,
     Rule::Range, 53, 0, 1, 0},
    {"[Road link layer value (0=term, 1=nature, 2=term+nature):] ", nullptr, Layout::K0,
     &Record::roadLinkLayerValue, Rule::Range, 55, 0, 2, 0},
    {"[Road link fixed layer name:] ", nullptr, Layout::K0, &Record::roadLinkFixedLayer, Rule::Text, 54},
    {"[Road link fixed layer color:] ", nullptr, Layout::K0, &Record::roadLinkFixedLayerColour,
     Rule::Colour, 56},
    {"[Road link layer is on:] ", nullptr, Layout::K0, &Record::roadLinkLayerOn, Rule::YesNo, 57},
    {"[Road link layer is frozen:] ", nullptr, Layout::K0, &Record::roadLinkLayerFrozen, Rule::YesNo, 58},
    {"[Road link layer is locked:] ", nullptr, Layout::K0, &Record::roadLinkLayerLocked, Rule::YesNo, 59},
    {"[Road node marking way (0=acad point, 1=symbol block):] ", nullptr, Layout::K0,
     &Record::roadNodeMarkingWay, Rule::Range, 60, 0, 1, 0},
    {"[Road node layer name:] ", nullptr, Layout::K0, &Record::roadNodeLayer, Rule::Text, 62},
    {"[Road node block name:] ", nullptr, Layout::K0, &Record::roadNodeBlock, Rule::Text, 64},
    {"[Road node layer color:] ", nullptr, Layout::K0, &Record::roadNodeLayerColour, Rule::Colour, 66},
    {"[Road node layer is on:] ", nullptr, Layout::K0, &Record::roadNodeLayerOn, Rule::YesNo, 68},
    {"[Road node layer is frozen:] ", nullptr, Layout::K0, &Record::roadNodeLayerFrozen, Rule::YesNo, 70},
    {"[Road node layer is locked:] ", nullptr, Layout::K0, &Record::roadNodeLayerLocked, Rule::YesNo, 72},
    {"[Address point marking way (0=acad point, 1=symbol block):] ", nullptr, Layout::K0,
     &Record::addressMarkingWay, Rule::Range, 61, 0, 1, 0},
    {"[Address point layer name:] ", nullptr, Layout::K0, &Record::addressLayer, Rule::Text, 63},
    {"[Address point block name:] ", nullptr, Layout::K0, &Record::addressBlock, Rule::Text, 65},
    {"[Address point layer color:] ", nullptr, Layout::K0, &Record::addressLayerColour, Rule::Colour, 67},
    {"[Address point layer is on:] ", nullptr, Layout::K0, &Record::addressLayerOn, Rule::YesNo, 69},
    {"[Address point layer is frozen:] ", nullptr, Layout::K0, &Record::addressLayerFrozen, Rule::YesNo,
     71},
    {"[Address point layer is locked:] ", nullptr, Layout::K0, &Record::addressLayerLocked, Rule::YesNo,
     73},
    {"[Read Postal address:] ", nullptr, Layout::K0, &Record::readPostalAddress, Rule::YesNo, 74},
    {"[Read BS7666:] ", nullptr, Layout::K0, &Record::readBs7666, Rule::YesNo, 75},
    {"[Read Address authority:] ", nullptr, Layout::K0, &Record::readAddressAuthority, Rule::YesNo, 76},
    {"[Read Address status:] ", nullptr, Layout::K0, &Record::readAddressStatus, Rule::YesNo, 77},
    {"[Path to OS tile files:] ", nullptr, Layout::K0, &Record::osTilePath, Rule::AnyText, 78},
    {"[OS tiles insert mode (0=Xref, 1=Block, 2=Block (exploded)):] ", nullptr, Layout::K0,
     &Record::osTileInsertMode, Rule::Int, 79},
    {"[OS tiles area matching mode (0=fully in, 1=partially in):] ", nullptr, Layout::K0,
     &Record::osTileMatchingMode, Rule::Int, 80},
    {"[OS tiles selection method (0=picked points, 1=areas and crossing polylines):] ", nullptr,
     Layout::K0, &Record::osTileSelectionMethod, Rule::Int, 81},
    {"[Use a prefix in ITN layer names:] ", nullptr, Layout::K0, &Record::useItnLayerPrefix, Rule::YesNo,
     82},
    // The ITN settings let the prefix be empty: that is read back as it was saved.
    {"[Prefix for ITN layer names:] ", nullptr, Layout::K0, &Record::itnLayerPrefix, Rule::AnyText, 83},
    {"[Edge buffering accuracy, number of points (lo med hi vhi ehi):] ", nullptr, Layout::K0,
     &Record::edgeBufferingPoints, Rule::FiveInts, 84},
    {"[Symbol placement persistance, wait time in seconds (lo med hi vhi ehi):] ", nullptr,
     Layout::K0, &Record::placementWaitSeconds, Rule::FiveInts, 85},
};
constexpr int kKeyCount = static_cast<int>(sizeof kKeys / sizeof kKeys[0]);
static_assert(kKeyCount == 85);

// The key after which "# Other parameters" stands.
constexpr std::string_view kLastScalingLabel = "[Manual scaling factor value:] ";

// The value of a line: the text after its first ":] ".
std::string_view ValueOf(std::string_view line) {
  std::size_t at = line.find(":] ");
  return at == std::string_view::npos ? std::string_view() : line.substr(at + 3);
}

bool HasSeparatorAtEnd(const std::wstring& text) {
  return !text.empty() && (text.back() == L'\\' || text.back() == L'/');
}

void ReadFiveInts(std::string_view value, std::array<std::int32_t, 5>* levels) {
  std::size_t i = 0;
  for (std::int32_t& level : *levels) {
    while (i < value.size() && value[i] == ' ') ++i;
    std::size_t start = i;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) ++i;
    std::size_t digits = i;
    while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
    if (i == digits) return;  // no integer here: this level and the rest keep theirs
    level = ReadInt(value.substr(start, i - start));
    if (i < value.size() && value[i] != ' ') return;
  }
}

// Lowest and highest colour index a layer of the import may be given in the
// file (256 is "by layer").
constexpr std::int32_t kMinFileColour = 1;
constexpr std::int32_t kMaxFileColour = 256;

// True when `value` is a plain real number within the block scale's range.
bool ReadScale(std::string_view value, double* scale) {
  const double read = ReadReal(value);
  if (!(read >= kMinBlockScaling && read <= kMaxBlockScaling)) return false;
  *scale = read;
  return true;
}

// The value of a Yes/No key's member.
std::int32_t SwitchOf(const Record& record, const Key& key) {
  if (auto m = std::get_if<std::int32_t Record::*>(&key.member)) return record.**m;
  if (auto m = std::get_if<std::uint8_t Record::*>(&key.member)) return record.**m;
  return 0;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The line of the refusal message for a value that makes no sense: the key,
// the value as written, what it must be and what is kept.
std::wstring RefusedLine(const Key& key, std::string_view value, const std::string& wanted,
                         const std::string& kept) {
  std::string label = key.label;
  while (!label.empty() && label.back() == ' ') label.pop_back();
  return Utf8ToWide(label + " " + std::string(value) + " (" + wanted + "; " + kept +
                      " is kept)");
}

// Sets the key's member from its line. A value that makes no sense for its
// key is refused: the member keeps its value and `refused` gets a line.
void ApplyKey(Record* record, const Key& key, std::string_view line,
              std::vector<std::wstring>* refused) {
  std::string_view value = ValueOf(line);
  switch (key.rule) {
    case Rule::YesNo: {
      // The value is the text after this key's own label: a line may hold
      // other labels before it.
      std::string_view word;
      (void)FindLabel(line, key.label, &word);
      word = TrimBlanks(word);
      std::int32_t v = 0;
      if (EqualsNoCase(word, "Yes")) {
        v = 1;
      } else if (!EqualsNoCase(word, "No")) {
        refused->push_back(RefusedLine(key, word, "Yes or No is needed",
                                       SwitchOf(*record, key) != 0 ? "Yes" : "No"));
        break;
      }
      if (auto m = std::get_if<std::int32_t Record::*>(&key.member)) record->**m = v;
      if (auto m = std::get_if<std::uint8_t Record::*>(&key.member))
        record->**m = static_cast<std::uint8_t>(v);
      break;
    }
    case Rule::Range: {
      std::int32_t v = ReadInt(value);
      record->*std::get<std::int32_t Record::*>(key.member) =
          (v < key.lo || v > key.hi) ? key.fallback : v;
      break;
    }
    case Rule::Int:
      record->*std::get<std::int32_t Record::*>(key.member) = ReadInt(value);
      break;
    case Rule::Scale: {
      // A scale of 0, a negative one or one beyond any drawing (NaN, 1e308)
      // would insert every block invisible, mirrored or unbounded.
      double& scale = record->*std::get<double Record::*>(key.member);
      if (!ReadScale(value, &scale))
        refused->push_back(RefusedLine(key, value,
                                       Format("a number from %g to %.0f is needed", kMinBlockScaling,
                                              kMaxBlockScaling),
                                       Format("%g", scale)));
      break;
    }
    case Rule::Colour: {
      std::int32_t& colour = record->*std::get<std::int32_t Record::*>(key.member);
      const std::int32_t v = ReadInt(value);
      if (v >= kMinFileColour && v <= kMaxFileColour)
        colour = v;
      else
        refused->push_back(RefusedLine(key, value,
                                       Format("a colour from %d to %d is needed", kMinFileColour,
                                              kMaxFileColour),
                                       Format("%d", colour)));
      break;
    }
    case Rule::Text:
      if (!value.empty()) record->*std::get<std::wstring Record::*>(key.member) = Utf8ToWide(value);
      break;
    case Rule::TextOr:
    case Rule::Folder: {
      std::wstring& text = record->*std::get<std::wstring Record::*>(key.member);
      text = value.empty() ? std::wstring(key.text) : Utf8ToWide(value);
      if (key.rule == Rule::Folder && !HasSeparatorAtEnd(text)) text += L'/';
      break;
    }
    case Rule::AnyText:
      record->*std::get<std::wstring Record::*>(key.member) = Utf8ToWide(value);
      break;
    case Rule::FiveInts:
      ReadFiveInts(value, &(record->*std::get<std::array<std::int32_t, 5> Record::*>(key.member)));
      break;
  }
}

std::string ValueText(const Record& record, const Key& key) {
  switch (key.rule) {
    case Rule::YesNo:
      return SwitchOf(record, key) != 0 ? "Yes" : "No";
    case Rule::Range:
    case Rule::Int:
    case Rule::Colour:
      return Format("%d", record.*std::get<std::int32_t Record::*>(key.member));
    case Rule::Scale:
      return Format("%lf", record.*std::get<double Record::*>(key.member));
    case Rule::Text:
    case Rule::TextOr:
    case Rule::Folder:
    case Rule::AnyText:
      return WideToUtf8(record.*std::get<std::wstring Record::*>(key.member));
    case Rule::FiveInts: {
      const auto& levels = record.*std::get<std::array<std::int32_t, 5> Record::*>(key.member);
      return Format(" %d %d %d %d %d", levels[0], levels[1], levels[2], levels[3], levels[4]);
    }
  }
  return {};
}

}  // namespace

OS_GML_ACAD_Definitions::OS_GML_ACAD_Definitions() {
  bool ok = GrowArrayCreate(50, sizeof(CodeLookupEntry), &codeTable);
  ok = GrowArrayCreate(50, sizeof(SymbolLookupEntry), &symbolTable) && ok;
  ok = GrowArrayCreate(50, sizeof(SymbologySet), &symbologySets) && ok;
  constructionFailed = ok ? 0 : 1;
}

OS_GML_ACAD_Definitions::~OS_GML_ACAD_Definitions() {
  if (codeTable.marker == kGrowArrayMarker) {
    ClearCodeTable();
    GrowArrayFree(&codeTable);
  }
  if (symbologySets.marker == kGrowArrayMarker) {
    ClearSymbologySets();
    GrowArrayFree(&symbologySets);
  }
  if (symbolTable.marker == kGrowArrayMarker) GrowArrayFree(&symbolTable);
}

std::wstring OS_GML_ACAD_Definitions::TablePath(const std::wstring& fileName) const {
  return supportFolder + fileName;
}

bool OS_GML_ACAD_Definitions::LoadSettings(const std::wstring& path, bool setFolder) {
  osTilePath.clear();
  osTileInsertMode = 0;
  osTileMatchingMode = 1;
  osTileSelectionMethod = 1;
  settingsPath = path;
  if (setFolder) {
    std::size_t at = path.find_last_of(L"\\/");
    supportFolder = at == std::wstring::npos ? std::wstring() : path.substr(0, at + 1);
  }

  LineReader reader(path, 510);
  std::string line;
  std::vector<std::wstring> refused;
  while (reader.Ok() && reader.Next(&line)) {
    const Key* chosen = nullptr;
    for (const Key& key : kKeys) {
      if (line.find(key.label) == std::string::npos) continue;
      if (chosen == nullptr || key.order < chosen->order) chosen = &key;
    }
    if (chosen != nullptr) ApplyKey(this, *chosen, line, &refused);
  }
  if (includeZarnsHaStuff == 0) attributesToSdf = 0;
  if (!refused.empty()) {
    std::wstring text = L"Warning: Some values in " + path + L" make no sense and were not taken:\n";
    for (const std::wstring& one : refused) text += L"\n" + one;
    gml_settings::ShowMessageBox(text);
  }
  return true;
}

bool OS_GML_ACAD_Definitions::HasSettingsFile() const {
  return settingsPath.size() >= 5 || !supportFolder.empty();
}

bool OS_GML_ACAD_Definitions::SaveSettings() {
  // Without a file or a support folder there is nowhere the settings belong:
  // they are not scattered into whatever folder the process works in.
  if (!HasSettingsFile()) return false;
  if (settingsPath.size() < 5) settingsPath = supportFolder + L"lwh_gml.ini";
  SafeFileWriter out(settingsPath);
  if (!out.Ok()) return false;

  // The user's own lines stand above the first key's comment.
  LineReader old(settingsPath, 510);
  std::string line;
  bool cut = false;
  while (old.Ok() && old.Next(&line, &cut)) {
    if (line.find(kFirstComment) != std::string::npos) break;
    if (cut) {
      out.Text(line);
    } else {
      out.Line(line);
    }
  }

  for (int i = 0; i < kKeyCount; ++i) {
    const Key& key = kKeys[i];
    if (key.comment != nullptr) {
      if (i == 1 || i == 2) out.Line("");
      out.Line(key.comment);
      out.Line("");
    }
    std::string keyLine = std::string(key.label) + ValueText(*this, key);
    out.Line(keyLine);
    if (key.layout == Layout::C2 || key.layout == Layout::K2) {
      out.Line("");
      out.Line("");
    }
    if (key.label == kLastScalingLabel) {
      out.Line("# Other parameters");
      out.Line("");
    }
  }
  return out.Commit();
}
