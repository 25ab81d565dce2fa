// Construction and ownership of the import dialog's reading state.
#include "gml/reader/osgml_input_view.h"

#include <algorithm>
#include <array>
#include <climits>
#include <type_traits>
#include <vector>

OSGMLInputView::OSGMLInputView(host::ui::Dialog* parent) : host::ui::Dialog(kTemplateId, parent) {
  // Every feature kind is read until settings say otherwise.
  for (std::int32_t* input :
       {&settings.inputCartoSymbols, &settings.inputCartoText, &settings.inputTopoLines,
        &settings.inputTopoPoints, &settings.inputAddressPoints, &settings.inputPolygons,
        &settings.inputRoads, &settings.inputRoadLinks, &settings.inputRoadNodes})
    *input = 1;
  if (!CreateFeatureArrays()) {
    constructionFailed = 1;
    stopPressed = 1;
  }
  if (!locationFilter.CreateLists()) {
    constructionFailed = 1;
    stopPressed = 1;
  }
  activeLocationFilter = &locationFilter;
}

OSGMLInputView::~OSGMLInputView() {
  FreeNestedArrays(-1, -1);
  FreeFeatureArrays();
  locationFilter.FreeAreas(1);
}

namespace {

template <typename Array>
void FreeIfValid(Array* array) {
  if (array->marker == kGrowArrayMarker) {
    if constexpr (std::is_same_v<Array, PagedGrowArray>)
      PagedGrowArrayFree(array);
    else
      GrowArrayFree(array);
  }
}

}  // namespace

bool OSGMLInputView::CreateFeatureArrays() {
  bool ok = true;
  auto create = [&ok](GrowArray* array, std::uint64_t size) {
    if (array->marker != kGrowArrayMarker)
      ok = GrowArrayCreate(1000, size, array) && ok;
  };
  create(&inputFiles, sizeof(GmlInputFile));
  create(&nestedArrays, sizeof(GrowArray));
  create(&previewPoints, sizeof(CoordinateTuple));
  create(&areaReferences, sizeof(AreaReferenceRecord));
  create(&points, sizeof(PointFeatureRecord));
  create(&symbols, sizeof(PointFeatureRecord));
  create(&texts, sizeof(TextFeatureRecord));
  create(&departedToids, sizeof(DepartedFeatureToid));
  create(&roadNodes, sizeof(RoadNodeRecord));
  create(&roads, sizeof(RoadRecord));
  create(&roadLinks, sizeof(RoadLinkRecord));
  create(&addressPoints, sizeof(AddressPointRecord));
  if (areas.marker != kGrowArrayMarker)
    ok = PagedGrowArrayCreate(1000, sizeof(AreaFeatureRecord), &areas) && ok;
  if (lines.marker != kGrowArrayMarker)
    ok = PagedGrowArrayCreate(1000, sizeof(LineFeatureRecord), &lines) && ok;
  return ok;
}

void OSGMLInputView::FreeFeatureArrays() {
  for (GrowArray* array : {&inputFiles, &nestedArrays, &previewPoints, &areaReferences, &points,
                           &symbols, &texts, &departedToids, &roadNodes, &roads, &roadLinks,
                           &addressPoints})
    FreeIfValid(array);
  FreeIfValid(&areas);
  FreeIfValid(&lines);
}

void OSGMLInputView::FreeNestedArrays(std::int32_t first, std::int32_t last) {
  if (nestedArrays.marker != kGrowArrayMarker) return;
  if (first < 0) first = 0;
  if (last <= 0 || last > nestedArrays.count) last = nestedArrays.count;
  for (std::int32_t i = first; i < last; ++i) {
    GrowArray entry;
    if (!GrowArrayGet(&nestedArrays, i, &entry)) continue;
    if (entry.marker == kGrowArrayMarker && GrowArrayFree(&entry))
      (void)GrowArraySet(&nestedArrays, i, &entry);
  }
}

namespace {

template <typename Array>
void* SlotOf(const Array& list, std::int32_t i) {
  void* slot = nullptr;
  if constexpr (std::is_same_v<Array, PagedGrowArray>)
    return PagedGrowArrayGetPtr(&list, i, &slot) ? slot : nullptr;
  else
    return GrowArrayGetPtr(&list, i, &slot) ? slot : nullptr;
}

// Empties the lists nested in records [first, last) of `list` and gives
// their blocks, sorted; `nested(record)` names a record's nested lists.
template <typename Record, typename Array, typename Nested>
std::vector<const void*> TakeNested(Array& list, std::int32_t first, std::int32_t last,
                                    Nested nested) {
  std::vector<const void*> blocks;
  for (std::int32_t i = std::max(first, 0); i < std::min(last, list.count); ++i) {
    void* slot = SlotOf(list, i);
    if (slot == nullptr) break;
    for (GrowArray* array : nested(*static_cast<Record*>(slot))) {
      if (array->marker == kGrowArrayMarker) blocks.push_back(array->data);
      *array = GrowArray{};  // the register frees the block
    }
  }
  std::sort(blocks.begin(), blocks.end());
  return blocks;
}

}  // namespace

void OSGMLInputView::ReleaseNested(const std::vector<const void*>& blocks) {
  if (blocks.empty() || nestedArrays.marker != kGrowArrayMarker) return;
  for (std::int32_t i = 0; i < nestedArrays.count; ++i) {
    auto* entry = static_cast<GrowArray*>(SlotOf(nestedArrays, i));
    if (entry == nullptr) break;
    if (entry->marker == kGrowArrayMarker &&
        std::binary_search(blocks.begin(), blocks.end(), static_cast<const void*>(entry->data)))
      GrowArrayFree(entry);
  }
}

void OSGMLInputView::ReleaseFeatureRecords(const void* list, std::int32_t first,
                                           std::int32_t last) {
  if (list == &areas && areas.marker == kGrowArrayMarker) {
    ReleaseNested(TakeNested<AreaFeatureRecord>(areas, first, last, [](AreaFeatureRecord& r) {
      return std::array{&r.outerRing, &r.innerRings, &r.attributes.groups, &r.attributes.terms,
                        &r.attributes.themes};
    }));
  } else if (list == &lines && lines.marker == kGrowArrayMarker) {
    ReleaseNested(TakeNested<LineFeatureRecord>(
        lines, first, last, [](LineFeatureRecord& r) { return std::array{&r.points}; }));
  } else if (list == &roadLinks && roadLinks.marker == kGrowArrayMarker) {
    ReleaseNested(TakeNested<RoadLinkRecord>(
        roadLinks, first, last, [](RoadLinkRecord& r) { return std::array{&r.points}; }));
  } else if (list == &roads && roads.marker == kGrowArrayMarker) {
    ReleaseNested(TakeNested<RoadRecord>(roads, first, last, [](RoadRecord& r) {
      return std::array{&r.members, &r.geometry};
    }));
  }
}

void OSGMLInputView::ReleaseFeatureList(const void* list) {
  ReleaseFeatureRecords(list, 0, INT32_MAX);
  for (PagedGrowArray* own : {&areas, &lines}) {
    if (list != own) continue;
    FreeIfValid(own);
    own->count = own->capacity = 0;
  }
  for (GrowArray* own : {&roadLinks, &roads, &points, &symbols, &texts, &roadNodes, &addressPoints,
                         &departedToids}) {
    if (list != own) continue;
    FreeIfValid(own);
    own->count = own->capacity = 0;
  }
}

std::int32_t OSGMLInputView::CountAllFeatures() const {
  return lines.count + points.count + symbols.count + texts.count + areas.count +
         roadNodes.count + roadLinks.count + roads.count + addressPoints.count;
}
