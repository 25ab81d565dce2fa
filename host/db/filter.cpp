#include "host/db/filter.h"

#include <string>

#include "host/db/entity_list.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

enum class Op { kEq, kNe, kLt, kLe, kGt, kGe, kBitAny, kBitAll, kAny, kBad };

Op OpOf(std::wstring_view text) {
  if (text == L"=") return Op::kEq;
  if (text == L"!=" || text == L"/=" || text == L"<>") return Op::kNe;
  if (text == L"<") return Op::kLt;
  if (text == L"<=") return Op::kLe;
  if (text == L">") return Op::kGt;
  if (text == L">=") return Op::kGe;
  if (text == L"&") return Op::kBitAny;
  if (text == L"&=") return Op::kBitAll;
  if (text == L"*") return Op::kAny;
  return Op::kBad;
}

template <typename T>
bool Relate(Op op, const T& a, const T& b) {
  switch (op) {
    case Op::kEq: return a == b;
    case Op::kNe: return a != b;
    case Op::kLt: return a < b;
    case Op::kLe: return a <= b;
    case Op::kGt: return a > b;
    case Op::kGe: return a >= b;
    default: return false;
  }
}

class Matcher {
 public:
  Matcher(const EntityList* entity, const EntityList& filter) : entity_(entity), filter_(filter) {}

  // Evaluates the whole filter as an "and" of its items.
  FilterResult Run() {
    bool all = true;
    while (pos_ < filter_.size()) {
      bool result = Item();
      if (bad_) return FilterResult::kBadFilter;
      all = all && result;
    }
    return all ? FilterResult::kMatch : FilterResult::kNoMatch;
  }

 private:
  bool Fail() {
    bad_ = true;
    return false;
  }

  bool Item() {
    const Group& group = filter_[pos_];
    if (group.code != -4) {
      ++pos_;
      return Compare(Op::kEq, group);
    }
    if (group.Text() == nullptr) return Fail();
    std::wstring op = LowerAscii(*group.Text());
    ++pos_;
    if (op == L"<and" || op == L"<or" || op == L"<not" || op == L"<xor") {
      std::wstring name = op.substr(1);
      std::wstring closer = name + L">";
      int count = 0, holding = 0;
      while (true) {
        if (pos_ >= filter_.size()) return Fail();
        const Group& next = filter_[pos_];
        if (next.code == -4 && next.Text() && LowerAscii(*next.Text()) == closer) {
          ++pos_;
          break;
        }
        bool result = Item();
        if (bad_) return false;
        ++count;
        holding += result ? 1 : 0;
      }
      if (name == L"and") return count > 0 ? holding == count : Fail();
      if (name == L"or") return count > 0 ? holding > 0 : Fail();
      if (name == L"not") return count == 1 ? holding == 0 : Fail();
      return count == 2 ? holding == 1 : Fail();
    }
    Op relation = OpOf(op);
    if (relation == Op::kBad || pos_ >= filter_.size() || filter_[pos_].code == -4) return Fail();
    return Compare(relation, filter_[pos_++]);
  }

  bool Compare(Op op, const Group& test) {
    if (entity_ == nullptr) return false;  // validation only
    const Group* found = FindGroup(*entity_, test.code);
    Group byLayer(62, kColorByLayer);
    if (found == nullptr && test.code == 62) found = &byLayer;
    if (op == Op::kAny) return true;
    if (found == nullptr) return false;
    if (const std::wstring* pattern = test.Text()) {
      const std::wstring* text = found->Text();
      if (text == nullptr) return false;
      if (op == Op::kEq) return MatchWildcard(*text, *pattern);
      if (op == Op::kNe) return !MatchWildcard(*text, *pattern);
      return Relate(op, LowerAscii(*text), LowerAscii(*pattern));
    }
    if (const Point3* want = test.Point()) {
      const Point3* have = found->Point();
      if (have == nullptr) return false;
      if (op == Op::kNe) return !(*have == *want);
      return Relate(op, have->x, want->x) && Relate(op, have->y, want->y) && Relate(op, have->z, want->z);
    }
    if (const ObjectId* want = test.Name()) {
      const ObjectId* have = found->Name();
      return have && (op == Op::kNe ? !(*have == *want) : op == Op::kEq && *have == *want);
    }
    if (std::holds_alternative<std::int32_t>(test.value) && std::holds_alternative<std::int32_t>(found->value)) {
      std::int32_t have = found->Int(), want = test.Int();
      if (op == Op::kBitAny) return (have & want) != 0;
      if (op == Op::kBitAll) return (have & want) == want;
      return Relate(op, have, want);
    }
    if (op == Op::kBitAny || op == Op::kBitAll) return false;
    return Relate(op, found->Number(), test.Number());
  }

  const EntityList* entity_;
  const EntityList& filter_;
  std::size_t pos_ = 0;
  bool bad_ = false;
};

}  // namespace

FilterResult MatchFilter(const EntityList& entity, const EntityList& filter) {
  return Matcher(&entity, filter).Run();
}

FilterResult MatchFilter(EntityName entity, const EntityList& filter) {
  if (!IsValidFilter(filter)) return FilterResult::kBadFilter;
  std::optional<EntityList> list = GetEntityList(entity);
  if (!list) return FilterResult::kNoMatch;
  return MatchFilter(*list, filter);
}

bool IsValidFilter(const EntityList& filter) {
  return Matcher(nullptr, filter).Run() != FilterResult::kBadFilter;
}

std::vector<EntityName> SelectAll(const Database& db, const EntityList& filter) {
  std::vector<EntityName> selected;
  if (!IsValidFilter(filter)) return selected;
  for (EntityName name : db.AllEntitiesIn(db.ModelSpace())) {
    if (filter.empty()) {
      selected.push_back(name);
      continue;
    }
    std::optional<EntityList> list = GetEntityList(name);
    if (list && MatchFilter(*list, filter) == FilterResult::kMatch) selected.push_back(name);
  }
  return selected;
}

}  // namespace host::db
