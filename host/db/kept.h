// What a drawing read from a file holds beyond what the database models,
// kept as the file gave it and written back in place when the drawing is
// saved: header variables, classes, table heads and records, block
// begin/end markers, entities of kinds the database does not model, the
// OBJECTS section, and, for every modelled entity, its groups as read.
//
// Values are the file's value lines in UTF-8 (decoded from the file's code
// page; caret forms and "\U+XXXX" escapes left as they were).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "host/db/database.h"
#include "host/db/entity.h"
#include "host/db/xdata.h"

namespace host::db {

struct KeptGroup {
  int code = 0;
  std::string value;
};
using KeptGroups = std::vector<KeptGroup>;

// An object kept whole: its type (the 0 group), its handle (0 when it has
// none), and every group after the 0 group.
struct KeptObject {
  std::string type;
  std::uint64_t handle = 0;
  KeptGroups groups;
  // For an entity of a kind not modelled: the block record that lists it
  // (its 330 group is written from this); 0 for other objects.
  std::uint64_t owner = 0;
};

// A modelled entity as read: its groups, and what the database made of
// them. While the entity still equals what was read, its groups are written
// back as they were.
struct KeptEntity {
  KeptGroups groups;
  EntityData data;
  std::uint64_t owner = 0;
  std::uint64_t layer = 0;
  std::int16_t color = kColorByLayer;
  Xdata xdata;
  // The attributes after a block reference and their end marker.
  std::vector<KeptObject> followers;
};

struct KeptTable {
  std::uint64_t handle = 0;
  KeptGroups head;                  // the TABLE object's groups
  std::vector<KeptObject> records;  // records the database does not model
};

// A table record the database models, as read (the record's own value
// alongside, to see whether it changed).
struct KeptRecord {
  KeptGroups groups;
  std::variant<std::monostate, LayerRecord, LinetypeRecord, TextStyleRecord, AppIdRecord, ViewportRecord,
               std::wstring>
      asRead;  // a block record is compared by name
};

struct KeptBlock {
  KeptObject begin;  // BLOCK
  KeptObject end;    // ENDBLK
  std::wstring name;
  Point3 base;
};

struct KeptDrawing {
  std::string version;   // $ACADVER as read
  std::string codePage;  // $DWGCODEPAGE as read
  std::vector<std::pair<std::string, KeptGroups>> header;  // variables the writer does not write itself
  bool hasClasses = false;
  KeptGroups classes;
  std::map<std::string, KeptTable> tables;  // by table name
  std::unordered_map<std::uint64_t, KeptRecord> records;
  std::unordered_map<std::uint64_t, KeptBlock> blocks;     // by block record handle
  std::unordered_map<std::uint64_t, KeptObject> entities;  // kinds not modelled, listed in their block record
  bool hasObjects = false;
  std::vector<KeptObject> objects;
  std::vector<std::pair<std::string, KeptGroups>> sections;  // sections after OBJECTS (name, body)
};

}  // namespace host::db
