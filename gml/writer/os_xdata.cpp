#include "gml/writer/os_xdata.h"

#include <array>
#include <cstdio>

#include "common/containers/text.h"
#include "gml/settings/settings_record.h"
#include "host/db/entity_list.h"

using host::db::EntityList;
using host::db::Group;

namespace {

constexpr std::string_view kTagIndexChars = "0123456789ABCDEFGH";
// The writers build each string in a buffer of 1024 wide characters.
constexpr std::size_t kTagStringChars = 1023;

// The values of the 15 tags of group 0, narrow, in tag order.
using Group0Values = std::array<std::string, 15>;

std::string Int(std::int32_t value) { return std::to_string(value); }

std::string Measure(double measure) {
  if (!(measure >= 0)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", measure);
  return text;
}

void OpenBlock(EntityList* chain, bool braces) {
  chain->emplace_back(1001, host::db::Value(OsXdataAppName()));
  if (braces) chain->emplace_back(1002, L"{");
}

void CloseBlock(EntityList* chain) { chain->emplace_back(1002, L"}"); }

void AppendTag(EntityList* chain, int group, int index, std::string_view value) {
  std::wstring text;
  text += static_cast<wchar_t>(L'0' + group);
  text += static_cast<wchar_t>(TagIndexChar(index));
  text += NarrowToWide(value);
  if (text.size() > kTagStringChars) text.resize(kTagStringChars);
  chain->emplace_back(1000, host::db::Value(std::move(text)));
}

EntityList Group0Block(const Group0Values& values) {
  EntityList chain;
  OpenBlock(&chain, true);
  for (int i = 0; i < static_cast<int>(values.size()); ++i) AppendTag(&chain, 0, i, values[i]);
  CloseBlock(&chain);
  return chain;
}

EntityList MinimalBlock(std::string_view toid, std::int32_t version, OsFeatureKind kind) {
  EntityList chain;
  OpenBlock(&chain, true);
  AppendTag(&chain, 0, 1, toid);
  AppendTag(&chain, 0, 10, Int(version));
  AppendTag(&chain, 0, 11, Int(static_cast<std::int32_t>(kind)));
  CloseBlock(&chain);
  return chain;
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
  const CommonAttributes& c = r.common;
  return Group0Block({std::string(FieldText(c.featureCode)), std::string(FieldText(c.toid)),
                      std::string(FieldText(c.make)), std::string(FieldText(c.changeDate)),
                      std::string(FieldText(c.reasonForChange)), std::string(FieldText(c.descriptiveTerm)),
                      std::string(FieldText(c.descriptiveGroup)), std::string(FieldText(c.theme)),
                      std::string(FieldText(c.versionDate)), Int(r.physicalLevel), Int(r.version),
                      Int(static_cast<std::int32_t>(kind)), Measure(measure),
                      std::string(FieldText(r.accuracyOfPosition)),
                      std::string(FieldText(r.physicalPresence))});
}

EntityList FillOsXdataMinimal(const PointFeatureRecord& r, OsFeatureKind kind) {
  return MinimalBlock(FieldText(r.common.toid), r.version, kind);
}

EntityList FillItnNodeXdataFields(const RoadNodeRecord& n, OsFeatureKind kind, double measure) {
  return Group0Block({"", std::string(FieldText(n.toid)), "", std::string(FieldText(n.changeDate)),
                      std::string(FieldText(n.reasonForChange)), std::string(FieldText(n.descriptiveTerm)),
                      std::string(FieldText(n.descriptiveGroup)), std::string(FieldText(n.theme)),
                      std::string(FieldText(n.versionDate)), "", Int(n.version),
                      Int(static_cast<std::int32_t>(kind)), Measure(measure), "", ""});
}

EntityList FillItnNodeXdataMinimal(const RoadNodeRecord& n, OsFeatureKind kind) {
  return MinimalBlock(FieldText(n.toid), n.version, kind);
}

EntityList FillAddressXdataFields(const AddressPointRecord& address,
                                  const OS_GML_ACAD_Definitions& settings) {
  EntityList chain;
  OpenBlock(&chain, true);
  int group = 0;
  int index = 0;
  for (const AddressTag& tag : kAddressTags) {
    if (tag.group != group) {
      group = tag.group;
      index = 0;
    }
    const bool read = tag.readSwitch == nullptr || settings.*tag.readSwitch != 0;
    AppendTag(&chain, tag.group, index++, read ? tag.value(address) : std::string());
  }
  CloseBlock(&chain);
  return chain;
}

EntityList FillAddressXdataMinimal(const AddressPointRecord& address) {
  EntityList chain;
  OpenBlock(&chain, true);
  AppendTag(&chain, 1, 0, FieldText(address.toid));
  AppendTag(&chain, 1, 2, FieldText(address.versionDate));
  AppendTag(&chain, 1, 3, Int(address.version));
  CloseBlock(&chain);
  return chain;
}

EntityList FillSolidHatchXdata(const char* toid, std::int32_t version) {
  EntityList chain;
  OpenBlock(&chain, false);
  AppendTag(&chain, 0, 1, toid);
  AppendTag(&chain, 0, 10, Int(version));
  AppendTag(&chain, 0, 11, Int(static_cast<std::int32_t>(OsFeatureKind::kAreaHatch)));
  return chain;
}

// ---- Adapters -------------------------------------------------------------------

PointFeatureRecord PointLayoutOf(const LineFeatureRecord& line) {
  PointFeatureRecord p{};
  CopyCommon(line.common, &p);
  CopyField(p.accuracyOfPosition, FieldText(line.accuracyOfPosition));
  CopyField(p.physicalPresence, FieldText(line.physicalPresence));
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
  CopyField(c.make, make);  // cut to the make field's 32 characters
  CopyField(c.changeDate, FieldText(r.changeDate));
  CopyField(c.reasonForChange, FieldText(r.reasonForChange));
  CopyField(c.descriptiveTerm, FieldText(r.descriptiveTerm));
  CopyField(c.descriptiveGroup, FieldText(r.descriptiveGroup));
  CopyField(c.theme, FieldText(r.theme));
  CopyField(c.versionDate, FieldText(r.versionDate));
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

bool WriteOsXdata(host::db::Database& db, host::db::ObjectId entity, const PointFeatureRecord& record,
                  OsFeatureKind kind, double measure) {
  return SetOsXdata(db, entity, FillOsXdataFields(record, kind, measure));
}
bool WriteOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                         const PointFeatureRecord& record, OsFeatureKind kind) {
  return SetOsXdata(db, entity, FillOsXdataMinimal(record, kind));
}
bool WriteLineOsXdata(host::db::Database& db, host::db::ObjectId entity, const LineFeatureRecord& line,
                      OsFeatureKind kind) {
  return WriteOsXdata(db, entity, PointLayoutOf(line), kind, -1.0);
}
bool WriteLineOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                             const LineFeatureRecord& line, OsFeatureKind kind) {
  return WriteOsXdataMinimal(db, entity, PointLayoutOf(line), kind);
}
bool WriteTextOsXdata(host::db::Database& db, host::db::ObjectId entity, const TextFeatureRecord& text,
                      OsFeatureKind kind) {
  return WriteOsXdata(db, entity, PointLayoutOf(text), kind, -1.0);
}
bool WriteTextOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                             const TextFeatureRecord& text, OsFeatureKind kind) {
  return WriteOsXdataMinimal(db, entity, PointLayoutOf(text), kind);
}
bool WriteAreaOsXdata(host::db::Database& db, host::db::ObjectId entity, const AreaFeatureRecord& area,
                      OsFeatureKind kind) {
  return WriteOsXdata(db, entity, PointLayoutOf(area), kind, area.attributes.calculatedAreaValue);
}
bool WriteAreaOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                             const AreaFeatureRecord& area, OsFeatureKind kind) {
  return WriteOsXdataMinimal(db, entity, PointLayoutOf(area), kind);
}
bool WriteRoadLinkOsXdata(host::db::Database& db, host::db::ObjectId entity, const RoadLinkRecord& link,
                          OsFeatureKind kind) {
  return WriteOsXdata(db, entity, PointLayoutOf(link), kind, link.length);
}
bool WriteRoadLinkOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                                 const RoadLinkRecord& link, OsFeatureKind kind) {
  return WriteOsXdataMinimal(db, entity, PointLayoutOf(link), kind);
}
bool WriteRoadOsXdata(host::db::Database& db, host::db::ObjectId entity, const RoadRecord& road,
                      OsFeatureKind kind) {
  return WriteOsXdata(db, entity, PointLayoutOf(road), kind, 0.0);
}
bool WriteRoadOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity, const RoadRecord& road,
                             OsFeatureKind kind) {
  return WriteOsXdataMinimal(db, entity, PointLayoutOf(road), kind);
}
bool WriteItnNodeXdata(host::db::Database& db, host::db::ObjectId entity, const RoadNodeRecord& node,
                       OsFeatureKind kind, double measure) {
  return SetOsXdata(db, entity, FillItnNodeXdataFields(node, kind, measure));
}
bool WriteItnNodeXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                              const RoadNodeRecord& node, OsFeatureKind kind) {
  return SetOsXdata(db, entity, FillItnNodeXdataMinimal(node, kind));
}
bool WriteAddressXdata(host::db::Database& db, host::db::ObjectId entity,
                       const AddressPointRecord& address, const OS_GML_ACAD_Definitions& settings) {
  return SetOsXdata(db, entity, FillAddressXdataFields(address, settings));
}
bool WriteAddressXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                              const AddressPointRecord& address) {
  return SetOsXdata(db, entity, FillAddressXdataMinimal(address));
}
bool WriteSolidHatchXdata(host::db::Database& db, host::db::ObjectId entity, const AreaFeatureRecord& area) {
  return SetOsXdata(db, entity,
                    FillSolidHatchXdata(area.attributes.common.toid, area.attributes.version));
}

// ---- Batch-location mark --------------------------------------------------------

bool WriteBatchLocationXdata(host::db::Database& db, host::db::ObjectId entity, std::string_view name,
                             std::wstring_view app) {
  std::wstring value = L"00" + NarrowToWide(name.substr(0, kBatchLocationNameChars));
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
        WideToNarrow(out, capacity, text->c_str() + 2);
    }
  }
  return out[0] != 0;
}
