#include "vertical_offset/section_xdata.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/containers/text.h"
#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "vertical_offset/section_attributes.h"
#include "vertical_offset/section_text.h"

namespace {

using host::db::EntityList;
using host::db::Group;

// Sub-records the full reader takes at the most; far above what any tool
// writes, it only bounds what damaged data can make the reader allocate.
constexpr int kMaxReadSubRecords = 1000;
// Each string of the chain holds at most this many characters.
constexpr std::size_t kChainTextSize = 4096;

// The index of a class '1' key character ('0'-'9', 'A'-'Z', ':'), -1 for
// any other.
int RecordKeyIndex(wchar_t key) {
  if (key >= L'0' && key <= L'9') return key - L'0';
  if (key >= L'A' && key <= L'Z') return key - L'A' + 10;
  if (key == L':') return 36;
  return -1;
}

wchar_t RecordKey(int index) {
  if (index < 10) return static_cast<wchar_t>(L'0' + index);
  if (index < 36) return static_cast<wchar_t>(L'A' + index - 10);
  return L':';
}

void SetDefaults(SectionRecord& record, SectionIdentity& identity) {
  identity.number = 1;
  identity.kind = 0;
  identity.chainage = 0.0;
  for (auto& text : record.longTexts) text[0] = L'\0';
  record.realZ = 0.0;
  CopyField(record.attributes.code, kSectionMarkerCode);
  for (auto& value : record.attributes.values) value[0] = L'\0';
  record.attributes.complexGroup = false;
  record.title[0] = L'\0';
  record.textS[0] = L'\0';
}

// The datum point: the smallest x of the group-10 points, the first y.
class DatumPoint {
 public:
  void Add(const host::db::Point3& p, double& datumX, double& datumY) {
    if (!seen_) {
      datumX = p.x;
      datumY = p.y;
      seen_ = true;
    } else if (p.x < datumX) {
      datumX = p.x;
    }
  }

 private:
  bool seen_ = false;
};

void ReadIdentity(wchar_t key, std::wstring_view value, SectionIdentity& identity) {
  switch (key) {
    case L'0': identity.kind = SectionInt(value); break;
    case L'1': identity.chainage = SectionReal(value); break;
    case L'2': identity.flag = SectionInt(value) != 0; break;
    case L'3': identity.number = SectionInt(value); break;
    default: break;
  }
}

// The record keys both readers share: "10", "12" to "1E", "1R" to "1Z".
// False for any other key.
bool ReadCommonRecordKey(int index, std::wstring_view value, SectionRecord& record) {
  if (index == 0) {
    CopyField(record.name, value);
  } else if (index >= 2 && index <= 13) {
    record.reals[index - 2] = SectionReal(value);
  } else if (index == 14) {
    record.realE = SectionReal(value);
  } else if (index == RecordKeyIndex(L'R')) {
    CopyField(record.title, value);
  } else if (index == RecordKeyIndex(L'S')) {
    CopyField(record.textS, value);
  } else if (index >= RecordKeyIndex(L'T') && index <= RecordKeyIndex(L'X')) {
    CopyField(record.longTexts[index - RecordKeyIndex(L'T')], value);
  } else if (index == RecordKeyIndex(L'Y')) {
    CopyField(record.longTextY, value);
  } else if (index == RecordKeyIndex(L'Z')) {
    record.realZ = SectionReal(value);
  } else {
    return false;
  }
  return true;
}

// Calls `visit(classChar, key, value)` for every section string of the list,
// and `point(p)` for every group-10 point.
template <typename Visit, typename Point>
void WalkSectionData(const EntityList& list, Visit&& visit, Point&& point) {
  bool ours = false;
  for (const Group& group : list) {
    if (group.code == 10) {
      if (const host::db::Point3* p = group.Point()) point(*p);
    } else if (group.code == 1001) {
      const std::wstring* name = group.Text();
      ours = name != nullptr && SameTextIgnoringCase(*name, kSectionAppName);
    } else if (group.code == 1000 && ours) {
      const std::wstring* text = group.Text();
      if (text == nullptr || text->size() < 2) continue;
      if (!visit((*text)[0], (*text)[1], std::wstring_view(*text).substr(2))) return;
    }
  }
}

// The sub-record strings of the full reader, with the rules that make a
// record whole.
class SubRecordReader {
 public:
  explicit SubRecordReader(SectionRecord& record) : record_(record), node_(record.subRecords) {}

  // False when the string breaks the rules; the read has failed then.
  bool Read(wchar_t key, std::wstring_view value, bool countSeen) {
    const bool inRange = countSeen && index_ < record_.count;
    switch (key) {
      case L'F': {
        if (!firstF_) {
          if (!ItemsComplete() || index_ + 1 >= kMaxReadSubRecords) return false;
          node_ = AppendSectionSubRecord(node_);
          if (node_ == nullptr) return false;
          ++index_;
        }
        firstF_ = false;
        if (!(countSeen && index_ < record_.count)) return false;
        const std::int32_t items = SectionInt(value);
        if (items < 0 || items > kMaxSectionItems) return false;
        node_->itemCount = items;
        slots_.fill(0);
        if (index_ + 1 == record_.count) lastF_ = true;
        return true;
      }
      case L'G':
      case L'H':
        if (!inRange) return false;
        if (key == L'G') {
          node_->integerG = SectionInt(value);
          if (index_ + 1 == record_.count) lastG_ = true;
        } else {
          CopyField(node_->name, value);
          if (index_ + 1 == record_.count) lastH_ = true;
        }
        return true;
      case L'I': case L'J': case L'K': case L'L': case L'M': case L'N': {
        int& slot = slots_[static_cast<std::size_t>(key - L'I')];
        if (!inRange || slot >= node_->itemCount) return false;
        switch (key) {
          case L'I': CopyField(node_->itemA[slot], value); break;
          case L'J': CopyField(node_->itemB[slot], value); break;
          case L'K': node_->itemK[slot] = SectionInt(value); break;
          case L'L': node_->itemL[slot] = SectionInt(value); break;
          case L'M': node_->itemM[slot] = SectionInt(value); break;
          default: node_->itemN[slot] = SectionInt(value); break;
        }
        ++slot;
        return true;
      }
      case L'O': node_->realO = SectionReal(value); seenO_ = true; return true;
      case L'P': node_->realP = SectionReal(value); seenP_ = true; return true;
      case L'Q': node_->realQ = SectionReal(value); seenQ_ = true; return true;
      default: return true;
    }
  }

  bool Complete() const {
    return index_ == record_.count - 1 && ItemsComplete() && lastF_ && lastG_ && lastH_ && seenO_ &&
           seenP_ && seenQ_;
  }

 private:
  bool ItemsComplete() const {
    for (int slot : slots_)
      if (slot != node_->itemCount) return false;
    return true;
  }

  SectionRecord& record_;
  SectionSubRecord* node_;
  int index_ = 0;
  bool firstF_ = true;
  std::array<int, 6> slots_{};
  bool lastF_ = false, lastG_ = false, lastH_ = false;
  bool seenO_ = false, seenP_ = false, seenQ_ = false;
};

bool IsEntityOfType(host::EntityName entity, std::initializer_list<std::wstring_view> types) {
  std::optional<EntityList> list = host::db::GetEntityList(entity);
  if (!list) return false;
  const Group* type = host::db::FindGroup(*list, 0);
  if (type == nullptr || type->Text() == nullptr) return false;
  for (std::wstring_view t : types)
    if (SameTextIgnoringCase(*type->Text(), t)) return true;
  return false;
}

std::wstring AttributeString(const SectionAttributes& attributes) {
  static constexpr const wchar_t* kTags[kSectionAttributeCount] = {
      L"numeric_name", L"description", L"water_level", L"type", L"notes", L"structure_dim",
      L"structure_skew_angle", L"survey_date", L"survey_time", L"survey_method"};
  std::wstring text;
  for (int i = 0; i < kSectionAttributeCount; ++i) {
    const std::wstring_view value = FieldText(attributes.values[i]);
    if (value.empty()) continue;
    text += L'<';
    text += kTags[i];
    text += L':';
    text += value;
    text += L'>';
  }
  if (attributes.complexGroup) text += L"<complex_group:Y>";
  return text;
}

// Sub-records the writer emits: in list order, at most the count and at
// most kMaxWrittenSubRecords.
std::vector<const SectionSubRecord*> WrittenSubRecords(const SectionRecord& record) {
  std::vector<const SectionSubRecord*> nodes;
  for (const SectionSubRecord* node = record.subRecords;
       node != nullptr && static_cast<int>(nodes.size()) < record.count &&
       nodes.size() < static_cast<std::size_t>(kMaxWrittenSubRecords);
       node = node->next)
    nodes.push_back(node);
  return nodes;
}

class Chain {
 public:
  void Add(wchar_t classChar, wchar_t key, std::wstring_view value) {
    std::wstring text;
    text += classChar;
    text += key;
    text += value.substr(0, kChainTextSize - 2);
    groups_.emplace_back(1000, std::move(text));
  }
  void Add(wchar_t classChar, wchar_t key, const wchar_t* format, double value) {
    Add(classChar, key, FormatSectionValue(format, value));
  }
  void Add(wchar_t classChar, wchar_t key, int value) {
    Add(classChar, key, FormatSectionValue(L"%i", value));
  }
  EntityList& Groups() { return groups_; }

 private:
  EntityList groups_;
};

}  // namespace

bool EnsureSectionRegApp() {
  host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr) return false;
  if (!db->AppId(kSectionAppName).IsNull()) return true;
  return db->RegisterApp(kSectionAppName) != host::db::RegisterResult::kInvalidName;
}

bool ReadSectionDatumXdata(host::EntityName entity, SectionRecord& record,
                           SectionIdentity& identity, double& datumX, double& datumY) {
  (void)EnsureSectionRegApp();
  SetDefaults(record, identity);
  if (StartSectionSubRecords(record) == nullptr) return false;
  std::optional<EntityList> list = host::db::GetEntityList(entity, {kSectionAppName});
  if (!list) return false;

  SubRecordReader subRecords(record);
  DatumPoint datum;
  std::array<bool, 15> seen{};  // "10" to "1E"
  bool failed = false;
  WalkSectionData(
      *list,
      [&](wchar_t classChar, wchar_t key, std::wstring_view value) {
        if (classChar == L'0') {
          ReadIdentity(key, value, identity);
        } else if (classChar == L'1') {
          const int index = RecordKeyIndex(key);
          if (index == 1) {
            record.count = SectionInt(value);
          } else if (index == 36) {
            (void)ParseSectionAttributes(std::wstring(value).c_str(), record.attributes);
          } else if (!ReadCommonRecordKey(index, value, record) && index >= 0) {
            if (!subRecords.Read(key, value, seen[1])) {
              failed = true;
              return false;
            }
          }
          if (index >= 0 && index < 15) seen[static_cast<std::size_t>(index)] = true;
        }
        return true;
      },
      [&](const host::db::Point3& p) { datum.Add(p, datumX, datumY); });

  if (failed || !subRecords.Complete()) return false;
  for (bool s : seen)
    if (!s) return false;
  return true;
}

bool ReadSectionDatumXdataBasic(host::EntityName entity, SectionRecord& record,
                                SectionIdentity& identity, double& datumX, double& datumY) {
  (void)EnsureSectionRegApp();
  SetDefaults(record, identity);
  FreeSectionSubRecords(record);
  record.count = 0;
  std::optional<EntityList> list = host::db::GetEntityList(entity, {kSectionAppName});
  if (!list) return false;
  DatumPoint datum;
  WalkSectionData(
      *list,
      [&](wchar_t classChar, wchar_t key, std::wstring_view value) {
        if (classChar == L'0') ReadIdentity(key, value, identity);
        else if (classChar == L'1') (void)ReadCommonRecordKey(RecordKeyIndex(key), value, record);
        return true;
      },
      [&](const host::db::Point3& p) { datum.Add(p, datumX, datumY); });
  return true;
}

bool WriteDatumLineXdata(host::EntityName entity, const SectionRecord& record,
                         const SectionIdentity& identity) {
  (void)EnsureSectionRegApp();
  if (!IsEntityOfType(entity, {L"LINE"})) return false;
  const std::vector<const SectionSubRecord*> nodes = WrittenSubRecords(record);
  for (const SectionSubRecord* node : nodes)
    if (node->itemCount < 0 || node->itemCount > kMaxSectionItems) return false;

  Chain chain;
  chain.Add(L'0', L'0', identity.kind);
  chain.Add(L'0', L'1', L"%lf", identity.chainage);
  chain.Add(L'0', L'2', identity.flag ? 1 : 0);
  chain.Add(L'0', L'3', identity.number);
  chain.Add(L'1', L'0', FieldText(record.name));
  chain.Add(L'1', L'1', static_cast<int>(nodes.size()));
  for (int i = 0; i < 12; ++i) chain.Add(L'1', RecordKey(i + 2), L"%lf", record.reals[i]);
  chain.Add(L'1', L'E', L"%-5.2lf", record.realE);
  for (const SectionSubRecord* node : nodes) {
    chain.Add(L'1', L'F', node->itemCount);
    chain.Add(L'1', L'G', node->integerG);
    chain.Add(L'1', L'H', FieldText(node->name));
    for (int item = 0; item < node->itemCount; ++item) {
      chain.Add(L'1', L'I', FieldText(node->itemA[item]));
      chain.Add(L'1', L'J', FieldText(node->itemB[item]));
      chain.Add(L'1', L'K', node->itemK[item]);
      chain.Add(L'1', L'L', node->itemL[item]);
      chain.Add(L'1', L'M', node->itemM[item]);
      chain.Add(L'1', L'N', node->itemN[item]);
    }
    chain.Add(L'1', L'O', L"%-5.2lf", node->realO);
    chain.Add(L'1', L'P', L"%-5.2lf", node->realP);
    chain.Add(L'1', L'Q', L"%-5.2lf", node->realQ);
  }
  chain.Add(L'1', L'R', FieldText(record.title));
  chain.Add(L'1', L'S', FieldText(record.textS));
  for (int i = 0; i < 5; ++i) chain.Add(L'1', static_cast<wchar_t>(L'T' + i), FieldText(record.longTexts[i]));
  chain.Add(L'1', L'Y', FieldText(record.longTextY));
  chain.Add(L'1', L'Z', L"%.3lf", record.realZ);
  if (FieldText(record.attributes.code) == kSectionMarkerCode)
    chain.Add(L'1', L':', AttributeString(record.attributes));

  std::optional<EntityList> list = host::db::GetEntityList(entity);
  if (!list) return false;
  list->emplace_back(-3, host::db::Value{});
  list->emplace_back(1001, kSectionAppName);
  list->emplace_back(1002, L"{");
  list->insert(list->end(), chain.Groups().begin(), chain.Groups().end());
  list->emplace_back(1002, L"}");
  return host::db::ModifyEntity(*list) == host::db::ModifyResult::kOk;
}
