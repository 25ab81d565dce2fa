// Wide and narrow text, and small path helpers.
//
// Text towards the host and the user is wide (wchar_t); file contents, tree
// keys and the fixed-width text fields of records are narrow 8-bit bytes.
// Byte n (1 to 255) is wide unit n and back; a wide unit above 255 has no
// narrow form.
//
// The terminated conversions stop at the first unit that does not convert.
// The counted ones visit exactly `count` positions, terminators included, and
// leave a position that does not convert unwritten; they add no terminator.
// The unbounded forms write one unit per source unit plus a terminator and
// trust the caller's buffer; the bounded forms never write more than
// `capacity` units, terminator included, and cut what does not fit.
//
// Paths: both '\' and '/' separate folders; "X:" at the start is a drive.
// Path buffers hold kMaxPath units including the terminator, and every path
// function cuts what would not fit there.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr std::size_t kMaxPath = 260;

wchar_t* NarrowToWide(wchar_t* dest, const char* src);
char* WideToNarrow(char* dest, const wchar_t* src);
wchar_t* NarrowToWide(wchar_t* dest, std::size_t capacity, const char* src);
char* WideToNarrow(char* dest, std::size_t capacity, const wchar_t* src);
wchar_t* NarrowToWideN(wchar_t* dest, const char* src, int count);
char* WideToNarrowN(char* dest, const wchar_t* src, int count);

// The same conversions for owned strings (stop at the first unit that does
// not convert).
std::wstring NarrowToWide(std::string_view src);
std::string WideToNarrow(std::wstring_view src);

// ---- UTF-8 text ----
//
// Text that comes from GML (UTF-8 XML) is kept narrow as its UTF-8 bytes and
// reaches wide text as the same characters. A byte that is not part of a
// valid sequence (a file saved in Latin-1 by another tool) reads as the unit
// of the same number, as the plain conversion reads it, so 8-bit text keeps
// reading as it always did. File names use NativePath / WidePath (files.h).

// The characters of UTF-8 text; stops at a NUL.
std::wstring Utf8ToWide(std::string_view src);
// The UTF-8 of wide text; stops at a NUL.
std::string WideToUtf8(std::wstring_view src);
// The text as UTF-8: valid sequences kept, every other byte from 0x80 up
// written as the UTF-8 of the unit of its number.
std::string ToUtf8(std::string_view src);
// The offset of the first byte that is not part of a valid UTF-8 sequence;
// npos when there is none.
std::size_t FindNonUtf8(std::string_view text);
// The length of the longest start of `text`, at most `limit` bytes, that
// does not end inside a valid UTF-8 sequence (bytes that are not UTF-8 are
// cut where the limit falls).
std::size_t Utf8CutLength(std::string_view text, std::size_t limit);

// Splits `path` into its folder (without one trailing separator; "." when
// there is none) and its file name. `folder` and `name` hold kMaxPath units.
// True when the name is not empty.
bool SplitDirectory(const wchar_t* path, wchar_t* folder, wchar_t* name);
bool SplitDirectory(const char* path, char* folder, char* name);

// The file name without its extension ("D:\data\a.gml" gives "a"); `out`
// holds kMaxPath units.
wchar_t* GetBaseNameOfPath(const wchar_t* path, wchar_t* out);
char* GetBaseNameOfPath(const char* path, char* out);

// The file name with its extension ("a.gml"); `out` holds kMaxPath units.
wchar_t* GetFileNameOfPath(const wchar_t* path, wchar_t* out);
char* GetFileNameOfPath(const char* path, char* out);

// Looks for the left-most '.' among the last four characters of `path`. With
// none, appends "." and `extension` (within kMaxPath) and answers true;
// otherwise answers whether the text after that '.' equals `extension`,
// case ignored. `path` holds kMaxPath units.
bool CheckOrAddExtension(wchar_t* path, const wchar_t* extension);
bool CheckOrAddExtension(char* path, const char* extension);

// ---- Fixed-width text fields ----

// Copies at most min(maxChars, size - 1) units of `text` into `dest` and
// terminates it; a NUL inside `text` ends the copy. A field of size 0 is left
// alone.
void CopyField(char* dest, std::size_t size, std::string_view text,
               std::size_t maxChars = static_cast<std::size_t>(-1));
void CopyField(wchar_t* dest, std::size_t size, std::wstring_view text,
               std::size_t maxChars = static_cast<std::size_t>(-1));
template <std::size_t N>
void CopyField(char (&dest)[N], std::string_view text,
               std::size_t maxChars = static_cast<std::size_t>(-1)) {
  CopyField(dest, N, text, maxChars);
}
template <std::size_t N>
void CopyField(wchar_t (&dest)[N], std::wstring_view text,
               std::size_t maxChars = static_cast<std::size_t>(-1)) {
  CopyField(dest, N, text, maxChars);
}

// CopyField for UTF-8 text: the cut, where one is needed, falls at a
// character boundary; the cut is the only change.
void CopyUtf8Field(char* dest, std::size_t size, std::string_view text,
                   std::size_t maxBytes = static_cast<std::size_t>(-1));
template <std::size_t N>
void CopyUtf8Field(char (&dest)[N], std::string_view text,
                   std::size_t maxBytes = static_cast<std::size_t>(-1)) {
  CopyUtf8Field(dest, N, text, maxBytes);
}

// The text of a terminated fixed-width field (never reads past its end).
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return std::string_view(field, n);
}
template <std::size_t N>
std::wstring_view FieldText(const wchar_t (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return std::wstring_view(field, n);
}
