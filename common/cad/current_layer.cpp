#include "common/cad/current_layer.h"

#include <string>

#include "host/db/database.h"
#include "host/editor/system_variables.h"

namespace {

int UsableColour(int colour) { return colour == 0 ? 7 : colour; }

void MakeUsable(host::db::LayerRecord& layer) {
  layer.frozen = false;
  layer.off = false;
  layer.frozenInNewViewports = false;
  layer.locked = false;
}

}  // namespace

bool MakeLayerCurrentRecolour(int colour, std::wstring_view name, bool recolour) {
  host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr) return false;
  host::db::ObjectId id = db->Layer(name);
  if (host::db::LayerRecord* existing = db->LayerRecordOf(id)) {
    MakeUsable(*existing);
    if (recolour) existing->color = UsableColour(colour);
  } else {
    host::db::LayerRecord record;
    record.name = std::wstring(name);
    record.color = UsableColour(colour);
    MakeUsable(record);
    const host::db::ObjectId continuous = db->Linetype(L"CONTINUOUS");
    record.linetype = db->HandleOf(continuous);
    id = db->AddLayer(std::move(record));
    if (db->LayerRecordOf(id) == nullptr) return false;
  }
  if (!db->SetCurrentLayer(id)) return false;
  // CLAYER names the current layer to everyone who asks the editor.
  const std::wstring& current = db->LayerRecordOf(id)->name;
  return host::SetSystemVariable(L"CLAYER", current.c_str()) == host::Status::kNormal;
}

bool MakeLayerCurrent(int colour, std::wstring_view name) {
  return MakeLayerCurrentRecolour(colour, name, false);
}
