#include "host/db/entity.h"

#include <array>
#include <cwctype>

namespace host::db {
namespace {

constexpr std::array<const wchar_t*, 11> kTypeNames = {
    L"LINE", L"ARC", L"CIRCLE", L"POINT", L"TEXT", L"LWPOLYLINE",
    L"POLYLINE", L"VERTEX", L"SEQEND", L"HATCH", L"INSERT"};

}  // namespace

const wchar_t* TypeName(EntityType type) { return kTypeNames[static_cast<std::size_t>(type)]; }

std::optional<EntityType> TypeFromName(std::wstring_view name) {
  for (std::size_t i = 0; i < kTypeNames.size(); ++i) {
    std::wstring_view known = kTypeNames[i];
    if (known.size() != name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < name.size() && same; ++k)
      same = static_cast<wchar_t>(std::towupper(name[k])) == known[k];
    if (same) return static_cast<EntityType>(i);
  }
  return std::nullopt;
}

EntityType TypeOf(const EntityData& data) {
  // The variant's alternatives are listed in the order of EntityType.
  return static_cast<EntityType>(data.index());
}

}  // namespace host::db
