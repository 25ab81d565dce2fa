// The LarCorvex2 run: every selected object chained.
#include <string>
#include <vector>

#include "common/cad/entity_groups.h"
#include "host/editor/command_line.h"
#include "host/editor/host_commands.h"
#include "host/editor/selection.h"
#include "join/chain_growth.h"
#include "join/chain_writer.h"
#include "join/join_object.h"
#include "join/join_parameters.h"
#include "join/join_runs.h"
#include "join/join_selection.h"
#include "join/polyline_writers.h"
#include "join/run_steps.h"

int JoinSelection() {
  SetJoinUndoMark();
  if (!SelectJoinObjects()) return 0;
  bool cancelled = false;
  JoinAllObjects(cancelled);
  return 1;
}

void JoinAllObjects(bool& /*cancelled*/) {
  const JoinParameters& p = CorvexParameters();
  const JoinSelectionSet& set = JoinSet();
  SetProgressMeter(L"Processing", 0, 100);
  std::vector<JoinObject> objects;
  if (!BuildSelectedObjects(set, objects)) {
    RestoreStatusBar();
    return;
  }
  const JoinTolerances tolerances{p.hzTolerance, p.vtTolerance};
  EndPointIndex index(p.hzTolerance);
  for (std::size_t i = 0; i < objects.size(); ++i)
    if (!objects[i].used) index.Add(static_cast<std::int32_t>(i), objects[i]);

  std::wstring firstLayer;
  const LayerRule layerRule = [&](const JoinObject& candidate) {
    if (p.automaticLayers != 0 && p.acceptOnlyFirstLayer != 0 &&
        !SameNameNoCase(candidate.layerName, firstLayer))
      return LayerVerdict::kRefuse;
    return LayerVerdict::kAccept;
  };

  long joined = 0;
  int shown = -1;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const int position =
        static_cast<int>(static_cast<double>(i) / static_cast<double>(objects.size()) * 100.0);
    if (position != shown) {
      SetProgressPosition(position);
      shown = position;
    }
    JoinObject& seed = objects[i];
    if (seed.used) continue;
    seed.used = true;
    firstLayer = seed.layerName;
    const ChainGrowth growth = GrowChain(seed, objects, index, tolerances, layerRule);
    if (growth.backward.empty() && growth.forward.empty()) continue;

    ChainOutput output = ChainOutputFor(seed, p);
    output.vertexPath = growth.is3d || p.alwaysBreakArcs != 0;
    output.levelled2d = p.convert3dTo2d != 0;
    output.level2d = p.newLevel2d;
    output.closeRing = true;
    const ChainWriteResult r = WriteChain(seed, ChainOrder(seed, objects, growth), output);
    if (r == ChainWriteResult::kFailed) {
      RestoreStatusBar();
      return;
    }
    if (r == ChainWriteResult::kWritten)
      joined += static_cast<long>(growth.backward.size() + growth.forward.size());
  }
  PrintJoined(joined);
  RestoreStatusBar();
}
