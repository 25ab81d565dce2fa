// Numbers a feature cannot be stored with: values that are not finite (an
// exponent past the range of a double, "NaN", "INF") and integers past the
// 32-bit range of their field. The feature holding one is left out whole,
// so that no such value reaches a record or a drawing.
#include <cmath>
#include <cstring>
#include <string>

#include "gml/reader/gml_numbers.h"
#include "gml/reader/gml_pass.h"

namespace {

// The value as it appears in the file, cut short for a message.
std::string Quoted(const char* text) {
  std::string value(text);
  if (value.size() > 40) value = value.substr(0, 40) + "...";
  return "'" + value + "'";
}

// The element's name without its attributes.
std::string TagElementName(const char* tag) { return std::string(tag, std::strcspn(tag, " ")); }

}  // namespace

void GmlPass::RefuseNumber(const std::string& reason) {
  numberRefused = true;
  if (refusedNumbers++ == 0)
    firstRefusal = "at byte " + std::to_string(fileConsumed) + ": " + reason;
}

bool GmlPass::ParseRealValue(const char* element, const char* text, double* value) {
  const double parsed = ParseGmlDouble(text);
  if (!std::isfinite(parsed)) {
    RefuseNumber(TagElementName(element) + " " + Quoted(text) + " is not a finite number");
    return false;
  }
  *value = parsed;
  return true;
}

bool GmlPass::ParseIntValue(const char* element, const char* text, std::int32_t* value) {
  if (!ParseGmlIntInRange(text, value)) {
    RefuseNumber(TagElementName(element) + " " + Quoted(text) + " is out of range");
    return false;
  }
  return true;
}

bool GmlPass::TupleIsFinite(const CoordinateTuple& tuple) {
  if (std::isfinite(tuple.x) && std::isfinite(tuple.y) && (!tuple.hasZ || std::isfinite(tuple.z)))
    return true;
  RefuseNumber("a coordinate is not a finite number");
  return false;
}
