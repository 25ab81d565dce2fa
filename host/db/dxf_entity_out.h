// Writing entities and kept objects to a DXF file.
//
// An entity made here is written from the database's description of its
// kind (entity_groups.h). An entity read from a file is written as it was
// read while its geometry is unchanged, with its handle, owner, layer,
// colour and xdata as they are now; once its geometry changed, it is
// written from the description again and the groups the database does not
// model (linetype, lineweight, thickness, true colour, extrusion, a hatch's
// pattern, ...) are put back in the subclass they came from.
#pragma once

#include "host/db/database.h"
#include "host/db/dxf_writer.h"
#include "host/db/entity.h"
#include "host/db/kept.h"

namespace host::db {

void WriteEntity(const Database& db, const Entity& entity, const DxfWriter& out);

// A kept object: its 0 group, then its groups, with its handle (group 5, or
// 105 for a DIMSTYLE record) set to `object.handle` and, when `owner` is not
// 0, its first owner group (330) set to `owner`.
void WriteKeptObject(const KeptObject& object, const DxfWriter& out, std::uint64_t owner = 0);

// Writes xdata kept in the database's form.
void WriteXdata(const Xdata& xdata, const DxfWriter& out);

}  // namespace host::db
