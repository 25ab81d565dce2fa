// Extended data of an entity: blocks of groups, one per registered
// application, in the order they were first set.
//
// Drawings with a million entities carry tens of xdata strings each, so the
// blocks are kept packed in one byte string per entity rather than as lists
// of groups.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/db/values.h"

namespace host::db {

// One application's xdata: the groups after its 1001 group.
struct XdataBlock {
  std::wstring app;
  EntityList groups;
  friend bool operator==(const XdataBlock&, const XdataBlock&) = default;
};

class Xdata {
 public:
  bool Empty() const { return packed_.empty(); }
  std::size_t PackedSize() const { return packed_.size(); }

  std::vector<XdataBlock> Blocks() const;
  // The block of `app` (case ignored); false when there is none.
  bool Find(std::wstring_view app, XdataBlock* out) const;
  bool Has(std::wstring_view app) const;

  // Applies a chain of 1001 groups each followed by its groups (a leading -3
  // group is allowed). Each application named replaces its own block and
  // keeps the others; an application with no groups loses its block. False,
  // with nothing changed, when the chain is malformed: a group before the
  // first 1001, a code outside the xdata range, or a value of the wrong type.
  [[nodiscard]] bool Apply(const EntityList& chain);
  void Remove(std::wstring_view app);
  void Clear() { packed_.clear(); }

  // Appends every group, 1001 groups included, in order.
  void AppendTo(EntityList* list) const;

  // Visits the groups in order without building a list: `f(const Raw&)`.
  template <typename Visitor>
  void Visit(Visitor&& f) const;

  friend bool operator==(const Xdata&, const Xdata&) = default;

 private:
  void AppendBlock(const XdataBlock& block);
  std::string packed_;

 public:
  // Packed layout, for Visit: per group a 2-byte code, then the value.
  struct Raw {
    int code;
    std::string_view text;  // text codes and 1001 (UTF-8)
    double real[3];         // reals use real[0]; points all three
    std::int32_t integer;
  };
  // Decodes the group at `pos` and advances it; false at the end.
  bool Next(std::size_t* pos, Raw* raw) const;
};

template <typename Visitor>
void Xdata::Visit(Visitor&& f) const {
  std::size_t pos = 0;
  Raw raw;
  while (Next(&pos, &raw)) f(raw);
}


}  // namespace host::db
