#include "join/polyline_writers.h"

#include <vector>

#include "common/geometry/plane_geometry.h"
#include "host/db/database.h"
#include "host/editor/display.h"
#include "host/system/events.h"

namespace {

using host::db::Point3;

// The points the vertex writers keep.
std::vector<Point3> SpacedPoints(std::span<const Point3> points) {
  std::vector<Point3> kept;
  kept.reserve(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i == 0 || Distance2d(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y) >
                      kJoinVertexSpacing)
      kept.push_back(points[i]);
  }
  return kept;
}

// Colour and layer of a new entity; a polyline whose layer is missing is
// erased again.
bool Finish(host::db::Database& db, host::EntityName id, std::int16_t colour,
            std::wstring_view layer, host::EntityName* made) {
  if (id.IsNull()) return false;
  db.EntityOf(id)->color = colour;
  if (!db.SetLayer(id, layer)) {
    db.Erase(id);
    return false;
  }
  if (made != nullptr) *made = id;
  return true;
}

bool AppendLightweight(std::vector<host::db::LwVertex> vertices, std::wstring_view layer,
                       std::int16_t colour, double elevation, double constantWidth,
                       host::EntityName* made) {
  host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr || vertices.size() < 2) return false;
  host::db::LwPolylineData data;
  data.vertices = std::move(vertices);
  data.elevation = elevation;
  data.constantWidth = constantWidth;
  return Finish(*db, db->Append(std::move(data)), colour, layer, made);
}

// A vertex whose widths are the polyline's constant width.
host::db::LwVertex Vertex(double x, double y, double width) { return {x, y, 0.0, width, width}; }

}  // namespace

bool CreatePolylineFromElements(std::wstring_view layer, std::int16_t colour, double elevation,
                                double constantWidth, std::span<const GeometryElement> elements,
                                host::EntityName* made) {
  std::vector<host::db::LwVertex> vertices;
  vertices.reserve(elements.size() + 1);
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const GeometryElement& e = elements[i];
    if (i == 0) vertices.push_back(Vertex(e.startX, e.startY, constantWidth));
    double bulge = 0.0;
    if (e.radiusStart != 0.0 &&
        BulgeFromRadius(e.startX, e.startY, e.endX, e.endY, e.centreX, e.centreY, e.radiusStart,
                        bulge))
      vertices[i].bulge = bulge;
    vertices.push_back(Vertex(e.endX, e.endY, constantWidth));
  }
  return AppendLightweight(std::move(vertices), layer, colour, elevation, constantWidth, made);
}

bool CreatePolylineFromVertices(std::wstring_view layer, std::int16_t colour, double elevation,
                                double constantWidth, std::span<const Point3> points,
                                host::EntityName* made) {
  std::vector<host::db::LwVertex> vertices;
  for (const Point3& p : SpacedPoints(points)) vertices.push_back(Vertex(p.x, p.y, constantWidth));
  return AppendLightweight(std::move(vertices), layer, colour, elevation, constantWidth, made);
}

bool Create3dPolylineFromVertices(std::wstring_view layer, std::int16_t colour,
                                  std::span<const Point3> points, host::EntityName* made) {
  host::db::Database* db = host::db::WorkingDatabase();
  const std::vector<Point3> kept = SpacedPoints(points);
  if (db == nullptr || kept.size() < 2) return false;
  host::db::PolylineData header;
  header.flags = host::db::kPolyline3d;
  std::vector<host::db::VertexData> vertices;
  vertices.reserve(kept.size());
  for (const Point3& p : kept) {
    host::db::VertexData v;
    v.position = p;
    v.flags = host::db::kVertex3d;
    vertices.push_back(v);
  }
  return Finish(*db, db->AppendPolyline(std::move(header), vertices), colour, layer, made);
}

void UpdateScreen() {
  host::FlushGraphics();
  host::UpdateDisplay();
}

void SetProgressMeter(std::wstring_view label, int minimum, int maximum) {
  (void)host::SetProgressMeter(label, minimum, maximum);
}

void SetProgressPosition(int position) {
  host::SetProgressMeterPos(position);
  host::PumpMessages();
}

void RestoreStatusBar() { host::RestoreStatusBar(); }
