// The per-user registry store: keys under the current user's root, each with
// named string values, kept in a file so that they survive a restart.
//
// A key is a path of names joined by '\' ("Software\\CadHost\\Profiles");
// empty parts are ignored. Key and value names are compared with letter case
// ignored and keep the spelling they were created with. Values are strings
// (the only kind the add-ins store).
//
// Until UseRegistryFile names a file the store lives in memory only. With a
// file, it is read at once and written again after every change, through a
// temporary file renamed over it, so a failed write leaves the old file
// whole; the change is then still made in memory and the call answers false.
//
// Several sessions may use one file at once. Each change is made under a
// lock on the file (file_lock.h) to the newest store: when another session
// saved the file since this one read it, it is read again first, so both
// sessions' changes stand. Reads see the newest saved store too.
//
// Process-wide state, used from one thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The name that the platform puts before a key of the current user's root.
inline constexpr wchar_t kCurrentUserRootName[] = L"HKEY_CURRENT_USER";

// Reads the store from `path` (a missing file is an empty store) and keeps it
// there from now on. False when the file exists but cannot be read whole;
// what could be read is kept, and the file as it was is copied beside it
// (PATH.damaged, or PATH.damaged-2, ...) before anything is saved over it:
// `damaged_copy` gets the copy's path, or empty when no copy could be made.
bool UseRegistryFile(std::wstring_view path, std::wstring* damaged_copy = nullptr);
// An empty store in memory only.
void UseMemoryRegistry();
// The file the store uses; empty when in memory only.
std::wstring RegistryFile();
// Where a user's store lives: $XDG_CONFIG_HOME/cadhost/registry, else
// $HOME/.config/cadhost/registry; empty when neither is set.
std::wstring DefaultRegistryFile();

// Reads and changes made as one step: from its making to its end no other
// session changes the store, so a value read, changed and written back
// (a support path with a folder added) keeps what others wrote before it,
// and what others write comes after. One made while another is alive joins
// it. Keep it short, and never across a question to the user: others wait
// for it (at most ten seconds, then they go on without it).
class RegistryTransaction {
 public:
  RegistryTransaction();
  ~RegistryTransaction();
  RegistryTransaction(const RegistryTransaction&) = delete;
  RegistryTransaction& operator=(const RegistryTransaction&) = delete;
};

bool RegistryKeyExists(std::wstring_view key);
// Creates the key and every missing key above it; an existing key is no
// error.
bool CreateRegistryKey(std::wstring_view key);
// Deletes the key with everything below it.
bool DeleteRegistryKey(std::wstring_view key);
// Copies the key with everything below it to `to`, which must not exist.
bool CopyRegistryKey(std::wstring_view from, std::wstring_view to);

// None when the key or the value does not exist.
std::optional<std::wstring> GetRegistryString(std::wstring_view key, std::wstring_view name);
// Sets a value of an existing key.
bool SetRegistryString(std::wstring_view key, std::wstring_view name, std::wstring_view value);
bool DeleteRegistryValue(std::wstring_view key, std::wstring_view name);

// Names of the subkeys and of the values of a key, case ignored in order.
std::vector<std::wstring> RegistrySubkeys(std::wstring_view key);
std::vector<std::wstring> RegistryValueNames(std::wstring_view key);

}  // namespace host
