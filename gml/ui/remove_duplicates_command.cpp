// lwhgmlrd: entities that repeat a feature the selection holds already
// (see feature_copies.h) are counted, then erased or moved to a layer; the
// copy of the newest version of each feature stays.
#include <cwchar>
#include <string>
#include <vector>

#include "common/cad/current_layer.h"
#include "common/cad/sysvar_save.h"
#include "common/containers/text.h"
#include "gml/ui/entity_scan.h"
#include "gml/ui/feature_copies.h"
#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "gml/ui/remove_duplicates_view.h"
#include "gml/writer/layers.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "host/ui/message_box.h"

namespace {

// The pieces of the selection's entities with a TOID, in selection order;
// false when Esc ended the scan.
bool ReadPieces(host::SelectionSetId set, const wchar_t* label, ShowOSGmlXdata& viewer,
                std::vector<FeaturePiece>* pieces) {
  pieces->clear();
  return ScanSelection(set, label, ScanSlot::kToid, viewer,
                       [&](const ShowOSGmlXdata& record, host::EntityName entity) {
                         pieces->push_back(ReadFeaturePiece(record, entity));
                         return ScanStep::kGoOn;
                       });
}

}  // namespace

void RemoveDuplicatesCommand() {
  VarnelState& remembered = Varnel();
  RemoveDuplicatesView dialog;
  dialog.action = remembered.removeAction;
  dialog.layer = remembered.removeLayer;
  dialog.entityCount = 0;
  dialog.identicalCount = -1;

  ShowOSGmlXdata viewer;
  std::vector<FeaturePiece> pieces;
  host::SelectionSetId set{};
  bool haveSet = false;
  for (;;) {
    const int result = dialog.DoModal();
    remembered.removeAction = dialog.action;
    remembered.removeLayer = dialog.layer;
    if (result == kRemoveSelect) {
      host::Print(L"\nSelect objects...");
      const host::Input<host::SelectionSetId> chosen = host::SelectEntities();
      if (chosen.status == host::Status::kCancel) break;
      if (chosen.ok()) {
        if (haveSet) (void)host::FreeSelectionSet(set);
        set = chosen.value;
        haveSet = true;
        const host::Input<std::int32_t> length = host::SelectionSetLength(set);
        dialog.entityCount = length.ok() ? length.value : 0;
        dialog.identicalCount = -1;
      }
      continue;
    }
    if (result == kRemoveCount) {
      dialog.identicalCount = 0;
      if (haveSet) {
        (void)ReadPieces(set, L"Counting...", viewer, &pieces);
        for (bool repeat : MarkRepeats(pieces)) dialog.identicalCount += repeat ? 1 : 0;
      }
      continue;
    }
    if (result != kRemoveRun) break;

    // The whole selection is read before anything is removed: a copy is
    // known only against every entity of its feature. Esc while reading
    // removes nothing.
    const bool move = dialog.action == 1;
    const std::string layer = WideToUtf8(dialog.layer);
    bool ready = true;
    if (move) {
      (void)SaveAndSetSysVars();
      ready = MakeLayerCurrent(7, dialog.layer);
    }
    long removed = 0;
    if (ready && haveSet && ReadPieces(set, L"Removing...", viewer, &pieces)) {
      const std::vector<bool> repeats = MarkRepeats(pieces);
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!repeats[i]) continue;
        const host::EntityName entity = pieces[i].entity;
        const bool done = move ? SetEntityLayer(entity, layer.c_str()) : host::db::DeleteEntity(entity);
        if (done) ++removed;
      }
    }
    if (move) (void)RestoreSysVars();
    wchar_t text[600];
    if (move)
      std::swprintf(text, 600, L"%li identical entities moved to layer %ls", removed, dialog.layer.c_str());
    else
      std::swprintf(text, 600, L"%li identical entities erased", removed);
    (void)host::ui::ShowMessageBox(text, L"");
    break;
  }
  if (haveSet) (void)host::FreeSelectionSet(set);
}
