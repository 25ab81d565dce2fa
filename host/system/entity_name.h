// The name of an entity as the host hands it out: a small id made of the
// entity's handle and the serial number of the drawing database that holds
// it. Two names are the same entity when both words are equal. The null name
// (both words 0) names nothing.
//
// The drawing database makes names; LISP values, selection sets and entity
// lists carry them. Kept here, below both, so that each can use it.
#pragma once

#include <cstdint>
#include <string>

namespace host {

struct EntityName {
  std::uint64_t handle = 0;    // the entity's handle in its database
  std::uint64_t database = 0;  // serial number of the database; 0 for none

  bool IsNull() const { return handle == 0 && database == 0; }
  friend bool operator==(const EntityName&, const EntityName&) = default;
};

// A handle as drawings and entity lists write it: upper-case hexadecimal
// digits without leading zeros ("2A").
std::wstring HandleText(std::uint64_t handle);
inline std::wstring HandleText(EntityName name) { return HandleText(name.handle); }

}  // namespace host
