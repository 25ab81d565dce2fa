#include "host/system/registry.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "host/system/environment.h"
#include "host/system/file_lock.h"
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
  // The file as this process last read or wrote it; another process's save
  // changes it.
  std::optional<FileStamp> seen;
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

std::string NativeFile(std::wstring_view suffix = L"") {
  std::optional<std::string> native = NativePath(TheStore().file + std::wstring(suffix));
  return native ? *native : std::string();
}

bool Save() {
  Store& store = TheStore();
  if (store.file.empty()) return true;
  std::ostringstream text;
  text << "; cadhost registry\n";
  WriteKey(text, store.root, L"");
  ReplacementFile out;
  if (!out.Begin(store.file, store.file + L".new")) return false;
  out.Write(text.str());
  if (!out.Commit()) return false;
  store.seen = GetFileStamp(NativeFile());
  return true;
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

// Reads the file again when another process saved it since this one last
// read or wrote it, so that what it reads and what it changes is the newest
// store.
void Refresh() {
  Store& store = TheStore();
  if (store.file.empty()) return;
  std::optional<FileStamp> stamp = GetFileStamp(NativeFile());
  if (stamp == store.seen) return;
  store.root = Key();
  (void)Load(store.file);
  store.seen = stamp;
}

// How long a change waits for another process's change to the file.
constexpr int kLockWaitMs = 10'000;

// The lock of the transaction in progress, and how many are nested.
struct Transaction {
  FileLock lock;
  int depth = 0;
};

Transaction& TheTransaction() {
  static Transaction transaction;
  return transaction;
}

// Takes the file's lock and reads the newest store. A lock that cannot be
// had (a folder this user may not write, a holder that hangs) does not stop
// the changes: they are made and saved as they would be by a session alone.
void Begin(FileLock* lock) {
  Store& store = TheStore();
  if (store.file.empty()) return;
  const std::size_t cut = store.file.find_last_of(L"/\\");
  if (cut != std::wstring::npos && cut > 0) (void)CreateFolders(store.file.substr(0, cut));
  (void)lock->Acquire(NativeFile(L".lock"), kLockWaitMs);
  Refresh();
}

// Makes one change to the store: under the file's lock, on the newest store
// (read again when another session saved it), then saved before the lock
// is let go. `change` answers false when there is nothing to change (a key
// that does not exist); nothing is saved then.
// Within a transaction the lock is the transaction's.
template <typename Change>
bool Update(Change change) {
  Store& store = TheStore();
  if (store.file.empty()) return change();
  FileLock lock;
  if (TheTransaction().depth == 0) Begin(&lock);
  if (!change()) return false;
  return Save();
}

// Copies a file that could not be read whole beside it, as FILE.damaged (or
// FILE.damaged-2, ...), before the store is saved over it. The copy's path,
// or empty when none could be made.
std::wstring KeepDamagedCopy(const std::wstring& file) {
  for (int n = 1; n <= 100; ++n) {
    const std::wstring copy = file + L".damaged" + (n == 1 ? L"" : L"-" + std::to_wstring(n));
    if (PathExists(copy)) continue;
    return CopyFile(file, copy, false) ? copy : L"";
  }
  return L"";
}

}  // namespace

bool UseRegistryFile(std::wstring_view path, std::wstring* damaged_copy) {
  UseMemoryRegistry();
  Store& store = TheStore();
  store.file = std::wstring(path);
  store.seen = GetFileStamp(NativeFile());
  if (Load(store.file)) return true;
  const std::wstring copy = PathExists(store.file) ? KeepDamagedCopy(store.file) : L"";
  if (damaged_copy) *damaged_copy = copy;
  return false;
}

void UseMemoryRegistry() {
  TheStore().root = Key();
  TheStore().file.clear();
  TheStore().seen.reset();
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

RegistryTransaction::RegistryTransaction() {
  if (TheTransaction().depth++ == 0) Begin(&TheTransaction().lock);
}

RegistryTransaction::~RegistryTransaction() {
  if (--TheTransaction().depth == 0) TheTransaction().lock.Release();
}

bool RegistryKeyExists(std::wstring_view key) {
  Refresh();
  return !SplitKey(key).empty() && Find(key);
}

bool CreateRegistryKey(std::wstring_view key) {
  if (SplitKey(key).empty()) return false;
  return Update([&] {
    MakeKey(key);
    return true;
  });
}

bool DeleteRegistryKey(std::wstring_view key) {
  std::vector<std::wstring> parts = SplitKey(key);
  if (parts.empty()) return false;
  const std::wstring last = parts.back();
  parts.pop_back();
  return Update([&] {
    Key* parent = &TheStore().root;
    for (const std::wstring& part : parts) {
      auto it = parent->subkeys.find(UpperAscii(part));
      if (it == parent->subkeys.end()) return false;
      parent = it->second.get();
    }
    return parent->subkeys.erase(UpperAscii(last)) != 0;
  });
}

bool CopyRegistryKey(std::wstring_view from, std::wstring_view to) {
  if (SplitKey(from).empty() || SplitKey(to).empty()) return false;
  return Update([&] {
    const Key* source = Find(from);
    if (source == nullptr || Find(to)) return false;
    std::vector<std::wstring> parts = SplitKey(to);
    std::unique_ptr<Key> copy = source->Clone(parts.back());
    const std::wstring folded = UpperAscii(parts.back());
    parts.pop_back();
    std::wstring parent_path;
    for (const std::wstring& part : parts) parent_path += part + L"\\";
    Key* parent = MakeKey(parent_path);
    parent->subkeys[folded] = std::move(copy);
    return true;
  });
}

std::optional<std::wstring> GetRegistryString(std::wstring_view key, std::wstring_view name) {
  Refresh();
  const Key* k = SplitKey(key).empty() ? nullptr : Find(key);
  if (k == nullptr) return std::nullopt;
  auto it = k->values.find(UpperAscii(name));
  if (it == k->values.end()) return std::nullopt;
  return it->second.second;
}

bool SetRegistryString(std::wstring_view key, std::wstring_view name, std::wstring_view value) {
  if (SplitKey(key).empty()) return false;
  return Update([&] {
    Key* k = Find(key);
    if (k == nullptr) return false;
    auto& entry = k->values[UpperAscii(name)];
    if (entry.first.empty()) entry.first = std::wstring(name);
    entry.second = std::wstring(value);
    return true;
  });
}

bool DeleteRegistryValue(std::wstring_view key, std::wstring_view name) {
  if (SplitKey(key).empty()) return false;
  return Update([&] {
    Key* k = Find(key);
    return k != nullptr && k->values.erase(UpperAscii(name)) != 0;
  });
}

std::vector<std::wstring> RegistrySubkeys(std::wstring_view key) {
  Refresh();
  std::vector<std::wstring> names;
  if (const Key* k = Find(key))
    for (const auto& [folded, sub] : k->subkeys) names.push_back(sub->name);
  return names;
}

std::vector<std::wstring> RegistryValueNames(std::wstring_view key) {
  Refresh();
  std::vector<std::wstring> names;
  if (const Key* k = SplitKey(key).empty() ? nullptr : Find(key))
    for (const auto& [folded, entry] : k->values) names.push_back(entry.first);
  return names;
}

}  // namespace host
