// The entity-list view of the drawing: reading and writing entities and
// table records as lists of groups, walking the drawing, erasing.
//
// Calls that take no database work on the working database; calls that take
// an entity name work on the database the name belongs to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/db/database.h"
#include "host/db/values.h"

namespace host::db {

// The entity's groups in DXF order, starting with -1 (its name) and 0 (its
// type). Null when the name names no entity.
std::optional<EntityList> GetEntityList(EntityName name);

// The same, followed by the xdata of the named applications: a -3 group,
// then each application's 1001 group and its groups. The name "*" stands
// for every application; names compare with case ignored and may use the
// '*' and '?' wildcards. With no xdata of those applications, no -3 group.
std::optional<EntityList> GetEntityList(EntityName name, const std::vector<std::wstring>& apps);

// The xdata of the entity a name names, read in place without building its
// list (see Xdata::VisitTexts); null when the name names no entity.
const Xdata* XdataOf(EntityName name);

enum class ModifyResult { kOk, kNoEntity, kBadList };

// Sets the entity named by the list's -1 group from the list's groups. A
// layer the list names that does not exist is added. Xdata after -3
// replaces the blocks of the applications it names and keeps the others;
// an application must be registered. On kBadList nothing is changed.
ModifyResult ModifyEntity(const EntityList& list);

// The walk of the drawing (see Database::NextEntity); a null `after` starts
// at the working database's first entity.
EntityName NextEntity(EntityName after = {});
// The newest entity of the working database; null when there is none.
EntityName LastEntity();

// Erases the entity, or restores it when it is erased. False when the name
// names no entity.
bool DeleteEntity(EntityName name);

// Table records as entity lists: "LAYER" (2 name, 70 flags 1 frozen, 2
// frozen in new viewports, 4 locked; 62 colour, negative when off; 6
// linetype), "LTYPE", "STYLE", "APPID", "BLOCK_RECORD". Table names and
// record names compare with case ignored.
std::optional<EntityList> TableSearch(const Database& db, std::wstring_view table, std::wstring_view name);
// The next record of the table: the first when `rewind` or after the last
// record read from that table; null at the end.
std::optional<EntityList> TableNext(const Database& db, std::wstring_view table, bool rewind);

// Wildcard match as the host does it: '*' any run, '?' one character, '#'
// a digit, '@' a letter, '.' a character that is neither, '~' at the start
// negates, ',' separates alternatives, '`' quotes the next character. Case
// ignored.
bool MatchWildcard(std::wstring_view text, std::wstring_view pattern);

}  // namespace host::db
