// Profiles: element lists drawn in a long-section plane (X chainage, Y
// level) with a frame that maps drawing coordinates to chainage and level.
//
//   drawing X of chainage c = xOrigin + c - startChainage
//   level of drawing Y y    = datumLevel + (y - yOrigin) / verticalScale
#pragma once

#include <cstdint>

#include "common/geometry/alignment.h"
#include "common/containers/grow_array.h"
#include "common/geometry/hz_geometry.h"

inline constexpr int kProfilePathChars = 1024;  // with the terminator
// Level reported when none was found.
inline constexpr double kNoLevel = -999.0;

inline constexpr wchar_t kProfileFromPolyline[] = L"from_polyline";

struct VtProfile {
  wchar_t sourcePath[kProfilePathChars];  // file it came from; "from_polyline" when
                                          // built from an entity
  double xOrigin;        // drawing X of the start chainage
  double yOrigin;        // drawing Y of the datum level
  double verticalScale;  // drawing units per unit of level
  double datumLevel;     // level drawn at yOrigin
  double startChainage;  // chainage drawn at xOrigin
  double minX;           // extents of the elements in drawing coordinates
  double minY;
  double maxX;
  double maxY;
};

// The level of the profile at `chainage`: where the vertical line through the
// chainage's drawing X, from lowY - 10 to highY + 10, meets the first element
// that yields a level (a vertex's level comes from the first element that
// holds it; a drawing X within 0.001 of the last element's end is taken as
// that end). Callers pass the frame's minY and maxY as lowY and highY.
// `level` is -999.0 and `found` false when none was found. False only when
// an element could not be read.
[[nodiscard]] bool ProfileLevelAt(double chainage, double& level, bool& found,
                                  const GrowArray& elements, std::int32_t count, double lowY,
                                  double highY, const VtProfile& frame);

