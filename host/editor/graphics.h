// Temporary vectors and redraw. Hints: they record what the user would see
// in the transcript and return nothing.
//
//   "vector"   "x1,y1,z1 x2,y2,z2 colour C" (+ " highlight"): a temporary
//              line drawn over the drawing in colour index C; colour 0
//              erases one (draws in the background colour)
//   "redraw"   "all" for the whole screen (temporary vectors go);
//              "<handle> highlight" / "unhighlight" / "draw" / "hide" for
//              one entity
#pragma once

#include <vector>

#include "host/db/values.h"

namespace host {

void DrawVector(const db::Point3& from, const db::Point3& to, int colour, bool highlight);

// Redraw modes, as the add-ins number them.
inline constexpr int kRedrawDraw = 1;
inline constexpr int kRedrawHide = 2;
inline constexpr int kRedrawHighlight = 3;
inline constexpr int kRedrawUnhighlight = 4;
// Redraws one entity in a mode; false for a null or unknown entity or mode.
bool RedrawEntity(EntityName entity, int mode);
void RedrawAll();

struct TemporaryVector {
  db::Point3 from;
  db::Point3 to;
  int colour = 0;
  bool highlight = false;
};
// The vectors on screen since the last full redraw.
const std::vector<TemporaryVector>& TemporaryVectors();
// Entities shown highlighted now.
std::vector<EntityName> HighlightedEntities();
void ResetGraphics();

}  // namespace host
