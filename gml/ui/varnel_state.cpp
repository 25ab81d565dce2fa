#include "gml/ui/varnel_state.h"

VarnelState& Varnel() {
  static VarnelState state;
  return state;
}

void ResetVarnelState() { Varnel() = VarnelState{}; }
