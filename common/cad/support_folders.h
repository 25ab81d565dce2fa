// Support folders: where the settings and table files live.
//
// The local support folder is the folder named by the environment variable
// LARINI when a file can be created in it, else the folder of the marker
// "is_local_support_dir.txt" found on the support path, else the folder of
// "derivavi.dwg" found there. The section tools' folder is found the same
// way through VMRINI.
//
// Folder buffers hold kMaxPath units with the terminator. Every folder
// returned ends with a separator, so a file name can be appended directly;
// the working folder of GetDefaultWorkingDir is the exception. A search that
// finds nothing answers null and leaves the buffer as it was. Files read in
// a support folder are found with letter case ignored.
#pragma once

#include "common/containers/text.h"

wchar_t* GetLocalSupportFolder(wchar_t* folder);
char* GetLocalSupportFolder(char* folder);
wchar_t* GetVmrSupportFolder(wchar_t* folder);
char* GetVmrSupportFolder(char* folder);
// The folder of "primary_support.ini" on the support path, else the local
// support folder.
wchar_t* GetPrimarySupportFolder(wchar_t* folder);
char* GetPrimarySupportFolder(char* folder);
// The folder of "corvex2.dcl" on the support path.
wchar_t* FindProgramFolder(wchar_t* folder);

// Reads "use_subfolders.ini" in the local support folder: true when
// subfolders are switched on and `keyLine` names a subfolder, which is
// stored in `name` (kMaxPath units; empty otherwise).
bool ReadSubfolderSetting(const char* keyLine, wchar_t* name);
// `result` (kMaxPath units) becomes the subfolder of `base` that `keyLine`
// names, with a trailing separator, when subfolders are on, `base` is not
// already that folder, and the subfolder exists (or, with `create`, could
// be made): then true. Otherwise `result` is `base` and the answer false.
bool GetSubfolderPath(const wchar_t* base, wchar_t* result, const char* keyLine, bool create);
// The name of the last folder of `path` ("D:\data\survey\" gives "survey");
// false for paths shorter than 6 characters and when no separator lies
// between the sixth and the second-last character. `name` holds kMaxPath.
bool GetLastFolderName(const wchar_t* path, wchar_t* name);
// True when the last folder of `path` is `name`, letter case ignored.
bool IsLastFolderNamed(const wchar_t* path, const wchar_t* name);
bool IsDirectory(const wchar_t* path);

// Writes "testink 3218731H" to a file in the temporary folder and reads it
// back; the file (`name`, or eight random capitals and ".tmp" when `name`
// is empty) is removed afterwards. `path` (kMaxPath) receives the
// temporary folder. True when the text came back.
bool TempFolderWriteTest(const char* name, char* path);
bool TempFolderWriteTest(const wchar_t* name, wchar_t* path);

// The working folder (kMaxPath): "./", or the folder that `orvan.ini` in
// the support folder names as the default working directory, or the
// drawing's folder (see UseDrawingFolderUnlessSetPath). True when the
// drawing's folder was taken.
bool GetDefaultWorkingDir(wchar_t* folder);
// Replaces `folder` with the drawing's folder, without its trailing
// separator, unless there is no support folder or "setpath.ini" lies in it.
// True when the drawing's folder was taken.
bool UseDrawingFolderUnlessSetPath(wchar_t* folder);
bool UseDrawingFolderUnlessSetPath(char* folder);
