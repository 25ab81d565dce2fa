#include "common/cad/registry_key_name.h"

#include "host/system/registry.h"

bool GetRegistryKeyName(std::wstring_view key, std::wstring& name) {
  name.clear();
  if (key.empty() || !host::RegistryKeyExists(key)) return false;
  name = host::kCurrentUserRootName;
  name += L'\\';
  name += key;
  return !name.empty();
}
