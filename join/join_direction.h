// The direction of a new polyline: an arrow drawn on the screen with a
// question whether to turn the polyline round, and the reversal of element
// and vertex lists.
#pragma once

#include <vector>

#include "common/geometry/alignment.h"
#include "host/db/values.h"

// Draws an arrow (0.05 x VIEWSIZE long, beside the middle of the element,
// pointing along it), asks "\nChange this polylines direction? Yes / <No>: "
// and takes the arrow away again. True when the answer starts with 'y' or
// 'Y'; false for any other answer, Esc, or when VIEWSIZE cannot be read (no
// question then).
bool AskReverseDirection(const GeometryElement& element);

// Turns the list round in place: the last element first, each running the
// other way (chainage from the far end, radii negated, ends swapped,
// headings turned by half a turn); centres and clothoid parameters kept.
void ReverseElementList(std::vector<GeometryElement>& elements);
void ReversePointList(std::vector<host::db::Point3>& points);

// Half a turn and a whole turn as the join adds and wraps headings.
inline constexpr double kJoinHalfTurn = 3.14159265359;
inline constexpr double kJoinWholeTurn = 6.283185308;

// A heading turned by half a turn, less a whole turn when it passes one.
double OppositeHeading(double heading);
