// Rows of the settings' lookup tables built in code (the settings object
// frees their nested lists).
#pragma once

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "common/containers/text.h"
#include "gml/settings/settings_record.h"

namespace writer_test {

struct Condition {
  const char* item;
  const char* value;
  int match;
};

// Appends a feature-code row; its index.
inline int AddCodeRow(OS_GML_ACAD_Definitions* s, const char* code, const char* layer, int colour,
                      bool useConditions = false, std::uint8_t on = 1, std::uint8_t frozen = 0,
                      std::uint8_t locked = 0) {
  CodeLookupEntry entry{};
  CopyField(entry.code, code);
  CopyField(entry.layer, layer);
  entry.colour = colour;
  entry.on = on;
  entry.frozen = frozen;
  entry.locked = locked;
  entry.useConditions = useConditions ? 1 : 0;
  EXPECT_TRUE(GrowArraySet(&s->codeTable, s->codeTable.count, &entry));
  return s->codeTable.count - 1;
}

// Appends a variant to row `row`, creating the row's variant list.
inline void AddVariant(OS_GML_ACAD_Definitions* s, int row, const char* layer, int colour,
                       std::initializer_list<Condition> conditions, std::uint8_t on = 1,
                       std::uint8_t frozen = 0, std::uint8_t locked = 0) {
  void* slot = nullptr;
  ASSERT_TRUE(GrowArrayGetPtr(&s->codeTable, row, &slot));
  auto* entry = static_cast<CodeLookupEntry*>(slot);
  if (entry->variants.marker != kGrowArrayMarker) {
    ASSERT_TRUE(GrowArrayCreate(4, sizeof(ConditionVariant), &entry->variants));
  }
  ConditionVariant variant{};
  CopyField(variant.layer, layer);
  variant.colour = colour;
  variant.on = on;
  variant.frozen = frozen;
  variant.locked = locked;
  ASSERT_TRUE(GrowArrayCreate(4, sizeof(AttributeCondition), &variant.conditions));
  for (const Condition& c : conditions) {
    AttributeCondition condition{};
    CopyField(condition.item, c.item);
    CopyField(condition.value, c.value);
    condition.match = static_cast<std::uint8_t>(c.match);
    ASSERT_TRUE(GrowArraySet(&variant.conditions, variant.conditions.count, &condition));
  }
  ASSERT_TRUE(GrowArraySet(&entry->variants, entry->variants.count, &variant));
}

inline void AddSymbolRow(OS_GML_ACAD_Definitions* s, const char* code, const char* block) {
  SymbolLookupEntry row{};
  CopyField(row.code, code);
  CopyField(row.block, block);
  EXPECT_TRUE(GrowArraySet(&s->symbolTable, s->symbolTable.count, &row));
}

}  // namespace writer_test
