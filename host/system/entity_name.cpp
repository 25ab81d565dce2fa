#include "host/system/entity_name.h"

#include <cstdio>

namespace host {

std::wstring HandleText(std::uint64_t handle) {
  wchar_t buffer[24];
  std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%llX",
                static_cast<unsigned long long>(handle));
  return buffer;
}

}  // namespace host
