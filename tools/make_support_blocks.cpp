// Writes the block drawings of the default support folder: one small
// drawing for every block that the default settings and tables name (the
// symbol table's point and symbol blocks, the planting blocks of the
// symbology sets, the fixed block, the ITN node and the address point
// blocks), saved through the host's drawing database.
//
//   make_support_blocks FOLDER
//
// Each drawing holds its symbol in model space about the origin, about one
// drawing unit across (a metre at the 1:1250 block scale), on layer "0"
// with colour ByBlock, so an inserted block takes its layer's colour.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/db/database.h"
#include "host/db/drawing_file.h"

using host::db::Database;
using host::db::Point3;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Sketch {
  Database& db;

  void Add(host::db::EntityData data) {
    host::db::ObjectId id = db.Append(std::move(data), db.ModelSpace());
    db.EntityOf(id)->color = host::db::kColorByBlock;
  }
  void Line(double x1, double y1, double x2, double y2) { Add(host::db::LineData{{x1, y1, 0}, {x2, y2, 0}}); }
  void Circle(double x, double y, double r) { Add(host::db::CircleData{{x, y, 0}, r}); }
  // An arc from `from` to `to` degrees, counter-clockwise.
  void Arc(double x, double y, double r, double from, double to) {
    Add(host::db::ArcData{{x, y, 0}, r, from * kPi / 180, to * kPi / 180});
  }
  void Polyline(const std::vector<std::pair<double, double>>& points, bool closed) {
    host::db::LwPolylineData p;
    for (const auto& [x, y] : points) p.vertices.push_back({x, y, 0, 0, 0});
    p.closed = closed;
    Add(std::move(p));
  }
  void Solid(const std::vector<std::pair<double, double>>& points) {
    host::db::HatchData h;
    host::db::HatchLoop loop;
    loop.flags = host::db::kLoopExternal | host::db::kLoopPolyline;
    for (const auto& [x, y] : points) loop.points.push_back({x, y, 0});
    h.loops.push_back(std::move(loop));
    Add(std::move(h));
  }
  void Dot(double x, double y, double r) {
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 12; ++i)
      points.emplace_back(x + r * std::cos(i * kPi / 6), y + r * std::sin(i * kPi / 6));
    Solid(points);
  }
  // A grass tuft: three short strokes fanning up from (x, y).
  void Tuft(double x, double y, double h) {
    Line(x, y, x - 0.4 * h, y + h);
    Line(x, y, x, y + 1.1 * h);
    Line(x, y, x + 0.4 * h, y + h);
  }
};

struct Design {
  const char* name;
  std::function<void(Sketch&)> draw;
};

const std::vector<Design>& Designs() {
  static const std::vector<Design> designs = {
      // Points and symbols of the symbol table.
      {"BuildingSymbol", [](Sketch& s) {  // a house outline
         s.Polyline({{-0.4, -0.4}, {0.4, -0.4}, {0.4, 0.15}, {0, 0.5}, {-0.4, 0.15}}, true);
       }},
      {"BuildingPoint", [](Sketch& s) {  // a square with a dot
         s.Polyline({{-0.3, -0.3}, {0.3, -0.3}, {0.3, 0.3}, {-0.3, 0.3}}, true);
         s.Dot(0, 0, 0.08);
       }},
      {"StructurePoint", [](Sketch& s) {  // a triangle with a dot
         s.Polyline({{-0.4, -0.3}, {0.4, -0.3}, {0, 0.4}}, true);
         s.Dot(0, -0.05, 0.07);
       }},
      {"GeneralPoint", [](Sketch& s) {  // a ring with a cross
         s.Circle(0, 0, 0.3);
         s.Line(-0.45, 0, 0.45, 0);
         s.Line(0, -0.45, 0, 0.45);
       }},
      {"BenchMark", [](Sketch& s) {  // the broad arrow under a bar
         s.Line(-0.5, 0.25, 0.5, 0.25);
         s.Line(0, 0.25, 0, -0.45);
         s.Line(0, 0.25, -0.3, -0.2);
         s.Line(0, 0.25, 0.3, -0.2);
       }},
      {"RailSwitch", [](Sketch& s) {  // a track and its diverging branch
         s.Line(-0.5, 0, 0.5, 0);
         s.Line(-0.1, 0, 0.5, 0.3);
         s.Line(-0.1, -0.12, -0.1, 0.12);
       }},
      {"SpotHeight", [](Sketch& s) {  // the spot height cross with a dot
         s.Line(-0.3, 0, 0.3, 0);
         s.Line(0, -0.3, 0, 0.3);
         s.Dot(0, 0, 0.06);
       }},
      {"RoadNode", [](Sketch& s) {  // a node ring with its centre
         s.Circle(0, 0, 0.5);
         s.Dot(0, 0, 0.1);
       }},
      // The fixed block and the address point.
      {"apoint", [](Sketch& s) {  // a small diagonal cross
         s.Line(-0.25, -0.25, 0.25, 0.25);
         s.Line(-0.25, 0.25, 0.25, -0.25);
       }},
      {"AddressPoint", [](Sketch& s) {  // a pin: ring on a stem
         s.Circle(0, 0.35, 0.2);
         s.Line(0, 0.15, 0, -0.4);
         s.Dot(0, -0.4, 0.05);
       }},
      // Planting blocks of the symbology sets.
      {"TreeConiferous", [](Sketch& s) {  // a pointed crown on a trunk
         s.Polyline({{-0.35, -0.2}, {0.35, -0.2}, {0, 0.55}}, true);
         s.Line(0, -0.2, 0, -0.5);
       }},
      {"TreeNonconiferous", [](Sketch& s) {  // a round crown on a trunk
         s.Circle(0, 0.15, 0.35);
         s.Line(0, -0.2, 0, -0.5);
       }},
      {"Orchard", [](Sketch& s) {  // a small crown on a short trunk
         s.Circle(0, 0.1, 0.22);
         s.Line(0, -0.12, 0, -0.35);
         s.Line(-0.15, -0.35, 0.15, -0.35);
       }},
      {"RoughGrass", [](Sketch& s) {  // two tufts
         s.Tuft(-0.2, -0.2, 0.35);
         s.Tuft(0.25, -0.1, 0.3);
       }},
      {"Heath", [](Sketch& s) {  // a low tuft with bent tips
         s.Tuft(0, -0.2, 0.3);
         s.Arc(-0.2, 0.1, 0.12, 0, 180);
         s.Arc(0.2, 0.1, 0.12, 0, 180);
       }},
      {"Scrub", [](Sketch& s) {  // small open bushes
         s.Arc(-0.2, 0, 0.18, 0, 180);
         s.Arc(0.2, 0, 0.18, 0, 180);
         s.Arc(0, 0.2, 0.18, 0, 180);
       }},
      {"Marsh", [](Sketch& s) {  // water lines under reeds
         s.Line(-0.5, -0.2, 0.5, -0.2);
         s.Line(-0.3, -0.35, 0.3, -0.35);
         s.Tuft(0, -0.2, 0.35);
       }},
      {"Boulder", [](Sketch& s) {  // a rounded stone
         s.Polyline({{-0.3, -0.2}, {0.25, -0.25}, {0.35, 0.05}, {0.1, 0.3}, {-0.25, 0.2}}, true);
       }},
      {"Rock", [](Sketch& s) {  // a jagged outcrop
         s.Polyline({{-0.5, -0.25}, {-0.2, 0.25}, {0, 0}, {0.2, 0.35}, {0.5, -0.25}}, false);
         s.Line(-0.2, 0.25, -0.1, -0.25);
         s.Line(0.2, 0.35, 0.25, -0.25);
       }},
      {"Scree", [](Sketch& s) {  // loose stones
         s.Dot(-0.25, -0.15, 0.07);
         s.Dot(0.2, -0.2, 0.06);
         s.Dot(0, 0.15, 0.08);
         s.Dot(0.3, 0.2, 0.05);
       }},
  };
  return designs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_support_blocks FOLDER\n");
    return 2;
  }
  int failures = 0;
  for (const Design& design : Designs()) {
    Database db;
    Sketch sketch{db};
    design.draw(sketch);
    const std::string path = std::string(argv[1]) + "/" + design.name + ".dxf";
    if (auto saved = host::db::SaveDrawing(db, path); !saved) {
      std::fprintf(stderr, "%ls\n", saved.message.c_str());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
