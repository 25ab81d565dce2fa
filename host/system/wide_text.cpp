#include "host/system/wide_text.h"

#include <cstdint>
#include <cwctype>
#include <locale.h>

namespace host {
namespace {

void AppendCodePoint(std::string& out, std::uint32_t c) {
  if (c > 0x10FFFF) c = 0xFFFD;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

template <typename Char>
bool SameFolded(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
  return true;
}

}  // namespace

std::wstring WidenText(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    if (c == 0) break;
    out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string NarrowText(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t unit : text) {
    if (unit <= 0 || unit > 255) break;
    out.push_back(static_cast<char>(static_cast<unsigned char>(unit)));
  }
  return out;
}

std::string EncodeUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t unit : text) AppendCodePoint(out, static_cast<std::uint32_t>(unit));
  return out;
}

void AppendUtf8(std::string& out, wchar_t unit) { AppendCodePoint(out, static_cast<std::uint32_t>(unit)); }

std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t i, std::uint32_t* codePoint) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80) {
    if (codePoint != nullptr) *codePoint = lead;
    return 1;
  }
  const int extra = (lead >= 0xC2 && lead < 0xE0) ? 1 : (lead >= 0xE0 && lead < 0xF0) ? 2
                    : (lead >= 0xF0 && lead < 0xF5) ? 3 : 0;
  if (extra == 0 || i + static_cast<std::size_t>(extra) >= bytes.size()) return 0;
  std::uint32_t c = extra == 1 ? (lead & 0x1Fu) : extra == 2 ? (lead & 0x0Fu) : (lead & 0x07u);
  for (int k = 1; k <= extra; ++k) {
    const auto cont = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
    if ((cont & 0xC0) != 0x80) return 0;
    c = (c << 6) | (cont & 0x3Fu);
  }
  // Overlong three- and four-byte forms, surrogates and code points past
  // U+10FFFF are not UTF-8.
  if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
      (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))
    return 0;
  if (codePoint != nullptr) *codePoint = c;
  return static_cast<std::size_t>(extra) + 1;
}

std::wstring DecodeUtf8(std::string_view bytes, wchar_t stray_base) {
  std::wstring out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    std::uint32_t c = 0;
    const std::size_t length = Utf8SequenceAt(bytes, i, &c);
    if (length == 0) {
      out.push_back(static_cast<wchar_t>(stray_base + lead));
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(c));
    i += length;
  }
  return out;
}

std::wstring UpperAscii(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& c : upper)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return upper;
}

std::wstring LowerAscii(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = FoldAsciiCase(c);
  return lower;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) { return SameFolded(a, b); }
bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) { return SameFolded(a, b); }

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  // The process's own locale is left as it is ("C", which maps ASCII only):
  // the Unicode case mapping comes from a locale object of its own, made
  // once and kept for the life of the process.
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    if (unicode == static_cast<locale_t>(0)) {
      if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
    } else if (towlower_l(static_cast<wint_t>(a[i]), unicode) !=
               towlower_l(static_cast<wint_t>(b[i]), unicode)) {
      return false;
    }
  }
  return true;
}

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at)
    if (SameIgnoringCase(text.substr(at, part.size()), part)) return true;
  return false;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameFolded(text.substr(0, prefix.size()), prefix);
}

int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int x = static_cast<unsigned char>(FoldAsciiCase(a[i]));
    const int y = static_cast<unsigned char>(FoldAsciiCase(b[i]));
    if (x != y) return x - y;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace host
