// Angles, polar points and coordinate systems.
//
// The host draws in the world coordinate system only: the user coordinate
// system is the world one, so a transformation between the two gives its
// input back.
#pragma once

#include "host/db/values.h"

namespace host {

// The direction from `from` to `to` in the x/y plane, in radians, from 0 up
// to (not including) 2 pi; 0 for two equal points.
double Angle(const db::Point3& from, const db::Point3& to);
// The point at `distance` from `from` in direction `angle` (radians), in the
// x/y plane; z is kept.
db::Point3 Polar(const db::Point3& from, double angle, double distance);
// A point (or, with `displacement`, a vector) of the user coordinate system
// in world coordinates.
db::Point3 UcsToWcs(const db::Point3& point, bool displacement);

}  // namespace host
