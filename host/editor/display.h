// What the host shows besides the command line: alerts, the status-bar
// progress meter, and display refreshes. These are hints: they return
// nothing and only record what the user would see in the transcript.
//
// Kinds recorded: "alert" (the text), "progress" ("label min..max" when the
// meter starts, "pos N" when it moves, "restore" when the status bar comes
// back), "display" ("update", "flush", "text screen").
#pragma once

#include <string>
#include <string_view>

namespace host {

// A modal alert box with an OK button; the user's OK is implied.
void Alert(std::wstring_view text);

// Starts the status-bar meter with a label and a range; answers false for an
// empty range (max < min), which shows nothing.
bool SetProgressMeter(std::wstring_view label, int min, int max);
// Moves the meter; a position outside the range is held to it. Moving to the
// position it already shows records nothing.
void SetProgressMeterPos(int pos);
void RestoreStatusBar();

struct ProgressMeter {
  bool shown = false;
  std::wstring label;
  int min = 0;
  int max = 0;
  int pos = 0;
};
const ProgressMeter& CurrentProgressMeter();

void UpdateDisplay();       // repaints the drawing window
void FlushGraphics();       // queues and flushes the drawing's pending graphics
void ShowTextScreen();      // switches to the text window
void ResetDisplay();        // meter hidden (tests)

}  // namespace host
