#include "host/system/registry.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "host/system/environment.h"
#include "host/system/files.h"
#include "host/system/replace_file.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

struct Key {
  std::wstring name;
  std::map<std::wstring, std::unique_ptr<Key>> subkeys;                 // by folded name
  std::map<std::wstring, std::pair<std::wstring, std::wstring>> values;  // folded → (name, value)

  std::unique_ptr<Key> Clone(std::wstring new_name) const {
    auto copy = std::make_unique<Key>();
    copy->name = std::move(new_name);
    copy->values = values;
    for (const auto& [folded, sub] : subkeys) copy->subkeys[folded] = sub->Clone(sub->name);
    return copy;
  }
};

struct Store {
  Key root;
  std::wstring file;
};

Store& TheStore() {
  static Store store;
  return store;
}

std::vector<std::wstring> SplitKey(std::wstring_view path) {
  std::vector<std::wstring> parts;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find(L'\\', pos);
    if (end == std::wstring_view::npos) end = path.size();
    if (end > pos) parts.emplace_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

Key* Find(std::wstring_view path) {
  Key* key = &TheStore().root;
  for (const std::wstring& part : SplitKey(path)) {
    auto it = key->subkeys.find(UpperAscii(part));
    if (it == key->subkeys.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

// ---- the file ----------------------------------------------------------------
//
// One line per key, "[path]", followed by its values, "\"name\"=\"value\"".
// The text is plain ASCII: '%', the quote, ']' in a key path, and any unit
// outside printable ASCII are written as %{HEX}.

std::string Escape(std::wstring_view text, bool key_path) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'%' || c == L'"' || (key_path && c == L']') || c < 0x20 || c >= 0x7F) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "%%{%X}", static_cast<unsigned>(c));
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// Reads escaped text from `line` at `pos` up to `stop`; false when `stop`
// never comes or an escape is malformed.
bool Unescape(const std::string& line, std::size_t* pos, char stop, std::wstring* out) {
  while (*pos < line.size()) {
    const char c = line[(*pos)++];
    if (c == stop) return true;
    if (c != '%') {
      *out += static_cast<wchar_t>(static_cast<unsigned char>(c));
      continue;
    }
    if (*pos >= line.size() || line[*pos] != '{') return false;
    const std::size_t close = line.find('}', *pos);
    if (close == std::string::npos) return false;
    const std::string hex = line.substr(*pos + 1, close - *pos - 1);
    if (hex.empty() || hex.size() > 8 || hex.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
      return false;
    const unsigned long unit = std::stoul(hex, nullptr, 16);
    if (unit == 0 || unit > 0x10FFFF) return false;
    *out += static_cast<wchar_t>(unit);
    *pos = close + 1;
  }
  return false;
}

void WriteKey(std::ostringstream& out, const Key& key, const std::wstring& path) {
  if (!path.empty()) {
    out << '[' << Escape(path, true) << "]\n";
    for (const auto& [folded, entry] : key.values)
      out << '"' << Escape(entry.first, false) << "\"=\"" << Escape(entry.second, false) << "\"\n";
  }
  for (const auto& [folded, sub] : key.subkeys)
    WriteKey(out, *sub, path.empty() ? sub->name : path + L"\\" + sub->name);
}

bool Save() {
  const Store& store = TheStore();
  if (store.file.empty()) return true;
  std::ostringstream text;
  text << "; cadhost registry\n";
  WriteKey(text, store.root, L"");
  const std::size_t cut = store.file.find_last_of(L"/\\");
  if (cut != std::wstring::npos && cut > 0) (void)CreateFolders(store.file.substr(0, cut));
  ReplacementFile out;
  if (!out.Begin(store.file, store.file + L".new")) return false;
  out.Write(text.str());
  return out.Commit();
}

Key* MakeKey(std::wstring_view path) {
  Key* key = &TheStore().root;
  for (const std::wstring& part : SplitKey(path)) {
    std::unique_ptr<Key>& sub = key->subkeys[UpperAscii(part)];
    if (!sub) {
      sub = std::make_unique<Key>();
      sub->name = part;
    }
    key = sub.get();
  }
  return key;
}

bool Load(const std::wstring& file) {
  std::optional<std::string> native = NativePath(file);
  if (!native || IsDirectory(file)) return false;
  std::ifstream in(*native, std::ios::binary);
  if (!in) return !PathExists(file);
  bool whole = true;
  Key* current = nullptr;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    std::size_t pos = 1;
    if (line[0] == '[') {
      std::wstring path;
      if (!Unescape(line, &pos, ']', &path) || pos != line.size() || SplitKey(path).empty()) {
        whole = false;
        current = nullptr;
        continue;
      }
      current = MakeKey(path);
    } else if (line[0] == '"' && current != nullptr) {
      std::wstring name, value;
      if (!Unescape(line, &pos, '"', &name) || pos + 1 >= line.size() || line[pos] != '=' ||
          line[pos + 1] != '"') {
        whole = false;
        continue;
      }
      pos += 2;
      if (!Unescape(line, &pos, '"', &value) || pos != line.size()) {
        whole = false;
        continue;
      }
      current->values[UpperAscii(name)] = {name, value};
    } else {
      whole = false;
    }
  }
  return whole;
}

}  // namespace

bool UseRegistryFile(std::wstring_view path) {
  UseMemoryRegistry();
  TheStore().file = std::wstring(path);
  return Load(TheStore().file);
}

void UseMemoryRegistry() {
  TheStore().root = Key();
  TheStore().file.clear();
}

std::wstring RegistryFile() { return TheStore().file; }

std::wstring DefaultRegistryFile() {
  std::optional<std::wstring> base = GetEnvironmentVariable(L"XDG_CONFIG_HOME");
  if (!base || base->empty()) {
    std::optional<std::wstring> home = GetEnvironmentVariable(L"HOME");
    if (!home || home->empty()) return L"";
    base = *home + L"/.config";
  }
  return *base + L"/cadhost/registry";
}

bool RegistryKeyExists(std::wstring_view key) { return !SplitKey(key).empty() && Find(key); }

bool CreateRegistryKey(std::wstring_view key) {
  if (SplitKey(key).empty()) return false;
  MakeKey(key);
  return Save();
}

bool DeleteRegistryKey(std::wstring_view key) {
  std::vector<std::wstring> parts = SplitKey(key);
  if (parts.empty()) return false;
  const std::wstring last = parts.back();
  parts.pop_back();
  Key* parent = &TheStore().root;
  for (const std::wstring& part : parts) {
    auto it = parent->subkeys.find(UpperAscii(part));
    if (it == parent->subkeys.end()) return false;
    parent = it->second.get();
  }
  if (parent->subkeys.erase(UpperAscii(last)) == 0) return false;
  return Save();
}

bool CopyRegistryKey(std::wstring_view from, std::wstring_view to) {
  const Key* source = Find(from);
  if (source == nullptr || SplitKey(from).empty() || SplitKey(to).empty() || Find(to)) return false;
  std::vector<std::wstring> parts = SplitKey(to);
  std::unique_ptr<Key> copy = source->Clone(parts.back());
  const std::wstring folded = UpperAscii(parts.back());
  parts.pop_back();
  std::wstring parent_path;
  for (const std::wstring& part : parts) parent_path += part + L"\\";
  Key* parent = MakeKey(parent_path);
  parent->subkeys[folded] = std::move(copy);
  return Save();
}

std::optional<std::wstring> GetRegistryString(std::wstring_view key, std::wstring_view name) {
  const Key* k = SplitKey(key).empty() ? nullptr : Find(key);
  if (k == nullptr) return std::nullopt;
  auto it = k->values.find(UpperAscii(name));
  if (it == k->values.end()) return std::nullopt;
  return it->second.second;
}

bool SetRegistryString(std::wstring_view key, std::wstring_view name, std::wstring_view value) {
  Key* k = SplitKey(key).empty() ? nullptr : Find(key);
  if (k == nullptr) return false;
  auto& entry = k->values[UpperAscii(name)];
  if (entry.first.empty()) entry.first = std::wstring(name);
  entry.second = std::wstring(value);
  return Save();
}

bool DeleteRegistryValue(std::wstring_view key, std::wstring_view name) {
  Key* k = SplitKey(key).empty() ? nullptr : Find(key);
  if (k == nullptr || k->values.erase(UpperAscii(name)) == 0) return false;
  return Save();
}

std::vector<std::wstring> RegistrySubkeys(std::wstring_view key) {
  std::vector<std::wstring> names;
  if (const Key* k = Find(key))
    for (const auto& [folded, sub] : k->subkeys) names.push_back(sub->name);
  return names;
}

std::vector<std::wstring> RegistryValueNames(std::wstring_view key) {
  std::vector<std::wstring> names;
  if (const Key* k = SplitKey(key).empty() ? nullptr : Find(key))
    for (const auto& [folded, entry] : k->values) names.push_back(entry.first);
  return names;
}

}  // namespace host
