// Saving the user's system variables around a drawing run.
//
// A command that draws many entities first puts the editor into a quiet,
// predictable state (no confirmation prompts, no command echo, no running
// object snaps, selection highlighting on) and afterwards gives the user
// back every variable it may have touched: EXPERT, CMDECHO, OSMODE, UCSICON,
// CLAYER, CECOLOR, CELTYPE and HIGHLIGHT.
//
// There is one saved set for the whole add-in, so saves must not nest: pair
// each save with one restore on every way out. A restore without a
// successful save writes nothing and succeeds.
#pragma once

// Reads the eight variables, then sets EXPERT 5, CMDECHO 0, OSMODE 0 and
// HIGHLIGHT 1. True when everything succeeded; otherwise nothing stays
// saved, and any variable already set is given its old value back.
bool SaveAndSetSysVars();
// The same with only the flagged settings made.
bool SaveAndSetSysVarsSelective(bool setExpert, bool setCmdEcho, bool setOsMode,
                                bool setHighlight);
// Writes the saved values back in their order, stopping at the first that
// fails; the saved set is dropped either way. True when nothing was saved
// or all eight were written.
bool RestoreSysVars();
