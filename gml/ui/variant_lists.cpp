#include "gml/ui/variant_lists.h"

#include <cstring>

void FreeVariantList(GrowArray* list) {
  if (list->marker == kGrowArrayMarker) {
    for (std::int32_t i = 0; i < list->count; ++i) {
      void* slot = nullptr;
      if (!GrowArrayGetPtr(list, i, &slot)) break;
      auto* variant = static_cast<ConditionVariant*>(slot);
      if (variant->conditions.marker == kGrowArrayMarker) GrowArrayFree(&variant->conditions);
    }
    GrowArrayFree(list);
  }
  *list = GrowArray{};
}

bool CopyVariantList(const GrowArray& from, GrowArray* to) {
  *to = GrowArray{};
  if (from.marker != kGrowArrayMarker) return true;
  if (!GrowArrayCreate(50, sizeof(ConditionVariant), to)) return false;
  for (std::int32_t i = 0; i < from.count; ++i) {
    ConditionVariant variant;
    if (!GrowArrayGet(&from, i, &variant)) break;
    const GrowArray source = variant.conditions;
    variant.conditions = GrowArray{};
    bool ok = GrowArrayCreate(50, sizeof(AttributeCondition), &variant.conditions);
    for (std::int32_t k = 0; ok && source.marker == kGrowArrayMarker && k < source.count; ++k) {
      AttributeCondition condition;
      ok = GrowArrayGet(&source, k, &condition) && GrowArraySet(&variant.conditions, k, &condition);
    }
    ok = ok && GrowArraySet(to, to->count, &variant);
    if (!ok) {
      if (variant.conditions.marker == kGrowArrayMarker) GrowArrayFree(&variant.conditions);
      FreeVariantList(to);
      return false;
    }
  }
  return true;
}

bool RemoveElement(GrowArray* list, std::int32_t index) {
  if (list->marker != kGrowArrayMarker || index < 0 || index >= list->count) return false;
  auto* bytes = static_cast<unsigned char*>(list->data);
  const std::size_t size = static_cast<std::size_t>(list->elementSize);
  std::memmove(bytes + index * size, bytes + (index + 1) * size, size * (list->count - index - 1));
  --list->count;
  return true;
}
