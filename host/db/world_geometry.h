// Where an entity lies in the drawing: its geometry in world coordinates.
//
// Arcs, circles, lightweight polylines and 2D polylines hold their points in
// the plane their normal (group 210) gives, as a drawing file does; a piece
// mirrored in plan holds the normal (0,0,-1), its x running the other way and
// its arcs turning the other way. The entity list gives those plane
// coordinates; these calls give what the drawing shows, as the platform's
// curve calls do: points in world coordinates, and the sense of arcs and
// bulges as seen from above (looking down the world z axis).
//
// Each call answers null when the name names no entity of the kinds it reads.
#pragma once

#include <optional>
#include <vector>

#include "host/db/database.h"

namespace host::db {

// A point of the plane with that normal, in world coordinates (the plane's
// x axis is z × normal, or y × normal when the normal lies within 1/64 of
// the z axis). A normal of length 0 stands for (0,0,1).
Point3 PlaneToWorld(const Point3& p, const Point3& normal);
// The inverse: a world point in the plane's coordinates. Both are turns
// about the origin, so they serve for displacements as well as points.
Point3 WorldToPlane(const Point3& p, const Point3& normal);

// True when points of the plane are world points (the normal is (0,0,1)).
bool IsWorldPlane(const Point3& normal);

// An arc or a circle where it lies. A circle starts and ends at its plane's
// angle 0 and sweeps a whole turn.
struct WorldArc {
  Point3 center;
  double radius = 0;
  Point3 start;
  Point3 end;
  double sweep = 0;        // radians, 0 to 2π
  bool clockwise = false;  // seen from above: a plane whose normal points down
  Point3 normal{0, 0, 1};  // as held, normalised
};
std::optional<WorldArc> ArcInWorld(EntityName arcOrCircle);

// A polyline vertex where it lies, with the bulge of the segment that leaves
// it as seen from above (negative where it turns clockwise on the screen).
struct WorldVertex {
  Point3 point;
  double bulge = 0;
  friend bool operator==(const WorldVertex&, const WorldVertex&) = default;
};
// The vertices of a lightweight polyline, in order; `closed` its flag.
std::optional<std::vector<WorldVertex>> LwPolylineInWorld(EntityName lwPolyline, bool* closed = nullptr);
// One VERTEX of a 2D or 3D polyline (3D vertices are world points already).
std::optional<WorldVertex> VertexInWorld(EntityName vertex);

}  // namespace host::db
