// Helpers of the drawing-pass tests: a drawing that is the working drawing,
// the run's lists, and every entity of a drawing as a line of text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "common/containers/grow_array.h"
#include "common/containers/text.h"
#include "gml/settings/settings_record.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/feature_pass.h"
#include "gml/writer/layers.h"
#include "gml/writer/os_xdata.h"
#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "host/editor/system_variables.h"
#include "host/system/events.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"
#include "host/ui/message_box.h"

namespace pass_test {

// One drawing, the working drawing while it lives, with quiet settings:
// layers by feature code, points as points, no planting, CSV or labels,
// full xdata, old entities erased.
struct PassDrawing {
  PassDrawing() : scope(&db) {
    host::ResetForTest();
    EXPECT_TRUE(RegisterOsXdataApp(db));
    settings.useCodeLookupTable = 0;
    settings.pointsAndSymbolsAs = 2;
    settings.plantBlocksInPolygons = 0;
    settings.attributesToCsv = 0;
    settings.attributesToXdata = 2;
    settings.markTermBesidePoint = 0;
    settings.markTermBesideSymbol = 0;
    settings.saveDepartedFeatures = 0;
    EXPECT_TRUE(GrowArrayCreate(100, sizeof(PolylineVertex), &vertices));
    EXPECT_TRUE(GrowArrayCreate(10, sizeof(UsedLayerEntry), &usedLayers));
  }
  ~PassDrawing() {
    GrowArrayFree(&vertices);
    GrowArrayFree(&usedLayers);
    host::ResetForTest();
  }

  bool Pass(FeatureDrawingRun& run, const FeatureLists& lists, bool update, bool batch = false) {
    FeaturePassOptions options;
    options.updateMode = update;
    options.batchMode = batch;
    return run.DrawPass(lists, options, db, 1.0, &vertices, &usedLayers);
  }

  host::db::Database db;
  host::db::ScopedWorkingDatabase scope;
  OS_GML_ACAD_Definitions settings;
  GrowArray vertices{};
  GrowArray usedLayers{};
};

// An entity as text: its groups (handles and owners left out), reals to a
// tenth of a millimetre, xdata of every application.
inline std::string EntityText(const host::db::Database& db, host::db::ObjectId id) {
  (void)db;
  const std::optional<host::db::EntityList> list = host::db::GetEntityList(id, {L"*"});
  if (!list) return "?";
  std::ostringstream out;
  for (const host::db::Group& g : *list) {
    if (g.code == -1 || g.code == 5 || g.code == 330 || g.Name() != nullptr) continue;
    char buffer[128];
    if (const host::db::Point3* p = g.Point()) {
      std::snprintf(buffer, sizeof buffer, "(%d %.4f,%.4f,%.4f)", g.code, p->x, p->y, p->z);
      out << buffer;
    } else if (const std::wstring* t = g.Text()) {
      out << "(" << g.code << " " << WideToNarrow(*t) << ")";
    } else {
      std::snprintf(buffer, sizeof buffer, "(%d %.4f)", g.code, g.Number());
      out << buffer;
    }
  }
  return out.str();
}

// Every entity of model space, sorted.
inline std::vector<std::string> Drawing(const host::db::Database& db) {
  std::vector<std::string> out;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) out.push_back(EntityText(db, id));
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace pass_test
