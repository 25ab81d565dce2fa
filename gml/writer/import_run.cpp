// The import run: the body of lwhgmlin and lwhgmlud.
#include "gml/ui/varnel_commands.h"

void RunGmlImport() { CommandNotBuilt(L"lwhgmlin"); }
