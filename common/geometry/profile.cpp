#include "common/geometry/profile.h"

#include <cmath>

#include "common/geometry/plane_geometry.h"

namespace {

// Drawing X within this of the last element's end is taken as that end.
constexpr double kEndSnap = 0.001;
// Drawing X within this of an element's end takes that end's level.
constexpr double kVertexSnap = 1e-4;
// An arc crossing counts when it lies this close to the arc.
constexpr double kOnArc = 1e-7;
// The query line reaches this far beyond the profile's extents.
constexpr double kQueryMargin = 10.0;

}  // namespace

bool ProfileLevelAt(double chainage, double& level, bool& found, const GrowArray& elements,
                    std::int32_t count, double lowY, double highY, const VtProfile& frame) {
  level = kNoLevel;
  found = false;
  double x = frame.xOrigin + chainage - frame.startChainage;
  const double y1 = lowY - kQueryMargin;
  const double y2 = highY + kQueryMargin;
  for (std::int32_t i = 0; i < count; ++i) {
    GeometryElement e{};
    if (i >= elements.count || !GrowArrayGet(&elements, i, &e)) return false;
    if (i == count - 1 && std::fabs(x - e.endX) < kEndSnap) x = e.endX;

    bool got = false;
    double y = 0.0;
    if (e.radiusStart == 0.0) {
      double ix = 0.0;
      if (IntersectSegments(ix, y, x, y1, x, y2, e.startX, e.startY, e.endX, e.endY)) got = true;
    }
    if (!got && std::fabs(x - e.startX) <= kVertexSnap) {
      y = e.startY;
      got = true;
    }
    if (!got && std::fabs(x - e.endX) <= kVertexSnap) {
      y = e.endY;
      got = true;
    }
    if (e.radiusStart != 0.0) {
      double xA = 0.0, yA = 0.0, xB = 0.0, yB = 0.0;
      bool onA = false;
      bool onB = false;
      IntersectCircleSegment(x, y1, x, y2, e.centreX, e.centreY, std::fabs(e.radiusStart), xA, yA,
                             xB, yB, onA, onB);
      // The upper crossing first; a lower one that lies on the arc replaces it.
      const double xs[2] = {xA, xB};
      const double ys[2] = {yA, yB};
      const bool on[2] = {onA, onB};
      for (int k = 0; k < 2; ++k) {
        if (!on[k]) continue;
        ChainageOffset co{};
        ElementChainageOffset(xs[k], ys[k], e, co);
        if (co.status == kProjectionOnElement && std::fabs(co.offset) < kOnArc) {
          y = ys[k];
          got = true;
        }
      }
    }
    if (got) {
      level = frame.datumLevel + (y - frame.yOrigin) / frame.verticalScale;
      found = true;
      return true;
    }
  }
  return true;
}
