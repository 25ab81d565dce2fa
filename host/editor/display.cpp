#include "host/editor/display.h"

#include <algorithm>

#include "host/system/user_actions.h"

namespace host {
namespace {

ProgressMeter& Meter() {
  static ProgressMeter meter;
  return meter;
}

}  // namespace

void Alert(std::wstring_view text) { Shown().Add("alert", std::wstring(text)); }

bool SetProgressMeter(std::wstring_view label, int min, int max) {
  if (max < min) return false;
  Meter() = ProgressMeter{true, std::wstring(label), min, max, min};
  Shown().Add("progress", std::wstring(label) + L" " + std::to_wstring(min) + L".." +
                              std::to_wstring(max));
  return true;
}

void SetProgressMeterPos(int pos) {
  ProgressMeter& m = Meter();
  if (!m.shown) return;
  pos = std::clamp(pos, m.min, m.max);
  if (pos == m.pos) return;
  m.pos = pos;
  Shown().Add("progress", L"pos " + std::to_wstring(pos));
}

void RestoreStatusBar() {
  Meter() = ProgressMeter();
  Shown().Add("progress", L"restore");
}

const ProgressMeter& CurrentProgressMeter() { return Meter(); }

void UpdateDisplay() { Shown().Add("display", L"update"); }
void FlushGraphics() { Shown().Add("display", L"flush"); }
void ShowTextScreen() { Shown().Add("display", L"text screen"); }
void ResetDisplay() { Meter() = ProgressMeter(); }

}  // namespace host
