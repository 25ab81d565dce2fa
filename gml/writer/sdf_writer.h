// The SDF output of the import: a writer that answers every call with
// success and writes nothing.
//
// With SDF output chosen, the feature passes hand areas, lines, points,
// symbols, texts, ITN links and nodes to an SdfWriter instead of drawing
// them; no SDF file exists on this platform, so those features appear
// neither in the drawing nor on disk. The CSV rows that follow a successful
// call are still written. So that no user takes the missing output for
// success, a run with SDF on says so once (NoteSdfOutputUnavailable).
#pragma once

#include <string>

#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"

class SdfWriter {
 public:
  SdfWriter() = default;
  ~SdfWriter() = default;

  bool Create(const std::wstring& path, const std::wstring& description, int flag);
  bool BeginPolygon();
  bool AddPolygonRing(const GrowArray& ring);
  bool WritePolygon(const char* attributes1, const char* attributes2);
  bool WriteLine(const GrowArray& vertices, const char* attributes1, const char* attributes2);
  bool WritePoint(const PointFeatureRecord& point);
  bool WriteText(const TextFeatureRecord& text);
  bool WriteRoadLink(const GrowArray& vertices, const RoadLinkRecord& link);
  bool WriteRoadNode(const RoadNodeRecord& node);
};

// Prints, once per run (`*noted` starts false and is set), that SDF files
// are not written here and the features handed to them are not drawn.
void NoteSdfOutputUnavailable(bool* noted);
