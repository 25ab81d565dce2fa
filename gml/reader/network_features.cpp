// ITN road links, road nodes and roads, and Address Layer address points;
// after a file's tags: the road nodes that kept links need, and each road's
// line assembled from its links.
#include <cstring>
#include <cwchar>
#include <string>

#include "gml/reader/gml_pass.h"

void GmlPass::EndRoadLink() {
  OSGMLInputView& v = view;
  DropRefusedSpill();
  const std::int64_t copy = CrossFileCopy(CopyKind::kLink);
  const bool taken =
      (v.settings.inputRoadLinks || countOnly || (v.settings.inputRoads && Filtered())) &&
      tuples.count > 1 && PropertyPasses() && copy != kOutdatedCopy;
  if (taken) {
    // A newer copy of a link an earlier file gave is counted there already.
    const bool replaces = copy >= 0;
    std::int32_t ignored = 0;
    const bool counts = (v.settings.inputRoadLinks || countOnly) && !replaces;
    GrowArray points{};
    if (PassingLinePoints(DrawMode() && v.settings.inputRoadLinks,
                          counts ? &out->keptRoadLinks : &ignored, &points)) {
      RoadLinkRecord r{};
      CopyNetworkTexts(&r);
      CopyUtf8Field(r.natureOfRoad, natureOfRoad);
      r.version = version;
      r.length = length;
      r.points = points;
      CopyField(r.startNode, startNode);
      CopyField(r.endNode, endNode);
      const auto index = static_cast<std::int32_t>(replaces ? copy : out->roadLinks.count);
      if (!GrowArraySetGrowBy(&out->roadLinks, index, &r, 500) ||
          !NoteCrossFileCopy(CopyKind::kLink, index, replaces, LineLeavesFileExtent()))
        sound = false;
      if (sound && !replaces && v.createSdfFiles && runToids != nullptr &&
          !runToids->InsertPointers(r.toid, index, -1))
        sound = false;
    }
  }
  EmptyTuples();
  inRoadLink = false;
  if (DrawMode() && v.settings.inputRoads) {
    if (!NoteLinePosition(ToidTree::kLinks, common.toid)) sound = false;
  }
  ClearTexts();
}

void GmlPass::EndRoadNode() {
  OSGMLInputView& v = view;
  if (PropertyPasses() && v.settings.inputRoadNodes && tuples.count > 0) {
    CoordinateTuple first;
    (void)GrowArrayGet(&tuples, 0, &first);
    RoadNodeRecord r{};
    CopyNetworkTexts(&r);
    r.version = version;
    r.x = first.x;
    r.y = first.y;
    r.z = TupleZ(first);
    if (!Filtered() || InsideFilter(r.x, r.y)) {
      ++out->keptRoadNodes;
      out->UpdateReadExtent(r.x, r.y, r.z);
      if (keepRecords) {
        const std::int32_t index = out->roadNodes.count;
        if (!GrowArraySetGrowBy(&out->roadNodes, index, &r, 500) ||
            !NoteNode(ToidTree::kNodes, r.toid, index))
          sound = false;
      }
    } else if (keepRecords) {
      // Kept aside: a kept link may still need it as one of its ends.
      std::int32_t index = 0;
      if (!KeepNodeAside(r, &index) || !NoteNode(ToidTree::kOutsideNodes, r.toid, index))
        sound = false;
    }
  }
  EmptyTuples();
  inRoadNode = false;
  ClearTexts();
  heightAboveDatum = kNoHeightAboveDatum;
}

void GmlPass::EndRoad() {
  OSGMLInputView& v = view;
  bool ownsMembers = roadMembersCreated;
  if (v.settings.inputRoads && PropertyPasses()) {
    RoadRecord r{};
    r.built = 0;
    CopyNetworkTexts(&r);
    CopyUtf8Field(r.roadName, roadName);
    r.version = version;
    if (tuples.count > 1) {
      const auto* t = static_cast<const CoordinateTuple*>(tuples.data);
      r.boxMinX = t[0].x;
      r.boxMinY = t[0].y;
      r.boxMaxX = t[1].x;
      r.boxMaxY = t[1].y;
      EmptyTuples();
      if (roadMembersCreated) r.members = roadMembers;
      if (keepRecords) {
        if (roadMembersCreated && !out->RegisterNestedArray(roadMembers)) {
          sound = false;
        } else {
          ownsMembers = false;  // the register frees it now
          if (!GrowArraySetGrowBy(&out->roads, out->roads.count, &r, 500)) sound = false;
        }
      }
    }
  }
  // A member list that no stored road took is freed here.
  if (ownsMembers) GrowArrayFree(&roadMembers);
  roadMembersCreated = false;
  roadMembers = GrowArray{};
  inRoad = false;
  if (DrawMode() || PreviewMode()) {
    SetBackHeightAndOrientation();
    EmptyTuples();
  }
}

void GmlPass::EndAddressPoint() {
  OSGMLInputView& v = view;
  const bool themePasses =
      !numberRefused &&
      (!v.settings.filterByProperty || v.propertyFilter.PassesTheme(common.theme) != 0);
  if (themePasses && v.settings.inputAddressPoints && tuples.count > 0) {
    CoordinateTuple first;
    (void)GrowArrayGet(&tuples, 0, &first);
    if (!Filtered() || InsideFilter(first.x, first.y)) {
      AddressPointRecord r = address;
      CopyField(r.toid, common.toid);
      CopyUtf8Field(r.theme, common.theme);
      CopyUtf8Field(r.versionDate, common.versionDate);
      CopyUtf8Field(r.changeDate, common.changeDate);
      CopyUtf8Field(r.reasonForChange, common.reasonForChange);
      r.version = version;
      r.x = first.x;
      r.y = first.y;
      r.z = first.hasZ ? first.z : 0;
      ++out->keptAddressPoints;
      out->UpdateReadExtent(r.x, r.y, r.z);
      if (keepRecords && !GrowArraySetGrowBy(&out->addressPoints, out->addressPoints.count, &r, 500))
        sound = false;
    }
  }
  EmptyTuples();
  inAddress = false;
  common.toid[0] = 0;
  common.versionDate[0] = 0;
  common.theme[0] = 0;
  common.reasonForChange[0] = 0;
  common.changeDate[0] = 0;
}

// After the tags ------------------------------------------------------------------

void GmlPass::CompleteRoadNodes() {
  OSGMLInputView& v = view;
  for (std::int32_t i = 0; i < v.roadLinks.count && sound; ++i) {
    const auto* link = static_cast<const RoadLinkRecord*>(v.roadLinks.data) + i;
    for (const char* toid : {link->startNode, link->endNode}) {
      if (toid[0] == 0 || nodeToids.Find(toid) != nullptr) continue;
      BinaryTreeNode* aside = outsideNodeToids.Find(toid);
      if (aside == nullptr) continue;
      RoadNodeRecord node;
      if (!GrowArrayGet(&outsideNodes, static_cast<std::int32_t>(aside->payloadA), &node)) continue;
      // Each node is added once, however many links end at it.
      const std::int32_t index = v.roadNodes.count;
      if (!GrowArraySetGrowBy(&v.roadNodes, index, &node, 500) ||
          !nodeToids.InsertPointers(node.toid, index, -1))
        sound = false;
    }
  }
}

void GmlPass::AssembleRoads() {
  using namespace gml_controls;
  OSGMLInputView& v = view;
  std::int32_t shown = 0;
  for (std::int32_t i = 0; i < v.roads.count && sound && !v.cancelRequested; ++i) {
    auto* road = static_cast<RoadRecord*>(v.roads.data) + i;
    if (road->built || road->members.marker != kGrowArrayMarker) continue;
    const std::int32_t perMille = static_cast<std::int32_t>(1000.0 * i / v.roads.count);
    if (perMille > shown) {
      shown = perMille;
      wchar_t caption[64];
      std::swprintf(caption, 64, L"ITN Roads (%i%%)", perMille / 10);
      v.SetItemText(kFileCaption, caption);
      wchar_t counts[64];
      std::swprintf(counts, 64, L"%li/%li", static_cast<long>(v.keptRoads),
                    static_cast<long>(v.seenRoads));
      v.SetItemText(kRoadsCount, counts);
      v.Item(kFileProgress).SetPos(perMille);
      PollCancel();
    }
    bool pass = !(Filtered() && v.settings.locationMode == 1);
    bool havePrevious = false;
    LinePoint previous{};
    GrowArray geometry{};
    bool created = false;
    // The road is refused as a feature read whole would be: for a number
    // its links cannot hold, or for more points than one feature may have.
    assembling = "road";
    numberRefused = false;
    CopyField(common.toid, road->toid);
    std::int64_t points = 0;
    const auto* members = static_cast<const MemberReference*>(road->members.data);
    for (std::int32_t m = 0; m < road->members.count && sound && v.settings.inputRoads; ++m) {
      BinaryTreeNode* node = linkToids.Find(members[m].toid);
      if (node == nullptr) continue;  // a link of another file
      if (node->payloadA == kRefusedCoordinates) {
        RefuseNumber(std::string("its road link osgb") + members[m].toid + " was refused");
        break;
      }
      if (!RereadTuples(node->payloadA)) {
        sound = false;
        break;
      }
      // Each link's end entry counts as a point of the list too.
      if (!numberRefused && points + tuples.count + 1 > kMaxFeaturePoints) RefuseOversized("road");
      if (numberRefused) break;
      if (tuples.count <= 1) continue;
      points += tuples.count + 1;
      auto* t = static_cast<CoordinateTuple*>(tuples.data);
      if (members[m].reversed) {
        for (std::int32_t a = 0, b = tuples.count - 1; a < b; ++a, --b) std::swap(t[a], t[b]);
      }
      if (Filtered()) {
        for (std::int32_t k = 0; k < tuples.count; ++k) {
          const bool inside = InsideFilter(t[k].x, t[k].y);
          if (v.settings.locationMode == 0 && !inside) {
            pass = false;
            break;
          }
          if (v.settings.locationMode == 1 && inside) {
            pass = true;
            break;
          }
        }
      }
      if (!created && keepRecords) {
        created = GrowArrayCreateExact(tuples.count + 1, sizeof(LinePoint), &geometry);
        if (!created) {
          sound = false;
          break;
        }
      }
      if (!created) continue;
      // Links that meet end to start form one run of points.
      if (havePrevious && geometry.count > 0 && t[0].x == previous.x && t[0].y == previous.y)
        --geometry.count;
      for (std::int32_t k = 0; k < tuples.count && sound; ++k) {
        LinePoint p{kLinePointVertex, t[k].x, t[k].y, TupleZ(t[k])};
        v.UpdateReadExtent(p.x, p.y, p.z);
        if (!GrowArraySetGrowBy(&geometry, geometry.count, &p, 500)) sound = false;
        previous = p;
      }
      LinePoint end = previous;
      end.tag = kLinePointEnd;
      if (sound && !GrowArraySetGrowBy(&geometry, geometry.count, &end, 500)) sound = false;
      havePrevious = true;
    }
    if (numberRefused) pass = false;
    if (pass) ++v.keptRoads;
    if (created) {
      if (sound && !numberRefused && geometry.count > 2 && v.RegisterNestedArray(geometry)) {
        road->geometry = geometry;
        if (pass) road->built = 1;
      } else {
        GrowArrayFree(&geometry);
      }
    }
  }
  assembling = nullptr;
  numberRefused = false;
  common.toid[0] = 0;
}
