// The database's index of entities by handle.
//
// Handles are given out one after another, so nearly every entity sits in a
// table indexed by its handle itself: no node per entity and no hashing on
// the way to it. Handles far past the number of entities (a file may use
// any) go to a hash map.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace host::db {

struct Entity;

class EntityIndex {
 public:
  Entity* Find(std::uint64_t handle) const {
    if (handle < table_.size() && table_[handle] != nullptr) return table_[handle];
    if (far_.empty()) return nullptr;
    const auto it = far_.find(handle);
    return it == far_.end() ? nullptr : it->second;
  }
  bool Has(std::uint64_t handle) const { return Find(handle) != nullptr; }
  // Files `entity` under `handle`, replacing what was filed there.
  void Add(std::uint64_t handle, Entity* entity);
  void Swap(EntityIndex& other) {
    table_.swap(other.table_);
    far_.swap(other.far_);
    std::swap(count_, other.count_);
  }

 private:
  std::vector<Entity*> table_;
  std::unordered_map<std::uint64_t, Entity*> far_;
  std::uint64_t count_ = 0;
};

}  // namespace host::db
