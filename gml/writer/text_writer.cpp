#include <cmath>

#include "common/containers/text.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/layers.h"
#include "host/editor/coordinates.h"

using host::db::Database;
using host::db::ObjectId;

namespace {

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
  // The reader decoded the GML's references as it stored the text: it is
  // drawn as stored, in the UTF-8 GML is written in.
  data.text = Utf8ToWide(text.substr(0, Utf8CutLength(text, kMaxTextChars)));
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
