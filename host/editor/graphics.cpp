#include "host/editor/graphics.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "host/db/database.h"
#include "host/system/entity_name.h"
#include "host/system/user_actions.h"

namespace host {
namespace {

struct Screen {
  std::vector<TemporaryVector> vectors;
  std::vector<EntityName> highlighted;
};

Screen& State() {
  static Screen screen;
  return screen;
}

std::wstring Text(const db::Point3& p) {
  wchar_t buffer[128];
  std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%g,%g,%g", p.x, p.y, p.z);
  return buffer;
}


}  // namespace

void DrawVector(const db::Point3& from, const db::Point3& to, int colour, bool highlight) {
  State().vectors.push_back(TemporaryVector{from, to, colour, highlight});
  Shown().Add("vector", Text(from) + L" " + Text(to) + L" colour " + std::to_wstring(colour) +
                            (highlight ? L" highlight" : L""));
}

bool RedrawEntity(EntityName entity, int mode) {
  const db::Database* db = db::DatabaseOf(entity);
  if (db == nullptr || db->EntityOf(entity) == nullptr) return false;
  const wchar_t* what;
  auto& lit = State().highlighted;
  switch (mode) {
    case kRedrawDraw: what = L"draw"; break;
    case kRedrawHide: what = L"hide"; break;
    case kRedrawHighlight:
      what = L"highlight";
      if (std::find(lit.begin(), lit.end(), entity) == lit.end()) lit.push_back(entity);
      break;
    case kRedrawUnhighlight:
      what = L"unhighlight";
      lit.erase(std::remove(lit.begin(), lit.end(), entity), lit.end());
      break;
    default:
      return false;
  }
  Shown().Add("redraw", HandleText(entity.handle) + L" " + what);
  return true;
}

void RedrawAll() {
  State().vectors.clear();
  Shown().Add("redraw", L"all");
}

const std::vector<TemporaryVector>& TemporaryVectors() { return State().vectors; }
std::vector<EntityName> HighlightedEntities() { return State().highlighted; }
void ResetGraphics() { State() = Screen(); }

}  // namespace host
