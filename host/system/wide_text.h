// Text as the host converts it: one home for every conversion and case fold.
//
// Two 8-bit forms exist. The plain narrow form (WidenText / NarrowText) is
// byte n (1 to 255) for wide unit n and back, the form of the add-ins' 8-bit
// records and settings files. UTF-8 (EncodeUtf8 / DecodeUtf8) is the form of
// scripts, the terminal, xdata and newer DXF files; paths use it too
// (NativePath / WidePath in files.h). A plain conversion stops at a NUL;
// towards 8 bits it also stops at the first unit above 255, which has no
// 8-bit form.
//
// Names the user types (commands, keys, file names, add-in names) compare
// with their ASCII letters folded, as the C library's case functions do in
// the "C" locale; file names fold Latin-1 letters too (SameNameIgnoringCase
// in files.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace host {

std::wstring WidenText(std::string_view bytes);
std::string NarrowText(std::wstring_view text);

// UTF-8 of wide text. A unit that is no code point (above U+10FFFF) is
// written as U+FFFD.
std::string EncodeUtf8(std::wstring_view text);
// Wide text of UTF-8; a byte from 0x80 up that is not part of a valid
// sequence reads as the unit `stray_base` + byte, by default the unit of the
// same number, so 8-bit text passes through unchanged.
std::wstring DecodeUtf8(std::string_view bytes, wchar_t stray_base = 0);
// The length of the valid UTF-8 sequence that starts at byte `i` (1 for an
// ASCII byte), its code point in `codePoint` when asked; 0 when the byte
// starts no valid sequence (a stray byte, an overlong form, a surrogate).
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t i, std::uint32_t* codePoint = nullptr);
// Appends the UTF-8 of one unit (as EncodeUtf8).
void AppendUtf8(std::string& out, wchar_t unit);

// The letter with ASCII case folded to small letters (others unchanged).
constexpr char FoldAsciiCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr wchar_t FoldAsciiCase(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The text with its ASCII letters made capitals: the key under which names
// that compare with letter case ignored (environment variables, registry
// keys and values) are kept.
std::wstring UpperAscii(std::wstring_view text);
// The text with its ASCII letters made small (FoldAsciiCase): keywords and
// names compared or ordered with letter case ignored.
std::wstring LowerAscii(std::wstring_view text);

// Equal, ASCII letter case ignored.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);
bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);
// Equal, letter case ignored in every alphabet (Ŵ and ŵ, É and é), by the
// system's Unicode case mapping; ASCII letters only where the system has
// none. For names a user types to find what a file wrote.
bool SameIgnoringCase(std::wstring_view a, std::wstring_view b);
// `part` occurs in `text`, letter case ignored as SameIgnoringCase ignores
// it; the empty text occurs in every text.
bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part);
// `text` begins with `prefix`, ASCII letter case ignored.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);
// Orders texts byte by byte with ASCII letter case ignored; negative, zero
// or positive as strcmp.
int CompareIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace host
