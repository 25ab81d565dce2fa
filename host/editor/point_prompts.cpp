#include "host/editor/point_prompts.h"

#include <cmath>
#include <cwchar>
#include <limits>
#include <numbers>

#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "host/system/user_actions.h"
#include "host/editor/system_variables.h"

namespace host {
namespace detail {
namespace {

double Distance2d(double ax, double ay, double bx, double by) { return std::hypot(ax - bx, ay - by); }

double DistanceToSegment(const db::Point3& p, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - ax) * dx + (p.y - ay) * dy) / len2 : 0.0;
  t = std::fmax(0.0, std::fmin(1.0, t));
  return Distance2d(p.x, p.y, ax + t * dx, ay + t * dy);
}

double NormalAngle(double a) {
  const double two_pi = 2 * std::numbers::pi;
  a = std::fmod(a, two_pi);
  return a < 0 ? a + two_pi : a;
}

// Distance to a counter-clockwise arc from `start` to `end` (radians).
double DistanceToArc(const db::Point3& p, double cx, double cy, double r, double start, double end) {
  const double angle = NormalAngle(std::atan2(p.y - cy, p.x - cx));
  const double s = NormalAngle(start);
  double sweep = NormalAngle(end - start);
  if (sweep == 0) sweep = 2 * std::numbers::pi;
  if (NormalAngle(angle - s) <= sweep) return std::fabs(Distance2d(p.x, p.y, cx, cy) - r);
  const double d1 = Distance2d(p.x, p.y, cx + r * std::cos(start), cy + r * std::sin(start));
  const double d2 = Distance2d(p.x, p.y, cx + r * std::cos(end), cy + r * std::sin(end));
  return std::fmin(d1, d2);
}

// Distance to a polyline segment with a bulge.
double DistanceToBulgeSegment(const db::Point3& p, double ax, double ay, double bx, double by,
                              double bulge) {
  if (std::fabs(bulge) < 1e-12) return DistanceToSegment(p, ax, ay, bx, by);
  const double chord = Distance2d(ax, ay, bx, by);
  if (chord == 0) return Distance2d(p.x, p.y, ax, ay);
  const double theta = 4 * std::atan(bulge);  // included angle, signed
  const double r = chord / (2 * std::sin(std::fabs(theta) / 2));
  const double mx = (ax + bx) / 2, my = (ay + by) / 2;
  const double h = r * std::cos(std::fabs(theta) / 2);  // centre distance from the chord
  const double ux = (bx - ax) / chord, uy = (by - ay) / chord;
  // The centre lies left of the chord for a positive bulge below a half circle.
  const double side = (bulge > 0) == (std::fabs(theta) < std::numbers::pi) ? 1.0 : -1.0;
  const double cx = mx - uy * h * side, cy = my + ux * h * side;
  double start = std::atan2(ay - cy, ax - cx), end = std::atan2(by - cy, bx - cx);
  if (bulge < 0) std::swap(start, end);
  return DistanceToArc(p, cx, cy, r, start, end);
}

double DistanceToEntity(const db::Database& db, const db::Entity& e, const db::Point3& p) {
  const double far = std::numeric_limits<double>::infinity();
  if (auto* line = std::get_if<db::LineData>(&e.data))
    return DistanceToSegment(p, line->start.x, line->start.y, line->end.x, line->end.y);
  if (auto* circle = std::get_if<db::CircleData>(&e.data))
    return std::fabs(Distance2d(p.x, p.y, circle->center.x, circle->center.y) - circle->radius);
  if (auto* arc = std::get_if<db::ArcData>(&e.data))
    return DistanceToArc(p, arc->center.x, arc->center.y, arc->radius, arc->startAngle, arc->endAngle);
  if (auto* point = std::get_if<db::PointData>(&e.data))
    return Distance2d(p.x, p.y, point->position.x, point->position.y);
  if (auto* text = std::get_if<db::TextData>(&e.data))
    return Distance2d(p.x, p.y, text->position.x, text->position.y);
  if (auto* insert = std::get_if<db::InsertData>(&e.data))
    return Distance2d(p.x, p.y, insert->position.x, insert->position.y);
  if (auto* lw = std::get_if<db::LwPolylineData>(&e.data)) {
    const auto& v = lw->vertices;
    if (v.size() == 1) return Distance2d(p.x, p.y, v[0].x, v[0].y);
    double best = far;
    const std::size_t n = lw->closed ? v.size() : v.size() - (v.empty() ? 0 : 1);
    for (std::size_t i = 0; i < n; ++i) {
      const auto& a = v[i];
      const auto& b = v[(i + 1) % v.size()];
      best = std::fmin(best, DistanceToBulgeSegment(p, a.x, a.y, b.x, b.y, a.bulge));
    }
    return best;
  }
  if (auto* pl = std::get_if<db::PolylineData>(&e.data)) {
    std::vector<const db::VertexData*> v;
    for (std::uint64_t h : pl->vertices)
      if (const db::Entity* ve = db.EntityByHandle(h))
        if (auto* vd = std::get_if<db::VertexData>(&ve->data)) v.push_back(vd);
    if (v.size() == 1) return Distance2d(p.x, p.y, v[0]->position.x, v[0]->position.y);
    double best = far;
    const bool closed = (pl->flags & db::kPolylineClosed) != 0;
    const std::size_t n = closed ? v.size() : v.size() - (v.empty() ? 0 : 1);
    for (std::size_t i = 0; i < n; ++i) {
      const auto* a = v[i];
      const auto* b = v[(i + 1) % v.size()];
      best = std::fmin(best, DistanceToBulgeSegment(p, a->position.x, a->position.y, b->position.x,
                                                    b->position.y, a->bulge));
    }
    return best;
  }
  if (auto* hatch = std::get_if<db::HatchData>(&e.data)) {
    double best = far;
    for (const db::HatchLoop& loop : hatch->loops) {
      const auto& v = loop.points;
      for (std::size_t i = 0; i + 1 < v.size() + (loop.closed ? 1 : 0) && !v.empty(); ++i) {
        const auto& a = v[i];
        const auto& b = v[(i + 1) % v.size()];
        best = std::fmin(best, DistanceToBulgeSegment(p, a.x, a.y, b.x, b.y, a.bulge));
      }
    }
    return best;
  }
  return far;
}

}  // namespace

bool ParsePoint(std::wstring_view text, const db::Point3* base, db::Point3* point) {
  bool relative = false;
  std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return false;
  text.remove_prefix(first);
  if (!text.empty() && text.front() == L'@') {
    if (base == nullptr) return false;
    relative = true;
    text.remove_prefix(1);
  }
  double v[3] = {0, 0, 0};
  int count = 0;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(L',', start);
    std::wstring_view part = text.substr(start, comma == std::wstring_view::npos ? text.npos : comma - start);
    if (count == 3 || !ParseReal(part, &v[count])) return false;
    ++count;
    if (comma == std::wstring_view::npos) break;
    start = comma + 1;
  }
  if (count < 2) return false;
  db::Point3 p{v[0], v[1], count == 3 ? v[2] : 0.0};
  if (relative) p = db::Point3{base->x + p.x, base->y + p.y, base->z + p.z};
  *point = p;
  return true;
}

EntityName EntityNear(const db::Point3& at, double tolerance) {
  const db::Database* db = db::WorkingDatabase();
  if (db == nullptr) return EntityName{};
  EntityName best;
  double best_distance = tolerance;
  for (EntityName id : db->EntitiesIn(db->ModelSpace())) {
    const db::Entity* e = db->EntityOf(id);
    if (e == nullptr) continue;
    const double d = DistanceToEntity(*db, *e, at);
    // The newest entity wins a tie, as it lies on top.
    if (d <= best_distance) {
      best_distance = d;
      best = id;
    }
  }
  return best;
}

std::uint64_t ParseHandle(std::wstring_view text) {
  if (text.empty() || text.size() > 16) return 0;
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    int digit;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    else return 0;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return value;
}

}  // namespace detail

namespace {

enum class Answer { kTyped, kPicked, kDone };

// What a person at the terminal is told they may answer.
constexpr const wchar_t* kPointAnswers = L"(a point: type x,y or x,y,z, or !pick x,y; Enter for none; !esc cancels)";
constexpr const wchar_t* kDistanceAnswers = L"(a distance: type a number, or a point x,y and then a second; !esc cancels)";
constexpr const wchar_t* kEntityAnswers =
    L"(an object: !pick HANDLE, or !pick x,y for the object nearest that point; !esc cancels)";

// Shows the prompt and takes an answer: typed text, or a "pick" (its
// argument in *text). kDone with *status for Esc, errors and running out.
// `asked` is what a person at the terminal is shown when the prompt has no
// text of its own.
Answer TakePointAnswer(std::wstring_view prompt, const wchar_t* answers, std::wstring* text, Status* status,
                       const wchar_t* asked) {
  ShowPrompt(prompt);
  const WaitingScope waiting({[answers] { return std::wstring(answers); }, true, false, {}, asked});
  const NextAction next = TakeNextAction({"pick", "type", "esc", "error"});
  if (next.taken() && next.action.verb == "pick") {
    *text = next.action.Arg(0);
    EchoInput(*text);
    return Answer::kPicked;
  }
  // Everything else as the text prompts take it.
  *status = detail::TakeAnswer(next, text);
  return *status == Status::kNormal ? Answer::kTyped : Answer::kDone;
}

bool IsBlankText(const std::wstring& text) { return text.find_first_not_of(L" \t") == std::wstring::npos; }

Input<db::Point3> AskPoint(const db::Point3* base, std::wstring_view prompt, const wchar_t* asked) {
  for (;;) {
    std::wstring text;
    Status status = Status::kNormal;
    if (TakePointAnswer(prompt, kPointAnswers, &text, &status, asked) == Answer::kDone) return {status, {}};
    if (IsBlankText(text)) return {Status::kNone, {}};
    db::Point3 p;
    if (detail::ParsePoint(text, base, &p)) return {Status::kNormal, p};
    Print(L"\nInvalid point.");
  }
}

double PickBox() {
  SysVarResult size = GetSystemVariable(L"VIEWSIZE");
  const double view = size.ok() && size.Number() > 0 ? size.Number() : 9.0;
  return view / 100.0;
}

}  // namespace

Input<db::Point3> GetPoint(std::wstring_view prompt) { return AskPoint(nullptr, prompt, L"Point: "); }
Input<db::Point3> GetPoint(const db::Point3& base, std::wstring_view prompt) {
  return AskPoint(&base, prompt, L"Point: ");
}
Input<db::Point3> GetCorner(const db::Point3& base, std::wstring_view prompt) {
  return AskPoint(&base, prompt, L"Other corner: ");
}

Input<double> GetDistance(const db::Point3& base, std::wstring_view prompt) {
  for (;;) {
    std::wstring text;
    Status status = Status::kNormal;
    Answer answer = TakePointAnswer(prompt, kDistanceAnswers, &text, &status, L"Distance: ");
    if (answer == Answer::kDone) return {status, 0.0};
    if (IsBlankText(text)) return {Status::kNone, 0.0};
    double value = 0;
    if (answer == Answer::kTyped && detail::ParseReal(text, &value)) return {Status::kNormal, value};
    db::Point3 p;
    if (detail::ParsePoint(text, &base, &p))
      return {Status::kNormal, std::sqrt((p.x - base.x) * (p.x - base.x) + (p.y - base.y) * (p.y - base.y) +
                                         (p.z - base.z) * (p.z - base.z))};
    Print(L"\nRequires numeric distance or two points.");
  }
}

Input<double> GetDistance(std::wstring_view prompt) {
  for (;;) {
    std::wstring text;
    Status status = Status::kNormal;
    Answer answer = TakePointAnswer(prompt, kDistanceAnswers, &text, &status, L"Distance: ");
    if (answer == Answer::kDone) return {status, 0.0};
    if (IsBlankText(text)) return {Status::kNone, 0.0};
    double value = 0;
    if (answer == Answer::kTyped && detail::ParseReal(text, &value)) return {Status::kNormal, value};
    db::Point3 first;
    if (detail::ParsePoint(text, nullptr, &first)) {
      Input<db::Point3> second = GetPoint(first, L"\nSecond point: ");
      if (!second.ok()) return {second.status, 0.0};
      const db::Point3& p = second.value;
      return {Status::kNormal, std::sqrt((p.x - first.x) * (p.x - first.x) + (p.y - first.y) * (p.y - first.y) +
                                         (p.z - first.z) * (p.z - first.z))};
    }
    Print(L"\nRequires numeric distance or two points.");
  }
}

Input<EntityPick> PickEntity(std::wstring_view prompt) {
  for (;;) {
    std::wstring text;
    Status status = Status::kNormal;
    Answer answer = TakePointAnswer(prompt, kEntityAnswers, &text, &status, L"Select object: ");
    if (answer == Answer::kDone) return {status, {}};
    if (IsBlankText(text)) {
      (void)SetSystemVariable(L"ERRNO", 52);
      return {Status::kNone, {}};
    }
    db::Point3 at;
    if (detail::ParsePoint(text, nullptr, &at)) {
      EntityName hit = detail::EntityNear(at, PickBox());
      if (hit.IsNull()) {
        (void)SetSystemVariable(L"ERRNO", 7);
        return {Status::kError, {}};
      }
      return {Status::kNormal, EntityPick{hit, at}};
    }
    if (answer == Answer::kPicked) {
      const db::Database* db = db::WorkingDatabase();
      const std::uint64_t handle = detail::ParseHandle(text);
      const db::Entity* e = db && handle ? db->EntityByHandle(handle) : nullptr;
      if (e == nullptr || e->erased || e->owner != db->HandleOf(db->ModelSpace())) {
        (void)SetSystemVariable(L"ERRNO", 7);
        return {Status::kError, {}};
      }
      db::Point3 where;
      std::optional<db::EntityList> list = db::GetEntityList(db->IdOf(handle));
      if (list)
        if (const db::Group* g = db::FindGroup(*list, 10))
          if (const db::Point3* p = g->Point()) where = *p;
      return {Status::kNormal, EntityPick{db->IdOf(handle), where}};
    }
    Print(L"\n*Invalid selection*\nExpects a point or Last");
  }
}

}  // namespace host
