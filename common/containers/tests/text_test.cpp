#include "common/containers/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

TEST(TextConversion, TerminatedForms) {
  wchar_t wide[8];
  std::memset(wide, 0x7f, sizeof wide);
  NarrowToWide(wide, "");
  EXPECT_EQ(wide[0], L'\0');

  const char pound[] = {'\x41', '\xA3', '\x42', 0};
  NarrowToWide(wide, pound);
  EXPECT_EQ(std::wstring(wide), std::wstring(L"\x41\xA3\x42"));

  char narrow[8];
  WideToNarrow(narrow, L"a\xA3z");
  EXPECT_STREQ(narrow, "a\xA3z");
  // A unit above 255 ends the result just before it.
  WideToNarrow(narrow, L"ab\x20AC" L"cd");
  EXPECT_STREQ(narrow, "ab");
  WideToNarrow(narrow, L"\x0100");
  EXPECT_STREQ(narrow, "");

  EXPECT_EQ(NarrowToWide(std::string_view("x\xFFy")), std::wstring(L"x\xFFy"));
  EXPECT_EQ(WideToNarrow(std::wstring_view(L"ok\x1234no")), "ok");
}

TEST(TextConversion, BoundedFormsCutToTheBuffer) {
  wchar_t wide[4];
  std::memset(wide, 0x7f, sizeof wide);
  NarrowToWide(wide, 4, "abcdefgh");
  EXPECT_EQ(std::wstring(wide), L"abc");
  char narrow[3] = {'x', 'x', 'x'};
  WideToNarrow(narrow, 3, L"hello");
  EXPECT_STREQ(narrow, "he");
  WideToNarrow(narrow, 0, L"hello");  // writes nothing at all
  EXPECT_STREQ(narrow, "he");
}

TEST(TextConversion, CountedForms) {
  const char field[6] = {'a', 'b', 0, 0, 0, 0};
  wchar_t wide[8];
  for (wchar_t& u : wide) u = L'#';
  NarrowToWideN(wide, field, 6);
  EXPECT_EQ(wide[0], L'a');
  EXPECT_EQ(wide[1], L'b');
  for (int i = 2; i < 6; ++i) EXPECT_EQ(wide[i], L'\0');
  EXPECT_EQ(wide[6], L'#') << "nothing written past the count";

  // A unit that does not convert leaves its position unwritten.
  char narrow[5] = {'#', '#', '#', '#', '#'};
  const wchar_t units[4] = {L'x', 0x4E00, 0, L'y'};
  WideToNarrowN(narrow, units, 4);
  EXPECT_EQ(narrow[0], 'x');
  EXPECT_EQ(narrow[1], '#');
  EXPECT_EQ(narrow[2], '\0');
  EXPECT_EQ(narrow[3], 'y');
  EXPECT_EQ(narrow[4], '#');

  NarrowToWideN(wide, field, 0);
  NarrowToWideN(wide, field, -3);
}

// "Tŷ café" in UTF-8: ŷ is C5 B7, é is C3 A9.
constexpr const char* kWelshUtf8 = "T\xC5\xB7 caf\xC3\xA9";

TEST(Utf8Text, ReadsUtf8AndStrayBytesAsTheirUnits) {
  struct Case {
    std::string in;
    std::wstring out;
  };
  const Case cases[] = {
      {"", L""},
      {"plain ASCII text longer than a word", L"plain ASCII text longer than a word"},
      {kWelshUtf8, L"T\u0177 caf\u00E9"},
      {"\xE2\x82\xAC \xF0\x9F\x8F\xB4", L"\u20AC \U0001F3F4"},
      // Latin-1 bytes (a file written by another tool) read one unit each.
      {"Caf\xE9 \xA3", L"Caf\u00E9 \u00A3"},
      // Overlong forms, surrogates and a cut sequence are not UTF-8.
      {"\xC0\xAF \xED\xA0\x80 \xC5", L"\u00C0\u00AF \u00ED\u00A0\u0080 \u00C5"},
      {std::string("a\0b", 3), L"a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.in), c.out) << c.in;
    // Back to UTF-8: the same characters, stray bytes now UTF-8 too.
    EXPECT_EQ(Utf8ToWide(WideToUtf8(c.out)), c.out) << c.in;
    EXPECT_EQ(Utf8ToWide(ToUtf8(c.in.substr(0, c.in.find('\0')))), c.out) << c.in;
  }
  EXPECT_EQ(WideToUtf8(L"T\u0177 caf\u00E9"), kWelshUtf8);
  EXPECT_EQ(ToUtf8(kWelshUtf8), kWelshUtf8);
  EXPECT_EQ(ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
}

TEST(Utf8Text, FindsTheFirstByteThatIsNotUtf8) {
  EXPECT_EQ(FindNonUtf8(""), std::string_view::npos);
  EXPECT_EQ(FindNonUtf8("all ASCII, more than eight bytes"), std::string_view::npos);
  EXPECT_EQ(FindNonUtf8(kWelshUtf8), std::string_view::npos);
  EXPECT_EQ(FindNonUtf8("T\xC5\xB7 Caf\xE9"), 7u);
  EXPECT_EQ(FindNonUtf8("abcdefghij\xC5"), 10u) << "a sequence cut by the end";
  EXPECT_EQ(FindNonUtf8("\xED\xA0\x80"), 0u) << "a surrogate";
}

TEST(Utf8Text, CutsFallAtCharacterBoundaries) {
  // "Tŷ café" is T, C5 B7, ' ', c a f, C3 A9: 9 bytes.
  const std::string welsh = kWelshUtf8;
  struct Case {
    std::size_t limit;
    std::size_t cut;
  };
  const Case cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {7, 7}, {8, 7}, {9, 9}, {20, 9}};
  for (const Case& c : cases) EXPECT_EQ(Utf8CutLength(welsh, c.limit), c.cut) << c.limit;
  // Bytes that are not UTF-8 are cut where the limit falls.
  EXPECT_EQ(Utf8CutLength("a\x80\x80\x80\x80", 3), 3u);
  EXPECT_EQ(Utf8CutLength("\xFF\xA9\xA9", 1), 1u);
  EXPECT_EQ(Utf8CutLength("\xE9\xA9\xA9", 1), 0u) << "E9 A9 A9 is U+9A69";
  // Four-byte sequence cut after each of its bytes.
  const std::string flag = "x\xF0\x9F\x8F\xB4y";
  for (std::size_t limit = 2; limit <= 4; ++limit) EXPECT_EQ(Utf8CutLength(flag, limit), 1u);
  EXPECT_EQ(Utf8CutLength(flag, 5), 5u);

  char field[5];
  CopyUtf8Field(field, welsh);
  EXPECT_STREQ(field, "T\xC5\xB7 ") << "the field holds four bytes";
  CopyUtf8Field(field, welsh, 2);
  EXPECT_STREQ(field, "T");
  char wide[16];
  CopyUtf8Field(wide, welsh);
  EXPECT_EQ(std::string(wide), welsh) << "a text that fits is copied whole";
}

TEST(PathHelpers, SplitDirectory) {
  struct Case {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* name;
    bool ok;
  } cases[] = {
      {L"D:\\data\\a.gz", L"D:\\data", L"a.gz", true},
      {L"a.gz", L".", L"a.gz", true},
      {L"D:\\data\\", L"D:\\data", L"", false},
      {L"/x/y.gml", L"/x", L"y.gml", true},
      {L"y", L".", L"y", true},
      {L"/y", L"/", L"y", true},
      {L"D:a.gml", L"D:", L"a.gml", true},
      {L"", L".", L"", false},
      {L"mixed/sep\\file.ovc", L"mixed/sep", L"file.ovc", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "path " << testing::PrintToString(std::wstring(c.path)));
    wchar_t folder[kMaxPath];
    wchar_t name[kMaxPath];
    EXPECT_EQ(SplitDirectory(c.path, folder, name), c.ok);
    EXPECT_EQ(std::wstring(folder), c.folder);
    EXPECT_EQ(std::wstring(name), c.name);

    char nfolder[kMaxPath];
    char nname[kMaxPath];
    const std::string npath = WideToNarrow(std::wstring_view(c.path));
    EXPECT_EQ(SplitDirectory(npath.c_str(), nfolder, nname), c.ok);
    EXPECT_EQ(NarrowToWide(std::string_view(nfolder)), c.folder);
    EXPECT_EQ(NarrowToWide(std::string_view(nname)), c.name);
  }
}

TEST(PathHelpers, BaseAndFileNames) {
  struct Case {
    const char* path;
    const char* base;
    const char* file;
  } cases[] = {
      {"D:\\data\\a.gml", "a", "a.gml"},
      {"/tmp/a.b.c", "a.b", "a.b.c"},
      {"noext", "noext", "noext"},
      {"/dir.d/noext", "noext", "noext"},
      {"/dir/", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    char out[kMaxPath] = "junk";
    EXPECT_STREQ(GetBaseNameOfPath(c.path, out), c.base);
    EXPECT_STREQ(GetFileNameOfPath(c.path, out), c.file);
    wchar_t wout[kMaxPath];
    const std::wstring wpath = NarrowToWide(std::string_view(c.path));
    EXPECT_EQ(std::wstring(GetBaseNameOfPath(wpath.c_str(), wout)),
              NarrowToWide(std::string_view(c.base)));
  }
}

TEST(PathHelpers, OverlongPathsAreCut) {
  std::string path(600, 'a');
  path += ".gml";
  char folder[kMaxPath];
  char name[kMaxPath];
  EXPECT_TRUE(SplitDirectory(path.c_str(), folder, name));
  EXPECT_EQ(std::strlen(name), kMaxPath - 1);
}

TEST(PathHelpers, CheckOrAddExtension) {
  struct Case {
    const char* path;
    const char* ext;
    const char* after;
    bool ok;
  } cases[] = {
      {"survey", "txt", "survey.txt", true},     {"survey.TXT", "txt", "survey.TXT", true},
      {"survey.gz", "txt", "survey.gz", false},  {"a.b.c", "c", "a.b.c", false},
      {"abc", "ovc", "abc.ovc", true},           {"a.jpeg", "jpeg", "a.jpeg.jpeg", true},
      {"x.ovc", "OVC", "x.ovc", true},           {"", "ini", ".ini", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    char path[kMaxPath];
    std::strcpy(path, c.path);
    EXPECT_EQ(CheckOrAddExtension(path, c.ext), c.ok);
    EXPECT_STREQ(path, c.after);
    wchar_t wpath[kMaxPath];
    NarrowToWide(wpath, c.path);
    const std::wstring wext = NarrowToWide(std::string_view(c.ext));
    EXPECT_EQ(CheckOrAddExtension(wpath, wext.c_str()), c.ok);
    EXPECT_EQ(std::wstring(wpath), NarrowToWide(std::string_view(c.after)));
  }
  // An extension that would not fit a path buffer is refused.
  char full[kMaxPath];
  std::memset(full, 'p', kMaxPath - 2);
  full[kMaxPath - 2] = 0;
  EXPECT_FALSE(CheckOrAddExtension(full, "ext"));
  EXPECT_EQ(std::strlen(full), kMaxPath - 2);
}

TEST(TextFields, CopiesAreCutAndTerminated) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view text;
    std::size_t maxChars;
    const char* field;  // what a 6-unit field holds afterwards
  };
  const Case cases[] = {
      {"abc", static_cast<std::size_t>(-1), "abc"},
      {"abcdefgh", static_cast<std::size_t>(-1), "abcde"},  // the field's width
      {"abcdefgh", 3, "abc"},                               // the caller's limit
      {"ab\0cd"sv, static_cast<std::size_t>(-1), "ab"},     // a NUL ends the text
      {"", 4, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    char field[8];
    std::memset(field, 'X', sizeof field);
    CopyField(field, 6, c.text, c.maxChars);
    EXPECT_STREQ(field, c.field);
    EXPECT_EQ(field[6], 'X');  // nothing past the field
    EXPECT_EQ(FieldText(field), c.field);

    wchar_t wide[8];
    std::wmemset(wide, L'X', 8);
    const std::wstring text = NarrowToWide(std::string(c.text.substr(0, c.text.find('\0'))));
    CopyField(wide, 6, text, c.maxChars);
    EXPECT_EQ(std::wstring(wide), NarrowToWide(std::string_view(c.field)));
    EXPECT_EQ(wide[6], L'X');
  }
  char none[1] = {'X'};
  CopyField(none, 0, "abc");  // a field of no width is left alone
  EXPECT_EQ(none[0], 'X');
  wchar_t whole[4];
  CopyField(whole, L"wide text");  // the array form takes the array's width
  EXPECT_EQ(std::wstring(whole), L"wid");
}

}  // namespace
