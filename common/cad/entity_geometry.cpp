#include "common/cad/entity_geometry.h"

#include <cfloat>
#include <cmath>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

#include "common/geometry/alignment.h"
#include "common/geometry/densify.h"
#include "common/cad/entity_groups.h"
#include "common/cad/geometry_file.h"
#include "common/geometry/plane_geometry.h"
#include "common/containers/text.h"
#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "host/db/world_geometry.h"
#include "host/editor/command_line.h"
#include "host/system/clock.h"
#include "host/ui/message_box.h"

namespace {

using host::db::EntityList;
using host::db::Group;
using host::db::Point3;

constexpr int kWorkingListCapacity = 50;
constexpr wchar_t kCaption[] = L"LarchWOOD-HILL";

bool IsNoId(const wchar_t* id) { return SameNameNoCase(id, kNoLink) || SameNameNoCase(id, kPlaceholderId); }

// A header with every field at its starting value.
void ResetHeader(HzGeometry& header) {
  header = HzGeometry{};
  header.designSpeed = kDefaultDesignSpeed;
}

// Appends straights and arcs one after the other along the chainage.
class ElementBuilder {
 public:
  ElementBuilder(GrowArray& list, double startChainage) : list_(list), chainage_(startChainage) {}

  [[nodiscard]] bool Add(GeometryElement e) {
    e.startChainage = chainage_;
    e.clothoidParameter = 0.0;
    if (!GrowArraySet(&list_, count_, &e)) return false;
    ++count_;
    chainage_ += e.length;
    length_ += e.length;
    return true;
  }

  // A polyline segment: an arc when its start carries a bulge, else a
  // straight.
  [[nodiscard]] bool AddSegment(const Point3& a, double bulge, const Point3& b) {
    GeometryElement e{};
    e.startX = a.x;
    e.startY = a.y;
    e.endX = b.x;
    e.endY = b.y;
    if (std::fabs(bulge) > DBL_MIN) {
      double radius = 0.0;
      ArcElementFromBulge(a.x, a.y, b.x, b.y, bulge, e.length, e.headingStart, e.headingEnd,
                          radius, e.centreX, e.centreY);
      e.radiusStart = e.radiusEnd = radius;
    } else {
      e.length = Distance2d(a.x, a.y, b.x, b.y);
      e.headingStart = e.headingEnd = Bearing2d(a.x, a.y, b.x, b.y);
    }
    return Add(e);
  }

  std::int32_t count() const { return count_; }
  double length() const { return length_; }

 private:
  GrowArray& list_;
  double chainage_;
  std::int32_t count_ = 0;
  double length_ = 0.0;
};

GeometryElement ArcPiece(double cx, double cy, double r, double x1, double y1, double x2,
                         double y2, double length, double headingStart, double headingEnd) {
  GeometryElement e{};
  e.length = length;
  e.radiusStart = e.radiusEnd = r;
  e.centreX = cx;
  e.centreY = cy;
  e.startX = x1;
  e.startY = y1;
  e.endX = x2;
  e.endY = y2;
  e.headingStart = headingStart;
  e.headingEnd = headingEnd;
  return e;
}

bool FromLine(const EntityList& list, ElementBuilder& out) {
  const Group* start = host::db::FindGroup(list, 10);
  const Group* end = host::db::FindGroup(list, 11);
  if (!start || !end || !start->Point() || !end->Point()) return false;
  return out.AddSegment(*start->Point(), 0.0, *end->Point());
}

// An arc where it lies: a mirrored arc (its plane seen from below) runs
// clockwise on the drawing from its start and is taken as a bulged segment.
bool FromArc(host::EntityName entity, const EntityList& list, ElementBuilder& out) {
  const Group* centre = host::db::FindGroup(list, 10);
  const Group* radius = host::db::FindGroup(list, 40);
  const Group* start = host::db::FindGroup(list, 50);
  const Group* end = host::db::FindGroup(list, 51);
  if (!centre || !radius || !start || !end || !centre->Point()) return false;
  const std::optional<host::db::WorldArc> arc = host::db::ArcInWorld(entity);
  if (!arc) return false;
  if (!host::db::IsWorldPlane(arc->normal)) {
    const double bulge = std::tan(arc->sweep / 4.0);
    return out.AddSegment(arc->start, arc->clockwise ? -bulge : bulge, arc->end);
  }
  const double cx = arc->center.x;
  const double cy = arc->center.y;
  const double r = radius->Number();
  const double a0 = start->Number();
  const double a1 = end->Number();
  double sweep = a1 - a0;
  if (sweep < 0.0) sweep += kTwoPi;
  double hs = a0 + kHalfPi;
  double he = a1 + kHalfPi;
  if (hs > kTwoPi) hs -= kTwoPi;
  if (he > kTwoPi) he -= kTwoPi;
  return out.Add(ArcPiece(cx, cy, r, cx + r * std::cos(a0), cy + r * std::sin(a0),
                          cx + r * std::cos(a1), cy + r * std::sin(a1), r * sweep, hs, he));
}

bool FromCircle(host::EntityName entity, const EntityList& list, ElementBuilder& out) {
  const Group* centre = host::db::FindGroup(list, 10);
  const Group* radius = host::db::FindGroup(list, 40);
  if (!centre || !radius || !centre->Point()) return false;
  const std::optional<host::db::WorldArc> circle = host::db::ArcInWorld(entity);
  if (!circle) return false;
  const double cx = circle->center.x;
  const double cy = circle->center.y;
  const double r = radius->Number();
  const double south = Bearing2d(0.0, 0.0, 0.0, -1.0);
  const double north = Bearing2d(0.0, 0.0, 0.0, 1.0);
  // West to east through the south, then back through the north.
  return out.Add(ArcPiece(cx, cy, r, cx - r, cy, cx + r, cy, kPi * r, south, north)) &&
         out.Add(ArcPiece(cx, cy, r, cx + r, cy, cx - r, cy, kPi * r, north, south));
}

bool FromLwPolyline(host::EntityName entity, ElementBuilder& out) {
  return ForEachLwPolylineSegment(entity, [&](const Point3& a, double bulge, const Point3& b) {
    return out.AddSegment(a, bulge, b);
  });
}

bool FromPolyline(host::EntityName entity, const EntityList& list, ElementBuilder& out) {
  const Group* flags = host::db::FindGroup(list, 70);
  const int bits = flags != nullptr ? flags->Int() : 0;
  const bool closed = (bits & 1) != 0;
  const bool splineFit = (bits & 4) != 0;
  bool any = false;
  bool lastSkipped = false;
  Point3 first{}, previous{};
  double previousBulge = 0.0;
  for (host::EntityName name = host::db::NextEntity(entity); !name.IsNull();
       name = host::db::NextEntity(name)) {
    const std::optional<EntityList> vertex = host::db::GetEntityList(name);
    if (!vertex || host::db::FindGroup(*vertex, -2) != nullptr) break;
    const Group* vflags = host::db::FindGroup(*vertex, 70);
    if (splineFit && vflags != nullptr && (vflags->Int() & 16) != 0) {
      // A frame control point of the spline: not on the polyline's path.
      lastSkipped = true;
      continue;
    }
    lastSkipped = false;
    const Group* point = host::db::FindGroup(*vertex, 10);
    if (point == nullptr || !point->Point()) return false;
    // Where the vertex lies, its bulge as seen from above.
    const std::optional<host::db::WorldVertex> at = host::db::VertexInWorld(name);
    if (!at) return false;
    if (any && !out.AddSegment(previous, previousBulge, at->point)) return false;
    if (!any) first = at->point;
    any = true;
    previous = at->point;
    previousBulge = at->bulge;
  }
  if (closed && !splineFit && any && !lastSkipped)
    return out.AddSegment(previous, previousBulge, first);
  return true;
}

// The comparison of a file element with an entity element, field by field.
struct ComparedField {
  double GeometryElement::*field;
  double tolerance;
  const wchar_t* line;
  bool angle = false;  // compared as directions: 0 and 2pi are the same heading
};

constexpr ComparedField kComparedFields[] = {
    {&GeometryElement::startChainage, 0.02, L"\nksstart=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::length, 0.02, L"\nlength=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::radiusStart, 1.0, L"\nr_start=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::radiusEnd, 1.0, L"\nr_end=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::startX, 0.02, L"\nx_start=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::startY, 0.02, L"\ny_start=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::endX, 0.02, L"\nx_end=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::endY, 0.02, L"\ny_end=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::centreX, 1.0, L"\nx_centre=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::centreY, 1.0, L"\ny_centre=%.4lf, %.4lf ---> %i\n"},
    {&GeometryElement::headingStart, 0.02, L"\nangle_start=%.4lf, %.4lf ---> %i\n", true},
    {&GeometryElement::headingEnd, 0.02, L"\nangle_end=%.4lf, %.4lf ---> %i\n", true},
};

// True when both lists agree element by element; prints the first
// difference found.
bool SameGeometry(const GrowArray& file, std::int32_t fileCount, const GrowArray& entity,
                  std::int32_t entityCount) {
  if (fileCount != entityCount) return false;
  for (std::int32_t i = 0; i < fileCount; ++i) {
    GeometryElement f{}, e{};
    if (!GrowArrayGet(&file, i, &f) || !GrowArrayGet(&entity, i, &e)) return false;
    for (const ComparedField& c : kComparedFields) {
      double difference = std::fabs(f.*c.field - e.*c.field);
      if (c.angle) difference = std::fabs(std::remainder(difference, kTwoPi));
      if (difference <= c.tolerance) continue;
      host::Printf(c.line, f.*c.field, e.*c.field, 0);
      host::Printf(L"   l=%i\n   Entity: %.4lf,%.4lf to %.4lf,%.4lf\n"
                   L"   File: %.4lf,%.4lf to %.4lf,%.4lf",
                   static_cast<int>(i), e.startX, e.startY, e.endX, e.endY, f.startX, f.startY,
                   f.endX, f.endY);
      return false;
    }
  }
  return true;
}

// Three working lists, freed on every path.
struct WorkingLists {
  GrowArray file{}, split{}, entity{};
  bool ok = false;
  WorkingLists() {
    ok = GrowArrayCreate(kWorkingListCapacity, sizeof(GeometryElement), &file) &&
         GrowArrayCreate(kWorkingListCapacity, sizeof(GeometryElement), &split) &&
         GrowArrayCreate(kWorkingListCapacity, sizeof(GeometryElement), &entity);
  }
  ~WorkingLists() {
    for (GrowArray* list : {&file, &split, &entity})
      if (list->marker == kGrowArrayMarker) GrowArrayFree(list);
  }
  WorkingLists(const WorkingLists&) = delete;
  WorkingLists& operator=(const WorkingLists&) = delete;
};

}  // namespace

bool ReadRoadCentrelineXdata(host::EntityName entity, wchar_t* baseName, wchar_t* id,
                             double& startChainage) {
  CopyField(baseName, kHzBaseNameChars, kNoLink);
  CopyField(id, kHzIdChars, kNoLink);
  startChainage = 0.0;
  const std::optional<EntityList> list = host::db::GetEntityList(entity, {L"*"});
  if (!list) return true;
  bool inLink = false;
  for (const Group& g : *list) {
    if (g.code == 1001) {
      // Items belong to the link only up to the next application's data.
      inLink = g.Text() != nullptr && SameNameNoCase(*g.Text(), kRoadCentrelineApp);
      continue;
    }
    if (!inLink || g.code != 1000 || g.Text() == nullptr) continue;
    const std::wstring& text = *g.Text();
    if (text.size() < 2 || text[0] != L'0') continue;
    const std::wstring_view value = std::wstring_view(text).substr(2);
    switch (text[1]) {
      case L'0':
        CopyField(baseName, kHzBaseNameChars, value);
        break;
      case L'1':
        startChainage = std::wcstod(text.c_str() + 2, nullptr);
        break;
      case L'2':
        CopyField(id, kHzIdChars, value);
        break;
      default:
        break;
    }
  }
  return true;
}

bool RegisterRoadCentrelineApp() {
  host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr) return false;
  if (!db->AppId(kRoadCentrelineApp).IsNull()) return true;
  const host::db::RegisterResult r = db->RegisterApp(kRoadCentrelineApp);
  return r == host::db::RegisterResult::kAdded || r == host::db::RegisterResult::kExists;
}

wchar_t RandomCapital() {
  static bool seeded = false;
  if (!seeded) {
    host::SeedRandom(static_cast<std::uint32_t>(host::WallClockNow()));
    (void)host::Random15();
    seeded = true;
  }
  const int r = host::Random15();
  return static_cast<wchar_t>(L'A' + 25 * r / host::kRandomMax);
}

void NewGeometryId(wchar_t* id) {
  for (int i = 0; i < 6; ++i) id[i] = RandomCapital();
  id[6] = L'\0';
}

bool HzGeometryFromEntity(host::EntityName entity, HzGeometry& header, GrowArray& elements) {
  wchar_t baseName[kHzBaseNameChars];
  wchar_t id[kHzIdChars];
  double startChainage = 0.0;
  ReadRoadCentrelineXdata(entity, baseName, id, startChainage);
  header.elementCount = 0;
  header.roadLength = 0.0;

  const std::optional<EntityList> list = PlainEntityGroups(entity);
  if (!list) return false;
  const Group* type = host::db::FindGroup(*list, 0);
  if (type == nullptr || type->Text() == nullptr) return false;
  const std::wstring& name = *type->Text();
  ElementBuilder out(elements, startChainage);
  bool ok = false;
  if (SameNameNoCase(name, L"LINE"))
    ok = FromLine(*list, out);
  else if (SameNameNoCase(name, L"ARC"))
    ok = FromArc(entity, *list, out);
  else if (SameNameNoCase(name, L"CIRCLE"))
    ok = FromCircle(entity, *list, out);
  else if (SameNameNoCase(name, L"LWPOLYLINE"))
    ok = FromLwPolyline(entity, out);
  else if (SameNameNoCase(name, L"POLYLINE"))
    ok = FromPolyline(entity, *list, out);
  if (!ok) return false;
  header.elementCount = out.count();
  header.roadLength = out.length();
  return true;
}

bool CheckHzGeometryChanged(const wchar_t* path, host::EntityName entity) {
  WorkingLists lists;
  if (!lists.ok) return false;

  HzGeometry fileHeader{};
  ResetHeader(fileHeader);
  if (!ReadHzGeometryFile(path, fileHeader, lists.file)) return false;
  std::int32_t splitCount = 0;
  const HzGeometry splitHeader = fileHeader;
  if (!DensifyAlignmentFixed(splitHeader, lists.file, lists.split, splitCount)) return false;

  HzGeometry entityHeader{};
  ResetHeader(entityHeader);
  if (!HzGeometryFromEntity(entity, entityHeader, lists.entity)) return false;

  wchar_t baseName[kHzBaseNameChars];
  wchar_t id[kHzIdChars];
  double startChainage = 0.0;
  ReadRoadCentrelineXdata(entity, baseName, id, startChainage);
  if (IsNoId(id)) NewGeometryId(id);
  CopyField(entityHeader.id, kHzIdChars, id);
  entityHeader.startChainage = startChainage;
  std::wmemcpy(entityHeader.description, fileHeader.description, kHzDescriptionChars);
  entityHeader.designSpeed = fileHeader.designSpeed;
  for (int i = 0; i < 3; ++i) {
    entityHeader.reservedDouble[i] = fileHeader.reservedDouble[i];
    entityHeader.reservedShort[i] = fileHeader.reservedShort[i];
  }

  if (SameGeometry(lists.split, splitCount, lists.entity, entityHeader.elementCount)) return true;

  std::wstring text =
      L"**Horizontal Geometry has changed**\nUse this Polyline?\n\n\"Yes\" will use the new "
      L"Polyline geometry\n\n\"No\"  will revert to old geometry file\n(";
  text += path;
  text += L")\n";
  host::ui::MessageBoxRequest request;
  request.text = text;
  request.caption = kCaption;
  request.buttons = host::ui::MessageButtons::kYesNo;
  request.icon = host::ui::MessageIcon::kQuestion;
  if (host::ui::ShowMessageBox(request) != host::ui::MessageResult::kYes) return true;

  entityHeader.reservedDouble[0] = static_cast<double>(host::WallClockNow());
  entityHeader.reservedShort[0] = static_cast<std::int16_t>(entityHeader.reservedShort[0] + 1);
  return WriteHzGeometryFile(path, entityHeader, lists.entity);
}

bool GetEntityHzGeometry(host::EntityName entity, HzGeometry& header, bool& linked,
                         GrowArray& elements) {
  ResetHeader(header);
  linked = false;
  if (!RegisterRoadCentrelineApp()) return false;
  wchar_t baseName[kHzBaseNameChars];
  wchar_t id[kHzIdChars];
  double startChainage = 0.0;
  ReadRoadCentrelineXdata(entity, baseName, id, startChainage);

  if (!SameNameNoCase(baseName, kNoLink) && !SameNameNoCase(id, kNoLink)) {
    wchar_t found[kHzPathChars];
    if (FindHzGeometryFile(baseName, id, found) && CheckHzGeometryChanged(found, entity)) {
      if (!ReadHzGeometryFile(found, header, elements)) return false;
      CopyField(header.baseName, kHzBaseNameChars, baseName);
      CopyField(header.path, kHzPathChars, found);
      linked = true;
      return true;
    }
  }

  if (!HzGeometryFromEntity(entity, header, elements)) return false;
  header.startChainage = startChainage;
  if (IsNoId(id)) NewGeometryId(id);
  CopyField(header.id, kHzIdChars, id);
  return true;
}
