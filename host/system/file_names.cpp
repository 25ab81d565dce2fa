// The pure half of files.h: path text, wildcards and name order.
#include "host/system/files.h"

#include <cstdint>

#include "host/system/wide_text.h"

namespace host {
namespace {

// A byte of a Linux name that is not part of valid UTF-8 is kept as the unit
// kStrayByteBase + byte (units U+DC80 to U+DCFF, which no valid text holds),
// so that every name read from a folder names the same file again.
constexpr wchar_t kStrayByteBase = 0xDC00;

// Folds letters for comparing names as Windows does: ASCII and Latin-1
// letters compare equal to their capitals.
wchar_t FoldCase(wchar_t c) {
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 32);
  return c;
}

bool MatchFrom(std::wstring_view name, std::wstring_view wildcard) {
  // Iterative matcher with one backtrack point for the last '*'.
  std::size_t n = 0, w = 0;
  std::size_t star = std::wstring_view::npos, star_n = 0;
  while (n < name.size()) {
    if (w < wildcard.size() && (wildcard[w] == L'?' || FoldCase(wildcard[w]) == FoldCase(name[n]))) {
      ++n;
      ++w;
    } else if (w < wildcard.size() && wildcard[w] == L'*') {
      star = w++;
      star_n = n;
    } else if (star != std::wstring_view::npos) {
      w = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (w < wildcard.size() && wildcard[w] == L'*') ++w;
  return w == wildcard.size();
}

}  // namespace

std::optional<std::string> NativePath(std::wstring_view path) {
  std::string native;
  native.reserve(path.size());
  for (wchar_t c : path) {
    const auto unit = static_cast<std::uint32_t>(c);
    if (unit == 0 || unit > 0x10FFFF) return std::nullopt;
    if (unit >= kStrayByteBase + 0x80 && unit <= kStrayByteBase + 0xFF)
      native += static_cast<char>(static_cast<unsigned char>(unit - kStrayByteBase));
    else if (c == L'\\')
      native += '/';
    else
      AppendUtf8(native, c);
  }
  return native;
}

std::wstring WidePath(std::string_view native) { return DecodeUtf8(native, kStrayByteBase); }

bool MatchesWildcard(std::wstring_view name, std::wstring_view wildcard) {
  if (wildcard == L"*.*" || wildcard == L"*") return true;
  if (MatchFrom(name, wildcard)) return true;
  // "name.*" also matches "name"; "name." matches "name" (no extension).
  if (wildcard.size() >= 2 && wildcard.substr(wildcard.size() - 2) == L".*")
    return MatchFrom(name, wildcard.substr(0, wildcard.size() - 2));
  if (!wildcard.empty() && wildcard.back() == L'.' && name.find(L'.') == std::wstring_view::npos)
    return MatchFrom(name, wildcard.substr(0, wildcard.size() - 1));
  return false;
}

bool NameLess(std::wstring_view a, std::wstring_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const wchar_t fa = FoldCase(a[i]), fb = FoldCase(b[i]);
    if (fa != fb) return fa < fb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

}  // namespace host
