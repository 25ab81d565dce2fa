// The line a condition is listed as: "theme is Water", "theme is not Water".
#pragma once

#include <string>

#include "gml/settings/lookup_tables.h"

std::wstring ConditionText(const AttributeCondition& condition);
