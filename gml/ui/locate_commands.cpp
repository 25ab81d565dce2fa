// lwhgmllo / lwhgmllr: entities found by TOID or by road name, zoomed to and
// highlighted one after the other.
#include <cwchar>
#include <string>

#include "common/containers/text.h"
#include "gml/ui/boundary_selection.h"
#include "gml/ui/entity_scan.h"
#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "gml/ui/locate_dialogs.h"
#include "gml/writer/entity_writers.h"
#include "host/editor/command_line.h"
#include "host/editor/graphics.h"
#include "host/editor/prompts.h"
#include "host/system/entity_name.h"
#include "host/system/wide_text.h"
#include "host/ui/dialog_template.h"
#include "host/ui/message_box.h"

namespace {

// The line that says which entity a hit is and where the view went.
void SayHit(const ShowOSGmlXdata& record, int item, host::EntityName entity, bool hasPoint, double x, double y,
            bool zoomed, double windowSize) {
  std::wstring text = L"\nFound entity " + host::HandleText(entity) + L" (TOID " + record.Toid();
  if (item != 0x01) text += L", " + OsItem(record, item);
  text += L")";
  if (!hasPoint) {
    host::Print(text + L", highlighted.");
    return;
  }
  wchar_t where[200];
  if (zoomed)
    std::swprintf(where, 200, L" at %.3f,%.3f, highlighted; the view is centred there, %g m across.", x, y,
                  windowSize);
  else
    std::swprintf(where, 200, L" at %.3f,%.3f, highlighted; the view is not moved.", x, y);
  host::Print(text + where);
}

// The scan of both commands: `item` is the compared OS item; `alwaysAsk`
// asks to continue after every hit (else only in partial mode). A hit
// ignores letter case in every alphabet, in both modes: ITN names are stored
// in capitals, and a user types them as spoken.
void Locate(const LocateValues& values, int item, bool alwaysAsk, const wchar_t* notFound) {
  host::Print(L"\nSelect entities...");
  const host::Input<host::SelectionSetId> set = host::SelectEntities();
  if (!set.ok()) return;
  ShowOSGmlXdata viewer;
  bool found = false;
  // Roads whose block holds their TOID only: they carry no name to match.
  long namelessRoads = 0;
  const bool partial = values.partialMatch != 0;
  (void)ScanSelection(set.value, L"Scanning...", ScanSlot::kToid, viewer,
                      [&](const ShowOSGmlXdata& record, host::EntityName entity) {
                        const std::wstring& value = OsItem(record, item);
                        if (item == 0x02 && record.Kind() == L"9" && record.HoldsToidOnly()) ++namelessRoads;
                        const bool hit = partial ? host::ContainsIgnoringCase(value, values.text)
                                                 : host::SameIgnoringCase(value, values.text);
                        if (!hit) return ScanStep::kGoOn;
                        found = true;
                        double x = 0, y = 0;
                        const bool hasPoint = GetEntityPoint(entity, &x, &y);
                        // The view moves only when the user asked for it.
                        const bool zoom = values.zoomWhenFound && hasPoint;
                        if (zoom) {
                          const double half = values.windowSize / 2;
                          ZoomWindowWithMargin(x + half, y + half, x - half, y - half);
                        }
                        (void)host::RedrawEntity(entity, 3);
                        SayHit(record, item, entity, hasPoint, x, y, zoom, values.windowSize);
                        if (!alwaysAsk && !partial) return ScanStep::kStop;
                        const host::Input<std::wstring> answer =
                            host::GetKeyword(L"\nContinue search? <Yes> / No: ", {L"Yes", L"No"});
                        if (!answer.ok() || answer.value == L"No")
                          return ScanStep::kStop;
                        host::Print(L"\n");
                        (void)host::RedrawEntity(entity, 4);
                        return ScanStep::kGoOn;
                      });
  (void)host::FreeSelectionSet(set.value);
  if (!found) {
    wchar_t text[400];
    std::swprintf(text, 400, notFound, values.text.c_str());
    std::wstring message = text;
    if (namelessRoads > 0) message += ToidOnlyNote(namelessRoads, L"road", L"roads", L"road names");
    (void)host::ui::ShowMessageBox(message, L"");
  }
}

}  // namespace

void LocateToidCommand() {
  LocateValues& values = Varnel().locateToid;
  LocateTOIDsView dialog;
  dialog.windowSize = values.windowSize;
  dialog.zoomWhenFound = values.zoomWhenFound;
  dialog.partialMatch = values.partialMatch;
  dialog.toid = values.text;
  if (dialog.DoModal() != host::ui::kIdOk) return;
  values = {dialog.windowSize, dialog.zoomWhenFound, dialog.partialMatch, dialog.toid};
  if (values.text.empty()) return;
  Locate(values, 0x01, false, L"TOID %ls was not found");
}

void LocateRoadNameCommand() {
  LocateValues& values = Varnel().locateRoad;
  CLocateRoadName dialog;
  dialog.windowSize = values.windowSize;
  dialog.zoomWhenFound = values.zoomWhenFound;
  dialog.partialMatch = values.partialMatch;
  dialog.roadName = values.text;
  if (dialog.DoModal() != host::ui::kIdOk) return;
  values = {dialog.windowSize, dialog.zoomWhenFound, dialog.partialMatch, dialog.roadName};
  if (values.text.empty()) return;
  Locate(values, 0x02, true, L"Road name %ls was not found");
}
