// The profile manager: named sets of user settings kept in the registry
// store, one of them current.
//
// Each profile is the registry key kProfilesKey\<name>; its "General" key
// holds the support file search path as the value "ACAD" (folders joined by
// ';'). The current profile's name is the value "CurrentProfile" of
// kProfilesKey. When no profile exists, the first question makes the
// profile "Default" and makes it current.
//
// Process-wide state, used from one thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

inline constexpr wchar_t kProfilesKey[] = L"Software\\CadHost\\Profiles";
inline constexpr wchar_t kDefaultProfileName[] = L"Default";
inline constexpr wchar_t kProfileGeneralKey[] = L"General";
inline constexpr wchar_t kSupportPathValue[] = L"ACAD";

std::wstring CurrentProfileName();
std::vector<std::wstring> ProfileNames();  // case ignored in order
bool ProfileExists(std::wstring_view name);

// The registry key of a profile as the platform spells it, beginning with
// the root's name and a backslash:
// "HKEY_CURRENT_USER\Software\CadHost\Profiles\<name>". None when there is no
// such profile.
std::optional<std::wstring> ProfileRegistryKey(std::wstring_view name);
// The same key without the root, as the registry calls take it.
std::wstring ProfileKey(std::wstring_view name);

// Copies profile `from` with everything in it to the new profile `to`, which
// gets `description`. Fails when `from` is missing or `to` exists.
bool CopyProfile(std::wstring_view from, std::wstring_view to, std::wstring_view description);
// Makes an existing profile current and tells the listeners.
bool MakeProfileCurrent(std::wstring_view name);
// Deletes a profile; the current profile cannot be deleted.
bool DeleteProfile(std::wstring_view name);

// The support path of a profile (its "General" value "ACAD"); empty when
// none is set.
std::wstring ProfileSupportPath(std::wstring_view name);
bool SetProfileSupportPath(std::wstring_view name, std::wstring_view path);

// Called with the new name whenever a profile is made current (the support
// path and CPROFILE follow it). Answers an id for RemoveProfileListener.
int AddProfileListener(std::function<void(const std::wstring& name)> listener);
void RemoveProfileListener(int id);
// Drops every listener (tests).
void RemoveAllProfileListeners();

}  // namespace host
