#include "common/containers/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwctype>

#include "host/system/wide_text.h"

namespace {

// The default-locale mapping: byte n is unit n.
inline bool ByteToUnit(char byte, wchar_t* unit) {
  *unit = static_cast<wchar_t>(static_cast<unsigned char>(byte));
  return true;
}

inline bool UnitToByte(wchar_t unit, char* byte) {
  if (unit < 0 || unit > 255) return false;
  *byte = static_cast<char>(static_cast<unsigned char>(unit));
  return true;
}

template <typename From, typename To, typename Convert>
To* ConvertTerminated(To* dest, std::size_t capacity, const From* src, Convert convert) {
  if (capacity == 0) return dest;
  dest[0] = 0;
  for (std::size_t i = 0; src[i] != 0 && i + 1 < capacity; ++i) {
    if (!convert(src[i], &dest[i])) break;
    dest[i + 1] = 0;
  }
  return dest;
}

template <typename From, typename To, typename Convert>
To* ConvertCounted(To* dest, const From* src, int count, Convert convert) {
  for (int i = 0; i < count; ++i) {
    if (src[i] == 0) {
      dest[i] = 0;
      continue;
    }
    To unit;
    if (convert(src[i], &unit)) dest[i] = unit;
  }
  return dest;
}

constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1);

// Path splitting ---------------------------------------------------------------

template <typename Char>
bool IsSeparator(Char c) {
  return c == Char('\\') || c == Char('/');
}

template <typename Char>
std::size_t Length(const Char* s) {
  std::size_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

// Copies at most kMaxPath - 1 units of [begin, end) into `out`, terminated.
template <typename Char>
void CopyPart(const Char* begin, const Char* end, Char* out) {
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(end - begin), kMaxPath - 1);
  std::copy(begin, begin + n, out);
  out[n] = 0;
}

// The parts of a path: drive ("X:"), folder (up to and including the last
// separator), base name, and extension (from the last '.' of the name).
template <typename Char>
struct PathParts {
  const Char* start;
  const Char* folderEnd;  // end of drive + folder
  const Char* nameEnd;    // end of the base name, start of the extension
  const Char* end;
};

template <typename Char>
PathParts<Char> SplitPath(const Char* path) {
  PathParts<Char> parts{path, path, nullptr, path + Length(path)};
  const Char* cursor = path;
  if (path[0] != 0 && path[1] == Char(':')) cursor = path + 2;
  parts.folderEnd = cursor;
  for (const Char* p = cursor; p < parts.end; ++p)
    if (IsSeparator(*p)) parts.folderEnd = p + 1;
  parts.nameEnd = parts.end;
  for (const Char* p = parts.end; p > parts.folderEnd; --p) {
    if (p[-1] == Char('.')) {
      parts.nameEnd = p - 1;
      break;
    }
  }
  return parts;
}

template <typename Char>
bool SplitDirectoryT(const Char* path, Char* folder, Char* name) {
  folder[0] = 0;
  name[0] = 0;
  const PathParts<Char> parts = SplitPath(path);
  CopyPart(parts.folderEnd, parts.end, name);
  const Char* folderEnd = parts.folderEnd;
  // One trailing separator goes, unless it is the root itself ("/y" lies in
  // "/", not in the current folder).
  if (folderEnd > parts.start + 1 && IsSeparator(folderEnd[-1])) --folderEnd;
  if (folderEnd == parts.start) {
    folder[0] = Char('.');
    folder[1] = 0;
  } else {
    CopyPart(parts.start, folderEnd, folder);
  }
  return name[0] != 0;
}

template <typename Char>
Char* GetBaseNameT(const Char* path, Char* out) {
  const PathParts<Char> parts = SplitPath(path);
  CopyPart(parts.folderEnd, parts.nameEnd, out);
  return out;
}

template <typename Char>
Char* GetFileNameT(const Char* path, Char* out) {
  const PathParts<Char> parts = SplitPath(path);
  CopyPart(parts.folderEnd, parts.end, out);
  return out;
}

template <typename Char>
Char FoldCase(Char c) {
  return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char>
bool CheckOrAddExtensionT(Char* path, const Char* extension) {
  const std::size_t length = Length(path);
  const std::size_t from = length > 4 ? length - 4 : 0;
  std::size_t dot = length;
  for (std::size_t i = from; i < length; ++i) {
    if (path[i] == Char('.')) {
      dot = i;
      break;
    }
  }
  if (dot == length) {
    const std::size_t extLength = Length(extension);
    if (length + 1 + extLength > kMaxPath - 1) return false;  // would not fit a path buffer
    path[length] = Char('.');
    std::copy(extension, extension + extLength + 1, path + length + 1);
    return true;
  }
  const Char* a = path + dot + 1;
  const Char* b = extension;
  for (; *a != 0 && *b != 0; ++a, ++b)
    if (FoldCase(*a) != FoldCase(*b)) return false;
  return *a == 0 && *b == 0;
}

}  // namespace

wchar_t* NarrowToWide(wchar_t* dest, const char* src) {
  return ConvertTerminated(dest, kUnbounded, src, ByteToUnit);
}

char* WideToNarrow(char* dest, const wchar_t* src) {
  return ConvertTerminated(dest, kUnbounded, src, UnitToByte);
}

wchar_t* NarrowToWide(wchar_t* dest, std::size_t capacity, const char* src) {
  return ConvertTerminated(dest, capacity, src, ByteToUnit);
}

char* WideToNarrow(char* dest, std::size_t capacity, const wchar_t* src) {
  return ConvertTerminated(dest, capacity, src, UnitToByte);
}

wchar_t* NarrowToWideN(wchar_t* dest, const char* src, int count) {
  return ConvertCounted(dest, src, count, ByteToUnit);
}

char* WideToNarrowN(char* dest, const wchar_t* src, int count) {
  return ConvertCounted(dest, src, count, UnitToByte);
}

// The owned forms are the host's own conversions, so that host modules need
// not reach up to this library for them.
std::wstring NarrowToWide(std::string_view src) { return host::WidenText(src); }

std::string WideToNarrow(std::wstring_view src) { return host::NarrowText(src); }

bool SplitDirectory(const wchar_t* path, wchar_t* folder, wchar_t* name) {
  return SplitDirectoryT(path, folder, name);
}
bool SplitDirectory(const char* path, char* folder, char* name) {
  return SplitDirectoryT(path, folder, name);
}
wchar_t* GetBaseNameOfPath(const wchar_t* path, wchar_t* out) { return GetBaseNameT(path, out); }
char* GetBaseNameOfPath(const char* path, char* out) { return GetBaseNameT(path, out); }
wchar_t* GetFileNameOfPath(const wchar_t* path, wchar_t* out) { return GetFileNameT(path, out); }
char* GetFileNameOfPath(const char* path, char* out) { return GetFileNameT(path, out); }
bool CheckOrAddExtension(wchar_t* path, const wchar_t* extension) {
  return CheckOrAddExtensionT(path, extension);
}
bool CheckOrAddExtension(char* path, const char* extension) {
  return CheckOrAddExtensionT(path, extension);
}

namespace {

template <typename Char>
void CopyFieldT(Char* dest, std::size_t size, std::basic_string_view<Char> text,
                std::size_t maxChars) {
  if (size == 0) return;
  std::size_t n = 0;
  while (n < text.size() && n < maxChars && n + 1 < size && text[n] != 0) {
    dest[n] = text[n];
    ++n;
  }
  dest[n] = 0;
}

}  // namespace

void CopyField(char* dest, std::size_t size, std::string_view text, std::size_t maxChars) {
  CopyFieldT(dest, size, text, maxChars);
}

void CopyField(wchar_t* dest, std::size_t size, std::wstring_view text, std::size_t maxChars) {
  CopyFieldT(dest, size, text, maxChars);
}

// UTF-8 text ---------------------------------------------------------------------

namespace {

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }
std::wstring_view UpToNul(std::wstring_view text) { return text.substr(0, text.find(L'\0')); }

// True when every byte is below 0x80: the common case, taken a word at a time.
bool AllAscii(std::string_view text) {
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if ((word & 0x8080808080808080ULL) != 0) return false;
  }
  for (; i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  return true;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view src) { return host::DecodeUtf8(UpToNul(src)); }

std::string WideToUtf8(std::wstring_view src) { return host::EncodeUtf8(UpToNul(src)); }

std::string ToUtf8(std::string_view src) {
  if (AllAscii(src)) return std::string(src);
  std::string out;
  out.reserve(src.size() + 8);
  for (std::size_t i = 0; i < src.size();) {
    const std::size_t length = host::Utf8SequenceAt(src, i);
    if (length == 0) {
      host::AppendUtf8(out, static_cast<wchar_t>(static_cast<unsigned char>(src[i])));
      ++i;
      continue;
    }
    out.append(src.substr(i, length));
    i += length;
  }
  return out;
}

std::size_t FindNonUtf8(std::string_view text) {
  if (AllAscii(text)) return std::string_view::npos;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = host::Utf8SequenceAt(text, i);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

std::size_t Utf8CutLength(std::string_view text, std::size_t limit) {
  if (limit >= text.size()) return text.size();
  // Only a continuation byte at the cut can lie inside a sequence; its lead
  // is at most three bytes back.
  if ((static_cast<unsigned char>(text[limit]) & 0xC0) != 0x80) return limit;
  for (std::size_t back = 1; back <= 3 && back <= limit; ++back) {
    const std::size_t lead = limit - back;
    const auto byte = static_cast<unsigned char>(text[lead]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t length = host::Utf8SequenceAt(text, lead);
    return length > back ? lead : limit;
  }
  return limit;
}

void CopyUtf8Field(char* dest, std::size_t size, std::string_view text, std::size_t maxBytes) {
  if (size == 0) return;
  text = UpToNul(text);
  const std::size_t limit = std::min(maxBytes, size - 1);
  const std::size_t n = Utf8CutLength(text, limit);
  std::memcpy(dest, text.data(), n);
  dest[n] = 0;
}
