// The entities a drawing holds: their common properties and the geometry of
// each kind.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/db/lw_vertex_list.h"
#include "host/db/values.h"
#include "host/db/xdata.h"

namespace host::db {

inline constexpr int kColorByBlock = 0;
inline constexpr int kColorByLayer = 256;

struct LineData {
  Point3 start;
  Point3 end;
  friend bool operator==(const LineData&, const LineData&) = default;
};

// Arcs and circles lie in the plane their normal gives (group 210): the
// centre is in that plane's coordinates and the angles turn counter-clockwise
// about the normal (see world_geometry.h for where they lie).
struct CircleData {
  Point3 center;
  double radius = 0;
  Point3 normal{0, 0, 1};
  friend bool operator==(const CircleData&, const CircleData&) = default;
};

// Angles in radians, counter-clockwise from the plane's x axis.
struct ArcData {
  Point3 center;
  double radius = 0;
  double startAngle = 0;
  double endAngle = 0;
  Point3 normal{0, 0, 1};
  friend bool operator==(const ArcData&, const ArcData&) = default;
};

struct PointData {
  Point3 position;
  friend bool operator==(const PointData&, const PointData&) = default;
};

// Justification as DXF numbers it (groups 72 and 73).
enum class TextHorizontal : std::int16_t { kLeft = 0, kCenter = 1, kRight = 2, kAligned = 3, kMiddle = 4, kFit = 5 };
enum class TextVertical : std::int16_t { kBase = 0, kBottom = 1, kMiddle = 2, kTop = 3 };

struct TextData {
  Point3 position;           // the first alignment point (group 10)
  Point3 alignment;          // the second alignment point (group 11), used unless left/base
  double height = 0;
  double rotation = 0;       // radians
  double widthFactor = 1;
  std::wstring text;
  std::uint64_t style = 0;   // text style handle; 0 takes the database's current style
  TextHorizontal horizontal = TextHorizontal::kLeft;
  TextVertical vertical = TextVertical::kBase;
  friend bool operator==(const TextData&, const TextData&) = default;
};

struct LwPolylineData {
  LwVertexList vertices;
  bool closed = false;
  bool plinegen = false;      // linetype generated along the whole polyline
  double constantWidth = 0;
  double elevation = 0;
  Point3 normal{0, 0, 1};
  friend bool operator==(const LwPolylineData&, const LwPolylineData&) = default;
};

// Polyline header flags (group 70).
inline constexpr int kPolylineClosed = 1;
inline constexpr int kPolylineSplineFit = 4;
inline constexpr int kPolyline3d = 8;
inline constexpr int kPolylinePlinegen = 128;
// Vertex flags (group 70).
inline constexpr int kVertexSplineFrame = 16;
inline constexpr int kVertex3d = 32;

// The header of a 2D or 3D polyline; its vertices and end marker are
// entities of their own, listed in `vertices` and `seqEnd`.
struct PolylineData {
  int flags = 0;
  double elevation = 0;
  double startWidth = 0;
  double endWidth = 0;
  Point3 normal{0, 0, 1};
  std::vector<std::uint64_t> vertices;
  std::uint64_t seqEnd = 0;
  friend bool operator==(const PolylineData&, const PolylineData&) = default;
};

struct VertexData {
  Point3 position;
  double bulge = 0;
  double startWidth = 0;
  double endWidth = 0;
  int flags = 0;
  friend bool operator==(const VertexData&, const VertexData&) = default;
};

struct SeqEndData {
  friend bool operator==(const SeqEndData&, const SeqEndData&) = default;
};

// A point of a hatch boundary and the bulge of the edge that leaves it.
// Boundaries take no widths, and drawings hold millions of these points.
struct LoopVertex {
  double x = 0;
  double y = 0;
  double bulge = 0;
  friend bool operator==(const LoopVertex&, const LoopVertex&) = default;
};

// A boundary path of a hatch: a polyline loop of points with bulges.
// Flags as DXF numbers them (group 92): 1 external, 16 outermost; the
// polyline bit (2) is always set on output.
inline constexpr int kLoopExternal = 1;
inline constexpr int kLoopPolyline = 2;
struct HatchLoop {
  int flags = 0;
  bool closed = true;
  std::vector<LoopVertex> points;
  friend bool operator==(const HatchLoop&, const HatchLoop&) = default;
};

struct HatchData {
  double elevation = 0;
  Point3 normal{0, 0, 1};
  std::wstring pattern = L"SOLID";
  bool solid = true;
  bool associative = false;
  int style = 0;  // 0 normal, 1 outer, 2 ignore
  std::vector<HatchLoop> loops;
  friend bool operator==(const HatchData&, const HatchData&) = default;
};

struct InsertData {
  std::uint64_t block = 0;  // block record handle
  Point3 position;
  Point3 scale{1, 1, 1};
  double rotation = 0;  // radians
  Point3 normal{0, 0, 1};
  friend bool operator==(const InsertData&, const InsertData&) = default;
};

using EntityData = std::variant<LineData, ArcData, CircleData, PointData, TextData, LwPolylineData,
                                PolylineData, VertexData, SeqEndData, HatchData, InsertData>;

enum class EntityType { kLine, kArc, kCircle, kPoint, kText, kLwPolyline, kPolyline, kVertex, kSeqEnd, kHatch, kInsert };

// The DXF type name ("LINE", "LWPOLYLINE", ...).
const wchar_t* TypeName(EntityType type);
std::optional<EntityType> TypeFromName(std::wstring_view name);  // case ignored
EntityType TypeOf(const EntityData& data);

struct KeptEntity;

struct Entity {
  std::uint64_t handle = 0;
  std::uint64_t owner = 0;   // block record; the polyline for vertices and end markers
  std::uint64_t layer = 0;   // layer record handle
  std::int16_t color = kColorByLayer;
  bool erased = false;
  std::size_t order = 0;     // place in the owner block record's list
  EntityData data;
  Xdata xdata;
  // The entity's groups as a file gave them, for a drawing that was read
  // (kept.h); null for an entity made here.
  std::shared_ptr<const KeptEntity> kept;

  EntityType Type() const { return TypeOf(data); }
};

}  // namespace host::db
