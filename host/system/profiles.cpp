#include "host/system/profiles.h"

#include <map>
#include <utility>

#include "host/system/files.h"
#include "host/system/registry.h"

namespace host {
namespace {

constexpr wchar_t kCurrentValue[] = L"CurrentProfile";
constexpr wchar_t kDescriptionValue[] = L"Description";

bool ValidName(std::wstring_view name) {
  return !name.empty() && name.find(L'\\') == std::wstring_view::npos;
}

std::map<int, std::function<void(const std::wstring&)>>& Listeners() {
  static std::map<int, std::function<void(const std::wstring&)>> listeners;
  return listeners;
}

// Makes sure some profile exists and one is marked current; answers it.
std::wstring EnsureCurrent() {
  std::optional<std::wstring> current = GetRegistryString(kProfilesKey, kCurrentValue);
  if (current && ValidName(*current) && RegistryKeyExists(ProfileKey(*current))) {
    // The spelling of the key, whatever the spelling of the value.
    for (const std::wstring& name : RegistrySubkeys(kProfilesKey))
      if (SameNameIgnoringCase(name, *current)) return name;
  }
  std::vector<std::wstring> names = RegistrySubkeys(kProfilesKey);
  std::wstring name = names.empty() ? std::wstring(kDefaultProfileName) : names.front();
  if (names.empty()) {
    (void)CreateRegistryKey(ProfileKey(name) + L"\\" + kProfileGeneralKey);
  }
  (void)SetRegistryString(kProfilesKey, kCurrentValue, name);
  return name;
}

}  // namespace

std::wstring ProfileKey(std::wstring_view name) {
  return std::wstring(kProfilesKey) + L"\\" + std::wstring(name);
}

std::wstring CurrentProfileName() { return EnsureCurrent(); }

std::vector<std::wstring> ProfileNames() {
  EnsureCurrent();
  return RegistrySubkeys(kProfilesKey);
}

bool ProfileExists(std::wstring_view name) {
  EnsureCurrent();
  return ValidName(name) && RegistryKeyExists(ProfileKey(name));
}

std::optional<std::wstring> ProfileRegistryKey(std::wstring_view name) {
  if (!ProfileExists(name)) return std::nullopt;
  for (const std::wstring& spelled : RegistrySubkeys(kProfilesKey))
    if (SameNameIgnoringCase(spelled, name))
      return std::wstring(kCurrentUserRootName) + L"\\" + ProfileKey(spelled);
  return std::nullopt;
}

bool CopyProfile(std::wstring_view from, std::wstring_view to, std::wstring_view description) {
  if (!ProfileExists(from) || !ValidName(to) || ProfileExists(to)) return false;
  if (!CopyRegistryKey(ProfileKey(from), ProfileKey(to))) return false;
  return SetRegistryString(ProfileKey(to), kDescriptionValue, description);
}

bool MakeProfileCurrent(std::wstring_view name) {
  if (!ProfileExists(name)) return false;
  std::wstring spelled(name);
  for (const std::wstring& n : RegistrySubkeys(kProfilesKey))
    if (SameNameIgnoringCase(n, name)) spelled = n;
  const bool saved = SetRegistryString(kProfilesKey, kCurrentValue, spelled);
  // A copy: a listener may add or remove listeners.
  auto listeners = Listeners();
  for (auto& [id, listener] : listeners) listener(spelled);
  return saved;
}

bool DeleteProfile(std::wstring_view name) {
  if (!ProfileExists(name) || SameNameIgnoringCase(name, CurrentProfileName())) return false;
  return DeleteRegistryKey(ProfileKey(name));
}

std::wstring ProfileSupportPath(std::wstring_view name) {
  if (!ProfileExists(name)) return L"";
  return GetRegistryString(ProfileKey(name) + L"\\" + kProfileGeneralKey, kSupportPathValue)
      .value_or(L"");
}

bool SetProfileSupportPath(std::wstring_view name, std::wstring_view path) {
  if (!ProfileExists(name)) return false;
  const std::wstring general = ProfileKey(name) + L"\\" + kProfileGeneralKey;
  return CreateRegistryKey(general) && SetRegistryString(general, kSupportPathValue, path);
}

int AddProfileListener(std::function<void(const std::wstring& name)> listener) {
  static int next_id = 1;
  Listeners()[next_id] = std::move(listener);
  return next_id++;
}

void RemoveProfileListener(int id) { Listeners().erase(id); }

void RemoveAllProfileListeners() { Listeners().clear(); }

}  // namespace host
