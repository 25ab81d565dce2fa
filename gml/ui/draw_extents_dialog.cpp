#include "gml/ui/draw_extents_dialog.h"

namespace {
using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;
}  // namespace

host::ui::DialogTemplate DrawExtentsTemplate() {
  host::ui::DialogTemplate t;
  t.id = kDrawExtentsTemplate;
  t.caption = L"Draw OS MasterMap Extents";
  t.rect = {0, 0, 220, 60};
  t.controls = {
      {kIdActualOutline, ControlKind::kRadioButton, L"Outline of actual data coverage", st::kAuto | st::kGroup,
       {7, 10, 150, 10}},
      {kIdRectangularOutline, ControlKind::kRadioButton, L"Rectangular outline of data coverage", st::kAuto,
       {7, 26, 150, 10}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault | st::kGroup, {163, 7, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {163, 24, 50, 14}},
  };
  return t;
}

CDrawMMExtents::CDrawMMExtents(host::ui::Dialog* parent) : Dialog(DrawExtentsTemplate(), parent) {
  On(kIdActualOutline, Notify::kClick, [this] {
    actualOutline = IsDlgButtonChecked(kIdActualOutline) == host::ui::kChecked ? 1 : 0;
    rectangularOutline = actualOutline != 0 ? 0 : 1;
  });
  On(kIdRectangularOutline, Notify::kClick, [this] {
    rectangularOutline = IsDlgButtonChecked(kIdRectangularOutline) == host::ui::kChecked ? 1 : 0;
    actualOutline = rectangularOutline != 0 ? 0 : 1;
  });
}

bool CDrawMMExtents::OnInitDialog() {
  Dialog::OnInitDialog();
  if (actualOutline != 0) {
    CheckRadioButton(kIdRectangularOutline, kIdActualOutline, kIdActualOutline);
  } else if (rectangularOutline != 0) {
    CheckRadioButton(kIdRectangularOutline, kIdActualOutline, kIdRectangularOutline);
  }
  return true;
}

void CDrawMMExtents::OnOK() { EndDialog(host::ui::kIdOk); }
