// A drawing with one entity of every kind, each carrying the xdata of two
// applications, for the file tests.
#pragma once

#include "host/db/database.h"

namespace host::db::testing {

inline constexpr const wchar_t* kAppOs = L"LARCHWORKS_XGML_OSGB_TESTUSERRA";
inline constexpr const wchar_t* kAppBatch = L"LARCHWORKS_XGML_BATC_LOCATIONRA";

inline void FillSample(Database& db) {
  db.RegisterApp(kAppOs);
  db.RegisterApp(kAppBatch);
  LayerRecord roads;
  roads.name = L"Roads \u00e9";
  roads.color = 3;
  roads.off = true;
  roads.locked = true;
  db.AddLayer(roads);
  LayerRecord frozen;
  frozen.name = L"Frozen";
  frozen.frozen = true;
  frozen.frozenInNewViewports = true;
  frozen.color = 250;
  db.SetCurrentLayer(db.AddLayer(frozen));
  TextStyleRecord style;
  style.name = L"OS";
  style.font = L"arial.ttf";
  db.SetCurrentTextStyle(db.AddTextStyle(style));
  db.Settings().plinegen = true;
  ViewportRecord& vp = db.EnsureActiveViewport();
  vp.centerX = 530000.5;
  vp.centerY = 180000.25;
  vp.height = 120;
  vp.width = 240;

  ObjectId symbol = db.AddBlock(L"TREE", Point3{0.5, 0.5, 0});
  db.Append(CircleData{{0, 0, 0}, 0.5}, symbol);
  db.Append(LineData{{-0.5, 0, 0}, {0.5, 0, 0}}, symbol);

  std::vector<ObjectId> ids;
  ids.push_back(db.Append(LineData{{530000.125, 180000.5, 0}, {530010.75, 180020.0625, 1.5}}));
  ids.push_back(db.Append(ArcData{{10, 20, 0}, 5, 0.5, 4.0}));
  ids.push_back(db.Append(CircleData{{-3, 4, 2}, 1e-3}));
  ids.push_back(db.Append(PointData{{1.0 / 3, 2.0 / 3, 7}}));
  TextData text;
  text.position = {1, 2, 3};
  text.alignment = {4, 5, 3};
  text.height = 2.5;
  text.rotation = 1.25;
  text.text = L"St Mary's \u00a3 caf\u00e9 \u0141\u00f3d\u017a ^ two\nlines";
  text.horizontal = TextHorizontal::kMiddle;
  text.vertical = TextVertical::kMiddle;
  ids.push_back(db.Append(text));
  LwPolylineData lw;
  lw.vertices = {{0, 0, 0, 0, 0}, {10, 0, 0.5, 0.25, 0.75}, {10, 10, -1, 0, 0}, {0, 10, 0, 0, 0}};
  lw.closed = true;
  lw.plinegen = true;
  lw.elevation = 12.5;
  lw.constantWidth = 0;
  ids.push_back(db.Append(lw));
  PolylineData poly2d;
  poly2d.flags = kPolylineClosed;
  poly2d.elevation = 4;
  ids.push_back(db.AppendPolyline(poly2d, {VertexData{{0, 0, 4}, 0.5}, VertexData{{5, 0, 4}}, VertexData{{5, 5, 4}}}));
  PolylineData poly3d;
  poly3d.flags = kPolyline3d;
  ids.push_back(db.AppendPolyline(poly3d, {VertexData{{0, 0, 1}}, VertexData{{1, 1, 2}}, VertexData{{2, 0, 3}}}));
  HatchData hatch;
  hatch.elevation = 2;
  hatch.loops.push_back(HatchLoop{kLoopExternal, true, {{0, 0, 0}, {20, 0, 0}, {20, 20, 0.25}, {0, 20, 0}}});
  hatch.loops.push_back(HatchLoop{0, true, {{5, 5, 0}, {6, 5, 0}, {6, 6, 0}}});
  ids.push_back(db.Append(hatch));
  ids.push_back(db.Append(InsertData{symbol.handle, {100, 200, 0}, {2, 2, 2}, 0.75, {0, 0, 1}}));

  int n = 0;
  for (ObjectId id : ids) {
    Entity* entity = db.EntityOf(id);
    entity->color = static_cast<std::int16_t>(n % 2 ? kColorByLayer : n + 1);
    db.SetLayer(id, n % 3 ? L"Roads \u00e9" : L"0");
    (void)entity->xdata.Apply({{1001, kAppOs},
                               {1002, L"{"},
                               {1000, L"01osgb1000000" + std::to_wstring(n)},
                               {1000, L""},
                               {1000, L"  spaced  "},
                               {1000, L"\u00e9\u20ac\u0141"},
                               {1002, L"}"},
                               {1001, kAppBatch},
                               {1000, L"00Tile SU1234"},
                               {1040, 0.1 + n},
                               {1070, n},
                               {1071, 100000 + n},
                               {1010, Point3{1.5, -2.5, 1e-9}}});
    ++n;
  }
}

}  // namespace host::db::testing
