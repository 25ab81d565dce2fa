#include "host/db/entity_index.h"

#include <algorithm>

namespace host::db {

void EntityIndex::Add(std::uint64_t handle, Entity* entity) {
  if (handle >= table_.size()) {
    // The table reaches at most a little past twice the entities filed, so
    // that a few stray large handles cannot make it huge.
    const std::uint64_t limit = 2 * (count_ + 1) + 4096;
    if (handle < limit) {
      const std::uint64_t size = std::min<std::uint64_t>(
          std::max<std::uint64_t>({handle + 1, 2 * table_.size(), 1024}), limit);
      table_.resize(static_cast<std::size_t>(size), nullptr);
      for (auto it = far_.begin(); it != far_.end();) {
        if (it->first < size) {
          table_[it->first] = it->second;
          it = far_.erase(it);
        } else {
          ++it;
        }
      }
    }
  }
  if (handle < table_.size()) {
    if (table_[handle] == nullptr) ++count_;
    table_[handle] = entity;
  } else {
    if (far_.insert_or_assign(handle, entity).second) ++count_;
  }
}

}  // namespace host::db
