#include "vertical_offset/structure_xdata.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/containers/text.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "vertical_offset/section_attributes.h"
#include "vertical_offset/section_record.h"
#include "vertical_offset/section_text.h"
#include "vertical_offset/section_xdata.h"

namespace {

using host::db::EntityList;
using host::db::Group;

constexpr double kUnsetReal = -999.0;

template <std::size_t N>
std::wstring Wide(const char (&field)[N]) {
  return NarrowToWide(FieldText(field));
}

template <std::size_t N>
void SetNarrow(char (&field)[N], std::wstring_view value, std::size_t maxChars = N - 1) {
  CopyField(field, WideToNarrow(value), maxChars);
}

bool IsEntityOfType(const EntityList& list, std::initializer_list<std::wstring_view> types) {
  const Group* type = host::db::FindGroup(list, 0);
  if (type == nullptr || type->Text() == nullptr) return false;
  for (std::wstring_view t : types)
    if (SameTextIgnoringCase(*type->Text(), t)) return true;
  return false;
}

// One string of the chain, bounded to kStructureTextSize characters: tags
// are added only while they fit whole.
class StructureString {
 public:
  StructureString(wchar_t key, std::wstring_view value) : text_(L"3") {
    text_ += key;
    Add(value);
  }
  void Add(std::wstring_view part) {
    const std::size_t room = kStructureTextSize - std::min(text_.size(), std::size_t{kStructureTextSize});
    text_ += part.substr(0, room);
  }
  void Tag(const wchar_t* name, std::wstring_view value) {
    std::wstring tag = L"<";
    tag += name;
    tag += L':';
    tag += value;
    tag += L'>';
    if (text_.size() + tag.size() <= kStructureTextSize) text_ += tag;
  }
  void TagReal(const wchar_t* name, const wchar_t* format, double value) {
    Tag(name, FormatSectionValue(format, value));
  }
  const std::wstring& Text() const { return text_; }

 private:
  std::wstring text_;
};

void AddTypeTags(const StructureRecord& record, StructureString& s) {
  const int type = record.structureType;
  if (type >= 1 && type <= 5 && record.notes[0] != '\0') s.Tag(L"notes", Wide(record.notes));
  if (type == 1) {
    const StructureType1& t = record.type1;
    if (t.skewAngle >= 0) s.TagReal(L"skew_angle", L"%.0lf", t.skewAngle);
    if (t.length > 0) s.TagReal(L"length", L"%.3lf", t.length);
    if (t.width > 0) s.TagReal(L"width", L"%.3lf", t.width);
    if (t.exception) s.Tag(L"exception", L"Y");
  } else if (type == 2) {
    const StructureType2& t = record.type2;
    if (t.typeText[0] != '\0') s.Tag(L"type", Wide(t.typeText));
    if (t.length > 0) s.TagReal(L"length", L"%.3lf", t.length);
    if (t.width > 0) s.TagReal(L"width", L"%.3lf", t.width);
    if (t.exception) s.Tag(L"exception", L"Y");
    s.Tag(L"element", FormatSectionValue(L"%i", t.element));
  } else if (type == 3 || type == 4) {
    const StructureType34& t = record.type34;
    if (t.shape[0] != '\0') s.Tag(L"shape", Wide(t.shape));
    if (t.inletType[0] != '\0') s.Tag(L"inlet_type", Wide(t.inletType));
    if (t.material[0] != '\0') s.Tag(L"material", Wide(t.material));
    const std::pair<const wchar_t*, double> dimensions[] = {
        {L"length", t.length}, {L"_e_", t.e},   {L"_n_", t.n},   {L"_h_", t.h},
        {L"_X_", t.x},         {L"_Y_", t.y},   {L"_Y1_", t.y1}, {L"_Y2_", t.y2},
        {L"tss", t.tss},       {L"tsbs", t.tsbs}, {L"tsbd", t.tsbd}};
    for (const auto& [name, value] : dimensions)
      if (value > 0) s.TagReal(name, L"%.3lf", value);
    if (t.exception) s.Tag(L"exception", L"Y");
    s.Tag(L"in_or_out_type", t.inOrOut != 0 ? L"O" : L"I");
  }
}

std::wstring PointString(int index, const StructurePoint& point) {
  StructureString s(L'6', FormatSectionValue(L"%i", index));
  s.Add(L",");
  s.Add(Wide(point.code));
  s.Add(L",");
  s.Add(FormatSectionValue(L"%.3lf", point.realA));
  s.Add(L",");
  s.Add(FormatSectionValue(L"%.3lf", point.realB));
  s.Add(L",");
  s.Add(Wide(point.text));
  s.Add(L",");
  if (point.irregularity[0] != '\0') s.Tag(L"irregulalarity", Wide(point.irregularity));
  if (point.surface[0] != '\0') s.Tag(L"surface", Wide(point.surface));
  if (point.vegetation[0] != '\0') s.Tag(L"vegetation", Wide(point.vegetation));
  return s.Text();
}

bool PointsUsable(const GrowArray& points) {
  return points.marker == kGrowArrayMarker && points.elementSize >= sizeof(StructurePoint);
}

// Stores a point at `index` through a buffer of the array's element size.
bool StorePoint(GrowArray& points, int index, const StructurePoint& point) {
  std::vector<unsigned char> element(points.elementSize, 0);
  std::memcpy(element.data(), &point, sizeof point);
  return GrowArraySet(&points, index, element.data());
}

StructurePoint DefaultPoint() {
  StructurePoint point{};
  point.realA = kUnsetReal;
  point.realB = kUnsetReal;
  CopyField(point.surface, "NONE");
  CopyField(point.vegetation, "NONE");
  CopyField(point.irregularity, "NONE");
  return point;
}

std::vector<std::wstring_view> SplitAtCommas(std::wstring_view text, std::size_t maxFields) {
  std::vector<std::wstring_view> fields;
  while (fields.size() + 1 < maxFields) {
    const std::size_t comma = text.find(L',');
    if (comma == std::wstring_view::npos) break;
    fields.push_back(text.substr(0, comma));
    text.remove_prefix(comma + 1);
  }
  fields.push_back(text);
  return fields;
}

// Calls `tag(key, value)` for the tag at each '<' of `text`.
template <typename Tag>
void ForEachTag(std::wstring_view text, Tag&& tag) {
  const std::wstring terminated(text);
  wchar_t key[kTagTextSize];
  wchar_t value[kTagTextSize];
  for (std::size_t at = terminated.find(L'<'); at != std::wstring::npos;
       at = terminated.find(L'<', at + 1)) {
    if (GetTagValue(terminated.c_str() + at, key, value)) tag(std::wstring_view(key), std::wstring_view(value));
  }
}

void ReadPoint(bool tagged, std::wstring_view value, StructureRecord& record, int vertices) {
  const std::vector<std::wstring_view> fields = SplitAtCommas(value, 6);
  if (fields.empty() || fields[0].empty()) return;
  const std::int32_t index = SectionInt(fields[0]);
  StructurePoint point = DefaultPoint();
  if (fields.size() > 1 && !fields[1].empty()) SetNarrow(point.code, fields[1]);
  if (fields.size() > 2 && !fields[2].empty()) point.realA = SectionReal(fields[2]);
  if (fields.size() > 3 && !fields[3].empty()) point.realB = SectionReal(fields[3]);
  if (fields.size() > 4 && !fields[4].empty()) SetNarrow(point.text, fields[4], 63);
  if (tagged && fields.size() > 5) {
    ForEachTag(fields[5], [&](std::wstring_view key, std::wstring_view tagValue) {
      if (SameTextIgnoringCase(key, L"irregulalarity")) SetNarrow(point.irregularity, tagValue);
      else if (SameTextIgnoringCase(key, L"surface")) SetNarrow(point.surface, tagValue);
      else if (SameTextIgnoringCase(key, L"vegetation")) SetNarrow(point.vegetation, tagValue);
    });
  }
  if (index >= 0 && index < vertices) (void)StorePoint(record.points, index, point);
}

void SetTypeDefaults(StructureRecord& record) {
  const int type = record.structureType;
  if (type < 1 || type > 5) return;
  CopyField(record.code, WideToNarrow(kSectionMarkerCode));
  record.notes[0] = '\0';
  if (type == 1) {
    record.type1 = StructureType1{-1.0, -1.0, -1.0, false};
  } else if (type == 2) {
    record.type2 = StructureType2{};
    record.type2.element = 1;
    record.type2.length = -1.0;
    record.type2.width = -1.0;
  } else if (type == 3 || type == 4) {
    StructureType34& t = record.type34;
    t = StructureType34{};
    t.inOrOut = type == 3 ? 0 : 1;
    for (double* d : {&t.e, &t.n, &t.h, &t.x, &t.y, &t.y1, &t.y2, &t.tss, &t.tsbs, &t.tsbd, &t.length})
      *d = -1.0;
  }
}

void ReadTypeTag(std::wstring_view key, std::wstring_view value, StructureRecord& record) {
  const int type = record.structureType;
  auto is = [&](const wchar_t* name) { return SameTextIgnoringCase(key, name); };
  if (is(L"notes")) {
    if (type >= 1 && type <= 5) SetNarrow(record.notes, value);
    return;
  }
  const bool exception = value.empty() || value[0] != L'N';
  if (type == 1) {
    StructureType1& t = record.type1;
    if (is(L"skew_angle")) t.skewAngle = SectionReal(value);
    else if (is(L"length")) t.length = SectionReal(value);
    else if (is(L"width")) t.width = SectionReal(value);
    else if (is(L"exception")) t.exception = exception;
  } else if (type == 2) {
    StructureType2& t = record.type2;
    if (is(L"type")) SetNarrow(t.typeText, value);
    else if (is(L"length")) t.length = SectionReal(value);
    else if (is(L"width")) t.width = SectionReal(value);
    else if (is(L"exception")) t.exception = exception;
    else if (is(L"element")) t.element = SectionInt(value);
  } else if (type == 3 || type == 4) {
    StructureType34& t = record.type34;
    const std::pair<const wchar_t*, double*> dimensions[] = {
        {L"length", &t.length}, {L"_e_", &t.e},   {L"_n_", &t.n},   {L"_h_", &t.h},
        {L"_X_", &t.x},         {L"_Y_", &t.y},   {L"_Y1_", &t.y1}, {L"_Y2_", &t.y2},
        {L"tss", &t.tss},       {L"tsbs", &t.tsbs}, {L"tsbd", &t.tsbd}};
    for (const auto& [name, field] : dimensions) {
      if (is(name)) {
        *field = SectionReal(value);
        return;
      }
    }
    if (is(L"shape")) SetNarrow(t.shape, value);
    else if (is(L"inlet_type")) SetNarrow(t.inletType, value);
    else if (is(L"material")) SetNarrow(t.material, value);
    else if (is(L"exception")) t.exception = exception;
    else if (is(L"in_or_out_type")) t.inOrOut = !value.empty() && value[0] == L'I' ? 0 : 1;
  }
}

void ReadType(std::wstring_view value, StructureRecord& record) {
  record.structureType = SectionInt(value);
  if (record.structureType < 0 || record.structureType > 5 || value.size() < 2) return;
  const std::wstring_view tags = value.substr(1);
  SetTypeDefaults(record);
  ForEachTag(tags, [&](std::wstring_view key, std::wstring_view tagValue) {
    ReadTypeTag(key, tagValue, record);
  });
}

// Calls `visit(key, value)` for every class '3' string after a 1001 group
// whose name `ours` accepts.
template <typename Ours, typename Visit>
void WalkStructureData(const EntityList& list, Ours&& ours, Visit&& visit) {
  bool inData = false;
  for (const Group& group : list) {
    if (group.code == 1001) {
      inData = group.Text() != nullptr && ours(*group.Text());
    } else if (group.code == 1000 && inData) {
      const std::wstring* text = group.Text();
      if (text != nullptr && text->size() >= 2 && (*text)[0] == L'3')
        visit((*text)[1], std::wstring_view(*text).substr(2));
    }
  }
}

}  // namespace

bool WriteStructureXdata(host::EntityName entity, const StructureRecord& record) {
  (void)EnsureSectionRegApp();
  std::optional<EntityList> list = host::db::GetEntityList(entity);
  if (!list || !IsEntityOfType(*list, {L"LINE", L"POLYLINE", L"LWPOLYLINE"})) return false;

  std::vector<std::wstring> strings;
  strings.push_back(StructureString(L'0', record.structureFlag != 0 ? L"1" : L"0").Text());
  strings.push_back(StructureString(L'1', FormatSectionValue(L"%.3lf", record.real1)).Text());
  strings.push_back(StructureString(L'2', FormatSectionValue(L"%i", record.integer2)).Text());
  strings.push_back(StructureString(L'4', FormatSectionValue(L"%.3lf", record.real4)).Text());
  strings.push_back(StructureString(L'5', Wide(record.text5)).Text());
  if (record.structureType >= 0 && record.structureType <= 5) {
    StructureString type(L'7', FormatSectionValue(L"%i", record.structureType));
    if (std::string_view(record.code, strnlen(record.code, sizeof record.code)) ==
        WideToNarrow(kSectionMarkerCode))
      AddTypeTags(record, type);
    strings.push_back(type.Text());
  }
  const int pointCount = PointsUsable(record.points) ? GrowArrayGetCount(&record.points) : 0;
  std::size_t pointBytes = 0;
  // The byte limit always comes first: the shortest point string ("36", the
  // index, five commas and two reals at their shortest, "nan") takes
  // 2 x (13 + index digits) bytes, so 13000 bytes are passed by the 414th
  // string. The point limit stays as the bound stored data was made with;
  // no drawing can reach it.
  for (int index = 0; index < pointCount && index < kMaxStructurePoints &&
                      pointBytes < static_cast<std::size_t>(kMaxStructurePointBytes);
       ++index) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&record.points, index, &slot)) break;
    StructurePoint point;
    std::memcpy(&point, slot, sizeof point);
    strings.push_back(PointString(index, point));
    pointBytes += 2 * strings.back().size();
  }

  list->emplace_back(-3, host::db::Value{});
  list->emplace_back(1001, kSectionAppName);
  list->emplace_back(1002, L"{");
  for (std::wstring& text : strings) list->emplace_back(1000, std::move(text));
  list->emplace_back(1002, L"}");
  return host::db::ModifyEntity(*list) == host::db::ModifyResult::kOk;
}

bool ReadStructureXdata(host::EntityName entity, StructureRecord& record) {
  (void)EnsureSectionRegApp();
  if (!PointsUsable(record.points)) return false;
  record.structureFlag = -1;
  record.integer2 = -1;
  record.structureType = -1;
  record.real1 = kUnsetReal;
  record.real4 = 0.0;
  record.text5[0] = '\0';

  const int vertices = CountEntityVertices(entity);
  const StructurePoint unset = DefaultPoint();
  for (int index = 0; index < vertices; ++index)
    if (!StorePoint(record.points, index, unset)) return false;

  // Every application's data: a stored name with '?' in place of letters
  // counts as the section tools' too.
  std::optional<EntityList> list = host::db::GetEntityList(entity, {L"*"});
  if (!list) return false;
  bool seen0 = false, seen1 = false, seen2 = false;
  WalkStructureData(
      *list, [](const std::wstring& name) { return WildcardMatch(name.c_str(), kSectionAppName); },
      [&](wchar_t key, std::wstring_view value) {
        switch (key) {
          case L'0': record.structureFlag = SectionInt(value); seen0 = true; break;
          case L'1': record.real1 = SectionReal(value); seen1 = true; break;
          case L'2': record.integer2 = SectionInt(value); seen2 = true; break;
          case L'4': record.real4 = SectionReal(value); break;
          case L'5': SetNarrow(record.text5, value); break;
          case L'3': ReadPoint(false, value, record, vertices); break;
          case L'6': ReadPoint(true, value, record, vertices); break;
          case L'7': ReadType(value, record); break;
          default: break;
        }
      });
  return seen0 && seen1 && seen2;
}

bool ReadStructureSummary(host::EntityName entity, std::int32_t& structureFlag, double& real1,
                          std::int32_t& integer2) {
  (void)EnsureSectionRegApp();
  structureFlag = -1;
  real1 = kUnsetReal;
  integer2 = -1;
  std::optional<EntityList> list = host::db::GetEntityList(entity, {kSectionAppName});
  if (!list) return false;
  bool seen0 = false, seen1 = false, seen2 = false;
  WalkStructureData(
      *list, [](const std::wstring& name) { return SameTextIgnoringCase(name, kSectionAppName); },
      [&](wchar_t key, std::wstring_view value) {
        if (key == L'0') { structureFlag = SectionInt(value); seen0 = true; }
        else if (key == L'1') { real1 = SectionReal(value); seen1 = true; }
        else if (key == L'2') { integer2 = SectionInt(value); seen2 = true; }
      });
  return seen0 && seen1 && seen2;
}

int CountEntityVertices(host::EntityName entity) {
  std::optional<EntityList> list = host::db::GetEntityList(entity, {L"*"});
  if (!list) return 0;
  int count = 0;
  if (IsEntityOfType(*list, {L"POLYLINE"})) {
    const Group* flags = host::db::FindGroup(*list, 70);
    const bool splined = flags != nullptr && (flags->Int() & 4) != 0;
    if (splined) host::Print(L"\nOperating on **SPLINED** Polyline.\n");
    for (host::EntityName next = host::db::NextEntity(entity); !next.IsNull();
         next = host::db::NextEntity(next)) {
      std::optional<EntityList> vertex = host::db::GetEntityList(next);
      if (!vertex || host::db::FindGroup(*vertex, -2) != nullptr) break;
      if (host::db::FindGroup(*vertex, 10) == nullptr) continue;
      const Group* vertexFlags = host::db::FindGroup(*vertex, 70);
      if (splined && vertexFlags != nullptr && (vertexFlags->Int() & 16) != 0) continue;
      ++count;
    }
  } else if (IsEntityOfType(*list, {L"LWPOLYLINE"})) {
    bool point = false;
    bool bulge = false;
    for (const Group& group : *list) {
      if (group.code == -2 || group.code == -3) break;
      if (group.code == 10) point = true;
      if (group.code == 42) bulge = true;
      if (point && bulge) {
        ++count;
        point = bulge = false;
      }
    }
  } else if (IsEntityOfType(*list, {L"LINE"})) {
    count = 2;
  }
  return count >= 2 ? count : 0;
}
