// The feature-code table (.ovc): reading, writing and lookup.
//
// File layout, one record a line, fields separated by single blanks:
//   row:       [OS Code:] c [Layer color:] n [Layer status:] ofl [Use extra conditions:] u [ACAD layer:] layer
//   variant:   [Extracondition OS Code:] c [Layer color:] n [Layer status:] ofl [Extracondition test qty:] k [ACAD layer:] layer
//   condition: [Extracondition match:] m [Extracondition item:] item [Extracondition value:] value
// The k condition lines of a variant follow it directly; variants join the
// first row of their code, so they come after the rows.
#include <cstdio>
#include <string>

#include "common/containers/line_reader.h"
#include "common/containers/text.h"
#include "gml/settings/settings_messages.h"
#include "gml/settings/settings_record.h"
#include "gml/settings/table_lines.h"
#include "gml/settings/text_fields.h"
#include "gml/settings/text_file.h"

using gml_settings::CopyField;
using gml_settings::CutTo;
using gml_settings::FieldText;
using gml_settings::FindLabel;
using gml_settings::Format;
using gml_settings::ReadInt;
using gml_settings::SafeFileWriter;
using gml_settings::TokenUpToBlank;

namespace {

constexpr char kRowCode[] = "[OS Code:] ";
constexpr char kLayer[] = "[ACAD layer:] ";
constexpr char kColour[] = "[Layer color:] ";
constexpr char kStatus[] = "[Layer status:] ";
constexpr char kUseConditions[] = "[Use extra conditions:] ";
constexpr char kVariantCode[] = "[Extracondition OS Code:] ";
constexpr char kCount[] = "[Extracondition test qty:] ";
constexpr char kMatch[] = "[Extracondition match:] ";
constexpr char kItem[] = "[Extracondition item:] ";
constexpr char kValue[] = "[Extracondition value:] ";
constexpr char kHeader[] = "# Code lookup table for reading OS data from gml file";

// Layer, colour and the three layer flags, as a row line and a variant line
// carry them.
struct LayerFields {
  std::string_view layer;
  std::int32_t colour = 1;
  std::uint8_t on = 1, frozen = 0, locked = 0;
};

LayerFields ReadLayerFields(std::string_view line) {
  LayerFields f;
  std::string_view rest;
  if (FindLabel(line, kLayer, &rest)) f.layer = rest;
  if (FindLabel(line, kStatus, &rest)) {
    f.on = rest.size() > 0 && rest[0] == '1';
    f.frozen = rest.size() > 1 && rest[1] == '1';
    f.locked = rest.size() > 2 && rest[2] == '1';
  }
  if (FindLabel(line, kColour, &rest)) f.colour = ReadInt(TokenUpToBlank(rest, rest.size()));
  return f;
}

char Flag(std::uint8_t value) { return value != 0 ? '1' : '0'; }

}  // namespace

namespace gml_settings {

// A condition line of the .ovc and .ovl files; false when a label is missing.
bool ReadConditionLine(std::string_view line, AttributeCondition* condition) {
  std::string_view match, item, value;
  if (!FindLabel(line, kMatch, &match) || !FindLabel(line, kItem, &item) ||
      !FindLabel(line, kValue, &value)) {
    return false;
  }
  *condition = AttributeCondition{};
  condition->match = !match.empty() && match[0] == '1';
  CopyField(condition->item, TokenUpToBlank(item, 105));
  CopyField(condition->value, value, 512);
  return true;
}

std::string ConditionLine(const AttributeCondition& condition) {
  return std::string(kMatch) + Flag(condition.match) + " " + kItem +
         std::string(FieldText(condition.item)) + " " + kValue + std::string(FieldText(condition.value));
}

}  // namespace gml_settings

void OS_GML_ACAD_Definitions::ClearCodeTable() {
  if (codeTable.marker != kGrowArrayMarker) return;
  for (std::int32_t i = 0; i < codeTable.count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&codeTable, i, &slot)) break;
    auto* entry = static_cast<CodeLookupEntry*>(slot);
    if (entry->variants.marker != kGrowArrayMarker) continue;
    for (std::int32_t v = 0; v < entry->variants.count; ++v) {
      void* vslot = nullptr;
      if (!GrowArrayGetPtr(&entry->variants, v, &vslot)) break;
      auto* variant = static_cast<ConditionVariant*>(vslot);
      if (variant->conditions.marker == kGrowArrayMarker) GrowArrayFree(&variant->conditions);
    }
    GrowArrayFree(&entry->variants);
  }
  codeTable.count = 0;
}

bool OS_GML_ACAD_Definitions::FindCodeIndex(const char* code, int* index) const {
  *index = -1;
  if (code == nullptr || codeTable.marker != kGrowArrayMarker) return false;
  std::string_view wanted(code);
  for (std::int32_t i = 0; i < codeTable.count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&codeTable, i, &slot)) return false;
    if (gml_settings::EqualsNoCase(FieldText(static_cast<CodeLookupEntry*>(slot)->code), wanted)) {
      *index = i;
      return true;
    }
  }
  return false;
}

bool OS_GML_ACAD_Definitions::LoadCodeLookupTable() {
  std::wstring path = TablePath(codeTableFileName);
  LineReader reader(path, 1023);
  if (!reader.Ok()) {
    std::wstring text = L"Warning: File '" + path +
                        L"' could not be opened.\n\nPlease note that all code lookup (.ovc) files "
                        L"need to be kept in the Orvane Support Folder, currently set as:\n\n'" +
                        supportFolder + L"'";
    gml_settings::ShowMessageBox(text);
    return true;
  }
  if (codeTable.marker != kGrowArrayMarker) return false;
  ClearCodeTable();

  std::string line;
  std::string_view rest;
  while (reader.Next(&line)) {
    if (FindLabel(line, kRowCode, &rest) && FindLabel(line, kLayer)) {
      CodeLookupEntry entry{};
      CopyField(entry.code, TokenUpToBlank(rest, 117));
      LayerFields f = ReadLayerFields(line);
      CopyField(entry.layer, f.layer, 512);
      entry.colour = f.colour;
      entry.on = f.on;
      entry.frozen = f.frozen;
      entry.locked = f.locked;
      std::string_view use;
      entry.useConditions = FindLabel(line, kUseConditions, &use) && !use.empty() && use[0] == '1';
      if (!GrowArraySet(&codeTable, codeTable.count, &entry)) return false;
      continue;
    }
    std::string_view countText;
    if (!FindLabel(line, kVariantCode, &rest) || !FindLabel(line, kCount, &countText) ||
        !FindLabel(line, kLayer)) {
      continue;
    }
    std::string code(TokenUpToBlank(rest, 102));
    std::int32_t conditionCount = ReadInt(CutTo(countText, 128));
    int row = -1;
    if (conditionCount <= 0 || !FindCodeIndex(code.c_str(), &row)) continue;

    ConditionVariant variant{};
    LayerFields f = ReadLayerFields(line);
    CopyField(variant.layer, f.layer, 512);
    variant.colour = f.colour;
    variant.on = f.on;
    variant.frozen = f.frozen;
    variant.locked = f.locked;
    if (!GrowArrayCreate(50, sizeof(AttributeCondition), &variant.conditions)) return false;
    bool ok = true;
    for (std::int32_t k = 0; k < conditionCount && ok; ++k) {
      if (!reader.Next(&line)) break;
      AttributeCondition condition;
      if (gml_settings::ReadConditionLine(line, &condition)) {
        ok = GrowArraySet(&variant.conditions, variant.conditions.count, &condition);
      }
    }
    void* slot = nullptr;
    ok = ok && GrowArrayGetPtr(&codeTable, row, &slot);
    if (ok) {
      auto* entry = static_cast<CodeLookupEntry*>(slot);
      if (entry->variants.marker != kGrowArrayMarker) {
        ok = GrowArrayCreate(50, sizeof(ConditionVariant), &entry->variants);
      }
      ok = ok && GrowArraySet(&entry->variants, entry->variants.count, &variant);
    }
    if (!ok) {
      GrowArrayFree(&variant.conditions);
      return false;
    }
  }
  return true;
}

bool OS_GML_ACAD_Definitions::SaveCodeLookupTable() {
  if (codeTableFileName.size() < 5) codeTableFileName = L"lwh_gml_codelookup.ovc";
  // Without a support folder the table has no file of its own to go to.
  if (codeTable.marker != kGrowArrayMarker || supportFolder.empty()) return false;
  std::wstring path = TablePath(codeTableFileName);
  SafeFileWriter out(path);
  if (!out.Ok()) return false;
  out.Line("# " + WideToUtf8(codeTableFileName));
  out.Line("#");

  // The user's lines: those between the two name lines and the header.
  LineReader old(path, 510);
  std::string line;
  bool cut = false;
  int skipped = 0;
  while (old.Ok() && old.Next(&line, &cut)) {
    if (skipped < 2) {
      if (!cut) ++skipped;
      continue;
    }
    if (line.find(kHeader) != std::string::npos) break;
    if (cut) {
      out.Text(line);
    } else {
      out.Line(line);
    }
  }

  out.Line(kHeader);
  out.Line("");
  for (std::int32_t i = 0; i < codeTable.count; ++i) {
    CodeLookupEntry entry;
    if (!GrowArrayGet(&codeTable, i, &entry)) {
      out.Abandon();
      return false;
    }
    out.Line(std::string(kRowCode) + std::string(FieldText(entry.code)) + " " +
             Format("%s%d %s%c%c%c %s%c ", kColour, entry.colour, kStatus, Flag(entry.on),
                    Flag(entry.frozen), Flag(entry.locked), kUseConditions,
                    Flag(entry.useConditions)) +
             kLayer + std::string(FieldText(entry.layer)));
  }
  out.Line("");
  out.Line("# Additional conditions for layering, if any, follows");
  out.Line("#");
  out.Line("# Supported items: theme, descriptiveTerm, descriptiveGroup, make and physicalPresence");
  out.Line("");
  for (std::int32_t i = 0; i < codeTable.count; ++i) {
    CodeLookupEntry entry;
    if (!GrowArrayGet(&codeTable, i, &entry)) {
      out.Abandon();
      return false;
    }
    if (entry.variants.marker != kGrowArrayMarker) continue;
    for (std::int32_t v = 0; v < entry.variants.count; ++v) {
      ConditionVariant variant;
      if (!GrowArrayGet(&entry.variants, v, &variant)) {
        out.Abandon();
        return false;
      }
      if (variant.conditions.marker != kGrowArrayMarker) continue;
      out.Line(std::string(kVariantCode) + std::string(FieldText(entry.code)) + " " +
               Format("%s%d %s%c%c%c %s%d ", kColour, variant.colour, kStatus, Flag(variant.on),
                      Flag(variant.frozen), Flag(variant.locked), kCount,
                      variant.conditions.count) +
               kLayer + std::string(FieldText(variant.layer)));
      for (std::int32_t c = 0; c < variant.conditions.count; ++c) {
        AttributeCondition condition;
        if (!GrowArrayGet(&variant.conditions, c, &condition)) {
          out.Abandon();
          return false;
        }
        out.Line(gml_settings::ConditionLine(condition));
      }
    }
  }
  return out.Commit();
}
