#include "host/editor/extents.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <variant>

#include "host/db/database.h"

namespace host {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The vertices of a polyline as x, y and bulge, in order.
struct BulgedPoint {
  double x, y, bulge;
};

void AddPolyline(ExtentBox* box, const std::vector<BulgedPoint>& points, bool closed) {
  if (points.empty()) return;
  box->Add(points[0].x, points[0].y);
  const std::size_t segments = closed ? points.size() : points.size() - 1;
  for (std::size_t i = 0; i < segments; ++i) {
    const BulgedPoint& a = points[i];
    const BulgedPoint& b = points[(i + 1) % points.size()];
    box->AddSegment(a.x, a.y, b.x, b.y, a.bulge);
  }
}

}  // namespace

void ExtentBox::Add(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (empty_) {
    low_ = high_ = db::Point3{x, y, 0};
    empty_ = false;
    return;
  }
  low_.x = std::min(low_.x, x);
  low_.y = std::min(low_.y, y);
  high_.x = std::max(high_.x, x);
  high_.y = std::max(high_.y, y);
}

void ExtentBox::AddArc(double cx, double cy, double radius, double start, double end) {
  if (!std::isfinite(start) || !std::isfinite(end)) return;
  Add(cx + radius * std::cos(start), cy + radius * std::sin(start));
  Add(cx + radius * std::cos(end), cy + radius * std::sin(end));
  AddQuadrants(cx, cy, radius, start, end);
}

void ExtentBox::AddQuadrants(double cx, double cy, double radius, double start, double end) {
  start = std::fmod(start, kTwoPi);
  if (start < 0) start += kTwoPi;
  end = std::fmod(end, kTwoPi);
  if (end < 0) end += kTwoPi;
  if (end < start) end += kTwoPi;
  // 0, pi/2, pi, 3pi/2, then once more round for an arc that crosses angle
  // 0; exact, so that a curve's extreme lands on round numbers.
  static constexpr double kCos[4] = {1, 0, -1, 0};
  static constexpr double kSin[4] = {0, 1, 0, -1};
  for (int quadrant = 0; quadrant < 8; ++quadrant) {
    const double angle = quadrant * (std::numbers::pi / 2);
    if (angle <= start || angle >= end) continue;
    Add(cx + radius * kCos[quadrant % 4], cy + radius * kSin[quadrant % 4]);
  }
}

void ExtentBox::AddSegment(double x1, double y1, double x2, double y2, double bulge) {
  Add(x1, y1);
  Add(x2, y2);
  if (bulge == 0 || !std::isfinite(bulge) || (x1 == x2 && y1 == y2)) return;
  // The centre lies on the chord's perpendicular through its middle.
  const double k = (1 - bulge * bulge) / (4 * bulge);
  const double cx = (x1 + x2) / 2 - (y2 - y1) * k;
  const double cy = (y1 + y2) / 2 + (x2 - x1) * k;
  const double radius = std::hypot(x1 - cx, y1 - cy);
  const double from = std::atan2(y1 - cy, x1 - cx);
  const double to = std::atan2(y2 - cy, x2 - cx);
  // A positive bulge runs counter-clockwise from the first point. The ends
  // are the vertices themselves.
  if (bulge > 0)
    AddQuadrants(cx, cy, radius, from, to);
  else
    AddQuadrants(cx, cy, radius, to, from);
}

bool DrawingExtents(db::Point3* low, db::Point3* high) {
  const db::Database* db = db::WorkingDatabase();
  if (db == nullptr) return false;
  ExtentBox box;
  for (EntityName id : db->EntitiesIn(db->ModelSpace())) {
    const db::Entity* e = db->EntityOf(id);
    if (e == nullptr) continue;
    std::visit(
        [&](const auto& g) {
          using T = std::decay_t<decltype(g)>;
          if constexpr (std::is_same_v<T, db::LineData>) {
            box.Add(g.start.x, g.start.y);
            box.Add(g.end.x, g.end.y);
          } else if constexpr (std::is_same_v<T, db::CircleData>) {
            box.Add(g.center.x - g.radius, g.center.y - g.radius);
            box.Add(g.center.x + g.radius, g.center.y + g.radius);
          } else if constexpr (std::is_same_v<T, db::ArcData>) {
            box.AddArc(g.center.x, g.center.y, g.radius, g.startAngle, g.endAngle);
          } else if constexpr (std::is_same_v<T, db::PointData> || std::is_same_v<T, db::InsertData> ||
                               std::is_same_v<T, db::TextData>) {
            box.Add(g.position.x, g.position.y);
          } else if constexpr (std::is_same_v<T, db::LwPolylineData>) {
            std::vector<BulgedPoint> points;
            for (const auto& v : g.vertices) points.push_back({v.x, v.y, v.bulge});
            AddPolyline(&box, points, g.closed);
          } else if constexpr (std::is_same_v<T, db::PolylineData>) {
            std::vector<BulgedPoint> points;
            for (std::uint64_t h : g.vertices)
              if (const db::Entity* v = db->EntityByHandle(h))
                if (auto* vd = std::get_if<db::VertexData>(&v->data))
                  points.push_back({vd->position.x, vd->position.y,
                                    (g.flags & db::kPolyline3d) != 0 ? 0.0 : vd->bulge});
            AddPolyline(&box, points, (g.flags & db::kPolylineClosed) != 0);
          } else if constexpr (std::is_same_v<T, db::HatchData>) {
            for (const auto& loop : g.loops) {
              std::vector<BulgedPoint> points;
              for (const auto& v : loop.points) points.push_back({v.x, v.y, v.bulge});
              AddPolyline(&box, points, loop.closed);
            }
          }
        },
        e->data);
  }
  if (box.Empty()) return false;
  *low = box.Low();
  *high = box.High();
  return true;
}

}  // namespace host
