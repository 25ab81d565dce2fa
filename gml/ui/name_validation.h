// Validation of the layer and block names typed into the import's dialogs,
// as a step of a dialog's data exchange.
//
// A name must be able to name a drawing's table record (host::db's rule: 1 to
// 255 characters, none of <>/\":;?*|,=` and no control characters). An
// overlong name gets the framework's standard length message; an empty name
// or a name with a character a record name cannot hold gets its own message.
// Like the framework's checks, a failure puts the focus on the control and
// keeps the dialog open. Only enabled, visible controls are checked: a value
// the user cannot change never blocks OK.
#pragma once

#include <string>

#include "host/ui/data_exchange.h"

enum class NameKind { kLayer, kBlock };

inline constexpr int kMaxTableNameChars = 255;

// Checks `name`, the value just exchanged with control `id`, while saving.
void DdvTableName(host::ui::DataExchange& dx, int id, const std::wstring& name, NameKind kind);

// The same for the prefix of output file names: 1 to 255 characters, none
// of <>:"/\|?* and no control characters.
void DdvFilePrefix(host::ui::DataExchange& dx, int id, const std::wstring& prefix);
