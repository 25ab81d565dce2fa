// What a pass over a GML file carries from one tag to the next: the texts and
// values of the current feature, the context flags, the tuple list and the
// lists of the area or road being read.
//
// Reading is a function of this state and the bytes read: two passes that
// stand in the same state at the same place in a file go on alike. A piece
// of a file read on a worker thread starts from a state guessed by reading a
// little of the file before it; the piece's reading holds only where the
// guess equals the state the pass over the preceding pieces ended in
// (piece_join.h).
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"

struct GmlFeatureState {
  char lookAhead = 0;       // of the token readers (gml_tokens.h)
  bool tagHasBlank = true;  // the current tag holds a ' '
  bool numberRefused = false;  // the current feature holds a number that cannot be stored

  // The current feature.
  CommonAttributes common{};
  char accuracyOfPosition[kShortTextWidth] = {};
  char physicalPresence[kTermWidth] = {};
  char textString[kNameWidth] = {};
  char roadName[kNameWidth] = {};
  char natureOfRoad[kTermWidth] = {};
  char startNode[kToidWidth] = {};
  char endNode[kToidWidth] = {};
  AddressPointRecord address{};
  double heightAboveDatum = kNoHeightAboveDatum;
  double orientation = 0;
  double height = kDefaultTextHeight;
  std::int32_t anchorPosition = kDefaultAnchorPosition;
  std::int32_t physicalLevel = 0;
  std::int32_t version = kDefaultVersion;
  double calculatedAreaValue = 0;
  double length = 0;
  DescriptiveValue terms[kMaxListedTerms];
  DescriptiveValue groups[kMaxListedGroups];
  DescriptiveValue themes[kMaxListedThemes];
  int termCount = 0, groupCount = 0, themeCount = 0;

  GrowArray tuples{};  // CoordinateTuple of the current feature
  bool tuplesCreated = false;

  // Context flags.
  bool inRoad = false, inRoadLink = false, inRoadNode = false, inArea = false, inPoint = false,
       inAddress = false, inLine = false, inSymbol = false, inText = false;
  bool inOsgbPoint = false, inOsgbPolyline = false, inOsgbPolygon = false, inGmlBox = false,
       inGmlOuter = false, inGmlInner = false, inOsgbOuter = false, inOsgbInner = false,
       inGmlPoint = false;
  bool inBs7666 = false, inAuthority = false, inStatus = false, inPostal = false;

  // Where the coordinates of the current line or link are: a byte position
  // in the file, or in the spill file. Not compared between states (a
  // piece's spill positions count from its own start); a piece notes
  // instead whether it used a position it did not set (see GmlPass).
  std::int64_t coordinatePosition = -1;

  // The current road's member references.
  GrowArray roadMembers{};
  bool roadMembersCreated = false;

  // The current area.
  double areaMinX = 9999999999.9, areaMinY = 9999999999.9, areaMinZ = 9999999999.9;
  double areaMaxX = -9999999999.9, areaMaxY = -9999999999.9, areaMaxZ = -9999999999.9;
  GrowArray outerList{};
  GrowArray innerList{};
  bool outerCreated = false, innerCreated = false;
  bool outerBuilt = false, byReference = false;
  std::int32_t innerRegisterIndex = -1;  // register entry of innerList while filter off
  std::int32_t outerRegisterIndex = -1;
  GrowArray ringEntries{};  // RingEntry of an area given by references
  bool ringEntriesCreated = false;
  GrowArray ringMembers{};  // MemberReference of the current ring
  bool ringMembersCreated = false;
  // Rings and ring members the current area has taken so far, for their
  // bounds (gml_pass.h); 0 between areas.
  std::int32_t areaRings = 0;
  std::int32_t areaMembers = 0;
  std::int32_t ringOuter = 1;
};

// True when no list of a feature is held open (no road's members, no area's
// rings) and no register entry is noted: the state a pass is in between
// features of a well-formed file, and the only one a piece's reading is
// joined from or to.
bool StateIsClosed(const GmlFeatureState& state);

// Groups of values that stay from one feature to the next until a feature
// sets them: a text's height, a text's anchor, and the outline of the last
// area (its box and how its rings were given), which the next area sets
// back. A piece's reading notes which of them it set and which it used
// before setting them (GmlPass); the others it does not depend on.
enum CarriedGroup : std::uint32_t {
  kCarriedTextHeight = 1u << 0,
  kCarriedTextAnchor = 1u << 1,
  kCarriedAreaOutline = 1u << 2,
};
inline constexpr std::uint32_t kAllCarriedGroups =
    kCarriedTextHeight | kCarriedTextAnchor | kCarriedAreaOutline;

// True when two closed states lead to the same reading: every value equal
// bit for bit, texts read as C strings equal as strings, the tuple lists
// equal in their stored tuples. The coordinate position is left out, and so
// are the carried groups in `skip`.
bool SameState(const GmlFeatureState& a, const GmlFeatureState& b, std::uint32_t skip = 0);

// Copies the values of `from` into `to`, the tuples into `to`'s own list;
// both must be closed. The carried groups in `keep` keep `to`'s values.
// False when `to`'s tuple list could not hold the tuples.
bool CopyState(const GmlFeatureState& from, GmlFeatureState* to, std::uint32_t keep = 0);
