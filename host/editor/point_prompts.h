// Prompts for points, corners, distances and entity picks.
//
// They take the same actions as the text prompts (prompts.h: "type", "esc",
// "error", running out) and these in addition:
//  - a point is typed as "x,y" or "x,y,z", or "@dx,dy[,dz]" relative to the
//    base point; "pick x,y" is a pick in the drawing at that point;
//  - an entity pick takes "pick HANDLE" (the entity's handle, hexadecimal),
//    "pick x,y" or a typed point: the entity of the working drawing nearest
//    to the point within the pick box (VIEWSIZE / 100).
// Enter answers kNone. A text that is not a point gets the host's message
// and the prompt is asked again.
//
// An entity pick that finds nothing answers kError and sets ERRNO to 7; an
// Enter there answers kNone and sets ERRNO to 52.
#pragma once

#include <string_view>

#include "host/db/values.h"
#include "host/editor/prompts.h"

namespace host {

Input<db::Point3> GetPoint(std::wstring_view prompt);
Input<db::Point3> GetPoint(const db::Point3& base, std::wstring_view prompt);
// The other corner of a rectangle from `base`.
Input<db::Point3> GetCorner(const db::Point3& base, std::wstring_view prompt);
// A distance typed as a number, or shown by points: from `base` to a point;
// without a base, by two points (the second asked for with "Second point: ").
Input<double> GetDistance(std::wstring_view prompt);
Input<double> GetDistance(const db::Point3& base, std::wstring_view prompt);

struct EntityPick {
  EntityName entity;
  db::Point3 point;  // where it was picked
};
Input<EntityPick> PickEntity(std::wstring_view prompt);

namespace detail {
// Reads "x,y" or "x,y,z" (and "@..." relative to `base` when there is one).
bool ParsePoint(std::wstring_view text, const db::Point3* base, db::Point3* point);
// The entity of model space of the working database nearest to `at` within
// `tolerance`; the null name when none.
EntityName EntityNear(const db::Point3& at, double tolerance);
// The handle of "2A" and the like; 0 when the text is not one.
std::uint64_t ParseHandle(std::wstring_view text);
}  // namespace detail

}  // namespace host
