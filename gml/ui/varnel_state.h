// State the Varnel add-in keeps from load to unload, one copy for all
// drawings.
#pragma once

#include <string>

struct VarnelState {
  // 1 while lwhgmlud runs the import: the import then reads change-only
  // update files.
  int updateMode = 0;
  // 1 while lwhgmlsx runs the attribute viewer: it then shows the user code.
  int showUserCode = 0;
  // The road-name location filter offers the last search again.
  std::wstring roadSearchText;
  double roadFrameSize = 50.0;
};

// The add-in's state.
VarnelState& Varnel();
// Back to the values of a fresh load.
void ResetVarnelState();
