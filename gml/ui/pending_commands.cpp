// Commands whose handlers are not part of this build yet: each says so on
// the command line. A handler moves out of this file when it is built.
#include "gml/ui/varnel_commands.h"

void ShowXdataCommand() { CommandNotBuilt(L"lwhgmlsw"); }
void RemoveDuplicatesCommand() { CommandNotBuilt(L"lwhgmlrd"); }
void LocateToidCommand() { CommandNotBuilt(L"lwhgmllo"); }
void LocateRoadNameCommand() { CommandNotBuilt(L"lwhgmllr"); }
void AreaCommand() { CommandNotBuilt(L"lwhgmlra"); }
void FileHeaderFromLispCommand() { CommandNotBuilt(L"lwhgmlsh"); }
void FileHeaderCommand() { CommandNotBuilt(L"lwhgmlsm"); }
void QueryExtentsCommand() { CommandNotBuilt(L"lwhgmlsq"); }
void DrawExtentsCommand() { CommandNotBuilt(L"lwhgmlme"); }
void HelpCommand() { CommandNotBuilt(L"lwhgmlhe"); }
// Typed at the command line the batch-location function finds no arguments
// and does nothing; from LISP it is not built yet either.
void AddBatchLocationCommand() {}
void ImportTilesCommand() { CommandNotBuilt(L"lwhgmlit"); }
void TileCoverageCommand() { CommandNotBuilt(L"lwhgmldt"); }
void LwhFindRightFile() { CommandNotBuilt(L"LwhFindRightFile"); }
void ResetTilesForNewDrawing() {}
