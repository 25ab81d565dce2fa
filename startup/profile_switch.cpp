#include "startup/profile_switch.h"

#include <optional>

#include "host/system/files.h"
#include "host/system/profiles.h"
#include "host/system/registry.h"

bool ProfileSwitch::SwitchToTempProfile(std::wstring* profileKey) {
  profileKey->clear();
  std::optional<std::wstring> key = host::ProfileRegistryKey(profile_);
  if (!key) return false;
  *profileKey = *key;
  // A leftover of an earlier run that ended badly; it may well not exist.
  if (host::ProfileExists(kTempProfileName) &&
      !host::SameNameIgnoringCase(host::CurrentProfileName(), kTempProfileName))
    (void)host::DeleteProfile(kTempProfileName);
  switched_ = true;
  if (host::ProfileExists(kTempProfileName)) return false;
  if (!host::CopyProfile(profile_, kTempProfileName, kTempProfileDescription)) return false;
  return host::MakeProfileCurrent(kTempProfileName);
}

bool ProfileSwitch::Restore() {
  if (!switched_) return true;
  switched_ = false;
  const bool made_current = host::SameNameIgnoringCase(host::CurrentProfileName(), profile_) ||
                            host::MakeProfileCurrent(profile_);
  // Another session starting at the same moment may have made its own
  // temporary copy current since: it is that session's to delete, and this
  // one leaves it alone.
  if (host::ProfileExists(kTempProfileName) &&
      !host::SameNameIgnoringCase(host::CurrentProfileName(), kTempProfileName))
    (void)host::DeleteProfile(kTempProfileName);
  return made_current;
}

std::wstring SupportPathSubkey(std::wstring_view profileKey) {
  const std::wstring_view root = host::kCurrentUserRootName;
  if (profileKey.size() <= root.size() || profileKey.substr(0, root.size()) != root ||
      profileKey[root.size()] != L'\\')
    return std::wstring();
  return std::wstring(profileKey.substr(root.size() + 1)) + L"\\" + host::kProfileGeneralKey;
}

bool ReadProfileSupportPath(std::wstring* value, std::wstring_view subkey) {
  value->clear();
  std::optional<std::wstring> read = host::GetRegistryString(subkey, host::kSupportPathValue);
  if (!read) return false;
  *value = std::move(*read);
  return true;
}

bool WriteProfileSupportPath(std::wstring_view value, std::wstring_view subkey) {
  if (!host::RegistryKeyExists(subkey)) return false;
  const std::optional<std::wstring> old = host::GetRegistryString(subkey, host::kSupportPathValue);
  if (host::SetRegistryString(subkey, host::kSupportPathValue, value)) return true;
  if (old)
    (void)host::SetRegistryString(subkey, host::kSupportPathValue, *old);
  else
    (void)host::DeleteRegistryValue(subkey, host::kSupportPathValue);
  return false;
}
