// An entity as groups, and back: the one description of each kind's groups,
// shared by entity lists and DXF files.
//
// Emitting walks an entity's groups in DXF order into a sink; an entity list
// and the DXF writer are the two sinks. Applying sets an entity's properties
// from groups in entity-list form (points whole, angles in radians); the DXF
// reader and entity modification both use it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/db/database.h"
#include "host/db/entity.h"
#include "host/db/values.h"

namespace host::db {

class GroupSink {
 public:
  virtual ~GroupSink() = default;
  // Entity lists hold every group; files leave out optional groups that hold
  // their default, and the list-only groups (-1, -2).
  virtual bool IsList() const = 0;
  virtual void Text(int code, std::wstring_view text) = 0;
  // A reference to an object: the handle (5) itself, or a name (-1, -2, 330).
  virtual void Handle(int code, std::uint64_t handle) = 0;
  virtual void Real(int code, double value) = 0;
  virtual void Angle(int code, double radians) = 0;
  virtual void Int(int code, std::int32_t value) = 0;
  virtual void Point(int code, const Point3& point) = 0;
  virtual void Point2(int code, double x, double y) = 0;
  virtual void Extended(const Xdata& xdata) = 0;
};

// Emits the entity's groups, xdata included when `withXdata`.
void EmitEntity(const Database& db, const Entity& entity, GroupSink& sink, bool withXdata);

// Sets the entity's properties from `groups` (entity-list form; groups from
// -3 on are not looked at). A layer that does not exist is added when
// `addLayers`, else it is an error. False, with `error` set, when a group
// does not suit the entity; the entity may then be half set, so callers
// apply to a copy.
bool ApplyGroups(Database& db, Entity& entity, const EntityList& groups, bool addLayers,
                 std::string* error);

// The degrees of DXF files for the angle groups of a kind, or radians.
bool IsAngleGroup(EntityType type, int code);

}  // namespace host::db
