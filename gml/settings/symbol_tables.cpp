// The symbol table (.ovs) and the polygon symbology sets (.ovl).
//
// .ovs row:  [OS symbol:] code [ACAD symbol:] block name to the line end
// .ovl set:  [Symbols qty:] m [Extracondition test qty:] n
//            then per symbol three lines
//              [ACAD layer:] layer
//              [Symbol name:] block
//              [Layer color:] c [Layer status:] ofl [Edge buffering accuracy:] a
//                [Symbol placement persistance:] p [Symbol density:] d
//                [Edge buffering distance:] e [Symbol buffering distance:] s
//            then n condition lines as in the .ovc file.
#include <algorithm>
#include <string>

#include "common/containers/line_reader.h"
#include "common/containers/text.h"
#include "gml/settings/settings_messages.h"
#include "gml/settings/settings_record.h"
#include "gml/settings/table_lines.h"
#include "gml/settings/text_fields.h"
#include "gml/settings/text_file.h"

using gml_settings::CopyField;
using gml_settings::FieldText;
using gml_settings::FindLabel;
using gml_settings::Format;
using gml_settings::ReadInt;
using gml_settings::ReadReal;
using gml_settings::SafeFileWriter;
using gml_settings::TokenUpToBlank;

namespace {

constexpr char kOsSymbol[] = "[OS symbol:] ";
constexpr char kAcadSymbol[] = "[ACAD symbol:] ";
constexpr char kSymbolHeader[] = "# Symbol lookup table for reading OS data from gml file";

constexpr char kSymbolCount[] = "[Symbols qty:] ";
constexpr char kConditionCount[] = "[Extracondition test qty:] ";
constexpr char kLayer[] = "[ACAD layer:] ";
constexpr char kBlock[] = "[Symbol name:] ";
constexpr char kColour[] = "[Layer color:] ";
constexpr char kStatus[] = "[Layer status:] ";
constexpr char kAccuracy[] = "[Edge buffering accuracy:] ";
constexpr char kPersistence[] = "[Symbol placement persistance:] ";
constexpr char kDensity[] = "[Symbol density:] ";
constexpr char kEdgeBuffer[] = "[Edge buffering distance:] ";
constexpr char kSymbolBuffer[] = "[Symbol buffering distance:] ";
constexpr char kSymbologyHeader[] =
    "# Symbology settings for filling polygons (=areas) with symbols (=AutoCAD blocks)";

// A list's first capacity: what the header announces, within reason (the list
// grows when the announced count is larger).
constexpr std::int32_t kMaxFirstCapacity = 1024;

char Flag(std::uint8_t value) { return value != 0 ? '1' : '0'; }

std::string_view Token(std::string_view rest) { return TokenUpToBlank(rest, rest.size()); }

// The three lines of one symbol; false when one is missing or malformed.
bool ReadSymbol(LineReader* reader, SymbologySymbol* symbol) {
  *symbol = SymbologySymbol{};
  std::string line;
  std::string_view rest;
  if (!reader->Next(&line, nullptr) || !FindLabel(line, kLayer, &rest) || rest.empty()) return false;
  CopyField(symbol->layer, rest, 512);
  if (!reader->Next(&line, nullptr) || !FindLabel(line, kBlock, &rest) || rest.empty()) return false;
  CopyField(symbol->block, rest, 512);
  if (!reader->Next(&line, nullptr)) return false;
  std::string_view colour, status, accuracy, persistence, density, edge, spacing;
  if (!FindLabel(line, kColour, &colour) || !FindLabel(line, kStatus, &status) ||
      !FindLabel(line, kAccuracy, &accuracy) || !FindLabel(line, kPersistence, &persistence) ||
      !FindLabel(line, kDensity, &density) || !FindLabel(line, kEdgeBuffer, &edge) ||
      !FindLabel(line, kSymbolBuffer, &spacing)) {
    return false;
  }
  symbol->on = status.size() > 0 && status[0] == '1';
  symbol->frozen = status.size() > 1 && status[1] == '1';
  symbol->locked = status.size() > 2 && status[2] == '1';
  symbol->colour = ReadInt(Token(colour));
  symbol->accuracyLevel = ReadInt(Token(accuracy));
  symbol->persistenceLevel = ReadInt(Token(persistence));
  symbol->density = ReadReal(Token(density));
  symbol->edgeBuffer = ReadReal(Token(edge));
  symbol->symbolBuffer = ReadReal(Token(spacing));
  return true;
}

void FreeSet(SymbologySet* set) {
  if (set->symbols.marker == kGrowArrayMarker) GrowArrayFree(&set->symbols);
  if (set->conditions.marker == kGrowArrayMarker) GrowArrayFree(&set->conditions);
}

// Copies the old file's lines from line `skip` on up to, not including, the
// first line that holds `header`.
void CopyUserLines(const std::wstring& path, int skip, const char* header, SafeFileWriter* out) {
  LineReader old(path, 510);
  std::string line;
  bool cut = false;
  int skipped = 0;
  while (old.Ok() && old.Next(&line, &cut)) {
    if (skipped < skip) {
      if (!cut) ++skipped;
      continue;
    }
    if (line.find(header) != std::string::npos) break;
    if (cut) {
      out->Text(line);
    } else {
      out->Line(line);
    }
  }
}

}  // namespace

bool OS_GML_ACAD_Definitions::LoadSymbolLookupTable() {
  LineReader reader(TablePath(symbolTableFileName), 510);
  if (!reader.Ok()) return true;
  if (symbolTable.marker != kGrowArrayMarker) return false;
  symbolTable.count = 0;
  std::string line;
  std::string_view code, block;
  while (reader.Next(&line)) {
    if (!FindLabel(line, kOsSymbol, &code) || !FindLabel(line, kAcadSymbol, &block)) continue;
    SymbolLookupEntry entry{};
    CopyField(entry.code, TokenUpToBlank(code, 115));
    CopyField(entry.block, block, 497);
    if (!GrowArraySet(&symbolTable, symbolTable.count, &entry)) return false;
  }
  return true;
}

bool OS_GML_ACAD_Definitions::SaveSymbolLookupTable() {
  if (symbolTableFileName.size() < 5) symbolTableFileName = L"lwh_gml_symbollookup.dat";
  // Without a support folder the table has no file of its own to go to.
  if (symbolTable.marker != kGrowArrayMarker || supportFolder.empty()) return false;
  std::wstring path = TablePath(symbolTableFileName);
  SafeFileWriter out(path);
  if (!out.Ok()) return false;
  CopyUserLines(path, 0, kSymbolHeader, &out);
  out.Line(kSymbolHeader);
  out.Line("");
  for (std::int32_t i = 0; i < symbolTable.count; ++i) {
    SymbolLookupEntry entry;
    if (!GrowArrayGet(&symbolTable, i, &entry)) {
      out.Abandon();
      return false;
    }
    out.Line(std::string(kOsSymbol) + std::string(FieldText(entry.code)) + " " + kAcadSymbol +
             std::string(FieldText(entry.block)));
  }
  return out.Commit();
}

void OS_GML_ACAD_Definitions::ClearSymbologySets() {
  if (symbologySets.marker != kGrowArrayMarker) return;
  for (std::int32_t i = 0; i < symbologySets.count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&symbologySets, i, &slot)) break;
    FreeSet(static_cast<SymbologySet*>(slot));
  }
  symbologySets.count = 0;
}

bool OS_GML_ACAD_Definitions::LoadSymbologyTable() {
  std::wstring path = TablePath(symbologyTableFileName);
  LineReader reader(path, 1023);
  if (!reader.Ok()) {
    gml_settings::ShowMessageBox(L"Warning: Could not read " + path +
                                 L".\n\nThis is not a fatal error but may affect the symbology "
                                 L"input.");
    return true;
  }
  if (symbologySets.marker != kGrowArrayMarker) return false;
  ClearSymbologySets();

  std::string line;
  while (reader.Next(&line)) {
    std::string_view symbolCount, conditionCount;
    if (!FindLabel(line, kSymbolCount, &symbolCount) ||
        !FindLabel(line, kConditionCount, &conditionCount)) {
      continue;
    }
    std::int32_t m = ReadInt(Token(symbolCount));
    std::int32_t n = ReadInt(Token(conditionCount));
    if (m < 1 || n < 1) continue;

    SymbologySet set{};
    bool ok = GrowArrayCreate(std::min(m, kMaxFirstCapacity), sizeof(SymbologySymbol), &set.symbols) &&
              GrowArrayCreate(std::min(n, kMaxFirstCapacity), sizeof(AttributeCondition),
                              &set.conditions);
    for (std::int32_t k = 0; k < m && ok; ++k) {
      SymbologySymbol symbol;
      ok = ReadSymbol(&reader, &symbol) && GrowArraySet(&set.symbols, set.symbols.count, &symbol);
    }
    for (std::int32_t k = 0; k < n && ok; ++k) {
      AttributeCondition condition;
      ok = reader.Next(&line) && gml_settings::ReadConditionLine(line, &condition) &&
           GrowArraySet(&set.conditions, set.conditions.count, &condition);
    }
    ok = ok && GrowArraySet(&symbologySets, symbologySets.count, &set);
    if (!ok) {
      FreeSet(&set);
      return false;
    }
  }
  return true;
}

bool OS_GML_ACAD_Definitions::SaveSymbologyTable() {
  if (symbologyTableFileName.size() < 5) symbologyTableFileName = L"lwh_gml_symbologylookup.ovl";
  // Without a support folder the table has no file of its own to go to.
  if (symbologySets.marker != kGrowArrayMarker || supportFolder.empty()) return false;
  std::wstring path = TablePath(symbologyTableFileName);
  SafeFileWriter out(path);
  if (!out.Ok()) return false;
  out.Line("# " + WideToUtf8(symbologyTableFileName));
  CopyUserLines(path, 1, kSymbologyHeader, &out);
  out.Line(kSymbologyHeader);
  out.Line("");
  for (std::int32_t i = 0; i < symbologySets.count; ++i) {
    SymbologySet set;
    if (!GrowArrayGet(&symbologySets, i, &set)) {
      out.Abandon();
      return false;
    }
    std::int32_t m = set.symbols.marker == kGrowArrayMarker ? set.symbols.count : 0;
    std::int32_t n = set.conditions.marker == kGrowArrayMarker ? set.conditions.count : 0;
    out.Line(Format("%s%d %s%d", kSymbolCount, m, kConditionCount, n));
    for (std::int32_t k = 0; k < m; ++k) {
      SymbologySymbol symbol;
      if (!GrowArrayGet(&set.symbols, k, &symbol)) {
        out.Abandon();
        return false;
      }
      out.Line(std::string(kLayer) + std::string(FieldText(symbol.layer)));
      out.Line(std::string(kBlock) + std::string(FieldText(symbol.block)));
      out.Line(Format("%s%d %s%c%c%c %s%d %s%d %s%lf %s%lf %s%lf", kColour, symbol.colour, kStatus,
                      Flag(symbol.on), Flag(symbol.frozen), Flag(symbol.locked), kAccuracy,
                      symbol.accuracyLevel, kPersistence, symbol.persistenceLevel, kDensity,
                      symbol.density, kEdgeBuffer, symbol.edgeBuffer, kSymbolBuffer,
                      symbol.symbolBuffer));
    }
    for (std::int32_t k = 0; k < n; ++k) {
      AttributeCondition condition;
      if (!GrowArrayGet(&set.conditions, k, &condition)) {
        out.Abandon();
        return false;
      }
      out.Line(gml_settings::ConditionLine(condition));
    }
  }
  return out.Commit();
}
