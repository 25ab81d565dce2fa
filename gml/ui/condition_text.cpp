#include "gml/ui/condition_text.h"

#include "common/containers/text.h"

std::wstring ConditionText(const AttributeCondition& condition) {
  return NarrowToWide(std::string(FieldText(condition.item)) + (condition.match == 1 ? " is " : " is not ") +
                      std::string(FieldText(condition.value)));
}
