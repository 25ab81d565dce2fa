#include "host/db/entity_list.h"

#include <cstdio>
#include <cwctype>
#include <map>
#include <utility>

#include "host/db/dxf_lines.h"
#include "host/db/entity_groups.h"
#include "host/db/entity_move.h"
#include "host/db/kept.h"
#include "host/system/entity_name.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

class ListSink : public GroupSink {
 public:
  ListSink(const Database& db, EntityList* list) : db_(db), list_(list) {}
  bool IsList() const override { return true; }
  void Text(int code, std::wstring_view text) override { list_->emplace_back(code, std::wstring(text)); }
  void Handle(int code, std::uint64_t handle) override {
    if (code == 5)
      list_->emplace_back(code, HandleText(handle));
    else
      list_->emplace_back(code, db_.IdOf(handle));
  }
  void Real(int code, double value) override { list_->emplace_back(code, value); }
  void Angle(int code, double radians) override { list_->emplace_back(code, radians); }
  void Int(int code, std::int32_t value) override { list_->emplace_back(code, Value(value)); }
  void Point(int code, const Point3& point) override { list_->emplace_back(code, point); }
  void Point2(int code, double x, double y) override { list_->emplace_back(code, Point3{x, y, 0}); }
  void Extended(const Xdata&) override {}

 private:
  const Database& db_;
  EntityList* list_;
};

bool AppWanted(std::wstring_view app, const std::vector<std::wstring>& apps) {
  for (const std::wstring& pattern : apps)
    if (MatchWildcard(app, pattern)) return true;
  return false;
}

// One alternative of a pattern, without commas.
bool MatchOne(std::wstring_view text, std::wstring_view pattern) {
  std::size_t t = 0, p = 0;
  std::size_t starP = std::wstring_view::npos, starT = 0;
  while (t < text.size()) {
    bool matched = false;
    std::size_t step = 1;
    if (p < pattern.size()) {
      wchar_t pc = pattern[p];
      wchar_t tc = text[t];
      if (pc == L'*') {
        starP = p++;
        starT = t;
        continue;
      }
      if (pc == L'`' && p + 1 < pattern.size()) {
        matched = FoldAsciiCase(pattern[p + 1]) == FoldAsciiCase(tc);
        step = 2;
      } else if (pc == L'?') {
        matched = true;
      } else if (pc == L'#') {
        matched = std::iswdigit(tc) != 0;
      } else if (pc == L'@') {
        matched = std::iswalpha(tc) != 0;
      } else if (pc == L'.') {
        matched = !std::iswalnum(tc);
      } else {
        matched = FoldAsciiCase(pc) == FoldAsciiCase(tc);
      }
    }
    if (matched) {
      p += step;
      ++t;
    } else if (starP != std::wstring_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

std::map<std::pair<std::uint64_t, std::wstring>, std::size_t>& TableCursors() {
  static std::map<std::pair<std::uint64_t, std::wstring>, std::size_t> cursors;
  return cursors;
}

// The records of a table as entity lists, erased records left out.
std::vector<EntityList> TableRecords(const Database& db, std::wstring_view table) {
  std::vector<EntityList> records;
  std::wstring name = UpperAscii(table);
  auto start = [&](std::uint64_t handle, const wchar_t* type, const std::wstring& recordName) {
    records.push_back(EntityList{{-1, db.IdOf(handle)}, {0, type}, {2, recordName}});
    return &records.back();
  };
  if (name == L"LAYER") {
    for (const LayerRecord& r : db.Layers()) {
      if (r.erased) continue;
      EntityList* list = start(r.handle, L"LAYER", r.name);
      int flags = (r.frozen ? 1 : 0) | (r.frozenInNewViewports ? 2 : 0) | (r.locked ? 4 : 0);
      list->emplace_back(70, flags);
      list->emplace_back(62, r.off ? -r.color : r.color);
      const LinetypeRecord* linetype = db.LinetypeRecordOf(db.IdOf(r.linetype));
      list->emplace_back(6, linetype ? linetype->name : std::wstring(L"CONTINUOUS"));
    }
  } else if (name == L"LTYPE") {
    for (const LinetypeRecord& r : db.Linetypes()) {
      if (r.erased) continue;
      EntityList* list = start(r.handle, L"LTYPE", r.name);
      list->emplace_back(70, 0);
      list->emplace_back(3, r.description);
    }
  } else if (name == L"STYLE") {
    for (const TextStyleRecord& r : db.TextStyles()) {
      if (r.erased) continue;
      EntityList* list = start(r.handle, L"STYLE", r.name);
      list->emplace_back(70, 0);
      list->emplace_back(40, r.height);
      list->emplace_back(41, r.widthFactor);
      list->emplace_back(3, r.font);
    }
  } else if (name == L"APPID") {
    for (const AppIdRecord& r : db.AppIds()) {
      EntityList* list = start(r.handle, L"APPID", r.name);
      list->emplace_back(70, 0);
    }
  } else if (name == L"BLOCK_RECORD" || name == L"BLOCK") {
    for (const BlockRecord& r : db.Blocks()) {
      if (r.erased) continue;
      EntityList* list = start(r.handle, L"BLOCK", r.name);
      list->emplace_back(70, 0);
      list->emplace_back(10, r.base);
    }
  }
  return records;
}

}  // namespace

bool MatchWildcard(std::wstring_view text, std::wstring_view pattern) {
  bool negate = !pattern.empty() && pattern[0] == L'~';
  if (negate) pattern.remove_prefix(1);
  bool any = false;
  std::size_t begin = 0;
  while (true) {
    // Commas separate alternatives unless quoted.
    std::size_t end = begin;
    while (end < pattern.size() && pattern[end] != L',') end += pattern[end] == L'`' ? 2 : 1;
    if (end > pattern.size()) end = pattern.size();
    if (MatchOne(text, pattern.substr(begin, end - begin))) {
      any = true;
      break;
    }
    if (end >= pattern.size()) break;
    begin = end + 1;
  }
  return any != negate;
}

namespace {

// An entity of a kind the database keeps as read, as a list: its groups up
// to its extended data, with coordinates made points, numbers numbers and
// handles names, as the file gave them (angles stay in the file's unit).
EntityList KeptEntityList(const Database& db, EntityName name, const KeptObject& object) {
  EntityList list;
  list.emplace_back(-1, name);
  list.emplace_back(0, host::DecodeUtf8(object.type));
  const KeptGroups& groups = object.groups;
  bool inAppList = false;
  for (std::size_t i = 0; i < groups.size() && groups[i].code < 1000; ++i) {
    const KeptGroup& g = groups[i];
    const std::string_view value = TrimDxf(g.value);
    if (g.code == 102) {
      inAppList = !value.starts_with("}");
      continue;
    }
    if (inAppList) continue;
    const bool xyz = (g.code >= 10 && g.code <= 18) || g.code == 210;
    if (xyz) {
      Point3 p{std::strtod(g.value.c_str(), nullptr), 0, 0};
      if (i + 1 < groups.size() && groups[i + 1].code == g.code + 10) p.y = std::strtod(groups[++i].value.c_str(), nullptr);
      if (i + 1 < groups.size() && groups[i + 1].code == g.code + 20) p.z = std::strtod(groups[++i].value.c_str(), nullptr);
      list.emplace_back(g.code, p);
      continue;
    }
    if (g.code == 5) {
      list.emplace_back(5, host::DecodeUtf8(value));
      continue;
    }
    if (g.code == 330 || g.code == 340 || g.code == 350 || g.code == 360) {
      const std::uint64_t handle = std::strtoull(std::string(value).c_str(), nullptr, 16);
      list.emplace_back(g.code, g.code == 330 && object.owner != 0 ? db.IdOf(object.owner) : db.IdOf(handle));
      continue;
    }
    switch (KindOfCode(g.code)) {
      case ValueKind::kReal: list.emplace_back(g.code, std::strtod(g.value.c_str(), nullptr)); break;
      case ValueKind::kInt16:
      case ValueKind::kInt32:
        list.emplace_back(g.code, Value(static_cast<std::int32_t>(std::strtol(g.value.c_str(), nullptr, 10))));
        break;
      case ValueKind::kText:
      case ValueKind::kHandle: list.emplace_back(g.code, host::DecodeUtf8(g.value)); break;
      default: break;
    }
  }
  return list;
}

}  // namespace

std::optional<EntityList> GetEntityList(EntityName name) {
  const Database* db = DatabaseOf(name);
  const Entity* entity = db ? db->EntityOf(name) : nullptr;
  if (entity == nullptr) {
    const KeptObject* kept = db ? KeptEntityOf(*db, name) : nullptr;
    if (kept == nullptr) return std::nullopt;
    return KeptEntityList(*db, name, *kept);
  }
  EntityList list;
  ListSink sink(*db, &list);
  EmitEntity(*db, *entity, sink, false);
  return list;
}

const Xdata* XdataOf(EntityName name) {
  const Database* db = DatabaseOf(name);
  const Entity* entity = db ? db->EntityOf(name) : nullptr;
  return entity != nullptr ? &entity->xdata : nullptr;
}

std::optional<EntityList> GetEntityList(EntityName name, const std::vector<std::wstring>& apps) {
  std::optional<EntityList> list = GetEntityList(name);
  if (!list) return list;
  const Entity* entity = DatabaseOf(name)->EntityOf(name);
  if (entity == nullptr) return list;  // a kind kept as read: its xdata is not modelled
  bool marked = false;
  for (const XdataBlock& block : entity->xdata.Blocks()) {
    if (!AppWanted(block.app, apps)) continue;
    if (!marked) list->emplace_back(-3, Value());
    marked = true;
    list->emplace_back(1001, block.app);
    list->insert(list->end(), block.groups.begin(), block.groups.end());
  }
  return list;
}

ModifyResult ModifyEntity(const EntityList& list) {
  const Group* nameGroup = FindGroup(list, -1);
  if (nameGroup == nullptr || nameGroup->Name() == nullptr) return ModifyResult::kNoEntity;
  EntityName name = *nameGroup->Name();
  Database* db = DatabaseOf(name);
  Entity* entity = db ? db->EntityOf(name) : nullptr;
  if (entity == nullptr) return ModifyResult::kNoEntity;
  const Group* type = FindGroup(list, 0);
  if (type && (type->Text() == nullptr || !TypeFromName(*type->Text()) ||
               *TypeFromName(*type->Text()) != entity->Type()))
    return ModifyResult::kBadList;

  Entity changed = *entity;
  std::string error;
  // Check the layer name before adding anything to the table.
  if (const Group* layer = FindGroup(list, 8); layer && (layer->Text() == nullptr || !IsValidTableName(*layer->Text())))
    return ModifyResult::kBadList;
  EntityList chain;
  bool inXdata = false;
  for (const Group& group : list) {
    if (group.code == -3) inXdata = true;
    if (inXdata) chain.push_back(group);
  }
  // Applications must be registered; their blocks take the table's spelling.
  for (Group& group : chain) {
    if (group.code != 1001) continue;
    const std::wstring* app = group.Text();
    ObjectId id = app ? db->AppId(*app) : ObjectId{};
    if (id.IsNull()) return ModifyResult::kBadList;
    for (const AppIdRecord& record : db->AppIds())
      if (record.handle == id.handle) group.value = record.name;
  }
  if (!chain.empty() && !changed.xdata.Apply(chain)) return ModifyResult::kBadList;
  // Try a copy first with a missing layer left out, so that a bad list adds
  // no layer to the table; then apply for real.
  Entity trial = changed;
  const Group* layer = FindGroup(list, 8);
  EntityList trialList;
  for (const Group& group : list)
    if (group.code != 8 || !db->Layer(*layer->Text()).IsNull()) trialList.push_back(group);
  if (!ApplyGroups(*db, trial, trialList, false, &error)) return ModifyResult::kBadList;
  std::string ignored;
  if (!ApplyGroups(*db, changed, list, true, &ignored)) return ModifyResult::kBadList;
  *entity = std::move(changed);
  return ModifyResult::kOk;
}

EntityName NextEntity(EntityName after) {
  if (after.IsNull()) {
    const Database* db = WorkingDatabase();
    return db ? db->NextEntity() : EntityName{};
  }
  const Database* db = DatabaseOf(after);
  return db ? db->NextEntity(after) : EntityName{};
}

EntityName LastEntity() {
  const Database* db = WorkingDatabase();
  return db ? db->LastEntity() : EntityName{};
}

bool DeleteEntity(EntityName name) {
  Database* db = DatabaseOf(name);
  const Entity* entity = db ? db->EntityOf(name) : nullptr;
  if (entity == nullptr) return false;
  return db->Erase(name, !entity->erased);
}

std::optional<EntityList> TableSearch(const Database& db, std::wstring_view table, std::wstring_view name) {
  for (EntityList& record : TableRecords(db, table)) {
    const Group* recordName = FindGroup(record, 2);
    if (recordName && SameTableName(*recordName->Text(), name)) return std::move(record);
  }
  return std::nullopt;
}

std::optional<EntityList> TableNext(const Database& db, std::wstring_view table, bool rewind) {
  std::vector<EntityList> records = TableRecords(db, table);
  std::size_t& cursor = TableCursors()[{db.Serial(), UpperAscii(table)}];
  if (rewind) cursor = 0;
  if (cursor >= records.size()) {
    cursor = 0;
    return std::nullopt;
  }
  return std::move(records[cursor++]);
}

}  // namespace host::db
