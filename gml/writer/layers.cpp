#include "gml/writer/layers.h"

#include <optional>

#include "common/containers/text.h"
#include "gml/settings/lookup_tables.h"
#include "gml/settings/text_fields.h"
#include "host/db/entity_list.h"

namespace {

constexpr std::size_t kMaxLayerName = 255;
constexpr std::wstring_view kRefusedCharacters = L"<>/\\\":;?*|,=`";

void SetState(bool on, bool frozen, bool locked, std::string_view layer, host::db::Database& db,
              bool outlineLayers) {
  SetLayerState(on, frozen, locked, std::string(layer).c_str(), db);
  if (outlineLayers && layer.substr(0, 4) == "AREA")
    SetLayerState(on, frozen, locked, ("p_" + std::string(layer)).c_str(), db);
}

// HostLayerName of the name asked for last, kept: a pass names the same few
// layers entity after entity. Valid until the thread's next call.
const std::wstring& LastHostLayerName(const char* layer) {
  thread_local std::string lastName;
  thread_local std::wstring lastHostName;
  thread_local bool known = false;
  const std::string_view name = layer == nullptr ? "" : layer;
  if (!known || name != lastName) {
    lastHostName = HostLayerName(name);
    lastName.assign(name);
    known = true;
  }
  return lastHostName;
}

}  // namespace

std::wstring HostLayerName(std::string_view name) {
  std::wstring wide = Utf8ToWide(name);
  if (wide.size() > kMaxLayerName) wide.resize(kMaxLayerName);
  for (wchar_t& c : wide)
    if (c < 32 || c == 127 || kRefusedCharacters.find(c) != std::wstring_view::npos) c = L'_';
  if (wide.empty()) wide = L"0";
  return wide;
}

bool EnsureLayer(std::int32_t colour, const char* layer, host::db::Database& db) {
  const std::wstring& name = LastHostLayerName(layer);
  if (!db.Layer(name).IsNull()) return true;
  host::db::LayerRecord record;
  record.name = name;
  record.color = colour >= 1 && colour <= 255 ? colour : 7;
  return !db.AddLayer(record).IsNull();
}

void SetLayerState(bool on, bool frozen, bool locked, const char* layer, host::db::Database& db) {
  host::db::LayerRecord* record = db.LayerRecordOf(db.Layer(HostLayerName(layer == nullptr ? "" : layer)));
  if (record == nullptr) return;
  record->off = !on;
  record->frozen = frozen;
  record->locked = locked;
}

void ApplyLookupLayerStates(const GrowArray& codeTable, host::db::Database& db, bool outlineLayers) {
  if (codeTable.marker != kGrowArrayMarker) return;
  for (std::int32_t i = 0; i < codeTable.count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(&codeTable, i, &slot)) return;
    const auto* entry = static_cast<const CodeLookupEntry*>(slot);
    SetState(entry->on, entry->frozen, entry->locked, FieldText(entry->layer), db, outlineLayers);
    if (entry->useConditions == 0 || entry->variants.marker != kGrowArrayMarker) continue;
    for (std::int32_t v = 0; v < entry->variants.count; ++v) {
      void* variantSlot = nullptr;
      if (!GrowArrayGetPtr(&entry->variants, v, &variantSlot)) break;
      const auto* variant = static_cast<const ConditionVariant*>(variantSlot);
      SetState(variant->on, variant->frozen, variant->locked, FieldText(variant->layer), db,
               outlineLayers);
    }
  }
}

bool SetEntityLayer(host::EntityName entity, const char* layer) {
  std::optional<host::db::EntityList> list = host::db::GetEntityList(entity);
  if (!list) return false;
  host::db::Group* group = host::db::FindGroup(*list, 8);
  if (group == nullptr) return false;
  group->value = HostLayerName(layer == nullptr ? "" : layer);
  return host::db::ModifyEntity(*list) == host::db::ModifyResult::kOk;
}

bool PutOnLayer(host::db::Database& db, host::db::ObjectId entity, const char* layer) {
  const std::wstring& name = LastHostLayerName(layer);
  host::db::Entity* target = db.EntityOf(entity);
  const host::db::ObjectId id = db.EnsureLayer(name);
  if (target == nullptr || id.IsNull()) return false;
  target->layer = db.HandleOf(id);
  return true;
}

bool AddNameIfAbsent(const UsedLayerEntry& entry, GrowArray* list) {
  for (std::int32_t i = 0; i < list->count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(list, i, &slot)) return false;
    if (gml_settings::EqualsNoCase(FieldText(static_cast<UsedLayerEntry*>(slot)->name),
                                   FieldText(entry.name)))
      return true;
  }
  return GrowArraySet(list, list->count, &entry);
}
