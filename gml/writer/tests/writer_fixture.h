// Helpers of the writer's tests: feature records whose every field holds a
// value of its own (so a swapped or lost field shows), small lists, a
// temporary folder (the settings tests') and an outside command.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/containers/grow_array.h"
#include "common/containers/text.h"
#include "gml/reader/feature_records.h"
#include "gml/settings/tests/temp_folder.h"
#include "gml/writer/entity_writers.h"

namespace writer_test {

// Output of a shell command (stderr included).
inline std::string RunCommand(const std::string& command) {
  std::string output;
  if (std::FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

inline std::string DxfTool() {
  return "/usr/bin/python3 " + std::string(VARNEL_SOURCE_DIR) + "/gml/writer/tests/dxf_check.py ";
}

inline void FillCommon(CommonAttributes* c, const char* prefix) {
  auto set = [prefix](char* field, std::size_t width, const char* name) {
    CopyField(field, width, std::string(prefix) + name);
  };
  CopyField(c->featureCode, "10056");
  CopyField(c->toid, std::string("osgb") + prefix + "0001");
  set(c->make, sizeof c->make, "Manmade");
  set(c->changeDate, sizeof c->changeDate, "2003-06-11");
  set(c->reasonForChange, sizeof c->reasonForChange, "Modified");
  set(c->descriptiveTerm, sizeof c->descriptiveTerm, "Term");
  set(c->descriptiveGroup, sizeof c->descriptiveGroup, "Group");
  set(c->theme, sizeof c->theme, "Theme");
  set(c->versionDate, sizeof c->versionDate, "2004-01-01");
}

inline PointFeatureRecord SamplePoint() {
  PointFeatureRecord p{};
  FillCommon(&p.common, "P");
  CopyField(p.accuracyOfPosition, "2.0m");
  CopyField(p.physicalPresence, "Obstructing");
  p.physicalLevel = 50;
  p.version = 3;
  p.x = 530000.25;
  p.y = 180000.5;
  p.z = kNoHeightAboveDatum;
  p.orientation = 900;
  return p;
}

// A GrowArray of `T` holding `items`; freed by its owner with GrowArrayFree.
template <typename T>
GrowArray ListOf(std::initializer_list<T> items) {
  GrowArray list{};
  EXPECT_TRUE(GrowArrayCreate(static_cast<std::int32_t>(items.size()), sizeof(T), &list));
  for (const T& item : items) EXPECT_TRUE(GrowArraySet(&list, list.count, &item));
  return list;
}

// Owns the lists of a record for one test.
// (A copy of the header shares the block, so the lists keep copies.)
struct Lists {
  std::vector<GrowArray> owned;
  ~Lists() {
    for (GrowArray& list : owned)
      if (list.marker == kGrowArrayMarker) GrowArrayFree(&list);
  }
  void Own(const GrowArray* list) { owned.push_back(*list); }
};

inline LineFeatureRecord SampleLine(Lists* lists) {
  LineFeatureRecord l{};
  FillCommon(&l.common, "L");
  CopyField(l.accuracyOfPosition, "1.0m");
  CopyField(l.physicalPresence, "Edge");
  l.physicalLevel = 51;
  l.version = 4;
  l.points = ListOf<LinePoint>({{' ', 0, 0, 0}, {' ', 10, 0, 0}, {'e', 10, 0, 0}});
  lists->Own(&l.points);
  return l;
}

inline TextFeatureRecord SampleText() {
  TextFeatureRecord t{};
  FillCommon(&t.common, "T");
  t.physicalLevel = 52;
  t.version = 5;
  CopyField(t.textString, "St George's Road");
  t.anchorPosition = 4;
  t.x = 20;
  t.y = 30;
  t.z = kNoHeightAboveDatum;
  t.orientation = 450;
  t.height = 2.5;
  return t;
}

// A square 0..10 with a 4..6 hole; the ring lists end every ring with an
// end entry holding its last point, as area assembly leaves them.
inline AreaFeatureRecord SampleArea(Lists* lists) {
  AreaFeatureRecord a{};
  a.kept = 1;
  FillCommon(&a.attributes.common, "A");
  a.attributes.physicalLevel = 53;
  a.attributes.version = 6;
  a.attributes.calculatedAreaValue = 96.0;
  a.outerRing = ListOf<RingPoint>({{0, 0, kRingPointVertex}, {10, 0, kRingPointVertex},
                                   {10, 10, kRingPointVertex}, {0, 10, kRingPointVertex},
                                   {0, 0, kRingPointVertex}, {0, 0, kRingPointEnd}});
  a.innerRings = ListOf<RingPoint>({{4, 4, kRingPointVertex}, {6, 4, kRingPointVertex},
                                    {6, 6, kRingPointVertex}, {4, 4, kRingPointVertex},
                                    {4, 4, kRingPointEnd}});
  lists->Own(&a.outerRing);
  lists->Own(&a.innerRings);
  return a;
}

inline RoadLinkRecord SampleLink(Lists* lists) {
  RoadLinkRecord r{};
  CopyField(r.descriptiveTerm, "A Road");
  CopyField(r.toid, "osgb4000000001");
  CopyField(r.versionDate, "2005-02-02");
  CopyField(r.theme, "Road Network");
  CopyField(r.descriptiveGroup, "Road Topology");
  CopyField(r.reasonForChange, "New");
  CopyField(r.changeDate, "2005-01-01");
  CopyField(r.natureOfRoad, "Single Carriageway With A Very Long Nature Name");
  r.version = 7;
  r.length = 12.34567;
  r.points = ListOf<LinePoint>({{' ', 0, 0, 0}, {' ', 5, 5, 0}});
  lists->Own(&r.points);
  CopyField(r.roadTerm, "Named Road");
  CopyField(r.roadName, "HIGH STREET");
  CopyField(r.startNode, "osgb4000000010");
  CopyField(r.endNode, "osgb4000000011");
  return r;
}

inline RoadRecord SampleRoad() {
  RoadRecord r{};
  CopyField(r.toid, "osgb4000000100");
  CopyField(r.descriptiveTerm, "Named Road");
  CopyField(r.versionDate, "2005-03-03");
  CopyField(r.theme, "Road Network");
  CopyField(r.descriptiveGroup, "Road");
  CopyField(r.reasonForChange, "Attributes");
  CopyField(r.changeDate, "2005-03-01");
  CopyField(r.roadName, "THE EXTRAORDINARILY LONG ROAD NAME OF THE VILLAGE GREEN");
  r.version = 8;
  r.built = 1;  // assembled and kept, as the reader leaves a road it draws
  return r;
}

inline RoadNodeRecord SampleNode() {
  RoadNodeRecord n{};
  CopyField(n.descriptiveTerm, "Junction");
  CopyField(n.toid, "osgb4000000010");
  CopyField(n.versionDate, "2005-04-04");
  CopyField(n.theme, "Road Network");
  CopyField(n.descriptiveGroup, "Road Topology");
  CopyField(n.reasonForChange, "New");
  CopyField(n.changeDate, "2005-04-01");
  n.version = 9;
  n.x = 530001.123456;
  n.y = 180002.5;
  n.z = kNoHeightAboveDatum;
  return n;
}

inline AddressPointRecord SampleAddress() {
  AddressPointRecord a{};
  CopyField(a.toid, "osgb1000002345");
  CopyField(a.osapr, "87654321");
  CopyField(a.department, "Accounts");
  CopyField(a.poBox, "PO 12");
  CopyField(a.buildingName, "Rose, Cottage");  // a comma inside a value
  CopyField(a.subBuildingName, "Flat 2");
  CopyField(a.thoroughfare, "High Street");
  CopyField(a.dependentThoroughfare, "Mews");
  CopyField(a.dependentLocality, "Upper End");
  CopyField(a.theme, "Postal");
  CopyField(a.versionDate, "2006-01-01");
  CopyField(a.changeDate, "2005-12-12");
  CopyField(a.reasonForChange, "Modified");
  CopyField(a.baseFunction, "Residential");
  CopyField(a.postCode, "AB1 2CD");
  CopyField(a.postCodeType, "Large");
  CopyField(a.saon, "Flat 2");
  CopyField(a.paon, "Rose \"Cottage\"");  // a double quote inside a value
  CopyField(a.street, "High St");
  CopyField(a.locality, "Upper");
  CopyField(a.town, "Oldtown");
  CopyField(a.adminArea, "Shire");
  CopyField(a.bs7666PostCode, "AB1 2CE");
  CopyField(a.bs7666PostCodeType, "Small");
  CopyField(a.uarn, "U123");
  CopyField(a.udprn, "D456");
  CopyField(a.matchStatus, "Matched");
  CopyField(a.physicalStatus, "Built");
  CopyField(a.positionalQuality, "Surveyed");
  CopyField(a.positionalAccuracy, "1m");
  CopyField(a.structureType, "House");
  a.nonGeographic = 0;
  CopyField(a.organisation, "ACME LTD");
  CopyField(a.postalBuildingName, "ROSE COTTAGE");
  CopyField(a.buildingNumber, "12");
  CopyField(a.postalThoroughfare, "HIGH STREET");
  CopyField(a.postTown, "OLDTOWN");
  CopyField(a.postalPostCode, "AB1 2CF");
  CopyField(a.postalPostCodeType, "S");
  CopyField(a.deliveryPointSuffix, "1A");
  CopyField(a.addressKey, "K789");
  a.multipleOccupancyCount = 2;
  a.version = 10;
  a.x = 530010;
  a.y = 180010;
  a.z = 0;
  return a;
}

// A vertex list for the polyline writer.
inline GrowArray VertexList(std::initializer_list<std::pair<double, double>> points) {
  GrowArray list{};
  EXPECT_TRUE(GrowArrayCreate(50, sizeof(PolylineVertex), &list));
  for (const auto& [x, y] : points) {
    PolylineVertex v{x, y, 0, 0, 0};
    EXPECT_TRUE(GrowArraySet(&list, list.count, &v));
  }
  return list;
}

}  // namespace writer_test
