#include "gml/writer/layer_resolution.h"

#include <functional>
#include <optional>
#include <string_view>
#include <type_traits>

#include "common/containers/text.h"
#include "gml/settings/text_fields.h"

using gml_settings::EqualsNoCase;

namespace {

// Every value of the feature's attribute `item` (none when the feature does
// not have it).
using AttributeValues = std::function<void(std::string_view item,
                                           const std::function<void(std::string_view)>& each)>;

template <typename T>
bool GetSlot(const GrowArray& array, std::int32_t index, const T** out) {
  void* slot = nullptr;
  if (array.marker != kGrowArrayMarker || index < 0 || index >= array.count ||
      !GrowArrayGetPtr(&array, index, &slot))
    return false;
  *out = static_cast<const T*>(slot);
  return true;
}

// A condition holds when its match flag is 1 and a value equals it, or
// when the flag is 0 and none does.
bool ConditionHolds(const AttributeCondition& condition, const AttributeValues& values) {
  bool equal = false;
  values(FieldText(condition.item), [&](std::string_view value) {
    if (EqualsNoCase(value, FieldText(condition.value))) equal = true;
  });
  return condition.match == 1 ? equal : !equal;
}

bool Refine(const OS_GML_ACAD_Definitions& settings, std::string* layer, std::int32_t* colour,
            int entryIndex, const AttributeValues& values) {
  const CodeLookupEntry* entry = nullptr;
  if (!GetSlot(settings.codeTable, entryIndex, &entry)) return false;
  if (entry->variants.marker != kGrowArrayMarker) return true;
  for (std::int32_t v = 0; v < entry->variants.count; ++v) {
    const ConditionVariant* variant = nullptr;
    if (!GetSlot(entry->variants, v, &variant)) return false;
    if (variant->conditions.marker != kGrowArrayMarker || variant->conditions.count <= 0) continue;
    bool all = true;
    for (std::int32_t c = 0; c < variant->conditions.count && all; ++c) {
      const AttributeCondition* condition = nullptr;
      if (!GetSlot(variant->conditions, c, &condition)) return false;
      all = ConditionHolds(*condition, values);
    }
    if (all) {
      *layer = std::string(FieldText(variant->layer));
      *colour = variant->colour;
      return true;
    }
  }
  return true;
}

// The single-valued attributes of a feature's common block.
void CommonValue(const CommonAttributes& c, std::string_view item,
                 const std::function<void(std::string_view)>& each) {
  if (EqualsNoCase(item, "theme")) each(FieldText(c.theme));
  else if (EqualsNoCase(item, "descriptiveGroup")) each(FieldText(c.descriptiveGroup));
  else if (EqualsNoCase(item, "descriptiveTerm")) each(FieldText(c.descriptiveTerm));
  else if (EqualsNoCase(item, "make")) each(FieldText(c.make));
}

void EachListed(const GrowArray& list, const std::function<void(std::string_view)>& each) {
  if (list.marker != kGrowArrayMarker) return;
  for (std::int32_t i = 0; i < list.count; ++i) {
    const DescriptiveValue* value = nullptr;
    if (GetSlot(list, i, &value)) each(FieldText(value->text));
  }
}

}  // namespace

bool FindCodeEntry(const OS_GML_ACAD_Definitions& settings, const char* code, std::string* layer,
                   std::int32_t* colour, bool* hasConditions, int* entryIndex) {
  *layer = code == nullptr ? std::string() : std::string(code);
  *colour = 7;
  int index = -1;
  if (!settings.FindCodeIndex(code, &index)) return false;
  const CodeLookupEntry* entry = nullptr;
  if (!GetSlot(settings.codeTable, index, &entry)) return false;
  *layer = std::string(FieldText(entry->layer));
  *colour = entry->colour;
  *hasConditions = entry->useConditions != 0 && entry->variants.marker == kGrowArrayMarker;
  *entryIndex = index;
  return true;
}

bool FindCodeEntryForLine(const OS_GML_ACAD_Definitions& settings, std::string* layer,
                          std::int32_t* colour, int entryIndex, const LineFeatureRecord& line) {
  return Refine(settings, layer, colour, entryIndex, [&line](std::string_view item, const auto& each) {
    if (EqualsNoCase(item, "physicalPresence")) each(FieldText(line.physicalPresence));
    else CommonValue(line.common, item, each);
  });
}

bool FindCodeEntryForPoint(const OS_GML_ACAD_Definitions& settings, std::string* layer,
                           std::int32_t* colour, int entryIndex, const PointFeatureRecord& point) {
  return Refine(settings, layer, colour, entryIndex, [&point](std::string_view item, const auto& each) {
    CommonValue(point.common, item, each);
  });
}

bool FindCodeEntryForText(const OS_GML_ACAD_Definitions& settings, std::string* layer,
                          std::int32_t* colour, int entryIndex, const TextFeatureRecord& text) {
  return Refine(settings, layer, colour, entryIndex, [&text](std::string_view item, const auto& each) {
    CommonValue(text.common, item, each);
  });
}

bool FindCodeEntryForArea(const OS_GML_ACAD_Definitions& settings, std::string* layer,
                          std::int32_t* colour, int entryIndex, const AreaFeatureRecord& area) {
  const AreaAttributes& a = area.attributes;
  return Refine(settings, layer, colour, entryIndex, [&a](std::string_view item, const auto& each) {
    if (EqualsNoCase(item, "theme")) EachListed(a.themes, each);
    else if (EqualsNoCase(item, "descriptiveGroup")) EachListed(a.groups, each);
    else if (EqualsNoCase(item, "descriptiveTerm")) EachListed(a.terms, each);
    else if (EqualsNoCase(item, "make")) each(FieldText(a.common.make));
  });
}

bool FindSymbolForCode(const OS_GML_ACAD_Definitions& settings, const char* code, std::string* block) {
  block->clear();
  if (code == nullptr) return false;
  const GrowArray& table = settings.symbolTable;
  if (table.marker != kGrowArrayMarker) return false;
  for (std::int32_t i = 0; i < table.count; ++i) {
    const SymbolLookupEntry* row = nullptr;
    if (!GetSlot(table, i, &row)) return false;
    if (EqualsNoCase(FieldText(row->code), code)) {
      *block = std::string(FieldText(row->block));
      return true;
    }
  }
  return false;
}

LayerChoice ChooseTopoLayer(const OS_GML_ACAD_Definitions& settings, TopoFeatureRef feature) {
  LayerChoice choice;
  const CommonAttributes& common = std::visit(
      [](const auto* record) -> const CommonAttributes& {
        if constexpr (std::is_same_v<std::decay_t<decltype(*record)>, AreaFeatureRecord>)
          return record->attributes.common;
        else
          return record->common;
      },
      feature);
  const std::string code(FieldText(common.featureCode));
  if (std::holds_alternative<const TextFeatureRecord*>(feature) && settings.forceTextToFixedLayer) {
    choice.layer = WideToUtf8(settings.forcedTextLayer);
    return choice;
  }
  if (!settings.useCodeLookupTable) {
    choice.layer = code;
    return choice;
  }
  bool hasConditions = false;
  int index = -1;
  if (!FindCodeEntry(settings, code.c_str(), &choice.layer, &choice.colour, &hasConditions, &index)) {
    choice.codeMissing = true;
    choice.colour = 7;
    if (settings.ifCodeLayerNotFound == 1) choice.draw = false;
    else if (settings.ifCodeLayerNotFound == 2) choice.layer = kCodeNotFoundLayer;
    else choice.layer = code;
    return choice;
  }
  if (!hasConditions) return choice;
  std::visit(
      [&](const auto* record) {
        using R = std::decay_t<decltype(*record)>;
        if constexpr (std::is_same_v<R, AreaFeatureRecord>)
          FindCodeEntryForArea(settings, &choice.layer, &choice.colour, index, *record);
        else if constexpr (std::is_same_v<R, LineFeatureRecord>)
          FindCodeEntryForLine(settings, &choice.layer, &choice.colour, index, *record);
        else if constexpr (std::is_same_v<R, PointFeatureRecord>)
          FindCodeEntryForPoint(settings, &choice.layer, &choice.colour, index, *record);
        else
          FindCodeEntryForText(settings, &choice.layer, &choice.colour, index, *record);
      },
      feature);
  return choice;
}
