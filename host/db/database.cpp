#include "host/db/database.h"

#include <map>

#include "host/db/kept.h"
#include "host/system/memory_pages.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

std::uint64_t g_nextSerial = 1;
std::map<std::uint64_t, Database*>& Registry() {
  static std::map<std::uint64_t, Database*> registry;
  return registry;
}
Database* g_working = nullptr;

template <typename Records>
auto* FindByName(Records& records, std::wstring_view name) {
  for (auto& record : records)
    if (!record.erased && SameTableName(record.name, name)) return &record;
  return static_cast<decltype(&records[0])>(nullptr);
}

template <typename Records>
auto* FindByHandle(Records& records, std::uint64_t handle) {
  if (handle == 0) return static_cast<decltype(&records[0])>(nullptr);
  for (auto& record : records)
    if (record.handle == handle) return &record;
  return static_cast<decltype(&records[0])>(nullptr);
}

}  // namespace

bool SameTableName(std::wstring_view a, std::wstring_view b) { return SameIgnoringAsciiCase(a, b); }

bool IsValidTableName(std::wstring_view name) {
  if (name.empty() || name.size() > 255) return false;
  for (wchar_t c : name) {
    if (c < 32 || c == 127) return false;
    if (std::wstring_view(L"<>/\\\":;?*|,=`").find(c) != std::wstring_view::npos) return false;
  }
  return true;
}

Database* DatabaseOf(ObjectId id) {
  auto it = Registry().find(id.database);
  return it == Registry().end() ? nullptr : it->second;
}

Database* WorkingDatabase() { return g_working; }
void SetWorkingDatabase(Database* db) { g_working = db; }

Database::Database(Content content) : serial_(g_nextSerial++) {
  Registry()[serial_] = this;
  if (content == Content::kDefault) EnsureBasics();
}

Database::~Database() {
  Registry().erase(serial_);
  if (g_working == this) g_working = nullptr;
}

void Database::EnsureBasics() {
  ++changes_;
  if (!modelSpace_) {
    const BlockRecord* model = FindByName(blocks_, L"*Model_Space");
    modelSpace_ = model ? model->handle : AdoptBlock(BlockRecord{0, L"*Model_Space", {}, {}, false}).handle;
  }
  if (!paperSpace_) {
    const BlockRecord* paper = FindByName(blocks_, L"*Paper_Space");
    paperSpace_ = paper ? paper->handle : AdoptBlock(BlockRecord{0, L"*Paper_Space", {}, {}, false}).handle;
  }
  if (Linetype(L"ByBlock").IsNull()) AddLinetype(L"ByBlock");
  if (Linetype(L"ByLayer").IsNull()) AddLinetype(L"ByLayer");
  if (Linetype(L"CONTINUOUS").IsNull()) AddLinetype(L"CONTINUOUS", L"Solid line");
  if (Layer(L"0").IsNull()) {
    LayerRecord zero;
    zero.name = L"0";
    AddLayer(zero);
  }
  if (TextStyle(L"Standard").IsNull()) {
    TextStyleRecord standard;
    standard.name = L"Standard";
    AddTextStyle(standard);
  }
  if (AppId(L"ACAD").IsNull()) RegisterApp(L"ACAD");
  EnsureActiveViewport();
  if (!LayerRecordOf(IdOf(currentLayer_))) currentLayer_ = HandleOf(Layer(L"0"));
  if (!TextStyleRecordOf(IdOf(currentTextStyle_))) currentTextStyle_ = HandleOf(TextStyle(L"Standard"));
}

void Database::SwapContents(Database& other) {
  ++changes_;
  ++other.changes_;
  std::swap(nextHandle_, other.nextHandle_);
  blocks_.swap(other.blocks_);
  layers_.swap(other.layers_);
  lastLayer_ = other.lastLayer_ = kNoLayer;
  linetypes_.swap(other.linetypes_);
  textStyles_.swap(other.textStyles_);
  appIds_.swap(other.appIds_);
  viewport_.swap(other.viewport_);
  std::swap(modelSpace_, other.modelSpace_);
  std::swap(paperSpace_, other.paperSpace_);
  std::swap(currentLayer_, other.currentLayer_);
  std::swap(currentTextStyle_, other.currentTextStyle_);
  std::swap(settings_, other.settings_);
  entities_.swap(other.entities_);
  byHandle_.Swap(other.byHandle_);
  recordHandles_.swap(other.recordHandles_);
  kept_.swap(other.kept_);
}

KeptDrawing& Database::EnsureKept() {
  ++changes_;
  if (!kept_) kept_ = std::make_unique<KeptDrawing>();
  return *kept_;
}

void Database::ListKeptEntity(std::uint64_t owner, std::uint64_t handle) {
  ++changes_;
  if (BlockRecord* record = FindByHandle(blocks_, owner)) record->entities.push_back(handle);
}

std::uint64_t Database::ClaimKeptHandle(std::uint64_t handle) {
  ++changes_;
  handle = ClaimHandle(handle);
  recordHandles_.insert(handle);
  return handle;
}

std::uint64_t Database::ClaimHandle(std::uint64_t handle) {
  ++changes_;
  if (handle == 0 || byHandle_.Has(handle) || recordHandles_.count(handle)) handle = NewHandle();
  if (handle >= nextHandle_) nextHandle_ = handle + 1;
  return handle;
}

// Block records ----------------------------------------------------------------

ObjectId Database::Block(std::wstring_view name) const {
  const BlockRecord* record = FindByName(blocks_, name);
  return record ? IdOf(record->handle) : ObjectId{};
}

ObjectId Database::AddBlock(std::wstring_view name, Point3 base) {
  ++changes_;
  if (!IsValidTableName(name) || !Block(name).IsNull()) return {};
  return IdOf(AdoptBlock(BlockRecord{0, std::wstring(name), base, {}, false}).handle);
}

BlockRecord& Database::AdoptBlock(BlockRecord record) {
  ++changes_;
  record.handle = ClaimHandle(record.handle);
  recordHandles_.insert(record.handle);
  blocks_.push_back(std::move(record));
  return blocks_.back();
}

BlockRecord* Database::BlockRecordOf(ObjectId id) {
  ++changes_;
  return FindByHandle(blocks_, HandleOf(id));
}
const BlockRecord* Database::BlockRecordOf(ObjectId id) const { return FindByHandle(blocks_, HandleOf(id)); }

bool Database::EraseBlock(ObjectId id) {
  ++changes_;
  BlockRecord* record = BlockRecordOf(id);
  if (record == nullptr || record->erased || record->handle == modelSpace_ || record->handle == paperSpace_)
    return false;
  for (std::uint64_t handle : record->entities) Erase(IdOf(handle));
  record->erased = true;
  return true;
}

// Layers -------------------------------------------------------------------------

ObjectId Database::Layer(std::wstring_view name) const {
  // Writers ask for the same layer entity after entity: the last one found
  // is tried first.
  if (lastLayer_ < layers_.size()) {
    const LayerRecord& last = layers_[lastLayer_];
    if (!last.erased && (last.name == name || SameTableName(last.name, name))) return IdOf(last.handle);
  }
  for (std::size_t i = 0; i < layers_.size(); ++i) {
    if (!layers_[i].erased && SameTableName(layers_[i].name, name)) {
      lastLayer_ = i;
      return IdOf(layers_[i].handle);
    }
  }
  return {};
}

ObjectId Database::AddLayer(LayerRecord record) {
  ++changes_;
  if (!IsValidTableName(record.name) || !Layer(record.name).IsNull()) return {};
  record.handle = 0;
  record.erased = false;
  if (record.linetype == 0) record.linetype = HandleOf(Linetype(L"CONTINUOUS"));
  AdoptLayer(std::move(record));
  return IdOf(layers_.back().handle);
}

void Database::AdoptLayer(LayerRecord record) {
  ++changes_;
  record.handle = ClaimHandle(record.handle);
  recordHandles_.insert(record.handle);
  layers_.push_back(std::move(record));
}

LayerRecord* Database::LayerRecordOf(ObjectId id) {
  ++changes_;
  return FindByHandle(layers_, HandleOf(id));
}
const LayerRecord* Database::LayerRecordOf(ObjectId id) const { return FindByHandle(layers_, HandleOf(id)); }

bool Database::SetCurrentLayer(ObjectId layer) {
  ++changes_;
  const LayerRecord* record = LayerRecordOf(layer);
  if (record == nullptr || record->erased) return false;
  currentLayer_ = record->handle;
  return true;
}

ObjectId Database::EnsureLayer(std::wstring_view name) {
  ++changes_;
  if (ObjectId id = Layer(name); !id.IsNull()) return id;
  LayerRecord record;
  record.name = std::wstring(name);
  return AddLayer(std::move(record));
}

// Linetypes -------------------------------------------------------------------------

ObjectId Database::Linetype(std::wstring_view name) const {
  const LinetypeRecord* record = FindByName(linetypes_, name);
  return record ? IdOf(record->handle) : ObjectId{};
}

ObjectId Database::AddLinetype(std::wstring_view name, std::wstring_view description) {
  ++changes_;
  if (!IsValidTableName(name) || !Linetype(name).IsNull()) return {};
  AdoptLinetype(LinetypeRecord{0, std::wstring(name), std::wstring(description), false});
  return IdOf(linetypes_.back().handle);
}

void Database::AdoptLinetype(LinetypeRecord record) {
  ++changes_;
  record.handle = ClaimHandle(record.handle);
  recordHandles_.insert(record.handle);
  linetypes_.push_back(std::move(record));
}

const LinetypeRecord* Database::LinetypeRecordOf(ObjectId id) const {
  return FindByHandle(linetypes_, HandleOf(id));
}

// Text styles -------------------------------------------------------------------------

ObjectId Database::TextStyle(std::wstring_view name) const {
  const TextStyleRecord* record = FindByName(textStyles_, name);
  return record ? IdOf(record->handle) : ObjectId{};
}

ObjectId Database::AddTextStyle(TextStyleRecord record) {
  ++changes_;
  if (!IsValidTableName(record.name) || !TextStyle(record.name).IsNull()) return {};
  record.handle = 0;
  record.erased = false;
  AdoptTextStyle(std::move(record));
  return IdOf(textStyles_.back().handle);
}

void Database::AdoptTextStyle(TextStyleRecord record) {
  ++changes_;
  record.handle = ClaimHandle(record.handle);
  recordHandles_.insert(record.handle);
  textStyles_.push_back(std::move(record));
}

TextStyleRecord* Database::TextStyleRecordOf(ObjectId id) {
  ++changes_;
  return FindByHandle(textStyles_, HandleOf(id));
}
const TextStyleRecord* Database::TextStyleRecordOf(ObjectId id) const {
  return FindByHandle(textStyles_, HandleOf(id));
}

bool Database::SetCurrentTextStyle(ObjectId style) {
  ++changes_;
  const TextStyleRecord* record = TextStyleRecordOf(style);
  if (record == nullptr || record->erased) return false;
  currentTextStyle_ = record->handle;
  return true;
}

// Registered applications --------------------------------------------------------------

ObjectId Database::AppId(std::wstring_view name) const {
  // Writers name an application spelled as it was registered: the plain
  // comparison answers them before the one that folds case.
  for (const AppIdRecord& record : appIds_)
    if (record.name == name || SameTableName(record.name, name)) return IdOf(record.handle);
  return {};
}

RegisterResult Database::RegisterApp(std::wstring_view name) {
  ++changes_;
  if (!IsValidTableName(name)) return RegisterResult::kInvalidName;
  if (!AppId(name).IsNull()) return RegisterResult::kExists;
  AdoptAppId(AppIdRecord{0, std::wstring(name)});
  return RegisterResult::kAdded;
}

void Database::AdoptAppId(AppIdRecord record) {
  ++changes_;
  record.handle = ClaimHandle(record.handle);
  recordHandles_.insert(record.handle);
  appIds_.push_back(std::move(record));
}

ViewportRecord& Database::AdoptActiveViewport(std::uint64_t handle) {
  ++changes_;
  viewport_ = std::make_unique<ViewportRecord>();
  viewport_->handle = ClaimHandle(handle);
  recordHandles_.insert(viewport_->handle);
  return *viewport_;
}

ViewportRecord& Database::EnsureActiveViewport() {
  ++changes_;
  if (!viewport_) {
    viewport_ = std::make_unique<ViewportRecord>();
    viewport_->handle = ClaimHandle(0);
    recordHandles_.insert(viewport_->handle);
  }
  return *viewport_;
}

// Entities ---------------------------------------------------------------------------------

Entity& Database::Store(Entity entity) {
  ++changes_;
  // Drawings are made and read in bulk: the heap grows in huge pages.
  host::AdviseHeapGrowth();
  entities_.push_back(std::move(entity));
  Entity& stored = entities_.back();
  byHandle_.Add(stored.handle, &stored);
  return stored;
}

ObjectId Database::Append(EntityData data, ObjectId space) {
  ++changes_;
  if (std::holds_alternative<PolylineData>(data))
    return AppendPolyline(std::get<PolylineData>(std::move(data)), {}, space);
  BlockRecord* owner = BlockRecordOf(space.IsNull() ? ModelSpace() : space);
  if (owner == nullptr || owner->erased) return {};
  Entity entity;
  entity.handle = NewHandle();
  entity.owner = owner->handle;
  entity.layer = currentLayer_;
  entity.data = std::move(data);
  if (auto* text = std::get_if<TextData>(&entity.data); text && text->style == 0) text->style = currentTextStyle_;
  entity.order = owner->entities.size();
  owner->entities.push_back(entity.handle);
  return IdOf(Store(std::move(entity)).handle);
}

ObjectId Database::AppendPolyline(PolylineData header, const std::vector<VertexData>& vertices,
                                  ObjectId space) {
  ++changes_;
  BlockRecord* owner = BlockRecordOf(space.IsNull() ? ModelSpace() : space);
  if (owner == nullptr || owner->erased) return {};
  Entity polyline;
  polyline.handle = NewHandle();
  polyline.owner = owner->handle;
  polyline.layer = currentLayer_;
  header.vertices.clear();
  for (const VertexData& vertex : vertices) {
    Entity part;
    part.handle = NewHandle();
    part.owner = polyline.handle;
    part.layer = currentLayer_;
    part.data = vertex;
    if (header.flags & kPolyline3d) std::get<VertexData>(part.data).flags |= kVertex3d;
    header.vertices.push_back(Store(std::move(part)).handle);
  }
  Entity end;
  end.handle = NewHandle();
  end.owner = polyline.handle;
  end.layer = currentLayer_;
  end.data = SeqEndData{};
  header.seqEnd = Store(std::move(end)).handle;
  polyline.data = std::move(header);
  polyline.order = owner->entities.size();
  owner->entities.push_back(polyline.handle);
  return IdOf(Store(std::move(polyline)).handle);
}

ObjectId Database::AdoptEntity(Entity entity) {
  ++changes_;
  if (entity.handle == 0 || byHandle_.Has(entity.handle) || recordHandles_.count(entity.handle))
    return {};
  if (entity.handle >= nextHandle_) nextHandle_ = entity.handle + 1;
  if (BlockRecord* owner = FindByHandle(blocks_, entity.owner)) {
    entity.order = owner->entities.size();
    owner->entities.push_back(entity.handle);
  }
  return IdOf(Store(std::move(entity)).handle);
}

Entity* Database::EntityByHandle(std::uint64_t handle) {
  ++changes_;
  return byHandle_.Find(handle);
}

const Entity* Database::EntityByHandle(std::uint64_t handle) const {
  return byHandle_.Find(handle);
}

Entity* Database::EntityOf(ObjectId id) {
  ++changes_;
  return id.database == serial_ ? EntityByHandle(id.handle) : nullptr;
}
const Entity* Database::EntityOf(ObjectId id) const {
  return id.database == serial_ ? EntityByHandle(id.handle) : nullptr;
}

bool Database::SetLayer(ObjectId entity, std::wstring_view layerName) {
  ++changes_;
  Entity* target = EntityOf(entity);
  ObjectId layer = Layer(layerName);
  if (target == nullptr || layer.IsNull()) return false;
  target->layer = layer.handle;
  return true;
}

bool Database::Erase(ObjectId id, bool erase) {
  ++changes_;
  Entity* entity = EntityOf(id);
  if (entity == nullptr) return false;
  entity->erased = erase;
  if (const auto* polyline = std::get_if<PolylineData>(&entity->data)) {
    for (std::uint64_t vertex : polyline->vertices)
      if (Entity* part = EntityByHandle(vertex)) part->erased = erase;
    if (Entity* end = EntityByHandle(polyline->seqEnd)) end->erased = erase;
  }
  return true;
}

std::vector<ObjectId> Database::EntitiesIn(ObjectId space) const { return ListedIn(space, false); }

std::vector<ObjectId> Database::AllEntitiesIn(ObjectId space) const { return ListedIn(space, true); }

std::vector<ObjectId> Database::ListedIn(ObjectId space, bool withKept) const {
  std::vector<ObjectId> ids;
  const BlockRecord* record = BlockRecordOf(space);
  if (record == nullptr) return ids;
  ids.reserve(record->entities.size());
  for (std::uint64_t handle : record->entities) {
    const Entity* entity = EntityByHandle(handle);
    const bool kept = withKept && !entity && kept_ && kept_->entities.count(handle) != 0;
    if ((entity && !entity->erased) || kept) ids.push_back(IdOf(handle));
  }
  return ids;
}

ObjectId Database::NextEntity(ObjectId after) const {
  const BlockRecord* space = nullptr;
  std::size_t from = 0;
  if (after.IsNull()) {
    space = BlockRecordOf(ModelSpace());
  } else {
    const Entity* entity = EntityOf(after);
    if (entity == nullptr) return {};
    const Entity* main = entity;
    if (const auto* polyline = std::get_if<PolylineData>(&entity->data)) {
      for (std::uint64_t vertex : polyline->vertices) {
        const Entity* part = EntityByHandle(vertex);
        if (part && !part->erased) return IdOf(vertex);
      }
      if (polyline->seqEnd) return IdOf(polyline->seqEnd);
    } else if (entity->Type() == EntityType::kVertex) {
      main = EntityByHandle(entity->owner);
      if (main == nullptr) return {};
      const auto& parts = std::get<PolylineData>(main->data);
      bool seen = false;
      for (std::uint64_t vertex : parts.vertices) {
        if (seen) {
          const Entity* part = EntityByHandle(vertex);
          if (part && !part->erased) return IdOf(vertex);
        }
        if (vertex == entity->handle) seen = true;
      }
      if (parts.seqEnd) return IdOf(parts.seqEnd);
      return {};
    } else if (entity->Type() == EntityType::kSeqEnd) {
      main = EntityByHandle(entity->owner);
      if (main == nullptr) return {};
    }
    space = FindByHandle(blocks_, main->owner);
    if (space == nullptr) return {};
    from = main->order + 1;
  }
  if (space == nullptr) return {};
  for (std::size_t i = from; i < space->entities.size(); ++i) {
    const Entity* next = EntityByHandle(space->entities[i]);
    if (next && !next->erased) return IdOf(next->handle);
  }
  return {};
}

ObjectId Database::LastEntity() const {
  const BlockRecord* space = BlockRecordOf(ModelSpace());
  if (space == nullptr) return {};
  for (std::size_t i = space->entities.size(); i-- > 0;) {
    const Entity* entity = EntityByHandle(space->entities[i]);
    if (entity && !entity->erased) return IdOf(entity->handle);
  }
  return {};
}

}  // namespace host::db
