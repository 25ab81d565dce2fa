// Features that cannot be stored: values that are not finite (an exponent
// past the range of a double, "NaN", "INF"), integers past the 32-bit range
// of their field, texts longer than the text buffer, and more points, rings
// or members than one feature may hold. The feature is left out whole, whatever its class,
// so that no such value reaches a record or a drawing, and the file's
// refusals are reported together when it is done.
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "common/containers/text.h"
#include "gml/reader/gml_numbers.h"
#include "gml/reader/gml_pass.h"
#include "gml/reader/gml_tokens.h"

namespace {

// The value as it appears in the file, cut short for a message between two
// characters.
std::string Quoted(const char* text) {
  constexpr std::size_t kShownBytes = 40;
  const std::string_view value(text);
  if (value.size() <= kShownBytes) return "'" + std::string(value) + "'";
  return "'" + std::string(value.substr(0, Utf8CutLength(value, kShownBytes))) + "...'";
}

// The element's name without its attributes.
std::string TagElementName(const char* tag) { return std::string(tag, std::strcspn(tag, " ")); }

}  // namespace

void GmlPass::RefuseFeature(const std::string& what) {
  // A feature is counted once, however many of its values are refused.
  if (numberRefused) return;
  numberRefused = true;
  if (refusedNumbers++ == 0) firstRefusal = what;
}

void GmlPass::RefuseNumber(const std::string& reason) {
  if (numberRefused) return;
  // Put together after the file was read, a feature is named instead.
  if (assembling != nullptr)
    RefuseFeature(std::string(assembling) + " osgb" + common.toid + ": " + reason);
  else
    RefuseFeature("at byte " + std::to_string(fileConsumed) + ": " + reason);
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

bool GmlPass::ReadFeatureText(const char* element) {
  bool cut = false;
  if (!ReadGmlText(*source, lookAhead, text, kGmlMaxTagLength, &fileConsumed, &cut)) return false;
  // The reader stops at a full buffer; a text that goes on past it would
  // be stored cut short.
  if (cut)
    RefuseNumber(TagElementName(element) + " holds a text longer than " +
                 std::to_string(kGmlMaxTagLength) + " characters");
  return true;
}

void GmlPass::RefuseOversized(const char* kind, std::int32_t limit, const char* what) {
  if (numberRefused) return;
  std::string reason = kind;
  if (common.toid[0] != 0) reason += std::string(" osgb") + common.toid;
  reason += " has more than " + std::to_string(limit) + " " + what;
  if (assembling != nullptr)
    RefuseFeature(reason);
  else
    RefuseNumber(reason);
}

void GmlPass::RefuseDepartedToid(std::string_view value) {
  numberRefused = false;
  RefuseNumber("osgb:DepartedFeature fid " + Quoted(("osgb" + std::string(value)).c_str()) +
               " is no TOID");
}
