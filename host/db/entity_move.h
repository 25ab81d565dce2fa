// Moving and copying entities by a displacement, as the MOVE and COPY
// commands do: every kind the database models, and those kinds it keeps as
// read (kept.h) whose points it knows (text of several lines, ellipses,
// splines, solids and traces, faces, dimensions, leaders, tolerances,
// construction lines and rays, images, multilines, shapes, attribute
// definitions, OLE frames, helices). Other kept kinds (bodies, regions,
// multileaders, tables, ...) cannot be moved: they stay as they are and the
// caller is told.
//
// A displacement is given in world coordinates; points an entity holds in
// its own plane (group 210) move by the same displacement seen in that plane.
#pragma once

#include <string>

#include "host/db/database.h"

namespace host::db {

struct KeptObject;

// The entity of a kind the database keeps as read that the id names; null
// for any other id.
KeptObject* KeptEntityOf(Database& db, ObjectId id);
const KeptObject* KeptEntityOf(const Database& db, ObjectId id);

// The type name of an entity of either sort ("LINE", "MTEXT", ...); empty
// when the id names no entity.
std::wstring EntityTypeName(const Database& db, ObjectId id);

enum class MoveResult {
  kMoved,
  kNoEntity,    // no entity, or an erased one
  kNotMovable,  // a kind whose points are not known: left as it was
};

// Moves the entity by `d`: all its points; a polyline with its vertices; a
// dimension with the graphics of its block.
MoveResult MoveEntity(Database& db, ObjectId id, const Point3& d);

// Copies the entity into the block record that holds it, moved by `d`, and
// puts the copy's id in `copy`; a dimension's copy draws from a copy of its
// block. On any result but kMoved nothing is added.
MoveResult CopyEntityMoved(Database& db, ObjectId id, const Point3& d, ObjectId* copy);

}  // namespace host::db
