// The import command (lwhgmlin, and lwhgmlud through the update flag): the
// main dialog shown in a loop, new location filters between two showings,
// then the run over what was read; in a batch run each location is read by
// one more showing of the dialog, whose timer step reads it.
#include <cstdint>
#include <memory>
#include <string>

#include "gml/ui/location_dialogs.h"
#include "gml/ui/new_location_filter.h"
#include "gml/ui/osgml_input_dialog.h"
#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "gml/writer/import_run.h"
#include "host/editor/command_line.h"
#include "host/editor/system_variables.h"
#include "host/system/clock.h"
#include "host/ui/dialog.h"

namespace {

// One showing of the dialog in a batch run reads location `index`.
LocationReading ReadBatchLocation(OSGMLInputDialog& view, std::int32_t index, std::wstring* name) {
  view.batchIndex = index;
  const int step = view.DoModal();
  *name = view.locationName;
  if (step != host::ui::kIdOk || view.runMode == 0) return LocationReading::kStopped;
  return view.activeFileCount == 0 ? LocationReading::kNoData : LocationReading::kRead;
}

}  // namespace

void RunGmlImport() {
  host::SysVarResult osmode = host::GetSystemVariable(L"OSMODE");
  bool osmodeChanged = false;
  std::int16_t oldOsmode = 0;
  if (osmode.ok()) {
    oldOsmode = osmode.Short();
    osmodeChanged = host::SetSystemVariable(L"OSMODE", oldOsmode | 0x4000) == host::Status::kNormal;
  }
  host::SeedRandom(static_cast<std::uint32_t>(host::WallClockNow()));

  auto view = std::make_unique<OSGMLInputDialog>();
  view->updateMode = Varnel().updateMode;
  if (host::SysVarResult prefix = host::GetSystemVariable(L"DWGPREFIX"); prefix.ok())
    view->startFolder = prefix.Text();
  if (host::SysVarResult style = host::GetSystemVariable(L"TEXTSTYLE"); style.ok())
    view->textStyleName = style.Text();

  AskPostcode postcode;
  CAskRoadName roadName;
  AskAreaFilterTypeView kindDialog;
  int result = view->DoModal();
  for (;;) {
    if (result == import_dialog::kResultNewArea) {
      AddLocationFilter(*view, postcode, roadName, kindDialog);
    } else if (result == import_dialog::kResultViewAreas) {
      ShowLocationFilters(*view);
    } else {
      break;
    }
    result = view->DoModal();
  }

  if (result == host::ui::kIdOk && view->runMode != 0) {
    ImportRequest request;
    request.runMode = view->runMode;
    request.textStyleName = view->textStyleName;
    request.batchOutputFolder = view->batchOutputFolder;
    if (view->settings.batchSwitch) {
      view->batchRun = 1;
      request.readLocation = [&view](std::int32_t index, std::wstring* name) {
        return ReadBatchLocation(*view, index, name);
      };
    }
    DrawImport(*view, request);
  }

  FreeImportRecords(*view);
  if (view->skippedFiles > 0)
    host::Printf(L"\nNot read: %li file(s), each named in a \"Skipped\" line above.\n",
                 static_cast<long>(view->skippedFiles));
  view.reset();
  if (osmodeChanged) (void)host::SetSystemVariable(L"OSMODE", oldOsmode);
}
