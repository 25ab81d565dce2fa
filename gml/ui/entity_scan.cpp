#include "gml/ui/entity_scan.h"

#include <string>

#include "gml/ui/boundary_selection.h"
#include "host/editor/display.h"
#include "common/cad/user_break.h"

const std::wstring& OsItem(const ShowOSGmlXdata& viewer, int index) { return viewer.slots[index]; }

bool ScanSelection(host::SelectionSetId set, std::wstring_view label, ScanSlot slot,
                   ShowOSGmlXdata& viewer,
                   const std::function<ScanStep(const ShowOSGmlXdata&, host::EntityName)>& visit) {
  const host::Input<std::int32_t> length = host::SelectionSetLength(set);
  const std::int32_t n = length.ok() ? length.value : 0;
  (void)host::SetProgressMeter(label, 0, 100);
  int shown = 0;
  bool broken = false;
  for (std::int32_t j = 0; j < n; ++j) {
    const host::Input<host::EntityName> name = host::SelectionSetName(set, j);
    if (!name.ok()) break;
    viewer.entity = name.value;
    viewer.ClearXdata();
    viewer.ReadXdata();
    const std::wstring& needed = OsItem(viewer, slot == ScanSlot::kArea ? 0x0C : 0x01);
    if (needed.empty()) continue;
    const int percent = static_cast<int>(static_cast<double>(j) / n * 100.0);
    if (percent > shown) {
      shown = percent;
      host::SetProgressMeterPos(percent);
      host::FlushGraphics();
      host::UpdateDisplay();
      ProcessPendingMessages();
      if (UserBreak()) {
        broken = true;
        break;
      }
    }
    if (visit(viewer, name.value) == ScanStep::kStop) break;
  }
  host::RestoreStatusBar();
  return !broken;
}

std::wstring ToidOnlyNote(long count, std::wstring_view one, std::wstring_view many, std::wstring_view what) {
  return L"\n" + std::to_wstring(count) + L" " + std::wstring(count == 1 ? one : many) +
         (count == 1 ? L" selected holds its TOID only: " : L" selected hold their TOID only: ") + std::wstring(what) +
         L" are imported with " + std::wstring(kFullAttributionsSetting) + L".";
}
