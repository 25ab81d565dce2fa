// One drawn object taking part in a join, and the small lookups both join
// runs share.
//
// A JoinObject is built from a LINE, ARC, CIRCLE, POLYLINE or LWPOLYLINE of
// the drawing: its properties from its groups (ReadJoinEntityInfo), its plan
// alignment (straights and arcs, from a linked geometry file when it has
// one) and its profile (level against the distance along it), and from
// those its two end points with their levels. While a chain grows, the
// object gets the shift that closes its gap to the chain and whether it runs
// against its own direction.
//
// Field order follows the record the join runs were written around.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/geometry/alignment.h"
#include "common/containers/grow_array.h"
#include "common/geometry/profile.h"
#include "host/system/entity_name.h"

// Flags of an object whose entity has no group 70.
inline constexpr std::int32_t kJoinDefaultFlags = 136;

// The frame of a profile without its source path (which the runs never use).
struct JoinProfileFrame {
  double xOrigin = 0, yOrigin = 0, verticalScale = 1, datumLevel = 0, startChainage = 0;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

struct JoinObject {
  std::wstring layerName = L"0";           // group 8; "0" when absent
  std::int32_t colour = 256;               // group 62; 256 (by layer) when absent
  std::int32_t flags = kJoinDefaultFlags;  // group 70 without the closed bit
  double startX = 0, startY = 0, startLevel = 0;  // first element's start
  double endX = 0, endY = 0, endLevel = 0;        // last element's end
  double shiftX = 0, shiftY = 0, shiftZ = 0;      // chain's free point minus the matched point
  double startWidth = 0;                   // group 40 of a (LW)POLYLINE
  host::EntityName entity;
  bool is3d = false;                       // a 3D polyline, or a sloping LINE
  bool used = false;                       // taken into a chain
  bool reversed = false;                   // runs against its own direction
  double length = 0;                       // sum of the element lengths
  double profileLength = 0;                // sum of the profile element lengths
  std::vector<GeometryElement> elements;   // plan alignment, drawing coordinates
  std::vector<GeometryElement> profileElements;  // distance along it against level
  JoinProfileFrame profileFrame;
};

// Layer, colour, flags, start width and the 3D flag from the entity's groups
// (up to its extended data); the other fields are left alone. Defaults first:
// layer "0", colour 256, flags 136, width 0, not 3D. False when the entity
// cannot be read (the defaults then stand).
bool ReadJoinEntityInfo(host::EntityName entity, JoinObject& piece);

// True when `entity` is one of `names`.
bool IsEntityProcessed(host::EntityName entity, const std::vector<host::EntityName>& names);
// True when `entity` is the entity of one of the first `n` objects.
bool FindJoinObject(host::EntityName entity, const std::vector<JoinObject>& objects, std::size_t n);

// Scratch lists for building objects, made once for a run and reused.
class JoinObjectBuilder {
 public:
  JoinObjectBuilder();
  ~JoinObjectBuilder();
  JoinObjectBuilder(const JoinObjectBuilder&) = delete;
  JoinObjectBuilder& operator=(const JoinObjectBuilder&) = delete;

  // False when the scratch lists could not be made.
  bool Ok() const { return ok_; }

  enum class Result {
    kBuilt,      // both levels found
    kNoEndLevel, // the start level found, the end level not (endLevel holds -999)
    kNoLevels,   // the start level not found
    kFailed,     // the entity, its alignment or its profile could not be read
  };
  // Builds `piece` for the entity: ReadJoinEntityInfo, the alignment
  // (GetEntityHzGeometry), the profile (ProfileFromPolyline), the start
  // point with its level at distance 0 and the end point with its level at
  // the alignment's length. Shift, used and reversed are cleared.
  Result Build(host::EntityName entity, JoinObject& piece);

 private:
  GrowArray elements_{};
  GrowArray profile_{};
  bool ok_ = false;
};

// The levels of one object's profile at distances along it (0 at its start),
// as ProfileLevelAt gives them. A distance measured on the alignment is
// carried over in proportion when the profile's length differs from the
// alignment's (a 2D polyline's profile follows the chords of its arcs), so
// that the far end of the alignment is the far end of the profile.
class JoinLevelLookup {
 public:
  explicit JoinLevelLookup(const JoinObject& piece);
  ~JoinLevelLookup();
  JoinLevelLookup(const JoinLevelLookup&) = delete;
  JoinLevelLookup& operator=(const JoinLevelLookup&) = delete;

  // False when the profile could not be copied or read; `found` says whether
  // the profile gives a level there.
  [[nodiscard]] bool At(double distance, double& level, bool& found) const;

 private:
  const JoinObject& piece_;
  GrowArray profile_{};
  bool ok_ = false;
};
