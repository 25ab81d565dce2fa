// The temporary folder and uniquely named temporary files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host {

// The temporary folder, ending with a separator: the folder named by TMPDIR
// (read through host::GetEnvironmentVariable) when it exists, else "/tmp/".
std::wstring TempFolder();

// Creates a new empty file in `folder` named by the first three characters
// of `prefix`, four hexadecimal digits and ".TMP" ("Lwh1A2F.TMP"), as
// Windows names them, and answers its path. The digits count up from one
// number per process, so a run is repeatable; a name that exists is
// skipped. None when the folder cannot take a new file.
std::optional<std::wstring> MakeTempFile(std::wstring_view folder, std::wstring_view prefix);
// Numbers the next temporary file from the first number again, as in a new
// process (tests).
void RestartTempFileNumbers();

}  // namespace host
