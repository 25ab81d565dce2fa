// New location filters between two showings of the main import dialog,
// and the display of the chosen ones.
#include "gml/ui/new_location_filter.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "common/containers/line_reader.h"
#include "common/containers/text.h"
#include "common/geometry/alignment.h"
#include "common/geometry/plane_geometry.h"
#include "gml/settings/os_tiles.h"
#include "gml/ui/location_dialogs.h"
#include "gml/ui/osgml_input_dialog.h"
#include "gml/ui/varnel_state.h"
#include "gml/writer/entity_writers.h"
#include "gml/ui/location_areas.h"
#include "gml/writer/road_network_buffer.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/graphics.h"
#include "host/editor/host_commands.h"
#include "host/editor/point_prompts.h"
#include "host/editor/system_variables.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

namespace {

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
  // Reading a pipe waits for a writer and a device may never end.
  if (!host::IsPlainFile(chosen.value.front())) {
    host::Printf(L"\nThe tile name file %ls is not a regular file (a pipe, a device or a socket): "
                 L"no area added.\n",
                 chosen.value.front().c_str());
    return;
  }
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

}  // namespace

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
