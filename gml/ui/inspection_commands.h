// Commands that read back the OS attribute xdata of entities an import drew:
// show the attributes of picked entities, remove entities whose kind and TOID
// repeat, find entities by TOID or road name, add up area values.
#pragma once

// lwhgmlsw, and lwhgmlsx (which shows the user code as well).
void ShowXdataCommand(int userCodeFlag = 0);
void ShowXdataUserCodeCommand();
// lwhgmlrd.
void RemoveDuplicatesCommand();
// lwhgmllo and lwhgmllr.
void LocateToidCommand();
void LocateRoadNameCommand();
// lwhgmlra.
void AreaCommand();

// Back to the start values of the remembered dialog values (tests, unload).
void ResetRemoveDuplicatesValues();
void ResetLocateValues();
