// The feature records of the GML reader.
//
// The reader turns OS MasterMap GML (Topography, ITN, Address Layer) into the
// fixed-size records below; they stay in growable arrays of the import dialog
// until the drawing writer has drawn them. Records are plain data copied by
// value into and out of their arrays.
//
// Text fields are NUL-terminated narrow text of the width given by their
// array size. An element's text longer than the field is cut after
// width - 1 characters; an absent element leaves the field empty.
// Coordinates are British National Grid metres as read from the file.
//
// A record that holds a GrowArray owns it, but frees it through the dialog's
// register of nested arrays, never through the record: the record's copy of
// the header is not updated when the register frees it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/containers/grow_array.h"
#include "common/containers/text.h"

// Field widths, terminator included.
inline constexpr std::size_t kToidWidth = 17;        // 16 characters after "osgb"
inline constexpr std::size_t kShortTextWidth = 17;   // featureCode, accuracyOfPosition, ...
inline constexpr std::size_t kDateWidth = 33;        // dates, make, ...
inline constexpr std::size_t kTermWidth = 65;        // descriptive values, theme, ...
inline constexpr std::size_t kNameWidth = 129;       // textString, roadName, ...
inline constexpr std::size_t kPostCodeWidth = 13;

// Tags of LinePoint entries.
inline constexpr char kLinePointVertex = ' ';
inline constexpr char kLinePointBreak = 'b';  // piece separator of a trimmed line
inline constexpr char kLinePointEnd = 'e';    // extra copy of the last vertex
// Tags of RingPoint entries.
inline constexpr std::int32_t kRingPointVertex = 48;  // '0'
inline constexpr std::int32_t kRingPointEnd = 49;     // '1': ends one ring

// Values a feature has until its elements say otherwise.
inline constexpr double kNoHeightAboveDatum = -999.0;
inline constexpr double kDefaultTextHeight = 1.0;
inline constexpr std::int32_t kDefaultAnchorPosition = 5;
inline constexpr std::int32_t kDefaultVersion = 1;
// Start values of an extent that nothing has widened yet.
inline constexpr double kExtentStartMin = 9999999999.9;
inline constexpr double kExtentStartMax = -9999999999.9;

// One parsed coordinate of a gml:coordinates text; in the preview point
// stream an entry with hasX 0 ends a line.
struct CoordinateTuple {
  double x;
  double y;
  double z;  // 0 when absent
  std::int32_t hasX;
  std::int32_t hasY;
  std::int32_t hasZ;
};

// One vertex of a line's, road link's or road's point list.
struct LinePoint {
  char tag;  // kLinePointVertex, kLinePointBreak or kLinePointEnd
  double x;
  double y;
  double z;  // tuple z, else the feature's heightAboveDatum
};

// One vertex of an assembled area ring list.
struct RingPoint {
  double x;
  double y;
  std::int32_t tag;  // kRingPointVertex, or kRingPointEnd after each ring
};

// A reference from an area ring or a road to a line or road link.
struct MemberReference {
  std::int32_t reversed;  // 1 when the reference carried orientation='-'
  char toid[kToidWidth];
};

// One ring of an area given by references.
struct RingEntry {
  std::int32_t outer;  // 1 outer boundary, 0 inner boundary
  GrowArray members;   // MemberReference, in file order
};

struct DepartedFeatureToid {
  char toid[kToidWidth];
};

// The text attributes most records carry, in this order.
struct CommonAttributes {
  char featureCode[kShortTextWidth];
  char toid[kToidWidth];
  char make[kDateWidth];
  char changeDate[kDateWidth];         // the last one read
  char reasonForChange[kTermWidth];    // the last one read
  char descriptiveTerm[kTermWidth];    // the last one read
  char descriptiveGroup[kTermWidth];   // the last one read
  char theme[kTermWidth];              // the last one read
  char versionDate[kDateWidth];
};

// osgb:TopographicPoint and osgb:CartographicSymbol.
struct PointFeatureRecord {
  CommonAttributes common;
  char accuracyOfPosition[kShortTextWidth];
  char physicalPresence[kTermWidth];
  std::int32_t physicalLevel;
  std::int32_t version;
  double x;
  double y;
  double z;  // tuple z, else heightAboveDatum (-999.0 when absent)
  double orientation;
};

// osgb:TopographicLine and osgb:BoundaryLine.
struct LineFeatureRecord {
  CommonAttributes common;
  char accuracyOfPosition[kShortTextWidth];
  char physicalPresence[kTermWidth];
  std::int32_t physicalLevel;
  std::int32_t version;
  GrowArray points;  // LinePoint, at least two entries
};

// osgb:CartographicText.
struct TextFeatureRecord {
  CommonAttributes common;
  std::int32_t physicalLevel;
  std::int32_t version;
  char textString[kNameWidth];
  std::int32_t anchorPosition;  // 5 when absent
  double x;
  double y;
  double z;
  double orientation;
  double height;  // 1.0 until the file's first osgb:height, then the last one read
};

// The part of an area that assembly copies as one block from its reference
// record: the common block through the three value lists.
struct AreaAttributes {
  CommonAttributes common;
  std::int32_t physicalLevel;
  std::int32_t version;  // 1 when absent
  double calculatedAreaValue;
  GrowArray groups;  // char[65] per descriptiveGroup value (at most 32); absent when none
  GrowArray terms;   // char[65] per descriptiveTerm value (at most 32)
  GrowArray themes;  // char[65] per theme value (at most 12)
};

// Value list entry of AreaAttributes.
struct DescriptiveValue {
  char text[kTermWidth];
};

inline constexpr int kMaxListedGroups = 32;
inline constexpr int kMaxListedTerms = 32;
inline constexpr int kMaxListedThemes = 12;

// An assembled osgb:TopographicArea.
struct AreaFeatureRecord {
  std::int32_t kept;  // 1 in every stored record
  AreaAttributes attributes;
  GrowArray outerRing;   // RingPoint; each ring ended by a kRingPointEnd entry
  GrowArray innerRings;  // RingPoint, all inner rings one after another; absent when none
};

// An osgb:TopographicArea whose rings refer to lines, waiting for assembly
// at the end of its file.
struct AreaReferenceRecord {
  AreaAttributes attributes;
  GrowArray rings;  // RingEntry
};

// osgb:Road and osgb:Path.
struct RoadRecord {
  char toid[kToidWidth];
  char descriptiveTerm[kTermWidth];
  char versionDate[kDateWidth];
  char theme[kTermWidth];
  char descriptiveGroup[kTermWidth];
  char reasonForChange[kTermWidth];
  char changeDate[kDateWidth];
  char roadName[kNameWidth];  // osgb:roadName or osgb:pathName
  std::int32_t version;
  double boxMinX, boxMinY;  // first tuple of the road's gml:Box
  double boxMaxX, boxMaxY;  // second tuple
  char built;               // 1 once assembled and inside the location filter
  GrowArray members;        // MemberReference, in file order
  GrowArray geometry;       // LinePoint; absent until assembled
};

// osgb:RoadLink and osgb:PathLink.
struct RoadLinkRecord {
  char descriptiveTerm[kTermWidth];
  char toid[kToidWidth];
  char versionDate[kDateWidth];
  char theme[kTermWidth];
  char descriptiveGroup[kTermWidth];
  char reasonForChange[kTermWidth];
  char changeDate[kDateWidth];
  char natureOfRoad[kTermWidth];  // osgb:natureOfRoad or osgb:natureOfPath
  std::int32_t version;
  double length;     // 0 when absent
  GrowArray points;  // LinePoint
  char roadTerm[kTermWidth];  // descriptiveTerm of the road naming this link
  char roadName[kNameWidth];  // that road's name; empty until named
  char startNode[kToidWidth];  // the osgb:directedNode with orientation='-'
  char endNode[kToidWidth];    // the other one
};

// osgb:RoadNode and osgb:PathNode.
struct RoadNodeRecord {
  char descriptiveTerm[kTermWidth];
  char toid[kToidWidth];
  char versionDate[kDateWidth];
  char theme[kTermWidth];
  char descriptiveGroup[kTermWidth];
  char reasonForChange[kTermWidth];
  char changeDate[kDateWidth];
  std::int32_t version;
  double x, y, z;
};

// osgb:AddressPoint. Fields without a group are read wherever their
// elements stand in the feature; the others only inside their group.
struct AddressPointRecord {
  char toid[kToidWidth];
  char osapr[kDateWidth];
  char department[kTermWidth];
  char poBox[kShortTextWidth];
  char buildingName[kTermWidth];
  char subBuildingName[kTermWidth];
  char thoroughfare[kDateWidth];  // outside osgb:postalAddress
  char dependentThoroughfare[kDateWidth];
  char dependentLocality[kTermWidth];
  char theme[kTermWidth];
  char versionDate[kDateWidth];
  char changeDate[kDateWidth];
  char reasonForChange[kTermWidth];
  char baseFunction[kDateWidth];
  char postCode[kPostCodeWidth];      // outside the three groups
  char postCodeType[kPostCodeWidth];  // its type= value
  char bs7666Empty;                   // 1 until a BS 7666 field is read
  char saon[kTermWidth];
  char paon[kNameWidth];
  char street[kDateWidth];
  char locality[kDateWidth];
  char town[kDateWidth];
  char adminArea[kNameWidth];
  char bs7666PostCode[kPostCodeWidth];
  char bs7666PostCodeType[kPostCodeWidth];
  char authorityEmpty;  // 1 until UDPRN or UARN is read
  char uarn[kDateWidth];
  char udprn[kDateWidth];
  char statusEmpty;  // 1 until a status field is read
  char matchStatus[kTermWidth];
  char physicalStatus[kShortTextWidth];
  char positionalQuality[kShortTextWidth];
  char positionalAccuracy[kShortTextWidth];  // its accuracy= value
  char structureType[kTermWidth];
  char postalEmpty;    // 1 until a postal field is read
  char nonGeographic;  // 0 for "osgb:postalAddress nonGeographic='0'", else 1
  char organisation[kTermWidth];
  char postalBuildingName[kTermWidth];
  char buildingNumber[kShortTextWidth];
  char postalThoroughfare[kDateWidth];
  char postTown[kDateWidth];
  char postalPostCode[kPostCodeWidth];
  char postalPostCodeType[kPostCodeWidth];
  char deliveryPointSuffix[kPostCodeWidth];
  char addressKey[kPostCodeWidth];
  char organisationKey[15];  // at most 12 characters are stored
  std::int32_t multipleOccupancyCount;  // 0 when absent
  std::int32_t version;
  double x, y, z;  // z: tuple z, else 0
};
inline constexpr std::size_t kOrganisationKeyChars = 12;

// One entry of the input file list.
struct GmlInputFile {
  char path[261];
  char name[257];  // file name without folder; the sort key
  char description[1024];  // gml:description of the header
  char queryTime[1024];    // osgb:queryTime of the header
  double size;             // bytes of GML text (uncompressed size where known)
  double compressedSize;   // size on disk of a gzip file; -1.0 for a plain file
  double minX, maxX, minY, maxY;  // the header's extent box
  std::int32_t active;            // 1 when read in the next run
  std::int32_t spillCoordinates;  // gzip: line coordinates go to the spill file
};
