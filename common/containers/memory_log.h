// The memory log: a text file that collects lines about failed allocations.
//
// Each line is appended on its own (the file is opened and closed for each),
// so the log survives whatever happens to the process afterwards. The log
// lives in the host's temporary folder (host::TempFolder, which a test moves
// with the TMPDIR override). Writing is best effort: a log that cannot be
// opened is skipped.
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"

// The log's path: "orvanelog.txt" in the temporary folder.
std::string MemoryLogPath();

// Appends "(vm) <text>\n" to the log.
void WriteMemoryLog(const char* text);

// As GrowArraySetGrowBy, except that `step` is used as given and must be
// positive (otherwise the call fails), and that a growth that fails appends
// "ZAzeZo ui: <bytes>, li: <low 32 bits of bytes>" to the log, where bytes is
// the block size asked for. A failed call leaves the array as it was.
[[nodiscard]] bool GrowArraySetLogged(GrowArray* header, std::int32_t index, const void* element,
                                      std::int32_t step);
