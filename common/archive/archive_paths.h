// Names of archive entries and extraction targets.
#pragma once

#include <string_view>

// True when `name` stays inside the folder it is taken relative to: not
// absolute ("/x", "\x", "C:x") and no ".." among its parts (either
// separator). An empty name stays inside.
bool ArchiveNameStaysInside(std::string_view name);
