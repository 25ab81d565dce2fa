// Road alignments: lists of straights, circular arcs and clothoids in order
// of chainage, evaluated both ways (the point at a chainage and offset, and
// the chainage and offset of a point).
//
// Chainages, offsets and coordinates are drawing units; angles are radians,
// east 0, counter-clockwise positive. Offsets are measured at right angles to
// the direction of travel, positive to the right, negative to the left.
//
// An alignment is a GrowArray of GeometryElement held by value, with its
// element count passed beside it; each element starts where the previous one
// ends, at the previous start chainage plus its length. The caller owns it.
// Nothing here allocates or reports anything.
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"

// One element of an alignment or of a profile.
//
// Kinds:
//   clothoid  clothoidParameter != 0. Straight-to-curve when radiusStart is
//             0, curve-to-straight when radiusEnd is 0, curve-to-curve when
//             both are set (same sign). Turns right when either radius is
//             negative. The centre is not used.
//   arc       clothoidParameter == 0, radiusStart != 0: runs from the start
//             point to the end point around the centre, counter-clockwise for
//             a positive radius, clockwise for a negative one.
//   straight  clothoidParameter == 0, radiusStart == 0.
// Lists made by DensifyAlignment carry a tag in clothoidParameter and are
// read for their points and lengths only.
struct GeometryElement {
  double startChainage;
  double length;
  double radiusStart;        // > 0 turns left, < 0 right, 0 straight
  double radiusEnd;          // same convention; equals radiusStart on an arc
  double centreX;            // arcs only
  double centreY;
  double clothoidParameter;  // A: curvature changes by 1/A^2 per unit length
  double headingStart;       // direction of travel, [0, 2pi)
  double startX;
  double startY;
  double endX;
  double endY;
  double headingEnd;
};
static_assert(sizeof(GeometryElement) == 13 * sizeof(double));

// Result of projecting a point on one element.
inline constexpr std::int16_t kProjectionOnElement = 0;
inline constexpr std::int16_t kProjectionBefore = -1;   // before a straight, outside an arc or clothoid
inline constexpr std::int16_t kProjectionPastEnd = 1;   // past the end of a straight
inline constexpr std::int16_t kProjectionTooShort = -2; // length 5e-5 or less, not evaluated

struct ChainageOffset {
  std::int16_t status;  // one of the kProjection values
  double chainage;      // foot of the perpendicular; status 0 only
  double offset;        // signed, positive right of travel; status 0 only
};

// Elements this short or shorter are never projected on.
inline constexpr double kShortestElement = 5e-5;

// The point at `chainage` and `offset` on the first element (in list order)
// that holds the chainage within 5e-8 at either end, so a joint belongs to the
// earlier element. `heading` is the centre-line heading. False, with the
// outputs untouched, when no element holds the chainage or an element cannot
// be read (an index at or past the list's count cannot).
[[nodiscard]] bool AlignmentPointAt(const GrowArray& elements, std::int32_t count,
                                    double chainage, double offset, double& x, double& y,
                                    double& heading);

// Chainage and offset of the point against the element that gives the
// smallest absolute offset among those it projects onto; the earlier element
// wins a tie. False when it projects onto none or an element cannot be read;
// the outputs are then untouched.
[[nodiscard]] bool AlignmentChainageOffset(const GrowArray& elements, std::int32_t count,
                                           double px, double py, double& chainage,
                                           double& offset);

// As AlignmentChainageOffset, and a point in the wedge beyond the joint of two
// straights (past the end of the first, before the start of the second) also
// counts, at the joint's chainage with its distance from the joint as offset.
// `joint` is 1 when the winner came from such a joint, else 0.
[[nodiscard]] bool AlignmentChainageOffsetEnds(const GrowArray& elements, std::int32_t count,
                                               double px, double py, double& chainage,
                                               double& offset, std::uint8_t& joint);

// The point at `chainage` on the element's centre-line, moved |offset| to the
// right (offset > 0) or left; `heading` is that of the centre-line. A chainage
// beyond the element extrapolates. Always true.
bool ElementPointAt(double chainage, double offset, double& x, double& y, double& heading,
                    const GeometryElement& element);
bool ElementCentrelinePoint(double chainage, double& x, double& y, double& heading,
                            const GeometryElement& element);

// The point and heading on a clothoid at distance `s` from its start, from
// the power series of its Fresnel integrals. The separate arguments describe
// the clothoid; a curve-to-straight one (radiusStart != 0, radiusEnd == 0) is
// evaluated backwards from its end, for which `element` gives the length, the
// end point and the heading at end. `p` and `q` receive the coefficients of
// the turned angle p s^2 + q s of the (possibly mirrored) evaluation.
void ClothoidPointAt(double clothoidParameter, double radiusStart, double radiusEnd,
                     double startX, double startY, double headingStart, double s, double& x,
                     double& y, double& p, double& q, const GeometryElement& element,
                     double& heading);

// Projects the point onto one element; the status says whether it fell on it.
void ElementChainageOffset(double px, double py, const GeometryElement& element,
                           ChainageOffset& result);
// The same for a straight or an arc only.
void LineArcChainageOffset(double px, double py, const GeometryElement& element,
                           ChainageOffset& result);
