// The full name of an open registry key.
#pragma once

#include <string>
#include <string_view>

// `key` is an open key of the current user's store (its path below the
// root). The name is the key's full name, root included; it starts empty
// and stays so for a key that does not exist. True when a name was
// obtained.
bool GetRegistryKeyName(std::wstring_view key, std::wstring& name);
