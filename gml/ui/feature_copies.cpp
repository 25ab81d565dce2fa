#include "gml/ui/feature_copies.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>

#include "common/containers/text.h"
#include "gml/writer/os_xdata.h"
#include "host/db/entity_list.h"

namespace {

// Two 64-bit sums over the same bytes (FNV-1a and a variant of it): 128
// bits, so that two different shapes never pass for one.
class Fingerprint {
 public:
  void Add(std::string_view bytes) {
    for (unsigned char c : bytes) {
      a_ = (a_ ^ c) * 0x100000001B3ull;
      b_ = (b_ ^ c) * 0x00000100000001B3ull * 31 + 0x9E3779B97F4A7C15ull;
    }
    a_ = (a_ ^ 0xFF) * 0x100000001B3ull;  // keeps "ab","c" apart from "a","bc"
  }
  void Add(double value) {
    // Twelve significant digits: a drawing saved and read again gives the
    // same text, angles turned to degrees and back included.
    char text[40];
    std::snprintf(text, sizeof text, "%.12g", value == 0 ? 0.0 : value);
    Add(std::string_view(text));
  }
  void Add(int value) { Add(std::string_view(std::to_string(value))); }
  std::uint64_t A() const { return a_; }
  std::uint64_t B() const { return b_; }

 private:
  std::uint64_t a_ = 0xCBF29CE484222325ull;
  std::uint64_t b_ = 0x84222325CBF29CE4ull;
};

// Groups that say how an entity is shown or where it is kept, not what it
// is: names and handles, layer, linetype, colour, lineweight, scale of the
// linetype, visibility, space, subclass markers.
bool IsGeometry(int code) {
  switch (code) {
    case -1: case -2: case 5: case 6: case 8: case 48: case 60: case 62: case 67: case 100: case 370: case 410:
    case 420: case 440:
      return false;
    default:
      return code < 330 || code > 369;
  }
}

bool IsType(const host::db::EntityList& list, std::wstring_view name) {
  const host::db::Group* type = host::db::FindGroup(list, 0);
  return type != nullptr && type->Text() != nullptr && *type->Text() == name;
}

// Groups whose value in memory a drawing saved and read back does not keep,
// though nothing drawn changes: a light polyline's widths (40, 41, 43; in
// memory a vertex may stand for the constant width), and the alignment point
// (11) of a text at the left of its base line, which a file leaves out.
bool IsKeptOnlyInMemory(const host::db::EntityList& list, int code) {
  if (code == 40 || code == 41 || code == 43) return IsType(list, L"LWPOLYLINE");
  if (code != 11 || !IsType(list, L"TEXT")) return false;
  const host::db::Group* horizontal = host::db::FindGroup(list, 72);
  const host::db::Group* vertical = host::db::FindGroup(list, 73);
  return (horizontal == nullptr || horizontal->Int() == 0) && (vertical == nullptr || vertical->Int() == 0);
}

void AddGroups(const host::db::EntityList& list, Fingerprint& print) {
  for (const host::db::Group& g : list) {
    if (g.code == -3) break;
    if (!IsGeometry(g.code) || IsKeptOnlyInMemory(list, g.code)) continue;
    print.Add(g.code);
    if (const std::wstring* text = g.Text()) {
      print.Add(std::string_view(WideToUtf8(*text)));
    } else if (const host::db::Point3* p = g.Point()) {
      print.Add(p->x);
      print.Add(p->y);
      print.Add(p->z);
    } else if (std::holds_alternative<double>(g.value)) {
      print.Add(std::get<double>(g.value));
    } else if (std::holds_alternative<std::int32_t>(g.value)) {
      print.Add(static_cast<int>(g.Int()));
    }
  }
}

}  // namespace

FeaturePiece ReadFeaturePiece(const ShowOSGmlXdata& record, host::EntityName entity) {
  FeaturePiece piece{entity, 0, WideToUtf8(record.Toid()), {0, 0},
                     std::wcstol(record.Version().c_str(), nullptr, 10)};
  const std::wstring& kind = record.Kind();
  if (!kind.empty()) piece.kind = static_cast<char>(kind[0]);
  Fingerprint print;
  if (std::optional<host::db::EntityList> list = host::db::GetEntityList(entity)) {
    AddGroups(*list, print);
    // A polyline's vertices follow it.
    if (IsType(*list, L"POLYLINE")) {
      for (host::EntityName v = host::db::NextEntity(entity); !v.IsNull(); v = host::db::NextEntity(v)) {
        std::optional<host::db::EntityList> vertex = host::db::GetEntityList(v);
        if (!vertex || !IsType(*vertex, L"VERTEX")) break;
        AddGroups(*vertex, print);
      }
    }
  }
  piece.shape[0] = print.A();
  piece.shape[1] = print.B();
  return piece;
}

std::vector<bool> MarkRepeats(const std::vector<FeaturePiece>& pieces) {
  std::vector<bool> repeat(pieces.size(), false);
  const char symbol = kAreaSymbolKind[0];
  using Key = std::tuple<char, std::string_view, std::uint64_t, std::uint64_t>;
  auto key = [](const FeaturePiece& p) { return Key{p.kind, p.toid, p.shape[0], p.shape[1]}; };
  // In the order the entities were made, whatever the order of the
  // selection: of each key's copies the highest version stays, and of
  // copies of one version the one made first.
  std::vector<std::size_t> made(pieces.size());
  for (std::size_t i = 0; i < made.size(); ++i) made[i] = i;
  std::stable_sort(made.begin(), made.end(),
                   [&](std::size_t a, std::size_t b) { return pieces[a].entity.handle < pieces[b].entity.handle; });
  std::map<Key, std::size_t> kept;
  for (std::size_t i : made) {
    if (pieces[i].kind == symbol) continue;
    const auto [at, fresh] = kept.emplace(key(pieces[i]), i);
    if (!fresh && pieces[i].version > pieces[at->second].version) at->second = i;
  }
  // Each TOID's area entities: (handle, repeat), sorted by handle.
  std::map<std::string_view, std::vector<std::pair<std::uint64_t, bool>>> areas;
  for (std::size_t i : made) {
    const FeaturePiece& p = pieces[i];
    if (p.kind == symbol) continue;
    repeat[i] = kept.find(key(p))->second != i;
    if (p.kind == '5' || p.kind == '6')  // an area's outline or hatch
      areas[p.toid].emplace_back(p.entity.handle, repeat[i]);
  }
  for (auto& [toid, list] : areas) std::sort(list.begin(), list.end());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const FeaturePiece& p = pieces[i];
    if (p.kind != symbol) continue;
    const auto found = areas.find(p.toid);
    if (found == areas.end()) continue;
    const auto& list = found->second;
    auto after = std::lower_bound(list.begin(), list.end(), std::make_pair(p.entity.handle, false));
    if (after == list.begin()) continue;  // planted before any area of its TOID: none to follow
    repeat[i] = std::prev(after)->second;
  }
  return repeat;
}
