// LwhFindRightFile: a picture file of a folder by part of its name, for LISP
// programs.
#pragma once

#include <string>

// The first .jpg file of `folder` (one level, listing order) whose name holds
// `part` (letter case counts), as folder + name with a separator added to
// the folder when it has none; "nul" when there is none.
std::wstring FindRightFile(std::wstring folder, const std::wstring& part);

// The LISP function LwhFindRightFile (declared with Varnel's commands)
// returns this for (LwhFindRightFile FOLDER PART), and "nul" when either
// argument is missing or not a string.
