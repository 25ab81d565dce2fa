// The local support folder that the dialogs keep their settings files in.
#pragma once

#include <string>

// The folder named by LARINI when a file can be created in it, else the
// folder of the marker file "is_local_support_dir.txt" or of "derivavi.dwg"
// on the support path; empty when none is found. Ends with a separator.
std::wstring FindDialogSupportFolder();

// The support folder, or the working folder ("./") when none is found.
std::wstring DialogSupportFolderOrHere();
