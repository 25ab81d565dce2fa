// lwhgmlhe: opens the help file in the help viewer.
#pragma once

void HelpCommand();
