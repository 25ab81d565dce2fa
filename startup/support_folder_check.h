// The support folder check that runs whenever a drawing is loaded.
//
// It makes sure that the user works with a local copy of the product's
// support files ("<appdata>/LarchWOOD-HILL/Orvane/3.25/support/"), that this
// copy stands first on the current profile's support path, that it is
// brought up to date when the program's version file is newer, and that the
// product's folders are trusted. It reports on the command line and in
// alert boxes; nothing it finds stops the drawing load.
//
// First use (the user support folder holds no marker file
// "is_local_support_dir.txt"): the local folder is made, the program's
// support files are copied into it, the marker is written, and the
// profile's support path is rewritten with the local folder first and the
// program's support folder left out. Any failure is a numbered warning and
// leaves the user's profile current with its support path as it was.
// Later loads compare the version files and update the local folder when
// the program's is newer, keeping the protected files.
#pragma once

#include <string>
#include <string_view>

inline constexpr wchar_t kLocalSupportMarker[] = L"is_local_support_dir.txt";

// Reads the version in the first line of a version file; -1.0 when the file
// cannot be opened or holds no line.
double ReadSupportVersion(std::wstring_view path);

// True when the support path was rewritten in this run.
bool RunSupportFolderCheck();

// Runs the check; answers 1 whatever it found.
int RunStartupCheck();
