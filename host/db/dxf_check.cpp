#include "host/db/dxf_check.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "host/db/database.h"
#include "host/db/dxf_lines.h"
#include "host/db/dxf_writer.h"
#include "host/db/values.h"

namespace host::db {
namespace {

std::string_view Trim(std::string_view s) { return TrimDxf(s); }

bool ParseInt(std::string_view text, long long* out) {
  text = Trim(text);
  if (text.empty() || text.size() > 20) return false;
  std::string copy(text);
  char* end = nullptr;
  errno = 0;
  *out = std::strtoll(copy.c_str(), &end, 10);
  return errno == 0 && end == copy.c_str() + copy.size();
}

// Why a real value is refused; "" when it is a finite number.
std::string RealProblem(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 64) return "is not a number";
  std::string copy(text);
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) return "is not a number";
  if (std::isnan(v)) return "is not a number (NaN)";
  if (std::isinf(v)) return errno == ERANGE ? "is out of range" : "is infinite";
  return "";
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
  DxfLineReader reader(file.get());
  std::string_view codeLine, valueLine;
  bool overlong = false;
  std::uint64_t line = 0;
  bool inSection = false, sawEof = false, expectSectionName = false;
  std::string entityType;
  std::string sectionName;
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
    int code = 0;
    if (!ParseGroupCode(codeLine, &code)) return fail(line, "group code " + Quote(codeLine) + " is not a number");
    if (code < 0 || code > 1071) return fail(line, "group code " + std::to_string(code) + " is out of range");
    if (!reader.Next(&valueLine, &overlong)) return fail(line, "the file ends inside a group (no value line)");
    ++line;
    if (overlong) return fail(line, "line longer than a DXF line may be");
    ++check.groups;

    int c = code;
    bool real = false;
    switch (KindOfCode(c)) {
      case ValueKind::kPoint:
      case ValueKind::kReal: real = true; break;
      case ValueKind::kInt16:
      case ValueKind::kInt32: {
        long long v = 0;
        if (!ParseInt(valueLine, &v))
          return fail(line, "value " + Quote(valueLine) + " of group " + std::to_string(c) + " is not an integer");
        bool narrow = KindOfCode(c) == ValueKind::kInt16;
        if (v < (narrow ? INT16_MIN : INT32_MIN) || v > (narrow ? INT16_MAX : INT32_MAX))
          return fail(line, "value " + Quote(valueLine) + " of group " + std::to_string(c) + " is out of range");
        break;
      }
      default:
        real = (c >= 20 && c <= 37) || (c >= 110 && c <= 139) || (c >= 1020 && c <= 1039) ||
               (c >= 460 && c <= 469);
        break;
    }
    if (real) {
      std::string problem = RealProblem(valueLine);
      if (!problem.empty())
        return fail(line, "value " + Quote(valueLine) + " of group " + std::to_string(c) + " " + problem);
    }
    // In a DIMSTYLE record of an R12 file group 5 names the arrow block;
    // the record's handle is group 105. The seed in the header
    // ($HANDSEED) is checked but is no handle in use.
    if ((c == 5 && entityType != "DIMSTYLE") || c == 105) {
      std::string hex(Trim(valueLine));
      char* end = nullptr;
      unsigned long long h = std::strtoull(hex.c_str(), &end, 16);
      if (hex.empty() || *end != '\0' || hex.size() > 16 || hex[0] == '-' || hex[0] == '+')
        return fail(line, "handle " + Quote(valueLine) + " is not a hexadecimal number");
      if (h > kLargestHandle) return fail(line, "handle " + Quote(valueLine) + " is out of range");
      if (h > check.maxHandle && sectionName != "HEADER") check.maxHandle = h;
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
      sectionName = std::string(Trim(valueLine));
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
