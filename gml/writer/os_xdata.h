// The OS attribute xdata of imported entities, and the batch-location mark.
//
// Every entity drawn for an OS MasterMap feature carries one block of
// extended data under the application OsXdataAppName(): the update run finds
// entities again by the TOID and version in it, the inspection commands read
// it back (os_xdata_record.h).
//
// Layout of a block, in order:
//   1001  application name
//   1002  "{"
//   1000  one string per tag: group character, index character, value
//   1002  "}"
// A tag's index character is its place in its group: '0'..'9', then 'A'..'H'
// for 10..17. A value may be empty; the string is then the two tag
// characters alone.
//
// Group 0 (15 tags, topographic and ITN features):
//   00 feature code   01 TOID          02 make (ITN links: nature of road,
//   03 change date    04 reason         roads: road name, cut to 32)
//   05 desc. term     06 desc. group   07 theme      08 version date
//   09 physical level ("%i"; empty for nodes, "0" for links and roads)
//   0A version ("%i") 0B kind ("%i", OsFeatureKind)
//   0C measure ("%.3f" when 0 or more, else empty)
//   0D accuracy of position            0E physical presence
// Groups 1 to 5 (address points, no kind tag): 10..1H the address fields,
// 20..27 BS 7666, 30..31 address authority, 40..44 address status, 50..59
// postal address; groups 2 to 5 always carry all their tags, with empty
// values unless the settings read that group.
//
// Levels: full (every tag of the groups), minimal (01 TOID, 0A version, 0B
// kind; addresses 10 TOID, 12 version date, 13 version), none. A solid hatch
// carries its own short block at every level: 1001 name, "01"+TOID,
// "0A"+version, "0B6", no braces.
//
// The writers set the block on an entity of a database and answer whether
// it was set: false when the entity does not exist, the application is not
// registered in the entity's database, or the chain is refused. An entity
// whose block could not be set keeps the xdata it had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gml/reader/feature_records.h"
#include "host/db/database.h"
#include "host/db/values.h"

class OS_GML_ACAD_Definitions;

// The kind of feature an entity stands for (tag 0B).
enum class OsFeatureKind : std::int32_t {
  kNone = 0,  // drawn without xdata (grid lines, extents)
  kTopoLine = 1,
  kTopoPoint = 2,
  kCartoSymbol = 3,
  kCartoText = 4,
  kAreaOutline = 5,
  kAreaHatch = 6,
  kRoadNode = 7,
  kRoadLink = 8,
  kRoad = 9,
};

// Tag 0B of a symbol planted in an area: no feature of its own, it carries
// its area's TOID (01) and version (0A), so an update retires it with its
// area. A letter, so that no feature kind's first digit takes it.
inline constexpr std::string_view kAreaSymbolKind = "S";

// Attribute levels of "[Attributions to xdata:]".
inline constexpr int kXdataNone = 0;
inline constexpr int kXdataMinimal = 1;
inline constexpr int kXdataFull = 2;

// The pattern of the application name; readers recognise a block by its
// first kOsXdataPrefixLength characters, whatever user code follows.
inline constexpr std::wstring_view kOsXdataAppPattern = L"LARCHWORKS_XGML_OSGB_????????RA";
inline constexpr std::wstring_view kOsXdataPrefix = L"LARCHWORKS_XGML_OSGB_";
inline constexpr std::size_t kOsXdataPrefixLength = 21;
// The user code in place of the question marks, the same in every drawing.
inline constexpr std::wstring_view kOsXdataUserCode = L"VARNELOS";
inline constexpr std::wstring_view kBatchLocationApp = L"LARCHWORKS_XGML_BATC_LOCATIONRA";
// A batch-location name is cut to this many characters.
inline constexpr std::size_t kBatchLocationNameChars = 1021;

// The character of tag index 0..17 ('0'..'9', 'A'..'H') and back (-1 for a
// character outside both ranges).
char TagIndexChar(int index);
int TagIndexOf(wchar_t c);

// The application name: the pattern with the user code in place.
std::wstring BuildOsXdataAppName();
const std::wstring& OsXdataAppName();

// Registers the application name in `db`. True when it is registered
// (newly or already); false when the table refuses it.
[[nodiscard]] bool RegisterOsXdataApp(host::db::Database& db);
// Makes sure `name` is registered in the working drawing: true when it was
// there or has been added.
[[nodiscard]] bool EnsureBatchLocationApp(std::wstring_view name);

// ---- Chains -----------------------------------------------------------------
// The fill steps build a block's groups (1001 group included) from a record.

// Full group 0 from the point layout; a negative measure leaves 0C empty.
host::db::EntityList FillOsXdataFields(const PointFeatureRecord& record, OsFeatureKind kind,
                                       double measure);
host::db::EntityList FillOsXdataMinimal(const PointFeatureRecord& record, OsFeatureKind kind);
host::db::EntityList FillItnNodeXdataFields(const RoadNodeRecord& node, OsFeatureKind kind,
                                            double measure);
host::db::EntityList FillItnNodeXdataMinimal(const RoadNodeRecord& node, OsFeatureKind kind);
// Groups 1 to 5; groups 2 to 5 carry values only when `settings` reads them.
host::db::EntityList FillAddressXdataFields(const AddressPointRecord& address,
                                            const OS_GML_ACAD_Definitions& settings);
host::db::EntityList FillAddressXdataMinimal(const AddressPointRecord& address);
// The solid hatch's block: 01 TOID, 0A version, 0B 6, no braces.
host::db::EntityList FillSolidHatchXdata(const char* toid, std::int32_t version);
host::db::EntityList FillAreaSymbolXdata(const AreaFeatureRecord& area);

// The adapters into the point layout, as group 0 lists their values.
PointFeatureRecord PointLayoutOf(const LineFeatureRecord& line);
PointFeatureRecord PointLayoutOf(const TextFeatureRecord& text);
PointFeatureRecord PointLayoutOf(const AreaFeatureRecord& area);
PointFeatureRecord PointLayoutOf(const RoadLinkRecord& link);
PointFeatureRecord PointLayoutOf(const RoadRecord& road);

// Sets a chain made by a fill step on an entity of `db`.
[[nodiscard]] bool SetOsXdata(host::db::Database& db, host::db::ObjectId entity,
                              const host::db::EntityList& chain);

// ---- Writers ----------------------------------------------------------------
[[nodiscard]] bool WriteOsXdata(host::db::Database& db, host::db::ObjectId entity, const PointFeatureRecord& record,
                                OsFeatureKind kind, double measure);
[[nodiscard]] bool WriteOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity, const PointFeatureRecord& record,
                                       OsFeatureKind kind);
[[nodiscard]] bool WriteLineOsXdata(host::db::Database& db, host::db::ObjectId entity, const LineFeatureRecord& line,
                                    OsFeatureKind kind);
[[nodiscard]] bool WriteLineOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity, const LineFeatureRecord& line,
                                           OsFeatureKind kind);
[[nodiscard]] bool WriteTextOsXdata(host::db::Database& db, host::db::ObjectId entity, const TextFeatureRecord& text,
                                    OsFeatureKind kind);
[[nodiscard]] bool WriteTextOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity, const TextFeatureRecord& text,
                                           OsFeatureKind kind);
[[nodiscard]] bool WriteAreaOsXdata(host::db::Database& db, host::db::ObjectId entity, const AreaFeatureRecord& area,
                                    OsFeatureKind kind);
[[nodiscard]] bool WriteAreaOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity, const AreaFeatureRecord& area,
                                           OsFeatureKind kind);
[[nodiscard]] bool WriteRoadLinkOsXdata(host::db::Database& db, host::db::ObjectId entity, const RoadLinkRecord& link,
                                        OsFeatureKind kind);
[[nodiscard]] bool WriteRoadLinkOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                                               const RoadLinkRecord& link, OsFeatureKind kind);
[[nodiscard]] bool WriteRoadOsXdata(host::db::Database& db, host::db::ObjectId entity, const RoadRecord& road,
                                    OsFeatureKind kind);
[[nodiscard]] bool WriteRoadOsXdataMinimal(host::db::Database& db, host::db::ObjectId entity, const RoadRecord& road,
                                           OsFeatureKind kind);
[[nodiscard]] bool WriteItnNodeXdata(host::db::Database& db, host::db::ObjectId entity, const RoadNodeRecord& node,
                                     OsFeatureKind kind, double measure);
[[nodiscard]] bool WriteItnNodeXdataMinimal(host::db::Database& db, host::db::ObjectId entity, const RoadNodeRecord& node,
                                            OsFeatureKind kind);
[[nodiscard]] bool WriteAddressXdata(host::db::Database& db, host::db::ObjectId entity, const AddressPointRecord& address,
                                     const OS_GML_ACAD_Definitions& settings);
[[nodiscard]] bool WriteAddressXdataMinimal(host::db::Database& db, host::db::ObjectId entity,
                                            const AddressPointRecord& address);
[[nodiscard]] bool WriteSolidHatchXdata(host::db::Database& db, host::db::ObjectId entity, const AreaFeatureRecord& area);
// A planted symbol's block, written whatever the attribute level (as the
// hatch's): "{", 01 its area's TOID, 0A its area's version, 0B "S", "}".
[[nodiscard]] bool WriteAreaSymbolXdata(host::db::Database& db, host::db::ObjectId entity,
                                        const AreaFeatureRecord& area);

// ---- Batch-location mark ----------------------------------------------------
// 1001 application, 1002 "{", 1000 "00"+name (cut to 1021 characters),
// 1002 "}". The name is UTF-8, as location names are kept. The application
// must be registered (EnsureBatchLocationApp).
[[nodiscard]] bool WriteBatchLocationXdata(host::db::Database& db, host::db::ObjectId entity, std::string_view name,
                                           std::wstring_view app = kBatchLocationApp);
// Reads the entity's batch-location block: the value of its last "00"
// string, as UTF-8 into `out` (`capacity` bytes, cut to fit between
// characters). `out` is
// emptied first; true when the name is not empty.
bool ReadBatchLocationName(host::EntityName entity, char* out, std::size_t capacity);
