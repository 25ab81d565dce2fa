#include "gml/writer/entity_writers.h"
#include "host/editor/host_commands.h"

void ZoomWindowWithMargin(double xmax, double ymax, double xmin, double ymin) {
  const double mx = (xmax - xmin) * 0.1;
  const double my = (ymax - ymin) * 0.1;
  (void)host::RunHostCommand({std::wstring(L"_LIMITS"), std::wstring(L"_OFF")});
  (void)host::RunHostCommand({std::wstring(L"_ZOOM"), std::wstring(L"_W"),
                              host::db::Point3{xmin - mx, ymin - my, 0},
                              host::db::Point3{xmax + mx, ymax + my, 0}});
}

void SetActiveViewport(double xmax, double ymax, double xmin, double ymin, host::db::Database& db) {
  host::db::ViewportRecord* viewport = db.ActiveViewport();
  if (viewport == nullptr) return;
  viewport->centerX = (xmax + xmin) / 2;
  viewport->centerY = (ymax + ymin) / 2;
  viewport->height = ymax - ymin;
  viewport->width = xmax - xmin;
}
