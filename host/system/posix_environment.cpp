// The environment through the C library's `environ`, under the overlay.
#include <unistd.h>

#include <map>

#include "host/system/environment.h"
#include "host/system/files.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

// Folded name → value; an empty optional hides the variable.
std::map<std::wstring, std::optional<std::wstring>>& Overlay() {
  static std::map<std::wstring, std::optional<std::wstring>> overlay;
  return overlay;
}

constexpr wchar_t kAppDataName[] = L"APPDATA";

// Where a user's application data lives when the environment does not say:
// the user's configuration folder, as the registry store's.
std::optional<std::wstring> DefaultAppData() {
  std::optional<std::wstring> config = GetEnvironmentVariable(L"XDG_CONFIG_HOME");
  if (config && !config->empty()) return config;
  std::optional<std::wstring> home = GetEnvironmentVariable(L"HOME");
  if (home && !home->empty()) return *home + L"/.config";
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> GetEnvironmentVariable(std::wstring_view name) {
  if (name.empty()) return std::nullopt;
  const std::wstring key = UpperAscii(name);
  auto it = Overlay().find(key);
  if (it != Overlay().end()) return it->second;

  std::optional<std::wstring> first;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::wstring text = WidePath(*entry);
    const std::size_t eq = text.find(L'=');
    if (eq == std::wstring::npos) continue;
    const std::wstring_view entry_name(text.data(), eq);
    if (entry_name == name) return text.substr(eq + 1);
    if (!first && UpperAscii(entry_name) == key) first = text.substr(eq + 1);
  }
  if (!first && key == kAppDataName) return DefaultAppData();
  return first;
}

void SetEnvironmentOverride(std::wstring_view name, std::wstring_view value) {
  Overlay()[UpperAscii(name)] = std::wstring(value);
}

void HideEnvironmentVariable(std::wstring_view name) { Overlay()[UpperAscii(name)] = std::nullopt; }

void RemoveEnvironmentOverride(std::wstring_view name) { Overlay().erase(UpperAscii(name)); }

void ClearEnvironmentOverrides() { Overlay().clear(); }

}  // namespace host
