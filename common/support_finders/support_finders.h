// The support-folder finders of the join and the vertical offset add-ins.
//
// Each finder tries a folder named by an environment variable, accepted only
// when a file ("lartest.$$$") can be created in it, and otherwise the folder
// in which the support-path search finds a marker file. Unlike the common
// library's finders there is no "is_local_support_dir.txt" step: after the
// variable comes the marker drawing "derivavi.dwg" directly.
//
//   FindVmrSupportFolder      VMRINI, else the folder of "derivavi.dwg"
//   FindLocalSupportFolder    LARINI, else the folder of "derivavi.dwg"
//   FindPrimarySupportFolder  the folder of "primary_support.ini", else
//                             FindLocalSupportFolder
//   FindModuleFolder          the folder of the add-in's own marker file
//
// The forms ending in A answer 8-bit text; the others wide text.
//
// Contract: the caller's buffer holds kFinderFolderSize units with the
// terminator. A finder that finds a folder writes it there, ending with a
// separator, and returns the buffer; one that finds nothing returns null and
// leaves the buffer as it was. A folder that would not fit the buffer (or,
// for the 8-bit forms, has a character without an 8-bit form) counts as not
// found, so the search goes on to its next step. No message is printed and
// the write test leaves no file behind.
#pragma once

#include <cstddef>

inline constexpr std::size_t kFinderFolderSize = 1024;

wchar_t* FindVmrSupportFolder(wchar_t* folder);
char* FindVmrSupportFolderA(char* folder);
wchar_t* FindLocalSupportFolder(wchar_t* folder);
char* FindLocalSupportFolderA(char* folder);
wchar_t* FindPrimarySupportFolder(wchar_t* folder);
char* FindPrimarySupportFolderA(char* folder);

// The folder of `marker`, the add-in's own marker file, on the support path
// ("corvex.arx" for the join add-in, "corvex2.dcl" for the vertical offset
// add-in).
wchar_t* FindModuleFolder(wchar_t* folder, const wchar_t* marker);
