// Varnel's commands and LISP functions, as the command table registers them.
#pragma once

#include <string_view>

// lwhgmlin: import OS MasterMap GML files into the drawing.
void RunGmlImport();
// lwhgmlud: the import of change-only update files.
void UpdateCommand();
// lwhgmlsw, lwhgmlsx: the OS attributes of picked entities.
void ShowXdataCommand();
void ShowXdataUserCodeCommand();
// lwhgmlrd, lwhgmllo, lwhgmllr, lwhgmlra: inspection of imported entities.
void RemoveDuplicatesCommand();
void LocateToidCommand();
void LocateRoadNameCommand();
void AreaCommand();
// lwhgmlsh, lwhgmlsm, lwhgmlsq, lwhgmlme: file headers and query extents.
void FileHeaderFromLispCommand();
void FileHeaderCommand();
void QueryExtentsCommand();
void DrawExtentsCommand();
// lwhgmlhe, lwhgmlax, lwhgmlit, lwhgmldt: help, batch locations and tiles.
void HelpCommand();
void AddBatchLocationCommand();
void ImportTilesCommand();
void TileCoverageCommand();
// The LISP function LwhFindRightFile.
void LwhFindRightFile();

// Says on the command line that `command` is not available in this build.
void CommandNotBuilt(std::wstring_view command);

using VarnelHandler = void (*)();
struct VarnelCommand {
  const wchar_t* globalName;
  const wchar_t* localName;
  VarnelHandler handler;
  const wchar_t* purpose;  // what the host's help says of it
};
inline constexpr int kVarnelCommandCount = 16;
// The commands in the order they are registered.
const VarnelCommand* VarnelCommands();
inline constexpr const wchar_t* kVarnelGroup = L"varnel";

// The add-in's start-up, shut-down and per-drawing steps.
void InitApplication();
void UnloadApplication();
void LoadDrawing();
void UnloadDrawing();
// Runs the LISP function the host asks for by its code.
void InvokeLispFunction();
// A new drawing counts the tile insertions of lwhgmlit afresh.
void ResetTilesForNewDrawing();
