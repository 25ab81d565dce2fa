#include "host/db/xdata.h"

#include <cstring>

#include "host/system/wide_text.h"

namespace host::db {
namespace {

bool IsXdataCode(int code) { return code >= 1000 && code <= 1071; }

void PutCode(std::string* out, int code) {
  out->push_back(static_cast<char>(code & 0xFF));
  out->push_back(static_cast<char>((code >> 8) & 0xFF));
}

void PutLength(std::string* out, std::size_t n) {
  while (n >= 0x80) {
    out->push_back(static_cast<char>((n & 0x7F) | 0x80));
    n >>= 7;
  }
  out->push_back(static_cast<char>(n));
}

void PutBytes(std::string* out, const void* p, std::size_t n) {
  out->append(static_cast<const char*>(p), n);
}

void PutText(std::string* out, std::wstring_view text) {
  bool ascii = true;
  for (wchar_t c : text) ascii = ascii && c > 0 && c < 0x80;
  if (ascii) {
    PutLength(out, text.size());
    for (wchar_t c : text) out->push_back(static_cast<char>(c));
    return;
  }
  std::string utf8 = host::EncodeUtf8(text);
  PutLength(out, utf8.size());
  out->append(utf8);
}

// Appends one group; false when its value does not suit its code.
bool PutGroup(std::string* out, const Group& group) {
  if (!IsXdataCode(group.code)) return false;
  switch (KindOfCode(group.code)) {
    case ValueKind::kText:
    case ValueKind::kHandle: {
      const std::wstring* text = group.Text();
      if (text == nullptr) return false;
      PutCode(out, group.code);
      PutText(out, *text);
      return true;
    }
    case ValueKind::kPoint: {
      const Point3* p = group.Point();
      if (p == nullptr) return false;
      PutCode(out, group.code);
      double v[3] = {p->x, p->y, p->z};
      PutBytes(out, v, sizeof v);
      return true;
    }
    case ValueKind::kReal: {
      if (!std::holds_alternative<double>(group.value) &&
          !std::holds_alternative<std::int32_t>(group.value))
        return false;
      PutCode(out, group.code);
      double v = group.Number();
      PutBytes(out, &v, sizeof v);
      return true;
    }
    case ValueKind::kInt16:
    case ValueKind::kInt32: {
      if (!std::holds_alternative<std::int32_t>(group.value)) return false;
      PutCode(out, group.code);
      std::int32_t v = group.Int();
      if (group.code == 1070) v = static_cast<std::int16_t>(v);
      PutBytes(out, &v, sizeof v);
      return true;
    }
    default:
      return false;
  }
}

Group ToGroup(const Xdata::Raw& raw) {
  switch (KindOfCode(raw.code)) {
    case ValueKind::kPoint:
      return Group(raw.code, Point3{raw.real[0], raw.real[1], raw.real[2]});
    case ValueKind::kReal:
      return Group(raw.code, raw.real[0]);
    case ValueKind::kInt16:
    case ValueKind::kInt32:
      return Group(raw.code, Value(raw.integer));
    default:
      return Group(raw.code, host::DecodeUtf8(raw.text));
  }
}

}  // namespace

bool Xdata::Next(std::size_t* pos, Raw* raw) const {
  std::size_t p = *pos;
  if (p + 2 > packed_.size()) return false;
  raw->code = static_cast<unsigned char>(packed_[p]) | (static_cast<unsigned char>(packed_[p + 1]) << 8);
  p += 2;
  raw->text = {};
  raw->integer = 0;
  raw->real[0] = raw->real[1] = raw->real[2] = 0;
  switch (raw->code == 1001 ? ValueKind::kText : KindOfCode(raw->code)) {
    case ValueKind::kPoint:
      std::memcpy(raw->real, packed_.data() + p, 3 * sizeof(double));
      p += 3 * sizeof(double);
      break;
    case ValueKind::kReal:
      std::memcpy(raw->real, packed_.data() + p, sizeof(double));
      p += sizeof(double);
      break;
    case ValueKind::kInt16:
    case ValueKind::kInt32:
      std::memcpy(&raw->integer, packed_.data() + p, sizeof(std::int32_t));
      p += sizeof(std::int32_t);
      break;
    default: {
      std::size_t n = 0;
      int shift = 0;
      while (true) {
        unsigned char b = static_cast<unsigned char>(packed_[p++]);
        n |= static_cast<std::size_t>(b & 0x7F) << shift;
        if ((b & 0x80) == 0) break;
        shift += 7;
      }
      raw->text = std::string_view(packed_.data() + p, n);
      p += n;
      break;
    }
  }
  *pos = p;
  return true;
}

std::vector<XdataBlock> Xdata::Blocks() const {
  std::vector<XdataBlock> blocks;
  Visit([&](const Raw& raw) {
    if (raw.code == 1001) {
      blocks.push_back(XdataBlock{host::DecodeUtf8(raw.text), {}});
    } else if (!blocks.empty()) {
      blocks.back().groups.push_back(ToGroup(raw));
    }
  });
  return blocks;
}

bool Xdata::Find(std::wstring_view app, XdataBlock* out) const {
  for (XdataBlock& block : Blocks()) {
    if (SameIgnoringAsciiCase(block.app, app)) {
      *out = std::move(block);
      return true;
    }
  }
  return false;
}

bool Xdata::Has(std::wstring_view app) const {
  bool found = false;
  Visit([&](const Raw& raw) {
    if (raw.code == 1001 && !found) found = SameIgnoringAsciiCase(host::DecodeUtf8(raw.text), app);
  });
  return found;
}

void Xdata::AppendBlock(const XdataBlock& block) {
  PutCode(&packed_, 1001);
  PutText(&packed_, block.app);
  for (const Group& group : block.groups) PutGroup(&packed_, group);
}

bool Xdata::Apply(const EntityList& chain) {
  // Check and pack the chain first; nothing changes when it is malformed.
  struct Incoming {
    std::wstring_view app;
    std::size_t first;  // its groups: chain[first, last)
    std::size_t last;
  };
  std::string packed;
  std::vector<Incoming> incoming;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const Group& group = chain[i];
    if (group.code == -3 && incoming.empty()) continue;
    if (group.code == 1001) {
      const std::wstring* name = group.Text();
      if (name == nullptr || name->empty()) return false;
      incoming.push_back(Incoming{*name, i + 1, i + 1});
      PutCode(&packed, 1001);
      PutText(&packed, *name);
      continue;
    }
    if (incoming.empty() || !PutGroup(&packed, group)) return false;
    incoming.back().last = i + 1;
  }
  // The common case: the first xdata of an entity, one block per application.
  bool simple = packed_.empty();
  for (std::size_t i = 0; simple && i < incoming.size(); ++i) {
    simple = incoming[i].last > incoming[i].first;
    for (std::size_t k = 0; simple && k < i; ++k) simple = !SameIgnoringAsciiCase(incoming[i].app, incoming[k].app);
  }
  if (simple) {
    packed_ = std::move(packed);
    return true;
  }
  std::vector<XdataBlock> blocks = Blocks();
  for (const Incoming& in : incoming) {
    EntityList groups(chain.begin() + static_cast<std::ptrdiff_t>(in.first),
                      chain.begin() + static_cast<std::ptrdiff_t>(in.last));
    bool replaced = false;
    for (XdataBlock& old : blocks) {
      if (SameIgnoringAsciiCase(old.app, in.app)) {
        old.groups = groups;
        replaced = true;
      }
    }
    if (!replaced) blocks.push_back(XdataBlock{std::wstring(in.app), groups});
  }
  packed_.clear();
  for (const XdataBlock& block : blocks)
    if (!block.groups.empty()) AppendBlock(block);
  return true;
}

void Xdata::Remove(std::wstring_view app) {
  std::vector<XdataBlock> blocks = Blocks();
  packed_.clear();
  for (const XdataBlock& block : blocks)
    if (!SameIgnoringAsciiCase(block.app, app)) AppendBlock(block);
}

void Xdata::AppendTo(EntityList* list) const {
  Visit([&](const Raw& raw) {
    if (raw.code == 1001)
      list->emplace_back(1001, host::DecodeUtf8(raw.text));
    else
      list->push_back(ToGroup(raw));
  });
}

}  // namespace host::db
