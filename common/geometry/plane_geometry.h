// Plane geometry on plain doubles.
//
// Points are (x, y) pairs passed as two arguments, in drawing units. Angles
// are radians counter-clockwise from east (east 0, north pi/2). Every result
// that is not the return value goes through an out-parameter; a function that
// returns false leaves its out-parameters untouched (IntersectCircleSegment
// excepted: it writes its points whenever the line meets the circle).
//
// The tolerances below are absolute and are part of the behaviour: the
// location filter and the alignment code rely on exactly these thresholds.
// Nothing here holds state, allocates or reports anything.
#pragma once

// 9-decimal angle constants of Bearing2d and of the code that mixes its
// results (entity geometry, profiles, chord headings of polylines).
inline constexpr double kHalfPi9 = 1.570796327;
inline constexpr double kPi9 = 3.141592654;
inline constexpr double kThreeHalfPi9 = 4.712388981;
inline constexpr double kTwoPi9 = 6.283185307;

// Full-precision constants.
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kHalfPi = kPi / 2.0;
inline constexpr double kTwoPi = 2.0 * kPi;

// Shortest chord, smallest squared length of a line and on-line cross value.
inline constexpr double kGeometryShortest = 1.5e-4;

double Distance2d(double x1, double y1, double x2, double y2);
double Distance3d(double x1, double y1, double z1, double x2, double y2, double z2);

// Direction from point 1 to point 2. An exactly vertical direction (x1 == x2)
// is pi/2 when y2 > y1, else 3pi/2 (so two equal points give 3pi/2).
// Bearing2d uses the 9-decimal constants above and wraps once into
// [0, 6.283185307]; Bearing2dExact uses full precision and does not wrap.
double Bearing2d(double x1, double y1, double x2, double y2);
double Bearing2dExact(double x1, double y1, double x2, double y2);

// True when (px, py) lies to the right of the directed line from point 1 to
// point 2, or on it. `onLine` is set when the raw cross value is below 1.5e-4
// in size (not scaled by the line's length), cleared otherwise.
bool SideOfLine(double x1, double y1, double x2, double y2, double px, double py, bool& onLine);

// Solves a x + b y + c = 0 and d x + e y + f = 0. False only for a
// determinant of exactly 0.
[[nodiscard]] bool Solve2x2(double a, double b, double c, double d, double e, double f,
                            double& x, double& y);

// Intersection of the infinite line through points 1 and 2 with that through
// points 3 and 4; false for parallel lines.
[[nodiscard]] bool IntersectLines(double& x, double& y, double x1, double y1, double x2,
                                  double y2, double x3, double y3, double x4, double y4);

// As IntersectLines, and true only when the point lies on both segments:
// length / (distance to one end + distance to the other) must exceed
// 0.99999999 (strict) or 0.99985 (loose). A segment shorter than 1.5e-4 never
// holds an intersection.
[[nodiscard]] bool IntersectSegments(double& x, double& y, double x1, double y1, double x2,
                                     double y2, double x3, double y3, double x4, double y4);
[[nodiscard]] bool IntersectSegmentsLoose(double& x, double& y, double x1, double y1, double x2,
                                          double y2, double x3, double y3, double x4, double y4);

// True when the point lies within 1e-8 of the infinite line through points 1
// and 2, whose squared length must exceed 1.5e-4.
bool PointOnLine(double px, double py, double x1, double y1, double x2, double y2);

// Intersections of the line through the segment (x1, y1)-(x2, y2) with the
// circle. A is the upper point of a vertical line, else the root with the
// larger x. The points are written whenever the line meets the circle; each
// flag says whether its point lies on the segment (distances to the ends sum
// to less than the length plus 1e-5). A tangent vertical line gives two equal
// points, a tangent sloping line none. Result: flag A or flag B.
bool IntersectCircleSegment(double x1, double y1, double x2, double y2, double cx, double cy,
                            double r, double& xA, double& yA, double& xB, double& yB,
                            bool& onSegmentA, bool& onSegmentB);

// The two points where the circles meet (both the touching point when they
// touch within 1e-8); false when they do not meet.
[[nodiscard]] bool IntersectCircles(double x1, double y1, double r1, double x2, double y2,
                                    double r2, double& xA, double& yA, double& xB, double& yB);

// Polyline bulge of the arc of signed radius (> 0 counter-clockwise) from
// point 1 to point 2; (px, py) is the arc's centre and tells the minor arc
// from the major one. False when the chord is shorter than 1.5e-4.
[[nodiscard]] bool BulgeFromRadius(double x1, double y1, double x2, double y2, double px,
                                   double py, double radius, double& bulge);

// The circular arc from point 1 to point 2 with the given bulge (tan of a
// quarter of the included angle, counter-clockwise when positive): its length,
// headings of travel at both ends (9-decimal constants, in [0, 6.283185307]),
// signed radius (negative for a negative bulge) and centre. Callers pass a
// non-zero bulge. Always true.
bool ArcElementFromBulge(double x1, double y1, double x2, double y2, double bulge,
                         double& length, double& headingStart, double& headingEnd,
                         double& radius, double& centreX, double& centreY);
