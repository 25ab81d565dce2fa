#include "gml/reader/pass_state.h"

#include <cstring>

namespace {

template <typename T>
bool SameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

template <std::size_t N>
bool SameText(const char (&a)[N], const char (&b)[N]) {
  return std::strncmp(a, b, N) == 0;
}

template <std::size_t N>
bool SameEntries(const DescriptiveValue (&a)[N], const DescriptiveValue (&b)[N], int count) {
  return count <= 0 || std::memcmp(a, b, sizeof(DescriptiveValue) * static_cast<std::size_t>(count)) == 0;
}

bool SameTuples(const GrowArray& a, bool aCreated, const GrowArray& b, bool bCreated) {
  const std::int32_t na = aCreated ? a.count : 0;
  const std::int32_t nb = bCreated ? b.count : 0;
  if (na != nb) return false;
  return na == 0 ||
         std::memcmp(a.data, b.data, sizeof(CoordinateTuple) * static_cast<std::size_t>(na)) == 0;
}

}  // namespace

bool StateIsClosed(const GmlFeatureState& s) {
  return !s.roadMembersCreated && !s.outerCreated && !s.innerCreated && !s.ringEntriesCreated &&
         !s.ringMembersCreated && s.innerRegisterIndex < 0 && s.outerRegisterIndex < 0;
}

bool SameState(const GmlFeatureState& a, const GmlFeatureState& b, std::uint32_t skip) {
  if (!StateIsClosed(a) || !StateIsClosed(b)) return false;
  const auto compared = [skip](CarriedGroup group) { return (skip & group) == 0; };
  if (compared(kCarriedTextHeight) && !SameBits(a.height, b.height)) return false;
  if (compared(kCarriedTextAnchor) && a.anchorPosition != b.anchorPosition) return false;
  if (compared(kCarriedAreaOutline) &&
      !(SameBits(a.areaMinX, b.areaMinX) && SameBits(a.areaMinY, b.areaMinY) &&
        SameBits(a.areaMinZ, b.areaMinZ) && SameBits(a.areaMaxX, b.areaMaxX) &&
        SameBits(a.areaMaxY, b.areaMaxY) && SameBits(a.areaMaxZ, b.areaMaxZ) &&
        a.outerBuilt == b.outerBuilt && a.byReference == b.byReference))
    return false;
  // Values that records copy whole are compared whole; texts that only
  // reach records through CopyField are compared as strings.
  return a.lookAhead == b.lookAhead && a.tagHasBlank == b.tagHasBlank &&
         a.numberRefused == b.numberRefused && SameBits(a.common, b.common) &&
         SameText(a.accuracyOfPosition, b.accuracyOfPosition) &&
         SameText(a.physicalPresence, b.physicalPresence) &&
         SameText(a.textString, b.textString) && SameText(a.roadName, b.roadName) &&
         SameText(a.natureOfRoad, b.natureOfRoad) && SameText(a.startNode, b.startNode) &&
         SameText(a.endNode, b.endNode) && SameBits(a.address, b.address) &&
         SameBits(a.heightAboveDatum, b.heightAboveDatum) &&
         SameBits(a.orientation, b.orientation) && a.physicalLevel == b.physicalLevel &&
         a.version == b.version && SameBits(a.calculatedAreaValue, b.calculatedAreaValue) &&
         SameBits(a.length, b.length) && a.termCount == b.termCount &&
         a.groupCount == b.groupCount && a.themeCount == b.themeCount &&
         SameEntries(a.terms, b.terms, a.termCount) &&
         SameEntries(a.groups, b.groups, a.groupCount) &&
         SameEntries(a.themes, b.themes, a.themeCount) &&
         SameTuples(a.tuples, a.tuplesCreated, b.tuples, b.tuplesCreated) &&
         a.inRoad == b.inRoad && a.inRoadLink == b.inRoadLink && a.inRoadNode == b.inRoadNode &&
         a.inArea == b.inArea && a.inPoint == b.inPoint && a.inAddress == b.inAddress &&
         a.inLine == b.inLine && a.inSymbol == b.inSymbol && a.inText == b.inText &&
         a.inOsgbPoint == b.inOsgbPoint && a.inOsgbPolyline == b.inOsgbPolyline &&
         a.inOsgbPolygon == b.inOsgbPolygon && a.inGmlBox == b.inGmlBox &&
         a.inGmlOuter == b.inGmlOuter && a.inGmlInner == b.inGmlInner &&
         a.inOsgbOuter == b.inOsgbOuter && a.inOsgbInner == b.inOsgbInner &&
         a.inGmlPoint == b.inGmlPoint && a.inBs7666 == b.inBs7666 &&
         a.inAuthority == b.inAuthority && a.inStatus == b.inStatus &&
         a.inPostal == b.inPostal && a.ringOuter == b.ringOuter && a.areaRings == b.areaRings &&
         a.areaMembers == b.areaMembers;
}

bool CopyState(const GmlFeatureState& from, GmlFeatureState* to, std::uint32_t keep) {
  if (!StateIsClosed(from) || !StateIsClosed(*to)) return false;
  const GrowArray tuples = to->tuples;
  const bool created = to->tuplesCreated;
  const GmlFeatureState kept = *to;
  *to = from;
  if (keep & kCarriedTextHeight) to->height = kept.height;
  if (keep & kCarriedTextAnchor) to->anchorPosition = kept.anchorPosition;
  if (keep & kCarriedAreaOutline) {
    to->areaMinX = kept.areaMinX;
    to->areaMinY = kept.areaMinY;
    to->areaMinZ = kept.areaMinZ;
    to->areaMaxX = kept.areaMaxX;
    to->areaMaxY = kept.areaMaxY;
    to->areaMaxZ = kept.areaMaxZ;
    to->outerBuilt = kept.outerBuilt;
    to->byReference = kept.byReference;
  }
  to->tuples = tuples;
  to->tuplesCreated = created;
  if (!created) return from.tuplesCreated ? from.tuples.count == 0 : true;
  to->tuples.count = 0;
  const std::int32_t n = from.tuplesCreated ? from.tuples.count : 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const auto* t = static_cast<const CoordinateTuple*>(from.tuples.data) + i;
    if (!GrowArraySetGrowBy(&to->tuples, to->tuples.count, t, 2000)) return false;
  }
  return true;
}
