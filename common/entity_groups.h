// The groups of a drawn entity as the geometry and profile builders read
// them.
#pragma once

#include <optional>
#include <string_view>

#include "host/db/entity_list.h"

// The entity's groups before its extended data (group -3 and what follows);
// none when the entity cannot be read.
std::optional<host::db::EntityList> PlainEntityGroups(host::EntityName entity);

// Names equal with letter case ignored (towupper), as entity types and
// application names compare.
bool SameNameNoCase(std::wstring_view a, std::wstring_view b);
