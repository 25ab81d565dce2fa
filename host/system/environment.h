// Environment variables, with names compared case ignored as on Windows.
//
// The host reads the real environment of the process, under an overlay that
// tests (and the cadhost program) set: an overlay entry answers in place of
// the real variable, and a hidden name answers "not set" whatever the real
// environment holds. Values are wide text, one unit per byte.
//
// APPDATA, which Windows always sets, answers the user's configuration
// folder ($XDG_CONFIG_HOME, else $HOME/.config) when neither the overlay nor
// the real environment sets it; hiding it makes it answer "not set".
//
// Process-wide state, used from one thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host {

// The value of the variable; none when it is not set. Among real variables
// whose names differ only in case, the exact spelling wins, else the first.
std::optional<std::wstring> GetEnvironmentVariable(std::wstring_view name);

// Sets a variable in the overlay.
void SetEnvironmentOverride(std::wstring_view name, std::wstring_view value);
// Makes a variable answer "not set".
void HideEnvironmentVariable(std::wstring_view name);
// Removes one name from the overlay: the real environment answers again.
void RemoveEnvironmentOverride(std::wstring_view name);
void ClearEnvironmentOverrides();

}  // namespace host
