#include "gml/writer/os_xdata.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "common/containers/text.h"
#include "gml/settings/settings_record.h"
#include "host/db/entity_list.h"

using host::db::EntityList;
using host::db::Group;

namespace {

constexpr std::string_view kTagIndexChars = "0123456789ABCDEFGH";
// The writers build each string in a buffer of 1024 wide characters. No
// string reaches it: every value comes from a record field of at most 128
// characters (or a number), behind a two-character tag.
constexpr std::size_t kTagStringChars = 1023;

std::string Int(std::int32_t value) { return std::to_string(value); }

// The values of the 15 tags of group 0, narrow, in tag order. The numbers
// (tags 09 to 0C) are formatted into the object's own buffers, so the
// values are views and nothing is copied on the way to the chain.
class Group0Values {
 public:
  Group0Values(const CommonAttributes& c, std::string_view accuracy, std::string_view presence) {
    values[0] = FieldText(c.featureCode);
    values[1] = FieldText(c.toid);
    values[2] = FieldText(c.make);
    values[3] = FieldText(c.changeDate);
    values[4] = FieldText(c.reasonForChange);
    values[5] = FieldText(c.descriptiveTerm);
    values[6] = FieldText(c.descriptiveGroup);
    values[7] = FieldText(c.theme);
    values[8] = FieldText(c.versionDate);
    values[13] = accuracy;
    values[14] = presence;
  }
  // Tags 09 (physical level), 0A (version), 0B (kind), as "%d" gives them.
  void SetInt(int tag, std::int32_t value) {
    char* buffer = numbers_[tag - 9];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof numbers_[0] - 1, value);
    values[static_cast<std::size_t>(tag)] =
        std::string_view(buffer, r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - buffer) : 0);
  }
  // Tag 0C: "%.3f" when 0 or more, empty when negative.
  void SetMeasure(double measure) {
    if (measure >= 0) Format(12, "%.3f", measure);
  }

  std::array<std::string_view, 15> values{};

 private:
  template <typename T>
  void Format(int tag, const char* format, T value) {
    char* buffer = numbers_[tag - 9];
    const int n = std::snprintf(buffer, sizeof numbers_[0], format, value);
    values[static_cast<std::size_t>(tag)] =
        std::string_view(buffer, n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof numbers_[0] - 1));
  }
  char numbers_[4][64] = {};
};

Group0Values PointValues(const PointFeatureRecord& r, OsFeatureKind kind, double measure) {
  Group0Values v(r.common, FieldText(r.accuracyOfPosition), FieldText(r.physicalPresence));
  v.SetInt(9, r.physicalLevel);
  v.SetInt(10, r.version);
  v.SetInt(11, static_cast<std::int32_t>(kind));
  v.SetMeasure(measure);
  return v;
}

Group0Values NodeValues(const RoadNodeRecord& n, OsFeatureKind kind, double measure) {
  CommonAttributes c{};
  Group0Values v(c, {}, {});
  v.values[1] = FieldText(n.toid);
  v.values[3] = FieldText(n.changeDate);
  v.values[4] = FieldText(n.reasonForChange);
  v.values[5] = FieldText(n.descriptiveTerm);
  v.values[6] = FieldText(n.descriptiveGroup);
  v.values[7] = FieldText(n.theme);
  v.values[8] = FieldText(n.versionDate);
  v.SetInt(10, n.version);
  v.SetInt(11, static_cast<std::int32_t>(kind));
  v.SetMeasure(measure);
  return v;
}

// Where a block's groups go: a list of groups for the fill steps, whose
// callers read them, or a packed chain for the writers.
class ListSink {
 public:
  void Open(bool braces) {
    chain.emplace_back(1001, host::db::Value(OsXdataAppName()));
    if (braces) chain.emplace_back(1002, L"{");
  }
  void Close() { chain.emplace_back(1002, L"}"); }
  void Tag(int group, int index, std::string_view value) {
    std::wstring text;
    text += static_cast<wchar_t>(L'0' + group);
    text += static_cast<wchar_t>(TagIndexChar(index));
    text += Utf8ToWide(value);
    if (text.size() > kTagStringChars) text.resize(kTagStringChars);
    chain.emplace_back(1000, host::db::Value(std::move(text)));
  }
  EntityList chain;
};

class PackedSink {
 public:
  void Open(bool braces) {
    chain.App(OsXdataAppName());
    if (braces) chain.Text(1002, "{");
  }
  void Close() { chain.Text(1002, "}"); }
  void Tag(int group, int index, std::string_view value) {
    const char head[2] = {static_cast<char>('0' + group), TagIndexChar(index)};
    chain.Utf8Text(1000, std::string_view(head, 2), value, kTagStringChars);
  }
  host::db::XdataChain chain;
};

template <typename Sink>
void Group0Block(Sink* sink, const Group0Values& v) {
  sink->Open(true);
  for (int i = 0; i < static_cast<int>(v.values.size()); ++i)
    sink->Tag(0, i, v.values[static_cast<std::size_t>(i)]);
  sink->Close();
}

template <typename Sink>
void MinimalBlock(Sink* sink, std::string_view toid, std::int32_t version, std::string_view kind) {
  sink->Open(true);
  sink->Tag(0, 1, toid);
  sink->Tag(0, 10, Int(version));
  sink->Tag(0, 11, kind);
  sink->Close();
}

template <typename Sink>
void MinimalBlock(Sink* sink, std::string_view toid, std::int32_t version, OsFeatureKind kind) {
  MinimalBlock(sink, toid, version, Int(static_cast<std::int32_t>(kind)));
}

template <typename Sink>
void AreaSymbolBlock(Sink* sink, const AreaFeatureRecord& area) {
  MinimalBlock(sink, FieldText(area.attributes.common.toid), area.attributes.version, kAreaSymbolKind);
}

template <typename Sink>
void HatchBlock(Sink* sink, std::string_view toid, std::int32_t version) {
  sink->Open(false);
  sink->Tag(0, 1, toid);
  sink->Tag(0, 10, Int(version));
  sink->Tag(0, 11, Int(static_cast<std::int32_t>(OsFeatureKind::kAreaHatch)));
}

template <typename Sink>
EntityList ListOf(Sink&& fill) {
  ListSink sink;
  fill(&sink);
  return std::move(sink.chain);
}

// One tag of the address groups: its group (1..5), the switch of the
// settings that group depends on (none for group 1), and its value.
using AddressSwitch = std::uint8_t OS_GML_ACAD_Definitions::*;
struct AddressTag {
  int group;
  AddressSwitch readSwitch;
  std::string (*value)(const AddressPointRecord&);
};

template <auto Field>
std::string Text(const AddressPointRecord& a) {
  return std::string(FieldText(a.*Field));
}
std::string AddressVersion(const AddressPointRecord& a) { return Int(a.version); }
std::string Occupancy(const AddressPointRecord& a) { return Int(a.multipleOccupancyCount); }
std::string NonGeographic(const AddressPointRecord& a) { return a.nonGeographic ? "1" : "0"; }

using A = AddressPointRecord;
using S = OS_GML_ACAD_Definitions;
// In tag order; a tag's index is its place among the rows of its group.
constexpr AddressTag kAddressTags[] = {
    {1, nullptr, Text<&A::toid>},
    {1, nullptr, Text<&A::theme>},
    {1, nullptr, Text<&A::versionDate>},
    {1, nullptr, AddressVersion},
    {1, nullptr, Text<&A::changeDate>},
    {1, nullptr, Text<&A::reasonForChange>},
    {1, nullptr, Text<&A::osapr>},
    {1, nullptr, Text<&A::department>},
    {1, nullptr, Text<&A::poBox>},
    {1, nullptr, Text<&A::buildingName>},
    {1, nullptr, Text<&A::subBuildingName>},
    {1, nullptr, Text<&A::thoroughfare>},
    {1, nullptr, Text<&A::dependentThoroughfare>},
    {1, nullptr, Text<&A::dependentLocality>},
    {1, nullptr, Text<&A::baseFunction>},
    {1, nullptr, Text<&A::postCode>},
    {1, nullptr, Text<&A::postCodeType>},
    {1, nullptr, Occupancy},
    {2, &S::readBs7666, Text<&A::saon>},
    {2, &S::readBs7666, Text<&A::paon>},
    {2, &S::readBs7666, Text<&A::street>},
    {2, &S::readBs7666, Text<&A::locality>},
    {2, &S::readBs7666, Text<&A::town>},
    {2, &S::readBs7666, Text<&A::adminArea>},
    {2, &S::readBs7666, Text<&A::bs7666PostCode>},
    {2, &S::readBs7666, Text<&A::bs7666PostCodeType>},
    {3, &S::readAddressAuthority, Text<&A::uarn>},
    {3, &S::readAddressAuthority, Text<&A::udprn>},
    {4, &S::readAddressStatus, Text<&A::matchStatus>},
    {4, &S::readAddressStatus, Text<&A::physicalStatus>},
    {4, &S::readAddressStatus, Text<&A::positionalQuality>},
    {4, &S::readAddressStatus, Text<&A::positionalAccuracy>},
    {4, &S::readAddressStatus, Text<&A::structureType>},
    {5, &S::readPostalAddress, NonGeographic},
    {5, &S::readPostalAddress, Text<&A::organisation>},
    {5, &S::readPostalAddress, Text<&A::buildingNumber>},
    {5, &S::readPostalAddress, Text<&A::postalBuildingName>},
    {5, &S::readPostalAddress, Text<&A::postalThoroughfare>},
    {5, &S::readPostalAddress, Text<&A::postTown>},
    {5, &S::readPostalAddress, Text<&A::postalPostCode>},
    {5, &S::readPostalAddress, Text<&A::postalPostCodeType>},
    {5, &S::readPostalAddress, Text<&A::deliveryPointSuffix>},
    {5, &S::readPostalAddress, Text<&A::addressKey>},
};
static_assert(std::size(kAddressTags) == 43, "18 + 8 + 2 + 5 + 10 address tags");

void CopyCommon(const CommonAttributes& common, PointFeatureRecord* p) { p->common = common; }

}  // namespace

char TagIndexChar(int index) {
  if (index < 0 || index >= static_cast<int>(kTagIndexChars.size())) return '?';
  return kTagIndexChars[static_cast<std::size_t>(index)];
}

int TagIndexOf(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'H') return c - L'A' + 10;
  return -1;
}

std::wstring BuildOsXdataAppName() {
  std::wstring name(kOsXdataAppPattern);
  name.replace(kOsXdataPrefixLength, kOsXdataUserCode.size(), kOsXdataUserCode);
  return name;
}

const std::wstring& OsXdataAppName() {
  static const std::wstring name = BuildOsXdataAppName();
  return name;
}

bool RegisterOsXdataApp(host::db::Database& db) {
  return db.RegisterApp(OsXdataAppName()) != host::db::RegisterResult::kInvalidName;
}

bool EnsureBatchLocationApp(std::wstring_view name) {
  host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr) return false;
  return db->RegisterApp(name) != host::db::RegisterResult::kInvalidName;
}

// ---- Chains -------------------------------------------------------------------

EntityList FillOsXdataFields(const PointFeatureRecord& r, OsFeatureKind kind, double measure) {
  return ListOf([&](auto* sink) { Group0Block(sink, PointValues(r, kind, measure)); });
}

EntityList FillOsXdataMinimal(const PointFeatureRecord& r, OsFeatureKind kind) {
  return ListOf([&](auto* sink) { MinimalBlock(sink, FieldText(r.common.toid), r.version, kind); });
}

EntityList FillItnNodeXdataFields(const RoadNodeRecord& n, OsFeatureKind kind, double measure) {
  return ListOf([&](auto* sink) { Group0Block(sink, NodeValues(n, kind, measure)); });
}

EntityList FillItnNodeXdataMinimal(const RoadNodeRecord& n, OsFeatureKind kind) {
  return ListOf([&](auto* sink) { MinimalBlock(sink, FieldText(n.toid), n.version, kind); });
}

namespace {

template <typename Sink>
void AddressBlock(Sink* sink, const AddressPointRecord& address, const OS_GML_ACAD_Definitions& settings) {
  sink->Open(true);
  int group = 0;
  int index = 0;
  for (const AddressTag& tag : kAddressTags) {
    if (tag.group != group) {
      group = tag.group;
      index = 0;
    }
    const bool read = tag.readSwitch == nullptr || settings.*tag.readSwitch != 0;
    sink->Tag(tag.group, index++, read ? tag.value(address) : std::string());
  }
  sink->Close();
}

template <typename Sink>
void AddressMinimalBlock(Sink* sink, const AddressPointRecord& address) {
  sink->Open(true);
  sink->Tag(1, 0, FieldText(address.toid));
  sink->Tag(1, 2, FieldText(address.versionDate));
  sink->Tag(1, 3, Int(address.version));
  sink->Close();
}

}  // namespace

EntityList FillAddressXdataFields(const AddressPointRecord& address,
                                  const OS_GML_ACAD_Definitions& settings) {
  return ListOf([&](auto* sink) { AddressBlock(sink, address, settings); });
}

EntityList FillAddressXdataMinimal(const AddressPointRecord& address) {
  return ListOf([&](auto* sink) { AddressMinimalBlock(sink, address); });
}

EntityList FillSolidHatchXdata(const char* toid, std::int32_t version) {
  return ListOf([&](auto* sink) { HatchBlock(sink, toid, version); });
}

EntityList FillAreaSymbolXdata(const AreaFeatureRecord& area) {
  return ListOf([&](auto* sink) { AreaSymbolBlock(sink, area); });
}

// ---- Adapters -------------------------------------------------------------------

PointFeatureRecord PointLayoutOf(const LineFeatureRecord& line) {
  PointFeatureRecord p{};
  CopyCommon(line.common, &p);
  CopyUtf8Field(p.accuracyOfPosition, FieldText(line.accuracyOfPosition));
  CopyUtf8Field(p.physicalPresence, FieldText(line.physicalPresence));
  p.physicalLevel = line.physicalLevel;
  p.version = line.version;
  return p;
}

PointFeatureRecord PointLayoutOf(const TextFeatureRecord& text) {
  PointFeatureRecord p{};
  CopyCommon(text.common, &p);
  p.physicalLevel = text.physicalLevel;
  p.version = text.version;
  return p;
}

PointFeatureRecord PointLayoutOf(const AreaFeatureRecord& area) {
  PointFeatureRecord p{};
  CopyCommon(area.attributes.common, &p);
  p.physicalLevel = area.attributes.physicalLevel;
  p.version = area.attributes.version;
  return p;
}

namespace {
// The ITN records share the texts of group 0 but lay them out apart.
template <typename Itn>
PointFeatureRecord ItnPointLayout(const Itn& r, std::string_view make) {
  PointFeatureRecord p{};
  CommonAttributes& c = p.common;
  CopyField(c.toid, FieldText(r.toid));
  CopyUtf8Field(c.make, make);  // cut to the make field's 32 characters
  CopyUtf8Field(c.changeDate, FieldText(r.changeDate));
  CopyUtf8Field(c.reasonForChange, FieldText(r.reasonForChange));
  CopyUtf8Field(c.descriptiveTerm, FieldText(r.descriptiveTerm));
  CopyUtf8Field(c.descriptiveGroup, FieldText(r.descriptiveGroup));
  CopyUtf8Field(c.theme, FieldText(r.theme));
  CopyUtf8Field(c.versionDate, FieldText(r.versionDate));
  p.physicalLevel = 0;
  p.version = r.version;
  return p;
}
}  // namespace

PointFeatureRecord PointLayoutOf(const RoadLinkRecord& link) {
  return ItnPointLayout(link, FieldText(link.natureOfRoad));
}

PointFeatureRecord PointLayoutOf(const RoadRecord& road) {
  return ItnPointLayout(road, FieldText(road.roadName));
}

// ---- Writers ----------------------------------------------------------------------

bool SetOsXdata(host::db::Database& db, host::db::ObjectId entity, const EntityList& chain) {
  host::db::Entity* target = db.EntityOf(entity);
  if (target == nullptr || chain.empty() || chain.front().Text() == nullptr) return false;
  if (db.AppId(*chain.front().Text()).IsNull()) return false;
  return target->xdata.Apply(chain);
}

namespace {

// Packs a block straight into the entity's xdata.
template <typename Fill>
bool SetPacked(host::db::Database& db, host::db::ObjectId entity, Fill&& fill) {
  host::db::Entity* target = db.EntityOf(entity);
  if (target == nullptr || db.AppId(OsXdataAppName()).IsNull()) return false;
  // One buffer for every block, so that building one allocates nothing; the
  // entity keeps a copy sized to fit.
  thread_local PackedSink sink;
  sink.chain.Clear();
  fill(&sink);
  return target->xdata.Apply(sink.chain);
}

bool SetGroup0(host::db::Database& db, host::db::ObjectId entity, const Group0Values& values) {
  return SetPacked(db, entity, [&](PackedSink* sink) { Group0Block(sink, values); });
}

bool SetMinimal(host::db::Database& db, host::db::ObjectId entity, std::string_view toid,
                std::int32_t version, OsFeatureKind kind) {
  return SetPacked(db, entity, [&](PackedSink* sink) { MinimalBlock(sink, toid, version, kind); });
}

// Group 0 of a record that carries the common attributes itself.
template <typename Record>
Group0Values CommonValues(const CommonAttributes& common, const Record& r, std::string_view accuracy,
                          std::string_view presence, OsFeatureKind kind, double measure) {
  Group0Values v(common, accuracy, presence);
  v.SetInt(9, r.physicalLevel);
  v.SetInt(10, r.version);
  v.SetInt(11, static_cast<std::int32_t>(kind));
  v.SetMeasure(measure);
  return v;
}

}  // namespace

bool WriteOsXdata(host::db::Database& db, host::db::ObjectId entity, const PointFeatureRecord& record,
                  OsFeatureKind kind, double measure) {
  return SetGroup0(db, entity, PointValues(record, kind, measure));
}
bool WriteOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                         const PointFeatureRecord& record, OsFeatureKind kind) {
  return SetMinimal(db, entity, FieldText(record.common.toid), record.version, kind);
}
bool WriteLineOsXdata(host::db::Database& db, host::db::ObjectId entity, const LineFeatureRecord& line,
                      OsFeatureKind kind) {
  return SetGroup0(db, entity,
                   CommonValues(line.common, line, FieldText(line.accuracyOfPosition),
                                FieldText(line.physicalPresence), kind, -1.0));
}
bool WriteLineOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                             const LineFeatureRecord& line, OsFeatureKind kind) {
  return SetMinimal(db, entity, FieldText(line.common.toid), line.version, kind);
}
bool WriteTextOsXdata(host::db::Database& db, host::db::ObjectId entity, const TextFeatureRecord& text,
                      OsFeatureKind kind) {
  return SetGroup0(db, entity, CommonValues(text.common, text, {}, {}, kind, -1.0));
}
bool WriteTextOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                             const TextFeatureRecord& text, OsFeatureKind kind) {
  return SetMinimal(db, entity, FieldText(text.common.toid), text.version, kind);
}
bool WriteAreaOsXdata(host::db::Database& db, host::db::ObjectId entity, const AreaFeatureRecord& area,
                      OsFeatureKind kind) {
  return SetGroup0(db, entity,
                   CommonValues(area.attributes.common, area.attributes, {}, {}, kind,
                                area.attributes.calculatedAreaValue));
}
bool WriteAreaOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                             const AreaFeatureRecord& area, OsFeatureKind kind) {
  return SetMinimal(db, entity, FieldText(area.attributes.common.toid), area.attributes.version, kind);
}
bool WriteRoadLinkOsXdata(host::db::Database& db, host::db::ObjectId entity, const RoadLinkRecord& link,
                          OsFeatureKind kind) {
  return WriteOsXdata(db, entity, PointLayoutOf(link), kind, link.length);
}
bool WriteRoadLinkOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                                 const RoadLinkRecord& link, OsFeatureKind kind) {
  return SetMinimal(db, entity, FieldText(link.toid), link.version, kind);
}
bool WriteRoadOsXdata(host::db::Database& db, host::db::ObjectId entity, const RoadRecord& road,
                      OsFeatureKind kind) {
  return WriteOsXdata(db, entity, PointLayoutOf(road), kind, 0.0);
}
bool WriteRoadOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity, const RoadRecord& road,
                             OsFeatureKind kind) {
  return SetMinimal(db, entity, FieldText(road.toid), road.version, kind);
}
bool WriteItnNodeXdata(host::db::Database& db, host::db::ObjectId entity, const RoadNodeRecord& node,
                       OsFeatureKind kind, double measure) {
  return SetGroup0(db, entity, NodeValues(node, kind, measure));
}
bool WriteItnNodeXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                              const RoadNodeRecord& node, OsFeatureKind kind) {
  return SetMinimal(db, entity, FieldText(node.toid), node.version, kind);
}
bool WriteAddressXdata(host::db::Database& db, host::db::ObjectId entity,
                       const AddressPointRecord& address, const OS_GML_ACAD_Definitions& settings) {
  return SetPacked(db, entity, [&](PackedSink* sink) { AddressBlock(sink, address, settings); });
}
bool WriteAddressXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                              const AddressPointRecord& address) {
  return SetPacked(db, entity, [&](PackedSink* sink) { AddressMinimalBlock(sink, address); });
}
bool WriteSolidHatchXdata(host::db::Database& db, host::db::ObjectId entity, const AreaFeatureRecord& area) {
  return SetPacked(db, entity, [&](PackedSink* sink) {
    HatchBlock(sink, FieldText(area.attributes.common.toid), area.attributes.version);
  });
}

bool WriteAreaSymbolXdata(host::db::Database& db, host::db::ObjectId entity,
                          const AreaFeatureRecord& area) {
  return SetPacked(db, entity, [&](PackedSink* sink) { AreaSymbolBlock(sink, area); });
}

// ---- Batch-location mark --------------------------------------------------------

bool WriteBatchLocationXdata(host::db::Database& db, host::db::ObjectId entity, std::string_view name,
                             std::wstring_view app) {
  std::wstring value = L"00" + Utf8ToWide(name).substr(0, kBatchLocationNameChars);
  EntityList chain;
  chain.emplace_back(1001, host::db::Value(std::wstring(app)));
  chain.emplace_back(1002, L"{");
  chain.emplace_back(1000, host::db::Value(std::move(value)));
  chain.emplace_back(1002, L"}");
  return SetOsXdata(db, entity, chain);
}

bool ReadBatchLocationName(host::EntityName entity, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = 0;
  std::optional<EntityList> list =
      host::db::GetEntityList(entity, {std::wstring(kBatchLocationApp)});
  if (!list) return false;
  bool inBlock = false;
  for (const Group& group : *list) {
    if (group.code == 1001) {
      const std::wstring* app = group.Text();
      inBlock = app != nullptr && host::db::SameTableName(*app, kBatchLocationApp);
    } else if (inBlock && group.code == 1000) {
      const std::wstring* text = group.Text();
      if (text != nullptr && text->size() >= 2 && text->compare(0, 2, L"00") == 0)
        CopyUtf8Field(out, capacity, WideToUtf8(text->c_str() + 2));
    }
  }
  return out[0] != 0;
}
