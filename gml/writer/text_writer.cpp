#include <cmath>

#include "common/containers/text.h"
#include "gml/reader/gml_numbers.h"
#include "gml/settings/text_fields.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/layers.h"
#include "host/editor/coordinates.h"
#include "host/system/wide_text.h"

using host::db::Database;
using host::db::ObjectId;

namespace {

// The entity name with its '&' is at most this long before its ';'.
constexpr std::size_t kEntityNameChars = 9;

// Letters, digits and '#': an ampersand followed by anything else before
// its ';' is plain text ("A & B;").
bool IsEntityName(std::string_view name) {
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#'))
      return false;
  return !name.empty();
}

struct Justification {
  host::db::TextHorizontal horizontal;
  host::db::TextVertical vertical;
};

Justification JustificationOf(std::int32_t anchor) {
  using H = host::db::TextHorizontal;
  using V = host::db::TextVertical;
  if (anchor < 0 || anchor > 8) return {H::kMiddle, V::kMiddle};
  constexpr H kHorizontal[3] = {H::kLeft, H::kCenter, H::kRight};
  constexpr V kVertical[3] = {V::kBase, V::kMiddle, V::kTop};
  return {kHorizontal[anchor / 3], kVertical[anchor % 3]};
}

}  // namespace

std::wstring DecodeXmlEntities(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    const std::size_t semicolon = text.substr(i + 1, kEntityNameChars).find(';');
    const std::size_t end = semicolon == std::string_view::npos ? semicolon : i + 1 + semicolon;
    if (end == std::string_view::npos || !IsEntityName(text.substr(i + 1, end - i - 1))) {
      out += '&';
      continue;
    }
    const std::string_view name = text.substr(i + 1, end - i - 1);
    if (gml_settings::EqualsNoCase(name, "lt")) out += '<';
    else if (gml_settings::EqualsNoCase(name, "gt")) out += '>';
    else if (gml_settings::EqualsNoCase(name, "amp")) out += '&';
    else if (gml_settings::EqualsNoCase(name, "apos")) out += '\'';
    else if (gml_settings::EqualsNoCase(name, "quot")) out += '"';
    else if (name[0] == '#') {
      // A reference to a character XML allows is that character; any other
      // number is kept as written.
      const std::uint32_t c = CharacterReferenceValue(name);
      if (c == 0) {
        out += '&';
        continue;
      }
      host::AppendUtf8(out, static_cast<wchar_t>(c));
    }
    i = end;
  }
  // The text is UTF-8, the form GML is written in.
  return Utf8ToWide(out);
}

double ComputeOsTextAngle(double orientation) {
  if (!std::isfinite(orientation)) orientation = 0;
  orientation = std::fmod(orientation, 3600.0);
  if (orientation < 0) orientation += 3600.0;
  const double degrees = orientation / 10.0;
  double sx = 1;
  double sy = 1;
  if (degrees > 90 && degrees <= 180) {
    sx = -1;
  } else if (degrees > 180 && degrees <= 270) {
    sx = -1;
    sy = -1;
  } else if (degrees > 270 && degrees <= 360) {
    sy = -1;
  }
  const double r = degrees * 0.017453292519943295;
  const host::db::Point3 vector{sx * std::fabs(std::cos(r)), sy * std::fabs(std::sin(r)), 0};
  return host::Angle(host::db::Point3{0, 0, 0}, vector);
}

bool DrawTextFeature(std::string_view text, const char* layer, std::int32_t colour,
                     host::db::Point3 point, double height, double rotation,
                     std::int32_t anchorPosition, Database& db, int xdataLevel,
                     FeatureRecordRef record, OsFeatureKind kind, const host::db::Xdata* xdataOf) {
  const Justification justification = JustificationOf(anchorPosition);
  host::db::TextData data;
  data.text = DecodeXmlEntities(text.substr(0, Utf8CutLength(text, kMaxTextChars)));
  data.position = point;
  data.alignment = point;
  data.height = height;
  data.rotation = rotation;
  data.style = 0;  // the database's current text style
  data.horizontal = justification.horizontal;
  data.vertical = justification.vertical;
  ObjectId id = db.Append(std::move(data), db.ModelSpace());
  if (id.IsNull()) return false;
  if (xdataOf != nullptr) {
    if (host::db::Entity* entity = db.EntityOf(id)) entity->xdata = *xdataOf;
  } else if (!WriteFeatureXdata(db, id, xdataLevel, record, kind)) {
    db.Erase(id);
    return false;
  }
  PutOnLayer(db, id, layer);
  if (host::db::Entity* entity = db.EntityOf(id)) entity->color = static_cast<std::int16_t>(colour);
  return true;
}
