// The typed values of the drawing database: points, object ids, and the
// entity lists through which code reads and writes entities and table
// records.
//
// An entity list is a sequence of groups, each a DXF group code with a value
// whose type the code decides (names for -1/-2/330, text for 0-9 and
// 1000-1003, points for 10-18 and 210, reals for 38-59, 1040-1042, integers
// for 60-99, 1070 and 1071). The groups come in the order DXF gives them.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

#include "host/system/entity_name.h"

namespace host::db {

struct Point3 {
  double x = 0;
  double y = 0;
  double z = 0;
  friend bool operator==(const Point3&, const Point3&) = default;
};

// The id of an object of a database: the object's handle and the
// database's serial number. Entity names are object ids; the null id names
// nothing.
using ObjectId = host::EntityName;
using EntityName = host::EntityName;

// What kind of value a group code carries.
enum class ValueKind { kText, kName, kPoint, kReal, kInt16, kInt32, kHandle, kNone };
ValueKind KindOfCode(int code);

// A group's value. Integers of either width are held as int32_t.
using Value = std::variant<std::monostate, std::wstring, ObjectId, Point3, double, std::int32_t>;

struct Group {
  int code = 0;
  Value value;

  Group() = default;
  Group(int c, Value v) : code(c), value(std::move(v)) {}
  Group(int c, const wchar_t* text) : code(c), value(std::wstring(text)) {}
  Group(int c, int v) : code(c), value(static_cast<std::int32_t>(v)) {}
  Group(int c, double v) : code(c), value(v) {}

  const std::wstring* Text() const { return std::get_if<std::wstring>(&value); }
  const Point3* Point() const { return std::get_if<Point3>(&value); }
  const ObjectId* Name() const { return std::get_if<ObjectId>(&value); }
  // Integers and reals read as a number; anything else as 0.
  double Number() const;
  std::int32_t Int() const;

  friend bool operator==(const Group&, const Group&) = default;
};

using EntityList = std::vector<Group>;

// Test output: "(code . value)".
void PrintTo(const Group& group, std::ostream* out);

// The first group with `code`, or null. The search stops at the xdata marker
// (-3) unless `code` is an xdata code (1000 and above).
const Group* FindGroup(const EntityList& list, int code);
Group* FindGroup(EntityList& list, int code);

}  // namespace host::db
