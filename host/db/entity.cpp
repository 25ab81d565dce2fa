#include "host/db/entity.h"

#include <array>

#include "host/system/wide_text.h"

namespace host::db {
namespace {

constexpr std::array<const wchar_t*, 11> kTypeNames = {
    L"LINE", L"ARC", L"CIRCLE", L"POINT", L"TEXT", L"LWPOLYLINE",
    L"POLYLINE", L"VERTEX", L"SEQEND", L"HATCH", L"INSERT"};

}  // namespace

const wchar_t* TypeName(EntityType type) { return kTypeNames[static_cast<std::size_t>(type)]; }

std::optional<EntityType> TypeFromName(std::wstring_view name) {
  for (std::size_t i = 0; i < kTypeNames.size(); ++i) {
    if (SameIgnoringAsciiCase(name, kTypeNames[i])) return static_cast<EntityType>(i);
  }
  return std::nullopt;
}

EntityType TypeOf(const EntityData& data) {
  // The variant's alternatives are listed in the order of EntityType.
  return static_cast<EntityType>(data.index());
}

}  // namespace host::db
