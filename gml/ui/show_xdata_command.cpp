// lwhgmlsw / lwhgmlsx: the attributes of picked entities, one pick after the
// other, until the viewer is closed or the user gives up.
#include "gml/ui/boundary_selection.h"
#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "gml/writer/os_xdata_record.h"
#include "host/editor/command_line.h"

namespace {

// The hint after an empty pick; false on the sixteenth miss in a row.
bool HintAfterMiss(int misses) {
  if (misses < 5)
    host::Print(L"\nHum... To cancel press <Esc>");
  else if (misses < 10)
    host::Print(L"\nHum... To cancel PRESS <ESC>");
  else if (misses < 15)
    host::Print(L"\nTO CANCEL PRESS <ESC>!!");
  else {
    host::Print(L"\nOkei, canceling.");
    return false;
  }
  return true;
}

}  // namespace

void ShowXdataCommand() {
  ShowOSGmlXdata viewer;
  viewer.userCodeSwitch = Varnel().showUserCode;
  viewer.readSwitch = 1;
  int misses = 0;
  for (;;) {
    host::EntityName entity;
    host::db::Point3 point;
    const host::Status status = SelectEntity(L"\nSelect an entity...", &entity, &point);
    if (status == host::Status::kCancel) return;
    if (status != host::Status::kNormal) {
      if (!HintAfterMiss(misses++)) return;
      continue;
    }
    misses = 0;
    viewer.entity = entity;
    viewer.result = 1;
    (void)viewer.DoModal();
    if (viewer.result != 2) return;
  }
}
