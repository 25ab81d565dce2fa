#include "host/editor/coordinates.h"

#include <cmath>
#include <numbers>

namespace host {

double Angle(const db::Point3& from, const db::Point3& to) {
  const double dx = to.x - from.x, dy = to.y - from.y;
  if (dx == 0 && dy == 0) return 0.0;
  double a = std::atan2(dy, dx);
  if (a < 0) a += 2 * std::numbers::pi;
  // atan2 of a tiny negative y gives -0 or a value that rounds to 2 pi.
  if (a >= 2 * std::numbers::pi) a = 0.0;
  return a;
}

db::Point3 Polar(const db::Point3& from, double angle, double distance) {
  return db::Point3{from.x + distance * std::cos(angle), from.y + distance * std::sin(angle), from.z};
}

db::Point3 UcsToWcs(const db::Point3& point, bool /*displacement*/) { return point; }

}  // namespace host
