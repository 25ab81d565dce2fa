// Extended data of an entity: blocks of groups, one per registered
// application, in the order they were first set.
//
// Drawings with a million entities carry tens of xdata strings each, so the
// blocks are kept packed in one byte string per entity rather than as lists
// of groups, text as UTF-8 and application names by number.
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

class XdataChain;

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
  // The same for a chain packed as it was built.
  [[nodiscard]] bool Apply(const XdataChain& chain);
  void Remove(std::wstring_view app);
  void Clear() { packed_.clear(); }

  // Appends every group, 1001 groups included, in order.
  void AppendTo(EntityList* list) const;

  // Visits the groups in order without building a list: `f(const Raw&)`.
  template <typename Visitor>
  void Visit(Visitor&& f) const;

  // Visits the text groups (1000 to 1003, UTF-8) of the blocks whose
  // application name (UTF-8) `match(name)` accepts, in order, without
  // decoding anything else: `f(int code, std::string_view text)`.
  template <typename Match, typename Visitor>
  void VisitTexts(Match&& match, Visitor&& f) const;

  friend bool operator==(const Xdata&, const Xdata&) = default;

 private:
  void AppendBlock(const XdataBlock& block);
  std::string packed_;

 public:
  // Packed layout, for Visit: per group its code less 1000 in one byte, then
  // the value; a 1001 group holds the number of its application's name,
  // which is kept once for the whole process.
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

template <typename Match, typename Visitor>
void Xdata::VisitTexts(Match&& match, Visitor&& f) const {
  bool matched = false;
  Visit([&](const Raw& raw) {
    if (raw.code == 1001)
      matched = match(raw.text);
    else if (matched && raw.code >= 1000 && raw.code <= 1003)
      f(raw.code, raw.text);
  });
}

// A chain of xdata text groups packed as it is built: writers that give
// hundreds of thousands of entities their blocks build no list of groups
// and no wide strings on the way. Text is given in the 8-bit form of the
// add-ins' records (byte n is unit n) and kept as UTF-8.
class XdataChain {
 public:
  // Starts an application's block (group 1001).
  void App(std::wstring_view name);
  // A text group (1000, 1002, 1003) of `head` (ASCII) followed by `bytes`,
  // cut to `maxUnits` units in all.
  void Text(int code, std::string_view head, std::string_view bytes, std::size_t maxUnits);
  void Text(int code, std::string_view head) { Text(code, head, {}, head.size()); }
  // The same for `utf8` read as UTF-8 (a byte that is not part of a valid
  // sequence is the unit of its number); the cut falls between characters.
  void Utf8Text(int code, std::string_view head, std::string_view utf8, std::size_t maxUnits);
  // False after a group before the first 1001 or an empty application name.
  bool Valid() const { return valid_ && blocks_ > 0; }
  // Empties the chain and keeps its buffer, for the next entity's block.
  void Clear();

 private:
  friend class Xdata;
  std::string packed_;
  int blocks_ = 0;
  bool valid_ = true;
};


}  // namespace host::db
