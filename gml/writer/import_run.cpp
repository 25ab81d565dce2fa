// The import run: the dialog loop, new location filters, and the passes
// that draw into the current drawing or into one drawing per location.
#include "gml/writer/import_run.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "common/cad/current_layer.h"
#include "common/containers/text.h"
#include "common/geometry/alignment.h"
#include "common/geometry/plane_geometry.h"
#include "gml/settings/os_tiles.h"
#include "common/containers/line_reader.h"
#include "gml/ui/location_dialogs.h"
#include "gml/ui/osgml_input_dialog.h"
#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "gml/writer/blocks.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/feature_pass.h"
#include "gml/writer/layers.h"
#include "gml/writer/location_areas.h"
#include "gml/writer/os_xdata.h"
#include "gml/writer/road_network_buffer.h"
#include "host/db/drawing_file.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/graphics.h"
#include "host/editor/host_commands.h"
#include "host/editor/point_prompts.h"
#include "host/editor/system_variables.h"
#include "host/system/clock.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"
#include "host/system/events.h"
#include "host/ui/pickers.h"

namespace {

std::wstring Format(const wchar_t* format, auto... values) {
  wchar_t buffer[2048];
  std::swprintf(buffer, 2048, format, values...);
  return buffer;
}

bool AddWindow(AreaFilter& filter, const std::string& description, double x1, double y1, double x2,
               double y2) {
  AreaFilterArea area{};
  area.kind = kAreaWindow;
  area.tag = 1;
  CopyUtf8Field(area.description, description);
  area.corner1X = x1, area.corner1Y = y1, area.corner2X = x2, area.corner2Y = y2;
  return filter.AddArea(area);
}

// Kind 30: a polygon by points; fewer than three points make no area.
void AddPolygon(AreaFilter& filter, const std::string& description) {
  std::vector<host::db::Point3> points;
  host::Input<host::db::Point3> first = host::GetPoint(L"\nDefine an area");
  if (!first.ok()) return;
  points.push_back(first.value);
  for (;;) {
    host::Input<host::db::Point3> next =
        host::GetPoint(points.back(), L"\nDefine an area, press <Enter> when finished...");
    if (next.status == host::Status::kCancel) {
      (void)host::RunHostCommand({std::wstring(L"_redraw")});
      return;
    }
    if (!next.ok()) break;
    host::DrawVector(points.back(), next.value, 1, false);
    points.push_back(next.value);
  }
  if (points.size() < 3) {
    host::Print(L"\nA polygon needs at least 3 points: no area added.\n");
    (void)host::RunHostCommand({std::wstring(L"_redraw")});
    return;
  }
  host::DrawVector(points.back(), points.front(), 1, false);
  AreaFilterArea area{};
  area.kind = kAreaPolygon;
  area.tag = 1;
  CopyUtf8Field(area.description, description);
  if (!GrowArrayCreate(50, sizeof(GeometryElement), &area.elements)) return;
  double chainage = 0;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    GeometryElement e{};
    e.startX = points[i].x, e.startY = points[i].y;
    e.endX = points[i + 1].x, e.endY = points[i + 1].y;
    e.length = std::hypot(e.endX - e.startX, e.endY - e.startY);
    e.startChainage = chainage;
    e.headingStart = e.headingEnd = Bearing2d(e.startX, e.startY, e.endX, e.endY);
    chainage += e.length;
    (void)GrowArraySet(&area.elements, area.elements.count, &e);
  }
  if (!filter.AddArea(area)) GrowArrayFree(&area.elements);
  host::UpdateDisplay();
}

// Kind 90: a text file of OS tile names, one window per valid name.
void AddTileWindows(AreaFilter& filter) {
  if (host::ui::ShowMessageBox(
          L"This option lets you select a text file created with\ne.g. Notepad which contains "
          L"valid OS tile names. The\ntile names will be read in and processed as location\n"
          L"filters, ready to be used with Batch Processing.\nFor example: \n\nSU7306\nSU8677SE\n"
          L"SU8777\nTQ0177\nTQ0178NW\nTQ0077\n\nProceed?",
          L"", host::ui::MessageButtons::kOkCancel) != host::ui::MessageResult::kOk)
    return;
  host::ui::FileDialogRequest request;
  request.title = L"Text file containing list of OS tile names";
  request.filters = host::ui::ParseFilterText(L"Text files (*.txt)|*.txt||");
  request.must_exist = true;
  host::SysVarResult prefix = host::GetSystemVariable(L"DWGPREFIX");
  if (prefix.ok()) request.initial_folder = prefix.Text();
  host::Result<host::ui::FileDialogPaths> chosen = host::ui::ShowFileDialog(request);
  if (!chosen.ok() || chosen.value.empty()) return;
  LineReader reader(chosen.value.front(), 1023);
  if (!reader.Ok()) {
    host::Print(L"\nThe tile name file cannot be read: no area added.\n");
    return;
  }
  std::string line;
  bool cut = false, insideLongLine = false;
  while (reader.Next(&line, &cut)) {
    // The rest of an overlong line is no name of its own.
    const bool rest = insideLongLine;
    insideLongLine = cut;
    double x = 0, y = 0, size = 0;
    if (!rest && ParseTileName(NarrowToWide(line).c_str(), &x, &y, &size))
      (void)AddWindow(filter, line, x, y, x + size, y + size);
  }
}

void AddLocationFilter(OSGMLInputDialog& view, AskPostcode& postcode, CAskRoadName& roadName,
                       AskAreaFilterTypeView& kindDialog) {
  kindDialog.roadBufferAllowed = view.settings.includeZarnsHaStuff;
  const int kind = kindDialog.DoModal();
  std::string description = WideToUtf8(kindDialog.description);
  AreaFilter& filter = view.locationFilter;
  switch (kind) {
    case 20: {
      host::Input<host::db::Point3> a = host::GetPoint(L"\nWindow select an area");
      if (!a.ok()) return;
      host::Input<host::db::Point3> b = host::GetCorner(a.value, L"");
      if (!b.ok()) return;
      (void)AddWindow(filter, description, a.value.x, a.value.y, b.value.x, b.value.y);
      return;
    }
    case 30:
      AddPolygon(filter, description);
      return;
    case 50: {
      postcode.postcodeFile = view.settings.postcodePath;
      if (postcode.DoModal() != host::ui::kIdOk) return;
      const double e = postcode.easting, n = postcode.northing;
      ZoomWindowWithMargin(e + 75, n + 75, e - 75, n - 75);
      host::Input<double> d = host::GetDistance({e, n, 0}, L"\nSelection box size: ");
      if (!d.ok()) return;
      if (description.empty()) description = WideToUtf8(postcode.postcode);
      (void)AddWindow(filter, description, e - d.value, n - d.value, e + d.value, n + d.value);
      return;
    }
    case 70: {
      roadName.text = Varnel().roadSearchText;
      roadName.frameSize = Varnel().roadFrameSize;
      if (roadName.DoModal() != host::ui::kIdOk) return;
      Varnel().roadSearchText = roadName.text;
      Varnel().roadFrameSize = roadName.frameSize;
      double x1, y1, x2, y2;
      if (!view.RunSearchTextDialog(roadName.text, roadName.frameSize, &x1, &y1, &x2, &y2)) {
        host::Print(L"\nText not found: no area added.\n");
        return;
      }
      ZoomWindowWithMargin(x2, y2, x1, y1);
      if (description.empty()) description = WideToUtf8(roadName.text);
      (void)AddWindow(filter, description, x1, y1, x2, y2);
      return;
    }
    case 90:
      AddTileWindows(filter);
      return;
    case 10:
      (void)AddPickedBoundaryArea(filter, description);
      return;
    case 40:
      (void)AddBufferZoneArea(filter, description);
      return;
    case 60:
      (void)AddBatchBoundaryAreas(filter, kindDialog.onlyBatchAreas != 0);
      return;
    case 80:
      (void)AddRoadNetworkArea(filter);
      return;
    default:
      return;
  }
}

void ShowLocationFilters(OSGMLInputDialog& view) {
  AreaFilter& filter = view.locationFilter;
  ZoomWindowWithMargin(filter.maxX, filter.maxY, filter.minX, filter.minY);
  host::RedrawAll();
  GrowArray segments{};
  for (std::int32_t i = 0; i < filter.GetAreaCount(); ++i) {
    AreaFilterArea area{};
    if (!filter.GetArea(&area, i) || !area.selected) continue;
    if (!GrowArrayCreate(2000, sizeof(OutlineSegment), &segments)) break;
    if (filter.AreaToOutline(area, &segments)) {
      const int colour = i + 1 > 255 ? 1 : i + 1;
      for (std::int32_t s = 0; s < segments.count; ++s) {
        const OutlineSegment& seg = static_cast<const OutlineSegment*>(segments.data)[s];
        host::DrawVector({seg.x1, seg.y1, 0}, {seg.x2, seg.y2, 0}, colour, false);
      }
    }
    GrowArrayFree(&segments);
  }
  host::UpdateDisplay();
  (void)host::ui::ShowMessageBox(L"Click OK when ready.", L"");
}

bool ExtentValid(const OSGMLInputDialog& view) {
  return view.readMinX <= view.readMaxX && view.readMinY <= view.readMaxY &&
         view.readMaxX < 1e9 && view.readMinX > -1e9;
}

void DrawGrid(ImportRun& run, bool batch) {
  const OSGMLInputDialog& v = *run.view;
  // Without a kept feature the extent is still its start value: no grid.
  if (!ExtentValid(v)) return;
  const long xFrom = static_cast<long>(v.readMinX + 10) / 100 * 100;
  const long yFrom = static_cast<long>(v.readMinY + 10) / 100 * 100;
  const long xTo = static_cast<long>(v.readMaxX) / 100 * 100;
  const long yTo = static_cast<long>(v.readMaxY) / 100 * 100;
  auto line = [&](double x1, double y1, double x2, double y2) {
    if (batch) {
      (void)DrawTwoPointPolyline("Grid", 256, 0, *run.target, x1, y1, x2, y2);
    } else {
      (void)host::RunHostCommand({std::wstring(L"_LINE"), host::db::Point3{x1, y1, 0},
                                  host::db::Point3{x2, y2, 0}, std::wstring(L"")});
    }
  };
  if (batch) {
    if (!EnsureLayer(8, "Grid", *run.target)) return;
  } else if (!MakeLayerCurrent(8, L"Grid")) {
    return;
  }
  for (long x = xFrom; x <= xTo; x += 100) line(x, yFrom, x, yTo);
  for (long y = yFrom; y <= yTo; y += 100) line(xFrom, y, xTo, y);
}

void ApplyLayerStates(ImportRun& run) {
  const OS_GML_ACAD_Definitions& s = run.view->settings;
  ApplyLookupLayerStates(s.codeTable, *run.target, s.drawPolygonsAsPolylines != 0);
  for (std::int32_t i = 0; i < run.usedLayers.count; ++i) {
    const UsedLayerEntry& e = static_cast<const UsedLayerEntry*>(run.usedLayers.data)[i];
    if (e.itnClass == 0)
      SetLayerState(s.roadNodeLayerOn, s.roadNodeLayerFrozen, s.roadNodeLayerLocked, e.name, *run.target);
    else if (e.itnClass == 1)
      SetLayerState(s.roadLinkLayerOn, s.roadLinkLayerFrozen, s.roadLinkLayerLocked, e.name, *run.target);
    else
      SetLayerState(s.roadLayerOn, s.roadLayerFrozen, s.roadLayerLocked, e.name, *run.target);
  }
}

}  // namespace

void DrawFeaturePasses(ImportRun& run) {
  if (!run.passes) return;
  FeaturePassOptions options;
  options.updateMode = run.view->updateMode != 0;
  options.batchMode = run.batch;
  options.sdfOutput = run.view->settings.attributesToSdf != 0;
  options.runMode = run.view->runMode;
  run.passes->ok = run.ok;
  run.passes->stop = run.stop;
  // Each pass draws from a reading of its own: the records go as they are drawn.
  (void)run.passes->DrawPass(ReleasingFeatureListsOf(*run.view), options, *run.target,
                             run.blockScale, &run.vertices, &run.usedLayers);
  run.ok = run.passes->ok;
  run.stop = run.passes->stop;
}

double ImportSizeFactor(int choice, int manualScale) {
  switch (choice) {
    case 0: return 0.4;
    case 1: return 1.0;
    case 2: return 2.0;
    case 3: return 8.0;
    default: return manualScale / 1250.0;
  }
}

std::wstring BatchDrawingPath(const std::wstring& folder, const std::wstring& locationName,
                              int index) {
  std::wstring name = locationName.empty() ? Format(L"Batch %li", static_cast<long>(index)) : locationName;
  // Characters a file name cannot hold become '_'.
  for (wchar_t& c : name)
    if (std::wcschr(L"\\/:*?\"<>|", c) || c < 32) c = L'_';
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'/' && path.back() != L'\\') path += L'/';
  return path + name + L".dwg";
}

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
    ImportRun run;
    run.view = view.get();
    run.ok = GrowArrayCreate(1000, sizeof(UsedLayerEntry), &run.usedLayers) &&
             GrowArrayCreate(1000, sizeof(PolylineVertex), &run.vertices);
    const OS_GML_ACAD_Definitions& s = view->settings;
    run.sizeFactor = ImportSizeFactor(s.scalingFactorChoice, s.manualScalingFactor);
    run.blockScale = s.blockScalingFactor * run.sizeFactor;
    run.batch = s.batchSwitch != 0;
    FeatureDrawingRun featurePasses(s);
    featurePasses.StartRun();
    run.passes = &featurePasses;
    const std::int32_t passes = run.batch ? view->locationFilter.GetAreaCount() : 1;
    if (run.batch) view->batchRun = 1;
    std::vector<std::wstring> notDone;
    for (std::int32_t i = 0; i < passes && view->runMode != 0; ++i) {
      std::unique_ptr<host::db::Database> side;
      bool skipped = false;
      if (run.batch) {
        if (i == 0) host::Print(L"Orvane Batch mode started.\n");
        // After Esc the location in progress was saved: the others are left.
        if (run.stop) {
          AreaFilterArea area{};
          (void)view->locationFilter.GetArea(&area, i);
          notDone.push_back(BatchDrawingPath(view->batchOutputFolder, Utf8ToWide(FieldText(area.description)), i));
          continue;
        }
        view->batchIndex = i;
        side = std::make_unique<host::db::Database>();
        (void)CopyHostTextStyles(*side, view->textStyleName);
        (void)CopyHostLayers(*side);
        run.target = side.get();
        const int step = view->DoModal();
        skipped = step != host::ui::kIdOk || view->activeFileCount == 0 || view->runMode == 0;
        if (host::UserBreak()) run.stop = true;
      } else {
        run.target = host::db::WorkingDatabase();
      }
      if (!run.target) break;
      if (!skipped) {
        if (run.ok && !RegisterOsXdataApp(*run.target)) run.ok = false;
        if (run.batch) {
          if (ExtentValid(*view))
            SetActiveViewport(view->readMaxX, view->readMaxY, view->readMinX, view->readMinY, *run.target);
          if (s.drawOsGridLines) DrawGrid(run, true);
        } else {
          if (run.ok && ExtentValid(*view) &&
              ((view->runMode == 1 && s.zoomToData && view->CountAllFeatures() > 0) ||
               (view->runMode == 2 && view->GetPointStreamCount() > 0)))
            ZoomWindowWithMargin(view->readMaxX, view->readMaxY, view->readMinX, view->readMinY);
          if (s.drawOsGridLines) DrawGrid(run, false);
        }
        DrawFeaturePasses(run);
      }
      ApplyLayerStates(run);
      if (run.batch) {
        const std::wstring path = BatchDrawingPath(view->batchOutputFolder, view->locationName, i);
        if (skipped) {
          host::Printf(L"Skipped (no data) %ls.\n", path.c_str());
        } else if (!host::db::SaveDrawing(*side, path).ok()) {
          host::Printf(L"AutoCAD Drawing file %ls could not be saved.\n", path.c_str());
        } else {
          host::Printf(L"AutoCAD Drawing file %ls created.\n", path.c_str());
        }
        side.reset();
        view->crossFileToids.Clear();
      }
    }
    for (const std::wstring& path : notDone)
      host::Printf(L"Not done (stopped): %ls.\n", path.c_str());
    GrowArrayFree(&run.vertices);
    GrowArrayFree(&run.usedLayers);
  }

  host::Print(L"\nFinishing up...");
  const std::int32_t nested = view->GetNestedArrayCount();
  for (std::int32_t i = 0; i < nested; ++i) view->FreeNestedArrays(i, i + 1);
  view.reset();
  if (osmodeChanged) (void)host::SetSystemVariable(L"OSMODE", oldOsmode);
}
