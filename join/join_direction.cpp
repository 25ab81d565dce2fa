#include "join/join_direction.h"

#include <algorithm>
#include <cmath>

#include "host/editor/graphics.h"
#include "host/editor/prompts.h"
#include "host/editor/system_variables.h"

namespace {

constexpr double kArrowShare = 0.05;       // of the view height
constexpr double kBarbAngle = 0.39269908175;  // pi / 8
constexpr int kArrowColour = 7;
constexpr int kEraseColour = 0;

struct Arrow {
  host::db::Point3 tail, head, barb1, barb2;
};

void DrawArrow(const Arrow& a, int colour) {
  host::DrawVector(a.tail, a.head, colour, false);
  host::DrawVector(a.barb1, a.head, colour, false);
  host::DrawVector(a.barb2, a.head, colour, false);
}

}  // namespace

double OppositeHeading(double heading) {
  double h = heading + kJoinHalfTurn;
  if (h > kJoinWholeTurn) h -= kJoinWholeTurn;
  return h;
}

bool AskReverseDirection(const GeometryElement& element) {
  const host::SysVarResult viewSize = host::GetSystemVariable(L"viewsize");
  if (!viewSize.ok()) return false;
  const double s = kArrowShare * viewSize.Number();
  double px = 0.0, py = 0.0, h = 0.0;
  // The middle of the element, whatever chainage it starts at.
  ElementPointAt(element.startChainage + element.length / 2.0, s / 3.0, px, py, h, element);
  const double cx = std::cos(h), cy = std::sin(h);
  Arrow arrow;
  arrow.tail = {px - s / 2.0 * cx, py - s / 2.0 * cy, 0.0};
  arrow.head = {px + s / 2.0 * cx, py + s / 2.0 * cy, 0.0};
  arrow.barb1 = {arrow.head.x - s / 3.0 * std::cos(h - kBarbAngle),
                 arrow.head.y - s / 3.0 * std::sin(h - kBarbAngle), 0.0};
  arrow.barb2 = {arrow.head.x - s / 3.0 * std::cos(h + kBarbAngle),
                 arrow.head.y - s / 3.0 * std::sin(h + kBarbAngle), 0.0};
  DrawArrow(arrow, kArrowColour);
  const host::Input<std::wstring> answer =
      host::GetKeyword(L"\nChange this polylines direction? Yes / <No>: ", {L"Yes", L"No"});
  const bool yes = answer.ok() && answer.value == L"Yes";
  DrawArrow(arrow, kEraseColour);
  return yes;
}

void ReverseElementList(std::vector<GeometryElement>& elements) {
  double total = 0.0;
  for (const GeometryElement& e : elements) total += e.length;
  std::vector<GeometryElement> reversed;
  reversed.reserve(elements.size());
  for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
    GeometryElement e = *it;
    e.startChainage = total - (it->startChainage + it->length);
    e.radiusStart = -it->radiusStart;
    e.radiusEnd = -it->radiusEnd;
    e.startX = it->endX;
    e.startY = it->endY;
    e.endX = it->startX;
    e.endY = it->startY;
    e.headingStart = OppositeHeading(it->headingEnd);
    e.headingEnd = OppositeHeading(it->headingStart);
    reversed.push_back(e);
  }
  elements = std::move(reversed);
}

void ReversePointList(std::vector<host::db::Point3>& points) {
  std::reverse(points.begin(), points.end());
}
