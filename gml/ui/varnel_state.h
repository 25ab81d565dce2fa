// State the Varnel add-in keeps from load to unload, one copy for all
// drawings.
#pragma once

#include <string>

// What a locate dialog offers again at its next opening.
struct LocateValues {
  double windowSize = 50.0;  // metres
  int zoomWhenFound = 1;
  int partialMatch = 1;
  std::wstring text;  // the TOID or road name searched for
};

struct VarnelState {
  // 1 while lwhgmlud runs the import: the import then reads change-only
  // update files.
  int updateMode = 0;
  // 1 while lwhgmlsx runs the attribute viewer: it then shows the user code.
  int showUserCode = 0;
  // The road-name location filter offers the last search again.
  std::wstring roadSearchText;
  double roadFrameSize = 50.0;
  // lwhgmlrd: the removing action (0 erase, 1 move to layer) and its layer.
  int removeAction = 0;
  std::wstring removeLayer = L"__identicals";
  // lwhgmllo and lwhgmllr.
  LocateValues locateToid;
  LocateValues locateRoad;
};

// The add-in's state.
VarnelState& Varnel();
// Back to the values of a fresh load.
void ResetVarnelState();
