#include "gml/ui/locate_dialogs.h"

#include "host/ui/data_exchange.h"

namespace {

using host::ui::ControlKind;
namespace st = host::ui::style;

host::ui::DialogTemplate LocateTemplate(int id, const wchar_t* caption, int textId, const wchar_t* label) {
  host::ui::DialogTemplate t;
  t.id = id;
  t.caption = caption;
  t.rect = {0, 0, 220, 96};
  t.controls = {
      {0, ControlKind::kStatic, label, 0, {7, 7, 80, 8}},
      {textId, ControlKind::kEdit, L"", 0, {7, 17, 150, 13}},
      {kIdPartialMatch, ControlKind::kCheckBox, L"Partial match OK", st::kAuto, {7, 36, 100, 10}},
      {kIdZoomWhenFound, ControlKind::kCheckBox, L"Zoom when found", st::kAuto, {7, 50, 100, 10}},
      {0, ControlKind::kStatic, L"Zoom window size (m)", 0, {7, 68, 80, 8}},
      {kIdZoomWindowSize, ControlKind::kEdit, L"", 0, {90, 66, 60, 13}},
      {host::ui::kIdOk, ControlKind::kButton, L"Locate...", st::kDefault, {163, 7, 50, 14}},
      {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {163, 24, 50, 14}},
  };
  return t;
}

}  // namespace

host::ui::DialogTemplate LocateToidTemplate() {
  return LocateTemplate(kLocateToidTemplate, L"LarMasterMap - Locate TOID", kIdToid, L"TOID to find:");
}

host::ui::DialogTemplate LocateRoadNameTemplate() {
  return LocateTemplate(kLocateRoadNameTemplate, L"LarMasterMap - Locate Road Name", kIdRoadName,
                        L"Road name to find:");
}

LocateTOIDsView::LocateTOIDsView(host::ui::Dialog* parent) : Dialog(LocateToidTemplate(), parent) {}

void LocateTOIDsView::DoDataExchange(host::ui::DataExchange& dx) {
  host::ui::DdxCheck(dx, kIdPartialMatch, partialMatch);
  host::ui::DdxCheck(dx, kIdZoomWhenFound, zoomWhenFound);
  host::ui::DdxText(dx, kIdToid, toid);
  host::ui::DdvMaxChars(dx, toid, kMaxToidChars);
  host::ui::DdxText(dx, kIdZoomWindowSize, windowSize);
  host::ui::DdvMinMax(dx, windowSize, 10.0, 1000.0);
}

CLocateRoadName::CLocateRoadName(host::ui::Dialog* parent) : Dialog(LocateRoadNameTemplate(), parent) {}

void CLocateRoadName::DoDataExchange(host::ui::DataExchange& dx) {
  host::ui::DdxText(dx, kIdZoomWindowSize, windowSize);
  host::ui::DdvMinMax(dx, windowSize, 1.0, 9999999.0);
  host::ui::DdxCheck(dx, kIdZoomWhenFound, zoomWhenFound);
  host::ui::DdxCheck(dx, kIdPartialMatch, partialMatch);
  host::ui::DdxText(dx, kIdRoadName, roadName);
}
