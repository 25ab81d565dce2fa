#include "host/db/dxf_check.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "host/db/dxf_writer.h"
#include "host/db/values.h"

namespace host::db {
namespace {

// Reads a file line by line through a large buffer; line ends "\n" or
// "\r\n" are removed.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file), buffer_(1 << 20) {}

  // False at the end of the file. `overlong` is set when the line (with its
  // line end) is longer than dxflib reads whole.
  bool Next(std::string_view* line, bool* overlong) {
    while (true) {
      const char* start = buffer_.data() + pos_;
      const char* nl = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
      if (nl != nullptr) {
        std::size_t length = static_cast<std::size_t>(nl - start);
        pos_ += length + 1;
        return Deliver(start, length, true, line, overlong);
      }
      if (eof_) {
        if (pos_ == end_) return false;
        std::size_t length = end_ - pos_;
        pos_ = end_;
        return Deliver(start, length, false, line, overlong);
      }
      // Move the partial line to the front and read more.
      std::size_t rest = end_ - pos_;
      if (rest == buffer_.size()) buffer_.resize(buffer_.size() * 2);
      std::memmove(buffer_.data(), buffer_.data() + pos_, rest);
      pos_ = 0;
      end_ = rest;
      std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
      end_ += got;
      if (got == 0) eof_ = true;
    }
  }

  bool Error() const { return std::ferror(file_) != 0; }

 private:
  bool Deliver(const char* start, std::size_t length, bool hadEnd, std::string_view* line, bool* overlong) {
    *overlong = length + (hadEnd ? 1 : 0) > kMaxDxfLine + 1;
    if (length > 0 && start[length - 1] == '\r') --length;
    *line = std::string_view(start, length);
    return true;
  }

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ParseInt(std::string_view text, long long* out) {
  text = Trim(text);
  if (text.empty() || text.size() > 20) return false;
  std::string copy(text);
  char* end = nullptr;
  errno = 0;
  *out = std::strtoll(copy.c_str(), &end, 10);
  return errno == 0 && end == copy.c_str() + copy.size();
}

bool ParseReal(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 64) return false;
  std::string copy(text);
  char* end = nullptr;
  std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size();
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text.substr(0, 40)) out.push_back(static_cast<unsigned char>(c) < 32 ? '?' : c);
  if (text.size() > 40) out += "...";
  return out + "\"";
}

// A count that dxflib sizes an array by, and the groups it fills it with.
struct Counted {
  int countCode;
  int itemCode;
  long long declared = -1;
  long long items = 0;
};

}  // namespace

DxfCheck CheckDxfFile(const std::string& path) {
  DxfCheck check;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    check.error = std::string("cannot open the file: ") + std::strerror(errno);
    return check;
  }
  LineReader reader(file.get());
  std::string_view codeLine, valueLine;
  bool overlong = false;
  std::uint64_t line = 0;
  bool inSection = false, sawEof = false, expectSectionName = false;
  std::string entityType;
  std::vector<Counted> counts;  // of the current entity

  auto fail = [&](std::uint64_t at, const std::string& what) {
    check.error = "line " + std::to_string(at) + ": " + what;
    return check;
  };
  // Checks the counts of the entity that just ended.
  auto endEntity = [&](std::uint64_t at) -> bool {
    for (const Counted& counted : counts) {
      if (counted.items > counted.declared && counted.declared >= 0) {
        check.error = "line " + std::to_string(at) + ": " + entityType + " has more items (group " +
                      std::to_string(counted.itemCode) + ") than its count (group " +
                      std::to_string(counted.countCode) + ") says";
        return false;
      }
    }
    counts.clear();
    return true;
  };

  while (true) {
    if (!reader.Next(&codeLine, &overlong)) {
      if (reader.Error()) return fail(line, "the file cannot be read");
      if (line == 0) return fail(1, "the file is empty");
      return fail(line, "the file ends without an EOF marker");
    }
    ++line;
    if (line == 1 && codeLine.substr(0, 18) == "AutoCAD Binary DXF")
      return fail(1, "binary DXF is not read, only ASCII DXF");
    if (overlong) return fail(line, "line longer than a DXF line may be");
    long long code = 0;
    if (!ParseInt(codeLine, &code)) return fail(line, "group code " + Quote(codeLine) + " is not a number");
    if (code < 0 || code > 1071) return fail(line, "group code " + std::to_string(code) + " is out of range");
    if (!reader.Next(&valueLine, &overlong)) return fail(line, "the file ends inside a group (no value line)");
    ++line;
    if (overlong) return fail(line, "line longer than a DXF line may be");
    ++check.groups;

    int c = static_cast<int>(code);
    switch (KindOfCode(c)) {
      case ValueKind::kPoint:
      case ValueKind::kReal:
        if (!ParseReal(valueLine))
          return fail(line, "value " + Quote(valueLine) + " of group " + std::to_string(c) + " is not a number");
        break;
      case ValueKind::kInt16:
      case ValueKind::kInt32: {
        long long v = 0;
        if (!ParseInt(valueLine, &v) || v < INT32_MIN || v > INT32_MAX)
          return fail(line, "value " + Quote(valueLine) + " of group " + std::to_string(c) + " is not an integer");
        break;
      }
      default:
        if ((c >= 20 && c <= 37) || (c >= 110 && c <= 139) || (c >= 1020 && c <= 1039)) {
          if (!ParseReal(valueLine))
            return fail(line, "value " + Quote(valueLine) + " of group " + std::to_string(c) + " is not a number");
        }
        break;
    }
    if (c == 5 || c == 105) {
      std::string hex(Trim(valueLine));
      char* end = nullptr;
      unsigned long long h = std::strtoull(hex.c_str(), &end, 16);
      if (hex.empty() || *end != '\0' || hex.size() > 16)
        return fail(line, "handle " + Quote(valueLine) + " is not a hexadecimal number");
      if (h > check.maxHandle) check.maxHandle = h;
    }

    if (c == 0) {
      if (!endEntity(line - 1)) return check;
      entityType = std::string(Trim(valueLine));
      if (expectSectionName) return fail(line, "a section without a name");
      if (entityType == "SECTION") {
        if (inSection) return fail(line, "a section starts inside a section");
        inSection = true;
        expectSectionName = true;
      } else if (entityType == "ENDSEC") {
        if (!inSection) return fail(line, "ENDSEC outside a section");
        inSection = false;
      } else if (entityType == "EOF") {
        if (inSection) return fail(line, "EOF inside a section");
        sawEof = true;
        break;
      } else if (!inSection) {
        return fail(line, Quote(entityType) + " outside a section");
      }
      // dxflib sizes arrays by these counts and fills them from the items.
      if (entityType == "LWPOLYLINE") counts.push_back({90, 10});
      if (entityType == "SPLINE") {
        counts.push_back({72, 40});
        counts.push_back({73, 10});
        counts.push_back({74, 11});
      }
      if (entityType == "LEADER") counts.push_back({76, 10});
      continue;
    }
    if (expectSectionName) {
      if (c != 2) return fail(line, "a section without a name");
      expectSectionName = false;
    }
    for (Counted& counted : counts) {
      if (c == counted.countCode) {
        long long v = 0;
        ParseInt(valueLine, &v);
        if (v < 0 || v > 100000000) return fail(line, "count " + std::to_string(v) + " is out of range");
        if (counted.declared >= 0) return fail(line, "a second count (group " + std::to_string(c) + ")");
        counted.declared = v;
      } else if (c == counted.itemCode) {
        if (counted.declared < 0)
          return fail(line, "group " + std::to_string(c) + " before its count (group " +
                                std::to_string(counted.countCode) + ")");
        ++counted.items;
      }
    }
  }
  if (!sawEof) return fail(line, "the file ends without an EOF marker");
  check.ok = true;
  return check;
}

}  // namespace host::db
