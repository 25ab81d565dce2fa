// Moving content between databases and out of block references: a drawing
// inserted as a block, table records cloned into another database, and a
// block reference exploded into its owner's space.
#pragma once

#include <string_view>
#include <vector>

#include "host/db/database.h"

namespace host::db {

// Copies an entity of `source` into `space` of `target` (the same database
// or another) and answers the copy's id; null when there is no such entity
// or space. The copy keeps its layer, text style and block by name: records
// `target` lacks are cloned from `source`, block definitions with them, and
// applications of its xdata are registered.
ObjectId CopyEntity(const Database& source, ObjectId entity, Database& target, ObjectId space);

// Makes a block named `name` in `target` holding copies of the model-space
// entities of `source`, which is left as it was. Null when `name` is not a
// valid name or `target` already has that block.
ObjectId InsertDrawingAsBlock(Database& target, std::wstring_view name, const Database& source);

// What a clone does with a record whose name the target already has.
enum class DuplicateRecords { kIgnore, kReplace };

// Clones layer, linetype, text style and application records of `source`
// (given by id) into `target`'s tables. Answers how many records were
// added or replaced; ids of other objects are passed over.
int CloneRecords(const Database& source, const std::vector<ObjectId>& records, Database& target,
                 DuplicateRecords duplicates);

enum class ExplodeResult { kOk, kNotABlockReference, kNotApplicable };

// Copies the entities of the referenced block into the space that holds the
// reference, placed by the reference's position, scale and rotation; the
// reference itself stays. kNotApplicable (nothing added) for a reference
// whose normal is not the z axis, or whose x and y scales differ while the
// block holds curves. The new entities' ids go to `added` when given.
ExplodeResult ExplodeToOwnerSpace(Database& db, ObjectId reference, std::vector<ObjectId>* added = nullptr);

}  // namespace host::db
