#include "host/db/xdata.h"

#include <cstring>
#include <deque>
#include <unordered_map>

#include "host/system/wide_text.h"

namespace host::db {
namespace {

bool IsXdataCode(int code) { return code >= 1000 && code <= 1071; }

// Codes are xdata codes (1000 to 1071): one byte each.
void PutCode(std::string* out, int code) { out->push_back(static_cast<char>(code - 1000)); }

void PutLength(std::string* out, std::size_t n) {
  while (n >= 0x80) {
    out->push_back(static_cast<char>((n & 0x7F) | 0x80));
    n >>= 7;
  }
  out->push_back(static_cast<char>(n));
}

// Application names are kept once for the process and a block names its
// application by number: a drawing's entities mostly share one or two.
struct AppNames {
  std::deque<std::string> names;  // UTF-8; a deque keeps them in place
  std::unordered_map<std::string_view, std::size_t> numbers;
};
AppNames& Apps() {
  static AppNames* apps = new AppNames;  // never freed: databases may outlive static objects
  return *apps;
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

// The number of an application name, kept for the process.
std::size_t AppNumber(std::wstring_view name) {
  // Writers name the same application entity after entity.
  thread_local std::wstring lastName;
  thread_local std::size_t lastNumber = 0;
  if (!lastName.empty() && name == lastName) return lastNumber;
  std::string utf8;
  PutText(&utf8, name);  // length, then the UTF-8
  std::size_t at = 0;
  while (static_cast<unsigned char>(utf8[at]) & 0x80) ++at;
  const std::string_view text = std::string_view(utf8).substr(at + 1);
  AppNames& apps = Apps();
  auto found = apps.numbers.find(text);
  if (found == apps.numbers.end()) {
    apps.names.emplace_back(text);
    found = apps.numbers.emplace(apps.names.back(), apps.names.size() - 1).first;
  }
  lastName.assign(name);
  lastNumber = found->second;
  return lastNumber;
}

void PutApp(std::string* out, std::wstring_view name) {
  PutCode(out, 1001);
  PutLength(out, AppNumber(name));
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
  auto length = [&] {
    std::size_t n = 0;
    int shift = 0;
    while (true) {
      const auto b = static_cast<unsigned char>(packed_[p++]);
      n |= static_cast<std::size_t>(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return n;
      shift += 7;
    }
  };
  if (p >= packed_.size()) return false;
  raw->code = 1000 + static_cast<unsigned char>(packed_[p++]);
  raw->text = {};
  raw->integer = 0;
  raw->real[0] = raw->real[1] = raw->real[2] = 0;
  if (raw->code == 1001) {
    raw->text = Apps().names[length()];
    *pos = p;
    return true;
  }
  switch (KindOfCode(raw->code)) {
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
      const std::size_t n = length();
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
  PutApp(&packed_, block.app);
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
      PutApp(&packed, *name);
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
    packed_.assign(packed);  // sized to fit: drawings hold a great many of these
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

void XdataChain::App(std::wstring_view name) {
  if (name.empty()) valid_ = false;
  PutApp(&packed_, name);
  ++blocks_;
}

void XdataChain::Text(int code, std::string_view head, std::string_view bytes, std::size_t maxUnits) {
  if (blocks_ == 0 || code < 1000 || code > 1003 || code == 1001) valid_ = false;
  head = head.substr(0, maxUnits);
  bytes = bytes.substr(0, maxUnits - head.size());
  std::size_t high = 0;  // units 0x80 to 0xFF: two UTF-8 bytes each
  for (char c : bytes) high += static_cast<unsigned char>(c) >> 7;
  PutCode(&packed_, code);
  PutLength(&packed_, head.size() + bytes.size() + high);
  packed_.append(head);
  if (high == 0) {
    packed_.append(bytes);
    return;
  }
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      packed_.push_back(c);
    } else {
      packed_.push_back(static_cast<char>(0xC0 | (b >> 6)));
      packed_.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
}

void XdataChain::Utf8Text(int code, std::string_view head, std::string_view utf8,
                          std::size_t maxUnits) {
  bool ascii = true;
  for (char c : utf8)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) {
    Text(code, head, utf8, maxUnits);
    return;
  }
  if (blocks_ == 0 || code < 1000 || code > 1003 || code == 1001) valid_ = false;
  head = head.substr(0, maxUnits);
  std::string packed(head);
  std::size_t units = head.size();
  for (std::size_t i = 0; i < utf8.size() && units < maxUnits; ++units) {
    const std::size_t length = Utf8SequenceAt(utf8, i);
    if (length == 0) {
      AppendUtf8(packed, static_cast<wchar_t>(static_cast<unsigned char>(utf8[i])));
      ++i;
    } else {
      packed.append(utf8.substr(i, length));
      i += length;
    }
  }
  PutCode(&packed_, code);
  PutLength(&packed_, packed.size());
  packed_.append(packed);
}

void XdataChain::Clear() {
  packed_.clear();
  blocks_ = 0;
  valid_ = true;
}

bool Xdata::Apply(const XdataChain& chain) {
  if (!chain.Valid()) return false;
  if (packed_.empty() && chain.blocks_ == 1) {
    packed_.assign(chain.packed_);
    return true;
  }
  // Replacing blocks, or several of them: through the list form, which
  // keeps the blocks of the other applications.
  Xdata incoming;
  incoming.packed_ = chain.packed_;
  EntityList list;
  incoming.AppendTo(&list);
  return Apply(list);
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
