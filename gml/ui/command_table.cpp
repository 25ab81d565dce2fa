// Varnel's command table, its LISP functions and its start-up and per-drawing
// steps.
#include <ctime>

#include "gml/ui/tile_commands.h"
#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "host/app/command_stack.h"
#include "host/editor/command_line.h"
#include "host/lisp/call.h"
#include "host/system/clock.h"

namespace {

constexpr VarnelCommand kCommands[kVarnelCommandCount] = {
    {L"lwhgmlin", L"lwhgmlin", RunGmlImport, L"import OS MasterMap GML files into the drawing"},
    {L"lwhgmlud", L"lwhgmlud", UpdateCommand, L"import GML files as a change-only update of the drawing"},
    {L"lwhgmlsw", L"lwhgmlsw", ShowXdataCommand, L"pick entities and show their OS attributes"},
    {L"lwhgmlrd", L"lwhgmlrd", RemoveDuplicatesCommand, L"erase or move entities whose TOID repeats"},
    {L"lwhgmllo", L"lwhgmllo", LocateToidCommand, L"find entities by TOID and zoom to them"},
    {L"lwhgmllr", L"lwhgmllr", LocateRoadNameCommand, L"find road entities by road name and zoom to them"},
    {L"lwhgmlra", L"lwhgmlra", AreaCommand, L"sum the OS area attribute of selected entities"},
    {L"lwhgmlsh", L"lwhgmlsh", FileHeaderFromLispCommand,
     L"header of the GML file named in a LISP variable into LISP variables"},
    {L"lwhgmlsm", L"lwhgmlsm", FileHeaderCommand, L"header of chosen GML files into LISP variables"},
    {L"lwhgmlsq", L"lwhgmlsq", QueryExtentsCommand, L"draw the query extents of chosen GML files"},
    {L"lwhgmlsx", L"lwhgmlsx", ShowXdataUserCodeCommand, L"as lwhgmlsw, with the user-code row"},
    {L"lwhgmlhe", L"lwhgmlhe", HelpCommand, L"open the help file"},
    {L"lwhgmlax", L"lwhgmlax", AddBatchLocationCommand,
     L"nothing as a command: call it as (lwhgmlax_ads ...) to mark a batch location"},
    {L"lwhgmlit", L"lwhgmlit", ImportTilesCommand, L"insert or attach OS tile drawings"},
    {L"lwhgmldt", L"lwhgmlot", TileCoverageCommand, L"draw the outlines of all OS tile drawings"},
    {L"lwhgmlme", L"lwhgmlme", DrawExtentsCommand,
     L"choose between drawing query extents (lwhgmlsq) and reading headers (lwhgmlsm)"},
};

enum LispFunctionCode { kAddBatchLocation = 0, kFindRightFile = 1 };
constexpr const wchar_t* kLispFunctions[] = {L"lwhgmlax_ads", L"LwhFindRightFile"};

}  // namespace

const VarnelCommand* VarnelCommands() { return kCommands; }

void UpdateCommand() {
  Varnel().updateMode = 1;
  RunGmlImport();
  Varnel().updateMode = 0;
}

void ShowXdataUserCodeCommand() {
  Varnel().showUserCode = 1;
  ShowXdataCommand();
  Varnel().showUserCode = 0;
}

void CommandNotBuilt(std::wstring_view command) {
  host::Printf(L"\n%.*ls is not available in this build.\n", static_cast<int>(command.size()),
               command.data());
}

void InitApplication() {
  ResetVarnelState();
  // Registration results are not looked at: a name the host refuses simply
  // stays unknown at the command line.
  for (const VarnelCommand& command : kCommands)
    (void)host::AddCommand(kVarnelGroup, command.globalName, command.localName,
                           host::kCommandModal, command.handler, command.purpose);
}

void UnloadApplication() {
  (void)host::RemoveGroup(kVarnelGroup);
  ReleaseTileState();
}

void LoadDrawing() {
  host::SeedRandom(static_cast<std::uint32_t>(host::WallClockNow()));
  for (int code = 0; code < 2; ++code)
    if (host::lisp::DefineFunction(kLispFunctions[code], code) != host::Status::kNormal)
      host::Printf(L"\n***Error defining function '%ls'\n", kLispFunctions[code]);
  ResetTilesForNewDrawing();
}

void UnloadDrawing() {
  for (int code = 0; code < 2; ++code)
    if (host::lisp::UndefineFunction(kLispFunctions[code], code) != host::Status::kNormal)
      host::Printf(L"\n***Error undefining function '%ls'\n", kLispFunctions[code]);
}

void InvokeLispFunction() {
  switch (host::lisp::FunctionCode()) {
    case kAddBatchLocation:
      AddBatchLocationCommand();
      break;
    case kFindRightFile:
      LwhFindRightFile();
      break;
    default:
      host::lisp::Fail(L"Received nonexistent function code.");
  }
}
