// The extents of the working drawing, as ZOOM Extents frames them.
//
// Every entity of model space counts by the x/y box of what it draws: a line
// and a polyline segment by their ends, a circle by its radius, an arc and a
// bulged polyline or hatch-boundary segment by the curve itself (its ends
// and the quadrant points it passes, so a half circle over a short chord
// counts by its full height); points, texts and block references by their
// insertion point.
#pragma once

#include "host/db/values.h"

namespace host {

// The entities' extents in the working drawing (x/y); false when it holds none.
bool DrawingExtents(db::Point3* low, db::Point3* high);

// An x/y box that grows to hold what is added to it.
class ExtentBox {
 public:
  void Add(double x, double y);
  // The arc of this centre and radius from angle `start` counter-clockwise
  // to `end` (radians; an `end` below `start` goes round past 2 pi).
  void AddArc(double cx, double cy, double radius, double start, double end);
  // The segment from (x1, y1) to (x2, y2) with a polyline bulge (the tangent
  // of a quarter of the included angle, positive counter-clockwise; 0 for a
  // straight segment).
  void AddSegment(double x1, double y1, double x2, double y2, double bulge);

  bool Empty() const { return empty_; }
  const db::Point3& Low() const { return low_; }
  const db::Point3& High() const { return high_; }

 private:
  // The quadrant points (angles 0, pi/2, ...) the arc passes between its ends.
  void AddQuadrants(double cx, double cy, double radius, double start, double end);

  bool empty_ = true;
  db::Point3 low_, high_;
};

}  // namespace host
