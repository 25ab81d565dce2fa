// Steps both join runs take.
#pragma once

#include <vector>

#include "join/join_object.h"
#include "join/join_selection.h"

// An undo mark ("_UNDO" "_M") before the run changes anything.
void SetJoinUndoMark();

// Builds the objects of a selection set in its order. Objects whose levels
// the profile does not give stay in the list marked used, so that they are
// never seeds or pieces. False when one could not be read.
[[nodiscard]] bool BuildSelectedObjects(const JoinSelectionSet& set, std::vector<JoinObject>& objects);

// "\nDone. (N elements joined).\n"
void PrintJoined(long joined);
