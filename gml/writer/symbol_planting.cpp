#include "gml/writer/symbol_planting.h"

#include <cmath>
#include <cstring>
#include <cwctype>
#include <string>
#include <utility>

#include "common/containers/text.h"
#include "gml/settings/area_filter.h"
#include "gml/settings/settings_record.h"
#include "gml/settings/text_fields.h"
#include "gml/writer/blocks.h"
#include "gml/writer/layers.h"
#include "host/editor/command_line.h"
#include "host/system/clock.h"

namespace {

constexpr double kTwoPi = 6.28318530717958647692;

std::function<std::time_t()>& PlantingClock() {
  static std::function<std::time_t()> clock;
  return clock;
}

std::time_t Now() {
  return PlantingClock() ? PlantingClock()() : host::WallClockNow();
}

// The area's single text field named `item`; false for another name.
bool AreaField(const AreaFeatureRecord& area, std::string_view item, std::string_view* value) {
  const CommonAttributes& c = area.attributes.common;
  if (gml_settings::EqualsNoCase(item, "theme"))
    *value = FieldText(c.theme);
  else if (gml_settings::EqualsNoCase(item, "make"))
    *value = FieldText(c.make);
  else if (gml_settings::EqualsNoCase(item, "descriptiveTerm"))
    *value = FieldText(c.descriptiveTerm);
  else if (gml_settings::EqualsNoCase(item, "descriptiveGroup"))
    *value = FieldText(c.descriptiveGroup);
  else
    return false;
  return true;
}

bool AddSegment(GrowArray* outline, const RingPoint& a, const RingPoint& b) {
  const OutlineSegment segment{a.x, a.y, b.x, b.y};
  return GrowArraySet(outline, outline->count, &segment);
}

// The outer ring up to its first end entry, and every inner ring.
bool BuildOutline(const AreaFeatureRecord& area, GrowArray* outline) {
  const GrowArray& outer = area.outerRing;
  if (outer.marker != kGrowArrayMarker) return false;
  RingPoint previous{};
  for (std::int32_t i = 0; i < outer.count; ++i) {
    RingPoint point{};
    if (!GrowArrayGet(&outer, i, &point)) return false;
    if (i > 0 && !AddSegment(outline, previous, point)) return false;
    if (point.tag == kRingPointEnd) break;
    previous = point;
  }
  const GrowArray& inner = area.innerRings;
  if (inner.marker == kGrowArrayMarker && inner.count > 2) {
    for (std::int32_t i = 0; i + 1 < inner.count; ++i) {
      RingPoint a{}, b{};
      if (!GrowArrayGet(&inner, i, &a) || !GrowArrayGet(&inner, i + 1, &b)) return false;
      if (a.tag == kRingPointEnd) continue;
      if (!AddSegment(outline, a, b)) return false;
    }
  }
  return true;
}

}  // namespace

void SetPlantingClock(std::function<std::time_t()> clock) {
  PlantingClock() = std::move(clock);
}

bool FindSymbologySet(const AreaFeatureRecord& area, const GrowArray& sets, SymbologySet* set) {
  if (sets.marker != kGrowArrayMarker) return false;
  for (std::int32_t i = 0; i < sets.count; ++i) {
    SymbologySet candidate{};
    if (!GrowArrayGet(&sets, i, &candidate)) return false;
    const GrowArray& conditions = candidate.conditions;
    if (conditions.marker != kGrowArrayMarker || conditions.count == 0) continue;
    bool all = true;
    for (std::int32_t c = 0; c < conditions.count && all; ++c) {
      SymbologyCondition condition{};
      std::string_view value;
      if (!GrowArrayGet(&conditions, c, &condition) ||
          !AreaField(area, FieldText(condition.item), &value)) {
        all = false;
        break;
      }
      const bool equal = gml_settings::EqualsNoCase(value, FieldText(condition.value));
      all = condition.match == 1 ? equal : !equal;
    }
    if (all) {
      *set = candidate;
      return true;
    }
  }
  return false;
}

double RandomFraction10000() {
  return std::trunc(static_cast<double>(host::Random15()) / 32767.0 * 10000.0);
}

bool IsTooCloseToPlaced(double x, double y, double buffer, const GrowArray& placed) {
  for (std::int32_t i = 0; i < placed.count; ++i) {
    PlacedSymbol symbol{};
    if (!GrowArrayGet(&placed, i, &symbol)) return false;
    if (std::hypot(x - symbol.x, y - symbol.y) < buffer + symbol.buffer) return true;
  }
  return false;
}

int PlaceSymbolsInArea(const AreaFeatureRecord& area, const GrowArray& sets, double scale,
                       const OS_GML_ACAD_Definitions& settings, host::db::Database& db) {
  SymbologySet set{};
  if (!FindSymbologySet(area, sets, &set) || set.symbols.marker != kGrowArrayMarker ||
      set.symbols.count == 0)
    return 0;
  AreaFilter outline;
  GrowArray placed{};
  int planted = 0;
  if (!GrowArrayCreate(2000, sizeof(OutlineSegment), &outline.outline)) return 0;
  // An outline of fewer than three edges encloses nothing.
  if (BuildOutline(area, &outline.outline) && outline.outline.count >= 3 &&
      GrowArrayCreate(1000, sizeof(PlacedSymbol), &placed)) {
    outline.ComputeExtents();
    for (std::int32_t s = 0; s < set.symbols.count; ++s) {
      SymbologySymbol symbol{};
      if (!GrowArrayGet(&set.symbols, s, &symbol)) break;
      if (!EnsureLayer(symbol.colour, symbol.layer, db)) continue;
      const double wanted =
          std::trunc(symbol.density * area.attributes.calculatedAreaValue / 10000.0);
      const long target = wanted > 0 && wanted < 1e9 ? static_cast<long>(wanted) : 0;
      const double symbolBuffer = symbol.symbolBuffer * scale;
      const double edgeBuffer = symbol.edgeBuffer * scale;
      const int level = symbol.persistenceLevel;
      const std::time_t persistence =
          settings.placementWaitSeconds[level >= 0 && level <= 4 ? level : 1];
      const int accuracy = symbol.accuracyLevel;
      const int points =
          settings.edgeBufferingPoints[accuracy >= 0 && accuracy <= 4 ? accuracy : 2];
      std::time_t start = Now();
      bool timedOut = false;
      bool announced = false;
      int dots = 0;
      long count = 0;
      while (!timedOut && count < target) {
        const double x =
            outline.minX + (outline.maxX - outline.minX) * RandomFraction10000() / 10000.0;
        const double y =
            outline.minY + (outline.maxY - outline.minY) * RandomFraction10000() / 10000.0;
        bool rejected =
            !outline.PointInOutline(x, y) || IsTooCloseToPlaced(x, y, symbolBuffer, placed);
        for (int m = 0; m < points && !rejected; ++m) {
          const double angle = static_cast<double>(m) / points * kTwoPi;
          rejected = !outline.PointInOutline(x + edgeBuffer * std::cos(angle),
                                             y + edgeBuffer * std::sin(angle));
        }
        const std::time_t elapsed = Now() - start;
        if (elapsed > persistence) timedOut = true;
        if (elapsed > 2 && !announced) {
          announced = true;
          host::Printf(L"\rLocating insertion points for symbol \"%ls\", please wait.",
                       Utf8ToWide(FieldText(symbol.block)).c_str());
        }
        for (int step : {4, 6, 8}) {
          if (elapsed > step && dots < (step - 2) / 2) {
            ++dots;
            host::Print(L".");
          }
        }
        if (!rejected) {
          (void)InsertSymbolBlock(symbol.block, {x, y, 0.0}, scale, 0.0, symbol.layer, db, &area);
          const PlacedSymbol entry{x, y, symbolBuffer};
          if (!GrowArraySet(&placed, placed.count, &entry)) break;
          ++count;
          ++planted;
          start = Now();
        }
      }
      if (announced) host::Print(L"\n");
    }
    GrowArrayFree(&placed);
  }
  GrowArrayFree(&outline.outline);
  return planted;
}
