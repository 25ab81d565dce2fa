// The two join runs.
//
// LarCorvex (JoinFromInitialEntity): the user picks initial objects, then
// the objects that may join them; each initial object grows one chain, and
// the objects of other layers than its own may be refused once for the run.
//
// LarCorvex2 (JoinSelection): the user selects the objects; each object not
// yet joined, in selection order, grows a chain from the objects not yet
// joined.
//
// Both set an undo mark first, print "\nDone. (N elements joined).\n" with
// the number of pieces joined to seeds when they end normally, and stop
// without it when an object or a profile cannot be read (or, for LarCorvex,
// when the layer question is cancelled). Everything written before a stop
// stays; no object is erased unless its polyline was written.
#pragma once

// 1 when both selections were made, else 0.
int JoinFromInitialEntity();
void JoinChainsFromSeeds();

// 1 when the objects were selected, else 0.
int JoinSelection();
// `cancelled` is never set: a run that got its selection is done.
void JoinAllObjects(bool& cancelled);
