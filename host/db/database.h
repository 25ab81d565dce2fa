// The drawing database: symbol tables, block records with their entities,
// handles, and the few database-level settings the add-ins read.
//
// Every object has a handle, unique in its database; an ObjectId pairs it
// with the database's serial number, so an id (an entity name) finds its
// database again. Table names compare with case ignored, as the host does.
// Erased objects keep their handle and place; walks skip them.
//
// One thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/db/entity.h"
#include "host/db/entity_index.h"
#include "host/db/values.h"

namespace host::db {

struct LayerRecord {
  std::uint64_t handle = 0;
  std::wstring name;
  int color = 7;                 // 1..255; a negative colour in a file means "off"
  std::uint64_t linetype = 0;    // linetype record handle (0: CONTINUOUS)
  bool off = false;
  bool frozen = false;
  bool locked = false;
  bool frozenInNewViewports = false;
  bool erased = false;
  friend bool operator==(const LayerRecord&, const LayerRecord&) = default;
};

struct LinetypeRecord {
  std::uint64_t handle = 0;
  std::wstring name;
  std::wstring description;
  bool erased = false;
  friend bool operator==(const LinetypeRecord&, const LinetypeRecord&) = default;
};

struct TextStyleRecord {
  std::uint64_t handle = 0;
  std::wstring name;
  std::wstring font = L"txt";    // primary font file
  double height = 0;             // fixed height; 0 when not fixed
  double widthFactor = 1;
  bool erased = false;
  friend bool operator==(const TextStyleRecord&, const TextStyleRecord&) = default;
};

struct AppIdRecord {
  std::uint64_t handle = 0;
  std::wstring name;
  friend bool operator==(const AppIdRecord&, const AppIdRecord&) = default;
};

struct BlockRecord {
  std::uint64_t handle = 0;
  std::wstring name;             // "*Model_Space", "*Paper_Space" or a block name
  Point3 base;
  std::vector<std::uint64_t> entities;  // in drawing order; vertices are listed by their polyline
  bool erased = false;
};

// The active viewport: what the drawing shows when it is opened.
struct ViewportRecord {
  std::uint64_t handle = 0;
  std::wstring name = L"*ACTIVE";
  double centerX = 0;
  double centerY = 0;
  double height = 1;
  double width = 1;
  friend bool operator==(const ViewportRecord&, const ViewportRecord&) = default;
};

struct KeptDrawing;

// Handles above this are refused in files, so that a drawing always has
// room for new objects and a handle never wraps to 0.
inline constexpr std::uint64_t kLargestHandle = 0x0FFFFFFFFFFFFFFFull;

enum class RegisterResult { kAdded, kExists, kInvalidName };

// Settings held by the database and saved with it.
struct DatabaseSettings {
  bool plinegen = false;         // PLINEGEN
  double angleBase = 0;          // ANGBASE, radians
  bool angleClockwise = false;   // ANGDIR
  int angleUnits = 0;            // AUNITS
  int currentColor = kColorByLayer;  // CECOLOR
  std::wstring currentLinetype = L"BYLAYER";  // CELTYPE
};

class Database {
 public:
  // kDefault holds the default content of a new drawing (see
  // EnsureBasics); kEmpty holds nothing, ready to be read into.
  enum class Content { kDefault, kEmpty };
  explicit Database(Content content = Content::kDefault);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  std::uint64_t Serial() const { return serial_; }
  // Counts the calls that may have changed the database: every call that
  // changes it (an entity or record added or erased, a current layer set)
  // or hands out a way to change it (a pointer or reference that is not
  // const) counts, so an unchanged count means an unchanged database.
  std::uint64_t ChangeCount() const { return changes_; }
  ObjectId IdOf(std::uint64_t handle) const { return handle ? ObjectId{handle, serial_} : ObjectId{}; }
  // The handle of an id of this database; 0 for another database's id.
  std::uint64_t HandleOf(ObjectId id) const { return id.database == serial_ ? id.handle : 0; }
  std::uint64_t HandleSeed() const { return nextHandle_; }

  // Block records ------------------------------------------------------------
  ObjectId ModelSpace() const { return IdOf(modelSpace_); }
  ObjectId PaperSpace() const { return IdOf(paperSpace_); }
  ObjectId Block(std::wstring_view name) const;  // null when missing or erased
  // A new, empty block definition; null when the name is taken or invalid.
  ObjectId AddBlock(std::wstring_view name, Point3 base = {});
  BlockRecord* BlockRecordOf(ObjectId id);
  const BlockRecord* BlockRecordOf(ObjectId id) const;
  // Erases a block definition and the entities in it. False for model and
  // paper space, or a missing block.
  bool EraseBlock(ObjectId id);
  const std::deque<BlockRecord>& Blocks() const { return blocks_; }

  // Layers -------------------------------------------------------------------
  ObjectId Layer(std::wstring_view name) const;
  // Adds a record (its handle is assigned); null when the name is taken or
  // not a valid table name. A linetype of 0 takes CONTINUOUS.
  ObjectId AddLayer(LayerRecord record);
  LayerRecord* LayerRecordOf(ObjectId id);
  const LayerRecord* LayerRecordOf(ObjectId id) const;
  const std::deque<LayerRecord>& Layers() const { return layers_; }
  ObjectId CurrentLayer() const { return IdOf(currentLayer_); }
  bool SetCurrentLayer(ObjectId layer);
  // The layer of that name, added with colour 7 and CONTINUOUS when missing.
  ObjectId EnsureLayer(std::wstring_view name);

  // Linetypes ----------------------------------------------------------------
  ObjectId Linetype(std::wstring_view name) const;
  ObjectId AddLinetype(std::wstring_view name, std::wstring_view description = L"");
  const LinetypeRecord* LinetypeRecordOf(ObjectId id) const;
  const std::deque<LinetypeRecord>& Linetypes() const { return linetypes_; }

  // Text styles --------------------------------------------------------------
  ObjectId TextStyle(std::wstring_view name) const;
  ObjectId AddTextStyle(TextStyleRecord record);
  TextStyleRecord* TextStyleRecordOf(ObjectId id);
  const TextStyleRecord* TextStyleRecordOf(ObjectId id) const;
  const std::deque<TextStyleRecord>& TextStyles() const { return textStyles_; }
  ObjectId CurrentTextStyle() const { return IdOf(currentTextStyle_); }
  bool SetCurrentTextStyle(ObjectId style);

  // Registered applications ----------------------------------------------------
  ObjectId AppId(std::wstring_view name) const;
  RegisterResult RegisterApp(std::wstring_view name);
  const std::deque<AppIdRecord>& AppIds() const { return appIds_; }

  // The active viewport (null in an empty database until one is set).
  ViewportRecord* ActiveViewport() {
    ++changes_;
    return viewport_.get();
  }
  const ViewportRecord* ActiveViewport() const { return viewport_.get(); }
  ViewportRecord& EnsureActiveViewport();
  // Reading support: the active viewport with a handle from a file.
  ViewportRecord& AdoptActiveViewport(std::uint64_t handle);

  DatabaseSettings& Settings() {
    ++changes_;
    return settings_;
  }
  const DatabaseSettings& Settings() const { return settings_; }

  // Entities -----------------------------------------------------------------
  // Appends an entity to a block record (model space when `space` is null)
  // on the current layer, colour ByLayer, and answers its id; null when the
  // space is missing. A 2D/3D polyline gets its vertex entities and end
  // marker from `vertices`; a text with no style gets the current style.
  ObjectId Append(EntityData data, ObjectId space = {});
  ObjectId AppendPolyline(PolylineData header, const std::vector<VertexData>& vertices,
                          ObjectId space = {});

  Entity* EntityOf(ObjectId id);
  const Entity* EntityOf(ObjectId id) const;
  Entity* EntityByHandle(std::uint64_t handle);
  const Entity* EntityByHandle(std::uint64_t handle) const;

  // Sets an entity's layer by name, resolved in this database; false when
  // the layer does not exist.
  bool SetLayer(ObjectId entity, std::wstring_view layerName);

  // Erases (or, with false, restores) an entity; a polyline takes its
  // vertices and end marker along. False when there is no such entity.
  bool Erase(ObjectId entity, bool erase = true);

  // The entities of a block record that are not erased, in order (vertices
  // and end markers are not listed; they belong to their polyline).
  std::vector<ObjectId> EntitiesIn(ObjectId space) const;
  // The same with the entities of kinds the database keeps as read (kept.h)
  // in their places: everything a selection of the space can hold.
  std::vector<ObjectId> AllEntitiesIn(ObjectId space) const;

  // The walk of the drawing: the first entity of model space when `after` is
  // null; after a polyline its vertices and end marker; then the next entity
  // of the same space. Null at the end.
  ObjectId NextEntity(ObjectId after = {}) const;
  // The newest entity of model space that is not erased.
  ObjectId LastEntity() const;

  // Reading support: makes an object with a given handle, or the next free
  // one when `handle` is 0 or taken.
  std::uint64_t ClaimHandle(std::uint64_t handle);
  void RaiseHandleSeed(std::uint64_t seed) {
    ++changes_;
    if (seed > nextHandle_) nextHandle_ = seed;
  }
  // Adds an entity as read, with its handle and owner already set (the
  // owner's list is appended to). Null when the handle is taken.
  ObjectId AdoptEntity(Entity entity);
  // Adds a table record as read. The record's handle is claimed.
  BlockRecord& AdoptBlock(BlockRecord record);
  void AdoptLayer(LayerRecord record);
  void AdoptLinetype(LinetypeRecord record);
  void AdoptTextStyle(TextStyleRecord record);
  void AdoptAppId(AppIdRecord record);
  // Reading support: claims a handle for an object the database keeps as
  // read (kept.h); as ClaimHandle.
  std::uint64_t ClaimKeptHandle(std::uint64_t handle);
  bool IsHandleTaken(std::uint64_t handle) const {
    return byHandle_.Has(handle) || recordHandles_.count(handle) != 0;
  }
  // What a drawing read from a file holds beyond the model (null for a
  // drawing made here).
  KeptDrawing* Kept() {
    ++changes_;
    return kept_.get();
  }
  const KeptDrawing* Kept() const { return kept_.get(); }
  KeptDrawing& EnsureKept();
  // Lists a kept entity (one of a kind the database does not model) in its
  // block record, after the entities listed so far.
  void ListKeptEntity(std::uint64_t owner, std::uint64_t handle);
  void SetCurrentLayerHandle(std::uint64_t handle) {
    ++changes_;
    currentLayer_ = handle;
  }
  void SetCurrentTextStyleHandle(std::uint64_t handle) {
    ++changes_;
    currentTextStyle_ = handle;
  }
  // Exchanges everything the two databases hold; each keeps its serial
  // number, so ids of the swapped objects name them in their new database.
  void SwapContents(Database& other);
  // Makes sure what every drawing needs exists (layer "0", the linetypes
  // ByBlock, ByLayer and CONTINUOUS, text style "Standard", application
  // "ACAD", model and paper space, the active viewport) and the current
  // layer and style are set.
  void EnsureBasics();

 private:
  std::uint64_t NewHandle() { return nextHandle_++; }
  // The entities a block record lists, erased ones left out; kept ones too
  // `withKept`.
  std::vector<ObjectId> ListedIn(ObjectId space, bool withKept) const;
  Entity& Store(Entity entity);

  std::uint64_t serial_;
  std::uint64_t changes_ = 0;
  std::uint64_t nextHandle_ = 1;
  std::deque<BlockRecord> blocks_;
  std::deque<LayerRecord> layers_;
  static constexpr std::size_t kNoLayer = ~std::size_t{0};
  mutable std::size_t lastLayer_ = kNoLayer;  // place of the layer Layer() found last
  std::deque<LinetypeRecord> linetypes_;
  std::deque<TextStyleRecord> textStyles_;
  std::deque<AppIdRecord> appIds_;
  std::unique_ptr<ViewportRecord> viewport_;
  std::uint64_t modelSpace_ = 0;
  std::uint64_t paperSpace_ = 0;
  std::uint64_t currentLayer_ = 0;
  std::uint64_t currentTextStyle_ = 0;
  DatabaseSettings settings_;

  std::deque<Entity> entities_;
  EntityIndex byHandle_;
  std::unordered_set<std::uint64_t> recordHandles_;  // handles taken by table records and kept objects
  std::unique_ptr<KeptDrawing> kept_;
};

// True when `name` may name a table record: 1 to 255 characters, none of
// <>/\":;?*|,=` and no control characters.
bool IsValidTableName(std::wstring_view name);
// Table names compare with case ignored.
bool SameTableName(std::wstring_view a, std::wstring_view b);

// The database an id belongs to, while it exists; null otherwise.
Database* DatabaseOf(ObjectId id);

// The working database: the current drawing's, unless code has made a side
// database the working one for a while. Null when there is none. A database
// that is destroyed stops being the working database.
Database* WorkingDatabase();
void SetWorkingDatabase(Database* db);

// Makes a database the working one for a scope and restores the previous one.
class ScopedWorkingDatabase {
 public:
  explicit ScopedWorkingDatabase(Database* db) : previous_(WorkingDatabase()) { SetWorkingDatabase(db); }
  ~ScopedWorkingDatabase() { SetWorkingDatabase(previous_); }
  ScopedWorkingDatabase(const ScopedWorkingDatabase&) = delete;
  ScopedWorkingDatabase& operator=(const ScopedWorkingDatabase&) = delete;

 private:
  Database* previous_;
};

}  // namespace host::db
