// Reading the postcode file into a tree of postcode keys.
#include "gml/ui/postcode_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "common/containers/line_reader.h"

namespace {

constexpr std::size_t kFieldCount = 16;
constexpr std::size_t kFieldLength = 127;
constexpr std::size_t kLineLength = 1023;

bool IsQuotedField(std::size_t n) { return n == 4 || n == 7 || n == 9 || n == 12 || n == 13; }

// The integer at the start of `field`, read as far as there are digits;
// false when there is none.
bool LeadingInteger(const std::string& field, std::int32_t* value) {
  const char* start = field.c_str();
  char* end = nullptr;
  const long number = std::strtol(start, &end, 10);
  if (end == start || number < INT32_MIN || number > INT32_MAX) return false;
  *value = static_cast<std::int32_t>(number);
  return true;
}

}  // namespace

std::vector<std::string> PostcodeFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i <= line.size() && fields.size() < kFieldCount) {
    std::size_t end;
    std::size_t next;
    if (IsQuotedField(fields.size())) {
      ++i;  // the opening quote
      if (i > line.size()) i = line.size();
      const std::size_t close = line.find('"', i);
      end = close == std::string_view::npos ? line.size() : close;
      next = line.find(',', end);
    } else {
      next = line.find(',', i);
      end = next == std::string_view::npos ? line.size() : next;
    }
    fields.emplace_back(line.substr(i, std::min(end - i, kFieldLength)));
    if (next == std::string_view::npos) break;
    i = next + 1;
  }
  return fields;
}

std::string PostcodeKey(std::string_view postcode) {
  std::string key;
  for (char c : postcode) {
    if (c == ' ' || c == '\t') continue;
    key += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return key;
}

bool LoadPostcodeFile(const std::wstring& path, BinaryTree* tree) {
  LineReader reader(path, kLineLength);
  if (!reader.Ok()) return false;
  std::string line;
  bool cut = false;
  bool restOfLine = false;  // the pieces after a line's first 1023 characters
  while (reader.Next(&line, &cut)) {
    const bool skip = restOfLine;
    restOfLine = cut;
    if (skip) continue;
    const std::vector<std::string> fields = PostcodeFields(line);
    if (fields.size() < kFieldCount) continue;
    const std::string key = PostcodeKey(fields[13]);
    if (key.empty() || key.size() > static_cast<std::size_t>(kBinaryTreeKeyLength)) continue;
    std::int32_t east = 0, north = 0;
    if (!LeadingInteger(fields[14], &east) || !LeadingInteger(fields[15], &north)) continue;
    if (tree->Find(key.c_str())) continue;
    (void)tree->InsertPair(key.c_str(), east, north);
  }
  return true;
}
