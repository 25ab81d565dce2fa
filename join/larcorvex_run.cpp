// The LarCorvex run: chains grown from the objects picked first.
#include <string>
#include <vector>

#include "common/cad/entity_groups.h"
#include "host/editor/prompts.h"
#include "host/editor/selection.h"
#include "join/chain_growth.h"
#include "join/chain_writer.h"
#include "join/join_object.h"
#include "join/join_parameters.h"
#include "join/join_runs.h"
#include "join/join_selection.h"
#include "join/run_steps.h"

namespace {

// The seeds (both levels found) and the other objects (start level found;
// the end level as the profile gives it), each in selection order. False
// when an object could not be read.
bool BuildSeedsAndOthers(std::vector<JoinObject>& seeds, std::vector<JoinObject>& others) {
  JoinObjectBuilder builder;
  if (!builder.Ok()) return false;
  const JoinSelectionSet& initial = InitialSet();
  for (std::int32_t i = 0; i < initial.count; ++i) {
    const host::Input<host::EntityName> name = host::SelectionSetName(initial.set, i);
    if (!name.ok()) return false;
    JoinObject seed;
    const JoinObjectBuilder::Result r = builder.Build(name.value, seed);
    if (r == JoinObjectBuilder::Result::kFailed) return false;
    if (r == JoinObjectBuilder::Result::kBuilt) seeds.push_back(std::move(seed));
  }
  const JoinSelectionSet& join = JoinSet();
  for (std::int32_t i = 0; i < join.count; ++i) {
    const host::Input<host::EntityName> name = host::SelectionSetName(join.set, i);
    if (!name.ok()) return false;
    if (FindJoinObject(name.value, seeds, seeds.size())) continue;
    JoinObject other;
    const JoinObjectBuilder::Result r = builder.Build(name.value, other);
    if (r == JoinObjectBuilder::Result::kFailed) return false;
    if (r != JoinObjectBuilder::Result::kNoLevels) others.push_back(std::move(other));
  }
  return true;
}

}  // namespace

int JoinFromInitialEntity() {
  SetJoinUndoMark();
  if (!SelectInitialEntities()) return 0;
  if (!SelectJoinObjects()) return 0;
  JoinChainsFromSeeds();
  return 1;
}

void JoinChainsFromSeeds() {
  const JoinParameters& p = CorvexParameters();
  std::vector<JoinObject> seeds, others;
  if (!BuildSeedsAndOthers(seeds, others)) return;
  const JoinTolerances tolerances{p.hzTolerance, p.vtTolerance};
  EndPointIndex index(p.hzTolerance);
  for (std::size_t i = 0; i < others.size(); ++i) index.Add(static_cast<std::int32_t>(i), others[i]);

  // Objects of other layers than the seed's: asked once for the whole run.
  bool asked = false;
  bool acceptOtherLayers = true;
  std::wstring chainLayer;
  const LayerRule layerRule = [&](const JoinObject& candidate) {
    if (p.automaticLayers == 0 || SameNameNoCase(candidate.layerName, chainLayer))
      return LayerVerdict::kAccept;
    if (!asked) {
      const host::Input<std::wstring> answer = host::GetKeyword(
          L"\nAccept objects from other layers than 1st objects layer? <Yes>/No: ", {L"Yes", L"No"});
      if (answer.status != host::Status::kNormal) return LayerVerdict::kStop;
      asked = true;
      acceptOtherLayers = answer.value != L"No";
    }
    return acceptOtherLayers ? LayerVerdict::kAccept : LayerVerdict::kRefuse;
  };

  long joined = 0;
  for (const JoinObject& seed : seeds) {
    chainLayer = seed.layerName;
    const ChainGrowth growth = GrowChain(seed, others, index, tolerances, layerRule);
    if (growth.stopped) return;
    if (growth.backward.empty() && growth.forward.empty()) continue;
    ChainOutput output = ChainOutputFor(seed, p);
    output.vertexPath = growth.is3d;
    const ChainWriteResult r = WriteChain(seed, ChainOrder(seed, others, growth), output);
    if (r == ChainWriteResult::kFailed) return;
    if (r == ChainWriteResult::kWritten)
      joined += static_cast<long>(growth.backward.size() + growth.forward.size());
  }
  PrintJoined(joined);
}
