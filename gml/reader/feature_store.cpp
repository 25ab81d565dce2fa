#include "gml/reader/feature_store.h"

#include "gml/reader/osgml_input_view.h"

void GmlFeatureStore::UpdateReadExtent(double x, double y, double z) {
  UpdateBox(x, y, z, &readMinX, &readMinY, &readMinZ, &readMaxX, &readMaxY, &readMaxZ);
}

namespace {
constexpr std::int32_t kRegisterStep = 500;
}  // namespace

bool GmlFeatureStore::RegisterNestedArray(const GrowArray& array) {
  return GrowArraySetGrowBy(&nestedArrays, nestedArrays.count, &array, kRegisterStep);
}

bool GmlFeatureStore::AddAreaValue(double value, bool kept) {
  if (areaValueLog.marker == kGrowArrayMarker) {
    const AreaValueEntry entry{value, kept ? 1 : 0};
    return GrowArraySetGrowBy(&areaValueLog, areaValueLog.count, &entry, 1000);
  }
  (kept ? keptAreaValue : totalAreaValue) += value;
  return true;
}

namespace {

// The arrays of a store with their element sizes and the growth step the
// reading uses for each, so that appending grows them as reading would.
struct ArrayRow {
  GrowArray GmlFeatureStore::*array;
  std::uint64_t elementSize;
  std::int32_t step;
};

constexpr ArrayRow kArrays[] = {
    {&GmlFeatureStore::previewPoints, sizeof(CoordinateTuple), 5000},
    {&GmlFeatureStore::areaReferences, sizeof(AreaReferenceRecord), 500},
    {&GmlFeatureStore::points, sizeof(PointFeatureRecord), 500},
    {&GmlFeatureStore::symbols, sizeof(PointFeatureRecord), 500},
    {&GmlFeatureStore::texts, sizeof(TextFeatureRecord), 500},
    {&GmlFeatureStore::departedToids, sizeof(DepartedFeatureToid), 2000},
    {&GmlFeatureStore::roadNodes, sizeof(RoadNodeRecord), 500},
    {&GmlFeatureStore::roads, sizeof(RoadRecord), 500},
    {&GmlFeatureStore::roadLinks, sizeof(RoadLinkRecord), 500},
    {&GmlFeatureStore::addressPoints, sizeof(AddressPointRecord), 500},
};

struct PagedRow {
  PagedGrowArray GmlFeatureStore::*array;
  std::uint64_t elementSize;
};

constexpr PagedRow kPagedArrays[] = {
    {&GmlFeatureStore::areas, sizeof(AreaFeatureRecord)},
    {&GmlFeatureStore::lines, sizeof(LineFeatureRecord)},
};
constexpr std::int32_t kPagedStep = 50000;

// One side of the extent taken from a piece: the same comparison a point
// meets in UpdateBox, so that the first of equal values stays.
void Lower(double value, double* min) {
  if (value < *min) *min = value;
}
void Raise(double value, double* max) {
  if (value > *max) *max = value;
}

}  // namespace

bool GmlFeatureStore::CreatePieceArrays() {
  bool ok = GrowArrayCreate(1000, sizeof(GrowArray), &nestedArrays);
  ok = ok && GrowArrayCreate(1000, sizeof(AreaValueEntry), &areaValueLog);
  for (const ArrayRow& row : kArrays)
    ok = ok && GrowArrayCreate(100, row.elementSize, &(this->*row.array));
  for (const PagedRow& row : kPagedArrays)
    ok = ok && PagedGrowArrayCreate(100, row.elementSize, &(this->*row.array));
  return ok;
}

void GmlFeatureStore::FreePieceArrays() {
  Empty();
  for (GrowArray* list : {&nestedArrays, &areaValueLog})
    if (list->marker == kGrowArrayMarker) GrowArrayFree(list);
  for (const ArrayRow& row : kArrays)
    if ((this->*row.array).marker == kGrowArrayMarker) GrowArrayFree(&(this->*row.array));
  for (const PagedRow& row : kPagedArrays)
    if ((this->*row.array).marker == kGrowArrayMarker) PagedGrowArrayFree(&(this->*row.array));
}

void GmlFeatureStore::Empty() {
  if (nestedArrays.marker == kGrowArrayMarker) {
    for (std::int32_t i = nestedHandedOver; i < nestedArrays.count; ++i) {
      auto* entry = static_cast<GrowArray*>(nestedArrays.data) + i;
      if (entry->marker == kGrowArrayMarker) GrowArrayFree(entry);
    }
    nestedArrays.count = 0;
  }
  nestedHandedOver = 0;
  if (areaValueLog.marker == kGrowArrayMarker) areaValueLog.count = 0;
  for (const ArrayRow& row : kArrays) (this->*row.array).count = 0;
  // A paged array keeps its pages; only the count starts again.
  for (const PagedRow& row : kPagedArrays) (this->*row.array).count = 0;
  readMinX = readMinY = readMinZ = kExtentStartMin;
  readMaxX = readMaxY = readMaxZ = kExtentStartMax;
  totalAreaValue = keptAreaValue = 0;
  seenRoadLinks = seenRoads = seenRoadNodes = seenAreas = seenPoints = seenAddressPoints =
      seenLines = seenSymbols = seenTexts = 0;
  keptRoadNodes = keptRoads = keptRoadLinks = keptAreas = keptPoints = keptAddressPoints =
      keptLines = keptSymbols = keptTexts = 0;
  featureGeometries = 0;
}

bool GmlFeatureStore::AppendTo(GmlFeatureStore& whole) {
  // The register first: a record appended always has its lists owned.
  const std::int32_t handing = nestedArrays.count - nestedHandedOver;
  if (!GrowArrayAppend(&whole.nestedArrays,
                       static_cast<const GrowArray*>(nestedArrays.data) + nestedHandedOver, handing,
                       kRegisterStep))
    return false;
  nestedHandedOver = nestedArrays.count;
  for (const ArrayRow& row : kArrays) {
    const GrowArray& from = this->*row.array;
    if (!GrowArrayAppend(&(whole.*row.array), from.data, from.count, row.step)) return false;
  }
  for (const PagedRow& row : kPagedArrays) {
    const PagedGrowArray& from = this->*row.array;
    PagedGrowArray& to = whole.*row.array;
    for (std::int32_t i = 0; i < from.count; ++i) {
      const char* element = static_cast<const char*>(from.pages[i / from.perPage]) +
                            row.elementSize * static_cast<std::uint64_t>(i % from.perPage);
      if (!PagedGrowArraySet(&to, to.count, element, kPagedStep)) return false;
    }
  }
  Lower(readMinX, &whole.readMinX);
  Lower(readMinY, &whole.readMinY);
  Lower(readMinZ, &whole.readMinZ);
  Raise(readMaxX, &whole.readMaxX);
  Raise(readMaxY, &whole.readMaxY);
  Raise(readMaxZ, &whole.readMaxZ);
  for (std::int32_t i = 0; i < areaValueLog.count; ++i) {
    const auto* entry = static_cast<const AreaValueEntry*>(areaValueLog.data) + i;
    (entry->kept ? whole.keptAreaValue : whole.totalAreaValue) += entry->value;
  }
  whole.seenRoadLinks += seenRoadLinks;
  whole.seenRoads += seenRoads;
  whole.seenRoadNodes += seenRoadNodes;
  whole.seenAreas += seenAreas;
  whole.seenPoints += seenPoints;
  whole.seenAddressPoints += seenAddressPoints;
  whole.seenLines += seenLines;
  whole.seenSymbols += seenSymbols;
  whole.seenTexts += seenTexts;
  whole.keptRoadNodes += keptRoadNodes;
  whole.keptRoads += keptRoads;
  whole.keptRoadLinks += keptRoadLinks;
  whole.keptAreas += keptAreas;
  whole.keptPoints += keptPoints;
  whole.keptAddressPoints += keptAddressPoints;
  whole.keptLines += keptLines;
  whole.keptSymbols += keptSymbols;
  whole.keptTexts += keptTexts;
  whole.featureGeometries += featureGeometries;
  return true;
}
