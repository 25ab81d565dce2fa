#include "common/geometry/alignment.h"

#include <cmath>
#include <initializer_list>

#include "common/geometry/plane_geometry.h"

namespace {

// Slack on chainages and on arc bearings.
constexpr double kChainageSlack = 5e-8;
// Slack on the sum of the distances to a straight's ends.
constexpr double kStraightSlack = 0.001;
// Sub-arcs of the fine clothoid projection.
constexpr int kClothoidSubArcs = 64;
// Starting value of the best-offset search.
constexpr double kNoOffset = 99999999.999;
// A piece of curve whose length times its turn is below this cannot be told
// from its chord (its sagitta is an eighth of it); the circle through it
// would have its centre so far away that its bearings lose all precision.
constexpr double kFlatCurve = 1e-9;

// The turn between two headings, in [0, pi].
double TurnBetween(double from, double to) {
  double turn = std::fabs(to - from);
  if (turn > kPi) turn = kTwoPi - turn;
  return turn;
}

bool IsStraight(const GeometryElement& e) {
  return e.clothoidParameter == 0.0 && e.radiusStart == 0.0;
}

double WrapOnceAbove(double h) { return h > kTwoPi ? h - kTwoPi : h; }

double WrapOnce(double h) {
  if (h > kTwoPi) h -= kTwoPi;
  if (h < 0.0) h += kTwoPi;
  return h;
}

// Local coordinates along (x) and across (y) the start tangent after s along
// a curve whose tangent has turned by theta(t) = q t + p t^2. These are the
// integrals of cos(theta) and sin(theta), expanded in powers of theta and
// integrated term by term: theta^n contributes C(n, k) q^(n-k) p^k
// t^(n+k) / n! for k = 0..n. x keeps the even powers up to theta^8 with a
// power of s of at most 14 (22 terms); y the odd powers up to theta^9 with a
// power of s of at most 15 (26 terms).
void ClothoidSeries(double p, double q, double s, double& x, double& y) {
  constexpr int kMaxN = 9;
  double qPow[kMaxN + 1];
  double pPow[kMaxN + 1];
  double sPow[kMaxN * 2 + 2];
  qPow[0] = pPow[0] = sPow[0] = 1.0;
  for (int i = 1; i <= kMaxN; ++i) {
    qPow[i] = qPow[i - 1] * q;
    pPow[i] = pPow[i - 1] * p;
  }
  for (int i = 1; i < kMaxN * 2 + 2; ++i) sPow[i] = sPow[i - 1] * s;

  x = 0.0;
  y = 0.0;
  double factorial = 1.0;  // n!
  for (int n = 0; n <= kMaxN; ++n) {
    if (n > 0) factorial *= n;
    const bool even = n % 2 == 0;
    const double sign = (n / 2) % 2 == 0 ? 1.0 : -1.0;
    const int maxPower = even ? 14 : 15;
    double binomial = 1.0;  // C(n, k)
    for (int k = 0; k <= n; ++k) {
      if (k > 0) binomial = binomial * (n - k + 1) / k;
      const int power = n + k + 1;
      if (power > maxPower) break;
      const double term =
          sign * binomial / factorial / power * qPow[n - k] * pPow[k] * sPow[power];
      if (even)
        x += term;
      else
        y += term;
    }
  }
}

// A clothoid that starts on its smaller curvature end (or a curve-to-curve
// one) evaluated forwards from its start.
void ClothoidForward(double clothoidParameter, double radiusStart, double radiusEnd,
                     double startX, double startY, double headingStart, double s, double& x,
                     double& y, double& p, double& q, double& heading) {
  q = radiusStart != 0.0 ? 1.0 / std::fabs(radiusStart) : 0.0;
  p = 1.0 / (2.0 * clothoidParameter * clothoidParameter);
  const bool falling = radiusStart != 0.0 && std::fabs(radiusStart) < std::fabs(radiusEnd);
  if (falling || radiusEnd == 0.0) p = -p;

  double lx = 0.0;
  double ly = 0.0;
  ClothoidSeries(p, q, s, lx, ly);
  if (radiusStart < 0.0 || radiusEnd < 0.0) ly = -ly;

  const double distance = std::sqrt(lx * lx + ly * ly);
  const double direction = headingStart + Bearing2dExact(0.0, 0.0, lx, ly);
  x = startX + distance * std::cos(direction);
  y = startY + distance * std::sin(direction);

  const double turn = p * s * s + q * s;
  heading = (radiusStart > 0.0 || radiusEnd > 0.0) ? headingStart + turn : headingStart - turn;
  heading = WrapOnce(heading);
}

// The circular arc through the clothoid's two ends whose centre is where the
// normals at the ends meet. False when the normals are parallel.
bool ClothoidEnvelopeArc(const GeometryElement& c, GeometryElement& arc) {
  if (TurnBetween(c.headingStart, c.headingEnd) * c.length < kFlatCurve) return false;
  double cx = 0.0;
  double cy = 0.0;
  const double ns = c.headingStart + kHalfPi;
  const double ne = c.headingEnd + kHalfPi;
  if (!IntersectLines(cx, cy, c.startX, c.startY, c.startX + std::cos(ns),
                      c.startY + std::sin(ns), c.endX, c.endY, c.endX + std::cos(ne),
                      c.endY + std::sin(ne)))
    return false;
  arc = c;
  arc.clothoidParameter = 0.0;
  double radius = Distance2d(c.startX, c.startY, cx, cy);
  if (c.radiusStart < 0.0 || c.radiusEnd < 0.0) radius = -radius;
  arc.radiusStart = arc.radiusEnd = radius;
  arc.centreX = cx;
  arc.centreY = cy;
  return true;
}

// Projection on a clothoid: a coarse test against the arc through its ends,
// then the first of 64 sub-arcs that holds the point.
void ClothoidChainageOffset(double px, double py, const GeometryElement& c,
                            ChainageOffset& result) {
  GeometryElement envelope{};
  // With parallel end normals (or a clothoid too flat to turn) there is no
  // envelope arc; the fine test alone decides.
  if (ClothoidEnvelopeArc(c, envelope)) {
    LineArcChainageOffset(px, py, envelope, result);
    if (result.status != kProjectionOnElement) return;
  }

  const double step = c.length / kClothoidSubArcs;
  const bool right = c.radiusStart < 0.0 || c.radiusEnd < 0.0;
  GeometryElement pieces[kClothoidSubArcs];
  double prevX = c.startX;
  double prevY = c.startY;
  double prevHeading = c.headingStart;
  for (int i = 1; i <= kClothoidSubArcs; ++i) {
    double x = 0.0, y = 0.0, p = 0.0, q = 0.0, heading = 0.0;
    ClothoidPointAt(c.clothoidParameter, c.radiusStart, c.radiusEnd, c.startX, c.startY,
                    c.headingStart, i * step, x, y, p, q, c, heading);
    GeometryElement& piece = pieces[i - 1];
    piece = GeometryElement{};
    piece.startChainage = c.startChainage + (i - 1) * step;
    piece.length = step;
    piece.startX = prevX;
    piece.startY = prevY;
    piece.endX = x;
    piece.endY = y;
    piece.headingStart = prevHeading;
    piece.headingEnd = heading;

    const double turn = TurnBetween(prevHeading, heading);
    double cx = 0.0, cy = 0.0;
    const double ns = prevHeading + kHalfPi;
    const double ne = heading + kHalfPi;
    // A piece that does not turn measurably (or whose normals do not meet)
    // is taken as a straight rather than as an arc of boundless radius.
    if (turn * step >= kFlatCurve && IntersectLines(cx, cy, prevX, prevY, prevX + std::cos(ns),
                                     prevY + std::sin(ns), x, y, x + std::cos(ne),
                                     y + std::sin(ne))) {
      const double radius = step / turn;
      piece.radiusStart = piece.radiusEnd = right ? -radius : radius;
      piece.centreX = cx;
      piece.centreY = cy;
    }
    prevX = x;
    prevY = y;
    prevHeading = heading;
  }

  result.status = kProjectionBefore;
  for (const GeometryElement& piece : pieces) {
    ChainageOffset candidate{};
    LineArcChainageOffset(px, py, piece, candidate);
    if (candidate.status == kProjectionOnElement) {
      result = candidate;
      return;
    }
  }
}

// Turns the three bearings so that `zero` becomes 0, reducing any turned
// value that reaches 2pi (within the slack).
void TurnBearings(double zero, double& a, double& b, double& c) {
  const double by = kTwoPi - zero;
  for (double* v : {&a, &b, &c}) {
    *v += by;
    if (*v - kTwoPi > -kChainageSlack) *v -= kTwoPi;
  }
}

bool ReadElement(const GrowArray& elements, std::int32_t index, GeometryElement& element) {
  if (index < 0 || index >= elements.count) return false;
  return GrowArrayGet(&elements, index, &element);
}

// The search behind both projections of a whole alignment.
bool BestChainageOffset(const GrowArray& elements, std::int32_t count, double px, double py,
                        bool joints, double& chainage, double& offset, std::uint8_t& joint) {
  double bestAbs = kNoOffset;
  double bestOffset = -kNoOffset;
  double bestChainage = 0.0;
  std::uint8_t bestJoint = 0;
  bool previousStraightPast = false;
  for (std::int32_t i = 0; i < count; ++i) {
    GeometryElement e{};
    if (!ReadElement(elements, i, e)) return false;
    ChainageOffset r{};
    ElementChainageOffset(px, py, e, r);
    if (r.status == kProjectionOnElement && std::fabs(r.offset) < bestAbs) {
      bestAbs = std::fabs(r.offset);
      bestOffset = r.offset;
      bestChainage = r.chainage;
      bestJoint = 0;
    }
    const bool straight = IsStraight(e);
    if (joints && straight && r.status == kProjectionBefore && previousStraightPast) {
      double d = Distance2d(px, py, e.startX, e.startY);
      const double cross =
          (e.endX - e.startX) * (py - e.startY) - (e.endY - e.startY) * (px - e.startX);
      if (cross > 0.0) d = -d;
      if (std::fabs(d) < bestAbs) {
        bestAbs = std::fabs(d);
        bestOffset = d;
        bestChainage = e.startChainage;
        bestJoint = 1;
      }
    }
    previousStraightPast = straight && r.status == kProjectionPastEnd;
  }
  if (bestOffset == -kNoOffset) return false;
  chainage = bestChainage;
  offset = bestOffset;
  joint = bestJoint;
  return true;
}

}  // namespace

bool AlignmentPointAt(const GrowArray& elements, std::int32_t count, double chainage,
                      double offset, double& x, double& y, double& heading) {
  for (std::int32_t i = 0; i < count; ++i) {
    GeometryElement e{};
    if (!ReadElement(elements, i, e)) return false;
    if (e.startChainage - kChainageSlack <= chainage &&
        e.startChainage + e.length + kChainageSlack >= chainage)
      return ElementPointAt(chainage, offset, x, y, heading, e);
  }
  return false;
}

bool AlignmentChainageOffset(const GrowArray& elements, std::int32_t count, double px,
                             double py, double& chainage, double& offset) {
  std::uint8_t joint = 0;
  return BestChainageOffset(elements, count, px, py, false, chainage, offset, joint);
}

bool AlignmentChainageOffsetEnds(const GrowArray& elements, std::int32_t count, double px,
                                 double py, double& chainage, double& offset,
                                 std::uint8_t& joint) {
  return BestChainageOffset(elements, count, px, py, true, chainage, offset, joint);
}

bool ElementPointAt(double chainage, double offset, double& x, double& y, double& heading,
                    const GeometryElement& element) {
  double cx = 0.0;
  double cy = 0.0;
  double h = 0.0;
  ElementCentrelinePoint(chainage, cx, cy, h, element);
  const double direction = WrapOnce(offset > 0.0 ? h - kHalfPi : h + kHalfPi);
  const double distance = std::fabs(offset);
  x = cx + distance * std::cos(direction);
  y = cy + distance * std::sin(direction);
  heading = h;
  return true;
}

bool ElementCentrelinePoint(double chainage, double& x, double& y, double& heading,
                            const GeometryElement& e) {
  const double s = chainage - e.startChainage;
  if (e.clothoidParameter != 0.0) {
    double p = 0.0;
    double q = 0.0;
    ClothoidPointAt(e.clothoidParameter, e.radiusStart, e.radiusEnd, e.startX, e.startY,
                    e.headingStart, s, x, y, p, q, e, heading);
    return true;
  }
  if (e.radiusStart != 0.0) {
    double gs = Bearing2dExact(e.centreX, e.centreY, e.startX, e.startY);
    double ge = Bearing2dExact(e.centreX, e.centreY, e.endX, e.endY);
    if (e.radiusStart > 0.0 && gs > ge) ge += kTwoPi;
    if (e.radiusStart < 0.0 && gs < ge) gs += kTwoPi;
    const double r = std::fabs(e.radiusStart);
    // A zero-length arc has its one point at the start bearing.
    const double share = e.length != 0.0 ? s / e.length : 0.0;
    const double g = gs + (ge - gs) * share;
    x = e.centreX + r * std::cos(g);
    y = e.centreY + r * std::sin(g);
    if (e.radiusStart > 0.0) {
      heading = e.headingStart + s / r;
      if (heading > kTwoPi) heading -= kTwoPi;
    } else {
      heading = e.headingStart - s / r;
      if (heading < 0.0) heading += kTwoPi;
    }
    return true;
  }
  heading = e.headingStart;
  x = e.startX + s * std::cos(heading);
  y = e.startY + s * std::sin(heading);
  return true;
}

void ClothoidPointAt(double clothoidParameter, double radiusStart, double radiusEnd,
                     double startX, double startY, double headingStart, double s, double& x,
                     double& y, double& p, double& q, const GeometryElement& element,
                     double& heading) {
  if (radiusStart != 0.0 && radiusEnd == 0.0) {
    // Curve-to-straight: the same curve travelled backwards from its end is
    // straight-to-curve, turning the other way.
    const double mirroredHeading = WrapOnceAbove(element.headingEnd + kPi);
    ClothoidForward(clothoidParameter, 0.0, -radiusStart, element.endX, element.endY,
                    mirroredHeading, element.length - s, x, y, p, q, heading);
    heading = WrapOnceAbove(heading + kPi);
    return;
  }
  ClothoidForward(clothoidParameter, radiusStart, radiusEnd, startX, startY, headingStart, s, x,
                  y, p, q, heading);
}

void ElementChainageOffset(double px, double py, const GeometryElement& element,
                           ChainageOffset& result) {
  result.status = kProjectionTooShort;
  if (element.length <= kShortestElement) return;
  if (element.clothoidParameter == 0.0) {
    LineArcChainageOffset(px, py, element, result);
    return;
  }
  ClothoidChainageOffset(px, py, element, result);
}

void LineArcChainageOffset(double px, double py, const GeometryElement& e,
                           ChainageOffset& result) {
  if (e.radiusStart == 0.0) {
    const double dx = e.endX - e.startX;
    const double dy = e.endY - e.startY;
    const double v = dx * dx + dy * dy;
    double fx = e.startX;
    double fy = e.startY;
    if (std::fabs(v) > kShortestElement &&
        (std::fabs(dx) > kShortestElement || std::fabs(dy) > kShortestElement)) {
      fx = (dy * dy * e.startX + dx * dx * px + dx * dy * (py - e.startY)) / v;
      fy = std::fabs(dx) > std::fabs(dy) ? e.startY + dy * (fx - e.startX) / dx
                                         : py + dx * (px - fx) / dy;
    }
    const double d1 = Distance2d(e.startX, e.startY, fx, fy);
    const double d2 = Distance2d(e.endX, e.endY, fx, fy);
    if (d1 + d2 > std::sqrt(v) + kStraightSlack) {
      result.status = d2 > d1 ? kProjectionBefore : kProjectionPastEnd;
      return;
    }
    result.status = kProjectionOnElement;
    result.chainage = e.startChainage + d1;
    result.offset = Distance2d(px, py, fx, fy);
    if (dx * (py - e.startY) - dy * (px - e.startX) > 0.0) result.offset = -result.offset;
    return;
  }

  double gs = Bearing2dExact(e.centreX, e.centreY, e.startX, e.startY);
  double ge = Bearing2dExact(e.centreX, e.centreY, e.endX, e.endY);
  double gp = Bearing2dExact(e.centreX, e.centreY, px, py);
  result.status = kProjectionBefore;
  bool inside = false;
  double swept = 0.0;
  if (e.radiusStart > 0.0) {
    if (gs > ge) TurnBearings(gs, gs, ge, gp);
    inside = ge - gp > -kChainageSlack && gp - gs > -kChainageSlack;
    swept = gp - gs;
  } else {
    if (ge > gs) TurnBearings(ge, gs, ge, gp);
    inside = gs - gp > -kChainageSlack && gp - ge > -kChainageSlack;
    swept = gs - gp;
  }
  if (!inside) return;
  const double r = std::fabs(e.radiusStart);
  const double d = Distance2d(e.centreX, e.centreY, px, py);
  result.status = kProjectionOnElement;
  result.chainage = e.startChainage + std::fabs(swept * e.radiusStart);
  result.offset = std::fabs(r - d);
  const bool left = e.radiusStart < 0.0 ? d > r : d < r;
  if (left) result.offset = -result.offset;
}
