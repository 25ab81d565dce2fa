#include "common/containers/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/tests/temp_folder.h"
#include "host/system/files.h"

namespace {

// Every line or piece of `bytes` read with `maxChars`, a cut piece marked
// with a final '+'.
std::vector<std::string> Pieces(const common_test::TempFolder& folder, const std::string& bytes,
                                std::size_t maxChars) {
  common_test::WriteFile(folder.File("lines.txt"), bytes);
  LineReader reader(host::WidePath(folder.File("lines.txt")), maxChars);
  EXPECT_TRUE(reader.Ok());
  std::vector<std::string> pieces;
  std::string line;
  bool cut = false;
  while (reader.Next(&line, &cut)) pieces.push_back(cut ? line + "+" : line);
  EXPECT_FALSE(reader.Next(&line)) << "the end stays the end";
  EXPECT_EQ(line, "");
  return pieces;
}

TEST(LineReader, TakesOffOnlyTheLineEnd) {
  struct Case {
    const char* what;
    std::string bytes;
    std::size_t maxChars;
    std::vector<std::string> pieces;
  } cases[] = {
      {"LF and CRLF", "a\nb\r\nc", 10, {"a", "b", "c"}},
      {"blanks and a lone CR stay", " a \n\rb\r\n\t\n", 10, {" a ", "\rb", "\t"}},
      {"empty lines", "\n\r\n\n", 10, {"", "", ""}},
      {"a last line without a line end", "end", 10, {"end"}},
      {"an empty file", "", 10, {}},
      {"a long line in pieces", "abcdefgh\nx\n", 3, {"abc+", "def+", "gh", "x"}},
      {"a line of exactly the limit is one line", "abc\nabc\r\nx", 3, {"abc", "abc", "x"}},
      {"the limit falls between CR and LF", "abc\r\nx", 4, {"abc", "x"}},
      {"a CR after a full piece that ends no line", "abc\rd\n", 3, {"abc+", "\rd"}},
      {"a full piece at the end of the file", "abcdef", 3, {"abc+", "def"}},
      {"a zero limit reads one character at a time", "ab\n", 0, {"a+", "b"}},
      {"bytes above 127 and NUL pass through", std::string("\xE4\0z\n", 4), 10, {std::string("\xE4\0z", 3)}},
  };
  common_test::TempFolder folder("line_reader");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Pieces(folder, c.bytes, c.maxChars), c.pieces);
  }
}

TEST(LineReader, ALimitForOneRead) {
  common_test::TempFolder folder("line_reader");
  common_test::WriteFile(folder.File("lines.txt"), "abcdef\nabcdef\n");
  LineReader reader(host::WidePath(folder.File("lines.txt")), 2);
  std::string line;
  ASSERT_TRUE(reader.Next(&line, 10));
  EXPECT_EQ(line, "abcdef");
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ(line, "ab");
}

TEST(LineReader, AFileThatCannotBeOpenedReadsNothing) {
  common_test::TempFolder folder("line_reader");
  for (const std::wstring& path : {host::WidePath(folder.File("missing.txt")), std::wstring()}) {
    LineReader reader(path, 10);
    EXPECT_FALSE(reader.Ok());
    std::string line = "old";
    bool cut = true;
    EXPECT_FALSE(reader.Next(&line, &cut));
    EXPECT_EQ(line, "");
    EXPECT_FALSE(cut);
  }
}

}  // namespace
