// lwhgmlrd: entities whose feature kind and TOID repeat are counted, then
// erased or moved to a layer; the first entity of each key stays.
#include <cwchar>
#include <set>
#include <string>

#include "common/cad/current_layer.h"
#include "common/cad/sysvar_save.h"
#include "common/containers/text.h"
#include "gml/ui/entity_scan.h"
#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "gml/ui/remove_duplicates_view.h"
#include "gml/writer/layers.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "host/ui/message_box.h"

namespace {

// The first character of the kind, then the TOID, narrowed. Whole keys are
// kept: TOIDs of one area often differ only in their last digits.
std::string DuplicateKey(const ShowOSGmlXdata& record) {
  const std::wstring& kind = OsItem(record, 0x0B);
  std::wstring key = kind.empty() ? std::wstring() : kind.substr(0, 1);
  key += OsItem(record, 0x01);
  return WideToNarrow(key);
}

// Symbols planted in an area share its TOID and are many by design: they are
// never repeats of each other or of the area.
bool IsAreaSymbol(const ShowOSGmlXdata& record) {
  return OsItem(record, 0x0B) == NarrowToWide(kAreaSymbolKind);
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
  std::set<std::string> keys;
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
      keys.clear();
      if (haveSet)
        (void)ScanSelection(set, L"Counting...", ScanSlot::kToid, viewer,
                            [&](const ShowOSGmlXdata& record, host::EntityName) {
                              if (IsAreaSymbol(record)) return ScanStep::kGoOn;
                              if (!keys.insert(DuplicateKey(record)).second) ++dialog.identicalCount;
                              return ScanStep::kGoOn;
                            });
      continue;
    }
    if (result != kRemoveRun) break;

    // The keys of an earlier count are forgotten, so that the first entity
    // of each key stays.
    keys.clear();
    const bool move = dialog.action == 1;
    const std::string layer = WideToNarrow(dialog.layer);
    bool ready = true;
    if (move) {
      (void)SaveAndSetSysVars();
      ready = MakeLayerCurrent(7, dialog.layer);
    }
    long removed = 0;
    if (ready && haveSet)
      (void)ScanSelection(set, L"Removing...", ScanSlot::kToid, viewer,
                          [&](const ShowOSGmlXdata& record, host::EntityName entity) {
                            if (IsAreaSymbol(record) || keys.insert(DuplicateKey(record)).second)
                              return ScanStep::kGoOn;
                            const bool done =
                                move ? SetEntityLayer(entity, layer.c_str()) : host::db::DeleteEntity(entity);
                            if (done) ++removed;
                            return ScanStep::kGoOn;
                          });
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
