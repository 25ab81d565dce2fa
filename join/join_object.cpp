#include "join/join_object.h"

#include <cmath>
#include <optional>

#include "common/cad/entity_geometry.h"
#include "common/cad/profile_entity.h"
#include "common/cad/entity_groups.h"
#include "common/geometry/hz_geometry.h"
#include "common/containers/text.h"
#include "join/join_parameters.h"
#include "host/db/entity_list.h"

namespace {

constexpr std::int32_t kScratchCapacity = 50;
// Alignment and profile lengths that differ by less than this share of the
// length are taken as equal.
constexpr double kSameLengthShare = 1e-9;

VtProfile FrameOf(const JoinProfileFrame& f) {
  VtProfile frame{};
  CopyField(frame.sourcePath, kProfileFromPolyline);
  frame.xOrigin = f.xOrigin;
  frame.yOrigin = f.yOrigin;
  frame.verticalScale = f.verticalScale;
  frame.datumLevel = f.datumLevel;
  frame.startChainage = f.startChainage;
  frame.minX = f.minX;
  frame.minY = f.minY;
  frame.maxX = f.maxX;
  frame.maxY = f.maxY;
  return frame;
}

JoinProfileFrame ValuesOf(const VtProfile& frame) {
  return {frame.xOrigin, frame.yOrigin, frame.verticalScale, frame.datumLevel, frame.startChainage,
          frame.minX,    frame.minY,    frame.maxX,          frame.maxY};
}

// The profile distance of a distance along the alignment.
double ProfileDistance(const JoinObject& piece, double distance) {
  const double a = piece.length;
  const double p = piece.profileLength;
  if (a <= 0.0 || p <= 0.0 || std::fabs(a - p) <= kSameLengthShare * a) return distance;
  return distance * (p / a);
}

bool LevelAt(const JoinObject& piece, const GrowArray& profile, double distance, double& level,
             bool& found) {
  const VtProfile frame = FrameOf(piece.profileFrame);
  return ProfileLevelAt(ProfileDistance(piece, distance), level, found, profile,
                        static_cast<std::int32_t>(piece.profileElements.size()), frame.minY,
                        frame.maxY, frame);
}

void CopyOut(const GrowArray& list, std::int32_t count, std::vector<GeometryElement>& out) {
  out.resize(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    if (!GrowArrayGet(&list, i, &out[static_cast<std::size_t>(i)])) {
      out.resize(static_cast<std::size_t>(i));
      return;
    }
  }
}

}  // namespace

bool ReadJoinEntityInfo(host::EntityName entity, JoinObject& piece) {
  piece.layerName = L"0";
  piece.colour = 256;
  piece.flags = kJoinDefaultFlags;
  piece.startWidth = 0.0;
  piece.is3d = false;
  const std::optional<host::db::EntityList> list = host::db::GetEntityList(entity);
  if (!list) return false;
  const host::db::Group* type = host::db::FindGroup(*list, 0);
  const std::wstring typeName = type != nullptr && type->Text() != nullptr ? *type->Text() : L"";
  const bool polyline = SameNameNoCase(typeName, L"POLYLINE");
  const bool lwPolyline = SameNameNoCase(typeName, L"LWPOLYLINE");
  const bool line = SameNameNoCase(typeName, L"LINE");
  double startZ = 0.0, endZ = 0.0;
  for (const host::db::Group& g : *list) {
    if (g.code == -3) break;
    switch (g.code) {
      case 8:
        if (g.Text() != nullptr) piece.layerName = g.Text()->substr(0, kJoinLayerNameChars - 1);
        break;
      case 62:
        piece.colour = g.Int();
        break;
      case 70:
        piece.flags = g.Int() & ~1;
        if (polyline && (g.Int() & 8) != 0) piece.is3d = true;
        break;
      case 40:
        if (polyline || lwPolyline) piece.startWidth = g.Number();
        break;
      case 10:
        if (line && g.Point() != nullptr) startZ = g.Point()->z;
        break;
      case 11:
        if (line && g.Point() != nullptr) endZ = g.Point()->z;
        break;
      default:
        break;
    }
  }
  if (line && startZ != endZ) piece.is3d = true;
  return true;
}

bool IsEntityProcessed(host::EntityName entity, const std::vector<host::EntityName>& names) {
  for (const host::EntityName& name : names)
    if (name == entity) return true;
  return false;
}

bool FindJoinObject(host::EntityName entity, const std::vector<JoinObject>& objects, std::size_t n) {
  for (std::size_t i = 0; i < n && i < objects.size(); ++i)
    if (objects[i].entity == entity) return true;
  return false;
}

JoinObjectBuilder::JoinObjectBuilder() {
  ok_ = GrowArrayCreate(kScratchCapacity, sizeof(GeometryElement), &elements_) &&
        GrowArrayCreate(kScratchCapacity, sizeof(GeometryElement), &profile_);
}

JoinObjectBuilder::~JoinObjectBuilder() {
  for (GrowArray* list : {&elements_, &profile_})
    if (list->marker == kGrowArrayMarker) GrowArrayFree(list);
}

JoinObjectBuilder::Result JoinObjectBuilder::Build(host::EntityName entity, JoinObject& piece) {
  piece = JoinObject{};
  piece.entity = entity;
  if (!ok_ || !ReadJoinEntityInfo(entity, piece)) return Result::kFailed;

  // The scratch lists are emptied by their count; the blocks stay.
  elements_.count = 0;
  HzGeometry header{};
  bool linked = false;
  if (!GetEntityHzGeometry(entity, header, linked, elements_)) return Result::kFailed;
  CopyOut(elements_, header.elementCount, piece.elements);
  piece.length = header.roadLength;

  profile_.count = 0;
  HzGeometry profileHeader{};
  VtProfile frame{};
  if (!ProfileFromPolyline(entity, profileHeader, frame, profile_)) return Result::kFailed;
  CopyOut(profile_, profileHeader.elementCount, piece.profileElements);
  piece.profileLength = profileHeader.roadLength;
  piece.profileFrame = ValuesOf(frame);

  // An object without elements (a polyline of one vertex) has no ends to join.
  if (piece.elements.empty()) return Result::kNoLevels;
  const GeometryElement& first = piece.elements.front();
  const GeometryElement& last = piece.elements.back();
  piece.startX = first.startX;
  piece.startY = first.startY;
  piece.endX = last.endX;
  piece.endY = last.endY;

  bool found = false;
  if (!LevelAt(piece, profile_, 0.0, piece.startLevel, found)) return Result::kFailed;
  if (!found) return Result::kNoLevels;
  // The end lies at the alignment's length from its start, whatever
  // chainage the alignment starts at.
  const double end = last.startChainage + last.length - first.startChainage;
  if (!LevelAt(piece, profile_, end, piece.endLevel, found)) return Result::kFailed;
  return found ? Result::kBuilt : Result::kNoEndLevel;
}

JoinLevelLookup::JoinLevelLookup(const JoinObject& piece) : piece_(piece) {
  const std::int32_t count = static_cast<std::int32_t>(piece.profileElements.size());
  if (!GrowArrayCreateExact(count, sizeof(GeometryElement), &profile_)) return;
  ok_ = true;
  for (std::int32_t i = 0; i < count && ok_; ++i)
    ok_ = GrowArraySet(&profile_, i, &piece.profileElements[static_cast<std::size_t>(i)]);
}

JoinLevelLookup::~JoinLevelLookup() {
  if (profile_.marker == kGrowArrayMarker) GrowArrayFree(&profile_);
}

bool JoinLevelLookup::At(double distance, double& level, bool& found) const {
  level = kNoLevel;
  found = false;
  return ok_ && LevelAt(piece_, profile_, distance, level, found);
}
