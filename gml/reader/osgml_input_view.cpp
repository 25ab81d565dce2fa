// Construction and ownership of the import dialog's reading state.
#include "gml/reader/osgml_input_view.h"

#include <type_traits>

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

std::int32_t OSGMLInputView::CountAllFeatures() const {
  return lines.count + points.count + symbols.count + texts.count + areas.count +
         roadNodes.count + roadLinks.count + roads.count + addressPoints.count;
}
