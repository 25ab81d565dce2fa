#include "host/db/values.h"

#include <ostream>

namespace host::db {

ValueKind KindOfCode(int code) {
  if (code == -1 || code == -2 || (code >= 330 && code <= 369)) return ValueKind::kName;
  if (code == 5 || code == 105 || code == 1005) return ValueKind::kHandle;
  if ((code >= 0 && code <= 9) || code == -4 || code == 100 || code == 102 ||
      (code >= 300 && code <= 309) || (code >= 410 && code <= 419) ||
      (code >= 1000 && code <= 1004) || code == 999)
    return ValueKind::kText;
  if ((code >= 10 && code <= 18) || code == 210 || (code >= 1010 && code <= 1013))
    return ValueKind::kPoint;
  if ((code >= 38 && code <= 59) || (code >= 140 && code <= 149) || (code >= 1040 && code <= 1042))
    return ValueKind::kReal;
  if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
      code == 1070)
    return ValueKind::kInt16;
  if ((code >= 90 && code <= 99) || code == 1071) return ValueKind::kInt32;
  return ValueKind::kNone;
}

double Group::Number() const {
  if (const auto* d = std::get_if<double>(&value)) return *d;
  if (const auto* i = std::get_if<std::int32_t>(&value)) return *i;
  return 0;
}

std::int32_t Group::Int() const {
  if (const auto* i = std::get_if<std::int32_t>(&value)) return *i;
  if (const auto* d = std::get_if<double>(&value)) return static_cast<std::int32_t>(*d);
  return 0;
}

namespace {
template <typename List>
auto Find(List& list, int code) -> decltype(&list[0]) {
  for (auto& group : list) {
    if (group.code == code) return &group;
    if (group.code == -3 && code < 1000) return nullptr;
  }
  return nullptr;
}
}  // namespace

const Group* FindGroup(const EntityList& list, int code) { return Find(list, code); }

void PrintTo(const Group& group, std::ostream* out) {
  *out << "(" << group.code << " . ";
  if (const auto* text = group.Text()) {
    *out << '"';
    for (wchar_t c : *text) {
      if (c >= 32 && c < 127)
        *out << static_cast<char>(c);
      else
        *out << "\\u" << std::hex << static_cast<unsigned>(c) << std::dec;
    }
    *out << '"';
  } else if (const auto* p = group.Point()) {
    *out << p->x << "," << p->y << "," << p->z;
  } else if (const auto* name = group.Name()) {
    *out << "<" << name->database << ":" << std::hex << name->handle << std::dec << ">";
  } else if (std::holds_alternative<double>(group.value)) {
    *out << group.Number() << "r";
  } else if (std::holds_alternative<std::int32_t>(group.value)) {
    *out << group.Int();
  }
  *out << ")";
}
Group* FindGroup(EntityList& list, int code) { return Find(list, code); }

}  // namespace host::db
