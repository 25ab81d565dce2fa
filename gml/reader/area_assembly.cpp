// Topographic areas: rings written out inline are built while the file is
// read; rings given as references to lines are assembled after the file's
// last tag by reading the referenced lines again at their remembered
// positions.
#include <cstring>
#include <cwchar>
#include <string>

#include "gml/reader/gml_pass.h"

namespace {

// Creates a value list of `count` entries from `values`; an empty one is
// left absent.
bool MakeValueList(const DescriptiveValue* values, int count, GrowArray* list) {
  *list = GrowArray{};
  if (count == 0) return true;
  if (!GrowArrayCreateExact(count, sizeof(DescriptiveValue), list)) return false;
  for (int i = 0; i < count; ++i)
    if (!GrowArraySet(list, i, &values[i])) return false;
  return true;
}

bool Valid(const GrowArray& list) { return list.marker == kGrowArrayMarker; }

void FreeIfValid(GrowArray* list) {
  if (Valid(*list)) GrowArrayFree(list);
  *list = GrowArray{};
}

}  // namespace

// Registers `list`, or brings its register entry up to date after it grew
// (its block may have moved).
bool GmlPass::KeepRegistered(const GrowArray& list, std::int32_t* registerIndex) {
  if (*registerIndex >= 0) return GrowArraySet(&out->nestedArrays, *registerIndex, &list);
  *registerIndex = out->nestedArrays.count;
  if (out->RegisterNestedArray(list)) return true;
  *registerIndex = -1;
  return false;
}

void GmlPass::ReleaseAreaLists() {
  // Lists of the current area that no record took.
  if (outerCreated && outerRegisterIndex < 0) GrowArrayFree(&outerList);
  if (innerCreated && innerRegisterIndex < 0) GrowArrayFree(&innerList);
  outerCreated = innerCreated = false;
  outerRegisterIndex = innerRegisterIndex = -1;
  outerList = innerList = GrowArray{};
  if (ringMembersCreated) GrowArrayFree(&ringMembers);
  ringMembersCreated = false;
  if (ringEntriesCreated) {
    for (std::int32_t i = 0; i < ringEntries.count; ++i) {
      auto* entry = static_cast<RingEntry*>(ringEntries.data) + i;
      FreeIfValid(&entry->members);
    }
    GrowArrayFree(&ringEntries);
  }
  ringEntriesCreated = false;
  areaRings = 0;
  areaMembers = 0;
}

void GmlPass::StartArea() {
  ++out->seenAreas;
  SetCarried(kCarriedAreaOutline);
  inArea = true;
  areaCopy = kNewCopy;
  areaLeavesExtent = false;
  ReleaseAreaLists();
  outerBuilt = false;
  byReference = false;
  areaMinX = areaMinY = areaMinZ = 9999999999.9;
  areaMaxX = areaMaxY = areaMaxZ = -9999999999.9;
  calculatedAreaValue = 0;
  SetBackHeightAndOrientation();
  ClearTexts();
  ClearValueLists();
}

// Appends the tuple list as one ring (tag 48 vertices, one 49 entry) to
// `list`, creating the list at its first ring.
bool GmlPass::AppendRing(GrowArray* list, bool* created) {
  TouchCarried(kCarriedAreaOutline);
  if (areaRings >= kMaxFeatureRings) {
    RefuseOversized("area", kMaxFeatureRings, "rings");
    return true;
  }
  // All rings of an area together, each with its end entry.
  const std::int64_t held =
      (outerCreated ? outerList.count : 0) + (innerCreated ? innerList.count : 0);
  if (held + tuples.count + 1 > kMaxFeaturePoints) {
    RefuseOversized("area");
    return true;
  }
  ++areaRings;
  if (!*created) {
    if (!keepRecords) return true;
    if (!GrowArrayCreateExact(tuples.count + 1, sizeof(RingPoint), list)) return false;
    *created = true;
  }
  const auto* t = static_cast<const CoordinateTuple*>(tuples.data);
  RingPoint p{};
  for (std::int32_t i = 0; i < tuples.count; ++i) {
    p = RingPoint{t[i].x, t[i].y, kRingPointVertex};
    UpdateBox(t[i].x, t[i].y, TupleZ(t[i]), &areaMinX, &areaMinY, &areaMinZ, &areaMaxX,
              &areaMaxY, &areaMaxZ);
    if (!GrowArraySetGrowBy(list, list->count, &p, 500)) return false;
  }
  p.tag = kRingPointEnd;
  return GrowArraySetGrowBy(list, list->count, &p, 500);
}

void GmlPass::EndOuterBoundary() {
  OSGMLInputView& v = view;
  TouchCarried(kCarriedAreaOutline);
  inGmlOuter = false;
  areaCopy = CrossFileCopy(CopyKind::kArea);
  if (areaCopy != kOutdatedCopy && v.settings.inputPolygons && inArea && tuples.count > 1) {
    bool build = true;
    if (Filtered()) {
      const auto* t = static_cast<const CoordinateTuple*>(tuples.data);
      if (v.settings.locationMode == 0) {
        for (std::int32_t i = 0; i < tuples.count && build; ++i)
          build = InsideFilter(t[i].x, t[i].y);
      } else {
        build = false;
        for (std::int32_t i = 0; i < tuples.count && !build; ++i)
          build = InsideFilter(t[i].x, t[i].y);
      }
    }
    if (build) {
      if (!AppendRing(&outerList, &outerCreated)) sound = false;
      outerBuilt = true;
      if (sound && outerCreated && !v.settings.filterByProperty && outerList.count > 1 &&
          !KeepRegistered(outerList, &outerRegisterIndex))
        sound = false;
      areaLeavesExtent = LineLeavesFileExtent();
    }
  }
  EmptyTuples();
}

void GmlPass::EndInnerBoundary() {
  OSGMLInputView& v = view;
  TouchCarried(kCarriedAreaOutline);
  inGmlInner = false;
  if (v.settings.inputPolygons && outerBuilt && tuples.count > 1) {
    if (!AppendRing(&innerList, &innerCreated)) sound = false;
    if (sound && innerCreated && !v.settings.filterByProperty && innerList.count > 1 &&
        !KeepRegistered(innerList, &innerRegisterIndex))
      sound = false;
  }
  EmptyTuples();
}

void GmlPass::StartReferenceBoundary(bool outer) {
  if (!view.settings.inputPolygons) return;
  ringOuter = outer ? 1 : 0;
  // A ring whose end never came is not kept.
  if (ringMembersCreated) GrowArrayFree(&ringMembers);
  ringMembersCreated = false;
  // A refused area takes no more rings: it is left out whole.
  if (numberRefused) return;
  if (areaRings >= kMaxFeatureRings) {
    RefuseOversized("area", kMaxFeatureRings, "rings");
    return;
  }
  if (!ringEntriesCreated) {
    if (!GrowArrayCreate(50, sizeof(RingEntry), &ringEntries)) {
      sound = false;
      return;
    }
    ringEntriesCreated = true;
  }
  ringMembersCreated = GrowArrayCreate(50, sizeof(MemberReference), &ringMembers);
  if (!ringMembersCreated) sound = false;
  ++areaRings;
}

void GmlPass::AddRingMember(const char* t) {
  if (!view.settings.inputPolygons || !inArea || !inOsgbPolygon || !(inOsgbOuter || inOsgbInner) ||
      !ringMembersCreated || numberRefused)
    return;
  if (areaMembers >= kMaxFeatureMembers) {
    RefuseOversized("area", kMaxFeatureMembers, "ring members");
    return;
  }
  MemberReference member{};
  member.reversed = std::strstr(t, "orientation='-'") != nullptr ? 1 : 0;
  const char* at = std::strstr(t, "xlink:href='#osgb");
  if (at == nullptr || std::strlen(at) <= 30) return;
  const char* p = at + std::strlen("xlink:href='#osgb");
  std::size_t i = 0;
  while (i < kToidWidth - 1 && p[i] != 0 && p[i] != '\'') {
    member.toid[i] = p[i];
    ++i;
  }
  member.toid[i] = 0;
  if (!GrowArraySetGrowBy(&ringMembers, ringMembers.count, &member, 500)) {
    sound = false;
    return;
  }
  ++areaMembers;
  TouchCarried(kCarriedAreaOutline);
  if (ringOuter) byReference = true;
}

void GmlPass::EndReferenceBoundary() {
  inOsgbOuter = false;
  inOsgbInner = false;
  if (!view.settings.inputPolygons || !ringEntriesCreated || !ringMembersCreated) return;
  RingEntry entry{ringOuter, ringMembers};
  if (!GrowArraySetGrowBy(&ringEntries, ringEntries.count, &entry, 500)) {
    sound = false;
    return;
  }
  ringMembersCreated = false;  // the ring entry holds it now
  ringMembers = GrowArray{};
}

void GmlPass::EndArea() {
  OSGMLInputView& v = view;
  TouchCarried(kCarriedAreaOutline);
  if (!out->AddAreaValue(calculatedAreaValue, false)) sound = false;
  inArea = false;
  if (v.settings.inputPolygons && outerBuilt) {
    // A newer copy of an area an earlier file gave is counted there already.
    const bool replaces = areaCopy >= 0;
    if (PropertyPasses()) {
      if (!replaces) ++out->keptAreas;
      if (!replaces && !out->AddAreaValue(calculatedAreaValue, true)) sound = false;
      out->UpdateReadExtent(areaMinX, areaMinY, areaMinZ);
      out->UpdateReadExtent(areaMaxX, areaMaxY, areaMaxZ);
      if (keepRecords && outerCreated) {
        AreaFeatureRecord r{};
        r.kept = 1;
        r.attributes.common = common;
        r.attributes.physicalLevel = physicalLevel;
        r.attributes.version = version;
        r.attributes.calculatedAreaValue = calculatedAreaValue;
        bool ok = MakeValueList(groups, groupCount, &r.attributes.groups) &&
                  MakeValueList(terms, termCount, &r.attributes.terms) &&
                  MakeValueList(themes, themeCount, &r.attributes.themes);
        for (GrowArray* list : {&r.attributes.groups, &r.attributes.terms, &r.attributes.themes})
          if (Valid(*list) && !out->RegisterNestedArray(*list)) {
            GrowArrayFree(list);
            ok = false;
          }
        ok = ok && KeepRegistered(outerList, &outerRegisterIndex);
        ok = ok && (!innerCreated || KeepRegistered(innerList, &innerRegisterIndex));
        r.outerRing = outerList;
        r.innerRings = innerCreated ? innerList : GrowArray{};
        const std::int64_t index = replaces ? areaCopy : out->areas.count;
        if (!ok || !PagedGrowArraySet(&out->areas, static_cast<std::int32_t>(index), &r, 50000) ||
            (DrawMode() && !NoteCrossFileCopy(CopyKind::kArea, index, replaces, areaLeavesExtent)))
          sound = false;
      }
    }
  } else if (v.settings.inputPolygons && byReference && ringEntriesCreated && !outerBuilt) {
    if (PropertyPasses()) {
      AreaReferenceRecord r{};
      r.attributes.common = common;
      r.attributes.physicalLevel = physicalLevel;
      r.attributes.version = version;
      r.attributes.calculatedAreaValue = calculatedAreaValue;
      bool ok = MakeValueList(groups, groupCount, &r.attributes.groups) &&
                MakeValueList(terms, termCount, &r.attributes.terms) &&
                MakeValueList(themes, themeCount, &r.attributes.themes);
      for (GrowArray* list : {&r.attributes.groups, &r.attributes.terms, &r.attributes.themes})
        if (Valid(*list) && !out->RegisterNestedArray(*list)) {
          GrowArrayFree(list);
          ok = false;
        }
      // The ring list and its member lists go to the register with the record.
      for (std::int32_t i = 0; ok && i < ringEntries.count; ++i) {
        const auto* entry = static_cast<const RingEntry*>(ringEntries.data) + i;
        if (!out->RegisterNestedArray(entry->members)) ok = false;
      }
      if (ok && !out->RegisterNestedArray(ringEntries)) ok = false;
      if (ok) {
        r.rings = ringEntries;
        ringEntriesCreated = false;
        ringEntries = GrowArray{};
        if (!GrowArraySetGrowBy(&out->areaReferences, out->areaReferences.count, &r, 500))
          sound = false;
      } else {
        sound = false;
      }
    }
  }
  // What no record took is freed.
  ReleaseAreaLists();
  calculatedAreaValue = 0;
  SetBackHeightAndOrientation();
  ClearTexts();
  ClearValueLists();
}

void GmlPass::AssembleAreas() {
  using namespace gml_controls;
  OSGMLInputView& v = view;
  std::int32_t shown = 0;
  const std::int32_t total = v.areaReferences.count;
  // Only this file's references: the lines they refer to are this file's.
  for (std::int32_t i = areaReferencesAtStart; i < total && sound && !v.cancelRequested; ++i) {
    const auto* ref = static_cast<const AreaReferenceRecord*>(v.areaReferences.data) + i;
    if (!Valid(ref->rings)) continue;
    const std::int32_t perMille = static_cast<std::int32_t>(1000.0 * i / total);
    if (perMille > shown) {
      shown = perMille;
      v.ShowCounters();
      wchar_t caption[64];
      std::swprintf(caption, 64, L"Polygons (%i%%)", perMille / 10);
      v.SetItemText(kFileCaption, caption);
      v.Item(kFileProgress).SetPos(perMille);
      PollCancel();
    }
    AreaFeatureRecord r{};
    r.kept = 1;
    r.attributes = ref->attributes;
    bool within = !(Filtered() && v.settings.locationMode == 1);
    bool dropped = false;
    GrowArray outer{}, inner{};
    bool outerMade = false, innerMade = false;
    // The area is refused as a feature read whole would be: for a number
    // its lines cannot hold, or for more points than one feature may have.
    assembling = "area";
    numberRefused = false;
    CopyField(common.toid, ref->attributes.common.toid);
    std::int64_t points = 0;
    const auto* rings = static_cast<const RingEntry*>(ref->rings.data);
    for (std::int32_t k = 0; k < ref->rings.count && !dropped && sound; ++k) {
      const RingEntry& ring = rings[k];
      GrowArray* list = ring.outer ? &outer : &inner;
      bool* made = ring.outer ? &outerMade : &innerMade;
      bool testing = Filtered() && ring.outer;
      RingPoint last{};
      bool any = false;
      const auto* members = static_cast<const MemberReference*>(ring.members.data);
      for (std::int32_t m = 0; m < ring.members.count && sound; ++m) {
        BinaryTreeNode* node = lineToids.Find(members[m].toid);
        if (node == nullptr) {
          dropped = true;  // the rest of this ring is still looked at
          continue;
        }
        if (node->payloadA == kRefusedCoordinates) {
          RefuseNumber(std::string("its line osgb") + members[m].toid + " was refused");
          dropped = true;
          break;
        }
        if (!RereadTuples(node->payloadA)) {
          sound = false;
          break;
        }
        // Each ring's end entry counts as a point of the list too.
        if (!numberRefused && points + tuples.count + ref->rings.count > kMaxFeaturePoints)
          RefuseOversized("area");
        if (numberRefused) {
          dropped = true;
          break;
        }
        if (tuples.count <= 1) continue;
        points += tuples.count;
        auto* t = static_cast<CoordinateTuple*>(tuples.data);
        if (members[m].reversed)
          for (std::int32_t a = 0, b = tuples.count - 1; a < b; ++a, --b) std::swap(t[a], t[b]);
        if (testing) {
          for (std::int32_t q = 0; q < tuples.count; ++q) {
            const bool inside = InsideFilter(t[q].x, t[q].y);
            if (v.settings.locationMode == 0 && !inside) {
              within = false;
              testing = false;
              break;
            }
            if (v.settings.locationMode == 1 && inside) {
              within = true;
              testing = false;
              break;
            }
          }
        }
        if (!*made) {
          if (!keepRecords) {
            for (std::int32_t q = 0; q < tuples.count; ++q)
              v.UpdateReadExtent(t[q].x, t[q].y, TupleZ(t[q]));
            any = true;
            continue;
          }
          if (!GrowArrayCreateExact(tuples.count + 1, sizeof(RingPoint), list)) {
            sound = false;
            break;
          }
          *made = true;
        }
        for (std::int32_t q = 0; q < tuples.count; ++q) {
          last = RingPoint{t[q].x, t[q].y, kRingPointVertex};
          v.UpdateReadExtent(t[q].x, t[q].y, TupleZ(t[q]));
          if (!GrowArraySetGrowBy(list, list->count, &last, 500)) {
            sound = false;
            break;
          }
        }
        any = true;
      }
      // One end entry closes the ring; a ring that gave no points has none.
      if (sound && any && *made) {
        last.tag = kRingPointEnd;
        if (!GrowArraySetGrowBy(list, list->count, &last, 500)) sound = false;
      }
    }
    if (!dropped && !within) dropped = true;
    if (!dropped) {
      ++v.keptAreas;
      v.keptAreaValue += ref->attributes.calculatedAreaValue;
    }
    if (sound && !dropped && keepRecords && outerMade && outer.count > 2) {
      // Once registered, a list belongs to the register.
      bool ok = v.RegisterNestedArray(outer);
      if (ok) outerMade = false;
      bool innerRegistered = false;
      if (ok && innerMade && inner.count > 1) {
        ok = v.RegisterNestedArray(inner);
        innerRegistered = ok;
        if (ok) innerMade = false;
      }
      r.outerRing = outer;
      r.innerRings = innerRegistered ? inner : GrowArray{};
      if (!ok || !PagedGrowArraySet(&v.areas, v.areas.count, &r, 50000)) sound = false;
    }
    if (outerMade) GrowArrayFree(&outer);
    if (innerMade) GrowArrayFree(&inner);
  }
  assembling = nullptr;
  numberRefused = false;
  common.toid[0] = 0;
}
