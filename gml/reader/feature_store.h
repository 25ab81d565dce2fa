// What reading adds to the import dialog: the feature arrays, the register of
// lists nested in their records, the counters of features seen and kept, the
// extent read and the area values. The dialog holds one store for a whole
// run; a piece of a file read on a worker thread fills a store of its own,
// which is then appended to the dialog's in file order (piece_join.h).
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"

struct GmlFeatureStore {
  GrowArray nestedArrays{};    // GrowArray headers (copies) owned by stored records
  GrowArray previewPoints{};   // CoordinateTuple
  GrowArray areaReferences{};  // AreaReferenceRecord
  PagedGrowArray areas{};      // AreaFeatureRecord
  PagedGrowArray lines{};      // LineFeatureRecord
  GrowArray points{};          // PointFeatureRecord
  GrowArray symbols{};         // PointFeatureRecord
  GrowArray texts{};           // TextFeatureRecord
  GrowArray departedToids{};   // DepartedFeatureToid
  GrowArray roadNodes{};       // RoadNodeRecord
  GrowArray roads{};           // RoadRecord
  GrowArray roadLinks{};       // RoadLinkRecord
  GrowArray addressPoints{};   // AddressPointRecord

  double readMinX = kExtentStartMin, readMinY = kExtentStartMin, readMinZ = kExtentStartMin;
  double readMaxX = kExtentStartMax, readMaxY = kExtentStartMax, readMaxZ = kExtentStartMax;
  double totalAreaValue = 0;
  double keptAreaValue = 0;

  std::int32_t seenRoadLinks = 0, seenRoads = 0, seenRoadNodes = 0, seenAreas = 0,
               seenPoints = 0, seenAddressPoints = 0, seenLines = 0, seenSymbols = 0,
               seenTexts = 0;
  std::int32_t keptRoadNodes = 0, keptRoads = 0, keptRoadLinks = 0, keptAreas = 0,
               keptPoints = 0, keptAddressPoints = 0, keptLines = 0, keptSymbols = 0,
               keptTexts = 0;
  // Coordinate lists met inside a feature element, whether or not they were
  // kept: none in a file whose features hold their geometry in a form the
  // reader does not know.
  std::int32_t featureGeometries = 0;

  // AreaValueEntry, in the order the values were added, when the store is a
  // piece's: the sums are then made once, in file order, as one pass over
  // the whole file would make them (a sum of part sums may differ in its
  // last bit). Not created in the dialog's store, which adds at once.
  GrowArray areaValueLog{};

  void UpdateReadExtent(double x, double y, double z);
  // Registers a nested array for freeing; false when the register is full.
  bool RegisterNestedArray(const GrowArray& array);
  // Adds an area's calculated value to the total, or to the kept value.
  // False when the log could not grow.
  bool AddAreaValue(double value, bool kept);

  // A piece's store: creates its arrays and the area value log; false when
  // memory ran out (what was made is freed by FreePieceArrays).
  bool CreatePieceArrays();
  // Frees the piece's arrays and the lists its register still holds.
  void FreePieceArrays();
  // Frees the lists the register holds and empties every array, keeping
  // their memory for the next piece; counters and extent start again.
  void Empty();
  // Appends what the piece holds to `whole` as if it had been read into it:
  // records, register entries (which `whole` owns from then on), counters,
  // extent and area values, in order. False when `whole` could not grow; the
  // lists not handed over are then still the piece's.
  bool AppendTo(GmlFeatureStore& whole);
  // Register entries already handed over by AppendTo.
  std::int32_t nestedHandedOver = 0;
};

struct AreaValueEntry {
  double value;
  std::int32_t kept;  // 1: keptAreaValue, 0: totalAreaValue
};
