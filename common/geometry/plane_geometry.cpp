#include "common/geometry/plane_geometry.h"

#include <cmath>

namespace {

// Quadrant logic shared by both bearings; the constants decide the precision.
struct BearingConstants {
  double halfPi;
  double pi;
  double threeHalfPi;
  double twoPi;
};

double BearingWith(const BearingConstants& k, double x1, double y1, double x2, double y2) {
  if (x1 == x2) return y2 > y1 ? k.halfPi : k.threeHalfPi;
  const double t = std::atan((y2 - y1) / (x2 - x1));
  if (x1 > x2) return t + k.pi;
  if (y1 > y2) return t + k.twoPi;
  return t;
}

// True when (x, y) lies on the segment from (xa, ya) to (xb, yb) by the ratio
// test of the segment intersections.
bool OnSegmentByRatio(double x, double y, double xa, double ya, double xb, double yb,
                      double threshold) {
  const double length = Distance2d(xa, ya, xb, yb);
  const double dA = Distance2d(xa, ya, x, y);
  const double dB = Distance2d(xb, yb, x, y);
  // Both ends within 1.5e-4 of the point: the segment is too short to hold
  // it, and the ratio below cannot pass.
  const double dAUsed = dA + dB < kGeometryShortest ? 1.0 : dA;
  return length / (dAUsed + dB) > threshold;
}

bool IntersectSegmentsWith(double threshold, double& x, double& y, double x1, double y1,
                           double x2, double y2, double x3, double y3, double x4, double y4) {
  double ix = 0.0;
  double iy = 0.0;
  if (!IntersectLines(ix, iy, x1, y1, x2, y2, x3, y3, x4, y4)) return false;
  if (!OnSegmentByRatio(ix, iy, x1, y1, x2, y2, threshold)) return false;
  if (!OnSegmentByRatio(ix, iy, x3, y3, x4, y4, threshold)) return false;
  x = ix;
  y = iy;
  return true;
}

// Wraps a 9-decimal heading once into [0, 6.283185307].
double WrapHeading9(double h) {
  if (h < 0.0) h += kTwoPi9;
  if (h > kTwoPi9) h -= kTwoPi9;
  return h;
}

}  // namespace

double Distance2d(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  return std::sqrt(dx * dx + dy * dy);
}

double Distance3d(double x1, double y1, double z1, double x2, double y2, double z2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double dz = z2 - z1;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double Bearing2d(double x1, double y1, double x2, double y2) {
  static constexpr BearingConstants k{kHalfPi9, kPi9, kThreeHalfPi9, kTwoPi9};
  return WrapHeading9(BearingWith(k, x1, y1, x2, y2));
}

double Bearing2dExact(double x1, double y1, double x2, double y2) {
  static constexpr BearingConstants k{kHalfPi, kPi, 3.0 * kHalfPi, kTwoPi};
  return BearingWith(k, x1, y1, x2, y2);
}

bool SideOfLine(double x1, double y1, double x2, double y2, double px, double py, bool& onLine) {
  const double cross = (px - x1) * (y2 - y1) - (x2 - x1) * (py - y1);
  onLine = std::fabs(cross) < kGeometryShortest;
  return cross >= 0.0;
}

bool Solve2x2(double a, double b, double c, double d, double e, double f, double& x, double& y) {
  const double det = a * e - d * b;
  if (det == 0.0) return false;
  x = (b * f - e * c) / det;
  y = (c * d - f * a) / det;
  return true;
}

bool IntersectLines(double& x, double& y, double x1, double y1, double x2, double y2, double x3,
                    double y3, double x4, double y4) {
  // Each line as u x + v y + w = 0.
  const double u1 = y2 - y1;
  const double v1 = x1 - x2;
  const double w1 = x1 * (y1 - y2) + y1 * (x2 - x1);
  const double u2 = y4 - y3;
  const double v2 = x3 - x4;
  const double w2 = x3 * (y3 - y4) + y3 * (x4 - x3);
  return Solve2x2(u1, v1, w1, u2, v2, w2, x, y);
}

bool IntersectSegments(double& x, double& y, double x1, double y1, double x2, double y2,
                       double x3, double y3, double x4, double y4) {
  return IntersectSegmentsWith(0.99999999, x, y, x1, y1, x2, y2, x3, y3, x4, y4);
}

bool IntersectSegmentsLoose(double& x, double& y, double x1, double y1, double x2, double y2,
                            double x3, double y3, double x4, double y4) {
  return IntersectSegmentsWith(0.99985, x, y, x1, y1, x2, y2, x3, y3, x4, y4);
}

bool PointOnLine(double px, double py, double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double squared = dx * dx + dy * dy;
  if (squared <= kGeometryShortest) return false;
  const double distance = std::fabs((px - x1) * dy - (py - y1) * dx) / std::sqrt(squared);
  return distance < 1e-8;
}

bool IntersectCircleSegment(double x1, double y1, double x2, double y2, double cx, double cy,
                            double r, double& xA, double& yA, double& xB, double& yB,
                            bool& onSegmentA, bool& onSegmentB) {
  onSegmentA = false;
  onSegmentB = false;
  // Work with the circle's centre at the origin.
  const double lx1 = x1 - cx;
  const double ly1 = y1 - cy;
  const double lx2 = x2 - cx;
  const double ly2 = y2 - cy;
  double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0;
  if (std::fabs(lx2 - lx1) < 1e-8) {
    // A vertical line: its slope form would divide by about zero, so a
    // vertical line that passes the circle by simply has no intersection.
    const double x = lx1;
    if (r * r < x * x) return false;
    const double h = std::sqrt(r * r - x * x);
    ax = x;
    ay = h;
    bx = x;
    by = -h;
  } else {
    const double m = (ly2 - ly1) / (lx2 - lx1);
    const double k = ly1 - m * lx1;
    const double qa = m * m + 1.0;
    const double qb = 2.0 * m * k;
    const double qc = k * k - r * r;
    const double disc = qb * qb - 4.0 * qa * qc;
    if (!(disc > 0.0)) return false;
    const double root = std::sqrt(disc);
    ax = (-qb + root) / (2.0 * qa);
    bx = (-qb - root) / (2.0 * qa);
    ay = m * ax + k;
    by = m * bx + k;
  }
  xA = ax + cx;
  yA = ay + cy;
  xB = bx + cx;
  yB = by + cy;
  const double limit = Distance2d(x1, y1, x2, y2) + 1e-5;
  onSegmentA = Distance2d(x1, y1, xA, yA) + Distance2d(x2, y2, xA, yA) < limit;
  onSegmentB = Distance2d(x1, y1, xB, yB) + Distance2d(x2, y2, xB, yB) < limit;
  return onSegmentA || onSegmentB;
}

bool IntersectCircles(double x1, double y1, double r1, double x2, double y2, double r2,
                      double& xA, double& yA, double& xB, double& yB) {
  const double d = Distance2d(x1, y1, x2, y2);
  double baseBearing = Bearing2d(x1, y1, x2, y2);
  double bx = x1, by = y1, big = r1, small = r2;
  // The larger circle is the base, so that the angle at its centre is never
  // obtuse and a plain arc tangent gives it.
  if (r1 < r2) {
    bx = x2;
    by = y2;
    baseBearing += kPi9;
    big = r2;
    small = r1;
  }
  if (big + small > d && small <= d + big && big <= d + small) {
    const double s = (big + small + d) / 2.0;
    const double area = std::sqrt(s * (s - big) * (s - small) * (s - d));
    const double a = std::atan(4.0 * area / (big * big + d * d - small * small));
    xA = bx + big * std::cos(baseBearing - a);
    yA = by + big * std::sin(baseBearing - a);
    xB = bx + big * std::cos(baseBearing + a);
    yB = by + big * std::sin(baseBearing + a);
    return true;
  }
  if (std::fabs(d - (big + small)) < 1e-8) {
    xA = xB = bx + big * std::cos(baseBearing);
    yA = yB = by + big * std::sin(baseBearing);
    return true;
  }
  return false;
}

bool BulgeFromRadius(double x1, double y1, double x2, double y2, double px, double py,
                     double radius, double& bulge) {
  const double h = Distance2d(x1, y1, x2, y2);
  if (h < kGeometryShortest) return false;
  const double absR = std::fabs(radius);
  const double q = radius * radius - (h / 2.0) * (h / 2.0);
  double sagitta = q > 1e-8 ? absR - std::sqrt(q) : absR;
  bool onLine = false;
  const bool right = SideOfLine(x1, y1, x2, y2, px, py, onLine);
  // The centre of a counter-clockwise minor arc lies left of the chord, of a
  // clockwise one right of it; on the other side the major arc is meant.
  if ((radius > 0.0 && right) || (radius < 0.0 && !right)) sagitta = 2.0 * absR - sagitta;
  bulge = 2.0 * sagitta / h;
  if (radius < 0.0) bulge = -bulge;
  return true;
}

bool ArcElementFromBulge(double x1, double y1, double x2, double y2, double bulge,
                         double& length, double& headingStart, double& headingEnd,
                         double& radius, double& centreX, double& centreY) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double chord = std::sqrt(dx * dx + dy * dy);
  const double b = std::fabs(bulge);
  // bulge = tan(theta / 4): radius = chord (1 + b^2) / (4 b). The centre lies
  // on the chord's perpendicular bisector, chord (1 - b^2) / (4 bulge) to the
  // left of the direction of travel (to the right for a clockwise arc, and
  // across the chord for a major arc).
  const double theta = 4.0 * std::atan(b);
  const double absRadius = chord * (1.0 + b * b) / (4.0 * b);
  const double across = (1.0 - b * b) / (4.0 * bulge);
  centreX = (x1 + x2) / 2.0 - dy * across;
  centreY = (y1 + y2) / 2.0 + dx * across;
  radius = bulge < 0.0 ? -absRadius : absRadius;
  length = absRadius * theta;
  const double turn = bulge >= 0.0 ? kHalfPi9 : -kHalfPi9;
  headingStart = WrapHeading9(Bearing2d(centreX, centreY, x1, y1) + turn);
  headingEnd = WrapHeading9(Bearing2d(centreX, centreY, x2, y2) + turn);
  return true;
}
