#include "host/system/fault.h"

#include <array>
#include <cerrno>
#include <cstddef>

namespace host {
namespace {

struct FaultState {
  bool armed = false;
  int succeed = 0;  // checks still to pass
  int fail = 0;     // checks still to fail; negative: fail for ever
  int fired = 0;
  int error = EIO;  // errno left by a fired fault
};

std::array<FaultState, static_cast<std::size_t>(FaultPoint::kCount)> g_faults;

FaultState& StateOf(FaultPoint point) { return g_faults[static_cast<std::size_t>(point)]; }

}  // namespace

void ArmFault(FaultPoint point, int succeed, int fail, int error) {
  StateOf(point) = FaultState{true, succeed < 0 ? 0 : succeed, fail, 0, error};
}

void DisarmFault(FaultPoint point) { StateOf(point).armed = false; }

void DisarmAllFaults() {
  for (FaultState& state : g_faults) state.armed = false;
}

bool FaultArmed(FaultPoint point) { return StateOf(point).armed; }

bool FaultFires(FaultPoint point) {
  FaultState& state = StateOf(point);
  if (!state.armed) return false;
  if (state.succeed > 0) {
    --state.succeed;
    return false;
  }
  if (state.fail == 0) return false;
  if (state.fail > 0) --state.fail;
  ++state.fired;
  errno = state.error;
  return true;
}

int FaultsFired(FaultPoint point) { return StateOf(point).fired; }

}  // namespace host
