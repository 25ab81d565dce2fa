// The condition line shared by the feature-code table and the symbology sets:
//   [Extracondition match:] m [Extracondition item:] item [Extracondition value:] value
#pragma once

#include <string>
#include <string_view>

#include "gml/settings/lookup_tables.h"

namespace gml_settings {

// Reads a condition line: the match flag ('1' gives 1), the item up to its
// first blank (at most 105 characters) and the value to the line end (at
// most 512). False, and `condition` untouched, when a label is missing.
bool ReadConditionLine(std::string_view line, AttributeCondition* condition);
std::string ConditionLine(const AttributeCondition& condition);

}  // namespace gml_settings
