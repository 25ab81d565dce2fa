#include "gml/ui/about_dialog.h"

namespace {
using host::ui::ControlKind;
namespace st = host::ui::style;
}  // namespace

host::ui::DialogTemplate AboutTemplate() {
  host::ui::DialogTemplate t;
  t.id = kAboutTemplate;
  t.caption = L"About Orvane";
  t.rect = {0, 0, 230, 90};
  t.controls = {
      {0, ControlKind::kPicture, L"", 0, {7, 7, 40, 40}},
      {kIdProductName, ControlKind::kStatic, L"Orvane", 0, {55, 7, 120, 16}},
      {0, ControlKind::kStatic, L"OS MasterMap data import into AutoCAD", 0, {55, 28, 168, 8}},
      {0, ControlKind::kStatic, L"Topography, ITN and Address Layer GML, plain or gzip", 0, {55, 40, 168, 8}},
      {host::ui::kIdOk, ControlKind::kButton, L"OK", st::kDefault, {173, 69, 50, 14}},
  };
  return t;
}

AboutDialogBox::AboutDialogBox(host::ui::Dialog* parent) : Dialog(AboutTemplate(), parent) {}

bool AboutDialogBox::OnInitDialog() {
  Dialog::OnInitDialog();
  // The picture is the first control of the template.
  if (!Controls().empty()) Controls().front()->SetBitmap(kAboutBitmap);
  host::ui::LogFont font = GetFont();
  font.height = font.height + font.height / 2;
  font.weight = 700;
  Item(kIdProductName).SetFont(font);
  return true;
}
