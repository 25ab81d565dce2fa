#include "gml/writer/blocks.h"

#include <optional>
#include <variant>
#include <vector>

#include "common/containers/text.h"
#include "gml/settings/settings_record.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/layers.h"
#include "host/db/blocks.h"
#include "host/db/drawing_file.h"
#include "host/editor/coordinates.h"
#include "host/editor/support_path.h"

using host::db::Database;
using host::db::ObjectId;

namespace {

// Block names are UTF-8, as layer names are (8-bit names of older tables read
// as before).
std::wstring WideName(const char* block) { return Utf8ToWide(block == nullptr ? "" : block); }

// The reference, or null when the block is missing and cannot be loaded.
ObjectId InsertReference(const char* block, host::db::Point3 position, double scale, double rotation,
                         const char* layer, Database& db) {
  if (!BlockExists(block, db) && !LoadBlockFromFile(block, db)) return {};
  ObjectId blockId;
  if (!GetBlockId(block, db, &blockId)) return {};
  host::db::InsertData reference;
  reference.block = blockId.handle;
  reference.position = position;
  reference.rotation = rotation;
  reference.normal = host::UcsToWcs(host::db::Point3{0, 0, 1}, true);
  reference.scale = {scale, scale, scale};
  ObjectId id = db.Append(reference, db.ModelSpace());
  if (!id.IsNull()) PutOnLayer(db, id, layer);
  return id;
}

bool KeepIf(Database& db, ObjectId id, bool xdataSet) {
  if (!xdataSet) db.Erase(id);
  return xdataSet;
}

// True when a block reference anywhere in `db` names `block`.
bool IsReferenced(const Database& db, ObjectId block) {
  for (const host::db::BlockRecord& owner : db.Blocks()) {
    if (owner.erased) continue;
    for (ObjectId id : db.EntitiesIn(db.IdOf(owner.handle))) {
      const host::db::Entity* entity = db.EntityOf(id);
      const auto* reference = entity ? std::get_if<host::db::InsertData>(&entity->data) : nullptr;
      if (reference != nullptr && reference->block == block.handle) return true;
    }
  }
  return false;
}


}  // namespace

bool BlockExists(const char* block, const Database& db) { return !db.Block(WideName(block)).IsNull(); }

bool GetBlockId(const char* block, const Database& db, ObjectId* id) {
  *id = db.Block(WideName(block));
  return !id->IsNull();
}

bool LoadBlockFromFile(const char* block, Database& db) {
  const std::wstring name = WideName(block);
  if (!host::db::IsValidTableName(name)) return false;
  std::optional<std::wstring> path = host::FindFile(host::db::DrawingFilePath(name + L".dwg"));
  if (!path) return false;
  Database source(Database::Content::kEmpty);
  if (!host::db::ReadDrawing(source, *path)) return false;
  return !host::db::InsertDrawingAsBlock(db, name, source).IsNull();
}

bool InsertSymbolBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                       const char* layer, Database& db, const AreaFeatureRecord* area) {
  ObjectId id = InsertReference(block, position, scale, rotation, layer, db);
  if (id.IsNull()) return false;
  return area == nullptr || KeepIf(db, id, WriteAreaSymbolXdata(db, id, *area));
}

bool InsertPointBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                      const char* layer, Database& db, int level, const PointFeatureRecord& record,
                      OsFeatureKind kind) {
  ObjectId id = InsertReference(block, position, scale, rotation, layer, db);
  if (id.IsNull()) return false;
  if (kind != OsFeatureKind::kTopoPoint && kind != OsFeatureKind::kCartoSymbol) return true;
  return KeepIf(db, id, WriteFeatureXdata(db, id, level, &record, kind));
}

bool InsertNodeBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                     const char* layer, Database& db, int level, const RoadNodeRecord& node) {
  ObjectId id = InsertReference(block, position, scale, rotation, layer, db);
  if (id.IsNull()) return false;
  return KeepIf(db, id, WriteNodeXdataAtLevel(db, id, level, node));
}

bool InsertAddressPointBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                             const char* layer, Database& db, std::FILE* csv,
                             const OS_GML_ACAD_Definitions& settings, const AddressPointRecord& address) {
  ObjectId id = InsertReference(block, position, scale, rotation, layer, db);
  if (id.IsNull()) return false;
  return WriteAddressAttributes(db, id, csv, settings, address);
}

bool InsertTileBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                     const char* layer, Database& db, bool explode) {
  ObjectId id = InsertReference(block, position, scale, rotation, layer, db);
  if (id.IsNull()) return false;
  if (!explode) return true;
  if (host::db::ExplodeToOwnerSpace(db, id) != host::db::ExplodeResult::kOk) return true;
  db.Erase(id);
  // The definition goes with its last reference: a tile inserted before as
  // a block keeps its own.
  ObjectId definition;
  if (GetBlockId(block, db, &definition) && !IsReferenced(db, definition)) db.EraseBlock(definition);
  return true;
}

namespace {

// Clones the records of one host table that `side` lacks (each record is
// passed over where `side` has its name). False without a host drawing
// apart from `side`.
template <typename Records>
bool CloneHostRecords(Records Database::*table, Database& side) {
  const Database* host = host::db::WorkingDatabase();
  if (host == nullptr || host == &side) return false;
  std::vector<ObjectId> ids;
  for (const auto& record : (host->*table)())
    if (!record.erased) ids.push_back(host->IdOf(record.handle));
  host::db::CloneRecords(*host, ids, side, host::db::DuplicateRecords::kIgnore);
  return true;
}

}  // namespace

bool CopyHostLayers(Database& side) { return CloneHostRecords(&Database::Layers, side); }

bool CopyHostTextStyles(Database& side, std::wstring_view styleName) {
  if (!CloneHostRecords(&Database::TextStyles, side)) return false;
  if (ObjectId style = side.TextStyle(styleName); !style.IsNull()) side.SetCurrentTextStyle(style);
  return true;
}
